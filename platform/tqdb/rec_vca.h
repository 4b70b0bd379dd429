// The action record of an event that the camera detects (smart events,
// plates, regional counting): what the recorder does when it fires. One
// 316-byte layout for every such source; each source keeps its records in
// tables of its own. The smart events keep one table per event type (0..8),
// each with a record per channel 0..63.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/tqdb/rec_event_schedule.h"
#include "platform/tqdb/tqdb.h"

struct event_action_record {
    int32_t chnid;
    int32_t enable;
    uint32_t tri_channels_mask;  // bit p for a '1' at position p < 32 of tri_channels
    char tri_channels[65];       // '0'/'1' per channel: channels the event triggers
    uint8_t pad0[3];
    int32_t tri_alarms;  // recorder alarm outputs, bit mask
    int32_t interval;    // seconds
    int32_t email_interval;
    char tri_chn_alarms[2][65];  // string k: cameras whose alarm output k is driven
    uint8_t pad1[2];
    int32_t reserved;
    int32_t ptz_interval;
    int32_t alarmout_interval;
    int32_t white_interval;
    int32_t email_pic_enable;
    char tri_channels_pic[65];  // channels whose snapshot the e-mail carries
    uint8_t pad2[3];
    int32_t audio_id;  // alarm sound slot 0..9
};
static_assert(sizeof(event_action_record) == 316);
static_assert(offsetof(event_action_record, chnid) == 0);
static_assert(offsetof(event_action_record, enable) == 4);
static_assert(offsetof(event_action_record, tri_channels_mask) == 8);
static_assert(offsetof(event_action_record, tri_channels) == 12);
static_assert(offsetof(event_action_record, tri_alarms) == 80);
static_assert(offsetof(event_action_record, interval) == 84);
static_assert(offsetof(event_action_record, email_interval) == 88);
static_assert(offsetof(event_action_record, tri_chn_alarms) == 92);
static_assert(offsetof(event_action_record, reserved) == 224);
static_assert(offsetof(event_action_record, ptz_interval) == 228);
static_assert(offsetof(event_action_record, alarmout_interval) == 232);
static_assert(offsetof(event_action_record, white_interval) == 236);
static_assert(offsetof(event_action_record, email_pic_enable) == 240);
static_assert(offsetof(event_action_record, tri_channels_pic) == 244);
static_assert(offsetof(event_action_record, audio_id) == 312);

inline constexpr int smart_event_channels = 64;

// "smart_event0".."smart_event8": 64 rows each, key chnid.
extern const tqdb_table tqdb_tbl_smart_event[smart_event_types];

// The table of an event type, null outside 0..8.
inline const tqdb_table* smart_event_table(int event) {
    return smart_event_ok(event) ? &tqdb_tbl_smart_event[event] : nullptr;
}

// The record of (chn, event); 0 when it was read, non-zero (rec untouched)
// when none is stored or the event type is outside 0..8.
inline int read_smart_event(const char* path, event_action_record* rec, int chn, int event) {
    const tqdb_table* t = smart_event_table(event);
    return t ? tqdb_read(path, *t, rec, chn) : -1;
}
// Writes the row of rec->chnid in the table of event.
inline int write_smart_event(const char* path, const event_action_record* rec, int event) {
    const tqdb_table* t = smart_event_table(event);
    return t ? tqdb_write(path, *t, rec) : -1;
}
inline int delete_smart_event(const char* path, int chn, int event) {
    const tqdb_table* t = smart_event_table(event);
    return t ? tqdb_delete(path, *t, chn) : -1;
}
// The edit of one record (tqdb_edit_as): fn(event_action_record&).
template <typename Fn>
int edit_smart_event(const char* path, int chn, int event, Fn&& fn) {
    const tqdb_table* t = smart_event_table(event);
    return t ? tqdb_edit_as<event_action_record>(path, *t, chn, static_cast<Fn&&>(fn)) : -1;
}
