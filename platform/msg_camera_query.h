// Core-daemon message records of the camera queries: camera web parameters
// (also used by the PTZ module), camera information, the watermark, the
// recording calendar, the command text and the motion state. Shared by the
// handler modules and the simulated core daemon.
#pragma once

#include <cstddef>
#include <cstdint>

// Message identifiers; each answer is its request + msg_reply_offset.
inline constexpr int32_t msg_cam_support = 1262;        // int32 channel -> 6262 int32 result
inline constexpr int32_t msg_cam_watermark = 1213;      // int32 channel -> 6213 cam_watermark
inline constexpr int32_t msg_cam_watermark_set = 1216;  // cam_watermark_set -> 6216 int32 result
inline constexpr int32_t msg_cam_type = 2503;           // int32 camera id -> 7503 int32 type
inline constexpr int32_t msg_cam_info_all = 2505;       // no payload -> 7505 cam_info[64]
inline constexpr int32_t msg_cam_info = 2507;           // int32 channel -> 7507 cam_info
inline constexpr int32_t msg_cam_param_get = 3225;      // cam_web_param -> 8225 cam_web_param_reply
inline constexpr int32_t msg_cam_param_set = 3226;      // cam_web_param -> 8226 int32 result
inline constexpr int32_t msg_motion_state = 3307;       // no payload -> 8307 uint64 channel mask
inline constexpr int32_t msg_record_days = 3493;        // record_days_req -> 8493 record_days_reply
inline constexpr int32_t msg_ui_command = 4002;         // ui_command -> 9002 ui_command_reply
inline constexpr int32_t msg_chip_code = 4004;          // no payload -> 9004 chip_code_reply

inline constexpr int32_t msg_cam_support_reply = 6262;
inline constexpr int32_t msg_cam_watermark_reply = 6213;
inline constexpr int32_t msg_cam_watermark_set_reply = 6216;
inline constexpr int32_t msg_cam_type_reply = 7503;
inline constexpr int32_t msg_cam_info_all_reply = 7505;
inline constexpr int32_t msg_cam_info_reply = 7507;
inline constexpr int32_t msg_cam_param_get_reply = 8225;
inline constexpr int32_t msg_cam_param_set_reply = 8226;
inline constexpr int32_t msg_motion_state_reply = 8307;
inline constexpr int32_t msg_record_days_reply = 8493;
inline constexpr int32_t msg_ui_command_reply = 9002;
inline constexpr int32_t msg_chip_code_reply = 9004;

inline constexpr int msg_reply_offset = 5000;

// A camera web parameter: one key of a page of the camera's own web interface.
struct cam_web_param {
    int32_t id;          // camera (channel)
    char page_name[64];  // empty: the camera finds the page by the HTTP page
    char http_name[64];
    char key[128];
    char value[128];
    int32_t flag;        // 1 for a read whose page name is empty
};
static_assert(sizeof(cam_web_param) == 392);
static_assert(offsetof(cam_web_param, page_name) == 4);
static_assert(offsetof(cam_web_param, http_name) == 68);
static_assert(offsetof(cam_web_param, key) == 132);
static_assert(offsetof(cam_web_param, value) == 260);
static_assert(offsetof(cam_web_param, flag) == 388);

// Answer 8225: the parameter as the camera reported it.
struct cam_web_param_reply {
    int32_t id;
    int32_t reserved;
    char page_name[64];
    char http_name[64];
    char key[128];
    char value[128];
};
static_assert(sizeof(cam_web_param_reply) == 392);
static_assert(offsetof(cam_web_param_reply, page_name) == 8);
static_assert(offsetof(cam_web_param_reply, http_name) == 72);
static_assert(offsetof(cam_web_param_reply, key) == 136);
static_assert(offsetof(cam_web_param_reply, value) == 264);

// What a camera reports about itself (answers 7505, 64 entries, and 7507).
struct cam_info {
    int32_t chnid;
    char ip_addr[32];
    char model[64];
    char fw_version[64];
};
static_assert(sizeof(cam_info) == 164);
static_assert(offsetof(cam_info, ip_addr) == 4);
static_assert(offsetof(cam_info, model) == 36);
static_assert(offsetof(cam_info, fw_version) == 100);

inline constexpr int cam_info_entries = 64;

// Answer 6213: a camera's watermark.
struct cam_watermark {
    int32_t chnid;
    int32_t enable;
    char watermark[32];
};
static_assert(sizeof(cam_watermark) == 40);
static_assert(offsetof(cam_watermark, enable) == 4);
static_assert(offsetof(cam_watermark, watermark) == 8);

// Message 1216: set a watermark and copy it to the channels marked '1'.
struct cam_watermark_set {
    int32_t chnid;
    int32_t enable;
    char watermark[32];  // at most 31 characters
    char copy[68];       // up to 64 '0'/'1', character n for channel n
};
static_assert(sizeof(cam_watermark_set) == 108);
static_assert(offsetof(cam_watermark_set, enable) == 4);
static_assert(offsetof(cam_watermark_set, watermark) == 8);
static_assert(offsetof(cam_watermark_set, copy) == 40);

// Message 3493: which days of a month hold recordings of one channel.
struct record_days_req {
    int32_t stream;       // 1 sub stream, 0 main stream
    int32_t year;
    int32_t month;        // 1..12
    char channels[68];    // 64 '0'/'1', only the asked channel '1'
};
static_assert(sizeof(record_days_req) == 80);
static_assert(offsetof(record_days_req, year) == 4);
static_assert(offsetof(record_days_req, month) == 8);
static_assert(offsetof(record_days_req, channels) == 12);

struct record_days_reply {
    int32_t reserved;
    int32_t day[31];      // non-zero for a day with recordings
};
static_assert(sizeof(record_days_reply) == 128);
static_assert(offsetof(record_days_reply, day) == 4);

// Message 4002: a command text for the local display (the same message the
// joystick bridge sends).
struct ui_command {
    char text[100];       // at most 99 characters
};
static_assert(sizeof(ui_command) == 100);

// Answer 9002: the command's result text after four words.
struct ui_command_reply {
    int32_t reserved[4];
    char result[100];
};
static_assert(sizeof(ui_command_reply) == 116);
static_assert(offsetof(ui_command_reply, result) == 16);
inline constexpr size_t ui_command_result_at = offsetof(ui_command_reply, result);

// Answer 9004: the chip code text (the payload is the text field).
struct chip_code_reply {
    char code[64];
};
static_assert(sizeof(chip_code_reply) == 64);
