// Camera queries: camera web parameters, camera information and type, the
// watermark, the capability query, a command text for the local display,
// the chip code, the motion state of every channel, the days of a month
// that hold recordings, and the event schedules of a channel.
//
// All but the event schedules are single exchanges with the core daemon:
// the handler sends one message and waits, and the writer of the answer
// renders the reply. The reply table gives a writer only an answer that
// holds its whole record; a shorter one gets the request's failure reply.
#include <algorithm>
#include <cstring>
#include <ctime>
#include <iterator>

#include "front/core_link.h"
#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/camera/camera.h"
#include "modules/common/channels.h"
#include "modules/common/field_map.h"
#include "modules/common/relay.h"
#include "modules/common/sched_json.h"
#include "platform/msg_camera_query.h"
#include "platform/nvr_env.h"
#include "platform/tqdb/rec_event_schedule.h"
#include "platform/tqdb/tqdb.h"

namespace {

// ---- camera web parameters ----------------------------------------------------------

using wp = cam_web_param;
// "/2023" and "/2024"; a read takes all but "value".
const field web_param_fields[] = {
    FM_INT(wp, "id", id).required(),
    FM_TEXT(wp, "pagename", page_name),
    FM_TEXT(wp, "httpname", http_name),
    FM_TEXT(wp, "key", key),
    FM_TEXT(wp, "value", value),
};
constexpr size_t web_param_read_rows = 4;

using wr = cam_web_param_reply;
const field web_param_reply_fields[] = {
    FM_INT(wr, "id", id),
    FM_TEXT(wr, "pagename", page_name),
    FM_TEXT(wr, "httpname", http_name),
    FM_TEXT(wr, "key", key),
    FM_TEXT(wr, "value", value),
};

// The parameter of a "/2023" or "/2024" request; false when it has no "id".
bool web_param_from(json_object* req, std::span<const field> map, cam_web_param* p) {
    if (!fields_valid(req, map)) return false;
    std::memset(p, 0, sizeof *p);
    fields_from_json(req, p, map);
    return true;
}

// ---- camera information and the watermark ------------------------------------------

const field cam_info_fields[] = {
    FM_INT(cam_info, "chnid", chnid),
    FM_TEXT(cam_info, "ipaddr", ip_addr),
    FM_TEXT(cam_info, "model", model),
    FM_TEXT(cam_info, "fwversion", fw_version),
};

const field watermark_fields[] = {
    FM_INT(cam_watermark, "chnid", chnid),
    FM_INT(cam_watermark, "enable", enable),
    FM_TEXT(cam_watermark, "watermark", watermark),
};

using ws = cam_watermark_set;
const field watermark_set_fields[] = {
    FM_INT(ws, "enable", enable),
    FM_TEXT(ws, "watermark", watermark),
    FM_TEXT(ws, "copy", copy).chars(64),
};

// ---- event schedules ----------------------------------------------------------------

// The event schedules of a channel, by event number ("/2036" "start".."end").
struct event_schedule {
    const char* member;
    int smart_type;  // smart-event store type; -1 the motion store
};
const event_schedule event_schedules[] = {
    {"schedule_motion", -1},         {"schedule_region_entrance", 0},  {"schedule_region_exit", 1},
    {"schedule_advanced_motion", 2}, {"schedule_tamper_detection", 3}, {"schedule_line_crossing", 4},
    {"schedule_loitering", 5},       {"schedule_human_detection", 6},  {"schedule_people_counting", 7},
};
constexpr int event_schedule_count = static_cast<int>(std::size(event_schedules));

void read_event_schedule(const event_schedule& e, int chn, week_schedule* sched) {
    std::memset(sched, 0, sizeof *sched);
    if (e.smart_type < 0)
        read_motion_effective_schedule(TQDB_FILE, sched, chn);
    else
        read_smart_event_effective_schedule(TQDB_FILE, sched, chn, e.smart_type);
}

int write_event_schedule(const event_schedule& e, int chn, const week_schedule& sched) {
    if (e.smart_type < 0) return write_motion_effective_schedule(TQDB_FILE, &sched, chn);
    return write_smart_event_effective_schedule(TQDB_FILE, &sched, chn, e.smart_type);
}

// The page shows a slot without a start as a midnight-to-midnight slot.
void fill_empty_slots(week_schedule* sched) {
    for (sched_day& day : sched->days) {
        for (int s = 0; s < SCHED_JSON_SLOTS; ++s) {
            sched_slot& slot = day.slots[s];
            if (slot.start_time[0] != '\0') continue;
            copy_text(slot.start_time, sizeof slot.start_time, "00:00");
            copy_text(slot.end_time, sizeof slot.end_time, "00:00");
            slot.action_type = 0;
        }
    }
}

}  // namespace

// ---- handlers -------------------------------------------------------------------------

void cam_param_get(request& rq) {
    cam_web_param p;
    if (!web_param_from(rq.json, std::span(web_param_fields).first(web_param_read_rows), &p))
        return rq.refuse("id");
    p.flag = p.page_name[0] == '\0' ? 1 : 0;
    core_query(camera_reply, msg_cam_param_get, sizeof p, &p, REPLY_TEXT);
}

void cam_param_set(request& rq) {
    cam_web_param p;
    if (!web_param_from(rq.json, web_param_fields, &p)) return rq.refuse("id");
    // The camera needs a moment before it takes a new rate control.
    if (std::strcmp(p.key, "ratecontrol1") == 0 || std::strcmp(p.key, "ratecontrol2") == 0)
        nvr_sleep_ms(2000);
    core_query(camera_reply, msg_cam_param_set, sizeof p, &p, REPLY_TEXT);
}

void cam_type(request& rq) {
    int id = 0;
    if (!req_int(rq.json, "id", &id)) return rq.refuse("id");
    int32_t payload = id;
    core_query(camera_reply, msg_cam_type, sizeof payload, &payload, REPLY_TEXT);
}

void cam_ui_command(request& rq) {
    const char* cmd = req_str(rq.json, "cmd");
    if (!cmd) return rq.refuse("cmd");
    ui_command c;
    copy_text(c.text, sizeof c.text, cmd);
    core_query(camera_reply, msg_ui_command, sizeof c, &c, REPLY_TEXT);
}

void cam_chip_code(request&) { core_query(camera_reply, msg_chip_code, 0, nullptr, REPLY_TEXT); }
void cam_motion_state(request&) { core_query(camera_reply, msg_motion_state, 0, nullptr, REPLY_TEXT); }
void cam_info_all(request&) { core_query(camera_reply, msg_cam_info_all, 0, nullptr, REPLY_JSON); }
void cam_support(request& rq) { channel_query(rq, "chnid", camera_reply, msg_cam_support); }
void cam_info_one(request& rq) { channel_query(rq, "chnid", camera_reply, msg_cam_info); }
void cam_watermark_get(request& rq) { channel_query(rq, "chnid", camera_reply, msg_cam_watermark); }

void cam_watermark_put(request& rq) {
    int chn = -1;
    if (!req_channel(rq.json, "chnid", &chn)) return rq.refuse("chnid");
    cam_watermark_set w;
    std::memset(&w, 0, sizeof w);
    w.chnid = chn;
    fields_from_json(rq.json, &w, watermark_set_fields, FM_ZERO_ABSENT);
    // The channel's own place is always marked; a shorter copy text is
    // filled with '0' up to it, so the text stays one character per channel.
    for (int i = static_cast<int>(strnlen(w.copy, 64)); i < chn; ++i) w.copy[i] = '0';
    w.copy[chn] = '1';
    core_query(camera_reply, msg_cam_watermark_set, sizeof w, &w, REPLY_JSON);
}

void cam_record_days(request& rq) {
    json_object* req = rq.json;
    const char* time_text = req_str(req, "time");
    int chn = -1;
    int stream = 0;
    if (!time_text || !req_channel(req, "chnid", &chn) || !req_int(req, "streamType", &stream))
        return rq.refuse("time, chnid or streamType");
    struct tm when = {};
    const char* end = strptime(time_text, "%Y-%m-%d %H:%M:%S", &when);
    if (!end || *end != '\0') return rq.refuse("time");
    record_days_req q;
    std::memset(&q, 0, sizeof q);
    q.stream = stream == 1 ? 1 : 0;
    q.year = when.tm_year + 1900;
    q.month = when.tm_mon + 1;
    std::memset(q.channels, '0', 64);
    q.channels[chn] = '1';
    core_query(camera_reply, msg_record_days, sizeof q, &q, REPLY_JSON);
}

void cam_event_schedules(request& rq) {
    int chn = -1;
    if (!req_channel(rq.json, "channel", &chn)) return rq.refuse("channel");
    json_ref reply(json_object_new_object());
    for (const event_schedule& e : event_schedules) {
        week_schedule sched;
        read_event_schedule(e, chn, &sched);
        fill_empty_slots(&sched);
        json_object_object_add(reply.get(), e.member, schedule_to_json(sched));
    }
    cgi_reply_json(reply.get());
}

void cam_event_schedules_copy(request& rq) {
    json_object* req = rq.json;
    int chn = -1;
    if (!req_channel(req, "channel", &chn)) return rq.refuse("channel");
    // Only the event numbers that exist are visited, whatever range is asked.
    int first = std::max(req_int_or(req, "start", 0), 0);
    int last = std::min(req_int_or(req, "end", 0), event_schedule_count - 1);
    // The schedules of one request are stored together or not at all.
    int rc = tqdb_atomic(TQDB_FILE, [&] {
        for (int n = first; n <= last; ++n) {
            week_schedule sched;
            // A member the request leaves out keeps the stored schedule.
            if (schedule_from_json(req, event_schedules[n].member, &sched) != 0) continue;
            if (int rc = write_event_schedule(event_schedules[n], chn, sched); rc != 0) return rc;
        }
        return 0;
    });
    if (rc != 0) return rq.fail();
    cgi_reply(REPLY_TEXT, "OK");
}

// ---- writers ---------------------------------------------------------------------------

int write_web_param(const core_answer& answer) {
    cam_web_param_reply r = answer.rec<cam_web_param_reply>();
    return reply_fields(&r, web_param_reply_fields);
}

int write_web_param_result(const core_answer& answer) {
    cgi_reply(REPLY_TEXT, answer.rec<int32_t>() == 0 ? "OK" : "ERROR");
    return 1;
}

int write_camera_type(const core_answer& answer) { return reply_int_member("type", answer); }
int write_result(const core_answer& answer) { return reply_int_member("res", answer); }

// The result text fills the answer after its four words.
int write_ui_command_result(const core_answer& answer) {
    json_ref obj(json_object_new_object());
    jadd_field(obj.get(), "result", answer.bytes() + ui_command_result_at,
               answer.size - ui_command_result_at);
    cgi_reply_json(obj.get());
    return 1;
}

int write_chip_code(const core_answer& answer) {
    json_ref obj(json_object_new_object());
    jadd_field(obj.get(), "chip_code", answer.bytes(), answer.size);
    cgi_reply_json(obj.get());
    return 1;
}

int write_motion_state(const core_answer& answer) {
    uint64_t mask = answer.rec<uint64_t>();
    char text[65];
    for (int n = 0; n < 64; ++n) text[n] = (mask >> n) & 1 ? '1' : '0';
    text[64] = '\0';
    json_ref obj(json_object_new_object());
    jadd_str(obj.get(), "Motion", text);
    cgi_reply_json(obj.get());
    return 1;
}

// No more than the 64 channels, whatever the answer holds.
int write_cam_info_all(const core_answer& answer) {
    size_t count = std::min<size_t>(answer.size / sizeof(cam_info), cam_info_entries);
    json_ref obj(json_object_new_object());
    json_object* list = json_object_new_array();
    json_object_object_add(obj.get(), "IPC", list);
    for (size_t i = 0; i < count; ++i) {
        cam_info e = answer.rec<cam_info>(i);
        json_object_array_add(list, fields_object(&e, cam_info_fields));
    }
    cgi_reply_json(obj.get());
    return 1;
}

int write_cam_info(const core_answer& answer) {
    cam_info e = answer.rec<cam_info>();
    return reply_fields(&e, cam_info_fields);
}

int write_watermark(const core_answer& answer) {
    cam_watermark w = answer.rec<cam_watermark>();
    return reply_fields(&w, watermark_fields);
}

int write_record_days(const core_answer& answer) {
    record_days_reply r = answer.rec<record_days_reply>();
    json_ref days(json_object_new_array());
    for (int32_t d : r.day) json_object_array_add(days.get(), json_object_new_int(d != 0 ? 1 : 0));
    cgi_reply_json(days.get());
    return 1;
}
