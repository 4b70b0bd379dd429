// Core-daemon message records of camera discovery and addressing: the
// network search, the login tests and the address changes of cameras that
// are not channels yet. Shared by the camera module and the simulated core
// daemon.
#pragma once

#include <cstddef>
#include <cstdint>

// Message identifiers; each answer is its request + 5000.
inline constexpr int32_t msg_cam_search = 3200;           // cam_search_req -> 8200 cam_found[]
inline constexpr int32_t msg_cam_login_test = 3202;       // cam_login_test -> 8202 int32 verdict
inline constexpr int32_t msg_cam_address_set = 3205;      // cam_address_change -> 8205 int32 verdict
inline constexpr int32_t msg_cam_login_test_web = 3227;   // cam_login_test_web -> 8227 int32 verdict
inline constexpr int32_t msg_cam_address_batch = 3229;    // cam_address_batch, no answer
inline constexpr int32_t msg_cam_address_results = 3230;  // no payload -> 8230 cam_address_results

inline constexpr int32_t msg_cam_search_reply = 8200;
inline constexpr int32_t msg_cam_login_test_reply = 8202;
inline constexpr int32_t msg_cam_address_set_reply = 8205;
inline constexpr int32_t msg_cam_login_test_web_reply = 8227;
inline constexpr int32_t msg_cam_address_results_reply = 8230;

// Message 3200: search the network for cameras of one protocol.
struct cam_search_req {
    int32_t protocol;  // 0..7
};
static_assert(sizeof(cam_search_req) == 4);

// A camera the search found: an entry of answer 8200 (payload size / 760
// entries).
struct cam_found {
    char ip_addr[32];
    char mac[32];
    int32_t manage_port;
    int32_t protocol;
    char vendor[192];
    char sn[128];
    char fw_version[64];
    char model[64];
    int32_t model_id;
    char netmask[32];
    char dns[32];
    char gateway[32];
    char netif[8];
    int32_t active_status;
    char name[64];
    char sn_real[64];
};
static_assert(sizeof(cam_found) == 760);
static_assert(offsetof(cam_found, mac) == 32);
static_assert(offsetof(cam_found, manage_port) == 64);
static_assert(offsetof(cam_found, protocol) == 68);
static_assert(offsetof(cam_found, vendor) == 72);
static_assert(offsetof(cam_found, sn) == 264);
static_assert(offsetof(cam_found, fw_version) == 392);
static_assert(offsetof(cam_found, model) == 456);
static_assert(offsetof(cam_found, model_id) == 520);
static_assert(offsetof(cam_found, netmask) == 524);
static_assert(offsetof(cam_found, dns) == 556);
static_assert(offsetof(cam_found, gateway) == 588);
static_assert(offsetof(cam_found, netif) == 620);
static_assert(offsetof(cam_found, active_status) == 628);
static_assert(offsetof(cam_found, name) == 632);
static_assert(offsetof(cam_found, sn_real) == 696);

// The address and login of a camera to test.
struct cam_login {
    char ip_addr[32];
    int32_t manage_port;
    char user[64];
    char password[36];  // at most 32 characters
    int32_t protocol;   // 0..7
};
static_assert(sizeof(cam_login) == 140);
static_assert(offsetof(cam_login, manage_port) == 32);
static_assert(offsetof(cam_login, user) == 36);
static_assert(offsetof(cam_login, password) == 100);
static_assert(offsetof(cam_login, protocol) == 136);

// Message 3202: a login test.
struct cam_login_test {
    cam_login login;
    char reserved[68];
};
static_assert(sizeof(cam_login_test) == 208);
static_assert(offsetof(cam_login_test, reserved) == 140);

// Message 3227: the same test, the manage port at least 80.
struct cam_login_test_web {
    int32_t reserved0;
    cam_login login;
    int32_t reserved1;
};
static_assert(sizeof(cam_login_test_web) == 148);
static_assert(offsetof(cam_login_test_web, login) == 4);
static_assert(offsetof(cam_login_test_web, reserved1) == 144);

// Message 3205: new network settings for the camera of a MAC address.
struct cam_address_change {
    char mac[48];
    char old_ip[32];
    char new_ip[32];
    char netmask[32];
    char gateway[32];
    char dns[32];
    int32_t port;
    char username[64];
    char password[36];  // at most 32 characters
    int32_t protocol;
    char reserved[64];
    char netif[8];  // at most 5 characters
};
static_assert(sizeof(cam_address_change) == 388);
static_assert(offsetof(cam_address_change, old_ip) == 48);
static_assert(offsetof(cam_address_change, new_ip) == 80);
static_assert(offsetof(cam_address_change, netmask) == 112);
static_assert(offsetof(cam_address_change, gateway) == 144);
static_assert(offsetof(cam_address_change, dns) == 176);
static_assert(offsetof(cam_address_change, port) == 208);
static_assert(offsetof(cam_address_change, username) == 212);
static_assert(offsetof(cam_address_change, password) == 276);
static_assert(offsetof(cam_address_change, protocol) == 312);
static_assert(offsetof(cam_address_change, reserved) == 316);
static_assert(offsetof(cam_address_change, netif) == 380);

// Message 3229: one change of a batch, with the channel and the batch size.
struct cam_address_batch {
    cam_address_change change;
    int32_t channel;
    int32_t modify_num;
};
static_assert(sizeof(cam_address_batch) == 396);
static_assert(offsetof(cam_address_batch, channel) == 388);
static_assert(offsetof(cam_address_batch, modify_num) == 392);

// Answer 8230: the results of the batch's changes.
struct cam_address_result {
    char mac[48];
    int32_t result;
};
static_assert(sizeof(cam_address_result) == 52);
static_assert(offsetof(cam_address_result, result) == 48);

inline constexpr int cam_address_result_entries = 64;

struct cam_address_results {
    int32_t count;  // entries in use; may exceed the 64 the record holds
    char reserved0[8];
    cam_address_result entries[cam_address_result_entries];
    char reserved1[4];
};
static_assert(sizeof(cam_address_results) == 3344);
static_assert(offsetof(cam_address_results, entries) == 12);
static_assert(offsetof(cam_address_results, reserved1) == 3340);
