// The AVI writer on a stream that cannot seek (a pipe): segments with
// exact sizes, the first with the header and idx1, later ones as AVIX
// extensions, each with its standard index chunks; what ffprobe reads from
// the result; the writes it refuses.
#include <thread>

#include "platform/avi_frame.h"
#include "platform/avilib.h"
#include "tests/playback/download_fixture.h"

namespace pbtest {
namespace {

struct frame_in {
    avi_frame_header header;
    bytes data;
};

// The frames of a recording as the simulated core sends them (whole frames:
// every frame of the small test recording fits one piece).
std::vector<frame_in> frames_of(const test_root& root, const std::string& file) {
    coresim::stream_plan plan;
    plan.file = file;
    coresim::request req;
    req.id = 1173;
    req.payload.assign(72, 0);
    std::vector<coresim::out_msg> out;
    coresim::build_stream(plan, req, root.path(), out);
    std::vector<frame_in> frames;
    coresim::out_msg m;
    while (out.at(0).source->next(m)) {
        int32_t length = int_at(m.payload, 92);
        if (length < 0) break;
        frame_in f;
        std::memcpy(&f.header, m.payload.data(), sizeof f.header);
        f.data.assign(m.payload.begin() + 96, m.payload.begin() + 96 + length);
        frames.push_back(f);
    }
    return frames;
}

// G.711 A-law audio: 40 ms of 8 kHz mono.
frame_in audio_frame(int i) {
    frame_in f{};
    f.header.kind = avi_frame_audio;
    f.header.codec = avi_codec_alaw;
    f.header.sample_rate = 8000;
    f.header.sample_bits = 8;
    f.header.audio_channels = 1;
    f.header.data_length = 320;
    f.data.assign(320, static_cast<uint8_t>(0xd5 + i % 2));
    return f;
}

// Everything the writer puts on a pipe, read by a thread of its own.
std::string write_to_pipe(const std::vector<frame_in>& frames, uint32_t limit, int* close_rc) {
    int fds[2];
    if (pipe(fds) != 0) return "";
    std::string got;
    std::thread reader([&] {
        char buf[65536];
        for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;) got.append(buf, static_cast<size_t>(n));
    });
    FILE* fp = fdopen(fds[1], "w");
    void* handle = nullptr;
    EXPECT_EQ(tq_avi_open_fp_limit(fp, &handle, limit), handle);
    for (const frame_in& f : frames) {
        EXPECT_EQ(tq_avi_write_fp_ex(handle, &f.header, sizeof f.header), 0);
        EXPECT_EQ(tq_avi_write_fp_ex(handle, f.data.data(), static_cast<int>(f.data.size())), 0);
    }
    *close_rc = tq_avi_close_fp(handle);
    std::fclose(fp);
    reader.join();
    close(fds[0]);
    return got;
}

class AviWriter : public Playback {};

TEST_F(AviWriter, SegmentsCarryExactSizesAndTheirOwnIndexesOnAStreamThatCannotSeek) {
    if (!have_ffmpeg()) GTEST_SKIP() << "ffmpeg and ffprobe are not installed (Debian package ffmpeg)";
    ASSERT_TRUE(make_recording(root.file("/tmp/rec.h264"), 25, 320, 240, 25));
    const std::vector<frame_in> video = frames_of(root, "/tmp/rec.h264");
    ASSERT_EQ(video.size(), 25u);
    std::vector<frame_in> with_audio;
    for (size_t i = 0; i < video.size(); ++i) {
        with_audio.push_back(video[i]);
        with_audio.push_back(audio_frame(static_cast<int>(i)));
    }
    struct row {
        int line;
        const std::vector<frame_in>* frames;
        uint32_t limit;
        size_t segments;  // 0: more than one
        std::vector<std::string> streams;
        std::string probe;  // ffprobe's streams and packet counts
    } rows[] = {
        // Everything in the first segment.
        {__LINE__, &video, tq_avi_segment_limit, 1, {"vids"},
         "codec_name=h264\ncodec_type=video\nwidth=320\nheight=240\nnb_read_packets=25\n"},
        // A lowered limit: the file goes on in extension segments.
        {__LINE__, &video, 3000, 0, {"vids"},
         "codec_name=h264\ncodec_type=video\nwidth=320\nheight=240\nnb_read_packets=25\n"},
        // Each frame larger than a segment: a segment each.
        {__LINE__, &video, 1, 25, {"vids"},
         "codec_name=h264\ncodec_type=video\nwidth=320\nheight=240\nnb_read_packets=25\n"},
        {__LINE__, &with_audio, 3000, 0, {"vids", "auds"},
         "codec_name=h264\ncodec_type=video\nwidth=320\nheight=240\nnb_read_packets=25\n"
         "codec_name=pcm_alaw\ncodec_type=audio\nnb_read_packets=25\n"},
    };
    for (const row& r : rows) {
        int rc = -1;
        const std::string file = write_to_pipe(*r.frames, r.limit, &rc);
        EXPECT_EQ(rc, 0) << "row at line " << r.line;
        const avitest::avi_file avi = avitest::read_avi(file);
        ASSERT_EQ(avi.error, "") << "row at line " << r.line;
        if (r.segments)
            EXPECT_EQ(avi.segments.size(), r.segments) << "row at line " << r.line;
        else
            EXPECT_GT(avi.segments.size(), 1u) << "row at line " << r.line;
        EXPECT_EQ(avi.segments[0], "AVI ") << "row at line " << r.line;
        for (size_t i = 1; i < avi.segments.size(); ++i) EXPECT_EQ(avi.segments[i], "AVIX") << "row at line " << r.line;
        EXPECT_EQ(avi.stream_types, r.streams) << "row at line " << r.line;
        EXPECT_EQ(avi.video_codec, "H264") << "row at line " << r.line;
        EXPECT_EQ(avi.width, 320u) << "row at line " << r.line;
        EXPECT_EQ(avi.rate, 25u) << "row at line " << r.line;
        // Every frame written, in order, and indexed once; idx1 holds those
        // of the first segment.
        ASSERT_EQ(avi.frames.size(), r.frames->size()) << "row at line " << r.line;
        EXPECT_EQ(avi.ix.size(), avi.frames.size()) << "row at line " << r.line;
        size_t first_segment = 0;
        for (size_t i = 0; i < avi.frames.size(); ++i) {
            EXPECT_EQ(avi.data(file, i), std::string((*r.frames)[i].data.begin(), (*r.frames)[i].data.end()))
                << "row at line " << r.line << ", frame " << i;
            first_segment += avi.frames[i].segment == 0;
        }
        EXPECT_EQ(avi.idx1.size(), first_segment) << "row at line " << r.line;
        root.write("/tmp/out.avi", file);
        const probe p = probe_file(root.file("/tmp/out.avi"));
        EXPECT_EQ(p.streams, r.probe) << "row at line " << r.line;
        EXPECT_NEAR(p.end_time, 1.0, 1e-6) << "row at line " << r.line;
        EXPECT_EQ(p.errors, "") << "row at line " << r.line;
    }
}

TEST_F(AviWriter, KeyFramesAreMarkedInBothIndexes) {
    frame_in key{}, other{};
    for (frame_in* f : {&key, &other}) {
        f->header.kind = avi_frame_video;
        f->header.codec = avi_codec_h264;
        f->header.width = 16;
        f->header.height = 16;
        f->header.frame_rate = 10;
        f->header.data_length = 7;
        f->data.assign(7, 1);
    }
    key.header.key_frame = 1;
    int rc = -1;
    const std::string file = write_to_pipe({key, other, other, key}, 1000, &rc);
    const avitest::avi_file avi = avitest::read_avi(file);
    ASSERT_EQ(avi.error, "");
    std::vector<bool> ix_keys, idx1_keys;
    for (const auto& e : avi.ix) ix_keys.push_back(e.key);
    for (const auto& e : avi.idx1) idx1_keys.push_back(e.key);
    EXPECT_EQ(ix_keys, (std::vector<bool>{true, false, false, true}));
    EXPECT_EQ(idx1_keys, ix_keys);
    EXPECT_EQ(avi.rate, 10u);
}

TEST_F(AviWriter, WritesOutOfTurnAreRefusedAndAFileWithoutFramesIsStillAFile) {
    avi_frame_header h{};
    h.kind = avi_frame_video;
    h.codec = avi_codec_h264;
    h.data_length = 4;
    avi_frame_header unknown = h;
    unknown.codec = 99;
    const char data[4] = {1, 2, 3, 4};
    struct step {
        const void* data;
        int length;
        int rc;
    };
    struct row {
        int line;
        std::vector<step> steps;
        size_t frames;
    } rows[] = {
        // Without frames: the header and an empty movie.
        {__LINE__, {}, 0},
        // A first write that is not a frame header.
        {__LINE__, {{data, 4, -1}, {&h, 88, 0}, {data, 4, 0}}, 1},
        {__LINE__, {{&h, 88, 0}, {data, -1, -1}, {nullptr, 4, -1}, {data, 4, 0}}, 1},
        // A codec the file cannot describe is not written.
        {__LINE__, {{&unknown, 88, 0}, {data, 4, 0}, {&h, 88, 0}, {data, 4, 0}}, 1},
    };
    for (const row& r : rows) {
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        FILE* fp = fdopen(fds[1], "w");
        void* handle = tq_avi_open_fp(fp, nullptr);
        ASSERT_NE(handle, nullptr);
        for (const step& s : r.steps) EXPECT_EQ(tq_avi_write_fp_ex(handle, s.data, s.length), s.rc) << "row at line " << r.line;
        EXPECT_EQ(tq_avi_close_fp(handle), 0) << "row at line " << r.line;
        std::fclose(fp);
        std::string got;
        char buf[4096];
        for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;) got.append(buf, static_cast<size_t>(n));
        close(fds[0]);
        const avitest::avi_file avi = avitest::read_avi(got);
        EXPECT_EQ(avi.error, "") << "row at line " << r.line;
        EXPECT_EQ(avi.frames.size(), r.frames) << "row at line " << r.line;
    }
    EXPECT_EQ(tq_avi_write_fp_ex(nullptr, &h, 88), -1);
    EXPECT_EQ(tq_avi_open_fp(nullptr, nullptr), nullptr);
}

}  // namespace
}  // namespace pbtest
