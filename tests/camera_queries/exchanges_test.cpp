// Camera queries end to end: each request's message bytes, its rendering of
// the core's answer, its refusals, and its failure reply when the answer
// does not come or is too short.
#include "tests/harness/exchange_case.h"

namespace xcase {
namespace {

// The 392-byte camera web parameter message.
bytes web_param(int32_t id, const std::string& page, const std::string& http, const std::string& key,
                const std::string& value, int32_t flag) {
    return record(392).i32(0, id).text(4, page).text(68, http).text(132, key).text(260, value).i32(388, flag);
}

// Answer 8225: id, 4 bytes, then the four texts.
bytes web_param_answer(int32_t id, const std::string& page, const std::string& http, const std::string& key,
                       const std::string& value) {
    return record(392).i32(0, id).text(8, page).text(72, http).text(136, key).text(264, value);
}

// A 164-byte camera information entry.
bytes cam_info(int32_t chn, const std::string& ip, const std::string& model, const std::string& fw) {
    return record(164).i32(0, chn).text(4, ip).text(36, model).text(100, fw);
}

std::string cam_info_json(int chn, const std::string& ip, const std::string& model, const std::string& fw) {
    return "{ \"chnid\": " + std::to_string(chn) + ", \"ipaddr\": \"" + ip + "\", \"model\": \"" + model +
           "\", \"fwversion\": \"" + fw + "\" }";
}

bytes concat(const std::vector<bytes>& parts) {
    bytes out;
    for (const bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

std::string mask_text(std::initializer_list<int> ones) {
    std::string s(64, '0');
    for (int i : ones) s[i] = '1';
    return s;
}

// The 31 days of reply 8493 as the JSON array the page reads.
std::string days_json(std::initializer_list<int> ones) {
    std::string s = "[ ";
    for (int d = 0; d < 31; ++d) {
        bool one = std::find(ones.begin(), ones.end(), d) != ones.end();
        s += std::string(d ? ", " : "") + (one ? "1" : "0");
    }
    return s + " ]";
}

class CameraQueries : public exchange_case {};

TEST_F(CameraQueries, EachQuerySendsItsMessageAndRendersTheAnswer) {
    const std::string long_cmd(150, 'c');
    const std::string long_mark(40, 'w');
    bytes days = record(128).i32(0, 99).i32(4, 1).i32(4 + 4 * 9, 7).i32(4 + 4 * 30, -1);
    bytes info70;
    for (int i = 0; i < 70; ++i) info70 = concat({info70, cam_info(i, "", "", "")});
    std::string info64 = "{ \"IPC\": [ ";
    for (int i = 0; i < 64; ++i) info64 += (i ? ", " : "") + cam_info_json(i, "", "", "");
    info64 += " ] }";

    struct row {
        int line;
        std::string code, body;
        int32_t msg_id;
        bytes msg_payload;
        bytes answer;
        std::string out;
    } rows[] = {
        // A read with an empty page name carries flag 1, with a page name flag 0.
        {__LINE__, "/2023", R"({"id":3,"pagename":"","httpname":"image.html","key":"brightness"})", 3225,
         web_param(3, "", "image.html", "brightness", "", 1), web_param_answer(3, "img", "image.html", "brightness", "50"),
         json_reply(R"({ "id": 3, "pagename": "img", "httpname": "image.html", "key": "brightness", "value": "50" })")},
        {__LINE__, "/2023", R"({"id":4,"pagename":"p","httpname":"h","key":"k","value":"ignored"})", 3225,
         web_param(4, "p", "h", "k", "", 0), web_param_answer(4, "p", "h", "k", "v/1"),
         json_reply(R"({ "id": 4, "pagename": "p", "httpname": "h", "key": "k", "value": "v\/1" })")},
        {__LINE__, "/2024", R"({"id":2,"pagename":"","httpname":"h","key":"contrast","value":"40"})", 3226,
         web_param(2, "", "h", "contrast", "40", 0), int_bytes({0}), text_reply("OK")},
        {__LINE__, "/2024", R"({"id":2,"pagename":"","httpname":"h","key":"contrast","value":"40"})", 3226,
         web_param(2, "", "h", "contrast", "40", 0), int_bytes({5}), text_reply("ERROR")},
        // The rate control is sent after a pause, otherwise the same.
        {__LINE__, "/2024", R"({"id":1,"httpname":"h","key":"ratecontrol2","value":"1"})", 3226,
         web_param(1, "", "h", "ratecontrol2", "1", 0), int_bytes({0}), text_reply("OK")},
        {__LINE__, "/2025", R"({"id":2})", 2503, int_bytes({2}), int_bytes({7}), json_reply(R"({ "type": 7 })")},
        {__LINE__, "/2026", R"({"cmd":"Dir_Nvr_Right_10_0"})", 4002, record(100).text(0, "Dir_Nvr_Right_10_0"),
         record(116).text(16, "done"), json_reply(R"({ "result": "done" })")},
        // A long command keeps 99 characters; a result text filling the
        // answer to its end is read to the end and no further.
        {__LINE__, "/2026", R"({"cmd":")" + long_cmd + R"("})", 4002, record(100).text(0, long_cmd.substr(0, 99)),
         record(20).text(16, "abcd"), json_reply(R"({ "result": "abcd" })")},
        {__LINE__, "/2027", "", 4004, {}, record(64).text(0, "TQ-CHIP"), json_reply(R"({ "chip_code": "TQ-CHIP" })")},
        {__LINE__, "/2028", "", 3307, {}, record(8).i64(0, static_cast<int64_t>(0x8000000000000001ULL)),
         json_reply(R"({ "Motion": ")" + mask_text({0, 63}) + R"(" })")},
        {__LINE__, "/2028", "", 3307, {}, record(8).i64(0, 0x24),
         json_reply(R"({ "Motion": ")" + mask_text({2, 5}) + R"(" })")},
        {__LINE__, "/2029", "", 2505, {},
         concat({cam_info(0, "192.168.1.5", "M-1", "fw1"), cam_info(1, std::string(32, 'i'), "M-2", "fw2")}),
         json_reply(R"({ "IPC": [ )" + cam_info_json(0, "192.168.1.5", "M-1", "fw1") + ", " +
                    cam_info_json(1, std::string(32, 'i'), "M-2", "fw2") + " ] }")},
        // No more than the 64 channels, whatever the answer holds.
        {__LINE__, "/2029", "", 2505, {}, info70, json_reply(info64)},
        {__LINE__, "/2056", R"({"chnid":1})", 1262, int_bytes({1}), int_bytes({-1}), json_reply(R"({ "res": -1 })")},
        {__LINE__, "/2057", R"({"chnid":63})", 2507, int_bytes({63}), cam_info(63, "10.0.0.63", "M-63", "fw63"),
         json_reply(cam_info_json(63, "10.0.0.63", "M-63", "fw63"))},
        {__LINE__, "/2058", R"({"chnid":2})", 1213, int_bytes({2}), record(40).i32(0, 2).i32(4, 1).text(8, "NVR-2"),
         json_reply(R"({ "chnid": 2, "enable": 1, "watermark": "NVR-2" })")},
        // The copy text always marks the request's own channel.
        {__LINE__, "/2059", R"({"chnid":2,"enable":1,"watermark":"mark","copy":")" + std::string(64, '0') + R"("})", 1216,
         record(108).i32(0, 2).i32(4, 1).text(8, "mark").text(40, mask_text({2})), int_bytes({0}), json_reply(R"({ "res": 0 })")},
        {__LINE__, "/2059", R"({"chnid":5,"enable":0,"watermark":")" + long_mark + R"(","copy":"11"})", 1216,
         record(108).i32(0, 5).text(8, long_mark.substr(0, 31)).text(40, "110001"), int_bytes({3}), json_reply(R"({ "res": 3 })")},
        {__LINE__, "/2059", R"({"chnid":0,"watermark":"m","copy":")" + std::string(70, '1') + R"("})", 1216,
         record(108).i32(0, 0).text(8, "m").text(40, std::string(64, '1')), int_bytes({0}), json_reply(R"({ "res": 0 })")},
        // Year and month of the time text; the sub stream only for streamType 1.
        {__LINE__, "/2013", R"({"time":"2024-02-10 08:00:00","chnid":3,"streamType":1})", 3493,
         record(80).i32(0, 1).i32(4, 2024).i32(8, 2).text(12, mask_text({3})), days, json_reply(days_json({0, 9, 30}))},
        {__LINE__, "/2013", R"({"time":"1999-12-31 23:59:59","chnid":63,"streamType":2})", 3493,
         record(80).i32(0, 0).i32(4, 1999).i32(8, 12).text(12, mask_text({63})), record(128), json_reply(days_json({}))},
    };
    for (const auto& r : rows) {
        fresh_case();
        answer(r.msg_id, r.answer);
        cgi_result res = r.body.empty() ? cgi_get(root, r.code) : post(r.code, r.body);
        EXPECT_EQ(res.out, r.out) << "row at line " << r.line;
        expect_sent({{r.msg_id, r.msg_payload}}, r.line);
    }
}

TEST_F(CameraQueries, RefusedRequestsSendNothing) {
    struct row {
        int line;
        std::string code, body;
        std::string out;  // "" no reply at all
    } rows[] = {
        {__LINE__, "/2023", "id=3", ""},
        {__LINE__, "/2023", R"({"pagename":"p"})", ""},
        {__LINE__, "/2024", "[1,2]", ""},
        {__LINE__, "/2025", "{", ""},
        {__LINE__, "/2026", R"({"command":"x"})", ""},
        // The capability, information and watermark requests answer the JSON error.
        {__LINE__, "/2056", "chnid=1", json_failure()},
        {__LINE__, "/2056", R"({"chnid":64})", json_failure()},
        {__LINE__, "/2057", R"({"chnid":-1})", json_failure()},
        {__LINE__, "/2057", R"({})", json_failure()},
        {__LINE__, "/2058", R"({"chnid":64})", json_failure()},
        {__LINE__, "/2059", R"({"chnid":64,"copy":"1"})", json_failure()},
        {__LINE__, "/2059", "not json", json_failure()},
        // The calendar needs all three members, a channel and a whole time text.
        {__LINE__, "/2013", R"({"chnid":3,"streamType":0})", ""},
        {__LINE__, "/2013", R"({"time":"2024-02-10 08:00:00","streamType":0})", ""},
        {__LINE__, "/2013", R"({"time":"2024-02-10 08:00:00","chnid":3})", ""},
        {__LINE__, "/2013", R"({"time":"2024-02-10 08:00:00","chnid":64,"streamType":0})", ""},
        {__LINE__, "/2013", R"({"time":"2024-02-10 08:00:00","chnid":-1,"streamType":0})", ""},
        {__LINE__, "/2013", R"({"time":"2024-02-10","chnid":3,"streamType":0})", ""},
        {__LINE__, "/2013", R"({"time":"yesterday","chnid":3,"streamType":0})", ""},
        {__LINE__, "/2013", R"({"time":"2024-13-10 08:00:00","chnid":3,"streamType":0})", ""},
    };
    for (const auto& r : rows) {
        fresh_case();
        EXPECT_EQ(post(r.code, r.body).out, r.out) << "row at line " << r.line;
        EXPECT_TRUE(sent().empty()) << "row at line " << r.line << ": " << ids_text(sent());
    }
}

TEST_F(CameraQueries, AMissingOrShortAnswerGivesTheFailureReply) {
    struct row {
        int line;
        std::string code, body;
        int32_t msg_id;
        bool silent;   // no answer at all (else the short answer below)
        bytes answer;
        std::string out;
    } rows[] = {
        {__LINE__, "/2023", R"({"id":1,"key":"k"})", 3225, true, {}, text_failure()},
        {__LINE__, "/2024", R"({"id":1,"key":"k","value":"v"})", 3226, true, {}, text_failure()},
        {__LINE__, "/2025", R"({"id":1})", 2503, true, {}, text_failure()},
        {__LINE__, "/2026", R"({"cmd":"Enter"})", 4002, true, {}, text_failure()},
        {__LINE__, "/2027", "", 4004, true, {}, text_failure()},
        {__LINE__, "/2028", "", 3307, true, {}, text_failure()},
        {__LINE__, "/2029", "", 2505, true, {}, json_failure()},
        {__LINE__, "/2056", R"({"chnid":1})", 1262, true, {}, json_failure()},
        {__LINE__, "/2057", R"({"chnid":1})", 2507, true, {}, json_failure()},
        {__LINE__, "/2058", R"({"chnid":1})", 1213, true, {}, json_failure()},
        {__LINE__, "/2059", R"({"chnid":1})", 1216, true, {}, json_failure()},
        {__LINE__, "/2013", R"({"time":"2024-02-10 08:00:00","chnid":3,"streamType":0})", 3493, true, {}, json_failure()},
        // Answers shorter than their record are not read past their end.
        {__LINE__, "/2023", R"({"id":1,"key":"k"})", 3225, false, record(391), text_failure()},
        {__LINE__, "/2026", R"({"cmd":"Enter"})", 4002, false, record(15), text_failure()},
        {__LINE__, "/2028", "", 3307, false, record(4).i32(0, -1), text_failure()},
        {__LINE__, "/2057", R"({"chnid":1})", 2507, false, record(163), json_failure()},
        {__LINE__, "/2058", R"({"chnid":1})", 1213, false, record(39), json_failure()},
        {__LINE__, "/2059", R"({"chnid":1})", 1216, false, record(3), json_failure()},
        {__LINE__, "/2013", R"({"time":"2024-02-10 08:00:00","chnid":3,"streamType":0})", 3493, false, record(127),
         json_failure()},
    };
    for (const auto& r : rows) {
        fresh_case();
        if (r.silent)
            answer_nothing(r.msg_id);
        else
            answer(r.msg_id, r.answer);
        cgi_result res = r.body.empty() ? cgi_get(root, r.code) : post(r.code, r.body);
        EXPECT_EQ(res.out, r.out) << "row at line " << r.line;
        expect_sent({any_payload(r.msg_id)}, r.line);
    }
}

}  // namespace
}  // namespace xcase
