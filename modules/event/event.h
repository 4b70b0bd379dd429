// The events module (OnVideo): motion detection, video loss, the alarm-input
// batch pages, the PTZ action lists of events, and the writers of the core
// daemon's answers to them.
//
// event_table.cpp holds the module's request table and its reply table,
// event_sources.cpp the event sources of the action model
// (modules/common/event_action.h). Handlers live in one file per topic; the
// pages that differ only in their stores are data (schedule_page,
// batch_page, ptz_copy_page, record_page) served by one handler each.
#pragma once

#include <json-c/json.h>

#include <cstdint>
#include <span>

#include "front/core_link.h"
#include "front/dispatchreq.h"
#include "modules/common/channels.h"
#include "modules/common/event_action.h"
#include "modules/common/record_page.h"
#include "platform/tqdb/tqdb.h"

// The module's callback for the answers of the core daemon (event_table.cpp).
void event_reply(void* ctx, const void* header, const void* payload);

// ---- event sources (event_sources.cpp) ------------------------------------------

extern const event_source motion_source;      // PTZ kind 1, notice 1403
extern const event_source video_loss_source;  // PTZ kind 2, no notice of its own

// Alarm inputs, the owners of some pages, are 0..15.
inline constexpr int input_limit = 16;

// ---- pages as data (event_common.cpp) ---------------------------------------------

// A schedule of a channel (or input) in a schedule store. The getter answers
// the stored schedule of a bare channel text, the schedule JSON; a channel
// outside 0..limit-1 is refused. The setter takes {"camId", "schedule", ...}:
// the schedule (when it parses) and the members that fields names (to the
// channel's record of src, when given) are stored in one transaction, then
// the notice with the channel and "OK"; "camId" missing or out of range:
// "CGI ERROR".
struct schedule_page {
    const char* store;
    int limit = channel_limit;
    int notice_id = 0;
    const event_source* src = nullptr;
    std::span<const field> fields = {};
};
void schedule_page_get(request& rq, const schedule_page& page);
void schedule_page_set(request& rq, const schedule_page& page);
template <const schedule_page& Page>
void schedule_get(request& rq) {
    schedule_page_get(rq, Page);
}
template <const schedule_page& Page>
void schedule_set(request& rq) {
    schedule_page_set(rq, Page);
}

// The batch pages: {"schedule", "cnt", "chnid": [...], members}: the members
// that fields names go to the record of every listed key below keys (only
// the records that change are written), the schedule (when it parses) is
// copied to them, then the notice with their mask and "OK".
struct batch_page {
    const tqdb_table& table;
    int keys;
    std::span<const field> fields;
    const char* schedule;
    int notice_id;
};
void batch_page_set(request& rq, const batch_page& page);
template <const batch_page& Page>
void batch_set(request& rq) {
    batch_page_set(rq, Page);
}

// The PTZ copy pages: {"camId", "schedule", "cnt", "chnid"}: the PTZ list of
// kind of "camId" and the request's schedule go to the listed owners below
// limit, then the notice with their mask and "OK". "camId" missing or out of
// range: "CGI ERROR".
struct ptz_copy_page {
    int kind;
    int limit;
    const char* schedule;
    int notice_id;
};
void ptz_copy_page_set(request& rq, const ptz_copy_page& page);
template <const ptz_copy_page& Page>
void ptz_copy(request& rq) {
    ptz_copy_page_set(rq, Page);
}

// Applies fields of req to the record of every key of mask below keys in
// table t (an int-keyed table), writing the records that changed. Joins the
// caller's transaction; 0 when stored.
int batch_apply(const tqdb_table& t, int keys, json_object* req, std::span<const field> fields,
                uint64_t mask);
// Sends the operation log entry of a changed event setting (3485), channel
// number chn + 1.
void event_oplog(int parameter_type, int chn);

// ---- motion (motion.cpp) -----------------------------------------------------------

extern const record_page motion_basic_page;        // "/6012" basic motion settings
extern const schedule_page motion_audible_page;    // "/6011"
extern const schedule_page motion_email_page;      // "/6118" e-mail action, "/6120"
extern const schedule_page motion_old_page;        // "/6013" older motion schedule
extern const schedule_page motion_effective_page;  // "/6152", "/6153"
extern const schedule_page motion_ptz_page;        // "/6158", "/6159"

void motion_get(request& rq);          // "/6010" motion settings with all actions
void motion_area_get(request& rq);     // "/6098" motion area of the camera
void motion_copy_set(request& rq);     // "/6112" save and copy
void motion_plan_set(request& rq);     // "/6113" basic settings and schedule
void motion_targets_set(request& rq);  // "/6114" basic settings
void motion_actions_set(request& rq);  // "/6117" the actions
void motion_target_set(request& rq);   // "/6119" one target field

int write_motion_area(const core_answer& answer);  // answer 8206

// ---- video loss (video_loss.cpp) ---------------------------------------------------

extern const record_page vloss_page;             // "/6014", "/6016"
extern const schedule_page vloss_schedule_page;  // "/6017"
extern const schedule_page vloss_audible_page;   // "/6015"
extern const schedule_page vloss_email_page;     // "/6124"
extern const schedule_page vloss_ptz_page;       // "/6166"
extern const batch_page vloss_audible_batch;     // "/6121"
extern const batch_page vloss_email_batch;       // "/6122"
extern const ptz_copy_page vloss_ptz_copy;       // "/6165"

void vloss_actions_get(request& rq);   // "/6094"
void vloss_copy_set(request& rq);      // "/6095"
void vloss_alarms_batch(request& rq);  // "/6123"

// ---- alarm inputs (alarm_in.cpp) ----------------------------------------------------

extern const batch_page alarmin_audible_batch;      // "/6125"
extern const batch_page alarmin_email_batch;        // "/6126"
extern const schedule_page alarmin_email_page;      // "/6128"
extern const schedule_page alarmin_audible_page;    // "/6129"
extern const schedule_page alarmin_ptz_page;        // "/6168"
extern const schedule_page alarmin_effective_page;  // "/6169", "/6170"
extern const ptz_copy_page alarmin_ptz_copy;        // "/6167"

void alarmin_targets_batch(request& rq);  // "/6127"

// ---- PTZ action lists (ptz_actions.cpp) -------------------------------------------

void ptz_action_add(request& rq);          // "/6160"
void ptz_action_list(request& rq);         // "/6161"
void ptz_action_delete(request& rq);       // "/6162"
void ptz_action_update(request& rq);       // "/6163"
void ptz_action_delete_many(request& rq);  // "/6164"
