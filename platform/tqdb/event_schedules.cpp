// Effective schedules of motion and smart events, one blob per channel (and
// per smart event type).
#include "platform/tqdb/rec_event_schedule.h"

#include "platform/tqdb/tqdb.h"

#include <cstdint>

namespace {

const char motion_store[] = "motion_effective_schedule";
const char smart_store[] = "smart_event_effective_schedule";

bool channel_ok(int chn) { return chn >= 0 && chn < 64; }
bool event_ok(int event) { return event >= 0 && event < smart_event_types; }

int64_t smart_key(int chn, int event) { return static_cast<int64_t>(event) * 64 + chn; }

}  // namespace

int read_motion_effective_schedule(const char* path, week_schedule* sched, int chn) {
    if (!sched || !channel_ok(chn)) return -1;
    return tqdb_blob_read(path, motion_store, chn, sched, sizeof *sched);
}

int write_motion_effective_schedule(const char* path, const week_schedule* sched, int chn) {
    if (!sched || !channel_ok(chn)) return -1;
    return tqdb_blob_write(path, motion_store, chn, sched, sizeof *sched);
}

int read_smart_event_effective_schedule(const char* path, week_schedule* sched, int chn, int event) {
    if (!sched || !channel_ok(chn) || !event_ok(event)) return -1;
    return tqdb_blob_read(path, smart_store, smart_key(chn, event), sched, sizeof *sched);
}

int write_smart_event_effective_schedule(const char* path, const week_schedule* sched, int chn,
                                         int event) {
    if (!sched || !channel_ok(chn) || !event_ok(event)) return -1;
    return tqdb_blob_write(path, smart_store, smart_key(chn, event), sched, sizeof *sched);
}
