// Video loss pages end to end: the basic page, its schedules, the full
// action page with its copy, and the batch pages over many channels.
#include "tests/event/event_cases.h"

#include "platform/tqdb/sched_store.h"

namespace evtest {
namespace {

using VideoLoss = EventTest;

TEST_F(VideoLoss, BasicPageStoresItsFieldsLogsAndKeepsTheActions) {
    video_lost_record want = seed_video_loss(9);
    EXPECT_EQ(post("/6016", "{\"camId\": 9, \"enable\": 0, \"triAlarms\": 5, \"interval\": 70}").out,
              text_reply("OK"));
    want.enable = 0;
    want.tri_alarms = 5;
    want.interval = 70;
    EXPECT_TRUE(same_bytes(video_loss(9), want));
    EXPECT_EQ(cgi_get(root, "/6014", "9").out,
              json_reply(spaced({{"camId", "9"}, {"enable", "0"}, {"triAlarms", "5"}, {"interval", "70"}})));
    expect_sent({{1402, int_bytes({9})}, event_log(908, 10)}, __LINE__);
}

TEST_F(VideoLoss, BasicPageRefusesAnInvalidRequestWithoutAnyEffect) {
    video_lost_record zero = seed_video_loss(0);
    for (const char* body : {"{\"camId\": 64, \"enable\": 1}", "{\"camId\": -1, \"enable\": 1}", "{\"enable\": 1}",
                             "{\"camId\": 1, \"enable\": 3}", "{\"camId\": 1, \"triAlarms\": -1}",
                             "{\"camId\": 1, \"interval\": -1}", "1"})
        EXPECT_EQ(post("/6016", body).out, "") << body;
    EXPECT_TRUE(same_bytes(video_loss(0), zero));
    for (const char* chn : {"64", "-1"}) EXPECT_EQ(cgi_get(root, "/6014", chn).out, "") << chn;
    EXPECT_TRUE(sent().empty());
}

TEST_F(VideoLoss, ScheduleGettersAnswerWhatTheActionPageStored) {
    std::string body = "{\"chnid\": 3, \"dialog\": {\"audible\": " + schedule_request({{0, 1, "a1", "a2", 1}}) +
                       ", \"email\": " + schedule_request({{2, 3, "e1", "e2", 2}}) +
                       ", \"ptz\": " + schedule_request({{4, 5, "p1", "p2", 3}}) +
                       ", \"effective\": " + schedule_request({{6, 7, "x", "y", 4}}) + "}}";
    EXPECT_EQ(post("/6095", body).out, text_reply("OK"));
    EXPECT_EQ(cgi_get(root, "/6015", "3").out, json_reply(schedule_json({{0, 1, "a1", "a2", 1}})));
    EXPECT_EQ(cgi_get(root, "/6124", "3").out, json_reply(schedule_json({{2, 3, "e1", "e2", 2}})));
    EXPECT_EQ(cgi_get(root, "/6166", "3").out, json_reply(schedule_json({{4, 5, "p1", "p2", 3}})));
    EXPECT_EQ(cgi_get(root, "/6015", "4").out, json_reply(schedule_json()));
    for (const char* code : {"/6015", "/6124", "/6166"}) EXPECT_EQ(cgi_get(root, code, "99").out, "") << code;
    // No schedules only records: the dialog's schedules alone leave the record.
    EXPECT_EQ(video_loss(3).enable, 0);
    expect_sent({{1414, mask_bytes(1u << 3)}}, __LINE__);
}

TEST_F(VideoLoss, SchedulePageStoresTheScheduleAndEnable) {
    video_lost_record want = seed_video_loss(2);
    std::string body = "{\"camId\": 2, \"enable\": 0, \"schedule\": " + schedule_request({{5, 5, "s", "e", 8}}) + "}";
    EXPECT_EQ(post("/6017", body).out, text_reply("OK"));
    want.enable = 0;
    EXPECT_TRUE(same_bytes(video_loss(2), want));
    week_schedule s;
    ASSERT_EQ(read_video_loss_schedule(TQDB_FILE, &s, 2), 0);
    EXPECT_STREQ(s.days[5].slots[5].start_time, "s");
    EXPECT_EQ(s.days[5].slots[5].action_type, 8);

    video_lost_record zero = seed_video_loss(0);
    for (const char* bad : {"{\"camId\": 64, \"enable\": 0}", "{\"enable\": 0}"})
        EXPECT_EQ(post("/6017", bad).out, text_reply("CGI ERROR")) << bad;
    EXPECT_TRUE(same_bytes(video_loss(0), zero));
    expect_sent({{1402, int_bytes({2})}}, __LINE__);
}

TEST_F(VideoLoss, FullReadShowsTheVideoLossMembers) {
    seed_video_loss(7);
    ptz_action ptz[action_list_len] = {};
    ptz[0] = {7, 3, 0, 2, 0, 6, 0};
    ASSERT_EQ(write_ptz_params_all(TQDB_FILE, ptz, 2, 7), 0);
    ptz[0].acto_ptz_channel = 4;
    ASSERT_EQ(write_ptz_params_all(TQDB_FILE, ptz, 1, 7), 0);  // motion's list: not shown
    led_entry led[action_list_len] = {};
    led[0] = {7, 1, 0, 15};
    ASSERT_EQ(write_whiteled_params_all(TQDB_FILE, led, "video_loss_white_led_params", 7), 0);
    week_schedule white;
    std::memset(&white, 0, sizeof white);
    set_text(white.days[0].slots[0].start_time, "w");
    whiteled_key key = {7, "videoloss_whiteled_esche"};
    ASSERT_EQ(write_whiteled_effective_schedule(TQDB_FILE, &white, &key), 0);

    std::string want = spaced({
        {"chnid", "7"},
        {"enable", "1"},
        {"triAlarms", "6"},
        {"interval", "25"},
        {"email_interval", "45"},
        {"ptz_interval", "21"},
        {"alarmout_interval", "22"},
        {"audible", schedule_json()},
        {"email", schedule_json()},
        {"ptz", schedule_json()},
        {"triChnAlarms", "[ \"01\", \"10\" ]"},
        {"white", schedule_json({{0, 0, "w", "", 0}})},
        {"whiteInfo", "[ " + spaced({{"chnid", "1"}, {"mode", "0"}, {"time", "15"}}) + " ]"},
        {"white_interval", "23"},
        {"audioId", "2"},
        {"audioIdMask", "0"},
        {"ptzParams", "[ " + spaced({{"acto_ptz_channel", "3"}, {"acto_ptz_type", "2"}, {"acto_ptz_preset", "0"}, {"acto_ptz_patrol", "6"}}) + " ]"},
    });
    EXPECT_EQ(post("/6094", "{\"chnid\": 7}").out, json_reply(want));
    for (const char* bad : {"{\"chnid\": 64}", "{}", "7"})
        EXPECT_EQ(post("/6094", bad).out, json_reply("{status:\"CGI ERROR\"}")) << bad;
}

TEST_F(VideoLoss, ActionPageMarksTheRecordAndCopiesToTheOtherListedChannels) {
    struct row {
        int line;
        std::string dialog;
        bool record_changed;
    } rows[] = {
        {__LINE__, "{\"interval\": 33, \"enable\": 1}", true},
        {__LINE__, "{\"triChnAlarms\": [\"11\", \"00\"]}", true},
        {__LINE__, "{\"whiteInfo\": [{\"chnid\": 2, \"mode\": 1, \"time\": 3}]}", false},
    };
    for (const row& r : rows) {
        fresh_case();
        video_lost_record want = seed_video_loss(5);
        video_lost_record other = seed_video_loss(20);
        std::string body = "{\"chnid\": 5, \"dialog\": " + r.dialog + ", \"copyCnt\": 4, \"copyChn\": [5, 8, -1, 11, 20]}";
        EXPECT_EQ(post("/6095", body).out, text_reply("OK")) << r.line;
        video_lost_record stored = video_loss(5);
        if (r.record_changed) {
            EXPECT_EQ(stored.enable, 2) << r.line;
            EXPECT_EQ(stored.reserved0, 2) << r.line;
        } else {
            EXPECT_TRUE(same_bytes(stored, want)) << r.line;
        }
        for (int chn : {8, 11}) {
            video_lost_record copy = video_loss(chn);
            EXPECT_EQ(copy.cam_id, chn) << r.line;
            copy.cam_id = 5;
            EXPECT_TRUE(same_bytes(copy, stored)) << r.line << " channel " << chn;
        }
        EXPECT_TRUE(same_bytes(video_loss(20), other)) << "beyond copyCnt; line " << r.line;
        expect_sent({{1414, mask_bytes(1u << 5 | 1u << 8 | 1u << 11)}}, r.line);
    }
    led_entry led[action_list_len];
    int count = 0;
    ASSERT_EQ(read_whiteled_params(TQDB_FILE, led, "video_loss_white_led_params", 11, &count), 0);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(led[0].owner, 11);
    EXPECT_EQ(led[0].chnid, 2);
}

TEST_F(VideoLoss, BatchPagesSetTheListedChannelsOnly) {
    struct row {
        int line;
        const char* code;
        int (*read)(const char*, week_schedule*, int);
    } rows[] = {
        {__LINE__, "/6121", read_videoloss_audible_schedule},
        {__LINE__, "/6122", read_videoloss_email_schedule},
    };
    for (const row& r : rows) {
        fresh_case();
        video_lost_record keep = seed_video_loss(1);
        video_lost_record a = seed_video_loss(4), b = seed_video_loss(63);
        std::string body = "{\"schedule\": " + schedule_request({{1, 0, "b1", "b2", 9}}) +
                           ", \"enable\": 0, \"interval\": 12, \"cnt\": 3, \"chnid\": [4, 64, 63, 1]}";
        EXPECT_EQ(post(r.code, body).out, text_reply("OK")) << r.line;
        a.enable = b.enable = 0;
        a.interval = b.interval = 12;
        EXPECT_TRUE(same_bytes(video_loss(4), a)) << r.line;
        EXPECT_TRUE(same_bytes(video_loss(63), b)) << r.line;
        EXPECT_TRUE(same_bytes(video_loss(1), keep)) << r.line;
        week_schedule s;
        for (int chn : {4, 63}) {
            ASSERT_EQ(r.read(TQDB_FILE, &s, chn), 0) << r.line;
            EXPECT_STREQ(s.days[1].slots[0].start_time, "b1");
        }
        EXPECT_NE(r.read(TQDB_FILE, &s, 1), 0) << r.line;
        expect_sent({{1414, mask_bytes(1ull << 4 | 1ull << 63)}}, r.line);
    }
}

TEST_F(VideoLoss, AlarmOutputBatchSetsTheColumnOfTheListedChannels) {
    video_lost_record a = seed_video_loss(2), b = seed_video_loss(3), c = seed_video_loss(40);
    EXPECT_EQ(post("/6123", "{\"cnt\": 2, \"chnid\": [2, 40, 3], \"triAlarms\": 15}").out,
              text_reply("OK"));
    a.tri_alarms = c.tri_alarms = 15;
    EXPECT_TRUE(same_bytes(video_loss(2), a));
    EXPECT_TRUE(same_bytes(video_loss(40), c));
    EXPECT_TRUE(same_bytes(video_loss(3), b));
    expect_sent({{1414, mask_bytes(1ull << 2 | 1ull << 40)}}, __LINE__);
}

TEST_F(VideoLoss, PtzCopyGivesEachListedChannelTheListAndTheSchedule) {
    ptz_action ptz[action_list_len] = {};
    ptz[0] = {6, 2, 0, 1, 9, 0, 0};
    ptz[1] = {6, 5, 0, 3, 0, 0, 2};
    ASSERT_EQ(write_ptz_params_all(TQDB_FILE, ptz, 2, 6), 0);
    std::string body = "{\"camId\": 6, \"cnt\": 2, \"chnid\": [10, 12, 13], \"schedule\": " +
                       schedule_request({{0, 0, "p", "q", 1}}) + "}";
    EXPECT_EQ(post("/6165", body).out, text_reply("OK"));
    for (int chn : {10, 12}) {
        ptz_action back[action_list_len];
        int count = 0;
        ASSERT_EQ(read_ptz_params(TQDB_FILE, back, 2, chn, &count), 0) << chn;
        ASSERT_EQ(count, 2);
        for (int i = 0; i < 2; ++i) {
            ptz_action want = ptz[i];
            want.event_channel = chn;
            EXPECT_TRUE(same_bytes(back[i], want)) << chn << " entry " << i;
        }
        EXPECT_EQ(cgi_get(root, "/6166", std::to_string(chn)).out, json_reply(schedule_json({{0, 0, "p", "q", 1}})));
    }
    ptz_action none[action_list_len];
    int count = 0;
    EXPECT_NE(read_ptz_params(TQDB_FILE, none, 2, 13, &count), 0);
    EXPECT_EQ(post("/6165", "{\"camId\": 64, \"cnt\": 1, \"chnid\": [0]}").out, text_reply("CGI ERROR"));
    EXPECT_NE(read_ptz_params(TQDB_FILE, none, 2, 0, &count), 0);
    expect_sent({{1414, mask_bytes(1u << 10 | 1u << 12)}}, __LINE__);
}

}  // namespace
}  // namespace evtest
