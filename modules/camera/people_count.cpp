// Counting groups: display settings of the nine groups, their stay-limit
// actions (an event source of the action model, keyed by group), the core
// daemon's group actions, and the three periodic reports.
#include <json-c/json.h>

#include <cstring>
#include <iterator>

#include "front/json_req.h"
#include "front/reply.h"
#include "front/web_utils.h"
#include "modules/camera/people_count.h"
#include "modules/common/channels.h"
#include "modules/common/sched_json.h"
#include "platform/msg_pcnt.h"
#include "platform/tqdb/rec_pcnt.h"

namespace {

using gr = pcnt_group_record;
const field group_fields[] = {
    FM_INT(gr, "groupid", groupid),
    FM_INT(gr, "enable", enable),
    FM_INT(gr, "stays", stays),
    FM_INT(gr, "liveview_auto_reset", liveview_auto_reset),
    FM_INT(gr, "auto_day", auto_day),
    FM_INT(gr, "liveview_font_size", liveview_font_size),
    FM_TEXT(gr, "name", name),
    FM_TEXT(gr, "auto_day_time", auto_day_time),
    FM_TEXT(gr, "tri_channels", tri_channels),
    FM_TEXT(gr, "liveview_green_tips", green_tips),
    FM_TEXT(gr, "liveview_red_tips", red_tips),
};

// "chnid" names the group in replies; the key is never taken from a request.
using ge = pcnt_group_event_record;
const field group_event_fields[] = {
    FM_INT(ge, "chnid", groupid).out_only(),
    FM_INT(ge, "triAlarms", tri_alarms).action(),
    FM_INT(ge, "interval", interval).action(),
    FM_INT(ge, "email_interval", email_interval).action(),
    FM_INT(ge, "email_pic_enable", email_pic_enable).action(),
    FM_TEXT(ge, "tri_channels_pic", tri_channels_pic).action(),
    FM_INT(ge, "ptz_interval", ptz_interval).action(),
    FM_INT(ge, "alarmout_interval", alarmout_interval).action(),
    FM_INT(ge, "white_interval", white_interval).action(),
    FM_PAIR(ge, "triChnAlarms", tri_chn_alarms).action(),
    FM_INT(ge, "audioId", audio_id).action(),
};

using rp = pcnt_report_record;
const field report_fields[] = {
    FM_INT(rp, "reportType", report_type),
    FM_INT(rp, "enable", enable),
    FM_TEXT(rp, "triChannels", tri_channels),
    FM_TEXT(rp, "triGroups", tri_groups),
    FM_INT(rp, "stayLengthType", stay_length_type),
    FM_INT(rp, "stayLengthValue", stay_length_value),
    FM_INT(rp, "backupDay", backup_day),
    FM_TEXT(rp, "backupTime", backup_time),
    FM_INT(rp, "fileFormat", file_format),
    FM_INT(rp, "timeRange", time_range),
    FM_INT(rp, "backupTo", backup_to),
};

// The group's event object, members in page order. Groups keep no effective
// schedule of their own: "effective" is the audible one.
const char* const event_keys_head[] = {"chnid", "triAlarms", "interval", "email_interval", "email_pic_enable",
                                       "tri_channels_pic", "ptz_interval", "alarmout_interval",
                                       "white_interval"};
const char* const event_keys_tail[] = {"audible", "email", "ptz", "triChnAlarms", "white",
                                       "whiteInfo", "audioId", "audioIdMask"};

json_object* group_event_object(int group, bool with_ptz) {
    event_ref ev{pcnt_group_source, group};
    pcnt_group_event_record rec;
    event_record_read(ev, &rec);
    json_object* out = json_object_new_object();
    event_action_json(out, ev, &rec, event_keys_head);
    week_schedule sched;
    std::memset(&sched, 0, sizeof sched);
    read_peoplecnt_audible_schedule(TQDB_FILE, &sched, group);
    json_object_object_add(out, "effective", schedule_to_json(sched));
    event_action_json(out, ev, &rec, event_keys_tail);
    if (with_ptz) {
        const char* ptz[] = {"ptzParams"};
        event_action_json(out, ev, &rec, ptz);
    }
    return out;
}

// The group of a request, or -1.
int request_group(const request& rq) {
    int group = -1;
    return req_channel(rq.json, "groupid", &group, pcnt_groups) ? group : -1;
}

int write_res(const core_answer& answer) { return reply_int_member("res", answer); }

int write_reports_done(const core_answer&) {
    json_ref reply(json_object_new_object());
    jadd_int(reply.get(), "res", 0);
    cgi_reply_json(reply.get());
    return 1;
}

// The result, the channel, then the camera's text up to the end of the
// answer (or its first NUL).
int write_camera_url(const core_answer& answer) {
    auto head = answer.rec<pcnt_url_reply_head>();
    const char* text = answer.bytes() + sizeof head;
    size_t len = strnlen(text, answer.size - sizeof head);
    json_ref reply(json_object_new_object());
    jadd_int(reply.get(), "res", head.result);
    jadd_int(reply.get(), "chnid", head.channel);
    json_object_object_add(reply.get(), "data", json_object_new_string_len(text, static_cast<int>(len)));
    cgi_reply_json(reply.get());
    return 1;
}

const reply_row replies[] = {
    {msg_pcnt_groups_changed_reply, sizeof(int32_t), reply_short::fail, write_res},
    {msg_pcnt_group_action1_reply, sizeof(int32_t), reply_short::fail, write_res},
    {msg_pcnt_group_action2_reply, sizeof(int32_t), reply_short::fail, write_res},
    {msg_pcnt_group_event_changed_reply, sizeof(int32_t), reply_short::fail, write_res},
    {msg_pcnt_reports_changed_reply, 0, reply_short::empty, write_reports_done},
    {msg_pcnt_camera_url_reply, sizeof(pcnt_url_reply_head), reply_short::fail, write_camera_url},
    {msg_pos_changed_reply, sizeof(int32_t), reply_short::fail, write_res},
    {msg_face_capture_set_reply, sizeof(int32_t), reply_short::fail, write_face_status},
};

}  // namespace

CORE_REPLY_CALLBACK(pcnt_reply, replies)

const event_source pcnt_group_source = {
    .name = "people counting group",
    .table = &tqdb_tbl_peoplecnt_event,
    .channels = pcnt_groups,
    .fields = group_event_fields,
    .schedules = {nullptr, SCHED_PCNT_AUDIBLE, SCHED_PCNT_EMAIL, SCHED_PCNT_PTZ, SCHED_PCNT_WLED},
    .white_list = WHITE_LIST_PEOPLECNT,
    .ptz_kind = PTZ_EVENT_PEOPLECNT,
};

void pcnt_groups_get(request& rq) {
    pcnt_group_record groups[pcnt_groups];
    std::memset(groups, 0, sizeof groups);
    int count = 0;
    read_peoplecnt_settings(TQDB_FILE, groups, &count);
    const bool dialog = req_int_or(rq.json, "action", 0) != 0;
    json_ref reply(json_object_new_object());
    json_object* list = json_object_new_array();
    for (int i = 0; i < pcnt_groups; ++i) {
        json_object* o = fields_object(&groups[i], group_fields);
        if (dialog) json_object_object_add(o, "dialog", group_event_object(i, true));
        json_object_array_add(list, o);
    }
    json_object_object_add(reply.get(), "groups", list);
    cgi_reply_json(reply.get());
}

// Element i changes group i; groups without an element stay as stored. An
// absent integer member stores 0, an absent text keeps the stored one.
void pcnt_groups_set(request& rq) {
    json_object* list = req_array(rq.json, "groups");
    if (!list) return rq.refuse("groups");
    int rc = event_store([&] {
        pcnt_group_record groups[pcnt_groups];
        for (int i = 0; i < pcnt_groups; ++i) tqdb_load(TQDB_FILE, tqdb_tbl_peoplecnt_settings, &groups[i], i);
        for (int i = 0; i < pcnt_groups; ++i) {
            json_object* item = json_object_array_get_idx(list, i);
            if (!json_object_is_type(item, json_type_object)) continue;
            fields_from_json(item, &groups[i], group_fields, FM_ZERO_ABSENT);
            groups[i].groupid = i;  // the slot, whatever the element says
        }
        return write_peoplecnt_settings(TQDB_FILE, groups, pcnt_groups);
    });
    if (rc != 0) return rq.fail();
    int32_t zero = 0;
    core_query(pcnt_reply, msg_pcnt_groups_changed, sizeof zero, &zero, 1);
}

void pcnt_camera_url(request& rq) {
    pcnt_url_request req;
    std::memset(&req, 0, sizeof req);
    int chn = -1;
    if (!req_channel(rq.json, "chnid", &chn)) {
        cgi_reply_error(0);
        return;
    }
    req.channel = chn;
    req_text(rq.json, "url", req.url, sizeof req.url);
    core_query(pcnt_reply, msg_pcnt_camera_url, sizeof req, &req, 1);
}

void pcnt_group_event_get(request& rq) {
    int group = request_group(rq);
    if (group < 0) return rq.refuse("groupid");
    json_ref reply(group_event_object(group, false));
    cgi_reply_json(reply.get());
}

void pcnt_group_event_set(request& rq) {
    int group = request_group(rq);
    if (group < 0) return rq.refuse("groupid");
    event_ref ev{pcnt_group_source, group};
    if (event_store([&] { return event_action_store(ev, rq.json, action_form::own); }) != 0) return rq.fail();
    pcnt_group_event_notice notice{group, -1};
    core_query(pcnt_reply, msg_pcnt_group_event_changed, sizeof notice, &notice, 1);
}

void pcnt_group_action1(request& rq) {
    channel_query(rq, "groupid", pcnt_reply, msg_pcnt_group_action1, pcnt_groups);
}

void pcnt_group_action2(request& rq) {
    channel_query(rq, "groupid", pcnt_reply, msg_pcnt_group_action2, pcnt_groups);
}

void pcnt_reports_get(request&) {
    pcnt_report_record reports[pcnt_reports];
    read_peoplecnt_auto_backup(TQDB_FILE, reports, nullptr);
    json_ref reply(json_object_new_object());
    json_object_object_add(reply.get(), "report", fields_array(reports, sizeof reports[0], pcnt_reports, report_fields));
    jadd_int(reply.get(), "email", 1);
    cgi_reply_json(reply.get());
}

// Element i changes report i; a report without an element stays as stored.
void pcnt_reports_set(request& rq) {
    json_object* list = req_array(rq.json, "report");
    int rc = event_store([&] {
        pcnt_report_record reports[pcnt_reports];
        read_peoplecnt_auto_backup(TQDB_FILE, reports, nullptr);
        for (int i = 0; i < pcnt_reports; ++i) {
            json_object* item = list ? json_object_array_get_idx(list, i) : nullptr;
            if (json_object_is_type(item, json_type_object))
                fields_from_json(item, &reports[i], report_fields, FM_ZERO_ABSENT);
        }
        return write_peoplecnt_auto_backup(TQDB_FILE, reports, pcnt_reports);
    });
    if (rc != 0) return rq.fail();
    core_query(pcnt_reply, msg_pcnt_reports_changed, 0, nullptr, 1);
}
