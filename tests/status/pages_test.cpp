// Status pages end to end: interfaces, traffic, storage totals, feature
// support, users logged in, the disk groups, and what every page sends.
#include "platform/tqdb/rec_storage.h"
#include "tests/status/status_fixture.h"

#include <functional>

namespace {

using Pages = StatusFixture;

status_netif netif(const char* name, int id) {
    status_netif n;
    std::memset(&n, 0, sizeof n);
    set_text(n.ifname, name);
    n.id = id;
    n.state = 1;
    n.speed_mode = 100;
    n.duplex = 1;
    n.enable = 1;
    n.dhcp_enable = 0;
    set_text(n.ip_addr, "10.0.0.5");
    set_text(n.mac, "02:5E:A1:0A:19:C8");
    set_text(n.primary_dns, "1.1.1.1");
    set_text(n.second_dns, "9.9.9.9");
    set_text(n.gateway, "10.0.0.1");
    set_text(n.netmask, "255.0.0.0");
    n.mtu = 1400;
    n.ip6mode = 3;
    set_text(n.ip6address, "fd00::5");
    n.ip6prefix = 48;
    set_text(n.ip6gateway, "fd00::1");
    return n;
}

const std::string netif_json =
    "{ \"ifname\": \"eth0\", \"id\": 0, \"state\": 1, \"speedMode\": 100, \"duplex\": 1, \"enable\": 1, "
    "\"dhcpEnable\": 0, \"ipAddr\": \"10.0.0.5\", \"MAC\": \"02:5E:A1:0A:19:C8\", \"primaryDNS\": \"1.1.1.1\", "
    "\"secondDNS\": \"9.9.9.9\", \"gateway\": \"10.0.0.1\", \"netmask\": \"255.0.0.0\", \"mtu\": 1400, "
    "\"ip6mode\": 3, \"ip6address\": \"fd00::5\", \"ip6prefix\": 48, \"ip6gateway\": \"fd00::1\" }";

status_support support(int supported, int type) {
    status_support s;
    std::memset(&s, 0, sizeof s);
    s.supported = supported;
    s.type = type;
    return s;
}

TEST_F(Pages, PagesRenderTheCoresAnswersExactly) {
    status_netif full_names = netif("eth0", 0);
    // Texts that fill their fields end at the field's width.
    std::memset(full_names.ifname, 'x', sizeof full_names.ifname);
    std::memset(full_names.ip6gateway, 'g', sizeof full_names.ip6gateway);
    status_traffic t0{}, t1{};
    set_text(t0.ifname, "eth0");
    t0.rx_speed = 300;
    t0.tx_speed = 20;
    t1.id = 1;
    set_text(t1.ifname, "eth1");
    status_user admin{}, op{};
    set_text(admin.user_name, "admin");
    set_text(admin.ipaddr, "192.168.1.20");
    set_text(admin.login_time, "2024-05-14 09:12:03");
    op.user_level = 2;
    set_text(op.user_name, "op1");
    std::memset(op.login_time, '9', sizeof op.login_time);
    coresim::bytes support_payload;
    for (int ch = 0; ch < 64; ++ch) {
        static const int supported[] = {1, 0, 1, 2, 1};
        static const int types[] = {1, 2, 2, 1, 7};
        coresim::bytes one = bytes_of(support(supported[ch % 5], types[ch % 5]));
        support_payload.insert(support_payload.end(), one.begin(), one.end());
    }
    std::string support_text, type_text;
    for (int ch = 0; ch < 64; ++ch) {
        support_text += "10101"[ch % 5];
        type_text += "12210"[ch % 5];
    }
    struct row {
        int line;
        std::string code;
        std::function<void(Pages&)> script;
        std::string reply;
    } rows[] = {
        {__LINE__, "/8000", [](Pages& f) { f.answer_records<status_netif>(3301, {netif("eth0", 0)}); },
         json_reply("{ \"netif\": [ " + netif_json + " ] }")},
        {__LINE__, "/8000", [&](Pages& f) { f.answer_records<status_netif>(3301, {full_names}); },
         json_reply("{ \"netif\": [ { \"ifname\": \"xxxxxxxxxxxx\"" +
                    netif_json.substr(netif_json.find(", \"id\""),
                                      netif_json.find("\"ip6gateway\"") - netif_json.find(", \"id\"")) +
                    "\"ip6gateway\": \"" + std::string(64, 'g') + "\" } ] }")},
        {__LINE__, "/8000", [](Pages& f) { f.core.add_reply(3301, 0, {}); }, json_reply("{ \"netif\": [ ] }")},
        // A piece of a record after the last whole one is not shown.
        {__LINE__, "/8000",
         [](Pages& f) {
             coresim::bytes b = bytes_of(netif("eth0", 0));
             b.resize(b.size() + 100, 'z');
             f.core.add_reply(3301, 0, b);
         },
         json_reply("{ \"netif\": [ " + netif_json + " ] }")},
        {__LINE__, "/8001", [&](Pages& f) { f.answer_records<status_traffic>(3302, {t0, t1}); },
         json_reply("{ \"netif\": [ { \"id\": 0, \"ifname\": \"eth0\", \"RxSpeed\": 300, \"TxSpeed\": 20 }, "
                    "{ \"id\": 1, \"ifname\": \"eth1\", \"RxSpeed\": 0, \"TxSpeed\": 0 } ] }")},
        {__LINE__, "/8008", [](Pages& f) { f.answer_records<status_storage>(3306, {{3000, 1000, 2000}}); },
         json_reply("{ \"total\": 3000, \"free\": 1000, \"used\": 2000 }")},
        {__LINE__, "/8009", [&](Pages& f) { f.core.add_reply(3263, 0, support_payload); },
         json_reply("{ \"support\": \"" + support_text + "\", \"type\": \"" + type_text + "\" }")},
        // Channels whose record the answer lacks show "0".
        {__LINE__, "/8009", [](Pages& f) { f.answer_records<status_support>(3263, {support(1, 2), support(1, 1)}); },
         json_reply("{ \"support\": \"11" + std::string(62, '0') + "\", \"type\": \"21" + std::string(62, '0') +
                    "\" }")},
        {__LINE__, "/8011", [&](Pages& f) { f.answer_records<status_user>(1719, {admin, op}); },
         json_reply("[ { \"userName\": \"admin\", \"userLevel\": 0, \"ipaddr\": \"192.168.1.20\", "
                    "\"loginTime\": \"2024-05-14 09:12:03\" }, { \"userName\": \"op1\", \"userLevel\": 2, "
                    "\"ipaddr\": \"\", \"loginTime\": \"99999999999999999999\" } ]")},
        {__LINE__, "/8011", [](Pages& f) { f.core.add_reply(1719, 0, {}); }, json_reply("[ ]")},
    };
    for (const auto& r : rows) {
        fresh_case();
        r.script(*this);
        EXPECT_EQ(cgi_get(root, r.code).out, r.reply) << "row at line " << r.line;
    }
}

TEST_F(Pages, AnswersThatDoNotComeOrFallShortGiveTheJsonError) {
    struct row {
        int line;
        std::string code;
        std::function<void(Pages&)> script;
    } rows[] = {
        {__LINE__, "/8000", [](Pages& f) { f.answer_nothing(3301); }},
        {__LINE__, "/8001", [](Pages& f) { f.answer_nothing(3302); }},
        {__LINE__, "/8002", [](Pages& f) { f.answer_nothing(3300); }},
        {__LINE__, "/8003", [](Pages& f) { f.answer_nothing(3305); }},
        {__LINE__, "/8008", [](Pages& f) { f.answer_nothing(3306); }},
        {__LINE__, "/8009", [](Pages& f) { f.answer_nothing(3263); }},
        {__LINE__, "/8011", [](Pages& f) { f.answer_nothing(1719); }},
        // Fixed records shorter than their size, and answers without records.
        {__LINE__, "/8008", [](Pages& f) { f.core.add_reply(3306, 0, int_bytes({1, 2})); }},
        {__LINE__, "/8003", [](Pages& f) { f.core.add_reply(3305, 0, coresim::bytes(663, 0xff)); }},
        {__LINE__, "/8003", [](Pages& f) { f.core.add_reply(3305, 0, {}); }},
        {__LINE__, "/8009", [](Pages& f) { f.core.add_reply(3263, 0, {}); }},
        // An answer under an identifier the module does not know.
        {__LINE__, "/8008", [](Pages& f) { f.core.add_reply(3306, 9306, int_bytes({1, 2, 3})); }},
    };
    for (const auto& r : rows) {
        fresh_case();
        r.script(*this);
        EXPECT_EQ(cgi_get(root, r.code).out, xcase::json_failure()) << "row at line " << r.line;
    }
}

TEST_F(Pages, EachPageSendsOneRequestWithoutPayload) {
    const struct {
        const char* code;
        int32_t id;
    } rows[] = {
        {"/8000", 3301}, {"/8001", 3302}, {"/8002", 3300}, {"/8003", 3305},
        {"/8008", 3306}, {"/8009", 3263}, {"/8011", 1719},
    };
    for (const auto& r : rows) {
        fresh_case();
        cgi_result res = cgi_get(root, r.code, "ignored=1");
        EXPECT_EQ(res.status, 0) << r.code;
        auto msgs = sent(1);
        ASSERT_EQ(msgs.size(), 1u) << r.code;
        EXPECT_EQ(msgs[0].id, r.id) << r.code;
        EXPECT_TRUE(msgs[0].payload.empty()) << r.code;
    }
    // The silent code and the database page send nothing; the silent code
    // writes nothing at all.
    fresh_case();
    cgi_result silent = cgi_get(root, "/8004");
    EXPECT_EQ(silent.out, "");
    EXPECT_EQ(silent.status, 0);
    cgi_get(root, "/8010");
    EXPECT_TRUE(sent().empty());
}

TEST_F(Pages, DiskGroupsComeFromTheDatabase) {
    auto texts = [](std::vector<std::string> t) {
        std::string out;
        for (const std::string& s : t) out += (out.empty() ? "\"" : ", \"") + s + "\"";
        return out;
    };
    const std::string empty_groups = texts(std::vector<std::string>(16));
    std::string zeros36;
    for (int d = 0; d < 36; ++d) zeros36 += d ? ", 0" : "0";
    EXPECT_EQ(cgi_get(root, "/8010").out,
              json_reply("{ \"channel\": [ " + empty_groups + " ], \"disk\": [ " + zeros36 +
                         " ], \"max_chan\": 32, \"group_enable\": 0 }"));

    // Disks 1 and 35 configured in groups 0 and 3, disk 2 in a group but not
    // configured; groups 0 and 15 record channels; a group text that fills
    // its field ends at the field.
    auto disk = [](int port, int enable, int group) {
        disk_record rec;
        disk_record_reset(&rec, port);
        rec.enable = enable;
        rec.group = group;
        ASSERT_EQ(write_disk(TQDB_FILE, &rec), 0);
    };
    disk(1, 1, 0);
    disk(35, 1, 3);
    disk(2, 0, 5);
    group_record groups[16];
    std::memset(groups, 0, sizeof groups);
    for (int g = 0; g < 16; ++g) groups[g].id = g;
    set_text(groups[0].channel, "1100");
    std::memset(groups[15].channel, '1', sizeof groups[15].channel);
    ASSERT_EQ(write_groups(TQDB_FILE, groups, 16), 0);
    set_param_int(TQDB_FILE, "max_cameras", 16);
    set_param_int(TQDB_FILE, "group_mode", 1);

    std::vector<std::string> group_texts(16);
    group_texts[0] = "1100";
    group_texts[15] = std::string(65, '1');
    std::string disks = "0, 1, 0";
    for (int d = 3; d < 35; ++d) disks += ", 0";
    disks += ", 4";
    EXPECT_EQ(cgi_get(root, "/8010").out,
              json_reply("{ \"channel\": [ " + texts(group_texts) + " ], \"disk\": [ " + disks +
                         " ], \"max_chan\": 16, \"group_enable\": 1 }"));
}

TEST_F(Pages, PagesFromTheSimulatedCoresDefaults) {
    json_ref netifs = json_body(cgi_get(root, "/8000"));
    ASSERT_TRUE(netifs);
    EXPECT_EQ(json_object_array_length(req_member(netifs, "netif")), 2u);
    json_ref events = json_body(cgi_get(root, "/8003"));
    ASSERT_TRUE(events);
    json_object* inputs = req_member(events, "alarmIn");
    ASSERT_EQ(json_object_array_length(inputs), 16u);
    int active = 0;
    for (size_t i = 0; i < 16; ++i) active += req_int_or(json_object_array_get_idx(inputs, i), "state", 0);
    EXPECT_EQ(active, 2);
    json_ref cams = json_body(cgi_get(root, "/8002"));
    ASSERT_TRUE(cams);
    json_object* ipc = req_member(cams, "IPC");
    ASSERT_EQ(json_object_array_length(ipc), 32u);
    EXPECT_EQ(req_int_or(json_object_array_get_idx(ipc, 3), "recordOn", -1), 1);
    EXPECT_STREQ(req_str(json_object_array_get_idx(ipc, 4), "recordOn"), "--");
    json_ref storage = json_body(cgi_get(root, "/8008"));
    ASSERT_TRUE(storage);
    EXPECT_GT(req_int_or(storage, "total", 0), 0);
    EXPECT_EQ(cgi_get(root, "/8011").out.find("\"userName\": \"admin\"") != std::string::npos, true);
}

}  // namespace
