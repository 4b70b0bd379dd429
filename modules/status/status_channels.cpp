// Per-channel pages: the camera stream list ("/8002", answer 8300) and the
// event and alarm state ("/8003", answer 8305), each merged with the
// channel names and addresses of the database.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/common/channels.h"
#include "modules/common/field_map.h"
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
    std::memset(info.name, 0, sizeof info.name);
    read_osd_name(TQDB_FILE, chn, info.name, sizeof info.name);
    load_camera(TQDB_FILE, &info.cam, chn);
    return info;
}

// A stream: {"res": {"width", "height"}, "framerate", ...}.
using ss = status_stream;
const field resolution_fields[] = {FM_INT(ss, "width", width), FM_INT(ss, "height", height)};
const field stream_fields[] = {
    FM_INT(ss, "framerate", framerate),
    FM_INT(ss, "bitrate", bitrate),
    FM_INT(ss, "connection", connection),
    FM_INT(ss, "connectStatus", connect_status),
};

json_object* stream_json(const status_stream& s) {
    json_object* o = json_object_new_object();
    json_object_object_add(o, "res", fields_object(&s, resolution_fields));
    fields_to_json(o, &s, stream_fields);
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
int status_write_cameras(const core_answer& answer) {
    uint32_t next = 0;
    const int channels = max_channels();
    json_ref list(json_object_new_array());
    for (int i = 0; i < channels; ++i) {
        status_camera rec{};
        bool listed = false;
        while (next < answer.count) {
            rec = answer.rec<status_camera>(next);
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
    return 1;
}

namespace {

// The per-camera event flags after "ioOn": bit n of each 64-bit mask.
using se = status_events;
const field event_bits[] = {
    FM_INTS(se, "entrance", entrance),
    FM_INTS(se, "exiting", exiting),
    FM_INTS(se, "advancedMotion", advanced_motion),
    FM_INTS(se, "tampering", tampering),
    FM_INTS(se, "lineCrossing", line_crossing),
    FM_INTS(se, "loitering", loitering),
    FM_INTS(se, "humanDetection", human_detection),
    FM_INTS(se, "objectleftremove", object_left_removed),
};

bool mask_bit(const status_events& ev, const field& f, int n) {
    uint32_t mask[2];
    std::memcpy(mask, reinterpret_cast<const char*>(&ev) + f.offset, sizeof mask);
    return bit(mask, n);
}

json_object* camera_events_json(const status_events& ev, int n,
                                const alarm_chn_in_name (&in_names)[cam_alarm_count],
                                const alarm_chn_out_name (&out_names)[cam_alarm_count]) {
    channel_info info = channel(n);
    json_object* o = json_object_new_object();
    jadd_int(o, "id", n);
    jadd_field(o, "name", info.name, sizeof info.name);
    jadd_field(o, "ipAddr", info.cam.ip_addr, sizeof info.cam.ip_addr);
    jadd_int(o, "videolossOn", bit(ev.video_loss, n));
    jadd_int(o, "motionOn", bit(ev.motion, n));
    jadd_int(o, "ioOn", 1);
    for (const field& f : event_bits) jadd_int(o, f.key, mask_bit(ev, f, n));
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

// The recorder's own inputs and outputs, as many as it has: the stored
// fields, then the state bit of the answer.
template <typename Rec, int Count, size_t N>
json_object* alarm_list(const tqdb_table& table, const char* count_param, const field (&map)[N],
                        uint32_t states) {
    Rec rows[Count];
    read_alarm_rows(TQDB_FILE, table, rows);
    json_object* list = json_object_new_array();
    int count = std::clamp(get_param_int(TQDB_FILE, count_param, Count), 0, Count);
    for (int id = 0; id < count; ++id) {
        json_object* o = fields_object(&rows[id], map);
        jadd_int(o, "state", states >> id & 1);
        json_object_array_add(list, o);
    }
    return list;
}

const field alarm_in_fields[] = {
    FM_INT(alarm_in_record, "id", id),
    FM_TEXT(alarm_in_record, "name", name),
    FM_INT(alarm_in_record, "type", type),
};
const field alarm_out_fields[] = {
    FM_INT(alarm_out_record, "id", id),
    FM_TEXT(alarm_out_record, "name", name),
    FM_INT(alarm_out_record, "type", type),
    FM_INT(alarm_out_record, "duration", duration_time),
};

}  // namespace

int status_write_events(const core_answer& answer) {
    const status_events ev = answer.rec<status_events>();
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

    json_ref obj(json_object_new_object());
    json_object_object_add(obj.get(), "cameras", cameras.release());
    json_object_object_add(obj.get(), "alarmIn",
                           alarm_list<alarm_in_record, alarm_in_count>(tqdb_tbl_alarm_in, "alarm_in",
                                                                       alarm_in_fields, ev.alarm_in_state));
    json_object_object_add(obj.get(), "alarmOut",
                           alarm_list<alarm_out_record, alarm_out_count>(
                               tqdb_tbl_alarm_out, "alarm_out", alarm_out_fields, ev.alarm_out_state));
    cgi_reply_json(obj.get());
    return 1;
}
