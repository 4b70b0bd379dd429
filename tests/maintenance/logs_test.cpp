// The log page: the search and export requests built from the browser's
// members, the page and CSV written from the core daemon's answers, the
// export marker, log entries and the type catalogue with its translations.
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <thread>

#include "platform/msg_log.h"
#include "platform/trans.h"
#include "tests/maintenance/maintenance_case.h"

namespace xcase {
namespace {

constexpr int32_t t_2024_06_15_120000 = 1718452800;  // 2024-06-15 12:00:00 UTC

class LogPage : public maintenance_case {
protected:
    // Times in these tests are UTC.
    cgi_result post_utc(const std::string& code, const std::string& body) {
        cgi_request req = json_post(code, body);
        req.env["TZ"] = "UTC0";
        return run_webreq(root, req);
    }
    static oplog_record entry(int32_t main, int64_t sub, int32_t param, const char* ip, const char* user) {
        oplog_record r;
        std::memset(&r, 0, sizeof r);
        r.main_type = main;
        r.sub_type = sub;
        r.parameter_type = param;
        r.pts = t_2024_06_15_120000;
        r.chan_no = 3;
        std::snprintf(r.ip, sizeof r.ip, "%s", ip);
        std::snprintf(r.user, sizeof r.user, "%s", user);
        return r;
    }
    static bytes page_of(int32_t total, const std::vector<oplog_record>& recs) {
        auto page = std::make_unique<log_page>();
        std::memset(page.get(), 0, sizeof *page);
        page->total = total;
        page->count = static_cast<int32_t>(recs.size());
        for (size_t i = 0; i < recs.size(); ++i) page->records[i] = recs[i];
        return bytes_of(*page);
    }
    static std::string search(const std::string& extra, const std::string& lang = "en") {
        return R"({"language":")" + lang +
               R"(","mainType":1,"subTypeArr":[10],"startTime":"2024-06-15 00:00:00","endTime":"2024-06-15 23:59:59","curPageNum":2)" +
               extra + "}";
    }
};

// What "/1002" and "/1003" send for the browser's members, and the requests
// they refuse with the JSON failure without sending anything.
TEST_F(LogPage, SearchRequests) {
    struct row {
        int line;
        std::string code, body;
        bool sent;  // false: refused, nothing sent
        uint64_t channels = 0;
        std::vector<int64_t> subs = {10};
        int32_t page = 2, no_channel = 0, start = 1718409600, main = 1;
    } rows[] = {
        {__LINE__, "/1002", search(R"(,"chnMask":"1010","searchNoChn":1)"), true, 0b0101, {10}, 2, 1},
        // Character 64 of the mask is bit 63.
        {__LINE__, "/1002", search(R"(,"chnMask":")" + std::string(63, '0') + "1\""), true, uint64_t{1} << 63},
        // The export: "T" between date and time, page 1, a decimal channel mask, "na".
        {__LINE__, "/1003",
         R"({"language":"en","mainType":2,"subTypeArr":[11,13],"startTime":"2024-06-15T00:00:00","endTime":"2024-06-15T23:59:59","curPageNum":7,"ch":"18446744073709551615","na":1})",
         true, ~uint64_t{0}, {11, 13}, 1, 1, 1718409600, 2},
        // Operation log: group values 10 + 5, 10, 10 search 101 and 103.
        {__LINE__, "/1003",
         R"({"language":"en","mainType":4,"subTypeArr":[15,10,10],"startTime":"2024-06-15T00:00:00","endTime":"2024-06-15T23:59:59","curPageNum":1})",
         true, 0, {101, 103}, 1, 0, 1718409600, 4},
        // The third group names 200 + bit: 10 + 2^29 is sub type 229.
        {__LINE__, "/1003",
         R"({"language":"en","mainType":4,"subTypeArr":[11,10,536870922],"startTime":"2024-06-15T00:00:00","endTime":"2024-06-15T23:59:59","curPageNum":1})",
         true, 0, {101, 229}, 1, 0, 1718409600, 4},
        // The first sub type 10 keeps the list as it is.
        {__LINE__, "/1003",
         R"({"language":"en","mainType":4,"subTypeArr":[10,15],"startTime":"2024-06-15T00:00:00","endTime":"2024-06-15T23:59:59","curPageNum":1})",
         true, 0, {10, 15}, 1, 0, 1718409600, 4},
        {__LINE__, "/1002", R"({"mainType":1,"subTypeArr":[10],"startTime":"2024-06-15 00:00:00","endTime":"2024-06-15 23:59:59","curPageNum":1})", false},
        {__LINE__, "/1002", R"({"language":"en","mainType":0,"subTypeArr":[10],"startTime":"2024-06-15 00:00:00","endTime":"2024-06-15 23:59:59","curPageNum":1})", false},
        {__LINE__, "/1002", R"({"language":"en","mainType":65,"subTypeArr":[10],"startTime":"2024-06-15 00:00:00","endTime":"2024-06-15 23:59:59","curPageNum":1})", false},
        {__LINE__, "/1002", R"({"language":"en","mainType":1,"subTypeArr":[9],"startTime":"2024-06-15 00:00:00","endTime":"2024-06-15 23:59:59","curPageNum":1})", false},
        {__LINE__, "/1002", R"({"language":"en","mainType":1,"subTypeArr":[],"startTime":"2024-06-15 00:00:00","endTime":"2024-06-15 23:59:59","curPageNum":1})", false},
        {__LINE__, "/1002", R"({"language":"en","mainType":1,"subTypeArr":[10],"startTime":"2024-06-15 00:00:00","endTime":"2024-06-15 23:59:59"})", false},
        // A time that does not read is no search from 1900.
        {__LINE__, "/1002", R"({"language":"en","mainType":1,"subTypeArr":[10],"startTime":"yesterday","endTime":"2024-06-15 23:59:59","curPageNum":1})", false},
        {__LINE__, "/1003", "not json", false},
    };
    for (const auto& r : rows) {
        fresh_case();
        answer(3495, page_of(0, {}));
        answer(3494, record(68).text(4, "/tmp/none.bin"));
        cgi_result res = post_utc(r.code, r.body);
        if (!r.sent) {
            EXPECT_EQ(res.out, json_failure()) << "row at line " << r.line;
            EXPECT_EQ(sent_ids(), std::vector<int32_t>{}) << "row at line " << r.line;
            continue;
        }
        record want(840);
        want.i32(0, r.start).i32(4, r.start + 86399).i32(8, r.main);
        for (size_t i = 0; i < r.subs.size(); ++i) want.i64(16 + 8 * i, r.subs[i]);
        want.i32(816, static_cast<int32_t>(r.subs.size())).i32(820, r.page).i64(824, static_cast<int64_t>(r.channels));
        want.i32(832, r.no_channel);
        expect_sent({{r.code == "/1002" ? 3495 : 3494, want}}, r.line);
    }
}

// The page: names in the request's language, addresses without "::ffff:"
// or zone, the detail as text and as big-endian words; an answer without a
// page is "ERROR", a daemon that does not answer the JSON failure.
TEST_F(LogPage, PageWriter) {
    oplog_record a = entry(4, 204, 913, "::ffff:192.168.1.5", "admin");
    std::memcpy(a.detail, "\x01\x02\x03\x04" "ab", 6);
    a.detail_size = 6;
    oplog_record b = entry(2, 11, 904, "fe80::1%eth0", "system");
    oplog_record c = entry(32, 403, 0, "::ffff:fe80::1", "");
    struct row {
        int line;
        std::string lang;
        std::vector<std::string> main_names, sub_names, ips;
    } rows[] = {
        {__LINE__, "en", {"Operation", "Event", "Exception"}, {"Modify settings", "Motion detection start", "Network disconnected"},
         {"192.168.1.5", "fe80::1", "::ffff:fe80::1"}},
        {__LINE__, "de", {"Bedienung", "Ereignis", "Ausnahme"}, {"Einstellungen geändert", "Bewegungserkennung Beginn", "Netzwerk getrennt"},
         {"192.168.1.5", "fe80::1", "::ffff:fe80::1"}},
        // An unknown language and a path never select a file: English.
        {__LINE__, "xx", {"Operation", "Event", "Exception"}, {"Modify settings", "Motion detection start", "Network disconnected"},
         {"192.168.1.5", "fe80::1", "::ffff:fe80::1"}},
        {__LINE__, "../logtypes/de", {"Operation", "Event", "Exception"}, {"Modify settings", "Motion detection start", "Network disconnected"},
         {"192.168.1.5", "fe80::1", "::ffff:fe80::1"}},
    };
    for (const auto& r : rows) {
        fresh_case();
        answer(3495, page_of(250, {a, b, c}));
        cgi_result res = post_utc("/1002", search("", r.lang));
        json_ref page = json_body(res);
        ASSERT_TRUE(page) << "row at line " << r.line << ": " << res.out;
        EXPECT_EQ(req_int_or(page, "count", -1), 250) << "row at line " << r.line;
        EXPECT_EQ(req_int_or(page, "num", -1), 3) << "row at line " << r.line;
        EXPECT_EQ(req_int_or(page, "curPageNum", -1), 2) << "row at line " << r.line;
        json_object* log = req_array(page, "log");
        ASSERT_EQ(json_object_array_length(log), 3u) << "row at line " << r.line;
        for (size_t i = 0; i < 3; ++i) {
            json_object* e = json_object_array_get_idx(log, i);
            EXPECT_EQ(req_int_or(e, "no", -1), static_cast<int>(i)) << "row at line " << r.line;
            EXPECT_STREQ(req_str(e, "mainType"), r.main_names[i].c_str()) << "row at line " << r.line;
            EXPECT_STREQ(req_str(e, "subType"), r.sub_names[i].c_str()) << "row at line " << r.line;
            EXPECT_STREQ(req_str(e, "ip"), r.ips[i].c_str()) << "row at line " << r.line;
            EXPECT_STREQ(req_str(e, "ptc"), "2024-06-15 12:00:00") << "row at line " << r.line;
        }
        json_object* first = json_object_array_get_idx(log, 0);
        EXPECT_EQ(json_object_get_int64(json_object_array_get_idx(req_array(first, "detail2"), 0)), 0x01020304);
        EXPECT_EQ(json_object_array_length(req_array(first, "detail2")), 128u);
        EXPECT_STREQ(req_str(first, "user"), "admin");
        // Parameter 0 has no name.
        EXPECT_STREQ(req_str(json_object_array_get_idx(log, 2), "parameter"), "");
    }
    struct empty_row {
        int line;
        bool answered;
        bytes payload;
        std::string out;
    } empties[] = {
        {__LINE__, true, page_of(0, {}), json_reply(R"({ "count": 0, "num": 0, "curPageNum": 2, "log": [ ] })")},
        {__LINE__, true, {}, json_reply("ERROR")},
        {__LINE__, false, {}, json_failure()},
    };
    for (const auto& r : empties) {
        fresh_case();
        if (r.answered)
            answer(3495, r.payload);
        else
            answer_nothing(3495);
        EXPECT_EQ(post_utc("/1002", search("")).out, r.out) << "row at line " << r.line;
    }
}

class LogExport : public LogPage {
protected:
    // An export file of the given entries with their texts.
    void put_export(const std::string& path, const std::vector<std::pair<oplog_record, std::string>>& entries,
                    int32_t count, size_t cut = 0) {
        std::string data(reinterpret_cast<const char*>(&count), 4);
        for (const auto& [rec, text] : entries) {
            data.append(reinterpret_cast<const char*>(&rec), sizeof rec);
            std::string block(log_export_text, '\0');
            block.replace(0, text.size(), text);
            data += block;
        }
        if (cut) data.resize(data.size() - cut);
        root.write(path, data);
    }
    std::string body_of(const cgi_result& res) {
        size_t end = res.out.find("\r\n\r\n");
        return end == std::string::npos ? "" : res.out.substr(end + 4);
    }
    static std::string export_request() {
        return R"({"language":"en","mainType":4,"subTypeArr":[10],"startTime":"2024-06-15T00:00:00","endTime":"2024-06-15T23:59:59","curPageNum":1})";
    }
};

const char* csv_head = "Number,Time,Main,Sub,Parameter,User,Ip,Channel,Log information,\r\n";

// The CSV rows written from the export file: texts quoted with inner quotes
// doubled, empty texts and parameter names as N/A, the file removed.
TEST_F(LogExport, CsvFromTheExportFile) {
    const oplog_record op = entry(4, 204, 913, "::ffff:10.0.0.7", "admin");
    const oplog_record ev = entry(2, 13, 0, "fe80::2%eth1", "system");
    struct row {
        int line;
        std::vector<std::pair<oplog_record, std::string>> entries;
        int32_t count;
        size_t cut;
        std::string rows;
    } rows[] = {
        {__LINE__, {{op, "Display \"main\" changed"}, {ev, ""}}, 2, 0,
         "1,2024-06-15 12:00:00,Operation,Modify settings,Display and general,admin,10.0.0.7,3,\"Display \"\"main\"\" changed\",\r\n"
         "2,2024-06-15 12:00:00,Event,Video loss,N/A,system,fe80::2,3,\"N/A\",\r\n"},
        // A count larger than the file: the rows that are whole.
        {__LINE__, {{op, "a"}, {ev, "b"}}, 5, 0,
         "1,2024-06-15 12:00:00,Operation,Modify settings,Display and general,admin,10.0.0.7,3,\"a\",\r\n"
         "2,2024-06-15 12:00:00,Event,Video loss,N/A,system,fe80::2,3,\"b\",\r\n"},
        // A text cut short: no row for it.
        {__LINE__, {{op, "a"}, {ev, "b"}}, 2, 1,
         "1,2024-06-15 12:00:00,Operation,Modify settings,Display and general,admin,10.0.0.7,3,\"a\",\r\n"},
        {__LINE__, {}, 0, 0, ""},
    };
    for (const auto& r : rows) {
        fresh_case();
        put_export("/tmp/log/export.bin", r.entries, r.count, r.cut);
        answer(3494, record(68).text(4, "/tmp/log/export.bin"));
        cgi_result res = post_utc("/1003", export_request());
        EXPECT_EQ(body_of(res), csv_head + r.rows) << "row at line " << r.line;
        EXPECT_NE(res.out.find("filename= Operation_log_"), std::string::npos) << "row at line " << r.line;
        EXPECT_FALSE(root.exists("/tmp/log/export.bin")) << "row at line " << r.line;
    }
}

// Answers that name no usable file give the header row only; the path is
// read within its 64 bytes and only a file is removed.
TEST_F(LogExport, AnswersWithoutAFile) {
    mkdir(root.file("/tmp/log").c_str(), 0755);
    mkdir(root.file("/tmp/log/dir").c_str(), 0755);
    root.write("/tmp/log/dir/keep", "x");
    struct row {
        int line;
        bytes answer;
    } rows[] = {
        {__LINE__, record(68).text(4, "/tmp/log/missing.bin")},
        {__LINE__, record(68)},
        {__LINE__, record(68).fill(4, 64, 'a')},
        {__LINE__, record(68).text(4, "/tmp/log/dir")},
    };
    for (const auto& r : rows) {
        fresh_case();
        answer(3494, r.answer);
        EXPECT_EQ(body_of(post_utc("/1003", export_request())), csv_head) << "row at line " << r.line;
    }
    EXPECT_EQ(root.read("/tmp/log/dir/keep"), "x");
    fresh_case();
    answer_nothing(3494);
    EXPECT_EQ(post_utc("/1003", export_request()).out, json_failure());
}

// "/1022" says "OK" while an export runs (its folder made first) and "NO"
// after it.
TEST_F(LogExport, MarkerWhileExporting) {
    struct row {
        int line;
        bool folder_exists;
    } rows[] = {{__LINE__, false}, {__LINE__, true}};
    for (const auto& r : rows) {
        fresh_case();
        if (r.folder_exists) mkdir(root.file("/tmp/log").c_str(), 0755);
        std::string during;
        coresim::rule rule;
        rule.id = 3494;
        rule.handler = [&](const coresim::request&, std::vector<coresim::out_msg>& out) {
            during = get("/1022").out;
            coresim::add_message(out, 8494, record(68).data().data(), 68);
        };
        core.add_rule(rule);
        post_utc("/1003", export_request());
        EXPECT_EQ(during, text_reply("OK")) << "row at line " << r.line;
        EXPECT_EQ(get("/1022").out, text_reply("NO")) << "row at line " << r.line;
    }
}

// The simulated daemon's own log (300 entries, one every 15 minutes back
// from now): the search pages through it, the export writes it whole.
TEST_F(LogExport, SimulatedDaemonLog) {
    char start[32], end[32];
    time_t now = time(nullptr);
    for (auto [t, buf] : {std::pair{now - 4 * 86400, start}, std::pair{now + 86400, end}}) {
        struct tm tm {};
        gmtime_r(&t, &tm);
        strftime(buf, 32, "%Y-%m-%d %H:%M:%S", &tm);
    }
    struct row {
        int line;
        int page, main_type;
        int count, num;  // matches in all, records on the page
    } rows[] = {
        {__LINE__, 1, 1, 300, 100},
        {__LINE__, 3, 1, 300, 100},
        {__LINE__, 4, 1, 300, 0},
        // One kind in 13 is a debug entry.
        {__LINE__, 1, 64, 23, 23},
    };
    for (const auto& r : rows) {
        fresh_case();
        std::string body = R"({"language":"en","mainType":)" + std::to_string(r.main_type) +
                           R"(,"subTypeArr":[10],"startTime":")" + start + R"(","endTime":")" + end +
                           R"(","curPageNum":)" + std::to_string(r.page) + "}";
        json_ref page = json_body(post_utc("/1002", body));
        ASSERT_TRUE(page) << "row at line " << r.line;
        EXPECT_EQ(req_int_or(page, "count", -1), r.count) << "row at line " << r.line;
        EXPECT_EQ(req_int_or(page, "num", -1), r.num) << "row at line " << r.line;
    }
    fresh_case();
    std::string body = std::string(R"({"language":"en","mainType":1,"subTypeArr":[10],"startTime":")") + start +
                       R"(","endTime":")" + end + R"(","curPageNum":1})";
    for (char* p : {std::strchr(body.data() + body.find("startTime") + 12, ' '),
                    std::strchr(body.data() + body.find("endTime") + 10, ' ')})
        *p = 'T';
    std::string csv = body_of(post_utc("/1003", body));
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 301);
    EXPECT_EQ(root.list("/tmp/log"), std::vector<std::string>{});
}

// "/1021": the entry as the daemon gets it, and its answer.
TEST_F(LogPage, EntriesWritten) {
    std::string long_ip(60, '1');
    struct row {
        int line;
        std::string body;
        bool answered;
        bytes answer;
        std::string out;
        bytes sent;  // empty: nothing sent
    } rows[] = {
        {__LINE__,
         R"({"mainTypeValue":4,"subTypeValue":204,"pts":1718452800,"parameterValue":913,"remote":1,"chanNo":2,"size":8,"ip":"10.0.0.1","user":"admin","detail2":[16909060,-1]})",
         true, padded("done", 16), text_reply("done"),
         record(672).i32(0, 4).i64(8, 204).i32(20, 1718452800).i32(24, 913).i32(28, 1).i32(32, 2).text(36, "10.0.0.1")
             .text(82, "admin").i32(148, 8).text(152, std::string("\x01\x02\x03\x04\xff\xff\xff\xff", 8))},
        // The address is cut to its 45 characters.
        {__LINE__, R"({"ip":")" + long_ip + R"("})", true, {}, text_reply("N/A"), record(672).text(36, long_ip.substr(0, 45))},
        {__LINE__, R"({"mainTypeValue":2})", false, {}, text_failure(), record(672).i32(0, 2)},
        {__LINE__, "not json", true, {}, "", {}},
    };
    for (const auto& r : rows) {
        fresh_case();
        if (r.answered)
            answer(3488, r.answer);
        else
            answer_nothing(3488);
        EXPECT_EQ(post("/1021", r.body).out, r.out) << "row at line " << r.line;
        if (r.sent.empty())
            EXPECT_EQ(sent_ids(), std::vector<int32_t>{}) << "row at line " << r.line;
        else
            expect_sent({{3488, r.sent}}, r.line);
    }
}

// "/1015": the main types and their sub types, in order, and names for all.
TEST_F(LogPage, TypeCatalogue) {
    struct row {
        int line;
        std::string body;
        bool oem_90;
        std::vector<size_t> sub_counts;
        std::string name_of_11;
    } rows[] = {
        {__LINE__, R"({"lan":"en"})", false, {1, 29, 70, 17, 12, 5}, "Motion detection start"},
        {__LINE__, R"({"lan":"en"})", true, {1, 31, 70, 17, 12, 5}, "Motion detection start"},
        {__LINE__, R"({"lan":"de"})", false, {1, 29, 70, 17, 12, 5}, "Bewegungserkennung Beginn"},
        {__LINE__, R"({"lan":"/etc/passwd"})", false, {1, 29, 70, 17, 12, 5}, "Motion detection start"},
        {__LINE__, R"({})", false, {1, 29, 70, 17, 12, 5}, "Motion detection start"},
    };
    const int mains[] = {1, 2, 4, 8, 32, 64};
    for (const auto& r : rows) {
        fresh_case();
        set_param_int(TQDB_FILE, "oem_type", r.oem_90 ? 90 : 0);
        json_ref cat = json_body(post("/1015", r.body));
        ASSERT_TRUE(cat) << "row at line " << r.line;
        json_object* main_list = req_array(cat, "mainType");
        json_object* sub_lists = req_array(cat, "subType");
        ASSERT_EQ(json_object_array_length(main_list), 6u) << "row at line " << r.line;
        ASSERT_EQ(json_object_array_length(sub_lists), 6u) << "row at line " << r.line;
        for (size_t m = 0; m < 6; ++m) {
            json_object* main = json_object_array_get_idx(main_list, m);
            EXPECT_EQ(req_int_or(main, "key", -1), mains[m]) << "row at line " << r.line;
            EXPECT_STRNE(req_str(main, "name"), "") << "row at line " << r.line;
            json_object* subs = json_object_array_get_idx(sub_lists, m);
            EXPECT_EQ(json_object_array_length(subs), r.sub_counts[m]) << "row at line " << r.line << ", main " << mains[m];
            for (size_t i = 0; i < json_object_array_length(subs); ++i) {
                json_object* sub = json_object_array_get_idx(subs, i);
                EXPECT_STRNE(req_str(sub, "name"), "") << "row at line " << r.line << ", sub " << req_int_or(sub, "key", -1);
                if (req_int_or(sub, "key", 0) == 11) {
                    EXPECT_STREQ(req_str(sub, "name"), r.name_of_11.c_str());
                }
            }
        }
        // The event list ends with 38..41, 37, 42.
        json_object* events = json_object_array_get_idx(sub_lists, 1);
        size_t n = json_object_array_length(events);
        std::vector<int> tail;
        for (size_t i = n - 6; i < n; ++i) tail.push_back(req_int_or(json_object_array_get_idx(events, i), "key", 0));
        EXPECT_EQ(tail, (std::vector<int>{38, 39, 40, 41, 37, 42})) << "row at line " << r.line;
    }
    EXPECT_EQ(post("/1015", "not json").out, json_failure());
}

// The catalogues: every parameter type the system writes has an English
// name; a language falls back to English number by number.
TEST(LogTypeNames, CataloguesAndFallback) {
    struct row {
        int line;
        const char* lang;
        int init;
        int64_t number;
        const char* name;
    } rows[] = {
        {__LINE__, "en", 0, 913, "Display and general"},
        {__LINE__, "de", 0, 913, "Anzeige und Allgemein"},
        {__LINE__, "de", 0, 225, "Reset to defaults (keep users)"},  // not in German: English
        {__LINE__, "zz", 1, 3, "Operation"},
        {__LINE__, "de/../en", 1, 3, "Operation"},
        {__LINE__, "", 1, 3, "Operation"},
        {__LINE__, "en", 0, 99999, ""},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(trans_init(r.lang), r.init) << "row at line " << r.line;
        char buf[128];
        trans_get_value(r.number, buf, sizeof buf);
        EXPECT_STREQ(buf, r.name) << "row at line " << r.line;
        trans_deinit();
    }
    ASSERT_EQ(trans_init("en"), 0);
    char buf[128];
    for (int p = 900; p <= 925; ++p) EXPECT_EQ(trans_get_value(p, buf, sizeof buf), 0) << "parameter " << p;
    for (int i = 1; i <= 6; ++i) EXPECT_EQ(trans_get_value(i, buf, sizeof buf), 0) << "main index " << i;
    trans_deinit();
}

}  // namespace
}  // namespace xcase
