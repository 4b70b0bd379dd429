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
// ---- service ports, push messages, P2P ------------------------------------------

inline constexpr int32_t msg_channel_access = 3618;  // 4 bytes: the per-channel access switch
inline constexpr int32_t msg_pos_port = 1422;        // 4 bytes: the POS port
inline constexpr int32_t msg_push_enable = 3617;     // 10 bytes: "0" or "1", NUL-padded
inline constexpr int32_t msg_reboot_request = 1703;  // no payload: restart the recorder
// 484 bytes: p2p_record with only enable set, answer 8700 {int result}. Also
// the notice of a registration: the P2P server's text without its NUL.
inline constexpr int32_t msg_p2p_enable = 3700;
inline constexpr int32_t msg_p2p_disable = 3701;     // p2p_record with enable 0; answer 8701 {int result}
inline constexpr int32_t msg_p2p_state = 3702;       // no payload; answer 8702 p2p_state
inline constexpr int32_t msg_service_status = 3309;  // no payload; answer 8309 {int status}
inline constexpr int32_t msg_service_action = 2302;  // no payload; answer 7302 (not read)

inline constexpr int32_t msg_p2p_enable_reply = 8700;
inline constexpr int32_t msg_p2p_disable_reply = 8701;
inline constexpr int32_t msg_p2p_state_reply = 8702;
inline constexpr int32_t msg_service_status_reply = 8309;
inline constexpr int32_t msg_service_action_reply = 7302;

// 8702: the P2P service as the core daemon sees it.
struct p2p_state {
    int32_t enable;
    char company[64];
    char email[128];
    int32_t p2p_status;
    char cloud_account[128];
    char register_code[64];
    char dealer[64];
    char model[64];
    int32_t ipc;
    char cloud_server[128];
    uint8_t reserved[92];
};
static_assert(sizeof(p2p_state) == 744);
static_assert(offsetof(p2p_state, company) == 4);
static_assert(offsetof(p2p_state, email) == 68);
static_assert(offsetof(p2p_state, p2p_status) == 196);
static_assert(offsetof(p2p_state, cloud_account) == 200);
static_assert(offsetof(p2p_state, register_code) == 328);
static_assert(offsetof(p2p_state, dealer) == 392);
static_assert(offsetof(p2p_state, model) == 456);
static_assert(offsetof(p2p_state, ipc) == 520);
static_assert(offsetof(p2p_state, cloud_server) == 524);

// ---- the registration exchange with the P2P server (TCP, platform/p2p.h) ----------

inline constexpr int32_t p2p_reg_type = 2;
inline constexpr int p2p_server_port = 9999;

// The header of the request and of the response.
struct p2p_reg_header {
    int32_t type;       // p2p_reg_type
    int32_t zero;
    int32_t body_len;   // the body's length on the wire (rsa_cal_ensize)
    int32_t status;     // request 0; response: 0 registered, 2 not found, else refused
    int32_t one;        // 1
    uint8_t reserved[20];
};
static_assert(sizeof(p2p_reg_header) == 40);
static_assert(offsetof(p2p_reg_header, body_len) == 8);
static_assert(offsetof(p2p_reg_header, status) == 12);
static_assert(offsetof(p2p_reg_header, one) == 16);

// The request's body: who the recorder is, and the P2P record's texts.
struct p2p_reg_body {
    char mac[24];          // eth0's address, "XX:XX:XX:XX:XX:XX"
    char device_name[32];  // at most 31 characters
    char sn[64];           // at most 63 characters
    char text1[128];
    char text2[128];
    char text3[128];
    char text4[64];
};
static_assert(sizeof(p2p_reg_body) == 568);
static_assert(offsetof(p2p_reg_body, device_name) == 24);
static_assert(offsetof(p2p_reg_body, sn) == 56);
static_assert(offsetof(p2p_reg_body, text1) == 120);
static_assert(offsetof(p2p_reg_body, text4) == 504);

// The response body's room, and the part of it that is the core's text.
inline constexpr int p2p_reg_reply_room = 2048;
inline constexpr int p2p_reg_text_len = 128;
