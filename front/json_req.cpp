#include "front/json_req.h"

#include "front/web_utils.h"

#include <cstring>

json_object* json_parse_raw(const char* text) {
    if (!text) return nullptr;
    return json_tokener_parse(text);
}

json_ref json_parse_object(const char* text) {
    json_ref obj(json_parse_raw(text));
    if (obj && !json_object_is_type(obj.get(), json_type_object)) obj.reset();
    return obj;
}

int json_get_int_key(const char* text, const char* key, int* out) {
    if (!text || !key || !out) return -1;
    json_ref obj = json_parse_object(text);
    json_object* member = req_member(obj.get(), key);
    if (!member) return -1;
    *out = json_object_get_int(member);
    return 0;
}

json_object* req_member(json_object* obj, const char* key) {
    if (!obj || !key || !json_object_is_type(obj, json_type_object)) return nullptr;
    json_object* member = nullptr;
    if (!json_object_object_get_ex(obj, key, &member)) return nullptr;
    return member;
}

bool req_int(json_object* obj, const char* key, int* out) {
    json_object* member = req_member(obj, key);
    if (!member) return false;
    if (out) *out = json_object_get_int(member);
    return true;
}

bool req_int64(json_object* obj, const char* key, int64_t* out) {
    json_object* member = req_member(obj, key);
    if (!member) return false;
    if (out) *out = json_object_get_int64(member);
    return true;
}

bool req_double(json_object* obj, const char* key, double* out) {
    json_object* member = req_member(obj, key);
    if (!member) return false;
    if (out) *out = json_object_get_double(member);
    return true;
}

const char* req_str(json_object* obj, const char* key) {
    json_object* member = req_member(obj, key);
    if (!member) return nullptr;
    return json_object_get_string(member);
}

bool req_ints_in_range(json_object* obj, std::initializer_list<req_int_rule> rules) {
    for (const req_int_rule& r : rules) {
        int value = 0;
        if (!req_int(obj, r.key, &value) || value < r.min || value > r.max) return false;
    }
    return true;
}

int req_int_or(json_object* obj, const char* key, int def) {
    int value = def;
    req_int(obj, key, &value);
    return value;
}

void req_text(json_object* obj, const char* key, char* dst, size_t dst_size, size_t max_chars) {
    copy_text(dst, dst_size, req_str(obj, key), max_chars);
}

json_object* req_array(json_object* obj, const char* key) {
    json_object* member = req_member(obj, key);
    if (!member || !json_object_is_type(member, json_type_array)) return nullptr;
    return member;
}

void jadd_field(json_object* o, const char* k, const char* field, size_t width) {
    size_t len = field ? strnlen(field, width) : 0;
    json_object_object_add(o, k, json_object_new_string_len(field ? field : "", static_cast<int>(len)));
}

int cgi_reply_json(json_object* obj) {
    if (!obj) return -1;
    return cgi_reply(REPLY_JSON, json_object_to_json_string(obj));
}
