// Holidays: the list of the 32 holidays and the setting of one.
#include "front/core_link.h"
#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/schedule/schedule.h"
#include "modules/schedule/schedule_msgs.h"
#include "platform/tqdb/rec_holiday.h"

namespace {

// The integer fields after the name, with their JSON keys, in reply order.
struct holiday_field {
    const char* key;
    int32_t holiday_record::*field;
};
const holiday_field int_fields[] = {
    {"type", &holiday_record::type},
    {"startYear", &holiday_record::start_year},
    {"startMon", &holiday_record::start_mon},
    {"startMDay", &holiday_record::start_mday},
    {"startMWeek", &holiday_record::start_mweek},
    {"startWDay", &holiday_record::start_wday},
    {"endYear", &holiday_record::end_year},
    {"endMon", &holiday_record::end_mon},
    {"endMDay", &holiday_record::end_mday},
    {"endMWeek", &holiday_record::end_mweek},
    {"endWDay", &holiday_record::end_wday},
};

json_object* holiday_to_json(const holiday_record& rec) {
    json_object* obj = json_object_new_object();
    jadd_int(obj, "id", rec.id);
    jadd_int(obj, "enable", rec.enable);
    jadd_field(obj, "name", rec.name, sizeof rec.name);
    for (const holiday_field& f : int_fields) jadd_int(obj, f.key, rec.*f.field);
    return obj;
}

}  // namespace

void on_6030(request&) {
    holiday_record recs[HOLIDAY_COUNT] = {};
    int count = 0;
    read_holidays(TQDB_FILE, recs, &count);
    json_ref reply(json_object_new_object());
    json_object* list = json_object_new_array();
    for (int i = 0; i < count && i < HOLIDAY_COUNT; ++i)
        json_object_array_add(list, holiday_to_json(recs[i]));
    json_object_object_add(reply.get(), "holidays", list);
    cgi_reply_json(reply.get());
}

void on_6031(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    holiday_record rec{};
    if (!req || !req_int(req, "id", &rec.id) || rec.id < 0 || rec.id >= HOLIDAY_COUNT) return;
    if (!req_int(req, "enable", &rec.enable) || (rec.enable != 0 && rec.enable != 1)) return;
    if (!req_int(req, "type", &rec.type) || rec.type < 0) return;
    req_text(req.get(), "name", rec.name, sizeof rec.name);
    for (const holiday_field& f : int_fields) rec.*f.field = req_int_or(req, f.key, 0);
    write_holiday(TQDB_FILE, &rec);

    core_notify(schedule_replies, MSG_HOLIDAY_CHANGED, 0, nullptr);
    oplog_send(OPLOG_SUB_RECORD, OPLOG_PARAM_HOLIDAY, rec.id + 1);
    cgi_reply(REPLY_TEXT, "OK");
}
