// The alarm contacts of the cameras: each channel's two alarm inputs (their
// actions, through the shared action model, and names) and two alarm outputs
// (names, delays and schedules), read together with the state the core
// reports, edited and copied to other channels; and switching a camera's
// output by hand.
#include <algorithm>
#include <cstring>

#include "front/core_link.h"
#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/alarm/alarm.h"
#include "modules/common/channels.h"
#include "modules/common/sched_json.h"
#include "platform/msg_alarm.h"

namespace {

// The members of an input entry of "/6024" after those of the answer and
// the name, in this order.
const char* const input_reply_keys[] = {
    "effective",    "audible",        "interval",          "audioId",          "audioIdMask",
    "email",        "email_interval", "email_pic_enable",  "tri_channels_pic", "ptz",
    "ptz_interval", "ptzParams",      "alarmout_interval", "triAlarms",        "triChannels",
    "triChnAlarms", "white",          "whiteInfo",         "white_interval",
};

// The names of the contacts (and the outputs' delays), as the pages show and
// take them.
const field input_name_fields[] = {FM_TEXT(alarm_chn_in_name, "alarmName", alarm_name)};
const field output_name_fields[] = {
    FM_TEXT(alarm_chn_out_name, "alarmName", alarm_name),
    FM_INT(alarm_chn_out_name, "delayTime", delay_time),
};

// What an entry of "alarm" gives the camera (3325, 3324); a member left out is 0.
using in_entry = cam_alarm_in_msg::entry;
using out_entry = cam_alarm_out_msg::entry;
const field input_entry_fields[] = {
    FM_INT(in_entry, "alarmEnable", alarm_enable),
    FM_INT(in_entry, "alarmType", alarm_type),
};
const field output_entry_fields[] = {FM_INT(out_entry, "alarmType", alarm_type)};

// Entries of "alarm" that a page sets: min("alarmCnt", 2), none below 0.
int entry_count(int alarm_cnt) { return std::clamp(alarm_cnt, 0, cam_alarm_count); }

// "chnid" 0..63 and "alarmId" 0..1 of the edit pages.
bool edit_target(json_object* req, int* chn, int* index) {
    return req_channel(req, "chnid", chn) && req_int(req, "alarmId", index) && cam_alarm_ok(*index);
}

// Sends msg_id with the channel and waits; without an answer the page is the
// JSON error.
void query_channel(request& rq, int msg_id) {
    int32_t chn;
    if (!req_channel(rq.json, "chnid", &chn)) return rq.refuse("chnid");
    core_query(alarm_reply, msg_id, sizeof chn, &chn, REPLY_JSON);
}

// The "alarm" entries of an edit page: entry i of the request, or null.
json_object* entry_of(json_object* req, int i) {
    json_object* entries = req_array(req, "alarm");
    return entries ? json_object_array_get_idx(entries, i) : nullptr;
}

// The channels that "copyChn" lists besides the edited one.
uint64_t copies_of(json_object* req, int chn) {
    return channel_mask_from_json(req, "copyChn", "copyCnt") & ~(uint64_t{1} << chn);
}

// The camera's contacts as set (3325, 3324): the first count entries of
// "alarm", each with its index, for the channels of mask.
template <typename Msg>
void send_entries(json_object* req, int count, std::span<const field> entry_fields, uint64_t mask,
                  int32_t msg_id) {
    Msg msg{};
    msg.alarm_cnt = count;
    for (int i = 0; i < count; ++i) {
        msg.entries[i].index = i;
        fields_from_json(entry_of(req, i), &msg.entries[i], entry_fields);
    }
    msg.mask = mask;
    core_notify(alarm_reply, msg_id, sizeof msg, &msg);
}

}  // namespace

// ---- reads through the core ----------------------------------------------------

void cam_alarm_in_get(request& rq) { query_channel(rq, msg_cam_alarmin_state); }
void cam_alarm_out_get(request& rq) { query_channel(rq, msg_cam_alarmout_state); }

// 8298: the inputs the camera reports (at most 2) with their settings.
int write_cam_alarm_in(const core_answer& answer) {
    const cam_alarm_in_state st = answer.rec<cam_alarm_in_state>();
    json_ref reply(json_object_new_object());
    jadd_int(reply.get(), "chnid", st.chnid);
    jadd_int(reply.get(), "alarmCnt", st.alarm_cnt);
    json_object* list = json_object_new_array();
    json_object_object_add(reply.get(), "alarm", list);
    for (int i = 0; chn_ok(st.chnid) && i < entry_count(st.alarm_cnt); ++i) {
        json_object* o = json_object_new_object();
        jadd_int(o, "alarmEnable", st.alarm_enable[i]);
        jadd_int(o, "alarmType", st.alarm_type[i]);
        jadd_int(o, "alarmStatus", st.alarm_status[i]);
        alarm_chn_in_name name;
        load_cam_alarm(TQDB_FILE, tqdb_tbl_alarm_chn_in_name, &name, st.chnid, i);
        fields_to_json(o, &name, input_name_fields);
        event_ref ev{cam_alarm_in_sources[i], st.chnid, i};
        alarm_chn_in_record rec;
        event_record_read(ev, &rec);
        event_action_json(o, ev, &rec, input_reply_keys);
        json_object_array_add(list, o);
    }
    cgi_reply_json(reply.get());
    return 1;
}

// 8296: always both outputs, with their names, delays and schedules.
int write_cam_alarm_out(const core_answer& answer) {
    const cam_alarm_out_state st = answer.rec<cam_alarm_out_state>();
    json_ref reply(json_object_new_object());
    jadd_int(reply.get(), "chnid", st.chnid);
    jadd_int(reply.get(), "alarmCnt", st.alarm_cnt);
    json_object* list = json_object_new_array();
    json_object_object_add(reply.get(), "alarm", list);
    for (int i = 0; i < cam_alarm_count; ++i) {
        json_object* o = json_object_new_object();
        jadd_int(o, "alarmType", st.alarm_type[i]);
        jadd_int(o, "alarmStatus", st.alarm_status[i]);
        alarm_chn_out_name name;
        std::memset(&name, 0, sizeof name);
        week_schedule sched;
        std::memset(&sched, 0, sizeof sched);
        if (chn_ok(st.chnid)) {
            load_cam_alarm(TQDB_FILE, tqdb_tbl_alarm_chn_out_name, &name, st.chnid, i);
            read_alarm_chnOut_effective_schedule(TQDB_FILE, &sched, st.chnid, i);
        }
        fields_to_json(o, &name, output_name_fields);
        json_object_object_add(o, "effective", schedule_to_json(sched));
        json_object_array_add(list, o);
    }
    cgi_reply_json(reply.get());
    return 1;
}

// ---- edits ------------------------------------------------------------------------

// {"chnid", "alarmId", "dialog", "alarmCnt", "alarm": [...], "copyCnt",
// "copyChn"}: the actions of input "alarmId", then the enable, type and name
// of each input in "alarm", copied with all settings to the listed channels.
void cam_alarm_in_set(request& rq) {
    json_object* req = rq.json;
    int chn, index;
    if (!edit_target(req, &chn, &index)) return rq.refuse("chnid, alarmId");
    int alarm_cnt;
    const bool entries = req_int(req, "alarmCnt", &alarm_cnt);
    const int count = entries ? entry_count(alarm_cnt) : 0;
    const uint64_t copies = entries ? copies_of(req, chn) : 0;
    int rc = event_store([&] {
        json_object* dialog = req_member(req, "dialog");
        if (dialog &&
            event_action_store({cam_alarm_in_sources[index], chn, index}, dialog, action_form::dialog))
            return -1;
        for (int i = 0; i < count; ++i) {
            json_object* entry = entry_of(req, i);
            if (!req_member(entry, "alarmName")) continue;
            int named = edit_cam_alarm<alarm_chn_in_name>(
                TQDB_FILE, tqdb_tbl_alarm_chn_in_name, chn, i,
                [&](alarm_chn_in_name& name) { fields_from_json(entry, &name, input_name_fields); });
            if (named != 0) return -1;
        }
        for (int j = 0; copies && j < count; ++j) {
            event_ref ev{cam_alarm_in_sources[j], chn, j};
            if (event_action_copy(ev, copies) != 0) return -1;
            alarm_chn_in_record rec;
            event_record_read(ev, &rec);
            if (copy_alarm_chnIn_events(TQDB_FILE, &rec, copies) != 0) return -1;
        }
        return 0;
    });
    if (rc != 0) return rq.fail();

    const uint64_t mask = copies | uint64_t{1} << chn;
    if (entries) send_entries<cam_alarm_in_msg>(req, count, input_entry_fields, mask, msg_cam_alarmin_set);
    event_notify_mask(msg_cam_alarmin_changed, mask);
    cgi_reply(REPLY_TEXT, "OK");
}

// {"chnid", "alarmId", "dialog": {"effective"}, "alarmCnt", "alarm": [...],
// "copyCnt", "copyChn"}: the schedule of output "alarmId", then the type,
// delay and name of each output in "alarm"; the listed channels take the
// schedules and delays.
void cam_alarm_out_set(request& rq) {
    json_object* req = rq.json;
    int chn, index;
    if (!edit_target(req, &chn, &index)) return rq.refuse("chnid, alarmId");
    week_schedule sched;
    const bool given = schedule_from_json(req_member(req, "dialog"), "effective", &sched) == 0;
    int alarm_cnt;
    const bool entries = req_int(req, "alarmCnt", &alarm_cnt);
    const int count = entries ? entry_count(alarm_cnt) : 0;
    const uint64_t copies = entries ? copies_of(req, chn) : 0;
    int rc = event_store([&] {
        if (given && write_alarm_chnOut_effective_schedule(TQDB_FILE, &sched, chn, index) != 0) return -1;
        for (int i = 0; i < count; ++i) {
            json_object* entry = entry_of(req, i);
            if (!entry) continue;
            int named = edit_cam_alarm<alarm_chn_out_name>(
                TQDB_FILE, tqdb_tbl_alarm_chn_out_name, chn, i,
                [&](alarm_chn_out_name& name) { fields_from_json(entry, &name, output_name_fields); });
            if (named != 0) return -1;
        }
        for (int p = 0; copies && p < count; ++p) {
            week_schedule own;
            std::memset(&own, 0, sizeof own);
            read_alarm_chnOut_effective_schedule(TQDB_FILE, &own, chn, p);
            alarm_chn_out_name name;
            load_cam_alarm(TQDB_FILE, tqdb_tbl_alarm_chn_out_name, &name, chn, p);
            if (copy_alarm_chnOut_effective_schedules(TQDB_FILE, &own, p, copies) != 0 ||
                copy_alarm_chnOut_delay(TQDB_FILE, p, name.delay_time, copies) != 0)
                return -1;
        }
        return 0;
    });
    if (rc != 0) return rq.fail();

    const uint64_t mask = copies | uint64_t{1} << chn;
    if (entries) send_entries<cam_alarm_out_msg>(req, count, output_entry_fields, mask, msg_cam_alarmout_set);
    event_notify_mask(msg_cam_alarmout_changed, mask);
    cgi_reply(REPLY_TEXT, "OK");
}

// {"chnid", "alarmId", "state"}, passed to the core as they come: the core
// owns the cameras and checks them.
void cam_alarm_out_switch_set(request& rq) {
    cam_alarm_out_switch msg{req_int_or(rq.json, "chnid", 0), req_int_or(rq.json, "alarmId", 0),
                             req_int_or(rq.json, "state", 0)};
    core_notify(alarm_reply, msg_cam_alarmout_switch, sizeof msg, &msg);
    cgi_reply(REPLY_TEXT, "OK");
}
