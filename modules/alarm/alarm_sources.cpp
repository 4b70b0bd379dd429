// The alarm inputs as event sources of the shared action model: the
// recorder's inputs (one record per input 0..15) and the cameras' inputs
// (one record per channel and input index 0..1, each index with its own
// white-light names and PTZ kind).
#include <cstddef>

#include "modules/alarm/alarm.h"
#include "modules/common/event_action.h"
#include "platform/tqdb/rec_alarm.h"

namespace {

using ar = alarm_in_record;
using cr = alarm_chn_in_record;

// The "interval" of the action pages also sets the input's enable (the
// recorder's) or interval mode (the camera's) to 2; "email_interval" the
// recorder input's e-mail mode.
const field input_fields[] = {
    FM_INT(ar, "alarmId", id),
    FM_TEXT(ar, "name", name),
    FM_INT(ar, "alarmType", type),
    FM_INT(ar, "enable", enable),
    FM_INT(ar, "triAlarms", tri_alarms).action(),
    FM_INT(ar, "interval", interval).action().mark(offsetof(ar, enable)),
    FM_INT(ar, "audioId", audio_id).action(),
    FM_INT(ar, "email_interval", email_interval).action().mark(offsetof(ar, email_mode)),
    FM_INT(ar, "email_pic_enable", email_pic_enable).action(),
    FM_TEXT(ar, "tri_channels_pic", tri_channels_pic).action(),
    FM_INT(ar, "ptz_interval", ptz_interval).action(),
    FM_INT(ar, "alarmout_interval", alarmout_interval).action(),
    FM_INT(ar, "white_interval", white_interval).action(),
    FM_CHANNELS(ar, "triChannels", tri_channels, tri_channels_mask).action(),
    FM_TEXT(ar, "triSnapshot", tri_snapshot).action(),
    FM_PAIR(ar, "triChnAlarms", tri_chn_alarms).action(),
};

const field camera_input_fields[] = {
    FM_INT(cr, "triAlarms", tri_alarms).action(),
    FM_INT(cr, "interval", interval).action().mark(offsetof(cr, interval_mode)),
    FM_INT(cr, "audioId", audio_id).action(),
    FM_INT(cr, "email_interval", email_interval).action(),
    FM_INT(cr, "email_pic_enable", email_pic_enable).action(),
    FM_TEXT(cr, "tri_channels_pic", tri_channels_pic).action(),
    FM_INT(cr, "ptz_interval", ptz_interval).action(),
    FM_INT(cr, "alarmout_interval", alarmout_interval).action(),
    FM_INT(cr, "white_interval", white_interval).action(),
    FM_CHANNELS(cr, "triChannels", tri_channels, tri_channels_mask).action(),
    FM_PAIR(cr, "triChnAlarms", tri_chn_alarms).action(),
};

constexpr int ptz_kind_alarm_in = 0;
constexpr int ptz_kind_camera_input0 = 18;  // input 1: 19

}  // namespace

const std::span<const field> alarm_in_header_fields = field_span(input_fields).subspan(1, 2);

const event_source alarm_in_source = {
    .name = "alarm input",
    .table = &tqdb_tbl_alarm_in,
    .channels = alarm_in_count,
    .fields = input_fields,
    .schedules = {SCHED_ALARMIN_EFFECTIVE, SCHED_ALARMIN_AUDIBLE, SCHED_ALARMIN_EMAIL, SCHED_ALARMIN_PTZ,
                  nullptr},
    .white_schedule = "alarmin_whiteled_esche",
    .white_list = "alarm_in_white_led_params",
    .ptz_kind = ptz_kind_alarm_in,
};

// Each index keeps its record in a table of its own, keyed by the channel.
const event_source cam_alarm_in_sources[cam_alarm_count] = {
    {
        .name = "camera alarm input 0",
        .table = &tqdb_tbl_alarm_chn_in[0],
        .sub_at = offsetof(cr, alarm_id),
        .fields = camera_input_fields,
        .schedules = {SCHED_CHN_ALARMIN_EFFECTIVE, SCHED_CHN_ALARMIN_AUDIBLE, SCHED_CHN_ALARMIN_MAIL,
                      SCHED_CHN_ALARMIN_PTZ, nullptr},
        .white_schedule = "alarm_chnIn0_whiteled_esche",
        .white_list = "alarm_chnIn0_white_led_params",
        .ptz_kind = ptz_kind_camera_input0,
    },
    {
        .name = "camera alarm input 1",
        .table = &tqdb_tbl_alarm_chn_in[1],
        .sub_at = offsetof(cr, alarm_id),
        .fields = camera_input_fields,
        .schedules = {SCHED_CHN_ALARMIN_EFFECTIVE, SCHED_CHN_ALARMIN_AUDIBLE, SCHED_CHN_ALARMIN_MAIL,
                      SCHED_CHN_ALARMIN_PTZ, nullptr},
        .white_schedule = "alarm_chnIn1_whiteled_esche",
        .white_list = "alarm_chnIn1_white_led_params",
        .ptz_kind = ptz_kind_camera_input0 + 1,
    },
};
