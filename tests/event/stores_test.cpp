// What the event pages store, as a whole: a change whose writes cannot all
// be stored is answered as a failure, leaves the database as it was and
// tells the core daemon nothing; and a change made while another writer
// holds the same record keeps that writer's change.
#include "platform/tqdb/rec_alarm.h"
#include "tests/event/event_cases.h"

namespace evtest {
namespace {

class Stores : public EventTest {
protected:
    // Records and lists for every row to change.
    void seed() {
        seed_motion(2);
        seed_video_loss(2);
        ptz_action ptz[action_list_len] = {};
        ptz[0] = {2, 5, 0, 1, 3, 0, 0};
        ASSERT_EQ(write_ptz_params_all(TQDB_FILE, ptz, 1, 2), 0);
        ptz[0].event_channel = 6;
        ASSERT_EQ(write_ptz_params_all(TQDB_FILE, ptz, 2, 6), 0);
        ptz[0].event_channel = 3;
        ASSERT_EQ(write_ptz_params_all(TQDB_FILE, ptz, 0, 3), 0);
        week_schedule eff = schedule_with({{4, 0, "eff", "", 1}});
        ASSERT_EQ(write_alarmin_effective_schedule(TQDB_FILE, &eff, 1), 0);
    }
};

const std::string sched = schedule_request({{1, 1, "08:00", "09:00", 2}});
const std::string basic =
    R"({"camId": 2, "enable": 0, "sensitivity": 6, "triChannels": "01", "motionTable": "g", "enableMS": 1})";

TEST_F(Stores, AChangeThatCannotBeStoredIsAFailureAndTellsNobody) {
    const unstored_row rows[] = {
        // clang-format off
        {__LINE__, "/6012", basic, {"motion"}, text_failure()},
        {__LINE__, "/6016", R"({"camId": 2, "enable": 0})", {"video_loss"}, text_failure()},
        {__LINE__, "/6013", R"({"camId": 2, "schedule": )" + sched + "}", {"motion_schedule"}, text_failure()},
        // The schedule is not kept when the record fails, nor the record when the schedule does.
        {__LINE__, "/6118", R"({"camId": 2, "enable": 0, "interval": 5, "schedule": )" + sched + "}", {"motion"}, text_failure()},
        {__LINE__, "/6118", R"({"camId": 2, "enable": 0, "interval": 5, "schedule": )" + sched + "}", {"motion_email_schedule"}, text_failure()},
        {__LINE__, "/6017", R"({"camId": 2, "enable": 0, "schedule": )" + sched + "}", {"video_loss"}, text_failure()},
        {__LINE__, "/6170", R"({"camId": 3, "schedule": )" + sched + "}", {"alarmin_effective_schedule"}, text_failure()},
        {__LINE__, "/6113", R"({"camId": 2, "sensitivity": 9, "schedule": )" + sched + "}", {"motion_schedule"}, text_failure()},
        {__LINE__, "/6114", R"({"camId": 2, "sensitivity": 9})", {"motion"}, text_failure()},
        {__LINE__, "/6119", R"({"camId": 2, "type": 2, "triAlarms": 1})", {"motion"}, text_failure()},
        // The action object is stored whole: schedules, lists and record.
        {__LINE__, "/6117", R"({"chnid": 2, "audioId": 7, "audible": )" + sched + "}", {"motion"}, json_failure()},
        {__LINE__, "/6117", R"({"chnid": 2, "audioId": 7, "whiteInfo": [[1, 1, 1]]})", {"wled:motion_white_led_params"}, json_failure()},
        {__LINE__, "/6117", R"({"chnid": 2, "audioId": 7, "white": )" + sched + "}", {"whiteled_esche:motion_whiteled_esche"}, json_failure()},
        // Save and copy: the dialog, the copies and their lists in one.
        {__LINE__, "/6112", R"({"chnid": 2, "dialog": {"audioId": 9, "ptzParams": [{"acto_ptz_channel": 8}]}, "copyCnt": 1, "copyChn": [4]})", {"ptz_params"}, json_failure()},
        {__LINE__, "/6112", R"({"chnid": 2, "dialog": {"audioId": 9}, "sensitivity": 1, "copyCnt": 1, "copyChn": [4]})", {"motion_audible_schedule"}, json_failure()},
        {__LINE__, "/6095", R"({"chnid": 2, "dialog": {"interval": 3}, "copyCnt": 1, "copyChn": [4]})", {"wled:video_loss_white_led_params"}, json_failure()},
        {__LINE__, "/6121", R"({"schedule": )" + sched + R"(, "enable": 0, "cnt": 1, "chnid": [2]})", {"video_loss"}, text_failure()},
        {__LINE__, "/6123", R"({"cnt": 1, "chnid": [2], "triAlarms": 3})", {"video_loss"}, text_failure()},
        {__LINE__, "/6125", R"({"schedule": )" + sched + R"(, "enable": 1, "interval": 9, "cnt": 1, "chnid": [3]})", {"alarm_in"}, text_failure()},
        {__LINE__, "/6127", R"({"camId": 1, "type": 1, "cnt": 1, "chnid": [3], "triAlarms": 4})", {"alarm_in"}, text_failure()},
        {__LINE__, "/6160", R"({"type": 1, "chn_id": 2, "acto_ptz_channel": 9, "acto_ptz_type": 1})", {"ptz_params"}, text_failure()},
        {__LINE__, "/6162", R"({"type": 1, "chn_id": 2, "acto_ptz_channel": 5})", {"ptz_params"}, text_failure()},
        {__LINE__, "/6163", R"({"type": 1, "chn_id": 2, "old_chn_id": 5, "acto_ptz_channel": 6})", {"ptz_params"}, text_failure()},
        {__LINE__, "/6164", R"({"type": 1, "chn_id": 2, "ptzChannel": [7, 5]})", {"ptz_params"}, text_failure()},
        {__LINE__, "/6165", R"({"camId": 6, "cnt": 1, "chnid": [10], "schedule": )" + sched + "}", {"videoloss_ptz_schedule"}, text_failure()},
        {__LINE__, "/6167", R"({"camId": 3, "cnt": 1, "chnid": [9]})", {"ptz_params"}, text_failure()},
        // clang-format on
    };
    for (const unstored_row& r : rows) {
        seed();
        expect_unstored(r);
    }
}

// Another writer holds a change of the same record while a request runs: the
// request edits the record as that writer left it, so neither change is lost.
TEST_F(Stores, ChangesOfOneRecordAtOnceKeepEachOther) {
    const held_row<motion_record> rows[] = {
        {__LINE__, "/6012", basic, [](motion_record& m) { m.email_interval = 99; },
         [](motion_record& m) {
             m.enable = 0;
             m.sensitivity = 6;
             set_text(m.tri_channels, "01");
             m.tri_channels_mask = 2;
             set_text(m.motion_table, "g");
             m.enable_ms = 1;
         }},
        {__LINE__, "/6117", R"({"chnid": 2, "audioId": 8})", [](motion_record& m) { m.sensitivity = 1; },
         [](motion_record& m) { m.audio_id = 8; }},
        {__LINE__, "/6114", R"({"camId": 2, "interval": 70})", [](motion_record& m) { m.audio_id = 1; },
         [](motion_record& m) { m.interval = 70; }},
        {__LINE__, "/6118", R"({"camId": 2, "interval": 5})", [](motion_record& m) { m.ptz_interval = 4; },
         [](motion_record& m) { m.email_interval = 5; }},
    };
    for (const held_row<motion_record>& r : rows) expect_both_kept(r, tqdb_tbl_motion, 2, seed_motion(2));
}

}  // namespace
}  // namespace evtest
