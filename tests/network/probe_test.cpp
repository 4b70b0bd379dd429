// The interface probe on this machine's loopback, on a pinned route table,
// and on a dummy (or veth) interface of a network namespace made for the test.
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "platform/tqnet.h"
#include "tests/harness/cgi_harness.h"

#include <gtest/gtest.h>

namespace {

std::string fields(const if_state& s) {
    return std::string(s.addr) + " hw=" + s.hwaddr + " gw=" + s.gateway + " mask=" + s.netmask +
           " brd=" + s.broadcast + " up=" + std::to_string(s.up) + " mtu=" + std::to_string(s.mtu);
}

TEST(InterfaceProbe, LoopbackAndNamesTheKernelDoesNotKnow) {
    if_state s;
    ASSERT_EQ(net_probe_interface("lo", &s), 0);
    EXPECT_STREQ(s.addr, "127.0.0.1") << fields(s);
    EXPECT_STREQ(s.netmask, "255.0.0.0") << fields(s);
    EXPECT_STREQ(s.hwaddr, "00:00:00:00:00:00") << fields(s);
    EXPECT_EQ(s.up, 1) << fields(s);
    EXPECT_GT(s.mtu, 0) << fields(s);

    // A name of 16 characters or more is cut to the kernel's 15, never left
    // unterminated; an unknown interface leaves every field empty.
    for (const char* name : {"nosuchif0", "abcdefghijklmnopqrstuvwxyz", "lo\nx"}) {
        ASSERT_EQ(net_probe_interface(name, &s), 0) << name;
        EXPECT_EQ(fields(s), " hw= gw= mask= brd= up=0 mtu=0") << name;
    }
    EXPECT_EQ(net_probe_interface(nullptr, &s), -1);
    EXPECT_EQ(net_probe_interface("lo", nullptr), -1);
}

TEST(InterfaceProbe, GatewayIsTheFirstDefaultRouteOfTheInterface) {
    test_root root;
    const char header[] = "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n";
    struct row {
        int line;
        std::string table;
        const char* gateway;
    } rows[] = {
        {__LINE__, std::string(header) + "lo\t0000A8C0\t00000000\t0001\t0\t0\t0\t00FFFFFF\t0\t0\t0\n" +
                       "lo\t00000000\t0101A8C0\t0003\t0\t0\t0\t00000000\t0\t0\t0\n" +
                       "lo\t00000000\t0201A8C0\t0003\t0\t0\t0\t00000000\t0\t0\t0\n",
         "192.168.1.1"},
        // Another interface's default route, and a prefix "lo1" of no concern.
        {__LINE__, std::string(header) + "eth0\t00000000\t0101A8C0\t0003\t0\t0\t0\t00000000\t0\t0\t0\n" +
                       "lo1\t00000000\t0102A8C0\t0003\t0\t0\t0\t00000000\t0\t0\t0\n",
         ""},
        // The header line is never taken for a route.
        {__LINE__, "lo\t00000000\t0101A8C0\t0003\n", ""},
        {__LINE__, "", ""},
    };
    for (const auto& r : rows) {
        root.write("/proc/net/route", r.table);
        if_state s;
        ASSERT_EQ(net_probe_interface("lo", &s), 0);
        EXPECT_STREQ(s.gateway, r.gateway) << "row at line " << r.line;
        EXPECT_STREQ(s.addr, "127.0.0.1") << "row at line " << r.line;
    }
}

// Runs the commands and the probes in a child in a network namespace of its
// own; the child hands back the probes' records, or "skip" and a reason.
struct ns_result {
    bool skipped = false;
    std::string reason;
    if_state down{}, up{};
};

ns_result probe_in_namespace() {
    ns_result out;
    int fds[2];
    if (pipe(fds) != 0) return {true, "no pipe"};
    pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        auto skip = [&](const char* why) {
            std::string msg = std::string("S") + why;
            (void)!write(fds[1], msg.data(), msg.size());
            _exit(0);
        };
        if (unshare(CLONE_NEWNET) != 0) skip("this machine allows no network namespace here");
        auto ip = [&](std::initializer_list<const char*> args) {
            std::vector<std::string> argv = {"ip"};
            argv.insert(argv.end(), args.begin(), args.end());
            int status = -1;
            run_program(argv, &status);
            return status == 0;
        };
        // A dummy interface, or one end of a veth pair where the kernel has
        // no dummy driver.
        bool veth = false;
        if (!ip({"link", "add", "nvrdummy0", "type", "dummy"})) {
            veth = ip({"link", "add", "nvrdummy0", "type", "veth", "peer", "name", "nvrpeer0"});
            if (!veth) skip("neither a dummy nor a veth interface can be made (ip, kernel drivers)");
        }
        if (!ip({"addr", "add", "10.9.8.7/24", "broadcast", "10.9.8.255", "dev", "nvrdummy0"}) ||
            !ip({"link", "set", "nvrdummy0", "address", "02:5e:a1:0a:19:c8", "mtu", "1400"}))
            skip("the dummy interface could not be set up");
        if_state s[2];
        net_probe_interface("nvrdummy0", &s[0]);
        if (veth) ip({"link", "set", "nvrpeer0", "up"});
        if (!ip({"link", "set", "nvrdummy0", "up"}) || !ip({"route", "add", "default", "via", "10.9.8.1"}))
            skip("the dummy interface could not be brought up");
        net_probe_interface("nvrdummy0", &s[1]);
        (void)!write(fds[1], "R", 1);
        (void)!write(fds[1], s, sizeof s);
        _exit(0);
    }
    close(fds[1]);
    std::string got;
    char buf[512];
    for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;) got.append(buf, static_cast<size_t>(n));
    close(fds[0]);
    waitpid(pid, nullptr, 0);
    if (got.empty()) return {true, "the namespace child reported nothing"};
    if (got[0] == 'S') return {true, got.substr(1)};
    if (got.size() != 1 + 2 * sizeof(if_state)) return {true, "short report"};
    std::memcpy(&out.down, got.data() + 1, sizeof out.down);
    std::memcpy(&out.up, got.data() + 1 + sizeof out.down, sizeof out.up);
    return out;
}

TEST(InterfaceProbe, DummyInterfaceDownThenUpWithItsDefaultRoute) {
    ns_result r = probe_in_namespace();
    if (r.skipped) GTEST_SKIP() << r.reason;
    // Down: the address fields are there, the up flag is 0, no route.
    EXPECT_EQ(fields(r.down), "10.9.8.7 hw=02:5e:a1:0a:19:c8 gw= mask=255.255.255.0 brd=10.9.8.255 up=0 mtu=1400");
    EXPECT_EQ(fields(r.up),
              "10.9.8.7 hw=02:5e:a1:0a:19:c8 gw=10.9.8.1 mask=255.255.255.0 brd=10.9.8.255 up=1 mtu=1400");
}

}  // namespace
