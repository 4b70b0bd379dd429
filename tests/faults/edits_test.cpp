// Concurrent edits of one record, by processes as the web server runs them:
// every edit that says it was stored is there afterwards (no lost update).
#include "platform/tqdb/rec_network.h"
#include "platform/tqdb/tqdb.h"
#include "tests/faults/faults.h"
#include "tests/harness/core_case.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <thread>

namespace {

constexpr int max_workers = 8;

// One record that every worker edits: a shared count and one of its own.
struct tally_rec {
    int32_t key;
    int32_t total;
    int32_t by_worker[max_workers];
};
static_assert(sizeof(tally_rec) == 40);
const tqdb_table tally_table = {"faults_tally", sizeof(tally_rec), tqdb_key_kind::int_at, 0, 0, 0, nullptr, 0,
                                nullptr};

class ConcurrentEdits : public core_case {};

TEST_F(ConcurrentEdits, EditsOfOneRecordByManyProcessesAreAllKept) {
    const int workers = scaled_count(6, 4);
    const int edits = scaled_count(15, 10);
    ASSERT_EQ(tqdb_count(TQDB_FILE, tally_table), 0);
    tqdb_close_all();
    int gate[2];
    ASSERT_EQ(pipe(gate), 0);
    std::vector<pid_t> pids;
    for (int w = 0; w < workers; ++w) {
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            close(gate[1]);
            char byte;
            while (read(gate[0], &byte, 1) > 0) {
            }
            int failed = 0;
            for (int i = 0; i < edits; ++i) {
                int rc = tqdb_edit_fn(TQDB_FILE, tally_table, 0, [w](void* rec, int) {
                    auto* t = static_cast<tally_rec*>(rec);
                    ++t->total;
                    ++t->by_worker[w];
                    return 0;
                });
                if (rc != 0) ++failed;
            }
            _exit(failed);
        }
        pids.push_back(pid);
    }
    close(gate[0]);
    close(gate[1]);  // all start at once
    int failed = 0;
    for (pid_t pid : pids) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status));
        failed += WEXITSTATUS(status);
    }
    EXPECT_EQ(failed, 0) << "edits refused while other processes edited";
    tally_rec t = read_back<tally_rec>(tally_table, 0);
    EXPECT_EQ(t.total, workers * edits - failed);
    for (int w = 0; w < workers; ++w) EXPECT_EQ(t.by_worker[w], edits) << "worker " << w;
    std::printf("[ faults   ] %d processes x %d edits of one record: %d kept, %d refused\n", workers, edits,
                t.total, failed);
}

// Two requests that each change one member of the multicast record, at the
// same time: after each pair both changes are stored.
TEST_F(ConcurrentEdits, TwoRequestsChangingOneRecordBothStay) {
    const int rounds = scaled_count(12, 6);
    int kept = 0;
    for (int i = 0; i < rounds; ++i) {
        const int enable = i % 2;
        const std::string ip = "239.3.0." + std::to_string(i);
        cgi_result a, b;
        std::thread first(
            [&] { a = cgi_post_json(root, "/7034", "{\"enable\": " + std::to_string(enable) + "}"); });
        std::thread second([&] { b = cgi_post_json(root, "/7034", "{\"ip\": \"" + ip + "\"}"); });
        first.join();
        second.join();
        ASSERT_EQ(a.out, json_reply("{ \"res\": 0 }")) << "round " << i;
        ASSERT_EQ(b.out, json_reply("{ \"res\": 0 }")) << "round " << i;
        tqdb_close_all();
        multicast_record rec = read_back<multicast_record>(tqdb_tbl_multicast);
        EXPECT_EQ(rec.enable, enable) << "round " << i << ": the enable change was lost";
        EXPECT_EQ(std::string(rec.ip), ip) << "round " << i << ": the address change was lost";
        if (rec.enable == enable && std::string(rec.ip) == ip) ++kept;
    }
    std::printf("[ faults   ] %d pairs of concurrent /7034 edits: %d with both changes kept\n", rounds, kept);
}

}  // namespace
