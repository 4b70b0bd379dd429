// The recorder's alarm outputs: the list, one output with its schedule, the
// edit with its copy to other outputs, and switching an output by hand.
#include <cstring>

#include "front/core_link.h"
#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/alarm/alarm.h"
#include "modules/common/event_action.h"
#include "modules/common/sched_json.h"
#include "platform/msg_alarm.h"
#include "platform/msg_event.h"
#include "platform/tqdb/rec_alarm.h"

namespace {

using outr = alarm_out_record;

const field output_fields[] = {
    FM_TEXT(outr, "name", name),
    FM_INT(outr, "enable", enable),
    FM_INT(outr, "type", type),
    FM_INT(outr, "durationTime", duration_time),
};

constexpr uint64_t all_outputs = (uint64_t{1} << alarm_out_count) - 1;

// The stored record of output id, zeros when it has none; its id set.
alarm_out_record output(int id) {
    alarm_out_record rec;
    std::memset(&rec, 0, sizeof rec);
    read_alarm_out(TQDB_FILE, &rec, id);
    rec.id = id;
    return rec;
}

bool apply_fields(json_object* req, alarm_out_record& out) {
    return fields_from_json(req, &out, output_fields) > 0;
}

void output_json(json_object* o, const alarm_out_record& out) {
    jadd_int(o, "id", out.id);
    jadd_field(o, "name", out.name, sizeof out.name);
    jadd_int(o, "type", out.type);
    jadd_int(o, "enable", out.enable);
    jadd_int(o, "durationTime", out.duration_time);
}

}  // namespace

void alarm_out_list(request&) {
    alarm_out_record rows[alarm_out_count];
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
void alarm_out_switch_set(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    alarm_out_switch msg{};
    if (!req || !req_int(req, "id", &msg.id) || !alarm_out_ok(msg.id)) return;
    msg.enable = req_int_or(req, "enable", 0);
    core_notify(alarm_reply, MSG_ALARMOUT_SWITCH, sizeof msg, &msg);
    alarm_oplog(oplog_param_alarm_out, msg.id);
    cgi_reply(REPLY_TEXT, "OK");
}

// {"alarmId"}: one output with its schedule.
void alarm_out_get(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    int id;
    if (!req || !req_int(req, "alarmId", &id) || !alarm_out_ok(id)) {
        cgi_reply_error(REPLY_JSON);
        return;
    }
    alarm_out_record out = output(id);
    week_schedule sched;
    std::memset(&sched, 0, sizeof sched);
    read_alarm_out_schedule(TQDB_FILE, &sched, id);
    json_ref reply(json_object_new_object());
    output_json(reply.get(), out);
    json_object_object_add(reply.get(), "effective", schedule_to_json(sched));
    cgi_reply_json(reply.get());
}

// {"alarmId", "dialog": {"effective"}, "name", "enable", "type",
// "durationTime", "copyCnt", "copyChn"}: edits an output and copies its
// enable, type, duration and schedule to the listed outputs.
void alarm_out_set(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    int id;
    if (!req || !req_int(req, "alarmId", &id) || !alarm_out_ok(id)) {
        cgi_reply_error(REPLY_TEXT);
        return;
    }
    week_schedule sched;
    if (schedule_from_json(req_member(req, "dialog"), "effective", &sched) == 0)
        write_alarm_out_schedule(TQDB_FILE, &sched, id);
    {
        cgi_lock_guard lock;
        alarm_out_record out = output(id);
        if (apply_fields(req.get(), out)) write_alarm_out(TQDB_FILE, &out);
    }
    event_notify(MSG_ALARMOUT_CHANGED, id);

    uint64_t mask =
        channel_mask_from_json(req.get(), "copyChn", "copyCnt") & all_outputs & ~(uint64_t{1} << id);
    if (mask) {
        {
            cgi_lock_guard lock;
            alarm_out_record rows[alarm_out_count];
            read_alarm_rows(TQDB_FILE, tqdb_tbl_alarm_out, rows);
            for (int k = 0; k < alarm_out_count; ++k) {
                if (!(mask >> k & 1)) continue;
                rows[k].enable = rows[id].enable;
                rows[k].type = rows[id].type;
                rows[k].duration_time = rows[id].duration_time;
            }
            write_alarm_outs(TQDB_FILE, rows, mask);
        }
        std::memset(&sched, 0, sizeof sched);
        read_alarm_out_schedule(TQDB_FILE, &sched, id);
        copy_alarm_out_schedules(TQDB_FILE, &sched, mask);
        for (int k = 0; k < alarm_out_count; ++k)
            if (mask >> k & 1) event_notify(MSG_ALARMOUT_CHANGED, k);
    }
    mask |= uint64_t{1} << id;
    oplog_mask_record log;
    oplog_record_init(&log.rec);
    log.rec.sub_type = oplog_sub_alarm;
    log.rec.parameter_type = oplog_param_alarm_out;
    log.rec.chan_no = id + 1;
    log.mask = mask;
    core_notify(alarm_reply, MSG_OPLOG_MASKED, sizeof log, &log);
    cgi_reply(REPLY_TEXT, "OK");
}
