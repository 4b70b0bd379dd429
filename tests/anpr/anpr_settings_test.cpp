// Plate list actions per mode, and the camera's recognition settings and
// plate formats through the core daemon.
#include <cstring>
#include <string>

#include "platform/tqdb/rec_action.h"
#include "tests/anpr/anpr_cases.h"

namespace anprtest {
namespace {

using PlateActions = store_case;

event_action_record stored_action(int chn, int mode) {
    event_action_record rec;
    std::memset(&rec, 0, sizeof rec);
    EXPECT_EQ(read_anpr_event(TQDB_FILE, &rec, chn, mode), 0) << "channel " << chn << " mode " << mode;
    return rec;
}

// Each mode keeps its record, schedules and white-light names apart; the
// dialog's own "enable" is not taken, the page's is; 1416 names (channel, mode).
TEST_F(PlateActions, EachModeStoresItsActionsApart) {
    struct row {
        int line;
        int mode;
        const char* white_list;
    } rows[] = {
        {__LINE__, -1, "lpr_vistor_white_led_params"},
        {__LINE__, 0, "lpr_black_white_led_params"},
        {__LINE__, 1, "lpr_white_white_led_params"},
        {__LINE__, 2, "lpr_vistor_white_led_params"},
    };
    for (const row& r : rows) {
        fresh_case();
        const int chn = 20 + r.mode;
        std::string body = R"({"chnid": )" + num(chn) + R"(, "mode": )" + num(r.mode) +
                           R"(, "enable": 1, "dialog": {"enable": 0, "interval": 45, "triChannels": "011", "effective": )" +
                           schedule_request({{2, 1, "01:00", "12:00", 1}}) + R"(, "whiteInfo": [[4, 1, 30]],)"
                           R"( "ptzParams": [{"acto_ptz_channel": 2, "acto_ptz_type": 1, "acto_ptz_preset": 7}]}})";
        EXPECT_EQ(post("/6180", body).out, text_reply("OK")) << "row at line " << r.line;
        expect_sent({{1416, int_bytes({chn, r.mode})}}, r.line);
        event_action_record rec = stored_action(chn, r.mode);
        EXPECT_EQ(rec.enable, 1) << "row at line " << r.line;
        EXPECT_EQ(rec.interval, 45) << "row at line " << r.line;
        EXPECT_EQ(rec.tri_channels_mask, 6u) << "row at line " << r.line;
        EXPECT_STREQ(rec.tri_channels, "011") << "row at line " << r.line;
        // No other mode of the channel was touched.
        for (int other = -1; other <= 2; ++other) {
            event_action_record none;
            if (other == r.mode) continue;
            EXPECT_NE(read_anpr_event(TQDB_FILE, &none, chn, other), 0) << "row at line " << r.line;
        }
        week_schedule sched;
        EXPECT_EQ(read_anpr_effective_schedule(TQDB_FILE, &sched, chn, r.mode), 0) << "row at line " << r.line;
        led_entry led[action_list_len] = {};
        int count = 0;
        read_whiteled_params(TQDB_FILE, led, r.white_list, chn, &count);
        EXPECT_EQ(count, 1) << "row at line " << r.line;
        // PTZ kind mode + 15.
        ptz_action ptz[action_list_len] = {};
        count = 0;
        read_ptz_params(TQDB_FILE, ptz, r.mode + 15, chn, &count);
        EXPECT_EQ(count, 1) << "row at line " << r.line;
        EXPECT_EQ(ptz[0].acto_ptz_preset, 7) << "row at line " << r.line;

        const std::string got = post("/6179", R"({"chnid": )" + num(chn) + R"(, "mode": )" + num(r.mode) + "}").out;
        if (r.mode == -1) {
            EXPECT_EQ(member_names(got), (std::vector<std::string>{"chnid", "mode", "effective"}))
                << "row at line " << r.line;
        } else {
            EXPECT_EQ(member_names(got).size(), 22u) << "row at line " << r.line;
            EXPECT_EQ(member_at(got, "interval"), "45") << "row at line " << r.line;
            EXPECT_EQ(member_at(got, "enable"), "1") << "row at line " << r.line;
            EXPECT_EQ(member_at(got, "whiteInfo/0/time"), "30") << "row at line " << r.line;
            EXPECT_EQ(member_at(got, "ptzParams/0/acto_ptz_preset"), "7") << "row at line " << r.line;
        }
    }
}

TEST_F(PlateActions, BadChannelOrModeIsRefusedWithoutAChange) {
    struct row {
        int line;
        const char* code;
        const char* body;
    } rows[] = {
        {__LINE__, "/6179", R"({"chnid": 64, "mode": 0})"},
        {__LINE__, "/6179", R"({"chnid": 1, "mode": 3})"},
        {__LINE__, "/6180", R"({"chnid": -1, "mode": 0, "enable": 1})"},
        {__LINE__, "/6180", R"({"chnid": 1, "mode": -2, "enable": 1})"},
        {__LINE__, "/6182", R"({"chnid": 64, "dialog": {"interval": 5}})"},
        {__LINE__, "/6191", R"({"chnid": 64, "filter": 1})"},
    };
    for (const row& r : rows) {
        fresh_case();
        EXPECT_EQ(post(r.code, r.body).out, json_failure()) << "row at line " << r.line;
        EXPECT_TRUE(sent().empty()) << "row at line " << r.line;
        for (int mode = -1; mode <= 2; ++mode) EXPECT_EQ(tqdb_count(TQDB_FILE, tqdb_tbl_anpr_event[mode + 1]), 0);
    }
}

// The dialog of a recognition setting edits the stored list-independent
// record of the request's channel: its other fields stay, and channel 0's
// record is not written.
TEST_F(PlateActions, RecognitionSettingEditsTheChannelsOwnActionRecord) {
    event_action_record seed;
    std::memset(&seed, 0, sizeof seed);
    seed.chnid = 5;
    seed.interval = 20;
    seed.audio_id = 3;
    ASSERT_EQ(write_anpr_event(TQDB_FILE, &seed, -1), 0);
    answer_int(3290, 0);
    std::string body = R"({"chnid": 5, "dialog": {"email_interval": 9}, "enable": 1, "post_http_user": ")" +
                       std::string(70, 'u') + R"(", "region": ["EU", "US"], "preset": [[], [{}, {}, {"endY": 77}]],)"
                       R"( "formatData": {"chnid": 5, "filter": 2, "wildcards": [{"enable": 1, "cr_count": 7, "format": "AA-999-AA"}]}})";
    EXPECT_EQ(post("/6182", body).out, text_reply("OK"));
    event_action_record rec = stored_action(5, -1);
    EXPECT_EQ(rec.interval, 20);
    EXPECT_EQ(rec.audio_id, 3);
    EXPECT_EQ(rec.email_interval, 9);
    event_action_record none;
    EXPECT_NE(read_anpr_event(TQDB_FILE, &none, 0, -1), 0);

    bytes format = record(224).i32(0, 5).i32(4, 2).i32(8, 1).i32(44, 7).text(80, "AA-999-AA");
    bytes settings = record(3672)
                         .i32(0, 5)
                         .i32(4, 1)
                         .text(76, std::string(63, 'u'))
                         .text(720, "EU")
                         .text(752, "US")
                         .i32(2100 + 6 * 80 + 76, 77);
    expect_sent({{1208, format}, {3290, settings}}, __LINE__);
}

// An action change that cannot be stored answers the failure, keeps the
// stored record and tells the core daemon nothing (no 1416, no 3290).
TEST_F(PlateActions, AFailedActionStoreTellsTheCoreNothing) {
    event_action_record seed;
    std::memset(&seed, 0, sizeof seed);
    seed.chnid = 4;
    seed.interval = 20;
    for (int mode = -1; mode <= 2; ++mode) ASSERT_EQ(write_anpr_event(TQDB_FILE, &seed, mode), 0);
    struct row {
        int line;
        const char* code;
        const char* body;
        int mode;
    } rows[] = {
        {__LINE__, "/6180", R"({"chnid": 4, "mode": 1, "dialog": {"interval": 5}})", 1},
        {__LINE__, "/6180", R"({"chnid": 4, "mode": 2, "enable": 1})", 2},
        {__LINE__, "/6182", R"({"chnid": 4, "dialog": {"interval": 5}, "enable": 1})", -1},
    };
    for (const row& r : rows) {
        fresh_case();
        refused_writes refuse(tqdb_tbl_anpr_event[r.mode + 1].name);
        ASSERT_TRUE(refuse) << "row at line " << r.line;
        EXPECT_EQ(post(r.code, r.body).out, json_failure()) << "row at line " << r.line;
        EXPECT_TRUE(sent().empty()) << "row at line " << r.line;
        EXPECT_TRUE(same_bytes(stored_action(4, r.mode), seed)) << "row at line " << r.line;
    }
}

TEST_F(PlateActions, CameraAnswersDecideTheReplies) {
    bytes settings = record(3672).i32(0, 3).text(720 + 31 * 32, "LAST").i32(1776, 1).i32(2100 + 15 * 80 + 76, 99);
    bytes format = record(224).i32(0, 3).i32(4, 1).i32(8 + 8 * 4, 1).text(80 + 8 * 16, "999");
    struct row {
        int line;
        const char* code;
        const char* body;
        int32_t msg;
        bytes answer;  // empty: no answer
        std::string path;
        std::string want;
    } rows[] = {
        {__LINE__, "/6181", R"({"chnid": 3})", 3289, settings, "preset/3/3/endy", "99"},
        {__LINE__, "/6181", R"({"chnid": 3})", 3289, settings, "region/31", "\"LAST\""},
        {__LINE__, "/6181", R"({"chnid": 3})", 3289, settings, "in_night_mode", "1"},
        {__LINE__, "/6190", R"({"chnid": 3})", 1207, format, "wildcards/8/format", "\"999\""},
    };
    for (const row& r : rows) {
        fresh_case();
        answer(r.msg, r.answer);
        const std::string got = post(r.code, r.body).out;
        EXPECT_EQ(member_at(got, r.path), r.want) << "row at line " << r.line;
        expect_sent({{r.msg, int_bytes({3})}}, r.line);
    }
    struct verdict_row {
        int line;
        int32_t result;
        std::string want;
    } verdicts[] = {{__LINE__, 0, text_reply("OK")}, {__LINE__, 1, text_reply("FAILED")}};
    for (const verdict_row& v : verdicts) {
        fresh_case();
        answer_int(1208, v.result);
        // Twelve wildcards fill only the nine slots.
        std::string list = "[";
        for (int i = 0; i < 12; ++i) list += std::string(i ? "," : "") + R"({"enable": 1, "cr_count": )" + num(i) + "}";
        EXPECT_EQ(post("/6191", R"({"chnid": 2, "filter": 1, "wildcards": )" + list + "]}").out, v.want)
            << "row at line " << v.line;
        record want(224);
        want.i32(0, 2).i32(4, 1);
        for (int i = 0; i < 9; ++i) want.i32(8 + 4 * i, 1).i32(44 + 4 * i, i);
        expect_sent({{1208, want}}, v.line);
    }
    fresh_case();
    answer_nothing(3290);
    EXPECT_EQ(post("/6182", R"({"chnid": 1})").out, json_failure());
}

}  // namespace
}  // namespace anprtest
