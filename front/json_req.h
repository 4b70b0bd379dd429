// json-c helpers for request texts and replies.
//
// json_ref owns a json-c object (json_object_put on destruction). The req_*
// accessors read members of a parsed request and say whether the member was
// present, so that validation reads as data:
//
//     json_ref req = json_parse_text(text);
//     int id;
//     if (!req || !req_int(req, "id", &id) || id < 0) return;
#pragma once

#include <json-c/json.h>

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>

struct json_put {
    void operator()(json_object* obj) const { json_object_put(obj); }
};
using json_ref = std::unique_ptr<json_object, json_put>;

// Parsed object, or null when the text is null or not JSON.
json_object* json_parse_raw(const char* text);
inline json_ref json_parse_text(const char* text) { return json_ref(json_parse_raw(text)); }
// A parsed request that must be a JSON object; null otherwise.
json_ref json_parse_object(const char* text);

int json_get_int_key(const char* text, const char* key, int* out);

// Member lookup; null when obj is null, not an object, or lacks the member.
json_object* req_member(json_object* obj, const char* key);
inline json_object* req_member(const json_ref& obj, const char* key) {
    return req_member(obj.get(), key);
}

// True when the member is present; *out gets json-c's integer reading of it
// (a missing member leaves *out unchanged).
bool req_int(json_object* obj, const char* key, int* out);
bool req_int64(json_object* obj, const char* key, int64_t* out);
bool req_double(json_object* obj, const char* key, double* out);
// The member's string (json-c's text of it for non-strings); null when absent.
const char* req_str(json_object* obj, const char* key);
// Integer member, def when absent.
int req_int_or(json_object* obj, const char* key, int def);
// String member copied into a fixed field (cut to fit); "" when absent.
void req_text(json_object* obj, const char* key, char* dst, size_t dst_size,
              size_t max_chars = SIZE_MAX);
// Array member, null when absent or not an array.
json_object* req_array(json_object* obj, const char* key);
inline bool req_int(const json_ref& o, const char* k, int* v) { return req_int(o.get(), k, v); }
inline const char* req_str(const json_ref& o, const char* k) { return req_str(o.get(), k); }
inline int req_int_or(const json_ref& o, const char* k, int d) { return req_int_or(o.get(), k, d); }
inline json_object* req_array(const json_ref& o, const char* k) { return req_array(o.get(), k); }

// "Present and in range" checks of integer members, one rule a member:
//     if (!req_ints_in_range(req, {{"id", 0, 63}, {"enable", 0, 1}})) return;
struct req_int_rule {
    const char* key;
    int min;
    int max;
};
bool req_ints_in_range(json_object* obj, std::initializer_list<req_int_rule> rules);

// Building replies: add members in order.
inline void jadd_int(json_object* o, const char* k, int64_t v) {
    json_object_object_add(o, k, json_object_new_int64(v));
}
inline void jadd_str(json_object* o, const char* k, const char* v) {
    json_object_object_add(o, k, json_object_new_string(v ? v : ""));
}
// A fixed-width text field of a record (not necessarily terminated).
void jadd_field(json_object* o, const char* k, const char* field, size_t width);

// Writes obj as the JSON reply (type 1) in json-c's plain form.
int cgi_reply_json(json_object* obj);
