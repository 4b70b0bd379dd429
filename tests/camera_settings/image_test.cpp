// Image settings end to end: the answers' members and their order, the set
// messages' bytes (channel lists, marked table entries, schedules cut to
// their slots and to the message), refusals, missing answers, and the
// stored exposure steps.
#include <cstring>

#include "tests/harness/db_faults.h"
#include "tests/harness/event_forms.h"
#include "tests/relays/relay_cases.h"

namespace xcase {
namespace {

using evforms::jstr;
using evforms::num;
using evforms::spaced;

// channels[64]: the given ones first, fill after them.
bytes channels(std::initializer_list<int32_t> list, int32_t fill) {
    std::vector<int32_t> all(list);
    all.resize(64, fill);
    bytes out(256);
    std::memcpy(out.data(), all.data(), 256);
    return out;
}

std::string repeat(const std::string& piece, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += piece;
    return out;
}

// A time table entry of the 14 words: the marker, then 1..13 plus base.
record entry_words(record r, size_t at, int32_t marker, int32_t base) {
    r.i32(at, marker);
    for (int k = 1; k < 14; ++k) r.i32(at + 4 * k, base + k);
    return r;
}

// The entry members with values base+1.. in word order.
std::string entry_request(int32_t base) {
    const char* keys[] = {"enable", "startHour", "startMinute", "endHour", "endMinute", "exposureLevel",
                          "minShutter", "maxShutter", "gainLevel", "irCutLatency", "irCutState",
                          "irLedState", "colorMode"};
    std::string out = "{";
    for (int k = 0; k < 13; ++k) out += (k ? "," : "") + jstr(keys[k]) + ":" + num(base + k + 1);
    return out + "}";
}

class Image : public relay_case {
protected:
    // A notice: "OK" at once and the message's bytes.
    struct notice {
        int line;
        std::string code, body;
        std::vector<msg> sent;
    };
    void run_notices(const std::vector<notice>& rows) {
        for (const auto& r : rows) {
            fresh_case();
            EXPECT_EQ(post(r.code, r.body).out, text_reply("OK")) << "row at line " << r.line;
            expect_sent(r.sent, r.line);
        }
    }
    // An answer rendered: the reply holds the pieces, in this order.
    struct rendering {
        int line;
        std::string code, body;
        int32_t msg_id;
        bytes answer;
        std::vector<std::string> pieces;
    };
    void run_renderings(const std::vector<rendering>& rows) {
        for (const auto& r : rows) {
            fresh_case();
            answer(r.msg_id, r.answer);
            const std::string out = post(r.code, r.body).out;
            size_t at = 0;
            for (const std::string& piece : r.pieces) {
                const size_t found = out.find(piece, at);
                EXPECT_NE(found, std::string::npos) << "row at line " << r.line << ": " << piece << "\n" << out;
                if (found != std::string::npos) at = found + piece.size();
            }
            expect_sent({{r.msg_id, int_bytes({0})}}, r.line);  // every row asks for channel 0
        }
    }
};

TEST_F(Image, GetsRenderTheCameraAnswer) {
    // Image: every word its offset / 4, the region 67 characters over the model word.
    record image(228);
    image.i32(0, 3);
    for (size_t at = 0; at < 224; at += 4) image.i32(4 + at, static_cast<int32_t>(at / 4));
    image.fill(4 + 56, 68, 'r').text(4 + 184, "sdk-1.2");
    record image_sdk_full = image;
    // Day/night: the white light word 40, the texts.
    record dn(320);
    dn.i32(0, 2).i32(4 + 256, 40).i32(4 + 52, 9).text(4 + 88, "chip").text(4 + 172, "cmos").text(4 + 264, "sdk");
    // Regions: area k has enable k and its corners 10k+1..10k+4.
    record roi(364);
    roi.i32(0, 1).i32(4, 1).text(12, "v9");
    for (int k = 0; k < 16; ++k)
        roi.i32(44 + 20 * k, k).i32(48 + 20 * k, 10 * k + 1).i32(52 + 20 * k, 10 * k + 2)
            .i32(56 + 20 * k, 10 * k + 3).i32(60 + 20 * k, 10 * k + 4);
    // Time table: entry 3 with marker 1 and words 301..313.
    record table = entry_words(record(392), 3 * 56, 1, 300);
    // Schedules: day 0 slots 9, 10 and 11 used; day 7 used.
    record sched(26180);
    sched.i32(0, 4);
    for (int s : {9, 10, 11}) sched.text(4 + 68 * s, "0" + num(s) + ":00").text(36 + 68 * s, "end").i32(68 + 68 * s, s);
    sched.text(4 + 7 * 3272, "holiday");
    record expo(29188);
    expo.i32(0, 4).text(4 + 76 * 11, "11:00").i32(4 + 76 * 11 + 64, 7).i32(4 + 76 * 11 + 68, 8).i32(4 + 76 * 11 + 72, 9);
    const std::string empty_slot = R"({ "startTime": "", "endTime": "", "actionType": 0 })";
    run_renderings(std::vector<rendering>{
        // "exposurectrl" follows "wdraflevel", then "hlclevel"; the camera's
        // own words that a set cannot change are shown.
        {__LINE__, "/2019", R"({"id":0})", 3221, image,
         {R"({ "id": 3, "smartir": 0, "whiteblance": 1,)", R"("exposemode": 13, "exposeregion": ")" + std::string(67, 'r') + "\"",
          R"("imageschemode": 31,)", R"("dismode": 38, "exposetime": 39, "exposegain": 40, "wdraflevel": 41, "exposurectrl": 43, "hlclevel": 42, "enblur": 44, "deblur": 45, "sdkversion": "sdk-1.2", "lensType": 54, "reduceVideoStuttering": 55 })"}},
        // The white light level reads back as "smartwhitestrength"; set-only words are not shown.
        {__LINE__, "/2021", R"({"id":0})", 3223, dn,
         {R"({ "id": 2, "colorkiller": 0,)", R"("imagerotation": 0, "smartIRType": 0,)", R"("chipninterface": "chip",)",
          R"("sensortype": "cmos", "productmodel": "",)", R"("smartwhitestrength": 40, "dnRefocus": 0, "sdkversion": "sdk",)",
          R"("zoomLimit": 0 })"}},
        // The longest shutter first; entries by index.
        {__LINE__, "/2037", R"({"id":0})", 3278, table,
         {R"({ "image": [ { "id": 0, "enable": 0,)",
          R"({ "id": 3, "enable": 301, "startHour": 302, "startMinute": 303, "endHour": 304, "endMinute": 305, "exposureLevel": 306, "maxShutter": 308, "minShutter": 307, "gainLevel": 309, "irCutLatency": 310, "irCutState": 311, "irLedState": 312, "colorMode": 313 })",
          R"({ "id": 6,)"}},
        {__LINE__, "/2039", R"({"id":0})", 3271, roi,
         {R"({ "enable": 1, "sdkversion": "v9", "area": [ { "id": 0, "enable": 0, "left": 1, "top": 2, "right": 3, "bottom": 4 })",
          R"({ "id": 15, "enable": 15, "left": 151, "top": 152, "right": 153, "bottom": 154 } ] })"}},
        // Ten slots a day on the first schedule, twelve on the third; seven days.
        {__LINE__, "/2041", R"({"id":0})", 3273, sched,
         {R"({ "schedule": [ [ )", R"({ "startTime": "09:00", "endTime": "end", "actionType": 9 } ], [ )"}},
        {__LINE__, "/2045", R"({"id":0})", 3277, sched,
         {R"({ "startTime": "09:00", "endTime": "end", "actionType": 9 }, { "startTime": "010:00", "endTime": "end", "actionType": 10 }, { "startTime": "011:00", "endTime": "end", "actionType": 11 } ], [ )",
          "[ " + repeat(empty_slot + ", ", 11) + empty_slot + " ] ] }"}},
        {__LINE__, "/2043", R"({"id":0})", 3275, expo,
         {R"({ "startTime": "11:00", "endTime": "", "actionType": 7, "exposureTime": 8, "gainLevel": 9 } ], [ )"}},
        {__LINE__, "/2062", R"({"chnid":0})", 1219, int_bytes({0, 2}), {R"({ "chnid": 0, "nightMode": 2 })"}},
    });
    // The holiday is not shown: seven days exactly.
    fresh_case();
    answer(3273, sched);
    json_ref body = json_body(post("/2041", R"({"id":5})"));
    ASSERT_TRUE(body);
    json_object* week = req_array(body.get(), "schedule");
    ASSERT_TRUE(week);
    EXPECT_EQ(json_object_array_length(week), 7u);
    EXPECT_EQ(json_object_array_length(json_object_array_get_idx(week, 0)), 10u);
    expect_sent({{3273, int_bytes({5})}}, __LINE__);
}

TEST_F(Image, SetsSendTheirChannelsAndValues) {
    // The image block of a set: region cut to 63 characters, model type, and
    // "aflevel" at 164; what only the camera reports stays 0.
    record block(224);
    block.i32(0, 1).fill(56, 63, 'x').i32(120, 5).i32(164, 7).i32(220, 9);
    const std::string image_keys = R"("smartir":1,"exposeregion":")" + std::string(80, 'x') +
                                   R"(","modelType":5,"aflevel":7,"wdraflevel":8,"dismode":3,"exposurectrl":4,"sdkversion":"s","reduceVideoStuttering":9)";
    std::string seventy = "[";
    for (int i = 0; i < 70; ++i) seventy += (i ? "," : "") + num(i % 64);
    seventy += "]";
    std::vector<int32_t> first64(64);
    for (int i = 0; i < 64; ++i) first64[i] = i;
    bytes all64(256);
    std::memcpy(all64.data(), first64.data(), 256);
    // Day/night set: "whiteLedLevel" at 256, "saveCorridor" at 52.
    record dn(320);
    dn.i32(0, 4).i32(4 + 256, 40).i32(4 + 52, 1).i32(4 + 168, 6);
    // A schedule of 7 days x 12 slots given; slots 10 and 11 go out empty.
    std::string sched_req = "[";
    for (int d = 0; d < 8; ++d) {
        sched_req += d ? ",[" : "[";
        for (int s = 0; s < 12; ++s)
            sched_req += std::string(s ? "," : "") + R"([")" + num(d) + ":" + num(s) + R"(","e",)" + num(s) + ",5,6]";
        sched_req += "]";
    }
    sched_req += "]";
    record sched_days(26180 - 256);
    record expo_days(29188 - 256);
    for (int d = 0; d < 7; ++d)
        for (int s = 0; s < 10; ++s) {
            sched_days.text(3272 * d + 68 * s, num(d) + ":" + num(s)).text(3272 * d + 68 * s + 32, "e").i32(3272 * d + 68 * s + 64, s);
            expo_days.text(3648 * d + 76 * s, num(d) + ":" + num(s)).text(3648 * d + 76 * s + 32, "e")
                .i32(3648 * d + 76 * s + 64, s).i32(3648 * d + 76 * s + 68, 5).i32(3648 * d + 76 * s + 72, 6);
        }
    // A day of short and mistyped slots: empty slots, texts cut to 31.
    record odd_days(26180 - 256);
    odd_days.text(0, std::string(31, 'a')).text(68 + 32, "only end");
    // Regions: two areas, channels 2 and 9 of the first three elements.
    record roi_tail(584 - 256);
    roi_tail.i32(0, 1).i32(4, 2).i32(8, 1).i32(12, 1).i32(16, 2).i32(20, 3).i32(24, 4).i32(44, 5);
    run_notices(std::vector<notice>{
        {__LINE__, "/2020", R"({"channel":[3,7],)" + image_keys + "}", {{3280, concat({channels({3, 7}, -1), block})}}},
        // Only the first 64 elements count; what is no channel is left out.
        {__LINE__, "/2020", R"({"channel":)" + seventy + "}", {{3280, concat({all64, record(224)})}}},
        {__LINE__, "/2020", R"({"channel":[64,-1,"5",2]})", {{3280, concat({channels({2}, -1), record(224)})}}},
        // Entry 2 marked, the other six zero.
        {__LINE__, "/2038", R"({"channel":6,"id":2,)" + entry_request(200).substr(1),
         {{3279, concat({int_bytes({6}), entry_words(record(392), 2 * 56, 1, 200)})}}},
        // The seven entries once, sent to each listed channel of the first "cnt".
        {__LINE__, "/2047", R"({"cnt":3,"chnid":[1,-1,70,5],"image":[)" + entry_request(0) + ",null," + entry_request(20) + "]}",
         {{3279, concat({int_bytes({1}), entry_words(entry_words(record(392), 0, 1, 0), 112, 1, 20)})}}},
        {__LINE__, "/2047", R"({"cnt":9,"chnid":[4,0],"image":[)" + repeat(entry_request(0) + ",", 8) + "{}]}",
         {{3279, concat({int_bytes({4}), [] {
               record r(392);
               for (int e = 0; e < 7; ++e) r = entry_words(r, 56 * e, 1, 0);
               return bytes(r);
           }()})},
          any_payload(3279)}},
        {__LINE__, "/2047", R"({"chnid":[4,0],"image":[{}]})", {}},
        {__LINE__, "/2040",
         R"({"enable":1,"cnt":3,"chnid":[2,64,9,11],"area":[{"enable":1,"left":1,"top":2,"right":3,"bottom":4},{"bottom":5}]})",
         {{3288, concat({channels({2, 9}, 0), roi_tail})}}},
        {__LINE__, "/2042", R"({"channel":[1],"schedule":)" + sched_req + "}", {{3281, concat({channels({1}, -1), sched_days})}}},
        {__LINE__, "/2046", R"({"channel":[1],"schedule":)" + sched_req + "}", {{3283, concat({channels({1}, -1), sched_days})}}},
        {__LINE__, "/2044", R"({"channel":[1],"schedule":)" + sched_req + "}", {{3282, concat({channels({1}, -1), expo_days})}}},
        {__LINE__, "/2042", R"({"channel":[],"schedule":[[[")" + std::string(40, 'a') + R"("],[5,"only end",[1]]],7]})",
         {{3281, concat({channels({}, -1), odd_days})}}},
        {__LINE__, "/2050", R"({"chan_id":63,"area_id":16})", {{3284, int_bytes({63, 16})}}},
    });
    // The day/night set waits for the camera's verdict.
    run(std::vector<exchange>{
        {__LINE__, "/2022", R"({"id":4,"whiteLedLevel":40,"smartwhitestrength":9,"saveCorridor":1,"fovadjust":6,"sdkversion":"x"})",
         3224, dn, int_bytes({0}), text_reply("OK")},
        {__LINE__, "/2022", R"({"id":4,"whiteLedLevel":40,"saveCorridor":1,"fovadjust":6})", 3224, dn, int_bytes({3}),
         text_reply("ERROR")},
    });
}

TEST_F(Image, ARefusedRequestSendsNothing) {
    run(std::vector<refusal>{
        {__LINE__, "/2019", R"({"id":64})", ""},
        {__LINE__, "/2021", "{id", ""},
        {__LINE__, "/2022", R"({"id":64,"colorkiller":1})", ""},
        {__LINE__, "/2037", R"({"id":64})", json_failure()},
        {__LINE__, "/2039", R"({"id":-1})", json_failure()},
        {__LINE__, "/2041", R"({})", json_failure()},
        // The table has seven entries: any other index is refused.
        {__LINE__, "/2038", R"({"channel":1,"id":7})", json_failure()},
        {__LINE__, "/2038", R"({"channel":1,"id":-1})", json_failure()},
        {__LINE__, "/2038", R"({"channel":1})", json_failure()},
        {__LINE__, "/2038", R"({"channel":64,"id":0})", json_failure()},
        {__LINE__, "/2050", R"({"chan_id":64,"area_id":0})", json_failure()},
        {__LINE__, "/2050", R"({"chan_id":0,"area_id":17})", json_failure()},
        // A schedule set without a schedule would clear the camera's.
        {__LINE__, "/2042", R"({"channel":[1]})", ""},
        {__LINE__, "/2044", R"({"channel":[1],"schedule":{}})", ""},
        {__LINE__, "/2020", "[1]", ""},
        {__LINE__, "/2049", R"({"channel":64})", json_failure()},
        {__LINE__, "/2048", R"({"channel":-1,"exposure":[]})", json_failure()},
        {__LINE__, "/2048", R"({"channel":1})", json_failure()},
        {__LINE__, "/2062", R"({"chnid":64})", json_failure()},
    });
}

TEST_F(Image, AMissingOrShortAnswerGivesTheFailureReply) {
    run(std::vector<missing_answer>{
        {__LINE__, "/2019", R"({"id":1})", 3221, true, {}, text_failure()},
        {__LINE__, "/2019", R"({"id":1})", 3221, false, record(227), text_failure()},
        {__LINE__, "/2021", R"({"id":1})", 3223, false, record(319), text_failure()},
        {__LINE__, "/2022", R"({"id":1})", 3224, true, {}, text_failure()},
        {__LINE__, "/2037", R"({"id":1})", 3278, false, record(391), json_failure()},
        {__LINE__, "/2039", R"({"id":1})", 3271, true, {}, json_failure()},
        {__LINE__, "/2043", R"({"id":1})", 3275, false, record(29187), json_failure()},
        {__LINE__, "/2062", R"({"chnid":1})", 1219, false, record(7), json_failure()},
    });
}

TEST_F(Image, ExposureStepsAreStoredPerChannel) {
    auto steps = [](int n) {
        // json-c's spaced form, which the request may use as well.
        std::string out = "[ ";
        for (int i = 0; i < n; ++i)
            out += (i ? ", " : "") + spaced({{"exposureTime", num(i)}, {"gainLevel", num(100 + i)}});
        return out + (n ? " ]" : "]");
    };
    struct row {
        int line;
        int chn;
        int given;        // steps in the set request; -1 none sent
        bool refuse;      // the store refuses writes
        std::string set;  // reply to the set
        std::string get;  // reply to the read of chn
    } rows[] = {
        {__LINE__, 2, 3, false, text_reply("OK"), json_reply(R"({ "exposure": )" + steps(3) + " }")},
        {__LINE__, 63, 150, false, text_reply("OK"), json_reply(R"({ "exposure": )" + steps(140) + " }")},
        // Nothing stored: the read fails.
        {__LINE__, 5, -1, false, "", json_failure()},
        {__LINE__, 5, 0, false, text_reply("OK"), json_failure()},
        {__LINE__, 7, 2, true, json_failure(), json_failure()},
    };
    for (const row& r : rows) {
        fresh_case();
        if (r.given >= 0) {
            std::unique_ptr<refused_writes> refuse;
            if (r.refuse) {
                refuse = std::make_unique<refused_writes>("exposure");
                ASSERT_TRUE(*refuse) << "row at line " << r.line;
            }
            EXPECT_EQ(post("/2048", R"({"channel":)" + num(r.chn) + R"(,"exposure":)" + steps(r.given) + "}").out, r.set)
                << "row at line " << r.line;
        }
        EXPECT_EQ(post("/2049", R"({"channel":)" + num(r.chn) + "}").out, r.get) << "row at line " << r.line;
        EXPECT_TRUE(sent().empty()) << "row at line " << r.line;
    }
}

}  // namespace
}  // namespace xcase
