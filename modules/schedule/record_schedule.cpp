// Recording schedules: read one channel's week, set a week for many channels
// (with their recording mode).
#include <cstring>

#include "front/core_link.h"
#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/schedule/schedule.h"
#include "modules/schedule/schedule_msgs.h"

void on_6040(request& rq) {
    char* text = rq.text;
    int chn;
    if (!text_channel(text, &chn)) return;
    record_row row{};
    row.id = chn;
    read_record(TQDB_FILE, &row, chn);
    record_schedule sched{};
    read_record_schedule(TQDB_FILE, &sched, chn);

    json_ref reply(json_object_new_object());
    jadd_int(reply.get(), "id", row.id);
    json_object_object_add(reply.get(), "schedule", record_plan_to_json(sched.week));
    cgi_reply_json(reply.get());
}

void on_6041(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    chn_list chns;
    json_object* days = req_array(req, "schedule");
    // Without a schedule the listed channels would lose theirs.
    if (!req || !chn_list_from_json(req.get(), &chns) || !days) return;
    int plan_mode = req_int_or(req, "recordplanmode", 0);

    record_schedule sched{};
    record_plan_from_json(days, &sched.week);

    record_row rows[64];
    read_records_by_channel(TQDB_FILE, rows);
    uint64_t mode_mask = 0;
    for (int i = 0; i < chns.count; ++i)
        if (rows[chns.chn[i]].mode != plan_mode) mode_mask |= uint64_t{1} << chns.chn[i];

    copy_record_schedules(TQDB_FILE, &sched, chns.mask);
    copy_table_column_int(TQDB_FILE, "record", "mode", plan_mode, mode_mask, "id");

    chn_mask_msg mode_msg = chn_mask_msg_of(mode_mask);
    chn_mask_msg sched_msg = chn_mask_msg_of(chns.mask);
    core_notify(schedule_replies, MSG_RECORD_MODE, sizeof mode_msg, &mode_msg);
    core_notify(schedule_replies, MSG_RECORD_SCHEDULE, sizeof sched_msg, &sched_msg);
    oplog_send(OPLOG_SUB_RECORD, OPLOG_PARAM_RECORD_SCHEDULE, chns.last >= 0 ? chns.last + 1 : -1);
    cgi_reply(REPLY_TEXT, "OK");
}
