// Core-daemon message records of the camera channels, shared by the camera
// module and the simulated core daemon.
#pragma once

#include <cstddef>
#include <cstdint>

// One channel's live state: an entry of reply 8201 (answer to 3201); the
// reply carries payload size / 976 entries.
struct cam_status_entry {
    int32_t id;
    int32_t manage_port;
    int32_t protocol;
    int32_t state;
    int32_t main_rtsp_port;
    char ip_addr[32];
    char vendor[192];
    char sn[128];
    char fw_version[64];
    char mac[48];
    char model[324];
    int32_t poe_channel;
    int32_t physical_port;
    int32_t alarm_in;
    int32_t alarm_out;
    int32_t white_led;
    int32_t led_alarm;
    int32_t led_manual;
    int32_t minor_id;
    int32_t sub_state;
    int32_t connect_state;
    char sn_real[64];
    char ddns[64];
};
static_assert(sizeof(cam_status_entry) == 976);
static_assert(offsetof(cam_status_entry, ip_addr) == 20);
static_assert(offsetof(cam_status_entry, vendor) == 52);
static_assert(offsetof(cam_status_entry, sn) == 244);
static_assert(offsetof(cam_status_entry, fw_version) == 372);
static_assert(offsetof(cam_status_entry, mac) == 436);
static_assert(offsetof(cam_status_entry, model) == 484);
static_assert(offsetof(cam_status_entry, poe_channel) == 808);
static_assert(offsetof(cam_status_entry, minor_id) == 836);
static_assert(offsetof(cam_status_entry, connect_state) == 844);
static_assert(offsetof(cam_status_entry, sn_real) == 848);
static_assert(offsetof(cam_status_entry, ddns) == 912);

// Message identifiers of the camera channels.
inline constexpr int32_t msg_camera_added = 1201;    // int32 channel
inline constexpr int32_t msg_camera_deleted = 1202;  // int32 channel
inline constexpr int32_t msg_camera_changed = 1203;  // int32 channel
inline constexpr int32_t msg_camera_poe = 1206;      // cam_poe_notice
inline constexpr int32_t msg_camera_status = 3201;   // no payload; answer 8201 cam_status_entry[]

inline constexpr int32_t msg_camera_status_reply = 8201;

// Payload of 1206: the PoE binding of a channel changed.
struct cam_poe_notice {
    int32_t channel;
    int32_t other_poe;  // 1 only when an add asked for it
};
static_assert(sizeof(cam_poe_notice) == 8);
