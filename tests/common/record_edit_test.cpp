// Record edits: a record of a key without a row, and read-change-write as one
// transaction that no other process can split.
#include "platform/tqdb/tqdb.h"
#include "tests/harness/cgi_harness.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

namespace {

struct counters {
    int32_t pad;
    int32_t key;
    int32_t a;
    int32_t b;
};
const tqdb_table counter_table = {"test_edit", sizeof(counters), tqdb_key_kind::int_at, 4, 0, 0, nullptr, 0, nullptr};
const tqdb_table single_table = {"test_single", sizeof(counters), tqdb_key_kind::single, 0, 0, 0, nullptr, 0, nullptr};

counters stored_as(int32_t key, int32_t a) { return {0, key, a, 0}; }

TEST(RecordEdit, LoadGivesTheStoredRecordOrZerosWithItsKey) {
    test_root root;
    counters nine = {1, 9, 7, 0}, five = {1, 5, 7, 0};
    ASSERT_EQ(tqdb_write(TQDB_FILE, counter_table, &nine), 0);
    ASSERT_EQ(tqdb_write(TQDB_FILE, counter_table, &five), 0);
    struct row {
        int line;
        int64_t key;
        int rc;
        counters want;
    } rows[] = {
        {__LINE__, 9, 0, {1, 9, 7, 0}},
        {__LINE__, 5, 0, {1, 5, 7, 0}},
        {__LINE__, 6, 1, {0, 6, 0, 0}},
        {__LINE__, -1, 1, {0, -1, 0, 0}},
    };
    for (const row& r : rows) {
        counters got;
        std::memset(&got, 0x5a, sizeof got);
        EXPECT_EQ(tqdb_load(TQDB_FILE, counter_table, &got, r.key), r.rc) << r.line;
        EXPECT_EQ(std::memcmp(&got, &r.want, sizeof got), 0) << r.line;
    }
    counters single;
    EXPECT_EQ(tqdb_load(TQDB_FILE, single_table, &single, 3), 1);
    EXPECT_EQ(single.key, 0);
}

TEST(RecordEdit, TheChangeDecidesWhetherTheRecordIsWritten) {
    test_root root;
    struct row {
        int line;
        int result;      // what the change returns
        int rc;          // what the edit returns
        int32_t stored;  // a as stored afterwards
    } rows[] = {
        {__LINE__, 0, 0, 11},
        {__LINE__, 1, 1, 10},
        {__LINE__, -7, -7, 10},
    };
    for (const row& r : rows) {
        counters c = stored_as(2, 10);
        ASSERT_EQ(tqdb_write(TQDB_FILE, counter_table, &c), 0);
        int seen_stored = -1;
        int rc = tqdb_edit_fn(TQDB_FILE, counter_table, 2, [&](void* rec, int stored) {
            seen_stored = stored;
            ++static_cast<counters*>(rec)->a;
            return r.result;
        });
        EXPECT_EQ(rc, r.rc) << r.line;
        EXPECT_EQ(seen_stored, 1) << r.line;
        counters after;
        tqdb_load(TQDB_FILE, counter_table, &after, 2);
        EXPECT_EQ(after.a, r.stored) << r.line;
    }
    // A key without a row starts from zeros and lands under its own key;
    // the typed form takes void, bool or int results.
    EXPECT_EQ(tqdb_edit_as<counters>(TQDB_FILE, counter_table, 4, [](counters& c) { c.b = 3; }), 0);
    EXPECT_EQ(tqdb_edit_as<counters>(TQDB_FILE, counter_table, 4, [](counters& c) { c.b = 8; return false; }), 1);
    auto named = [](counters& c) { return c.b == 3 ? 0 : -2; };  // a named function object works too
    EXPECT_EQ(tqdb_edit_as<counters>(TQDB_FILE, counter_table, 4, named), 0);
    counters four;
    EXPECT_EQ(tqdb_load(TQDB_FILE, counter_table, &four, 4), 0);
    EXPECT_EQ(four.key, 4);
    EXPECT_EQ(four.b, 3);
}

TEST(RecordEdit, AnAtomicChangeOfSeveralRecordsIsWholeOrNotAtAll) {
    test_root root;
    counters c = stored_as(1, 1);
    ASSERT_EQ(tqdb_write(TQDB_FILE, counter_table, &c), 0);
    int rc = tqdb_atomic(TQDB_FILE, [&] {
        counters x = stored_as(1, 2), y = stored_as(3, 2);
        tqdb_write(TQDB_FILE, counter_table, &x);
        tqdb_write(TQDB_FILE, counter_table, &y);
        return -1;  // something failed after both writes
    });
    EXPECT_EQ(rc, -1);
    counters one, three;
    EXPECT_EQ(tqdb_load(TQDB_FILE, counter_table, &one, 1), 0);
    EXPECT_EQ(one.a, 1);
    EXPECT_EQ(tqdb_load(TQDB_FILE, counter_table, &three, 3), 1);
}

// Processes that each change their own field of one record: every change
// survives, as no edit can fall between another's read and write.
TEST(RecordEdit, ConcurrentEditsOfOneRecordLoseNothing) {
    test_root root;
    constexpr int workers = 6, rounds = 30;
    counters c = stored_as(0, 0);
    ASSERT_EQ(tqdb_write(TQDB_FILE, counter_table, &c), 0);
    tqdb_close_all();
    std::vector<pid_t> pids;
    for (int w = 0; w < workers; ++w) {
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            int failures = 0;
            for (int i = 0; i < rounds; ++i)
                failures += tqdb_edit_as<counters>(TQDB_FILE, counter_table, 0, [w](counters& r) {
                    if (w % 2) ++r.a;
                    else ++r.b;
                }) != 0;
            _exit(failures);
        }
        pids.push_back(pid);
    }
    for (pid_t pid : pids) {
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    counters after;
    ASSERT_EQ(tqdb_load(TQDB_FILE, counter_table, &after, 0), 0);
    EXPECT_EQ(after.a, workers / 2 * rounds);
    EXPECT_EQ(after.b, workers / 2 * rounds);
}

}  // namespace
