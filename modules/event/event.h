// The events module (OnVideo): motion detection, video loss, the alarm-input
// batch pages, the PTZ action lists of events, and the writers of the core
// daemon's answers to them.
//
// event_table.cpp holds the module's one request table, event_reply.cpp its
// one reply callback, event_sources.cpp the event sources of the action
// model (modules/common/event_action.h). Handlers live in one file per topic.
#pragma once

#include <json-c/json.h>

#include <cstdint>
#include <initializer_list>
#include <span>

#include "front/dispatchreq.h"
#include "modules/common/channels.h"
#include "modules/common/event_action.h"
#include "platform/tqdb/rec_schedule.h"
#include "platform/tqdb/tqdb.h"

// ---- reply callback (event_reply.cpp) ---------------------------------------

// The module's callback for every message it sends: finds the writer of the
// answer's identifier; answers without payload or of unknown identifiers are
// ignored.
void event_reply(void* ctx, const void* header, const void* payload);

// A reply writer: the answer's payload (never null) and its size in bytes.
typedef void (*event_writer)(const void* payload, uint32_t size);

// ---- event sources (event_sources.cpp) ------------------------------------------

extern const event_source motion_source;      // PTZ kind 1, notice 1403
extern const event_source video_loss_source;  // PTZ kind 2, no notice of its own

// ---- shared request helpers (event_common.cpp) ---------------------------------

// An integer member and its range; an absent member passes unless required.
struct int_rule {
    const char* key;
    int min;
    int max;
    bool required;
};
bool ints_ok(json_object* req, std::initializer_list<int_rule> rules);
// The full read of an event's settings: {"chnid"} answered with the members
// keys lists; not JSON or chnid missing or outside 0..63: the JSON error.
void reply_event(const char* text, const event_source& src, std::span<const char* const> keys);
// Channels are 0..63; alarm inputs, the owners of some pages, 0..15.
inline constexpr int input_limit = 16;

// Answers the stored schedule of a channel text as its JSON form; no reply
// for a channel outside 0..limit-1.
void reply_schedule(const char* text, int (*read)(const char*, week_schedule*, int), int limit = 64);
// The schedule setters of the basic pages: {"camId", "schedule", ...}. The
// schedule (when it parses) is written for the channel, the members that
// fields names go to the channel's record of src (when given), then the
// notice with the channel and "OK". camId missing or outside 0..limit-1:
// "CGI ERROR"; not JSON: no reply.
struct schedule_page {
    int (*write)(const char*, const week_schedule*, int);
    int notice_id;
    int limit = 64;
    const event_source* src = nullptr;
    std::span<const field> fields = {};
};
void set_schedule(const char* text, const schedule_page& page);
// The PTZ copy pages: {"camId", "schedule", "cnt", "chnid"}: the PTZ list of
// kind of "camId" and the request's schedule (copy_sched) go to the listed
// owners below limit, then the notice with their mask. camId missing or out
// of range: "CGI ERROR"; not JSON: no reply.
void ptz_copy_page(const char* text, int kind, int limit,
                   int (*copy_sched)(const char*, const week_schedule*, uint64_t), int notice_id);
// The batch pages: applies fields of req to the stored record of every key
// in mask of table t (an int-keyed table of capacity rows, one per key) and
// writes the records that changed, in one transaction.
void batch_apply(const tqdb_table& t, int capacity, json_object* req, std::span<const field> fields,
                 uint64_t mask);
// Sends the operation log entry of a changed event setting (3485), channel
// number chn + 1.
void event_oplog(int parameter_type, int chn);
// Sends the entry that the core daemon logs for each channel of mask (3509).
void event_oplog_mask(int parameter_type, uint64_t mask);

// ---- motion (motion.cpp) -----------------------------------------------------------

void motion_get(request& rq);            // "/6010" motion settings with all actions
void motion_audible_get(request& rq);    // "/6011"
void motion_basic_set(request& rq);      // "/6012" basic motion settings
void motion_schedule_set(request& rq);   // "/6013" older motion schedule
void motion_area_get(request& rq);       // "/6098" motion area of the camera
void motion_copy_set(request& rq);       // "/6112" save and copy
void motion_plan_set(request& rq);       // "/6113" basic settings and schedule
void motion_targets_set(request& rq);    // "/6114" basic settings
void motion_actions_set(request& rq);    // "/6117" the actions
void motion_email_set(request& rq);      // "/6118" e-mail action
void motion_target_set(request& rq);     // "/6119" one target field
void motion_email_get(request& rq);      // "/6120"
void motion_effective_set(request& rq);  // "/6152"
void motion_effective_get(request& rq);  // "/6153"
void motion_ptz_sched_get(request& rq);  // "/6158"
void motion_ptz_sched_set(request& rq);  // "/6159"

void write_motion_area(const void* payload, uint32_t size);  // answer 8206

// ---- video loss (video_loss.cpp) ---------------------------------------------------

void vloss_get(request& rq);            // "/6014"
void vloss_audible_get(request& rq);    // "/6015"
void vloss_set(request& rq);            // "/6016"
void vloss_schedule_set(request& rq);   // "/6017"
void vloss_actions_get(request& rq);    // "/6094"
void vloss_copy_set(request& rq);       // "/6095"
void vloss_audible_batch(request& rq);  // "/6121"
void vloss_email_batch(request& rq);    // "/6122"
void vloss_alarms_batch(request& rq);   // "/6123"
void vloss_email_get(request& rq);      // "/6124"
void vloss_ptz_copy(request& rq);       // "/6165"
void vloss_ptz_sched_get(request& rq);  // "/6166"

// ---- alarm inputs (alarm_in.cpp) ----------------------------------------------------

void alarmin_audible_batch(request& rq);  // "/6125"
void alarmin_email_batch(request& rq);    // "/6126"
void alarmin_targets_batch(request& rq);  // "/6127"
void alarmin_email_get(request& rq);      // "/6128"
void alarmin_audible_get(request& rq);    // "/6129"
void alarmin_ptz_copy(request& rq);       // "/6167"
void alarmin_ptz_sched_get(request& rq);  // "/6168"
void alarmin_effective_get(request& rq);  // "/6169"
void alarmin_effective_set(request& rq);  // "/6170"

// ---- PTZ action lists (ptz_actions.cpp) -------------------------------------------

void ptz_action_add(request& rq);          // "/6160"
void ptz_action_list(request& rq);         // "/6161"
void ptz_action_delete(request& rq);       // "/6162"
void ptz_action_update(request& rq);       // "/6163"
void ptz_action_delete_many(request& rq);  // "/6164"
