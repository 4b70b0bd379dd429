// Core-daemon message records of the on-screen display, the camera's privacy
// masks, timed snapshots, the camera alarm input and sound detection. Shared
// by the events module and the simulated core daemon.
#pragma once

#include <cstddef>
#include <cstdint>

// Message identifiers.
inline constexpr int32_t msg_osd_redraw = 1007;         // osd_redraw, no answer
inline constexpr int32_t msg_snapshot_settings = 1311;  // snapshot_channels, no answer
inline constexpr int32_t msg_snapshot_schedule = 1312;  // snapshot_channels, no answer
inline constexpr int32_t msg_snapshot_command = 1313;   // snapshot_command, no answer
inline constexpr int32_t msg_trigger_reload = 2104;     // no payload, no answer
inline constexpr int32_t msg_mask_get = 2502;           // int32 channel -> 7502 cam_mask_record[]
inline constexpr int32_t msg_mask_state = 2503;         // int32 channel -> 7503 int32
inline constexpr int32_t msg_mask_area_clear = 2508;    // mask_area_ref, no answer
inline constexpr int32_t msg_mask_set = 2509;           // cam_mask_set, no answer
inline constexpr int32_t msg_cam_osd_set = 3210;        // cam_osd_record -> 8210 int32 result
inline constexpr int32_t msg_cam_osd_get = 3211;        // int32 channel -> 8211 cam_osd_record
inline constexpr int32_t msg_cam_io_get = 3213;         // int32 channel -> 8213 cam_io_record
inline constexpr int32_t msg_cam_io_set = 3214;         // cam_io_set, no answer
inline constexpr int32_t msg_sound_get = 3215;          // int32 channel -> 8215 sound_record
inline constexpr int32_t msg_sound_set = 3216;          // sound_set, no answer
inline constexpr int32_t msg_mask_delete = 3353;        // mask_area_ref -> 8353 int32

inline constexpr int32_t msg_mask_get_reply = 7502;
inline constexpr int32_t msg_mask_state_reply = 7503;
inline constexpr int32_t msg_cam_osd_set_reply = 8210;
inline constexpr int32_t msg_cam_osd_get_reply = 8211;
inline constexpr int32_t msg_cam_io_get_reply = 8213;
inline constexpr int32_t msg_sound_get_reply = 8215;
inline constexpr int32_t msg_mask_delete_reply = 8353;

// Notice 1007: redraw the recorder's overlay of a channel.
struct osd_redraw {
    int32_t channel;
    int32_t what;  // 1: the overlay
    int32_t reserved;
};
static_assert(sizeof(osd_redraw) == 12);

// The camera's own text and date overlays (message 3210, answer 8211). A
// negative ch in an answer: the camera is not connected.
struct cam_osd_record {
    int32_t ch;
    int32_t enable_text;
    char text_name[256];
    int32_t textpos;
    int32_t enable_date;
    int32_t datepos;
    int32_t dateformat;
    int32_t enable_text_sub;
    char text_name_sub[256];
    int32_t textpos_sub;
    int32_t enable_date_sub;
    int32_t datepos_sub;
    int32_t dateformat_sub;
    uint8_t reserved[276];
    int32_t type;
};
static_assert(sizeof(cam_osd_record) == 836);
static_assert(offsetof(cam_osd_record, text_name) == 8);
static_assert(offsetof(cam_osd_record, textpos) == 264);
static_assert(offsetof(cam_osd_record, enable_text_sub) == 280);
static_assert(offsetof(cam_osd_record, text_name_sub) == 284);
static_assert(offsetof(cam_osd_record, dateformat_sub) == 552);
static_assert(offsetof(cam_osd_record, reserved) == 556);
static_assert(offsetof(cam_osd_record, type) == 832);

// One rectangle of the camera's privacy masks.
inline constexpr int cam_mask_areas = 28;
struct cam_mask_area {
    int32_t area_id;
    int32_t enable;
    int32_t start_x;
    int32_t start_y;
    int32_t area_width;
    int32_t area_height;
    int32_t fill_color;
    int32_t ratio;
    char name[64];
};
static_assert(sizeof(cam_mask_area) == 96);
static_assert(offsetof(cam_mask_area, ratio) == 28);
static_assert(offsetof(cam_mask_area, name) == 32);

// The camera's privacy masks (answer 7502, the body of message 2509). The
// areas in use are the first num + mosaic_num, never more than 28.
struct cam_mask_record {
    int32_t id;
    int32_t enable;
    int32_t num;
    int32_t cgi_sdk_flag;
    char sdkversion[32];
    int32_t max_ptz_zoom_ratio;
    int32_t area_enable;
    char color_list[64];
    cam_mask_area areas[cam_mask_areas];
    int32_t mosaic_support;
    int32_t mosaic_num;
    uint64_t delete_mask;
};
static_assert(sizeof(cam_mask_record) == 2824);
static_assert(offsetof(cam_mask_record, sdkversion) == 16);
static_assert(offsetof(cam_mask_record, max_ptz_zoom_ratio) == 48);
static_assert(offsetof(cam_mask_record, area_enable) == 52);
static_assert(offsetof(cam_mask_record, color_list) == 56);
static_assert(offsetof(cam_mask_record, areas) == 120);
static_assert(offsetof(cam_mask_record, mosaic_support) == 2808);
static_assert(offsetof(cam_mask_record, mosaic_num) == 2812);
static_assert(offsetof(cam_mask_record, delete_mask) == 2816);

// Message 2509: the masks for the channels marked '1' in the channel text.
struct cam_mask_set {
    char channels[72];  // 64 '0'/'1' characters, then zeros
    cam_mask_record masks;
};
static_assert(sizeof(cam_mask_set) == 2896);
static_assert(offsetof(cam_mask_set, masks) == 72);

// Messages 2508 and 3353: one mask of a channel.
struct mask_area_ref {
    int32_t channel;
    int32_t area;
};
static_assert(sizeof(mask_area_ref) == 8);

// Messages 1311 and 1312: channels in the order given, then their count.
struct snapshot_channels {
    int32_t list[64];
    int32_t count;
};
static_assert(sizeof(snapshot_channels) == 260);

// Message 1313: start (1) or stop (0) timed snapshots on the flagged channels.
struct snapshot_command {
    int32_t action;
    int32_t flags[64];
};
static_assert(sizeof(snapshot_command) == 260);

// Answer 8213: the camera's alarm input.
struct cam_io_record {
    int32_t unused;
    int32_t cam_id;
    int32_t enable;
    int32_t type;
    int32_t tri_actions;
    int32_t reserved;
    char tri_channels[65];
    uint8_t pad[3];
};
static_assert(sizeof(cam_io_record) == 92);
static_assert(offsetof(cam_io_record, cam_id) == 4);
static_assert(offsetof(cam_io_record, tri_actions) == 16);
static_assert(offsetof(cam_io_record, tri_channels) == 24);

// Message 3214: the camera's alarm input, set.
struct cam_io_set {
    int32_t cam_id;
    int32_t enable;
    int32_t type;
};
static_assert(sizeof(cam_io_set) == 12);

// Answer 8215: the camera's sound detection.
struct sound_record {
    int32_t unused;
    int32_t cam_id;
    int32_t enable;
    int32_t type;
    int32_t volume;
    int32_t duration;
    int32_t on_event;
    int32_t off_event;
    int32_t ongoing_event;
    int32_t tri_actions;
    int32_t reserved;
    char tri_channels[65];
    uint8_t pad[3];
};
static_assert(sizeof(sound_record) == 112);
static_assert(offsetof(sound_record, volume) == 16);
static_assert(offsetof(sound_record, tri_actions) == 36);
static_assert(offsetof(sound_record, tri_channels) == 44);

// Message 3216: the camera's sound detection, set.
struct sound_set {
    int32_t cam_id;
    int32_t enable;
    int32_t type;
    int32_t volume;
    int32_t duration;
    int32_t on_event;
    int32_t off_event;
    int32_t ongoing_event;
};
static_assert(sizeof(sound_set) == 32);
static_assert(offsetof(sound_set, ongoing_event) == 28);
