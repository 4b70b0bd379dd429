// Restart, factory reset and the firmware upgrades end to end: the messages
// each request sends (bytes and order), how it renders the core's answers,
// the upgrade result rule (1 restarts, any other result is answered and
// does not restart, no answer is 0), and the refusals that send nothing.
#include <cstdlib>

#include "tests/maintenance/maintenance_case.h"

namespace xcase {
namespace {

enum class how { get, json, upload };

bytes camera_upgrade(int32_t chnid, int32_t reset) {
    return record(264).i32(0, chnid).i32(4, reset).text(8, camera_image);
}

bytes image_fetch(const std::string& url, const std::string& target) {
    return record(256).text(0, url).text(128, target);
}

bytes upgrade_info(int32_t state, int32_t size, const std::string& version, const std::string& url,
                   const std::string& description) {
    return record(328).i32(0, state).i32(4, size).text(8, version).text(72, url).text(200, description);
}

// json-c writes '/' as "\/".
std::string json_text(const std::string& text) {
    std::string out;
    for (char c : text) out += c == '/' ? std::string("\\/") : std::string(1, c);
    return out;
}

std::string upgrade_info_json(int state, int size, const std::string& version, const std::string& url,
                              const std::string& description) {
    return "{ \"state\": " + std::to_string(state) + ", \"fileSize\": " + std::to_string(size) +
           ", \"softversion\": \"" + version + "\", \"url\": \"" + json_text(url) + "\", \"description\": \"" + description +
           "\" }";
}

bytes concat(std::vector<bytes> parts) {
    bytes out;
    for (const bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

const msg restart_log = {3485, oplog(200, 900, 0)};
const msg restart = {1703, {}};
const msg upgrade_log = {3485, oplog(203, 900, 0)};

class Upgrade : public maintenance_case {
protected:
    cgi_result request(how h, const std::string& code, const std::string& text) {
        if (h == how::upload) return upload(code, text, "fw.bin", "image bytes");
        if (h == how::json) return post(code, text);
        return get(code, text);
    }
};

TEST_F(Upgrade, EachRequestSendsItsMessagesAndAnswers) {
    const std::string long_url = "http://" + std::string(140, 'u');
    bytes check = record(20992);
    bytes info2 = upgrade_info(1, 4096, "V2.1", "http://cam/2.bin", "two");
    std::copy(info2.begin(), info2.end(), check.begin() + 2 * 328);
    std::string check_json = "{ \"check\": [ ";
    for (int n = 0; n < 64; ++n)
        check_json += (n ? ", " : "") + (n == 2 ? upgrade_info_json(1, 4096, "V2.1", "http://cam/2.bin", "two")
                                               : upgrade_info_json(0, 0, "", "", ""));
    check_json += " ] }";

    struct row {
        int line;
        how h;
        std::string code, text;
        int32_t answered = 0;  // the message the core answers (0 none)
        bytes answer;
        std::vector<msg> want;
        std::string out;
    } rows[] = {
        {__LINE__, how::get, "/1004", "", 0, {}, {restart_log, restart}, text_reply("OK")},
        {__LINE__, how::json, "/1006", R"({"keepIp":1,"keepUser":0})", 0, {},
         {{3311, int_bytes({1, 0})}, {3410, {}}, {3485, oplog(215, 900, 0)}, restart}, text_reply("OK")},
        {__LINE__, how::json, "/1006", "{}", 0, {},
         {{3311, int_bytes({0, 0})}, {3410, {}}, {3485, oplog(215, 900, 0)}, restart}, text_reply("OK")},
        // The reset flag is 1 when the query holds "reset"; the result 0 is
        // success: the restart sequence follows.
        {__LINE__, how::upload, "/1010", "reset=1", 1713, int_bytes({0}),
         {upgrade_log, {1713, int_bytes({1})}, restart_log, restart}, text_reply("OK")},
        {__LINE__, how::upload, "/1010", "keep", 1713, int_bytes({0}),
         {upgrade_log, {1713, int_bytes({0})}, restart_log, restart}, text_reply("OK")},
        // A daemon result of 1 reads as success too.
        {__LINE__, how::upload, "/1010", "", 1713, int_bytes({1}),
         {upgrade_log, {1713, int_bytes({0})}, restart_log, restart}, text_reply("OK")},
        // Any other result is answered as a number and nothing restarts.
        {__LINE__, how::upload, "/1010", "reset", 1713, int_bytes({5}), {upgrade_log, {1713, int_bytes({1})}},
         text_reply("5")},
        {__LINE__, how::upload, "/1010", "", 1713, int_bytes({-3}), {upgrade_log, {1713, int_bytes({0})}},
         text_reply("-3")},
        // An answer without its result is no answer.
        {__LINE__, how::upload, "/1010", "", 1713, bytes{1, 0}, {upgrade_log, {1713, int_bytes({0})}},
         text_reply("0")},
        {__LINE__, how::get, "/6088", "", 1713, int_bytes({0}),
         {{1721, {}}, upgrade_log, {1713, int_bytes({0})}, restart_log, restart}, json_reply(R"({ "res": 0 })")},
        {__LINE__, how::get, "/6088", "", 1713, int_bytes({5}), {{1721, {}}, upgrade_log, {1713, int_bytes({0})}},
         json_reply(R"({ "res": 5 })")},
        {__LINE__, how::get, "/1034", "", 0, {}, {{1721, {}}}, json_reply(R"({ "res": 0 })")},
        // The camera upgrade answers from the first record of 8350.
        {__LINE__, how::json, "/6083", R"({"chnid":3,"reset":1})", 3350, int_bytes({3, 7, 4, 9}),
         {{3350, camera_upgrade(3, 1)}}, json_reply(R"({ "chnid": 3, "status": 7 })")},
        {__LINE__, how::json, "/6083", R"({"chnid":-1})", 3350, int_bytes({3}), {{3350, camera_upgrade(-1, 0)}},
         text_failure()},
        {__LINE__, how::json, "/6085", R"({"type":0,"url":"http://srv/fw.bin"})", 1716, int_bytes({0}),
         {{1716, image_fetch("http://srv/fw.bin", recorder_image)}}, json_reply(R"({ "res": 0 })")},
        // The URL keeps 127 characters.
        {__LINE__, how::json, "/6085", R"({"type":1,"url":")" + long_url + R"("})", 1716, int_bytes({-2}),
         {{1716, image_fetch(long_url.substr(0, 127), camera_image)}}, json_reply(R"({ "res": -2 })")},
        {__LINE__, how::json, "/6085", R"({"type":1})", 1716, {}, {{1716, image_fetch("", camera_image)}},
         text_failure()},
        {__LINE__, how::json, "/6086", R"({"type":1})", 1717, int_bytes({40}), {{1717, {}}},
         json_reply(R"({ "res": 40 })")},
        {__LINE__, how::get, "/6087", "", 1715,
         concat({upgrade_info(2, 1000, "V5.3", "http://srv/5.3.bin", "fixes"), upgrade_info(9, 9, "x", "y", "z")}),
         {{1715, {}}}, json_reply(upgrade_info_json(2, 1000, "V5.3", "http://srv/5.3.bin", "fixes"))},
        {__LINE__, how::get, "/6087", "", 1715, record(327), {{1715, {}}}, text_failure()},
        // The channel text gives the mask; reading stops at any other
        // character.
        {__LINE__, how::json, "/6089", R"({"ch":"1010x1"})", 3365, check, {{3365, record(8).i64(0, 0x5)}},
         json_reply(check_json)},
        {__LINE__, how::json, "/6089", R"({"ch":")" + std::string(70, '1') + R"("})", 3365, record(20991),
         {{3365, record(8).i64(0, -1)}}, text_failure()},
    };
    for (const auto& r : rows) {
        fresh_case();
        if (r.answered) answer(r.answered, r.answer);
        cgi_result res = request(r.h, r.code, r.text);
        EXPECT_EQ(res.out, r.out) << "row at line " << r.line;
        expect_sent(r.want, r.line);
    }
}

// A waiting message that gets no answer: the upgrades answer their "no
// result" forms, the rest the plain-text failure; nothing restarts. The
// waits run at a larger time divisor (the upgrade waits 6000 rounds).
TEST_F(Upgrade, UnansweredMessagesGiveTheFailureFormsAndNoRestart) {
    setenv("NVR_TIME_DIVISOR", "5000", 1);
    struct row {
        int line;
        how h;
        std::string code, text;
        int32_t silent;
        std::vector<int32_t> want;
        std::string out;
    } rows[] = {
        {__LINE__, how::upload, "/1010", "reset", 1713, {3485, 1713}, text_reply("0")},
        {__LINE__, how::get, "/6088", "", 1713, {1721, 3485, 1713}, json_reply(R"({ "res": 0 })")},
        {__LINE__, how::json, "/6083", R"({"chnid":1})", 3350, {3350}, text_failure()},
        {__LINE__, how::json, "/6085", R"({"type":0})", 1716, {1716}, text_failure()},
        {__LINE__, how::json, "/6086", R"({"type":1})", 1717, {1717}, text_failure()},
        {__LINE__, how::get, "/6087", "", 1715, {1715}, text_failure()},
        {__LINE__, how::json, "/6089", R"({"ch":"1"})", 3365, {3365}, text_failure()},
    };
    for (const auto& r : rows) {
        fresh_case();
        answer_nothing(r.silent);
        EXPECT_EQ(request(r.h, r.code, r.text).out, r.out) << "row at line " << r.line;
        EXPECT_EQ(sent_ids(), r.want) << "row at line " << r.line;
    }
    setenv("NVR_TIME_DIVISOR", "100", 1);
}

TEST_F(Upgrade, RequestsThatAreNotTheirFormSendNothing) {
    struct row {
        int line;
        std::string code, body;
        std::string out;
    } rows[] = {
        // A text that is not a request never resets the recorder.
        {__LINE__, "/1006", "keepIp=1", json_failure()},
        {__LINE__, "/6083", "chnid=1", json_failure()},
        {__LINE__, "/6085", R"({"type":2,"url":"http://srv/fw.bin"})", json_failure()},
        {__LINE__, "/6085", R"({"url":"http://srv/fw.bin"})", json_failure()},
        {__LINE__, "/6085", "[0]", json_failure()},
        {__LINE__, "/6086", R"({"type":-1})", json_failure()},
        {__LINE__, "/6086", "type=0", json_failure()},
        {__LINE__, "/6089", "{}", json_failure()},
        {__LINE__, "/6089", "1010", json_failure()},
    };
    for (const auto& r : rows) {
        fresh_case();
        EXPECT_EQ(post(r.code, r.body).out, r.out) << "row at line " << r.line;
        EXPECT_TRUE(sent().empty()) << "row at line " << r.line << ": " << ids_text(sent());
    }
}

// The simulator's defaults make a working upgrade page: the fetch leaves
// the image where the pages look for it, and every waiting message has an
// answer that renders.
TEST_F(Upgrade, SimulatorDefaultsAnswerEveryWaitingMessage) {
    struct row {
        int line;
        how h;
        std::string code, text;
        std::string out;  // "" : only not the failure reply
    } rows[] = {
        {__LINE__, how::get, "/1011", "", text_reply("OK")},
        {__LINE__, how::json, "/6085", R"({"type":0,"url":"http://srv/fw.bin"})", json_reply(R"({ "res": 0 })")},
        {__LINE__, how::get, "/1011", "", text_reply("Error")},
        {__LINE__, how::json, "/6085", R"({"type":1,"url":"http://srv/cam.bin"})", json_reply(R"({ "res": 0 })")},
        {__LINE__, how::get, "/6082", "", text_reply("OK")},
        {__LINE__, how::json, "/6086", R"({"type":1})", json_reply(R"({ "res": 0 })")},
        {__LINE__, how::json, "/6083", R"({"chnid":3,"reset":0})", json_reply(R"({ "chnid": 3, "status": 0 })")},
        {__LINE__, how::get, "/6087", "", ""},
        {__LINE__, how::json, "/6089", R"({"ch":"01"})", ""},
        {__LINE__, how::upload, "/1010", "", text_reply("OK")},
        {__LINE__, how::get, "/6088", "", json_reply(R"({ "res": 0 })")},
    };
    for (const auto& r : rows) {
        cgi_result res = request(r.h, r.code, r.text);
        if (r.out.empty()) {
            EXPECT_EQ(res.out.rfind(json_reply("{ \""), 0), 0u) << "row at line " << r.line << ": " << res.out;
            EXPECT_NE(res.out.find("V5."), std::string::npos) << "row at line " << r.line << ": " << res.out;
        } else {
            EXPECT_EQ(res.out, r.out) << "row at line " << r.line;
        }
    }
}

}  // namespace
}  // namespace xcase
