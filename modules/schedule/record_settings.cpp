// Record settings of the channels (pre/post recording, audio, expiry, the
// recording stream) and the ANR flag of their cameras; the two live queries
// of the recording page.
#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/common/channels.h"
#include "modules/common/field_map.h"
#include "modules/schedule/schedule.h"
#include "platform/msg_schedule.h"
#include "platform/tqdb/rec_camera.h"

namespace {

constexpr int cam_protocol_rtsp = 1;

// What the page shows of a channel: its record row and its camera.
struct channel_settings {
    record_row row;
    camera_record cam;
};
static_assert(sizeof(channel_settings) == sizeof(record_row) + sizeof(camera_record));

// Members in reply order. A request sets the row's values (an absent one is
// 0) and names the wanted stream and ANR flag of the cameras ("camAnr",
// which the reply calls "cameraAnr").
using cs = channel_settings;
const field settings_fields[] = {
    FM_INT(cs, "id", row.id).out_only(),
    FM_INT(cs, "prevRecordOn", row.prev_record_on).range(0, 1),
    FM_INT(cs, "prevRecordDuration", row.prev_record_duration).range(0, INT32_MAX),
    FM_INT(cs, "postRecordOn", row.post_record_on).range(0, 1),
    FM_INT(cs, "postRecordDuration", row.post_record_duration),
    FM_INT(cs, "audioEnable", row.audio_enable).range(0, 1),
    FM_INT(cs, "recordStreamType", cam.record_stream).range(0, 2),
    FM_INT(cs, "recordExpDate", row.record_exp_date),
    FM_INT(cs, "cameraAnr", cam.anr).out_only(),
    FM_INT(cs, "camEnable", cam.enable).out_only(),
    FM_INT(cs, "camProtocol", cam.protocol).out_only(),
    FM_INT(cs, "poeChannel", cam.poe_channel).out_only(),
    FM_INT(cs, "camAnr", cam.anr).in_only().required(),
};

// ANR goes on only for an enabled camera that is not on a PoE port and is
// not reached by plain RTSP; it goes off for any camera.
bool anr_can_switch(const camera_record& cam, int anr) {
    if (cam.anr == anr) return false;
    if (anr == 0) return true;
    return cam.enable != 0 && cam.poe_channel == 0 && cam.protocol != cam_protocol_rtsp;
}

}  // namespace

void record_settings_show(request& rq) {
    int chn = text_channel(rq.text);
    if (chn < 0) return rq.refuse("channel");
    channel_settings s;
    load_record(TQDB_FILE, &s.row, chn);
    load_camera(TQDB_FILE, &s.cam, chn);
    json_ref reply(fields_object(&s, settings_fields));
    cgi_reply_json(reply.get());
}

namespace {

// What a store tells the core daemon: the channels whose settings changed,
// and the cameras whose ANR flag is to be switched.
struct settings_change {
    record_settings_msg changed{};
    anr_switch_msg anr_list{};
};

// Sets the request's values in the rows of the listed channels, and the
// stream and ANR flag of their cameras where they differ. Rows and cameras
// are read, changed and written in one transaction, under the CGI lock that
// the camera pages take for their own edits: a camera or row changed
// meanwhile by another page is neither lost nor half overwritten. 0 when
// stored.
int store_settings(json_object* req, const chn_list& chns, settings_change& out) {
    channel_settings asked{};  // the request's values, absent ones 0
    fields_from_json(req, &asked, settings_fields, FM_ZERO_ABSENT);
    const int32_t stream = asked.cam.record_stream, anr = asked.cam.anr;
    out.anr_list.anr = anr;
    cgi_lock_guard lock;
    return tqdb_atomic(TQDB_FILE, [&] {
        record_row rows[64];
        if (read_records_by_channel(TQDB_FILE, rows) != 0) return -1;
        out.changed.count = out.anr_list.count = 0;
        uint64_t stream_mask = 0, anr_mask = 0;
        for (int i = 0; i < chns.count; ++i) {
            int ch = chns.chn[i];
            channel_settings s{rows[ch], {}};
            fields_from_json(req, &s, settings_fields, FM_ZERO_ABSENT);
            rows[ch] = s.row;
            out.changed.chn[out.changed.count++] = ch;
            camera_record cam;
            if (load_camera(TQDB_FILE, &cam, ch) < 0) return -1;
            if (cam.record_stream != stream) stream_mask |= uint64_t{1} << ch;
            if (anr_can_switch(cam, anr)) {
                out.anr_list.chn[out.anr_list.count++] = ch;
                anr_mask |= uint64_t{1} << ch;
            }
        }
        if (write_records(TQDB_FILE, rows, chns.mask) != 0 ||
            copy_table_column_int(TQDB_FILE, "camera", "anr", anr, anr_mask, "id") != 0)
            return -1;
        return copy_table_column_int(TQDB_FILE, "camera", "record_stream", stream, stream_mask, "id");
    });
}

}  // namespace

void record_settings_store(request& rq) {
    chn_list chns;
    if (!chn_list_from_json(rq.json, &chns) || !fields_valid(rq.json, settings_fields))
        return rq.refuse("cnt, chnid, camAnr or a value out of range");
    settings_change change;
    if (store_settings(rq.json, chns, change) != 0) return rq.fail();
    core_notify(schedule_reply, msg_record_settings, sizeof change.changed, &change.changed);
    oplog_send(oplog_sub_record, oplog_param_record_settings);
    core_query(schedule_reply, msg_anr_switch, sizeof change.anr_list, &change.anr_list, REPLY_JSON);
}

// 7285: a failure when ANR was being switched on and any camera failed.
int write_anr_switch(const core_answer& answer) {
    auto r = answer.rec<anr_switch_reply>();
    int count = r.count < 0 ? 0 : r.count > 64 ? 64 : r.count;
    int resp = 0;
    if (r.anr != 0)
        for (int i = 0; i < count; ++i)
            if (r.result[i] != 0) resp = -1;
    json_ref obj(json_object_new_object());
    jadd_int(obj.get(), "resp", resp);
    cgi_reply_json(obj.get());
    return 1;
}

void anr_support_query(request& rq) {
    int32_t chn = text_channel(rq.text);
    if (chn < 0) return rq.refuse("channel");
    core_query(schedule_reply, msg_anr_support, sizeof chn, &chn, REPLY_JSON);
}

int write_anr_support(const core_answer& answer) {
    auto r = answer.rec<anr_support_reply>();
    json_ref obj(json_object_new_object());
    jadd_int(obj.get(), "chnid", r.chn);
    jadd_int(obj.get(), "support", r.support);
    cgi_reply_json(obj.get());
    return 1;
}

void record_streams_query(request&) {
    core_query(schedule_reply, msg_record_streams, 0, nullptr, REPLY_JSON);
}

namespace {
json_object* int_array(const int32_t* values, int count) {
    json_object* arr = json_object_new_array();
    for (int i = 0; i < count; ++i) json_object_array_add(arr, json_object_new_int(values[i]));
    return arr;
}
}  // namespace

// 8218: the size the core reports, held to the 64 entries of the arrays.
int write_record_streams(const core_answer& answer) {
    auto r = answer.rec<record_streams_reply>();
    int size = r.size < 0 ? 0 : r.size > 64 ? 64 : r.size;
    json_ref obj(json_object_new_object());
    json_object_object_add(obj.get(), "primary", int_array(r.primary, size));
    json_object_object_add(obj.get(), "secondary", int_array(r.secondary, size));
    jadd_int(obj.get(), "size", size);
    cgi_reply_json(obj.get());
    return 1;
}
