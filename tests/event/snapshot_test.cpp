// Timed snapshots, the camera alarm input, sound detection and the trigger
// table end to end: what is stored, the messages sent, what the getters
// answer, refusals and failed stores.
#include "platform/tqdb/rec_snapshot.h"
#include "platform/tqdb/rec_system.h"
#include "tests/harness/event_forms.h"
#include "tests/harness/store_case.h"

namespace xcase {
namespace {

using namespace evforms;

class Snapshots : public store_case {};

// The channel list of messages 1311 and 1312.
bytes channel_list(std::initializer_list<int32_t> channels) {
    record r(260);
    size_t i = 0;
    for (int32_t c : channels) r.i32(4 * i++, c);
    r.i32(256, static_cast<int32_t>(channels.size()));
    return r;
}

// Message 1313: the action and the flags of the channels.
bytes command(int32_t action, std::initializer_list<int32_t> channels) {
    record r(260);
    r.i32(0, action);
    for (int32_t c : channels) r.i32(4 + 4 * static_cast<size_t>(c), 1);
    return r;
}

TEST_F(Snapshots, SchedulesAndSettingsGoToTheListedChannels) {
    const std::string sched = schedule_request({{1, 0, "08:00", "09:00", 1}});
    struct row {
        int line;
        std::string code, body;
        std::vector<msg> want;
        std::vector<int> stored;  // channels whose schedule / settings now hold the request's
        std::vector<int> untouched;
    };
    const row rows[] = {
        // A channel listed twice is listed twice.
        {__LINE__,
         "/6175",
         R"({"cnt":2,"chnid":[2,2],"schedule":)" + sched + "}",
         {{1312, channel_list({2, 2})}},
         {2},
         {0, 3}},
        {__LINE__,
         "/6175",
         R"({"cnt":3,"chnid":[64,-1,5,6],"schedule":)" + sched + "}",
         {{1312, channel_list({5})}},
         {5},
         {6, 0}},
        {__LINE__,
         "/6177",
         R"({"resolution":2,"quality":3,"interval":4,"interval_unit":1,"expiration_date":7,"cnt":2,"chnid":[9,63]})",
         {{1311, channel_list({9, 63})}},
         {9, 63},
         {0, 10}},
        {__LINE__,
         "/6177",
         R"({"resolution":2,"quality":3,"interval":4,"cnt":1,"chnid":[70]})",
         {{1311, channel_list({})}},
         {},
         {0}},
    };
    const week_schedule want_sched = schedule_with({{1, 0, "08:00", "09:00", 1}});
    for (const row& r : rows) {
        fresh_case();
        EXPECT_EQ(post(r.code, r.body).out, text_reply("OK")) << "row at line " << r.line;
        expect_sent(r.want, r.line);
        for (int chn : r.stored) {
            if (r.code == "/6175") {
                week_schedule got = stored_schedule(SCHED_SNAPSHOT, chn);
                EXPECT_TRUE(same_bytes(got, want_sched)) << "row at line " << r.line << ", channel " << chn;
            } else {
                auto got = read_back<snapshot_record>(tqdb_tbl_snapshot, chn);
                EXPECT_EQ(got.channel, chn) << "row at line " << r.line;
                EXPECT_EQ(got.resolution, 2) << "row at line " << r.line;
                EXPECT_EQ(got.expiration_date, 7) << "row at line " << r.line;
            }
        }
        for (int chn : r.untouched) {
            if (r.code == "/6175") {
                week_schedule got = stored_schedule(SCHED_SNAPSHOT, chn);
                EXPECT_FALSE(same_bytes(got, want_sched)) << "row at line " << r.line << ", channel " << chn;
            } else {
                EXPECT_EQ(read_back<snapshot_record>(tqdb_tbl_snapshot, chn).resolution, 0)
                    << "row at line " << r.line;
            }
        }
    }
    // The getters read what was stored; a channel outside 0..63 gets nothing.
    EXPECT_EQ(post("/6176", "9").out, json_reply(R"({ "resolution": 2, "quality": 3, "interval": 4, )"
                                                 R"("interval_unit": 1, "expiration_date": 7 })"));
    EXPECT_EQ(post("/6174", "2").out, json_reply(schedule_json({{1, 0, "08:00", "09:00", 1}})));
    EXPECT_EQ(post("/6174", "64").out, "");
    EXPECT_EQ(post("/6176", "64").out, "");
    EXPECT_EQ(post("/6176", "-1").out, "");
}

TEST_F(Snapshots, ManualStartAndStop) {
    struct row {
        int line;
        std::string body;
        std::vector<msg> want;
    };
    const row rows[] = {
        {__LINE__,
         R"({"snapshotCnt":2,"snapshotChnId":[1,63,5],"stopCnt":1,"stopChnId":[4]})",
         {{1313, command(1, {1, 63})}, {1313, command(0, {4})}}},
        {__LINE__, R"({"snapshotCnt":0,"snapshotChnId":[1],"stopCnt":0,"stopChnId":[4]})", {}},
        {__LINE__, R"({"stopCnt":3,"stopChnId":[64,-2,0]})", {{1313, command(0, {0})}}},
    };
    for (const row& r : rows) {
        fresh_case();
        EXPECT_EQ(post("/6178", r.body).out, text_reply("OK")) << "row at line " << r.line;
        expect_sent(r.want, r.line);
    }
}

// ---- the camera alarm input and sound detection ------------------------------------

const std::string sound_members = R"(,"volume":40,"duration":5,"onEvent":1,"offEvent":0,"ongoingEvent":1)";

TEST_F(Snapshots, CameraTriggersAreMirroredThenSentAndLogged) {
    const std::string long_text = std::string(31, '0') + "1" + std::string(48, '1');  // 80 characters
    struct row {
        int line;
        std::string code, body;
        std::string out;
        std::vector<msg> want;
        const tqdb_table* table;
    };
    const row rows[] = {
        {__LINE__,
         "/6091",
         R"({"camId":6,"enable":1,"type":2,"triActions":9,"triChannels":")" + long_text + "\"}",
         text_reply("OK"),
         {{3214, int_bytes({6, 1, 2})}, {3485, oplog(204, 923, 7)}},
         &tqdb_tbl_cameraio},
        {__LINE__,
         "/6093",
         R"({"camId":6,"enable":1,"type":2,"triActions":9,"triChannels":")" + long_text + "\"" +
             sound_members + "}",
         text_reply("OK"),
         {{3216, int_bytes({6, 1, 2, 40, 5, 1, 0, 1})}, {3485, oplog(204, 924, 7)}},
         &tqdb_tbl_volumedetect},
        // Refused: no reply, nothing stored or sent.
        {__LINE__,
         "/6091",
         R"({"camId":64,"enable":1,"type":2,"triActions":9,"triChannels":"1"})",
         "",
         {},
         &tqdb_tbl_cameraio},
        {__LINE__,
         "/6091",
         R"({"camId":6,"enable":2,"type":2,"triActions":9,"triChannels":"1"})",
         "",
         {},
         &tqdb_tbl_cameraio},
        {__LINE__,
         "/6091",
         R"({"camId":6,"enable":1,"type":-1,"triActions":9,"triChannels":"1"})",
         "",
         {},
         &tqdb_tbl_cameraio},
        {__LINE__,
         "/6091",
         R"({"camId":6,"enable":1,"type":2,"triChannels":"1"})",
         "",
         {},
         &tqdb_tbl_cameraio},
        {__LINE__,
         "/6093",
         R"({"camId":6,"enable":1,"type":2,"triActions":9,"triChannels":"1"})",
         "",
         {},
         &tqdb_tbl_volumedetect},
        {__LINE__,
         "/6093",
         R"({"camId":6,"enable":1,"type":2,"triActions":9,"triChannels":"1")" + sound_members +
             R"(,"duration":-1})",
         "",
         {},
         &tqdb_tbl_volumedetect},
        {__LINE__, "/6093", "{", "", {}, &tqdb_tbl_volumedetect},
    };
    for (const row& r : rows) {
        fresh_case();
        const std::string before = db_snapshot(root);
        EXPECT_EQ(post(r.code, r.body).out, r.out) << "row at line " << r.line;
        expect_sent(r.want, r.line);
        if (r.want.empty()) {
            EXPECT_TRUE(db_snapshot(root) == before) << "row at line " << r.line;
            continue;
        }
        auto rec = read_back<cam_trigger_record>(*r.table, 6);
        EXPECT_EQ(rec.cam_id, 6) << "row at line " << r.line;
        EXPECT_EQ(rec.enable, 1) << "row at line " << r.line;
        EXPECT_EQ(rec.tri_actions, 9) << "row at line " << r.line;
        EXPECT_EQ(std::string(rec.tri_channels), long_text.substr(0, 64)) << "row at line " << r.line;
        EXPECT_EQ(rec.tri_channels_mask, 0x80000000u) << "row at line " << r.line;
    }
}

TEST_F(Snapshots, CameraTriggersAreReadFromTheCamera) {
    record io(92);
    io.i32(0, 99).i32(4, 6).i32(8, 1).i32(12, 2).i32(16, 9).i32(20, 77).text(24, "0101");
    record sound(112);
    sound.i32(4, 6).i32(8, 1).i32(12, 2).i32(16, 40).i32(20, 5).i32(24, 1).i32(28, 0).i32(32, 1).i32(36, 9);
    sound.fill(44, 65, '1').fill(109, 3, 'x');  // no terminator: the text ends with its field
    struct row {
        int line;
        std::string code, body;
        int32_t msg_id;  // 0: nothing sent
        bool silent;
        bytes answer_bytes;
        std::string out;
    };
    const row rows[] = {
        {__LINE__, "/6090", "6", 3213, false, io,
         json_reply(R"({ "camId": 6, "enable": 1, "type": 2, "triActions": 9, "triChannels": "0101" })")},
        {__LINE__, "/6092", "6", 3215, false, sound,
         json_reply(R"({ "camId": 6, "enable": 1, "type": 2, "volume": 40, "duration": 5, "onEvent": 1, )"
                    R"("offEvent": 0, "ongoingEvent": 1, "triActions": 9, "triChannels": ")" +
                    std::string(65, '1') + "\" }")},
        {__LINE__, "/6090", "6", 3213, true, {}, json_failure()},
        {__LINE__, "/6092", "6", 3215, false, record(111), json_failure()},
        {__LINE__, "/6090", "64", 0, false, {}, ""},
        {__LINE__, "/6092", "x", 0, false, {}, ""},
    };
    for (const row& r : rows) {
        fresh_case();
        if (r.silent)
            answer_nothing(r.msg_id);
        else if (r.msg_id)
            answer(r.msg_id, r.answer_bytes);
        EXPECT_EQ(post(r.code, r.body).out, r.out) << "row at line " << r.line;
        if (r.msg_id)
            expect_sent({{r.msg_id, int_bytes({6})}}, r.line);
        else
            EXPECT_TRUE(sent().empty()) << "row at line " << r.line;
    }
}

// ---- the trigger table ------------------------------------------------------------

TEST_F(Snapshots, TheTriggerTableIsStoredAndReadBack) {
    trigger_alarms_record seeded = {{0, 0, 0, 0, 0, 0, 66}};
    ASSERT_EQ(write_trigger_alarms(TQDB_FILE, &seeded), 0);
    for (int slot : {1, 3}) {
        alarm_audio_file_record file = {};
        file.id = slot;
        file.enable = 1;
        ASSERT_EQ(write_alarm_audio_file(TQDB_FILE, &file), 0);
    }

    struct row {
        int line;
        std::string body;
        std::string out;
        std::vector<msg> want;
        std::string read;  // /6999 afterwards
    };
    const row rows[] = {
        // "6" is optional: when absent the stored value stays.
        {__LINE__,
         R"({"0":1,"1":2,"2":3,"3":4,"4":5,"5":6})",
         json_reply("{ }"),
         {{2104, {}}},
         "[ 1, 2, 3, 4, 5, 6, 66, 10 ]"},
        {__LINE__,
         R"({"0":1,"1":2,"2":3,"3":4,"4":5,"5":6,"6":7})",
         json_reply("{ }"),
         {{2104, {}}},
         "[ 1, 2, 3, 4, 5, 6, 7, 10 ]"},
        {__LINE__, R"({"0":9,"1":9,"2":9,"3":9,"4":9})", "", {}, "[ 1, 2, 3, 4, 5, 6, 7, 10 ]"},
        {__LINE__, "[1,2]", "", {}, "[ 1, 2, 3, 4, 5, 6, 7, 10 ]"},
    };
    for (const row& r : rows) {
        fresh_case();
        EXPECT_EQ(post("/6998", r.body).out, r.out) << "row at line " << r.line;
        expect_sent(r.want, r.line);
        EXPECT_EQ(post("/6999", "").out, json_reply(r.read)) << "row at line " << r.line;
    }
}

TEST_F(Snapshots, AChangeThatCannotBeStoredIsAFailureAndTellsNobody) {
    const std::string sched = schedule_request({{1, 0, "08:00", "09:00", 1}});
    const unstored_row rows[] = {
        {__LINE__,
         "/6175",
         R"({"cnt":1,"chnid":[2],"schedule":)" + sched + "}",
         {SCHED_SNAPSHOT},
         text_failure()},
        {__LINE__, "/6177", R"({"quality":3,"cnt":1,"chnid":[2]})", {"snapshot"}, text_failure()},
        {__LINE__,
         "/6091",
         R"({"camId":6,"enable":1,"type":2,"triActions":9,"triChannels":"1"})",
         {"cameraio"},
         text_failure()},
        {__LINE__,
         "/6093",
         R"({"camId":6,"enable":1,"type":2,"triActions":9,"triChannels":"1")" + sound_members + "}",
         {"volumedetect"},
         text_failure()},
        {__LINE__, "/6998", R"({"0":1,"1":2,"2":3,"3":4,"4":5,"5":6})", {"trigger_alarms"}, json_failure()},
    };
    for (const unstored_row& r : rows) expect_unstored(r);
}

}  // namespace
}  // namespace xcase
