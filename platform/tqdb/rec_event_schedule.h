// Schedules of the smart events of a channel, one week schedule per
// (channel, smart event) in each of four stores: effective (when the event
// is armed), audible, e-mail and PTZ. The motion event's own schedules are
// in rec_event.h; all live in the week-schedule stores of sched_store.h.
#pragma once

#include "platform/tqdb/rec_event.h"
#include "platform/tqdb/rec_schedule.h"
#include "platform/tqdb/sched_store.h"

// Smart event types of the schedule stores: 0 region entrance, 1 region
// exit, 2 advanced motion, 3 tamper, 4 line crossing, 5 loitering, 6 human
// detection, 7 people counting, 8 object.
inline constexpr int smart_event_types = 9;
inline bool smart_event_ok(int event) { return event >= 0 && event < smart_event_types; }

#define SCHED_SMART_EFFECTIVE "smart_event_effective_schedule"
#define SCHED_SMART_AUDIBLE "smart_event_audible_schedule"
#define SCHED_SMART_MAIL "smart_event_mail_schedule"
#define SCHED_SMART_PTZ "smart_event_ptz_schedule"

// read_smart_event_effective_schedule(path, sched, chn, event), write_ the
// same; likewise _audible_, _mail_ and _ptz_. A schedule never written reads
// as missing (non-zero, sched untouched). A channel outside 0..63 or an
// event type outside 0..8 fails.
TQDB_SUB_SCHEDULE(smart_event_effective_schedule, SCHED_SMART_EFFECTIVE, smart_event_types)
TQDB_SUB_SCHEDULE(smart_event_audible_schedule, SCHED_SMART_AUDIBLE, smart_event_types)
TQDB_SUB_SCHEDULE(smart_event_mail_schedule, SCHED_SMART_MAIL, smart_event_types)
TQDB_SUB_SCHEDULE(smart_event_ptz_schedule, SCHED_SMART_PTZ, smart_event_types)
