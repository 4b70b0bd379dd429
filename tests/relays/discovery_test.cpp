// Camera discovery and addressing end to end: the search, login tests and
// address changes through webreq and the fake core (message bytes, the
// rendering of each answer, refusals, failure replies), the batch of address
// changes, the protocol table in the database and the local facts.
#include "platform/tqdb/rec_ipc_protocol.h"
#include "tests/harness/db_faults.h"
#include "tests/relays/relay_cases.h"

#include <functional>

namespace xcase {
namespace {

// A 760-byte search entry: address, MAC, ports and protocol, texts, name.
bytes found(const std::string& ip, int32_t protocol, const std::string& name, const std::string& sn) {
    return record(760)
        .text(0, ip)
        .text(32, "02:00:00:00:00:01")
        .i32(64, 80)
        .i32(68, protocol)
        .text(72, "V")
        .text(264, sn)
        .text(392, "fw")
        .text(456, "M")
        .i32(520, 9)
        .text(524, "255.0.0.0")
        .text(556, "d")
        .text(588, "g")
        .text(620, "eth1")
        .i32(628, 1)
        .text(632, name)
        .text(696, sn + "R");
}

std::string found_json(const std::string& ip, int protocol, const std::string& name, const std::string& sn) {
    return R"({ "ipAddr": ")" + ip + R"(", "managePort": 80, "protocol": )" + std::to_string(protocol) +
           R"(, "macAddr": "02:00:00:00:00:01", "vendor": "V", "sn": ")" + sn +
           R"(", "fwVersion": "fw", "model": "M", "modelId": 9, "netmask": "255.0.0.0", "dns": "d", "gateway": "g", )"
           R"("netif": "eth1", "active_status": 1, "name": ")" +
           name + R"(", "snReal": ")" + sn + R"(R" })";
}

const std::string address_body =
    R"("macAddr":"02:AA","oldIpcAddr":"10.0.0.2","newIpcAddr":"10.0.0.3","netmask":"255.0.0.0",)"
    R"("gateway":"10.0.0.1","primaryDNS":"10.0.0.9","username":"admin",)";

// The 388 bytes of an address change with address_body's texts.
record address_change(const std::string& password, int32_t port, int32_t protocol, const std::string& netif) {
    record r(388);
    r.text(0, "02:AA").text(48, "10.0.0.2").text(80, "10.0.0.3").text(112, "255.0.0.0").text(144, "10.0.0.1");
    r.text(176, "10.0.0.9").i32(208, port).text(212, "admin").text(276, password).i32(312, protocol);
    r.text(380, netif);
    return r;
}

// The 396 bytes of a batch entry: the change, its channel and the batch size.
bytes batch_change(const std::string& mac, int32_t channel, int32_t modify_num) {
    record r(396);
    r.text(0, mac).i32(388, channel).i32(392, modify_num);
    return r;
}

// Answer 8230 with count and the first entries ("m<i>", result i).
bytes results(int32_t count, int entries) {
    record r(3344);
    r.i32(0, count);
    for (int i = 0; i < entries; ++i) r.text(12 + 52 * i, "m" + std::to_string(i)).i32(12 + 52 * i + 48, i);
    return r;
}

std::string results_json(int entries) {
    std::string s = R"({ "IPC": [ )";
    for (int i = 0; i < entries; ++i)
        s += (i ? ", " : "") + std::string(R"({ "mac": "m)") + std::to_string(i) + R"(", "result": )" +
             std::to_string(i) + " }";
    return s + (entries ? " ] }" : "] }");
}

class CameraDiscovery : public relay_case {};

TEST_F(CameraDiscovery, EachRequestSendsItsMessageAndRendersTheAnswer) {
    const std::string long_password(40, 'p');
    run(std::vector<exchange>{
        // A name in another encoding is listed empty; "sn" stands once.
        {__LINE__, "/2006", R"({"protocol":7})", 3200, int_bytes({7}),
         concat({found("10.0.0.5", 1, "Door", "S1"), found(std::string(32, 'a'), 7, "Caf\xC3\xA9", "S2")}),
         json_reply(R"({ "resultString": "OK", "IPC": [ )" + found_json("10.0.0.5", 1, "Door", "S1") + ", " +
                    found_json(std::string(32, 'a'), 7, "", "S2") + " ] }")},
        // Nothing found: no entry at all, or less than a whole one.
        {__LINE__, "/2006", R"({"protocol":0})", 3200, int_bytes({0}), {},
         json_reply(R"({ "resultString": "NO", "IPC": [ ] })")},
        {__LINE__, "/2006", R"({"protocol":0})", 3200, int_bytes({0}), record(759).fill(0, 759, 'x'),
         json_reply(R"({ "resultString": "NO", "IPC": [ ] })")},
        // The password keeps 32 characters, the interface 5; port 65535 is a port.
        {__LINE__, "/2011", "{" + address_body + R"("password":")" + long_password + R"(","port":65535,"protocol":7,"netif":"eth0.100"})",
         3205, address_change(long_password.substr(0, 32), 65535, 7, "eth0."), int_bytes({0}),
         json_reply(R"({ "resultString": "OK" })")},
        {__LINE__, "/2011", "{" + address_body + R"("password":"pw","port":0,"protocol":0})", 3205,
         address_change("pw", 0, 0, ""), int_bytes({1}), json_reply(R"({ "resultString": "NETWORK_ERR" })")},
        {__LINE__, "/2011", "{" + address_body + R"("password":"pw","port":0,"protocol":0})", 3205,
         address_change("pw", 0, 0, ""), int_bytes({2}), json_reply(R"({ "resultString": "INVALID_USER" })")},
        {__LINE__, "/2011", "{" + address_body + R"("password":"pw","port":0,"protocol":0})", 3205,
         address_change("pw", 0, 0, ""), int_bytes({3}), json_reply(R"({ "resultString": "UNKNOWN_ERR" })")},
        {__LINE__, "/2011", "{" + address_body + R"("password":"pw","port":0,"protocol":0})", 3205,
         address_change("pw", 0, 0, ""), int_bytes({4}), json_reply(R"({ "resultString": "PROTO_NOT_SUPPORT" })")},
        {__LINE__, "/2011", "{" + address_body + R"("password":"pw","port":0,"protocol":0})", 3205,
         address_change("pw", 0, 0, ""), int_bytes({-1}), json_reply(R"({ "resultString": "ERROR" })")},
        // A login test sends port 0 as it is; 0 and 4 are both "OK".
        {__LINE__, "/2014", R"({"ipAddr":"10.0.0.7","managePort":0,"userName":"u","password":")" + long_password + R"(","camProtocol":7})",
         3202, record(208).text(0, "10.0.0.7").text(36, "u").text(100, long_password.substr(0, 32)).i32(136, 7),
         int_bytes({0}), text_reply("OK")},
        {__LINE__, "/2014", R"({"ipAddr":"h","managePort":554,"camProtocol":1})", 3202,
         record(208).text(0, "h").i32(32, 554).i32(136, 1), int_bytes({4}), text_reply("OK")},
        {__LINE__, "/2014", R"({"ipAddr":"h","managePort":1,"camProtocol":0})", 3202, record(208).text(0, "h").i32(32, 1),
         int_bytes({1}), text_reply("NETWORKERROR")},
        {__LINE__, "/2014", R"({"ipAddr":"h","managePort":1,"camProtocol":0})", 3202, record(208).text(0, "h").i32(32, 1),
         int_bytes({2}), text_reply("USERERROR")},
        {__LINE__, "/2014", R"({"ipAddr":"h","managePort":1,"camProtocol":0})", 3202, record(208).text(0, "h").i32(32, 1),
         int_bytes({5}), text_reply("BANDWIDTHERROR")},
        {__LINE__, "/2014", R"({"ipAddr":"h","managePort":1,"camProtocol":0})", 3202, record(208).text(0, "h").i32(32, 1),
         int_bytes({3}), text_reply("UNKOWNERROR")},
        // The second test reaches port 80 at least.
        {__LINE__, "/2015", R"({"ipAddr":"10.0.0.7","managePort":0,"userName":"u","password":"p","camProtocol":2})",
         3227, record(148).text(4, "10.0.0.7").i32(36, 80).text(40, "u").text(104, "p").i32(140, 2), int_bytes({5}),
         text_reply("BANDWIDTHERROR")},
        {__LINE__, "/2015", R"({"ipAddr":"h","managePort":8080,"camProtocol":0})", 3227,
         record(148).text(4, "h").i32(36, 8080), int_bytes({0}), text_reply("OK")},
        // The results list at most the 64 entries the answer holds.
        {__LINE__, "/2033", "", 3230, {}, results(2, 3), json_reply(results_json(2))},
        {__LINE__, "/2033", "", 3230, {}, results(70, 64), json_reply(results_json(64))},
        {__LINE__, "/2033", "", 3230, {}, results(-1, 2), json_reply(results_json(0))},
    });
}

TEST_F(CameraDiscovery, RefusedRequestsGetNoReplyAndSendNothing) {
    const std::string change = "{" + address_body + R"("password":"pw",)";
    run(std::vector<refusal>{
        {__LINE__, "/2006", R"({"protocol":8})"},
        {__LINE__, "/2006", R"({"protocol":-1})"},
        {__LINE__, "/2006", R"({})"},
        {__LINE__, "/2006", "protocol=1"},
        {__LINE__, "/2011", change + R"("port":65536,"protocol":0})"},
        {__LINE__, "/2011", change + R"("port":-1,"protocol":0})"},
        {__LINE__, "/2011", change + R"("port":80,"protocol":8})"},
        {__LINE__, "/2011", change + R"("protocol":0})"},
        {__LINE__, "/2011", "{" + address_body + R"("port":80,"protocol":0})"},
        {__LINE__, "/2011", R"({"macAddr":"m","port":80,"protocol":0})"},
        {__LINE__, "/2014", R"({"ipAddr":"","managePort":80,"camProtocol":0})"},
        {__LINE__, "/2014", R"({"managePort":80,"camProtocol":0})"},
        {__LINE__, "/2014", R"({"ipAddr":"h","managePort":-1,"camProtocol":0})"},
        {__LINE__, "/2014", R"({"ipAddr":"h","camProtocol":0})"},
        {__LINE__, "/2014", R"({"ipAddr":"h","managePort":80,"camProtocol":8})"},
        {__LINE__, "/2015", R"({"ipAddr":"","managePort":80,"camProtocol":0})"},
        {__LINE__, "/2015", R"({"ipAddr":"h","managePort":-5,"camProtocol":0})"},
        {__LINE__, "/2015", R"({"ipAddr":"h","managePort":80})"},
    });
}

TEST_F(CameraDiscovery, AMissingOrShortAnswerGivesTheFailureReply) {
    const std::string change = "{" + address_body + R"("password":"pw","port":80,"protocol":0})";
    run(std::vector<missing_answer>{
        {__LINE__, "/2006", R"({"protocol":1})", 3200, true, {}, json_failure()},
        {__LINE__, "/2011", change, 3205, false, record(3), json_failure()},
        {__LINE__, "/2014", R"({"ipAddr":"h","managePort":1,"camProtocol":0})", 3202, false, record(2), text_failure()},
        {__LINE__, "/2015", R"({"ipAddr":"h","managePort":1,"camProtocol":0})", 3227, false, {}, text_failure()},
        {__LINE__, "/2033", "", 3230, false, record(3343), json_failure()},
    });
}

TEST_F(CameraDiscovery, ABatchSendsOneChangePerEntryUpToTheCountTheListAndSixtyFour) {
    auto entries = [](int n) {
        std::string s = "[";
        for (int i = 0; i < n; ++i)
            s += std::string(i ? "," : "") + R"({"macAddr":"m)" + std::to_string(i) + R"(","channelId":)" +
                 std::to_string(i) + R"(,"modifynum":)" + std::to_string(n) + "}";
        return s + "]";
    };
    auto changes = [](int n, int of) {
        std::vector<msg> out;
        for (int i = 0; i < n; ++i) out.push_back({3229, batch_change("m" + std::to_string(i), i, of)});
        return out;
    };
    const bytes full = concat({address_change("pw", 554, 2, "eth1"), int_bytes({5, 1})});
    struct row {
        int line;
        std::string body;
        std::vector<msg> want;
    } rows[] = {
        {__LINE__, R"({"cnt":1,"oIPCAddr":[{)" + address_body + R"("password":"pw","port":554,"protocol":2,"netif":"eth1","channelId":5,"modifynum":1}]})",
         {{3229, full}}},
        {__LINE__, R"({"cnt":2,"oIPCAddr":)" + entries(3) + "}", changes(2, 3)},
        // A count beyond the list reads the list only.
        {__LINE__, R"({"cnt":5,"oIPCAddr":)" + entries(2) + "}", changes(2, 2)},
        {__LINE__, R"({"cnt":100,"oIPCAddr":)" + entries(66) + "}", changes(64, 66)},
        // An entry that is no object is passed over.
        {__LINE__, R"({"cnt":2,"oIPCAddr":[7,{"macAddr":"m0","channelId":0,"modifynum":2}]})", changes(1, 2)},
        {__LINE__, R"({"cnt":0,"oIPCAddr":)" + entries(2) + "}", {}},
        {__LINE__, R"({"cnt":2})", {}},
    };
    for (const auto& r : rows) {
        fresh_case();
        EXPECT_EQ(post("/2032", r.body).out, text_reply("OK")) << "row at line " << r.line;
        expect_sent(r.want, r.line);
    }
}

// The protocols with their own models; protocol 2's flag is put right (and
// stored) when the table is shown.
TEST_F(CameraDiscovery, ProtocolTableListsEachProtocolsModelsAndClearsTheFlagOfProtocolTwo) {
    ipc_protocol_record tqsf{};
    ASSERT_EQ(read_ipc_protocol(TQDB_FILE, &tqsf, 2), 0);
    tqsf.display_model = 1;
    ASSERT_EQ(write_ipc_protocol(TQDB_FILE, &tqsf), 0);
    ipc_model_record model{7, 2, "T-1", 3, 0};
    ASSERT_EQ(write_ipc_model(TQDB_FILE, &model), 0);
    const std::string listed =
        R"({ "protocols": [ { "id": 0, "name": "ONVIF", "protocolFunction": 1, "enable": 1, "display_model": 1, )"
        R"("models": [ { "id": 0, "name": "ONVIF", "alarm_type": 0, "default_model": 1 } ] }, )"
        R"({ "id": 1, "name": "RTSP", "protocolFunction": 1, "enable": 1, "display_model": 0, )"
        R"("models": [ { "id": 1, "name": "RTSP", "alarm_type": 0, "default_model": 1 } ] }, )"
        R"({ "id": 2, "name": "TQSF", "protocolFunction": 1, "enable": 1, "display_model": 0, )"
        R"("models": [ { "id": 7, "name": "T-1", "alarm_type": 3, "default_model": 0 } ] } ] })";
    {
        // A flag that cannot be put right gives the failure reply.
        refused_writes refuse("ipc_protocol");
        ASSERT_TRUE(refuse);
        EXPECT_EQ(cgi_get(root, "/2008").out, json_failure());
        EXPECT_EQ(read_back<ipc_protocol_record>(tqdb_tbl_ipc_protocol, 2).display_model, 1);
    }
    EXPECT_EQ(cgi_get(root, "/2008").out, json_reply(listed));
    EXPECT_EQ(read_back<ipc_protocol_record>(tqdb_tbl_ipc_protocol, 2).display_model, 0);
    EXPECT_TRUE(sent().empty());
}

TEST_F(CameraDiscovery, LocalFactsComeFromTheDatabaseAndTheInterfaces) {
    const char* lo_only = "00000000000000000000000000000001 01 80 10 80       lo\n";
    const char* global = "fd000000000000000000000000000025 02 40 00 80     eth0\n";
    struct row {
        int line;
        std::string code;
        std::function<void()> setup;
        std::string out;
    } rows[] = {
        {__LINE__, "/2016", [] {}, text_reply("kq5821")},
        {__LINE__, "/2016", [] { set_param_value(TQDB_FILE, "poepsd", "Secret#1"); }, text_reply("Secret#1")},
        {__LINE__, "/2018", [] {}, text_reply("0")},
        {__LINE__, "/2018", [] { set_param_int(TQDB_FILE, "max_poe_num", 8); }, text_reply("8")},
        {__LINE__, "/2034", [&] { root.write("/proc/net/if_inet6", lo_only); }, text_reply("0")},
        {__LINE__, "/2034", [&] { root.write("/proc/net/if_inet6", std::string(lo_only) + global); }, text_reply("1")},
    };
    for (const auto& r : rows) {
        r.setup();
        EXPECT_EQ(cgi_get(root, r.code).out, r.out) << "row at line " << r.line;
    }
    EXPECT_TRUE(sent().empty());
}

}  // namespace
}  // namespace xcase
