// The camera's own motion detection, tracking and audio end to end: message
// bytes with their copy-to-channels masks, the rendering of each answer
// (counts from the camera kept to the record), refusals and failure replies.
#include "tests/harness/event_forms.h"
#include "tests/relays/relay_cases.h"

namespace xcase {
namespace {

using evforms::channel_text;
using evforms::jstr;
using evforms::mask_bytes;
using evforms::num;
using evforms::schedule_json;
using evforms::schedule_request;
using evforms::schedule_with;
using evforms::spaced;

uint64_t bits(std::initializer_list<int> channels) {
    uint64_t m = 0;
    for (int c : channels) m |= uint64_t{1} << c;
    return m;
}

// A week with one slot, its days enabled or not.
week_schedule week(const evforms::slot& s, int32_t day_flag) {
    week_schedule w = schedule_with({s});
    for (sched_day& d : w.days) d.day_flag = day_flag;
    return w;
}

const evforms::slot slot_a = {0, 0, "01:00", "02:00", 1};
const evforms::slot slot_b = {2, 1, "03:00", "04:00", 2};

// The motion record (26500 bytes): six ints, the map mask, the week.
bytes motion(int32_t chn, const std::string& map_mask, const week_schedule& w) {
    return concat({record(324).i32(0, chn).i32(4, 1).i32(8, 2).i32(12, 3).i32(16, 4).i32(20, 5).text(24, map_mask),
                   bytes_of(w)});
}

// Slot a on an enabled day, slot b on a day that is not.
week_schedule partly_enabled() {
    week_schedule w = schedule_with({slot_a, slot_b});
    w.days[slot_a.day].day_flag = 1;
    return w;
}

// The tracking record (26516 bytes): eight ints, the week, the area, two ints.
bytes tracking(int32_t chn, const week_schedule& w, const std::string& area) {
    return concat({int_bytes({chn, 1, 2, 3, 4, 5, 6, 7}), bytes_of(w), record(300).text(0, area), int_bytes({8, 9})});
}

std::string tracking_json(int chn, const std::string& area, const std::string& schedule) {
    return spaced({{"chnid", num(chn)}, {"enable", "1"}, {"show", "2"}, {"sensitivity", "3"}, {"time", "4"},
                   {"manual_tracking", "5"}, {"zoom_mode", "6"}, {"zoom_number", "7"}, {"area", jstr(area)},
                   {"humanVehicleSupport", "8"}, {"trackingObject", "9"}, {"schedule", schedule}});
}

// Answer 8371: result words, then encodings of (value, [(rate, [bit rates])]),
// each count as given unless claimed.
struct rate_entry {
    int32_t value;
    std::vector<int32_t> bitrates;
    int32_t claimed = -1;
};
struct encoding_entry {
    int32_t value;
    std::vector<rate_entry> rates;
    int32_t claimed = -1;
};
bytes audio_caps(const std::vector<encoding_entry>& encodings, int32_t claimed = -1) {
    record r(5968);
    r.i32(0, 0).i32(4, 1).i32(8, 2).i32(12, 3).i32(16, claimed >= 0 ? claimed : int32_t(encodings.size()));
    for (size_t e = 0; e < encodings.size(); ++e) {
        const size_t at = 20 + 656 * e;
        const encoding_entry& enc = encodings[e];
        r.i32(at, enc.value).i32(at + 4, enc.claimed >= 0 ? enc.claimed : int32_t(enc.rates.size()));
        for (size_t s = 0; s < enc.rates.size(); ++s) {
            const size_t rat = at + 8 + 72 * s;
            const rate_entry& rate = enc.rates[s];
            r.i32(rat, rate.value).i32(rat + 4, rate.claimed >= 0 ? rate.claimed : int32_t(rate.bitrates.size()));
            for (size_t b = 0; b < rate.bitrates.size(); ++b) r.i32(rat + 8 + 4 * b, rate.bitrates[b]);
        }
    }
    for (int k = 0; k < 11; ++k) r.i32(5924 + 4 * k, 100 + k);
    return r;
}

std::string audio_caps_json(const std::vector<encoding_entry>& encodings) {
    std::string options = "[ ";
    for (size_t e = 0; e < encodings.size(); ++e) {
        std::string rates = "[ ";
        for (size_t s = 0; s < encodings[e].rates.size(); ++s) {
            std::string list = "[ ";
            for (size_t b = 0; b < encodings[e].rates[s].bitrates.size(); ++b)
                list += (b ? ", " : "") + num(encodings[e].rates[s].bitrates[b]);
            rates += (s ? ", " : "") + spaced({{"sampleRateValue", num(encodings[e].rates[s].value)},
                                               {"bitrateInfo", list + (list.size() > 2 ? " ]" : "]")}});
        }
        options += (e ? ", " : "") + spaced({{"encodeValue", num(encodings[e].value)},
                                             {"sampleRateInfo", rates + (rates.size() > 2 ? " ]" : "]")}});
    }
    const char* keys[] = {"chnid",     "audioEnable", "audioMode", "denoise",          "encoding",    "sampleRate",
                          "inputGain", "inputMode",   "audioGainControl", "outputVolume", "audioBitrate"};
    std::vector<std::pair<std::string, std::string>> config;
    for (int k = 0; k < 11; ++k) config.push_back({keys[k], num(100 + k)});
    return spaced({{"res", "0"}, {"support", "1"}, {"supportMode", "2"}, {"supportInputMode", "3"},
                   {"config", spaced(config)}, {"options", options + (options.size() > 2 ? " ]" : "]")}});
}

class CameraSide : public relay_case {};

TEST_F(CameraSide, EachRequestSendsItsMessageAndRendersTheAnswer) {
    const std::string long_mask(300, 'm');
    const std::vector<encoding_entry> two = {{0, {{8000, {64}}}}, {2, {{16000, {32, 48}}, {48000, {}}}}};
    // Every entry in use, each count claiming more: 12 encodings, 50 rates, 99 bit rates.
    const std::vector<encoding_entry> full(
        9, encoding_entry{5, std::vector<rate_entry>(9, rate_entry{7, std::vector<int32_t>(16, 3), 99}), 50});
    run(std::vector<exchange>{
        // The week shows only its enabled days; a map mask filling its field ends there.
        {__LINE__, "/2051", R"({"chnid":3})", 3358, int_bytes({3}),
         motion(3, long_mask, partly_enabled()),
         json_reply(spaced({{"chnid", "3"}, {"enable", "1"}, {"sensitivity", "2"}, {"minsize", "3"}, {"mintime", "4"},
                            {"adaptability", "5"}, {"map_mask", jstr(long_mask)}, {"effective", schedule_json({slot_a})}}))},
        // The copy list: the first "copyCnt" channels, those of 0..63, and the own one.
        {__LINE__, "/2052",
         R"({"chnid":4,"copyCnt":2,"copyChn":[6,70,9],"enable":1,"sensitivity":2,"minsize":3,"mintime":4,"adaptability":5,"map_mask":")" +
             long_mask + R"(","effective":)" + schedule_request({slot_b}) + "}",
         3366, concat({mask_bytes(bits({4, 6})), motion(4, long_mask.substr(0, 299), week(slot_b, 1)), record(4)}),
         int_bytes({0}), json_reply(R"({ "res": 0 })")},
        // Without a schedule the week travels empty.
        {__LINE__, "/2052", R"({"chnid":63})", 3366,
         concat({mask_bytes(bits({63})), record(26500).i32(0, 63), record(4)}), int_bytes({-3}),
         json_reply(R"({ "res": -3 })")},
        // The answer's bytes, as many as it holds, NUL included.
        {__LINE__, "/2053", R"({"chnid":63,"mainType":2,"subType":3,"time":")" + std::string(70, 't') + R"("})", 3360,
         record(76).i32(0, 63).i32(4, 2).i32(8, 3).text(12, std::string(63, 't')), record(5).text(0, "ab").text(3, "cd"),
         text_reply(std::string("ab\0cd", 5))},
        // The tracking week shows every day as it is.
        {__LINE__, "/2054", R"({"chnid":1})", 3294, int_bytes({1}), tracking(1, partly_enabled(), "zone"),
         json_reply(tracking_json(1, "zone", schedule_json({slot_a, slot_b})))},
        {__LINE__, "/2055",
         R"({"chnid":0,"channels":"0011","enable":1,"show":2,"sensitivity":3,"time":4,"manual_tracking":5,"zoom_mode":6,"zoom_number":7,"area":"zone","humanVehicleSupport":8,"trackingObject":9,"schedule":)" +
             schedule_request({slot_b}) + "}",
         3375, concat({mask_bytes(bits({0, 2, 3})), tracking(0, week(slot_b, 0), "zone"), record(4)}), int_bytes({0}),
         json_reply(R"({ "res": 0 })")},
        // The channel text counts 64 positions at the most.
        {__LINE__, "/2055", R"({"chnid":5,"channels":")" + std::string(70, '1') + R"("})", 3375,
         concat({mask_bytes(~uint64_t{0}), record(26516).i32(0, 5), record(4)}), int_bytes({1}),
         json_reply(R"({ "res": 1 })")},
        {__LINE__, "/2063", R"({"chnid":2})", 3371, int_bytes({2}), audio_caps(two), json_reply(audio_caps_json(two))},
        {__LINE__, "/2063", R"({"chnid":2})", 3371, int_bytes({2}), audio_caps(full, 12),
         json_reply(audio_caps_json(full))},
        // 52 bytes of fields and 4 zero bytes; the own channel joins the text's.
        {__LINE__, "/2064",
         R"({"chnid":5,"audioEnable":1,"audioMode":2,"denoise":3,"encoding":4,"sampleRate":5,"inputGain":6,"inputMode":7,"audioGainControl":8,"outputVolume":9,"audioBitrate":10,"channels":"01"})",
         3372, concat({mask_bytes(bits({1, 5})), int_bytes({5, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0})}), int_bytes({0}),
         text_reply("OK")},
        // A copy list that is no text lists no channel.
        {__LINE__, "/2064", R"({"chnid":0,"channels":11})", 3372, concat({mask_bytes(1), record(48)}), int_bytes({7}),
         text_reply("ERROR")},
        {__LINE__, "/2065", R"({"chnid":9})", 3376, int_bytes({9}), concat({int_bytes({0, 1, 2, 3, 4, 5}), record(328).fill(0, 328, 'x')}),
         json_reply(spaced({{"res", "0"}, {"audioSupport", "1"}, {"audioSupportMode", "2"}, {"audioLineInputSupport", "3"},
                            {"systemSpeakerSupport", "4"}, {"systemManualSpeedSupport", "5"}}))},
    });
}

TEST_F(CameraSide, ARefusedRequestSendsNothing) {
    run(std::vector<refusal>{
        {__LINE__, "/2051", R"({"chnid":64})", json_failure()},
        {__LINE__, "/2051", R"({"chnid":-1})", json_failure()},
        {__LINE__, "/2051", "chnid=1", json_failure()},
        {__LINE__, "/2052", R"({"enable":1})", json_failure()},
        {__LINE__, "/2052", R"({"chnid":64,"copyCnt":1,"copyChn":[1]})", json_failure()},
        {__LINE__, "/2053", R"({"chnid":64})", text_failure()},
        {__LINE__, "/2053", "[", text_failure()},
        {__LINE__, "/2054", R"({"chnid":99})", json_failure()},
        {__LINE__, "/2055", R"({"chnid":-1,"channels":"1"})", json_failure()},
        {__LINE__, "/2063", R"({})", json_failure()},
        {__LINE__, "/2065", R"({"chnid":64})", json_failure()},
        // The audio set answers nothing, and never shifts by its own channel
        // unless it is one.
        {__LINE__, "/2064", R"({"chnid":64,"channels":"1"})", ""},
        {__LINE__, "/2064", R"({"chnid":-1})", ""},
        {__LINE__, "/2064", R"({"chnid":2147483647})", ""},
        {__LINE__, "/2064", R"({"channels":"1"})", ""},
        {__LINE__, "/2064", "{chnid", ""},
    });
}

TEST_F(CameraSide, AMissingOrShortAnswerGivesTheFailureReply) {
    run(std::vector<missing_answer>{
        {__LINE__, "/2051", R"({"chnid":1})", 3358, false, record(26499), json_failure()},
        {__LINE__, "/2052", R"({"chnid":1})", 3366, false, record(3), json_failure()},
        {__LINE__, "/2053", R"({"chnid":1})", 3360, false, {}, text_failure()},
        {__LINE__, "/2053", R"({"chnid":1})", 3360, true, {}, text_failure()},
        {__LINE__, "/2054", R"({"chnid":1})", 3294, false, record(26515), json_failure()},
        {__LINE__, "/2055", R"({"chnid":1})", 3375, false, {}, json_failure()},
        {__LINE__, "/2063", R"({"chnid":1})", 3371, false, record(5967), json_failure()},
        {__LINE__, "/2064", R"({"chnid":1})", 3372, false, record(2), json_failure()},
        {__LINE__, "/2064", R"({"chnid":1})", 3372, true, {}, json_failure()},
        {__LINE__, "/2065", R"({"chnid":1})", 3376, false, record(351), json_failure()},
    });
}

}  // namespace
}  // namespace xcase
