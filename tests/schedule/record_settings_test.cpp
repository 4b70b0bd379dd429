// Record settings ("/6044", "/6045") with the ANR switch, ANR support
// ("/6046") and recording streams ("/6047"), end to end through webreq.
#include "platform/msg_schedule.h"
#include "platform/tqdb/rec_camera.h"
#include "platform/tqdb/rec_record.h"
#include "tests/harness/db_faults.h"
#include "tests/harness/exchange_case.h"

namespace {

using RecordSettings = xcase::exchange_case;
using RecordQueries = xcase::exchange_case;

camera_record camera_of(int chn) {
    camera_record cam;
    EXPECT_EQ(load_camera(TQDB_FILE, &cam, chn), 0) << chn;
    return cam;
}

void set_camera(int chn, int enable, int protocol, int poe, int anr, int stream = 0) {
    camera_record cam = camera_of(chn);
    cam.enable = enable;
    cam.protocol = protocol;
    cam.poe_channel = poe;
    cam.anr = anr;
    cam.record_stream = stream;
    ASSERT_EQ(write_camera(TQDB_FILE, &cam), 0);
}

record_row row_of(int chn) {
    record_row row;
    EXPECT_EQ(load_record(TQDB_FILE, &row, chn), 0) << chn;
    return row;
}

std::string settings(const std::string& chnid, int cnt, int anr, int stream = 1) {
    return "{\"cnt\": " + std::to_string(cnt) + ", \"chnid\": " + chnid + ", \"camAnr\": " + std::to_string(anr) +
           ", \"prevRecordOn\": 1, \"prevRecordDuration\": 10, \"postRecordOn\": 1, "
           "\"postRecordDuration\": 60, \"audioEnable\": 1, \"recordExpDate\": 30, "
           "\"recordStreamType\": " + std::to_string(stream) + "}";
}

TEST_F(RecordSettings, AChannelsSettingsComeFromItsRowAndItsCamera) {
    record_row row = row_of(9);
    row.prev_record_on = 1;
    row.prev_record_duration = 5;
    row.post_record_on = 1;
    row.post_record_duration = 120;
    row.audio_enable = 1;
    row.record_exp_date = 7;
    ASSERT_EQ(write_record(TQDB_FILE, &row), 0);
    set_camera(9, 1, 1, 4, 1, 2);
    EXPECT_EQ(cgi_get(root, "/6044", "9").out,
              json_reply("{ \"id\": 9, \"prevRecordOn\": 1, \"prevRecordDuration\": 5, \"postRecordOn\": 1, "
                         "\"postRecordDuration\": 120, \"audioEnable\": 1, \"recordStreamType\": 2, "
                         "\"recordExpDate\": 7, \"cameraAnr\": 1, \"camEnable\": 1, \"camProtocol\": 1, "
                         "\"poeChannel\": 4 }"));
    for (const char* text : {"64", "-1", "x", ""}) EXPECT_EQ(cgi_get(root, "/6044", text).out, "") << text;
    EXPECT_TRUE(sent().empty());
}

TEST_F(RecordSettings, AnrGoesOnOnlyForEnabledNonPoeNonRtspCameras) {
    set_camera(0, 1, 0, 0, 0, 1);  // switched on
    set_camera(1, 1, 0, 3, 0);     // PoE: skipped
    set_camera(2, 1, 1, 0, 0);     // RTSP: skipped
    set_camera(3, 0, 0, 0, 0);     // disabled: skipped
    set_camera(4, 1, 0, 0, 1);     // already on: not listed
    set_camera(6, 1, 2, 0, 0);     // another protocol: switched on
    set_camera(10, 1, 0, 0, 0);    // not listed: untouched
    record_row keep = row_of(0);
    keep.mode = 2;
    ASSERT_EQ(write_record(TQDB_FILE, &keep), 0);
    // The default answer: every listed camera switched.
    EXPECT_EQ(post("/6045", settings("[0, 1, 2, 3, 4, 6, 70, 0]", 8, 1)).out, json_reply("{ \"resp\": 0 }"));

    for (int chn : {0, 1, 2, 3, 4, 6}) {
        record_row row = row_of(chn);
        EXPECT_EQ(row.prev_record_on, 1) << chn;
        EXPECT_EQ(row.prev_record_duration, 10) << chn;
        EXPECT_EQ(row.post_record_on, 1) << chn;
        EXPECT_EQ(row.post_record_duration, 60) << chn;
        EXPECT_EQ(row.audio_enable, 1) << chn;
        EXPECT_EQ(row.record_exp_date, 30) << chn;
        EXPECT_EQ(camera_of(chn).record_stream, 1) << chn;
    }
    EXPECT_EQ(row_of(0).mode, 2);
    EXPECT_EQ(row_of(10).post_record_duration, 0);
    EXPECT_EQ(camera_of(10).record_stream, 0);
    const int anr_after[] = {1, 0, 0, 0, 1, 0, 1};
    for (int chn : {0, 1, 2, 3, 4, 6}) EXPECT_EQ(camera_of(chn).anr, anr_after[chn]) << chn;
    EXPECT_EQ(camera_of(10).anr, 0);

    auto msgs = sent(3);
    ASSERT_EQ(msgs.size(), 3u);
    EXPECT_EQ(msgs[0].id, 1310);
    ASSERT_EQ(msgs[0].payload.size(), 260u);
    EXPECT_EQ(int_at(msgs[0].payload, 256), 6);  // a repeated channel is listed once
    const int changed[] = {0, 1, 2, 3, 4, 6};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(int_at(msgs[0].payload, 4 * i), changed[i]) << i;
    EXPECT_EQ(oplog_of(msgs[1]).parameter_type, 906);
    EXPECT_EQ(msgs[2].id, 2285);
    ASSERT_EQ(msgs[2].payload.size(), 264u);
    EXPECT_EQ(int_at(msgs[2].payload, 0), 0);
    EXPECT_EQ(int_at(msgs[2].payload, 4), 6);
    EXPECT_EQ(int_at(msgs[2].payload, 256), 2);
    EXPECT_EQ(int_at(msgs[2].payload, 260), 1);
}

TEST_F(RecordSettings, AnrGoesOffForEveryListedCameraThatHasIt) {
    set_camera(1, 1, 0, 3, 1);  // PoE
    set_camera(2, 0, 1, 0, 1);  // disabled RTSP
    set_camera(3, 1, 0, 0, 0);  // already off
    EXPECT_EQ(post("/6045", settings("[1, 2, 3]", 3, 0)).out, json_reply("{ \"resp\": 0 }"));
    for (int chn : {1, 2, 3}) EXPECT_EQ(camera_of(chn).anr, 0) << chn;
    auto anr = core.messages(2285);
    ASSERT_EQ(anr.size(), 1u);
    EXPECT_EQ(int_at(anr[0].payload, 0), 1);
    EXPECT_EQ(int_at(anr[0].payload, 4), 2);
    EXPECT_EQ(int_at(anr[0].payload, 256), 2);
    EXPECT_EQ(int_at(anr[0].payload, 260), 0);
}

TEST_F(RecordSettings, TheAnrReplyReportsAFailureOfAnyCamera) {
    set_camera(0, 1, 0, 0, 0);
    struct row {
        int line;
        int32_t anr, count;
        std::vector<std::pair<int, int32_t>> results;  // index, result word
        size_t size;
        std::string reply;
    } rows[] = {
        {__LINE__, 1, 1, {{0, 5}}, 520, "{ \"resp\": -1 }"},  // one failed camera is a failure
        {__LINE__, 1, 2, {{1, 1}}, 520, "{ \"resp\": -1 }"},
        {__LINE__, 1, 2, {}, 520, "{ \"resp\": 0 }"},
        {__LINE__, 1, 0, {{0, 5}}, 520, "{ \"resp\": 0 }"},   // beyond the count
        {__LINE__, 1, 1, {{1, 5}}, 520, "{ \"resp\": 0 }"},
        {__LINE__, 0, 2, {{0, 5}}, 520, "{ \"resp\": 0 }"},   // switching off
        {__LINE__, 1, 100000, {{63, 1}}, 520, "{ \"resp\": -1 }"},  // count clamped to 64
        {__LINE__, 1, 100000, {}, 520, "{ \"resp\": 0 }"},
        {__LINE__, 1, -4, {{0, 1}}, 520, "{ \"resp\": 0 }"},
        {__LINE__, 1, 1, {{0, 5}}, 519, "{status:\"CGI ERROR\"}"},  // short: as no reply
    };
    for (const auto& r : rows) {
        anr_switch_reply reply;
        std::memset(&reply, 0, sizeof reply);
        reply.anr = r.anr;
        reply.count = r.count;
        for (auto [i, v] : r.results) reply.result[i] = v;
        coresim::bytes payload = bytes_of(reply);
        payload.resize(r.size);
        core.clear_rules();
        core.add_reply(2285, 0, payload);
        EXPECT_EQ(post("/6045", settings("[0]", 1, 1)).out, json_reply(r.reply)) << "row at line " << r.line;
    }
}

TEST_F(RecordSettings, WithoutAnAnswerTheReplyIsTheJsonError) {
    coresim::rule silent;
    silent.id = 2285;
    silent.replies.resize(1);
    silent.replies[0].mode = coresim::fault::no_answer;
    core.add_rule(silent);
    EXPECT_EQ(post("/6045", settings("[5]", 1, 0)).out, json_reply("{status:\"CGI ERROR\"}"));
    EXPECT_EQ(row_of(5).post_record_duration, 60);  // stored before the wait
}

TEST_F(RecordSettings, InvalidSettingsGetNoReplyAndChangeNothing) {
    std::vector<uint8_t> before = stored_rows(tqdb_tbl_record);
    const std::string valid = settings("[0]", 1, 1);
    auto with = [&](const std::string& key, const std::string& value) {
        std::string body = valid;
        size_t at = body.find("\"" + key + "\": ");
        size_t start = at + key.size() + 4;
        size_t end = body.find_first_of(",}", start);
        return body.substr(0, start) + value + body.substr(end);
    };
    auto without = [&](const std::string& key) {
        std::string body = valid;
        size_t at = body.find("\"" + key + "\": ");
        size_t end = body.find_first_of(",}", at);
        if (body[end] == ',') ++end;
        return body.substr(0, at) + body.substr(end);
    };
    const std::string bodies[] = {
        without("cnt"), without("chnid"), without("camAnr"), with("chnid", "0"),
        with("prevRecordOn", "2"), with("prevRecordDuration", "-1"), with("postRecordOn", "-1"),
        with("audioEnable", "2"), with("recordStreamType", "3"), with("recordStreamType", "-1"),
        "cnt=1", "[]",
    };
    for (const auto& body : bodies) EXPECT_EQ(post("/6045", body).out, "") << body;
    EXPECT_EQ(stored_rows(tqdb_tbl_record), before);
    EXPECT_EQ(camera_of(0).anr, 0);
    EXPECT_TRUE(sent().empty());
}

TEST_F(RecordQueries, AnrSupportAsksForTheChannelAndRepliesWhatTheCoreSays) {
    anr_support_reply reply{3, 1};
    core.add_reply(2286, 0, bytes_of(reply));
    EXPECT_EQ(cgi_get(root, "/6046", "3").out, json_reply("{ \"chnid\": 3, \"support\": 1 }"));
    auto msgs = sent(1);
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_EQ(msgs[0].id, 2286);
    EXPECT_EQ(msgs[0].payload, coresim::bytes({3, 0, 0, 0}));

    core.clear_rules();
    core.add_reply(2286, 0, coresim::bytes(7, 0));  // short
    EXPECT_EQ(cgi_get(root, "/6046", "3").out, json_reply("{status:\"CGI ERROR\"}"));

    core.clear_journal();
    for (const char* text : {"64", "-1", "", "ch3"}) EXPECT_EQ(cgi_get(root, "/6046", text).out, "") << text;
    EXPECT_TRUE(sent().empty());
}

TEST_F(RecordQueries, RecordingStreamsListTheReportedSizeClampedToTheArrays) {
    struct row {
        int line;
        int32_t size;
        size_t payload_size;
        size_t listed;  // -1: the JSON error
    } rows[] = {
        {__LINE__, 3, 516, 3},
        {__LINE__, 0, 516, 0},
        {__LINE__, 64, 516, 64},
        {__LINE__, 5000, 516, 64},
        {__LINE__, -2, 516, 0},
        {__LINE__, 3, 515, SIZE_MAX},
    };
    for (const auto& r : rows) {
        record_streams_reply reply;
        std::memset(&reply, 0, sizeof reply);
        for (int i = 0; i < 64; ++i) {
            reply.primary[i] = 100 + i;
            reply.secondary[i] = 200 + i;
        }
        reply.size = r.size;
        coresim::bytes payload = bytes_of(reply);
        payload.resize(r.payload_size);
        core.clear_rules();
        core.add_reply(3218, 0, payload);
        cgi_result res = cgi_get(root, "/6047");
        if (r.listed == SIZE_MAX) {
            EXPECT_EQ(res.out, json_reply("{status:\"CGI ERROR\"}")) << "row at line " << r.line;
            continue;
        }
        std::string primary = "[", secondary = "[";
        for (size_t i = 0; i < r.listed; ++i) {
            primary += (i ? ", " : " ") + std::to_string(100 + i);
            secondary += (i ? ", " : " ") + std::to_string(200 + i);
        }
        EXPECT_EQ(res.out, json_reply("{ \"primary\": " + primary + " ], \"secondary\": " + secondary +
                                      " ], \"size\": " + std::to_string(r.listed) + " }"))
            << "row at line " << r.line;
    }
    auto msgs = sent(6);
    ASSERT_EQ(msgs.size(), 6u);
    for (const auto& m : msgs) {
        EXPECT_EQ(m.id, 3218);
        EXPECT_TRUE(m.payload.empty());
    }
}

}  // namespace
