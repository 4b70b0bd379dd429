// The recorder's alarm outputs: the list, one output with its schedule, the
// edit with its copy to other outputs, and switching an output by hand.
#include <cstring>

#include "front/core_link.h"
#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/alarm/alarm.h"
#include "modules/common/sched_json.h"
#include "platform/msg_alarm.h"

namespace {

using outr = alarm_out_record;

// An output as the pages show it, in this order; the edit takes all but the id.
const field output_fields[] = {
    FM_INT(outr, "id", id).out_only(),
    FM_TEXT(outr, "name", name),
    FM_INT(outr, "type", type),
    FM_INT(outr, "enable", enable),
    FM_INT(outr, "durationTime", duration_time),
};

constexpr uint64_t all_outputs = (uint64_t{1} << alarm_out_count) - 1;

}  // namespace

void alarm_out_list(request&) {
    alarm_out_record rows[alarm_out_count];
    read_alarm_rows(TQDB_FILE, tqdb_tbl_alarm_out, rows);
    json_ref list(json_object_new_array());
    for (const alarm_out_record& out : rows)
        json_object_array_add(list.get(), fields_object(&out, output_fields));
    cgi_reply_json(list.get());
}

// {"id", "enable"}: anything but an output 0..3 is refused without a reply.
void alarm_out_switch_set(request& rq) {
    alarm_out_switch msg{};
    if (!req_channel(rq.json, "id", &msg.id, alarm_out_count)) return rq.refuse("id");
    msg.enable = req_int_or(rq.json, "enable", 0);
    core_notify(alarm_reply, msg_alarmout_switch, sizeof msg, &msg);
    alarm_oplog(oplog_param_alarm_out, msg.id);
    cgi_reply(REPLY_TEXT, "OK");
}

// {"alarmId"}: one output with its schedule.
void alarm_out_get(request& rq) {
    int id;
    if (!req_channel(rq.json, "alarmId", &id, alarm_out_count)) return rq.refuse("alarmId");
    alarm_out_record out;
    load_alarm_out(TQDB_FILE, &out, id);
    week_schedule sched;
    std::memset(&sched, 0, sizeof sched);
    read_alarm_out_schedule(TQDB_FILE, &sched, id);
    json_ref reply(fields_object(&out, output_fields));
    json_object_object_add(reply.get(), "effective", schedule_to_json(sched));
    cgi_reply_json(reply.get());
}

// {"alarmId", "dialog": {"effective"}, "name", "enable", "type",
// "durationTime", "copyCnt", "copyChn"}: edits an output and copies its
// enable, type, duration and schedule to the listed outputs.
void alarm_out_set(request& rq) {
    json_object* req = rq.json;
    int id;
    if (!req_channel(req, "alarmId", &id, alarm_out_count)) return rq.refuse("alarmId");
    week_schedule sched;
    bool given = schedule_from_json(req_member(req, "dialog"), "effective", &sched) == 0;
    const uint64_t own = uint64_t{1} << id;
    uint64_t mask = channel_mask_from_json(req, "copyChn", "copyCnt") & all_outputs & ~own;
    int rc = event_store([&] {
        if (given && write_alarm_out_schedule(TQDB_FILE, &sched, id) != 0) return -1;
        // The record is written only when a member was given.
        if (edit_alarm_out(TQDB_FILE, id,
                           [&](outr& out) { return fields_from_json(req, &out, output_fields) > 0; }) < 0)
            return -1;
        if (!mask) return 0;
        alarm_out_record from;
        load_alarm_out(TQDB_FILE, &from, id);
        for (int k = 0; k < alarm_out_count; ++k) {
            if (!(mask >> k & 1)) continue;
            int copied = edit_alarm_out(TQDB_FILE, k, [&](outr& to) {
                to.enable = from.enable;
                to.type = from.type;
                to.duration_time = from.duration_time;
            });
            if (copied != 0) return -1;
        }
        std::memset(&sched, 0, sizeof sched);
        read_alarm_out_schedule(TQDB_FILE, &sched, id);
        return copy_alarm_out_schedules(TQDB_FILE, &sched, mask);
    });
    if (rc != 0) return rq.fail();
    event_notify(msg_alarmout_changed, id);
    for (int k = 0; k < alarm_out_count; ++k)
        if (mask >> k & 1) event_notify(msg_alarmout_changed, k);
    event_oplog_mask(oplog_param_alarm_out, mask | own, id + 1);
    cgi_reply(REPLY_TEXT, "OK");
}
