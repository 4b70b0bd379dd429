// POS terminals (their overlay settings and alarm actions) and the camera's
// face capture (settings sent to the camera, face-event actions stored).
// The alarm actions of both are sources of the event action model.
#include <json-c/json.h>

#include <cstring>

#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/camera/people_count.h"
#include "modules/common/channels.h"
#include "modules/common/sched_json.h"
#include "modules/event/vca.h"
#include "platform/msg_pcnt.h"
#include "platform/tqdb/rec_pcnt.h"

namespace {

using pr = pos_record;
const field pos_fields[] = {
    FM_INT(pr, "id", id),
    FM_INT(pr, "enable", enable),
    FM_TEXT(pr, "name", name).chars(32),
    FM_INT(pr, "protocol", protocol),
    FM_INT(pr, "connectionMode", connection_mode),
    FM_TEXT(pr, "ip", ip),
    FM_INT(pr, "liveviewDisplay", liveview_display),
    FM_INT(pr, "displayChannel", display_channel),
    FM_INT(pr, "startX", start_x),
    FM_INT(pr, "startY", start_y),
    FM_INT(pr, "areaWidth", area_width),
    FM_INT(pr, "areaHeight", area_height),
    FM_INT(pr, "characterEncodeing", character_encoding),
    FM_INT(pr, "fontSize", font_size),
    FM_INT(pr, "fontColor", font_color),
    FM_INT(pr, "overlayMode", overlay_mode),
    FM_INT(pr, "displayTime", display_time),
    FM_INT(pr, "timeout", timeout),
    FM_TEXT(pr, "privacy1", privacy[0]),
    FM_TEXT(pr, "privacy2", privacy[1]),
    FM_TEXT(pr, "privacy3", privacy[2]),
    FM_INT(pr, "port", port),
};

// The action object of a POS terminal, members in page order.
const char* const pos_action_keys[] = {
    "effective", "audible", "interval", "audioId", "email", "email_interval", "email_pic_enable",
    "tri_channels_pic", "ptz", "ptz_interval", "ptzParams", "white", "whiteInfo", "white_interval",
    "alarmout_interval", "triAlarms", "triChannels", "triChnAlarms",
};

using fc = face_capture;
const field face_fields[] = {
    FM_INT(fc, "chnId", chn_id),
    FM_INT(fc, "enable", enable),
    FM_INT(fc, "width", width),
    FM_INT(fc, "height", height),
    FM_INT(fc, "minPixel", min_pixel),
    FM_INT(fc, "captureMode", capture_mode),
    FM_INT(fc, "snapshotType", snapshot_type),
    FM_INT(fc, "snapshotInterval", snapshot_interval),
    FM_INT(fc, "snapshotBackground", snapshot_background),
    FM_INT(fc, "poseYaw", pose_yaw),
    FM_INT(fc, "poseRoll", pose_roll),
    FM_INT(fc, "posePitch", pose_pitch),
    FM_INT(fc, "blurLimit", blur_limit),
    FM_TEXT(fc, "detection_polygonX", polygon_x),
    FM_TEXT(fc, "detection_polygonY", polygon_y),
    FM_INT(fc, "uploadEnable", upload_enable),
    FM_INT(fc, "uploadFileType", upload_file_type),
    FM_INT(fc, "nasEnable", nas_enable),
    FM_INT(fc, "nasFileType", nas_file_type),
    FM_INT(fc, "emailEnable", email_enable),
    FM_INT(fc, "emailFileType", email_file_type),
    FM_INT(fc, "httpEnable", http_enable),
    FM_INT(fc, "httpNotifyInterval", http_notify_interval),
    FM_TEXT(fc, "httpUrl", http_url),
    FM_TEXT(fc, "httpUser", http_user),
    FM_TEXT(fc, "httpPassword", http_password),
    FM_INT(fc, "recordSeconds", record_seconds),
    FM_INT(fc, "prerecordSeconds", prerecord_seconds),
    FM_INT(fc, "postEnable", post_enable),
    FM_INT(fc, "postType", post_type),
    FM_INT(fc, "attributeEnable", attribute_enable),
    FM_INT(fc, "attributeType", attribute_type),
    FM_INT(fc, "mosaicEnable", mosaic_enable),
    FM_INT(fc, "mosaicModeStatus", mosaic_mode_status),
    FM_INT(fc, "mutuallyExclusive", mutually_exclusive),
};

// Shield areas: the first four elements of "shield"; missing ones stay off.
const field shield_members[] = {
    FM_INT(face_shield, "enable", enable),
    FM_TEXT(face_shield, "polygonX", polygon_x),
    FM_TEXT(face_shield, "polygonY", polygon_y),
};
const field shield_fields[] = {FM_RECORDS(fc, "shield", shield, shield_members)};

// The capture modes' quality and snapshot lie in two columns of three; a
// missing element leaves its mode at 0.
void read_capture_modes(json_object* req, face_capture& rec) {
    json_object* modes = req_array(req, "captureModeArray");
    for (int i = 0; i < face_capture_modes && modes; ++i) {
        json_object* item = json_object_array_get_idx(modes, i);
        if (!json_object_is_type(item, json_type_object)) continue;
        rec.capture_quality[i] = req_int_or(item, "captureQuality", 0);
        rec.snapshot[i] = req_int_or(item, "snapshot", 0);
    }
}

}  // namespace

const event_source pos_source = {
    .name = "POS",
    .table = &tqdb_tbl_pos_event,
    .channels = pos_terminals,
    .fields = event_action_fields,
    .schedules = {SCHED_POS_EFFECTIVE, SCHED_POS_AUDIBLE, SCHED_POS_EMAIL, SCHED_POS_PTZ, SCHED_POS_WHITE},
    .white_list = "pos_whiteled_params",
    .ptz_kind = 21,
};

const event_source face_source = {
    .name = "face",
    .table = &tqdb_tbl_face_event,
    .fields = event_action_fields,
    .schedules = {SCHED_FACE_EFFECTIVE, SCHED_FACE_AUDIBLE, SCHED_FACE_MAIL, SCHED_FACE_PTZ,
                  SCHED_FACE_WHITELED},
    .white_list = "face_whiteled_params",
    .ptz_kind = 26,
    .notice_id = msg_face_actions_changed,
};

void pos_get(request& rq) {
    int id = -1;
    if (!req_channel(rq.json, "id", &id, pos_terminals)) return rq.refuse("id");
    pos_record all[pos_terminals];
    for (int i = 0; i < pos_terminals; ++i) tqdb_load(TQDB_FILE, tqdb_tbl_pos, &all[i], i);
    json_ref reply(json_object_new_object());
    json_object_object_add(reply.get(), "pos", fields_array(all, sizeof all[0], pos_terminals, pos_fields));
    event_ref ev{pos_source, id};
    event_action_record rec;
    event_record_read(ev, &rec);
    json_object* action = json_object_new_object();
    event_action_json(action, ev, &rec, pos_action_keys);
    json_object_object_add(reply.get(), "action", action);
    cgi_reply_json(reply.get());
}

// The terminal's settings (an absent integer stores 0, an absent text keeps
// the stored one) and, when "action" is given, its actions: one transaction.
void pos_set(request& rq) {
    int id = -1;
    if (!req_channel(rq.json, "id", &id, pos_terminals)) return rq.refuse("id");
    json_object* action = req_member(rq.json, "action");
    int rc = event_store([&] {
        if (json_object_is_type(action, json_type_object) &&
            event_action_store(event_ref{pos_source, id}, action, action_form::own) != 0)
            return -1;
        return edit_pos_setting(TQDB_FILE, id, [&](pos_record& rec) {
            fields_from_json(rq.json, &rec, pos_fields, FM_ZERO_ABSENT);
            rec.id = id;
        });
    });
    if (rc != 0) return rq.fail();
    int32_t key = id;
    core_query(pcnt_reply, msg_pos_changed, sizeof key, &key, 1);
}

// The actions (when "action" is given) are stored and announced first; the
// camera's settings then go out whatever they hold.
void face_set(request& rq) {
    int chn = -1;
    if (!req_channel(rq.json, "chnId", &chn)) return rq.refuse("chnId");
    json_object* action = req_member(rq.json, "action");
    if (json_object_is_type(action, json_type_object) &&
        event_action_apply(event_ref{face_source, chn}, action, action_form::own) != 0)
        return rq.fail();
    face_capture rec;
    std::memset(&rec, 0, sizeof rec);
    fields_from_json(rq.json, &rec, face_fields);
    fields_from_json(rq.json, &rec, shield_fields);
    read_capture_modes(rq.json, rec);
    rec.chn_id = chn;
    core_query(pcnt_reply, msg_face_capture_set, sizeof rec, &rec, 1);
}

int write_face_status(const core_answer& answer) { return reply_int_member("status", answer); }
