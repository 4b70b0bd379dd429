// The alarm module's reply callback, its waiting query and operation-log entries.
#include "front/core_link.h"
#include "front/web_utils.h"
#include "modules/alarm/alarm.h"
#include "platform/msg_alarm.h"

namespace {

// A shorter answer than the record is not the answer: the wait runs out.
const reply_row replies[] = {
    {MSG_CAM_ALARMOUT_REPLY, sizeof(cam_alarm_out_state), reply_short::wait, write_cam_alarm_out},
    {MSG_CAM_ALARMIN_REPLY, sizeof(cam_alarm_in_state), reply_short::wait, write_cam_alarm_in},
};

}  // namespace

CORE_REPLY_CALLBACK(alarm_reply, replies)

void alarm_query(int msg_id, int32_t chn) { core_query(alarm_reply, msg_id, sizeof chn, &chn, REPLY_JSON); }

void alarm_oplog(int parameter_type, int id) { oplog_send(oplog_sub_alarm, parameter_type, id + 1); }
