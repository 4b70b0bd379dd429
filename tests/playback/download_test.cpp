// Download of a recording (/4013): the checks, the file name, the messages;
// the reassembly of the core's frame pieces as seen in the AVI file; the
// end of the download at the marker; ffprobe over a downloaded recording;
// a client that goes away. The marker check (/4019) and cancel (/4027).
#include <fcntl.h>
#include <poll.h>
#include <signal.h>

#include "tests/playback/download_fixture.h"

namespace pbtest {
namespace {

const std::string times = R"("startTime": "2024-01-02T03:04:05Z", "endTime": "2024-01-02T03:05:05Z")";
// The 1173 payload: channel, stream type, the two times.
bytes download_msg(int32_t id, int32_t stream_type) {
    return record(72).i32(0, id).i32(4, stream_type).text(8, "2024-1-2 3:4:5").text(40, "2024-1-2 3:5:5");
}

class Download : public Playback {
protected:
    // Time divided by 10, not 100: the idle writer's bound (60 s) must
    // outlast the transfer of a few 600 KiB pieces on a loaded machine.
    cgi_result download(const std::string& body, const std::string& tz = "UTC", const char* divisor = "10") {
        return post("/4013", body, {{"TZ", tz}, {"NVR_TIME_DIVISOR", divisor}});
    }
};

TEST_F(Download, RequestsAreCheckedNamedAndAnnouncedBeforeTheStream) {
    const std::string utc_times = "2024_1_2_3_4_5_1704164645-2024_1_2_3_5_5_1704164705";
    struct row {
        int line;
        std::string body;
        std::string tz;
        bool marker;
        std::string head;  // the reply up to the file
        std::vector<msg> want;
    } rows[] = {
        {__LINE__, R"({"id": 2, "streamType": 0, )" + times + "}", "UTC", false,
         download_head("4DDD" + utc_times + "_2.avi"), {{3485, xcase::oplog(209, 900, 3)}, {1173, download_msg(2, 0)}}},
        // The top channel's mask is the most negative 64-bit number.
        {__LINE__, R"({"id": 63, "streamType": 1, )" + times + "}", "UTC", false,
         download_head("-9223372036854775808DDD" + utc_times + "_63.avi"),
         {{3485, xcase::oplog(209, 900, 64)}, {1173, download_msg(63, 1)}}},
        {__LINE__, R"({"id": 0, )" + times + "}", "UTC", false, download_head("1DDD" + utc_times + "_0.avi"),
         {{3485, xcase::oplog(209, 900, 1)}, {1173, download_msg(0, 0)}}},
        // The times are local times.
        {__LINE__, R"({"id": 1, )" + times + "}", "CET-1", false,
         download_head("2DDD2024_1_2_3_4_5_1704161045-2024_1_2_3_5_5_1704161105_1.avi"),
         {{3485, xcase::oplog(209, 900, 2)}, {1173, download_msg(1, 0)}}},
        // A download under way: busy, nothing sent.
        {__LINE__, R"({"id": 2, )" + times + "}", "UTC", true, text_reply("BUSY NOW"), {}},
        // Refused without a reply: channel, times, not JSON.
        {__LINE__, R"({"id": 64, )" + times + "}", "UTC", true, "", {}},
        {__LINE__, R"({"id": -1, )" + times + "}", "UTC", false, "", {}},
        {__LINE__, R"({)" + times + "}", "UTC", false, "", {}},
        {__LINE__, R"({"id": 2, "startTime": "2024-01-02T03:04:05Z"})", "UTC", false, "", {}},
        {__LINE__, R"({"id": 2, "startTime": "yesterday", "endTime": "2024-01-02T03:05:05Z"})", "UTC", false, "", {}},
        {__LINE__, "id=2", "UTC", false, "", {}},
    };
    for (const row& r : rows) {
        fresh_case();
        if (r.marker)
            root.write("/tmp/pbdownload", "");
        else
            unlink(root.file("/tmp/pbdownload").c_str());
        const download_reply got = split_download(download(r.body, r.tz).out);
        EXPECT_EQ(got.head, r.head) << "row at line " << r.line;
        // Without a recording the core sends only the end marker: the
        // file holds the AVI header and no frame.
        if (!got.file.empty()) {
            const avitest::avi_file avi = avitest::read_avi(got.file);
            EXPECT_EQ(avi.error, "") << "row at line " << r.line;
            EXPECT_TRUE(avi.frames.empty()) << "row at line " << r.line;
        }
        expect_sent(r.want, r.line);
    }
}

TEST_F(Download, FramesAreReassembledFromTheirPiecesAsTheyCome) {
    struct frame {
        int seed;
        size_t size;
    };
    const int32_t too_big = (64 << 20) + 1;
    struct row {
        int line;
        std::vector<bytes> messages;
        std::vector<frame> frames;  // written to the file, in order
        bool prefix = false;        // the file holds a first part of frames
        const char* divisor = "10";
    } rows[] = {
        // A frame in three pieces is written once, whole.
        {__LINE__,
         {piece(1, 1300000, 0, 614400), piece(1, 1300000, 614400, 614400), piece(1, 1300000, 1228800, 71200),
          marker(end_marker)},
         {{1, 1300000}}},
        // A new first piece drops the half frame.
        {__LINE__, {piece(2, 1000, 0, 600), piece(3, 500, 0, 500), marker(end_marker)}, {{3, 500}}},
        // A piece longer than what is missing is cut; the frame completes.
        {__LINE__, {piece(4, 1000, 0, 600), piece(4, 1000, 600, 700), marker(end_marker)}, {{4, 1000}}},
        // The end before any frame: a file without frames.
        {__LINE__, {marker(end_marker)}, {}},
        // An abort ends the download; what was queued may be dropped, and
        // nothing after it is taken.
        {__LINE__, {piece(5, 100, 0, 100), marker(abort_marker), piece(6, 100, 0, 100)}, {{5, 100}}, true},
        {__LINE__, {piece(7, 100, 0, 100), marker(end_marker), piece(8, 100, 0, 100)}, {{7, 100}}},
        // A later piece without its first is dropped.
        {__LINE__, {piece(9, 100, 50, 50), piece(10, 100, 0, 100), marker(end_marker)}, {{10, 100}}},
        // Frame lengths outside 1 .. 64 MiB are not believed.
        {__LINE__, {piece(11, 0, 0, 10), piece(12, too_big, 0, 100), piece(12, too_big, 100, 100),
                    piece(13, 100, 0, 100), marker(end_marker)},
         {{13, 100}}},
        // Piece lengths outside 0 .. 614400 (other than the markers) too.
        {__LINE__, {piece(14, 100, 0, 614401, 100), piece(15, 100, 0, -3, 0), piece(16, 100, 0, 100),
                    marker(end_marker)},
         {{16, 100}}},
        // Several records in one message are taken one by one; a last part
        // record counts when it holds its piece.
        {__LINE__, {concat({piece(17, 100, 0, 100), piece(18, 50, 0, 50), marker(end_marker)})}, {{17, 100}, {18, 50}}},
        {__LINE__, {concat({piece(19, 100, 0, 100), first_bytes(marker(end_marker), 96)})}, {{19, 100}}},
        {__LINE__, {concat({piece(20, 40, 0, 40), first_bytes(piece(21, 40, 0, 40), 120)}), marker(end_marker)},
         {{20, 40}}},
        // No marker at all: the wait runs out, the idle writer gives up,
        // and the file is complete all the same (time divided by 10, as in
        // the other rows: at 100 the writer's idle bound can end before an
        // emulated webreq has taken the first frame).
        {__LINE__, {piece(22, 100, 0, 100)}, {{22, 100}}, false, "10"},
    };
    for (const row& r : rows) {
        fresh_case();
        core.add_rule(stream_of(r.messages));
        const cgi_result res = download(R"({"id": 3, )" + times + "}", "UTC", r.divisor);
        const download_reply got = split_download(res.out);
        const avitest::avi_file avi = avitest::read_avi(got.file);
        ASSERT_EQ(avi.error, "") << "row at line " << r.line;
        if (r.prefix)
            ASSERT_LE(avi.frames.size(), r.frames.size()) << "row at line " << r.line;
        else
            ASSERT_EQ(avi.frames.size(), r.frames.size()) << "row at line " << r.line;
        for (size_t i = 0; i < avi.frames.size(); ++i)
            EXPECT_EQ(avi.data(got.file, i), frame_bytes(r.frames[i].seed, r.frames[i].size))
                << "row at line " << r.line << ", frame " << i;
        EXPECT_FALSE(res.timed_out) << "row at line " << r.line;
    }
}

// With the real bounds (no time divisor) the download still ends when its
// data does: at the end or abort marker, not at the 40 s bound.
TEST_F(Download, TheMarkerEndsTheWaitForTheStream) {
    struct row {
        int line;
        int32_t marker;
    } rows[] = {{__LINE__, end_marker}, {__LINE__, abort_marker}};
    for (const row& r : rows) {
        fresh_case();
        core.add_rule(stream_of({piece(1, 100, 0, 100), marker(r.marker)}));
        cgi_request req;
        req.method = "POST";
        req.path_info = "/4013";
        req.content_type = "application/json";
        req.body = R"({"id": 3, )" + times + "}";
        req.env = {{"NVR_TIME_DIVISOR", "1"}};
        req.timeout_ms = 20000;
        const cgi_result res = run_webreq(root, req);
        EXPECT_FALSE(res.timed_out) << "row at line " << r.line;
        EXPECT_EQ(avitest::read_avi(split_download(res.out).file).error, "") << "row at line " << r.line;
    }
}

TEST_F(Download, ARecordingDownloadedFromTheCoreReadsInFfprobe) {
    if (!have_ffmpeg()) GTEST_SKIP() << "ffmpeg and ffprobe are not installed (Debian package ffmpeg)";
    ASSERT_TRUE(make_recording(root.file("/tmp/rec.h264"), 25, 320, 240, 25));
    struct row {
        int line;
        std::string stream;  // the core's stream rule
        int frames;
        double seconds;
    } rows[] = {
        // Frames in pieces of 4000 bytes: most come in several.
        {__LINE__, R"({"file": "/tmp/rec.h264", "piece_size": 4000})", 25, 1.0},
        {__LINE__, R"({"file": "/tmp/rec.h264", "repeat": 3})", 75, 3.0},
    };
    for (const row& r : rows) {
        fresh_case();
        ASSERT_TRUE(core.set_script(R"([{"id": 1173, "stream": )" + r.stream + "}]"));
        const download_reply got = split_download(download(R"({"id": 5, )" + times + "}").out);
        root.write("/tmp/got.avi", got.file);
        const avitest::avi_file avi = avitest::read_avi(got.file);
        EXPECT_EQ(avi.error, "") << "row at line " << r.line;
        EXPECT_EQ(avi.video_codec, "H264") << "row at line " << r.line;
        const probe p = probe_file(root.file("/tmp/got.avi"));
        EXPECT_EQ(p.status, 0) << "row at line " << r.line;
        EXPECT_EQ(p.streams, "codec_name=h264\ncodec_type=video\nwidth=320\nheight=240\nnb_read_packets=" +
                                 std::to_string(r.frames) + "\n")
            << "row at line " << r.line;
        EXPECT_EQ(p.packets, r.frames) << "row at line " << r.line;
        EXPECT_NEAR(p.end_time, r.seconds, 1e-6) << "row at line " << r.line;
        EXPECT_EQ(p.errors, "") << "row at line " << r.line;
    }
}

// A client that stops reading: the next write ends the process (SIGPIPE
// keeps its default action), and the core's link closes with it.
TEST_F(Download, AClientThatGoesAwayEndsTheDownload) {
    fresh_case();
    coresim::rule slow = stream_of({});
    slow.handler = [](const coresim::request&, std::vector<coresim::out_msg>& out) {
        coresim::out_msg m;
        m.source = std::make_shared<piece_source>(2000, 1, [](int i) { return piece(i, 60000, 0, 60000); });
        out.push_back(m);
        out.push_back({6173, marker(end_marker)});
    };
    core.add_rule(slow);
    const std::string body = R"({"id": 3, )" + times + "}";
    int in[2], out[2];
    ASSERT_EQ(pipe(in), 0);
    ASSERT_EQ(pipe(out), 0);
    const std::vector<std::string> env_text = {"NVR_ROOT=" + root.path(), "NVR_TIME_DIVISOR=100",
                                               "REQUEST_METHOD=POST",    "PATH_INFO=/4013",
                                               "CONTENT_TYPE=application/json",
                                               "CONTENT_LENGTH=" + std::to_string(body.size()), "TZ=UTC"};
    std::vector<std::string> args = exec_argv(bin_path("webreq"));
    pid_t pid = fork();
    if (pid == 0) {
        signal(SIGPIPE, SIG_IGN);  // as a web server may leave it
        dup2(in[0], 0);
        dup2(out[1], 1);
        for (int fd : {in[0], in[1], out[0], out[1]}) close(fd);
        std::vector<char*> argv, envp;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        for (const auto& e : env_text) envp.push_back(const_cast<char*>(e.c_str()));
        envp.push_back(nullptr);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    ASSERT_EQ(write(in[1], body.data(), body.size()), static_cast<ssize_t>(body.size()));
    close(in[1]);
    // Read the headers and a part of the file, then go away.
    std::string got;
    char buf[65536];
    while (got.size() < 200000) {
        pollfd p = {out[0], POLLIN, 0};
        if (poll(&p, 1, 10000) <= 0) break;
        ssize_t n = read(out[0], buf, sizeof buf);
        if (n <= 0) break;
        got.append(buf, static_cast<size_t>(n));
    }
    close(out[0]);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_GE(got.size(), 200000u);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGPIPE) << "status " << status;
    EXPECT_TRUE(core.wait_idle(10000));
}

TEST_F(Download, TheMarkerIsCheckedAndRemovedOnCancel) {
    struct row {
        int line;
        std::string code;
        std::string text;
        const char* marker;  // before: "" none, "file", "link" (to a file that must stay)
        std::string out;
        bool marker_after;
        std::vector<msg> want;
    } rows[] = {
        {__LINE__, "/4019", "{}", "", text_reply(R"({ "isOK": 1 })"), false, {}},
        {__LINE__, "/4019", R"({"any": 1})", "file", text_reply(R"({ "isOK": 0 })"), true, {}},
        {__LINE__, "/4019", "x", "file", "", true, {}},
        {__LINE__, "/4027", "", "file", text_reply("OK"), false, {{1178, {}}}},
        {__LINE__, "/4027", "", "", text_reply("OK"), false, {{1178, {}}}},
        {__LINE__, "/4027", "1", "file", text_reply("OK"), false, {{1178, {}}}},
        // The marker is removed itself, never what a link names.
        {__LINE__, "/4027", "", "link", text_reply("OK"), false, {{1178, {}}}},
    };
    for (const row& r : rows) {
        fresh_case();
        const std::string marker = root.file("/tmp/pbdownload");
        unlink(marker.c_str());
        root.write("/tmp/kept", "data");
        if (std::string(r.marker) == "file") root.write("/tmp/pbdownload", "");
        if (std::string(r.marker) == "link") {
            ASSERT_EQ(symlink(root.file("/tmp/kept").c_str(), marker.c_str()), 0);
        }
        const cgi_result res = r.code == "/4027" ? get(r.code, r.text) : post(r.code, r.text);
        EXPECT_EQ(res.out, r.out) << "row at line " << r.line;
        struct stat st;
        EXPECT_EQ(lstat(marker.c_str(), &st) == 0, r.marker_after) << "row at line " << r.line;
        EXPECT_EQ(root.read("/tmp/kept"), "data") << "row at line " << r.line;
        expect_sent(r.want, r.line);
    }
}

}  // namespace
}  // namespace pbtest
