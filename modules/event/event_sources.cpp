// The event sources of this module for the action model: motion and video
// loss, each with its table, schedule stores, white-light names and PTZ kind.
#include <cstddef>

#include "modules/event/event.h"
#include "platform/msg_event.h"
#include "platform/tqdb/rec_event.h"

namespace {

// ---- motion -----------------------------------------------------------------

using mr = motion_record;
const field motion_fields[] = {
    FM_INT(mr, "chnid", chnid),
    FM_INT(mr, "enable", enable).action(),
    FM_INT(mr, "sensitivity", sensitivity),
    FM_CHANNELS(mr, "triChannels", tri_channels, tri_channels_mask).action(),
    FM_INT(mr, "triAlarms", tri_alarms).action(),
    FM_INT(mr, "interval", interval).action(),
    FM_INT(mr, "enableMS", enable_ms),
    FM_TEXT(mr, "motionTable", motion_table),
    FM_INT(mr, "email_enable", email_enable),
    FM_INT(mr, "email_interval", email_interval).action(),
    FM_INT(mr, "email_pic_enable", email_pic_enable).action(),
    FM_TEXT(mr, "tri_channels_pic", tri_channels_pic).action(),
    FM_INT(mr, "ptz_interval", ptz_interval).action(),
    FM_INT(mr, "alarmout_interval", alarmout_interval).action(),
    FM_PAIR(mr, "triChnAlarms", tri_chn_alarms).action(),
    FM_INT(mr, "white_interval", white_interval).action(),
    FM_INT(mr, "audioId", audio_id).action(),
};

// ---- video loss -----------------------------------------------------------------

using vr = video_lost_record;
const field video_loss_fields[] = {
    FM_INT(vr, "chnid", cam_id),
    FM_INT(vr, "camId", cam_id),
    FM_INT(vr, "enable", enable).action(),
    FM_INT(vr, "triAlarms", tri_alarms).action(),
    FM_INT(vr, "interval", interval).action(),
    FM_INT(vr, "email_interval", email_interval).action(),
    FM_INT(vr, "ptz_interval", ptz_interval).action(),
    FM_INT(vr, "alarmout_interval", alarmout_interval).action(),
    FM_PAIR(vr, "triChnAlarms", tri_chn_alarms).action(),
    FM_INT(vr, "white_interval", white_interval).action(),
    FM_INT(vr, "audioId", audio_id).action(),
};

// The full action page stores its settings with enable and the word beside
// it at 2, whatever enable it was given.
void video_loss_changed(void* rec) {
    auto* v = static_cast<video_lost_record*>(rec);
    v->enable = 2;
    v->reserved0 = 2;
}

}  // namespace

const event_source motion_source = {
    .name = "motion",
    .table = &tqdb_tbl_motion,
    .fields = motion_fields,
    .schedules = {SCHED_MOTION_EFFECTIVE, SCHED_MOTION_AUDIBLE, SCHED_MOTION_EMAIL, SCHED_MOTION_PTZ,
                  nullptr},
    .white_schedule = "motion_whiteled_esche",
    .white_list = "motion_white_led_params",
    .ptz_kind = 1,
    .notice_id = msg_motion_changed,
};

const event_source video_loss_source = {
    .name = "video loss",
    .table = &tqdb_tbl_video_loss,
    .fields = video_loss_fields,
    .schedules = {nullptr, SCHED_VIDEOLOSS_AUDIBLE, SCHED_VIDEOLOSS_EMAIL, SCHED_VIDEOLOSS_PTZ, nullptr},
    .white_schedule = "videoloss_whiteled_esche",
    .white_list = "video_loss_white_led_params",
    .ptz_kind = 2,
    .on_change = video_loss_changed,
};
