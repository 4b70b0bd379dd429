// The recorder's alarm inputs: the settings and actions of each of the 16
// inputs, and their week-schedule stores.
#pragma once

#include "platform/tqdb/sched_store.h"
#include "platform/tqdb/tqdb.h"

#include <cstddef>
#include <cstdint>

inline constexpr int alarm_in_count = 16;

// One per input 0..15 (key: id).
struct alarm_in_record {
    int32_t id;
    int32_t enable;              // 0, 1, or 2 (set by the full action page)
    char name[256];
    int32_t type;                // 0 or 1
    uint32_t tri_channels_mask;  // bit p for a '1' at position p < 32 of tri_channels
    int32_t tri_alarms;
    int32_t interval;
    char tri_channels[65];       // '0'/'1' per channel
    char tri_snapshot[65];
    char tri_chn_alarms[2][65];
    int32_t email_mode;          // e-mail on/off (2: set by the full action page)
    int32_t email_interval;
    int32_t ptz_interval;
    int32_t alarmout_interval;
    int32_t white_interval;
    int32_t email_pic_enable;
    char tri_channels_pic[65];
    uint8_t pad0[3];
    int32_t audio_id;
};
static_assert(sizeof(alarm_in_record) == 636);
static_assert(offsetof(alarm_in_record, enable) == 4);
static_assert(offsetof(alarm_in_record, name) == 8);
static_assert(offsetof(alarm_in_record, type) == 264);
static_assert(offsetof(alarm_in_record, tri_channels_mask) == 268);
static_assert(offsetof(alarm_in_record, tri_alarms) == 272);
static_assert(offsetof(alarm_in_record, interval) == 276);
static_assert(offsetof(alarm_in_record, tri_channels) == 280);
static_assert(offsetof(alarm_in_record, tri_snapshot) == 345);
static_assert(offsetof(alarm_in_record, tri_chn_alarms) == 410);
static_assert(offsetof(alarm_in_record, email_mode) == 540);
static_assert(offsetof(alarm_in_record, email_interval) == 544);
static_assert(offsetof(alarm_in_record, ptz_interval) == 548);
static_assert(offsetof(alarm_in_record, alarmout_interval) == 552);
static_assert(offsetof(alarm_in_record, white_interval) == 556);
static_assert(offsetof(alarm_in_record, email_pic_enable) == 560);
static_assert(offsetof(alarm_in_record, tri_channels_pic) == 564);
static_assert(offsetof(alarm_in_record, audio_id) == 632);

extern const tqdb_table tqdb_tbl_alarm_in;  // "alarm_in", 16 rows, key id

// read_alarm_in(path, rec, id), write_alarm_in(path, rec)
TQDB_KEYED(alarm_in, alarm_in_record, tqdb_tbl_alarm_in)
// All inputs in id order: read_alarm_ins(path, arr /*16*/, &count).
inline int read_alarm_ins(const char* path, alarm_in_record* arr, int* count) {
    return tqdb_read_all(path, tqdb_tbl_alarm_in, arr, alarm_in_count, count);
}
// Writes arr[id] for every input id whose bit is set in mask (arr as filled
// by read_alarm_ins), in one transaction.
inline int write_alarm_ins(const char* path, const alarm_in_record* arr, uint64_t mask) {
    return tqdb_write_masked(path, tqdb_tbl_alarm_in, arr, alarm_in_count, mask);
}

// ---- schedule stores, keyed by input ---------------------------------------------
#define SCHED_ALARMIN_EFFECTIVE "alarmin_effective_schedule"
#define SCHED_ALARMIN_AUDIBLE "alarmin_audible_schedule"
#define SCHED_ALARMIN_EMAIL "alarmin_email_schedule"
#define SCHED_ALARMIN_PTZ "alarmin_ptz_schedule"

TQDB_SCHEDULE(alarmin_effective_schedule, SCHED_ALARMIN_EFFECTIVE)
TQDB_SCHEDULE(alarmin_audible_schedule, SCHED_ALARMIN_AUDIBLE)
TQDB_SCHEDULE(alarmin_email_schedule, SCHED_ALARMIN_EMAIL)
TQDB_SCHEDULE(alarmin_ptz_schedule, SCHED_ALARMIN_PTZ)
