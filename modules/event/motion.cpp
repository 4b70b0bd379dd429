// Motion detection: the settings pages of a channel's motion event, its
// schedules, the copy of a channel's settings to others, and the motion area
// that the camera holds.
//
// Every record change edits the stored record and changes only the members
// the request gives, so the fields that other pages own (e-mail, alarm
// outputs, PTZ and white-light intervals, ...) survive every save.
#include <cstring>

#include "front/core_link.h"
#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/common/sched_json.h"
#include "modules/event/event.h"
#include "platform/msg_event.h"
#include "platform/tqdb/rec_event.h"

namespace {

using mr = motion_record;

// The members of "/6010", in reply order.
const char* const motion_reply_keys[] = {
    "chnid",
    "enable",
    "sensitivity",
    "triChannels",
    "triAlarms",
    "interval",
    "enableMS",
    "motionTable",
    "email_enable",
    "email_interval",
    "email_pic_enable",
    "tri_channels_pic",
    "ptz_interval",
    "alarmout_interval",
    "effective",
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

constexpr int32_t int_max = INT32_MAX;

// What each basic page takes into the record, with the checks of "/6012".
const field basic_fields[] = {
    FM_INT(mr, "enable", enable).range(0, 2).required(),
    FM_INT(mr, "sensitivity", sensitivity).range(0, int_max).required(),
    FM_CHANNELS(mr, "triChannels", tri_channels, tri_channels_mask).required(),
    FM_INT(mr, "triAlarms", tri_alarms).range(0, int_max),
    FM_INT(mr, "interval", interval).range(0, int_max),
    FM_TEXT(mr, "motionTable", motion_table).required(),
    FM_INT(mr, "enableMS", enable_ms).required(),
};
const field plan_fields[] = {
    // "/6113"
    FM_INT(mr, "sensitivity", sensitivity), FM_INT(mr, "enableMS", enable_ms), FM_INT(mr, "enable", enable),
    FM_INT(mr, "triAlarms", tri_alarms),    FM_INT(mr, "interval", interval),
};
const field target_fields[] = {
    // "/6114"
    FM_INT(mr, "sensitivity", sensitivity), FM_CHANNELS(mr, "triChannels", tri_channels, tri_channels_mask),
    FM_INT(mr, "triAlarms", tri_alarms),    FM_INT(mr, "interval", interval),
    FM_INT(mr, "enableMS", enable_ms),
};
const field email_fields[] = {
    // "/6118": the page's own names
    FM_INT(mr, "enable", email_enable),
    FM_INT(mr, "interval", email_interval),
};
// "/6119": the one target field of each type.
const field channels_field[] = {FM_CHANNELS(mr, "triChannels", tri_channels, tri_channels_mask)};  // type 1
const field alarms_field[] = {FM_INT(mr, "triAlarms", tri_alarms)};                                // type 2

// The camera's motion area (answer 8206), in reply order.
using ma = motion_area_record;
const field area_fields[] = {
    FM_TEXT(ma, "map", map),
    FM_INT(ma, "sensitivity", sensitivity),
    FM_INT(ma, "result", result),
    FM_INT(ma, "enable", enable),
    FM_INT(ma, "modelType", model_type),
    FM_INT(ma, "fishdisplay", fishdisplay),
    FM_INT(ma, "fishtransfer", fishtransfer),
    FM_INT(ma, "fishinstall", fishinstall),
};

constexpr int oplog_motion = 909;

void reply_ok() { cgi_reply(REPLY_TEXT, "OK"); }

// An all-day detection schedule: days 0..6, each enabled with four periods
// of 00:00 to 24:00.
motion_detect_schedule all_day_schedule(int32_t chn) {
    motion_detect_schedule s;
    std::memset(&s, 0, sizeof s);
    s.channel = chn;
    for (int d = 0; d < 7; ++d) {
        s.days[d].day = d;
        s.days[d].flag = 1;
        for (motion_period& p : s.days[d].periods) p = {0, 0, 24, 0};
    }
    return s;
}

// Tells the camera whether it gets the all-day detection schedule (3212),
// and sends that schedule (3209) when it does.
void send_detect_schedule(int chn, int enable_ms) {
    motion_schedule_mode mode;
    std::memset(&mode, 0, sizeof mode);
    mode.channel = chn;
    mode.flag = enable_ms == 1;
    core_notify(event_reply, msg_motion_schedule_mode, sizeof mode, &mode);
    if (enable_ms == 1) {
        motion_detect_schedule sched = all_day_schedule(chn);
        core_notify(event_reply, msg_motion_schedule_set, sizeof sched, &sched);
    }
}

// The request's channel for the basic pages that check it against the rows
// stored: "camId" below the row count of the motion table.
bool stored_channel(json_object* req, int* chn) {
    return req_channel(req, "camId", chn) && *chn < tqdb_count(TQDB_FILE, tqdb_tbl_motion);
}

// Stores the members fields names in the motion record of chn.
int update_motion(int chn, json_object* req, std::span<const field> fields) {
    return event_store([&] { return event_record_update({motion_source, chn}, req, fields); });
}

// After "/6012" stored the record: the notice, the camera's motion area
// (only the map, the sensitivity and the channel travel), its detection
// schedule, the log entry and "OK".
void motion_basic_stored(request&, const void* stored, int chn) {
    const auto& rec = *static_cast<const motion_record*>(stored);
    event_notify(msg_motion_changed, chn);
    motion_area_record area;
    std::memset(&area, 0, sizeof area);
    copy_text(area.map, sizeof area.map, rec.motion_table);
    area.sensitivity = rec.sensitivity;
    area.channel = chn;
    core_notify(event_reply, msg_motion_area_set, sizeof area, &area);
    send_detect_schedule(chn, rec.enable_ms);
    event_oplog(oplog_motion, chn);
    reply_ok();
}

}  // namespace

const record_page motion_basic_page = {
    .table = tqdb_tbl_motion,
    .fields = basic_fields,
    .key_member = "camId",
    .answer = motion_basic_stored,
};

const schedule_page motion_audible_page = {SCHED_MOTION_AUDIBLE};
const schedule_page motion_email_page = {SCHED_MOTION_EMAIL, channel_limit, msg_motion_changed,
                                         &motion_source, email_fields};
const schedule_page motion_old_page = {SCHED_MOTION_BASIC, channel_limit, msg_motion_changed};
const schedule_page motion_effective_page = {SCHED_MOTION_EFFECTIVE, channel_limit, msg_motion_changed};
const schedule_page motion_ptz_page = {SCHED_MOTION_PTZ, channel_limit, msg_motion_changed};

void motion_get(request& rq) { event_page_get(rq, motion_source, "chnid", motion_reply_keys); }

// ---- basic settings -----------------------------------------------------------------------

void motion_plan_set(request& rq) {
    int chn;
    if (!stored_channel(rq.json, &chn)) return rq.refuse("camId");
    week_schedule sched;
    bool given = schedule_from_json(rq.json, "schedule", &sched) == 0;
    motion_record rec;
    int rc = event_store([&] {
        if (event_record_update({motion_source, chn}, rq.json, plan_fields) != 0) return -1;
        if (given && write_motion_schedule(TQDB_FILE, &sched, chn) != 0) return -1;
        event_record_read({motion_source, chn}, &rec);
        return 0;
    });
    if (rc != 0) return rq.fail();
    event_notify(msg_motion_changed, chn);
    event_notify(msg_motion_changed, chn);
    send_detect_schedule(chn, rec.enable_ms);
    reply_ok();
}

void motion_targets_set(request& rq) {
    int chn;
    if (!stored_channel(rq.json, &chn)) return rq.refuse("camId");
    if (update_motion(chn, rq.json, target_fields) != 0) return rq.fail();
    event_notify(msg_motion_changed, chn);
    oplog_send(204, oplog_motion);
    reply_ok();
}

void motion_target_set(request& rq) {
    int chn;
    if (!req_channel(rq.json, "camId", &chn)) return rq.fail();
    int type = req_int_or(rq.json, "type", 0);
    if (type == 1 || type == 2) {
        if (update_motion(chn, rq.json, type == 1 ? channels_field : alarms_field) != 0) return rq.fail();
    }
    event_notify(msg_motion_changed, chn);
    event_oplog(oplog_motion, chn);
    reply_ok();
}

// ---- actions ---------------------------------------------------------------------------------

void motion_actions_set(request& rq) {
    int chn;
    if (!req_channel(rq.json, "chnid", &chn)) return rq.refuse("chnid");
    if (event_action_apply({motion_source, chn}, rq.json, action_form::flat) != 0) return rq.fail();
    reply_ok();
}

void motion_copy_set(request& rq) {
    json_object* req = rq.json;
    int chn;
    if (!req_channel(req, "chnid", &chn)) return rq.refuse("chnid");
    event_ref ev{motion_source, chn};
    json_object* dialog = req_member(req, "dialog");
    if (!json_object_is_type(dialog, json_type_object)) dialog = nullptr;
    uint64_t mask = channel_mask_from_json(req, "copyChn", "copyCnt");

    // The dialog, then the source's record with the camera settings of the
    // page (a member left out keeps the stored one) copied with its lists.
    motion_record rec;
    int rc = event_store([&] {
        if (event_action_store(ev, dialog, action_form::dialog) != 0) return -1;
        event_record_read(ev, &rec);
        rec.sensitivity = req_int_or(req, "sensitivity", rec.sensitivity);
        rec.enable_ms = req_int_or(req, "enableMS", rec.enable_ms);
        if (mask && copy_motions(TQDB_FILE, &rec, mask) != 0) return -1;
        return event_action_copy(ev, mask);
    });
    if (rc != 0) return rq.fail();

    motion_area_copy area;
    std::memset(&area, 0, sizeof area);
    if (req_member(req, "motionTable"))
        req_text(req, "motionTable", area.motion_table, sizeof area.motion_table);
    else
        copy_text(area.motion_table, sizeof area.motion_table, rec.motion_table, sizeof rec.motion_table);
    area.sensitivity = rec.sensitivity;
    area.channel = chn;
    area.enable_ms = rec.enable_ms;
    area.count = mask_channels(mask, area.channels);

    motion_schedule_mode mode;
    std::memset(&mode, 0, sizeof mode);
    mode.channel = chn;
    mode.flag = rec.enable_ms == 1;
    mode.count = mask_channels(mask, mode.channels);

    event_action_notice(ev);
    event_oplog_mask(oplog_motion, mask);
    core_notify(event_reply, msg_motion_area_copy, sizeof area, &area);
    event_notify_mask(msg_motion_copied, mask);
    core_notify(event_reply, msg_motion_schedule_mode, sizeof mode, &mode);
    if (rec.enable_ms == 1) {
        motion_detect_schedule sched = all_day_schedule(0);
        core_notify(event_reply, msg_motion_schedule_copy, sizeof sched, &sched);
    }
    reply_ok();
}

// ---- the camera's motion area ------------------------------------------------------------------

void motion_area_get(request& rq) {
    int32_t chn;
    if (!req_channel(rq.json, "id", &chn)) return rq.refuse("id");
    core_query(event_reply, msg_motion_area, sizeof chn, &chn, REPLY_TEXT);
}

int write_motion_area(const core_answer& answer) {
    const motion_area_record area = answer.rec<motion_area_record>();
    json_ref reply(fields_object(&area, area_fields));
    cgi_reply_json(reply.get());
    return 1;
}
