// The wired network settings: one record for the whole recorder.
#pragma once

#include "platform/tqdb/tqdb.h"

#include <cstddef>
#include <cstdint>

// The settings of one interface (eth0, eth1 or the bond).
struct network_iface {
    int32_t enable;            // "enableNetwork1" / "enableNetwork2"
    int32_t network_type;      // IPv4 addressing, static or automatic (the core's codes)
    char ip_addr[16];          // texts of at most 15 characters
    char netmask[16];
    char gateway[16];
    char dns1[16];
    char dns2[16];
    int32_t mtu;
    int32_t ip6_network_type;  // IPv6 addressing; 2 keeps no stored gateway
    char ip6_addr[64];         // at most 63 characters
    char ip6_netmask[16];      // the prefix, at most 15 characters
    char ip6_gateway[64];      // at most 63 characters
};
static_assert(sizeof(network_iface) == 240);
static_assert(offsetof(network_iface, enable) == 0);
static_assert(offsetof(network_iface, network_type) == 4);
static_assert(offsetof(network_iface, ip_addr) == 8);
static_assert(offsetof(network_iface, netmask) == 24);
static_assert(offsetof(network_iface, gateway) == 40);
static_assert(offsetof(network_iface, dns1) == 56);
static_assert(offsetof(network_iface, dns2) == 72);
static_assert(offsetof(network_iface, mtu) == 88);
static_assert(offsetof(network_iface, ip6_network_type) == 92);
static_assert(offsetof(network_iface, ip6_addr) == 96);
static_assert(offsetof(network_iface, ip6_netmask) == 160);
static_assert(offsetof(network_iface, ip6_gateway) == 176);

// Network modes.
inline constexpr int network_mode_multi = 0;  // eth0 and eth1 separately
inline constexpr int network_mode_bond = 1;   // bonded into bond0
inline constexpr int network_mode_bond_primary = 2;  // bonded, with a primary interface

// The network record. It holds both views: the "multi" view (mode 0: eth[0]
// and eth[1], and the default route) and the "bond" view (modes 1 and 2:
// bond and the primary interface). mode is the one in use.
struct network_record {
    int32_t mode;
    char host_name[128];       // at most 127 characters
    int32_t primary_net;       // bond mode 2
    int32_t default_route;     // the interface that carries the default route (multi view)
    network_iface eth[2];      // multi view: eth0, eth1
    network_iface bond;        // bond view: bond0
    uint8_t reserved[40];
};
static_assert(sizeof(network_record) == 900);
static_assert(offsetof(network_record, mode) == 0);
static_assert(offsetof(network_record, host_name) == 4);
static_assert(offsetof(network_record, primary_net) == 132);
static_assert(offsetof(network_record, default_route) == 136);
static_assert(offsetof(network_record, eth) == 140);
static_assert(offsetof(network_record, bond) == 620);
static_assert(offsetof(network_record, reserved) == 860);

extern const tqdb_table tqdb_tbl_network;  // "network", single row

// read_network(path, rec), write_network(path, rec)
TQDB_SINGLE(network, network_record, tqdb_tbl_network)

// The multicast setting: on/off and the group address. Also the payload of
// message 1729.
struct multicast_record {
    int32_t enable;
    char ip[65];  // at most 64 characters
    uint8_t pad[3];
};
static_assert(sizeof(multicast_record) == 72);
static_assert(offsetof(multicast_record, enable) == 0);
static_assert(offsetof(multicast_record, ip) == 4);

extern const tqdb_table tqdb_tbl_multicast;  // "multicast", single row

// read_multicast(path, rec), write_multicast(path, rec)
TQDB_SINGLE(multicast, multicast_record, tqdb_tbl_multicast)

// The mode in use.
inline int read_network_mode(const char* path, int* mode) {
    network_record rec;
    int rc = read_network(path, &rec);
    if (rc == 0 && mode) *mode = rec.mode;
    return rc;
}
