// corejournal.cgi: the console's view of the core journal hands out whole
// lines only, from the offset asked, and refuses what is not an offset.
#include <gtest/gtest.h>
#include <json-c/json.h>

#include <cstdlib>
#include <string>

#include "tests/harness/cgi_harness.h"

namespace {

struct view {
    std::string status;  // "" for 200
    long long end = -1;
    std::string ids;  // the events' "id" members, space-separated
};

view ask(const char* method, const char* query) {
    setenv("REQUEST_METHOD", method, 1);
    setenv("QUERY_STRING", query, 1);
    const std::string out = run_program({std::string(NVR_BIN_DIR) + "/corejournal"});
    unsetenv("REQUEST_METHOD");
    unsetenv("QUERY_STRING");
    view v;
    if (out.rfind("Status: 200", 0) != 0) v.status = out.substr(8, 3);
    json_object* doc = json_tokener_parse(out.substr(out.find("\r\n\r\n") + 4).c_str());
    json_object *end, *events;
    if (doc && json_object_object_get_ex(doc, "end", &end)) v.end = json_object_get_int64(end);
    if (doc && json_object_object_get_ex(doc, "events", &events))
        for (size_t i = 0; i < json_object_array_length(events); ++i) {
            json_object* id;
            if (json_object_object_get_ex(json_object_array_get_idx(events, i), "id", &id))
                v.ids += (v.ids.empty() ? "" : " ") + std::to_string(json_object_get_int(id));
        }
    json_object_put(doc);
    return v;
}

TEST(CoreJournal, HandsOutWholeLinesFromTheOffsetAsked) {
    test_root root;
    const std::string l1 = "{\"conn\":1,\"event\":\"message\",\"id\":3201,\"size\":0}\n";
    const std::string l2 = "{\"conn\":1,\"event\":\"reply\",\"id\":8201,\"size\":4}\n";
    const std::string l3 = "{\"conn\":2,\"event\":\"message\",\"id\":1403,\"size\":4}\n";
    const std::string partial = "{\"conn\":2,\"event\":\"mess";  // still being written
    const long long whole = static_cast<long long>((l1 + l2 + l3).size());
    root.write("/log/coresim.jsonl", l1 + l2 + l3 + partial);
    const std::string after1 = "from=" + std::to_string(l1.size());
    const std::string past = "from=" + std::to_string(whole + 1000);

    struct row {
        const char* method;
        std::string query;
        view want;
        int line;
    };
    const row rows[] = {
        // No offset: where the whole lines end now, never inside the partial one.
        {"GET", "", {"", whole, ""}, __LINE__},
        {"GET", "from=0", {"", whole, "3201 8201 1403"}, __LINE__},
        {"GET", after1, {"", whole, "8201 1403"}, __LINE__},
        {"GET", "x=1&" + after1, {"", whole, "8201 1403"}, __LINE__},
        {"GET", "from=" + std::to_string(whole), {"", whole, ""}, __LINE__},
        // An offset past the end is a journal started anew: from its start.
        {"GET", past, {"", whole, "3201 8201 1403"}, __LINE__},
        {"GET", "from=abc", {"400", -1, ""}, __LINE__},
        {"GET", "from=12x", {"400", -1, ""}, __LINE__},
        {"GET", "from=-5", {"400", -1, ""}, __LINE__},
        {"GET", "from=99999999999999999999999", {"400", -1, ""}, __LINE__},
        {"POST", "from=0", {"405", -1, ""}, __LINE__},
    };
    for (const row& r : rows) {
        SCOPED_TRACE("line " + std::to_string(r.line) + ": " + r.query);
        const view v = ask(r.method, r.query.c_str());
        EXPECT_EQ(v.status, r.want.status);
        EXPECT_EQ(v.end, r.want.end);
        EXPECT_EQ(v.ids, r.want.ids);
    }
}

TEST(CoreJournal, NoJournalYetIsAnEmptyOne) {
    test_root root;
    const view v = ask("GET", "from=0");
    EXPECT_EQ(v.status, "");
    EXPECT_EQ(v.end, 0);
    EXPECT_EQ(v.ids, "");
}

}  // namespace
