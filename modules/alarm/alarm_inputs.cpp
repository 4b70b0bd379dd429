// The recorder's alarm inputs: the list, the basic pages (name, type,
// enable, triggered channels and outputs, the basic schedule) and the full
// action page with its copy to other inputs.
//
// Every change edits the input's stored record, so fields a page does not
// carry (the actions of the full page) stay as they were, and no id outside
// 0..15 reaches the table.
#include <cstring>

#include "front/bare_number.h"
#include "front/core_link.h"
#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/alarm/alarm.h"
#include "modules/common/sched_json.h"
#include "platform/msg_event.h"

namespace {

using ar = alarm_in_record;

constexpr int32_t int_max = INT32_MAX;

// An input as the list and the basic pages show it, in this order, with the
// checks of the basic pages ("type", not the full page's "alarmType").
enum input_row { in_id, in_enable, in_name, in_type, in_channels, in_alarms, in_interval, in_snapshot };
const field input_fields[] = {
    FM_INT(ar, "id", id).out_only(),
    FM_INT(ar, "enable", enable).range(0, 2).required(),
    FM_TEXT(ar, "name", name),
    FM_INT(ar, "type", type).range(0, 1).required(),
    FM_CHANNELS(ar, "triChannels", tri_channels, tri_channels_mask).required(),
    FM_INT(ar, "triAlarms", tri_alarms).range(0, int_max),
    FM_INT(ar, "interval", interval).range(0, int_max),
    FM_TEXT(ar, "triSnapshot", tri_snapshot),
};

// The rows from..to of the input map.
std::span<const field> input_rows(input_row from, input_row to) {
    return field_span(input_fields).subspan(from, to - from + 1);
}

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

// The check of the basic pages: "id" 0..15, "enable" 0..2, "type" 0 or 1,
// "triChannels" present; "triAlarms" and "interval" not negative.
bool basic_ok(json_object* alarm, int* id) {
    return req_channel(alarm, "id", id, alarm_in_count) && fields_valid(alarm, input_fields);
}

// Stores the members rows names in the record of input id.
int update_input(int id, json_object* alarm, std::span<const field> rows) {
    return event_store([&] { return event_record_update({alarm_in_source, id}, alarm, rows); });
}

// Tells the core, logs the change and answers.
void input_changed(int id) {
    event_notify(msg_alarmin_changed, id);
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
    for (const alarm_in_record& in : rows)
        json_object_array_add(list.get(), fields_object(&in, input_rows(in_id, in_alarms)));
    cgi_reply_json(list.get());
}

// The text is the input's number; anything but 0..15 gets no reply.
void alarm_in_get(request& rq) {
    int id = text_channel(rq.text, alarm_in_count);
    if (id < 0) return rq.refuse("input");
    alarm_in_record rec;
    load_alarm_in(TQDB_FILE, &rec, id);
    week_schedule sched;
    std::memset(&sched, 0, sizeof sched);
    read_alarm_in_schedule(TQDB_FILE, &sched, id);
    json_ref reply(json_object_new_object());
    json_object_object_add(reply.get(), "alarm", fields_object(&rec, input_fields));
    json_object_object_add(reply.get(), "schedule", schedule_to_json(sched));
    cgi_reply_json(reply.get());
}

// {"alarm": {...}, "schedule": [...]}: the basic page with its schedule. A
// request without "schedule" leaves the stored one alone.
void alarm_in_basic_schedule_set(request& rq) {
    json_object* alarm = req_member(rq.json, "alarm");
    int id;
    if (!alarm || !basic_ok(alarm, &id)) return rq.refuse("alarm");
    week_schedule sched;
    bool given = basic_schedule_from_json(rq.json, &sched) == 0;
    int rc = event_store([&] {
        if (edit_alarm_in(TQDB_FILE, id, [&](ar& rec) {
                fields_from_json(alarm, &rec, input_rows(in_enable, in_interval));
            }) != 0)
            return -1;
        return given ? write_alarm_in_schedule(TQDB_FILE, &sched, id) : 0;
    });
    if (rc != 0) return rq.fail();
    event_notify(msg_alarmin_changed, id);
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
    json_object* alarm = req_member(rq.json, "alarm");
    int id;
    if (!req_channel(alarm, "camId", &id, alarm_in_count)) return rq.refuse("alarm.camId");
    if (update_input(id, alarm, input_rows(in_enable, in_type)) != 0) return rq.fail();
    input_changed(id);
}

// {"alarm": {...}} of the basic page without schedule: "enable" is checked
// but not stored.
void alarm_in_basic_set(request& rq) {
    json_object* alarm = req_member(rq.json, "alarm");
    int id;
    if (!alarm || !basic_ok(alarm, &id)) return rq.refuse("alarm");
    if (update_input(id, alarm, input_rows(in_name, in_interval)) != 0) return rq.fail();
    input_changed(id);
}

// {"alarmId"}: the input with all its actions.
void alarm_in_actions_get(request& rq) { event_page_get(rq, alarm_in_source, "alarmId", full_reply_keys); }

// {"alarmId", "alarmType", "name", "dialog", "copyCnt", "copyChn"}: the
// input's actions, copied to the listed inputs.
void alarm_in_actions_set(request& rq) {
    json_object* req = rq.json;
    int id;
    if (!req_channel(req, "alarmId", &id, alarm_in_count)) return rq.refuse("alarmId");
    event_ref ev{alarm_in_source, id};
    const uint64_t own = uint64_t{1} << id;
    uint64_t mask = channel_mask_from_json(req, "copyChn", "copyCnt") & all_inputs & ~own;
    int rc = event_store([&] {
        if (event_record_update(ev, req, alarm_in_header_fields) != 0) return -1;
        if (json_object* dialog = req_member(req, "dialog");
            dialog && event_action_store(ev, dialog, action_form::dialog) != 0)
            return -1;
        if (!mask) return 0;
        alarm_in_record from;
        load_alarm_in(TQDB_FILE, &from, id);
        for (int k = 0; k < alarm_in_count; ++k) {
            if ((mask >> k & 1) && edit_alarm_in(TQDB_FILE, k, [&](ar& to) { copy_actions(from, to); }) != 0)
                return -1;
        }
        return event_action_copy(ev, mask);
    });
    if (rc != 0) return rq.fail();
    event_action_notice(ev);
    event_notify_mask(msg_alarmin_mask_changed, mask | own);
    cgi_reply(REPLY_TEXT, "OK");
}
