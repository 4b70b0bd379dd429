// The camera firmware upgrade end to end: the 280-byte start messages with
// their 64-bit channel masks, the progress text and the URL job's reply,
// the stop notice, and the failure replies.
#include "tests/harness/exchange_case.h"

namespace xcase {
namespace {

constexpr const char* camera_image = "/dev/shm/updateIPCFM.bin";

bytes upload_start(uint64_t channels, uint64_t keep, int32_t size) {
    return record(280).i64(0, static_cast<int64_t>(channels)).i64(8, static_cast<int64_t>(keep)).i32(16, size);
}

bytes url_start(uint64_t channels, uint64_t reset, const std::string& url) {
    return record(280)
        .i64(0, static_cast<int64_t>(channels))
        .i64(8, static_cast<int64_t>(reset))
        .text(20, url)
        .text(148, camera_image);
}

// Answers 8379 and 8386: the mask and a status per channel (status n + 100
// for channel n, so that a wrong index shows).
bytes job(uint64_t channels) {
    record r(264);
    r.i64(0, static_cast<int64_t>(channels));
    for (int n = 0; n < 64; ++n) r.i32(8 + 4 * n, 100 + n);
    return r;
}

class CameraUpgrade : public exchange_case {
protected:
    cgi_result request(const std::string& code, const std::string& body) {
        return body.empty() ? cgi_get(root, code) : post(code, body);
    }
};

TEST_F(CameraUpgrade, StartsSendTheirMasksAndRenderTheAnswers) {
    const std::string long_url = "http://" + std::string(150, 'u');
    std::string all_statuses;
    for (int n = 0; n < 64; ++n) all_statuses += (n ? ", " : "") + std::to_string(100 + n);
    struct row {
        int line;
        std::string code, body;
        int32_t msg_id;
        bytes payload, answer;
        std::string out;
    } rows[] = {
        // Channels 0 and 2; the reset mask goes as its complement.
        {__LINE__, "/2078", R"({"chnid":5,"reset":1,"fileSize":123456})", 3385, upload_start(5, ~uint64_t{1}, 123456),
         int_bytes({0}), json_reply(R"({ "res": 0 })")},
        // -1 is every channel, widened with its sign.
        {__LINE__, "/2078", R"({"chnid":-1,"reset":-1,"fileSize":1})", 3385, upload_start(~uint64_t{0}, 0, 1),
         int_bytes({-7}), json_reply(R"({ "res": -7 })")},
        // Channel 31 alone, and channels above 31 one by one.
        {__LINE__, "/2078", R"({"chnid":2147483648})", 3385, upload_start(uint64_t{1} << 31, ~uint64_t{0}, 0),
         int_bytes({0}), json_reply(R"({ "res": 0 })")},
        {__LINE__, "/2078", R"({"chnid":9223372036854775808,"reset":4294967296})", 3385,
         upload_start(uint64_t{1} << 63, ~(uint64_t{1} << 32), 0), int_bytes({0}), json_reply(R"({ "res": 0 })")},
        {__LINE__, "/2078", R"({"chnid":1})", 3385, upload_start(1, ~uint64_t{0}, 0), bytes{1, 2}, json_failure()},
        // The URL keeps 127 characters; the reply lists the statuses of the
        // mask's channels, and its low 32 bits.
        {__LINE__, "/2080", R"({"chnid":5,"reset":4,"url":"http://srv/cam.bin"})", 3379,
         url_start(5, 4, "http://srv/cam.bin"), job(5), json_reply(R"({ "chnid": 5, "status": [ 100, 102 ] })")},
        {__LINE__, "/2080", R"({"chnid":-1,"url":")" + long_url + R"("})", 3379,
         url_start(~uint64_t{0}, 0, long_url.substr(0, 127)), job(~uint64_t{0}),
         json_reply(R"({ "chnid": -1, "status": [ )" + all_statuses + " ] }")},
        {__LINE__, "/2080", R"({"chnid":0})", 3379, url_start(0, 0, ""), job((uint64_t{1} << 40) | 8),
         json_reply(R"({ "chnid": 8, "status": [ 103, 140 ] })")},
        {__LINE__, "/2080", R"({"chnid":3})", 3379, url_start(3, 0, ""), record(263), json_failure()},
        // The progress text: the mask line and one line per channel of it.
        {__LINE__, "/2079", "", 3386, {}, job((uint64_t{1} << 40) | 8),
         text_reply("chnid=1099511627784\r\nstatus3=103\r\nstatus40=140\r\n")},
        {__LINE__, "/2079", "", 3386, {}, job(0), text_reply("chnid=0\r\n")},
        {__LINE__, "/2079", "", 3386, {}, record(100), text_failure()},
    };
    for (const auto& r : rows) {
        fresh_case();
        answer(r.msg_id, r.answer);
        EXPECT_EQ(request(r.code, r.body).out, r.out) << "row at line " << r.line;
        expect_sent({{r.msg_id, r.payload}}, r.line);
    }
}

// Every channel in the progress: 65 lines, within the 2047 characters.
TEST_F(CameraUpgrade, ProgressOfEveryChannel) {
    answer(3386, job(~uint64_t{0}));
    std::string want = "chnid=-1\r\n";
    for (int n = 0; n < 64; ++n) want += "status" + std::to_string(n) + "=" + std::to_string(100 + n) + "\r\n";
    ASSERT_LT(want.size(), 2047u);
    EXPECT_EQ(cgi_get(root, "/2079").out, text_reply(want));
}

// The stop is a notice and answers nothing; a text that is not JSON gets the
// JSON failure and sends nothing.
TEST_F(CameraUpgrade, StopAndRefusals) {
    struct row {
        int line;
        std::string code, body;
        std::vector<msg> want;
        std::string out;
    } rows[] = {
        {__LINE__, "/2081", R"({"stop":1})", {{3390, int_bytes({1})}}, ""},
        {__LINE__, "/2081", "{}", {{3390, int_bytes({0})}}, ""},
        {__LINE__, "/2081", "stop=1", {}, json_failure()},
        {__LINE__, "/2078", "chnid=1", {}, json_failure()},
        {__LINE__, "/2080", "[1]", {}, json_failure()},
    };
    for (const auto& r : rows) {
        fresh_case();
        EXPECT_EQ(post(r.code, r.body).out, r.out) << "row at line " << r.line;
        expect_sent(r.want, r.line);
    }
}

// Unanswered starts and progress give their failure replies (the URL job
// waits 6000 rounds: a larger time divisor).
TEST_F(CameraUpgrade, UnansweredRequestsFail) {
    setenv("NVR_TIME_DIVISOR", "5000", 1);
    struct row {
        int line;
        std::string code, body;
        int32_t msg_id;
        std::string out;
    } rows[] = {
        {__LINE__, "/2078", R"({"chnid":1})", 3385, json_failure()},
        {__LINE__, "/2080", R"({"chnid":1})", 3379, json_failure()},
        {__LINE__, "/2079", "", 3386, text_failure()},
    };
    for (const auto& r : rows) {
        fresh_case();
        answer_nothing(r.msg_id);
        EXPECT_EQ(request(r.code, r.body).out, r.out) << "row at line " << r.line;
    }
}

// The simulator's defaults answer every waiting message of the upgrade.
TEST_F(CameraUpgrade, SimulatorDefaultsAnswerEveryWaitingMessage) {
    EXPECT_EQ(post("/2078", R"({"chnid":3})").out, json_reply(R"({ "res": 0 })"));
    EXPECT_EQ(post("/2080", R"({"chnid":6,"url":"http://srv/cam.bin"})").out,
              json_reply(R"({ "chnid": 6, "status": [ 0, 0 ] })"));
    EXPECT_EQ(cgi_get(root, "/2079").out,
              text_reply("chnid=15\r\nstatus0=0\r\nstatus1=0\r\nstatus2=0\r\nstatus3=0\r\n"));
}

}  // namespace
}  // namespace xcase
