// The recorder's alarm inputs end to end: one input with its basic
// schedule, the basic page with its schedule, and the full action page with
// its copy to other inputs.
#include "modules/common/sched_json.h"
#include "platform/msg_event.h"
#include "tests/alarm/alarm_cases.h"

#include <functional>

namespace altest {
namespace {

using Inputs = AlarmFixture;

TEST_F(Inputs, OneInputWithItsBasicSchedule) {
    stored_input(7);
    week_schedule sched = schedule_with({{2, 0, "07:00", "19:00", 6}});
    ASSERT_EQ(write_alarm_in_schedule(TQDB_FILE, &sched, 7), 0);
    json_ref obj = json_body(cgi_get(root, "/6061", "7"));
    ASSERT_TRUE(obj);
    const std::string alarm = R"({ "id": 7, "enable": 1, "name": "Door", "type": 1, "triChannels": "0110", )"
                              R"("triAlarms": 5, "interval": 30, "triSnapshot": "1" })";
    EXPECT_EQ(json_object_to_json_string(req_member(obj, "alarm")), alarm);
    EXPECT_EQ(first_slots(req_member(obj, "schedule")), "-/0 -/0 07:00-19:00/6 -/0 -/0 -/0 -/0 -/0");
    for (const char* text : {"16", "-1", "7x", "", "{\"id\": 7}"})
        EXPECT_EQ(cgi_get(root, "/6061", text).out, "") << text;
}

// The basic page with its schedule reads the input first: the actions the
// full page stored survive it.
TEST_F(Inputs, BasicPageWithScheduleKeepsTheActions) {
    struct row {
        int line;
        std::string body;
        int id;  // the input changed; -1 none (no reply, nothing sent)
        std::function<void(alarm_in_record&)> expect;
        bool schedule;  // the request's schedule is stored
    } rows[] = {
        {__LINE__,
         R"({"alarm": {"id": 9, "enable": 2, "name": "Gate", "type": 0, "triChannels": "1", "triAlarms": 0, "interval": 4},
             "schedule": )" + schedule_request({{0, 0, "08:00", "09:00", 1}, {7, 11, "20:00", "21:00", 3}}) + "}",
         9,
         [](alarm_in_record& r) {
             r.enable = 2;
             set_text(r.name, "Gate");
             r.type = 0;
             set_text(r.tri_channels, "1");
             r.tri_channels_mask = 1;
             r.tri_alarms = 0;
             r.interval = 4;
         },
         true},
        // Without a schedule the stored one stays.
        {__LINE__, R"({"alarm": {"id": 9, "enable": 0, "type": 1, "triChannels": "01"}})", 9,
         [](alarm_in_record& r) {
             r.enable = 0;
             set_text(r.tri_channels, "01");
             r.tri_channels_mask = 2;
         },
         false},
        {__LINE__, R"({"alarm": {"id": 16, "enable": 0, "type": 1, "triChannels": "01"}, "schedule": []})", -1, nullptr,
         false},
        {__LINE__, R"({"alarm": {"id": 9, "enable": 1, "type": 5, "triChannels": "01"}})", -1, nullptr, false},
        {__LINE__, R"({"schedule": []})", -1, nullptr, false},
    };
    for (const auto& r : rows) {
        fresh_case();
        alarm_in_record before = stored_input(9);
        alarm_in_record other = stored_input(0);
        week_schedule old_sched = schedule_with({{5, 5, "10:00", "11:00", 2}});
        ASSERT_EQ(write_alarm_in_schedule(TQDB_FILE, &old_sched, 9), 0);
        cgi_result res = post("/6062", r.body);
        EXPECT_EQ(res.out, r.id < 0 ? "" : text_reply("OK")) << "row at line " << r.line;
        alarm_in_record want = before;
        if (r.expect) r.expect(want);
        EXPECT_TRUE(same_bytes(input(9), want)) << "row at line " << r.line;
        EXPECT_TRUE(same_bytes(input(0), other)) << "row at line " << r.line;

        // Every one of the 96 slots carries action type 6, whatever the request said.
        week_schedule want_sched = old_sched;
        if (r.schedule) {
            want_sched = schedule_with({{0, 0, "08:00", "09:00", 6}, {7, 11, "20:00", "21:00", 6}});
            for (sched_day& day : want_sched.days)
                for (int s = 0; s < SCHED_JSON_SLOTS; ++s) day.slots[s].action_type = 6;
        }
        EXPECT_TRUE(same_bytes(stored_schedule(SCHED_ALARMIN_BASIC, 9), want_sched)) << "row at line " << r.line;

        auto msgs = sent(r.id < 0 ? 0 : 2);
        if (r.id < 0) {
            EXPECT_TRUE(msgs.empty()) << "row at line " << r.line;
            continue;
        }
        ASSERT_EQ(ids_of(msgs), (std::vector<int32_t>{1404, 3485})) << "row at line " << r.line;
        EXPECT_EQ(msgs[0].payload, int_bytes({9})) << "row at line " << r.line;
        // This page's entry carries only its types.
        oplog_record log;
        std::memset(&log, 0, sizeof log);
        log.main_type = 4;
        log.sub_type = 204;
        log.parameter_type = 910;
        EXPECT_EQ(msgs[1].payload, bytes_of(log)) << "row at line " << r.line;
    }
}

const std::string full_dialog = R"("dialog": {"interval": 40, "email_interval": 50, "white_interval": 11, "ptz_interval": 12,
    "alarmout_interval": 13, "audioId": 2, "triAlarms": 9, "triSnapshot": "001", "triChannels": "11",
    "email_pic_enable": 1, "tri_channels_pic": "0001", "triChnAlarms": ["1", "01"],
    "effective": )" + schedule_request({{0, 0, "00:00", "12:00", 5}}) +
                                R"(, "audible": )" + schedule_request({{1, 0, "01:00", "02:00", 1}}) +
                                R"(, "white": )" + schedule_request({{2, 0, "03:00", "04:00", 1}}) +
                                R"(, "whiteInfo": [{"chnid": 3, "mode": 1, "time": 30}],
    "ptzParams": [{"acto_ptz_channel": 2, "acto_ptz_type": 1, "acto_ptz_preset": 4}]})";

TEST_F(Inputs, FullPageStoresTheActionsAndReadsThemBack) {
    stored_input(4);
    ASSERT_EQ(post("/6027", R"({"alarmId": 4, "alarmType": 0, "name": "Shutter", )" + full_dialog + "}").out,
              text_reply("OK"));
    json_ref obj = json_body(post("/6026", R"({"alarmId": 4})"));
    ASSERT_TRUE(obj);
    std::vector<std::string> keys;
    json_object_object_foreach(obj.get(), key, val) {
        (void)val;
        keys.push_back(key);
    }
    EXPECT_EQ(keys, (std::vector<std::string>{
                        "alarmId", "name", "alarmType", "enable", "triAlarms", "interval", "email_interval",
                        "email_pic_enable", "tri_channels_pic", "ptz_interval", "alarmout_interval", "triChannels",
                        "triSnapshot", "effective", "audible", "email", "ptz", "triChnAlarms", "white", "whiteInfo",
                        "white_interval", "audioId", "audioIdMask", "ptzParams"}));
    const struct {
        const char* key;
        std::string json;
    } want[] = {
        {"alarmId", "4"},
        {"name", "\"Shutter\""},
        {"alarmType", "0"},
        {"enable", "2"},  // set by "interval"
        {"triAlarms", "9"},
        {"interval", "40"},
        {"email_interval", "50"},
        {"email_pic_enable", "1"},
        {"tri_channels_pic", "\"0001\""},
        {"triChannels", "\"11\""},
        {"triSnapshot", "\"001\""},
        {"triChnAlarms", "[ \"1\", \"01\" ]"},
        {"whiteInfo", "[ { \"chnid\": 3, \"mode\": 1, \"time\": 30 } ]"},
        {"white_interval", "11"},
        {"audioId", "2"},
        {"ptzParams", "[ { \"acto_ptz_channel\": 2, \"acto_ptz_type\": 1, \"acto_ptz_preset\": 4, \"acto_ptz_patrol\": 0 } ]"},
    };
    for (const auto& w : want) EXPECT_EQ(json_object_to_json_string(req_member(obj, w.key)), w.json) << w.key;
    EXPECT_EQ(first_slots(req_member(obj, "effective")), "00:00-12:00/5 -/0 -/0 -/0 -/0 -/0 -/0 -/0");
    EXPECT_EQ(first_slots(req_member(obj, "audible")), "-/0 01:00-02:00/1 -/0 -/0 -/0 -/0 -/0 -/0");
    EXPECT_EQ(first_slots(req_member(obj, "white")), "-/0 -/0 03:00-04:00/1 -/0 -/0 -/0 -/0 -/0");
    alarm_in_record rec = input(4);
    EXPECT_EQ(rec.email_mode, 2);  // set by "email_interval"
    EXPECT_EQ(rec.tri_channels_mask, 3u);
    ptz_action ptz[action_list_len];
    int count = 0;
    ASSERT_EQ(read_ptz_params(TQDB_FILE, ptz, 0, 4, &count), 0);  // the alarm inputs' PTZ kind
    EXPECT_EQ(ptz[0].acto_ptz_channel, 2);
    auto msgs = sent(1);
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_EQ(msgs[0].id, 1415);
    EXPECT_EQ(msgs[0].payload, mask_bytes(1u << 4));
}

TEST_F(Inputs, FullPageCopiesTheActionsToTheListedInputs) {
    for (int id = 0; id < alarm_in_count; ++id) stored_input(id);
    alarm_in_record untouched[alarm_in_count];
    for (int id = 0; id < alarm_in_count; ++id) untouched[id] = input(id);
    ASSERT_EQ(post("/6027",
                            R"({"alarmId": 1, "name": "Source", "alarmType": 0, "copyCnt": 5, "copyChn": [3, 5, 1, 16, 63], )" +
                                full_dialog + "}")
                  .out,
              text_reply("OK"));
    alarm_in_record source = input(1);
    for (int id : {3, 5}) {
        alarm_in_record got = input(id);
        alarm_in_record want = untouched[id];
        // Copied: type, enable, intervals, sound, e-mail mode, outputs,
        // snapshots, camera outputs; kept: name, triggered channels, e-mail pictures.
        want.type = source.type;
        want.enable = source.enable;
        want.interval = source.interval;
        want.audio_id = source.audio_id;
        want.email_mode = source.email_mode;
        want.email_interval = source.email_interval;
        want.tri_alarms = source.tri_alarms;
        std::memcpy(want.tri_snapshot, source.tri_snapshot, sizeof want.tri_snapshot);
        want.ptz_interval = source.ptz_interval;
        want.alarmout_interval = source.alarmout_interval;
        want.white_interval = source.white_interval;
        std::memcpy(want.tri_chn_alarms, source.tri_chn_alarms, sizeof want.tri_chn_alarms);
        EXPECT_TRUE(same_bytes(got, want)) << "input " << id;
        EXPECT_EQ(got.interval, 40) << "input " << id;
        EXPECT_EQ(got.email_interval, 50) << "input " << id;
        EXPECT_EQ(got.white_interval, 11) << "input " << id;
        EXPECT_STREQ(got.name, "Door") << "input " << id;
        EXPECT_TRUE(same_bytes(stored_schedule(SCHED_ALARMIN_EFFECTIVE, id),
                                  stored_schedule(SCHED_ALARMIN_EFFECTIVE, 1)))
            << "input " << id;
        ptz_action ptz[action_list_len];
        int count = 0;
        ASSERT_EQ(read_ptz_params(TQDB_FILE, ptz, 0, id, &count), 0) << "input " << id;
        EXPECT_EQ(ptz[0].event_channel, id);
        led_entry led[action_list_len];
        ASSERT_EQ(read_whiteled_params(TQDB_FILE, led, "alarm_in_white_led_params", id, &count), 0) << "input " << id;
        EXPECT_EQ(led[0].chnid, 3);
    }
    for (int id : {0, 2, 4, 6, 15}) EXPECT_TRUE(same_bytes(input(id), untouched[id])) << "input " << id;
    auto msgs = sent(1);
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_EQ(msgs[0].id, 1415);
    EXPECT_EQ(msgs[0].payload, mask_bytes(1u << 1 | 1u << 3 | 1u << 5));
}

TEST_F(Inputs, FullPagesRefuseAnythingButAnInput) {
    stored_input(0);
    alarm_in_record before = input(0);
    for (const char* code : {"/6026", "/6027"}) {
        for (const char* body : {R"({"alarmId": 16, "name": "x", "dialog": {"interval": 1}})",
                                 R"({"alarmId": -1, "name": "x"})", R"({"name": "x"})", "alarmId=0", ""}) {
            fresh_case();
            EXPECT_EQ(post(code, body).out, json_reply("{status:\"CGI ERROR\"}")) << code << " " << body;
            EXPECT_TRUE(sent().empty()) << code << " " << body;
        }
    }
    EXPECT_TRUE(same_bytes(input(0), before));
}

}  // namespace
}  // namespace altest
