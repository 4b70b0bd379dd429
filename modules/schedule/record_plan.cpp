// The recording schedule's own codec: all 48 plans of each of the 8 days,
// with the whole-day enable and action type.
#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/schedule/schedule.h"

#include <cstring>

namespace {

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

void day_from_json(json_object* obj, sched_day* day) {
    if (!obj || !json_object_is_type(obj, json_type_object)) return;
    day->day_flag = req_int_or(obj, "wholedayEnable", 0);
    if (day->day_flag != 0) day->day_action_type = req_int_or(obj, "wholedayActionType", 0);
    json_object* plans = req_array(obj, "plans");
    for (size_t i = 0; i < SCHED_SLOTS_PER_DAY; ++i) {
        json_object* entry = array_item(plans, i);
        if (entry) plan_from_json(entry, &day->slots[i]);
    }
}

json_object* plan_to_json(const sched_slot& slot) {
    json_object* obj = json_object_new_object();
    jadd_field(obj, "startTime", slot.start_time, sizeof slot.start_time);
    jadd_field(obj, "endTime", slot.end_time, sizeof slot.end_time);
    jadd_int(obj, "actionType", slot.action_type);
    return obj;
}

}  // namespace

void record_plan_from_json(json_object* days, week_schedule* out) {
    std::memset(out, 0, sizeof *out);
    for (size_t d = 0; d < SCHED_DAYS; ++d) day_from_json(array_item(days, d), &out->days[d]);
}

json_object* record_plan_to_json(const week_schedule& week) {
    json_object* days = json_object_new_array();
    for (const sched_day& day : week.days) {
        json_object* obj = json_object_new_object();
        jadd_int(obj, "wholedayEnable", day.day_flag);
        jadd_int(obj, "wholedayActionType", day.day_action_type);
        json_object* plans = json_object_new_array();
        for (const sched_slot& slot : day.slots) json_object_array_add(plans, plan_to_json(slot));
        json_object_object_add(obj, "plans", plans);
        json_object_array_add(days, obj);
    }
    return days;
}
