// Core-daemon message records of the fisheye settings and the zoom state of
// a channel. Shared by the events module and the simulated core daemon.
#pragma once

#include <cstddef>
#include <cstdint>

// Message identifiers.
inline constexpr int32_t msg_zoom_state = 1215;        // int32 channel -> 6215 zoom_state
inline constexpr int32_t msg_fisheye_set = 3231;       // fisheye_mode -> 8231 int32 result
inline constexpr int32_t msg_fisheye_get = 3232;       // int32 channel -> 8232 fisheye_mode
inline constexpr int32_t msg_fisheye_caps = 3373;      // cam_address -> 8373 fisheye_caps
inline constexpr int32_t msg_fisheye_caps_set = 3374;  // cam_address_fisheye -> 8374 int32 result

inline constexpr int32_t msg_zoom_state_reply = 6215;
inline constexpr int32_t msg_fisheye_set_reply = 8231;
inline constexpr int32_t msg_fisheye_get_reply = 8232;
inline constexpr int32_t msg_fisheye_caps_reply = 8373;
inline constexpr int32_t msg_fisheye_caps_set_reply = 8374;

// The dewarping mode of a channel (message 3231, result 0; answer 8232).
struct fisheye_mode {
    int32_t chnid;
    int32_t mount;
    int32_t display;
    int32_t correct;
    int32_t result;  // answer only
};
static_assert(sizeof(fisheye_mode) == 20);
static_assert(offsetof(fisheye_mode, mount) == 4);
static_assert(offsetof(fisheye_mode, correct) == 12);
static_assert(offsetof(fisheye_mode, result) == 16);

// A camera reached by address and login before it is a channel (3373).
struct cam_address {
    char ddns[64];
    char ipaddr[64];
    char username[64];
    char password[64];
    int32_t port;
};
static_assert(sizeof(cam_address) == 260);
static_assert(offsetof(cam_address, ipaddr) == 64);
static_assert(offsetof(cam_address, username) == 128);
static_assert(offsetof(cam_address, password) == 192);
static_assert(offsetof(cam_address, port) == 256);

// Message 3374: the camera's fisheye mode, set.
struct cam_address_fisheye {
    cam_address address;
    int32_t transfer;
    int32_t install;
    int32_t display;
};
static_assert(sizeof(cam_address_fisheye) == 272);
static_assert(offsetof(cam_address_fisheye, transfer) == 260);
static_assert(offsetof(cam_address_fisheye, display) == 268);

// Answer 8373: what the camera's fisheye offers.
struct fisheye_caps {
    int32_t support;  // 1: supported (any other value: not)
    int32_t transfer;
    int32_t install;
    int32_t display;
    int32_t stream_cnt;
};
static_assert(sizeof(fisheye_caps) == 20);
static_assert(offsetof(fisheye_caps, stream_cnt) == 16);

// Answer 6215: the zoom state of a channel.
struct zoom_state {
    int32_t chnid;
    int32_t state;
    int32_t zoom_number;
};
static_assert(sizeof(zoom_state) == 12);
static_assert(offsetof(zoom_state, zoom_number) == 8);
