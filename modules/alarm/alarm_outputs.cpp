// The recorder's alarm outputs: the list, and switching an output by hand.
#include "front/core_link.h"
#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/alarm/alarm.h"
#include "platform/msg_alarm.h"
#include "platform/tqdb/rec_alarm.h"

#include <cstring>

namespace {

void output_json(json_object* o, const alarm_out_record& out) {
    jadd_int(o, "id", out.id);
    jadd_field(o, "name", out.name, sizeof out.name);
    jadd_int(o, "type", out.type);
    jadd_int(o, "enable", out.enable);
    jadd_int(o, "durationTime", out.duration_time);
}

}  // namespace

void alarm_out_list(char*) {
    alarm_out_record rows[alarm_out_count];
    std::memset(rows, 0, sizeof rows);
    for (int id = 0; id < alarm_out_count; ++id) rows[id].id = id;
    read_alarm_rows(TQDB_FILE, tqdb_tbl_alarm_out, rows);
    json_ref list(json_object_new_array());
    for (const alarm_out_record& out : rows) {
        json_object* o = json_object_new_object();
        output_json(o, out);
        json_object_array_add(list.get(), o);
    }
    cgi_reply_json(list.get());
}

// {"id", "enable"}: anything but an output 0..3 is refused without a reply.
void alarm_out_switch_set(char* text) {
    json_ref req = json_parse_object(text);
    alarm_out_switch msg{};
    if (!req || !req_int(req, "id", &msg.id) || !alarm_out_ok(msg.id)) return;
    msg.enable = req_int_or(req, "enable", 0);
    core_notify(alarm_reply, MSG_ALARMOUT_SWITCH, sizeof msg, &msg);
    alarm_oplog(oplog_param_alarm_out, msg.id);
    cgi_reply(REPLY_TEXT, "OK");
}
