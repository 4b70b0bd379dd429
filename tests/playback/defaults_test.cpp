// Every waiting playback request against the simulator's default replies:
// each gets a rendered answer (never the failure body), and the session ids
// the defaults hand out come back in the replies.
#include "tests/playback/playback_fixture.h"

namespace pbtest {
namespace {

TEST_F(Playback, DefaultRepliesAnswerEveryWaitingRequest) {
    struct row {
        int line;
        std::string code, body;  // body "": GET without a query
        std::string contains;
    } rows[] = {
        {__LINE__, "/4000", R"({"channelId":2,"sid":-1,"streamType":0,"time":"2024-01-02 00:00:00","endTime":"2024-01-02 23:59:59"})",
         R"("camId": 2, "sectionNum": 3, "sid": 102, "section": [ { "startTime": "2024-01-02 00:00:00", "endTime": "2024-01-02 01:00:00")"},
        {__LINE__, "/4023", R"({"sid":102,"page":1})", R"("camId": 2, "sectionNum": 2, "sid": 102)"},
        {__LINE__, "/4001", R"({"channelId":2,"sid":102,"startTime":"s","endTime":"e","playTime":"2024-01-02 08:00:00"})",
         R"({ "sessionId": 102, "sourcePath": ")" + json_text("/playback/session102") + R"(", "port": 554, "status": "OK", "realPlayTime": "2024-01-02 08:00:00")"},
        {__LINE__, "/4020",
         R"({"mask0":1,"mask1":0,"mask2":0,"mask3":0,"mask4":0,"mask5":0,"mask6":0,"mask7":0,"playTime":"2024-01-02 08:00:00"})",
         R"({ "sessionId": 200, "sourcePath": ")" + json_text("/playback/session200") + R"(", "port": 554, "status": "OK", "realPlayTime": "2024-01-02 08:00:00")"},
        {__LINE__, "/4009", R"({"jumpTime":"t","sid":[102],"chnid":[2],"num":1})", R"({ "status": "OK" })"},
        {__LINE__, "/4025", R"({"ch":2,"sid":102})", R"({ "ch": 2, "sid": 102, "state": 1, "status": "OK" })"},
        {__LINE__, "/4026", R"({"ch":2,"sid":102})", R"({ "ch": 2, "sid": 102, "state": 1 })"},
        {__LINE__, "/4010", R"({"id":2,"streamType":0,"streamFrom":0})",
         R"({ "status": "OK", "port": 554, "direct": 0, "rtspAddr": ")" + json_text("rtsp://127.0.0.1:554/playback/ch3/main") +
             R"(", "resPath": ")" + json_text("/playback/ch3") + "\" }"},
        {__LINE__, "/4018", "", R"("mainUsername": "admin", "mainPassword": "", "mainPort": 554)"},
        {__LINE__, "/4021", "", R"({ "upnp_extern_port": 0, "ddns_extern_port": 0 })"},
        {__LINE__, "/3004", "", R"({ "status": "OK" })"},
        {__LINE__, "/3000", R"({"chnid":2})", R"({ "status": "OK", "brightness": 128)"},
    };
    for (const auto& r : rows) {
        cgi_result res = r.body.empty() ? cgi_get(root, r.code) : post(r.code, r.body, {{"TZ", "UTC"}});
        EXPECT_NE(res.out.find(r.contains), std::string::npos) << "row at line " << r.line << ": " << res.out;
        EXPECT_EQ(res.out.find("CGI ERROR"), std::string::npos) << "row at line " << r.line;
    }
    // The play time of a session is positive.
    EXPECT_EQ(get("/4002", "102", {{"TZ", "UTC"}}).out, json_reply(R"({ "status": "OK", "curPlayTime": "2024-01-01 00:00:00" })"));
}

}  // namespace
}  // namespace pbtest

namespace pbtest {
namespace {

// Each playback message has exactly one row in the simulator, so the page
// works against it without a script and no other module answers for us.
TEST(PlaybackDefaults, EveryPlaybackMessageHasOneRow) {
    const int32_t waiting[] = {1159, 1161, 1162, 3109, 3502, 1153, 1171, 1176, 1177, 3500, 3503, 3506, 4011, 3002};
    const int32_t notices[] = {1160, 1903, 1164, 1165, 1170, 1113, 1112, 1166, 1149, 1167, 1901, 1902, 1205};
    const std::vector<int32_t> conflicts = coresim::default_conflicts();
    for (int32_t id : waiting) {
        const coresim::default_reply* row = coresim::find_default(id);
        ASSERT_NE(row, nullptr) << id;
        EXPECT_GT(row->reply_size, 0) << id;
        EXPECT_EQ(std::count(conflicts.begin(), conflicts.end(), id), 0) << id;
    }
    for (int32_t id : notices) {
        const coresim::default_reply* row = coresim::find_default(id);
        ASSERT_NE(row, nullptr) << id;
        EXPECT_EQ(row->reply_size, -1) << id;
        EXPECT_EQ(std::count(conflicts.begin(), conflicts.end(), id), 0) << id;
    }
}

}  // namespace
}  // namespace pbtest
