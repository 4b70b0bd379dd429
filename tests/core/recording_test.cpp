// The simulator's download stream: an H.264 byte stream cut into its frames
// (access units) and the frames into 6173 pieces, with the scripted faults
// and markers.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/msg_playback.h"
#include "tests/harness/cgi_harness.h"
#include "tools/coresim/coresim.h"

namespace {

using coresim::bytes;

// Four frames: parameter sets and a key slice; one slice; a delimiter and
// two slices of one picture (the second does not start at macroblock 0);
// supplemental information and a key slice. 3- and 4-byte start codes.
const bytes recording = {
    0, 0, 0, 1, 0x67, 0x64, 0x00, 0x1f, 0, 0, 0, 1, 0x68, 0xee, 0, 0, 1, 0x65, 0x88, 0x84,  // 20
    0, 0, 1, 0x41, 0x9a, 0x02,                                                              // 6
    0, 0, 0, 1, 0x09, 0xf0, 0, 0, 1, 0x41, 0x9e, 0x01, 0, 0, 1, 0x41, 0x40, 0x02,           // 18
    0, 0, 1, 0x06, 0x05, 0x01, 0, 0, 1, 0x65, 0xb8, 0x00,                                   // 12
};
const size_t frame_at[] = {0, 20, 26, 44};

// The pieces of a stream as "seq:position+length/total" (a trailing "k" for
// a key frame), markers as "end" and "abort".
std::vector<std::string> pieces_of(const coresim::stream_plan& plan, const test_root& root,
                                   std::vector<playback::download_piece>* first = nullptr) {
    coresim::request req;
    req.id = 1173;
    req.payload.assign(72, 0);
    const int32_t channel = 7;
    std::memcpy(req.payload.data(), &channel, 4);
    std::memcpy(req.payload.data() + 8, "2024-1-2 3:4:5", 14);
    std::vector<coresim::out_msg> out;
    coresim::build_stream(plan, req, root.path(), out);
    std::vector<std::string> got;
    coresim::out_msg m;
    while (out.size() == 1 && out[0].source->next(m) && got.size() < 100) {
        EXPECT_EQ(m.id, 6173);
        EXPECT_EQ(m.payload.size(), sizeof(playback::download_piece));
        auto* p = reinterpret_cast<const playback::download_piece*>(m.payload.data());
        if (p->length == playback::piece_end || p->length == playback::piece_abort) {
            got.push_back(p->length == playback::piece_end ? "end" : "abort");
            continue;
        }
        const avi_frame_header& h = p->header;
        // The data is the frame's, from its start in the file.
        EXPECT_EQ(std::memcmp(p->data, recording.data() + frame_at[h.sequence % 4] + p->position, p->length), 0);
        got.push_back(std::to_string(h.sequence) + ":" + std::to_string(p->position) + "+" +
                      std::to_string(p->length) + "/" + std::to_string(h.data_length) + (h.key_frame ? "k" : ""));
        if (first && p->position == 0) first->push_back(*p);
    }
    return got;
}

TEST(Recording, FramesAreCutIntoPiecesAndEndWithTheScriptedMarker) {
    test_root root;
    root.write("/tmp/rec.h264", std::string(recording.begin(), recording.end()));
    using fin = coresim::stream_plan::finish;
    const std::string big = std::to_string((64 << 20) + 1);
    struct row {
        int line;
        coresim::stream_plan plan;
        std::vector<std::string> pieces;
    } rows[] = {
        {__LINE__, {.file = "/tmp/rec.h264"}, {"0:0+20/20k", "1:0+6/6", "2:0+18/18", "3:0+12/12k", "end"}},
        {__LINE__, {.file = "/tmp/rec.h264", .piece_size = 8},
         {"0:0+8/20k", "0:8+8/20k", "0:16+4/20k", "1:0+6/6", "2:0+8/18", "2:8+8/18", "2:16+2/18", "3:0+8/12k",
          "3:8+4/12k", "end"}},
        {__LINE__, {.file = "/tmp/rec.h264", .frames = 2, .marker = fin::abort}, {"0:0+20/20k", "1:0+6/6", "abort"}},
        {__LINE__, {.file = "/tmp/rec.h264", .marker = fin::none}, {"0:0+20/20k", "1:0+6/6", "2:0+18/18", "3:0+12/12k"}},
        // A gap leaves out a frame's first piece; its later pieces still come.
        {__LINE__, {.file = "/tmp/rec.h264", .piece_size = 8, .gaps = {0, 3}},
         {"0:8+8/20k", "0:16+4/20k", "1:0+6/6", "2:0+8/18", "2:8+8/18", "2:16+2/18", "3:8+4/12k", "end"}},
        // An oversize frame claims more than it brings.
        {__LINE__, {.file = "/tmp/rec.h264", .oversize = {1}},
         {"0:0+20/20k", "1:0+6/" + big, "2:0+18/18", "3:0+12/12k", "end"}},
        {__LINE__, {.file = "/tmp/rec.h264", .repeat = 2, .frames = 6},
         {"0:0+20/20k", "1:0+6/6", "2:0+18/18", "3:0+12/12k", "4:0+20/20k", "5:0+6/6", "end"}},
        // No recording: only the marker.
        {__LINE__, {.file = "/tmp/none.h264"}, {"end"}},
    };
    for (const row& r : rows) EXPECT_EQ(pieces_of(r.plan, root), r.pieces) << "row at line " << r.line;

    // The frame header: the request's channel, the times from its start.
    std::vector<playback::download_piece> first;
    coresim::stream_plan plan{.file = "/tmp/rec.h264", .width = 640, .height = 360, .frame_rate = 10};
    pieces_of(plan, root, &first);
    ASSERT_EQ(first.size(), 4u);
    const avi_frame_header& h = first[2].header;
    EXPECT_EQ(h.kind, avi_frame_video);
    EXPECT_EQ(h.codec, avi_codec_h264);
    EXPECT_EQ(h.width, 640);
    EXPECT_EQ(h.height, 360);
    EXPECT_EQ(h.frame_rate, 10);
    EXPECT_EQ(h.channel, 7);
    EXPECT_EQ(h.time_stamp_us, 1704164645LL * 1000000 + 2 * 100000);
}

TEST(Recording, ScriptsNameTheStreamAndRefuseWhatTheyCannotMean) {
    struct row {
        int line;
        std::string script;
        bool ok;
    } rows[] = {
        {__LINE__, R"([{"id": 1173, "stream": {"file": "/tmp/r.h264", "piece_size": 1000, "repeat": 2, "pace": 1,
                       "frames": 9, "end": "abort", "gaps": [1], "oversize": [2], "width": 4, "height": 4,
                       "frame_rate": 5}}])",
         true},
        {__LINE__, R"([{"id": 1173, "stream": {"file": "../r.h264"}}])", false},
        {__LINE__, R"([{"id": 1173, "stream": {"end": "later"}}])", false},
        {__LINE__, R"([{"id": 1173, "stream": {"gaps": [1, "x"]}}])", false},
        {__LINE__, R"([{"id": 1173, "stream": {"speed": 2}}])", false},
        {__LINE__, R"([{"id": 1173}])", false},
    };
    for (const row& r : rows) {
        std::vector<coresim::rule> rules;
        EXPECT_EQ(coresim::parse_script(r.script, rules, nullptr), r.ok) << "row at line " << r.line;
    }
}

}  // namespace
