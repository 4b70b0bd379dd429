// Field maps: one table of rows reads requests into records and renders
// records as replies, for every kind of member.
#include "front/json_req.h"
#include "modules/common/field_map.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct inner {
    int32_t a;
    char tag[5];
    uint8_t pad[3];
};
const field inner_fields[] = {
    FM_INT(inner, "a", a),
    FM_TEXT(inner, "tag", tag),
};

struct sample {
    int32_t id;
    int32_t level;
    int32_t mode;  // set to 2 when "modeLevel" is applied
    uint32_t mask;
    char name[9];
    char chans[65];
    char pair[2][65];
    uint8_t pad[3];
    int32_t days[3];
    inner one;
    inner many[2];
};

using sr = sample;
const field sample_fields[] = {
    FM_INT(sr, "id", id).range(0, 63).required(),
    FM_INT(sr, "level", level).range(1, 5).action(),
    FM_INT(sr, "modeLevel", level).mark(offsetof(sr, mode)).in_only(),
    FM_TEXT(sr, "name", name).chars(6),
    FM_CHANNELS(sr, "chans", chans, mask).action(),
    FM_PAIR(sr, "pair", pair),
    FM_INTS(sr, "days", days),
    FM_RECORD(sr, "one", one, inner_fields),
    FM_RECORDS(sr, "many", many, inner_fields),
    FM_INT(sr, "mode", mode).out_only(),
};

sample stored() {
    sample s;
    std::memset(&s, 0, sizeof s);
    s.id = 3;
    s.level = 2;
    s.mode = 1;
    std::strcpy(s.name, "old");
    std::strcpy(s.chans, "01");
    s.mask = 0x2;
    std::strcpy(s.pair[0], "10");
    std::strcpy(s.pair[1], "01");
    s.days[0] = 7;
    s.one.a = 4;
    std::strcpy(s.one.tag, "x");
    return s;
}

TEST(FieldMap, RequestMembersFillTheirFieldsAndAbsentOnesKeepThem) {
    struct row {
        int line;
        std::string json;
        unsigned options;
        int applied;
        void (*change)(sample&);
    } rows[] = {
        {__LINE__, "{}", 0, 0, [](sample&) {}},
        {__LINE__, R"({"other": 1, "mode": 9})", 0, 0, [](sample&) {}},  // out-only rows are not read
        {__LINE__, R"({"level": "4"})", 0, 1, [](sample& s) { s.level = 4; }},
        {__LINE__, R"({"level": null})", 0, 0, [](sample&) {}},  // null reads as absent
        {__LINE__, R"({"name": "a much longer name"})", 0, 1, [](sample& s) { std::strcpy(s.name, "a much"); }},
        {__LINE__, R"({"name": 12})", 0, 1, [](sample& s) { std::strcpy(s.name, "12"); }},
        {__LINE__, R"({"chans": "1101"})", 0, 1, [](sample& s) { std::strcpy(s.chans, "1101"); s.mask = 0xB; }},
        {__LINE__, "{\"chans\": \"" + std::string(36, '0') + "1\"}", 0, 1,
         [](sample& s) { std::memset(s.chans, 0, 65); std::memset(s.chans, '0', 36); s.chans[36] = '1'; s.mask = 0; }},
        {__LINE__, R"({"pair": ["111"]})", 0, 1, [](sample& s) { std::strcpy(s.pair[0], "111"); }},
        {__LINE__, R"({"pair": [1, "0", "9"]})", 0, 1, [](sample& s) { std::strcpy(s.pair[1], "0"); }},
        {__LINE__, R"({"pair": "11"})", 0, 0, [](sample&) {}},
        {__LINE__, R"({"days": [1, 2, 3, 4]})", 0, 1, [](sample& s) { s.days[0] = 1; s.days[1] = 2; s.days[2] = 3; }},
        {__LINE__, R"({"days": [5]})", 0, 1, [](sample& s) { s.days[0] = 5; }},
        {__LINE__, R"({"one": {"tag": "longer", "b": 1}})", 0, 1, [](sample& s) { std::strcpy(s.one.tag, "long"); }},
        {__LINE__, R"({"one": 5})", 0, 0, [](sample&) {}},
        {__LINE__, R"({"many": [7, {"a": 8}, {"a": 9}]})", 0, 1, [](sample& s) { s.many[1].a = 8; }},
        {__LINE__, R"({"modeLevel": 5})", 0, 1, [](sample& s) { s.level = 5; s.mode = 2; }},
        // Options: absent integers stored as 0, or only the action rows.
        {__LINE__, R"({"name": "n"})", FM_ZERO_ABSENT, 1,
         [](sample& s) { std::memset(s.name, 0, sizeof s.name); s.name[0] = 'n'; s.id = 0; s.level = 0; }},
        {__LINE__, R"({"id": 9, "level": 4, "chans": "1"})", FM_ONLY_ACTION, 2,
         [](sample& s) { s.level = 4; std::memset(s.chans, 0, sizeof s.chans); s.chans[0] = '1'; s.mask = 1; }},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.line);
        sample rec = stored(), want = stored();
        json_ref req = json_parse_object(r.json.c_str());
        EXPECT_EQ(fields_from_json(req.get(), &rec, sample_fields, r.options), r.applied);
        r.change(want);
        EXPECT_EQ(std::memcmp(&rec, &want, sizeof rec), 0);
    }
}

TEST(FieldMap, ChecksRequireMembersAndKeepIntegersInRange) {
    struct row {
        int line;
        const char* json;
        bool valid;
    } rows[] = {
        {__LINE__, R"({"id": 0})", true},
        {__LINE__, R"({"id": 63, "level": 5})", true},
        {__LINE__, R"({})", false},                       // id is required
        {__LINE__, R"({"id": 64})", false},
        {__LINE__, R"({"id": -1})", false},
        {__LINE__, R"({"id": 1, "level": 0})", false},    // present: in range
        {__LINE__, R"({"id": "7", "level": "5"})", true},  // json-c reads numeric strings
        {__LINE__, R"({"id": 1, "name": 99999})", true},   // texts have no range
    };
    for (const row& r : rows) {
        json_ref req = json_parse_object(r.json);
        EXPECT_EQ(fields_valid(req.get(), sample_fields), r.valid) << r.line;
    }
}

TEST(FieldMap, RecordsRenderInMapOrderWithTextsCutAtTheirWidth) {
    sample s = stored();
    std::memset(s.name, 'n', sizeof s.name);  // no terminator: the width ends it
    s.many[1].a = -3;
    json_ref out(fields_object(&s, sample_fields));
    EXPECT_STREQ(json_object_to_json_string_ext(out.get(), JSON_C_TO_STRING_PLAIN),
                 R"({"id":3,"level":2,"name":"nnnnnnnnn","chans":"01","pair":["10","01"],"days":[7,0,0],)"
                 R"("one":{"a":4,"tag":"x"},"many":[{"a":0,"tag":""},{"a":-3,"tag":""}],"mode":1})");
}

TEST(FieldMap, ChannelMaskCountsOnlyOnesBeforePosition32AndWithinTheField) {
    EXPECT_EQ(tri_channels_mask("0101", 65), 0xAu);
    EXPECT_EQ(tri_channels_mask("1x1", 65), 0x5u);
    char unterminated[4] = {'1', '1', '1', '1'};
    EXPECT_EQ(tri_channels_mask(unterminated, 2), 0x3u);
    EXPECT_EQ(tri_channels_mask(std::string(64, '1').c_str(), 65), 0xFFFFFFFFu);
}

}  // namespace
