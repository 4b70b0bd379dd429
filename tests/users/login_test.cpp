// Login ("/1000") and session check ("/1018"), end to end through webreq.
#include "tests/users/users_fixture.h"

#include "platform/tqdb/tqdb.h"

#include <regex>

namespace {

const std::string ones(64, '1');

// The login reply with its session identifier replaced by "S", and the
// identifier itself.
std::string without_session(const std::string& out, std::string* session = nullptr) {
    static const std::regex id("\"sessionId\": \"([0-9]{32})\"");
    std::smatch m;
    if (session) *session = std::regex_search(out, m, id) ? m[1].str() : "";
    return std::regex_replace(out, id, "\"sessionId\": \"S\"");
}

std::string login_body(const std::string& name, const std::string& md5) {
    return "{\"userName\": \"" + name + "\", \"md5\": \"" + md5 + "\"}";
}

class login : public users_test {};

TEST_F(login, factory_administrator_logs_in_with_every_right_and_a_fresh_session) {
    cgi_result res = cgi_post_json(root, "/1000", login_body("admin", md5_of("123456")));
    std::string session;
    EXPECT_EQ(without_session(res.out, &session),
              text_reply("{ \"type\": 0, \"userName\": \"admin\", \"permission\": -1, "
                         "\"localLiveView\": 1, \"localPlayback\": 1, \"localRetrieve\": 1, "
                         "\"localSmartAnalysis\": 1, \"localEvent\": 1, \"localCamera\": 1, "
                         "\"localStorage\": 1, \"localSettings\": 1, \"localStatus\": 1, "
                         "\"localShutdown\": 1, \"localliveview\": \"" + ones +
                         "\", \"localplayback\": \"" + ones +
                         "\", \"remotePermisson\": -1, "
                         "\"remoteLiveView\": 1, \"remotePlayback\": 1, \"remoteRetrieve\": 1, "
                         "\"remoteSmartAnalysis\": 1, \"remoteEvent\": 1, \"remoteCamera\": 1, "
                         "\"remoteStorage\": 1, \"remoteSettings\": 1, \"remoteStatus\": 1, "
                         "\"remoteShutdown\": 1, \"remoteliveview\": \"" + ones +
                         "\", \"remoteplayback\": \"" + ones +
                         "\", \"sessionId\": \"S\", \"failoverMode\": 0, \"sameChannel\": 0, "
                         "\"hardwareVersion\": \"V1.1\", \"softwareVersion\": \"7x.7.0.9\", "
                         "\"model\": \"\" }"));
    EXPECT_EQ(session.size(), 32u);

    // The login is recorded under the name that logged in.
    auto msgs = sent(1);
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_EQ(msgs[0].id, 3485);
    oplog_record log = whole_oplog(msgs[0]);
    EXPECT_EQ(log.main_type, 4);
    EXPECT_EQ(log.sub_type, 201);
    EXPECT_EQ(log.parameter_type, 900);
    EXPECT_EQ(log.remote, 1);
    EXPECT_STREQ(log.user, "admin");
    EXPECT_STREQ(log.ip, "127.0.0.1");

    // The certificate directories exist after a login.
    EXPECT_TRUE(root.exists("/mnt/nand/ssl/tmp"));
}

TEST_F(login, only_an_enabled_account_with_a_matching_hash_logs_in) {
    put_user(1, "op1", "secret", 2);
    put_user(2, "guest", "guest", 3);
    user_record blank = put_user(3, "blank", "x");
    std::memset(blank.password, 0, sizeof blank.password);
    ASSERT_EQ(write_user(TQDB_FILE, &blank), 0);
    user_record off = put_user(4, "off", "off");
    off.enable = 0;
    ASSERT_EQ(write_user(TQDB_FILE, &off), 0);
    std::string long_name(63, 'n');
    put_user(5, long_name, "long");

    std::string upper = md5_of("secret");
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const struct {
        int line;
        std::string name, md5;
        int type;  // -1 and -2 answer the type alone
    } rows[] = {
        {__LINE__, "op1", md5_of("secret"), 2},
        {__LINE__, "op1", upper, 2},                          // case does not matter
        {__LINE__, "op1", md5_of("wrong"), -1},
        {__LINE__, "op1", "", -1},
        {__LINE__, "guest", md5_of("guest"), -2},             // type 3 never logs in
        {__LINE__, "guest", md5_of("wrong"), -2},
        {__LINE__, "nobody", "", -1},                         // no row: no match on zeros
        {__LINE__, "nobody", md5_of(""), -1},
        {__LINE__, "", "", -1},                               // free slots have empty names
        {__LINE__, "blank", "", -1},                          // no stored hash
        {__LINE__, "off", md5_of("off"), -1},                 // disabled row
        {__LINE__, long_name, md5_of("long"), 1},
        {__LINE__, long_name + "x", md5_of("long"), -1},      // longer than any stored name
    };
    for (const auto& row : rows) {
        core.clear_journal();
        cgi_result res = cgi_post_json(root, "/1000", login_body(row.name, row.md5));
        if (row.type < 0) {
            EXPECT_EQ(res.out, text_reply("{ \"type\": " + std::to_string(row.type) + " }"))
                << "row at line " << row.line;
            EXPECT_TRUE(core.journal().empty()) << "row at line " << row.line;
        } else {
            EXPECT_EQ(res.out.find("{ \"type\": " + std::to_string(row.type) + ", \"userName\": \"" +
                                   row.name + "\", \"permission\": 7,"),
                      std::string(text_reply("")).size())
                << "row at line " << row.line;
            EXPECT_EQ(ids_of(sent(1)), std::vector<int32_t>{3485}) << "row at line " << row.line;
        }
    }
}

TEST_F(login, removed_user_no_longer_logs_in) {
    put_user(1, "op1", "secret");
    ASSERT_EQ(cgi_post_json(root, "/6073", "{\"id\": 1, \"type\": 1}").out, text_reply("OK"));
    // Neither the old name nor the empty name of the removed row matches.
    for (const std::string& body : {login_body("op1", md5_of("secret")), login_body("", "")})
        EXPECT_EQ(cgi_post_json(root, "/1000", body).out, text_reply("{ \"type\": -1 }")) << body;
}

TEST_F(login, request_that_is_not_json_gets_no_reply) {
    for (const char* body : {"userName=admin", "{\"userName\": ", ""}) {
        cgi_result res = cgi_post_json(root, "/1000", body);
        EXPECT_EQ(res.out, "") << body;
        EXPECT_EQ(res.status, 0) << body;
    }
    EXPECT_TRUE(core.journal().empty());
}

TEST_F(login, reply_carries_the_device_facts_of_the_database) {
    const struct {
        int line;
        const char* same_channel;
        const char* tail;
    } rows[] = {
        {__LINE__, "2", "\"failoverMode\": 1, \"sameChannel\": 1, \"hardwareVersion\": \"H2\", "
                        "\"softwareVersion\": \"9.1\", \"model\": \"N4\" }"},
        {__LINE__, "1", "\"failoverMode\": 1, \"sameChannel\": 0, \"hardwareVersion\": \"H2\", "
                        "\"softwareVersion\": \"9.1\", \"model\": \"N4\" }"},
    };
    ASSERT_EQ(set_param_int(TQDB_FILE, "failover_mode", 1), 0);
    ASSERT_EQ(set_param_value(TQDB_FILE, "hardware_version", "H2"), 0);
    ASSERT_EQ(set_param_value(TQDB_FILE, "software_version", "9.1"), 0);
    ASSERT_EQ(set_param_value(TQDB_FILE, "model", "N4"), 0);
    for (const auto& row : rows) {
        ASSERT_EQ(set_param_value(TQDB_FILE, "same_channel_exist", row.same_channel), 0);
        std::string out = cgi_post_json(root, "/1000", login_body("admin", md5_of("123456"))).out;
        std::string tail = row.tail;
        ASSERT_GE(out.size(), tail.size());
        EXPECT_EQ(out.substr(out.size() - tail.size()), tail) << "row at line " << row.line;
    }
}

// ---- session check ------------------------------------------------------------

class session_check : public users_test {
protected:
    // The reply with the expiry dates of the cookies replaced by "E" (a date
    // not in the cookie format stays and fails the comparison).
    static std::string without_dates(const std::string& out) {
        static const std::regex date(
            "expires=(Sun|Mon|Tue|Wed|Thu|Fri|Sat), [0-9]{2}-"
            "(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec)-[0-9]{4} "
            "[0-9]{2}:[0-9]{2}:[0-9]{2} GMT;");
        return std::regex_replace(out, date, "expires=E;");
    }

    static std::string guest_cookies(const std::string& domain) {
        std::string out;
        for (const char* pair : {"userName=temp", "userType=2", "permission=0", "sessionId=0",
                                 "language=en-US"})
            out += std::string("Set-Cookie: ") + pair + "; domain=" + domain +
                   "; expires=E; path=/\r\n";
        return out;
    }

    cgi_result check(const std::string& query, const std::string& host = "") {
        cgi_request req;
        req.path_info = "/1018";
        req.query = query;
        if (!host.empty()) req.env["HTTP_HOST"] = host;
        return run_webreq(root, req);
    }
};

TEST_F(session_check, core_verdict_selects_the_redirect_and_the_cookies) {
    const std::string index = "Location: ../../html/index.html\r\n\r\n";
    const struct {
        int line;
        int32_t verdict;
        std::string host, expected;
    } rows[] = {
        {__LINE__, 1, "10.0.0.2:8080", "Location: ../../html/home.html\r\n\r\n"},
        {__LINE__, -5, "10.0.0.2", "Location: ../../html/home.html\r\n\r\n"},
        {__LINE__, 0, "192.168.1.5:8080", guest_cookies("192.168.1.5") + index},
        {__LINE__, 0, "nvr.example", guest_cookies("nvr.example") + index},
        {__LINE__, 0, "[fe80::1]:80", guest_cookies("[fe80::1]") + index},
        {__LINE__, 0, std::string(60, 'h') + ":80", guest_cookies(std::string(49, 'h')) + index},
    };
    for (const auto& row : rows) {
        core.clear_rules();
        core.add_reply(3504, 0, int_bytes({row.verdict}));
        EXPECT_EQ(without_dates(check("sid=42", row.host).out), row.expected)
            << "row at line " << row.line;
    }
}

TEST_F(session_check, request_text_goes_to_the_core_in_a_256_byte_record) {
    core.add_reply(3504, 0, int_bytes({1}));
    const struct {
        int line;
        std::string query, sent;
    } rows[] = {
        {__LINE__, "sid=42", "sid=42"},
        {__LINE__, std::string(300, 'q'), std::string(255, 'q')},
    };
    for (const auto& row : rows) {
        core.clear_journal();
        check(row.query);
        auto msgs = sent(1);
        ASSERT_EQ(msgs.size(), 1u) << "row at line " << row.line;
        EXPECT_EQ(msgs[0].id, 3504);
        coresim::bytes expected(256, 0);
        std::memcpy(expected.data(), row.sent.data(), row.sent.size());
        EXPECT_EQ(msgs[0].payload, expected) << "row at line " << row.line;
    }
}

TEST_F(session_check, missing_or_short_answer_is_a_cgi_error) {
    const char* const scripts[] = {
        R"([{"id": 3504, "reply": {"fault": "no_answer"}}])",
        R"([{"id": 3504, "reply": {"size": 4, "fault": "short", "short_size": 2}}])",
        R"([{"id": 3504, "reply": {"fault": "empty"}}])",
    };
    for (const char* script : scripts) {
        ASSERT_TRUE(core.set_script(script)) << script;
        EXPECT_EQ(check("sid=1").out, text_reply("CGI ERROR")) << script;
    }
}

TEST_F(session_check, simulated_core_refuses_unknown_sessions_by_default) {
    // The system module's messages have one default row each.
    for (int32_t id : coresim::default_conflicts()) EXPECT_TRUE(id != 3504 && id != 3505) << id;
    EXPECT_EQ(without_dates(check("sid=1", "127.0.0.1:8080").out),
              guest_cookies("127.0.0.1") + "Location: ../../html/index.html\r\n\r\n");
}

}  // namespace
