// The recording schedule's own codec: all 48 plans of each of the 8 days,
// with the whole-day enable and action type. Replies show a plan as an
// object; requests send it as an array [start, end, action].
#include <cstring>

#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/common/field_map.h"
#include "modules/schedule/schedule.h"

namespace {

const field plan_fields[] = {
    FM_TEXT(sched_slot, "startTime", start_time),
    FM_TEXT(sched_slot, "endTime", end_time),
    FM_INT(sched_slot, "actionType", action_type),
};

enum { day_enable, day_action, day_plans };
const field day_fields[] = {
    FM_INT(sched_day, "wholedayEnable", day_flag),
    FM_INT(sched_day, "wholedayActionType", day_action_type),
    FM_RECORDS(sched_day, "plans", slots, plan_fields).out_only(),
};

// Element i of arr when arr is an array holding it, else null.
json_object* array_item(json_object* arr, size_t i) {
    if (!arr || !json_object_is_type(arr, json_type_array)) return nullptr;
    if (i >= json_object_array_length(arr)) return nullptr;
    return json_object_array_get_idx(arr, i);
}

// [start, end, action]: a missing text is empty, a missing action 0.
void plan_from_json(json_object* entry, sched_slot* slot) {
    json_object* start = array_item(entry, 0);
    json_object* end = array_item(entry, 1);
    json_object* action = array_item(entry, 2);
    copy_text(slot->start_time, sizeof slot->start_time, start ? json_object_get_string(start) : "");
    copy_text(slot->end_time, sizeof slot->end_time, end ? json_object_get_string(end) : "");
    slot->action_type = action ? json_object_get_int(action) : 0;
}

// The whole-day action counts only for a day enabled as a whole.
void day_from_json(json_object* obj, sched_day* day) {
    if (!obj || !json_object_is_type(obj, json_type_object)) return;
    field_from_json(obj, day, day_fields[day_enable]);
    if (day->day_flag != 0) field_from_json(obj, day, day_fields[day_action]);
    json_object* plans = req_array(obj, day_fields[day_plans].key);
    for (size_t i = 0; i < SCHED_SLOTS_PER_DAY; ++i) {
        json_object* entry = array_item(plans, i);
        if (entry) plan_from_json(entry, &day->slots[i]);
    }
}

}  // namespace

void record_plan_from_json(json_object* days, week_schedule* out) {
    std::memset(out, 0, sizeof *out);
    for (size_t d = 0; d < SCHED_DAYS; ++d) day_from_json(array_item(days, d), &out->days[d]);
}

json_object* record_plan_to_json(const week_schedule& week) {
    json_object* days = json_object_new_array();
    for (const sched_day& day : week.days) json_object_array_add(days, fields_object(&day, day_fields));
    return days;
}
