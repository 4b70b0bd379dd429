#include "modules/common/sched_json.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/common/channels.h"
#include "platform/tqdb/tqdb.h"

namespace {

// Element idx of a JSON array, null when arr is not an array or too short.
json_object* array_item(json_object* arr, size_t idx) {
    if (!json_object_is_type(arr, json_type_array) || idx >= json_object_array_length(arr)) return nullptr;
    return json_object_array_get_idx(arr, idx);
}

// The integer a request element stands for: a JSON integer, an integral
// number, or a text holding a decimal integer. Anything else is no integer.
bool json_int_value(json_object* v, int* out) {
    switch (json_object_get_type(v)) {
        case json_type_int: {
            int64_t n = json_object_get_int64(v);
            if (n < std::numeric_limits<int>::min() || n > std::numeric_limits<int>::max()) return false;
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

json_object* schedule_to_json_by_day(const week_schedule& sched) { return schedule_json(sched, true); }

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

uint64_t channel_mask_from_json(json_object* req, const char* array_member, const char* count_member) {
    int count = 0;
    if (!json_int_value(req_member(req, count_member), &count) || count <= 0) return 0;
    json_object* list = req_array(req, array_member);
    size_t length = list ? json_object_array_length(list) : 0;
    uint64_t mask = 0;
    for (size_t i = 0; i < length && i < static_cast<size_t>(count); ++i) {
        int chn;
        if (json_int_value(json_object_array_get_idx(list, i), &chn) && chn_ok(chn))
            mask |= uint64_t{1} << chn;
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

int channel_pair_from_json(json_object* req, const char* member, char (&pair)[2][CHANNEL_TEXT_SIZE]) {
    json_object* list = req_array(req, member);
    if (!list) return -1;
    for (int i = 0; i < 2; ++i) {
        json_object* item = array_item(list, i);
        if (json_object_is_type(item, json_type_string))
            copy_text(pair[i], sizeof pair[i], json_object_get_string(item));
    }
    return 0;
}

namespace {

json_object* led_rows_to_json(const led_entry* rows, int count) {
    json_object* list = json_object_new_array();
    count = std::clamp(count, 0, action_list_len);
    for (int i = 0; i < count; ++i) {
        json_object* o = json_object_new_object();
        jadd_int(o, "chnid", rows[i].chnid);
        jadd_int(o, "mode", rows[i].mode);
        jadd_int(o, "time", rows[i].time);
        json_object_array_add(list, o);
    }
    return list;
}

}  // namespace

json_object* led_list_to_json(const char* table, int owner) {
    led_entry rows[action_list_len];
    std::memset(rows, 0, sizeof rows);
    int count = 0;
    if (read_whiteled_params(TQDB_FILE, rows, table, owner, &count) != 0) count = 0;
    return led_rows_to_json(rows, count);
}

json_object* led_list_to_json_peoplecnt(int group) {
    led_entry rows[action_list_len];
    std::memset(rows, 0, sizeof rows);
    int count = 0;
    if (read_peoplecnt_wled_params(TQDB_FILE, rows, group, &count) != 0) count = 0;
    return led_rows_to_json(rows, count);
}

int led_list_from_json(int owner, led_entry* rows, json_object* req, const char* member) {
    json_object* list = req_array(req, member);
    if (!list || !rows) return -1;
    std::memset(rows, 0, sizeof(led_entry) * action_list_len);
    for (int i = 0; i < action_list_len; ++i) {
        json_object* item = array_item(list, i);
        led_entry& row = rows[i];
        // Pages send either form; each element is read by its own shape.
        if (json_object_is_type(item, json_type_object)) {
            row.chnid = item_int(req_member(item, "chnid"));
            row.mode = item_int(req_member(item, "mode"));
            row.time = item_int(req_member(item, "time"));
        } else if (json_object_is_type(item, json_type_array)) {
            row.chnid = item_int(array_item(item, 0));
            row.mode = item_int(array_item(item, 1));
            row.time = item_int(array_item(item, 2));
        } else {
            break;
        }
        row.owner = owner;
    }
    return 0;
}

json_object* ptz_actions_to_json(int event_type, int event_channel) {
    ptz_action rows[action_list_len];
    std::memset(rows, 0, sizeof rows);
    int count = 0;
    int rc = event_type == PTZ_EVENT_PEOPLECNT
                 ? read_peoplecnt_ptz_params(TQDB_FILE, rows, event_channel, &count)
                 : read_ptz_params(TQDB_FILE, rows, event_type, event_channel, &count);
    if (rc != 0) count = 0;
    count = std::clamp(count, 0, action_list_len);
    json_object* list = json_object_new_array();
    for (int i = 0; i < count; ++i) {
        const ptz_action& row = rows[i];
        if (row.acto_ptz_channel <= 0) continue;
        json_object* o = json_object_new_object();
        jadd_int(o, "acto_ptz_channel", row.acto_ptz_channel);
        jadd_int(o, "acto_ptz_type", row.acto_ptz_type);
        jadd_int(o, "acto_ptz_preset", row.acto_ptz_preset);
        jadd_int(o, "acto_ptz_patrol", row.acto_ptz_patrol);
        json_object_array_add(list, o);
    }
    return list;
}

int ptz_actions_from_json(int event_channel, int event_type, json_object* arr) {
    if (!json_object_is_type(arr, json_type_array)) return 0;
    ptz_action rows[action_list_len];
    std::memset(rows, 0, sizeof rows);
    size_t count = std::min(json_object_array_length(arr), static_cast<size_t>(action_list_len));
    for (size_t i = 0; i < count; ++i) {
        json_object* item = json_object_array_get_idx(arr, i);
        ptz_action& row = rows[i];
        row.event_channel = event_channel;
        row.acto_ptz_channel = item_int(req_member(item, "acto_ptz_channel"));
        row.acto_ptz_type = item_int(req_member(item, "acto_ptz_type"));
        row.acto_ptz_preset = item_int(req_member(item, "acto_ptz_preset"));
        row.acto_ptz_patrol = item_int(req_member(item, "acto_ptz_patrol"));
        row.acto_ptz_pattern = item_int(req_member(item, "acto_ptz_pattern"));
    }
    int rc = event_type == PTZ_EVENT_PEOPLECNT
                 ? write_peoplecnt_ptz_params_ex(TQDB_FILE, rows, event_channel)
                 : write_ptz_params_all(TQDB_FILE, rows, event_type, event_channel);
    return rc == 0 ? 1 : 0;
}
