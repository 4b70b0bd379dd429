// Core-daemon messages of people counting, POS and face capture: the
// counting groups and their reports, the POS terminals, the camera's face
// capture settings and the camera's regional counting. Shared by the camera
// and events modules and the simulated core daemon. Every field is an int32
// unless shown.
#pragma once

#include <cstddef>
#include <cstdint>

// ---- counting groups and reports ------------------------------------------------
inline constexpr int32_t msg_pcnt_groups_changed = 2290;  // {0} -> 7290: result
inline constexpr int32_t msg_pcnt_groups_changed_reply = 7290;
inline constexpr int32_t msg_pcnt_group_action1 = 2291;  // {group} -> 7291: result
inline constexpr int32_t msg_pcnt_group_action1_reply = 7291;
inline constexpr int32_t msg_pcnt_group_action2 = 2292;  // {group} -> 7292: result
inline constexpr int32_t msg_pcnt_group_action2_reply = 7292;
inline constexpr int32_t msg_pcnt_group_event_changed = 2293;  // {group, -1} -> 7293: result
inline constexpr int32_t msg_pcnt_group_event_changed_reply = 7293;
inline constexpr int32_t msg_pcnt_reports_changed = 1423;  // no payload -> 6423 (not read)
inline constexpr int32_t msg_pcnt_reports_changed_reply = 6423;
inline constexpr int32_t msg_pcnt_camera_url = 3377;  // pcnt_url_request -> 8377: result, channel, text
inline constexpr int32_t msg_pcnt_camera_url_reply = 8377;

struct pcnt_group_event_notice {
    int32_t group;
    int32_t sub;  // -1: the whole group
};
static_assert(sizeof(pcnt_group_event_notice) == 8);

struct pcnt_url_request {
    int32_t channel;
    char url[256];
};
static_assert(sizeof(pcnt_url_request) == 260);
static_assert(offsetof(pcnt_url_request, url) == 4);

// The head of answer 8377; the text follows to the end of the answer.
struct pcnt_url_reply_head {
    int32_t result;
    int32_t channel;
};
static_assert(sizeof(pcnt_url_reply_head) == 8);

// ---- POS and face capture ------------------------------------------------------------
inline constexpr int32_t msg_pos_changed = 1421;  // {id} -> 6421: result
inline constexpr int32_t msg_pos_changed_reply = 6421;
inline constexpr int32_t msg_face_actions_changed = 3383;  // notice: {channel}
inline constexpr int32_t msg_face_capture_set = 3381;      // face_capture -> 8381: status
inline constexpr int32_t msg_face_capture_set_reply = 8381;

inline constexpr int face_capture_modes = 3;
inline constexpr int face_shields = 4;

struct face_shield {
    int32_t enable;
    char polygon_x[64];
    char polygon_y[64];
};
static_assert(sizeof(face_shield) == 132);

struct face_capture {
    int32_t reserved0;
    int32_t chn_id;
    uint8_t reserved1[132];
    int32_t enable;
    int32_t width;
    int32_t height;
    int32_t min_pixel;
    int32_t capture_mode;
    int32_t capture_quality[face_capture_modes];
    int32_t snapshot_type;
    int32_t snapshot_interval;
    int32_t snapshot_background;
    int32_t pose_yaw;
    int32_t pose_roll;
    int32_t pose_pitch;
    int32_t blur_limit;
    uint8_t reserved2[16];
    char polygon_x[64];
    char polygon_y[64];
    int32_t upload_enable;
    int32_t upload_file_type;
    int32_t nas_enable;
    int32_t nas_file_type;
    int32_t email_enable;
    int32_t email_file_type;
    int32_t http_enable;
    int32_t http_notify_interval;
    char http_url[128];
    char http_user[64];
    char http_password[64];
    int32_t snapshot[face_capture_modes];
    int32_t record_seconds;
    int32_t prerecord_seconds;
    int32_t post_enable;
    int32_t post_type;
    uint8_t reserved3[76];
    int32_t zero;
    face_shield shield[face_shields];
    int32_t attribute_enable;
    int32_t attribute_type;
    int32_t mosaic_enable;
    int32_t mosaic_mode_status;
    int32_t mutually_exclusive;
};
static_assert(sizeof(face_capture) == 1288);
static_assert(offsetof(face_capture, chn_id) == 4);
static_assert(offsetof(face_capture, enable) == 140);
static_assert(offsetof(face_capture, capture_quality) == 160);
static_assert(offsetof(face_capture, snapshot_type) == 172);
static_assert(offsetof(face_capture, pose_yaw) == 184);
static_assert(offsetof(face_capture, polygon_x) == 216);
static_assert(offsetof(face_capture, polygon_y) == 280);
static_assert(offsetof(face_capture, upload_enable) == 344);
static_assert(offsetof(face_capture, http_url) == 376);
static_assert(offsetof(face_capture, http_user) == 504);
static_assert(offsetof(face_capture, http_password) == 568);
static_assert(offsetof(face_capture, snapshot) == 632);
static_assert(offsetof(face_capture, record_seconds) == 644);
static_assert(offsetof(face_capture, zero) == 736);
static_assert(offsetof(face_capture, shield) == 740);
static_assert(offsetof(face_capture, attribute_enable) == 1268);

// ---- regional people counting ------------------------------------------------------------
inline constexpr int32_t msg_regional_pcnt_get = 1220;  // {channel} -> 6220: regional_pcnt_record
inline constexpr int32_t msg_regional_pcnt_get_reply = 6220;
inline constexpr int32_t msg_regional_pcnt_set = 1221;  // regional_pcnt_record -> 6221: result
inline constexpr int32_t msg_regional_pcnt_set_reply = 6221;

struct regional_pcnt_region {
    int32_t enable;
    char polygon_x[64];
    char polygon_y[64];
    int32_t max_stay_enable;
    int32_t max_stay_value;
    int32_t min_stay_enable;
    int32_t min_stay_value;
    int32_t max_stay_time_enable;
    int32_t max_stay_time_value;
};
static_assert(sizeof(regional_pcnt_region) == 156);
static_assert(offsetof(regional_pcnt_region, max_stay_enable) == 132);

struct regional_pcnt_record {
    int32_t result;  // answers only; 0 in requests
    int32_t chnid;
    int32_t sensitivity;
    int32_t min_obj_x;
    int32_t min_obj_y;
    int32_t min_obj_width;
    int32_t min_obj_height;
    int32_t max_obj_x;
    int32_t max_obj_y;
    int32_t max_obj_width;
    int32_t max_obj_height;
    regional_pcnt_region regions[4];
};
static_assert(sizeof(regional_pcnt_record) == 668);
static_assert(offsetof(regional_pcnt_record, regions) == 44);
