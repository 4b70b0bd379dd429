// Alarm contacts end to end: the recorder's output and input lists, the
// name lists, switching outputs by hand, and the basic input pages.
#include "tests/alarm/alarm_cases.h"

#include <functional>

namespace altest {
namespace {

using Contacts = AlarmFixture;

TEST_F(Contacts, OutputAndInputListsShowTheStoredContacts) {
    alarm_out_record out{};
    out.id = 2;
    set_text(out.name, "Siren/Hall");
    out.type = 1;
    out.enable = 1;
    out.duration_time = 45;
    ASSERT_EQ(write_alarm_out(TQDB_FILE, &out), 0);
    EXPECT_EQ(cgi_get(root, "/6020").out,
              json_reply("[ { \"id\": 0, \"name\": \"\", \"type\": 0, \"enable\": 0, \"durationTime\": 0 }, "
                         "{ \"id\": 1, \"name\": \"\", \"type\": 0, \"enable\": 0, \"durationTime\": 0 }, "
                         "{ \"id\": 2, \"name\": \"Siren\\/Hall\", \"type\": 1, \"enable\": 1, \"durationTime\": 45 }, "
                         "{ \"id\": 3, \"name\": \"\", \"type\": 0, \"enable\": 0, \"durationTime\": 0 } ]"));

    alarm_in_record in = stored_input(15);
    std::memset(in.name, 'n', sizeof in.name);  // a name that fills its field ends at the field
    std::memset(in.tri_channels, '1', sizeof in.tri_channels);
    ASSERT_EQ(write_alarm_in(TQDB_FILE, &in), 0);
    std::string list;
    for (int id = 0; id < 15; ++id)
        list += "{ \"id\": " + std::to_string(id) +
                ", \"enable\": 0, \"name\": \"\", \"type\": 0, \"triChannels\": \"\", \"triAlarms\": 0 }, ";
    list += "{ \"id\": 15, \"enable\": 1, \"name\": \"" + std::string(256, 'n') +
            "\", \"type\": 1, \"triChannels\": \"" + std::string(65, '1') + "\", \"triAlarms\": 5 }";
    EXPECT_EQ(cgi_get(root, "/6060").out, json_reply("[ " + list + " ]"));
    EXPECT_TRUE(sent().empty());
}

TEST_F(Contacts, NameListsCoverTheRecorderAndEveryCamera) {
    alarm_in_record in = stored_input(1);
    (void)in;
    alarm_out_record out{};
    out.id = 3;
    set_text(out.name, "Strobe");
    ASSERT_EQ(write_alarm_out(TQDB_FILE, &out), 0);
    alarm_chn_in_name cin{63, 1, {}};
    set_text(cin.alarm_name, "PIR");
    ASSERT_EQ(write_alarm_chnIn_event_name(TQDB_FILE, &cin), 0);
    alarm_chn_out_name cout{0, 0, 5, {}};
    set_text(cout.alarm_name, "Light");
    ASSERT_EQ(write_alarm_chnOut_event_name(TQDB_FILE, &cout), 0);

    auto camera = [](int named_chn, int named_index, const std::string& name) {
        std::string list;
        for (int chn = 0; chn < 64; ++chn) {
            std::string pair[2] = {"", ""};
            if (chn == named_chn) pair[named_index] = name;
            list += (chn ? ", [ \"" : "[ \"") + pair[0] + "\", \"" + pair[1] + "\" ]";
        }
        return list;
    };
    std::string nvr_in;
    for (int id = 0; id < 16; ++id) nvr_in += std::string(id ? ", " : "") + (id == 1 ? "\"Door\"" : "\"\"");
    EXPECT_EQ(cgi_get(root, "/6034").out,
              json_reply("{ \"nvr\": [ " + nvr_in + " ], \"camera\": [ " + camera(63, 1, "PIR") + " ] }"));
    EXPECT_EQ(cgi_get(root, "/6032").out,
              json_reply("{ \"nvr\": [ \"\", \"\", \"\", \"Strobe\" ], \"camera\": [ " + camera(0, 0, "Light") +
                         " ] }"));
}

TEST_F(Contacts, SwitchingOutputsByHand) {
    struct row {
        int line;
        std::string code, body;
        std::string reply;
        coresim::bytes payload;  // of the one switching message; empty: nothing sent
        int32_t msg_id;
    } rows[] = {
        {__LINE__, "/6023", "{\"id\": 3, \"enable\": 1}", text_reply("OK"), int_bytes({3, 1}), 1409},
        {__LINE__, "/6023", "{\"id\": 0}", text_reply("OK"), int_bytes({0, 0}), 1409},
        {__LINE__, "/6023", "{\"id\": 4, \"enable\": 1}", "", {}, 0},
        {__LINE__, "/6023", "{\"id\": -1, \"enable\": 1}", "", {}, 0},
        {__LINE__, "/6023", "{\"enable\": 1}", "", {}, 0},
        {__LINE__, "/6023", "id=1", "", {}, 0},
        // The camera's outputs are the core's to check.
        {__LINE__, "/6033", "{\"chnid\": 70, \"alarmId\": 5, \"state\": 1}", text_reply("OK"), int_bytes({70, 5, 1}),
         3352},
        {__LINE__, "/6033", "{\"chnid\": 2}", text_reply("OK"), int_bytes({2, 0, 0}), 3352},
        {__LINE__, "/6033", "chnid=2", text_reply("CGI ERROR"), {}, 0},
        {__LINE__, "/6033", "", text_reply("CGI ERROR"), {}, 0},
    };
    for (const auto& r : rows) {
        fresh_case();
        EXPECT_EQ(post(r.code, r.body).out, r.reply) << "row at line " << r.line;
        auto msgs = sent(r.payload.empty() ? 0 : 1);
        if (r.payload.empty()) {
            EXPECT_TRUE(msgs.empty()) << "row at line " << r.line;
            continue;
        }
        ASSERT_GE(msgs.size(), 1u) << "row at line " << r.line;
        EXPECT_EQ(msgs[0].id, r.msg_id) << "row at line " << r.line;
        EXPECT_EQ(msgs[0].payload, r.payload) << "row at line " << r.line;
        if (r.code == "/6023") {
            ASSERT_EQ(msgs.size(), 2u) << "row at line " << r.line;
            EXPECT_EQ(msgs[1].id, 3485) << "row at line " << r.line;
            EXPECT_EQ(msgs[1].payload, contact_log(911, int_at(r.payload, 0)).payload) << "row at line " << r.line;
        } else {
            EXPECT_EQ(msgs.size(), 1u) << "row at line " << r.line;
        }
    }
}

// The basic pages change only the fields they carry: the actions that the
// full page stored survive.
TEST_F(Contacts, BasicInputPagesKeepTheActionFields) {
    struct row {
        int line;
        std::string code, body;
        int id;  // the input changed; -1 none (and no reply)
        std::function<void(alarm_in_record&)> expect;
    } rows[] = {
        {__LINE__, "/6063", R"({"alarm": {"camId": 4, "name": "Back door", "type": 0, "enable": 2}})", 4,
         [](alarm_in_record& r) {
             set_text(r.name, "Back door");
             r.type = 0;
             r.enable = 2;
         }},
        // Members not given keep their values.
        {__LINE__, "/6063", R"({"alarm": {"camId": 15, "type": 0}})", 15, [](alarm_in_record& r) { r.type = 0; }},
        {__LINE__, "/6064",
         R"({"alarm": {"id": 2, "enable": 0, "name": "Gate", "type": 0, "triChannels": "1000000000000000000000000000000000001", "triAlarms": 3, "interval": 12}})",
         2,
         [](alarm_in_record& r) {
             set_text(r.name, "Gate");
             r.type = 0;
             set_text(r.tri_channels, "1000000000000000000000000000000000001");
             r.tri_channels_mask = 1;  // position 36 lives only in the text
             r.tri_alarms = 3;
             r.interval = 12;
         }},
        {__LINE__, "/6064", R"({"alarm": {"id": 0, "enable": 2, "type": 1, "triChannels": ""}})", 0,
         [](alarm_in_record& r) {
             set_text(r.tri_channels, "");
             r.tri_channels_mask = 0;
         }},
        // Refused: inputs outside 0..15 never reach a record, nor do failed checks.
        {__LINE__, "/6063", R"({"alarm": {"camId": 16, "name": "x"}})", -1, nullptr},
        {__LINE__, "/6063", R"({"alarm": {"camId": -1, "name": "x"}})", -1, nullptr},
        {__LINE__, "/6063", R"({"alarm": {"name": "x"}})", -1, nullptr},
        {__LINE__, "/6063", R"({"camId": 1})", -1, nullptr},
        {__LINE__, "/6063", "camId=1", -1, nullptr},
        {__LINE__, "/6064", R"({"alarm": {"id": 16, "enable": 0, "type": 0, "triChannels": ""}})", -1, nullptr},
        {__LINE__, "/6064", R"({"alarm": {"id": 1, "enable": 3, "type": 0, "triChannels": ""}})", -1, nullptr},
        {__LINE__, "/6064", R"({"alarm": {"id": 1, "enable": 1, "type": 2, "triChannels": ""}})", -1, nullptr},
        {__LINE__, "/6064", R"({"alarm": {"id": 1, "enable": 1, "type": 0}})", -1, nullptr},
        {__LINE__, "/6064", R"({"alarm": {"id": 1, "enable": 1, "type": 0, "triChannels": "", "triAlarms": -1}})", -1,
         nullptr},
        {__LINE__, "/6064", R"({"alarm": {"id": 1, "enable": 1, "type": 0, "triChannels": "", "interval": -5}})", -1,
         nullptr},
        {__LINE__, "/6064", R"({"alarm": {"enable": 1, "type": 0, "triChannels": ""}})", -1, nullptr},
        {__LINE__, "/6064", "not json", -1, nullptr},
    };
    for (const auto& r : rows) {
        fresh_case();
        alarm_in_record before[alarm_in_count];
        for (int id = 0; id < alarm_in_count; ++id) before[id] = stored_input(id);
        cgi_result res = post(r.code, r.body);
        EXPECT_EQ(res.out, r.id < 0 ? "" : text_reply("OK")) << "row at line " << r.line;
        for (int id = 0; id < alarm_in_count; ++id) {
            alarm_in_record want = before[id];
            if (id == r.id) r.expect(want);
            EXPECT_TRUE(same_bytes(input(id), want)) << "input " << id << ", row at line " << r.line;
        }
        auto msgs = sent(r.id < 0 ? 0 : 2);
        if (r.id < 0) {
            EXPECT_TRUE(msgs.empty()) << "row at line " << r.line;
            continue;
        }
        ASSERT_EQ(msgs.size(), 2u) << "row at line " << r.line;
        EXPECT_EQ(msgs[0].id, 1404) << "row at line " << r.line;
        EXPECT_EQ(msgs[0].payload, int_bytes({r.id})) << "row at line " << r.line;
        EXPECT_EQ(msgs[1].id, 3485) << "row at line " << r.line;
        EXPECT_EQ(msgs[1].payload, contact_log(910, r.id).payload) << "row at line " << r.line;
    }
}

}  // namespace
}  // namespace altest
