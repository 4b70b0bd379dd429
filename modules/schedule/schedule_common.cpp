// Helpers shared by the handlers of the recording-schedule module.
#include "front/json_req.h"
#include "modules/common/channels.h"
#include "modules/schedule/schedule.h"

bool chn_list_from_json(json_object* req, chn_list* out) {
    int cnt = 0;
    json_object* arr = req_array(req, "chnid");
    if (!req_int(req, "cnt", &cnt) || !arr) return false;
    *out = chn_list{};
    // A repeated channel is taken once: the lists sent to the core daemon
    // hold at most 64 entries.
    size_t n = json_object_array_length(arr);
    for (size_t i = 0; cnt > 0 && i < n && i < static_cast<size_t>(cnt); ++i) {
        json_object* elem = json_object_array_get_idx(arr, i);
        if (!elem) continue;
        int ch = json_object_get_int(elem);
        if (!chn_ok(ch)) continue;
        out->last = ch;
        if (out->mask >> ch & 1) continue;
        out->mask |= uint64_t{1} << ch;
        out->chn[out->count++] = ch;
    }
    return true;
}
