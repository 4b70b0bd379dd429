// Week schedules: the time-slot plan shared by every schedule store, and the
// recording schedule of a channel.
#pragma once

#include "platform/tqdb/tqdb.h"

#include <cstddef>
#include <cstdint>

// One time slot. The texts are kept exactly as the browser sent them.
struct schedule_slot {
    char start_time[32];  // at most 31 characters, NUL-terminated
    char end_time[32];
    int32_t action_type;  // meaning owned by the store that keeps the schedule
};
static_assert(sizeof(schedule_slot) == 68);
static_assert(offsetof(schedule_slot, start_time) == 0);
static_assert(offsetof(schedule_slot, end_time) == 32);
static_assert(offsetof(schedule_slot, action_type) == 64);

#define SCHEDULE_DAYS 8
#define SCHEDULE_SLOTS 48

// One day: 48 slots, then the whole-day flag and the whole-day action type.
struct schedule_day {
    schedule_slot slots[SCHEDULE_SLOTS];
    int32_t day_flag;           // whole-day enable
    int32_t day_action_type;    // whole-day action type
};
static_assert(sizeof(schedule_day) == 3272);
static_assert(offsetof(schedule_day, slots) == 0);
static_assert(offsetof(schedule_day, day_flag) == 3264);
static_assert(offsetof(schedule_day, day_action_type) == 3268);

// Days 0..7 (the seven weekdays and the holiday).
struct week_schedule {
    schedule_day days[SCHEDULE_DAYS];
};
static_assert(sizeof(week_schedule) == 26176);
static_assert(offsetof(week_schedule, days) == 0);

// The recording schedule of a channel (key: channel, 64 rows): a week whose
// slots are all used, followed by one word. The store keeps the channel in
// that word, so a copy to many channels stays keyed by each channel.
struct record_schedule {
    week_schedule week;
    int32_t chn;
};
static_assert(sizeof(record_schedule) == 26180);
static_assert(offsetof(record_schedule, week) == 0);
static_assert(offsetof(record_schedule, chn) == 26176);

extern const tqdb_table tqdb_tbl_record_schedule;  // "record_schedule", 64 rows, key chn

// read_record_schedule(path, rec, chn), write_record_schedule(path, rec),
// delete_record_schedule(path, chn)
TQDB_KEYED(record_schedule, record_schedule, tqdb_tbl_record_schedule)
// Copies src's schedule to every channel whose bit is set in mask.
TQDB_COPY(record_schedules, record_schedule, tqdb_tbl_record_schedule)
