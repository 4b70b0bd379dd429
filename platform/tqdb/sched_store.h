// Week-schedule stores: one week_schedule per owner in a named store.
//
// An owner is a channel (0..63), or a channel with a sub-index for sources
// that keep several schedules per channel (an event index, an input index).
// Typed calls for each store are made with TQDB_SCHEDULE; every event source
// keeps its schedules this way. A schedule never written reads as missing
// (non-zero, the caller's buffer untouched).
#pragma once

#include "platform/tqdb/rec_schedule.h"

#include <cstdint>

// The key of an owner in a schedule store: the sub-index in the high word.
inline int64_t sched_key(int channel, int sub = 0) {
    return static_cast<int64_t>(static_cast<uint64_t>(static_cast<uint32_t>(sub)) << 32 |
                                static_cast<uint32_t>(channel));
}

// store: the schedule store's name. Channels outside 0..63 fail.
int tqdb_sched_read(const char* path, const char* store, int channel, int sub,
                    week_schedule* sched);
int tqdb_sched_write(const char* path, const char* store, int channel, int sub,
                     const week_schedule* sched);
// Writes sched as the schedule of (ch, sub) for every channel ch whose bit is
// set in mask, in one transaction.
int tqdb_sched_copy(const char* path, const char* store, int sub, const week_schedule* sched,
                    uint64_t mask);

// TQDB_SCHEDULE(name, store): read_<name>(path, sched, chn),
// write_<name>(path, sched, chn), copy_<name>s(path, sched, mask).
#define TQDB_SCHEDULE(name, store)                                                      \
    inline int read_##name(const char* path, week_schedule* sched, int chn) {           \
        return tqdb_sched_read(path, store, chn, 0, sched);                             \
    }                                                                                   \
    inline int write_##name(const char* path, const week_schedule* sched, int chn) {    \
        return tqdb_sched_write(path, store, chn, 0, sched);                            \
    }                                                                                   \
    inline int copy_##name##s(const char* path, const week_schedule* sched, uint64_t mask) { \
        return tqdb_sched_copy(path, store, 0, sched, mask);                            \
    }

// TQDB_SUB_SCHEDULE(name, store, subs): the calls of a store kept per
// (channel, sub-index 0..subs-1): read_<name>(path, sched, chn, sub),
// write_<name>(path, sched, chn, sub). A sub-index outside 0..subs-1 fails.
#define TQDB_SUB_SCHEDULE(name, store, subs)                                                  \
    inline int read_##name(const char* path, week_schedule* sched, int chn, int sub) {        \
        if (sub < 0 || sub >= (subs)) return -1;                                              \
        return tqdb_sched_read(path, store, chn, sub, sched);                                 \
    }                                                                                         \
    inline int write_##name(const char* path, const week_schedule* sched, int chn, int sub) { \
        if (sub < 0 || sub >= (subs)) return -1;                                              \
        return tqdb_sched_write(path, store, chn, sub, sched);                                \
    }

// ---- white-LED effective schedules, keyed {channel, name} -------------------
// name: the event source's white-LED schedule ("motion_whiteled_esche", ...),
// at most 63 characters; an empty or longer name fails.

struct whiteled_key {
    int32_t channel;
    char name[64];
};
static_assert(sizeof(whiteled_key) == 68);

int read_whiteled_effective_schedule(const char* path, week_schedule* sched,
                                     const whiteled_key* key);
int write_whiteled_effective_schedule(const char* path, const week_schedule* sched,
                                      const whiteled_key* key);
// Writes sched under {ch, key->name} for every channel ch of mask
// (key->channel is not used).
int copy_whiteled_effective_schedules(const char* path, const week_schedule* sched,
                                      const whiteled_key* key, uint64_t mask);
