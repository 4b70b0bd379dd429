#include "front/dispatchreq.h"
#include "front/registry_walk.h"
#include "tests/harness/cgi_harness.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

std::string last_text;
int calls;
void handler_a(request& rq) {
    last_text = std::string("a:") + rq.text;
    ++calls;
}
void handler_b(request& rq) {
    last_text = std::string("b:") + rq.text;
    ++calls;
}

// A table of n distinct codes "/Tnnnn" starting at first.
std::vector<request_entry> make_table(int first, int n, request_handler h) {
    std::vector<request_entry> t(n);
    for (int i = 0; i < n; ++i) {
        std::snprintf(t[i].code, sizeof t[i].code, "/T%04d", first + i);
        t[i].handler = h;
    }
    return t;
}

class Registry : public ::testing::Test {
protected:
    void SetUp() override {
        // Start from an empty registry whatever modules this program holds.
        for (int i = 0; i < MAX_WEBREQ_COUNT; ++i)
            if (const request_entry* e = webreq_slot(i)) saved_.push_back(*e);
        webreq_unregister(saved_.data(), static_cast<int>(saved_.size()));
        calls = 0;
        last_text.clear();
    }
    void TearDown() override {
        for (int i = 0; i < MAX_WEBREQ_COUNT; ++i)
            if (const request_entry* e = webreq_slot(i)) {
                request_entry copy = *e;
                webreq_unregister(&copy, 1);
            }
        if (!saved_.empty()) webreq_register(saved_.data(), static_cast<int>(saved_.size()));
    }
    std::vector<request_entry> saved_;
};

TEST_F(Registry, DispatchMatchesCodesExactly) {
    const request_entry table[] = {{"/2001", handler_a}, {"/json", handler_b}};
    ASSERT_EQ(webreq_register(table, 2), 0);
    struct row {
        const char* code;
        int ran;
        const char* seen;
    } rows[] = {
        {"/2001", 1, "a:t"}, {"/json", 1, "b:t"}, {"/2001/", 0, ""}, {"/JSON", 0, ""},
        {"/200", 0, ""},     {"", 0, ""},         {"/20011", 0, ""},
    };
    for (const auto& r : rows) {
        last_text.clear();
        char text[] = "t";
        EXPECT_EQ(webreq_dispatch(r.code, text), r.ran) << r.code;
        EXPECT_EQ(last_text, r.seen) << r.code;
    }
    char text[] = "t";
    EXPECT_EQ(webreq_dispatch(nullptr, text), 0);
}

TEST_F(Registry, HoldsAtMost511EntriesAndLogsTheOverflow) {
    test_root root;
    auto big = make_table(0, 412, handler_a);
    ASSERT_EQ(webreq_register(big.data(), 412), 0);
    auto extra = make_table(1000, 100, handler_b);
    EXPECT_EQ(webreq_register(extra.data(), 100), -1);
    EXPECT_EQ(webreq_count(), 412);
    char text[] = "x";
    EXPECT_EQ(webreq_dispatch("/T0411", text), 1);
    EXPECT_EQ(webreq_dispatch("/T1000", text), 0);
    std::string log = root.read("/mnt/nand/cgi_log.txt");
    EXPECT_NE(log.find("  dispatchreq.c:62 in : [dex debug] WEBREQ exceeded maximum value(MAX_WEBREQ_COUNT)\n"),
              std::string::npos)
        << log;

    auto fill = make_table(2000, 99, handler_b);
    EXPECT_EQ(webreq_register(fill.data(), 99), 0);  // 511 in all
    auto one = make_table(3000, 1, handler_b);
    EXPECT_EQ(webreq_register(one.data(), 1), -1);   // the 512th is refused
    EXPECT_EQ(webreq_register(nullptr, 1), -1);
    EXPECT_EQ(webreq_register(one.data(), 0), -1);
}

TEST_F(Registry, AHugeCountIsRefusedWithoutTouchingTheTable) {
    test_root root;
    auto some = make_table(0, 412, handler_a);
    ASSERT_EQ(webreq_register(some.data(), 412), 0);
    // used + count would not fit an int: still an overflow of the registry,
    // and not one entry is read from the (one-entry) table.
    auto one = make_table(3000, 1, handler_b);
    EXPECT_EQ(webreq_register(one.data(), INT_MAX), -1);
    EXPECT_EQ(webreq_count(), 412);
    char text[] = "x";
    EXPECT_EQ(webreq_dispatch("/T3000", text), 0);
}

TEST_F(Registry, UnregisterFreesExactlyTheTablesCodesAndSlotsAreReused) {
    auto first = make_table(0, 5, handler_a);
    auto second = make_table(100, 5, handler_b);
    ASSERT_EQ(webreq_register(first.data(), 5), 0);
    ASSERT_EQ(webreq_register(second.data(), 5), 0);
    ASSERT_EQ(webreq_unregister(first.data(), 5), 0);
    EXPECT_EQ(webreq_count(), 5);
    char text[] = "x";
    EXPECT_EQ(webreq_dispatch("/T0002", text), 0);
    EXPECT_EQ(webreq_dispatch("/T0102", text), 1);
    // Freed low slots are taken first, in table order.
    auto third = make_table(200, 2, handler_a);
    ASSERT_EQ(webreq_register(third.data(), 2), 0);
    ASSERT_NE(webreq_slot(0), nullptr);
    EXPECT_STREQ(webreq_slot(0)->code, "/T0200");
    EXPECT_STREQ(webreq_slot(1)->code, "/T0201");
    EXPECT_EQ(webreq_unregister(nullptr, 1), -1);
    EXPECT_EQ(webreq_unregister(third.data(), 0), -1);
}

TEST_F(Registry, EachSlotTellsWhichRegisteredTableFilledIt) {
    test_root root;  // the refused table's log line lands here
    const request_entry one[] = {{"/T0001", handler_a}, {"/T0002", handler_a}};
    const request_entry two[] = {{"/T0003", handler_b}};
    const request_entry three[] = {{"/T0004", handler_b}, {"/T0005", handler_b}};
    ASSERT_EQ(webreq_register(one, 2), 0);
    const int first = webreq_slot_table(0);
    ASSERT_GT(first, 0);
    ASSERT_EQ(webreq_register(two, 1), 0);
    // A refused table is no table: the next one takes the next number.
    const std::vector<request_entry> huge = make_table(100, MAX_WEBREQ_COUNT, handler_a);
    ASSERT_EQ(webreq_register(huge.data(), MAX_WEBREQ_COUNT), -1);
    webreq_unregister(one, 2);
    // The freed slots 0 and 1 are refilled by the third table.
    ASSERT_EQ(webreq_register(three, 2), 0);
    struct row {
        int slot;
        const char* code;
        int table;  // after the first
        int line;
    };
    const row rows[] = {
        {0, "/T0004", 2, __LINE__},
        {1, "/T0005", 2, __LINE__},
        {2, "/T0003", 1, __LINE__},
    };
    for (const row& r : rows) {
        ASSERT_TRUE(webreq_slot(r.slot)) << "line " << r.line;
        EXPECT_STREQ(webreq_slot(r.slot)->code, r.code) << "line " << r.line;
        EXPECT_EQ(webreq_slot_table(r.slot), first + r.table) << "line " << r.line;
    }
    for (int free_slot : {3, -1, MAX_WEBREQ_COUNT}) EXPECT_EQ(webreq_slot_table(free_slot), 0) << free_slot;
}

}  // namespace
