// Steering sessions: the notices (stop, lists, direction, speeds, stream
// notices), the jump and the transcoding exchanges.
#include "tests/playback/playback_fixture.h"

namespace pbtest {
namespace {

// The 76-byte speed message: 64 mask characters, reserved, speed, singleFlag.
bytes speed_msg(std::vector<int> marked, int32_t speed, int32_t single) {
    std::string mask(64, '0');
    for (int i : marked) mask[i] = '1';
    return record(76).text(0, mask).i32(68, speed).i32(72, single);
}

std::vector<int32_t> range(int32_t from, int32_t count) {
    std::vector<int32_t> v;
    for (int32_t i = 0; i < count; ++i) v.push_back(from + i);
    return v;
}

TEST_F(Playback, StopClosesOnlyTheSessionsItWasGiven) {
    std::string seventy = "[";
    for (int i = 0; i < 70; ++i) seventy += (i ? "," : "") + std::to_string(i);
    seventy += "]";
    std::vector<msg> all64;
    for (int32_t i = 0; i < 64; ++i) all64.push_back({1903, int_payload(i)});
    all64.push_back({1164, session_list(range(0, 64), 64)});

    struct row {
        int line;
        std::string body;
        std::vector<msg> want;
    } rows[] = {
        {__LINE__, R"({"close":0,"num":3,"sid":[3,-1,7]})",
         {{1903, int_payload(3)}, {1903, int_payload(7)}, {1164, session_list({3, -1, 7}, 3)}}},
        {__LINE__, R"({"close":1,"num":1,"sid":[4]})",
         {{1903, int_payload(4)}, {1164, session_list({4}, 1)}, {1160, session_list({4}, 1)}}},
        // A "num" beyond the list never names session 0.
        {__LINE__, R"({"num":5,"sid":[2]})", {{1903, int_payload(2)}, {1164, session_list({2}, 1)}}},
        {__LINE__, R"({"num":2})", {{1164, session_list({}, 0)}}},
        {__LINE__, R"({"num":2,"sid":7})", {{1164, session_list({}, 0)}}},
        {__LINE__, R"({"num":3,"sid":[1,null,3]})", {{1903, int_payload(1)}, {1164, session_list({1}, 1)}}},
        {__LINE__, R"({"num":3,"sid":[1,"x",3]})", {{1903, int_payload(1)}, {1164, session_list({1}, 1)}}},
        {__LINE__, R"({"num":-3,"sid":[1]})", {{1164, session_list({}, 0)}}},
        {__LINE__, R"({"close":1})", {{1164, session_list({}, 0)}, {1160, session_list({}, 0)}}},
        {__LINE__, R"({"close":2,"num":1,"sid":[0]})", {{1903, int_payload(0)}, {1164, session_list({0}, 1)}}},
        // At most 64 sessions.
        {__LINE__, R"({"num":70,"sid":)" + seventy + "}", all64},
    };
    for (const auto& r : rows) {
        fresh_case();
        EXPECT_EQ(post("/4003", r.body).out, text_reply("OK")) << "row at line " << r.line;
        expect_sent(r.want, r.line);
    }
    fresh_case();
    EXPECT_EQ(post("/4003", "close=1").out, "");
    EXPECT_TRUE(sent().empty());
}

TEST_F(Playback, NoticesCarryTheListedSessionsAndChannels) {
    struct row {
        int line;
        std::string code, body;
        std::string out;  // "" for a refusal: then nothing is sent
        std::vector<msg> want;
    } rows[] = {
        {__LINE__, "/4004", R"({"num":2,"sid":[5,6]})", "OK", {{1165, session_list({5, 6}, 2)}}},
        {__LINE__, "/4004", R"({"num":3,"sid":[5,6]})", "OK", {{1165, session_list({5, 6}, 2)}}},
        {__LINE__, "/4006", R"({"num":1,"sid":[5,6]})", "OK", {{1170, session_list({5}, 1)}}},
        {__LINE__, "/3003", R"({"sessionId":[8,9]})", "OK", {{1113, session_list({8, 9}, 0)}}},
        {__LINE__, "/3003", R"({})", "OK", {{1113, session_list({}, 0)}}},
        {__LINE__, "/4005", R"({"sid":3,"direction":1})", "OK", {{1166, record(8).i32(0, 3).i32(4, 1)}}},
        {__LINE__, "/4005", R"({})", "OK", {{1166, record(8)}}},
        {__LINE__, "/4007", R"({"chind":0,"num":2,"sessionId":[5,6],"speed":[2,4]})", "OK",
         {{1112, session_list({5, 6}, 2, {2, 4})}}},
        // A session without a speed is not sent.
        {__LINE__, "/4007", R"({"chind":1,"num":3,"sessionId":[5,6,7],"speed":[2,4]})", "OK",
         {{1112, session_list({5, 6}, 2, {2, 4})}}},
        {__LINE__, "/4007", R"({"chind":-1,"num":1,"sessionId":[5],"speed":[2]})", "", {}},
        {__LINE__, "/4007", R"({"num":1,"sessionId":[5],"speed":[2]})", "", {}},
        // "chind" is a list: json-c reads an array as 0, which passes.
        {__LINE__, "/4008", R"({"chind":[1,70,3,-2],"num":4,"speed":4})", "OK", {{1149, speed_msg({1, 3}, 4, 0)}}},
        {__LINE__, "/4008", R"({"chind":[1,3],"num":1,"speed":2})", "OK", {{1149, speed_msg({1}, 2, 0)}}},
        {__LINE__, "/4008", R"({"chind":-1,"num":1,"speed":2})", "", {}},
        {__LINE__, "/4022", R"({"num":1,"sid":[5],"speed":2})", "OK", {{1167, speed_msg({5}, 2, 1)}}},
        {__LINE__, "/4022", R"({"num":1,"sid":[5],"speed":3})", "OK", {{1167, speed_msg({5}, 3, 0)}}},
        {__LINE__, "/4022", R"({"num":2,"sid":[5,70],"speed":2})", "OK", {{1167, speed_msg({5}, 2, 0)}}},
        {__LINE__, "/4011", R"({"id":2,"streamType":1,"streamFrom":1})", "OK", {{1901, record(12).i32(0, 2).i32(4, 1)}}},
        {__LINE__, "/4011", R"({"id":64,"streamType":1,"streamFrom":1})", "", {}},
        {__LINE__, "/4011", R"({"id":2,"streamType":1})", "", {}},
        {__LINE__, "/4012", "", "OK", {{1902, {}}}},
        {__LINE__, "/4004", "sid=1", "", {}},
        {__LINE__, "/4022", "[]", "", {}},
    };
    for (const auto& r : rows) {
        fresh_case();
        cgi_result res = post(r.code, r.body);
        EXPECT_EQ(res.out, r.out.empty() ? "" : text_reply(r.out)) << "row at line " << r.line;
        expect_sent(r.want, r.line);
    }
}

TEST_F(Playback, JumpSendsTheListedSessionsAndRendersTheResult) {
    auto jump = [](std::vector<int32_t> ch, std::vector<int32_t> sid, int32_t num, const std::string& t) {
        record r(580);
        for (size_t i = 0; i < ch.size(); ++i) r.i32(4 * i, ch[i]);
        for (size_t i = 0; i < sid.size(); ++i) r.i32(256 + 4 * i, sid[i]);
        return r.i32(512, num).text(516, t).data();
    };
    const std::string long_time(70, '1');
    struct row {
        int line;
        std::string body;
        bytes reply;  // 6171; empty: not answered
        std::string out;
        std::vector<msg> want;
    } rows[] = {
        {__LINE__, R"({"jumpTime":"2024-01-01 10:00:00","sid":[5,6],"chnid":[1,2],"num":2})", int_payload(0),
         json_reply(R"({ "status": "OK" })"), {{1171, jump({1, 2}, {5, 6}, 2, "2024-01-01 10:00:00")}}},
        {__LINE__, R"({"jumpTime":"t","sid":[5,6],"chnid":[1,2],"num":2})", int_payload(3),
         json_reply(R"({ "status": "ERROR" })"), {{1171, jump({1, 2}, {5, 6}, 2, "t")}}},
        // Counted only as far as both lists go; the time is cut to 63 characters.
        {__LINE__, R"({"jumpTime":")" + long_time + R"(","sid":[5,6,7],"chnid":[1,2],"num":5})", int_payload(0),
         json_reply(R"({ "status": "OK" })"), {{1171, jump({1, 2}, {5, 6}, 2, long_time.substr(0, 63))}}},
        // Nothing to jump: the failure reply without a message.
        {__LINE__, R"({"jumpTime":"t","sid":[5],"chnid":[1],"num":0})", int_payload(0), failed_reply(), {}},
        {__LINE__, R"({"jumpTime":"t","sid":[],"chnid":[],"num":1})", int_payload(0), failed_reply(), {}},
        {__LINE__, R"({"jumpTime":"t","sid":[5],"chnid":[1],"num":1})", {}, failed_reply(), {{1171, jump({1}, {5}, 1, "t")}}},
        // Incomplete requests get no reply.
        {__LINE__, R"({"sid":[5],"chnid":[1],"num":1})", int_payload(0), "", {}},
        {__LINE__, R"({"jumpTime":"t","chnid":[1],"num":1})", int_payload(0), "", {}},
        {__LINE__, R"({"jumpTime":"t","sid":[5],"num":1})", int_payload(0), "", {}},
        {__LINE__, R"({"jumpTime":"t","sid":[5],"chnid":[1]})", int_payload(0), "", {}},
    };
    for (const auto& r : rows) {
        fresh_case();
        core.use_defaults(false);
        if (!r.reply.empty()) core.add_reply(1171, 6171, r.reply);
        EXPECT_EQ(post("/4009", r.body).out, r.out) << "row at line " << r.line;
        expect_sent(r.want, r.line);
    }
}

TEST_F(Playback, TranscodingAnswersWithTheStateRecord) {
    const std::string set = R"({"ch":1,"sid":5,"trancodingmode":1,"framesize":2,"bitrate":512,"framerate":15})";
    const bytes state = record(12).i32(0, 1).i32(4, 5).i32(8, 3);
    struct row {
        int line;
        std::string code, body;
        int32_t reply_id;
        bytes reply;
        std::string out;
        std::vector<msg> want;
    } rows[] = {
        {__LINE__, "/4025", set, 6176, state, json_reply(R"({ "ch": 1, "sid": 5, "state": 3, "status": "OK" })"),
         {{1176, record(24).i32(0, 1).i32(4, 5).i32(8, 1).i32(12, 2).i32(16, 512).i32(20, 15)}}},
        {__LINE__, "/4025", "{}", 6176, state, json_reply(R"({ "ch": 1, "sid": 5, "state": 3, "status": "OK" })"),
         {{1176, record(24)}}},
        {__LINE__, "/4025", set, 6176, bytes(8, 0), failed_reply(), {any_payload(1176)}},
        {__LINE__, "/4026", R"({"ch":1,"sid":5})", 6177, state, json_reply(R"({ "ch": 1, "sid": 5, "state": 3 })"),
         {{1177, record(8).i32(0, 1).i32(4, 5)}}},
        {__LINE__, "/4026", R"({"ch":1,"sid":5})", 6177, bytes(11, 0), failed_reply(), {any_payload(1177)}},
        // Not JSON: the JSON error body, nothing sent.
        {__LINE__, "/4025", "ch=1", 6176, state, failed_reply(), {}},
        {__LINE__, "/4026", "", 6177, state, failed_reply(), {}},
    };
    for (const auto& r : rows) {
        fresh_case();
        core.use_defaults(false);
        core.add_reply(r.code == "/4025" ? 1176 : 1177, r.reply_id, r.reply);
        EXPECT_EQ(post(r.code, r.body).out, r.out) << "row at line " << r.line;
        expect_sent(r.want, r.line);
    }
}

}  // namespace
}  // namespace pbtest
