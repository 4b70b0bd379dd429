// Small helpers of the playback handlers.
#include "modules/playback/playback.h"

#include <algorithm>
#include <cstring>

#include "front/bare_number.h"
#include "front/web_utils.h"
#include "platform/tqdb/tqdb.h"

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

void reply_failed() {
    if (core_reply_claim()) cgi_reply_error(REPLY_JSON);
}

}  // namespace playback
