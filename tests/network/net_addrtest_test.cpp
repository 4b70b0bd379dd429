// The address tests: what the core is asked and how its answer is shown.
#include "tests/network/net_fixture.h"

#include <functional>

namespace {

using AddressTest = NetFixture;

TEST_F(AddressTest, TheCoresResultIsShownAsZeroOrMinusOne) {
    const std::string ip_18 = "192.168.100.200.12";
    struct row {
        int line;
        const char* code;
        std::string body;
        std::function<void(core_case&)> script;
        std::string reply;
        int32_t msg_id;  // 0: nothing sent
        coresim::bytes payload;
    } rows[] = {
        {__LINE__, "/7070", "{\"ip\": \"192.168.1.7\"}", [](core_case& f) { f.answer_int(3005, 0); },
         text_reply("0"), 3005, padded("192.168.1.7", 20)},
        {__LINE__, "/7070", "{\"ip\": \"192.168.1.7\"}", [](core_case& f) { f.answer_int(3005, 3); },
         text_reply("-1"), 3005, padded("192.168.1.7", 20)},
        {__LINE__, "/7070", "{\"ip\": \"192.168.1.7\"}", [](core_case& f) { f.answer_int(3005, -1); },
         text_reply("-1"), 3005, padded("192.168.1.7", 20)},
        {__LINE__, "/7070", "{\"ip\": \"fd00::1\"}", [](core_case& f) { f.answer_nothing(3005); },
         text_reply("CGI ERROR"), 3005, padded("fd00::1", 20)},
        // The text is cut to 19 characters; a missing one is sent empty.
        {__LINE__, "/7070", "{\"ip\": \"" + ip_18 + "99\"}", [](core_case&) {}, text_reply("0"), 3005,
         padded(ip_18 + "9", 20)},
        {__LINE__, "/7070", "{}", [](core_case&) {}, text_reply("0"), 3005, coresim::bytes(20, 0)},
        {__LINE__, "/7070", "ip=1.2.3.4", [](core_case&) {}, "", 0, {}},
        {__LINE__, "/7071", "{\"dev\": \"eth1\", \"ip\": \"10.0.0.9\"}", [](core_case& f) { f.answer_int(3006, 0); },
         text_reply("0"), 3006, [] {
             coresim::bytes b = padded("eth1", 16);
             coresim::bytes ip = padded("10.0.0.9", 16);
             b.insert(b.end(), ip.begin(), ip.end());
             return b;
         }()},
        {__LINE__, "/7071", "{\"dev\": \"a-very-long-interface\", \"ip\": \"192.168.100.200\"}",
         [](core_case& f) { f.answer_int(3006, 1); }, text_reply("-1"), 3006, [] {
             coresim::bytes b = padded("a-very-long-int", 16);
             coresim::bytes ip = padded("192.168.100.200", 16);
             b.insert(b.end(), ip.begin(), ip.end());
             return b;
         }()},
        {__LINE__, "/7071", "{\"dev\": \"eth0\"}", [](core_case& f) { f.answer_nothing(3006); },
         text_reply("CGI ERROR"), 3006, padded("eth0", 32)},
        {__LINE__, "/7071", "", [](core_case&) {}, "", 0, {}},
    };
    for (const auto& r : rows) {
        fresh_case();
        r.script(*this);
        cgi_result res = cgi_post_json(root, r.code, r.body);
        EXPECT_EQ(res.out, r.reply) << "row at line " << r.line;
        auto msgs = sent(r.msg_id ? 1 : 0);
        ASSERT_EQ(msgs.size(), r.msg_id ? 1u : 0u) << "row at line " << r.line;
        if (r.msg_id) {
            EXPECT_EQ(msgs[0].id, r.msg_id) << "row at line " << r.line;
            EXPECT_EQ(msgs[0].payload, r.payload) << "row at line " << r.line;
        }
    }
}

}  // namespace
