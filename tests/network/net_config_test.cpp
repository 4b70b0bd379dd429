// Network configuration end to end: what /7040 shows, what /7041 and /7096
// store and tell the core, the mode, the MAC text and the address tests.
#include "front/web_utils.h"
#include "platform/tqnet.h"
#include "tests/network/net_fixture.h"

#include <functional>

namespace {

using Network = NetFixture;

void set_iface(network_iface& e, int enable, int type, const char* ip, const char* mask, const char* gw,
               const char* dns1, const char* dns2, int mtu, int ip6_type, const char* ip6, const char* prefix,
               const char* ip6_gw) {
    e.enable = enable;
    e.network_type = type;
    copy_text(e.ip_addr, sizeof e.ip_addr, ip);
    copy_text(e.netmask, sizeof e.netmask, mask);
    copy_text(e.gateway, sizeof e.gateway, gw);
    copy_text(e.dns1, sizeof e.dns1, dns1);
    copy_text(e.dns2, sizeof e.dns2, dns2);
    e.mtu = mtu;
    e.ip6_network_type = ip6_type;
    copy_text(e.ip6_addr, sizeof e.ip6_addr, ip6);
    copy_text(e.ip6_netmask, sizeof e.ip6_netmask, prefix);
    copy_text(e.ip6_gateway, sizeof e.ip6_gateway, ip6_gw);
}

// eth0 static IPv6; eth1 automatic with nothing stored (shown live); the
// bond automatic as well.
network_record sample_record(int mode) {
    network_record rec;
    std::memset(&rec, 0, sizeof rec);
    rec.mode = mode;
    copy_text(rec.host_name, sizeof rec.host_name, "nvr-lobby");
    rec.primary_net = 1;
    rec.default_route = 1;
    set_iface(rec.eth[0], 1, 0, "10.0.0.5", "255.255.0.0", "10.0.0.1", "10.0.0.2", "10.0.0.3", 1500, 0,
              "2001:db8::10", "64", "2001:db8::1");
    set_iface(rec.eth[1], 0, 1, "10.1.0.5", "255.255.255.0", "10.1.0.1", "10.1.0.2", "", 9000, 1, "", "",
              "");
    set_iface(rec.bond, 1, 1, "10.2.0.5", "255.255.255.128", "10.2.0.1", "1.1.1.1", "9.9.9.9", 1400, 2,
              "2001:db8::77", "48", "2001:db8::2");
    return rec;
}

// eth1: a link-local address only; bond0: a global one. Default routes:
// eth1 through a global router, bond0 through a link-local one.
void pin_kernel_tables(const test_root& root) {
    root.write("/proc/net/if_inet6",
               "fe800000000000000000000000000009 03 40 20 80     eth1\n"
               "20010db8000000000000000000000007 05 30 00 80    bond0\n");
    root.write("/proc/net/ipv6_route",
               "00000000000000000000000000000000 00 00000000000000000000000000000000 00 "
               "20010db8000000000000000000000001 00000400 00000002 00000000 00000003     eth1\n"
               "00000000000000000000000000000000 00 00000000000000000000000000000000 00 "
               "fe800000000000000000000000000001 00000400 00000002 00000000 00000003    bond0\n");
}

struct macs {
    std::string eth0, eth1;
    macs() {
        char a[18], b[18];
        get_device_macs(a, b);
        eth0 = a;
        eth1 = b;
    }
};

TEST_F(Network, ShowingTheSeparateInterfacesGivesStoredAndLiveIpv6InOrder) {
    store(sample_record(0));
    pin_kernel_tables(root);
    macs mac;
    cgi_result res = cgi_get(root, "/7040", "0");
    EXPECT_EQ(res.out,
              json_reply("{ \"mode\": 0, \"hostName\": \"nvr-lobby\", \"enableNetwork1\": 1, \"networkType\": 0, "
                         "\"ipAddr\": \"10.0.0.5\", \"netmask\": \"255.255.0.0\", \"gateway\": \"10.0.0.1\", "
                         "\"ip6networkType\": 0, \"ip6Addr\": \"2001:db8::10\", \"ip6netmask\": \"64\", "
                         "\"ip6gateway\": \"2001:db8::1\", \"macAddr\": \"" + mac.eth0 + "\", "
                         "\"DNS1\": \"10.0.0.2\", \"DNS2\": \"10.0.0.3\", \"mtu\": 1500, \"enableNetwork2\": 0, "
                         "\"networkType2\": 1, \"ipAddr2\": \"10.1.0.5\", \"netmask2\": \"255.255.255.0\", "
                         "\"gateway2\": \"10.1.0.1\", \"ip6networkType2\": 1, \"ip6Addr2\": \"fe80::9\", "
                         "\"ip6netmask2\": \"64\", \"ip6gateway2\": \"2001:db8::1\", \"macAddr2\": \"" + mac.eth1 + "\", "
                         "\"DNS12\": \"10.1.0.2\", \"DNS22\": \"\", \"mtu2\": 9000, \"defaultRoute\": 1 }"));
    EXPECT_TRUE(sent().empty());
}

TEST_F(Network, ShowingTheBondGivesPrimaryNetAndBond0sLiveIpv6) {
    store(sample_record(2));
    pin_kernel_tables(root);
    macs mac;
    cgi_result res = cgi_get(root, "/7040", "2");
    // Type 2: the stored IPv6 values are not shown; the global-only gateway
    // query fails, the second one gives the link-local router.
    EXPECT_EQ(res.out,
              json_reply("{ \"mode\": 2, \"hostName\": \"nvr-lobby\", \"primaryNet\": 1, \"enableNetwork1\": 1, "
                         "\"networkType\": 1, \"ipAddr\": \"10.2.0.5\", \"netmask\": \"255.255.255.128\", "
                         "\"gateway\": \"10.2.0.1\", \"macAddr\": \"" + mac.eth0 + "\", \"DNS1\": \"1.1.1.1\", "
                         "\"DNS2\": \"9.9.9.9\", \"mtu\": 1400, \"ip6networkType\": 2, \"ip6Addr\": \"2001:db8::7\", "
                         "\"ip6netmask\": \"48\", \"ip6gateway\": \"fe80::1\", \"defaultRoute\": 1 }"));
}

TEST_F(Network, TheRequestedModeChoosesTheViewAndAnythingElseShowsTheStoredMode) {
    struct row {
        int line;
        int stored_mode;
        const char* text;
        int shown_mode;
    } rows[] = {
        {__LINE__, 0, "", 0},    {__LINE__, 2, "", 2},     {__LINE__, 0, "1", 1},   {__LINE__, 1, "0", 0},
        {__LINE__, 1, "5", 1},   {__LINE__, 2, "-1", 2},   {__LINE__, 1, "abc", 1}, {__LINE__, 2, "0x1", 2},
        {__LINE__, 0, "1a", 0},  {__LINE__, 7, "", 7},     {__LINE__, 7, "2", 2},
    };
    for (const auto& r : rows) {
        store(sample_record(r.stored_mode));
        cgi_result res = cgi_get(root, "/7040", r.text);
        json_ref obj = json_body(res);
        ASSERT_TRUE(obj) << "row at line " << r.line << ": " << res.out;
        EXPECT_EQ(req_int_or(obj, "mode", -99), r.shown_mode) << "row at line " << r.line;
        bool bond = r.shown_mode == 1 || r.shown_mode == 2;
        EXPECT_EQ(req_member(obj, "primaryNet") != nullptr, bond) << "row at line " << r.line;
        EXPECT_EQ(req_member(obj, "ipAddr2") != nullptr, !bond) << "row at line " << r.line;
        EXPECT_STREQ(req_str(obj, "ipAddr"), bond ? "10.2.0.5" : "10.0.0.5") << "row at line " << r.line;
    }
}

TEST_F(Network, Ipv6KeysAreStoredForStaticSettingsElseLiveOrLeftOut) {
    const char* absent = nullptr;
    struct row {
        int line;
        int type;
        const char* addr;
        const char* prefix;
        const char* if_inet6;
        const char* route;
        const char* want_addr;
        const char* want_prefix;
        const char* want_gw;
    } rows[] = {
        // type 0: always the stored values, even empty ones
        {__LINE__, 0, "", "", "", "", "", "", "stored-gw"},
        // type 1 with address and prefix stored: stored
        {__LINE__, 1, "2001:db8::10", "64", "", "", "2001:db8::10", "64", "stored-gw"},
        // type 1 with the prefix missing: live, the link-local address will do
        {__LINE__, 1, "2001:db8::10", "", "fe800000000000000000000000000001 02 40 20 80 eth0\n", "", "fe80::1",
         "64", absent},
        // type 2: live; no global address, but a global default route
        {__LINE__, 2, "2001:db8::10", "64", "fe800000000000000000000000000001 02 40 20 80 eth0\n",
         "00000000000000000000000000000000 00 00000000000000000000000000000000 00 "
         "20010db80000000000000000000000fe 00000400 00000002 00000000 00000003 eth0\n",
         absent, absent, "2001:db8::fe"},
        // type 2 with nothing live: all three left out
        {__LINE__, 2, "", "", "", "", absent, absent, absent},
        // another interface's entries do not count
        {__LINE__, 2, "", "", "20010db8000000000000000000000005 03 40 00 80 eth1\n", "", absent, absent, absent},
    };
    for (const auto& r : rows) {
        network_record rec = sample_record(0);
        rec.eth[0].ip6_network_type = r.type;
        copy_text(rec.eth[0].ip6_addr, sizeof rec.eth[0].ip6_addr, r.addr);
        copy_text(rec.eth[0].ip6_netmask, sizeof rec.eth[0].ip6_netmask, r.prefix);
        copy_text(rec.eth[0].ip6_gateway, sizeof rec.eth[0].ip6_gateway, "stored-gw");
        store(rec);
        root.write("/proc/net/if_inet6", r.if_inet6);
        root.write("/proc/net/ipv6_route", r.route);
        cgi_result res = cgi_get(root, "/7040", "0");
        json_ref obj = json_body(res);
        ASSERT_TRUE(obj) << "row at line " << r.line;
        struct {
            const char* key;
            const char* want;
        } const keys[] = {{"ip6Addr", r.want_addr}, {"ip6netmask", r.want_prefix}, {"ip6gateway", r.want_gw}};
        for (const auto& k : keys) {
            if (k.want)
                EXPECT_STREQ(req_str(obj, k.key), k.want) << "row at line " << r.line << " " << k.key;
            else
                EXPECT_EQ(req_member(obj, k.key), nullptr) << "row at line " << r.line << " " << k.key;
        }
    }
}

// ---- storing -----------------------------------------------------------------------

TEST_F(Network, StoringTakesTheKeysOfTheModesViewAndKeepsMissingTexts) {
    using edit = std::function<void(network_record&)>;
    const std::string long_ip6(70, 'f');
    struct row {
        int line;
        std::string body;
        edit expect;  // applied to the record as it was
    } rows[] = {
        {__LINE__,
         "{\"mode\": 0, \"enableNetwork1\": 1, \"networkType\": 1, \"ipAddr\": \"172.16.0.9\", "
         "\"netmask\": \"255.240.0.0\", \"gateway\": \"172.16.0.1\", \"DNS1\": \"172.16.0.2\", \"DNS2\": \"172.16.0.3\", "
         "\"mtu\": 1492, \"ip6networkType\": 0, \"ip6Addr\": \"2001:db8::9\", \"ip6netmask\": \"56\", "
         "\"ip6gateway\": \"2001:db8::fe\", \"enableNetwork2\": 1, \"networkType2\": 0, \"ipAddr2\": \"172.17.0.9\", "
         "\"netmask2\": \"255.255.0.0\", \"gateway2\": \"172.17.0.1\", \"DNS12\": \"172.17.0.2\", "
         "\"DNS22\": \"172.17.0.3\", \"mtu2\": 1500, \"ip6networkType2\": 2, \"ip6Addr2\": \"2001:db8:1::9\", "
         "\"ip6netmask2\": \"64\", \"ip6gateway2\": \"2001:db8:1::fe\", \"defaultRoute\": 1, \"primaryNet\": 2}",
         [](network_record& r) {
             r.mode = 0;
             set_iface(r.eth[0], 1, 1, "172.16.0.9", "255.240.0.0", "172.16.0.1", "172.16.0.2", "172.16.0.3", 1492,
                       0, "2001:db8::9", "56", "2001:db8::fe");
             // IPv6 type 2 keeps the stored gateway
             set_iface(r.eth[1], 1, 0, "172.17.0.9", "255.255.0.0", "172.17.0.1", "172.17.0.2", "172.17.0.3", 1500,
                       2, "2001:db8:1::9", "64", r.eth[1].ip6_gateway);
             r.default_route = 1;
         }},
        // Absent integers store 0; absent or null texts keep the stored ones.
        {__LINE__, "{\"mode\": 0, \"ipAddr\": \"10.0.0.6\", \"gateway\": null, \"DNS1\": null}",
         [](network_record& r) {
             for (network_iface& e : r.eth) e.enable = e.network_type = e.mtu = e.ip6_network_type = 0;
             copy_text(r.eth[0].ip_addr, sizeof r.eth[0].ip_addr, "10.0.0.6");
             r.default_route = 0;
         }},
        {__LINE__, "{}",
         [](network_record& r) {
             r.mode = 0;
             for (network_iface& e : r.eth) e.enable = e.network_type = e.mtu = e.ip6_network_type = 0;
             r.default_route = 0;
         }},
        // Bond with a primary interface; the multi view and the route stay.
        {__LINE__,
         "{\"mode\": 2, \"primaryNet\": 0, \"enableNetwork1\": 1, \"networkType\": 0, \"ipAddr\": \"10.9.0.5\", "
         "\"mtu\": 1500, \"ip6networkType\": 2, \"ip6gateway\": \"2001:db8::99\", \"defaultRoute\": 0, "
         "\"ipAddr2\": \"10.9.9.9\"}",
         [](network_record& r) {
             r.mode = 2;
             r.primary_net = 0;
             r.bond.enable = 1;
             r.bond.network_type = 0;
             copy_text(r.bond.ip_addr, sizeof r.bond.ip_addr, "10.9.0.5");
             r.bond.mtu = 1500;
             r.bond.ip6_network_type = 2;
         }},
        // Bond without a primary interface: "primaryNet" is not taken.
        {__LINE__, "{\"mode\": 1, \"primaryNet\": 0, \"ip6networkType\": 1, \"ip6gateway\": \"2001:db8::99\"}",
         [](network_record& r) {
             r.mode = 1;
             r.bond.enable = r.bond.network_type = r.bond.mtu = 0;
             r.bond.ip6_network_type = 1;
             copy_text(r.bond.ip6_gateway, sizeof r.bond.ip6_gateway, "2001:db8::99");
         }},
        // Texts are cut to their fields.
        {__LINE__, "{\"mode\": 0, \"ipAddr\": \"192.168.100.200.7\", \"ip6Addr\": \"" + long_ip6 + "\"}",
         [&long_ip6](network_record& r) {
             for (network_iface& e : r.eth) e.enable = e.network_type = e.mtu = e.ip6_network_type = 0;
             r.default_route = 0;
             copy_text(r.eth[0].ip_addr, sizeof r.eth[0].ip_addr, "192.168.100.200");
             copy_text(r.eth[0].ip6_addr, sizeof r.eth[0].ip6_addr, long_ip6.substr(0, 63).c_str());
         }},
        // A mode outside 0..2 is stored as it is; no view is taken.
        {__LINE__, "{\"mode\": 7, \"ipAddr\": \"10.7.7.7\", \"defaultRoute\": 0}",
         [](network_record& r) { r.mode = 7; }},
    };
    for (const auto& r : rows) {
        fresh_case();
        network_record before = sample_record(0);
        store(before);
        cgi_result res = cgi_post_json(root, "/7041", r.body);
        EXPECT_EQ(res.out, text_reply("OK")) << "row at line " << r.line;
        network_record want = before;
        r.expect(want);
        network_record got = stored();
        EXPECT_EQ(std::memcmp(&got, &want, sizeof got), 0) << "row at line " << r.line;
        EXPECT_EQ(ids_of(sent(3)), (std::vector<int32_t>{3023, 1702, 3485})) << "row at line " << r.line;
    }
}

TEST_F(Network, StoringTellsTheCoreAndLogsTheConflictAsASecondEntry) {
    struct row {
        int line;
        const char* body;
        int32_t slave_clear;
        bool conflict;
    } rows[] = {
        {__LINE__, "{\"mode\": 0}", 0, false},
        {__LINE__, "{\"mode\": 1, \"slaveClear\": 1, \"Conflict\": 1}", 1, true},
        {__LINE__, "{\"mode\": 0, \"slaveClear\": 3, \"Conflict\": 2}", 3, false},
    };
    for (const auto& r : rows) {
        fresh_case();
        cgi_result res = cgi_post_json(root, "/7041", r.body);
        EXPECT_EQ(res.out, text_reply("OK")) << "row at line " << r.line;
        auto msgs = sent(r.conflict ? 4 : 3);
        ASSERT_EQ(msgs.size(), r.conflict ? 4u : 3u) << "row at line " << r.line;
        EXPECT_EQ(msgs[0].id, 3023);
        EXPECT_EQ(msgs[0].payload.size(), 4u);
        EXPECT_EQ(int_at(msgs[0].payload, 0), r.slave_clear) << "row at line " << r.line;
        EXPECT_EQ(msgs[1].id, 1702);
        EXPECT_EQ(msgs[1].payload, padded("network", 32));
        struct {
            int32_t main;
            int64_t sub;
        } const entries[] = {{4, 204}, {32, 406}};
        for (size_t i = 2; i < msgs.size(); ++i) {
            EXPECT_EQ(msgs[i].id, 3485);
            oplog_record entry = oplog_of(msgs[i]);
            EXPECT_EQ(entry.main_type, entries[i - 2].main) << "row at line " << r.line;
            EXPECT_EQ(entry.sub_type, entries[i - 2].sub) << "row at line " << r.line;
            EXPECT_EQ(entry.parameter_type, 914);
            EXPECT_EQ(entry.remote, 1);
        }
    }
}

TEST_F(Network, TextsThatAreNotJsonObjectsStoreAndSendNothing) {
    store(sample_record(1));
    for (const char* body : {"", "mode=0", "[0]", "{\"mode\": "}) {
        fresh_case();
        cgi_result res = cgi_post_json(root, "/7041", body);
        EXPECT_EQ(res.out, "") << body;
        EXPECT_EQ(res.status, 0) << body;
        network_record want = sample_record(1);
        network_record got = stored();
        EXPECT_EQ(std::memcmp(&got, &want, sizeof got), 0) << body;
        EXPECT_TRUE(sent().empty()) << body;
    }
}

// ---- mode, reload, MAC ---------------------------------------------------------------

TEST_F(Network, ModeIsTheStoredModeAsText) {
    for (int mode : {0, 1, 2, 7}) {
        store(sample_record(mode));
        EXPECT_EQ(cgi_get(root, "/7042").out, text_reply(std::to_string(mode)));
    }
}

TEST_F(Network, ReloadSendsThirtyTwoZeroBytes) {
    EXPECT_EQ(cgi_get(root, "/7043").out, text_reply("OK"));
    auto msgs = sent(1);
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_EQ(msgs[0].id, 1712);
    EXPECT_EQ(msgs[0].payload, coresim::bytes(32, 0));
}

TEST_F(Network, MacTextGetsAColonAfterEverySecondCharacter) {
    const std::string longest(63, 'A');
    std::string longest_with_colons;
    for (size_t i = 0; i < longest.size(); ++i) longest_with_colons += (i % 2 == 1 && i + 1 < 63) ? "A:" : "A";
    struct row {
        int line;
        std::string stored;
        std::string shown;
    } rows[] = {
        {__LINE__, "025EA10A19C8\n", "02:5E:A1:0A:19:C8"},
        {__LINE__, "025ea10a19c", "02:5e:a1:0a:19:c"},
        {__LINE__, "0", "0"},
        {__LINE__, "AB-CD", "AB-C:D"},
        {__LINE__, longest, longest_with_colons},
    };
    for (const auto& r : rows) {
        root.write("/mnt/nand/app/mac.conf", r.stored);
        EXPECT_EQ(cgi_get(root, "/7044").out, json_reply("{ \"mac0\": \"" + r.shown + "\" }"))
            << "row at line " << r.line;
    }
}

// ---- default route ---------------------------------------------------------------------

TEST_F(Network, DefaultRouteIsStoredThenSentAndTheAnswerShown) {
    const std::string error = json_reply("{status:\"CGI ERROR\"}");
    struct row {
        int line;
        const char* body;
        std::function<void(core_case&)> script;
        std::string reply;
        int32_t stored_route;  // -1: unchanged
        bool sent;
    } rows[] = {
        {__LINE__, "{\"defaultRoute\": 1}", [](core_case& f) { f.answer_int(1724, 7); }, json_reply("{ \"res\": 7 }"),
         1, true},
        {__LINE__, "{\"defaultRoute\": 0}", [](core_case& f) { f.answer_int(1724, -2); },
         json_reply("{ \"res\": -2 }"), 0, true},
        {__LINE__, "{}", [](core_case&) {}, json_reply("{ \"res\": 0 }"), 0, true},
        {__LINE__, "{\"defaultRoute\": 1}", [](core_case& f) { f.answer_nothing(1724); }, error, 1, true},
        // An answer too short to hold its result is no answer.
        {__LINE__, "{\"defaultRoute\": 1}", [](core_case& f) { f.core.add_reply(1724, 0, {1, 0}); }, error, 1,
         true},
        {__LINE__, "route=1", [](core_case&) {}, error, -1, false},
        {__LINE__, "", [](core_case&) {}, error, -1, false},
    };
    for (const auto& r : rows) {
        fresh_case();
        network_record before = sample_record(0);
        before.default_route = 5;
        store(before);
        r.script(*this);
        cgi_result res = cgi_post_json(root, "/7096", r.body);
        EXPECT_EQ(res.out, r.reply) << "row at line " << r.line;
        network_record want = before;
        if (r.stored_route >= 0) want.default_route = r.stored_route;
        network_record got = stored();
        EXPECT_EQ(std::memcmp(&got, &want, sizeof got), 0) << "row at line " << r.line;
        auto msgs = sent(r.sent ? 1 : 0);
        ASSERT_EQ(msgs.size(), r.sent ? 1u : 0u) << "row at line " << r.line;
        if (r.sent) {
            EXPECT_EQ(msgs[0].id, 1724);
            EXPECT_EQ(msgs[0].payload.size(), 4u);
            EXPECT_EQ(int_at(msgs[0].payload, 0), r.stored_route) << "row at line " << r.line;
        }
    }
}

}  // namespace

namespace {

TEST_F(Network, MulticastIsShownStoredMemberByMemberSentAndTheAnswerShown) {
    const std::string error = json_reply("{status:\"CGI ERROR\"}");
    EXPECT_EQ(cgi_get(root, "/7033").out, json_reply("{ \"enable\": 0, \"ip\": \"\" }"));

    struct row {
        int line;
        std::string body;
        std::function<void(core_case&)> script;
        std::string reply;
        int32_t enable;
        std::string ip;
        bool sent;
    } rows[] = {
        {__LINE__, "{\"enable\": 1, \"ip\": \"239.1.2.3\"}", [](core_case& f) { f.answer_int(1729, 0); },
         json_reply("{ \"res\": 0 }"), 1, "239.1.2.3", true},
        // A member left out keeps its stored value.
        {__LINE__, "{\"ip\": \"239.9.9.9\"}", [](core_case& f) { f.answer_int(1729, -1); },
         json_reply("{ \"res\": -1 }"), 1, "239.9.9.9", true},
        {__LINE__, "{\"enable\": 0}", [](core_case&) {}, json_reply("{ \"res\": 0 }"), 0, "239.9.9.9", true},
        {__LINE__, "{\"ip\": \"" + std::string(80, '7') + "\"}", [](core_case&) {},
         json_reply("{ \"res\": 0 }"), 0, std::string(64, '7'), true},
        {__LINE__, "{\"enable\": 1}", [](core_case& f) { f.answer_nothing(1729); }, error, 1, std::string(64, '7'),
         true},
        {__LINE__, "enable=1", [](core_case&) {}, error, 1, std::string(64, '7'), false},
    };
    for (const auto& r : rows) {
        fresh_case();
        r.script(*this);
        EXPECT_EQ(cgi_post_json(root, "/7034", r.body).out, r.reply) << "row at line " << r.line;
        multicast_record rec;
        std::memset(&rec, 0, sizeof rec);
        ASSERT_EQ(read_multicast(TQDB_FILE, &rec), 0);
        EXPECT_EQ(rec.enable, r.enable) << "row at line " << r.line;
        EXPECT_EQ(std::string(rec.ip), r.ip) << "row at line " << r.line;
        auto msgs = sent(r.sent ? 1 : 0);
        ASSERT_EQ(msgs.size(), r.sent ? 1u : 0u) << "row at line " << r.line;
        if (r.sent) {
            EXPECT_EQ(msgs[0].id, 1729);
            EXPECT_EQ(msgs[0].payload, bytes_of(rec)) << "row at line " << r.line;
        }
    }
    EXPECT_EQ(cgi_get(root, "/7033").out,
              json_reply("{ \"enable\": 1, \"ip\": \"" + std::string(64, '7') + "\" }"));
}

}  // namespace
