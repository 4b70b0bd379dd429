// The module's reply callback and its reply writers. Counts in the replies
// are clamped to the arrays they index; a reply shorter than its record is
// ignored, so the waiting handler answers with its failure reply.
#include "front/core_link.h"
#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/schedule/schedule.h"
#include "modules/schedule/schedule_msgs.h"

#include <cstring>

namespace {

int clamp_count(int32_t n, int capacity) { return n < 0 ? 0 : n > capacity ? capacity : n; }

json_object* int_array(const int32_t* values, int count) {
    json_object* arr = json_object_new_array();
    for (int i = 0; i < count; ++i) json_object_array_add(arr, json_object_new_int(values[i]));
    return arr;
}

void write_json_reply(json_object* obj) {
    json_ref reply(obj);
    if (!core_reply_claim()) return;
    cgi_reply_json(reply.get());
    core_reply_done(1);
}

// 7285: a failure when ANR was being switched on and any camera failed.
void write_anr_switch(const anr_switch_reply& r) {
    int count = clamp_count(r.count, 64);
    int resp = 0;
    if (r.anr != 0)
        for (int i = 0; i < count; ++i)
            if (r.result[i] != 0) resp = -1;
    json_object* obj = json_object_new_object();
    jadd_int(obj, "resp", resp);
    write_json_reply(obj);
}

void write_anr_support(const anr_support_reply& r) {
    json_object* obj = json_object_new_object();
    jadd_int(obj, "chnid", r.chn);
    jadd_int(obj, "support", r.support);
    write_json_reply(obj);
}

void write_record_streams(const record_streams_reply& r) {
    int size = clamp_count(r.size, 64);
    json_object* obj = json_object_new_object();
    json_object_object_add(obj, "primary", int_array(r.primary, size));
    json_object_object_add(obj, "secondary", int_array(r.secondary, size));
    jadd_int(obj, "size", size);
    write_json_reply(obj);
}

// Copies the reply into rec when it holds a whole record.
template <typename T>
bool reply_record(const void* header, const void* payload, T* rec) {
    if (core_header_size(header) < sizeof(T)) return false;
    std::memcpy(rec, payload, sizeof(T));
    return true;
}

}  // namespace

void schedule_replies(void*, const void* header, const void* payload) {
    if (!payload) return;
    switch (core_header_id(header)) {
    case MSG_ANR_SWITCH + 5000: {
        anr_switch_reply r;
        if (reply_record(header, payload, &r)) write_anr_switch(r);
        break;
    }
    case MSG_ANR_SUPPORT + 5000: {
        anr_support_reply r;
        if (reply_record(header, payload, &r)) write_anr_support(r);
        break;
    }
    case MSG_RECORD_STREAMS + 5000: {
        record_streams_reply r;
        if (reply_record(header, payload, &r)) write_record_streams(r);
        break;
    }
    default:
        break;
    }
}
