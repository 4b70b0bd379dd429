// Motion detection: the settings pages of a channel's motion event, its
// schedules, the copy of a channel's settings to others, and the motion area
// that the camera holds.
//
// Every record change reads the stored record first and changes only the
// members the request gives, so the fields that other pages own (e-mail,
// alarm outputs, PTZ and white-light intervals, ...) survive every save.
#include <cstring>

#include "front/core_link.h"
#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/common/channels.h"
#include "modules/common/event_action.h"
#include "modules/common/sched_json.h"
#include "modules/event/event.h"
#include "platform/msg_event.h"
#include "platform/tqdb/rec_event.h"
#include "platform/tqdb/tqdb.h"

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

// What each basic page takes into the record.
const field basic_fields[] = {
    // "/6012"
    FM_INT(mr, "enable", enable),
    FM_INT(mr, "sensitivity", sensitivity),
    FM_CHANNELS(mr, "triChannels", tri_channels, tri_channels_mask).action(),
    FM_INT(mr, "triAlarms", tri_alarms),
    FM_INT(mr, "interval", interval),
    FM_TEXT(mr, "motionTable", motion_table),
    FM_INT(mr, "enableMS", enable_ms),
};
const field plan_fields[] = {
    // "/6113"
    FM_INT(mr, "sensitivity", sensitivity), FM_INT(mr, "enableMS", enable_ms), FM_INT(mr, "enable", enable),
    FM_INT(mr, "triAlarms", tri_alarms),    FM_INT(mr, "interval", interval),
};
const field target_fields[] = {
    // "/6114"
    FM_INT(mr, "sensitivity", sensitivity),
    FM_CHANNELS(mr, "triChannels", tri_channels, tri_channels_mask).action(),
    FM_INT(mr, "triAlarms", tri_alarms),
    FM_INT(mr, "interval", interval),
    FM_INT(mr, "enableMS", enable_ms),
};
const field email_fields[] = {
    // "/6118": the page's own names
    FM_INT(mr, "enable", email_enable),
    FM_INT(mr, "interval", email_interval),
};
const field channels_field[] = {
    FM_CHANNELS(mr, "triChannels", tri_channels, tri_channels_mask).action()};  // "/6119" type 1
const field alarms_field[] = {FM_INT(mr, "triAlarms", tri_alarms)};             // "/6119" type 2

constexpr int oplog_motion = 909;

void reply_ok() { cgi_reply(REPLY_TEXT, "OK"); }

void update_motion(int chn, json_object* req, std::span<const field> fields) {
    event_record_update({motion_source, chn}, req, fields);
}

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
    core_notify(event_reply, MSG_MOTION_SCHEDULE_MODE, sizeof mode, &mode);
    if (enable_ms == 1) {
        motion_detect_schedule sched = all_day_schedule(chn);
        core_notify(event_reply, MSG_MOTION_SCHEDULE_SET, sizeof sched, &sched);
    }
}

// The request's channel for the basic pages that check it against the rows
// stored: "camId" below the row count of the motion table.
bool stored_channel(json_object* req, int* chn) {
    static motion_record all[event_channels];
    int count = 0;
    if (read_motions(TQDB_FILE, all, &count) != 0) count = 0;
    return req_int(req, "camId", chn) && *chn >= 0 && *chn < count && chn_ok(*chn);
}

}  // namespace

// ---- reads ------------------------------------------------------------------------

void motion_get(request& rq) {
    char* text = rq.text;
    reply_event(text, motion_source, motion_reply_keys);
}

void motion_audible_get(request& rq) {
    char* text = rq.text;
    reply_schedule(text, read_motion_audible_schedule);
}
void motion_email_get(request& rq) {
    char* text = rq.text;
    reply_schedule(text, read_motion_email_schedule);
}
void motion_effective_get(request& rq) {
    char* text = rq.text;
    reply_schedule(text, read_motion_effective_schedule);
}
void motion_ptz_sched_get(request& rq) {
    char* text = rq.text;
    reply_schedule(text, read_motion_ptz_schedule);
}

// ---- schedules of the basic pages -------------------------------------------------------

void motion_schedule_set(request& rq) {
    char* text = rq.text;
    set_schedule(text, {write_motion_schedule, MSG_MOTION_CHANGED});
}
void motion_effective_set(request& rq) {
    char* text = rq.text;
    set_schedule(text, {write_motion_effective_schedule, MSG_MOTION_CHANGED});
}
void motion_ptz_sched_set(request& rq) {
    char* text = rq.text;
    set_schedule(text, {write_motion_ptz_schedule, MSG_MOTION_CHANGED});
}
void motion_email_set(request& rq) {
    char* text = rq.text;
    set_schedule(text, {write_motion_email_schedule, MSG_MOTION_CHANGED, event_channels, &motion_source,
                        email_fields});
}

// ---- basic settings -----------------------------------------------------------------------

void motion_basic_set(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    int chn;
    if (!req || !req_channel(req.get(), "camId", &chn) ||
        !ints_ok(req.get(), {{"enable", 0, 2, true},
                             {"sensitivity", 0, INT32_MAX, true},
                             {"triAlarms", 0, INT32_MAX, false},
                             {"interval", 0, INT32_MAX, false}}) ||
        !req_member(req, "triChannels") || !req_member(req, "motionTable") || !req_member(req, "enableMS"))
        return;

    update_motion(chn, req.get(), basic_fields);
    event_notify(MSG_MOTION_CHANGED, chn);

    motion_area_record area;
    std::memset(&area, 0, sizeof area);
    req_text(req.get(), "motionTable", area.map, sizeof area.map);
    area.sensitivity = req_int_or(req, "sensitivity", 0);
    area.channel = chn;
    // Only the map, the sensitivity and the channel travel; the rest is zero.
    core_notify(event_reply, MSG_MOTION_AREA_SET, sizeof area, &area);

    send_detect_schedule(chn, req_int_or(req, "enableMS", 0));
    event_oplog(oplog_motion, chn);
    reply_ok();
}

void motion_plan_set(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    int chn;
    if (!req || !stored_channel(req.get(), &chn)) return;
    update_motion(chn, req.get(), plan_fields);
    event_notify(MSG_MOTION_CHANGED, chn);
    week_schedule sched;
    if (schedule_from_json(req.get(), "schedule", &sched) == 0) write_motion_schedule(TQDB_FILE, &sched, chn);
    event_notify(MSG_MOTION_CHANGED, chn);

    motion_record rec;
    event_record_read({motion_source, chn}, &rec);
    send_detect_schedule(chn, rec.enable_ms);
    reply_ok();
}

void motion_targets_set(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    int chn;
    if (!req || !stored_channel(req.get(), &chn)) return;
    update_motion(chn, req.get(), target_fields);
    event_notify(MSG_MOTION_CHANGED, chn);
    oplog_send(204, oplog_motion);
    reply_ok();
}

void motion_target_set(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    if (!req) return;
    int chn;
    if (!req_channel(req.get(), "camId", &chn)) {
        cgi_reply_error(REPLY_TEXT);
        return;
    }
    switch (req_int_or(req, "type", 0)) {
        case 1:
            update_motion(chn, req.get(), channels_field);
            break;
        case 2:
            update_motion(chn, req.get(), alarms_field);
            break;
        default:
            break;
    }
    event_notify(MSG_MOTION_CHANGED, chn);
    event_oplog(oplog_motion, chn);
    reply_ok();
}

// ---- actions ---------------------------------------------------------------------------------

void motion_actions_set(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    int chn;
    if (!req || !req_channel(req.get(), "chnid", &chn)) {
        cgi_reply_error(REPLY_JSON);
        return;
    }
    event_action_apply({motion_source, chn}, req.get(), action_form::flat);
    reply_ok();
}

void motion_copy_set(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    int chn;
    if (!req || !req_channel(req.get(), "chnid", &chn)) {
        cgi_reply_error(REPLY_JSON);
        return;
    }
    event_ref ev{motion_source, chn};
    json_object* dialog = req_member(req, "dialog");
    event_action_apply(ev, json_object_is_type(dialog, json_type_object) ? dialog : nullptr,
                       action_form::dialog);

    uint64_t mask = channel_mask_from_json(req.get(), "copyChn", "copyCnt");
    motion_record rec;
    event_record_read(ev, &rec);
    // The camera settings of the page; a member left out keeps the stored one.
    rec.sensitivity = req_int_or(req, "sensitivity", rec.sensitivity);
    rec.enable_ms = req_int_or(req, "enableMS", rec.enable_ms);

    motion_area_copy area;
    std::memset(&area, 0, sizeof area);
    if (req_member(req, "motionTable"))
        req_text(req.get(), "motionTable", area.motion_table, sizeof area.motion_table);
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

    copy_motions(TQDB_FILE, &rec, mask);
    event_action_copy(ev, mask);

    event_oplog_mask(oplog_motion, mask);

    core_notify(event_reply, MSG_MOTION_AREA_COPY, sizeof area, &area);
    event_notify_mask(MSG_MOTION_COPIED, mask);
    core_notify(event_reply, MSG_MOTION_SCHEDULE_MODE, sizeof mode, &mode);
    if (rec.enable_ms == 1) {
        motion_detect_schedule sched = all_day_schedule(0);
        core_notify(event_reply, MSG_MOTION_SCHEDULE_COPY, sizeof sched, &sched);
    }
    reply_ok();
}

// ---- the camera's motion area ------------------------------------------------------------------

void motion_area_get(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    int32_t chn;
    if (!req || !req_channel(req.get(), "id", &chn)) return;
    core_query(event_reply, MSG_MOTION_AREA_GET, sizeof chn, &chn, REPLY_TEXT);
}

void write_motion_area(const void* payload, uint32_t size) {
    if (!core_reply_claim()) return;
    if (size < sizeof(motion_area_record)) {
        cgi_reply_error(REPLY_TEXT);
        core_reply_done(0);
        return;
    }
    motion_area_record area;
    std::memcpy(&area, payload, sizeof area);
    json_ref reply(json_object_new_object());
    jadd_field(reply.get(), "map", area.map, sizeof area.map);
    jadd_int(reply.get(), "sensitivity", area.sensitivity);
    jadd_int(reply.get(), "result", area.result);
    jadd_int(reply.get(), "enable", area.enable);
    jadd_int(reply.get(), "modelType", area.model_type);
    jadd_int(reply.get(), "fishdisplay", area.fishdisplay);
    jadd_int(reply.get(), "fishtransfer", area.fishtransfer);
    jadd_int(reply.get(), "fishinstall", area.fishinstall);
    cgi_reply_json(reply.get());
    core_reply_done(1);
}
