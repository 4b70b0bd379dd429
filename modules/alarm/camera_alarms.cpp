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
#include "modules/common/event_action.h"
#include "modules/common/sched_json.h"
#include "platform/msg_alarm.h"
#include "platform/tqdb/rec_alarm.h"

namespace {

// The members of an input entry of "/6024" after those of the answer and
// the name, in this order.
const char* const input_reply_keys[] = {
    "effective",    "audible",        "interval",          "audioId",          "audioIdMask",
    "email",        "email_interval", "email_pic_enable",  "tri_channels_pic", "ptz",
    "ptz_interval", "ptzParams",      "alarmout_interval", "triAlarms",        "triChannels",
    "triChnAlarms", "white",          "whiteInfo",         "white_interval",
};

// Entries of "alarm" that a page sets: min("alarmCnt", 2), none below 0.
int entry_count(int alarm_cnt) { return std::clamp(alarm_cnt, 0, cam_alarm_count); }

// "chnid" 0..63 and "alarmId" 0..1 of the edit pages.
bool edit_target(json_object* req, int* chn, int* index) {
    return req_int(req, "chnid", chn) && chn_ok(*chn) && req_int(req, "alarmId", index) &&
           cam_alarm_ok(*index);
}

// The channel of a camera page's request, or -1 after the JSON error.
int page_channel(const char* text) {
    json_ref req = json_parse_object(text);
    int chn;
    if (req && req_int(req, "chnid", &chn) && chn_ok(chn)) return chn;
    cgi_reply_error(REPLY_JSON);
    return -1;
}

alarm_chn_in_name input_name(int chn, int index) {
    alarm_chn_in_name rec{};
    read_alarm_chnIn_event_name(TQDB_FILE, &rec, chn, index);
    rec.chnid = chn;
    rec.alarm_id = index;
    return rec;
}

alarm_chn_out_name output_name(int chn, int index) {
    alarm_chn_out_name rec{};
    read_alarm_chnOut_event_name(TQDB_FILE, &rec, chn, index);
    rec.chnid = chn;
    rec.alarm_id = index;
    return rec;
}

}  // namespace

// ---- reads through the core ----------------------------------------------------

void cam_alarm_in_get(request& rq) {
    char* text = rq.text;
    int chn = page_channel(text);
    if (chn >= 0) alarm_query(MSG_CAM_ALARMIN_GET, chn);
}

void cam_alarm_out_get(request& rq) {
    char* text = rq.text;
    int chn = page_channel(text);
    if (chn >= 0) alarm_query(MSG_CAM_ALARMOUT_GET, chn);
}

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
        alarm_chn_in_name name = input_name(st.chnid, i);
        jadd_field(o, "alarmName", name.alarm_name, sizeof name.alarm_name);
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
        alarm_chn_out_name name{};
        week_schedule sched;
        std::memset(&sched, 0, sizeof sched);
        if (chn_ok(st.chnid)) {
            name = output_name(st.chnid, i);
            read_alarm_chnOut_effective_schedule(TQDB_FILE, &sched, st.chnid, i);
        }
        jadd_field(o, "alarmName", name.alarm_name, sizeof name.alarm_name);
        jadd_int(o, "delayTime", name.delay_time);
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
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    int chn, index;
    if (!req || !edit_target(req.get(), &chn, &index)) {
        cgi_reply_error(REPLY_JSON);
        return;
    }
    if (json_object* dialog = req_member(req, "dialog"))
        event_action_apply({cam_alarm_in_sources[index], chn, index}, dialog, action_form::dialog);

    const uint64_t own = uint64_t{1} << chn;
    uint64_t mask = own;
    int alarm_cnt;
    if (req_int(req, "alarmCnt", &alarm_cnt)) {
        cam_alarm_in_msg msg{};
        int count = entry_count(alarm_cnt);
        msg.alarm_cnt = count;
        json_object* entries = req_array(req, "alarm");
        for (int i = 0; i < count; ++i) {
            json_object* entry = entries ? json_object_array_get_idx(entries, i) : nullptr;
            msg.entries[i].index = i;
            msg.entries[i].alarm_enable = req_int_or(entry, "alarmEnable", 0);
            msg.entries[i].alarm_type = req_int_or(entry, "alarmType", 0);
            if (req_member(entry, "alarmName")) {
                alarm_chn_in_name name = input_name(chn, i);
                req_text(entry, "alarmName", name.alarm_name, sizeof name.alarm_name);
                write_alarm_chnIn_event_name(TQDB_FILE, &name);
            }
        }
        uint64_t copies = channel_mask_from_json(req.get(), "copyChn", "copyCnt") & ~own;
        for (int j = 0; copies && j < count; ++j) {
            event_ref ev{cam_alarm_in_sources[j], chn, j};
            event_action_copy(ev, copies);
            alarm_chn_in_record rec;
            event_record_read(ev, &rec);
            rec.chnid = chn;
            rec.alarm_id = j;
            copy_alarm_chnIn_events(TQDB_FILE, &rec, copies);
        }
        mask |= copies;
        msg.mask = mask;
        core_notify(alarm_reply, MSG_CAM_ALARMIN_SET, sizeof msg, &msg);
    }
    event_notify_mask(MSG_CAM_ALARMIN_CHANGED, mask);
    cgi_reply(REPLY_TEXT, "OK");
}

// {"chnid", "alarmId", "dialog": {"effective"}, "alarmCnt", "alarm": [...],
// "copyCnt", "copyChn"}: the schedule of output "alarmId", then the type,
// delay and name of each output in "alarm"; the listed channels take the
// schedules and delays.
void cam_alarm_out_set(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    int chn, index;
    if (!req || !edit_target(req.get(), &chn, &index)) {
        cgi_reply_error(REPLY_JSON);
        return;
    }
    week_schedule sched;
    if (schedule_from_json(req_member(req, "dialog"), "effective", &sched) == 0)
        write_alarm_chnOut_effective_schedule(TQDB_FILE, &sched, chn, index);

    const uint64_t own = uint64_t{1} << chn;
    uint64_t mask = own;
    int alarm_cnt;
    if (req_int(req, "alarmCnt", &alarm_cnt)) {
        cam_alarm_out_msg msg{};
        int count = entry_count(alarm_cnt);
        msg.alarm_cnt = count;
        json_object* entries = req_array(req, "alarm");
        for (int i = 0; i < count; ++i) {
            json_object* entry = entries ? json_object_array_get_idx(entries, i) : nullptr;
            msg.entries[i].index = i;
            msg.entries[i].alarm_type = req_int_or(entry, "alarmType", 0);
            if (!entry) continue;
            alarm_chn_out_name name = output_name(chn, i);
            req_int(entry, "delayTime", &name.delay_time);
            if (req_member(entry, "alarmName"))
                req_text(entry, "alarmName", name.alarm_name, sizeof name.alarm_name);
            write_alarm_chnOut_event_name(TQDB_FILE, &name);
        }
        uint64_t copies = channel_mask_from_json(req.get(), "copyChn", "copyCnt") & ~own;
        for (int p = 0; copies && p < count; ++p) {
            std::memset(&sched, 0, sizeof sched);
            read_alarm_chnOut_effective_schedule(TQDB_FILE, &sched, chn, p);
            copy_alarm_chnOut_effective_schedules(TQDB_FILE, &sched, p, copies);
            copy_alarm_chnOut_delay(TQDB_FILE, p, output_name(chn, p).delay_time, copies);
        }
        mask |= copies;
        msg.mask = mask;
        core_notify(alarm_reply, MSG_CAM_ALARMOUT_SET, sizeof msg, &msg);
    }
    event_notify_mask(MSG_CAM_ALARMOUT_CHANGED, mask);
    cgi_reply(REPLY_TEXT, "OK");
}

// {"chnid", "alarmId", "state"}, passed to the core as they come: the core
// owns the cameras and checks them.
void cam_alarm_out_switch_set(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    if (!req) {
        cgi_reply_error(REPLY_TEXT);
        return;
    }
    cam_alarm_out_switch msg{req_int_or(req, "chnid", 0), req_int_or(req, "alarmId", 0),
                             req_int_or(req, "state", 0)};
    core_notify(alarm_reply, MSG_CAM_ALARMOUT_SWITCH, sizeof msg, &msg);
    cgi_reply(REPLY_TEXT, "OK");
}
