// Core-daemon message records of the settings a camera keeps itself: its
// own motion detection, automatic PTZ tracking and audio encoder. Shared by
// the camera module and the simulated core daemon.
//
// A set message starts with the 64-bit mask of the channels that take the
// same settings (bit n for channel n, little-endian); it always holds the
// request's own channel.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/tqdb/rec_schedule.h"

// Message identifiers; each answer is its request + 5000.
inline constexpr int32_t msg_cam_tracking_get = 3294;   // int32 channel -> 8294 cam_tracking
inline constexpr int32_t msg_cam_motion_get = 3358;     // int32 channel -> 8358 cam_motion
inline constexpr int32_t msg_cam_text_query = 3360;     // cam_text_query -> 8360 text of any length
inline constexpr int32_t msg_cam_motion_set = 3366;     // cam_motion_set -> 8366 int32 result
inline constexpr int32_t msg_cam_audio_caps = 3371;     // int32 channel -> 8371 cam_audio_caps
inline constexpr int32_t msg_cam_audio_set = 3372;      // cam_audio_set -> 8372 int32 result
inline constexpr int32_t msg_cam_tracking_set = 3375;   // cam_tracking_set -> 8375 int32 result
inline constexpr int32_t msg_cam_audio_support = 3376;  // int32 channel -> 8376 cam_audio_support

inline constexpr int32_t msg_cam_tracking_get_reply = 8294;
inline constexpr int32_t msg_cam_motion_get_reply = 8358;
inline constexpr int32_t msg_cam_text_query_reply = 8360;
inline constexpr int32_t msg_cam_motion_set_reply = 8366;
inline constexpr int32_t msg_cam_audio_caps_reply = 8371;
inline constexpr int32_t msg_cam_audio_set_reply = 8372;
inline constexpr int32_t msg_cam_tracking_set_reply = 8375;
inline constexpr int32_t msg_cam_audio_support_reply = 8376;

// ---- motion detection ---------------------------------------------------------

// Answer 8358: the camera's motion detection of a channel.
struct cam_motion {
    int32_t chnid;
    int32_t enable;
    int32_t sensitivity;
    int32_t minsize;
    int32_t mintime;
    int32_t adaptability;
    char map_mask[300];  // at most 299 characters
    week_schedule effective;
};
static_assert(sizeof(cam_motion) == 26500);
static_assert(offsetof(cam_motion, adaptability) == 20);
static_assert(offsetof(cam_motion, map_mask) == 24);
static_assert(offsetof(cam_motion, effective) == 324);

// Message 3366: new motion settings for the channels of the mask.
struct cam_motion_set {
    uint64_t copy_mask;
    cam_motion motion;
    int32_t reserved;
};
static_assert(sizeof(cam_motion_set) == 26512);
static_assert(offsetof(cam_motion_set, motion) == 8);
static_assert(offsetof(cam_motion_set, reserved) == 26508);

// Message 3360: a text the camera gives for a channel, two types and a time.
struct cam_text_query {
    int32_t chnid;
    int32_t main_type;
    int32_t sub_type;
    char time[64];  // at most 63 characters
};
static_assert(sizeof(cam_text_query) == 76);
static_assert(offsetof(cam_text_query, sub_type) == 8);
static_assert(offsetof(cam_text_query, time) == 12);

// ---- automatic tracking ----------------------------------------------------------

// Answer 8294: the camera's automatic PTZ tracking of a channel.
struct cam_tracking {
    int32_t chnid;
    int32_t enable;
    int32_t show;
    int32_t sensitivity;
    int32_t time;
    int32_t manual_tracking;
    int32_t zoom_mode;
    int32_t zoom_number;
    week_schedule schedule;
    char area[300];
    int32_t human_vehicle_support;
    int32_t tracking_object;
};
static_assert(sizeof(cam_tracking) == 26516);
static_assert(offsetof(cam_tracking, zoom_number) == 28);
static_assert(offsetof(cam_tracking, schedule) == 32);
static_assert(offsetof(cam_tracking, area) == 26208);
static_assert(offsetof(cam_tracking, human_vehicle_support) == 26508);
static_assert(offsetof(cam_tracking, tracking_object) == 26512);

// Message 3375: new tracking settings for the channels of the mask.
struct cam_tracking_set {
    uint64_t copy_mask;
    cam_tracking tracking;
    int32_t reserved;
};
static_assert(sizeof(cam_tracking_set) == 26528);
static_assert(offsetof(cam_tracking_set, tracking) == 8);
static_assert(offsetof(cam_tracking_set, reserved) == 26524);

// ---- audio ---------------------------------------------------------------------------

// The audio configuration of a channel.
struct cam_audio_config {
    int32_t chnid;
    int32_t audio_enable;
    int32_t audio_mode;
    int32_t denoise;
    int32_t encoding;
    int32_t sample_rate;
    int32_t input_gain;
    int32_t input_mode;
    int32_t audio_gain_control;
    int32_t output_volume;
    int32_t audio_bitrate;
};
static_assert(sizeof(cam_audio_config) == 44);
static_assert(offsetof(cam_audio_config, audio_bitrate) == 40);

inline constexpr int cam_audio_encodings = 9;
inline constexpr int cam_audio_sample_rates = 9;
inline constexpr int cam_audio_bitrates = 16;

struct cam_audio_sample_rate {
    int32_t value;
    int32_t bitrate_count;  // in use; the answer may claim more than 16
    int32_t bitrates[cam_audio_bitrates];
};
static_assert(sizeof(cam_audio_sample_rate) == 72);
static_assert(offsetof(cam_audio_sample_rate, bitrates) == 8);

struct cam_audio_encoding {
    int32_t value;
    int32_t sample_rate_count;  // in use; the answer may claim more than 9
    cam_audio_sample_rate sample_rates[cam_audio_sample_rates];
};
static_assert(sizeof(cam_audio_encoding) == 656);
static_assert(offsetof(cam_audio_encoding, sample_rates) == 8);

// Answer 8371: what the camera's audio encoder offers, and its configuration.
struct cam_audio_caps {
    int32_t res;
    int32_t support;
    int32_t support_mode;
    int32_t support_input_mode;
    int32_t encoding_count;  // in use; the answer may claim more than 9
    cam_audio_encoding encodings[cam_audio_encodings];
    cam_audio_config config;
};
static_assert(sizeof(cam_audio_caps) == 5968);
static_assert(offsetof(cam_audio_caps, encoding_count) == 16);
static_assert(offsetof(cam_audio_caps, encodings) == 20);
static_assert(offsetof(cam_audio_caps, config) == 5924);

// Message 3372: a new audio configuration for the channels of the mask. The
// message is 56 bytes: the configuration is followed by 4 zero bytes.
struct cam_audio_set {
    uint64_t copy_mask;
    cam_audio_config config;
    int32_t reserved;
};
static_assert(sizeof(cam_audio_set) == 56);
static_assert(offsetof(cam_audio_set, config) == 8);
static_assert(offsetof(cam_audio_set, reserved) == 52);

// Answer 8376: the audio functions of the camera and of the recorder.
struct cam_audio_support {
    int32_t res;
    int32_t audio_support;
    int32_t audio_support_mode;
    int32_t line_input_support;
    int32_t speaker_support;
    int32_t manual_speed_support;
    char reserved[328];
};
static_assert(sizeof(cam_audio_support) == 352);
static_assert(offsetof(cam_audio_support, manual_speed_support) == 20);
