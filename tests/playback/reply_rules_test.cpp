// What each answer of the core means when it holds less than one record: not
// the answer (the wait goes on), a failure at once, or a list of none. The
// core sends such a short answer and then a whole one; what the page gets
// shows which it was.
#include "tests/playback/playback_fixture.h"

namespace pbtest {
namespace {

// The reply to the two answers, whole or a part of it.
struct want {
    std::string text;
    bool whole = false;
};
want exactly(const std::string& text) { return {text, true}; }
want part(const std::string& text) { return {text, false}; }

// Each row's whole answer renders differently from what the short one would
// under the two other rules (a short answer reads as zeros).
TEST_F(Playback, AnAnswerShorterThanOneRecordWaitsFailsOrListsNone) {
    const std::string search = R"({"channelId":3,"sid":-1,"streamType":0,"time":"a","endTime":"b"})";
    const std::string open = R"({"channelId":2,"sid":7,"startTime":"s","endTime":"e","playTime":"p"})";
    const std::string masks =
        R"({"mask0":1,"mask1":0,"mask2":0,"mask3":0,"mask4":0,"mask5":0,"mask6":0,"mask7":0,"playTime":"2024-01-02 08:00:00"})";
    const bytes time = int_payload(1704067200);
    const bytes times = record(8).i32(0, 5).i32(4, 1704067200);
    struct row {
        int line;
        std::string code, body;  // body "": GET without a query
        int32_t request_id, reply_id;
        bytes whole;
        want reply;
    } rows[] = {
        // empty: a list of none
        {__LINE__, "/4000", search, 1159, 6159, record(104), part(R"({ "status": "NO MATCHES" })")},
        {__LINE__, "/4023", R"({"sid":1,"page":1})", 1161, 6161, record(104), part(R"({ "status": "NO MATCHES" })")},
        {__LINE__, "/4001", open, 3502, 8502, record(152).i32(0, 7), exactly("")},
        {__LINE__, "/4002", "5", 1153, 8116, times, part(R"("curPlayTime": [ ])")},
        {__LINE__, "/4002", "5", 1153, 8115, times, part(R"("JumpTime": [ ])")},
        {__LINE__, "/4018", "", 3503, 8503, record(1476), part(R"({ "rtspaddr": [ ] })")},
        // fail: the failure reply at once
        {__LINE__, "/4002", "5", 1153, 6153, time, exactly(failed_reply())},
        {__LINE__, "/4002", "5", 1153, 8102, time, exactly(failed_reply())},
        {__LINE__, "/4025", R"({"ch":1})", 1176, 6176, record(12).i32(0, 1), exactly(failed_reply())},
        {__LINE__, "/4026", R"({"ch":1})", 1177, 6177, record(12).i32(0, 1), exactly(failed_reply())},
        // wait: the whole answer that follows is the one
        {__LINE__, "/4001", open, 1162, 6162, int_payload(0), part(R"("sessionId": )")},
        {__LINE__, "/4001", open, 1162, 6162, int_payload(-1), exactly(failed_reply())},
        {__LINE__, "/4020", masks, 3109, 8103, record(40).i32(0, 200), part(R"("sessionId": 200)")},
        {__LINE__, "/4002", "5", 1153, 8104, time, part(R"("realJumpTime": "2024-01-01 00:00:00")")},
        {__LINE__, "/4002", "5", 1153, 6148, int_payload(-1), part(R"({ "status": "ERROR" })")},
        {__LINE__, "/4009", R"({"jumpTime":"t","sid":[5],"chnid":[1],"num":1})", 1171, 6171, int_payload(3),
         part(R"({ "status": "ERROR" })")},
        {__LINE__, "/4010", R"({"id":6,"streamType":0,"streamFrom":0})", 3500, 8500, record(976).i32(28, -1),
         part(R"({ "status": "ERROR" })")},
        {__LINE__, "/4021", "", 3506, 8506, record(8).i32(0, 80), part(R"("upnp_extern_port": 80)")},
        {__LINE__, "/3004", "", 4011, 9011, int_payload(1), part(R"({ "status": "BUSY" })")},
        {__LINE__, "/3000", R"({"chnid":1})", 3002, 8002, record(32).i32(4, 9), part(R"("brightness": 9)")},
    };
    for (const auto& r : rows) {
        fresh_case();
        const bytes short_part(r.whole.begin(), r.whole.end() - 1);
        coresim::rule rule;
        rule.id = r.request_id;
        rule.handler = [&r, short_part](const coresim::request&, std::vector<coresim::out_msg>& out) {
            out.push_back({r.reply_id, short_part});
            out.push_back({r.reply_id, r.whole});
        };
        core.add_rule(rule);
        cgi_result res = r.body.empty() ? get(r.code, "") : post(r.code, r.body, {{"TZ", "UTC"}});
        if (r.reply.whole)
            EXPECT_EQ(res.out, r.reply.text) << "row at line " << r.line;
        else
            EXPECT_NE(res.out.find(r.reply.text), std::string::npos) << "row at line " << r.line << ": " << res.out;
    }
}

}  // namespace
}  // namespace pbtest
