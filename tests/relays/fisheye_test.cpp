// Fisheye settings and the zoom state end to end: message bytes, the
// rendering of each answer, refusals and failure replies.
#include "tests/relays/relay_cases.h"

namespace xcase {
namespace {

// The camera address record (260 bytes).
record address(const std::string& ddns, const std::string& ip, const std::string& user, const std::string& password,
               int32_t port) {
    record r(260);
    r.text(0, ddns).text(64, ip).text(128, user).text(192, password).i32(256, port);
    return r;
}

class Fisheye : public relay_case {};

TEST_F(Fisheye, EachRequestSendsItsMessageAndRendersTheAnswer) {
    const std::string long_text(70, 'p');
    const std::string caps_json = R"({ "support": 1, "transfer": 2, "install": 3, "display": 4, "streamCnt": 5 })";
    run(std::vector<exchange>{
        {__LINE__, "/6130", R"({"id":5})", 3232, int_bytes({5}), int_bytes({5, 1, 2, 3, 4}),
         json_reply(R"({ "chnid": 5, "result": 4, "fishmount": 1, "fishdisplay": 2, "fishcorrect": 3 })")},
        // Record order whatever the request's; a "result" member is not sent.
        {__LINE__, "/6131", R"({"fishcorrect":3,"fishdisplay":2,"fishmount":1,"chnid":7,"result":9})", 3231,
         int_bytes({7, 1, 2, 3, 0}), int_bytes({0}), text_reply("OK")},
        {__LINE__, "/6131", R"({"chnid":7})", 3231, int_bytes({7, 0, 0, 0, 0}), int_bytes({1}), text_reply("FAILED")},
        {__LINE__, "/6189", R"({"chnid":63})", 1215, int_bytes({63}), int_bytes({63, 2, 4}),
         json_reply(R"({ "chnid": 63, "state": 2, "zoomNumber": 4 })")},
        // Texts keep 63 characters.
        {__LINE__, "/6196",
         R"({"ddns":"cam.example","ipaddr":"10.0.0.8","username":"u","password":")" + long_text + R"(","port":8000})",
         3373, address("cam.example", "10.0.0.8", "u", long_text.substr(0, 63), 8000), int_bytes({1, 2, 3, 4, 5}),
         json_reply(caps_json)},
        // Only an exact 1 is support.
        {__LINE__, "/6196", R"({"ipaddr":"10.0.0.8"})", 3373, address("", "10.0.0.8", "", "", 0),
         int_bytes({2, 2, 3, 4, 5}), json_reply(R"({ "support": 0, "transfer": 2, "install": 3, "display": 4, "streamCnt": 5 })")},
        {__LINE__, "/6197",
         R"({"display":3,"ipaddr":"10.0.0.8","port":80,"transfer":1,"install":2,"username":"admin","password":"pw"})",
         3374, concat({address("", "10.0.0.8", "admin", "pw", 80), int_bytes({1, 2, 3})}), int_bytes({-1}),
         json_reply(R"({ "res": -1 })")},
    });
}

TEST_F(Fisheye, ARefusedRequestSendsNothing) {
    run(std::vector<refusal>{
        {__LINE__, "/6130", R"({"id":64})", ""},
        {__LINE__, "/6130", R"({"id":-1})", ""},
        {__LINE__, "/6130", R"({"chnid":1})", ""},
        {__LINE__, "/6130", "id=1", ""},
        {__LINE__, "/6131", "chnid=1", ""},
        {__LINE__, "/6196", "[]", ""},
        {__LINE__, "/6197", "{", ""},
        // The zoom state answers the JSON error for both.
        {__LINE__, "/6189", R"({"chnid":64})", json_failure()},
        {__LINE__, "/6189", "chnid", json_failure()},
    });
}

TEST_F(Fisheye, AMissingOrShortAnswerGivesTheFailureReply) {
    run(std::vector<missing_answer>{
        {__LINE__, "/6130", R"({"id":1})", 3232, true, {}, text_failure()},
        {__LINE__, "/6130", R"({"id":1})", 3232, false, record(19), text_failure()},
        {__LINE__, "/6131", R"({"chnid":1})", 3231, false, record(3), json_failure()},
        {__LINE__, "/6189", R"({"chnid":1})", 1215, false, record(11), json_failure()},
        {__LINE__, "/6196", R"({"ipaddr":"h"})", 3373, false, record(19), json_failure()},
        {__LINE__, "/6197", R"({"ipaddr":"h"})", 3374, true, {}, json_failure()},
    });
}

}  // namespace
}  // namespace xcase
