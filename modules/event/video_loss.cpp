// Video loss: the basic page of a channel, the full action page with its
// copy to other channels, and the batch pages that set many channels at once.
#include <cstring>

#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/common/sched_json.h"
#include "modules/event/event.h"
#include "platform/msg_event.h"
#include "platform/tqdb/rec_event.h"

namespace {

using vr = video_lost_record;

constexpr int32_t int_max = INT32_MAX;

// "/6014" answers these members, "/6016" takes them but the channel.
const field basic_fields[] = {
    FM_INT(vr, "camId", cam_id).out_only(),
    FM_INT(vr, "enable", enable).range(0, 2),
    FM_INT(vr, "triAlarms", tri_alarms).range(0, int_max),
    FM_INT(vr, "interval", interval).range(0, int_max),
};
const field enable_field[] = {FM_INT(vr, "enable", enable)};  // "/6017"
const field batch_fields[] = {
    FM_INT(vr, "enable", enable),
    FM_INT(vr, "interval", interval),
};

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

constexpr int oplog_video_loss = 908;

}  // namespace

const record_page vloss_page = {
    .table = tqdb_tbl_video_loss,
    .fields = basic_fields,
    .key_member = "camId",
    .notice_id = msg_videoloss_changed,
    .oplog_sub = 204,
    .oplog_param = oplog_video_loss,
};

const schedule_page vloss_schedule_page = {SCHED_VIDEOLOSS_BASIC, channel_limit, msg_videoloss_changed,
                                           &video_loss_source, enable_field};
const schedule_page vloss_audible_page = {SCHED_VIDEOLOSS_AUDIBLE};
const schedule_page vloss_email_page = {SCHED_VIDEOLOSS_EMAIL};
const schedule_page vloss_ptz_page = {SCHED_VIDEOLOSS_PTZ};

const batch_page vloss_audible_batch = {tqdb_tbl_video_loss, event_channels, batch_fields,
                                        SCHED_VIDEOLOSS_AUDIBLE, msg_videoloss_mask_changed};
const batch_page vloss_email_batch = {tqdb_tbl_video_loss, event_channels, batch_fields,
                                      SCHED_VIDEOLOSS_EMAIL, msg_videoloss_mask_changed};

const ptz_copy_page vloss_ptz_copy = {2, event_channels, SCHED_VIDEOLOSS_PTZ, msg_videoloss_mask_changed};

void vloss_actions_get(request& rq) { event_page_get(rq, video_loss_source, "chnid", actions_reply_keys); }

void vloss_copy_set(request& rq) {
    int chn;
    if (!req_channel(rq.json, "chnid", &chn)) return rq.refuse("chnid");
    event_ref ev{video_loss_source, chn};
    json_object* dialog = req_member(rq.json, "dialog");
    if (!json_object_is_type(dialog, json_type_object)) dialog = nullptr;
    // The copies: every listed channel but the source itself.
    const uint64_t own = uint64_t{1} << chn;
    uint64_t mask = channel_mask_from_json(rq.json, "copyChn", "copyCnt") & ~own;
    int rc = event_store([&] {
        if (event_action_store(ev, dialog, action_form::dialog) != 0) return -1;
        if (!mask) return 0;
        video_lost_record rec;
        event_record_read(ev, &rec);
        if (copy_video_losts(TQDB_FILE, &rec, mask) != 0) return -1;
        return event_action_copy(ev, mask);
    });
    if (rc != 0) return rq.fail();
    event_action_notice(ev);
    event_notify_mask(msg_videoloss_mask_changed, mask | own);
    cgi_reply(REPLY_TEXT, "OK");
}

void vloss_alarms_batch(request& rq) {
    uint64_t mask = channel_mask_from_json(rq.json, "chnid", "cnt");
    int tri_alarms;
    if (req_int(rq.json, "triAlarms", &tri_alarms) && mask &&
        copy_table_column_int(TQDB_FILE, "video_loss", "tri_alarms", tri_alarms, mask, "id") != 0)
        return rq.fail();
    event_notify_mask(msg_videoloss_mask_changed, mask);
    cgi_reply(REPLY_TEXT, "OK");
}
