// The event action model: what the recorder does when an event fires
// (triggered channels, alarm outputs, camera alarm outputs, e-mail with
// pictures, PTZ actions, audible alarm, white light, with their intervals) and
// when each action is allowed (week schedules).
//
// Every event source (motion, video loss, alarm inputs, smart events, plates,
// people counting, POS, face capture) keeps the same kinds of setting in
// stores of its own. An event_source describes those stores as data: its
// record (how to read and write it, which JSON member is which field), its
// schedule stores, its white-light names, its PTZ kind and its notice. The
// JSON forms are built here, in one place, from that description:
//
// - event_action_apply: the action-setting object, a partial update (each
//   member present is applied, each absent one leaves the stored value);
// - event_action_json: a read reply, members in the order the caller lists;
// - event_action_copy: the source's schedules and lists copied to channels;
#pragma once

#include <json-c/json.h>

#include <cstddef>
#include <cstdint>
#include <span>

#include "modules/common/field_map.h"

// The schedules an event source may keep, by their JSON member names.
enum event_schedule_kind {
    EVENT_SCHED_EFFECTIVE,  // "effective": when the event is armed
    EVENT_SCHED_AUDIBLE,    // "audible"
    EVENT_SCHED_EMAIL,      // "email"
    EVENT_SCHED_PTZ,        // "ptz"
    EVENT_SCHED_WHITE,      // "white": the white-light schedule of a source
                            // without a white-LED schedule name
    EVENT_SCHED_KINDS
};

struct event_source {
    const char* name;  // for the debug log
    // The record of (channel, sub): its size, a read that fills rec (0 when
    // a stored record was read) and a write that stores rec under that key
    // (the write sets the record's key fields itself).
    size_t record_size;
    int (*read)(int channel, int sub, void* rec);
    int (*write)(int channel, int sub, void* rec);
    // The record's members (field_map.h); rows flagged FM_ACTION are the
    // ones an action-setting object may change.
    std::span<const field> fields;
    // Schedule stores (sched_store.h), keyed (channel, sub); null: none.
    const char* schedules[EVENT_SCHED_KINDS];
    const char* white_schedule;  // white-LED schedule name, keyed {channel, name}
    const char* white_list;      // white-LED target-list name; null: none
    int ptz_kind;                // PTZ action kind; -1: none
    int notice_id;               // sent with the channel after an action
                                 // object; 0: none
    // Called when an action object changed a record field, before the write.
    void (*on_change)(void* rec);
};

// One event of a source: the channel and the sub-index (event, input, ...).
struct event_ref {
    const event_source& src;
    int channel;
    int sub = 0;
};

// ---- records ----------------------------------------------------------------

// Fills rec (src.record_size bytes) with the stored record, zeros when there
// is none. True when a stored record was read.
bool event_record_read(const event_ref& ev, void* rec);
int event_record_write(const event_ref& ev, void* rec);

// Reads the record of ev, applies the members of obj that fields names, and
// writes it back when one was present (held under the CGI lock, so that two
// pages saving the same record at once do not lose each other's fields).
// True when the record was written.
bool event_record_update(const event_ref& ev, json_object* obj, std::span<const field> fields);

// ---- the action-setting object -----------------------------------------------

enum class action_form {
    flat,    // the page's own body (no PTZ list)
    dialog,  // the "dialog" member of a save-and-copy page: also "ptzChnId",
             // "ptzType", "ptzParams"
};

// Applies an action-setting object to the event's stores, in this order:
// the schedules present, the white-light schedule, the white-light list, the
// record fields flagged action (the record is read first and written only
// when a field, or in the dialog form a PTZ list, was applied), then the
// source's notice. obj may be null (nothing applied, the notice still sent).
// True when the record was written.
bool event_action_apply(const event_ref& ev, json_object* obj, action_form form);

// Copies the source's schedules, white-light schedule, white-light list and
// PTZ list of ev to every channel of mask (same sub-index). The record is the
// caller's: what a copy carries differs per source.
void event_action_copy(const event_ref& ev, uint64_t mask);

// ---- read replies -------------------------------------------------------------

// Adds to out, in the order of keys, the members of the event: a key naming
// a field of the source gives that field of rec; "effective", "audible",
// "email", "ptz", "white" give the schedules; "whiteInfo" the white-light
// list; "audioIdMask" the mask of the alarm sound slots in use; "ptzParams"
// the PTZ list. Keys the source does not have are left out.
void event_action_json(json_object* out, const event_ref& ev, const void* rec,
                       std::span<const char* const> keys);

// ---- notices ------------------------------------------------------------------

// Sends a notice (no wait) with a channel (4 bytes) or a mask (8 bytes).
void event_notify(int msg_id, int32_t channel);
void event_notify_mask(int msg_id, uint64_t mask);
