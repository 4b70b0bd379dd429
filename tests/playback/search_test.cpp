// Search of recordings (/4000) and paging (/4023): the messages sent, and
// the search result rendered from the core's sections.
#include "platform/tqdb/tqdb.h"
#include "tests/playback/playback_fixture.h"

namespace pbtest {
namespace {

// The 1159 payload: mask, reserved, main flag, sub stream, -1, -1, times.
bytes search_msg(const std::string& mask, int32_t sub, const std::string& time, const std::string& end) {
    return record(148).text(0, mask).i32(68, 1).i32(72, sub).i32(76, -1).i32(80, -1).text(84, time).text(116, end);
}

// A 104-byte section: camId, sid, -, lock, -, recordType, start, end.
bytes section(int32_t cam, int32_t sid, int32_t lock, int32_t type, const std::string& start,
              const std::string& end) {
    return record(104).i32(0, cam).i32(4, sid).i32(8, 77).i32(12, lock).i32(16, 88).i32(20, type)
        .text(24, start).text(56, end).fill(88, 16, 'z');
}

TEST_F(Playback, SearchMasksTheChannelAndReleasesAReusedSessionFirst) {
    const std::string t = "2024-01-02 00:00:00", e = "2024-01-02 23:59:59";
    const std::string long_time(40, '7');
    struct row {
        int line;
        int cameras;
        std::string body;
        std::vector<msg> want;
    } rows[] = {
        {__LINE__, 16, R"({"channelId":3,"sid":-1,"streamType":0,"time":")" + t + R"(","endTime":")" + e + "\"}",
         {{1159, search_msg("0001" + std::string(12, '0'), 0, t, e)}}},
        {__LINE__, 32, R"({"channelId":0,"sid":5,"streamType":1,"time":")" + t + R"(","endTime":")" + e + "\"}",
         {{1160, session_list({5}, 1)}, {1903, int_payload(5)},
          {1159, search_msg("1" + std::string(31, '0'), 1, t, e)}}},
        // A stream type other than 1 searches the main stream.
        {__LINE__, 32, R"({"channelId":1,"sid":-2,"streamType":2,"time":")" + t + R"(","endTime":")" + e + "\"}",
         {{1159, search_msg("01" + std::string(30, '0'), 0, t, e)}}},
        // A channel beyond the cameras marks none; the camera count is at most 64.
        {__LINE__, 8, R"({"channelId":70,"sid":-1,"streamType":0,"time":")" + t + R"(","endTime":")" + e + "\"}",
         {{1159, search_msg(std::string(8, '0'), 0, t, e)}}},
        {__LINE__, 100, R"({"channelId":63,"sid":-1,"streamType":0,"time":")" + t + R"(","endTime":")" + e + "\"}",
         {{1159, search_msg(std::string(63, '0') + "1", 0, t, e)}}},
        // Times are cut to 31 characters.
        {__LINE__, 1, R"({"channelId":0,"sid":-1,"streamType":0,"time":")" + long_time + R"(","endTime":")" + long_time + "\"}",
         {{1159, search_msg("1", 0, long_time.substr(0, 31), long_time.substr(0, 31))}}},
    };
    for (const auto& r : rows) {
        fresh_case();
        ASSERT_EQ(set_param_int(TQDB_FILE, "max_cameras", r.cameras), 0);
        cgi_result res = post("/4000", r.body);
        EXPECT_NE(res.out.find("\"status\": \"OK\""), std::string::npos) << "row at line " << r.line << ": " << res.out;
        expect_sent(r.want, r.line);
    }
}

TEST_F(Playback, SearchAndPagingRefuseIncompleteRequestsSilently) {
    struct row {
        int line;
        std::string code, body;
    } rows[] = {
        {__LINE__, "/4000", R"({"sid":-1,"streamType":0,"time":"a","endTime":"b"})"},
        {__LINE__, "/4000", R"({"channelId":1,"streamType":0,"time":"a","endTime":"b"})"},
        {__LINE__, "/4000", R"({"channelId":1,"sid":-1,"time":"a","endTime":"b"})"},
        {__LINE__, "/4000", R"({"channelId":1,"sid":-1,"streamType":0,"endTime":"b"})"},
        {__LINE__, "/4000", R"({"channelId":1,"sid":-1,"streamType":0,"time":"a"})"},
        {__LINE__, "/4000", "channelId=1"},
        {__LINE__, "/4000", "[1,2]"},
        {__LINE__, "/4023", "not json"},
    };
    for (const auto& r : rows) {
        fresh_case();
        cgi_result res = post(r.code, r.body);
        EXPECT_EQ(res.out, "") << "row at line " << r.line;
        EXPECT_EQ(res.status, 0) << "row at line " << r.line;
        EXPECT_TRUE(sent().empty()) << "row at line " << r.line;
    }
}

TEST_F(Playback, SearchResultIsRenderedFromTheSectionsThePayloadHolds) {
    const bytes two = concat({section(3, 41, 1, 2, "2024-01-02 01:00:00", "2024-01-02 02:00:00"),
                              section(4, 42, 0, 1, "2024-01-02 03:00:00", "2024-01-02 04:00:00")});
    const std::string two_json =
        R"({ "status": "OK", "camId": 4, "sectionNum": 2, "sid": 41, "section": [ )"
        R"({ "startTime": "2024-01-02 01:00:00", "endTime": "2024-01-02 02:00:00", "recordType": 2, "lock": 1 }, )"
        R"({ "startTime": "2024-01-02 03:00:00", "endTime": "2024-01-02 04:00:00", "recordType": 1, "lock": 0 } ] })";
    // Times that fill their 32-byte fields end at the field.
    const bytes full = record(104).i32(0, 9).i32(4, 10).fill(24, 64, '8');
    const std::string full_json = R"({ "status": "OK", "camId": 9, "sectionNum": 1, "sid": 10, "section": [ { "startTime": ")" +
                                  std::string(32, '8') + R"(", "endTime": ")" + std::string(32, '8') +
                                  R"(", "recordType": 0, "lock": 0 } ] })";
    const std::string search = R"({"channelId":3,"sid":-1,"streamType":0,"time":"a","endTime":"b"})";
    const std::string page = R"({"sid":41,"page":2})";
    struct row {
        int line;
        std::string code, body;
        int32_t request_id, reply_id;
        bytes reply;  // empty: no answer
        std::string out;
    } rows[] = {
        {__LINE__, "/4000", search, 1159, 6159, two, json_reply(two_json)},
        {__LINE__, "/4023", page, 1161, 6161, two, json_reply(two_json)},
        // Bytes beyond the last whole record are not read as a record.
        {__LINE__, "/4000", search, 1159, 6159, concat({two, bytes(103, 0xff)}), json_reply(two_json)},
        {__LINE__, "/4000", search, 1159, 6159, full, json_reply(full_json)},
        // Less than one record: no matches.
        {__LINE__, "/4000", search, 1159, 6159, bytes(60, 1), json_reply(R"({ "status": "NO MATCHES" })")},
        {__LINE__, "/4023", page, 1161, 6161, bytes(4, 0), json_reply(R"({ "status": "NO MATCHES" })")},
        // An answer the module does not know does not end the search.
        {__LINE__, "/4000", search, 1159, 6999, two, failed_reply()},
        {__LINE__, "/4000", search, 1159, 0, {}, failed_reply()},
    };
    for (const auto& r : rows) {
        fresh_case();
        core.use_defaults(false);
        if (r.reply_id) core.add_reply(r.request_id, r.reply_id, r.reply);
        cgi_result res = post(r.code, r.body);
        EXPECT_EQ(res.out, r.out) << "row at line " << r.line;
    }
    // Paging sends the session and page as they came.
    fresh_case();
    post("/4023", R"({"sid":41,"page":2})");
    post("/4023", R"({})");
    expect_sent({{1161, record(8).i32(0, 41).i32(4, 2)}, {1161, record(8)}}, __LINE__);
}

// A reply without payload reaches the module with no payload at all: for the
// replies that list records it is a list of none, not a missing answer.
TEST_F(Playback, RepliesWithoutPayloadAreListsOfNoRecords) {
    const std::string search = R"({"channelId":3,"sid":-1,"streamType":0,"time":"a","endTime":"b"})";
    struct row {
        int line;
        std::string code, body;
        int32_t request_id, reply_id;
        std::string out;
    } rows[] = {
        {__LINE__, "/4000", search, 1159, 6159, json_reply(R"({ "status": "NO MATCHES" })")},
        {__LINE__, "/4023", R"({"sid":41,"page":2})", 1161, 6161, json_reply(R"({ "status": "NO MATCHES" })")},
        {__LINE__, "/4018", "", 3503, 8503, json_reply(R"({ "rtspaddr": [ ] })")},
        {__LINE__, "/4002", "12", 1153, 8116, json_reply(R"({ "status": "OK", "curPlayTime": [ ] })")},
        {__LINE__, "/4002", "12", 1153, 8115, json_reply(R"({ "status": "OK", "JumpTime": [ ] })")},
        // A reply that must hold a time is still a failure without it.
        {__LINE__, "/4002", "12", 1153, 6153, failed_reply()},
    };
    for (const auto& r : rows) {
        fresh_case();
        core.use_defaults(false);
        core.add_reply(r.request_id, r.reply_id, {});
        EXPECT_EQ(post(r.code, r.body).out, r.out) << "row at line " << r.line;
    }
}

}  // namespace
}  // namespace pbtest
