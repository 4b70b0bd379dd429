// The recorder's alarm outputs end to end: one output with its schedule,
// the edit with its copy to other outputs, and what the core and the log
// receive.
#include "platform/msg_alarm.h"
#include "tests/alarm/alarm_cases.h"

namespace altest {
namespace {

using Outputs = AlarmFixture;

void store_output(int id, const char* name, int type, int enable, int duration) {
    alarm_out_record out{};
    out.id = id;
    set_text(out.name, name);
    out.type = type;
    out.enable = enable;
    out.duration_time = duration;
    ASSERT_EQ(write_alarm_out(TQDB_FILE, &out), 0);
}

TEST_F(Outputs, OneOutputWithItsSchedule) {
    store_output(1, "Siren", 1, 1, 20);
    week_schedule sched = schedule_with({{0, 0, "08:00", "18:00", 1}, {7, 0, "00:00", "23:59", 2}});
    ASSERT_EQ(write_alarm_out_schedule(TQDB_FILE, &sched, 1), 0);
    json_ref obj = json_body(post("/6021", R"({"alarmId": 1})"));
    ASSERT_TRUE(obj);
    const std::string head = R"({ "id": 1, "name": "Siren", "type": 1, "enable": 1, "durationTime": 20, "effective": [ )";
    EXPECT_EQ(std::string(json_object_to_json_string(obj.get())).substr(0, head.size()), head);
    EXPECT_EQ(first_slots(req_member(obj, "effective")),
              "08:00-18:00/1 -/0 -/0 -/0 -/0 -/0 -/0 00:00-23:59/2");

    for (const char* body : {R"({"alarmId": 4})", R"({"alarmId": -1})", R"({"id": 1})", "alarmId=1", ""})
        EXPECT_EQ(post("/6021", body).out, json_reply("{status:\"CGI ERROR\"}")) << body;
    EXPECT_TRUE(sent().empty());
}

TEST_F(Outputs, EditCopiesToTheListedOutputsOnly) {
    for (int id = 0; id < 4; ++id) store_output(id, ("out" + std::to_string(id)).c_str(), 0, 0, 5);
    week_schedule old_sched = schedule_with({{1, 1, "01:00", "02:00", 1}});
    for (int id = 0; id < 4; ++id) ASSERT_EQ(write_alarm_out_schedule(TQDB_FILE, &old_sched, id), 0);

    // Output 0 itself and the numbers outside 0..3 in the list are skipped.
    cgi_result res = cgi_post_json(
        root, "/6022",
        R"({"alarmId": 0, "name": "Hall", "type": 1, "durationTime": 60, "enable": 1, "copyCnt": 4, "copyChn": [0, 2, 7, -1],
            "dialog": {"effective": )" + schedule_request({{3, 0, "09:00", "17:00", 4}}) + "}}");
    EXPECT_EQ(res.out, text_reply("OK"));

    week_schedule new_sched = schedule_with({{3, 0, "09:00", "17:00", 4}});
    struct {
        int id;
        const char* name;
        int type, enable, duration;
        const week_schedule& sched;
    } want[] = {
        {0, "Hall", 1, 1, 60, new_sched},
        {1, "out1", 0, 0, 5, old_sched},
        {2, "out2", 1, 1, 60, new_sched},  // the name is not copied
        {3, "out3", 0, 0, 5, old_sched},
    };
    for (const auto& w : want) {
        alarm_out_record out = output(w.id);
        EXPECT_STREQ(out.name, w.name) << "output " << w.id;
        EXPECT_EQ(out.type, w.type) << "output " << w.id;
        EXPECT_EQ(out.enable, w.enable) << "output " << w.id;
        EXPECT_EQ(out.duration_time, w.duration) << "output " << w.id;
        EXPECT_TRUE(same_bytes(stored_schedule(SCHED_ALARMOUT, w.id), w.sched)) << "output " << w.id;
    }

    auto msgs = sent(3);
    ASSERT_EQ(ids_of(msgs), (std::vector<int32_t>{1405, 1405, 3509}));
    EXPECT_EQ(msgs[0].payload, int_bytes({0}));
    EXPECT_EQ(msgs[1].payload, int_bytes({2}));
    ASSERT_EQ(msgs[2].payload.size(), 680u);
    coresim::bytes log(msgs[2].payload.begin(), msgs[2].payload.begin() + 672);
    EXPECT_EQ(log, contact_log(911, 0).payload);
    EXPECT_EQ(coresim::bytes(msgs[2].payload.begin() + 672, msgs[2].payload.end()), mask_bytes(5));
}

TEST_F(Outputs, EditWithoutCopiesOrFields) {
    store_output(3, "Strobe", 1, 1, 9);
    struct row {
        int line;
        std::string body, reply;
        std::vector<int32_t> ids;  // messages sent
        uint64_t log_mask;
        const char* name;           // output 3 afterwards
        int duration;
    } rows[] = {
        // Only the members given change; no list, no copies.
        {__LINE__, R"({"alarmId": 3, "durationTime": 15})", text_reply("OK"), {1405, 3509}, 8,
         "Strobe", 15},
        {__LINE__, R"({"alarmId": 3, "copyCnt": 0, "copyChn": [1]})", text_reply("OK"),
         {1405, 3509}, 8, "Strobe", 9},
        {__LINE__, R"({"alarmId": 3, "copyCnt": 1, "copyChn": [3]})", text_reply("OK"),
         {1405, 3509}, 8, "Strobe", 9},
        // Refused: no output changes, nothing is sent.
        {__LINE__, R"({"alarmId": 4, "name": "x"})", text_reply("CGI ERROR"), {}, 0, "Strobe", 9},
        {__LINE__, R"({"name": "x"})", text_reply("CGI ERROR"), {}, 0, "Strobe", 9},
        {__LINE__, "name=x", text_reply("CGI ERROR"), {}, 0, "Strobe", 9},
    };
    for (const auto& r : rows) {
        fresh_case();
        store_output(3, "Strobe", 1, 1, 9);
        EXPECT_EQ(post("/6022", r.body).out, r.reply) << "row at line " << r.line;
        alarm_out_record out = output(3);
        EXPECT_STREQ(out.name, r.name) << "row at line " << r.line;
        EXPECT_EQ(out.duration_time, r.duration) << "row at line " << r.line;
        auto msgs = sent(r.ids.size());
        EXPECT_EQ(ids_of(msgs), r.ids) << "row at line " << r.line;
        if (msgs.size() == 2) {
            EXPECT_EQ(coresim::bytes(msgs[1].payload.begin() + 672, msgs[1].payload.end()), mask_bytes(r.log_mask))
                << "row at line " << r.line;
        }
    }
}

}  // namespace
}  // namespace altest
