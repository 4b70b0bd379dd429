// Disks end to end: the merged disk list, property and group, format, the
// port check, the RAID mode parameter, the eSATA mode and the self-test.
#include "tests/storage/storage_fixture.h"

#include <functional>

namespace {

using Disks = StorageFixture;

disk_info info(int port, const char* vendor, int hdd_type, int state, uint64_t total, uint64_t used,
               uint64_t free_bytes) {
    disk_info d;
    std::memset(&d, 0, sizeof d);
    d.port = port;
    std::snprintf(d.vendor, sizeof d.vendor, "%s", vendor);
    d.hdd_type = hdd_type;
    d.state = state;
    d.total_bytes = total;
    d.used_bytes = used;
    d.free_bytes = free_bytes;
    return d;
}

coresim::bytes list_of(std::initializer_list<disk_info> disks) {
    coresim::bytes b;
    for (const disk_info& d : disks) {
        coresim::bytes one = bytes_of(d);
        b.insert(b.end(), one.begin(), one.end());
    }
    return b;
}

struct shown_disk {
    int port;
    std::string vendor, address, directory;  // as JSON text ('/' escaped)
    int64_t total, used, free_mib;
    int hdd_type, state, group, property, level, raid_state, progress, sata_cnt;
    int64_t sata_mask;

    std::string json() const {
        auto i = [](int64_t v) { return std::to_string(v); };
        return "{ \"portId\": " + i(port) + ", \"vendorName\": \"" + vendor + "\", \"address\": \"" + address +
               "\", \"directory\": \"" + directory + "\", \"totalSize\": " + i(total) + ", \"usedSize\": " + i(used) +
               ", \"freeSize\": " + i(free_mib) + ", \"hddType\": " + i(hdd_type) + ", \"state\": " + i(state) +
               ", \"group\": " + i(group) + ", \"property\": " + i(property) + ", \"raid_id\": " + i(port) +
               ", \"raid_level\": " + i(level) + ", \"raid_state\": " + i(raid_state) +
               ", \"raid_progress\": " + i(progress) + ", \"raid_sata_cnt\": " + i(sata_cnt) +
               ", \"raid_task\": " + i(progress) + ", \"raid_sata_port\": " + i(sata_mask) + " }";
    }
};

std::string disk_list_reply(const char* result, int esata, std::initializer_list<shown_disk> disks) {
    std::string list;
    for (const shown_disk& d : disks) list += (list.empty() ? "" : ", ") + d.json();
    return json_reply("{ \"resultString\": \"" + std::string(result) + "\", \"esataType\": " + std::to_string(esata) +
                      ", \"HDD\": [" + (list.empty() ? " " : " " + list + " ") + "] }");
}

constexpr uint64_t mib = 1ull << 20;

TEST_F(Disks, DiskListMergesTheCoresDisksWithTheConfiguredNetworkDisks) {
    disk_info sata = info(2, "ST4000VX016", 0, 1, 1ull << 40, 3072 * mib, (1ull << 40) - 3072 * mib);
    sata.group = 1;
    disk_info nas = info(9, "NAS", disk_type_nas, 1, 0, 0, 0);
    nas.property = 1;
    // Sizes are shown in MiB kept to 32 bits: 2^52 + 2^20 bytes shows 1.
    disk_info raid = info(12, "RAID5", disk_type_raid, 1, (1ull << 52) + mib, 0, 0);
    raid.property = 1;
    raid.raid_level = 5;
    raid.raid_state = 1;
    raid.raid_progress = 40;
    raid.raid_sata_cnt = 3;
    raid.raid_sata_port[0] = 1;
    raid.raid_sata_port[1] = 3;
    raid.raid_sata_port[2] = 4;
    core.add_reply(3433, 0,
                   list_of({raid, info(34, "beyond", 0, 1, 0, 0, 0), sata, info(0, "zero", 0, 1, 0, 0, 0), nas}));

    configure(9, disk_type_nas, "nas-a", "10.0.0.20", "/share");
    configure(20, disk_type_nas, "nas-b", "10.0.0.21", "/rec");
    configure(21, disk_type_nas, "nas-c", "10.0.0.22", "/off", 0);
    configure(2, 0, "db-vendor", "db-addr", "db-dir");
    set_param_int(TQDB_FILE, "esata_type", 1);

    cgi_result res = cgi_get(root, "/6100");
    EXPECT_EQ(res.out,
              disk_list_reply("OK", 1,
                              {{2, "ST4000VX016", "", "", 1048576, 3072, 1045504, 0, 1, 1, 0, 0, 0, 0, 0, 0},
                               {9, "NAS", "10.0.0.20", "\\/share", 0, 0, 0, 3, 1, 0, 1, 0, 0, 0, 0, 0},
                               {12, "RAID5", "", "", 1, 0, 0, 4, 1, 0, 1, 5, 1, 40, 3, 26},
                               {20, "nas-b", "10.0.0.21", "\\/rec", 0, 0, 0, 3, 2, 0, 1, 0, 0, 0, 0, 0}}));
    auto msgs = sent(1);
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_EQ(msgs[0].id, 3433);
    EXPECT_TRUE(msgs[0].payload.empty());
}

TEST_F(Disks, DiskListEdgeCases) {
    disk_info wild = info(5, "wild", disk_type_raid, 1, 0, 0, 0);
    // A count beyond the 16 entries, and member values without a bit.
    wild.raid_sata_cnt = 100;
    const int32_t members[16] = {0, 31, 32, -1, 5, 40, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2};
    std::memcpy(wild.raid_sata_port, members, sizeof members);
    disk_info nas_named = info(9, "NAS", disk_type_nas, 1, 0, 0, 0);
    std::snprintf(nas_named.address, sizeof nas_named.address, "core-addr");
    struct row {
        int line;
        std::function<void(Disks&)> setup;
        std::string reply;
    } rows[] = {
        // No records and nothing configured.
        {__LINE__, [](Disks& f) { f.core.add_reply(3433, 0, {}); }, disk_list_reply("NO", 0, {})},
        {__LINE__, [](Disks& f) { f.core.add_reply(3433, 0, int_bytes({0})); }, disk_list_reply("NO", 0, {})},
        // Records, but none on a listed port.
        {__LINE__, [](Disks& f) { f.core.add_reply(3433, 0, list_of({info(40, "x", 0, 1, 0, 0, 0)})); },
         disk_list_reply("OK", 0, {})},
        // A configured network disk the core does not list.
        {__LINE__,
         [](Disks& f) {
             f.core.add_reply(3433, 0, {});
             f.configure(33, disk_type_nas, "nas-z", "10.0.0.9", "/z");
         },
         disk_list_reply("OK", 0, {{33, "nas-z", "10.0.0.9", "\\/z", 0, 0, 0, 3, 2, 0, 1, 0, 0, 0, 0, 0}})},
        // The core's own address wins; only the empty directory is filled.
        {__LINE__,
         [&nas_named](Disks& f) {
             f.core.add_reply(3433, 0, list_of({nas_named}));
             f.configure(9, disk_type_nas, "nas-a", "db-addr", "/db-dir");
         },
         disk_list_reply("OK", 0, {{9, "NAS", "core-addr", "\\/db-dir", 0, 0, 0, 3, 1, 0, 0, 0, 0, 0, 0, 0}})},
        {__LINE__, [&wild](Disks& f) { f.core.add_reply(3433, 0, list_of({wild})); },
         disk_list_reply("OK", 0, {{5, "wild", "", "", 0, 0, 0, 4, 1, 0, 0, 0, 0, 0, 100, (1ll << 31) | 32 | 4}})},
        {__LINE__, [](Disks& f) { f.answer_nothing(3433); }, json_reply("{status:\"CGI ERROR\"}")},
    };
    for (const auto& r : rows) {
        fresh_case();
        for (int port = 0; port < disk_record_rows; ++port) {
            disk_record rec;
            disk_record_reset(&rec, port);
            ASSERT_EQ(write_disk(TQDB_FILE, &rec), 0);
        }
        r.setup(*this);
        EXPECT_EQ(cgi_get(root, "/6100").out, r.reply) << "row at line " << r.line;
    }
}

TEST_F(Disks, DiskListFromTheSimulatedCoresDefaults) {
    json_ref obj = json_body(cgi_get(root, "/6100"));
    ASSERT_TRUE(obj);
    EXPECT_STREQ(req_str(obj, "resultString"), "OK");
    json_object* hdd = req_array(obj, "HDD");
    ASSERT_TRUE(hdd);
    ASSERT_EQ(json_object_array_length(hdd), 2u);
    json_object* sata = json_object_array_get_idx(hdd, 0);
    json_object* nas = json_object_array_get_idx(hdd, 1);
    EXPECT_EQ(req_int_or(sata, "hddType", -1), 0);
    EXPECT_GT(req_int_or(sata, "totalSize", 0), 0);
    EXPECT_EQ(req_int_or(nas, "hddType", -1), disk_type_nas);
    EXPECT_STRNE(req_str(nas, "address"), "");
}

// ---- property and group ---------------------------------------------------------------

TEST_F(Disks, PropertyAndGroupAreStoredSentAndLogged) {
    struct row {
        int line;
        const char* body;
        int32_t port, property, group;
        bool accepted;
    } rows[] = {
        {__LINE__, "{\"portId\": 5, \"property\": 0, \"group\": 3}", 5, 0, 3, true},
        {__LINE__, "{\"portId\": 35, \"property\": 1, \"group\": -2}", 35, 1, -2, true},
        {__LINE__, "{}", 0, 0, 0, true},
        {__LINE__, "{\"portId\": 36, \"property\": 1, \"group\": 1}", 36, 1, 1, false},
        {__LINE__, "{\"portId\": -1, \"property\": 1, \"group\": 1}", -1, 1, 1, false},
        {__LINE__, "{\"portId\": 5, \"property\": 2, \"group\": 1}", 5, 2, 1, false},
        {__LINE__, "portId=5", 5, 0, 0, false},
    };
    for (const auto& r : rows) {
        fresh_case();
        configure(5, 0, "keep-vendor", "", "");
        configure(0, 0, "port-zero", "", "");
        cgi_result res = cgi_post_json(root, "/6101", r.body);
        EXPECT_EQ(res.out, r.accepted ? text_reply("OK") : "") << "row at line " << r.line;
        auto msgs = sent(r.accepted ? 2 : 0);
        if (!r.accepted) {
            EXPECT_TRUE(msgs.empty()) << "row at line " << r.line;
            EXPECT_EQ(disk(5).property, 1);
            EXPECT_EQ(disk(0).property, 1);
            continue;
        }
        disk_record rec = disk(r.port);
        EXPECT_EQ(rec.port, r.port);
        EXPECT_EQ(rec.property, r.property) << "row at line " << r.line;
        EXPECT_EQ(rec.group, r.group) << "row at line " << r.line;
        if (r.port == 5) {
            EXPECT_STREQ(rec.vendor, "keep-vendor");
        }
        ASSERT_EQ(msgs.size(), 2u) << "row at line " << r.line;
        EXPECT_EQ(msgs[0].id, 3435);
        EXPECT_EQ(msgs[0].payload, int_bytes({r.port, r.property, r.group, 0})) << "row at line " << r.line;
        oplog_record entry = oplog_of(msgs[1]);
        EXPECT_EQ(msgs[1].id, 3485);
        EXPECT_EQ(entry.sub_type, 204);
        EXPECT_EQ(entry.parameter_type, 919);
        EXPECT_EQ(entry.chan_no, r.port);
    }
}

// ---- format ------------------------------------------------------------------------------

// Word i of a log entry's detail block (stored most significant byte first).
uint32_t detail_word(const oplog_record& e, int i) {
    const uint8_t* p = e.detail + 4 * i;
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

void expect_format_entry(const coresim::request& msg, int32_t port, int32_t result, int line) {
    EXPECT_EQ(msg.id, 3485) << "row at line " << line;
    oplog_record e = oplog_of(msg);
    EXPECT_EQ(e.sub_type, 207) << "row at line " << line;
    EXPECT_EQ(e.parameter_type, 900) << "row at line " << line;
    EXPECT_EQ(e.chan_no, port) << "row at line " << line;
    EXPECT_EQ(e.detail_size, 4 + 72) << "row at line " << line;
    EXPECT_EQ(detail_word(e, 0), 102u) << "row at line " << line;
    for (int w = 1; w <= 16; ++w) EXPECT_EQ(detail_word(e, w), 0u) << "row at line " << line;
    EXPECT_EQ(static_cast<int32_t>(detail_word(e, 17)), port) << "row at line " << line;
    EXPECT_EQ(static_cast<int32_t>(detail_word(e, 18)), result) << "row at line " << line;
}

TEST_F(Disks, FormatAnswersByTheCoresResultAndAlwaysLogs) {
    struct row {
        int line;
        const char* text;
        int32_t answer;
        std::string reply;
        int32_t logged_result;
    } rows[] = {
        {__LINE__, "3", 0, text_reply("OK"), 1},
        {__LINE__, "0", 1, text_reply("USING"), -1},
        {__LINE__, "36", -1, text_reply("ERROR FORMAT"), -1},
        {__LINE__, "9", -3, text_reply("NAS LOW CAP"), -1},
        // Any other result: no body, the request still ends and logs.
        {__LINE__, "4", 2, "", -1},
    };
    for (const auto& r : rows) {
        fresh_case();
        answer_int(3434, r.answer);
        cgi_result res = cgi_get(root, "/6102", r.text);
        EXPECT_EQ(res.out, r.reply) << "row at line " << r.line;
        EXPECT_FALSE(res.timed_out);
        auto msgs = sent(2);
        ASSERT_EQ(msgs.size(), 2u) << "row at line " << r.line;
        EXPECT_EQ(msgs[0].id, 3434);
        int32_t port = std::stoi(r.text);
        EXPECT_EQ(msgs[0].payload, int_bytes({port}));
        expect_format_entry(msgs[1], port, r.logged_result, r.line);
    }
}

TEST(DiskFormat, WithoutAnAnswerTheJsonErrorAndAFailedEntry) {
    // The format waits 600 s; a larger divisor keeps the test short.
    test_root root(1000);
    coresim_server core;
    ASSERT_TRUE(core.start(root.path()));
    core.use_defaults(false);
    cgi_result res = cgi_get(root, "/6102", "7");
    EXPECT_EQ(res.out, json_reply("{status:\"CGI ERROR\"}"));
    core.wait_for(2, 5000);
    auto msgs = core.journal();
    ASSERT_EQ(msgs.size(), 2u);
    expect_format_entry(msgs[1], 7, -1, __LINE__);
    core.stop();
}

TEST_F(Disks, PortTextsOutsideTheirRangeGetNoReplyAndSendNothing) {
    struct row {
        int line;
        const char* code;
        const char* text;
        std::string reply;
    } rows[] = {
        {__LINE__, "/6102", "37", ""},   {__LINE__, "/6102", "-1", ""},   {__LINE__, "/6102", "x", ""},
        {__LINE__, "/6102", "", ""},     {__LINE__, "/6102", "3x", ""},   {__LINE__, "/6103", "0", text_reply("OK")},
        {__LINE__, "/6103", "16", text_reply("OK")}, {__LINE__, "/6103", "17", ""}, {__LINE__, "/6103", "-1", ""},
        {__LINE__, "/6103", "a", ""},
    };
    for (const auto& r : rows) {
        fresh_case();
        EXPECT_EQ(cgi_get(root, r.code, r.text).out, r.reply) << "row at line " << r.line;
        EXPECT_TRUE(sent().empty()) << "row at line " << r.line;
    }
}

// ---- RAID mode ------------------------------------------------------------------------------

TEST_F(Disks, RaidModeStoresZeroOrOneAndShowsIt) {
    struct row {
        int line;
        const char* text;
        int stored;
    } rows[] = {{__LINE__, "1", 1}, {__LINE__, "0", 0}, {__LINE__, "2", 0},
                {__LINE__, "-1", 0}, {__LINE__, "x", 0}, {__LINE__, "", 0}};
    for (const auto& r : rows) {
        set_param_int(TQDB_FILE, "raidmode", 1);
        EXPECT_EQ(cgi_get(root, "/6109", r.text).out, text_reply("OK")) << "row at line " << r.line;
        EXPECT_EQ(get_param_int(TQDB_FILE, "raidmode", -1), r.stored) << "row at line " << r.line;
        EXPECT_EQ(cgi_get(root, "/6108").out, text_reply(std::to_string(r.stored))) << "row at line " << r.line;
    }
    EXPECT_TRUE(sent().empty());
}

// ---- eSATA and self-test ------------------------------------------------------------------------

TEST_F(Disks, EsataModeIsSentAndShown) {
    const std::string error = json_reply("{status:\"CGI ERROR\"}");
    struct row {
        int line;
        const char* code;
        const char* body;
        std::function<void(Disks&)> script;
        std::string reply;
        int32_t msg_id;
        coresim::bytes payload;
    } rows[] = {
        {__LINE__, "/6204", "{\"mode\": 1, \"esata\": 2}", [](Disks& f) { f.answer_int(3475, -5); },
         json_reply("{ \"status\": \"OK\" }"), 3475, int_bytes({1, 2})},
        {__LINE__, "/6204", "{}", [](Disks&) {}, json_reply("{ \"status\": \"OK\" }"), 3475, int_bytes({0, 0})},
        // The answer's payload is not looked at, so an empty one is an answer too.
        {__LINE__, "/6204", "{\"esata\": 3}", [](Disks& f) { f.core.add_reply(3475, 0, {}); },
         json_reply("{ \"status\": \"OK\" }"), 3475, int_bytes({0, 3})},
        {__LINE__, "/6204", "{\"mode\": 1}", [](Disks& f) { f.answer_nothing(3475); }, error, 3475,
         int_bytes({1, 0})},
        {__LINE__, "/6204", "mode=1", [](Disks&) {}, "", 0, {}},
        {__LINE__, "/6205", "", [](Disks& f) { f.core.add_reply(3431, 0, int_bytes({2, 1})); },
         json_reply("{ \"mode\": 2, \"esata\": 1 }"), 3431, int_bytes({0})},
        {__LINE__, "/6205", "", [](Disks&) {}, json_reply("{ \"mode\": 0, \"esata\": 0 }"), 3431, int_bytes({0})},
        // An answer that cannot hold both values is no answer.
        {__LINE__, "/6205", "", [](Disks& f) { f.core.add_reply(3431, 0, int_bytes({2})); }, error, 3431,
         int_bytes({0})},
    };
    for (const auto& r : rows) {
        fresh_case();
        r.script(*this);
        EXPECT_EQ(cgi_post_json(root, r.code, r.body).out, r.reply) << "row at line " << r.line;
        auto msgs = sent(r.msg_id ? 1 : 0);
        ASSERT_EQ(msgs.size(), r.msg_id ? 1u : 0u) << "row at line " << r.line;
        if (r.msg_id) {
            EXPECT_EQ(msgs[0].id, r.msg_id);
            EXPECT_EQ(msgs[0].payload, r.payload) << "row at line " << r.line;
        }
    }
}

TEST_F(Disks, SelfTestAsksAboutTheLastListedPortAndLooksForPassed) {
    auto text = [](const std::string& s) { return coresim::bytes(s.begin(), s.end()); };
    struct row {
        int line;
        const char* body;
        coresim::bytes answer;
        std::string reply;
        int32_t port;  // -1: nothing sent
    } rows[] = {
        {__LINE__, "{\"num\": 2, \"port\": [3, 5]}", text("result: PASSED\n"), json_reply("{ \"selfEvaluation\": 1 }"),
         5},
        {__LINE__, "{\"num\": 2, \"port\": [3, 5]}", text("result: FAILED\n"), json_reply("{ \"selfEvaluation\": 0 }"),
         5},
        // The text is searched within the payload only (no terminator).
        {__LINE__, "{\"num\": 1, \"port\": [3, 5]}", text("PASSED"), json_reply("{ \"selfEvaluation\": 1 }"), 3},
        {__LINE__, "{\"num\": 1, \"port\": [3, 5]}", text("PASSE"), json_reply("{ \"selfEvaluation\": 0 }"), 3},
        {__LINE__, "{\"num\": 9, \"port\": [3, 6]}", text("PASSED"), json_reply("{ \"selfEvaluation\": 1 }"), 6},
        // No port element: no reply and nothing sent.
        {__LINE__, "{\"num\": 0, \"port\": [3]}", {}, "", -1},
        {__LINE__, "{\"num\": 2, \"port\": []}", {}, "", -1},
        {__LINE__, "{\"num\": 2}", {}, "", -1},
        {__LINE__, "{\"num\": 2, \"port\": 4}", {}, "", -1},
        {__LINE__, "num=2", {}, "", -1},
    };
    for (const auto& r : rows) {
        fresh_case();
        if (!r.answer.empty()) core.add_reply(3403, 0, r.answer);
        EXPECT_EQ(cgi_post_json(root, "/6206", r.body).out, r.reply) << "row at line " << r.line;
        auto msgs = sent(r.port >= 0 ? 1 : 0);
        ASSERT_EQ(msgs.size(), r.port >= 0 ? 1u : 0u) << "row at line " << r.line;
        if (r.port >= 0) {
            EXPECT_EQ(msgs[0].id, 3403);
            EXPECT_EQ(msgs[0].payload, int_bytes({r.port})) << "row at line " << r.line;
        }
    }
}

}  // namespace
