// The record side of the event action model, in process: how JSON members
// reach record fields for any event source's record.
#include "modules/common/event_action.h"
#include "front/json_req.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct sample_record {
    int32_t key;
    int32_t enable;
    uint32_t mask;
    int32_t interval;
    char channels[65];
    char note[9];
    char pair[2][65];
    uint8_t pad[2];
};

using sr = sample_record;
const field sample_fields[] = {
    FM_INT(sr, "interval", interval).action(),
    FM_CHANNELS(sr, "triChannels", channels, mask).action(),
    FM_TEXT(sr, "note", note).action(),
    FM_PAIR(sr, "triChnAlarms", pair).action(),
    // Giving "modeInterval" also marks enable as set by the full page.
    FM_INT(sr, "modeInterval", interval).action().mark(offsetof(sr, enable)),
};

sample_record stored() {
    sample_record r;
    std::memset(&r, 0, sizeof r);
    r.key = 7;
    r.enable = 1;
    r.mask = 0x10;
    r.interval = 5;
    std::strcpy(r.channels, "00001");
    std::strcpy(r.note, "old");
    std::strcpy(r.pair[0], "10");
    std::strcpy(r.pair[1], "01");
    return r;
}

TEST(EventFields, MembersPresentFillTheirFieldsAndAbsentOnesKeepThem) {
    struct row {
        int line;
        std::string json;
        bool applied;
        void (*change)(sample_record&);
    } rows[] = {
        {__LINE__, "{}", false, [](sample_record&) {}},
        {__LINE__, "{\"interval\": null, \"other\": 3}", false, [](sample_record&) {}},
        {__LINE__, "{\"interval\": 9}", true, [](sample_record& r) { r.interval = 9; }},
        {__LINE__, "{\"note\": \"a much longer note\"}", true, [](sample_record& r) { std::strcpy(r.note, "a much l"); }},
        {__LINE__, "{\"triChannels\": \"1101\"}", true,
         [](sample_record& r) { std::strcpy(r.channels, "1101"); r.mask = 0xB; }},
        {__LINE__, "{\"triChannels\": \"" + std::string(36, '0') + "1\"}", true,
         [](sample_record& r) { std::memset(r.channels, 0, 65); std::memset(r.channels, '0', 36); r.channels[36] = '1'; r.mask = 0; }},
        {__LINE__, "{\"triChnAlarms\": [\"111\"]}", true, [](sample_record& r) { std::strcpy(r.pair[0], "111"); }},
        {__LINE__, "{\"triChnAlarms\": [1, \"0\", \"9\"]}", true, [](sample_record& r) { std::strcpy(r.pair[1], "0"); }},
        {__LINE__, "{\"triChnAlarms\": \"11\"}", false, [](sample_record&) {}},
        {__LINE__, "{\"modeInterval\": 4}", true, [](sample_record& r) { r.interval = 4; r.enable = 2; }},
    };
    for (const row& r : rows) {
        sample_record rec = stored(), want = stored();
        json_ref req = json_parse_object(r.json.c_str());
        ASSERT_TRUE(req) << r.line;
        EXPECT_EQ(fields_from_json(req.get(), &rec, sample_fields) > 0, r.applied) << r.line;
        r.change(want);
        EXPECT_EQ(std::memcmp(&rec, &want, sizeof rec), 0) << r.line;
    }
}

TEST(EventFields, ChannelMaskCountsOnlyOnesBeforePosition32AndWithinTheField) {
    EXPECT_EQ(tri_channels_mask("0101", 65), 0xAu);
    EXPECT_EQ(tri_channels_mask("1x1", 65), 0x5u);
    char unterminated[4] = {'1', '1', '1', '1'};
    EXPECT_EQ(tri_channels_mask(unterminated, 2), 0x3u);
    std::string all(64, '1');
    EXPECT_EQ(tri_channels_mask(all.c_str(), 65), 0xFFFFFFFFu);
}

}  // namespace
