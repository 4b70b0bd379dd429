// The reference nvrapi prints: what a row shows for each field, and that the
// walk covers the registry as webreq has it.
#include "tools/nvrapi/reference.h"

#include <gtest/gtest.h>
#include <json-c/json.h>

#include <string>

namespace {

void nop(request&) {}

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(Reference, MarkdownShowsEachFieldOrTheUndocumentedMark) {
    const request_entry rows[] = {
        {"/7034", nop, IN_JSON, OUT_JSON_ERR, "store the multicast setting", "{enable?, ip?}", "1729 -> 6729",
         "{res}"},
        {"/7035", nop, IN_TEXT, OUT_TEXT},
        {"/7036", nop, IN_TEXT, OUT_TEXT_ERR, "two\nlines", "a `b` c", "-", "`OK`"},
    };
    api_module m;
    m.order = 4;
    m.name = "network";
    for (const request_entry& r : rows) m.rows.push_back(&r);
    const std::string md = api_markdown({m});

    struct row {
        const char* part;
        int line;
    };
    const row present[] = {
        {"[4. network](#module-network) (3 codes)", __LINE__},
        {"## 4. network\n", __LINE__},
        {"### /7034\n\nstore the multicast setting\n", __LINE__},
        {"- Request: `{enable?, ip?}`\n- Core messages: `1729 -> 6729`\n- Reply (JSON): `{res}`\n", __LINE__},
        {"- Refused request: `{status:\"CGI ERROR\"}`", __LINE__},
        // An undocumented row says so for every field, never prints "(null)".
        {"### /7035\n\n(not documented yet)\n", __LINE__},
        {"- Request: (not documented yet)\n- Core messages: (not documented yet)\n"
         "- Reply (text): (not documented yet)\n- Refused request: `no reply`",
         __LINE__},
        // A summary stays one line; backticks inside a field keep the span whole.
        {"### /7036\n\ntwo lines\n", __LINE__},
        {"- Request: ``a `b` c``\n", __LINE__},
        {"- Reply (text): `` `OK` ``\n", __LINE__},
        {"- Refused request: `CGI ERROR`", __LINE__},
    };
    for (const row& r : present)
        EXPECT_TRUE(has(md, r.part)) << "line " << r.line << ": " << r.part << "\n" << md;
    EXPECT_FALSE(has(md, "(null)"));
}

TEST(Reference, JsonKeepsMissingFieldsNullAndCountsEveryRow) {
    const request_entry rows[] = {
        {"/2001", nop, IN_TEXT, OUT_JSON, "the camera list", "-", "3201 -> 8201", "[{chn, name}]"},
        {"/2003", nop, IN_JSON, OUT_TEXT},
    };
    api_module a, b;
    a.order = 3;
    a.name = "camera";
    a.rows = {&rows[0]};
    b.order = 5;
    b.name = "ptz";
    b.rows = {&rows[1]};
    json_object* doc = json_tokener_parse(api_json({a, b}).c_str());
    ASSERT_TRUE(doc);
    json_object *count, *modules;
    ASSERT_TRUE(json_object_object_get_ex(doc, "count", &count));
    EXPECT_EQ(json_object_get_int(count), 2);
    ASSERT_TRUE(json_object_object_get_ex(doc, "modules", &modules));
    ASSERT_EQ(json_object_array_length(modules), 2u);

    auto code_of = [&](int module) {
        json_object *codes, *c;
        json_object_object_get_ex(json_object_array_get_idx(modules, module), "codes", &codes);
        c = json_object_array_get_idx(codes, 0);
        return c;
    };
    auto member = [](json_object* o, const char* key) {
        json_object* v = nullptr;
        return json_object_object_get_ex(o, key, &v) ? (v ? json_object_get_string(v) : "null") : "absent";
    };
    struct row {
        int module;
        const char* key;
        const char* value;
        int line;
    };
    const row fields[] = {
        {0, "code", "/2001", __LINE__},       {0, "sends", "3201 -> 8201", __LINE__},
        {0, "input", "text", __LINE__},       {0, "replyKind", "JSON", __LINE__},
        {0, "refused", "no reply", __LINE__}, {1, "code", "/2003", __LINE__},
        {1, "summary", "null", __LINE__},     {1, "form", "null", __LINE__},
        {1, "input", "json", __LINE__},       {1, "replyKind", "text", __LINE__},
    };
    for (const row& r : fields) EXPECT_STREQ(member(code_of(r.module), r.key), r.value) << "line " << r.line;
    json_object_put(doc);
}

TEST(Reference, TheWalkGroupsEveryRegisteredRowByModuleInPlaceOrder) {
    const std::vector<api_module> modules = api_registry();
    int rows = 0, previous = 0;
    for (const api_module& m : modules) {
        EXPECT_GT(m.order, previous) << m.name;
        previous = m.order;
        EXPECT_FALSE(m.name.empty()) << m.order;
        rows += static_cast<int>(m.rows.size());
    }
    EXPECT_EQ(rows, webreq_count());
    EXPECT_EQ(modules.size(), 11u);
}

}  // namespace
