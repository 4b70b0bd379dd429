// The interface queries, on kernel tables pinned in the test root.
#include "platform/tqnet.h"
#include "tests/harness/cgi_harness.h"
#include "tools/coresim/coresim.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace {

// Link-local before global on eth0; eth1 has only a link-local address;
// bond0's only address is still tentative.
const char if_inet6[] =
    "fe800000000000000000000000000001 02 40 20 80     eth0\n"
    "20010db8000000000000000000000005 02 40 00 80     eth0\n"
    "fe800000000000000000000000000009 03 40 20 80     eth1\n"
    "20010db8000000000000000000000007 04 30 00 40    bond0\n"
    "00000000000000000000000000000001 01 80 10 80       lo\n";

// eth0: default route through a link-local router; eth1: through a global
// one, plus a prefix route; lo: the unreachable default without next hop.
const char ipv6_route[] =
    "00000000000000000000000000000000 00 00000000000000000000000000000000 00 "
    "fe800000000000000000000000000001 00000400 00000002 00000000 00000003     eth0\n"
    "20010db8000000000000000000000000 40 00000000000000000000000000000000 00 "
    "20010db80000000000000000000000aa 00000100 00000001 00000000 00000001     eth1\n"
    "00000000000000000000000000000000 00 00000000000000000000000000000000 00 "
    "20010db8000000000000000000000001 00000400 00000002 00000000 00000003     eth1\n"
    "00000000000000000000000000000000 00 00000000000000000000000000000000 00 "
    "00000000000000000000000000000000 ffffffff 00000001 00000000 00200200       lo\n";

TEST(InterfaceQueries, Ipv6AddressPrefersGlobalAndFallsBackToLinkLocalOnlyForKind1) {
    test_root root;
    root.write("/proc/net/if_inet6", if_inet6);
    struct row {
        int line;
        int kind;
        const char* ifname;
        int rc;
        const char* addr;
        const char* prefix;
    } rows[] = {
        {__LINE__, 0, "eth0", 0, "2001:db8::5", "64"},
        {__LINE__, 1, "eth0", 0, "2001:db8::5", "64"},
        {__LINE__, 0, "eth1", -1, "keep", "keep"},
        {__LINE__, 1, "eth1", 0, "fe80::9", "64"},
        {__LINE__, 1, "bond0", -1, "keep", "keep"},
        {__LINE__, 1, "eth", -1, "keep", "keep"},
        {__LINE__, 0, "eth9", -1, "keep", "keep"},
    };
    for (const auto& r : rows) {
        char addr[64] = "keep", prefix[16] = "keep";
        EXPECT_EQ(net_get_ipv6_ifaddr(r.kind, r.ifname, addr, prefix), r.rc) << "row at line " << r.line;
        EXPECT_STREQ(addr, r.addr) << "row at line " << r.line;
        EXPECT_STREQ(prefix, r.prefix) << "row at line " << r.line;
    }
}

TEST(InterfaceQueries, Ipv6GatewayIsTheDefaultRoutesNextHopOfTheInterface) {
    test_root root;
    root.write("/proc/net/ipv6_route", ipv6_route);
    struct row {
        int line;
        int kind;
        const char* ifname;
        int rc;
        const char* gw;
    } rows[] = {
        {__LINE__, 0, "eth0", -1, "keep"},
        {__LINE__, 1, "eth0", 0, "fe80::1"},
        {__LINE__, 0, "eth1", 0, "2001:db8::1"},
        {__LINE__, 1, "eth1", 0, "2001:db8::1"},
        {__LINE__, 1, "lo", -1, "keep"},
        {__LINE__, 1, "bond0", -1, "keep"},
    };
    for (const auto& r : rows) {
        char gw[64] = "keep";
        EXPECT_EQ(net_get_ipv6_gateway2(r.kind, r.ifname, gw), r.rc) << "row at line " << r.line;
        EXPECT_STREQ(gw, r.gw) << "row at line " << r.line;
    }
}

TEST(InterfaceQueries, HaveIpv6CountsInterfacesOtherThanLoopback) {
    test_root root;
    root.write("/proc/net/if_inet6", if_inet6);
    EXPECT_EQ(net_is_haveipv6(), 1);
    root.write("/proc/net/if_inet6", "00000000000000000000000000000001 01 80 10 80       lo\n");
    EXPECT_EQ(net_is_haveipv6(), 0);
    root.write("/proc/net/if_inet6", "");
    EXPECT_EQ(net_is_haveipv6(), 0);
}

TEST(InterfaceQueries, Ipv4AddressOfLoopbackAndOfAMissingInterface) {
    char buf[32] = "keep";
    EXPECT_EQ(net_get_ifaddr("lo", buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "127.0.0.1");
    std::snprintf(buf, sizeof buf, "keep");
    EXPECT_EQ(net_get_ifaddr("nosuchif0", buf, sizeof buf), -1);
    EXPECT_STREQ(buf, "keep");
    char small[4] = "";
    EXPECT_EQ(net_get_ifaddr("lo", small, sizeof small), 0);
    EXPECT_STREQ(small, "127");
}

TEST(InterfaceQueries, ConfiguredMacIsTheFilesFirstLineElseEth0sAddress) {
    {
        test_root root;
        root.write("/mnt/nand/app/mac.conf", "025EA10A19C8\nsecond line\n");
        char buf[64] = "";
        EXPECT_EQ(read_mac_conf(buf, sizeof buf), 0);
        EXPECT_STREQ(buf, "025EA10A19C8");
        char small[7] = "";
        EXPECT_EQ(read_mac_conf(small, sizeof small), 0);
        EXPECT_STREQ(small, "025EA1");
    }

    // Without the file: eth0's hardware address as 12 hexadecimal digits,
    // when this machine has an eth0.
    test_root bare;
    char fallback[64] = "keep";
    if (read_mac_conf(fallback, sizeof fallback) == 0) {
        std::string text = fallback;
        EXPECT_EQ(text.size(), 12u) << text;
        for (char c : text) EXPECT_TRUE(std::isxdigit(static_cast<unsigned char>(c))) << text;
    } else {
        EXPECT_STREQ(fallback, "keep");
    }
}

}  // namespace

namespace {

TEST(SimulatedCoreDefaults, NetworkAndStorageRowsAreRegisteredOnceWithTheirRequestSizes) {
    EXPECT_TRUE(coresim::default_conflicts().empty());
    struct row {
        int32_t id, request_size, reply_size;
    } rows[] = {
        {1724, 4, 4},   {3005, 20, 4},   {3006, 32, 4},     {1712, 32, -1},  {3023, 4, -1},
        {3433, 0, 392}, {3434, 4, 4},    {3435, 16, -1},    {3420, 104, 4},  {3421, 104, 4},
        {3423, 4, 4},   {3424, 4, 4},    {3425, 8, 4},      {3508, 136, 4},  {3507, 136, 4},
        {3440, 68, 16388}, {3439, 4, 4}, {3475, 8, 4},      {3431, 4, 8},    {3403, 4, 128},
        {3496, 4, 4},
    };
    for (const auto& r : rows) {
        const coresim::default_reply* d = coresim::find_default(r.id);
        ASSERT_NE(d, nullptr) << r.id;
        EXPECT_EQ(d->request_size, r.request_size) << r.id;
        EXPECT_EQ(d->reply_size, r.reply_size) << r.id;
    }
}

}  // namespace
