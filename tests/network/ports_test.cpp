// The service ports page end to end: what /7050 shows, the port check of
// /7051 (reserved for PoE cameras, already listening, free, unchanged), what
// a store tells the core, the push settings and the failures.
#include <functional>

#include "platform/tqdb/rec_services.h"
#include "platform/tqdb/rec_system.h"
#include "tests/harness/store_case.h"
#include "tests/network/open_socket.h"

namespace {

using namespace xcase;

std::string replace_all(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

class Ports : public store_case {
protected:
    // The factory ports: ssh 22, http 80, rtsp 554, https 443, service 9000, pos 9010.
    static std::string body(const std::string& extra = "", int ssh = 22, int http = 80, int https = 443,
                            int pos = 9010) {
        return "{\"enableSsh\": 1, \"sshPort\": " + std::to_string(ssh) +
               ", \"httpPort\": " + std::to_string(http) +
               ", \"rtspPort\": 554, \"servicePort\": 9000, \"enableMsg\": 0, \"httpsPort\": " +
               std::to_string(https) + ", \"posPort\": " + std::to_string(pos) + extra + "}";
    }
    port_record ports() { return read_back<port_record>(tqdb_tbl_port); }
    // A case starts from the factory ports.
    void fresh_ports() {
        fresh_case();
        static const port_record factory = ports();
        ASSERT_EQ(write_port(TQDB_FILE, &factory), 0);
    }
};

TEST_F(Ports, TheSettingsShowStoredValuesForTheOfferedChannels) {
    port_record p = ports();
    p.ssh_port = 2222;
    p.pos_port = 9100;
    ASSERT_EQ(write_port(TQDB_FILE, &p), 0);
    const push_msg_event_record rows[] = {{0, 3}, {2, 5}, {10, 9}};
    ASSERT_EQ(write_push_msg_events(TQDB_FILE, rows, 3), 0);
    push_nvr_event_record event{"lobby", {}};
    ASSERT_EQ(write_push_msg_nvr_event(TQDB_FILE, &event), 0);
    for (auto [key, value] : {std::pair{"max_cameras", "4"},
                              {"ch_access", "1"},
                              {"pushmsg_alarmin_type", "7"},
                              {"enable_push_msg", "1"},
                              {"video_push_stream", "1"}})
        ASSERT_EQ(set_param_value(TQDB_FILE, key, value), 0);
    EXPECT_EQ(
        cgi_get(root, "/7050").out,
        json_reply(
            "{ \"enableSsh\": 0, \"sshPort\": 2222, \"httpPort\": 80, \"httpsPort\": 443, \"rtspPort\": 554, "
            "\"servicePort\": 9000, \"posPort\": 9100, \"enable_access\": 1, \"PushTypeArr\": [ 3, 0, 5, 0 "
            "], "
            "\"PushNvrAlarmInType\": 7, \"enableMsg\": 1, \"push_stream\": 1, \"pushNvrPos\": \"lobby\" }"));

    // "enableMsg" outside 0..1 shows 0; the list is as long as the channels offered (1..64).
    const struct {
        int line;
        const char *enable_msg, *max_cameras;
        int shown, channels;
    } cases[] = {{__LINE__, "5", "1", 0, 1}, {__LINE__, "-1", "0", 0, 1}, {__LINE__, "x", "100", 0, 64}};
    for (const auto& c : cases) {
        set_param_value(TQDB_FILE, "enable_push_msg", c.enable_msg);
        set_param_value(TQDB_FILE, "max_cameras", c.max_cameras);
        json_ref obj = json_body(cgi_get(root, "/7050"));
        ASSERT_TRUE(obj) << "row at line " << c.line;
        EXPECT_EQ(req_int_or(obj, "enableMsg", -9), c.shown) << "row at line " << c.line;
        EXPECT_EQ(json_object_array_length(req_array(obj, "PushTypeArr")), static_cast<size_t>(c.channels))
            << "row at line " << c.line;
    }
}

TEST_F(Ports, AChangedPortThatIsReservedOrListeningIsRefusedAndNothingStored) {
    open_socket tcp4(SOCK_STREAM, "0.0.0.0"), tcp6(SOCK_STREAM, "::"), udp4(SOCK_DGRAM, "0.0.0.0"),
        udp6(SOCK_DGRAM, "::"), loopback(SOCK_STREAM, "127.0.0.1");
    const int free = free_port();
    const std::string poe = "POE_Port_Error", pos = "POS_Port_Error";
    const struct {
        int line;
        const char* poe_ports;
        int ssh, http, https, posp;  // 0: as stored
        std::string reply;
        int stored_ssh = 0;  // set before the request (0: as stored)
    } rows[] = {
        // clang-format off
        {__LINE__, "4", 23004, 0, 0, 0, poe},
        {__LINE__, "4", 23005, 0, 0, 0, "OK"},
        {__LINE__, "8", 0, 23008, 0, 0, poe},
        {__LINE__, "16", 0, 0, 23016, 0, poe},
        {__LINE__, "16", 0, 0, 23017, 0, "OK"},
        {__LINE__, "0", 23001, 0, 0, 0, "OK"},
        {__LINE__, "5", 23001, 0, 0, 0, "OK"},
        {__LINE__, "4", 0, 0, 0, 23001, pos},
        {__LINE__, "4", 23001, 0, 0, 23002, poe},  // the first refusal answers
        {__LINE__, "0", tcp4.port(), 0, 0, 0, poe},
        {__LINE__, "0", 0, 0, tcp6.port(), 0, poe},
        {__LINE__, "0", 0, udp6.port(), 0, 0, poe},
        {__LINE__, "0", 0, 0, 0, udp4.port(), pos},
        {__LINE__, "0", loopback.port(), 0, 0, 0, "OK"},  // not on every address
        {__LINE__, "0", free, 0, 0, 0, "OK"},
        {__LINE__, "4", tcp4.port(), 0, 0, 0, "OK", tcp4.port()},  // unchanged: never checked
        {__LINE__, "4", 23001, 0, 0, 0, "OK", 23001},
        // clang-format on
    };
    for (const auto& r : rows) {
        fresh_ports();
        port_record before = ports();
        before.ssh_port = r.stored_ssh ? r.stored_ssh : 22;
        ASSERT_EQ(write_port(TQDB_FILE, &before), 0);
        set_param_value(TQDB_FILE, "max_poe_num", r.poe_ports);
        auto pick = [](int v, int stored) { return v ? v : stored; };
        cgi_result res = post("/7051", body("", pick(r.ssh, before.ssh_port), pick(r.http, 80),
                                            pick(r.https, 443), pick(r.posp, 9010)));
        EXPECT_EQ(res.out, text_reply(r.reply)) << "row at line " << r.line;
        port_record after = ports();
        EXPECT_EQ(after.ssh_port, r.reply == "OK" ? pick(r.ssh, before.ssh_port) : before.ssh_port)
            << "row at line " << r.line;
        EXPECT_EQ(after.enable_ssh, r.reply == "OK" ? 1 : 0) << "row at line " << r.line;
        if (r.reply != "OK") {
            EXPECT_TRUE(sent().empty()) << "row at line " << r.line << ": " << ids_text(sent());
        }
    }
}

TEST_F(Ports, AStoreTellsTheCoreWhatChangedInOrder) {
    const msg push_off{3617, padded("0", 10)}, logged{3485, oplog(204, 918, 0)},
        more{1702, padded("more", 32)};
    const struct {
        int line;
        std::string body;
        std::vector<msg> want;
        std::string push_stored;
    } rows[] = {
        // clang-format off
        {__LINE__, body(), {push_off, logged, more}, "0"},
        {__LINE__, body(", \"enableAccess\": 0"), {push_off, logged, more}, "0"},
        {__LINE__, body(", \"enableAccess\": 1"), {{3618, int_bytes({1})}, push_off, logged, more}, "0"},
        {__LINE__, body("", 22, 80, 443, 9011), {{1422, int_bytes({9011})}, push_off, logged, more}, "0"},
        {__LINE__, replace_all(body(), "\"enableMsg\": 0", "\"enableMsg\": 1"),
         {{3617, padded("1", 10)}, logged, more}, "1"},
        {__LINE__, replace_all(body(), "\"enableMsg\": 0", "\"enableMsg\": 5"), {push_off, logged, more}, "0"},
        {__LINE__, body(", \"needReboot\": 1, \"enableAccess\": 2", 22, 80, 443, 1),
         {{3618, int_bytes({2})}, {1422, int_bytes({1})}, push_off, logged, more, {3485, oplog(200, 900, 0)},
          {1703, {}}},
         "0"},
        // clang-format on
    };
    for (const auto& r : rows) {
        fresh_ports();
        EXPECT_EQ(post("/7051", r.body).out, text_reply("OK")) << "row at line " << r.line;
        expect_sent(r.want, r.line);
        char stored[8];
        get_param_value(TQDB_FILE, "enable_push_msg", stored, sizeof stored, "?");
        EXPECT_STREQ(stored, r.push_stored.c_str()) << "row at line " << r.line;
    }
}

TEST_F(Ports, PushSettingsAreStoredForTheListedChannelsEvenWhenThePortsAreRefused) {
    set_param_value(TQDB_FILE, "max_poe_num", "4");
    std::string seventy = "[";
    for (int i = 0; i < 70; ++i) seventy += std::to_string(i + 1) + (i < 69 ? "," : "]");
    const struct {
        int line;
        std::string extra;
        int ssh;
        size_t rows;  // push rows stored, channels 0.. with values 1..
        std::string reply;
    } rows[] = {
        // clang-format off
        {__LINE__, ", \"channel_num\": 100, \"pushTypeArr\": [1, 2, 3]", 22, 3, "OK"},
        {__LINE__, ", \"channel_num\": 2, \"pushTypeArr\": [1, 2, 3, 4, 5]", 22, 2, "OK"},
        {__LINE__, ", \"channel_num\": 70, \"pushTypeArr\": " + seventy, 22, 64, "OK"},
        {__LINE__, ", \"channel_num\": 3, \"pushTypeArr\": [1, 2, 3], \"pushType\": 6, \"PushTypeNvrAlarmIn\": 8", 23001,
         3, "POE_Port_Error"},
        // clang-format on
    };
    for (const auto& r : rows) {
        fresh_case();
        for (int chn = 0; chn < 64; ++chn) tqdb_delete(TQDB_FILE, tqdb_tbl_push_msg_event, chn);
        EXPECT_EQ(post("/7051", body(r.extra, r.ssh)).out, text_reply(r.reply)) << "row at line " << r.line;
        push_msg_event_record got[64];
        int count = 0;
        read_push_msg_events(TQDB_FILE, got, &count);
        ASSERT_EQ(static_cast<size_t>(count), r.rows) << "row at line " << r.line;
        for (int i = 0; i < count; ++i) EXPECT_EQ(got[i].value, i + 1) << "row at line " << r.line;
    }
    EXPECT_EQ(get_param_int(TQDB_FILE, "push_type", -1), 6);
    EXPECT_EQ(get_param_int(TQDB_FILE, "pushmsg_alarmin_type", -1), 8);

    // The recorder's push text is cut to 64 characters; left-out ports keep theirs.
    const std::string long_text(70, 'p');
    EXPECT_EQ(
        post("/7051",
             "{\"enableSsh\": 0, \"sshPort\": 22, \"httpPort\": 81, \"rtspPort\": 554, \"servicePort\": 1, "
             "\"enableMsg\": 0, \"pushNvrPos\": \"" +
                 long_text + "\", \"pushVideoStream\": 1}")
            .out,
        text_reply("OK"));
    EXPECT_EQ(std::string(read_back<push_nvr_event_record>(tqdb_tbl_push_nvr_event).event),
              long_text.substr(0, 64));
    EXPECT_EQ(get_param_int(TQDB_FILE, "video_push_stream", -1), 1);
    port_record p = ports();
    EXPECT_EQ(p.http_port, 81);
    EXPECT_EQ(p.https_port, 443);
    EXPECT_EQ(p.pos_port, 9010);
    EXPECT_EQ(p.service_port, 9000);  // required, but not taken here
}

TEST_F(Ports, ARequestWithoutItsRequiredMembersStoresAndSendsNothing) {
    const std::string good = body(", \"channel_num\": 1, \"pushTypeArr\": [4], \"enableAccess\": 1");
    const std::string bad[] = {
        // clang-format off
        replace_all(good, "\"enableSsh\": 1, ", ""),  replace_all(good, "\"enableSsh\": 1", "\"enableSsh\": 2"),
        replace_all(good, "\"sshPort\": 22", "\"sshPort\": -1"), replace_all(good, "\"servicePort\": 9000, ", ""),
        replace_all(good, "\"enableMsg\": 0", "\"enableMsg\": -1"),
        replace_all(good, "\"enableMsg\": 0, ", ""),  "sshPort=23",
        // clang-format on
    };
    for (const std::string& b : bad) {
        fresh_case();
        const std::string before = db_snapshot(root);
        EXPECT_EQ(post("/7051", b).out, "") << b;
        EXPECT_TRUE(db_snapshot(root) == before) << b;
        EXPECT_TRUE(sent().empty()) << b;
    }
}

TEST_F(Ports, AStoreThatFailsAnswersTheFailureAndTellsNobody) {
    const unstored_row rows[] = {
        // clang-format off
        {__LINE__, "/7051", body("", 2200), {"port"}, text_failure()},
        {__LINE__, "/7051", body("", 2201), {param_target("enable_push_msg")}, text_failure()},
        {__LINE__, "/7051", body(", \"pushNvrPos\": \"x\""), {"push_nvr_event"}, text_failure()},
        {__LINE__, "/7051", body(", \"channel_num\": 1, \"pushTypeArr\": [4], \"enableAccess\": 1"), {"push_msg_event"},
         text_failure()},
        {__LINE__, "/7051", body(", \"pushType\": 3"), {param_target("push_type")}, text_failure()},
        // clang-format on
    };
    for (const unstored_row& r : rows) expect_unstored(r);
}

TEST_F(Ports, AccessSwitchAndPoePortsAreShownFromTheirParameters) {
    set_param_value(TQDB_FILE, "ch_access", "1");
    set_param_value(TQDB_FILE, "max_poe_num", "8");
    EXPECT_EQ(cgi_get(root, "/7092").out, json_reply("{ \"access\": 1 }"));
    EXPECT_EQ(cgi_get(root, "/7093").out, json_reply("{ \"max_poe_num\": 8 }"));
}

}  // namespace
