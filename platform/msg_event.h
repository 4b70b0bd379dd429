// Core-daemon messages of motion detection, video loss and the event
// actions, shared by the events module and the simulated core daemon.
#pragma once

#include "platform/oplog_record.h"

#include <cstddef>
#include <cstdint>

// ---- notices (no answer) ---------------------------------------------------
inline constexpr int32_t msg_videoloss_changed = 1402;       // 4 bytes: channel
inline constexpr int32_t msg_motion_changed = 1403;          // 4 bytes: channel
inline constexpr int32_t msg_alarmin_changed = 1404;         // 4 bytes: input
inline constexpr int32_t msg_motion_copied = 1410;           // 8 bytes: channel mask
inline constexpr int32_t msg_smart_event_changed = 1412;     // 4 bytes: channel
inline constexpr int32_t msg_videoloss_mask_changed = 1414;  // 8 bytes: channel mask
inline constexpr int32_t msg_alarmin_mask_changed = 1415;    // 8 bytes: input mask
inline constexpr int32_t msg_motion_area_set = 3207;         // motion_area_record
inline constexpr int32_t msg_motion_schedule_set = 3209;     // motion_detect_schedule
inline constexpr int32_t msg_motion_schedule_mode = 3212;    // motion_schedule_mode
inline constexpr int32_t msg_motion_area_copy = 3251;        // motion_area_copy
inline constexpr int32_t msg_motion_schedule_copy = 3252;    // motion_detect_schedule, channel 0
inline constexpr int32_t msg_oplog_masked = 3509;            // oplog_mask_record

// ---- waiting requests ------------------------------------------------------
inline constexpr int32_t msg_motion_area = 3206;             // 4 bytes: channel; answer 8206
inline constexpr int32_t msg_vca_analysis = 3259;            // the analysis boxes of a channel

inline constexpr int32_t msg_motion_area_reply = 8206;       // motion_area_record

// The motion area of a camera: sent with 3207 (enable 0, the fields after
// channel zero) and answered by 8206.
struct motion_area_record {
    int32_t enable;
    char map[300];            // the grid text, at most 299 characters
    int32_t sensitivity;
    int32_t channel;
    int32_t result;
    int32_t model_type;
    int32_t fishdisplay;
    int32_t fishtransfer;
    int32_t fishinstall;
};
static_assert(sizeof(motion_area_record) == 332);
static_assert(offsetof(motion_area_record, map) == 4);
static_assert(offsetof(motion_area_record, sensitivity) == 304);
static_assert(offsetof(motion_area_record, channel) == 308);
static_assert(offsetof(motion_area_record, result) == 312);
static_assert(offsetof(motion_area_record, model_type) == 316);
static_assert(offsetof(motion_area_record, fishdisplay) == 320);
static_assert(offsetof(motion_area_record, fishtransfer) == 324);
static_assert(offsetof(motion_area_record, fishinstall) == 328);

// Whether the camera takes the detection schedule (3212), for a channel and
// the channels it was copied to.
struct motion_schedule_mode {
    int32_t channel;
    int32_t flag;             // 1: an all-day schedule follows
    int32_t channels[64];     // copies, ascending
    int32_t count;
};
static_assert(sizeof(motion_schedule_mode) == 268);
static_assert(offsetof(motion_schedule_mode, flag) == 4);
static_assert(offsetof(motion_schedule_mode, channels) == 8);
static_assert(offsetof(motion_schedule_mode, count) == 264);

// The camera's detection schedule (3209, 3252): seven days of four periods.
struct motion_period {
    int32_t start_hour;
    int32_t start_minute;
    int32_t end_hour;
    int32_t end_minute;
};
static_assert(sizeof(motion_period) == 16);

struct motion_detect_day {
    uint8_t reserved[64];
    int32_t day;              // 0..6
    int32_t flag;
    motion_period periods[4];
};
static_assert(sizeof(motion_detect_day) == 136);
static_assert(offsetof(motion_detect_day, day) == 64);
static_assert(offsetof(motion_detect_day, flag) == 68);
static_assert(offsetof(motion_detect_day, periods) == 72);

struct motion_detect_schedule {
    int32_t channel;
    motion_detect_day days[7];
    uint8_t reserved[260];
};
static_assert(sizeof(motion_detect_schedule) == 1216);
static_assert(offsetof(motion_detect_schedule, days) == 4);
static_assert(offsetof(motion_detect_schedule, reserved) == 956);

// The motion area of a channel copied to other channels (3251).
struct motion_area_copy {
    char motion_table[300];
    int32_t sensitivity;
    int32_t channel;          // the source
    int32_t enable_ms;
    int32_t channels[64];     // copies, ascending
    int32_t count;
};
static_assert(sizeof(motion_area_copy) == 572);
static_assert(offsetof(motion_area_copy, sensitivity) == 300);
static_assert(offsetof(motion_area_copy, channel) == 304);
static_assert(offsetof(motion_area_copy, enable_ms) == 308);
static_assert(offsetof(motion_area_copy, channels) == 312);
static_assert(offsetof(motion_area_copy, count) == 568);

// An operation-log entry that the core daemon logs once for each channel of
// the mask (3509).
struct oplog_mask_record {
    oplog_record rec;
    uint64_t mask;
};
static_assert(sizeof(oplog_mask_record) == 680);
static_assert(offsetof(oplog_mask_record, mask) == 672);
