// Video loss: the basic page of a channel, the full action page with its
// copy to other channels, and the batch pages that set many channels at once.
//
// Records are read before they change, and keyed to the channel asked for.
#include <cstring>

#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/common/event_action.h"
#include "modules/common/sched_json.h"
#include "modules/event/event.h"
#include "platform/msg_event.h"
#include "platform/tqdb/rec_event.h"
#include "platform/tqdb/tqdb.h"

namespace {

using vr = video_lost_record;

const char* const basic_reply_keys[] = {"camId", "enable", "triAlarms", "interval"};  // "/6014"
// "/6094": the members of the motion page that video loss has.
const char* const actions_reply_keys[] = {
    "chnid",
    "enable",
    "triAlarms",
    "interval",
    "email_interval",
    "ptz_interval",
    "alarmout_interval",
    "audible",
    "email",
    "ptz",
    "triChnAlarms",
    "white",
    "whiteInfo",
    "white_interval",
    "audioId",
    "audioIdMask",
    "ptzParams",
};

const field basic_fields[] = {
    // "/6016"
    FM_INT(vr, "enable", enable),
    FM_INT(vr, "triAlarms", tri_alarms),
    FM_INT(vr, "interval", interval),
};
const field enable_field[] = {FM_INT(vr, "enable", enable)};  // "/6017", batches
const field batch_fields[] = {
    FM_INT(vr, "enable", enable),
    FM_INT(vr, "interval", interval),
};

constexpr int oplog_video_loss = 908;

void update_video_loss(int chn, json_object* req, std::span<const field> fields) {
    event_record_update({video_loss_source, chn}, req, fields);
}

// Sets enable and interval of every channel of the request's list and copies
// the request's schedule to them with copy; 1414 with the list.
void batch_set(const char* text, int (*copy)(const char*, const week_schedule*, uint64_t)) {
    json_ref req = json_parse_object(text);
    if (!req) return;
    uint64_t mask = channel_mask_from_json(req.get(), "chnid", "cnt");
    week_schedule sched;
    if (schedule_from_json(req.get(), "schedule", &sched) == 0) copy(TQDB_FILE, &sched, mask);

    batch_apply(tqdb_tbl_video_loss, event_channels, req.get(), batch_fields, mask);
    event_notify_mask(MSG_VIDEOLOSS_MASK_CHANGED, mask);
    cgi_reply(REPLY_TEXT, "OK");
}

}  // namespace

// ---- reads ------------------------------------------------------------------------------

void vloss_get(request& rq) {
    char* text = rq.text;
    int chn = text_channel(text);
    if (chn < 0) return;
    event_ref ev{video_loss_source, chn};
    video_lost_record rec;
    event_record_read(ev, &rec);
    json_ref reply(json_object_new_object());
    event_action_json(reply.get(), ev, &rec, basic_reply_keys);
    cgi_reply_json(reply.get());
}

void vloss_actions_get(request& rq) {
    char* text = rq.text;
    reply_event(text, video_loss_source, actions_reply_keys);
}

void vloss_audible_get(request& rq) {
    char* text = rq.text;
    reply_schedule(text, read_videoloss_audible_schedule);
}
void vloss_email_get(request& rq) {
    char* text = rq.text;
    reply_schedule(text, read_videoloss_email_schedule);
}
void vloss_ptz_sched_get(request& rq) {
    char* text = rq.text;
    reply_schedule(text, read_videoloss_ptz_schedule);
}

// ---- one channel --------------------------------------------------------------------------

void vloss_set(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    int chn;
    if (!req || !req_channel(req.get(), "camId", &chn) ||
        !ints_ok(
            req.get(),
            {{"enable", 0, 2, false}, {"triAlarms", 0, INT32_MAX, false}, {"interval", 0, INT32_MAX, false}}))
        return;
    update_video_loss(chn, req.get(), basic_fields);
    event_notify(MSG_VIDEOLOSS_CHANGED, chn);
    event_oplog(oplog_video_loss, chn);
    cgi_reply(REPLY_TEXT, "OK");
}

void vloss_schedule_set(request& rq) {
    char* text = rq.text;
    set_schedule(text, {write_video_loss_schedule, MSG_VIDEOLOSS_CHANGED, event_channels, &video_loss_source,
                        enable_field});
}

void vloss_copy_set(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    int chn;
    if (!req || !req_channel(req.get(), "chnid", &chn)) {
        cgi_reply_error(REPLY_JSON);
        return;
    }
    event_ref ev{video_loss_source, chn};
    json_object* dialog = req_member(req, "dialog");
    event_action_apply(ev, json_object_is_type(dialog, json_type_object) ? dialog : nullptr,
                       action_form::dialog);

    // The copies: every listed channel but the source itself.
    uint64_t mask = channel_mask_from_json(req.get(), "copyChn", "copyCnt") & ~(uint64_t{1} << chn);
    if (mask) {
        video_lost_record rec;
        event_record_read(ev, &rec);
        copy_video_losts(TQDB_FILE, &rec, mask);
        event_action_copy(ev, mask);
    }
    event_notify_mask(MSG_VIDEOLOSS_MASK_CHANGED, mask | uint64_t{1} << chn);
    cgi_reply(REPLY_TEXT, "OK");
}

// ---- many channels --------------------------------------------------------------------------

void vloss_audible_batch(request& rq) {
    char* text = rq.text;
    batch_set(text, copy_videoloss_audible_schedules);
}
void vloss_email_batch(request& rq) {
    char* text = rq.text;
    batch_set(text, copy_videoloss_email_schedules);
}

void vloss_alarms_batch(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    if (!req) return;
    uint64_t mask = channel_mask_from_json(req.get(), "chnid", "cnt");
    int tri_alarms;
    if (req_int(req, "triAlarms", &tri_alarms) && mask)
        copy_table_column_int(TQDB_FILE, "video_loss", "tri_alarms", tri_alarms, mask, "id");
    event_notify_mask(MSG_VIDEOLOSS_MASK_CHANGED, mask);
    cgi_reply(REPLY_TEXT, "OK");
}

void vloss_ptz_copy(request& rq) {
    char* text = rq.text;
    ptz_copy_page(text, video_loss_source.ptz_kind, event_channels, copy_videoloss_ptz_schedules,
                  MSG_VIDEOLOSS_MASK_CHANGED);
}
