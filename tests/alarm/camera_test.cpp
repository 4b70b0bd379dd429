// The cameras' alarm contacts end to end: the reads through the core merged
// with the database, the edits with their messages and copies, and the
// checks of channel and index.
#include "platform/msg_alarm.h"
#include "tests/alarm/alarm_cases.h"

#include <functional>

namespace altest {
namespace {

using Cameras = AlarmFixture;

cam_alarm_in_state in_state(int chn, int cnt) {
    cam_alarm_in_state s{};
    s.chnid = chn;
    s.alarm_enable[0] = 1;
    s.alarm_type[1] = 1;
    s.alarm_status[1] = 1;
    s.alarm_cnt = cnt;
    return s;
}

TEST_F(Cameras, InputsReadThroughTheCoreWithTheirActions) {
    alarm_chn_in_name name{5, 1, {}};
    set_text(name.alarm_name, "Smoke");
    ASSERT_EQ(write_alarm_chnIn_event_name(TQDB_FILE, &name), 0);
    alarm_chn_in_record rec{};
    rec.chnid = 5;
    rec.alarm_id = 1;
    rec.interval = 33;
    set_text(rec.tri_channels, "101");
    ASSERT_EQ(write_alarm_chnIn_event(TQDB_FILE, &rec), 0);
    ptz_action ptz[action_list_len] = {};
    ptz[0] = {5, 9, 0, 1, 3, 0, 0};
    ASSERT_EQ(write_ptz_params_all(TQDB_FILE, ptz, 19, 5), 0);  // input 1's PTZ kind

    core.add_reply(3298, 0, bytes_of(in_state(5, 2)));
    json_ref obj = json_body(post("/6024", R"({"chnid": 5})"));
    ASSERT_TRUE(obj);
    EXPECT_EQ(req_int_or(obj, "chnid", -1), 5);
    json_object* list = req_member(obj, "alarm");
    ASSERT_EQ(json_object_array_length(list), 2u);
    json_object* second = json_object_array_get_idx(list, 1);
    std::vector<std::string> keys;
    json_object_object_foreach(second, key, val) {
        (void)val;
        keys.push_back(key);
    }
    EXPECT_EQ(keys, (std::vector<std::string>{"alarmEnable", "alarmType", "alarmStatus", "alarmName", "effective",
                                              "audible", "interval", "audioId", "audioIdMask", "email", "email_interval",
                                              "email_pic_enable", "tri_channels_pic", "ptz", "ptz_interval", "ptzParams",
                                              "alarmout_interval", "triAlarms", "triChannels", "triChnAlarms", "white",
                                              "whiteInfo", "white_interval"}));
    EXPECT_EQ(req_int_or(second, "alarmType", -1), 1);
    EXPECT_EQ(req_int_or(second, "alarmStatus", -1), 1);
    EXPECT_STREQ(req_str(second, "alarmName"), "Smoke");
    EXPECT_EQ(req_int_or(second, "interval", -1), 33);
    EXPECT_STREQ(req_str(second, "triChannels"), "101");
    EXPECT_EQ(json_object_array_length(req_member(second, "ptzParams")), 1u);
    EXPECT_EQ(json_object_array_length(req_member(json_object_array_get_idx(list, 0), "ptzParams")), 0u);
    auto msgs = sent(1);
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_EQ(msgs[0].id, 3298);
    EXPECT_EQ(msgs[0].payload, int_bytes({5}));
}

TEST_F(Cameras, ReadsShowTheEntriesTheAnswerAllows) {
    struct row {
        int line;
        std::string code, body;
        std::function<void(Cameras&)> script;
        int entries;  // -1: the JSON error
        bool sends;
    } rows[] = {
        {__LINE__, "/6024", R"({"chnid": 1})", [](Cameras& f) { f.core.add_reply(3298, 0, bytes_of(in_state(1, 1))); }, 1, true},
        {__LINE__, "/6024", R"({"chnid": 1})", [](Cameras& f) { f.core.add_reply(3298, 0, bytes_of(in_state(1, 9))); }, 2, true},
        {__LINE__, "/6024", R"({"chnid": 1})", [](Cameras& f) { f.core.add_reply(3298, 0, bytes_of(in_state(1, -3))); }, 0, true},
        // A channel the answer names outside 0..63 shows no entries.
        {__LINE__, "/6024", R"({"chnid": 1})", [](Cameras& f) { f.core.add_reply(3298, 0, bytes_of(in_state(64, 2))); }, 0, true},
        {__LINE__, "/6024", R"({"chnid": 1})", [](Cameras& f) { f.core.add_reply(3298, 0, coresim::bytes(31, 1)); }, -1, true},
        {__LINE__, "/6024", R"({"chnid": 1})", [](Cameras& f) { f.answer_nothing(3298); }, -1, true},
        {__LINE__, "/6024", R"({"chnid": 64})", nullptr, -1, false},
        {__LINE__, "/6024", R"({"chnid": -1})", nullptr, -1, false},
        {__LINE__, "/6024", "chnid=1", nullptr, -1, false},
        // The outputs always show both entries.
        {__LINE__, "/6028", R"({"chnid": 2})", [](Cameras& f) { f.core.add_reply(3296, 0, int_bytes({2, 0, 1, 0, 1, 1})); }, 2, true},
        {__LINE__, "/6028", R"({"chnid": 2})", [](Cameras& f) { f.core.add_reply(3296, 0, int_bytes({2, 0, 1, 0, 1, 0})); }, 2, true},
        {__LINE__, "/6028", R"({"chnid": 2})", [](Cameras& f) { f.core.add_reply(3296, 0, int_bytes({2, 0, 1, 0, 1})); }, -1, true},
        {__LINE__, "/6028", R"({"chnid": 64})", nullptr, -1, false},
        {__LINE__, "/6028", "", nullptr, -1, false},
    };
    for (const auto& r : rows) {
        fresh_case();
        if (r.script) r.script(*this);
        cgi_result res = post(r.code, r.body);
        if (r.entries < 0) {
            EXPECT_EQ(res.out, json_reply("{status:\"CGI ERROR\"}")) << "row at line " << r.line;
        } else {
            json_ref obj = json_body(res);
            ASSERT_TRUE(obj) << "row at line " << r.line;
            EXPECT_EQ(json_object_array_length(req_member(obj, "alarm")), static_cast<size_t>(r.entries))
                << "row at line " << r.line;
        }
        EXPECT_EQ(sent(r.sends ? 1 : 0).size(), r.sends ? 1u : 0u) << "row at line " << r.line;
    }
}

TEST_F(Cameras, OutputsReadShowsNamesDelaysAndSchedules) {
    alarm_chn_out_name name{2, 1, 12, {}};
    set_text(name.alarm_name, "Horn");
    ASSERT_EQ(write_alarm_chnOut_event_name(TQDB_FILE, &name), 0);
    week_schedule sched = schedule_with({{4, 0, "06:00", "07:00", 1}});
    ASSERT_EQ(write_alarm_chnOut_effective_schedule(TQDB_FILE, &sched, 2, 1), 0);
    core.add_reply(3296, 0, int_bytes({2, 0, 1, 0, 1, 1}));
    json_ref obj = json_body(post("/6028", R"({"chnid": 2})"));
    ASSERT_TRUE(obj);
    json_object* second = json_object_array_get_idx(req_member(obj, "alarm"), 1);
    std::string text = json_object_to_json_string(second);
    const std::string head = R"({ "alarmType": 1, "alarmStatus": 1, "alarmName": "Horn", "delayTime": 12, "effective": [ )";
    EXPECT_EQ(text.substr(0, head.size()), head);
    EXPECT_EQ(first_slots(req_member(second, "effective")), "-/0 -/0 -/0 -/0 06:00-07:00/1 -/0 -/0 -/0");
    EXPECT_EQ(req_int_or(obj, "alarmCnt", -1), 1);
}

TEST_F(Cameras, InputEditSetsNamesSendsTwoEntriesAndCopies) {
    ASSERT_EQ(post("/6025",
                            R"({"chnid": 3, "alarmId": 1, "dialog": {"interval": 25, "triChannels": "11", "audible": )" +
                                schedule_request({{0, 0, "01:00", "02:00", 1}}) +
                                R"(, "ptzParams": [{"acto_ptz_channel": 4, "acto_ptz_type": 2, "acto_ptz_patrol": 1}]},
                                "alarmCnt": 3, "alarm": [{"alarmEnable": 1, "alarmType": 0, "alarmName": "Door"},
                                {"alarmEnable": 0, "alarmType": 1, "alarmName": "Window"}, {"alarmEnable": 1}],
                                "copyCnt": 3, "copyChn": [3, 10, 99]})")
                  .out,
              text_reply("OK"));
    // Input 1's actions, with the interval mode set by "interval".
    for (int chn : {3, 10}) {
        alarm_chn_in_record rec{};
        ASSERT_EQ(read_alarm_chnIn_event(TQDB_FILE, &rec, chn, 1), 0) << chn;
        EXPECT_EQ(rec.chnid, chn);
        EXPECT_EQ(rec.alarm_id, 1);
        EXPECT_EQ(rec.interval, 25) << chn;
        EXPECT_EQ(rec.interval_mode, 2) << chn;
        EXPECT_EQ(rec.tri_channels_mask, 3u) << chn;
        EXPECT_TRUE(same_bytes(stored_schedule(SCHED_CHN_ALARMIN_AUDIBLE, chn, 1),
                                  schedule_with({{0, 0, "01:00", "02:00", 1}})))
            << chn;
        ptz_action ptz[action_list_len];
        int count = 0;
        ASSERT_EQ(read_ptz_params(TQDB_FILE, ptz, 19, chn, &count), 0) << chn;
        EXPECT_EQ(ptz[0].acto_ptz_channel, 4) << chn;
        EXPECT_EQ(ptz[0].event_channel, chn) << chn;
    }
    alarm_chn_in_record other{};
    ASSERT_EQ(read_alarm_chnIn_event(TQDB_FILE, &other, 4, 1), 0);
    EXPECT_EQ(other.interval, 0);
    // The names are the edited channel's only.
    alarm_chn_in_name names[2] = {};
    ASSERT_EQ(read_alarm_chnIn_event_name(TQDB_FILE, &names[0], 3, 0), 0);
    ASSERT_EQ(read_alarm_chnIn_event_name(TQDB_FILE, &names[1], 3, 1), 0);
    EXPECT_STREQ(names[0].alarm_name, "Door");
    EXPECT_STREQ(names[1].alarm_name, "Window");
    alarm_chn_in_name copied{};
    ASSERT_EQ(read_alarm_chnIn_event_name(TQDB_FILE, &copied, 10, 0), 0);
    EXPECT_STREQ(copied.alarm_name, "");

    auto msgs = sent(2);
    ASSERT_EQ(ids_of(msgs), (std::vector<int32_t>{3325, 1417}));
    const uint64_t mask = 1u << 3 | 1u << 10;
    coresim::bytes want = int_bytes({0, 1, 0, 0, 0, 0, 1, 1, 2, 0});
    coresim::bytes m = mask_bytes(mask);
    want.insert(want.end(), m.begin(), m.end());
    EXPECT_EQ(msgs[0].payload, want);
    EXPECT_EQ(msgs[1].payload, mask_bytes(mask));
}

TEST_F(Cameras, EditsRefuseChannelsAndIndicesOutOfRange) {
    struct row {
        int line;
        std::string code, body;
        std::vector<int32_t> ids;  // empty: the JSON error and nothing sent
        coresim::bytes last;       // payload of the last message
    } rows[] = {
        {__LINE__, "/6025", R"({"chnid": 64, "alarmId": 0, "dialog": {"interval": 1}})", {}, {}},
        {__LINE__, "/6025", R"({"chnid": 0, "alarmId": 2, "dialog": {"interval": 1}})", {}, {}},
        {__LINE__, "/6025", R"({"chnid": 0, "dialog": {"interval": 1}})", {}, {}},
        {__LINE__, "/6025", "chnid=0", {}, {}},
        {__LINE__, "/6029", R"({"chnid": -1, "alarmId": 0})", {}, {}},
        {__LINE__, "/6029", R"({"chnid": 0, "alarmId": -1})", {}, {}},
        // Without "alarmCnt" only the own channel changes, and no 3324/3325 goes out.
        {__LINE__, "/6025", R"({"chnid": 7, "alarmId": 0, "copyCnt": 1, "copyChn": [8]})", {1417},
         mask_bytes(1u << 7)},
        {__LINE__, "/6029", R"({"chnid": 7, "alarmId": 0, "copyCnt": 1, "copyChn": [8]})", {1418},
         mask_bytes(1u << 7)},
    };
    for (const auto& r : rows) {
        fresh_case();
        alarm_chn_in_record before{};
        ASSERT_EQ(read_alarm_chnIn_event(TQDB_FILE, &before, 0, 0), 0);
        cgi_result res = post(r.code, r.body);
        EXPECT_EQ(res.out, r.ids.empty() ? json_reply("{status:\"CGI ERROR\"}") : text_reply("OK"))
            << "row at line " << r.line;
        auto msgs = sent(r.ids.size());
        EXPECT_EQ(ids_of(msgs), r.ids) << "row at line " << r.line;
        if (!msgs.empty()) {
            EXPECT_EQ(msgs.back().payload, r.last) << "row at line " << r.line;
        }
        alarm_chn_in_record after{};
        ASSERT_EQ(read_alarm_chnIn_event(TQDB_FILE, &after, 0, 0), 0);
        EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0) << "row at line " << r.line;
    }
}

TEST_F(Cameras, OutputEditSetsDelaysAndSchedulesAndCopies) {
    for (int chn : {1, 6}) {
        alarm_chn_out_name n{chn, 0, 99, {}};
        set_text(n.alarm_name, "Keep");
        ASSERT_EQ(write_alarm_chnOut_event_name(TQDB_FILE, &n), 0);
    }
    ASSERT_EQ(post("/6029",
                            R"({"chnid": 1, "alarmId": 0, "dialog": {"effective": )" +
                                schedule_request({{6, 0, "22:00", "23:00", 1}}) +
                                R"(}, "alarmCnt": 2, "alarm": [{"alarmType": 1, "delayTime": 30, "alarmName": "Beacon"},
                                {"alarmType": 0, "delayTime": 8}], "copyCnt": 2, "copyChn": [6, 1]})")
                  .out,
              text_reply("OK"));
    week_schedule want_sched = schedule_with({{6, 0, "22:00", "23:00", 1}});
    const struct {
        int chn, index, delay;
        const char* name;
        bool sched;
    } want[] = {
        {1, 0, 30, "Beacon", true}, {1, 1, 8, "", false},
        {6, 0, 30, "Keep", true},   {6, 1, 8, "", false},  // delays and schedules copied, names not
        {7, 0, 0, "", false},
    };
    for (const auto& w : want) {
        alarm_chn_out_name n{};
        ASSERT_EQ(read_alarm_chnOut_event_name(TQDB_FILE, &n, w.chn, w.index), 0);
        EXPECT_EQ(n.delay_time, w.delay) << w.chn << "/" << w.index;
        EXPECT_STREQ(n.alarm_name, w.name) << w.chn << "/" << w.index;
        week_schedule s = stored_schedule(SCHED_CHN_ALARMOUT_EFFECTIVE, w.chn, w.index);
        EXPECT_EQ(same_bytes(s, want_sched), w.sched) << w.chn << "/" << w.index;
    }
    auto msgs = sent(2);
    ASSERT_EQ(ids_of(msgs), (std::vector<int32_t>{3324, 1418}));
    const uint64_t mask = 1u << 1 | 1u << 6;
    coresim::bytes want_msg = int_bytes({0, 0, 1, 0, 1, 0, 2, 0});
    coresim::bytes m = mask_bytes(mask);
    want_msg.insert(want_msg.end(), m.begin(), m.end());
    EXPECT_EQ(msgs[0].payload, want_msg);
    EXPECT_EQ(msgs[1].payload, mask_bytes(mask));
}

TEST_F(Cameras, ReadsFromTheSimulatedCoresDefaults) {
    json_ref in = json_body(post("/6024", R"({"chnid": 12})"));
    ASSERT_TRUE(in);
    EXPECT_EQ(req_int_or(in, "chnid", -1), 12);
    EXPECT_EQ(json_object_array_length(req_member(in, "alarm")), 2u);
    json_ref out = json_body(post("/6028", R"({"chnid": 63})"));
    ASSERT_TRUE(out);
    EXPECT_EQ(req_int_or(out, "chnid", -1), 63);
    EXPECT_EQ(json_object_array_length(req_member(out, "alarm")), 2u);
}

}  // namespace
}  // namespace altest
