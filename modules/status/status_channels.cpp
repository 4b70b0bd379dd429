// Per-channel pages: the camera stream list ("/8002", answer 8300) and the
// event and alarm state ("/8003", answer 8305), each merged with the
// channel names and addresses of the database.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/common/channels.h"
#include "modules/status/status.h"
#include "platform/msg_status.h"
#include "platform/tqdb/rec_alarm.h"
#include "platform/tqdb/rec_camera.h"
#include "platform/tqdb/tqdb.h"

namespace {

// The channel's display name and its camera record (zeros when missing).
struct channel_info {
    char name[sizeof osd_record::cam_name];
    camera_record cam;
};

channel_info channel(int chn) {
    channel_info info;
    std::memset(&info, 0, sizeof info);
    read_osd_name(TQDB_FILE, chn, info.name, sizeof info.name);
    read_camera(TQDB_FILE, &info.cam, chn);
    return info;
}

json_object* stream_json(const status_stream& s) {
    json_object* res = json_object_new_object();
    jadd_int(res, "width", s.width);
    jadd_int(res, "height", s.height);
    json_object* o = json_object_new_object();
    json_object_object_add(o, "res", res);
    jadd_int(o, "framerate", s.framerate);
    jadd_int(o, "bitrate", s.bitrate);
    jadd_int(o, "connection", s.connection);
    jadd_int(o, "connectStatus", s.connect_status);
    return o;
}

// A stream of a camera the answer does not list.
json_object* unknown_stream_json() {
    json_object* o = json_object_new_object();
    for (const char* key : {"res", "framerate", "bitrate", "connection"}) jadd_str(o, key, "--");
    return o;
}

bool bit(const uint32_t (&mask)[2], int n) { return mask[n / 32] >> (n % 32) & 1; }

}  // namespace

// The answer lists cameras in ascending order; records of a camera already
// passed (out of order or repeated) are skipped rather than holding up the
// cameras after them.
void status_write_cameras(const void* payload, uint32_t size) {
    uint32_t count = payload ? size / sizeof(status_camera) : 0;
    uint32_t next = 0;
    const int channels = max_channels();
    json_ref list(json_object_new_array());
    for (int i = 0; i < channels; ++i) {
        status_camera rec{};
        bool listed = false;
        while (next < count) {
            std::memcpy(&rec, static_cast<const char*>(payload) + next * sizeof rec, sizeof rec);
            if (rec.camera_id > i) break;
            ++next;
            if (rec.camera_id == i) {
                listed = true;
                break;
            }
        }
        channel_info info = channel(i);
        json_object* o = json_object_new_object();
        jadd_int(o, "id", i);
        jadd_field(o, "name", info.name, sizeof info.name);
        jadd_int(o, "enable", info.cam.enable);
        if (info.cam.ip_addr[0])
            jadd_field(o, "ipAddr", info.cam.ip_addr, sizeof info.cam.ip_addr);
        else
            jadd_str(o, "ipAddr", "--");
        if (listed) {
            jadd_int(o, "recordOn", rec.record_on);
            jadd_int(o, "alarmOn", rec.alarm_on);
            json_object_object_add(o, "main", stream_json(rec.main));
            json_object_object_add(o, "sub", stream_json(rec.sub));
        } else {
            jadd_str(o, "recordOn", "--");
            jadd_str(o, "alarmOn", "--");
            json_object_object_add(o, "main", unknown_stream_json());
            json_object_object_add(o, "sub", unknown_stream_json());
        }
        json_object_array_add(list.get(), o);
    }
    json_ref obj(json_object_new_object());
    json_object_object_add(obj.get(), "IPC", list.release());
    cgi_reply_json(obj.get());
}

namespace {

json_object* camera_events_json(const status_events& ev, int n,
                                const alarm_chn_in_name (&in_names)[cam_alarm_count],
                                const alarm_chn_out_name (&out_names)[cam_alarm_count]) {
    static const struct {
        const char* key;
        const uint32_t (status_events::*mask)[2];
    } masks[] = {
        {"entrance", &status_events::entrance},
        {"exiting", &status_events::exiting},
        {"advancedMotion", &status_events::advanced_motion},
        {"tampering", &status_events::tampering},
        {"lineCrossing", &status_events::line_crossing},
        {"loitering", &status_events::loitering},
        {"humanDetection", &status_events::human_detection},
        {"objectleftremove", &status_events::object_left_removed},
    };
    channel_info info = channel(n);
    json_object* o = json_object_new_object();
    jadd_int(o, "id", n);
    jadd_field(o, "name", info.name, sizeof info.name);
    jadd_field(o, "ipAddr", info.cam.ip_addr, sizeof info.cam.ip_addr);
    jadd_int(o, "videolossOn", bit(ev.video_loss, n));
    jadd_int(o, "motionOn", bit(ev.motion, n));
    jadd_int(o, "ioOn", 1);
    for (const auto& m : masks) jadd_int(o, m.key, bit(ev.*m.mask, n));
    jadd_int(o, "in", ev.counts[n][0]);
    jadd_int(o, "out", ev.counts[n][1]);
    for (int k = 0; k < cam_alarm_count; ++k) {
        char key[32];
        auto add = [&](const char* fmt, int64_t value) {
            std::snprintf(key, sizeof key, fmt, k);
            jadd_int(o, key, value);
        };
        std::snprintf(key, sizeof key, "AlarmInName%d", k);
        jadd_field(o, key, in_names[k].alarm_name, sizeof in_names[k].alarm_name);
        add("AlarmInType%d", bit(ev.cam_alarm_in_type[k], n));
        add("AlarmInState%d", bit(ev.cam_alarm_in_state[k], n));
        std::snprintf(key, sizeof key, "AlarmOutName%d", k);
        jadd_field(o, key, out_names[k].alarm_name, sizeof out_names[k].alarm_name);
        add("AlarmOutDelay%d", out_names[k].delay_time);
        add("AlarmOutType%d", bit(ev.cam_alarm_out_type[k], n));
        add("AlarmOutState%d", bit(ev.cam_alarm_out_state[k], n));
    }
    return o;
}

}  // namespace

void status_write_events(const void* payload, uint32_t) {
    status_events ev;
    std::memcpy(&ev, payload, sizeof ev);

    alarm_chn_in_name in_names[alarm_channels][cam_alarm_count];
    alarm_chn_out_name out_names[alarm_channels][cam_alarm_count];
    std::memset(in_names, 0, sizeof in_names);
    std::memset(out_names, 0, sizeof out_names);
    read_alarm_chnIn_event_names(TQDB_FILE, in_names);
    read_alarm_chnOut_event_names(TQDB_FILE, out_names);
    json_ref cameras(json_object_new_array());
    const int channels = max_channels();
    for (int n = 0; n < channels; ++n)
        json_object_array_add(cameras.get(), camera_events_json(ev, n, in_names[n], out_names[n]));

    alarm_in_record in_rows[alarm_in_count];
    read_alarm_rows(TQDB_FILE, tqdb_tbl_alarm_in, in_rows);
    json_ref alarm_in(json_object_new_array());
    int in_count = std::clamp(get_param_int(TQDB_FILE, "alarm_in", alarm_in_count), 0, alarm_in_count);
    for (int id = 0; id < in_count; ++id) {
        json_object* o = json_object_new_object();
        jadd_int(o, "id", id);
        jadd_field(o, "name", in_rows[id].name, sizeof in_rows[id].name);
        jadd_int(o, "type", in_rows[id].type);
        jadd_int(o, "state", ev.alarm_in_state >> id & 1);
        json_object_array_add(alarm_in.get(), o);
    }

    alarm_out_record out_rows[alarm_out_count];
    read_alarm_rows(TQDB_FILE, tqdb_tbl_alarm_out, out_rows);
    json_ref alarm_out(json_object_new_array());
    int out_count = std::clamp(get_param_int(TQDB_FILE, "alarm_out", alarm_out_count), 0, alarm_out_count);
    for (int id = 0; id < out_count; ++id) {
        json_object* o = json_object_new_object();
        jadd_int(o, "id", id);
        jadd_field(o, "name", out_rows[id].name, sizeof out_rows[id].name);
        jadd_int(o, "type", out_rows[id].type);
        jadd_int(o, "duration", out_rows[id].duration_time);
        jadd_int(o, "state", ev.alarm_out_state >> id & 1);
        json_object_array_add(alarm_out.get(), o);
    }

    json_ref obj(json_object_new_object());
    json_object_object_add(obj.get(), "cameras", cameras.release());
    json_object_object_add(obj.get(), "alarmIn", alarm_in.release());
    json_object_object_add(obj.get(), "alarmOut", alarm_out.release());
    cgi_reply_json(obj.get());
}
