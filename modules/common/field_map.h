// Field maps: a record's JSON form as data.
//
// A field map is a table of rows, one row a JSON member and the record field
// it stands for. One map serves both ways: it checks a request's members
// (present where required, integers within their range), reads them into a
// record, and renders a record as a reply, members in map order. Handlers
// then hold the map and the few lines that really differ, not a ladder of
// req_int/jadd_int calls written twice.
//
//     using pr = ptz_speed_record;
//     const field speed_fields[] = {
//         FM_INT(pr, "pan_speed", pan_speed),
//         FM_INT(pr, "tilt_speed", tilt_speed).range(1, 10).required(),
//         FM_TEXT(pr, "name", name),
//     };
//     if (!fields_valid(rq.json, speed_fields)) return rq.refuse("speeds");
//     fields_from_json(rq.json, &rec, speed_fields);
//     fields_to_json(reply, &rec, speed_fields);
//
// Reading follows json-c's conversions (a string "5" reads as 5, anything
// else not a number as 0), as every handler always has. A member the request
// leaves out keeps what the record holds (FM_ZERO_ABSENT: integers become 0).
#pragma once

#include <json-c/json.h>

#include <climits>
#include <cstddef>
#include <cstdint>
#include <span>

enum class fm_kind : uint8_t {
    i32,       // JSON integer <-> int32
    uint,      // JSON integer <-> unsigned integer of width bytes (1, 2 or 4)
    text,      // JSON string <-> NUL-padded text of width bytes
    channels,  // a '0'/'1' channel text (at most 64 characters); aux: the
               // offset of a uint32 mask rebuilt from positions below 32
    pair,      // two texts of width bytes back to back <-> an array of two
               // strings (each at most 64 characters; a non-string element
               // leaves its text)
    i32s,      // JSON array of integers <-> int32[count]
    record,    // JSON object <-> a nested record (sub map)
    records,   // JSON array of objects <-> record[count] of width bytes each
};

enum fm_flag : uint8_t {
    FM_REQUIRED = 1 << 0,  // a request must hold it (fields_valid)
    FM_ACTION = 1 << 1,    // part of an action-setting object (event model)
    FM_IN_ONLY = 1 << 2,   // read from requests, never rendered
    FM_OUT_ONLY = 1 << 3,  // rendered, never read from requests
};

struct field {
    const char* key;
    fm_kind kind;
    uint8_t flags;
    uint16_t offset;
    uint16_t width;           // text: bytes; i32s/records: element count
    uint16_t stride = 0;      // records: bytes of one element
    uint16_t max_chars = 0;   // text: characters kept (0: width - 1)
    int16_t aux = -1;         // channels: mask offset; else the offset
                              // of an int32 set to 2 when the member is
                              // applied (a "set by this page" mark)
    int32_t min = INT32_MIN;  // i32: the range fields_valid checks
    int32_t max = INT32_MAX;
    const field* sub = nullptr;  // record/records: the element's map
    uint16_t sub_count = 0;

    constexpr field range(int32_t lo, int32_t hi) const {
        field f = *this;
        f.min = lo;
        f.max = hi;
        return f;
    }
    constexpr field required() const { return with(FM_REQUIRED); }
    constexpr field action() const { return with(FM_ACTION); }
    constexpr field in_only() const { return with(FM_IN_ONLY); }
    constexpr field out_only() const { return with(FM_OUT_ONLY); }
    constexpr field chars(size_t n) const {
        field f = *this;
        f.max_chars = static_cast<uint16_t>(n);
        return f;
    }
    constexpr field mark(size_t offset_of_int) const {
        field f = *this;
        f.aux = static_cast<int16_t>(offset_of_int);
        return f;
    }
    constexpr field with(uint8_t flag) const {
        field f = *this;
        f.flags = static_cast<uint8_t>(f.flags | flag);
        return f;
    }
};

template <size_t N>
constexpr std::span<const field> field_span(const field (&map)[N]) {
    return {map, N};
}

#define FM_INT(rec, key, member) \
    field { key, fm_kind::i32, 0, static_cast<uint16_t>(offsetof(rec, member)), 4 }
#define FM_UINT(rec, key, member) \
    field { key, fm_kind::uint, 0, static_cast<uint16_t>(offsetof(rec, member)), sizeof(rec::member) }
#define FM_TEXT(rec, key, member) \
    field { key, fm_kind::text, 0, static_cast<uint16_t>(offsetof(rec, member)), sizeof(rec::member) }
#define FM_CHANNELS(rec, key, member, mask_member)                                                          \
    field {                                                                                                 \
        key, fm_kind::channels, 0, static_cast<uint16_t>(offsetof(rec, member)), sizeof(rec::member), 0, 0, \
            static_cast<int16_t>(offsetof(rec, mask_member))                                                \
    }
#define FM_CHANNEL_TEXT(rec, key, member) \
    field { key, fm_kind::channels, 0, static_cast<uint16_t>(offsetof(rec, member)), sizeof(rec::member) }
#define FM_PAIR(rec, key, member) \
    field { key, fm_kind::pair, 0, static_cast<uint16_t>(offsetof(rec, member)), sizeof(rec::member[0]) }
#define FM_INTS(rec, key, member)                                            \
    field {                                                                  \
        key, fm_kind::i32s, 0, static_cast<uint16_t>(offsetof(rec, member)), \
            static_cast<uint16_t>(sizeof(rec::member) / sizeof(int32_t))     \
    }
#define FM_RECORD(rec, key, member, map)                                                  \
    field {                                                                               \
        key, fm_kind::record, 0, static_cast<uint16_t>(offsetof(rec, member)), 1,         \
            static_cast<uint16_t>(sizeof(rec::member)), 0, -1, INT32_MIN, INT32_MAX, map, \
            static_cast<uint16_t>(sizeof(map) / sizeof(map[0]))                           \
    }
#define FM_RECORDS(rec, key, member, map)                                                    \
    field {                                                                                  \
        key, fm_kind::records, 0, static_cast<uint16_t>(offsetof(rec, member)),              \
            static_cast<uint16_t>(sizeof(rec::member) / sizeof(rec::member[0])),             \
            static_cast<uint16_t>(sizeof(rec::member[0])), 0, -1, INT32_MIN, INT32_MAX, map, \
            static_cast<uint16_t>(sizeof(map) / sizeof(map[0]))                              \
    }

// Options of fields_from_json.
enum fm_option : unsigned {
    FM_ZERO_ABSENT = 1 << 0,  // an absent integer member stores 0
    FM_ONLY_ACTION = 1 << 1,  // apply only the FM_ACTION rows
};

// True when every FM_REQUIRED member is present and every present integer
// member (i32 or uint) lies within its row's range.
bool fields_valid(json_object* obj, std::span<const field> map);

// Reads the members of obj that map names into rec (FM_OUT_ONLY rows are
// left alone). Returns the number of members applied; 0 when obj is null or
// holds none of them.
int fields_from_json(json_object* obj, void* rec, std::span<const field> map, unsigned options = 0);

// Adds the fields of rec to out as members, in map order (FM_IN_ONLY rows
// left out). Texts end at their first NUL or their width.
void fields_to_json(json_object* out, const void* rec, std::span<const field> map);
// The same as a new object.
json_object* fields_object(const void* rec, std::span<const field> map);
// A new array of count such objects, one per record of recs (records stride
// bytes apart; they need not be aligned, so a core answer's payload will do).
json_object* fields_array(const void* recs, size_t stride, size_t count, std::span<const field> map);

// The row of key, or null.
const field* field_find(std::span<const field> map, const char* key);
// Adds one field of rec to out under the row's key.
void field_to_json(json_object* out, const void* rec, const field& f);
// Reads one member (present in obj) into rec; false when obj lacks it.
bool field_from_json(json_object* obj, void* rec, const field& f, unsigned options = 0);
// Reads one JSON value into the field of rec as field_from_json reads a
// member (for values that are not members of an object, such as element i
// of an array per field); false for a null value.
bool field_from_value(json_object* value, void* rec, const field& f, unsigned options = 0);

// The uint32 mask of a channel text: bit p for a '1' at position p below 32.
uint32_t tri_channels_mask(const char* text, size_t width);
