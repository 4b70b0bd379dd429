// The alarm module's reply callback, notices and operation-log entries.
#include "front/core_link.h"
#include "front/web_utils.h"
#include "modules/alarm/alarm.h"

namespace {

// Sub type of every alarm contact's log entry.
constexpr int64_t oplog_sub_alarm = 204;

}  // namespace

void alarm_reply(void*, const void*, const void*) {}

void alarm_notify(int msg_id, int32_t value) { core_notify(alarm_reply, msg_id, sizeof value, &value); }

void alarm_notify_mask(int msg_id, uint64_t mask) { core_notify(alarm_reply, msg_id, sizeof mask, &mask); }

void alarm_oplog(int parameter_type, int id) { oplog_send(oplog_sub_alarm, parameter_type, id + 1); }
