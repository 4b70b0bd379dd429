// Core-daemon messages of licence plate recognition: the camera's
// recognition settings and plate-format filters, read and written through
// the core daemon, and the notice of changed plate actions. Shared by the
// events module and the simulated core daemon. Every field is an int32
// unless shown.
#pragma once

#include <cstddef>
#include <cstdint>

// ---- messages ------------------------------------------------------------------
inline constexpr int32_t msg_anpr_format = 1207;          // 4 bytes channel -> 6207: anpr_format
inline constexpr int32_t msg_anpr_format_reply = 6207;
inline constexpr int32_t msg_anpr_format_set = 1208;      // anpr_format -> 6208: result (0 = taken)
inline constexpr int32_t msg_anpr_format_set_reply = 6208;
inline constexpr int32_t msg_anpr_actions_changed = 1416; // notice: anpr_action_notice
inline constexpr int32_t msg_anpr_settings = 3289;        // 4 bytes channel -> 8289: anpr_settings
inline constexpr int32_t msg_anpr_settings_reply = 8289;
inline constexpr int32_t msg_anpr_settings_set = 3290;    // anpr_settings -> 8290: result (0 = taken)
inline constexpr int32_t msg_anpr_settings_set_reply = 8290;

struct anpr_action_notice {
    int32_t channel;
    int32_t mode;  // list mode -1..2
};
static_assert(sizeof(anpr_action_notice) == 8);

// A plate-format filter: up to nine wildcard formats, in columns.
inline constexpr int anpr_wildcards = 9;
struct anpr_format {
    int32_t chnid;
    int32_t filter;
    int32_t enable[anpr_wildcards];
    int32_t cr_count[anpr_wildcards];
    char format[anpr_wildcards][16];
};
static_assert(sizeof(anpr_format) == 224);
static_assert(offsetof(anpr_format, enable) == 8);
static_assert(offsetof(anpr_format, cr_count) == 44);
static_assert(offsetof(anpr_format, format) == 80);

// A named rectangle of the picture.
struct anpr_area {
    char name[64];
    int32_t start_x;
    int32_t start_y;
    int32_t end_x;
    int32_t end_y;
};
static_assert(sizeof(anpr_area) == 80);

inline constexpr int anpr_regions = 32;
inline constexpr int anpr_rois = 4;
inline constexpr int anpr_presets = 4;

// The camera's recognition settings.
struct anpr_settings {
    int32_t chnid;
    int32_t enable;
    int32_t resolution_width;
    int32_t resolution_height;
    int32_t area_x;
    int32_t area_y;
    int32_t area_width;
    int32_t area_height;
    int32_t day_night_mode_enable;
    int32_t scene;
    int32_t direction_enable;
    int32_t region_enable;
    int32_t roiid_enable;
    int32_t process_mode;
    int32_t repeat_check_time_value;
    int32_t repeat_check_time_unit;
    int32_t post_enable;
    int32_t post_type;
    int32_t post_tcp_port;
    char post_http_user[64];
    char post_http_password[64];
    char post_http_url[512];
    int32_t confidence;
    char region[anpr_regions][32];
    char cur_area[32];
    int32_t in_night_mode;  // reported by the camera
    anpr_area roi[anpr_rois];
    anpr_area preset[anpr_presets][anpr_rois];
    uint8_t reserved[264];
    int32_t night_mode_enable;
    int32_t night_mode_level;
    int32_t night_mode_starthour;
    int32_t night_mode_startminute;
    int32_t night_mode_stophour;
    int32_t night_mode_stopminute;
    int32_t night_mode_effective_mode;
};
static_assert(sizeof(anpr_settings) == 3672);
static_assert(offsetof(anpr_settings, post_http_user) == 76);
static_assert(offsetof(anpr_settings, post_http_url) == 204);
static_assert(offsetof(anpr_settings, confidence) == 716);
static_assert(offsetof(anpr_settings, region) == 720);
static_assert(offsetof(anpr_settings, cur_area) == 1744);
static_assert(offsetof(anpr_settings, in_night_mode) == 1776);
static_assert(offsetof(anpr_settings, roi) == 1780);
static_assert(offsetof(anpr_settings, preset) == 2100);
static_assert(offsetof(anpr_settings, reserved) == 3380);
static_assert(offsetof(anpr_settings, night_mode_enable) == 3644);
