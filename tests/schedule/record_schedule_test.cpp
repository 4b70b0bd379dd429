// Recording schedules ("/6040", "/6041") and recording modes ("/6042",
// "/6043"), end to end through webreq.
#include "platform/tqdb/rec_record.h"
#include "platform/tqdb/rec_schedule.h"
#include "tests/harness/exchange_case.h"

#include <fstream>
#include <iterator>

namespace {

using RecordSchedule = xcase::exchange_case;
using RecordModes = xcase::exchange_case;
using xcase::oplog;

// The stored row of a channel, which must exist.
record_row row_of(int chn) {
    record_row row;
    EXPECT_EQ(load_record(TQDB_FILE, &row, chn), 0) << chn;
    return row;
}

void set_mode(int chn, int mode) {
    record_row row = row_of(chn);
    row.mode = mode;
    ASSERT_EQ(write_record(TQDB_FILE, &row), 0);
}

int mode_of(int chn) { return row_of(chn).mode; }

record_schedule schedule_of(int chn) {
    record_schedule sched;
    EXPECT_EQ(load_record_schedule(TQDB_FILE, &sched, chn), 0) << chn;
    return sched;
}

// A day of the request form with the given plans text.
std::string day(int enable, int action, const std::string& plans) {
    return "{\"wholedayEnable\": " + std::to_string(enable) + ", \"wholedayActionType\": " +
           std::to_string(action) + ", \"plans\": [" + plans + "]}";
}

std::string week(const std::string& first_day) {
    std::string days = first_day;
    for (int d = 1; d < 8; ++d) days += ", " + day(0, 0, "");
    return "[" + days + "]";
}

TEST_F(RecordSchedule, AScheduleForTwoChannelsChangesOnlyTheModeThatDiffers) {
    set_mode(2, 1);
    set_mode(5, 0);
    record_schedule untouched = schedule_of(3);
    // Channels outside 0..63 are skipped; elements past "cnt" are ignored.
    cgi_result res = post("/6041", "{\"cnt\": 4, \"chnid\": [2, 64, 5, -1, 9], \"recordplanmode\": 1, "
                                   "\"schedule\": " + week(day(0, 0, "[\"00:00\", \"12:00\", 3]")) + "}");
    EXPECT_EQ(res.out, text_reply("OK"));
    EXPECT_EQ(mode_of(2), 1);
    EXPECT_EQ(mode_of(5), 1);
    EXPECT_EQ(mode_of(9), 0);
    for (int chn : {2, 5}) {
        record_schedule s = schedule_of(chn);
        EXPECT_STREQ(s.week.days[0].slots[0].start_time, "00:00") << chn;
        EXPECT_STREQ(s.week.days[0].slots[0].end_time, "12:00") << chn;
        EXPECT_EQ(s.week.days[0].slots[0].action_type, 3) << chn;
    }
    record_schedule three = schedule_of(3);
    EXPECT_EQ(std::memcmp(&three, &untouched, sizeof three), 0);
    EXPECT_STREQ(schedule_of(9).week.days[0].slots[0].start_time, "");

    // Masks of two words, low word first; the log names the last listed
    // channel + 1.
    expect_sent({{1413, int_bytes({0x20, 0})}, {1411, int_bytes({0x24, 0})}, {3485, oplog(204, 907, 6)}}, __LINE__);
}

TEST_F(RecordSchedule, HighChannelsTravelInTheHighWordOfTheMasks) {
    cgi_result res = post("/6041", "{\"cnt\": 3, \"chnid\": [63, 32, 63], \"recordplanmode\": 2, "
                                   "\"schedule\": " + week(day(1, 4, "")) + "}");
    EXPECT_EQ(res.out, text_reply("OK"));
    expect_sent({{1413, int_bytes({0, static_cast<int32_t>(0x80000001u)})},
                 {1411, int_bytes({0, static_cast<int32_t>(0x80000001u)})},
                 {3485, oplog(204, 907, 64)}},
                __LINE__);
    EXPECT_EQ(mode_of(63), 2);
    EXPECT_EQ(schedule_of(32).week.days[0].day_flag, 1);
    EXPECT_EQ(schedule_of(32).week.days[0].day_action_type, 4);
}

TEST_F(RecordSchedule, PlansGoInAsArraysAndComeBackAsObjectsOfAllFortyEightSlots) {
    std::string long_time(40, '9');
    std::string plans = "[\"" + long_time + "\", \"23:59\", 7], [\"01:00\"], 5, null, [\"02:00\", \"03:00\", 1]";
    for (int i = 5; i < 50; ++i) plans += ", [\"x\", \"y\", 9]";
    std::string days = day(1, 2, plans) + ", " + day(0, 6, "[\"08:00\", \"09:00\", 1]") + ", \"monday\"";
    for (int d = 3; d < 9; ++d) days += ", " + day(1, d, "");
    ASSERT_EQ(post("/6041", "{\"cnt\": 1, \"chnid\": [7], \"recordplanmode\": 0, \"schedule\": [" + days + "]}").out,
              text_reply("OK"));

    record_schedule s = schedule_of(7);
    const sched_day& d0 = s.week.days[0];
    EXPECT_EQ(std::string(d0.slots[0].start_time), std::string(31, '9'));
    EXPECT_EQ(d0.slots[0].action_type, 7);
    EXPECT_STREQ(d0.slots[1].start_time, "01:00");  // a short entry fills what it has
    EXPECT_STREQ(d0.slots[1].end_time, "");
    EXPECT_EQ(d0.slots[1].action_type, 0);
    EXPECT_STREQ(d0.slots[2].start_time, "");        // not an array: empty
    EXPECT_STREQ(d0.slots[3].start_time, "");
    EXPECT_STREQ(d0.slots[4].start_time, "02:00");
    EXPECT_STREQ(d0.slots[47].start_time, "x");     // entries past 48 are ignored
    EXPECT_EQ(s.week.days[1].day_action_type, 0);   // read only when the day is enabled
    EXPECT_STREQ(s.week.days[1].slots[0].start_time, "08:00");
    EXPECT_EQ(s.week.days[2].day_flag, 0);          // not an object: empty
    EXPECT_EQ(s.week.days[7].day_action_type, 7);   // the ninth day (8) is ignored

    cgi_result res = cgi_get(root, "/6040", "7");
    std::string out = res.out;
    ASSERT_EQ(out.rfind(json_reply("{ \"id\": 7, \"schedule\": [ { \"wholedayEnable\": 1, \"wholedayActionType\": 2, "
                                   "\"plans\": [ { \"startTime\": \"" + std::string(31, '9') +
                                   "\", \"endTime\": \"23:59\", \"actionType\": 7 }, { \"startTime\": \"01:00\", "
                                   "\"endTime\": \"\", \"actionType\": 0 }, "),
                        0),
              0u)
        << out.substr(0, 300);
    json_ref obj = json_body(res);
    json_object* sched = req_array(obj, "schedule");
    ASSERT_NE(sched, nullptr);
    ASSERT_EQ(json_object_array_length(sched), 8u);
    for (size_t d = 0; d < 8; ++d)
        EXPECT_EQ(json_object_array_length(req_array(json_object_array_get_idx(sched, d), "plans")), 48u);
}

TEST_F(RecordSchedule, InvalidRequestsGetNoReplyAndChangeNothing) {
    record_schedule before = schedule_of(1);
    set_mode(1, 2);
    struct row {
        const char* code;
        std::string text;
        bool get;
    } rows[] = {
        {"/6041", "{\"chnid\": [1], \"recordplanmode\": 0, \"schedule\": []}", false},
        {"/6041", "{\"cnt\": 1, \"recordplanmode\": 0, \"schedule\": []}", false},
        {"/6041", "{\"cnt\": 1, \"chnid\": 1, \"recordplanmode\": 0, \"schedule\": []}", false},
        {"/6041", "{\"cnt\": 1, \"chnid\": [1], \"recordplanmode\": 0}", false},
        {"/6041", "{\"cnt\": 1, \"chnid\": [1], \"recordplanmode\": 0, \"schedule\": {}}", false},
        {"/6041", "cnt=1", false},
        {"/6040", "64", true},
        {"/6040", "-1", true},
        {"/6040", "abc", true},
        {"/6040", "3abc", true},
        {"/6040", "", true},
        {"/6040", "99999999999999999999", true},
    };
    for (const auto& r : rows) {
        cgi_result res = r.get ? cgi_get(root, r.code, r.text) : post(r.code, r.text);
        EXPECT_EQ(res.out, "") << r.code << " " << r.text;
        EXPECT_EQ(res.status, 0);
    }
    record_schedule after = schedule_of(1);
    EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
    EXPECT_EQ(mode_of(1), 2);
    EXPECT_TRUE(sent().empty());
}

TEST_F(RecordModes, TheListStopsAtMaxCamerasClampedToTheTable) {
    set_mode(0, 2);
    set_mode(63, 1);
    struct row {
        const char* max_cameras;
        size_t listed;
    } rows[] = {{"4", 4}, {"100", 64}, {"0", 1}, {"-3", 1}, {"64", 64}};
    for (const auto& r : rows) {
        set_param_value(TQDB_FILE, "max_cameras", r.max_cameras);
        cgi_result res = cgi_get(root, "/6042");
        ASSERT_EQ(res.out.rfind(json_reply("{ \"records\": [ { \"id\": 0, \"mode\": 2 }"), 0), 0u) << res.out;
        json_ref obj = json_body(res);
        json_object* list = req_array(obj, "records");
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(json_object_array_length(list), r.listed) << r.max_cameras;
        if (r.listed == 64) {
            EXPECT_EQ(req_int_or(json_object_array_get_idx(list, 63), "mode", -1), 1);
        }
    }
    EXPECT_TRUE(sent().empty());
}

TEST_F(RecordModes, EntriesApplyByPositionAndTheNoticesFollowTheReply) {
    std::string out_file = root.file("/webreq.out");
    std::string written_at_notice;
    coresim::rule watch;
    watch.id = 1407;
    watch.times = 1;
    watch.handler = [&](const coresim::request&, std::vector<coresim::out_msg>&) {
        std::ifstream in(out_file);
        written_at_notice.assign(std::istreambuf_iterator<char>(in), {});
    };
    core.add_rule(watch);
    record_row row8 = row_of(1);
    row8.post_record_duration = 30;
    ASSERT_EQ(write_record(TQDB_FILE, &row8), 0);

    cgi_request req{.method = "POST", .path_info = "/6043", .content_type = "application/json",
                    .body = "{\"records\": [{\"id\": 7, \"mode\": 2}, {\"id\": 8, \"mode\": 1}, {\"id\": 9, \"mode\": 2}]}"};
    req.stdout_file = out_file;
    EXPECT_EQ(run_webreq(root, req).out, text_reply("OK"));

    EXPECT_EQ(mode_of(0), 2);
    EXPECT_EQ(mode_of(1), 1);
    EXPECT_EQ(mode_of(2), 2);
    for (int chn : {7, 8, 9}) EXPECT_EQ(mode_of(chn), 0);
    EXPECT_EQ(row_of(1).post_record_duration, 30);

    auto msgs = sent(4);
    ASSERT_EQ(msgs.size(), 4u);
    // The daemon is idle, so the watch has run: the reply was there first.
    EXPECT_EQ(written_at_notice, text_reply("OK"));
    EXPECT_EQ(oplog_of(msgs[0]).parameter_type, 905);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(msgs[i + 1].id, 1407);
        EXPECT_EQ(msgs[i + 1].payload.size(), 4u);
        EXPECT_EQ(int_at(msgs[i + 1].payload, 0), i);
    }
}

TEST_F(RecordModes, AnyBadEntryAnswersErrorAndWritesNothing) {
    std::string entries64, entries65;
    for (int i = 0; i < 65; ++i) {
        (i ? entries65 += ", " : entries65) += "{\"id\": 0, \"mode\": 1}";
        if (i < 64) (i ? entries64 += ", " : entries64) += "{\"id\": 0, \"mode\": 1}";
    }
    const std::string bodies[] = {
        "{\"records\": [{\"id\": 0, \"mode\": 1}, {\"id\": 64, \"mode\": 1}]}",
        "{\"records\": [{\"id\": 0, \"mode\": 1}, {\"id\": -1, \"mode\": 1}]}",
        "{\"records\": [{\"id\": 0, \"mode\": 1}, {\"id\": 1, \"mode\": 3}]}",
        "{\"records\": [{\"id\": 0, \"mode\": 1}, {\"id\": 1, \"mode\": -1}]}",
        "{\"records\": [{\"id\": 0, \"mode\": 1}, {\"id\": 1}]}",
        "{\"records\": [{\"id\": 0, \"mode\": 1}, {\"mode\": 1}]}",
        "{\"records\": [{\"id\": 0, \"mode\": 1}, 5]}",
        "{\"records\": [" + entries65 + "]}",
        "{\"records\": {\"id\": 0, \"mode\": 1}}",
        "{}",
        "records=1",
    };
    for (const auto& body : bodies) EXPECT_EQ(post("/6043", body).out, text_reply("ERROR")) << body;
    for (int chn = 0; chn < 64; ++chn) EXPECT_EQ(mode_of(chn), 0) << chn;
    EXPECT_TRUE(sent().empty());

    // 64 entries are the most a request may hold.
    EXPECT_EQ(post("/6043", "{\"records\": [" + entries64 + "]}").out, text_reply("OK"));
    EXPECT_EQ(mode_of(63), 1);
    sent(65);
    EXPECT_EQ(core.messages(1407).size(), 64u);
}

}  // namespace
