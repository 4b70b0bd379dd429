// The recorder's alarm inputs: the list, the basic pages (name, type,
// enable, triggered channels and outputs, the basic schedule) and the full
// action page with its copy to other inputs.
//
// Every change reads the input's stored record first and writes it back with
// its id set, so fields a page does not carry (the actions of the full page)
// stay as they were, and no id outside 0..15 reaches the table.
#include <cstring>

#include "front/bare_number.h"
#include "front/core_link.h"
#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/alarm/alarm.h"
#include "modules/common/event_action.h"
#include "modules/common/sched_json.h"
#include "platform/msg_event.h"
#include "platform/tqdb/rec_alarm.h"

namespace {

using ar = alarm_in_record;

// The members of the basic pages ("type", not the full page's "alarmType").
const field basic_fields[] = {
    FM_TEXT(ar, "name", name),
    FM_INT(ar, "type", type),
    FM_CHANNELS(ar, "triChannels", tri_channels, tri_channels_mask).action(),
    FM_INT(ar, "triAlarms", tri_alarms),
    FM_INT(ar, "interval", interval),
};
const field state_fields[] = {
    // "/6063"
    FM_TEXT(ar, "name", name),
    FM_INT(ar, "type", type),
    FM_INT(ar, "enable", enable),
};
const field enable_field[] = {FM_INT(ar, "enable", enable)};
const field header_fields[] = {
    // "/6027" besides the dialog
    FM_INT(ar, "alarmType", type),
    FM_TEXT(ar, "name", name),
};

// "/6026", in this order.
const char* const full_reply_keys[] = {
    "alarmId",
    "name",
    "alarmType",
    "enable",
    "triAlarms",
    "interval",
    "email_interval",
    "email_pic_enable",
    "tri_channels_pic",
    "ptz_interval",
    "alarmout_interval",
    "triChannels",
    "triSnapshot",
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

// Every slot of the basic schedule carries this action type.
constexpr int32_t basic_action_type = 6;

void input_json(json_object* o, const alarm_in_record& in) {
    jadd_int(o, "id", in.id);
    jadd_int(o, "enable", in.enable);
    jadd_field(o, "name", in.name, sizeof in.name);
    jadd_int(o, "type", in.type);
    jadd_field(o, "triChannels", in.tri_channels, sizeof in.tri_channels);
    jadd_int(o, "triAlarms", in.tri_alarms);
}

// The stored record of input id, zeros when it has none; its id set.
alarm_in_record input(int id) {
    alarm_in_record rec;
    std::memset(&rec, 0, sizeof rec);
    read_alarm_in(TQDB_FILE, &rec, id);
    rec.id = id;
    return rec;
}

// The check of the basic pages: "id" 0..15, "enable" 0..2, "type" 0 or 1,
// "triChannels" present; "triAlarms" and "interval" not negative.
bool basic_ok(json_object* alarm) {
    int id, enable, type, value;
    if (!req_int(alarm, "id", &id) || !alarm_in_ok(id)) return false;
    if (!req_int(alarm, "enable", &enable) || enable < 0 || enable > 2) return false;
    if (!req_int(alarm, "type", &type) || (type != 0 && type != 1)) return false;
    if (!req_member(alarm, "triChannels")) return false;
    for (const char* key : {"triAlarms", "interval"})
        if (req_int(alarm, key, &value) && value < 0) return false;
    return true;
}

// Tells the core, logs the change and answers.
void input_changed(int id) {
    event_notify(MSG_ALARMIN_CHANGED, id);
    alarm_oplog(oplog_param_alarm_in, id);
    cgi_reply(REPLY_TEXT, "OK");
}

// The basic schedule of a request: [8 days][12 slots] of [start, end]; every
// slot gets the basic action type.
int basic_schedule_from_json(json_object* req, week_schedule* sched) {
    if (schedule_from_json(req, "schedule", sched) != 0) return -1;
    for (sched_day& day : sched->days)
        for (int slot = 0; slot < SCHED_JSON_SLOTS; ++slot) day.slots[slot].action_type = basic_action_type;
    return 0;
}

// The fields "/6027" copies from the edited input to the inputs of its list
// (not the name, the triggered channels or the e-mail pictures).
void copy_actions(const alarm_in_record& from, alarm_in_record& to) {
    to.type = from.type;
    to.enable = from.enable;
    to.interval = from.interval;
    to.audio_id = from.audio_id;
    to.email_mode = from.email_mode;
    to.email_interval = from.email_interval;
    to.tri_alarms = from.tri_alarms;
    std::memcpy(to.tri_snapshot, from.tri_snapshot, sizeof to.tri_snapshot);
    to.ptz_interval = from.ptz_interval;
    to.alarmout_interval = from.alarmout_interval;
    to.white_interval = from.white_interval;
    std::memcpy(to.tri_chn_alarms, from.tri_chn_alarms, sizeof to.tri_chn_alarms);
}

constexpr uint64_t all_inputs = (uint64_t{1} << alarm_in_count) - 1;

}  // namespace

void alarm_in_list(request&) {
    alarm_in_record rows[alarm_in_count];
    read_alarm_rows(TQDB_FILE, tqdb_tbl_alarm_in, rows);
    json_ref list(json_object_new_array());
    for (const alarm_in_record& in : rows) {
        json_object* o = json_object_new_object();
        input_json(o, in);
        json_object_array_add(list.get(), o);
    }
    cgi_reply_json(list.get());
}

// The text is the input's number; anything but 0..15 gets no reply.
void alarm_in_get(request& rq) {
    char* text = rq.text;
    int id;
    if (!parse_bare_int(text, &id) || !alarm_in_ok(id)) return;
    alarm_in_record rec = input(id);
    json_object* alarm = json_object_new_object();
    input_json(alarm, rec);
    jadd_int(alarm, "interval", rec.interval);
    jadd_field(alarm, "triSnapshot", rec.tri_snapshot, sizeof rec.tri_snapshot);
    week_schedule sched;
    std::memset(&sched, 0, sizeof sched);
    read_alarm_in_schedule(TQDB_FILE, &sched, id);
    json_ref reply(json_object_new_object());
    json_object_object_add(reply.get(), "alarm", alarm);
    json_object_object_add(reply.get(), "schedule", schedule_to_json(sched));
    cgi_reply_json(reply.get());
}

// {"alarm": {...}, "schedule": [...]}: the basic page with its schedule. A
// request without "schedule" leaves the stored one alone.
void alarm_in_basic_schedule_set(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    json_object* alarm = req_member(req, "alarm");
    if (!alarm || !basic_ok(alarm)) return;
    int id = req_int_or(alarm, "id", 0);
    {
        cgi_lock_guard lock;
        alarm_in_record rec = input(id);
        fields_from_json(alarm, &rec, basic_fields);
        fields_from_json(alarm, &rec, enable_field);
        write_alarm_in(TQDB_FILE, &rec);
    }
    week_schedule sched;
    if (basic_schedule_from_json(req.get(), &sched) == 0) write_alarm_in_schedule(TQDB_FILE, &sched, id);
    event_notify(MSG_ALARMIN_CHANGED, id);
    // This page's log entry carries only its types: no channel, user or address.
    oplog_record log;
    std::memset(&log, 0, sizeof log);
    log.main_type = 4;
    log.sub_type = oplog_sub_alarm;
    log.parameter_type = oplog_param_alarm_in;
    oplog_send_record(&log);
    cgi_reply(REPLY_TEXT, "OK");
}

// {"alarm": {"camId", "name", "type", "enable"}}; an input outside 0..15 is
// refused without a reply.
void alarm_in_state_set(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    json_object* alarm = req_member(req, "alarm");
    int id;
    if (!alarm || !req_int(alarm, "camId", &id) || !alarm_in_ok(id)) return;
    event_record_update({alarm_in_source, id}, alarm, state_fields);
    input_changed(id);
}

// {"alarm": {...}} of the basic page without schedule: "enable" is checked
// but not stored.
void alarm_in_basic_set(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    json_object* alarm = req_member(req, "alarm");
    if (!alarm || !basic_ok(alarm)) return;
    int id = req_int_or(alarm, "id", 0);
    event_record_update({alarm_in_source, id}, alarm, basic_fields);
    input_changed(id);
}

// {"alarmId"}: the input with all its actions.
void alarm_in_actions_get(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    int id;
    if (!req || !req_int(req, "alarmId", &id) || !alarm_in_ok(id)) {
        cgi_reply_error(REPLY_JSON);
        return;
    }
    event_ref ev{alarm_in_source, id};
    alarm_in_record rec = input(id);
    json_ref reply(json_object_new_object());
    event_action_json(reply.get(), ev, &rec, full_reply_keys);
    cgi_reply_json(reply.get());
}

// {"alarmId", "alarmType", "name", "dialog", "copyCnt", "copyChn"}: the
// input's actions, copied to the listed inputs.
void alarm_in_actions_set(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    int id;
    if (!req || !req_int(req, "alarmId", &id) || !alarm_in_ok(id)) {
        cgi_reply_error(REPLY_JSON);
        return;
    }
    event_ref ev{alarm_in_source, id};
    event_record_update(ev, req.get(), header_fields);
    if (json_object* dialog = req_member(req, "dialog")) event_action_apply(ev, dialog, action_form::dialog);

    uint64_t mask =
        channel_mask_from_json(req.get(), "copyChn", "copyCnt") & all_inputs & ~(uint64_t{1} << id);
    if (mask) {
        cgi_lock_guard lock;
        alarm_in_record rows[alarm_in_count];
        read_alarm_rows(TQDB_FILE, tqdb_tbl_alarm_in, rows);
        for (int k = 0; k < alarm_in_count; ++k)
            if (mask >> k & 1) copy_actions(rows[id], rows[k]);
        write_alarm_ins(TQDB_FILE, rows, mask);
    }
    event_action_copy(ev, mask);
    event_notify_mask(MSG_ALARMIN_MASK_CHANGED, mask | uint64_t{1} << id);
    cgi_reply(REPLY_TEXT, "OK");
}
