// RAID requests end to end: the message each request sends and how the
// core's one result is shown.
#include "tests/storage/storage_fixture.h"

#include <functional>

namespace {

using Raid = StorageFixture;

raid_request raid_msg(int id, int enable, int level, int cnt, std::initializer_list<int> members) {
    raid_request msg;
    std::memset(&msg, 0, sizeof msg);
    msg.id = id;
    msg.enable = enable;
    msg.level = level;
    msg.sata_cnt = cnt;
    int i = 0;
    for (int m : members) msg.ports[i++] = m;
    return msg;
}

TEST_F(Raid, EachRequestSendsItsRecordAndShowsOkOrError) {
    const std::string ok = text_reply("OK"), error = text_reply("Error"), cgi_error = text_reply("CGI ERROR");
    using script = std::function<void(Raid&)>;
    auto none = [](Raid&) {};
    struct row {
        int line;
        const char* code;
        const char* body;
        script setup;
        std::string reply;
        int32_t msg_id;  // 0: nothing sent
        coresim::bytes payload;
    } rows[] = {
        // Build: members from the bit mask, lowest first.
        {__LINE__, "/6104", "{\"id\": 10, \"enable\": 1, \"level\": 5, \"sata_cnt\": 3, \"sata_port\": 32773}", none, ok,
         3420, bytes_of(raid_msg(10, 1, 5, 3, {0, 2, 15}))},
        {__LINE__, "/6104", "{\"id\": 15, \"enable\": 0, \"level\": 1, \"sata_cnt\": 2, \"sata_port\": 131071}",
         [](Raid& f) { f.answer_int(3420, 4); }, error, 3420,
         bytes_of(raid_msg(15, 0, 1, 2, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}))},
        {__LINE__, "/6104", "{\"id\": 12, \"enable\": 1}", none, ok, 3420, bytes_of(raid_msg(12, 1, 0, 0, {}))},
        {__LINE__, "/6104", "{\"id\": 9, \"enable\": 1, \"level\": 5, \"sata_cnt\": 3, \"sata_port\": 7}", none, "", 0, {}},
        {__LINE__, "/6104", "{\"id\": 16, \"enable\": 1, \"level\": 5, \"sata_cnt\": 3, \"sata_port\": 7}", none, "", 0, {}},
        {__LINE__, "/6104", "{\"id\": 10, \"level\": 5, \"sata_cnt\": 3, \"sata_port\": 7}", none, "", 0, {}},
        {__LINE__, "/6104", "{\"id\": 10, \"enable\": 1, \"level\": -1, \"sata_cnt\": 3, \"sata_port\": 7}", none, "", 0,
         {}},
        {__LINE__, "/6104", "{\"id\": 10, \"enable\": 1, \"level\": 5, \"sata_cnt\": -1, \"sata_port\": 7}", none, "", 0,
         {}},
        {__LINE__, "/6104", "{\"id\": 10, \"enable\": 1, \"level\": 5, \"sata_cnt\": 3, \"sata_port\": -1}", none, "", 0,
         {}},
        {__LINE__, "/6104", "id=10", none, "", 0, {}},
        // Remove an array by id.
        {__LINE__, "/6105", "10", none, ok, 3421, bytes_of(raid_msg(10, 0, 0, 0, {}))},
        {__LINE__, "/6105", "16", [](Raid& f) { f.answer_int(3421, -1); }, error, 3421,
         bytes_of(raid_msg(16, 0, 0, 0, {}))},
        {__LINE__, "/6105", "11", [](Raid& f) { f.answer_nothing(3421); }, cgi_error, 3421,
         bytes_of(raid_msg(11, 0, 0, 0, {}))},
        {__LINE__, "/6105", "17", none, "", 0, {}},
        {__LINE__, "/6105", "9", none, "", 0, {}},
        {__LINE__, "/6105", "ten", none, "", 0, {}},
        // Hot spare on and off.
        {__LINE__, "/6106", "{\"port\": 3, \"hotflag\": 1}", none, ok, 3423, int_bytes({3})},
        {__LINE__, "/6106", "{\"port\": 3, \"hotflag\": -4}", none, ok, 3423, int_bytes({3})},
        {__LINE__, "/6106", "{\"port\": 4, \"hotflag\": 0}", [](Raid& f) { f.answer_int(3424, 2); }, error, 3424,
         int_bytes({4})},
        // An answer too short for its result is no answer.
        {__LINE__, "/6106", "{\"port\": 4}", [](Raid& f) { f.core.add_reply(3424, 0, {0, 0}); }, cgi_error, 3424,
         int_bytes({4})},
        {__LINE__, "/6106", "port=4", none, "", 0, {}},
        // Add a disk to an array; here a missing result means "Error".
        {__LINE__, "/6107", "{\"diskport\": 2, \"raidport\": 12}", none, ok, 3425, int_bytes({2, 12})},
        {__LINE__, "/6107", "{\"diskport\": 2, \"raidport\": 12}", [](Raid& f) { f.answer_int(3425, 1); }, error, 3425,
         int_bytes({2, 12})},
        {__LINE__, "/6107", "{\"diskport\": 2, \"raidport\": 12}", [](Raid& f) { f.core.add_reply(3425, 0, {}); },
         error, 3425, int_bytes({2, 12})},
        {__LINE__, "/6107", "{\"diskport\": 2, \"raidport\": 12}", [](Raid& f) { f.core.add_reply(3425, 0, {0, 0}); },
         error, 3425, int_bytes({2, 12})},
        {__LINE__, "/6107", "", none, "", 0, {}},
    };
    for (const auto& r : rows) {
        fresh_case();
        r.setup(*this);
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
