// What the alarm pages store, as a whole: a change whose writes cannot all
// be stored is answered as a failure, leaves the database as it was and
// tells the core daemon nothing; and a change made while another writer
// holds the same contact keeps that writer's change.
#include "tests/alarm/alarm_cases.h"

namespace altest {
namespace {

using Stores = AlarmFixture;

const std::string sched = schedule_request({{2, 0, "07:00", "08:00", 1}});
const std::string full_input = R"({"alarmId": 4, "name": "z", "dialog": {"interval": 3, "audible": )" +
                               sched + R"(}, "copyCnt": 1, "copyChn": [5]})";

TEST_F(Stores, AChangeThatCannotBeStoredIsAFailureAndTellsNobody) {
    const unstored_row rows[] = {
        // clang-format off
        // An output's schedule, record and copies go together.
        {__LINE__, "/6022", R"({"alarmId": 1, "durationTime": 15, "copyCnt": 1, "copyChn": [2], "dialog": {"effective": )" + sched + "}}", {"alarm_out"}, text_failure()},
        {__LINE__, "/6022", R"({"alarmId": 1, "durationTime": 16, "copyCnt": 1, "copyChn": [2]})", {"alarm_out_schedule"}, text_failure()},
        {__LINE__, "/6062", R"({"alarm": {"id": 4, "enable": 1, "type": 0, "triChannels": "1"}, "schedule": )" + sched + "}", {"alarm_in_schedule"}, text_failure()},
        {__LINE__, "/6063", R"({"alarm": {"camId": 4, "name": "x"}})", {"alarm_in"}, text_failure()},
        {__LINE__, "/6064", R"({"alarm": {"id": 4, "enable": 1, "type": 0, "triChannels": "1", "name": "y"}})", {"alarm_in"}, text_failure()},
        // The full input page: header, dialog and copies in one.
        {__LINE__, "/6027", full_input, {"alarm_in"}, json_failure()},
        {__LINE__, "/6027", full_input, {"ptz_params"}, json_failure()},
        // A camera's contacts: dialog, names and copies in one.
        {__LINE__, "/6025", R"({"chnid": 3, "alarmId": 1, "dialog": {"interval": 25}, "alarmCnt": 2, "alarm": [{"alarmName": "Door"}], "copyCnt": 1, "copyChn": [10]})", {"alarm_chn_in_name0"}, json_failure()},
        {__LINE__, "/6025", R"({"chnid": 3, "alarmId": 1, "dialog": {"interval": 25}, "alarmCnt": 2, "alarm": [{"alarmName": "Gate"}], "copyCnt": 1, "copyChn": [11]})", {"alarm_chn_in0"}, json_failure()},
        {__LINE__, "/6029", R"({"chnid": 1, "alarmId": 0, "dialog": {"effective": )" + sched + R"(}, "alarmCnt": 2, "alarm": [{"delayTime": 30, "alarmName": "B"}], "copyCnt": 1, "copyChn": [6]})", {"alarm_chn_out_name0"}, json_failure()},
        {__LINE__, "/6029", R"({"chnid": 1, "alarmId": 0, "alarmCnt": 2, "alarm": [{"delayTime": 31}], "copyCnt": 1, "copyChn": [7]})", {"alarm_chnOut_effective_schedule"}, json_failure()},
        // clang-format on
    };
    for (const unstored_row& r : rows) {
        stored_input(4);
        expect_unstored(r);
    }
}

// Another writer holds a change of the same contact while a request runs:
// the request edits the record as that writer left it.
TEST_F(Stores, ChangesOfOneContactAtOnceKeepEachOther) {
    const held_row<alarm_in_record> rows[] = {
        {__LINE__, "/6064",
         R"({"alarm": {"id": 4, "enable": 1, "type": 1, "triChannels": "0110", "name": "Gate"}})",
         [](alarm_in_record& r) { r.audio_id = 9; }, [](alarm_in_record& r) { set_text(r.name, "Gate"); }},
        {__LINE__, "/6063", R"({"alarm": {"camId": 4, "name": "Hall"}})",
         [](alarm_in_record& r) { r.interval = 2; }, [](alarm_in_record& r) { set_text(r.name, "Hall"); }},
        {__LINE__, "/6027", R"({"alarmId": 4, "dialog": {"interval": 40}})",
         [](alarm_in_record& r) { set_text(r.tri_channels_pic, "0001"); },
         [](alarm_in_record& r) {
             r.interval = 40;
             r.enable = 2;
         }},
    };
    for (const held_row<alarm_in_record>& r : rows)
        expect_both_kept(r, tqdb_tbl_alarm_in, 4, stored_input(4));

    // The outputs likewise.
    expect_both_kept<alarm_out_record>({__LINE__, "/6022", R"({"alarmId": 1, "durationTime": 45})",
                                        [](alarm_out_record& o) { set_text(o.name, "Bell"); },
                                        [](alarm_out_record& o) { o.duration_time = 45; }},
                                       tqdb_tbl_alarm_out, 1, output(1));
}

}  // namespace
}  // namespace altest
