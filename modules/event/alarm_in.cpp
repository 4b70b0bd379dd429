// The recorder's alarm inputs as event sources: the batch pages that set
// many inputs at once, and the inputs' schedules. Inputs are 0..15; listed
// numbers beyond them are skipped.
#include <cstring>

#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/common/event_action.h"
#include "modules/common/sched_json.h"
#include "modules/event/event.h"
#include "platform/msg_event.h"
#include "platform/tqdb/rec_action.h"
#include "platform/tqdb/rec_alarm.h"
#include "platform/tqdb/tqdb.h"

namespace {

using ar = alarm_in_record;

constexpr int ptz_kind_alarm_in = 0;
// The trigger page logs its change like the motion settings.
constexpr int oplog_targets = 909;

const field audible_fields[] = {
    // "/6125"
    FM_INT(ar, "enable", enable),
    FM_INT(ar, "interval", interval),
};
const field email_fields[] = {
    // "/6126": the input's e-mail fields
    FM_INT(ar, "enable", email_mode),
    FM_INT(ar, "interval", email_interval),
    FM_TEXT(ar, "triSnapshot", tri_snapshot),
};
const field channels_field[] = {
    FM_CHANNELS(ar, "triChannels", tri_channels, tri_channels_mask).action()};  // "/6127" type 0
const field alarms_field[] = {FM_INT(ar, "triAlarms", tri_alarms)};             // other types

// Sets fields of every listed input and copies the request's schedule to
// them with copy; 1415 with the inputs' mask.
void batch_set(const char* text, std::span<const field> fields,
               int (*copy)(const char*, const week_schedule*, uint64_t)) {
    json_ref req = json_parse_object(text);
    if (!req) return;
    uint64_t mask = listed_mask(req.get(), "chnid", "cnt", input_limit);
    week_schedule sched;
    if (mask && schedule_from_json(req.get(), "schedule", &sched) == 0) copy(TQDB_FILE, &sched, mask);
    batch_apply(tqdb_tbl_alarm_in, alarm_in_count, req.get(), fields, mask);
    event_notify_mask(MSG_ALARMIN_MASK_CHANGED, mask);
    cgi_reply(REPLY_TEXT, "OK");
}

}  // namespace

void alarmin_audible_batch(request& rq) {
    char* text = rq.text;
    batch_set(text, audible_fields, copy_alarmin_audible_schedules);
}
void alarmin_email_batch(request& rq) {
    char* text = rq.text;
    batch_set(text, email_fields, copy_alarmin_email_schedules);
}

void alarmin_targets_batch(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    if (!req) return;
    int input;
    if (!req_channel(req.get(), "camId", &input, input_limit)) {
        cgi_reply_error(REPLY_TEXT);
        return;
    }
    uint64_t mask = listed_mask(req.get(), "chnid", "cnt", input_limit);
    if (mask) {
        // The listed inputs take the effective schedule of "camId" as stored.
        week_schedule sched;
        std::memset(&sched, 0, sizeof sched);
        read_alarmin_effective_schedule(TQDB_FILE, &sched, input);
        copy_alarmin_effective_schedules(TQDB_FILE, &sched, mask);
    }
    if (req_int_or(req, "type", 0) == 0)
        batch_apply(tqdb_tbl_alarm_in, alarm_in_count, req.get(), channels_field, mask);
    else
        batch_apply(tqdb_tbl_alarm_in, alarm_in_count, req.get(), alarms_field, mask);
    event_notify_mask(MSG_ALARMIN_MASK_CHANGED, mask);

    event_oplog_mask(oplog_targets, mask);
    cgi_reply(REPLY_TEXT, "OK");
}

void alarmin_ptz_copy(request& rq) {
    char* text = rq.text;
    ptz_copy_page(text, ptz_kind_alarm_in, input_limit, copy_alarmin_ptz_schedules, MSG_ALARMIN_MASK_CHANGED);
}

void alarmin_email_get(request& rq) {
    char* text = rq.text;
    reply_schedule(text, read_alarmin_email_schedule, input_limit);
}
void alarmin_audible_get(request& rq) {
    char* text = rq.text;
    reply_schedule(text, read_alarmin_audible_schedule, input_limit);
}
void alarmin_ptz_sched_get(request& rq) {
    char* text = rq.text;
    reply_schedule(text, read_alarmin_ptz_schedule, input_limit);
}
void alarmin_effective_get(request& rq) {
    char* text = rq.text;
    reply_schedule(text, read_alarmin_effective_schedule, input_limit);
}
void alarmin_effective_set(request& rq) {
    char* text = rq.text;
    set_schedule(text, {write_alarmin_effective_schedule, MSG_ALARMIN_CHANGED, input_limit});
}
