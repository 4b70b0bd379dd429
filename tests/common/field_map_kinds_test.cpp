// Unsigned members of 1, 2 and 4 bytes in field maps (FM_UINT): rendered as
// their value, read into their own bytes only, checked against a range. One
// JSON value read into one field (field_from_value), as element i of a
// per-field array. A list of records as an array (fields_array).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "front/json_req.h"
#include "modules/common/field_map.h"

namespace {

struct packed_counts {
    uint8_t mode;
    uint8_t flag;
    uint16_t port;
    uint32_t bytes;
    int32_t after;
};

using pc = packed_counts;
const field count_fields[] = {
    FM_UINT(pc, "mode", mode).range(0, 3),
    FM_UINT(pc, "port", port),
    FM_UINT(pc, "bytes", bytes),
    FM_INT(pc, "after", after),
};

packed_counts filled() {
    packed_counts rec;
    std::memset(&rec, 0xAB, sizeof rec);
    return rec;
}

TEST(FieldMapUnsigned, RendersTheValueOfEachWidthAndNoNeighbouringByte) {
    struct row {
        int line;
        uint8_t mode;
        uint16_t port;
        uint32_t bytes;
        std::string json;
    } rows[] = {
        {__LINE__, 0, 0, 0, "{ \"mode\": 0, \"port\": 0, \"bytes\": 0, \"after\": -1414812757 }"},
        {__LINE__, 255, 65535, 4294967295u,
         "{ \"mode\": 255, \"port\": 65535, \"bytes\": 4294967295, \"after\": -1414812757 }"},
        {__LINE__, 3, 554, 2147483648u,
         "{ \"mode\": 3, \"port\": 554, \"bytes\": 2147483648, \"after\": -1414812757 }"},
    };
    for (const auto& r : rows) {
        packed_counts rec = filled();
        rec.mode = r.mode;
        rec.port = r.port;
        rec.bytes = r.bytes;
        json_ref obj(fields_object(&rec, count_fields));
        EXPECT_STREQ(json_object_to_json_string_ext(obj.get(), JSON_C_TO_STRING_SPACED), r.json.c_str())
            << "row at line " << r.line;
    }
}

TEST(FieldMapUnsigned, ReadsIntoItsOwnBytesAndChecksItsRange) {
    struct row {
        int line;
        const char* json;
        unsigned options;
        bool valid;
        uint8_t mode;
        uint16_t port;
        uint32_t bytes;
    } rows[] = {
        {__LINE__, "{\"mode\": 2, \"port\": 8080, \"bytes\": 4000000000}", 0, true, 2, 8080, 4000000000u},
        // Values wider than the member keep their low bytes.
        {__LINE__, "{\"port\": 65537, \"bytes\": 4294967297}", 0, true, 0xAB, 1, 1},
        {__LINE__, "{\"mode\": 4}", 0, false, 4, 0xABAB, 0xABABABABu},
        {__LINE__, "{\"mode\": -1}", 0, false, 0xFF, 0xABAB, 0xABABABABu},
        {__LINE__, "{\"mode\": \"3\"}", 0, true, 3, 0xABAB, 0xABABABABu},
        // Absent members stay, or become 0 when asked.
        {__LINE__, "{}", 0, true, 0xAB, 0xABAB, 0xABABABABu},
        {__LINE__, "{}", FM_ZERO_ABSENT, true, 0, 0, 0},
    };
    for (const auto& r : rows) {
        json_ref req = json_parse_object(r.json);
        ASSERT_TRUE(req) << "row at line " << r.line;
        EXPECT_EQ(fields_valid(req.get(), count_fields), r.valid) << "row at line " << r.line;
        packed_counts rec = filled();
        fields_from_json(req.get(), &rec, count_fields, r.options);
        EXPECT_EQ(rec.mode, r.mode) << "row at line " << r.line;
        EXPECT_EQ(rec.flag, 0xAB) << "row at line " << r.line;
        EXPECT_EQ(rec.port, r.port) << "row at line " << r.line;
        EXPECT_EQ(rec.bytes, r.bytes) << "row at line " << r.line;
    }
}

struct named_port {
    int32_t port;
    char name[8];
};
const field port_fields[] = {
    FM_INT(named_port, "port", port),
    FM_TEXT(named_port, "name", name),
};

TEST(FieldMapValue, ReadsOneValueAsAMemberWouldBeRead) {
    struct row {
        int line;
        const char* array;  // element 1 is read into each field
        bool read;
        int32_t port;
        std::string name;
    } rows[] = {
        {__LINE__, "[0, 42]", true, 42, "42"},
        {__LINE__, "[0, \"7\"]", true, 7, "7"},
        {__LINE__, "[0, \"a long name\"]", true, 0, "a long "},
        {__LINE__, "[0, null]", false, -5, "old"},
        {__LINE__, "[0]", false, -5, "old"},
    };
    for (const auto& r : rows) {
        json_ref arr(json_tokener_parse(r.array));
        ASSERT_TRUE(arr) << "row at line " << r.line;
        json_object* value =
            json_object_array_length(arr.get()) > 1 ? json_object_array_get_idx(arr.get(), 1) : nullptr;
        named_port rec{-5, "old"};
        for (const field& f : port_fields)
            EXPECT_EQ(field_from_value(value, &rec, f), r.read) << f.key << ", row at line " << r.line;
        EXPECT_EQ(rec.port, r.port) << "row at line " << r.line;
        EXPECT_EQ(std::string(rec.name), r.name) << "row at line " << r.line;
    }
}

TEST(FieldMapArray, OneObjectPerRecordAlsoFromUnalignedBytes) {
    named_port ports[3] = {{1, "a"}, {-2, "bb"}, {3, ""}};
    std::memcpy(ports[2].name, "full-8ch", 8);  // no terminator: the text ends at the field
    struct row {
        int line;
        size_t count;
        size_t shift;  // bytes the records are moved off their alignment
        std::string json;
    } rows[] = {
        {__LINE__, 0, 0, "[ ]"},
        {__LINE__, 1, 0, "[ { \"port\": 1, \"name\": \"a\" } ]"},
        {__LINE__, 3, 1,
         "[ { \"port\": 1, \"name\": \"a\" }, { \"port\": -2, \"name\": \"bb\" }, "
         "{ \"port\": 3, \"name\": \"full-8ch\" } ]"},
    };
    for (const auto& r : rows) {
        std::vector<char> bytes(r.shift + sizeof ports);
        std::memcpy(bytes.data() + r.shift, ports, sizeof ports);
        json_ref list(fields_array(bytes.data() + r.shift, sizeof(named_port), r.count, port_fields));
        EXPECT_STREQ(json_object_to_json_string_ext(list.get(), JSON_C_TO_STRING_SPACED), r.json.c_str())
            << "row at line " << r.line;
    }
}

}  // namespace
