// The SNMP page end to end: what /7090 shows, and what /7091 stores, checks
// and tells the core.
#include <functional>

#include "platform/tqdb/rec_services.h"
#include "tests/harness/store_case.h"
#include "tests/network/open_socket.h"

namespace {

using namespace xcase;

using Snmp = store_case;

TEST_F(Snmp, TheSettingsAreShownWithTheServicePorts) {
    snmp_record rec = read_back<snmp_record>(tqdb_tbl_snmp);
    rec.v3_enable = 1;
    std::snprintf(rec.read_user.security_name, sizeof rec.read_user.security_name, "reader");
    rec.write_user.pri_algorithm = 2;
    std::memset(rec.write_user.pri_password, 'w', sizeof rec.write_user.pri_password);  // no terminator
    ASSERT_EQ(write_snmp(TQDB_FILE, &rec), 0);
    EXPECT_EQ(
        cgi_get(root, "/7090").out,
        json_reply(
            "{ \"v1_enable\": 0, \"v2c_enable\": 0, \"write_community\": \"private\", \"read_community\": "
            "\"public\", \"v3_enable\": 1, \"read_security_name\": \"reader\", \"read_level_security\": 0, "
            "\"read_auth_algorithm\": 0, \"read_auth_password\": \"\", \"read_pri_algorithm\": 0, "
            "\"read_pri_password\": \"\", \"write_security_name\": \"\", \"write_level_security\": 0, "
            "\"write_auth_algorithm\": 0, \"write_auth_password\": \"\", \"write_pri_algorithm\": 2, "
            "\"write_pri_password\": \"" +
            std::string(64, 'w') +
            "\", \"port\": 161, \"sshPort\": 22, "
            "\"httpPort\": 80, \"rtspPort\": 554, \"httpsPort\": 443 }"));
}

TEST_F(Snmp, AStoreTakesTheRequestUnlessAChangedPortIsTaken) {
    open_socket udp(SOCK_DGRAM, "0.0.0.0");
    const std::string long_name(70, 'n');
    using edit = std::function<void(snmp_record&)>;
    const struct {
        int line;
        const char* poe_ports;
        int stored_port;
        std::string body;
        std::string reply;
        edit change;  // applied to the stored record; null: unchanged
    } rows[] = {
        // clang-format off
        {__LINE__, "0", 161,
         R"({"v1_enable": 1, "v2c_enable": 1, "write_community": "w", "read_community": "r", "v3_enable": 1,
             "read_security_name": "ru", "read_level_security": 2, "read_auth_algorithm": 1, "read_auth_password": "rap",
             "read_pri_algorithm": 1, "read_pri_password": "rpp", "write_security_name": "wu", "write_level_security": 3,
             "write_auth_algorithm": 2, "write_auth_password": "wap", "write_pri_algorithm": 2,
             "write_pri_password": "wpp", "port": 1161})",
         "OK",
         [](snmp_record& s) {
             s = snmp_record{1, 1, "w", "r", 1, {"ru", 2, 1, "rap", 1, "rpp"}, {"wu", 3, 2, "wap", 2, "wpp"}, 1161};
         }},
        // Left-out texts keep theirs, left-out integers store 0; texts are cut to 63.
        {__LINE__, "0", 161, R"({"port": 161, "read_community": ")" + long_name + R"(", "write_community": null})", "OK",
         [&](snmp_record& s) {
             std::snprintf(s.read_community, sizeof s.read_community, "%s", long_name.substr(0, 63).c_str());
         }},
        {__LINE__, "0", 161, R"({"v1_enable": 1})", "OK", [](snmp_record& s) {
             s.v1_enable = 1;
             s.port = 0;
         }},
        {__LINE__, "4", 161, R"({"port": 23001, "v1_enable": 1})", "POE_Port_Error", nullptr},
        {__LINE__, "0", 161, R"({"port": 23001, "v1_enable": 1})", "OK", [](snmp_record& s) {
             s.port = 23001;
             s.v1_enable = 1;
         }},
        {__LINE__, "0", 161, R"({"port": )" + std::to_string(udp.port()) + R"(, "v1_enable": 1})", "POE_Port_Error",
         nullptr},
        // The agent's own port is taken by the agent: unchanged, it is not checked.
        {__LINE__, "4", udp.port(), R"({"port": )" + std::to_string(udp.port()) + R"(, "v2c_enable": 1})", "OK",
         [](snmp_record& s) { s.v2c_enable = 1; }},
        {__LINE__, "0", 161, "port=1161", "", nullptr},
        // clang-format on
    };
    for (const auto& r : rows) {
        fresh_case();
        set_param_value(TQDB_FILE, "max_poe_num", r.poe_ports);
        snmp_record before{0, 0, "private", "public", 0, {}, {}, r.stored_port};
        ASSERT_EQ(write_snmp(TQDB_FILE, &before), 0);
        EXPECT_EQ(post("/7091", r.body).out, r.reply.empty() ? "" : text_reply(r.reply))
            << "row at line " << r.line;
        snmp_record want = before;
        if (r.change) r.change(want);
        snmp_record got = read_back<snmp_record>(tqdb_tbl_snmp);
        EXPECT_EQ(std::memcmp(&got, &want, sizeof got), 0) << "row at line " << r.line;
        if (r.change)
            expect_sent({{1702, padded("snmp", 32)}}, r.line);
        else
            expect_sent({}, r.line);
    }
    expect_unstored({__LINE__, "/7091", R"({"port": 161, "v1_enable": 1})", {"snmp"}, text_failure()});
}

}  // namespace
