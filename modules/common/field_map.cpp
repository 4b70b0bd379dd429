#include "modules/common/field_map.h"

#include <cstring>

#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/common/sched_json.h"

namespace {

int32_t get_i32(const void* rec, size_t offset) {
    int32_t v;
    std::memcpy(&v, static_cast<const char*>(rec) + offset, sizeof v);
    return v;
}

void set_i32(void* rec, size_t offset, int32_t v) {
    std::memcpy(static_cast<char*>(rec) + offset, &v, sizeof v);
}

// An unsigned field of f.width bytes (1, 2 or 4).
int64_t get_uint(const void* rec, const field& f) {
    const char* p = static_cast<const char*>(rec) + f.offset;
    switch (f.width) {
        case 1:
            return *reinterpret_cast<const uint8_t*>(p);
        case 2: {
            uint16_t v;
            std::memcpy(&v, p, sizeof v);
            return v;
        }
        default: {
            uint32_t v;
            std::memcpy(&v, p, sizeof v);
            return v;
        }
    }
}

// Stores the low f.width bytes' worth of v.
void set_uint(void* rec, const field& f, int64_t v) {
    char* p = static_cast<char*>(rec) + f.offset;
    switch (f.width) {
        case 1:
            *reinterpret_cast<uint8_t*>(p) = static_cast<uint8_t>(v);
            break;
        case 2: {
            auto w = static_cast<uint16_t>(v);
            std::memcpy(p, &w, sizeof w);
            break;
        }
        default: {
            auto w = static_cast<uint32_t>(v);
            std::memcpy(p, &w, sizeof w);
            break;
        }
    }
}

bool has_range(const field& f) { return f.min != INT32_MIN || f.max != INT32_MAX; }

size_t text_limit(const field& f) { return f.max_chars ? f.max_chars : SIZE_MAX; }

// The element map of a record row.
std::span<const field> sub_map(const field& f) { return {f.sub, f.sub_count}; }

}  // namespace

uint32_t tri_channels_mask(const char* text, size_t width) {
    uint32_t mask = 0;
    for (size_t p = 0; p < 32 && p < width && text[p]; ++p)
        if (text[p] == '1') mask |= uint32_t{1} << p;
    return mask;
}

bool fields_valid(json_object* obj, std::span<const field> map) {
    for (const field& f : map) {
        json_object* member = req_member(obj, f.key);
        if (!member) {
            if (f.flags & FM_REQUIRED) return false;
            continue;
        }
        if (f.kind == fm_kind::i32 && has_range(f)) {
            int32_t v = json_object_get_int(member);
            if (v < f.min || v > f.max) return false;
        }
        if (f.kind == fm_kind::uint && has_range(f)) {
            int64_t v = json_object_get_int64(member);
            if (v < f.min || v > f.max) return false;
        }
    }
    return true;
}

bool field_from_json(json_object* obj, void* rec, const field& f, unsigned options) {
    json_object* member = req_member(obj, f.key);
    if (!member) {
        if ((options & FM_ZERO_ABSENT) && f.kind == fm_kind::i32) set_i32(rec, f.offset, 0);
        if ((options & FM_ZERO_ABSENT) && f.kind == fm_kind::uint) set_uint(rec, f, 0);
        return false;
    }
    return field_from_value(member, rec, f, options);
}

bool field_from_value(json_object* member, void* rec, const field& f, unsigned options) {
    if (!member) return false;
    char* base = static_cast<char*>(rec);
    switch (f.kind) {
        case fm_kind::i32:
            set_i32(rec, f.offset, json_object_get_int(member));
            break;
        case fm_kind::uint:
            set_uint(rec, f, json_object_get_int64(member));
            break;
        case fm_kind::text:
            copy_text(base + f.offset, f.width, json_object_get_string(member), text_limit(f));
            break;
        case fm_kind::channels:
            copy_text(base + f.offset, f.width, json_object_get_string(member), 64);
            if (f.aux >= 0)
                set_i32(rec, f.aux, static_cast<int32_t>(tri_channels_mask(base + f.offset, f.width)));
            return true;
        case fm_kind::pair:
            if (!json_object_is_type(member, json_type_array)) return false;
            for (size_t i = 0; i < 2 && i < json_object_array_length(member); ++i) {
                json_object* item = json_object_array_get_idx(member, i);
                if (json_object_is_type(item, json_type_string))
                    copy_text(base + f.offset + i * f.width, f.width, json_object_get_string(item), 64);
            }
            break;
        case fm_kind::i32s:
            if (!json_object_is_type(member, json_type_array)) return false;
            for (size_t i = 0; i < f.width && i < json_object_array_length(member); ++i)
                set_i32(rec, f.offset + i * sizeof(int32_t),
                        json_object_get_int(json_object_array_get_idx(member, i)));
            break;
        case fm_kind::record:
            if (!json_object_is_type(member, json_type_object)) return false;
            fields_from_json(member, base + f.offset, sub_map(f), options & ~FM_ONLY_ACTION);
            break;
        case fm_kind::records:
            if (!json_object_is_type(member, json_type_array)) return false;
            for (size_t i = 0; i < f.width && i < json_object_array_length(member); ++i) {
                json_object* item = json_object_array_get_idx(member, i);
                if (json_object_is_type(item, json_type_object))
                    fields_from_json(item, base + f.offset + i * f.stride, sub_map(f),
                                     options & ~FM_ONLY_ACTION);
            }
            break;
    }
    if (f.aux >= 0) set_i32(rec, f.aux, 2);
    return true;
}

int fields_from_json(json_object* obj, void* rec, std::span<const field> map, unsigned options) {
    int applied = 0;
    for (const field& f : map) {
        if (f.flags & FM_OUT_ONLY) continue;
        if ((options & FM_ONLY_ACTION) && !(f.flags & FM_ACTION)) continue;
        if (field_from_json(obj, rec, f, options)) ++applied;
    }
    return applied;
}

void field_to_json(json_object* out, const void* rec, const field& f) {
    const char* base = static_cast<const char*>(rec);
    switch (f.kind) {
        case fm_kind::i32:
            jadd_int(out, f.key, get_i32(rec, f.offset));
            break;
        case fm_kind::uint:
            jadd_int(out, f.key, get_uint(rec, f));
            break;
        case fm_kind::text:
        case fm_kind::channels:
            jadd_field(out, f.key, base + f.offset, f.width);
            break;
        case fm_kind::pair:
            json_object_object_add(out, f.key,
                                   channel_pair_to_json(base + f.offset, base + f.offset + f.width));
            break;
        case fm_kind::i32s: {
            json_object* list = json_object_new_array();
            for (size_t i = 0; i < f.width; ++i)
                json_object_array_add(list,
                                      json_object_new_int(get_i32(rec, f.offset + i * sizeof(int32_t))));
            json_object_object_add(out, f.key, list);
            break;
        }
        case fm_kind::record:
            json_object_object_add(out, f.key, fields_object(base + f.offset, sub_map(f)));
            break;
        case fm_kind::records: {
            json_object* list = json_object_new_array();
            for (size_t i = 0; i < f.width; ++i)
                json_object_array_add(list, fields_object(base + f.offset + i * f.stride, sub_map(f)));
            json_object_object_add(out, f.key, list);
            break;
        }
    }
}

void fields_to_json(json_object* out, const void* rec, std::span<const field> map) {
    for (const field& f : map)
        if (!(f.flags & FM_IN_ONLY)) field_to_json(out, rec, f);
}

json_object* fields_object(const void* rec, std::span<const field> map) {
    json_object* obj = json_object_new_object();
    fields_to_json(obj, rec, map);
    return obj;
}

json_object* fields_array(const void* recs, size_t stride, size_t count, std::span<const field> map) {
    json_object* list = json_object_new_array();
    for (size_t i = 0; i < count; ++i)
        json_object_array_add(list, fields_object(static_cast<const char*>(recs) + i * stride, map));
    return list;
}

const field* field_find(std::span<const field> map, const char* key) {
    for (const field& f : map)
        if (std::strcmp(f.key, key) == 0) return &f;
    return nullptr;
}
