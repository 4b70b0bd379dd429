// PTZ queries end to end: the overview of presets and tours, command words,
// the PTZ state and status, and the probe; their messages, their rendering
// of the core's answers and their failure replies.
#include "tests/ptz/ptz_bytes.h"

namespace xcase {
namespace {

constexpr size_t overview_size = 15604;
constexpr size_t tours_at = 10800;
constexpr size_t patterns_at = 15408;
constexpr size_t tour_status_at = 15424;
constexpr size_t autoscan_at = 15584;

// Point p of tour t in an overview answer: preset, dwell time, speed.
void put_point(record& ov, int t, int p, int32_t preset, int32_t time, int32_t speed) {
    size_t tour = tours_at + 576 * t;
    ov.i32(tour + 4 * p, preset).i32(tour + 192 + 4 * p, time).i32(tour + 384 + 4 * p, speed);
}

std::string preset_list(const std::vector<std::pair<int, std::string>>& set) {
    std::string s = "[ ";
    for (int i = 0; i < 300; ++i) {
        int enable = 0;
        std::string name;
        for (const auto& [at, n] : set)
            if (at == i) enable = 1, name = n;
        s += std::string(i ? ", " : "") + "{ \"enable\": " + std::to_string(enable) + ", \"name\": \"" + name + "\" }";
    }
    return s + " ]";
}

std::string zeros(int n) {
    std::string s = "[ ";
    for (int i = 0; i < n; ++i) s += i ? ", 0" : "0";
    return s + " ]";
}

class PtzQueries : public exchange_case {};

TEST_F(PtzQueries, TheOverviewListsPresetsToursPatternsAndStates) {
    record ov(overview_size);
    ov.i32(36 * 2, 1).text(36 * 2 + 4, "Gate").i32(36 * 299, 1).text(36 * 299 + 4, std::string(32, 'p'));
    // Tour 1 stops at its third point; tour 8 at a negative preset.
    put_point(ov, 0, 0, 2, 10, 5);
    put_point(ov, 0, 1, 299, 20, 6);
    put_point(ov, 0, 3, 7, 30, 7);
    put_point(ov, 7, 0, 4, 1, 1);
    put_point(ov, 7, 1, -1, 1, 1);
    put_point(ov, 7, 2, 4, 1, 1);
    for (int p = 0; p < 48; ++p) put_point(ov, 3, p, p + 1, p, 1);
    ov.i32(patterns_at + 4, 1).i32(tour_status_at + 4 * (8 * 4 + 7), 9).i32(autoscan_at + 16, 3);
    answer(1265, ov);

    std::string tour4 = "[ ";
    for (int p = 0; p < 48; ++p)
        tour4 += std::string(p ? ", " : "") + "{ \"preset_id\": " + std::to_string(p + 1) +
                 ", \"speed\": 1, \"timeout\": " + std::to_string(p) + " }";
    tour4 += " ]";
    std::string want = R"({ "status": "OK", "PRESET": )" + preset_list({{2, "Gate"}, {299, std::string(32, 'p')}}) +
                       R"(, "TOUR": [ [ { "preset_id": 2, "speed": 5, "timeout": 10 }, { "preset_id": 299, "speed": 6, "timeout": 20 } ], [ ], [ ], )" +
                       tour4 + R"(, [ ], [ ], [ ], [ { "preset_id": 4, "speed": 1, "timeout": 1 } ] ], )" +
                       R"("PATTERN": [ { "enable": 0 }, { "enable": 1 }, { "enable": 0 }, { "enable": 0 } ], )" +
                       R"("autoscan_status": [ 0, 0, 0, 0, 3 ], "tour_status": [ )" + zeros(8) + ", " + zeros(8) + ", " +
                       zeros(8) + ", " + zeros(8) + ", [ 0, 0, 0, 0, 0, 0, 0, 9 ] ] }";
    EXPECT_EQ(post("/5005", R"({"chn":12,"fisheyeType":0,"streamId":1})").out, json_reply(want));
    expect_sent({{1265, int_bytes({12})}}, __LINE__);

    // A fisheye stream has an overview of its own.
    fresh_case();
    answer(1268, record(overview_size));
    cgi_result fish = post("/5005", R"({"chn":12,"fisheyeType":2,"streamId":1})");
    EXPECT_EQ(fish.out.rfind(json_reply(R"({ "status": "OK", "PRESET": [ { "enable": 0, "name": "" })"), 0), 0u);
    expect_sent({{1268, int_bytes({12, 1})}}, __LINE__);
}

TEST_F(PtzQueries, RepliesRenderTheAnswer) {
    std::string mask = std::string(63, '0') + "1";
    record status(136);
    for (int i = 0; i < 17; ++i) status.i32(4 * i, 100 + i);
    status.text(68, mask);
    std::string status_json =
        R"({ "status": 100, "chnId": 101, "zoomStatus": 102, "panTiltStatus": 103, "presetStatus": 104, )"
        R"("patrolStatus": 105, "patternStatus": 106, "autoScanStatus": 107, "presetFreezing": 108, "presetSpeed": 109, )"
        R"("manualSpeed": 110, "patrolRecovering": 111, "patrolRecoveryTime": 112, "focusMode": 113, )"
        R"("minFocusDistance": 114, "resumeTime": 115, "fanWorkingMode": 116, "channelMask": ")" + mask + R"(" })";
    // A status request gives every member; missing ones are sent as 0 and
    // the mask is cut to 64 characters.
    std::string set_body =
        R"({"status":1,"chnId":5,"zoomStatus":2,"panTiltStatus":3,"presetStatus":4,"patrolStatus":5,"patternStatus":6,)"
        R"("autoScanStatus":7,"presetFreezing":8,"presetSpeed":9,"manualSpeed":10,"patrolRecovering":11,)"
        R"("patrolRecoveryTime":12,"focusMode":13,"minFocusDistance":14,"resumeTime":15,"channelMask":")" +
        std::string(70, '1') + R"("})";
    record set_payload(136);
    for (int i = 0; i < 16; ++i) set_payload.i32(4 * i, i == 0 ? 1 : i == 1 ? 5 : i);
    set_payload.text(68, std::string(64, '1'));

    struct row {
        int line;
        std::string code, body;
        std::vector<msg> want;
        int32_t answered_id;
        bytes answer;
        std::string out;
    } rows[] = {
        {__LINE__, "/5009", R"({"chnid":3,"ptzCmd":77})", {{3361, int_bytes({3, 77})}, ptz_log(904, 3)}, 3361, int_bytes({-4}),
         json_reply(R"({ "res": -4 })")},
        {__LINE__, "/5010", R"({"chnid":63})", {{3363, int_bytes({63})}}, 3363, int_bytes({63, 2}),
         json_reply(R"({ "chnid": 63, "status": 2 })")},
        {__LINE__, "/5011", R"({"chnId":1})", {{1270, int_bytes({1})}}, 1270, status, json_reply(status_json)},
        {__LINE__, "/5012", set_body, {{1271, set_payload}, ptz_log(904, 5)}, 1271, int_bytes({-2}),
         json_reply(R"({ "status": -2 })")},
        {__LINE__, "/6052", R"({"camId":4})", {{1262, int_bytes({4})}}, 1262, int_bytes({-1}), text_reply("-1")},
        {__LINE__, "/6052", R"({"camId":4})", {{1262, int_bytes({4})}}, 1262, int_bytes({1}), text_reply("0")},
    };
    for (const auto& r : rows) {
        fresh_case();
        answer(r.answered_id, r.answer);
        EXPECT_EQ(post(r.code, r.body).out, r.out) << "row at line " << r.line;
        expect_sent(r.want, r.line);
    }
}

TEST_F(PtzQueries, MissingShortAndRefusedExchanges) {
    struct row {
        int line;
        std::string code, body;
        int32_t msg_id;    // 0: the request is refused and nothing is sent
        bool silent;       // no answer (else the short answer)
        bytes answer;
        std::string out;
    } rows[] = {
        {__LINE__, "/5005", R"({"chn":1})", 1265, true, {}, json_failure()},
        {__LINE__, "/5005", R"({"chn":1})", 1265, false, record(15603), json_reply(R"({ "status": "Error" })")},
        {__LINE__, "/5009", R"({"chnid":1})", 3361, true, {}, json_failure()},
        {__LINE__, "/5010", R"({"chnid":1})", 3363, true, {}, json_failure()},
        {__LINE__, "/5010", R"({"chnid":1})", 3363, false, record(4), json_failure()},
        {__LINE__, "/5011", R"({"chnId":1})", 1270, true, {}, json_failure()},
        {__LINE__, "/5011", R"({"chnId":1})", 1270, false, record(135), json_failure()},
        {__LINE__, "/5012", R"({"chnId":1})", 1271, true, {}, json_failure()},
        {__LINE__, "/6052", R"({"camId":1})", 1262, true, {}, text_failure()},
        {__LINE__, "/6052", R"({"camId":1})", 1262, false, record(2), text_failure()},
        // Refusals: the JSON error for the status, state and command-word
        // requests, no reply for the others.
        {__LINE__, "/5009", "chnid=1", 0, false, {}, json_failure()},
        {__LINE__, "/5009", R"({"chnid":64,"ptzCmd":1})", 0, false, {}, json_failure()},
        {__LINE__, "/5010", R"({"chnid":-1})", 0, false, {}, json_failure()},
        {__LINE__, "/5011", R"({})", 0, false, {}, json_failure()},
        {__LINE__, "/5012", R"({"chnId":64})", 0, false, {}, json_failure()},
        {__LINE__, "/5005", R"({"chn":64})", 0, false, {}, ""},
        {__LINE__, "/5005", "[]", 0, false, {}, ""},
        {__LINE__, "/6052", R"({"camId":64})", 0, false, {}, ""},
    };
    for (const auto& r : rows) {
        fresh_case();
        if (r.msg_id && r.silent) answer_nothing(r.msg_id);
        if (r.msg_id && !r.silent) answer(r.msg_id, r.answer);
        EXPECT_EQ(post(r.code, r.body).out, r.out) << "row at line " << r.line;
        auto got = sent();
        if (r.msg_id) {
            ASSERT_FALSE(got.empty()) << "row at line " << r.line;
            EXPECT_EQ(got[0].id, r.msg_id) << "row at line " << r.line;
        } else {
            EXPECT_TRUE(got.empty()) << "row at line " << r.line << ": " << ids_text(got);
        }
    }
}

}  // namespace
}  // namespace xcase
