// Effective (detection) schedules of the motion and smart events of a
// channel: a week schedule per channel, and per (channel, smart event).
#pragma once

#include "platform/tqdb/rec_schedule.h"

// Smart event types of the schedule stores: 0 region entrance, 1 region
// exit, 2 advanced motion, 3 tamper, 4 line crossing, 5 loitering, 6 human
// detection, 7 people counting, 8 object.
inline constexpr int smart_event_types = 9;

// A schedule never written reads as missing (non-zero, sched untouched). A
// channel outside 0..63 or an event type outside 0..8 fails.
int read_motion_effective_schedule(const char* path, week_schedule* sched, int chn);
int write_motion_effective_schedule(const char* path, const week_schedule* sched, int chn);
int read_smart_event_effective_schedule(const char* path, week_schedule* sched, int chn, int event);
int write_smart_event_effective_schedule(const char* path, const week_schedule* sched, int chn,
                                         int event);
