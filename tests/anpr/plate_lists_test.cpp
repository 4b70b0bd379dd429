// The plate lists: each request's change read back whole, in a sequence
// where each row starts from the lists the rows before it left.
#include <string>

#include "tests/anpr/anpr_cases.h"

namespace anprtest {
namespace {

using PlateLists = store_case;

std::string many_plates(int n, const char* prefix) {
    std::string s = "[";
    for (int i = 0; i < n; ++i) s += std::string(i ? "," : "") + "[\"black\",\"" + prefix + std::to_string(i) + "\"]";
    return s + "]";
}

TEST_F(PlateLists, EachRequestLeavesTheListsAsItSays) {
    const std::string long_plate(70, 'P');
    struct row {
        int line;
        const char* code;
        std::string body;
        std::string reply;
        std::set<std::string> lists;
    } rows[] = {
        // A plate given twice keeps its last type; percent escapes decode.
        {__LINE__, "/6184", R"({"cnt": 3, "plate": [["black", "AB%20123"], ["white", "CD-456"], ["black", "CD-456"]]})",
         json_reply("{ \"count\": 3 }"), {"black:AB 123", "black:CD-456"}},
        // A replace drops what is not in it; an element with too few items
        // ends the list like a missing one.
        {__LINE__, "/6184", R"({"cnt": 3, "plate": [["visitor", "X1"], ["white"], ["white", "X3"]]})",
         json_reply("{ \"count\": 1 }"), {"visitor:X1"}},
        // "cnt" bounds the elements read.
        {__LINE__, "/6184", R"({"cnt": 1, "plate": [["white", "X1"], ["white", "X2"]]})",
         json_reply("{ \"count\": 1 }"), {"white:X1"}},
        // Old plate out, new one in.
        {__LINE__, "/6185", R"({"cnt": 1, "plate": [["X1", "black", "X2"]]})", text_reply("OK"), {"black:X2"}},
        // A new plate already stored is updated, not added a second time.
        {__LINE__, "/6185", R"({"cnt": 1, "plate": [["NONE", "visitor", "X2"]]})", text_reply("OK"),
         {"visitor:X2"}},
        // '+' stays; "%2F" decodes. Types pass through; texts are cut to
        // their fields (type 15, plate 63 characters).
        {__LINE__, "/6185",
         R"({"cnt": 2, "plate": [["X9", "black", "A+B%2FC"], ["", "a-type-of-20-chars!!", ")" + long_plate + R"("]]})",
         text_reply("OK"), {"visitor:X2", "black:A+B/C", "a-type-of-20-ch:" + long_plate.substr(0, 63)}},
        // "cnt" 3 with two plates deletes those two; an unknown plate is no failure.
        {__LINE__, "/6183", R"({"cnt": 3, "plate": ["A%2BB%2FC", "X2"]})", text_reply("OK"),
         {"a-type-of-20-ch:" + long_plate.substr(0, 63)}},
        {__LINE__, "/6183", R"({"cnt": 1, "plate": ["UNKNOWN"]})", text_reply("OK"),
         {"a-type-of-20-ch:" + long_plate.substr(0, 63)}},
        // Refused without a change: "cnt" out of range, no element read,
        // more plates than one request may carry.
        {__LINE__, "/6183", R"({"cnt": 0, "plate": ["X"]})", text_failure(), {"a-type-of-20-ch:" + long_plate.substr(0, 63)}},
        {__LINE__, "/6183", R"({"cnt": 2, "plate": [7]})", text_failure(), {"a-type-of-20-ch:" + long_plate.substr(0, 63)}},
        {__LINE__, "/6184", R"({"cnt": 10001, "plate": [["white", "X1"]]})", json_failure(),
         {"a-type-of-20-ch:" + long_plate.substr(0, 63)}},
        {__LINE__, "/6184", R"({"cnt": 1, "plate": )" + many_plates(10001, "Q") + "}", json_failure(),
         {"a-type-of-20-ch:" + long_plate.substr(0, 63)}},
        {__LINE__, "/6184", R"({"cnt": 2, "plate": [["white"]]})", json_failure(),
         {"a-type-of-20-ch:" + long_plate.substr(0, 63)}},
        {__LINE__, "/6185", R"({"cnt": 10001, "plate": [["A", "b", "C"]]})", text_failure(),
         {"a-type-of-20-ch:" + long_plate.substr(0, 63)}},
        {__LINE__, "/6185", "{not json", text_failure(), {"a-type-of-20-ch:" + long_plate.substr(0, 63)}},
    };
    for (const row& r : rows) {
        fresh_case();
        EXPECT_EQ(post(r.code, r.body).out, r.reply) << "row at line " << r.line;
        EXPECT_EQ(stored_plates(), r.lists) << "row at line " << r.line;
        EXPECT_TRUE(sent().empty()) << "row at line " << r.line;
    }
}

// A list change that cannot be stored answers the failure and leaves every
// plate as it was: the batch is one transaction.
TEST_F(PlateLists, AFailedStoreChangesNoPlate) {
    ASSERT_EQ(post("/6184", R"({"cnt": 300, "plate": )" + many_plates(300, "K") + "}").out,
              json_reply("{ \"count\": 300 }"));
    const std::set<std::string> before = stored_plates();
    ASSERT_EQ(before.size(), 300u);
    struct row {
        int line;
        const char* code;
        std::string body;
        std::string reply;
    } rows[] = {
        {__LINE__, "/6184", R"({"cnt": 2, "plate": [["white", "N1"], ["white", "N2"]]})", json_failure()},
        {__LINE__, "/6183", R"({"cnt": 2, "plate": ["K1", "K2"]})", text_failure()},
        {__LINE__, "/6185", R"({"cnt": 2, "plate": [["K1", "white", "N1"], ["K2", "white", "K3"]]})", text_failure()},
    };
    refused_writes refuse("anpr_list", TQDB_ANPR_FILE);
    ASSERT_TRUE(refuse);
    for (const row& r : rows) {
        fresh_case();
        EXPECT_EQ(post(r.code, r.body).out, r.reply) << "row at line " << r.line;
        EXPECT_EQ(stored_plates(), before) << "row at line " << r.line;
    }
}

}  // namespace
}  // namespace anprtest
