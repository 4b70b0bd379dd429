// The week schedule: the record of every schedule store (motion, alarm
// inputs, events, ...) and the day blocks that camera schedule messages embed.
#pragma once

#include "platform/tqdb/tqdb.h"

#include <cstddef>
#include <cstdint>

#define SCHED_DAYS 8            // seven weekdays and the holiday
#define SCHED_SLOTS_PER_DAY 48

struct sched_slot {
    char start_time[32];  // as the browser sent it, NUL-terminated
    char end_time[32];
    int32_t action_type;  // meaning owned by the store
};
static_assert(sizeof(sched_slot) == 68);
static_assert(offsetof(sched_slot, end_time) == 32);
static_assert(offsetof(sched_slot, action_type) == 64);

struct sched_day {
    sched_slot slots[SCHED_SLOTS_PER_DAY];
    int32_t day_flag;         // whole-day enable
    int32_t day_action_type;  // whole-day action type
};
static_assert(sizeof(sched_day) == 3272);
static_assert(offsetof(sched_day, day_flag) == 3264);
static_assert(offsetof(sched_day, day_action_type) == 3268);

struct week_schedule {
    sched_day days[SCHED_DAYS];
};
static_assert(sizeof(week_schedule) == 26176);

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
