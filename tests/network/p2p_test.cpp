// The P2P service end to end: the registration with a fake P2P server on
// 127.0.0.1 (what it receives, its answers, silence and failures), the
// client's key file, and the state, switch and service requests answered by
// the fake core.
#include "platform/p2p.h"

#include <sys/stat.h>

#include <functional>
#include <optional>

#include "platform/tqdb/rec_services.h"
#include "platform/tqnet.h"
#include "tests/harness/store_case.h"
#include "tests/network/fake_p2p_server.h"
#include "tests/network/open_socket.h"

namespace {

using namespace xcase;

class P2p : public store_case {
protected:
    void SetUp() override {
        store_case::SetUp();
        root.write(P2P_KEY_FILE, fake_p2p_server::client_key_pem());
        p2p_record rec{};
        rec.enable = 1;
        std::memset(rec.text1, 'a', sizeof rec.text1);  // a full field: no terminator
        std::snprintf(rec.text2, sizeof rec.text2, "dealer-2");
        std::snprintf(rec.text4, sizeof rec.text4, "code-4");
        ASSERT_EQ(write_p2p_info(TQDB_FILE, &rec), 0);
    }
    void use_server(const char* host, int port) {
        set_param_value(TQDB_FILE, "p2p_server_host", host);
        set_param_int(TQDB_FILE, "p2p_server_port", port);
    }
    std::string reg(const std::string& body = R"({"sn": "SN-1", "deviceName": "hall"})") {
        return post("/7062", body).out;
    }
};

byte_vec text_bytes(const std::string& s) { return byte_vec(s.begin(), s.end()); }

TEST_F(P2p, RegistrationAnswersTheServersResultAndPassesItsTextOn) {
    const std::string long_text(300, 'T'), longest(2048, 'L');  // the longest body a server may send
    const struct {
        int line;
        p2p_script script;
        std::string reply;
        std::optional<std::string> notice;  // 3700's payload
        bool request_read = true;           // the server got header and body
    } rows[] = {
        // clang-format off
        {__LINE__, {p2p_behaviour::answer, 0, text_bytes(std::string("UUID-77\0rest", 12))}, "0", "UUID-77"},
        {__LINE__, {p2p_behaviour::answer, 0, text_bytes(long_text)}, "0", long_text.substr(0, 128)},
        {__LINE__, {p2p_behaviour::answer, 0, text_bytes(longest)}, "0", longest.substr(0, 128)},
        {__LINE__, {p2p_behaviour::answer, 0, {}}, "0", ""},
        {__LINE__, {p2p_behaviour::answer, 2}, "2", std::nullopt},
        {__LINE__, {p2p_behaviour::answer, 1}, "0", std::nullopt},
        {__LINE__, {p2p_behaviour::answer, -5}, "0", std::nullopt},
        {__LINE__, {p2p_behaviour::silent_after_keys}, "3", std::nullopt},
        {__LINE__, {p2p_behaviour::huge_body}, "3", std::nullopt},
        {__LINE__, {p2p_behaviour::short_header}, "3", std::nullopt},
        {__LINE__, {p2p_behaviour::silent_at_keys}, "4", std::nullopt, false},
        {__LINE__, {p2p_behaviour::close_at_once}, "4", std::nullopt, false},
        {__LINE__, {p2p_behaviour::weak_key}, "4", std::nullopt, false},
        // clang-format on
    };
    char eth0[18], eth1[18];
    get_device_macs(eth0, eth1);
    for (const auto& r : rows) {
        fresh_case();
        fake_p2p_server server(r.script);
        use_server("127.0.0.1", server.port());
        EXPECT_EQ(reg(R"({"sn": ")" + std::string(70, 's') + R"(", "deviceName": ")" + std::string(40, 'd') +
                      "\"}"),
                  text_reply(r.reply))
            << "row at line " << r.line;
        auto got = server.result();
        EXPECT_TRUE(got.connected) << "row at line " << r.line;
        if (r.request_read) {
            EXPECT_EQ(got.header, byte_vec(record(40).i32(0, 2).i32(8, 768).i32(16, 1).data()))
                << "row at line " << r.line;
            EXPECT_EQ(got.body, byte_vec(record(568)
                                             .text(0, eth0)
                                             .fill(24, 31, 'd')
                                             .fill(56, 63, 's')
                                             .fill(120, 128, 'a')
                                             .text(248, "dealer-2")
                                             .text(504, "code-4")
                                             .data()))
                << "row at line " << r.line;
        }
        if (r.notice)
            expect_sent({{3700, text_bytes(*r.notice)}}, r.line);
        else
            expect_sent({}, r.line);
    }
}

TEST_F(P2p, RegistrationWithoutAReachableServerIsANetworkFailure) {
    const int closed = free_port();
    const struct {
        int line;
        const char* host;
        int port;
    } rows[] = {
        // clang-format off
        {__LINE__, "", 9999},
        {__LINE__, "127.0.0.1", closed},
        {__LINE__, "127.0.0.1", 0},
        // clang-format on
    };
    for (const auto& r : rows) {
        fresh_case();
        use_server(r.host, r.port);
        EXPECT_EQ(reg(), text_reply("3")) << "row at line " << r.line;
        EXPECT_TRUE(sent().empty()) << "row at line " << r.line;
    }
}

TEST_F(P2p, TheKeyPairIsMadeOnceAndAnUnreadableKeyFileIsReplaced) {
    for (const char* stored : {"", "not a key"}) {
        if (*stored)
            root.write(P2P_KEY_FILE, stored);
        else
            unlink(root.file(P2P_KEY_FILE).c_str());
        byte_vec keys[2];
        for (byte_vec& key : keys) {
            fake_p2p_server server({p2p_behaviour::answer, 1});
            use_server("127.0.0.1", server.port());
            EXPECT_EQ(reg(), text_reply("0")) << stored;
            key = server.result().client_key;
        }
        EXPECT_FALSE(keys[0].empty()) << stored;
        EXPECT_EQ(keys[0], keys[1]) << stored;
        struct stat st;
        ASSERT_EQ(stat(root.file(P2P_KEY_FILE).c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u) << stored;
    }
}

TEST_F(P2p, StateSwitchAndServiceRequestsShowTheCoresAnswers) {
    const bytes state = record(744)
                            .i32(0, 1)
                            .text(4, "Acme")
                            .text(68, "a@b.c")
                            .i32(196, 2)
                            .text(200, "acct")
                            .text(328, "RC1")
                            .text(392, "dlr")
                            .text(456, "M1")
                            .i32(520, 1)
                            .fill(524, 128, 'c');
    p2p_record stored = read_back<p2p_record>(tqdb_tbl_p2p_info);
    stored.enable = 0;
    const bytes enable1 = record(484).i32(0, 1), disabled = bytes_of(stored);
    auto answer_bytes = [](int32_t id, bytes b) { return [=](core_case& f) { f.core.add_reply(id, 0, b); }; };
    auto answer_int = [](int32_t id, int32_t v) { return [=](core_case& f) { f.answer_int(id, v); }; };
    auto silent = [](int32_t id) { return [=](core_case& f) { f.answer_nothing(id); }; };
    const struct {
        int line;
        const char* code;
        std::string body;  // POST JSON; empty: GET
        std::function<void(core_case&)> script;
        std::string reply;
        std::vector<msg> want;
    } rows[] = {
        // clang-format off
        {__LINE__, "/7060", "", answer_bytes(3702, state),
         json_reply("{ \"enable\": 1, \"company\": \"Acme\", \"email\": \"a@b.c\", \"p2pstatus\": 2, \"cloudAccount\": "
                    "\"acct\", \"registerCode\": \"RC1\", \"dealer\": \"dlr\", \"model\": \"M1\", \"ipc\": 1, "
                    "\"cloudServer\": \"" + std::string(128, 'c') + "\" }"),
         {{3702, {}}}},
        {__LINE__, "/7060", "", answer_bytes(3702, bytes(743, 0)), json_failure(), {{3702, {}}}},
        {__LINE__, "/7060", "", silent(3702), json_failure(), {{3702, {}}}},
        {__LINE__, "/7061", R"({"enableP2P": 1})", answer_int(3700, 0), text_reply("ERR_OK"), {{3700, enable1}}},
        {__LINE__, "/7061", R"({"enableP2P": 3})", answer_int(3700, 2), text_reply("ERR_NOTFOUND"),
         {{3700, record(484).i32(0, 3)}}},
        {__LINE__, "/7061", R"({"enableP2P": 1})", answer_int(3700, 3), text_reply("ERR_NETWORK"), {{3700, enable1}}},
        {__LINE__, "/7061", R"({"enableP2P": 1})", answer_int(3700, 5), text_reply("ERR_MAC_FORMAT"), {{3700, enable1}}},
        {__LINE__, "/7061", R"({"enableP2P": 1})", answer_int(3700, 6), text_reply("ERR_AUTH_FAILED"), {{3700, enable1}}},
        {__LINE__, "/7061", R"({"enableP2P": 1})", answer_int(3700, 7), text_reply("ERR_NO_UUID"), {{3700, enable1}}},
        {__LINE__, "/7061", R"({"enableP2P": 1})", answer_int(3700, 4), text_reply("ERR_UNKNOWN"), {{3700, enable1}}},
        {__LINE__, "/7061", R"({"enableP2P": 1})", answer_int(3700, -1), text_reply("ERR_UNKNOWN"), {{3700, enable1}}},
        {__LINE__, "/7061", R"({"enableP2P": 1})", silent(3700), text_failure(), {{3700, enable1}}},
        {__LINE__, "/7061", R"({"enableP2P": 0})", answer_int(3701, 0), text_reply("OK"), {{3701, disabled}}},
        {__LINE__, "/7061", R"({"enableP2P": 0})", answer_int(3701, 9), text_reply("ERR"), {{3701, disabled}}},
        {__LINE__, "/7061", R"({"enableP2P": 0})", silent(3701), text_failure(), {{3701, disabled}}},
        {__LINE__, "/7061", R"({"enable": 0})", silent(3701), "", {}},
        {__LINE__, "/7094", "", answer_int(3309, 5), json_reply("{ \"status\": 5 }"), {{3309, {}}}},
        {__LINE__, "/7094", "", silent(3309), json_failure(), {{3309, {}}}},
        {__LINE__, "/7095", "", answer_int(2302, 9), json_reply("{ \"res\": 0 }"), {{2302, {}}}},
        {__LINE__, "/7095", "", answer_bytes(2302, {}), json_reply("{ \"res\": 0 }"), {{2302, {}}}},
        {__LINE__, "/7095", "", silent(2302), json_failure(), {{2302, {}}}},
        // clang-format on
    };
    for (const auto& r : rows) {
        fresh_case();
        ASSERT_EQ(write_p2p_info(TQDB_FILE, &stored), 0);
        stored.enable = 1;
        ASSERT_EQ(write_p2p_info(TQDB_FILE, &stored), 0);
        stored.enable = 0;
        r.script(*this);
        EXPECT_EQ((r.body.empty() ? cgi_get(root, r.code) : post(r.code, r.body)).out, r.reply)
            << "row at line " << r.line;
        expect_sent(r.want, r.line);
        const bool disabled_now = r.want.size() == 1 && r.want[0].id == 3701;
        EXPECT_EQ(read_back<p2p_record>(tqdb_tbl_p2p_info).enable, disabled_now ? 0 : 1)
            << "row at line " << r.line;
    }
    expect_unstored({__LINE__, "/7061", R"({"enableP2P": 0})", {"p2p_info"}, text_failure()});
}

}  // namespace
