// Network disks and disk removal end to end: the records stored, the
// messages with their bytes, the log entries, and the directory list.
#include "tests/storage/storage_fixture.h"

#include <functional>
#include <sstream>

namespace {

using Nas = StorageFixture;

coresim::bytes port_list(std::initializer_list<int32_t> ports) {
    disk_port_list msg;
    std::memset(&msg, 0, sizeof msg);
    for (int32_t p : ports) msg.port[msg.num++] = p;
    return bytes_of(msg);
}

void expect_nas_record(const disk_record& rec, int port, const char* vendor, const char* address,
                       const char* directory, int line) {
    EXPECT_EQ(rec.port, port) << "row at line " << line;
    EXPECT_EQ(rec.enable, 1) << "row at line " << line;
    EXPECT_EQ(rec.hdd_type, disk_type_nas) << "row at line " << line;
    EXPECT_EQ(rec.property, 1) << "row at line " << line;
    EXPECT_EQ(rec.group, 0) << "row at line " << line;
    EXPECT_STREQ(rec.vendor, vendor) << "row at line " << line;
    EXPECT_STREQ(rec.address, address) << "row at line " << line;
    EXPECT_STREQ(rec.directory, directory) << "row at line " << line;
}

TEST_F(Nas, AddingStoresEachDiskSendsThePortsAndLogsEachAfterTheAnswer) {
    const std::string long_addr(70, 'a'), long_dir(140, 'd');
    std::ostringstream many;  // 35 ports 1..35
    many << "{\"num\": 40, \"port\": [";
    for (int p = 1; p <= 35; ++p) many << (p > 1 ? ", " : "") << p;
    many << "]}";
    struct stored {
        int port;
        std::string vendor, address, directory;
    };
    struct row {
        int line;
        std::string body;
        std::function<void(Nas&)> setup;
        std::string reply;
        std::vector<stored> disks;  // stored, sent and logged in this order
        bool logged;
    } rows[] = {
        {__LINE__,
         "{\"num\": 2, \"port\": [9, 10], \"vendor\": [\"a\", \"b\"], \"address\": [\"10.0.0.1\", \"10.0.0.2\"], "
         "\"directory\": [\"/x\", \"/y\"]}",
         [](Nas&) {}, text_reply("OK"), {{9, "a", "10.0.0.1", "/x"}, {10, "b", "10.0.0.2", "/y"}}, true},
        // "num" beyond the array; missing texts store empty ones; texts cut.
        {__LINE__,
         "{\"num\": 5, \"port\": [11, 12], \"vendor\": [\"c\"], \"address\": [\"" + long_addr +
             "\"], \"directory\": [\"" + long_dir + "\", null]}",
         [](Nas&) {}, text_reply("OK"),
         {{11, "c", long_addr.substr(0, 63), long_dir.substr(0, 127)}, {12, "", "", ""}}, true},
        // A port outside the disk table is neither stored nor sent.
        {__LINE__, "{\"num\": 3, \"port\": [99, 13, -1]}", [](Nas&) {}, text_reply("OK"), {{13, "", "", ""}}, true},
        {__LINE__, "{\"num\": 1, \"port\": [14]}", [](Nas& f) { f.answer_int(3507, 1); }, text_reply("Error"),
         {{14, "", "", ""}}, true},
        // Without an answer the records stay stored but nothing is logged.
        {__LINE__, "{\"num\": 1, \"port\": [15], \"address\": [\"10.0.0.15\"]}", [](Nas& f) { f.answer_nothing(3507); },
         text_reply("CGI ERROR"), {{15, "", "10.0.0.15", ""}}, false},
        {__LINE__, "{\"num\": 0, \"port\": [16]}", [](Nas&) {}, text_reply("OK"), {}, true},
    };
    for (const auto& r : rows) {
        fresh_case();
        r.setup(*this);
        EXPECT_EQ(cgi_post_json(root, "/6201", r.body).out, r.reply) << "row at line " << r.line;
        std::vector<int32_t> ports;
        for (const stored& d : r.disks) {
            expect_nas_record(disk(d.port), d.port, d.vendor.c_str(), d.address.c_str(), d.directory.c_str(), r.line);
            ports.push_back(d.port);
        }
        size_t log_count = r.logged ? r.disks.size() : 0;
        auto msgs = sent(1 + log_count);
        ASSERT_EQ(msgs.size(), 1 + log_count) << "row at line " << r.line;
        EXPECT_EQ(msgs[0].id, 3507);
        disk_port_list want;
        std::memset(&want, 0, sizeof want);
        for (int32_t p : ports) want.port[want.num++] = p;
        EXPECT_EQ(msgs[0].payload, bytes_of(want)) << "row at line " << r.line;
        for (size_t i = 0; i < log_count; ++i)
            expect_nas_entry(msgs[1 + i], 219, 101, r.disks[i].port, r.disks[i].address.c_str(),
                             r.disks[i].directory.c_str(), r.line);
    }

    // At most 33 disks at once.
    fresh_case();
    EXPECT_EQ(cgi_post_json(root, "/6201", many.str()).out, text_reply("OK"));
    auto msgs = sent(34);
    ASSERT_EQ(msgs.size(), 34u);
    disk_port_list want;
    std::memset(&want, 0, sizeof want);
    for (int p = 1; p <= 33; ++p) want.port[want.num++] = p;
    EXPECT_EQ(msgs[0].payload, bytes_of(want));
    EXPECT_EQ(disk(34).enable, 0);
}

TEST_F(Nas, RemovingSendsThePortsAndLogsTheDisksThatHaveRecords) {
    struct row {
        int line;
        const char* body;
        std::function<void(Nas&)> setup;
        std::string reply;
        coresim::bytes payload;
        std::vector<int> logged;
    } rows[] = {
        {__LINE__, "{\"num\": 3, \"port\": [9, 50, 10]}", [](Nas&) {}, text_reply("OK"), port_list({9, 50, 10}),
         {9, 10}},
        {__LINE__, "{\"num\": 1, \"port\": [9, 10]}", [](Nas& f) { f.answer_int(3508, 3); }, text_reply("Error"),
         port_list({9}), {9}},
        {__LINE__, "{\"num\": 2, \"port\": [9, 10]}", [](Nas& f) { f.answer_nothing(3508); }, text_reply("CGI ERROR"),
         port_list({9, 10}), {}},
        {__LINE__, "{\"num\": 4, \"port\": [10]}", [](Nas&) {}, text_reply("OK"), port_list({10}), {10}},
        {__LINE__, "{\"port\": [10]}", [](Nas&) {}, text_reply("OK"), port_list({}), {}},
    };
    for (const auto& r : rows) {
        fresh_case();
        configure(9, disk_type_nas, "nas-9", "10.0.0.9", "/nine");
        configure(10, disk_type_nas, "nas-10", "10.0.0.10", "/ten");
        r.setup(*this);
        EXPECT_EQ(cgi_post_json(root, "/6200", r.body).out, r.reply) << "row at line " << r.line;
        auto msgs = sent(1 + r.logged.size());
        ASSERT_EQ(msgs.size(), 1 + r.logged.size()) << "row at line " << r.line;
        EXPECT_EQ(msgs[0].id, 3508);
        EXPECT_EQ(msgs[0].payload, r.payload) << "row at line " << r.line;
        for (size_t i = 0; i < r.logged.size(); ++i) {
            disk_record rec = disk(r.logged[i]);
            expect_nas_entry(msgs[1 + i], 220, 101, r.logged[i], rec.address, rec.directory, r.line);
        }
    }
}

TEST_F(Nas, EditingStoresOneDiskAndLogsItAfterTheAnswer) {
    struct row {
        int line;
        const char* body;
        std::function<void(Nas&)> setup;
        std::string reply;
        int port;  // -1: refused
        bool logged;
    } rows[] = {
        {__LINE__, "{\"port\": 9, \"vendor\": \"v\", \"address\": \"10.0.0.3\", \"directory\": \"/z\"}", [](Nas&) {},
         text_reply("OK"), 9, true},
        {__LINE__, "{\"port\": 35, \"address\": \"10.0.0.3\"}", [](Nas& f) { f.answer_int(3439, 1); },
         text_reply("Error"), 35, true},
        {__LINE__, "{\"port\": 9, \"vendor\": \"v\", \"address\": \"10.0.0.3\", \"directory\": \"/z\"}",
         [](Nas& f) { f.answer_nothing(3439); }, text_reply("CGI ERROR"), 9, false},
        {__LINE__, "{\"port\": 36, \"address\": \"10.0.0.3\"}", [](Nas&) {}, "", -1, false},
        {__LINE__, "{\"port\": -2}", [](Nas&) {}, "", -1, false},
        {__LINE__, "port=9", [](Nas&) {}, "", -1, false},
    };
    for (const auto& r : rows) {
        fresh_case();
        configure(9, disk_type_nas, "old", "10.0.0.99", "/old");
        r.setup(*this);
        EXPECT_EQ(cgi_post_json(root, "/6203", r.body).out, r.reply) << "row at line " << r.line;
        if (r.port < 0) {
            EXPECT_TRUE(sent().empty()) << "row at line " << r.line;
            EXPECT_STREQ(disk(9).address, "10.0.0.99");
            continue;
        }
        json_ref req = json_parse_object(r.body);
        auto text = [&req](const char* key) { return req_str(req, key) ? req_str(req, key) : ""; };
        expect_nas_record(disk(r.port), r.port, text("vendor"), text("address"), text("directory"), r.line);
        auto msgs = sent(r.logged ? 2 : 1);
        ASSERT_EQ(msgs.size(), r.logged ? 2u : 1u) << "row at line " << r.line;
        EXPECT_EQ(msgs[0].id, 3439);
        EXPECT_EQ(msgs[0].payload, int_bytes({r.port}));
        if (r.logged) expect_nas_entry(msgs[1], 221, 110, r.port, text("address"), text("directory"), r.line);
    }
}

// ---- browsing a server --------------------------------------------------------------------

coresim::bytes dir_list(int32_t count, int paths_held) {
    coresim::bytes b = int_bytes({count});
    for (int i = 0; i < paths_held; ++i) {
        coresim::bytes path(256, 0);
        std::string name = "/share/d" + std::to_string(i);
        std::memcpy(path.data(), name.data(), name.size());
        b.insert(b.end(), path.begin(), path.end());
    }
    return b;
}

std::string dir_reply(const char* result, int count) {
    std::string list;
    for (int i = 0; i < count; ++i)
        list += std::string(i ? ", " : "") + "{ \"filePath\": \"\\/share\\/d" + std::to_string(i) + "\" }";
    return json_reply("{ \"resultString\": \"" + std::string(result) + "\", \"NAS\": [" +
                      (list.empty() ? " " : " " + list + " ") + "] }");
}

TEST_F(Nas, BrowsingListsTheServersDirectoriesHeldToWhatTheAnswerHolds) {
    struct row {
        int line;
        coresim::bytes answer;
        std::string reply;
    } rows[] = {
        {__LINE__, dir_list(2, 64), dir_reply("OK", 2)},
        {__LINE__, dir_list(0, 64), dir_reply("NO", 0)},
        {__LINE__, dir_list(-4, 64), dir_reply("NO", 0)},
        // A count beyond the 64 paths, or beyond what the payload holds.
        {__LINE__, dir_list(100, 64), dir_reply("OK", 64)},
        {__LINE__, dir_list(5, 3), dir_reply("OK", 3)},
        {__LINE__, dir_list(1, 0), dir_reply("NO", 0)},
    };
    for (const auto& r : rows) {
        fresh_case();
        core.add_reply(3440, 0, r.answer);
        cgi_result res = cgi_post_json(root, "/6202", "{\"port\": 9, \"serverAddr\": \"10.0.0.3\"}");
        EXPECT_EQ(res.out, r.reply) << "row at line " << r.line;
        auto msgs = sent(1);
        ASSERT_EQ(msgs.size(), 1u);
        EXPECT_EQ(msgs[0].id, 3440);
        coresim::bytes want = int_bytes({9});
        coresim::bytes addr = padded("10.0.0.3", 64);
        want.insert(want.end(), addr.begin(), addr.end());
        EXPECT_EQ(msgs[0].payload, want);
    }
    fresh_case();
    EXPECT_EQ(cgi_post_json(root, "/6202", "").out, "");
    EXPECT_TRUE(sent().empty());
}

// ---- removing a disk by type ---------------------------------------------------------------

TEST_F(Nas, RemovingByTypePicksTheMessageAndResetsOtherDisksRecords) {
    struct row {
        int line;
        const char* body;
        std::function<void(Nas&)> setup;
        std::string reply;
        int32_t msg_id;  // 0: refused
        coresim::bytes payload;
        bool logged;
        bool reset;  // port 2's record back to unconfigured
    } rows[] = {
        {__LINE__, "{\"port\": 12, \"hddType\": 4}", [](Nas&) {}, text_reply("OK"), 3421,
         [] {
             raid_request m;
             std::memset(&m, 0, sizeof m);
             m.id = 12;
             return bytes_of(m);
         }(),
         true, false},
        {__LINE__, "{\"port\": 9, \"hddType\": 3}", [](Nas&) {}, text_reply("OK"), 3508, port_list({9}), false, false},
        {__LINE__, "{\"port\": 2, \"hddType\": 0}", [](Nas&) {}, text_reply("OK"), 3496, int_bytes({2}), true, true},
        {__LINE__, "{\"port\": 2, \"hddType\": 1}", [](Nas& f) { f.answer_int(3496, 1); }, text_reply("Error"), 3496,
         int_bytes({2}), true, true},
        {__LINE__, "{\"port\": 2}", [](Nas& f) { f.answer_nothing(3496); }, text_reply("CGI ERROR"), 3496,
         int_bytes({2}), false, true},
        {__LINE__, "{\"port\": 36, \"hddType\": 0}", [](Nas&) {}, "", 0, {}, false, false},
        {__LINE__, "{\"port\": -1, \"hddType\": 4}", [](Nas&) {}, "", 0, {}, false, false},
        {__LINE__, "hddType=0", [](Nas&) {}, "", 0, {}, false, false},
    };
    for (const auto& r : rows) {
        fresh_case();
        configure(2, 0, "sata", "", "");
        r.setup(*this);
        EXPECT_EQ(cgi_post_json(root, "/6207", r.body).out, r.reply) << "row at line " << r.line;
        size_t count = r.msg_id ? 1 + (r.logged ? 1 : 0) : 0;
        auto msgs = sent(count);
        ASSERT_EQ(msgs.size(), count) << "row at line " << r.line;
        if (r.msg_id) {
            EXPECT_EQ(msgs[0].id, r.msg_id) << "row at line " << r.line;
            EXPECT_EQ(msgs[0].payload, r.payload) << "row at line " << r.line;
        }
        if (r.logged) {
            oplog_record e = oplog_of(msgs[1]);
            EXPECT_EQ(e.sub_type, 224) << "row at line " << r.line;
            EXPECT_EQ(e.parameter_type, 900) << "row at line " << r.line;
        }
        disk_record rec = disk(2);
        disk_record unconfigured;
        disk_record_reset(&unconfigured, 2);
        EXPECT_EQ(std::memcmp(&rec, &unconfigured, sizeof rec) == 0, r.reset) << "row at line " << r.line;
    }
}

}  // namespace
