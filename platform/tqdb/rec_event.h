// Event records: the motion and video-loss settings of each channel, and
// their week-schedule stores.
#pragma once

#include "platform/tqdb/sched_store.h"
#include "platform/tqdb/tqdb.h"

#include <cstddef>
#include <cstdint>

// Motion detection and its actions, one per channel 0..63 (key: chnid).
struct motion_record {
    int32_t chnid;
    int32_t enable;              // 0 off, 1 on (2 accepted)
    int32_t sensitivity;
    uint32_t tri_channels_mask;  // bit p for a '1' at position p < 32 of tri_channels
    int32_t tri_alarms;          // recorder alarm outputs, bit mask
    char motion_table[368];      // motion area grid text
    int32_t interval;            // seconds
    int32_t enable_ms;           // 1: the camera gets an all-day detection schedule
    char tri_channels[65];       // '0'/'1' per channel
    uint8_t pad0[3];
    int32_t email_enable;
    int32_t email_interval;
    char tri_chn_alarms[2][65];  // string k: cameras whose alarm output k is driven
    uint8_t pad1[2];
    int32_t reserved;
    int32_t ptz_interval;
    int32_t alarmout_interval;
    int32_t white_interval;
    int32_t email_pic_enable;
    char tri_channels_pic[65];   // channels whose snapshot the e-mail carries
    uint8_t pad2[3];
    int32_t audio_id;            // alarm sound slot 0..9
};
static_assert(sizeof(motion_record) == 696);
static_assert(offsetof(motion_record, chnid) == 0);
static_assert(offsetof(motion_record, enable) == 4);
static_assert(offsetof(motion_record, sensitivity) == 8);
static_assert(offsetof(motion_record, tri_channels_mask) == 12);
static_assert(offsetof(motion_record, tri_alarms) == 16);
static_assert(offsetof(motion_record, motion_table) == 20);
static_assert(offsetof(motion_record, interval) == 388);
static_assert(offsetof(motion_record, enable_ms) == 392);
static_assert(offsetof(motion_record, tri_channels) == 396);
static_assert(offsetof(motion_record, email_enable) == 464);
static_assert(offsetof(motion_record, email_interval) == 468);
static_assert(offsetof(motion_record, tri_chn_alarms) == 472);
static_assert(offsetof(motion_record, reserved) == 604);
static_assert(offsetof(motion_record, ptz_interval) == 608);
static_assert(offsetof(motion_record, alarmout_interval) == 612);
static_assert(offsetof(motion_record, white_interval) == 616);
static_assert(offsetof(motion_record, email_pic_enable) == 620);
static_assert(offsetof(motion_record, tri_channels_pic) == 624);
static_assert(offsetof(motion_record, audio_id) == 692);

// Video loss and its actions, one per channel 0..63 (key: cam_id; integer
// columns "id" and "tri_alarms").
struct video_lost_record {
    int32_t cam_id;
    int32_t enable;
    int32_t tri_alarms;
    int32_t interval;
    int32_t reserved0;           // set to 2, with enable, by the full action page
    int32_t email_interval;
    char tri_chn_alarms[2][65];
    uint8_t pad0[2];
    int32_t reserved1;
    int32_t ptz_interval;
    int32_t alarmout_interval;
    int32_t white_interval;
    int32_t audio_id;
};
static_assert(sizeof(video_lost_record) == 176);
static_assert(offsetof(video_lost_record, cam_id) == 0);
static_assert(offsetof(video_lost_record, enable) == 4);
static_assert(offsetof(video_lost_record, tri_alarms) == 8);
static_assert(offsetof(video_lost_record, interval) == 12);
static_assert(offsetof(video_lost_record, reserved0) == 16);
static_assert(offsetof(video_lost_record, email_interval) == 20);
static_assert(offsetof(video_lost_record, tri_chn_alarms) == 24);
static_assert(offsetof(video_lost_record, reserved1) == 156);
static_assert(offsetof(video_lost_record, ptz_interval) == 160);
static_assert(offsetof(video_lost_record, alarmout_interval) == 164);
static_assert(offsetof(video_lost_record, white_interval) == 168);
static_assert(offsetof(video_lost_record, audio_id) == 172);

inline constexpr int event_channels = 64;

extern const tqdb_table tqdb_tbl_motion;      // "motion", 64 rows, key chnid
extern const tqdb_table tqdb_tbl_video_loss;  // "video_loss", 64 rows, key cam_id

// read_motion(path, rec, chn), write_motion(path, rec), delete_motion(path, chn)
TQDB_KEYED(motion, motion_record, tqdb_tbl_motion)
// read_motions(path, arr /*64*/, &count), write_motions(path, arr, count)
TQDB_ALL(motions, motion_record, tqdb_tbl_motion, event_channels)
// copy_motions(path, rec, mask)
TQDB_COPY(motions, motion_record, tqdb_tbl_motion)

// read_video_lost(path, rec, chn), write_video_lost(path, rec)
TQDB_KEYED(video_lost, video_lost_record, tqdb_tbl_video_loss)
// read_video_losts(path, arr /*64*/, &count)
inline int read_video_losts(const char* path, video_lost_record* arr, int* count) {
    return tqdb_read_all(path, tqdb_tbl_video_loss, arr, event_channels, count);
}
// Writes arr[ch] for every channel ch whose bit is set in mask (arr as filled
// by read_video_losts), in one transaction.
inline int write_video_losts(const char* path, const video_lost_record* arr, uint64_t mask) {
    return tqdb_write_masked(path, tqdb_tbl_video_loss, arr, event_channels, mask);
}
// copy_video_losts(path, rec, mask)
TQDB_COPY(video_losts, video_lost_record, tqdb_tbl_video_loss)

// ---- schedule stores ----------------------------------------------------------
// Store names, for the event sources that address stores by name.
#define SCHED_MOTION_EFFECTIVE "motion_effective_schedule"
#define SCHED_MOTION_AUDIBLE "motion_audible_schedule"
#define SCHED_MOTION_EMAIL "motion_email_schedule"
#define SCHED_MOTION_PTZ "motion_ptz_schedule"
#define SCHED_MOTION_BASIC "motion_schedule"
#define SCHED_VIDEOLOSS_AUDIBLE "videoloss_audible_schedule"
#define SCHED_VIDEOLOSS_EMAIL "videoloss_email_schedule"
#define SCHED_VIDEOLOSS_PTZ "videoloss_ptz_schedule"
#define SCHED_VIDEOLOSS_BASIC "video_loss_schedule"

TQDB_SCHEDULE(motion_effective_schedule, SCHED_MOTION_EFFECTIVE)
TQDB_SCHEDULE(motion_audible_schedule, SCHED_MOTION_AUDIBLE)
TQDB_SCHEDULE(motion_email_schedule, SCHED_MOTION_EMAIL)
TQDB_SCHEDULE(motion_ptz_schedule, SCHED_MOTION_PTZ)
// The older motion schedule ("schedule" of the basic pages).
TQDB_SCHEDULE(motion_schedule, SCHED_MOTION_BASIC)

TQDB_SCHEDULE(videoloss_audible_schedule, SCHED_VIDEOLOSS_AUDIBLE)
TQDB_SCHEDULE(videoloss_email_schedule, SCHED_VIDEOLOSS_EMAIL)
TQDB_SCHEDULE(videoloss_ptz_schedule, SCHED_VIDEOLOSS_PTZ)
// The older video-loss schedule of the basic page.
TQDB_SCHEDULE(video_loss_schedule, SCHED_VIDEOLOSS_BASIC)
