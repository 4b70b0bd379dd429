// Week-schedule stores on the blob engine: one blob of a whole week_schedule
// per (store, owner key).
#include "platform/tqdb/sched_store.h"
#include "platform/tqdb/tqdb.h"

#include <cstdio>
#include <cstring>

namespace {

bool channel_ok(int channel) { return channel >= 0 && channel < 64; }

// White-LED schedules live in stores of their own, one per name; the prefix
// keeps a name from reaching any other store.
const char whiteled_prefix[] = "whiteled_esche:";
constexpr size_t whiteled_name_max = 63;
using whiteled_store_name = char[sizeof whiteled_prefix + whiteled_name_max];

bool whiteled_store(const whiteled_key* key, whiteled_store_name& out) {
    if (!key) return false;
    size_t len = strnlen(key->name, sizeof key->name);
    if (len == 0 || len > whiteled_name_max) return false;
    std::snprintf(out, sizeof out, "%s%.*s", whiteled_prefix, static_cast<int>(len), key->name);
    return true;
}

struct copy_job {
    const char* path;
    const char* store;
    int sub;
    const week_schedule* sched;
    uint64_t mask;

    static int run(void* ctx) {
        auto* job = static_cast<copy_job*>(ctx);
        for (int ch = 0; ch < 64; ++ch) {
            if (!(job->mask >> ch & 1)) continue;
            if (tqdb_blob_write(job->path, job->store, sched_key(ch, job->sub), job->sched,
                                sizeof *job->sched) != 0)
                return -1;
        }
        return 0;
    }
};

}  // namespace

int tqdb_sched_read(const char* path, const char* store, int channel, int sub,
                    week_schedule* sched) {
    if (!store || !sched || !channel_ok(channel)) return -1;
    return tqdb_blob_read(path, store, sched_key(channel, sub), sched, sizeof *sched);
}

int tqdb_sched_write(const char* path, const char* store, int channel, int sub,
                     const week_schedule* sched) {
    if (!store || !sched || !channel_ok(channel)) return -1;
    return tqdb_blob_write(path, store, sched_key(channel, sub), sched, sizeof *sched);
}

int tqdb_sched_copy(const char* path, const char* store, int sub, const week_schedule* sched,
                    uint64_t mask) {
    if (!store || !sched) return -1;
    copy_job job{path, store, sub, sched, mask};
    return tqdb_transaction(path, copy_job::run, &job);
}

int read_whiteled_effective_schedule(const char* path, week_schedule* sched,
                                     const whiteled_key* key) {
    whiteled_store_name store;
    if (!whiteled_store(key, store)) return -1;
    return tqdb_sched_read(path, store, key->channel, 0, sched);
}

int write_whiteled_effective_schedule(const char* path, const week_schedule* sched,
                                      const whiteled_key* key) {
    whiteled_store_name store;
    if (!whiteled_store(key, store)) return -1;
    return tqdb_sched_write(path, store, key->channel, 0, sched);
}

int copy_whiteled_effective_schedules(const char* path, const week_schedule* sched,
                                      const whiteled_key* key, uint64_t mask) {
    whiteled_store_name store;
    if (!whiteled_store(key, store)) return -1;
    return tqdb_sched_copy(path, store, 0, sched, mask);
}
