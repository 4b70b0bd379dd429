// The access filter page: what a change stores (all of it or nothing) and
// how the stored filter is shown.
#include "platform/tqdb/rec_access_filter.h"
#include "tests/harness/db_faults.h"
#include "tests/service/service_fixture.h"

namespace {

using AccessFilter = service::service_case;

std::string entries_json(int count, const std::string& prefix) {
    std::string out;
    for (int i = 0; i < count; ++i)
        out += std::string(i ? ", " : "") + "{\"address_type\": " + std::to_string(i % 2) +
               ", \"address\": \"" + prefix + std::to_string(i) + "\"}";
    return out;
}

TEST_F(AccessFilter, StoresWhatTheRequestGivesAndShowsIt) {
    const std::string stored =
        R"({"filterEnable": 1, "filterType": 1, "filterList": [{"address_type": 0, "address": "1.1.1.1"}]})";
    // clang-format off
    struct row {
        int line;
        std::string body;
        std::string shown;  // "/6300" afterwards
        bool stores = true;
    } rows[] = {
        {__LINE__,
         R"({"filterEnable": 0, "filterType": 0, "filterList": [{"address_type": 1, "address": "10.0.0.0/8"}, {"address_type": 0, "address": "fe80::1"}]})",
         R"({"filterEnable": 0, "filterType": 0, "filterList": [{"address_type": 1, "address": "10.0.0.0/8"}, {"address_type": 0, "address": "fe80::1"}]})"},
        // Members left out keep what is stored; an empty list empties it.
        {__LINE__, R"({"filterType": 0})",
         R"({"filterEnable": 1, "filterType": 0, "filterList": [{"address_type": 0, "address": "1.1.1.1"}]})"},
        {__LINE__, R"({"filterList": []})", R"({"filterEnable": 1, "filterType": 1, "filterList": []})"},
        // Elements that are not objects are skipped, addresses cut at 31
        // characters, lists at 100 entries.
        {__LINE__, R"({"filterList": [7, {"address": ")" + std::string(40, 'a') + R"("}, null]})",
         R"({"filterEnable": 1, "filterType": 1, "filterList": [{"address_type": 0, "address": ")" +
             std::string(31, 'a') + R"("}]})"},
        {__LINE__, "{\"filterList\": [" + entries_json(150, "h") + "]}",
         "{\"filterEnable\": 1, \"filterType\": 1, \"filterList\": [" + entries_json(100, "h") + "]}"},
        {__LINE__, "filterEnable=0", stored, false},
    };
    // clang-format on
    for (const auto& r : rows) {
        fresh_case();
        set_param_int(TQDB_FILE, "access_filter_enable", 1);
        set_param_int(TQDB_FILE, "access_filter_type", 1);
        access_filter_entry entry{0, "1.1.1.1"};
        ASSERT_EQ(write_access_filter(TQDB_FILE, &entry, 1), 0);
        EXPECT_EQ(post("/6301", r.body).out, r.stores ? text_reply("OK") : "") << "row at line " << r.line;
        expect_sent(r.stores ? std::vector<xcase::msg>{{1722, {}}} : std::vector<xcase::msg>{}, r.line);
        json_ref shown = json_body(get("/6300", "")), want = json_parse_object(r.shown.c_str());
        ASSERT_TRUE(shown && want) << "row at line " << r.line;
        EXPECT_TRUE(json_object_equal(shown.get(), want.get()))
            << "row at line " << r.line << ": " << json_object_to_json_string(shown.get());
    }
}

TEST_F(AccessFilter, StoresNothingAndTellsNobodyWhenAStoreRefuses) {
    auto body = [](const char* address) {
        return std::string(
                   R"({"filterEnable": 1, "filterType": 0, "filterList": [{"address_type": 0, "address": ")") +
               address + "\"}]}";
    };
    // clang-format off
    const xcase::unstored_row rows[] = {
        {__LINE__, "/6301", body("9.9.9.1"), {param_target("access_filter_enable")}, text_reply("CGI ERROR")},
        {__LINE__, "/6301", body("9.9.9.2"), {param_target("access_filter_type")}, text_reply("CGI ERROR")},
        {__LINE__, "/6301", body("9.9.9.3"), {"access_filter"}, text_reply("CGI ERROR")},
    };
    for (const auto& r : rows) expect_unstored(r);
}

}  // namespace
