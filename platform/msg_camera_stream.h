// Core-daemon message records of the camera streams: the capabilities and
// current values of a channel's main and sub stream, the settings that
// change them on many channels at once, and the extra stream of fisheye
// cameras. Shared by the camera module and the simulated core daemon.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr int32_t msg_stream_extra_get = 1217;  // stream_extra_query -> 6217 stream_extra
inline constexpr int32_t msg_stream_extra_set = 1218;  // stream_extra_set -> 6218 int32 result
inline constexpr int32_t msg_stream_set = 3203;        // stream_settings -> 8203 uint64 result mask
inline constexpr int32_t msg_stream_caps = 3204;       // int32 channel -> 8204 stream_caps

inline constexpr int32_t msg_stream_extra_get_reply = 6217;
inline constexpr int32_t msg_stream_extra_set_reply = 6218;
inline constexpr int32_t msg_stream_set_reply = 8203;
inline constexpr int32_t msg_stream_caps_reply = 8204;

inline constexpr int stream_resolutions = 24;

// One stream's part of the capabilities: the resolutions offered (the list
// ends at the first pair holding a zero), the frame-rate and bit-rate
// ranges, and the current values.
struct stream_caps_block {
    int32_t res[stream_resolutions][2];  // width, height
    int32_t framerate_max;
    int32_t framerate_min;
    int32_t bitrate_max;
    int32_t bitrate_min;
    int32_t video_type;
    int32_t cur_width;
    int32_t cur_height;
    int32_t framerate;
    int32_t bitrate;
    int32_t iframe_interval;
    int32_t unused;
};
static_assert(sizeof(stream_caps_block) == 59 * 4);

// Answer 8204 (584 bytes).
struct stream_caps {
    int32_t state;  // 0: the camera answered
    int32_t channel;
    stream_caps_block main;
    stream_caps_block sub;
    int32_t sub_enable;
    int32_t audio_enable;
    int32_t video_type_enable;
    int32_t ipc_type;
    int32_t sub_stream;
    int32_t smart_stream_support;
    int32_t smart_stream;
    int32_t smart_stream_level;
    int32_t sub_smart_stream;
    int32_t sub_smart_stream_level;
    int32_t reserved[16];
};
static_assert(sizeof(stream_caps) == 584);
static_assert(offsetof(stream_caps, main) == 2 * 4);
static_assert(offsetof(stream_caps, main.framerate_max) == 50 * 4);
static_assert(offsetof(stream_caps, main.cur_width) == 55 * 4);
static_assert(offsetof(stream_caps, sub) == 61 * 4);
static_assert(offsetof(stream_caps, sub.video_type) == 113 * 4);
static_assert(offsetof(stream_caps, sub_enable) == 120 * 4);
static_assert(offsetof(stream_caps, sub_smart_stream_level) == 129 * 4);

// Request 3203 (204 bytes): the settings for the channels marked in the
// mask. -1 in an int32 field leaves that setting of the camera unchanged.
struct stream_settings {
    char chans[68];  // '0'/'1' per channel 0..63, then zero bytes
    int32_t transmit_protocol;
    int32_t sync_time;
    int32_t unchanged0;  // always -1
    int32_t video_type_enable;
    int32_t sub_enable;
    int32_t fisheye_type;
    int32_t zero0;
    int32_t main_video_type;
    int32_t main_width;
    int32_t main_height;
    int32_t main_framerate;
    int32_t main_bitrate;
    int32_t main_iframe_interval;
    int32_t main_bitrate_control;
    int32_t main_smart_stream;
    int32_t main_smart_stream_level;
    int32_t record_type;
    int32_t event_framerate;
    int32_t event_iframe_interval;
    int32_t event_bitrate;
    int32_t zero1;
    int32_t sub_video_type;
    int32_t sub_width;
    int32_t sub_height;
    int32_t sub_framerate;
    int32_t sub_bitrate;
    int32_t sub_iframe_interval;
    int32_t sub_bitrate_control;
    int32_t sub_smart_stream;
    int32_t sub_smart_stream_level;
    int32_t unchanged1[4];  // always -1
};
static_assert(sizeof(stream_settings) == 204);
static_assert(offsetof(stream_settings, transmit_protocol) == 68);
static_assert(offsetof(stream_settings, video_type_enable) == 80);
static_assert(offsetof(stream_settings, zero0) == 92);
static_assert(offsetof(stream_settings, main_video_type) == 96);
static_assert(offsetof(stream_settings, main_bitrate_control) == 120);
static_assert(offsetof(stream_settings, event_bitrate) == 144);
static_assert(offsetof(stream_settings, zero1) == 148);
static_assert(offsetof(stream_settings, sub_video_type) == 152);
static_assert(offsetof(stream_settings, sub_smart_stream_level) == 184);
static_assert(offsetof(stream_settings, unchanged1) == 188);

// Request 1217.
struct stream_extra_query {
    int32_t channel;
    int32_t fisheye_type;
};
static_assert(sizeof(stream_extra_query) == 8);

// Answer 6217.
struct stream_extra {
    int32_t channel;
    int32_t fisheye_type;
    int32_t enable;
    int32_t framerate;
    int32_t bitrate;
    int32_t iframe_interval;
};
static_assert(sizeof(stream_extra) == 24);

// Request 1218: the answer's layout with the type word zero.
using stream_extra_set = stream_extra;
