// Licence plates: the recorder's reaction to a recognised plate per list
// (the shared event action record, rec_vca.h, kept per channel and list
// mode) and the plate lists themselves, which live in a database file of
// their own (TQDB_ANPR_FILE).
//
// List modes: -1 the list-independent setting of a channel (its readers
// use only the effective schedule), 0 black list, 1 white list, 2 visitor.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/tqdb/rec_vca.h"
#include "platform/tqdb/sched_store.h"
#include "platform/tqdb/tqdb.h"

inline constexpr int anpr_mode_first = -1;
inline constexpr int anpr_modes = 4;  // -1..2
inline bool anpr_mode_ok(int mode) { return mode >= anpr_mode_first && mode < anpr_mode_first + anpr_modes; }

// One action table per mode ("anpr_event_any", "anpr_event0".."anpr_event2"),
// index mode + 1, a record per channel 0..63.
extern const tqdb_table tqdb_tbl_anpr_event[anpr_modes];

inline const tqdb_table* anpr_event_table(int mode) {
    return anpr_mode_ok(mode) ? &tqdb_tbl_anpr_event[mode + 1] : nullptr;
}

// The record of (chn, mode); 0 when it was read, non-zero (rec untouched)
// when none is stored or the mode is outside -1..2.
inline int read_anpr_event(const char* path, event_action_record* rec, int chn, int mode) {
    const tqdb_table* t = anpr_event_table(mode);
    return t ? tqdb_read(path, *t, rec, chn) : -1;
}
// Writes the row of rec->chnid in the table of mode.
inline int write_anpr_event(const char* path, const event_action_record* rec, int mode) {
    const tqdb_table* t = anpr_event_table(mode);
    return t ? tqdb_write(path, *t, rec) : -1;
}

// Schedule stores, keyed (channel, mode).
#define SCHED_ANPR_EFFECTIVE "anpr_effective_schedule"
#define SCHED_ANPR_AUDIBLE "anpr_audible_schedule"
#define SCHED_ANPR_MAIL "anpr_mail_schedule"
#define SCHED_ANPR_PTZ "anpr_ptz_schedule"

// read_anpr_effective_schedule(path, sched, chn, mode), write_ the same;
// likewise _audible_, _mail_, _ptz_. A mode outside -1..2 fails.
#define ANPR_SCHEDULE(name, store)                                                             \
    inline int read_##name(const char* path, week_schedule* sched, int chn, int mode) {        \
        return anpr_mode_ok(mode) ? tqdb_sched_read(path, store, chn, mode, sched) : -1;       \
    }                                                                                          \
    inline int write_##name(const char* path, const week_schedule* sched, int chn, int mode) { \
        return anpr_mode_ok(mode) ? tqdb_sched_write(path, store, chn, mode, sched) : -1;      \
    }
ANPR_SCHEDULE(anpr_effective_schedule, SCHED_ANPR_EFFECTIVE)
ANPR_SCHEDULE(anpr_audible_schedule, SCHED_ANPR_AUDIBLE)
ANPR_SCHEDULE(anpr_mail_schedule, SCHED_ANPR_MAIL)
ANPR_SCHEDULE(anpr_ptz_schedule, SCHED_ANPR_PTZ)
#undef ANPR_SCHEDULE

// ---- plate lists (TQDB_ANPR_FILE) -------------------------------------------
// One entry per plate: the plate text is the key (an indexed column of the
// file), the list type text is the camera's and passes through unchanged.

struct anpr_list_entry {
    char type[16];
    char plate[64];
};
static_assert(sizeof(anpr_list_entry) == 80);
static_assert(offsetof(anpr_list_entry, type) == 0);
static_assert(offsetof(anpr_list_entry, plate) == 16);

// Plates one request may carry.
inline constexpr int anpr_request_max = 10000;

extern const tqdb_table tqdb_tbl_anpr_list;

// Adds the entry, or rewrites the stored one of its plate.
int write_anpr_list(const char* path, const anpr_list_entry* entry);
// Rewrites the stored entry of the entry's plate; non-zero when none is stored.
int update_anpr_list(const char* path, const anpr_list_entry* entry);
// Deletes the entry of the entry's plate; a plate not stored is no failure.
int delete_anpr_list(const char* path, const anpr_list_entry* entry);
// Deletes the plates of count entries in one transaction: all or none.
int delete_anpr_lists(const char* path, const anpr_list_entry* entries, int count);
// Replaces the whole list with count entries in one transaction: all or
// none. Entries without a plate are skipped; a plate given twice keeps its
// last type.
int write_anpr_list_replace_batch(const char* path, const anpr_list_entry* entries, int count);
// Fills *out with the stored entry of plate; 0 when it exists.
int read_anpr_list_plate(const char* path, anpr_list_entry* out, const char* plate);
