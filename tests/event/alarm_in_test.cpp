// The alarm-input pages of the events module: batches over the listed
// inputs (0..15 only), the trigger page with its log entry, the PTZ copy and
// the inputs' schedules.
#include "tests/event/event_cases.h"

#include "platform/tqdb/rec_alarm.h"

namespace evtest {
namespace {

class AlarmInputs : public EventTest {
protected:
    alarm_in_record input(int id) {
        alarm_in_record rec;
        EXPECT_EQ(load_alarm_in(TQDB_FILE, &rec, id), 0) << "input " << id;
        return rec;
    }
    alarm_in_record seed_input(int id) {
        alarm_in_record a;
        std::memset(&a, 0x33, sizeof a);
        a.id = id;
        a.enable = 1;
        set_text(a.name, "door");
        a.type = 1;
        a.tri_channels_mask = 1;
        a.tri_alarms = 2;
        a.interval = 10;
        set_text(a.tri_channels, "1");
        set_text(a.tri_snapshot, "01");
        set_text(a.tri_chn_alarms[0], "1");
        set_text(a.tri_chn_alarms[1], "0");
        a.email_mode = 1;
        a.email_interval = 20;
        set_text(a.tri_channels_pic, "1");
        a.audio_id = 4;
        EXPECT_EQ(write_alarm_in(TQDB_FILE, &a), 0);
        return a;
    }
};

TEST_F(AlarmInputs, BatchPagesSetTheListedInputsAndCopyTheSchedule) {
    struct row {
        int line;
        const char* code;
        std::string extra;
        void (*change)(alarm_in_record&);
        int (*read)(const char*, week_schedule*, int);
    } rows[] = {
        {__LINE__, "/6125", "", [](alarm_in_record& a) { a.enable = 0; a.interval = 7; }, read_alarmin_audible_schedule},
        {__LINE__, "/6126", ", \"triSnapshot\": \"" + channel_text({5}) + "11\"",
         [](alarm_in_record& a) {
             a.email_mode = 0;
             a.email_interval = 7;
             set_text(a.tri_snapshot, channel_text({5}));
         },
         read_alarmin_email_schedule},
    };
    for (const row& r : rows) {
        fresh_case();
        alarm_in_record a = seed_input(2), b = seed_input(15), keep = seed_input(3);
        std::string body = "{\"schedule\": " + schedule_request({{0, 3, "i", "j", 2}}) +
                           ", \"enable\": 0, \"interval\": 7, \"cnt\": 4, \"chnid\": [2, 16, 63, 15]" + r.extra + "}";
        EXPECT_EQ(post(r.code, body).out, text_reply("OK")) << r.line;
        r.change(a);
        r.change(b);
        EXPECT_TRUE(same_bytes(input(2), a)) << r.line;
        EXPECT_TRUE(same_bytes(input(15), b)) << r.line;
        EXPECT_TRUE(same_bytes(input(3), keep)) << r.line;
        week_schedule s;
        ASSERT_EQ(r.read(TQDB_FILE, &s, 15), 0) << r.line;
        EXPECT_STREQ(s.days[0].slots[3].start_time, "i");
        EXPECT_NE(r.read(TQDB_FILE, &s, 16), 0) << r.line;
        EXPECT_NE(r.read(TQDB_FILE, &s, 63), 0) << r.line;
        expect_sent({{1415, mask_bytes(1u << 2 | 1u << 15)}}, r.line);
    }
    alarm_in_record none;
    EXPECT_NE(read_alarm_in(TQDB_FILE, &none, 16), 0);
}

TEST_F(AlarmInputs, TriggerPageCopiesTheEffectiveScheduleAndSetsTheTargetOfItsType) {
    week_schedule eff;
    std::memset(&eff, 0, sizeof eff);
    set_text(eff.days[4].slots[0].start_time, "eff");
    ASSERT_EQ(write_alarmin_effective_schedule(TQDB_FILE, &eff, 1), 0);
    struct row {
        int line;
        int type;
        void (*change)(alarm_in_record&);
    } rows[] = {
        {__LINE__, 0, [](alarm_in_record& a) { set_text(a.tri_channels, "0011"); a.tri_channels_mask = 0xC; }},
        {__LINE__, 1, [](alarm_in_record& a) { a.tri_alarms = 9; }},
    };
    for (const row& r : rows) {
        fresh_case();
        alarm_in_record a = seed_input(4), src = seed_input(1);
        std::string body = "{\"camId\": 1, \"type\": " + num(r.type) +
                           ", \"cnt\": 2, \"chnid\": [4, 40], \"triChannels\": \"0011\", \"triAlarms\": 9}";
        EXPECT_EQ(post("/6127", body).out, text_reply("OK")) << r.line;
        r.change(a);
        EXPECT_TRUE(same_bytes(input(4), a)) << r.line;
        EXPECT_TRUE(same_bytes(input(1), src)) << r.line;
        EXPECT_EQ(cgi_get(root, "/6169", "4").out, json_reply(schedule_json({{4, 0, "eff", "", 0}}))) << r.line;
        expect_sent({{1415, mask_bytes(1u << 4)}, masked_log(909, 1u << 4)}, r.line);
    }
    fresh_case();
    for (const char* body : {"{\"camId\": 16, \"cnt\": 1, \"chnid\": [4]}", "{\"cnt\": 1, \"chnid\": [4]}"})
        EXPECT_EQ(post("/6127", body).out, text_reply("CGI ERROR")) << body;
    EXPECT_TRUE(sent().empty());
}

TEST_F(AlarmInputs, SchedulesAndPtzCopyStayWithinTheSixteenInputs) {
    std::string body = "{\"camId\": 3, \"schedule\": " + schedule_request({{1, 1, "on", "off", 1}}) + "}";
    EXPECT_EQ(post("/6170", body).out, text_reply("OK"));
    EXPECT_EQ(cgi_get(root, "/6169", "3").out, json_reply(schedule_json({{1, 1, "on", "off", 1}})));
    EXPECT_EQ(post("/6170", "{\"camId\": 16}").out, text_reply("CGI ERROR"));
    for (const char* code : {"/6128", "/6129", "/6168", "/6169"}) {
        EXPECT_EQ(cgi_get(root, code, "15").out, json_reply(schedule_json())) << code;
        EXPECT_EQ(cgi_get(root, code, "16").out, "") << code;
    }

    ptz_action ptz[action_list_len] = {};
    ptz[0] = {3, 2, 0, 1, 1, 0, 0};
    ASSERT_EQ(write_ptz_params_all(TQDB_FILE, ptz, 0, 3), 0);
    EXPECT_EQ(post("/6167", "{\"camId\": 3, \"cnt\": 2, \"chnid\": [9, 20], \"schedule\": " +
                                               schedule_request({{0, 0, "z", "", 0}}) + "}")
                  .out,
              text_reply("OK"));
    EXPECT_EQ(post("/6161", "{\"type\": 0, \"chn_id\": 9}").out,
              json_reply("{ \"ptzInfo\": [ " +
                         spaced({{"acto_ptz_channel", "2"}, {"acto_ptz_type", "1"}, {"acto_ptz_preset", "1"}, {"acto_ptz_patrol", "0"}}) +
                         " ] }"));
    EXPECT_EQ(cgi_get(root, "/6168", "9").out, json_reply(schedule_json({{0, 0, "z", "", 0}})));
    ptz_action none[action_list_len];
    int count = 0;
    EXPECT_NE(read_ptz_params(TQDB_FILE, none, 0, 20, &count), 0);
    EXPECT_EQ(post("/6167", "{\"camId\": 16, \"cnt\": 1, \"chnid\": [9]}").out, text_reply("CGI ERROR"));

    expect_sent({{1404, int_bytes({3})}, {1415, mask_bytes(1u << 9)}}, __LINE__);
}

}  // namespace
}  // namespace evtest
