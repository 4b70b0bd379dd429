// Several processes using one new database file at once, as the web processes
// and the daemon do.
#include "platform/tqdb/rec_camera.h"
#include "platform/tqdb/tqdb.h"
#include "tests/harness/cgi_harness.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr int workers = 8;
constexpr int rounds = 15;

struct counter_rec {
    int32_t key;
    int32_t value;
};
const tqdb_table counter_table = {"test_counter", sizeof(counter_rec), tqdb_key_kind::int_at, 0, 0, 0, nullptr, 0, nullptr};

int increment(void*) {
    counter_rec c{0, 0};
    tqdb_read(TQDB_FILE, counter_table, &c, 0);  // missing: starts at 0
    c.key = 0;
    ++c.value;
    return tqdb_write(TQDB_FILE, counter_table, &c);
}

// One worker: its first call opens the new file; then it marks its camera,
// sets its own parameter and row, and increments the shared counter inside a
// transaction. Returns the number of failed calls.
int worker(int id) {
    int failures = 0;
    camera_record cam{};
    if (read_camera(TQDB_FILE, &cam, id) != 0) ++failures;
    cam.enable = 1;
    std::snprintf(cam.user_name, sizeof cam.user_name, "worker%d", id);
    if (write_camera(TQDB_FILE, &cam) != 0) ++failures;
    const std::string key = "worker_" + std::to_string(id);
    for (int i = 1; i <= rounds; ++i) {
        if (set_param_int(TQDB_FILE, key.c_str(), i) != 0) ++failures;
        counter_rec own{100 + id, i};
        if (tqdb_write(TQDB_FILE, counter_table, &own) != 0) ++failures;
        if (tqdb_transaction(TQDB_FILE, increment, nullptr) != 0) ++failures;
        if (get_param_int(TQDB_FILE, "max_cameras", -1) != 32) ++failures;
    }
    return failures;
}

TEST(TqdbConcurrency, ProcessesSharingANewFileLoseNothing) {
    test_root root;
    ASSERT_FALSE(root.exists(TQDB_FILE));
    int gate[2];
    ASSERT_EQ(pipe(gate), 0);
    pid_t pids[workers];
    for (int id = 0; id < workers; ++id) {
        pids[id] = fork();
        ASSERT_GE(pids[id], 0);
        if (pids[id] == 0) {
            close(gate[1]);
            char byte;
            // Start together: the gate opens when the parent closes it.
            while (read(gate[0], &byte, 1) > 0) {
            }
            _exit(worker(id) == 0 ? 0 : 1);
        }
    }
    close(gate[0]);
    close(gate[1]);
    for (int id = 0; id < workers; ++id) {
        int status = 0;
        ASSERT_EQ(waitpid(pids[id], &status, 0), pids[id]);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "worker " << id;
    }

    counter_rec shared{};
    ASSERT_EQ(tqdb_read(TQDB_FILE, counter_table, &shared, 0), 0);
    EXPECT_EQ(shared.value, workers * rounds);
    for (int id = 0; id < workers; ++id) {
        SCOPED_TRACE(id);
        EXPECT_EQ(get_param_int(TQDB_FILE, ("worker_" + std::to_string(id)).c_str(), 0), rounds);
        counter_rec own{};
        ASSERT_EQ(tqdb_read(TQDB_FILE, counter_table, &own, 100 + id), 0);
        EXPECT_EQ(own.value, rounds);
        // The factory rows were made once: no late seeding overwrote a
        // worker's early write.
        camera_record cam{};
        ASSERT_EQ(read_camera(TQDB_FILE, &cam, id), 0);
        EXPECT_EQ(cam.enable, 1);
        EXPECT_EQ(std::string(cam.user_name), "worker" + std::to_string(id));
    }
    EXPECT_EQ(tqdb_count(TQDB_FILE, tqdb_tbl_camera), 64);
    EXPECT_EQ(tqdb_count(TQDB_FILE, tqdb_tbl_osd), 64);
}

// A child forked by a process with open connections opens its own.
TEST(TqdbConcurrency, ForkedChildUsesItsOwnConnection) {
    test_root root;
    ASSERT_EQ(set_param_int(TQDB_FILE, "before_fork", 1), 0);
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        int ok = get_param_int(TQDB_FILE, "before_fork", 0) == 1 &&
                 set_param_int(TQDB_FILE, "in_child", 2) == 0;
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(get_param_int(TQDB_FILE, "in_child", 0), 2);
}

}  // namespace
