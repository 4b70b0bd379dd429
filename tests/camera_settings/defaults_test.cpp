// The stream and image pages against the simulator's default replies: each
// waiting request gets its rendered answer, never the failure reply, and
// the sets that do not wait are notices the simulator does not answer.
#include "tests/harness/exchange_case.h"

namespace xcase {
namespace {

class CameraSettingsDefaults : public exchange_case {};

TEST_F(CameraSettingsDefaults, EveryWaitingRequestIsAnswered) {
    const std::string one =
        R"({"id":2,"mainFramerate":25,"mainBitrate":4096,"mainResWidth":1920,"mainResHeight":1080,"subEnable":1,"audioEnable":1})";
    struct row {
        int line;
        std::string code, body;
        std::string part;  // a piece of the reply
    } rows[] = {
        // Even channels hold a 4K camera, odd ones a 1080p camera.
        {__LINE__, "/2009", R"({"chnid":2})", R"("main": { "curRes": 0, "res": [ { "width": 3840, "height": 2160, "name": "3840*2160" })"},
        {__LINE__, "/2009", R"({"chnid":3})", R"("main": { "curRes": 0, "res": [ { "width": 1920, "height": 1080, "name": "1920*1080" })"},
        {__LINE__, "/2010", one, R"({ "res": "0010)"},
        {__LINE__, "/2030", R"({"chans":[0,1,0,1]})", R"({ "res": "0101)"},
        {__LINE__, "/2060", R"({"chnid":6,"fisheyeType":1})", R"({ "chnid": 6, "enable": 1, "framerate": 15,)"},
        {__LINE__, "/2061", R"({"chnid":6})", R"({ "res": 0 })"},
        {__LINE__, "/2019", R"({"id":6})", R"({ "id": 6, "smartir": 1,)"},
        {__LINE__, "/2021", R"({"id":6})", R"("productmodel": "IPC-4K-B",)"},
        {__LINE__, "/2022", R"({"id":6})", "\r\n\r\nOK"},
        {__LINE__, "/2037", R"({"id":6})", R"({ "id": 1, "enable": 1, "startHour": 18,)"},
        {__LINE__, "/2039", R"({"id":6})", R"({ "id": 0, "enable": 1, "left": 100, "top": 100, "right": 400, "bottom": 300 })"},
        {__LINE__, "/2041", R"({"id":6})", R"({ "schedule": [ [ { "startTime": "00:00", "endTime": "24:00", "actionType": 1 })"},
        {__LINE__, "/2043", R"({"id":6})", R"("actionType": 1, "exposureTime": 8, "gainLevel": 30 })"},
        {__LINE__, "/2045", R"({"id":6})", R"({ "schedule": [ [ { "startTime": "00:00", "endTime": "24:00", "actionType": 1 })"},
        {__LINE__, "/2062", R"({"chnid":6})", R"({ "chnid": 6, "nightMode": 0 })"},
    };
    for (const auto& r : rows) {
        cgi_result res = post(r.code, r.body);
        EXPECT_NE(res.out.find(r.part), std::string::npos) << "row at line " << r.line << ": " << res.out;
    }
}

TEST(CameraSettingsDefaultRows, WaitingMessagesAreAnsweredAndSetsAreNotices) {
    for (int32_t id : {1217, 1218, 1219, 3203, 3204, 3221, 3223, 3224, 3271, 3273, 3275, 3277, 3278}) {
        const coresim::default_reply* row = coresim::find_default(id);
        ASSERT_NE(row, nullptr) << id;
        EXPECT_GT(row->reply_size, 0) << id;
    }
    for (int32_t id : {3279, 3280, 3281, 3282, 3283, 3284, 3288}) {
        const coresim::default_reply* row = coresim::find_default(id);
        ASSERT_NE(row, nullptr) << id;
        EXPECT_LT(row->reply_size, 0) << id;
    }
}

}  // namespace
}  // namespace xcase
