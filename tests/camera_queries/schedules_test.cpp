// The event schedules of a channel ("/2035") and storing them ("/2036"):
// the database afterwards and the replies.
#include "platform/tqdb/rec_event_schedule.h"
#include "platform/tqdb/tqdb.h"
#include "tests/harness/db_faults.h"
#include "tests/harness/exchange_case.h"

#include <cstring>

namespace xcase {
namespace {

const char* const members[] = {
    "schedule_motion",          "schedule_region_entrance", "schedule_region_exit",
    "schedule_advanced_motion", "schedule_tamper_detection", "schedule_line_crossing",
    "schedule_loitering",       "schedule_human_detection", "schedule_people_counting",
};

// The request form of a week whose every slot is [start, end, action].
std::string week_json(const std::string& start, const std::string& end, int action) {
    std::string slot = "[\"" + start + "\",\"" + end + "\"," + std::to_string(action) + "]";
    std::string day = "[";
    for (int s = 0; s < 12; ++s) day += (s ? "," : "") + slot;
    day += "]";
    std::string week = "[";
    for (int d = 0; d < 8; ++d) week += (d ? "," : "") + day;
    return week + "]";
}

// The reply form of a week whose every slot is the same.
std::string week_reply(const std::string& start, const std::string& end, int action) {
    std::string slot = "{ \"startTime\": \"" + start + "\", \"endTime\": \"" + end +
                       "\", \"actionType\": " + std::to_string(action) + " }";
    std::string day = "[ ";
    for (int s = 0; s < 12; ++s) day += (s ? ", " : "") + slot;
    day += " ]";
    std::string week = "[ ";
    for (int d = 0; d < 8; ++d) week += (d ? ", " : "") + day;
    return week + " ]";
}

// Reads schedule n (0 motion, 1.. smart event n - 1) of a channel; false
// when it was never stored.
bool stored(int n, int chn, week_schedule* sched) {
    std::memset(sched, 0, sizeof *sched);
    return (n == 0 ? read_motion_effective_schedule(TQDB_FILE, sched, chn)
                   : read_smart_event_effective_schedule(TQDB_FILE, sched, chn, n - 1)) == 0;
}

std::string slot_start(const week_schedule& s, int day, int slot) { return s.days[day].slots[slot].start_time; }

class EventSchedules : public exchange_case {};

TEST_F(EventSchedules, AChannelWithoutSchedulesShowsMidnightSlots) {
    std::string want = "{ ";
    for (int n = 0; n < 9; ++n)
        want += std::string(n ? ", " : "") + "\"" + members[n] + "\": " + week_reply("00:00", "00:00", 0);
    want += " }";
    EXPECT_EQ(post("/2035", R"({"channel":7})").out, json_reply(want));
    EXPECT_TRUE(sent().empty());
}

TEST_F(EventSchedules, StoringWritesOnlyTheNumbersOfTheRange) {
    std::string body = R"({"channel":5,"start":1,"end":2)";
    for (int n = 0; n < 9; ++n) body += ",\"" + std::string(members[n]) + "\":" + week_json("08:00", "12:00", n + 1);
    body += "}";
    EXPECT_EQ(post("/2036", body).out, text_reply("OK"));

    week_schedule s;
    for (int n = 0; n < 9; ++n) {
        bool want = n == 1 || n == 2;
        ASSERT_EQ(stored(n, 5, &s), want) << "schedule " << n;
        if (want) {
            EXPECT_EQ(slot_start(s, 7, 11), "08:00") << "schedule " << n;
            EXPECT_EQ(s.days[7].slots[11].action_type, n + 1) << "schedule " << n;
            // Only the 12 slots the page edits are filled.
            EXPECT_EQ(slot_start(s, 0, 12), "") << "schedule " << n;
        }
    }
    for (int chn : {0, 4, 6}) EXPECT_FALSE(stored(1, chn, &s)) << "channel " << chn;
    EXPECT_TRUE(sent().empty());
}

TEST_F(EventSchedules, TheRangeIsKeptToTheNineSchedules) {
    struct row {
        int line;
        std::string range;
        std::vector<int> written;
    } rows[] = {
        {__LINE__, R"("start":-2147483648,"end":2147483647)", {0, 1, 2, 3, 4, 5, 6, 7, 8}},
        {__LINE__, R"("start":8,"end":100)", {8}},
        {__LINE__, R"("start":-3,"end":0)", {0}},
        {__LINE__, R"("start":3,"end":2)", {}},
        {__LINE__, R"("start":9,"end":12)", {}},
    };
    int chn = 0;
    for (const auto& r : rows) {
        std::string body = "{\"channel\":" + std::to_string(chn) + "," + r.range;
        for (int n = 0; n < 9; ++n) body += ",\"" + std::string(members[n]) + "\":" + week_json("01:00", "02:00", 1);
        body += "}";
        EXPECT_EQ(post("/2036", body).out, text_reply("OK")) << "row at line " << r.line;
        week_schedule s;
        for (int n = 0; n < 9; ++n) {
            bool want = std::find(r.written.begin(), r.written.end(), n) != r.written.end();
            EXPECT_EQ(stored(n, chn, &s), want) << "row at line " << r.line << ", schedule " << n;
        }
        ++chn;
    }
}

TEST_F(EventSchedules, StoredSchedulesComeBackAndEmptySlotsShowMidnight) {
    std::string loiter = R"([[["07:30","09:45",2],["","18:00",3]],[],"x"])";
    std::string body = R"({"channel":63,"start":0,"end":8,"schedule_motion":)" + week_json("06:00", "07:00", 4) +
                       R"(,"schedule_loitering":)" + loiter + "}";
    EXPECT_EQ(post("/2036", body).out, text_reply("OK"));
    cgi_result res = post("/2035", R"({"channel":63})");
    ASSERT_EQ(res.out.rfind(json_reply(""), 0), 0u) << res.out;
    EXPECT_NE(res.out.find("\"schedule_motion\": " + week_reply("06:00", "07:00", 4)), std::string::npos);
    // Slot 0 of day 0 as stored; a slot without a start, and the missing or
    // malformed days, as midnight.
    std::string midnight = R"({ "startTime": "00:00", "endTime": "00:00", "actionType": 0 })";
    std::string day0 = R"([ { "startTime": "07:30", "endTime": "09:45", "actionType": 2 })";
    for (int s = 1; s < 12; ++s) day0 += ", " + midnight;
    day0 += " ]";
    EXPECT_NE(res.out.find("\"schedule_loitering\": [ " + day0 + ", [ " + midnight), std::string::npos) << res.out;
    // Members the request left out stay unstored.
    week_schedule s;
    EXPECT_FALSE(stored(1, 63, &s));
    EXPECT_TRUE(stored(6, 63, &s));
}

// The schedules of one request are stored together: when one cannot be
// stored none is, and the answer is the failure.
TEST_F(EventSchedules, AStoreThatFailsLeavesEverySchedule) {
    struct row {
        int line;
        std::vector<std::string> refused;
    } rows[] = {
        {__LINE__, {"smart_event_effective_schedule"}},  // after the motion schedule
        {__LINE__, {"motion_effective_schedule"}},
    };
    std::string body = R"({"channel":4,"start":0,"end":8)";
    for (int n = 0; n < 9; ++n)
        body += ",\"" + std::string(members[n]) + "\":" + week_json("03:00", "04:00", 1);
    body += "}";
    for (const auto& r : rows) {
        {
            refused_writes refused(r.refused);
            EXPECT_EQ(post("/2036", body).out, text_failure()) << "row at line " << r.line;
        }
        week_schedule s;
        for (int n = 0; n < 9; ++n)
            EXPECT_FALSE(stored(n, 4, &s)) << "row at line " << r.line << ", schedule " << n;
    }
    EXPECT_EQ(post("/2036", body).out, text_reply("OK"));
}

TEST_F(EventSchedules, ChannelsOutsideTheRecorderAreRefused) {
    for (const std::string& body :
         {std::string(R"({"channel":64})"), std::string(R"({"channel":-1})"), std::string(R"({})"), std::string("x")}) {
        EXPECT_EQ(post("/2035", body).out, "") << body;
    }
    std::string motion = R"("schedule_motion":)" + week_json("01:00", "02:00", 1);
    for (const std::string& chn : {std::string("64"), std::string("-1"), std::string("2147483647")}) {
        EXPECT_EQ(post("/2036", R"({"channel":)" + chn + R"(,"start":0,"end":8,)" + motion + "}").out, "") << chn;
    }
    week_schedule s;
    for (int chn = 0; chn < 64; ++chn) EXPECT_FALSE(stored(0, chn, &s)) << chn;
}

}  // namespace
}  // namespace xcase

namespace xcase {
namespace {

TEST_F(EventSchedules, TheMotionPagesScheduleIsTheOneTheOverviewShowsAndStores) {
    // Stored by the motion page, shown by the overview.
    std::string week = R"([[["06:00","07:00",4]],[],[],[],[],[],[],[]])";
    ASSERT_EQ(post("/6152", R"({"camId": 9, "schedule": )" + week + "}").out, text_reply("OK"));
    cgi_result res = post("/2035", R"({"channel":9})");
    std::string slot = R"({ "startTime": "06:00", "endTime": "07:00", "actionType": 4 })";
    EXPECT_NE(res.out.find("\"schedule_motion\": [ [ " + slot), std::string::npos) << res.out;

    // Stored by the overview, answered by the motion page's getter.
    ASSERT_EQ(post("/2036", R"({"channel":10,"start":0,"end":0,"schedule_motion":)" + week + "}").out,
              text_reply("OK"));
    EXPECT_NE(cgi_get(root, "/6153", "10").out.find(slot), std::string::npos);
}

}  // namespace
}  // namespace xcase
