// The alarm module's reply callback, notices and operation-log entries.
#include "front/core_link.h"
#include "front/web_utils.h"
#include "modules/alarm/alarm.h"
#include "platform/msg_alarm.h"

namespace {

// The answers the module knows, with the record each needs whole: a shorter
// answer is treated as no answer (the wait runs out).
struct reply_row {
    int id;
    uint32_t size;
    void (*writer)(const void* payload);
};

const reply_row replies[] = {
    {MSG_CAM_ALARMOUT_REPLY, sizeof(cam_alarm_out_state), write_cam_alarm_out},
    {MSG_CAM_ALARMIN_REPLY, sizeof(cam_alarm_in_state), write_cam_alarm_in},
};

}  // namespace

void alarm_reply(void*, const void* header, const void* payload) {
    if (!payload) return;
    int id = core_header_id(header);
    for (const reply_row& row : replies) {
        if (row.id != id) continue;
        if (core_header_size(header) < row.size || !core_reply_claim()) return;
        row.writer(payload);
        core_reply_done(1);
        return;
    }
}

void alarm_query(int msg_id, int32_t chn) { core_query(alarm_reply, msg_id, sizeof chn, &chn, REPLY_JSON); }

void alarm_notify(int msg_id, int32_t value) { core_notify(alarm_reply, msg_id, sizeof value, &value); }

void alarm_notify_mask(int msg_id, uint64_t mask) { core_notify(alarm_reply, msg_id, sizeof mask, &mask); }

void alarm_oplog(int parameter_type, int id) { oplog_send(oplog_sub_alarm, parameter_type, id + 1); }
