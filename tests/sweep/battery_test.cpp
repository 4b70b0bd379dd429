// The sweep's own battery: the member names it learns from the module
// sources, and that its hostile texts reach handlers as meant.
#include "tests/sweep/battery.h"

#include <json-c/json.h>
#include <gtest/gtest.h>

#include <set>

namespace {

const std::map<std::string, std::string> sources = {
    {"camera/camera_table.cpp", R"({"/2001", cam_list}, {"/2003", cam_edit},)"},
    {"camera/channels.cpp", R"(req_int(req, "id", &id); req_str(req, "ipAddr"); log("a b"); x("/tmp/x");)"},
    {"system/wizard.cpp", R"({"/3300", on_ssh}, req_int_or(req, "sshEnable", 0);)"},
};

TEST(SweepBattery, MemberNamesComeFromTheFolderThatRegistersTheCode) {
    struct row {
        int line;
        const char* code;
        std::set<std::string> keys;
    };
    const row rows[] = {
        {__LINE__, "/2001", {"id", "ipAddr"}},
        {__LINE__, "/3300", {"sshEnable"}},
        // No module names it: every module's names.
        {__LINE__, "/9999", {"id", "ipAddr", "sshEnable"}},
    };
    for (const row& r : rows) {
        std::vector<std::string> keys = sweep::keys_for_code(r.code, sources);
        EXPECT_EQ(std::set<std::string>(keys.begin(), keys.end()), r.keys) << "row at line " << r.line;
    }
    EXPECT_EQ(sweep::source_literals(R"("ok" "a-b" "/2001" "" "x_1" ")" + std::string(41, 'k') + "\""),
              (std::set<std::string>{"ok", "x_1"}));
}

TEST(SweepBattery, HostileJsonReachesHandlersWholeAndEveryCoreModeIsMet) {
    sweep::targets t{"/tmp/r.x", "/tmp/r.x.canary", "/tmp/r.x.marker", "sweep_marker_x", "r.x"};
    std::vector<std::string> keys;
    for (int i = 0; i < 300; ++i) keys.push_back("memberName" + std::to_string(i));
    for (size_t code_index : {0, 7}) {
        std::vector<sweep::request_case> cases = sweep::battery(keys, t, code_index);
        std::set<sweep::core_mode> modes_always;
        size_t objects = 0;
        for (const sweep::request_case& c : cases) {
            if (c.always) modes_always.insert(c.core);
            bool member_case = c.label.find("every member") != std::string::npos ||
                               c.label.find("mixed members") != std::string::npos ||
                               c.label.find("30 KB string") != std::string::npos;
            if (c.content_type != "application/json" || !member_case) continue;
            // Within the intake's buffer, and a JSON object: the values reach
            // the handler's member reads.
            EXPECT_LT(c.body.size(), 30720u) << c.label;
            json_object* obj = json_tokener_parse(c.body.c_str());
            EXPECT_TRUE(obj && json_object_is_type(obj, json_type_object)) << c.label;
            if (obj && json_object_object_length(obj) > 0) ++objects;
            json_object_put(obj);
        }
        EXPECT_GT(objects, 40u);
        EXPECT_EQ(modes_always.size(), static_cast<size_t>(sweep::core_mode_count));
    }
    // Every injected command would create the marker.
    for (const std::string& text : sweep::injections(t))
        EXPECT_TRUE(text.find(t.marker) != std::string::npos || text.find(t.marker_name) != std::string::npos) << text;
}

// What the check with a refusing database counts as a success reply: the
// replies a handler gives after storing, not its failure forms.
TEST(SweepBattery, SuccessRepliesAreTheOkTextAndJsonWithoutAFailedResult) {
    const std::string text = "Content-type: text/plain\r\n\r\n";
    const std::string json = "Content-type: application/json\r\n\r\n";
    struct row {
        int line;
        std::string out;
        bool success;
    } rows[] = {
        {__LINE__, text + "OK", true},
        {__LINE__, json + "{ \"res\": 0 }", true},
        {__LINE__, json + "{ \"status\": 1, \"list\": [] }", true},
        {__LINE__, json + "{ \"name\": \"CAM1\" }", true},
        {__LINE__, json + "{ \"result\": \"success\" }", true},
        {__LINE__, "", false},
        {__LINE__, text + "CGI ERROR", false},
        {__LINE__, text + "ERROR", false},
        {__LINE__, text + "OK 1", false},
        {__LINE__, json + "{status:\"CGI ERROR\"}", false},
        {__LINE__, json + "{ \"res\": -1 }", false},
        {__LINE__, json + "{ \"status\": \"CGI ERROR\" }", false},
        {__LINE__, json + "{ \"result\": \"Failed\" }", false},
        {__LINE__, json + "[ 1, 2 ]", false},
        {__LINE__, "OK", false},  // no header: not a reply at all
    };
    for (const row& r : rows) EXPECT_EQ(sweep::success_reply(r.out), r.success) << "row at line " << r.line;
}

}  // namespace
