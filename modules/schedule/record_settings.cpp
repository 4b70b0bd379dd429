// Record settings of the channels (pre/post recording, audio, expiry, the
// recording stream) and the ANR flag of their cameras; the two live queries
// of the recording page.
#include <memory>

#include "front/core_link.h"
#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/common/channels.h"
#include "modules/schedule/schedule.h"
#include "modules/schedule/schedule_msgs.h"
#include "platform/tqdb/rec_camera.h"

namespace {

#define CAM_PROTOCOL_RTSP 1

// The values of "/6045" that every listed channel gets.
struct record_settings {
    int prev_on, prev_duration, post_on, post_duration, audio, exp_date, stream_type, anr;
};

bool is_flag(int v) { return v == 0 || v == 1; }

bool settings_from_json(json_object* req, record_settings* s) {
    if (!req_int(req, "camAnr", &s->anr)) return false;
    s->prev_on = req_int_or(req, "prevRecordOn", 0);
    s->prev_duration = req_int_or(req, "prevRecordDuration", 0);
    s->post_on = req_int_or(req, "postRecordOn", 0);
    s->post_duration = req_int_or(req, "postRecordDuration", 0);
    s->audio = req_int_or(req, "audioEnable", 0);
    s->exp_date = req_int_or(req, "recordExpDate", 0);
    s->stream_type = req_int_or(req, "recordStreamType", 0);
    return is_flag(s->prev_on) && s->prev_duration >= 0 && is_flag(s->post_on) && is_flag(s->audio) &&
           s->stream_type >= 0 && s->stream_type <= 2;
}

// ANR goes on only for an enabled camera that is not on a PoE port and is
// not reached by plain RTSP; it goes off for any camera.
bool anr_can_switch(const camera_record& cam, int anr) {
    if (cam.anr == anr) return false;
    if (anr == 0) return true;
    return cam.enable != 0 && cam.poe_channel == 0 && cam.protocol != CAM_PROTOCOL_RTSP;
}

// All camera records, record n holding channel n.
void read_camera_rows(camera_record cams[64]) {
    auto stored = std::make_unique<camera_record[]>(64);
    int count = 0;
    read_cameras(TQDB_FILE, stored.get(), &count);
    for (int ch = 0; ch < 64; ++ch) {
        cams[ch] = camera_record{};
        cams[ch].id = ch;
    }
    for (int i = 0; i < count && i < 64; ++i)
        if (chn_ok(stored[i].id)) cams[stored[i].id] = stored[i];
}

}  // namespace

void on_6044(request& rq) {
    char* text = rq.text;
    int chn;
    if (!text_channel(text, &chn)) return;
    record_row row{};
    row.id = chn;
    read_record(TQDB_FILE, &row, chn);
    camera_record cam{};
    read_camera(TQDB_FILE, &cam, chn);

    json_ref reply(json_object_new_object());
    json_object* o = reply.get();
    jadd_int(o, "id", row.id);
    jadd_int(o, "prevRecordOn", row.prev_record_on);
    jadd_int(o, "prevRecordDuration", row.prev_record_duration);
    jadd_int(o, "postRecordOn", row.post_record_on);
    jadd_int(o, "postRecordDuration", row.post_record_duration);
    jadd_int(o, "audioEnable", row.audio_enable);
    jadd_int(o, "recordStreamType", cam.record_stream);
    jadd_int(o, "recordExpDate", row.record_exp_date);
    jadd_int(o, "cameraAnr", cam.anr);
    jadd_int(o, "camEnable", cam.enable);
    jadd_int(o, "camProtocol", cam.protocol);
    jadd_int(o, "poeChannel", cam.poe_channel);
    cgi_reply_json(o);
}

void on_6045(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    chn_list chns;
    record_settings set;
    if (!req || !chn_list_from_json(req.get(), &chns) || !settings_from_json(req.get(), &set)) return;

    record_row rows[64];
    read_records_by_channel(TQDB_FILE, rows);
    auto cams = std::make_unique<camera_record[]>(64);
    read_camera_rows(cams.get());

    record_settings_msg changed{};
    anr_switch_msg anr_list{};
    anr_list.anr = set.anr;
    uint64_t stream_mask = 0, anr_mask = 0;
    for (int i = 0; i < chns.count; ++i) {
        int ch = chns.chn[i];
        record_row& row = rows[ch];
        row.prev_record_on = set.prev_on;
        row.prev_record_duration = set.prev_duration;
        row.post_record_on = set.post_on;
        row.post_record_duration = set.post_duration;
        row.audio_enable = set.audio;
        row.record_exp_date = set.exp_date;
        changed.chn[changed.count++] = ch;
        if (cams[ch].record_stream != set.stream_type) stream_mask |= uint64_t{1} << ch;
        if (anr_can_switch(cams[ch], set.anr)) {
            anr_list.chn[anr_list.count++] = ch;
            anr_mask |= uint64_t{1} << ch;
        }
    }
    write_records(TQDB_FILE, rows, chns.mask);
    copy_table_column_int(TQDB_FILE, "camera", "anr", set.anr, anr_mask, "id");
    copy_table_column_int(TQDB_FILE, "camera", "record_stream", set.stream_type, stream_mask, "id");

    core_notify(schedule_replies, MSG_RECORD_SETTINGS, sizeof changed, &changed);
    oplog_send(OPLOG_SUB_RECORD, OPLOG_PARAM_RECORD_SETTINGS);
    core_query(schedule_replies, MSG_ANR_SWITCH, sizeof anr_list, &anr_list, REPLY_JSON);
}

void on_6046(request& rq) {
    char* text = rq.text;
    int32_t chn;
    if (!text_channel(text, &chn)) return;
    core_query(schedule_replies, MSG_ANR_SUPPORT, sizeof chn, &chn, REPLY_JSON);
}

void on_6047(request&) { core_query(schedule_replies, MSG_RECORD_STREAMS, 0, nullptr, REPLY_JSON); }
