// The week schedule: the record of every schedule store (motion, alarm
// inputs, events, ...) and the day blocks that camera schedule messages embed.
#pragma once

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
