// The PPPoE, dynamic-DNS and e-mail accounts end to end: what the pages
// show, what a store keeps, what the core hears, and the test mail.
#include "front/web_utils.h"
#include "platform/tqdb/rec_services.h"
#include "platform/tqdb/rec_system.h"
#include "platform/tqnet.h"
#include "tests/harness/store_case.h"

#include <functional>

namespace {

using xcase::msg;

// Stored before every case.
pppoe_record sample_pppoe() {
    pppoe_record rec;
    std::memset(&rec, 0, sizeof rec);
    rec.enable = 1;
    rec.auto_connect = 1;
    copy_text(rec.user_name, sizeof rec.user_name, "dsl-user");
    copy_text(rec.password, sizeof rec.password, "dsl-secret");
    return rec;
}

ddns_record sample_ddns() {
    ddns_record rec;
    std::memset(&rec, 0, sizeof rec);
    rec.enable = 1;
    copy_text(rec.domain, sizeof rec.domain, "dyn.example.com");
    copy_text(rec.user_name, sizeof rec.user_name, "dyn-user");
    copy_text(rec.password, sizeof rec.password, "dyn-secret");
    copy_text(rec.host_name, sizeof rec.host_name, "lobby");
    copy_text(rec.free_dns_hash, sizeof rec.free_dns_hash, "abc123");
    copy_text(rec.ddns_url, sizeof rec.ddns_url, "https://dyn.example.com/update");
    rec.update_freq = 10;
    rec.http_port = 8080;
    rec.rtsp_port = 8554;
    return rec;
}

email_record sample_email() {
    email_record rec;
    std::memset(&rec, 0, sizeof rec);
    rec.enable = 1;
    copy_text(rec.user_name, sizeof rec.user_name, "nvr@example.com");
    copy_text(rec.password, sizeof rec.password, "mail-secret");
    copy_text(rec.smtp_server, sizeof rec.smtp_server, "smtp.example.com");
    rec.smtp_port = 587;
    copy_text(rec.sender_addr, sizeof rec.sender_addr, "nvr@example.com");
    copy_text(rec.sender_name, sizeof rec.sender_name, "Lobby NVR");
    rec.enable_tls = 2;
    rec.enable_attach = 1;
    rec.capture_interval = 5;
    const char* const who[][2] = {{"a@example.com", "Ann"}, {"b@example.com", "Bob"}, {"c@example.com", "Cy"}};
    for (int i = 0; i < email_receiver_count; ++i) {
        copy_text(rec.receivers[i].addr, sizeof rec.receivers[i].addr, who[i][0]);
        copy_text(rec.receivers[i].name, sizeof rec.receivers[i].name, who[i][1]);
    }
    return rec;
}

class Accounts : public xcase::store_case {
protected:
    void SetUp() override {
        store_case::SetUp();
        store_samples();
    }
    void store_samples() {
        pppoe_record pppoe = sample_pppoe();
        ddns_record ddns = sample_ddns();
        email_record email = sample_email();
        ASSERT_EQ(write_pppoe(TQDB_FILE, &pppoe), 0);
        ASSERT_EQ(write_ddns(TQDB_FILE, &ddns), 0);
        ASSERT_EQ(write_email(TQDB_FILE, &email), 0);
        ASSERT_EQ(edit_port(TQDB_FILE,
                            [](port_record& port) {
                                port.enable_host_name = 1;
                                copy_text(port.host_name, sizeof port.host_name, "nvr.lobby");
                            }),
                  0);
        ports = read_back<port_record>(tqdb_tbl_port);
    }
    port_record ports;
};

// A stored record against the sample it started from, after an edit.
template <typename Rec>
void expect_record(const tqdb_table& table, Rec want, const std::function<void(Rec&)>& edit, int line) {
    if (edit) edit(want);
    Rec got = read_back<Rec>(table);
    EXPECT_EQ(std::memcmp(&got, &want, sizeof got), 0) << "row at line " << line;
}

TEST_F(Accounts, StoringAnAccountKeepsItsMembersAndTellsTheCoreWhichServiceChanged) {
    const std::string long_text(300, 'x');
    auto text = [](char* field, size_t width, const std::string& s) { copy_text(field, width, s.c_str()); };
    struct row {
        int line;
        const char* code;
        std::string body;
        std::function<void(pppoe_record&)> pppoe;
        std::function<void(ddns_record&)> ddns;
        std::function<void(email_record&)> email;
        std::function<void(port_record&)> port;
        const char* group;
        int32_t oplog_param;
    } rows[] = {
        {__LINE__, "/7011", "{\"enable\": 0, \"autoConnect\": 0, \"userName\": \"other\", \"password\": \"pw2\"}",
         [&](pppoe_record& r) {
             r.enable = r.auto_connect = 0;
             text(r.user_name, sizeof r.user_name, "other");
             text(r.password, sizeof r.password, "pw2");
         },
         nullptr, nullptr, nullptr, "pppoe", 915},
        // Left-out integers store 0, left-out or null texts keep the stored
        // ones, and texts are cut to their fields.
        {__LINE__, "/7011", "{\"enable\": 1, \"userName\": null, \"password\": \"" + long_text + "\"}",
         [&](pppoe_record& r) {
             r.auto_connect = 0;
             text(r.password, sizeof r.password, long_text.substr(0, 63));
         },
         nullptr, nullptr, nullptr, "pppoe", 915},
        // The ports come as "http" and "rtsp".
        {__LINE__, "/7021",
         "{\"enable\": 0, \"updateFreq\": 30, \"domain\": \"dyn2.example.com\", \"userName\": \"" + long_text +
             "\", \"password\": \"p\", \"hostName\": \"" + long_text + "\", \"ddnsurl\": \"u\", \"freeDNSHash\": \"h\", "
             "\"http\": 81, \"rtsp\": 555, \"http_port\": 1, \"rtsp_port\": 2}",
         nullptr,
         [&](ddns_record& r) {
             r.enable = 0;
             r.update_freq = 30;
             text(r.domain, sizeof r.domain, "dyn2.example.com");
             text(r.user_name, sizeof r.user_name, long_text.substr(0, 31));
             text(r.password, sizeof r.password, "p");
             text(r.host_name, sizeof r.host_name, long_text.substr(0, 127));
             text(r.ddns_url, sizeof r.ddns_url, "u");
             text(r.free_dns_hash, sizeof r.free_dns_hash, "h");
             r.http_port = 81;
             r.rtsp_port = 555;
         },
         nullptr, nullptr, "ddns", 916},
        {__LINE__, "/7021", "{\"enable\": 1, \"updateFreq\": 0}", nullptr,
         [](ddns_record& r) { r.update_freq = r.http_port = r.rtsp_port = 0; }, nullptr, nullptr, "ddns", 916},
        {__LINE__, "/7031",
         "{\"enable\": 0, \"userName\": \"u2\", \"password\": \"p2\", \"smtpServer\": \"mx.example.net\", "
         "\"smtpPort\": 465, \"senderAddr\": \"s@example.net\", \"senderName\": \"S\", \"enableTls\": 1, "
         "\"enableAttach\": 0, \"captureInterval\": 0, \"enableHostName\": 0, \"hostName\": \"mail.host\", "
         "\"receivers\": [{\"receiverAddr\": \"x@example.net\", \"receiverName\": \"X\"}, "
         "{\"receiverAddr\": \"y@example.net\", \"receiverName\": \"Y\"}, "
         "{\"receiverAddr\": \"z@example.net\", \"receiverName\": \"Z\"}]}",
         nullptr, nullptr,
         [&](email_record& r) {
             r.enable = 0;
             text(r.user_name, sizeof r.user_name, "u2");
             text(r.password, sizeof r.password, "p2");
             text(r.smtp_server, sizeof r.smtp_server, "mx.example.net");
             r.smtp_port = 465;
             text(r.sender_addr, sizeof r.sender_addr, "s@example.net");
             text(r.sender_name, sizeof r.sender_name, "S");
             r.enable_tls = 1;
             r.enable_attach = 0;
             r.capture_interval = 0;
             const char* const who[][2] = {{"x@example.net", "X"}, {"y@example.net", "Y"}, {"z@example.net", "Z"}};
             for (int i = 0; i < email_receiver_count; ++i) {
                 text(r.receivers[i].addr, sizeof r.receivers[i].addr, who[i][0]);
                 text(r.receivers[i].name, sizeof r.receivers[i].name, who[i][1]);
             }
         },
         [](port_record& p) {
             p.enable_host_name = 0;
             copy_text(p.host_name, sizeof p.host_name, "mail.host");
         },
         "mail", 917},
        // A short or partial receiver list keeps the stored receivers it
        // leaves out; the host name is cut to 255 characters; a left-out
        // host-name switch stores 0.
        {__LINE__, "/7031",
         "{\"smtpPort\": 25, \"enableTls\": 0, \"enableAttach\": 1, \"captureInterval\": 9, \"hostName\": \"" +
             long_text + "\", \"receivers\": [{\"receiverName\": \"Zed\"}, 7, {\"receiverAddr\": null}, "
             "{\"receiverAddr\": \"fourth@example.net\"}]}",
         nullptr, nullptr,
         [](email_record& r) {
             r.enable = 0;
             r.smtp_port = 25;
             r.enable_tls = 0;
             r.capture_interval = 9;
             copy_text(r.receivers[0].name, sizeof r.receivers[0].name, "Zed");
         },
         [&](port_record& p) {
             p.enable_host_name = 0;
             copy_text(p.host_name, sizeof p.host_name, long_text.substr(0, 255).c_str());
         },
         "mail", 917},
    };
    for (const auto& r : rows) {
        fresh_case();
        store_samples();
        EXPECT_EQ(post(r.code, r.body).out, text_reply("OK")) << "row at line " << r.line;
        expect_record(tqdb_tbl_pppoe, sample_pppoe(), r.pppoe, r.line);
        expect_record(tqdb_tbl_ddns, sample_ddns(), r.ddns, r.line);
        expect_record(tqdb_tbl_email, sample_email(), r.email, r.line);
        expect_record(tqdb_tbl_port, ports, r.port, r.line);
        expect_sent({{1702, padded(r.group, 32)}, {3485, xcase::oplog(204, r.oplog_param, 0)}}, r.line);
    }
}

TEST_F(Accounts, RequestsThatFailTheChecksStoreAndSendNothing) {
    const char* mail = "\"smtpPort\": 25, \"enableTls\": 1, \"enableAttach\": 1, \"captureInterval\": 5";
    struct row {
        int line;
        const char* code;
        std::string body;
    } rows[] = {
        {__LINE__, "/7011", "{\"autoConnect\": 1}"},
        {__LINE__, "/7011", "{\"enable\": 2}"},
        {__LINE__, "/7011", "{\"enable\": -1, \"userName\": \"x\"}"},
        {__LINE__, "/7021", "{\"updateFreq\": 5}"},
        {__LINE__, "/7021", "{\"enable\": 1}"},
        {__LINE__, "/7021", "{\"enable\": 1, \"updateFreq\": -1}"},
        {__LINE__, "/7021", "{\"enable\": 3, \"updateFreq\": 1}"},
        {__LINE__, "/7031", std::string("{") + mail + ", \"smtpPort\": -1}"},
        {__LINE__, "/7031", "{\"smtpPort\": 25, \"enableTls\": 3, \"enableAttach\": 1, \"captureInterval\": 5}"},
        {__LINE__, "/7031", "{\"smtpPort\": 25, \"enableTls\": 1, \"enableAttach\": 2, \"captureInterval\": 5}"},
        {__LINE__, "/7031", "{\"smtpPort\": 25, \"enableTls\": 1, \"enableAttach\": 1, \"captureInterval\": -5}"},
        {__LINE__, "/7031", "{\"smtpPort\": 25, \"enableTls\": 1, \"enableAttach\": 1}"},
        {__LINE__, "/7031", "{\"enableTls\": 1, \"enableAttach\": 1, \"captureInterval\": 5}"},
        {__LINE__, "/7011", "enable=1"},
        {__LINE__, "/7021", "[1]"},
        {__LINE__, "/7031", ""},
    };
    for (const auto& r : rows) {
        fresh_case();
        const std::string before = db_snapshot(root);
        cgi_result res = post(r.code, r.body);
        EXPECT_EQ(res.out, "") << "row at line " << r.line;
        EXPECT_TRUE(db_snapshot(root) == before) << "row at line " << r.line;
        EXPECT_TRUE(sent().empty()) << "row at line " << r.line << ": " << ids_text(sent());
    }
}

TEST_F(Accounts, AStoreThatFailsAnswersTheFailureAndTellsNobody) {
    const std::string mail = "{\"smtpPort\": 26, \"enableTls\": 1, \"enableAttach\": 1, \"captureInterval\": 5, "
                             "\"hostName\": \"other.host\"}";
    const xcase::unstored_row rows[] = {
        {__LINE__, "/7011", "{\"enable\": 0}", {"pppoe"}, xcase::text_failure()},
        {__LINE__, "/7021", "{\"enable\": 0, \"updateFreq\": 3}", {"ddns"}, xcase::text_failure()},
        // The account and the host name go together: either refusing store
        // keeps both as they were.
        {__LINE__, "/7031", mail, {"email"}, xcase::text_failure()},
        {__LINE__, "/7031", mail, {"port"}, xcase::text_failure()},
    };
    for (const auto& r : rows) {
        store_samples();
        expect_unstored(r);
    }
}

TEST_F(Accounts, ShowingGivesTheStoredAccountsWithTheirLiveValues) {
    char eth0[18], eth1[18];
    get_device_macs(eth0, eth1);
    char ppp[32] = "0.0.0.0";
    net_get_ifaddr("ppp0", ppp, sizeof ppp);
    struct row {
        int line;
        const char* code;
        std::string reply;
    } rows[] = {
        {__LINE__, "/7010",
         "{ \"enable\": 1, \"autoConnect\": 1, \"userName\": \"dsl-user\", \"password\": \"dsl-secret\", "
         "\"pppoeipaddr\": \"" + std::string(ppp) + "\" }"},
        {__LINE__, "/7020",
         "{ \"enable\": 1, \"domain\": \"dyn.example.com\", \"userName\": \"dyn-user\", \"password\": \"dyn-secret\", "
         "\"hostName\": \"lobby\", \"ddnsurl\": \"https:\\/\\/dyn.example.com\\/update\", \"freeDNSHash\": \"abc123\", "
         "\"updateFreq\": 10, \"http_port\": 8080, \"rtsp_port\": 8554, \"mac\": \"" + std::string(eth0) + "\" }"},
        {__LINE__, "/7030",
         "{ \"enable\": 1, \"userName\": \"nvr@example.com\", \"password\": \"mail-secret\", "
         "\"smtpServer\": \"smtp.example.com\", \"smtpPort\": 587, \"senderAddr\": \"nvr@example.com\", "
         "\"senderName\": \"Lobby NVR\", \"enableTls\": 2, \"enableAttach\": 1, \"captureInterval\": 5, "
         "\"enableHostName\": 1, \"hostName\": \"nvr.lobby\", \"receivers\": [ "
         "{ \"receiverAddr\": \"a@example.com\", \"receiverName\": \"Ann\" }, "
         "{ \"receiverAddr\": \"b@example.com\", \"receiverName\": \"Bob\" }, "
         "{ \"receiverAddr\": \"c@example.com\", \"receiverName\": \"Cy\" } ] }"},
    };
    for (const auto& r : rows) EXPECT_EQ(cgi_get(root, r.code).out, json_reply(r.reply)) << "row at line " << r.line;
    // This machine has no dial-up link.
    EXPECT_STREQ(ppp, "0.0.0.0");
    EXPECT_TRUE(sent().empty());
}

TEST_F(Accounts, TheTestMailIsTheCoresAnswer) {
    // The wait for the mail server is 240 s on the recorder: shortened further here.
    setenv("NVR_TIME_DIVISOR", "1000", 1);
    struct row {
        int line;
        std::function<void(Accounts&)> script;
        std::string reply;
    } rows[] = {
        {__LINE__, [](Accounts&) {}, text_reply("OK")},  // the simulated core's own answer
        {__LINE__, [](Accounts& t) { t.answer_int(3409, 0); }, text_reply("OK")},
        {__LINE__, [](Accounts& t) { t.answer_int(3409, 1); }, text_reply("ERROR")},
        {__LINE__, [](Accounts& t) { t.answer_int(3409, -7); }, text_reply("ERROR")},
        {__LINE__, [](Accounts& t) { t.core.add_reply(3409, 0, {0, 0}); }, xcase::text_failure()},
        {__LINE__, [](Accounts& t) { t.answer_nothing(3409); }, xcase::text_failure()},
    };
    for (const auto& r : rows) {
        fresh_case();
        r.script(*this);
        EXPECT_EQ(cgi_get(root, "/7032").out, r.reply) << "row at line " << r.line;
        expect_sent({{3409, padded("testmail", 32)}}, r.line);
    }
}

}  // namespace
