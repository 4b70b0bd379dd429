// System time end to end: what /7000 shows, what /7001 stores, the manual
// time it hands to the core, and its one reply whatever the core does.
#include "front/web_utils.h"
#include "platform/tqdb/rec_services.h"
#include "tests/harness/store_case.h"

#include <cstdlib>
#include <ctime>
#include <functional>
#include <regex>

namespace {

using xcase::msg;

class Time : public xcase::store_case {
protected:
    time_record stored() { return read_back<time_record>(tqdb_tbl_time); }
    void store(const time_record& rec) { ASSERT_EQ(write_time(TQDB_FILE, &rec), 0); }

    static time_record sample() {
        time_record rec;
        std::memset(&rec, 0, sizeof rec);
        rec.ntp_enable = 1;
        rec.dst_enable = 1;
        copy_text(rec.time_zone, sizeof rec.time_zone, "GMT+01:00");
        copy_text(rec.time_zone_name, sizeof rec.time_zone_name, "Europe/Berlin");
        copy_text(rec.ntp_server, sizeof rec.ntp_server, "ntp.example.org");
        rec.sync_enable = 1;
        rec.sync_interval = 600;
        rec.sync_pc = 1;
        return rec;
    }
};

// The members every store needs; a row adds or replaces the rest.
std::string time_body(const std::string& more = "", const char* sync = "2") {
    std::string body = std::string("{\"ntpEnable\": 0, \"dstEnable\": 0, \"timeZone\": \"GMT-05:00\", ") +
                       "\"timeZoneName\": \"America/New_York\", \"syncEnable\": 1, \"syncInterval\": " + sync +
                       ", \"syncPc\": 0";
    return body + (more.empty() ? "" : ", " + more) + "}";
}

// 1701's payload: the text between quotes, or zeros.
coresim::bytes manual(const std::string& text) { return padded("\"" + text + "\"", 32); }

TEST_F(Time, StoringTakesEveryMemberAndMapsTheIntervalIndexToMinutes) {
    using edit = std::function<void(time_record&)>;
    // What time_body() stores.
    const edit body = [](time_record& r) {
        r.ntp_enable = r.dst_enable = r.sync_pc = 0;
        copy_text(r.time_zone, sizeof r.time_zone, "GMT-05:00");
        copy_text(r.time_zone_name, sizeof r.time_zone_name, "America/New_York");
        r.sync_enable = 1;
        r.sync_interval = 300;
    };
    const std::string long_zone(40, 'z'), long_server(70, 's');
    struct row {
        int line;
        std::string body;
        edit expect;  // applied to the record as it was
    } rows[] = {
        {__LINE__, time_body("\"ntpServer\": \"time.example.net\"", "0"),
         [&](time_record& r) {
             body(r);
             copy_text(r.ntp_server, sizeof r.ntp_server, "time.example.net");
             r.sync_interval = 60;
         }},
        // The last index, and indices outside 0..8, which store a day.
        {__LINE__, time_body("", "8"), [&](time_record& r) { body(r), r.sync_interval = 43200; }},
        {__LINE__, time_body("", "9"), [&](time_record& r) { body(r), r.sync_interval = 1440; }},
        {__LINE__, time_body("", "-1"), [&](time_record& r) { body(r), r.sync_interval = 1440; }},
        {__LINE__, time_body("", "\"5\""), [&](time_record& r) { body(r), r.sync_interval = 2880; }},
        // Texts are cut to their fields; a left-out server keeps the stored one.
        {__LINE__, time_body(), body},
        {__LINE__,
         "{\"ntpEnable\": 1, \"dstEnable\": 1, \"timeZone\": \"" + long_zone + "\", \"timeZoneName\": \"\", " +
             "\"ntpServer\": \"" + long_server + "\", \"syncEnable\": 0, \"syncInterval\": 3, \"syncPc\": 7}",
         [&](time_record& r) {
             copy_text(r.time_zone, sizeof r.time_zone, long_zone.substr(0, 31).c_str());
             copy_text(r.time_zone_name, sizeof r.time_zone_name, "");
             copy_text(r.ntp_server, sizeof r.ntp_server, long_server.substr(0, 63).c_str());
             r.sync_enable = 0;
             r.sync_interval = 600;
             r.sync_pc = 7;
         }},
    };
    for (const auto& r : rows) {
        fresh_case();
        store(sample());
        EXPECT_EQ(post("/7001", r.body).out, text_reply("OK")) << "row at line " << r.line;
        time_record want = sample();
        r.expect(want);
        time_record got = stored();
        EXPECT_EQ(std::memcmp(&got, &want, sizeof got), 0) << "row at line " << r.line;
    }
}

TEST_F(Time, TheManualTimeGoesQuotedToTheCoreOnlyWhenTheClockIsSetByHand) {
    struct row {
        int line;
        std::string body;
        coresim::bytes payload;
    } rows[] = {
        {__LINE__, time_body("\"manualTime\": \"2024-05-01 12:30:00\""), manual("2024-05-01 12:30:00")},
        {__LINE__, time_body("\"manualTime\": \"05/01/2024 12:30\", \"failoverMode\": 1"), manual("05/01/2024 12:30")},
        {__LINE__, time_body("\"manualTime\": \"\""), manual("")},
        // Both quotes stay: the text is cut to the 29 characters between them.
        {__LINE__, time_body("\"manualTime\": \"2024-05-01 12:30:00 2024-05-01 12:30:00\""),
         manual("2024-05-01 12:30:00 2024-05-0")},
        // NTP, the failover mode that follows the main recorder, or no time given: zeros.
        {__LINE__,
         "{\"ntpEnable\": 1, \"dstEnable\": 0, \"timeZone\": \"\", \"timeZoneName\": \"\", \"syncEnable\": 1, "
         "\"syncInterval\": 4, \"syncPc\": 0, \"manualTime\": \"2024-05-01 12:30:00\"}",
         coresim::bytes(32, 0)},
        {__LINE__, time_body("\"manualTime\": \"2024-05-01 12:30:00\", \"failoverMode\": 2"), coresim::bytes(32, 0)},
        {__LINE__, time_body(), coresim::bytes(32, 0)},
        // A time that is never sent is not checked.
        {__LINE__,
         "{\"ntpEnable\": 1, \"dstEnable\": 0, \"timeZone\": \"\", \"timeZoneName\": \"\", \"syncEnable\": 1, "
         "\"syncInterval\": 4, \"syncPc\": 0, \"manualTime\": \"$(reboot)\"}",
         coresim::bytes(32, 0)},
    };
    for (const auto& r : rows) {
        fresh_case();
        EXPECT_EQ(post("/7001", r.body).out, text_reply("OK")) << "row at line " << r.line;
        expect_sent({{1701, r.payload}, {1711, {}}, {3485, xcase::oplog(225, 900, 0)}}, r.line);
    }
}

TEST_F(Time, RequestsThatFailTheChecksStoreAndSendNothing) {
    struct row {
        int line;
        std::string body;
    } rows[] = {
        {__LINE__, time_body("\"ntpEnable\": 2")},
        {__LINE__, time_body("\"dstEnable\": -1")},
        {__LINE__, "{\"ntpEnable\": 0, \"dstEnable\": 0, \"timeZoneName\": \"\", \"syncEnable\": 1, "
                   "\"syncInterval\": 4, \"syncPc\": 0}"},
        {__LINE__, "{\"ntpEnable\": 0, \"dstEnable\": 0, \"timeZone\": \"\", \"timeZoneName\": \"\", "
                   "\"syncEnable\": 1, \"syncPc\": 0}"},
        {__LINE__, "{\"ntpEnable\": 0, \"dstEnable\": 0, \"timeZone\": \"\", \"timeZoneName\": \"\", "
                   "\"syncEnable\": 1, \"syncInterval\": 4}"},
        // The core quotes the manual time into a command line.
        {__LINE__, time_body("\"manualTime\": \"2024-05-01\\\"; reboot; \\\"\"")},
        {__LINE__, time_body("\"manualTime\": \"$(reboot)\"")},
        {__LINE__, time_body("\"manualTime\": \"2024-05-01`id`\"")},
        {__LINE__, time_body("\"manualTime\": \"12:00\\n\"")},
        {__LINE__, "ntpEnable=0"},
        {__LINE__, ""},
    };
    store(sample());
    for (const auto& r : rows) {
        fresh_case();
        const std::string before = db_snapshot(root);
        cgi_result res = post("/7001", r.body);
        EXPECT_EQ(res.out, "") << "row at line " << r.line;
        EXPECT_EQ(res.status, 0) << "row at line " << r.line;
        EXPECT_TRUE(db_snapshot(root) == before) << "row at line " << r.line;
        EXPECT_TRUE(sent().empty()) << "row at line " << r.line << ": " << ids_text(sent());
    }
}

TEST_F(Time, TheReplyIsOneOkWhateverTheCoreAnswers) {
    // The wait for the clock is 240 s on the recorder: shortened further here.
    setenv("NVR_TIME_DIVISOR", "2000", 1);
    struct row {
        int line;
        std::function<void(Time&)> script;
        std::vector<int32_t> ids;
    } rows[] = {
        {__LINE__, [](Time&) {}, {1701, 1711, 3485}},
        {__LINE__, [](Time& t) { t.core.add_reply(1701, 0, {}); }, {1701, 1711, 3485}},
        {__LINE__, [](Time& t) { t.answer_nothing(1701); }, {1701, 3485}},
        {__LINE__, [](Time& t) { t.core.add_reply(1701, 6702, {0, 0, 0, 0}); }, {1701, 3485}},
        // Too late: the wait is over and nothing is written after the "OK".
        {__LINE__, [](Time& t) { t.core.add_reply(1701, 0, {0, 0, 0, 0}, 30000); }, {1701, 3485}},
    };
    for (const auto& r : rows) {
        fresh_case();
        r.script(*this);
        cgi_result res = post("/7001", time_body("\"manualTime\": \"2024-05-01 12:30:00\""));
        EXPECT_EQ(res.out, text_reply("OK")) << "row at line " << r.line;
        EXPECT_EQ(res.status, 0) << "row at line " << r.line;
        auto msgs = sent(r.ids.size());
        EXPECT_EQ(ids_of(msgs), r.ids) << "row at line " << r.line;
    }
    EXPECT_EQ(stored().sync_interval, 300);
}

TEST_F(Time, AStoreThatFailsAnswersTheFailureAndTellsNobody) {
    expect_unstored({__LINE__, "/7001", time_body(), {"time"}, xcase::text_failure()});
}

TEST_F(Time, ShowingGivesTheClockAsTextsAndTheIntervalAsItsIndex) {
    struct row {
        int line;
        int32_t minutes;
        int index;
    } rows[] = {
        {__LINE__, 60, 0}, {__LINE__, 600, 3}, {__LINE__, 7200, 6}, {__LINE__, 43200, 8},
        {__LINE__, 1000, 4}, {__LINE__, 0, 4}, {__LINE__, -60, 4},
    };
    for (const auto& r : rows) {
        time_record rec = sample();
        rec.sync_interval = r.minutes;
        store(rec);
        std::time_t before = std::time(nullptr);
        cgi_result res = cgi_get(root, "/7000");
        std::time_t after = std::time(nullptr);
        json_ref obj = json_body(res);
        ASSERT_TRUE(obj) << "row at line " << r.line << ": " << res.out;
        EXPECT_EQ(req_int_or(obj, "syncInterval", -1), r.index) << "row at line " << r.line;

        // The date parts are texts of fixed width and agree with serverTime,
        // which is the local time of the request.
        const std::string date = std::string(req_str(obj, "dateYear")) + "-" + req_str(obj, "dateMon") + "-" +
                                 req_str(obj, "dateDay") + " " + req_str(obj, "dateHour") + ":" +
                                 req_str(obj, "dateMin") + ":" + req_str(obj, "dateSec");
        EXPECT_TRUE(std::regex_match(date, std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)"))) << date;
        EXPECT_EQ(date, req_str(obj, "serverTime")) << "row at line " << r.line;
        std::tm shown{};
        strptime(date.c_str(), "%Y-%m-%d %H:%M:%S", &shown);
        shown.tm_isdst = -1;
        std::time_t at = std::mktime(&shown);
        EXPECT_TRUE(at >= before - 1 && at <= after) << "row at line " << r.line << ": " << date;
    }
    // Members after the date, in order, with the stored values.
    const std::string out = cgi_get(root, "/7000").out;
    EXPECT_NE(out.find("\"ntpEnable\": 1, \"dstEnable\": 1, \"timeZone\": \"GMT+01:00\", \"timeZoneName\": "
                       "\"Europe\\/Berlin\", \"ntpServer\": \"ntp.example.org\", \"syncEnable\": 1, "
                       "\"syncInterval\": 4, \"syncPc\": 1 }"),
              std::string::npos)
        << out;
    EXPECT_TRUE(sent().empty());
}

}  // namespace
