// Small helpers of the playback handlers and reply writers.
#include <ctime>

#include "front/bare_number.h"
#include "modules/playback/playback.h"

namespace playback {

namespace {

bool element_int(json_object* element, int32_t* out) {
    if (!element) return false;
    switch (json_object_get_type(element)) {
        case json_type_int:
        case json_type_double:
            *out = json_object_get_int(element);
            return true;
        case json_type_string:
            return parse_bare_int(json_object_get_string(element), out);
        default:
            return false;
    }
}

}  // namespace

int take_ints(json_object* array, int limit, int32_t* out, int cap) {
    if (!array || !json_object_is_type(array, json_type_array)) return 0;
    int n = static_cast<int>(json_object_array_length(array));
    if (limit < n) n = limit;
    if (cap < n) n = cap;
    int taken = 0;
    for (; taken < n; ++taken) {
        int value = 0;
        if (!element_int(json_object_array_get_idx(array, taken), &value)) break;
        out[taken] = value;
    }
    return taken;
}

json_ref status_object(const char* status) {
    json_ref obj(json_object_new_object());
    jadd_str(obj.get(), "status", status);
    return obj;
}

void add_time(json_object* obj, const char* key, int32_t seconds) {
    time_t t = seconds;
    struct tm tm_local;
    char text[32] = "";
    if (localtime_r(&t, &tm_local)) strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &tm_local);
    jadd_str(obj, key, text);
}

int reply_json(const json_ref& obj) {
    cgi_reply_json(obj.get());
    return 1;
}

int reply_status(const char* status) { return reply_json(status_object(status)); }

}  // namespace playback
