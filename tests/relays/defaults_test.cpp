// Every waiting request of discovery, the camera's own settings and the
// fisheye against the simulator's default replies: each gets its rendered
// answer, never the failure reply, so the local server's pages work.
#include "tests/harness/exchange_case.h"

namespace xcase {
namespace {

class RelayDefaults : public exchange_case {};

TEST_F(RelayDefaults, EveryWaitingRequestIsAnswered) {
    struct row {
        int line;
        std::string code, body;
        std::string part;  // a piece of the reply
    } rows[] = {
        // Cameras of three protocols, one behind the PoE port, one on IPv6.
        {__LINE__, "/2006", R"({"protocol":0})", R"("protocol": 2, "macAddr": "02:5E:A1:20:00:32")"},
        {__LINE__, "/2006", R"({"protocol":0})", R"("netif": "eth1")"},
        {__LINE__, "/2006", R"({"protocol":0})", R"({ "ipAddr": "fd00::1:25")"},
        {__LINE__, "/2011",
         R"({"macAddr":"m","oldIpcAddr":"a","newIpcAddr":"b","netmask":"n","gateway":"g","primaryDNS":"d","username":"u","password":"p","port":80,"protocol":0})",
         R"({ "resultString": "OK" })"},
        {__LINE__, "/2014", R"({"ipAddr":"h","managePort":80,"camProtocol":0})", "\r\n\r\nOK"},
        {__LINE__, "/2015", R"({"ipAddr":"h","managePort":80,"camProtocol":0})", "\r\n\r\nOK"},
        {__LINE__, "/2033", "", R"({ "IPC": [ { "mac": "02:5E:A1:20:00:30", "result": 0 }, )"},
        {__LINE__, "/2051", R"({"chnid":6})", R"({ "chnid": 6, "enable": 1, "sensitivity": 50,)"},
        {__LINE__, "/2052", R"({"chnid":6})", R"({ "res": 0 })"},
        {__LINE__, "/2053", R"({"chnid":6,"mainType":1,"subType":2,"time":"t"})", "chnid=6 mainType=1 subType=2 time=t"},
        {__LINE__, "/2054", R"({"chnid":6})", R"({ "chnid": 6, "enable": 1, "show": 1,)"},
        {__LINE__, "/2055", R"({"chnid":6})", R"({ "res": 0 })"},
        {__LINE__, "/2063", R"({"chnid":6})", R"("bitrateInfo": [ 32, 48, 64 ])"},
        {__LINE__, "/2064", R"({"chnid":6})", "\r\n\r\nOK"},
        {__LINE__, "/2065", R"({"chnid":6})", R"({ "res": 0, "audioSupport": 1,)"},
        {__LINE__, "/6130", R"({"id":6})", R"({ "chnid": 6, "result": 0, "fishmount": 1, "fishdisplay": 2,)"},
        {__LINE__, "/6131", R"({"chnid":6})", "\r\n\r\nOK"},
        {__LINE__, "/6189", R"({"chnid":6})", R"({ "chnid": 6, "state": 0, "zoomNumber": 1 })"},
        {__LINE__, "/6196", R"({"ipaddr":"h"})", R"({ "support": 1,)"},
        {__LINE__, "/6197", R"({"ipaddr":"h"})", R"({ "res": 0 })"},
    };
    for (const auto& r : rows) {
        cgi_result res = r.body.empty() ? cgi_get(root, r.code) : post(r.code, r.body);
        EXPECT_NE(res.out.find(r.part), std::string::npos) << "row at line " << r.line << ": " << res.out;
    }
}

// Each waiting message has a row that answers (the simulator's own test
// sees that no two modules claim one), and the batch change is a notice.
TEST(RelayDefaultRows, EveryWaitingMessageIsAnsweredAndTheBatchChangeIsANotice) {
    const int32_t waiting[] = {3200, 3202, 3205, 3227, 3230, 3294, 3358, 3360, 3366,
                               3371, 3372, 3375, 3376, 1215, 3231, 3232, 3373, 3374};
    for (int32_t id : waiting) {
        const coresim::default_reply* row = coresim::find_default(id);
        ASSERT_NE(row, nullptr) << id;
        EXPECT_GT(row->reply_size, 0) << id;
    }
    ASSERT_NE(coresim::find_default(3229), nullptr);
    EXPECT_LT(coresim::find_default(3229)->reply_size, 0);
}

}  // namespace
}  // namespace xcase
