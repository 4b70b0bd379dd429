// The event action model: what the recorder does when an event fires
// (triggered channels, alarm outputs, camera alarm outputs, e-mail with
// pictures, PTZ actions, audible alarm, white light, with their intervals) and
// when each action is allowed (week schedules).
//
// Every event source (motion, video loss, alarm inputs, smart events, plates,
// people counting, POS, face capture) keeps the same kinds of setting in
// stores of its own. An event_source describes those stores as data: its
// record (the table that keeps it, which JSON member is which field), its
// schedule stores, its white-light names, its PTZ kind and its notice. The
// JSON forms are built here, in one place, from that description:
//
// - event_action_apply: the action-setting object, a partial update (each
//   member present is applied, each absent one leaves the stored value);
// - event_action_json: a read reply, members in the order the caller lists;
// - event_action_copy: the source's schedules and lists copied to channels.
//
// A page's change is stored whole or not at all: the store calls here join
// the caller's transaction (event_store), and nothing is told to the core
// daemon before the transaction committed.
#pragma once

#include <json-c/json.h>

#include <cstddef>
#include <cstdint>
#include <span>

#include "front/dispatchreq.h"
#include "front/web_utils.h"
#include "modules/common/channels.h"
#include "modules/common/field_map.h"
#include "platform/tqdb/tqdb.h"

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
    // The record of (channel, sub): the table that keeps it, keyed by the
    // channel (0..channels-1); null when the source keeps none. Where the
    // record also carries the sub-index, sub_at is the offset of that int32.
    const tqdb_table* table;
    int channels = channel_limit;
    int sub_at = -1;
    // The record's members (field_map.h); rows flagged FM_ACTION are the
    // ones an action-setting object may change.
    std::span<const field> fields;
    // Schedule stores (sched_store.h), keyed (channel, sub); null: none.
    const char* schedules[EVENT_SCHED_KINDS] = {};
    const char* white_schedule = nullptr;  // white-LED schedule name, keyed {channel, name}
    const char* white_list = nullptr;      // white-LED target-list name; null: none
                                           // (WHITE_LIST_PEOPLECNT: the groups' own store)
    int ptz_kind = -1;                     // PTZ action kind; -1: none
    int notice_id = 0;                     // sent with the channel after an action object; 0: none
    // Called when an action object changed a record field, before the write.
    void (*on_change)(void* rec) = nullptr;
    // An action object writes the record even when it changed nothing (a
    // source whose readers expect a stored record once a page was saved).
    bool always_write = false;
};

// One event of a source: the channel and the sub-index (event, input, ...).
struct event_ref {
    const event_source& src;
    int channel;
    int sub = 0;
};

// Runs the stores of one page (fn returns 0 when each was stored) in one
// transaction under the CGI lock: the change is stored whole or not at all.
// 0 when it was stored. Not nested: the CGI lock is the process's once.
template <typename Fn>
int event_store(Fn&& fn) {
    cgi_lock_guard lock;
    return tqdb_atomic(TQDB_FILE, static_cast<Fn&&>(fn));
}

// ---- records ----------------------------------------------------------------

// Fills rec (the table's record size) with the stored record of ev, zeros
// with its keys set when there is none. True when a stored record was read.
bool event_record_read(const event_ref& ev, void* rec);

// Applies the members of obj that fields names to the record of ev, in one
// edit; the record is written only when one of them was present. 0 when it
// was stored or there was nothing to store, -1 when the store failed.
int event_record_update(const event_ref& ev, json_object* obj, std::span<const field> fields);

// ---- the action-setting object -----------------------------------------------

enum class action_form {
    flat,    // the page's own body (no PTZ list)
    dialog,  // the "dialog" member of a save-and-copy page: also "ptzChnId",
             // "ptzType", "ptzParams"
    own,     // an action object with "ptzParams", always the event's own PTZ
             // list (pages that name no PTZ kind or channel of their own)
};

// Stores an action-setting object in the event's stores, in this order: the
// schedules present, the white-light schedule, the white-light list, the
// record fields flagged action (the record is written only when a field, or
// in the dialog and own forms a PTZ list, was applied). obj may be null (nothing
// stored). 0 when everything was stored, -1 when a store failed. Joins the
// caller's transaction: run it inside event_store.
int event_action_store(const event_ref& ev, json_object* obj, action_form form);

// event_action_store in a transaction of its own (event_store), then, once
// it was stored, the source's notice (also for a null obj). 0 when stored.
int event_action_apply(const event_ref& ev, json_object* obj, action_form form);

// The source's notice with the event's channel (none when it has none).
void event_action_notice(const event_ref& ev);

// Copies the source's schedules, white-light schedule, white-light list and
// PTZ list of ev to every channel of mask (same sub-index). The record is the
// caller's: what a copy carries differs per source. 0 when every copy was
// stored (or mask is empty), -1 otherwise. Joins the caller's transaction.
int event_action_copy(const event_ref& ev, uint64_t mask);

// ---- read replies -------------------------------------------------------------

// The mask of the alarm sound slots in use (slot i enabled: bit i).
int alarm_audio_file_mask();

// Adds to out, in the order of keys, the members of the event: a key naming
// a field of the source gives that field of rec; "effective", "audible",
// "email", "ptz", "white" give the schedules; "whiteInfo" the white-light
// list; "audioIdMask" the mask of the alarm sound slots in use; "ptzParams"
// the PTZ list. Keys the source does not have are left out.
void event_action_json(json_object* out, const event_ref& ev, const void* rec,
                       std::span<const char* const> keys);

// The read page of an event: {key_member: channel} answered with the members
// keys lists (event_action_json); a channel outside the source's is refused.
void event_page_get(request& rq, const event_source& src, const char* key_member,
                    std::span<const char* const> keys);

// ---- notices ------------------------------------------------------------------

// Sends a notice (no wait) with a channel (4 bytes) or a mask (8 bytes).
void event_notify(int msg_id, int32_t channel);
void event_notify_mask(int msg_id, uint64_t mask);

// The operation-log entry that the core daemon logs once for each channel of
// mask (3509): sub type 204, the parameter type, the channel number when
// chan_no is not negative, then the mask.
void event_oplog_mask(int parameter_type, uint64_t mask, int chan_no = -1);
