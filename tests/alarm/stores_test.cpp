// What the alarm pages store, as a whole: a change whose writes cannot all
// be stored is answered as a failure, leaves the database as it was and
// tells the core daemon nothing; and a change made while another writer
// holds the same contact keeps that writer's change.
#include <functional>

#include "tests/alarm/alarm_cases.h"
#include "tests/harness/db_faults.h"
#include "tests/harness/db_snapshot.h"

namespace altest {
namespace {

using Stores = AlarmFixture;

const std::string sched = schedule_request({{2, 0, "07:00", "08:00", 1}});

TEST_F(Stores, AChangeThatCannotBeStoredIsAFailureAndTellsNobody) {
    struct row {
        int line;
        const char* code;
        std::string body;
        std::vector<std::string> refused;  // the stores whose writes fail
        std::string out;
    } rows[] = {
        // An output's schedule, record and copies go together.
        {__LINE__,
         "/6022",
         R"({"alarmId": 1, "durationTime": 15, "copyCnt": 1, "copyChn": [2], "dialog": {"effective": )" +
             sched + "}}",
         {"alarm_out"},
         text_failure()},
        {__LINE__,
         "/6022",
         R"({"alarmId": 1, "durationTime": 16, "copyCnt": 1, "copyChn": [2]})",
         {"alarm_out_schedule"},
         text_failure()},
        {__LINE__,
         "/6062",
         R"({"alarm": {"id": 4, "enable": 1, "type": 0, "triChannels": "1"}, "schedule": )" + sched + "}",
         {"alarm_in_schedule"},
         text_failure()},
        {__LINE__, "/6063", R"({"alarm": {"camId": 4, "name": "x"}})", {"alarm_in"}, text_failure()},
        {__LINE__,
         "/6064",
         R"({"alarm": {"id": 4, "enable": 1, "type": 0, "triChannels": "1", "name": "y"}})",
         {"alarm_in"},
         text_failure()},
        // The full input page: header, dialog and copies in one.
        {__LINE__,
         "/6027",
         R"({"alarmId": 4, "name": "z", "dialog": {"interval": 3, "audible": )" + sched +
             R"(}, "copyCnt": 1, "copyChn": [5]})",
         {"alarm_in"},
         json_failure()},
        {__LINE__,
         "/6027",
         R"({"alarmId": 4, "name": "z", "dialog": {"interval": 3, "audible": )" + sched +
             R"(}, "copyCnt": 1, "copyChn": [5]})",
         {"ptz_params"},
         json_failure()},
        {__LINE__,
         "/6025",
         R"({"chnid": 3, "alarmId": 1, "dialog": {"interval": 25}, "alarmCnt": 2, "alarm": [{"alarmName": "Door"}],
             "copyCnt": 1, "copyChn": [10]})",
         {"alarm_chn_in_name0"},
         json_failure()},
        {__LINE__,
         "/6025",
         R"({"chnid": 3, "alarmId": 1, "dialog": {"interval": 25}, "alarmCnt": 2, "alarm": [{"alarmName": "Gate"}],
             "copyCnt": 1, "copyChn": [11]})",
         {"alarm_chn_in0"},
         json_failure()},
        {__LINE__,
         "/6029",
         R"({"chnid": 1, "alarmId": 0, "dialog": {"effective": )" + sched +
             R"(}, "alarmCnt": 2, "alarm": [{"delayTime": 30, "alarmName": "B"}], "copyCnt": 1, "copyChn": [6]})",
         {"alarm_chn_out_name0"},
         json_failure()},
        {__LINE__,
         "/6029",
         R"({"chnid": 1, "alarmId": 0, "alarmCnt": 2, "alarm": [{"delayTime": 31}], "copyCnt": 1, "copyChn": [7]})",
         {"alarm_chnOut_effective_schedule"},
         json_failure()},
    };
    for (const row& r : rows) {
        fresh_case();
        stored_input(4);
        const std::string before = db_snapshot(root);
        {
            refused_writes refused(root, r.refused);
            EXPECT_EQ(post(r.code, r.body).out, r.out) << "row at line " << r.line;
        }
        EXPECT_TRUE(db_snapshot(root) == before) << "row at line " << r.line;
        EXPECT_TRUE(sent().empty()) << "row at line " << r.line << ": " << ids_text(sent());
        // The same request stores its change once the stores take it.
        EXPECT_EQ(post(r.code, r.body).out, text_reply("OK")) << "row at line " << r.line;
        EXPECT_TRUE(db_snapshot(root) != before) << "row at line " << r.line;
    }
}

// Another writer holds a change of the same contact while a request runs:
// the request edits the record as that writer left it.
TEST_F(Stores, ChangesOfOneContactAtOnceKeepEachOther) {
    using change = std::function<void(alarm_in_record&)>;
    struct row {
        int line;
        const char* code;
        std::string body;
        change other;  // the other writer's change, held while the request starts
        change own;    // the request's change
    } rows[] = {
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
    for (const row& r : rows) {
        fresh_case();
        alarm_in_record want = stored_input(4);
        {
            held_change other(
                [&] { return edit_alarm_in(TQDB_FILE, 4, [&](alarm_in_record& a) { r.other(a); }); }, 600);
            EXPECT_EQ(post(r.code, r.body).out, text_reply("OK")) << "row at line " << r.line;
            EXPECT_EQ(other.result(), 0) << "row at line " << r.line;
        }
        r.other(want);
        r.own(want);
        EXPECT_TRUE(same_bytes(input(4), want)) << "row at line " << r.line;
    }

    // The outputs likewise.
    fresh_case();
    {
        held_change other(
            [] {
                return edit_alarm_out(TQDB_FILE, 1, [](alarm_out_record& o) { set_text(o.name, "Bell"); });
            },
            600);
        EXPECT_EQ(post("/6022", R"({"alarmId": 1, "durationTime": 45})").out, text_reply("OK"));
        EXPECT_EQ(other.result(), 0);
    }
    EXPECT_STREQ(output(1).name, "Bell");
    EXPECT_EQ(output(1).duration_time, 45);
}

}  // namespace
}  // namespace altest
