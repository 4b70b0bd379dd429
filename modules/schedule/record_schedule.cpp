// Recording schedules: read one channel's week, set a week for many channels
// (with their recording mode).
#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/common/channels.h"
#include "modules/schedule/schedule.h"
#include "platform/msg_schedule.h"

void record_schedule_show(request& rq) {
    int chn = text_channel(rq.text);
    if (chn < 0) return rq.refuse("channel");
    record_row row;
    load_record(TQDB_FILE, &row, chn);
    record_schedule sched;
    load_record_schedule(TQDB_FILE, &sched, chn);

    json_ref reply(json_object_new_object());
    jadd_int(reply.get(), "id", row.id);
    json_object_object_add(reply.get(), "schedule", record_plan_to_json(sched.week));
    cgi_reply_json(reply.get());
}

void record_schedule_store(request& rq) {
    chn_list chns;
    json_object* days = req_array(rq.json, "schedule");
    // Without a schedule the listed channels would lose theirs.
    if (!chn_list_from_json(rq.json, &chns) || !days) return rq.refuse("cnt, chnid or schedule");
    int plan_mode = req_int_or(rq.json, "recordplanmode", 0);
    record_schedule sched{};
    record_plan_from_json(days, &sched.week);

    // The modes are compared and set in the transaction that copies the
    // schedule, so that no other change of the rows falls between.
    uint64_t mode_mask = 0;
    int rc = tqdb_atomic(TQDB_FILE, [&] {
        record_row rows[64];
        if (read_records_by_channel(TQDB_FILE, rows) != 0) return -1;
        mode_mask = 0;
        for (int i = 0; i < chns.count; ++i)
            if (rows[chns.chn[i]].mode != plan_mode) mode_mask |= uint64_t{1} << chns.chn[i];
        if (copy_record_schedules(TQDB_FILE, &sched, chns.mask) != 0) return -1;
        return copy_table_column_int(TQDB_FILE, "record", "mode", plan_mode, mode_mask, "id");
    });
    if (rc != 0) return rq.fail();

    chn_mask_msg mode_msg = chn_mask_msg_of(mode_mask);
    chn_mask_msg sched_msg = chn_mask_msg_of(chns.mask);
    core_notify(schedule_reply, msg_record_mode, sizeof mode_msg, &mode_msg);
    core_notify(schedule_reply, msg_record_schedule, sizeof sched_msg, &sched_msg);
    oplog_send(oplog_sub_record, oplog_param_record_schedule, chns.last >= 0 ? chns.last + 1 : -1);
    cgi_reply(REPLY_TEXT, "OK");
}
