// The platform's network library: what the kernel says about the recorder's
// interfaces right now, and the MAC address the recorder is configured with.
//
// The queries read this machine's live state (interface ioctls and the
// kernel's IPv6 tables under /proc/net). A run root may carry its own copies
// of "/proc/net/if_inet6" and "/proc/net/ipv6_route"; when NVR_ROOT is set and
// the copy exists it is read instead, so that a test can pin the state it
// expects.
#pragma once

#include <cstddef>
#include <cstdint>

// IPv4 address of the interface as dotted text into buf (size bytes). 0 when
// filled; -1 (buf unchanged) when the interface has no address.
int net_get_ifaddr(const char* ifname, char* buf, size_t size);

// An IPv6 address of the interface and its prefix length:
//   kind 0: a global address only;
//   kind 1: a global address, or else the link-local one.
// addr gets the address text (64 bytes), prefix the prefix length as decimal
// text (16 bytes). 0 when both were filled; -1 (buffers unchanged) otherwise.
int net_get_ipv6_ifaddr(int kind, const char* ifname, char addr[64], char prefix[16]);

// The next hop of the interface's IPv6 default route into gw (64 bytes):
//   kind 0: a next hop that is a global address only;
//   kind 1: any next hop (routers usually announce their link-local one).
// 0 when filled; -1 (gw unchanged) when there is none.
int net_get_ipv6_gateway2(int kind, const char* ifname, char gw[64]);

// 1 when an interface other than the loopback holds an IPv6 address, else 0.
int net_is_haveipv6();

// The configured MAC address as bare hexadecimal text (no separators) into
// buf, cut to size - 1 characters. It is kept in "/mnt/nand/app/mac.conf"
// (first line); without that file it is eth0's hardware address. 0 when
// filled; -1 (buf unchanged) when neither is available.
int read_mac_conf(char* buf, size_t size);

// The hardware address of an interface (SIOCGIFHWADDR). 0 when filled, -1
// (mac unchanged) when the interface has none.
int get_interface_mac(const char* ifname, unsigned char mac[6]);
// "XX:XX:XX:XX:XX:XX" of eth0 and eth1 (18 bytes each); an interface that
// does not exist shows a fixed locally administered address instead.
void get_device_macs(char eth0[18], char eth1[18]);

// ---- interface probe ------------------------------------------------------------

// The live state of one interface, as the status pages show it. Texts are
// NUL-terminated; a field the kernel would not give stays empty (0).
struct if_state {
    char addr[16];       // dotted IPv4 address
    uint8_t unused0[8];
    char hwaddr[24];     // "xx:xx:xx:xx:xx:xx", lower case
    char gateway[24];    // next hop of the interface's default route, or empty
    char netmask[16];
    uint8_t unused1[8];
    char broadcast[16];
    uint8_t unused2[8];
    int32_t up;          // 1 when IFF_UP is set
    int32_t mtu;
};
static_assert(sizeof(if_state) == 128);
static_assert(offsetof(if_state, hwaddr) == 24);
static_assert(offsetof(if_state, gateway) == 48);
static_assert(offsetof(if_state, netmask) == 72);
static_assert(offsetof(if_state, broadcast) == 96);
static_assert(offsetof(if_state, up) == 120);
static_assert(offsetof(if_state, mtu) == 124);

// Fills *out (zeroed first) for the interface (its first 15 characters).
// A request the kernel refuses is reported on stderr and leaves its field
// empty; the gateway comes from "/proc/net/route" (a run root's copy when
// there is one). 0, or -1 when an argument is null or no socket opens.
int net_probe_interface(const char* ifname, if_state* out);
