// The event action model on motion: the action page as a partial update,
// the full read-back, and the save-and-copy page with its camera messages.
#include "tests/event/event_cases.h"

#include "platform/oplog_record.h"
#include "platform/tqdb/rec_system.h"
#include "platform/tqdb/sched_store.h"

namespace evtest {
namespace {

using Actions = EventTest;

void seed_lists(int chn) {
    ptz_action ptz[action_list_len] = {};
    ptz[0] = {chn, 2, 0, 1, 7, 0, 0};
    ptz[1] = {chn, 0, 0, 2, 0, 3, 0};  // stored, never shown
    ptz[2] = {chn, 5, 0, 3, 0, 0, 4};
    ASSERT_EQ(write_ptz_params_all(TQDB_FILE, ptz, 1, chn), 0);
    led_entry led[action_list_len] = {};
    led[0] = {chn, 4, 1, 30};
    led[1] = {chn, 6, 2, 10};
    ASSERT_EQ(write_whiteled_params_all(TQDB_FILE, led, "motion_white_led_params", chn), 0);
}

week_schedule one_slot(const char* start, int action) {
    week_schedule s;
    std::memset(&s, 0, sizeof s);
    set_text(s.days[2].slots[1].start_time, start);
    set_text(s.days[2].slots[1].end_time, "12:00");
    s.days[2].slots[1].action_type = action;
    return s;
}

void seed_schedules(int chn) {
    week_schedule s[5] = {one_slot("01:00", 1), one_slot("02:00", 2), one_slot("03:00", 3),
                          one_slot("04:00", 4), one_slot("05:00", 5)};
    ASSERT_EQ(write_motion_effective_schedule(TQDB_FILE, &s[0], chn), 0);
    ASSERT_EQ(write_motion_audible_schedule(TQDB_FILE, &s[1], chn), 0);
    ASSERT_EQ(write_motion_email_schedule(TQDB_FILE, &s[2], chn), 0);
    ASSERT_EQ(write_motion_ptz_schedule(TQDB_FILE, &s[3], chn), 0);
    whiteled_key key = {chn, "motion_whiteled_esche"};
    ASSERT_EQ(write_whiteled_effective_schedule(TQDB_FILE, &s[4], &key), 0);
}

std::string slot_json(const char* start, int action) { return schedule_json({{2, 1, start, "12:00", action}}); }

TEST_F(Actions, FullReadShowsTheRecordSchedulesListsAndSoundSlots) {
    seed_motion(4);
    seed_lists(4);
    seed_schedules(4);
    for (int id : {0, 3}) {
        alarm_audio_file_record f = {id, 1, "c291bmQ"};
        ASSERT_EQ(write_alarm_audio_file(TQDB_FILE, &f), 0);
    }
    std::string want = spaced({
        {"chnid", "4"},
        {"enable", "1"},
        {"sensitivity", "4"},
        {"triChannels", jstr("0110")},
        {"triAlarms", "3"},
        {"interval", "30"},
        {"enableMS", "0"},
        {"motionTable", jstr("stored-grid")},
        {"email_enable", "1"},
        {"email_interval", "60"},
        {"email_pic_enable", "1"},
        {"tri_channels_pic", jstr("0011")},
        {"ptz_interval", "11"},
        {"alarmout_interval", "12"},
        {"effective", slot_json("01:00", 1)},
        {"audible", slot_json("02:00", 2)},
        {"email", slot_json("03:00", 3)},
        {"ptz", slot_json("04:00", 4)},
        {"triChnAlarms", "[ \"1000\", \"0100\" ]"},
        {"white", slot_json("05:00", 5)},
        {"whiteInfo", "[ " + spaced({{"chnid", "4"}, {"mode", "1"}, {"time", "30"}}) + ", " +
                          spaced({{"chnid", "6"}, {"mode", "2"}, {"time", "10"}}) + " ]"},
        {"white_interval", "13"},
        {"audioId", "5"},
        {"audioIdMask", "9"},
        {"ptzParams", "[ " +
                          spaced({{"acto_ptz_channel", "2"}, {"acto_ptz_type", "1"}, {"acto_ptz_preset", "7"}, {"acto_ptz_patrol", "0"}}) +
                          ", " +
                          spaced({{"acto_ptz_channel", "5"}, {"acto_ptz_type", "3"}, {"acto_ptz_preset", "0"}, {"acto_ptz_patrol", "0"}}) +
                          " ]"},
    });
    EXPECT_EQ(post("/6010", "{\"chnid\": 4}").out, json_reply(want));
    EXPECT_TRUE(sent().empty());
}

TEST_F(Actions, FullReadAndActionPageRefuseABadChannelWithTheJsonError) {
    motion_record zero = seed_motion(0);
    for (const char* code : {"/6010", "/6117", "/6112"})
        for (const char* body : {"{\"chnid\": 64, \"audioId\": 1}", "{\"chnid\": -3, \"audioId\": 1}",
                                 "{\"audioId\": 1}", "{\"chnid\": 1", ""})
            EXPECT_EQ(post(code, body).out, json_reply("{status:\"CGI ERROR\"}")) << code << body;
    EXPECT_TRUE(same_bytes(motion(0), zero));
    EXPECT_TRUE(sent().empty());
}

TEST_F(Actions, ActionPageAppliesOnlyTheMembersItCarries) {
    struct row {
        int line;
        std::string members;  // besides "chnid"
        void (*change)(motion_record&);
    } rows[] = {
        {__LINE__, "\"audioId\": 8", [](motion_record& m) { m.audio_id = 8; }},
        {__LINE__, "\"triChnAlarms\": [\"111\"]", [](motion_record& m) { set_text(m.tri_chn_alarms[0], "111"); }},
        {__LINE__, "\"triChnAlarms\": [7, \"" + channel_text({63}) + "1\"]",
         [](motion_record& m) { set_text(m.tri_chn_alarms[1], channel_text({63})); }},
        {__LINE__, "\"triChannels\": \"1001\", \"enable\": 0, \"triAlarms\": 1, \"interval\": 2",
         [](motion_record& m) {
             set_text(m.tri_channels, "1001");
             m.tri_channels_mask = 9;
             m.enable = 0;
             m.tri_alarms = 1;
             m.interval = 2;
         }},
        {__LINE__,
         "\"email_interval\": 3, \"email_pic_enable\": 0, \"tri_channels_pic\": \"1\", \"ptz_interval\": 4,"
         " \"alarmout_interval\": 5, \"white_interval\": 6",
         [](motion_record& m) {
             m.email_interval = 3;
             m.email_pic_enable = 0;
             set_text(m.tri_channels_pic, "1");
             m.ptz_interval = 4;
             m.alarmout_interval = 5;
             m.white_interval = 6;
         }},
        // Members the action page does not own.
        {__LINE__, "\"sensitivity\": 1, \"enableMS\": 1, \"motionTable\": \"x\", \"email_enable\": 0, \"chnid2\": 1",
         [](motion_record&) {}},
        // Only the white-light list: the record is not rewritten.
        {__LINE__, "\"whiteInfo\": [[9, 1, 5]]", [](motion_record&) {}},
    };
    for (const row& r : rows) {
        fresh_case();
        motion_record want = seed_motion(10);
        EXPECT_EQ(post("/6117", "{\"chnid\": 10, " + r.members + "}").out, text_reply("OK")) << r.line;
        r.change(want);
        EXPECT_TRUE(same_bytes(motion(10), want)) << r.line;
        expect_sent({{1403, int_bytes({10})}}, r.line);
    }
    led_entry led[action_list_len];
    int count = 0;
    ASSERT_EQ(read_whiteled_params(TQDB_FILE, led, "motion_white_led_params", 10, &count), 0);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(led[0].owner, 10);
    EXPECT_EQ(led[0].chnid, 9);
    EXPECT_EQ(led[0].time, 5);
}

TEST_F(Actions, ActionPageWritesEachScheduleGivenAndKeepsTheOthers) {
    seed_schedules(11);
    std::string body = "{\"chnid\": 11, \"audible\": " + schedule_request({{0, 0, "a", "b", 6}}) +
                       ", \"white\": " + schedule_request({{1, 1, "c", "d", 7}}) + ", \"ptzParams\": [{\"acto_ptz_channel\": 3}]}";
    EXPECT_EQ(post("/6117", body).out, text_reply("OK"));
    EXPECT_EQ(cgi_get(root, "/6011", "11").out, json_reply(schedule_json({{0, 0, "a", "b", 6}})));
    EXPECT_EQ(cgi_get(root, "/6153", "11").out, json_reply(slot_json("01:00", 1)));
    EXPECT_EQ(cgi_get(root, "/6120", "11").out, json_reply(slot_json("03:00", 3)));
    EXPECT_EQ(cgi_get(root, "/6158", "11").out, json_reply(slot_json("04:00", 4)));
    whiteled_key key = {11, "motion_whiteled_esche"};
    week_schedule white;
    ASSERT_EQ(read_whiteled_effective_schedule(TQDB_FILE, &white, &key), 0);
    EXPECT_STREQ(white.days[1].slots[1].start_time, "c");
    // The page's own form carries no PTZ list.
    ptz_action ptz[action_list_len];
    int count = 0;
    EXPECT_NE(read_ptz_params(TQDB_FILE, ptz, 1, 11, &count), 0);
    sent(1);
}

// ---- "/6112" --------------------------------------------------------------------------------------

bytes copy_area(const std::string& map, int32_t sensitivity, int32_t chn, int32_t enable_ms,
                std::initializer_list<int32_t> list) {
    record b(572);
    b.text(0, map).i32(300, sensitivity).i32(304, chn).i32(308, enable_ms);
    size_t i = 0;
    for (int32_t c : list) b.i32(312 + 4 * i++, c);
    return b.i32(568, static_cast<int32_t>(list.size()));
}

TEST_F(Actions, SaveAndCopyAppliesTheDialogCopiesEverythingAndTellsTheCameras) {
    motion_record src = seed_motion(2);
    seed_lists(2);
    seed_schedules(2);
    motion_record other = seed_motion(30);  // not listed: untouched
    std::string body =
        "{\"chnid\": 2, \"dialog\": {\"audioId\": 9, \"ptzParams\": [{\"acto_ptz_channel\": 8, \"acto_ptz_type\": 2,"
        " \"acto_ptz_patrol\": 1}]}, \"sensitivity\": 8, \"enableMS\": 1, \"motionTable\": \"abc\","
        " \"copyCnt\": 3, \"copyChn\": [4, 70, 9, 12]}";
    EXPECT_EQ(post("/6112", body).out, text_reply("OK"));

    src.audio_id = 9;
    EXPECT_TRUE(same_bytes(motion(2), src)) << "the source keeps its stored camera settings";
    for (int chn : {4, 9}) {
        motion_record want = src;
        want.chnid = chn;
        want.sensitivity = 8;
        want.enable_ms = 1;
        EXPECT_TRUE(same_bytes(motion(chn), want)) << chn;
        EXPECT_EQ(cgi_get(root, "/6153", std::to_string(chn)).out, json_reply(slot_json("01:00", 1))) << chn;
        EXPECT_EQ(cgi_get(root, "/6011", std::to_string(chn)).out, json_reply(slot_json("02:00", 2))) << chn;
        EXPECT_EQ(cgi_get(root, "/6120", std::to_string(chn)).out, json_reply(slot_json("03:00", 3))) << chn;
        EXPECT_EQ(cgi_get(root, "/6158", std::to_string(chn)).out, json_reply(slot_json("04:00", 4))) << chn;
        whiteled_key key = {chn, "motion_whiteled_esche"};
        week_schedule white;
        ASSERT_EQ(read_whiteled_effective_schedule(TQDB_FILE, &white, &key), 0) << chn;
        EXPECT_STREQ(white.days[2].slots[1].start_time, "05:00");
        led_entry led[action_list_len];
        int count = 0;
        ASSERT_EQ(read_whiteled_params(TQDB_FILE, led, "motion_white_led_params", chn, &count), 0);
        ASSERT_EQ(count, 2);
        EXPECT_EQ(led[1].owner, chn);
        EXPECT_EQ(led[1].chnid, 6);
        ptz_action ptz[action_list_len];
        ASSERT_EQ(read_ptz_params(TQDB_FILE, ptz, 1, chn, &count), 0);
        ASSERT_EQ(count, 1) << "the dialog's list replaced the source's before the copy";
        EXPECT_EQ(ptz[0].event_channel, chn);
        EXPECT_EQ(ptz[0].acto_ptz_channel, 8);
        EXPECT_EQ(ptz[0].acto_ptz_patrol, 1);
    }
    EXPECT_TRUE(same_bytes(motion(30), other));

    expect_sent({{1403, int_bytes({2})},
                 masked_log(909, 1u << 4 | 1u << 9),
                 {3251, copy_area("abc", 8, 2, 1, {4, 9})},
                 {1410, mask_bytes(1u << 4 | 1u << 9)},
                 {3212, record(268).i32(0, 2).i32(4, 1).i32(8, 4).i32(12, 9).i32(264, 2)},
                 any_payload(3252)},
                __LINE__);
    auto msgs = sent(6);
    ASSERT_EQ(msgs[5].payload.size(), 1216u);
    EXPECT_EQ(int_at(msgs[5].payload, 0), 0);
    EXPECT_EQ(int_at(msgs[5].payload, 4 + 136 * 6 + 64), 6);
    EXPECT_EQ(int_at(msgs[5].payload, 4 + 136 * 6 + 72 + 48 + 8), 24);
}

TEST_F(Actions, SaveAndCopyWithoutCopiesStillSavesAndSendsEmptyLists) {
    motion_record src = seed_motion(3);
    EXPECT_EQ(post("/6112", "{\"chnid\": 3, \"dialog\": {\"interval\": 99}, \"copyCnt\": 0,"
                                           " \"copyChn\": [4], \"enableMS\": 0}")
                  .out,
              text_reply("OK"));
    src.interval = 99;
    EXPECT_TRUE(same_bytes(motion(3), src));
    auto msgs = sent(5);
    ASSERT_EQ(ids_of(msgs), (std::vector<int32_t>{1403, 3509, 3251, 1410, 3212}));
    EXPECT_EQ(msgs[2].payload, copy_area("stored-grid", 4, 3, 0, {}));
    EXPECT_EQ(msgs[3].payload, mask_bytes(0));
    EXPECT_EQ(int_at(msgs[4].payload, 4), 0);
    EXPECT_EQ(int_at(msgs[4].payload, 264), 0);
}

TEST_F(Actions, DialogPtzListGoesToTheChannelAndKindItNames) {
    struct row {
        int line;
        std::string members;
        int kind, chn;  // where the list lands; chn -1: nowhere
    } rows[] = {
        {__LINE__, "", 1, 6},
        {__LINE__, ", \"ptzChnId\": 7", 1, 7},
        {__LINE__, ", \"ptzChnId\": 7, \"ptzType\": 2", 2, 7},
        {__LINE__, ", \"ptzChnId\": 64", 1, -1},
    };
    for (const row& r : rows) {
        fresh_case();
        for (int kind : {1, 2})
            for (int chn : {6, 7}) {
                ptz_action none[action_list_len] = {};
                ASSERT_EQ(write_ptz_params_all(TQDB_FILE, none, kind, chn), 0);
            }
        EXPECT_EQ(post("/6112", "{\"chnid\": 6, \"dialog\": {\"ptzParams\": [{\"acto_ptz_channel\": 4}]" +
                                                   r.members + "}}")
                      .out,
                  text_reply("OK"))
            << r.line;
        for (int kind : {1, 2})
            for (int chn : {6, 7}) {
                ptz_action ptz[action_list_len];
                int count = 0;
                read_ptz_params(TQDB_FILE, ptz, kind, chn, &count);
                EXPECT_EQ(count, kind == r.kind && chn == r.chn ? 1 : 0) << r.line << " kind " << kind << " chn " << chn;
            }
    }
}

}  // namespace
}  // namespace evtest
