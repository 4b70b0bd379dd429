// The AVI writer: frames gathered into segments, each segment written whole
// once its size is known (see avilib.h for the layout).
#include "platform/avilib.h"

#include <cstring>
#include <new>
#include <vector>

#include "platform/avi_frame.h"

namespace {

constexpr uint32_t avif_has_index = 0x10;
constexpr uint32_t avif_is_interleaved = 0x100;
constexpr uint32_t avif_trust_ck_type = 0x800;
constexpr uint32_t idx1_key_frame = 0x10;
constexpr uint32_t ix_not_key_frame = 0x80000000u;
constexpr uint32_t max_segment_limit = 1u << 30;  // what one RIFF chunk may hold
constexpr int32_t default_frame_rate = 25;

// Little-endian bytes of the chunks that are built in memory before they are
// written: sizes are filled in here, never in what was already written.
struct chunk_buf {
    std::vector<uint8_t> b;

    void u8(uint8_t v) { b.push_back(v); }
    void u16(uint16_t v) { raw(&v, 2); }
    void u32(uint32_t v) { raw(&v, 4); }
    void u64(uint64_t v) { raw(&v, 8); }
    void id(const char* fourcc) { raw(fourcc, 4); }
    void raw(const void* p, size_t n) {
        const auto* c = static_cast<const uint8_t*>(p);
        b.insert(b.end(), c, c + n);
    }
    // A chunk (or, with a list type, a LIST) whose size close() fills in.
    size_t open(const char* fourcc, const char* list_type = nullptr) {
        id(list_type ? "LIST" : fourcc);
        u32(0);
        size_t start = b.size();
        if (list_type) id(list_type);
        return start;
    }
    void close(size_t start) {
        uint32_t n = static_cast<uint32_t>(b.size() - start);
        std::memcpy(&b[start - 4], &n, 4);
        if (n & 1) u8(0);
    }
};

struct stream_desc {
    bool declared = false;
    avi_frame_header first{};  // the first frame of the stream: its format
};

// A frame chunk of the segment being gathered: where its chunk header is,
// counted from the segment's 'movi' type, and what it holds.
struct chunk_entry {
    uint32_t offset;
    uint32_t size;
    bool key;
    bool audio;
};

const char* video_fourcc(int32_t codec) {
    switch (codec) {
        case avi_codec_h264:
            return "H264";
        case avi_codec_h265:
            return "HEVC";
        case avi_codec_mjpeg:
            return "MJPG";
        default:
            return nullptr;
    }
}

// WAVE format tag and bytes per sample of an audio codec (0: unknown).
uint16_t wave_tag(int32_t codec) {
    switch (codec) {
        case avi_codec_pcm:
            return 1;
        case avi_codec_alaw:
            return 6;
        case avi_codec_ulaw:
            return 7;
        default:
            return 0;
    }
}
int sample_bytes(int32_t codec) { return codec == avi_codec_pcm ? 2 : 1; }

int32_t frame_rate_of(const avi_frame_header& h) {
    return h.frame_rate >= 1 && h.frame_rate <= 240 ? h.frame_rate : default_frame_rate;
}

class avi_writer {
public:
    avi_writer(FILE* fp, uint32_t limit) : fp_(fp), limit_(limit ? (limit < max_segment_limit ? limit : max_segment_limit) : 1) {}

    int write(const uint8_t* data, int length) {
        if (failed_) return -1;
        if (!have_header_) {
            if (length != static_cast<int>(sizeof pending_)) return -1;
            std::memcpy(&pending_, data, sizeof pending_);
            have_header_ = true;
            return 0;
        }
        have_header_ = false;
        frame(pending_, data, static_cast<uint32_t>(length));
        return failed_ ? -1 : 0;
    }

    int close() {
        if (!started_ || !entries_.empty()) flush(nullptr, 0);
        if (!failed_ && std::fflush(fp_) != 0) failed_ = true;
        return failed_ ? -1 : 0;
    }

private:
    void frame(const avi_frame_header& h, const uint8_t* data, uint32_t length) {
        const bool audio = h.kind == avi_frame_audio;
        if (!audio && h.kind != avi_frame_video) return;
        if (audio ? wave_tag(h.codec) == 0 : video_fourcc(h.codec) == nullptr) return;
        stream_desc& s = audio ? audio_ : video_;
        if (!s.declared) {
            // The header goes out with the first segment: until then a new
            // kind of frame still adds its stream (also when this frame
            // only goes into the next segment).
            if (started_) return;
            s.declared = true;
            s.first = h;
        }
        const uint64_t chunk = 8 + static_cast<uint64_t>(length) + (length & 1);
        if (!movi_.b.empty() && movi_.b.size() + chunk > limit_) flush(nullptr, 0);
        if (length > max_frame_) max_frame_ = length;
        const bool key = audio || h.key_frame != 0;
        // The first segment gathers at least its first frame, whatever its
        // size, so that the frames that follow it can still be declared.
        if (chunk > limit_ && started_) {
            // A frame larger than a segment is a segment of its own, written
            // from the caller's buffer.
            pending_key_ = key;
            pending_audio_ = audio;
            flush(data, length);
            return;
        }
        entries_.push_back({static_cast<uint32_t>(4 + movi_.b.size()), length, key, audio});
        movi_.id("????");  // the chunk id is known once the streams are
        movi_.u32(length);
        movi_.raw(data, length);
        if (length & 1) movi_.u8(0);
    }

    int audio_number() const { return video_.declared ? 1 : 0; }
    const char* chunk_id(bool audio) const {
        if (!audio) return "00dc";
        return audio_number() ? "01wb" : "00wb";
    }
    const char* index_id(bool audio) const { return audio && audio_number() ? "ix01" : "ix00"; }

    void header(chunk_buf& out) const {
        const avi_frame_header& v = video_.first;
        const uint32_t buffer_size = (max_frame_ + 4095u) & ~4095u;
        size_t hdrl = out.open(nullptr, "hdrl");
        size_t avih = out.open("avih");
        out.u32(video_.declared ? 1000000u / frame_rate_of(v) : 0);
        out.u32(0);  // max bytes per second: not known
        out.u32(0);
        out.u32(avif_has_index | avif_is_interleaved | avif_trust_ck_type);
        out.u32(0);  // total frames: not known when the header is written
        out.u32(0);
        out.u32((video_.declared ? 1 : 0) + (audio_.declared ? 1 : 0));
        out.u32(buffer_size);
        out.u32(video_.declared ? static_cast<uint32_t>(v.width) : 0);
        out.u32(video_.declared ? static_cast<uint32_t>(v.height) : 0);
        for (int i = 0; i < 4; ++i) out.u32(0);
        out.close(avih);
        if (video_.declared) video_strl(out, v, buffer_size);
        if (audio_.declared) audio_strl(out, audio_.first);
        size_t odml = out.open(nullptr, "odml");
        size_t dmlh = out.open("dmlh");
        out.u32(0);  // total frames: not known when the header is written
        for (int i = 0; i < 61; ++i) out.u32(0);
        out.close(dmlh);
        out.close(odml);
        out.close(hdrl);
    }

    static void stream_header(chunk_buf& out, const char* type, const char* handler, uint32_t scale, uint32_t rate,
                              uint32_t buffer_size, uint32_t sample_size, int32_t width, int32_t height) {
        size_t strh = out.open("strh");
        out.id(type);
        if (handler)
            out.id(handler);
        else
            out.u32(0);
        out.u32(0);  // flags
        out.u16(0);  // priority
        out.u16(0);  // language
        out.u32(0);  // initial frames
        out.u32(scale);
        out.u32(rate);
        out.u32(0);  // start
        out.u32(0);  // length: not known when the header is written
        out.u32(buffer_size);
        out.u32(0xffffffffu);  // quality: default
        out.u32(sample_size);
        out.u16(0);
        out.u16(0);
        out.u16(static_cast<uint16_t>(width));
        out.u16(static_cast<uint16_t>(height));
        out.close(strh);
    }

    static void video_strl(chunk_buf& out, const avi_frame_header& v, uint32_t buffer_size) {
        const char* fourcc = video_fourcc(v.codec);
        const int32_t w = v.width > 0 ? v.width : 0;
        const int32_t h = v.height > 0 ? v.height : 0;
        size_t strl = out.open(nullptr, "strl");
        stream_header(out, "vids", fourcc, 1, static_cast<uint32_t>(frame_rate_of(v)), buffer_size, 0, w, h);
        size_t strf = out.open("strf");
        out.u32(40);
        out.u32(static_cast<uint32_t>(w));
        out.u32(static_cast<uint32_t>(h));
        out.u16(1);   // planes
        out.u16(24);  // bits per pixel
        out.id(fourcc);
        out.u32(static_cast<uint32_t>(w) * static_cast<uint32_t>(h) * 3u);
        for (int i = 0; i < 4; ++i) out.u32(0);
        out.close(strf);
        out.close(strl);
    }

    static void audio_strl(chunk_buf& out, const avi_frame_header& a) {
        const uint16_t channels = a.audio_channels == 2 ? 2 : 1;
        const uint32_t rate = a.sample_rate > 0 && a.sample_rate <= 192000 ? a.sample_rate : 8000;
        const uint16_t block = static_cast<uint16_t>(channels * sample_bytes(a.codec));
        size_t strl = out.open(nullptr, "strl");
        stream_header(out, "auds", nullptr, block, block * rate, 0, block, 0, 0);
        size_t strf = out.open("strf");
        out.u16(wave_tag(a.codec));
        out.u16(channels);
        out.u32(rate);
        out.u32(block * rate);
        out.u16(block);
        out.u16(static_cast<uint16_t>(8 * sample_bytes(a.codec)));
        out.u16(0);
        out.close(strf);
        out.close(strl);
    }

    // The standard index chunk of one stream's chunks in this segment.
    void stream_index(chunk_buf& out, bool audio, uint64_t movi_at) const {
        uint32_t n = 0;
        for (const chunk_entry& e : entries_) n += e.audio == audio;
        if (n == 0) return;
        size_t ix = out.open(index_id(audio));
        out.u16(2);  // longs per entry
        out.u8(0);   // sub type
        out.u8(1);   // an index of chunks
        out.u32(n);
        out.id(chunk_id(audio));
        out.u64(movi_at);
        out.u32(0);
        for (const chunk_entry& e : entries_) {
            if (e.audio != audio) continue;
            out.u32(e.offset + 8);
            out.u32(e.size | (e.key ? 0 : ix_not_key_frame));
        }
        out.close(ix);
    }

    // Writes the gathered frames, and the frame in big (if any) after them,
    // as one segment: the first carries the header and idx1.
    void flush(const uint8_t* big, uint32_t big_length) {
        if (failed_) return;
        const bool first = !started_;
        started_ = true;
        if (big) entries_.push_back({static_cast<uint32_t>(4 + movi_.b.size()), big_length, pending_key_, pending_audio_});
        for (const chunk_entry& e : entries_)
            if (!big || &e != &entries_.back()) std::memcpy(&movi_.b[e.offset - 4], chunk_id(e.audio), 4);
        const uint64_t big_bytes = big ? 8 + static_cast<uint64_t>(big_length) + (big_length & 1) : 0;

        chunk_buf head;
        head.id("RIFF");
        head.u32(0);
        head.id(first ? "AVI " : "AVIX");
        if (first) header(head);
        head.id("LIST");
        head.u32(0);
        head.id("movi");
        const uint64_t movi_at = written_ + head.b.size() - 4;

        chunk_buf tail;
        stream_index(tail, false, movi_at);
        stream_index(tail, true, movi_at);
        const uint64_t movi_size = 4 + movi_.b.size() + big_bytes + tail.b.size();
        if (first) {
            size_t idx1 = tail.open("idx1");
            for (const chunk_entry& e : entries_) {
                tail.id(chunk_id(e.audio));
                tail.u32(e.key ? idx1_key_frame : 0);
                tail.u32(e.offset);
                tail.u32(e.size);
            }
            tail.close(idx1);
        }
        const uint64_t riff_size = head.b.size() - 8 + movi_.b.size() + big_bytes + tail.b.size();
        const uint32_t riff32 = static_cast<uint32_t>(riff_size);
        const uint32_t movi32 = static_cast<uint32_t>(movi_size);
        std::memcpy(&head.b[4], &riff32, 4);
        std::memcpy(&head.b[head.b.size() - 8], &movi32, 4);

        put(head.b.data(), head.b.size());
        put(movi_.b.data(), movi_.b.size());
        if (big) {
            chunk_buf ck;
            ck.id(chunk_id(pending_audio_));
            ck.u32(big_length);
            put(ck.b.data(), ck.b.size());
            put(big, big_length);
            if (big_length & 1) put("", 1);
        }
        put(tail.b.data(), tail.b.size());
        if (!failed_ && std::fflush(fp_) != 0) failed_ = true;
        movi_.b.clear();
        entries_.clear();
    }

    void put(const void* p, size_t n) {
        if (failed_ || n == 0) return;
        if (std::fwrite(p, 1, n, fp_) != n) failed_ = true;
        written_ += n;
    }

    FILE* fp_;
    uint32_t limit_;
    bool failed_ = false;
    bool started_ = false;  // the first segment (with the header) is out
    bool have_header_ = false;
    avi_frame_header pending_{};
    bool pending_key_ = false;
    bool pending_audio_ = false;
    stream_desc video_, audio_;
    chunk_buf movi_;  // frame chunks of the segment being gathered
    std::vector<chunk_entry> entries_;
    uint64_t written_ = 0;
    uint32_t max_frame_ = 0;
};

}  // namespace

void* tq_avi_open_fp_limit(FILE* fp, void** handle, uint32_t segment_limit) {
    if (!fp) return nullptr;
    auto* w = new (std::nothrow) avi_writer(fp, segment_limit);
    if (handle) *handle = w;
    return w;
}

void* tq_avi_open_fp(FILE* fp, void** handle) { return tq_avi_open_fp_limit(fp, handle, tq_avi_segment_limit); }

int tq_avi_write_fp_ex(void* handle, const void* data, int length) {
    if (!handle || length < 0 || (length > 0 && !data)) return -1;
    try {
        return static_cast<avi_writer*>(handle)->write(static_cast<const uint8_t*>(data), length);
    } catch (const std::bad_alloc&) {
        return -1;
    }
}

int tq_avi_close_fp(void* handle) {
    if (!handle) return -1;
    auto* w = static_cast<avi_writer*>(handle);
    int rc = -1;
    try {
        rc = w->close();
    } catch (const std::bad_alloc&) {
    }
    delete w;
    return rc;
}
