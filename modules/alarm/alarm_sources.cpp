// The alarm inputs as event sources of the shared action model: the
// recorder's inputs (one record per input 0..15) and the cameras' inputs
// (one record per channel and input index 0..1, each index with its own
// white-light names and PTZ kind).
#include "front/event_action.h"
#include "modules/alarm/alarm.h"
#include "platform/tqdb/rec_alarm.h"

#include <cstddef>

namespace {

using ar = alarm_in_record;
using cr = alarm_chn_in_record;

// The "interval" of the action pages also sets the input's enable (the
// recorder's) or interval mode (the camera's) to 2; "email_interval" the
// recorder input's e-mail mode.
constexpr action_field marked(action_field f, size_t mark) {
    f.mark = static_cast<int16_t>(mark);
    return f;
}

const action_field input_fields[] = {
    ACTION_INT(ar, "alarmId", id, false),
    ACTION_TEXT(ar, "name", name, false),
    ACTION_INT(ar, "alarmType", type, false),
    ACTION_INT(ar, "enable", enable, false),
    ACTION_INT(ar, "triAlarms", tri_alarms, true),
    marked(ACTION_INT(ar, "interval", interval, true), offsetof(ar, enable)),
    ACTION_INT(ar, "audioId", audio_id, true),
    marked(ACTION_INT(ar, "email_interval", email_interval, true), offsetof(ar, email_mode)),
    ACTION_INT(ar, "email_pic_enable", email_pic_enable, true),
    ACTION_TEXT(ar, "tri_channels_pic", tri_channels_pic, true),
    ACTION_INT(ar, "ptz_interval", ptz_interval, true),
    ACTION_INT(ar, "alarmout_interval", alarmout_interval, true),
    ACTION_INT(ar, "white_interval", white_interval, true),
    ACTION_CHANNELS(ar, "triChannels", tri_channels),
    ACTION_TEXT(ar, "triSnapshot", tri_snapshot, true),
    ACTION_PAIR(ar, "triChnAlarms", tri_chn_alarms),
};

int read_input(int id, int, void* rec) {
    if (!alarm_in_ok(id)) return -1;
    return read_alarm_in(TQDB_FILE, static_cast<ar*>(rec), id);
}

int write_input(int id, int, void* rec) {
    if (!alarm_in_ok(id)) return -1;
    static_cast<ar*>(rec)->id = id;
    return write_alarm_in(TQDB_FILE, static_cast<ar*>(rec));
}

const action_field camera_input_fields[] = {
    ACTION_INT(cr, "triAlarms", tri_alarms, true),
    marked(ACTION_INT(cr, "interval", interval, true), offsetof(cr, interval_mode)),
    ACTION_INT(cr, "audioId", audio_id, true),
    ACTION_INT(cr, "email_interval", email_interval, true),
    ACTION_INT(cr, "email_pic_enable", email_pic_enable, true),
    ACTION_TEXT(cr, "tri_channels_pic", tri_channels_pic, true),
    ACTION_INT(cr, "ptz_interval", ptz_interval, true),
    ACTION_INT(cr, "alarmout_interval", alarmout_interval, true),
    ACTION_INT(cr, "white_interval", white_interval, true),
    ACTION_CHANNELS(cr, "triChannels", tri_channels),
    ACTION_PAIR(cr, "triChnAlarms", tri_chn_alarms),
};

int read_camera_input(int chn, int index, void* rec) {
    return read_alarm_chnIn_event(TQDB_FILE, static_cast<cr*>(rec), chn, index);
}

int write_camera_input(int chn, int index, void* rec) {
    auto* r = static_cast<cr*>(rec);
    r->chnid = chn;
    r->alarm_id = index;
    return write_alarm_chnIn_event(TQDB_FILE, r);
}

constexpr int ptz_kind_alarm_in = 0;
constexpr int ptz_kind_camera_input0 = 18;  // input 1: 19

}  // namespace

const event_source alarm_in_source = {
    "alarm input",
    sizeof(ar),
    read_input,
    write_input,
    input_fields,
    offsetof(ar, tri_channels_mask),
    {SCHED_ALARMIN_EFFECTIVE, SCHED_ALARMIN_AUDIBLE, SCHED_ALARMIN_EMAIL, SCHED_ALARMIN_PTZ, nullptr},
    "alarmin_whiteled_esche",
    "alarm_in_white_led_params",
    ptz_kind_alarm_in,
    0,
    nullptr,
};

const event_source cam_alarm_in_sources[cam_alarm_count] = {
    {"camera alarm input 0", sizeof(cr), read_camera_input, write_camera_input, camera_input_fields,
     offsetof(cr, tri_channels_mask),
     {SCHED_CHN_ALARMIN_EFFECTIVE, SCHED_CHN_ALARMIN_AUDIBLE, SCHED_CHN_ALARMIN_MAIL, SCHED_CHN_ALARMIN_PTZ, nullptr},
     "alarm_chnIn0_whiteled_esche", "alarm_chnIn0_white_led_params", ptz_kind_camera_input0, 0, nullptr},
    {"camera alarm input 1", sizeof(cr), read_camera_input, write_camera_input, camera_input_fields,
     offsetof(cr, tri_channels_mask),
     {SCHED_CHN_ALARMIN_EFFECTIVE, SCHED_CHN_ALARMIN_AUDIBLE, SCHED_CHN_ALARMIN_MAIL, SCHED_CHN_ALARMIN_PTZ, nullptr},
     "alarm_chnIn1_whiteled_esche", "alarm_chnIn1_white_led_params", ptz_kind_camera_input0 + 1, 0, nullptr},
};
