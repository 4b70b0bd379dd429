#include "front/sched_json.h"

#include "front/json_req.h"
#include "front/web_utils.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

// Element idx of a JSON array, null when arr is not an array or too short.
json_object* array_item(json_object* arr, size_t idx) {
    if (!json_object_is_type(arr, json_type_array) || idx >= json_object_array_length(arr))
        return nullptr;
    return json_object_array_get_idx(arr, idx);
}

// The integer a request element stands for: a JSON integer, an integral
// number, or a text holding a decimal integer. Anything else is no integer.
bool json_int_value(json_object* v, int* out) {
    switch (json_object_get_type(v)) {
    case json_type_int: {
        int64_t n = json_object_get_int64(v);
        if (n < std::numeric_limits<int>::min() || n > std::numeric_limits<int>::max())
            return false;
        *out = static_cast<int>(n);
        return true;
    }
    case json_type_double: {
        double d = json_object_get_double(v);
        if (!(d >= std::numeric_limits<int>::min() && d <= std::numeric_limits<int>::max()) ||
            d != std::trunc(d))
            return false;
        *out = static_cast<int>(d);
        return true;
    }
    case json_type_string: {
        const char* s = json_object_get_string(v);
        char* end = nullptr;
        errno = 0;
        long n = std::strtol(s, &end, 10);
        if (end == s || *end || errno || n < std::numeric_limits<int>::min() ||
            n > std::numeric_limits<int>::max())
            return false;
        *out = static_cast<int>(n);
        return true;
    }
    default:
        return false;
    }
}

// An integer item of a row: 0 when it is missing or not an integer.
int item_int(json_object* v) {
    int n = 0;
    return json_int_value(v, &n) ? n : 0;
}

// A text item of a row: only strings count; anything else is empty.
void item_text(json_object* v, char* dst, size_t dst_size) {
    copy_text(dst, dst_size, json_object_is_type(v, json_type_string) ? json_object_get_string(v) : "");
}

json_object* slot_to_json(const sched_slot& slot, bool empty) {
    json_object* o = json_object_new_object();
    jadd_field(o, "startTime", empty ? "" : slot.start_time, sizeof slot.start_time);
    jadd_field(o, "endTime", empty ? "" : slot.end_time, sizeof slot.end_time);
    jadd_int(o, "actionType", empty ? 0 : slot.action_type);
    return o;
}

json_object* schedule_json(const week_schedule& sched, bool by_day) {
    json_object* week = json_object_new_array();
    for (const sched_day& day : sched.days) {
        bool empty = by_day && day.day_flag == 0;
        json_object* slots = json_object_new_array();
        for (int s = 0; s < SCHED_JSON_SLOTS; ++s)
            json_object_array_add(slots, slot_to_json(day.slots[s], empty));
        json_object_array_add(week, slots);
    }
    return week;
}

}  // namespace

json_object* schedule_to_json(const week_schedule& sched) { return schedule_json(sched, false); }

json_object* schedule_to_json_by_day(const week_schedule& sched) {
    return schedule_json(sched, true);
}

int schedule_from_json(json_object* req, const char* member, week_schedule* sched) {
    json_object* week = req_array(req, member);
    if (!week || !sched) return -1;
    std::memset(sched, 0, sizeof *sched);
    // Days and slots that the request leaves out (or sends as something other
    // than arrays) stay empty; anything past 8 days or 12 slots is ignored.
    for (int d = 0; d < SCHED_JSON_DAYS; ++d) {
        json_object* day = array_item(week, d);
        for (int s = 0; s < SCHED_JSON_SLOTS; ++s) {
            json_object* row = array_item(day, s);
            sched_slot& slot = sched->days[d].slots[s];
            item_text(array_item(row, 0), slot.start_time, sizeof slot.start_time);
            item_text(array_item(row, 1), slot.end_time, sizeof slot.end_time);
            slot.action_type = item_int(array_item(row, 2));
        }
    }
    return 0;
}

int schedule_from_json_by_day(json_object* req, const char* member, week_schedule* sched) {
    if (schedule_from_json(req, member, sched) != 0) return -1;
    for (sched_day& day : sched->days) day.day_flag = 1;
    return 0;
}

uint64_t channel_mask_from_json(json_object* req, const char* array_member,
                                const char* count_member) {
    int count = 0;
    if (!json_int_value(req_member(req, count_member), &count) || count <= 0) return 0;
    json_object* list = req_array(req, array_member);
    uint64_t mask = 0;
    for (int i = 0; i < count; ++i) {
        json_object* item = array_item(list, i);
        if (!item) break;
        int chn;
        if (json_int_value(item, &chn) && chn_ok(chn)) mask |= uint64_t{1} << chn;
    }
    return mask;
}

json_object* channel_pair_to_json(const char* first, const char* second) {
    json_object* pair = json_object_new_array();
    for (const char* text : {first, second}) {
        size_t len = text ? strnlen(text, CHANNEL_TEXT_SIZE) : 0;
        json_object_array_add(pair, json_object_new_string_len(text ? text : "", static_cast<int>(len)));
    }
    return pair;
}

int channel_pair_from_json(json_object* req, const char* member,
                           char (&pair)[2][CHANNEL_TEXT_SIZE]) {
    json_object* list = req_array(req, member);
    if (!list) return -1;
    for (int i = 0; i < 2; ++i) {
        json_object* item = array_item(list, i);
        if (json_object_is_type(item, json_type_string))
            copy_text(pair[i], sizeof pair[i], json_object_get_string(item));
    }
    return 0;
}
