// The PTZ action list pages: one entry at a time, read back through the list
// page, for an event kind of the shared store and for people counting.
#include "tests/event/event_cases.h"

namespace evtest {
namespace {

using PtzActions = EventTest;

std::string entry(int chn, int type, int preset, int patrol) {
    return spaced({{"acto_ptz_channel", num(chn)},
                   {"acto_ptz_type", num(type)},
                   {"acto_ptz_preset", num(preset)},
                   {"acto_ptz_patrol", num(patrol)}});
}

TEST_F(PtzActions, EntriesAreAddedChangedAndDeletedPerKindAndChannel) {
    for (int kind : {1, 20}) {
        std::string key = "\"type\": " + num(kind) + ", \"chn_id\": 4";
        auto list = [&]() { return post("/6161", "{" + key + "}").out; };
        auto keyed = [&](const char* code, const std::string& rest) {
            return post(code, "{" + key + ", " + rest + "}").out;
        };
        EXPECT_EQ(list(), json_reply("{ \"ptzInfo\": [ ] }")) << kind;
        // The target member that counts is the one of the action's type.
        EXPECT_EQ(keyed("/6160", "\"acto_ptz_channel\": 2, \"acto_ptz_type\": 1, \"acto_ptz_preset\": 5, \"acto_ptz_patrol\": 9"),
                  text_reply("OK"));
        EXPECT_EQ(keyed("/6160", "\"acto_ptz_channel\": 3, \"acto_ptz_type\": 2, \"acto_ptz_preset\": 5, \"acto_ptz_patrol\": 9"),
                  text_reply("OK"));
        EXPECT_EQ(keyed("/6160", "\"acto_ptz_channel\": 6, \"acto_ptz_type\": 3, \"acto_ptz_pattern\": 4"), text_reply("OK"));
        EXPECT_EQ(list(), json_reply("{ \"ptzInfo\": [ " + entry(2, 1, 5, 0) + ", " + entry(3, 2, 0, 9) + ", " +
                                     entry(6, 3, 0, 0) + " ] }"))
            << kind;

        EXPECT_EQ(keyed("/6163", "\"old_chn_id\": 3, \"acto_ptz_channel\": 7, \"acto_ptz_type\": 1, \"acto_ptz_preset\": 8"),
                  text_reply("OK"));
        EXPECT_EQ(keyed("/6163", "\"old_chn_id\": 30, \"acto_ptz_channel\": 7"), text_reply("CGI ERROR")) << "no such entry";
        EXPECT_EQ(keyed("/6162", "\"acto_ptz_channel\": 2"), text_reply("OK"));
        EXPECT_EQ(keyed("/6162", "\"acto_ptz_channel\": 2"), text_reply("OK")) << "already gone";
        EXPECT_EQ(list(), json_reply("{ \"ptzInfo\": [ " + entry(7, 1, 8, 0) + ", " + entry(6, 3, 0, 0) + " ] }")) << kind;

        EXPECT_EQ(keyed("/6164", "\"ptzChannel\": [6, \"x\", 7, 50]"), text_reply("OK"));
        EXPECT_EQ(list(), json_reply("{ \"ptzInfo\": [ ] }")) << kind;
    }
    // Each kind and channel keeps its own list.
    EXPECT_EQ(post("/6160", "{\"type\": 2, \"chn_id\": 4, \"acto_ptz_channel\": 1, \"acto_ptz_type\": 1}").out,
              text_reply("OK"));
    EXPECT_EQ(post("/6161", "{\"type\": 1, \"chn_id\": 4}").out, json_reply("{ \"ptzInfo\": [ ] }"));
    EXPECT_EQ(post("/6161", "{\"type\": 2, \"chn_id\": 5}").out, json_reply("{ \"ptzInfo\": [ ] }"));
    EXPECT_TRUE(sent().empty());
}

TEST_F(PtzActions, ABadEventChannelIsRefusedAndAFullListIsReported) {
    ptz_action full[action_list_len] = {};
    for (int i = 0; i < action_list_len; ++i) full[i] = {0, i + 1, 0, 1, i, 0, 0};
    ASSERT_EQ(write_ptz_params_all(TQDB_FILE, full, 1, 0), 0);

    for (const char* code : {"/6160", "/6162", "/6163", "/6164"}) {
        for (const char* body : {"{\"type\": 1, \"chn_id\": -1, \"acto_ptz_channel\": 1, \"old_chn_id\": 1}",
                                 "{\"type\": 1, \"chn_id\": 64, \"acto_ptz_channel\": 1, \"old_chn_id\": 1}",
                                 "{\"type\": 1, \"acto_ptz_channel\": 1, \"old_chn_id\": 1}",
                                 "{\"chn_id\": 0, \"acto_ptz_channel\": 1, \"old_chn_id\": 1}"})
            EXPECT_EQ(post(code, body).out, text_reply("CGI ERROR")) << code << body;
        EXPECT_EQ(post(code, "nope").out, "") << code;
    }
    EXPECT_EQ(post("/6162", "{\"type\": 1, \"chn_id\": 0, \"acto_ptz_channel\": -1}").out,
              text_reply("CGI ERROR"));
    EXPECT_EQ(post("/6160", "{\"type\": 1, \"chn_id\": 0, \"acto_ptz_channel\": 99, \"acto_ptz_type\": 1}").out,
              text_reply("CGI ERROR"));
    for (const char* body : {"{\"type\": 1, \"chn_id\": 64}", "{\"chn_id\": 1}", "x"})
        EXPECT_EQ(post("/6161", body).out, "") << body;

    ptz_action back[action_list_len];
    int count = 0;
    ASSERT_EQ(read_ptz_params(TQDB_FILE, back, 1, 0, &count), 0);
    EXPECT_EQ(count, action_list_len);
    EXPECT_EQ(std::memcmp(back, full, sizeof full), 0);
}

}  // namespace
}  // namespace evtest
