// Alarm contacts: the recorder's 16 alarm inputs and 4 alarm outputs, and
// for each camera channel its 2 alarm inputs (event actions and names) and
// 2 alarm outputs (names and delay).
#pragma once

#include "platform/tqdb/sched_store.h"
#include "platform/tqdb/tqdb.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

inline constexpr int alarm_in_count = 16;   // recorder inputs 0..15
inline constexpr int alarm_out_count = 4;   // recorder outputs 0..3
inline constexpr int cam_alarm_count = 2;   // camera inputs / outputs 0..1
inline constexpr int alarm_channels = 64;

inline bool alarm_in_ok(int id) { return id >= 0 && id < alarm_in_count; }
inline bool alarm_out_ok(int id) { return id >= 0 && id < alarm_out_count; }
inline bool cam_alarm_ok(int index) { return index >= 0 && index < cam_alarm_count; }

// One per input 0..15 (key: id).
struct alarm_in_record {
    int32_t id;
    int32_t enable;              // 0, 1, or 2 (set by the full action page)
    char name[256];
    int32_t type;                // 0 or 1
    uint32_t tri_channels_mask;  // bit p for a '1' at position p < 32 of tri_channels
    int32_t tri_alarms;
    int32_t interval;
    char tri_channels[65];       // '0'/'1' per channel
    char tri_snapshot[65];
    char tri_chn_alarms[2][65];
    int32_t email_mode;          // e-mail on/off (2: set by the full action page)
    int32_t email_interval;
    int32_t ptz_interval;
    int32_t alarmout_interval;
    int32_t white_interval;
    int32_t email_pic_enable;
    char tri_channels_pic[65];
    uint8_t pad0[3];
    int32_t audio_id;
};
static_assert(sizeof(alarm_in_record) == 636);
static_assert(offsetof(alarm_in_record, enable) == 4);
static_assert(offsetof(alarm_in_record, name) == 8);
static_assert(offsetof(alarm_in_record, type) == 264);
static_assert(offsetof(alarm_in_record, tri_channels_mask) == 268);
static_assert(offsetof(alarm_in_record, tri_alarms) == 272);
static_assert(offsetof(alarm_in_record, interval) == 276);
static_assert(offsetof(alarm_in_record, tri_channels) == 280);
static_assert(offsetof(alarm_in_record, tri_snapshot) == 345);
static_assert(offsetof(alarm_in_record, tri_chn_alarms) == 410);
static_assert(offsetof(alarm_in_record, email_mode) == 540);
static_assert(offsetof(alarm_in_record, email_interval) == 544);
static_assert(offsetof(alarm_in_record, ptz_interval) == 548);
static_assert(offsetof(alarm_in_record, alarmout_interval) == 552);
static_assert(offsetof(alarm_in_record, white_interval) == 556);
static_assert(offsetof(alarm_in_record, email_pic_enable) == 560);
static_assert(offsetof(alarm_in_record, tri_channels_pic) == 564);
static_assert(offsetof(alarm_in_record, audio_id) == 632);

// A recorder alarm output (key: id).
struct alarm_out_record {
    int32_t id;
    char name[256];              // at most 255 characters
    int32_t type;
    int32_t enable;
    int32_t duration_time;
};
static_assert(sizeof(alarm_out_record) == 272);
static_assert(offsetof(alarm_out_record, name) == 4);
static_assert(offsetof(alarm_out_record, type) == 260);
static_assert(offsetof(alarm_out_record, enable) == 264);
static_assert(offsetof(alarm_out_record, duration_time) == 268);

// The actions of a camera's alarm input (key: chnid, alarm_id).
struct alarm_chn_in_record {
    int32_t chnid;
    int32_t alarm_id;            // input index 0..1
    int32_t interval_mode;       // 2 once set by the action page
    uint32_t tri_channels_mask;
    char tri_channels[65];
    uint8_t pad0[3];
    int32_t tri_alarms;
    int32_t interval;
    int32_t email_interval;
    char tri_chn_alarms[2][65];
    uint8_t pad1[2];
    int32_t ptz_interval;
    int32_t alarmout_interval;
    int32_t white_interval;
    int32_t email_pic_enable;
    char tri_channels_pic[65];
    uint8_t pad2[3];
    int32_t audio_id;
};
static_assert(sizeof(alarm_chn_in_record) == 316);
static_assert(offsetof(alarm_chn_in_record, alarm_id) == 4);
static_assert(offsetof(alarm_chn_in_record, interval_mode) == 8);
static_assert(offsetof(alarm_chn_in_record, tri_channels_mask) == 12);
static_assert(offsetof(alarm_chn_in_record, tri_channels) == 16);
static_assert(offsetof(alarm_chn_in_record, tri_alarms) == 84);
static_assert(offsetof(alarm_chn_in_record, interval) == 88);
static_assert(offsetof(alarm_chn_in_record, email_interval) == 92);
static_assert(offsetof(alarm_chn_in_record, tri_chn_alarms) == 96);
static_assert(offsetof(alarm_chn_in_record, ptz_interval) == 228);
static_assert(offsetof(alarm_chn_in_record, alarmout_interval) == 232);
static_assert(offsetof(alarm_chn_in_record, white_interval) == 236);
static_assert(offsetof(alarm_chn_in_record, email_pic_enable) == 240);
static_assert(offsetof(alarm_chn_in_record, tri_channels_pic) == 244);
static_assert(offsetof(alarm_chn_in_record, audio_id) == 312);

// The name of a camera's alarm input (key: chnid, alarm_id).
struct alarm_chn_in_name {
    int32_t chnid;
    int32_t alarm_id;
    char alarm_name[64];         // at most 63 characters
};
static_assert(sizeof(alarm_chn_in_name) == 72);
static_assert(offsetof(alarm_chn_in_name, alarm_id) == 4);
static_assert(offsetof(alarm_chn_in_name, alarm_name) == 8);

// The name and delay of a camera's alarm output (key: chnid, alarm_id).
struct alarm_chn_out_name {
    int32_t chnid;
    int32_t alarm_id;
    int32_t delay_time;
    char alarm_name[64];         // at most 63 characters
};
static_assert(sizeof(alarm_chn_out_name) == 76);
static_assert(offsetof(alarm_chn_out_name, alarm_id) == 4);
static_assert(offsetof(alarm_chn_out_name, delay_time) == 8);
static_assert(offsetof(alarm_chn_out_name, alarm_name) == 12);

extern const tqdb_table tqdb_tbl_alarm_in;   // "alarm_in", 16 rows, key id
extern const tqdb_table tqdb_tbl_alarm_out;  // "alarm_out", 4 rows, key id
// The per-camera stores keep one table per index, each keyed by channel.
extern const tqdb_table tqdb_tbl_alarm_chn_in[cam_alarm_count];
extern const tqdb_table tqdb_tbl_alarm_chn_in_name[cam_alarm_count];
extern const tqdb_table tqdb_tbl_alarm_chn_out_name[cam_alarm_count];

// ---- recorder inputs ------------------------------------------------------------

// read_alarm_in(path, rec, id), write_alarm_in(path, rec)
TQDB_KEYED(alarm_in, alarm_in_record, tqdb_tbl_alarm_in)
// Reads the 16 inputs into arr in id order; *count gets the number read.
inline int read_alarm_ins(const char* path, alarm_in_record* arr, int* count) {
    return tqdb_read_all(path, tqdb_tbl_alarm_in, arr, alarm_in_count, count);
}
// Writes arr[id] for every input id whose bit is set in mask (arr as filled
// by read_alarm_ins), in one transaction.
inline int write_alarm_ins(const char* path, const alarm_in_record* arr, uint64_t mask) {
    return tqdb_write_masked(path, tqdb_tbl_alarm_in, arr, alarm_in_count, mask);
}

// ---- recorder outputs -----------------------------------------------------------

// read_alarm_out(path, rec, id), write_alarm_out(path, rec)
TQDB_KEYED(alarm_out, alarm_out_record, tqdb_tbl_alarm_out)
inline int read_alarm_outs(const char* path, alarm_out_record* arr, int* count) {
    return tqdb_read_all(path, tqdb_tbl_alarm_out, arr, alarm_out_count, count);
}
inline int write_alarm_outs(const char* path, const alarm_out_record* arr, uint64_t mask) {
    return tqdb_write_masked(path, tqdb_tbl_alarm_out, arr, alarm_out_count, mask);
}

// Reads the recorder's inputs or outputs into rows[id] by each row's own id;
// ids outside the table are skipped and an id without a row is all zeros
// but for its id.
template <typename Rec, int Count>
int read_alarm_rows(const char* path, const tqdb_table& table, Rec (&rows)[Count]) {
    std::memset(rows, 0, sizeof rows);
    for (int id = 0; id < Count; ++id) rows[id].id = id;
    Rec all[Count];
    int count = 0;
    int rc = tqdb_read_all(path, table, all, Count, &count);
    for (int i = 0; i < count; ++i)
        if (all[i].id >= 0 && all[i].id < Count) rows[all[i].id] = all[i];
    return rc;
}

// ---- camera alarm inputs and outputs ----------------------------------------------
// Indices outside 0..1 fail (non-zero, nothing read or written).

int read_alarm_chnIn_event(const char* path, alarm_chn_in_record* rec, int chn, int index);
// Stores rec under its own (chnid, alarm_id).
int write_alarm_chnIn_event(const char* path, const alarm_chn_in_record* rec);
// Copies rec to every channel of mask under the same index, each copy keyed
// by its own channel.
int copy_alarm_chnIn_events(const char* path, const alarm_chn_in_record* rec, uint64_t mask);

int read_alarm_chnIn_event_name(const char* path, alarm_chn_in_name* rec, int chn, int index);
int write_alarm_chnIn_event_name(const char* path, const alarm_chn_in_name* rec);
int read_alarm_chnOut_event_name(const char* path, alarm_chn_out_name* rec, int chn, int index);
int write_alarm_chnOut_event_name(const char* path, const alarm_chn_out_name* rec);
// The names of every channel, both indices: names[chn][index]. Rows not
// stored are left as they were.
int read_alarm_chnIn_event_names(const char* path, alarm_chn_in_name (*names)[cam_alarm_count]);
int read_alarm_chnOut_event_names(const char* path, alarm_chn_out_name (*names)[cam_alarm_count]);
// Sets the delay of output index of every channel of mask.
int copy_alarm_chnOut_delay(const char* path, int index, int32_t delay_time, uint64_t mask);

// The record of (chn, index) of a per-index camera store (tables: one of the
// tqdb_tbl_alarm_chn_* arrays), with chnid and alarm_id set, zeros besides
// when none is stored; results as tqdb_load. Outside 0..63 or 0..1: -1, the
// record zeros with its keys.
template <typename Rec>
int load_cam_alarm(const char* path, const tqdb_table (&tables)[cam_alarm_count], Rec* rec, int chn, int index) {
    int rc = -1;
    if (chn >= 0 && chn < alarm_channels && cam_alarm_ok(index))
        rc = tqdb_load(path, tables[index], rec, chn);
    else
        std::memset(rec, 0, sizeof *rec);
    rec->chnid = chn;
    rec->alarm_id = index;
    return rc;
}
// The read-change-write of that record in one transaction (fn as for
// tqdb_edit_as, the record's keys set before it runs).
template <typename Rec, typename Fn>
int edit_cam_alarm(const char* path, const tqdb_table (&tables)[cam_alarm_count], int chn, int index, Fn&& fn) {
    if (chn < 0 || chn >= alarm_channels || !cam_alarm_ok(index)) return -1;
    return tqdb_edit_as<Rec>(path, tables[index], chn, [&](Rec& rec) {
        rec.alarm_id = index;
        return fn(rec);
    });
}

// ---- schedule stores ------------------------------------------------------------
// Recorder inputs and outputs are keyed by id; camera contacts by (channel,
// index) through tqdb_sched_read/write/copy with the index as sub-index.
#define SCHED_ALARMIN_EFFECTIVE "alarmin_effective_schedule"
#define SCHED_ALARMIN_AUDIBLE "alarmin_audible_schedule"
#define SCHED_ALARMIN_EMAIL "alarmin_email_schedule"
#define SCHED_ALARMIN_PTZ "alarmin_ptz_schedule"
#define SCHED_ALARMIN_BASIC "alarm_in_schedule"
#define SCHED_ALARMOUT "alarm_out_schedule"
#define SCHED_CHN_ALARMIN_EFFECTIVE "alarm_chnIn_effective_schedule"
#define SCHED_CHN_ALARMIN_AUDIBLE "alarm_chnIn_audible_schedule"
#define SCHED_CHN_ALARMIN_MAIL "alarm_chnIn_mail_schedule"
#define SCHED_CHN_ALARMIN_PTZ "alarm_chnIn_ptz_schedule"
#define SCHED_CHN_ALARMOUT_EFFECTIVE "alarm_chnOut_effective_schedule"

TQDB_SCHEDULE(alarmin_effective_schedule, SCHED_ALARMIN_EFFECTIVE)
TQDB_SCHEDULE(alarmin_audible_schedule, SCHED_ALARMIN_AUDIBLE)
TQDB_SCHEDULE(alarmin_email_schedule, SCHED_ALARMIN_EMAIL)
TQDB_SCHEDULE(alarmin_ptz_schedule, SCHED_ALARMIN_PTZ)
// The basic schedule of the input pages.
TQDB_SCHEDULE(alarm_in_schedule, SCHED_ALARMIN_BASIC)
// The schedule of a recorder output.
TQDB_SCHEDULE(alarm_out_schedule, SCHED_ALARMOUT)

inline int read_alarm_chnOut_effective_schedule(const char* path, week_schedule* sched, int chn, int index) {
    return tqdb_sched_read(path, SCHED_CHN_ALARMOUT_EFFECTIVE, chn, index, sched);
}
inline int write_alarm_chnOut_effective_schedule(const char* path, const week_schedule* sched, int chn,
                                                 int index) {
    return tqdb_sched_write(path, SCHED_CHN_ALARMOUT_EFFECTIVE, chn, index, sched);
}
inline int copy_alarm_chnOut_effective_schedules(const char* path, const week_schedule* sched, int index,
                                                 uint64_t mask) {
    return tqdb_sched_copy(path, SCHED_CHN_ALARMOUT_EFFECTIVE, index, sched, mask);
}
