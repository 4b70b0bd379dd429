// The recorder's actions on smart events: the nine events' stores, the
// action pages, the "dialog" of the camera settings, and the refusals that
// leave everything as it was.
#include <functional>

#include "platform/tqdb/rec_system.h"
#include "tests/event/vca_cases.h"

namespace evtest {
namespace {

using VcaActions = VcaTest;

std::string slot_json(const char* start, int action) {
    return schedule_json({{2, 1, start, "12:00", action}});
}
std::string slot_request(const char* start, int action) {
    return schedule_request({{2, 1, start, "12:00", action}});
}

TEST_F(VcaActions, FullReadShowsTheRecordSchedulesListsAndSoundSlotsOfTheEvent) {
    seed_action(7, 5);
    const week_schedule s[5] = {
        schedule_with({{2, 1, "01:00", "12:00", 1}}), schedule_with({{2, 1, "02:00", "12:00", 2}}),
        schedule_with({{2, 1, "03:00", "12:00", 3}}), schedule_with({{2, 1, "04:00", "12:00", 4}}),
        schedule_with({{2, 1, "05:00", "12:00", 5}})};
    ASSERT_EQ(write_smart_event_effective_schedule(TQDB_FILE, &s[0], 7, 5), 0);
    ASSERT_EQ(write_smart_event_audible_schedule(TQDB_FILE, &s[1], 7, 5), 0);
    ASSERT_EQ(write_smart_event_mail_schedule(TQDB_FILE, &s[2], 7, 5), 0);
    ASSERT_EQ(write_smart_event_ptz_schedule(TQDB_FILE, &s[3], 7, 5), 0);
    whiteled_key key = {7, "vca_loiter_whiteled_esche"};
    ASSERT_EQ(write_whiteled_effective_schedule(TQDB_FILE, &s[4], &key), 0);
    led_entry led[action_list_len] = {};
    led[0] = {7, 4, 1, 30};
    ASSERT_EQ(write_whiteled_params_all(TQDB_FILE, led, "vca_loiter_white_led_params", 7), 0);
    ptz_action ptz[action_list_len] = {};
    ptz[0] = {7, 2, 0, 1, 7, 0, 0};
    ptz[1] = {7, 0, 0, 2, 0, 3, 0};  // stored, never shown
    ASSERT_EQ(write_ptz_params_all(TQDB_FILE, ptz, 10, 7), 0);
    alarm_audio_file_record f = {2, 1, "c291bmQ"};
    ASSERT_EQ(write_alarm_audio_file(TQDB_FILE, &f), 0);

    std::string action = spaced({
        {"chnid", "7"},
        {"event", "5"},
        {"enable", "2"},
        {"triAlarms", "2"},
        {"interval", "20"},
        {"email_interval", "40"},
        {"email_pic_enable", "1"},
        {"tri_channels_pic", jstr("11")},
        {"ptz_interval", "31"},
        {"alarmout_interval", "32"},
        {"triChannels", jstr("101")},
        {"effective", slot_json("01:00", 1)},
        {"audible", slot_json("02:00", 2)},
        {"email", slot_json("03:00", 3)},
        {"ptz", slot_json("04:00", 4)},
        {"triChnAlarms", "[ \"01\", \"001\" ]"},
        {"white", slot_json("05:00", 5)},
        {"whiteInfo", "[ " + spaced({{"chnid", "4"}, {"mode", "1"}, {"time", "30"}}) + " ]"},
        {"white_interval", "33"},
        {"audioId", "6"},
        {"audioIdMask", "4"},
        {"ptzParams", "[ " +
                          spaced({{"acto_ptz_channel", "2"},
                                  {"acto_ptz_type", "1"},
                                  {"acto_ptz_preset", "7"},
                                  {"acto_ptz_patrol", "0"}}) +
                          " ]"},
    });
    EXPECT_EQ(post("/6148", R"({"chnid": 7, "event": 5})").out,
              json_reply(spaced({{"action", "[ " + action + " ]"}})));
    EXPECT_TRUE(sent().empty());
}

// Each event keeps its actions in stores of its own: the record table, the
// schedules under its index, its white-light names, PTZ kind event + 5.
TEST_F(VcaActions, EachEventStoresItsActionsInItsOwnStores) {
    struct row {
        int line;
        int event;
        const char* white_schedule;
        const char* white_list;
    } rows[] = {
        {__LINE__, 0, "vca_regionin_whiteled_esche", "vca_regionin_white_led_params"},
        {__LINE__, 1, "vca_regionexit_whiteled_esche", "vca_regionexit_white_led_params"},
        {__LINE__, 2, "vca_motion_whiteled_esche", "vca_motion_white_led_params"},
        {__LINE__, 3, "vca_tamper_whiteled_esche", "vca_tamper_white_led_params"},
        {__LINE__, 4, "vca_linecross_whiteled_esche", "vca_linecross_white_led_params"},
        {__LINE__, 5, "vca_loiter_whiteled_esche", "vca_loiter_white_led_params"},
        {__LINE__, 6, "vca_human_whiteled_esche", "vca_human_white_led_params"},
        {__LINE__, 7, "vca_people_whiteled_esche", "vca_people_white_led_params"},
        {__LINE__, 8, "vca_object_whiteled_esche", "vca_object_white_led_params"},
    };
    for (const row& r : rows) {
        fresh_case();
        const int next = (r.event + 1) % 9;
        const int chn = 10 + r.event;  // no other row touches its stores
        event_action_record want = seed_action(chn, r.event);
        event_action_record other = seed_action(chn, next);
        ptz_action ptz[action_list_len] = {};
        ptz[0] = {chn, 3, 0, 1, 4, 0, 0};
        ASSERT_EQ(write_ptz_params_all(TQDB_FILE, ptz, r.event + 5, chn), 0);

        std::string body = R"({"chnid": )" + num(chn) + R"(, "event": )" + num(r.event) +
                           R"(, "audioId": 7, "triChannels": "01", "white": )" + slot_request("06:00", 6) +
                           R"(, "email": )" + slot_request("07:00", 7) + R"(, "whiteInfo": [[4, 1, 30]]})";
        EXPECT_EQ(post("/6149", body).out, text_reply("OK")) << "row at line " << r.line;
        expect_sent({{1412, int_bytes({chn})}}, r.line);

        want.audio_id = 7;
        set_text(want.tri_channels, "01");
        want.tri_channels_mask = 2;
        EXPECT_TRUE(same_bytes(action(chn, r.event), want)) << "row at line " << r.line;
        EXPECT_TRUE(same_bytes(action(chn, next), other)) << "row at line " << r.line;
        whiteled_key key = {chn, ""};
        set_text(key.name, r.white_schedule);
        week_schedule white;
        ASSERT_EQ(read_whiteled_effective_schedule(TQDB_FILE, &white, &key), 0) << "row at line " << r.line;
        EXPECT_STREQ(white.days[2].slots[1].start_time, "06:00") << "row at line " << r.line;
        led_entry led[action_list_len];
        int count = 0;
        EXPECT_EQ(read_whiteled_params(TQDB_FILE, led, r.white_list, chn, &count), 0)
            << "row at line " << r.line;
        EXPECT_EQ(count, 1) << "row at line " << r.line;
        EXPECT_STREQ(stored_schedule(SCHED_SMART_MAIL, chn, r.event).days[2].slots[1].start_time, "07:00")
            << "row at line " << r.line;
        EXPECT_STREQ(stored_schedule(SCHED_SMART_MAIL, chn, next).days[2].slots[1].start_time, "")
            << "row at line " << r.line;

        // The read page gives back what was stored, the PTZ list of the event's kind.
        json_ref got =
            json_body(post("/6148", R"({"chnid": )" + num(chn) + R"(, "event": )" + num(r.event) + "}"));
        json_object* list = req_array(got.get(), "action");
        ASSERT_TRUE(list && json_object_array_length(list) == 1) << "row at line " << r.line;
        json_object* a = json_object_array_get_idx(list, 0);
        EXPECT_EQ(req_int_or(a, "event", -1), r.event) << "row at line " << r.line;
        EXPECT_EQ(req_int_or(a, "audioId", -1), 7) << "row at line " << r.line;
        json_object* day = json_object_array_get_idx(req_array(a, "white"), 2);
        ASSERT_TRUE(day && json_object_array_length(day) == 12) << "row at line " << r.line;
        EXPECT_STREQ(req_str(json_object_array_get_idx(day, 1), "startTime"), "06:00")
            << "row at line " << r.line;
        json_object* ptz_list = req_array(a, "ptzParams");
        ASSERT_TRUE(ptz_list && json_object_array_length(ptz_list) == 1) << "row at line " << r.line;
        EXPECT_EQ(req_int_or(json_object_array_get_idx(ptz_list, 0), "acto_ptz_channel", -1), 3)
            << "row at line " << r.line;
    }
}

TEST_F(VcaActions, TargetPageSetsTheFieldOfItsTypeOnly) {
    struct row {
        int line;
        std::string members;  // besides "channel" and "event"
        void (*change)(event_action_record&);
    } rows[] = {
        {__LINE__, R"("type": 0, "triAlarms": 5, "triChannels": "1")",
         [](event_action_record& a) { a.tri_alarms = 5; }},
        {__LINE__, R"("type": 1, "triAlarms": 5, "triChannels": ")" + channel_text({1, 40}) + "\"",
         [](event_action_record& a) {
             set_text(a.tri_channels, channel_text({1, 40}));
             a.tri_channels_mask = 2;
         }},
        {__LINE__, R"("type": 0)", [](event_action_record&) {}},
        {__LINE__, R"("type": 2, "triAlarms": 5)", [](event_action_record&) {}},
    };
    for (const row& r : rows) {
        fresh_case();
        event_action_record want = seed_action(12, 3);
        EXPECT_EQ(post("/6150", R"({"channel": 12, "event": 3, )" + r.members + "}").out, text_reply("OK"))
            << r.line;
        r.change(want);
        EXPECT_TRUE(same_bytes(action(12, 3), want)) << "row at line " << r.line;
        expect_sent({{1412, int_bytes({12})}}, r.line);
    }
    EXPECT_EQ(post("/6151", R"({"channel": 12, "type": 3})").out,
              json_reply(spaced({{"chnid", "12"},
                                 {"enable", "2"},
                                 {"triAlarms", "2"},
                                 {"interval", "20"},
                                 {"email_interval", "40"},
                                 {"email_pic_enable", "1"},
                                 {"tri_channels_pic", jstr("11")},
                                 {"triChannels", jstr("101")}})));
}

// The dialog of a camera setting is stored for its own channel; one for no
// channel of the recorder changes nothing, and the setting goes on.
TEST_F(VcaActions, DialogGoesToItsOwnChannel) {
    struct row {
        int line;
        std::string dialog;
        int notice;  // the channel told, -1 none
        int audio_chn;
    } rows[] = {
        {__LINE__, R"("dialog": {"chnid": 9, "audioId": 5}, )", 9, 9},
        {__LINE__, R"("dialog": {"audioId": 5}, )", 4, 4},
        {__LINE__, R"("dialog": {"chnid": 70, "audioId": 5}, )", -1, -1},
        {__LINE__, R"("dialog": [1], )", -1, -1},
        {__LINE__, "", -1, -1},
    };
    for (const row& r : rows) {
        fresh_case();
        event_action_record own = seed_action(4, 3);
        event_action_record other = seed_action(9, 3);
        answer_int(3247, 0);
        EXPECT_EQ(post("/6137", R"({"chnid": 4, "type": 3, )" + r.dialog + R"("enable": 1})").out,
                  text_reply("OK"))
            << "row at line " << r.line;
        std::vector<msg> want = {{3247, record(476).i32(0, 4).i32(4, 1)}};
        if (r.notice >= 0) want.insert(want.begin(), {1412, int_bytes({r.notice})});
        expect_sent(want, r.line);
        own.enable = 1;
        if (r.audio_chn == 4) own.audio_id = 5;
        if (r.audio_chn == 9) other.audio_id = 5;
        EXPECT_TRUE(same_bytes(action(4, 3), own)) << "row at line " << r.line;
        EXPECT_TRUE(same_bytes(action(9, 3), other)) << "row at line " << r.line;
    }
}

// A refused request changes nothing and tells nobody.
TEST_F(VcaActions, RefusedRequestsChangeNothing) {
    const std::string dialog = R"("dialog": {"audioId": 1, "audible": )" + slot_request("01:00", 1) + "}";
    struct row {
        int line;
        const char* code;
        std::string body;
        std::string out;
        int missing_event = -1;  // the action record of (3, event) is deleted first
    } rows[] = {
        // clang-format off
        {__LINE__, "/6148", R"({"chnid": 64, "event": 0})", json_failure()},
        {__LINE__, "/6148", R"({"chnid": 0, "event": 9})", json_failure()},
        {__LINE__, "/6148", R"({"chnid": 0})", json_failure()},
        {__LINE__, "/6148", "{", json_failure()},
        {__LINE__, "/6149", R"({"chnid": 1, "event": 9, "audioId": 1})", ""},
        {__LINE__, "/6149", R"({"chnid": -1, "event": 0, "audioId": 1})", ""},
        {__LINE__, "/6150", R"({"channel": 64, "event": 0, "type": 0, "triAlarms": 1})", ""},
        {__LINE__, "/6150", R"({"channel": 0, "event": -1, "type": 0, "triAlarms": 1})", ""},
        {__LINE__, "/6151", R"({"channel": 0, "type": 9})", text_failure()},
        {__LINE__, "/6151", R"({"channel": 64, "type": 0})", text_failure()},
        {__LINE__, "/6133", R"({"chnid": 64, "type": 0, "enable": 1, )" + dialog + "}", text_failure()},
        {__LINE__, "/6133", R"({"chnid": 3, "type": 9, "enable": 1, )" + dialog + "}", text_failure()},
        {__LINE__, "/6135", R"({"chnid": 3, "type": -1, "enable": 1, )" + dialog + "}", text_failure()},
        {__LINE__, "/6139", R"({"chnid": -1, "enable": 1, )" + dialog + "}", text_failure()},
        {__LINE__, "/6145", R"({"chnid": 64, "enable": 1})", text_failure()},
        {__LINE__, "/6193", R"({"chnid": 64, )" + dialog + "}", text_failure()},
        {__LINE__, "/6147", R"({"chnid": 64})", ""},
        {__LINE__, "/6171", R"({"chnid": 64, )" + dialog + "}", ""},
        {__LINE__, "/6195", R"({"chnid": 64})", ""},
        {__LINE__, "/6154", R"({"channel": 64})", ""},
        {__LINE__, "/6134", R"({"channel": 64})", json_failure()},
        {__LINE__, "/6186", R"({"chnid": -1})", json_failure()},
        {__LINE__, "/6132", R"({"type": 0})", json_failure()},
        {__LINE__, "/6138", "not json", ""},
        // The action record of the event is missing.
        {__LINE__, "/6133", R"({"chnid": 3, "type": 0, "enable": 1, )" + dialog + "}", text_failure(), 0},
        {__LINE__, "/6143", R"({"chnid": 3, "type": 6, "enable": 1, )" + dialog + "}", text_reply("ERROR"), 6},
        {__LINE__, "/6145", R"({"chnid": 3, "enable": 1})", text_failure(), 7},
        {__LINE__, "/6150", R"({"channel": 3, "event": 2, "type": 0, "triAlarms": 1})", text_reply("ERROT"), 2},
        {__LINE__, "/6151", R"({"channel": 3, "type": 2})", text_failure(), 2},
        // clang-format on
    };
    for (const row& r : rows) {
        fresh_case();
        if (r.missing_event >= 0) delete_smart_event(TQDB_FILE, 3, r.missing_event);
        const std::string before = db_snapshot(root);
        EXPECT_EQ(post(r.code, r.body).out, r.out) << "row at line " << r.line;
        EXPECT_TRUE(db_snapshot(root) == before) << "row at line " << r.line;
        EXPECT_TRUE(sent().empty()) << "row at line " << r.line << ": " << ids_text(sent());
    }
}

TEST_F(VcaActions, ActionsNotStoredWholeAreNotStoredAtAll) {
    const std::string sched = slot_request("01:00", 1);
    const unstored_row rows[] = {
        // clang-format off
        {__LINE__, "/6149", R"({"chnid": 2, "event": 3, "audioId": 1, "audible": )" + sched + "}", {"smart_event3"}, text_failure()},
        {__LINE__, "/6149", R"({"chnid": 3, "event": 3, "audioId": 1, "audible": )" + sched + "}", {"smart_event_audible_schedule"}, text_failure()},
        {__LINE__, "/6149", R"({"chnid": 2, "event": 8, "audioId": 1, "whiteInfo": [[1, 1, 1]]})", {"wled:vca_object_white_led_params"}, text_failure()},
        {__LINE__, "/6150", R"({"channel": 2, "event": 1, "type": 0, "triAlarms": 9})", {"smart_event1"}, text_failure()},
        // The dialog and the enable of a setting: neither without the other.
        {__LINE__, "/6137", R"({"chnid": 2, "type": 3, "enable": 1, "dialog": {"white": )" + sched + "}}", {"smart_event3"}, text_failure()},
        {__LINE__, "/6137", R"({"chnid": 3, "type": 3, "enable": 1, "dialog": {"white": )" + sched + "}}", {"whiteled_esche:vca_tamper_whiteled_esche"}, text_failure()},
        {__LINE__, "/6171", R"({"chnid": 2, "dialog": {"email": )" + sched + "}}", {"smart_event_mail_schedule"}, json_failure()},
        // clang-format on
    };
    for (const unstored_row& r : rows) expect_unstored(r);
}

}  // namespace
}  // namespace evtest
