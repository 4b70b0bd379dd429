// The download stream of the simulated core daemon: a recording made of an
// H.264 elementary stream (Annex B byte stream) cut into its frames (access
// units), each frame sent as 6173 pieces with its 88-byte frame header, then
// the end or abort marker. The file is mapped, not read: a recording of
// hundreds of MiB is streamed without being held.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <ctime>

#include "platform/msg_playback.h"
#include "tools/coresim/coresim.h"

namespace coresim {

namespace {

constexpr int32_t default_rate = 25;
// A total length the download handler never takes (it caps frames at 64 MiB).
constexpr int32_t oversize_length = (64 << 20) + 1;

// ---- the byte stream -----------------------------------------------------------

// The next NAL unit at or after pos: where its start code begins, where its
// header byte is, and where it ends (the next start code or the end).
struct nal {
    size_t start, header, end;
};

size_t find_start_code(const uint8_t* d, size_t n, size_t from, size_t* header) {
    for (size_t i = from; i + 3 <= n; ++i) {
        if (d[i] != 0 || d[i + 1] != 0) continue;
        if (d[i + 2] == 1) {
            *header = i + 3;
            return i;
        }
        if (d[i + 2] == 0 && i + 4 <= n && d[i + 3] == 1) {
            *header = i + 4;
            return i;
        }
    }
    return n;
}

bool next_nal(const uint8_t* d, size_t n, size_t pos, nal* out) {
    size_t header = 0;
    size_t start = find_start_code(d, n, pos, &header);
    if (start >= n || header >= n) return false;
    size_t next_header = 0;
    size_t end = find_start_code(d, n, header, &next_header);
    *out = {start, header, end};
    return true;
}

int nal_type(const uint8_t* d, const nal& u) { return d[u.header] & 0x1f; }
bool is_slice(int type) { return type == 1 || type == 5; }
// The first slice of a picture: first_mb_in_slice (the first exp-Golomb
// number) is 0, which is the single bit 1.
bool first_slice(const uint8_t* d, const nal& u) { return u.header + 1 < u.end && (d[u.header + 1] & 0x80); }
// NAL units that start a new access unit once a picture was seen: SEI,
// sequence and picture parameters, access unit delimiter, prefix units.
bool starts_unit(int type) { return type == 6 || type == 7 || type == 8 || type == 9 || (type >= 14 && type <= 18); }

// ---- sequence parameters -------------------------------------------------------

class bit_reader {
public:
    explicit bit_reader(std::vector<uint8_t> rbsp) : b_(std::move(rbsp)) {}
    uint32_t bit() {
        if (pos_ >= b_.size() * 8) {
            ok_ = false;
            return 0;
        }
        uint32_t v = (b_[pos_ / 8] >> (7 - pos_ % 8)) & 1;
        ++pos_;
        return v;
    }
    uint32_t bits(int n) {
        uint32_t v = 0;
        for (int i = 0; i < n; ++i) v = (v << 1) | bit();
        return v;
    }
    uint32_t ue() {
        int zeros = 0;
        while (ok_ && bit() == 0 && zeros < 32) ++zeros;
        return zeros ? ((1u << zeros) - 1) + bits(zeros) : 0;
    }
    int32_t se() {
        uint32_t k = ue();
        return (k & 1) ? static_cast<int32_t>((k + 1) / 2) : -static_cast<int32_t>(k / 2);
    }
    bool ok() const { return ok_; }

private:
    std::vector<uint8_t> b_;
    size_t pos_ = 0;
    bool ok_ = true;
};

// The payload of a NAL unit without its emulation prevention bytes.
std::vector<uint8_t> rbsp_of(const uint8_t* d, const nal& u) {
    std::vector<uint8_t> out;
    int zeros = 0;
    for (size_t i = u.header + 1; i < u.end; ++i) {
        if (zeros >= 2 && d[i] == 3) {
            zeros = 0;
            continue;
        }
        zeros = d[i] == 0 ? zeros + 1 : 0;
        out.push_back(d[i]);
    }
    return out;
}

void skip_scaling_list(bit_reader& r, int size) {
    int last = 8, next = 8;
    for (int j = 0; j < size; ++j) {
        if (next != 0) next = (last + r.se() + 256) % 256;
        last = next == 0 ? last : next;
    }
}

struct picture_format {
    int32_t width = 0, height = 0, rate = 0;
};

// Picture size (after cropping) and frame rate (from the timing, when given)
// of a sequence parameter set.
picture_format parse_sps(std::vector<uint8_t> rbsp) {
    picture_format f;
    bit_reader r(std::move(rbsp));
    const uint32_t profile = r.bits(8);
    r.bits(16);  // constraint flags, level
    r.ue();      // parameter set id
    uint32_t chroma = 1;
    bool separate_planes = false;
    static const uint32_t high_profiles[] = {100, 110, 122, 244, 44, 83, 86, 118, 128, 138, 139, 134, 135};
    if (std::find(std::begin(high_profiles), std::end(high_profiles), profile) != std::end(high_profiles)) {
        chroma = r.ue();
        if (chroma == 3) separate_planes = r.bit();
        r.ue();
        r.ue();
        r.bit();
        if (r.bit())
            for (int i = 0; i < (chroma == 3 ? 12 : 8); ++i)
                if (r.bit()) skip_scaling_list(r, i < 6 ? 16 : 64);
    }
    r.ue();  // log2 of the largest frame number, less 4
    const uint32_t poc_type = r.ue();
    if (poc_type == 0) {
        r.ue();
    } else if (poc_type == 1) {
        r.bit();
        r.se();
        r.se();
        const uint32_t cycle = r.ue();
        for (uint32_t i = 0; i < cycle && i < 256; ++i) r.se();
    }
    r.ue();  // reference frames
    r.bit();
    const uint32_t width_mbs = r.ue() + 1;
    const uint32_t height_units = r.ue() + 1;
    const uint32_t frame_only = r.bit();
    if (!frame_only) r.bit();
    r.bit();
    uint32_t crop[4] = {0, 0, 0, 0};
    if (r.bit())
        for (uint32_t& c : crop) c = r.ue();
    uint32_t unit_x = 1, unit_y = 2 - frame_only;
    if (!separate_planes && chroma == 1) unit_x = 2, unit_y *= 2;
    if (!separate_planes && chroma == 2) unit_x = 2;
    f.width = static_cast<int32_t>(width_mbs * 16 - unit_x * (crop[0] + crop[1]));
    f.height = static_cast<int32_t>((2 - frame_only) * height_units * 16 - unit_y * (crop[2] + crop[3]));
    if (r.bit()) {  // video usability information
        if (r.bit() && r.bits(8) == 255) r.bits(32);
        if (r.bit()) r.bit();
        if (r.bit()) {
            r.bits(4);
            if (r.bit()) r.bits(24);
        }
        if (r.bit()) {
            r.ue();
            r.ue();
        }
        if (r.bit()) {
            const uint32_t units = r.bits(32);
            const uint32_t scale = r.bits(32);
            if (units) f.rate = static_cast<int32_t>(scale / (2 * units));
        }
    }
    if (!r.ok()) return {};
    return f;
}

// ---- the recording as frames -----------------------------------------------------

struct mapped_file {
    const uint8_t* data = nullptr;
    size_t size = 0;

    explicit mapped_file(const std::string& path) {
        int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return;
        struct stat st;
        if (fstat(fd, &st) == 0 && st.st_size > 0) {
            void* p = mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
            if (p != MAP_FAILED) {
                data = static_cast<const uint8_t*>(p);
                size = static_cast<size_t>(st.st_size);
            }
        }
        close(fd);
    }
    ~mapped_file() {
        if (data) munmap(const_cast<uint8_t*>(data), size);
    }
    mapped_file(const mapped_file&) = delete;
    mapped_file& operator=(const mapped_file&) = delete;
};

// "%d-%d-%d %d:%d:%d" of the request as seconds (UTC), 0 when it does not read.
int64_t start_seconds(const request& req) {
    char text[33] = "";
    if (req.payload.size() >= 40) std::memcpy(text, req.payload.data() + 8, 32);
    struct tm t = {};
    if (std::sscanf(text, "%d-%d-%d %d:%d:%d", &t.tm_year, &t.tm_mon, &t.tm_mday, &t.tm_hour, &t.tm_min,
                    &t.tm_sec) != 6)
        return 0;
    t.tm_year -= 1900;
    t.tm_mon -= 1;
    return static_cast<int64_t>(timegm(&t));
}

class recording_source : public stream_source {
public:
    recording_source(const stream_plan& plan, const request& req, const std::string& root)
        : plan_(plan), file_(root + plan.file) {
        plan_.piece_size = std::clamp<uint32_t>(plan_.piece_size, 1, playback::piece_data_bytes);
        if (req.payload.size() >= 4) std::memcpy(&channel_, req.payload.data(), 4);
        start_us_ = start_seconds(req) * 1000000;
        picture_format f;
        nal u;
        for (size_t pos = 0; file_.data && next_nal(file_.data, file_.size, pos, &u); pos = u.end) {
            if (nal_type(file_.data, u) == 7) {
                f = parse_sps(rbsp_of(file_.data, u));
                break;
            }
        }
        width_ = plan.width > 0 ? plan.width : f.width;
        height_ = plan.height > 0 ? plan.height : f.height;
        rate_ = plan.frame_rate > 0 ? plan.frame_rate : (f.rate > 0 ? f.rate : default_rate);
    }

    bool next(out_msg& msg) override {
        for (;;) {
            if (finished_) return false;
            if (sent_ >= frame_len_ && !next_frame()) {
                finished_ = true;
                if (plan_.marker == stream_plan::finish::none) return false;
                msg = piece_msg(plan_.marker == stream_plan::finish::abort ? playback::piece_abort
                                                                           : playback::piece_end);
                return true;
            }
            const uint32_t len = std::min<uint32_t>(plan_.piece_size, static_cast<uint32_t>(frame_len_ - sent_));
            const bool left_out = sent_ == 0 && listed(plan_.gaps);
            const size_t at = sent_;
            sent_ += len;
            if (left_out) continue;
            msg = piece_msg(static_cast<int32_t>(len));
            playback::download_piece* p = piece_of(msg);
            p->position = static_cast<int32_t>(at);
            std::memcpy(p->data, frame_ + at, len);
            if (at == 0) msg.delay_rounds = plan_.pace_rounds;
            return true;
        }
    }

private:
    bool listed(const std::vector<int>& frames) const {
        return std::find(frames.begin(), frames.end(), index_) != frames.end();
    }

    static playback::download_piece* piece_of(out_msg& msg) {
        return reinterpret_cast<playback::download_piece*>(msg.payload.data());
    }

    // A full-size record: the frame's header (for a marker, zeros), the
    // length given.
    out_msg piece_msg(int32_t length) {
        out_msg msg;
        msg.id = playback::msg_download_piece;
        msg.payload.assign(sizeof(playback::download_piece), 0);
        playback::download_piece* p = piece_of(msg);
        p->length = length;
        if (length >= 0) {
            avi_frame_header& h = p->header;
            h.kind = avi_frame_video;
            h.codec = avi_codec_h264;
            h.width = width_;
            h.height = height_;
            h.frame_rate = rate_;
            h.key_frame = key_ ? 1 : 0;
            h.time_stamp_us = start_us_ + static_cast<int64_t>(index_) * 1000000 / rate_;
            h.channel = channel_;
            h.sequence = index_;
            h.data_length = listed(plan_.oversize) ? oversize_length : static_cast<int32_t>(frame_len_);
        }
        return msg;
    }

    // Moves to the next access unit of the file (from the start again while
    // repeats are left). False when the recording is over.
    bool next_frame() {
        if (!file_.data) return false;
        if (plan_.frames >= 0 && index_ + 1 >= plan_.frames) return false;
        if (pos_ >= file_.size) {
            if (++pass_ >= plan_.repeat) return false;
            pos_ = 0;
        }
        const uint8_t* d = file_.data;
        nal u;
        bool seen_slice = false, key = false;
        size_t begin = file_.size, end = pos_;
        for (size_t pos = pos_; next_nal(d, file_.size, pos, &u); pos = u.end) {
            const int type = nal_type(d, u);
            if (seen_slice && ((is_slice(type) && first_slice(d, u)) || starts_unit(type))) break;
            if (begin == file_.size) begin = u.start;
            seen_slice = seen_slice || is_slice(type);
            key = key || type == 5;
            end = u.end;
        }
        if (begin >= end) {
            pos_ = file_.size;
            return next_frame();
        }
        frame_ = d + begin;
        frame_len_ = end - begin;
        key_ = key;
        pos_ = end;
        sent_ = 0;
        ++index_;
        return true;
    }

    stream_plan plan_;
    mapped_file file_;
    int32_t channel_ = 0;
    int64_t start_us_ = 0;
    int32_t width_ = 0, height_ = 0, rate_ = default_rate;
    size_t pos_ = 0;  // where the next frame starts in the file
    int pass_ = 0;
    int index_ = -1;  // frame number of the current frame
    const uint8_t* frame_ = nullptr;
    size_t frame_len_ = 0, sent_ = 0;
    bool key_ = false;
    bool finished_ = false;
};

}  // namespace

void build_stream(const stream_plan& plan, const request& req, const std::string& root,
                  std::vector<out_msg>& out) {
    out_msg msg;
    msg.id = playback::msg_download_piece;
    msg.source = std::make_shared<recording_source>(plan, req, root);
    out.push_back(std::move(msg));
}

}  // namespace coresim
