// Every waiting PTZ request against the simulator's default replies, and
// one simulator row for each PTZ message.
#include "tests/ptz/ptz_bytes.h"

namespace xcase {
namespace {

class PtzDefaults : public exchange_case {};

TEST_F(PtzDefaults, EveryWaitingRequestIsAnswered) {
    struct row {
        int line;
        std::string code, body;
        std::string begins;
    } rows[] = {
        {__LINE__, "/5000", R"({"channelId":0,"action":1,"panSpeed":2})", text_reply("OK")},
        {__LINE__, "/5001", R"({"channelId":0,"action":22,"presetId":1,"panSpeed":1,"tiltSpeed":1,"zoomSpeed":1,"focusSpeed":1,"fisheyeType":1,"name":"a"})",
         text_reply("OK")},
        {__LINE__, "/5005", R"({"chn":0})",
         json_reply(R"({ "status": "OK", "PRESET": [ { "enable": 0, "name": "" }, { "enable": 1, "name": "Preset 1" })")},
        {__LINE__, "/5005", R"({"chn":0,"fisheyeType":1,"streamId":1})", json_reply(R"({ "status": "OK", "PRESET": )")},
        {__LINE__, "/5008", R"({"chn":0,"Speed":3})", text_reply("OK")},
        {__LINE__, "/5009", R"({"chnid":3,"ptzCmd":1})", json_reply(R"({ "res": 0 })")},
        {__LINE__, "/5010", R"({"chnid":3})", json_reply(R"({ "chnid": 3, "status": 0 })")},
        {__LINE__, "/5011", R"({"chnId":3})", json_reply(R"({ "status": 0, "chnId": 3, "zoomStatus": 0)")},
        {__LINE__, "/5012", R"({"chnId":3})", json_reply(R"({ "status": 0 })")},
        {__LINE__, "/6052", R"({"camId":3})", text_reply("0")},
    };
    for (const auto& r : rows) {
        cgi_result res = post(r.code, r.body);
        EXPECT_EQ(res.out.rfind(r.begins, 0), 0u) << "row at line " << r.line << ": " << res.out.substr(0, 200);
    }
    // The default tour runs over presets 1..4.
    cgi_result ov = post("/5005", R"({"chn":0})");
    EXPECT_NE(ov.out.find(R"("TOUR": [ [ { "preset_id": 1, "speed": 5, "timeout": 10 }, )"), std::string::npos);
}

TEST(PtzDefaultRows, EveryPtzMessageHasOneRow) {
    const int32_t waiting[] = {1265, 1268, 1270, 1271, 3361, 3363, 3226, 1262};
    const int32_t notices[] = {1251, 1252, 1253, 1254, 1257, 1260, 1261, 1264, 1266, 1267, 1269};
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
}  // namespace xcase
