// Every waiting camera query against the simulator's default replies: each
// gets a rendered answer, never the failure reply.
#include "tests/harness/exchange_case.h"

namespace xcase {
namespace {

class CameraQueryDefaults : public exchange_case {};

TEST_F(CameraQueryDefaults, EveryWaitingQueryIsAnswered) {
    struct row {
        int line;
        std::string code, body;
        std::string out;
    } rows[] = {
        {__LINE__, "/2023", R"({"id":1,"pagename":"","httpname":"a.html","key":"hue"})",
         json_reply(R"({ "id": 1, "pagename": "", "httpname": "a.html", "key": "hue", "value": "1" })")},
        {__LINE__, "/2024", R"({"id":1,"key":"hue","value":"2"})", text_reply("OK")},
        {__LINE__, "/2025", R"({"id":1})", json_reply(R"({ "type": 0 })")},
        {__LINE__, "/2026", R"({"cmd":"Enter"})", json_reply(R"({ "result": "OK" })")},
        {__LINE__, "/2027", "", json_reply(R"({ "chip_code": "TQ3536C-A1" })")},
        {__LINE__, "/2028", "", json_reply(R"({ "Motion": "1)" + std::string(63, '0') + R"(" })")},
        {__LINE__, "/2056", R"({"chnid":9})", json_reply(R"({ "res": 0 })")},
        {__LINE__, "/2057", R"({"chnid":2})",
         json_reply(R"({ "chnid": 2, "ipaddr": "192.168.1.103", "model": "IPC-T4280", "fwversion": "V5.2.1 build 240312" })")},
        {__LINE__, "/2058", R"({"chnid":9})", json_reply(R"({ "chnid": 9, "enable": 0, "watermark": "NVR" })")},
        {__LINE__, "/2059", R"({"chnid":9,"copy":""})", json_reply(R"({ "res": 0 })")},
    };
    for (const auto& r : rows) {
        cgi_result res = r.body.empty() ? cgi_get(root, r.code) : post(r.code, r.body);
        EXPECT_EQ(res.out, r.out) << "row at line " << r.line;
    }
    cgi_result all = cgi_get(root, "/2029");
    EXPECT_NE(all.out.find(R"({ "chnid": 63, "ipaddr": "", "model": "", "fwversion": "" } ] })"), std::string::npos);
    cgi_result days = post("/2013", R"({"time":"2024-02-10 08:00:00","chnid":0,"streamType":0})");
    EXPECT_EQ(days.out, json_reply("[ 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "
                                   "0, 0, 0, 0 ]"));
}

// Each message of the queries has exactly one row in the simulator.
TEST(CameraQueryDefaultRows, EveryMessageHasOneRow) {
    const int32_t waiting[] = {3225, 3226, 2503, 4002, 4004, 3307, 2505, 2507, 1262, 1213, 1216, 3493};
    const std::vector<int32_t> conflicts = coresim::default_conflicts();
    for (int32_t id : waiting) {
        const coresim::default_reply* row = coresim::find_default(id);
        ASSERT_NE(row, nullptr) << id;
        EXPECT_GT(row->reply_size, 0) << id;
        EXPECT_EQ(std::count(conflicts.begin(), conflicts.end(), id), 0) << id;
    }
}

}  // namespace
}  // namespace xcase
