// Camera queries: camera web parameters, camera information and type, the
// watermark, the capability query, a command text for the local display,
// the chip code, the motion state of every channel, the days of a month
// that hold recordings, and the event schedules of a channel.
//
// All but the event schedules are single exchanges with the core daemon:
// the handler sends one message and waits, and the writer of the answer
// renders the reply. A writer given fewer bytes than its record writes the
// request's failure reply at once instead of reading past the payload.
#include <algorithm>
#include <cstring>
#include <ctime>
#include <iterator>

#include "front/core_link.h"
#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/camera/camera.h"
#include "modules/common/channels.h"
#include "modules/common/sched_json.h"
#include "platform/msg_camera_query.h"
#include "platform/nvr_env.h"
#include "platform/tqdb/rec_event_schedule.h"
#include "platform/tqdb/tqdb.h"

namespace {

// ---- writer helpers -----------------------------------------------------------

// Claims the reply for a writer that needs need bytes of payload. A shorter
// answer counts as a failed exchange: its failure reply goes out now.
bool claim(uint32_t size, size_t need, int fail_type) {
    if (!core_reply_claim()) return false;
    if (size < need) {
        cgi_reply_error(fail_type);
        core_reply_done(0);
        return false;
    }
    return true;
}

void finish(const json_ref& obj) {
    cgi_reply_json(obj.get());
    core_reply_done(1);
}

template <typename T>
T record_of(const void* payload) {
    T rec;
    std::memcpy(&rec, payload, sizeof rec);
    return rec;
}

// {key: first int32 of the answer}.
void write_int_member(const void* payload, uint32_t size, const char* key, int fail_type) {
    if (!claim(size, sizeof(int32_t), fail_type)) return;
    json_ref obj(json_object_new_object());
    jadd_int(obj.get(), key, record_of<int32_t>(payload));
    finish(obj);
}

json_object* cam_info_json(const cam_info& e) {
    json_object* o = json_object_new_object();
    jadd_int(o, "chnid", e.chnid);
    jadd_field(o, "ipaddr", e.ip_addr, sizeof e.ip_addr);
    jadd_field(o, "model", e.model, sizeof e.model);
    jadd_field(o, "fwversion", e.fw_version, sizeof e.fw_version);
    return o;
}

// ---- simple queries -------------------------------------------------------------

// A query whose message carries one integer member of the request, or
// nothing.
struct query_spec {
    int msg_id;
    const char* key;   // request member sent as the int32 payload; null: no payload
    bool channel;      // the member must be a channel 0..63
    int fail_type;     // failure reply when the core does not answer
    bool refuse_json;  // a refused request gets the JSON failure reply (else none)
};

void run_query(const char* text, const query_spec& q) {
    int32_t value = 0;
    if (q.key) {
        json_ref req = json_parse_object(text);
        int v = 0;
        if (!req_int(req, q.key, &v) || (q.channel && !chn_ok(v))) {
            if (q.refuse_json) cgi_reply_error(REPLY_JSON);
            return;
        }
        value = v;
    }
    core_query(camera_reply, q.msg_id, q.key ? sizeof value : 0, q.key ? &value : nullptr, q.fail_type);
}

// ---- camera web parameters ----------------------------------------------------------

// The parameter of a "/2023" or "/2024" request; false when it has no "id".
bool take_web_param(const char* text, bool with_value, cam_web_param* p) {
    json_ref req = json_parse_object(text);
    int id = 0;
    if (!req_int(req, "id", &id)) return false;
    std::memset(p, 0, sizeof *p);
    p->id = id;
    req_text(req.get(), "pagename", p->page_name, sizeof p->page_name);
    req_text(req.get(), "httpname", p->http_name, sizeof p->http_name);
    req_text(req.get(), "key", p->key, sizeof p->key);
    if (with_value) req_text(req.get(), "value", p->value, sizeof p->value);
    return true;
}

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

void write_event_schedule(const event_schedule& e, int chn, const week_schedule& sched) {
    if (e.smart_type < 0)
        write_motion_effective_schedule(TQDB_FILE, &sched, chn);
    else
        write_smart_event_effective_schedule(TQDB_FILE, &sched, chn, e.smart_type);
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
    char* text = rq.text;
    cam_web_param p;
    if (!take_web_param(text, false, &p)) return;
    p.flag = p.page_name[0] == '\0' ? 1 : 0;
    core_query(camera_reply, MSG_CAM_PARAM_GET, sizeof p, &p, REPLY_TEXT);
}

void cam_param_set(request& rq) {
    char* text = rq.text;
    cam_web_param p;
    if (!take_web_param(text, true, &p)) return;
    // The camera needs a moment before it takes a new rate control.
    if (std::strcmp(p.key, "ratecontrol1") == 0 || std::strcmp(p.key, "ratecontrol2") == 0)
        nvr_sleep_ms(2000);
    core_query(camera_reply, MSG_CAM_PARAM_SET, sizeof p, &p, REPLY_TEXT);
}

void cam_type(request& rq) {
    char* text = rq.text;
    run_query(text, {MSG_CAM_TYPE, "id", false, REPLY_TEXT, false});
}

void cam_ui_command(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    const char* cmd = req_str(req, "cmd");
    if (!cmd) return;
    ui_command c;
    copy_text(c.text, sizeof c.text, cmd);
    core_query(camera_reply, MSG_UI_COMMAND, sizeof c, &c, REPLY_TEXT);
}

void cam_chip_code(request& rq) {
    char* text = rq.text;
    run_query(text, {MSG_CHIP_CODE, nullptr, false, REPLY_TEXT, false});
}
void cam_motion_state(request& rq) {
    char* text = rq.text;
    run_query(text, {MSG_MOTION_STATE, nullptr, false, REPLY_TEXT, false});
}
void cam_info_all(request& rq) {
    char* text = rq.text;
    run_query(text, {MSG_CAM_INFO_ALL, nullptr, false, REPLY_JSON, false});
}
void cam_support(request& rq) {
    char* text = rq.text;
    run_query(text, {MSG_CAM_SUPPORT, "chnid", true, REPLY_JSON, true});
}
void cam_info_one(request& rq) {
    char* text = rq.text;
    run_query(text, {MSG_CAM_INFO, "chnid", true, REPLY_JSON, true});
}
void cam_watermark_get(request& rq) {
    char* text = rq.text;
    run_query(text, {MSG_CAM_WATERMARK, "chnid", true, REPLY_JSON, true});
}

void cam_watermark_put(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    int chn = -1;
    if (!req_int(req, "chnid", &chn) || !chn_ok(chn)) {
        cgi_reply_error(REPLY_JSON);
        return;
    }
    cam_watermark_set w;
    std::memset(&w, 0, sizeof w);
    w.chnid = chn;
    w.enable = req_int_or(req, "enable", 0);
    req_text(req.get(), "watermark", w.watermark, sizeof w.watermark);
    req_text(req.get(), "copy", w.copy, sizeof w.copy, 64);
    // The channel's own place is always marked; a shorter copy text is
    // filled with '0' up to it, so the text stays one character per channel.
    for (int i = static_cast<int>(strnlen(w.copy, 64)); i < chn; ++i) w.copy[i] = '0';
    w.copy[chn] = '1';
    core_query(camera_reply, MSG_CAM_WATERMARK_SET, sizeof w, &w, REPLY_JSON);
}

void cam_record_days(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    const char* time_text = req_str(req, "time");
    int chn = -1;
    int stream = 0;
    if (!time_text || !req_int(req, "chnid", &chn) || !req_int(req, "streamType", &stream) || !chn_ok(chn))
        return;
    struct tm when = {};
    const char* end = strptime(time_text, "%Y-%m-%d %H:%M:%S", &when);
    if (!end || *end != '\0') return;
    record_days_req q;
    std::memset(&q, 0, sizeof q);
    q.stream = stream == 1 ? 1 : 0;
    q.year = when.tm_year + 1900;
    q.month = when.tm_mon + 1;
    std::memset(q.channels, '0', 64);
    q.channels[chn] = '1';
    core_query(camera_reply, MSG_RECORD_DAYS, sizeof q, &q, REPLY_JSON);
}

void cam_event_schedules(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    int chn = -1;
    if (!req_int(req, "channel", &chn) || !chn_ok(chn)) return;
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
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    int chn = -1;
    if (!req_int(req, "channel", &chn) || !chn_ok(chn)) return;
    // Only the event numbers that exist are visited, whatever range is asked.
    int first = std::max(req_int_or(req, "start", 0), 0);
    int last = std::min(req_int_or(req, "end", 0), event_schedule_count - 1);
    for (int n = first; n <= last; ++n) {
        week_schedule sched;
        // A member the request leaves out keeps the stored schedule.
        if (schedule_from_json(req.get(), event_schedules[n].member, &sched) == 0)
            write_event_schedule(event_schedules[n], chn, sched);
    }
    cgi_reply(REPLY_TEXT, "OK");
}

// ---- writers ---------------------------------------------------------------------------

void write_web_param(const void* payload, uint32_t size) {
    if (!claim(size, sizeof(cam_web_param_reply), REPLY_TEXT)) return;
    auto r = record_of<cam_web_param_reply>(payload);
    json_ref obj(json_object_new_object());
    jadd_int(obj.get(), "id", r.id);
    jadd_field(obj.get(), "pagename", r.page_name, sizeof r.page_name);
    jadd_field(obj.get(), "httpname", r.http_name, sizeof r.http_name);
    jadd_field(obj.get(), "key", r.key, sizeof r.key);
    jadd_field(obj.get(), "value", r.value, sizeof r.value);
    finish(obj);
}

void write_web_param_result(const void* payload, uint32_t size) {
    if (!claim(size, sizeof(int32_t), REPLY_TEXT)) return;
    cgi_reply(REPLY_TEXT, record_of<int32_t>(payload) == 0 ? "OK" : "ERROR");
    core_reply_done(1);
}

void write_camera_type(const void* payload, uint32_t size) {
    write_int_member(payload, size, "type", REPLY_TEXT);
}

void write_ui_command_result(const void* payload, uint32_t size) {
    if (!claim(size, ui_command_result_at, REPLY_TEXT)) return;
    json_ref obj(json_object_new_object());
    jadd_field(obj.get(), "result", static_cast<const char*>(payload) + ui_command_result_at,
               size - ui_command_result_at);
    finish(obj);
}

void write_chip_code(const void* payload, uint32_t size) {
    if (!claim(size, 1, REPLY_TEXT)) return;
    json_ref obj(json_object_new_object());
    jadd_field(obj.get(), "chip_code", static_cast<const char*>(payload), size);
    finish(obj);
}

void write_motion_state(const void* payload, uint32_t size) {
    if (!claim(size, sizeof(uint64_t), REPLY_TEXT)) return;
    uint64_t mask = record_of<uint64_t>(payload);
    char text[65];
    for (int n = 0; n < 64; ++n) text[n] = (mask >> n) & 1 ? '1' : '0';
    text[64] = '\0';
    json_ref obj(json_object_new_object());
    jadd_str(obj.get(), "Motion", text);
    finish(obj);
}

void write_cam_info_all(const void* payload, uint32_t size) {
    if (!claim(size, 0, REPLY_JSON)) return;
    size_t count = std::min<size_t>(size / sizeof(cam_info), cam_info_entries);
    json_ref obj(json_object_new_object());
    json_object* list = json_object_new_array();
    json_object_object_add(obj.get(), "IPC", list);
    const auto* bytes = static_cast<const unsigned char*>(payload);
    for (size_t i = 0; i < count; ++i)
        json_object_array_add(list, cam_info_json(record_of<cam_info>(bytes + i * sizeof(cam_info))));
    finish(obj);
}

void write_cam_info(const void* payload, uint32_t size) {
    if (!claim(size, sizeof(cam_info), REPLY_JSON)) return;
    json_ref obj(cam_info_json(record_of<cam_info>(payload)));
    finish(obj);
}

void write_support(const void* payload, uint32_t size) { write_int_member(payload, size, "res", REPLY_JSON); }

void write_watermark(const void* payload, uint32_t size) {
    if (!claim(size, sizeof(cam_watermark), REPLY_JSON)) return;
    auto w = record_of<cam_watermark>(payload);
    json_ref obj(json_object_new_object());
    jadd_int(obj.get(), "chnid", w.chnid);
    jadd_int(obj.get(), "enable", w.enable);
    jadd_field(obj.get(), "watermark", w.watermark, sizeof w.watermark);
    finish(obj);
}

void write_watermark_result(const void* payload, uint32_t size) {
    write_int_member(payload, size, "res", REPLY_JSON);
}

void write_record_days(const void* payload, uint32_t size) {
    if (!claim(size, sizeof(record_days_reply), REPLY_JSON)) return;
    auto r = record_of<record_days_reply>(payload);
    json_ref days(json_object_new_array());
    for (int32_t d : r.day) json_object_array_add(days.get(), json_object_new_int(d != 0 ? 1 : 0));
    finish(days);
}
