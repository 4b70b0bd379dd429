// Timed snapshots (a schedule and picture settings per channel, manual start
// and stop), the camera's alarm input and sound detection (set in the camera
// through the core daemon and mirrored in the database), and the
// recorder-wide trigger table.
#include "modules/event/snapshot.h"

#include <cstring>
#include <memory>

#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/common/channels.h"
#include "modules/common/event_action.h"
#include "modules/common/field_map.h"
#include "modules/common/relay.h"
#include "modules/common/sched_json.h"
#include "modules/event/event.h"
#include "platform/tqdb/rec_snapshot.h"

namespace {

void ignore_replies(void*, const void*, const void*) {}

// The channels 0..63 among the first req[count] elements of req[array], in
// the order given (a channel listed twice is listed twice).
snapshot_channels channel_list(json_object* req, const char* array, const char* count) {
    snapshot_channels list;
    std::memset(&list, 0, sizeof list);
    json_object* items = req_array(req, array);
    int cnt = 0;
    if (!items || !req_int(req, count, &cnt)) return list;
    const int given = static_cast<int>(json_object_array_length(items));
    for (int i = 0; i < cnt && i < given && list.count < channel_limit; ++i) {
        json_object* item = json_object_array_get_idx(items, i);
        if (!json_object_is_type(item, json_type_int)) continue;
        int chn = json_object_get_int(item);
        if (chn_ok(chn)) list.list[list.count++] = chn;
    }
    return list;
}

uint64_t list_mask(const snapshot_channels& list) {
    uint64_t mask = 0;
    for (int i = 0; i < list.count; ++i) mask = with_channel(mask, list.list[i]);
    return mask;
}

using sr = snapshot_record;
const field snapshot_fields[] = {
    FM_INT(sr, "resolution", resolution),
    FM_INT(sr, "quality", quality),
    FM_INT(sr, "interval", interval),
    FM_INT(sr, "interval_unit", interval_unit),
    FM_INT(sr, "expiration_date", expiration_date),
};

// ---- the camera's alarm input and sound detection -------------------------------
// The recorder keeps the switch and the targets; "type" and the sound
// members go to the camera only.

using ct = cam_trigger_record;
const field trigger_fields[] = {
    FM_INT(ct, "camId", cam_id).range(0, 63).required(),
    FM_INT(ct, "enable", enable).range(0, 1).required(),
    FM_INT(ct, "triActions", tri_actions).required(),
    FM_CHANNELS(ct, "triChannels", tri_channels, tri_channels_mask).required(),
};

using ss = sound_set;
const field cam_io_set_fields[] = {
    FM_INT(ss, "camId", cam_id),
    FM_INT(ss, "enable", enable),
    FM_INT(ss, "type", type).range(0, INT32_MAX).required(),
};
const field sound_set_fields[] = {
    FM_INT(ss, "camId", cam_id),
    FM_INT(ss, "enable", enable),
    FM_INT(ss, "type", type).range(0, INT32_MAX).required(),
    FM_INT(ss, "volume", volume).range(0, INT32_MAX).required(),
    FM_INT(ss, "duration", duration).range(0, INT32_MAX).required(),
    FM_INT(ss, "onEvent", on_event).range(0, INT32_MAX).required(),
    FM_INT(ss, "offEvent", off_event).range(0, INT32_MAX).required(),
    FM_INT(ss, "ongoingEvent", ongoing_event).range(0, INT32_MAX).required(),
};

bool cam_io_check(json_object* req) { return fields_valid(req, cam_io_set_fields); }
bool sound_check(json_object* req) { return fields_valid(req, sound_set_fields); }

// After the mirror is stored: the camera's message, the operation log, "OK".
// 3214 carries the first three members of the sound message.
void tell_camera(request& rq, int key, int32_t msg_id, std::span<const field> fields, int size, int param) {
    sound_set msg;
    std::memset(&msg, 0, sizeof msg);
    fields_from_json(rq.json, &msg, fields);
    core_notify(ignore_replies, msg_id, size, &msg);
    stored_reply(0, key, 204, param, key + 1);
}
void cam_io_stored(request& rq, const void*, int key) {
    tell_camera(rq, key, msg_cam_io_set, cam_io_set_fields, sizeof(cam_io_set), 923);
}
void sound_stored(request& rq, const void*, int key) {
    tell_camera(rq, key, msg_sound_set, sound_set_fields, sizeof(sound_set), 924);
}

using ci = cam_io_record;
const field cam_io_fields[] = {
    FM_INT(ci, "camId", cam_id),
    FM_INT(ci, "enable", enable),
    FM_INT(ci, "type", type),
    FM_INT(ci, "triActions", tri_actions),
    FM_TEXT(ci, "triChannels", tri_channels),
};
using so = sound_record;
const field sound_fields[] = {
    FM_INT(so, "camId", cam_id),
    FM_INT(so, "enable", enable),
    FM_INT(so, "type", type),
    FM_INT(so, "volume", volume),
    FM_INT(so, "duration", duration),
    FM_INT(so, "onEvent", on_event),
    FM_INT(so, "offEvent", off_event),
    FM_INT(so, "ongoingEvent", ongoing_event),
    FM_INT(so, "triActions", tri_actions),
    FM_TEXT(so, "triChannels", tri_channels),
};

// The camera query of a bare channel text.
void text_channel_query(request& rq, int32_t msg_id) {
    int32_t chn = text_channel(rq.text);
    if (chn < 0) return rq.refuse("channel");
    relay_query(rq, event_reply, msg_id, &chn, sizeof chn);
}

// ---- the trigger table ----------------------------------------------------------

using ta = trigger_alarms_record;
const field trigger_table_fields[] = {
    FM_INT(ta, "0", values[0]).required(),
    FM_INT(ta, "1", values[1]).required(),
    FM_INT(ta, "2", values[2]).required(),
    FM_INT(ta, "3", values[3]).required(),
    FM_INT(ta, "4", values[4]).required(),
    FM_INT(ta, "5", values[5]).required(),
    FM_INT(ta, "6", values[6]),
};

void triggers_stored(request&, const void*, int) {
    core_notify(ignore_replies, msg_trigger_reload, 0, nullptr);
    json_ref reply(json_object_new_object());
    cgi_reply_json(reply.get());
}

}  // namespace

const schedule_page snapshot_schedule_page = {.store = SCHED_SNAPSHOT};

const record_page snapshot_page = {.table = tqdb_tbl_snapshot, .fields = snapshot_fields};

const record_page cam_io_page = {
    .table = tqdb_tbl_cameraio,
    .fields = trigger_fields,
    .key_member = "camId",
    .check = cam_io_check,
    .answer = cam_io_stored,
};

const record_page sound_page = {
    .table = tqdb_tbl_volumedetect,
    .fields = trigger_fields,
    .key_member = "camId",
    .check = sound_check,
    .answer = sound_stored,
};

const record_page trigger_page = {
    .table = tqdb_tbl_trigger_alarms,
    .fields = trigger_table_fields,
    .answer = triggers_stored,
};

void snapshot_schedules_set(request& rq) {
    auto sched = std::make_unique<week_schedule>();
    if (schedule_from_json(rq.json, "schedule", sched.get()) != 0) return rq.refuse("schedule");
    snapshot_channels list = channel_list(rq.json, "chnid", "cnt");
    uint64_t mask = list_mask(list);
    if (mask && copy_snapshot_schedules(TQDB_FILE, sched.get(), mask) != 0) return rq.fail();
    core_notify(ignore_replies, msg_snapshot_schedule, sizeof list, &list);
    cgi_reply(REPLY_TEXT, "OK");
}

void snapshots_set(request& rq) {
    snapshot_record rec;
    std::memset(&rec, 0, sizeof rec);
    fields_from_json(rq.json, &rec, snapshot_fields);
    snapshot_channels list = channel_list(rq.json, "chnid", "cnt");
    uint64_t mask = list_mask(list);
    if (mask && copy_snapshots(TQDB_FILE, &rec, mask) != 0) return rq.fail();
    core_notify(ignore_replies, msg_snapshot_settings, sizeof list, &list);
    cgi_reply(REPLY_TEXT, "OK");
}

void snapshot_command_send(request& rq) {
    struct side {
        int32_t action;
        const char* count;
        const char* array;
    };
    for (const side s : {side{1, "snapshotCnt", "snapshotChnId"}, side{0, "stopCnt", "stopChnId"}}) {
        if (req_int_or(rq.json, s.count, 0) <= 0) continue;
        snapshot_channels list = channel_list(rq.json, s.array, s.count);
        snapshot_command cmd;
        std::memset(&cmd, 0, sizeof cmd);
        cmd.action = s.action;
        for (int i = 0; i < list.count; ++i) cmd.flags[list.list[i]] = 1;
        core_notify(ignore_replies, msg_snapshot_command, sizeof cmd, &cmd);
    }
    cgi_reply(REPLY_TEXT, "OK");
}

void cam_io_get(request& rq) { text_channel_query(rq, msg_cam_io_get); }
void sound_get(request& rq) { text_channel_query(rq, msg_sound_get); }

void triggers_get(request& rq) {
    trigger_alarms_record rec;
    std::memset(&rec, 0, sizeof rec);
    if (load_trigger_alarms(TQDB_FILE, &rec) < 0) return rq.fail();
    json_ref reply(json_object_new_array());
    for (int32_t v : rec.values) json_object_array_add(reply.get(), json_object_new_int(v));
    json_object_array_add(reply.get(), json_object_new_int(alarm_audio_file_mask()));
    cgi_reply_json(reply.get());
}

int write_cam_io(const core_answer& answer) { return reply_answer(answer, cam_io_fields); }
int write_sound(const core_answer& answer) { return reply_answer(answer, sound_fields); }
