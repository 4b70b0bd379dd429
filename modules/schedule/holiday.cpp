// Holidays: the list of the 32 holidays and the setting of one.
#include <algorithm>

#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/common/field_map.h"
#include "modules/schedule/schedule.h"
#include "platform/msg_schedule.h"
#include "platform/tqdb/rec_holiday.h"

namespace {

// Members in reply order; a request must hold "id", "enable" and "type".
using hr = holiday_record;
const field holiday_fields[] = {
    FM_INT(hr, "id", id).range(0, HOLIDAY_COUNT - 1).required(),
    FM_INT(hr, "enable", enable).range(0, 1).required(),
    FM_TEXT(hr, "name", name),
    FM_INT(hr, "type", type).range(0, INT32_MAX).required(),
    FM_INT(hr, "startYear", start_year),
    FM_INT(hr, "startMon", start_mon),
    FM_INT(hr, "startMDay", start_mday),
    FM_INT(hr, "startMWeek", start_mweek),
    FM_INT(hr, "startWDay", start_wday),
    FM_INT(hr, "endYear", end_year),
    FM_INT(hr, "endMon", end_mon),
    FM_INT(hr, "endMDay", end_mday),
    FM_INT(hr, "endMWeek", end_mweek),
    FM_INT(hr, "endWDay", end_wday),
};

}  // namespace

void holiday_list(request&) {
    holiday_record recs[HOLIDAY_COUNT] = {};
    int count = 0;
    read_holidays(TQDB_FILE, recs, &count);
    json_ref reply(json_object_new_object());
    json_object_object_add(
        reply.get(), "holidays",
        fields_array(recs, sizeof recs[0], std::min(count, HOLIDAY_COUNT), holiday_fields));
    cgi_reply_json(reply.get());
}

// The holiday is stored as the request gives it: what it leaves out is
// cleared, nothing carries over from the stored one.
void holiday_store(request& rq) {
    if (!fields_valid(rq.json, holiday_fields)) return rq.refuse("id, enable or type");
    holiday_record rec{};
    fields_from_json(rq.json, &rec, holiday_fields);
    if (write_holiday(TQDB_FILE, &rec) != 0) return rq.fail();
    core_notify(schedule_reply, msg_holiday_changed, 0, nullptr);
    oplog_send(oplog_sub_record, oplog_param_holiday, rec.id + 1);
    cgi_reply(REPLY_TEXT, "OK");
}
