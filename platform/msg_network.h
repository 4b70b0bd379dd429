// Messages of the network and services module, by their identifiers, and
// the payloads that are not database records.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr int32_t msg_network_changed = 1702;   // 32 bytes: the group that changed ("network")
inline constexpr int32_t msg_network_reload = 1712;    // 32 zero bytes
inline constexpr int32_t msg_default_route = 1724;     // 4 bytes: the interface; answer 6724 {int result}
inline constexpr int32_t msg_multicast = 1729;         // multicast_record; answer 6729 {int result}
inline constexpr int32_t msg_network_apply = 3023;     // 4 bytes: "slaveClear"
inline constexpr int32_t msg_ip_test = 3005;           // ip_test_request; answer 8005 {int result}
inline constexpr int32_t msg_dev_ip_test = 3006;       // dev_ip_test_request; answer 8006 {int result}

inline constexpr int32_t msg_default_route_reply = 6724;
inline constexpr int32_t msg_multicast_reply = 6729;
inline constexpr int32_t msg_ip_test_reply = 8005;
inline constexpr int32_t msg_dev_ip_test_reply = 8006;

// 3005: is the address in use anywhere?
struct ip_test_request {
    char ip[20];
};
static_assert(sizeof(ip_test_request) == 20);

// 3006: is the address in use on the named interface?
struct dev_ip_test_request {
    char dev[16];
    char ip[16];
};
static_assert(sizeof(dev_ip_test_request) == 32);
static_assert(offsetof(dev_ip_test_request, ip) == 16);
