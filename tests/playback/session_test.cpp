// Opening sessions in two exchanges (/4001: 1162 then 3502; /4020: 3109
// then 3502), each on its own link, and the play-time replies (/4002).
#include "tests/playback/playback_fixture.h"

namespace pbtest {
namespace {

// The 1162 payload: channelId, sid, startTime, endTime, playTime, 8 zero bytes.
bytes open_msg(int32_t ch, int32_t sid, const std::string& start, const std::string& end,
               const std::string& play) {
    return record(112).i32(0, ch).i32(4, sid).text(8, start).text(40, end).text(72, play);
}

// An 8502 record: sessionId, port, external, external HTTP, DDNS, DDNS HTTP, sourcePath.
bytes session_desc(int32_t sid, const std::string& path) {
    return record(152).i32(0, sid).i32(4, 554).i32(8, 1554).i32(12, 1080).i32(16, 2554).i32(20, 2080).text(24, path);
}

std::string desc_json(int32_t sid, const std::string& path, const std::string& play) {
    return json_reply(R"({ "sessionId": )" + std::to_string(sid) + R"(, "sourcePath": ")" + json_text(path) +
                      R"(", "port": 554, "status": "OK", "realPlayTime": ")" + play +
                      R"(", "external_port": 1554, "external_http_port": 1080, "ddns_port": 2554, "ddns_http_port": 2080 })");
}

struct exchange {
    bytes first;   // reply to the first message; empty: no answer
    bytes second;  // 8502; empty: no answer
};

// Runs one opening request against the scripted exchange and checks the
// messages: want, then the log entry (sub type 209) when logged. The two
// exchanges go out on links of their own.
class Opening : public Playback {
protected:
    void run(const std::string& code, const std::string& body, const std::string& tz, int32_t first_id,
             int32_t first_reply_id, const exchange& ex, const std::string& out, std::vector<msg> want, bool logged,
             int32_t log_channel, int line) {
        fresh_case();
        core.use_defaults(false);
        if (!ex.first.empty()) core.add_reply(first_id, first_reply_id, ex.first);
        if (!ex.second.empty()) core.add_reply(3502, 8502, ex.second);
        EXPECT_EQ(post(code, body, {{"TZ", tz}}).out, out) << "row at line " << line;
        if (logged) want.push_back(any_payload(3485));
        expect_sent(want, line);
        auto got = sent();
        if (logged && got.size() == 3) {
            expect_log(got[2], 209, log_channel, line);
            EXPECT_NE(got[0].conn, got[1].conn) << "row at line " << line;
        }
    }
};

TEST_F(Opening, OfAChannelTakesTwoExchangesOnSeparateLinks) {
    const std::string body =
        R"({"channelId":5,"sid":9,"startTime":"2024-01-02 00:00:00","endTime":"2024-01-02 23:59:59","playTime":"2024-01-02 08:00:00"})";
    const bytes open9 = open_msg(5, 9, "2024-01-02 00:00:00", "2024-01-02 23:59:59", "2024-01-02 08:00:00");
    const std::string long_play(40, '4');
    struct row {
        int line;
        std::string body;
        exchange ex;
        std::string out;
        std::vector<msg> want;  // the log entry, when sent, is checked separately
        bool logged;
    } rows[] = {
        {__LINE__, body, {int_payload(0), session_desc(31, "/pb/31")}, desc_json(31, "/pb/31", "2024-01-02 08:00:00"),
         {{1162, open9}, {3502, int_payload(9)}}, true},
        // Any result that is not negative opens the session.
        {__LINE__, body, {int_payload(3), session_desc(31, "/pb/31")}, desc_json(31, "/pb/31", "2024-01-02 08:00:00"),
         {{1162, open9}, {3502, int_payload(9)}}, true},
        // Refused or unanswered: the failure reply, no second exchange, no log.
        {__LINE__, body, {int_payload(-1), session_desc(31, "/pb/31")}, failed_reply(), {{1162, open9}}, false},
        {__LINE__, body, {{}, session_desc(31, "/pb/31")}, failed_reply(), {{1162, open9}}, false},
        {__LINE__, body, {bytes(2, 0), session_desc(31, "/pb/31")}, failed_reply(), {{1162, open9}}, false},
        // A description without a record writes nothing and ends the wait.
        {__LINE__, body, {int_payload(0), bytes(100, 1)}, "", {{1162, open9}, {3502, int_payload(9)}}, true},
        {__LINE__, body, {int_payload(0), {}}, failed_reply(), {{1162, open9}, {3502, int_payload(9)}}, true},
        // The kept play time is cut to 31 characters, like the one sent.
        {__LINE__, R"({"channelId":0,"sid":-1,"startTime":"s","endTime":"e","playTime":")" + long_play + "\"}",
         {int_payload(0), session_desc(2, "/pb/2")}, desc_json(2, "/pb/2", long_play.substr(0, 31)),
         {{1162, open_msg(0, -1, "s", "e", long_play.substr(0, 31))}, {3502, int_payload(-1)}}, true},
    };
    for (const auto& r : rows) {
        run("/4001", r.body, "UTC", 1162, 6162, r.ex, r.out, r.want, r.logged, int_at(r.want[0].payload, 0) + 1, r.line);
    }
}

TEST_F(Opening, ByMasksUsesTheSessionAndPlayTimeTheCoreGave) {
    const std::string masks = R"("mask0":1,"mask1":2,"mask2":3,"mask3":4,"mask4":5,"mask5":6,"mask6":7,"mask7":-1)";
    auto masks_msg = [](int32_t t) {
        return record(68).i32(0, t).i32(36, 1).i32(40, 2).i32(44, 3).i32(48, 4).i32(52, 5).i32(56, 6).i32(60, 7).i32(64, -1);
    };
    auto opened = [](int32_t sid, const std::string& play, int32_t failed) {
        return record(40).i32(0, sid).text(4, play).i32(36, failed);
    };
    const std::string full_play(32, '9');
    struct row {
        int line;
        std::string tz, play_time;
        exchange ex;
        std::string out;
        std::vector<msg> want;
        bool logged;
    } rows[] = {
        {__LINE__, "UTC", "2024-01-01 00:00:00", {opened(77, "2024-01-01 00:00:05", 0), session_desc(77, "/pb/77")},
         desc_json(77, "/pb/77", "2024-01-01 00:00:05"), {{3109, masks_msg(1704067200)}, {3502, int_payload(77)}}, true},
        // The play time is local time.
        {__LINE__, "CET-1", "2024-01-01 01:00:00", {opened(78, "x", 0), session_desc(78, "/pb/78")},
         desc_json(78, "/pb/78", "x"), {{3109, masks_msg(1704067200)}, {3502, int_payload(78)}}, true},
        // A play time that fills its field is kept up to 31 characters.
        {__LINE__, "UTC", "2024-01-01 00:00:00", {opened(79, full_play, 0), session_desc(79, "/pb/79")},
         desc_json(79, "/pb/79", full_play.substr(0, 31)), {{3109, masks_msg(1704067200)}, {3502, int_payload(79)}}, true},
        {__LINE__, "UTC", "2024-01-01 00:00:00", {opened(77, "2024-01-01 00:00:05", 1), session_desc(77, "/pb/77")},
         failed_reply(), {{3109, masks_msg(1704067200)}}, false},
        {__LINE__, "UTC", "2024-01-01 00:00:00", {{}, session_desc(77, "/pb/77")}, failed_reply(),
         {{3109, masks_msg(1704067200)}}, false},
    };
    for (const auto& r : rows) {
        run("/4020", "{" + masks + R"(,"playTime":")" + r.play_time + "\"}", r.tz, 3109, 8103, r.ex, r.out, r.want,
            r.logged, 0, r.line);
    }
}

TEST_F(Playback, OpeningRefusesIncompleteRequestsSilently) {
    const std::string masks = R"("mask0":0,"mask1":0,"mask2":0,"mask3":0,"mask4":0,"mask5":0,"mask6":0,"mask7":0)";
    struct row {
        int line;
        std::string code, body;
    } rows[] = {
        {__LINE__, "/4001", R"({"channelId":64,"sid":1,"startTime":"s","endTime":"e","playTime":"p"})"},
        {__LINE__, "/4001", R"({"channelId":-1,"sid":1,"startTime":"s","endTime":"e","playTime":"p"})"},
        {__LINE__, "/4001", R"({"sid":1,"startTime":"s","endTime":"e","playTime":"p"})"},
        {__LINE__, "/4001", R"({"channelId":1,"startTime":"s","endTime":"e","playTime":"p"})"},
        {__LINE__, "/4001", R"({"channelId":1,"sid":1,"endTime":"e","playTime":"p"})"},
        {__LINE__, "/4001", R"({"channelId":1,"sid":1,"startTime":"s","playTime":"p"})"},
        {__LINE__, "/4001", R"({"channelId":1,"sid":1,"startTime":"s","endTime":"e"})"},
        {__LINE__, "/4020", "{" + masks + "}"},
        {__LINE__, "/4020", R"({"mask0":0,"mask1":0,"mask2":0,"mask4":0,"mask5":0,"mask6":0,"mask7":0,"playTime":"2024-01-01 00:00:00"})"},
        {__LINE__, "/4020", "{" + masks + R"(,"playTime":"yesterday"})"},
        {__LINE__, "/4020", "{" + masks + R"(,"playTime":"2024-01-01 00:00:00 and more"})"},
        {__LINE__, "/4020", "{" + masks + R"(,"playTime":"1960-01-01 00:00:00"})"},
        {__LINE__, "/4020", "{" + masks + R"(,"playTime":"2100-01-01 00:00:00"})"},
    };
    for (const auto& r : rows) {
        fresh_case();
        cgi_result res = post(r.code, r.body, {{"TZ", "UTC"}});
        EXPECT_EQ(res.out, "") << "row at line " << r.line;
        EXPECT_TRUE(sent().empty()) << "row at line " << r.line;
    }
}

TEST_F(Playback, PlayTimeRepliesInLocalTime) {
    auto times = [](std::vector<std::pair<int32_t, int32_t>> pairs) {
        record r(8 * pairs.size());
        for (size_t i = 0; i < pairs.size(); ++i) r.i32(8 * i, pairs[i].first).i32(8 * i + 4, pairs[i].second);
        return r.data();
    };
    struct row {
        int line;
        std::string tz;
        int32_t reply_id;
        bytes reply;
        std::string out;
    } rows[] = {
        {__LINE__, "UTC", 6153, int_payload(1704067200), json_reply(R"({ "status": "OK", "curPlayTime": "2024-01-01 00:00:00" })")},
        {__LINE__, "CET-1", 6153, int_payload(1704067200), json_reply(R"({ "status": "OK", "curPlayTime": "2024-01-01 01:00:00" })")},
        {__LINE__, "UTC", 8102, int_payload(1704067261), json_reply(R"({ "status": "OK", "curPlayTime": "2024-01-01 00:01:01" })")},
        {__LINE__, "UTC", 6153, int_payload(0), failed_reply()},
        {__LINE__, "UTC", 8102, int_payload(-5), failed_reply()},
        {__LINE__, "UTC", 6153, bytes(3, 1), failed_reply()},
        {__LINE__, "UTC", 8116, times({{4, 1704067200}, {5, 1704067201}}),
         json_reply(R"({ "status": "OK", "curPlayTime": [ { "PlayTime": "2024-01-01 00:00:00", "sid": 4 }, )"
                    R"({ "PlayTime": "2024-01-01 00:00:01", "sid": 5 } ] })")},
        {__LINE__, "UTC", 8104, int_payload(1704067200), json_reply(R"({ "status": "OK", "realJumpTime": "2024-01-01 00:00:00" })")},
        {__LINE__, "UTC", 8115, times({{6, 1704067202}}),
         json_reply(R"({ "status": "OK", "JumpTime": [ { "realJumpTime": "2024-01-01 00:00:02", "sid": 6 } ] })")},
        {__LINE__, "UTC", 6148, int_payload(-1), json_reply(R"({ "status": "ERROR" })")},
        {__LINE__, "UTC", 6148, int_payload(-2), json_reply(R"({ "status": "OK" })")},
    };
    for (const auto& r : rows) {
        fresh_case();
        core.use_defaults(false);
        core.add_reply(1153, r.reply_id, r.reply);
        cgi_result res = get("/4002", "12", {{"TZ", r.tz}});
        EXPECT_EQ(res.out, r.out) << "row at line " << r.line;
        expect_sent({{1153, int_payload(12)}}, r.line);
    }
    for (const char* bad : {"-1", "abc", "", "12x", "99999999999"}) {
        fresh_case();
        EXPECT_EQ(get("/4002", bad).out, "") << bad;
        EXPECT_TRUE(sent().empty()) << bad;
    }
}

}  // namespace
}  // namespace pbtest
