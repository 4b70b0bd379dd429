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

// ---- time, accounts and mail ---------------------------------------------------
inline constexpr int32_t msg_time_set = 1701;         // 32 bytes: the quoted manual time, or zeros
inline constexpr int32_t msg_time_set_reply = 6701;   // the clock was set (contents not read)
inline constexpr int32_t msg_time_applied = 1711;     // no payload: sent once 6701 arrived
inline constexpr int32_t msg_test_mail = 3409;        // 32 bytes: "testmail"; answer 8409 {int result}
inline constexpr int32_t msg_test_mail_reply = 8409;  // 0 sent, anything else failed

// ---- HTTPS certificates ----------------------------------------------------------
inline constexpr int32_t msg_cert_create = 3316;         // cert_create_request; answer 8316 (not read)
inline constexpr int32_t msg_cert_create_reply = 8316;
inline constexpr int32_t msg_cert_use = 3317;            // no payload
inline constexpr int32_t msg_cert_install = 3318;        // no payload; answer 8318 {int 1 installed}
inline constexpr int32_t msg_cert_install_reply = 8318;
inline constexpr int32_t msg_cert_removed = 3320;        // no payload
inline constexpr int32_t msg_https_switch = 3322;        // 4 bytes: HTTPS on (1) or off (0)

// Install types of cert_create_request.
inline constexpr int32_t cert_self_signed = 0;  // anything else: a signing request

// 3316: create a self-signed certificate or a signing request. Validity and
// the two dates are used for a self-signed certificate only (zeros
// otherwise).
struct cert_create_request {
    int32_t install_type;
    char country[3];        // 2 characters
    char common_name[64];
    uint8_t pad0[1];
    int32_t validity;       // days
    char password[16];
    char province[64];
    char region[64];
    char organization[64];
    char company[64];
    char email[64];
    uint8_t reserved[448];
    char start_time[16];
    char end_time[16];
};
static_assert(sizeof(cert_create_request) == 892);
static_assert(offsetof(cert_create_request, country) == 4);
static_assert(offsetof(cert_create_request, common_name) == 7);
static_assert(offsetof(cert_create_request, validity) == 72);
static_assert(offsetof(cert_create_request, password) == 76);
static_assert(offsetof(cert_create_request, province) == 92);
static_assert(offsetof(cert_create_request, region) == 156);
static_assert(offsetof(cert_create_request, organization) == 220);
static_assert(offsetof(cert_create_request, company) == 284);
static_assert(offsetof(cert_create_request, email) == 348);
static_assert(offsetof(cert_create_request, reserved) == 412);
static_assert(offsetof(cert_create_request, start_time) == 860);
static_assert(offsetof(cert_create_request, end_time) == 876);
