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
