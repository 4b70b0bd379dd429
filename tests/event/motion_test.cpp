// Motion detection pages end to end: basic settings and their camera
// messages, the pages that check the stored rows, e-mail and target fields,
// schedules, and the camera's motion area.
#include "tests/event/event_cases.h"

#include "platform/tqdb/sched_store.h"

namespace evtest {
namespace {

using Motion = EventTest;

// The 1216-byte all-day detection schedule of a channel, built by offsets.
bytes all_day(int32_t chn) {
    record b(1216);
    b.i32(0, chn);
    for (int d = 0; d < 7; ++d) {
        size_t day = 4 + 136 * d;
        b.i32(day + 64, d).i32(day + 68, 1);
        for (int p = 0; p < 4; ++p) b.i32(day + 72 + 16 * p + 8, 24);
    }
    return b;
}

bytes area_message(const std::string& map, int32_t sensitivity, int32_t chn) {
    return record(332).text(4, map).i32(304, sensitivity).i32(308, chn);
}

bytes mode_message(int32_t chn, int32_t flag) { return record(268).i32(0, chn).i32(4, flag); }

const char* const basic_body =
    "{\"camId\": 5, \"enable\": 2, \"sensitivity\": 6, \"triChannels\": \"0101\", \"triAlarms\": 9,"
    " \"interval\": 40, \"motionTable\": \"grid-a\", \"enableMS\": %d}";

std::string basic(int enable_ms) {
    char buf[256];
    std::snprintf(buf, sizeof buf, basic_body, enable_ms);
    return buf;
}

TEST_F(Motion, BasicSaveChangesOnlyItsFieldsAndTellsTheCameraInOrder) {
    const msg changed = {1403, int_bytes({5})}, area = {3207, area_message("grid-a", 6, 5)};
    struct row {
        int line;
        int enable_ms;
        std::vector<msg> sent;
    } rows[] = {
        {__LINE__, 1, {changed, area, {3212, mode_message(5, 1)}, {3209, all_day(5)}, event_log(909, 6)}},
        {__LINE__, 0, {changed, area, {3212, mode_message(5, 0)}, event_log(909, 6)}},
        {__LINE__, 7, {changed, area, {3212, mode_message(5, 0)}, event_log(909, 6)}},
    };
    for (const row& r : rows) {
        fresh_case();
        motion_record want = seed_motion(5);
        EXPECT_EQ(post("/6012", basic(r.enable_ms)).out, text_reply("OK")) << r.line;

        want.enable = 2;
        want.sensitivity = 6;
        set_text(want.tri_channels, "0101");
        want.tri_channels_mask = 0xA;
        want.tri_alarms = 9;
        want.interval = 40;
        set_text(want.motion_table, "grid-a");
        want.enable_ms = r.enable_ms;
        EXPECT_TRUE(same_bytes(motion(5), want)) << "e-mail, alarm, PTZ and white fields kept; line " << r.line;

        expect_sent(r.sent, r.line);
    }
}

TEST_F(Motion, BasicSaveRefusesAnInvalidRequestWithoutAnyEffect) {
    motion_record zero = motion(0);
    motion_record five = seed_motion(5);
    const char* const bodies[] = {
        "{\"camId\": 5, \"sensitivity\": 6, \"triChannels\": \"1\", \"motionTable\": \"g\", \"enableMS\": 0}",
        "{\"camId\": 5, \"enable\": 3, \"sensitivity\": 6, \"triChannels\": \"1\", \"motionTable\": \"g\", \"enableMS\": 0}",
        "{\"camId\": 5, \"enable\": -1, \"sensitivity\": 6, \"triChannels\": \"1\", \"motionTable\": \"g\", \"enableMS\": 0}",
        "{\"camId\": 5, \"enable\": 1, \"triChannels\": \"1\", \"motionTable\": \"g\", \"enableMS\": 0}",
        "{\"camId\": 5, \"enable\": 1, \"sensitivity\": -1, \"triChannels\": \"1\", \"motionTable\": \"g\", \"enableMS\": 0}",
        "{\"camId\": 5, \"enable\": 1, \"sensitivity\": 6, \"motionTable\": \"g\", \"enableMS\": 0}",
        "{\"camId\": 5, \"enable\": 1, \"sensitivity\": 6, \"triChannels\": \"1\", \"triAlarms\": -1, \"motionTable\": \"g\", \"enableMS\": 0}",
        "{\"camId\": 5, \"enable\": 1, \"sensitivity\": 6, \"triChannels\": \"1\", \"interval\": -2, \"motionTable\": \"g\", \"enableMS\": 0}",
        "{\"camId\": 5, \"enable\": 1, \"sensitivity\": 6, \"triChannels\": \"1\", \"enableMS\": 0}",
        "{\"camId\": 5, \"enable\": 1, \"sensitivity\": 6, \"triChannels\": \"1\", \"motionTable\": \"g\"}",
        "{\"camId\": -1, \"enable\": 1, \"sensitivity\": 6, \"triChannels\": \"1\", \"motionTable\": \"g\", \"enableMS\": 0}",
        "{\"camId\": 64, \"enable\": 1, \"sensitivity\": 6, \"triChannels\": \"1\", \"motionTable\": \"g\", \"enableMS\": 0}",
        "{\"enable\": 1, \"sensitivity\": 6, \"triChannels\": \"1\", \"motionTable\": \"g\", \"enableMS\": 0}",
        "camId=5&enable=1",
        "",
    };
    for (const char* body : bodies) EXPECT_EQ(post("/6012", body).out, "") << body;
    EXPECT_TRUE(same_bytes(motion(0), zero));
    EXPECT_TRUE(same_bytes(motion(5), five));
    EXPECT_TRUE(sent().empty());
}

TEST_F(Motion, MotionTableIsCutToFitTheRecordAndTheCameraMap) {
    std::string grid(400, 'g');
    std::string body = "{\"camId\": 1, \"enable\": 1, \"sensitivity\": 2, \"triChannels\": \"\", \"motionTable\": \"" +
                       grid + "\", \"enableMS\": 0}";
    EXPECT_EQ(post("/6012", body).out, text_reply("OK"));
    motion_record m = motion(1);
    EXPECT_EQ(std::string(m.motion_table, sizeof m.motion_table), grid.substr(0, 367) + '\0');
    EXPECT_EQ(m.interval, 0);

    expect_sent({any_payload(1403), {3207, area_message(grid.substr(0, 299), 2, 1)}, any_payload(3212),
                 any_payload(3485)},
                __LINE__);
}

TEST_F(Motion, TriggeredChannelsKeepTheTextAndMaskOnlyTheFirst32) {
    struct row {
        int line;
        std::string text;
        std::string stored;
        uint32_t mask;
    } rows[] = {
        {__LINE__, "0101", "0101", 0xA},
        {__LINE__, channel_text({36}), channel_text({36}), 0},
        {__LINE__, channel_text({0, 31, 32, 63}), channel_text({0, 31, 32, 63}), 0x80000001u},
        {__LINE__, channel_text({2}, 70) + "1", channel_text({2}), 0x4},
        {__LINE__, "", "", 0},
    };
    for (const row& r : rows) {
        fresh_case();
        motion_record want = seed_motion(8);
        EXPECT_EQ(post("/6119", "{\"camId\": 8, \"type\": 1, \"triChannels\": \"" + r.text + "\"}").out,
                  text_reply("OK"))
            << r.line;
        set_text(want.tri_channels, r.stored);
        want.tri_channels_mask = r.mask;
        EXPECT_TRUE(same_bytes(motion(8), want)) << r.line;
        expect_sent({{1403, int_bytes({8})}, event_log(909, 9)}, r.line);
    }
}

TEST_F(Motion, OneTargetFieldPageChangesTheFieldItsTypeNames) {
    struct row {
        int line;
        std::string body;
        int32_t tri_alarms;
        std::string tri_channels;
    } rows[] = {
        {__LINE__, "{\"camId\": 3, \"type\": 2, \"triAlarms\": 12, \"triChannels\": \"1\"}", 12, "0110"},
        {__LINE__, "{\"camId\": 3, \"type\": 1, \"triAlarms\": 12, \"triChannels\": \"1\"}", 3, "1"},
        {__LINE__, "{\"camId\": 3, \"type\": 5, \"triAlarms\": 12, \"triChannels\": \"1\"}", 3, "0110"},
    };
    for (const row& r : rows) {
        fresh_case();
        seed_motion(3);
        EXPECT_EQ(post("/6119", r.body).out, text_reply("OK")) << r.line;
        motion_record m = motion(3);
        EXPECT_EQ(m.tri_alarms, r.tri_alarms) << r.line;
        EXPECT_STREQ(m.tri_channels, r.tri_channels.c_str()) << r.line;
        EXPECT_EQ(m.email_interval, 60) << r.line;
    }
}

TEST_F(Motion, ChannelPagesRefuseAChannelOutside0To63WithoutTouchingChannel0) {
    motion_record zero = seed_motion(0);
    for (const char* code : {"/6118", "/6119", "/6013", "/6152", "/6159"}) {
        for (const char* body : {"{\"camId\": 64, \"type\": 2, \"triAlarms\": 1, \"enable\": 1, \"interval\": 9}",
                                 "{\"camId\": -1, \"type\": 2, \"triAlarms\": 1, \"enable\": 1}",
                                 "{\"camId\": 4096, \"type\": 1, \"triChannels\": \"1\", \"interval\": 9}",
                                 "{\"type\": 2, \"triAlarms\": 1, \"enable\": 1, \"interval\": 9}"}) {
            std::string full = std::string(body).substr(0, std::strlen(body) - 1) +
                               ", \"schedule\": " + schedule_request({{0, 0, "01:00", "02:00", 1}}) + "}";
            EXPECT_EQ(post(code, full).out, text_reply("CGI ERROR")) << code << " " << body;
        }
        EXPECT_EQ(post(code, "not json").out, "") << code;
    }
    EXPECT_TRUE(same_bytes(motion(0), zero));
    for (int (*read)(const char*, week_schedule*, int) :
         {read_motion_schedule, read_motion_effective_schedule, read_motion_ptz_schedule, read_motion_email_schedule}) {
        week_schedule s;
        EXPECT_NE(read(TQDB_FILE, &s, 0), 0);
    }
    EXPECT_TRUE(sent().empty());
}

TEST_F(Motion, EmailPageSetsTheEmailFieldsAndScheduleAndKeepsTheRest) {
    motion_record want = seed_motion(6);
    std::string body = "{\"camId\": 6, \"enable\": 0, \"interval\": 300, \"schedule\": " +
                       schedule_request({{1, 2, "08:00", "18:00", 3}}) + "}";
    EXPECT_EQ(post("/6118", body).out, text_reply("OK"));
    want.email_enable = 0;
    want.email_interval = 300;
    EXPECT_TRUE(same_bytes(motion(6), want));
    EXPECT_EQ(cgi_get(root, "/6120", "6").out, json_reply(schedule_json({{1, 2, "08:00", "18:00", 3}})));

    // Only the members given change.
    EXPECT_EQ(post("/6118", "{\"camId\": 6, \"interval\": 5}").out, text_reply("OK"));
    want.email_interval = 5;
    EXPECT_TRUE(same_bytes(motion(6), want));
    EXPECT_EQ(cgi_get(root, "/6120", "6").out, json_reply(schedule_json({{1, 2, "08:00", "18:00", 3}})));

    expect_sent({{1403, int_bytes({6})}, {1403, int_bytes({6})}}, __LINE__);
}

TEST_F(Motion, ScheduleSettersStoreWhatTheirGettersAnswer) {
    struct row {
        int line;
        const char* setter;
        const char* getter;  // null: the older schedule has no getter
        int (*read)(const char*, week_schedule*, int);
    } rows[] = {
        {__LINE__, "/6152", "/6153", read_motion_effective_schedule},
        {__LINE__, "/6159", "/6158", read_motion_ptz_schedule},
        {__LINE__, "/6013", nullptr, read_motion_schedule},
    };
    std::string long_start(40, '7');
    for (const row& r : rows) {
        fresh_case();
        std::string body = "{\"camId\": 12, \"schedule\": " +
                           schedule_request({{0, 0, "00:00", "23:59", 1}, {7, 11, long_start, "24:00", 2}}) + "}";
        EXPECT_EQ(post(r.setter, body).out, text_reply("OK")) << r.line;
        std::string want = schedule_json({{0, 0, "00:00", "23:59", 1}, {7, 11, long_start.substr(0, 31), "24:00", 2}});
        if (r.getter) {
            EXPECT_EQ(cgi_get(root, r.getter, "12").out, json_reply(want)) << r.line;
            EXPECT_EQ(cgi_get(root, r.getter, "13").out, json_reply(schedule_json())) << r.line;
            EXPECT_EQ(cgi_get(root, r.getter, "64").out, "") << r.line;
            EXPECT_EQ(cgi_get(root, r.getter, "-1").out, "") << r.line;
            EXPECT_EQ(cgi_get(root, r.getter, "12x").out, "") << r.line;
            EXPECT_EQ(cgi_get(root, r.getter, "").out, "") << r.line;
        }
        week_schedule s;
        ASSERT_EQ(r.read(TQDB_FILE, &s, 12), 0) << r.line;
        EXPECT_STREQ(s.days[7].slots[11].start_time, long_start.substr(0, 31).c_str());

        // Without a schedule the stored one stays; the notice still goes.
        EXPECT_EQ(post(r.setter, "{\"camId\": 12}").out, text_reply("OK")) << r.line;
        if (r.getter) {
            EXPECT_EQ(cgi_get(root, r.getter, "12").out, json_reply(want)) << r.line;
        }
        expect_sent({any_payload(1403), {1403, int_bytes({12})}}, r.line);
    }
}

TEST_F(Motion, PagesCheckedAgainstTheStoredRowsRefuseChannelsBeyondThem) {
    for (int chn = 40; chn < 64; ++chn) ASSERT_EQ(delete_motion(TQDB_FILE, chn), 0);
    motion_record want = seed_motion(7);
    const char* const refused[] = {"{\"camId\": 40, \"sensitivity\": 1}", "{\"camId\": -1, \"sensitivity\": 1}",
                                   "{\"camId\": 64, \"sensitivity\": 1}", "{\"sensitivity\": 1}", "[]"};
    for (const char* code : {"/6113", "/6114"}) {
        for (const char* body : refused) EXPECT_EQ(post(code, body).out, "") << code << body;
        motion_record none;
        EXPECT_NE(read_motion(TQDB_FILE, &none, 40), 0) << code;
    }
    EXPECT_TRUE(sent().empty());

    std::string plan = "{\"camId\": 7, \"sensitivity\": 9, \"enableMS\": 1, \"interval\": 15, \"schedule\": " +
                       schedule_request({{3, 0, "06:00", "07:00", 4}}) + "}";
    EXPECT_EQ(post("/6113", plan).out, text_reply("OK"));
    want.sensitivity = 9;
    want.enable_ms = 1;
    want.interval = 15;
    EXPECT_TRUE(same_bytes(motion(7), want));
    week_schedule s;
    ASSERT_EQ(read_motion_schedule(TQDB_FILE, &s, 7), 0);
    EXPECT_STREQ(s.days[3].slots[0].start_time, "06:00");
    expect_sent({any_payload(1403), any_payload(1403), {3212, mode_message(7, 1)}, {3209, all_day(7)}}, __LINE__);
    fresh_case();

    EXPECT_EQ(post("/6114", "{\"camId\": 7, \"triChannels\": \"11\", \"enableMS\": 0}").out,
              text_reply("OK"));
    want.enable_ms = 0;
    set_text(want.tri_channels, "11");
    want.tri_channels_mask = 3;
    EXPECT_TRUE(same_bytes(motion(7), want));
    expect_sent({any_payload(1403), event_log(909, 0)}, __LINE__);
}

// ---- "/6098" ---------------------------------------------------------------------------------

TEST_F(Motion, CameraMotionAreaComesFromTheCoresAnswer) {
    // The map has no terminator: it is cut at the field.
    answer(3206, record(332).i32(0, 1).text(4, std::string(300, 'm')).i32(304, 4).i32(308, 9).i32(312, -2)
                     .i32(316, 3).i32(320, 5).i32(324, 6).i32(328, 7));
    EXPECT_EQ(post("/6098", "{\"id\": 9}").out,
              json_reply(spaced({{"map", jstr(std::string(300, 'm'))},
                                 {"sensitivity", "4"},
                                 {"result", "-2"},
                                 {"enable", "1"},
                                 {"modelType", "3"},
                                 {"fishdisplay", "5"},
                                 {"fishtransfer", "6"},
                                 {"fishinstall", "7"}})));
    expect_sent({{3206, int_bytes({9})}}, __LINE__);
}

TEST_F(Motion, CameraMotionAreaWithoutAWholeAnswerIsAnError) {
    for (auto mode : {coresim::fault::no_answer, coresim::fault::short_payload, coresim::fault::empty,
                      coresim::fault::wrong_id}) {
        core.clear_rules();
        coresim::rule r;
        r.id = 3206;
        coresim::reply_plan plan;
        plan.size = 332;
        plan.mode = mode;
        r.replies.push_back(plan);
        core.add_rule(r);
        EXPECT_EQ(post("/6098", "{\"id\": 2}").out, text_reply("CGI ERROR")) << static_cast<int>(mode);
    }
    EXPECT_EQ(sent(4).size(), 4u);
    fresh_case();
    for (const char* body : {"{\"id\": 64}", "{\"id\": -1}", "{}", "id=2"})
        EXPECT_EQ(post("/6098", body).out, "") << body;
    EXPECT_TRUE(sent().empty());
}

TEST_F(Motion, DefaultCoreReportsAWatchedArea) {
    cgi_result res = post("/6098", "{\"id\": 3}");
    EXPECT_NE(res.out.find("\"map\": \"" + std::string(286, '1') + "\""), std::string::npos) << res.out;
    EXPECT_NE(res.out.find("\"enable\": 1"), std::string::npos) << res.out;
}

}  // namespace
}  // namespace evtest
