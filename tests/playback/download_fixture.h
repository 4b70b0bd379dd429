// Pieces of the download tests: frame-piece records built by offset, the
// fake core's answer to 1173 as a list of messages, the AVI body of a
// download reply, and ffmpeg/ffprobe run on files of the test root.
#pragma once

#include <unistd.h>

#include <string>
#include <vector>

#include "tests/playback/avi_reader.h"
#include "tests/playback/playback_fixture.h"

namespace pbtest {

// The 6173 record: frame header (kind, codec, width, height, rate, key at
// 0..23; total length at 40), position at 88, length at 92, data from 96.
constexpr size_t piece_record = 614496;
constexpr int32_t end_marker = -1;
constexpr int32_t abort_marker = -2;

// Data byte i of a frame made from seed: (seed + i) & 0xff.
inline std::string frame_bytes(int seed, size_t size) {
    std::string s(size, '\0');
    for (size_t i = 0; i < size; ++i) s[i] = static_cast<char>((seed + i) & 0xff);
    return s;
}

// A piece of the frame made from seed whose header claims total bytes: the
// frame's bytes from position on, length of them (data_bytes of them when
// given: a piece that claims more than it carries).
inline bytes piece(int seed, int32_t total, int32_t position, int32_t length, int32_t data_bytes = -1) {
    record r(piece_record);
    r.i32(0, 0).i32(4, 1).i32(8, 320).i32(12, 240).i32(16, 25).i32(20, position == 0).i32(40, total);
    r.i32(88, position).i32(92, length);
    bytes b = r;
    const int32_t n = data_bytes >= 0 ? data_bytes : length;
    for (int32_t i = 0; i < n && 96 + i < static_cast<int32_t>(piece_record); ++i)
        b[96 + i] = static_cast<uint8_t>((seed + position + i) & 0xff);
    return b;
}

inline bytes marker(int32_t length) { return record(piece_record).i32(92, length); }

// The first n bytes of a record (a part record at the end of a message).
inline bytes first_bytes(const bytes& b, size_t n) { return bytes(b.begin(), b.begin() + static_cast<long>(n)); }

// Makes count messages one at a time (as they are sent): piece i of the
// stream is make(i), after delay_rounds rounds.
class piece_source : public coresim::stream_source {
public:
    piece_source(int count, int delay_rounds, std::function<bytes(int)> make)
        : count_(count), delay_(delay_rounds), make_(std::move(make)) {}
    bool next(coresim::out_msg& m) override {
        if (i_ >= count_) return false;
        m = {6173, make_(i_++), delay_};
        return true;
    }

private:
    int count_, delay_, i_ = 0;
    std::function<bytes(int)> make_;
};

// The core answers 1173 with these messages, in order, on the download's
// link.
inline coresim::rule stream_of(std::vector<bytes> messages) {
    coresim::rule r;
    r.id = 1173;
    r.handler = [messages](const coresim::request&, std::vector<coresim::out_msg>& out) {
        for (const bytes& m : messages) out.push_back({6173, m});
    };
    return r;
}

// The download reply split into its header lines and the file.
struct download_reply {
    std::string head;
    std::string file;
};
inline download_reply split_download(const std::string& out) {
    const size_t end = out.find("\r\n\r\n");
    if (end == std::string::npos || out.rfind("Content-Type:application/octet-stream", 0) != 0) return {out, ""};
    return {out.substr(0, end + 4), out.substr(end + 4)};
}

inline std::string download_head(const std::string& name) {
    return "Content-Type:application/octet-stream\r\nContent-Disposition: attachment; filename= " + name +
           "\r\n\r\n";
}

inline bool have_ffmpeg() {
    int a = -1, b = -1;
    run_program({"ffmpeg", "-version"}, &a);
    run_program({"ffprobe", "-version"}, &b);
    return a == 0 && b == 0;
}

// frames frames of a test picture as an H.264 elementary stream (a key
// frame every 10), made with ffmpeg at file.
inline bool make_recording(const std::string& file, int frames, int width, int height, int rate) {
    int status = -1;
    run_program({"ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i",
                 "testsrc=size=" + std::to_string(width) + "x" + std::to_string(height) + ":rate=" +
                     std::to_string(rate),
                 "-frames:v", std::to_string(frames), "-pix_fmt", "yuv420p", "-c:v", "libx264", "-g", "10", "-bf",
                 "0", "-f", "h264", file},
                &status);
    return status == 0;
}

// ffprobe's view of a file: "key=value" lines of the stream and packets.
struct probe {
    int status = -1;
    std::string streams;  // codec_name=..., width=..., height=..., nb_read_packets=...
    std::string errors;   // what ffmpeg reports while decoding the whole file
    int packets = 0;
    double end_time = 0;  // the last packet's time plus its duration
};
inline probe probe_file(const std::string& file) {
    probe p;
    p.streams = run_program({"ffprobe", "-v", "error", "-count_packets", "-show_entries",
                             "stream=codec_type,codec_name,width,height,nb_read_packets", "-of",
                             "default=noprint_wrappers=1", file},
                            &p.status);
    int st = -1;
    const std::string packets = run_program(
        {"ffprobe", "-v", "error", "-select_streams", "v", "-show_entries", "packet=dts_time,duration_time", "-of",
         "csv=p=0", file},
        &st);
    size_t at = 0;
    while (at < packets.size()) {
        size_t end = packets.find('\n', at);
        if (end == std::string::npos) end = packets.size();
        const std::string line = packets.substr(at, end - at);
        double t = 0, d = 0;
        if (std::sscanf(line.c_str(), "%lf,%lf", &t, &d) == 2) {
            ++p.packets;
            p.end_time = t + d;
        }
        at = end + 1;
    }
    // ffmpeg writes what it finds wrong to standard error: send that to
    // standard output.
    p.errors = run_program({"sh", "-c", "ffmpeg -v error -i \"$0\" -f null - 2>&1", file}, &st);
    return p;
}

}  // namespace pbtest
