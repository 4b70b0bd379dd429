// Effective (detection) schedules of the smart events of a channel, one week
// schedule per (channel, smart event). The motion event's own schedule is
// read_/write_motion_effective_schedule of rec_event.h; both live in the
// week-schedule stores of sched_store.h.
#pragma once

#include "platform/tqdb/rec_event.h"
#include "platform/tqdb/rec_schedule.h"
#include "platform/tqdb/sched_store.h"

// Smart event types of the schedule stores: 0 region entrance, 1 region
// exit, 2 advanced motion, 3 tamper, 4 line crossing, 5 loitering, 6 human
// detection, 7 people counting, 8 object.
inline constexpr int smart_event_types = 9;
#define SCHED_SMART_EFFECTIVE "smart_event_effective_schedule"

// A schedule never written reads as missing (non-zero, sched untouched). A
// channel outside 0..63 or an event type outside 0..8 fails.
inline int read_smart_event_effective_schedule(const char* path, week_schedule* sched, int chn,
                                               int event) {
    if (event < 0 || event >= smart_event_types) return -1;
    return tqdb_sched_read(path, SCHED_SMART_EFFECTIVE, chn, event, sched);
}
inline int write_smart_event_effective_schedule(const char* path, const week_schedule* sched,
                                                int chn, int event) {
    if (event < 0 || event >= smart_event_types) return -1;
    return tqdb_sched_write(path, SCHED_SMART_EFFECTIVE, chn, event, sched);
}
