// What stays on disk after many processes that each store one changing value
// and exit, as web requests do: nothing that grows with use. And the test
// switches of the engine: a database that refuses writes while reads work.
#include "platform/tqdb/rec_camera.h"
#include "platform/tqdb/tqdb.h"
#include "tests/harness/cgi_harness.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <string>

namespace {

#ifdef NVR_SLOW_TARGET
constexpr int writers = 60;
#else
constexpr int writers = 200;
#endif

long long file_size(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? static_cast<long long>(st.st_size) : -1;
}

camera_record read_back_camera(int chn) {
    camera_record cam;
    std::memset(&cam, 0, sizeof cam);
    read_camera(TQDB_FILE, &cam, chn);
    return cam;
}

// Sizes of every file beside the database in its directory.
std::map<std::string, long long> app_files(const test_root& root) {
    std::map<std::string, long long> sizes;
    for (const std::string& name : root.list("/mnt/nand/app"))
        sizes[name] = file_size(root.file("/mnt/nand/app/" + name));
    return sizes;
}

TEST(TqdbJournal, ManyShortLivedWritersLeaveNothingThatGrows) {
    struct row {
        int line;
        const char* what;
        std::function<int(int)> store;  // one process's store of value i
    } rows[] = {
        {__LINE__, "a parameter", [](int i) { return set_param_int(TQDB_FILE, "journal_test", i); }},
        {__LINE__, "a record",
         [](int i) { return edit_camera(TQDB_FILE, 5, [i](camera_record& cam) { cam.anr = i; }); }},
    };
    for (const row& r : rows) {
        test_root root;
        ASSERT_EQ(r.store(0), 0);
        tqdb_close_all();
        const long long start = file_size(root.file(TQDB_FILE));
        for (int i = 1; i <= writers; ++i) {
            pid_t pid = fork();
            ASSERT_GE(pid, 0);
            // Each process ends with its connection still open, as a CGI
            // process ends.
            if (pid == 0) _exit(r.store(i) == 0 ? 0 : 1);
            int status = 0;
            ASSERT_EQ(waitpid(pid, &status, 0), pid);
            ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
                << "row at line " << r.line << ", writer " << i;
        }
        std::map<std::string, long long> files = app_files(root);
        std::string listing;
        for (const auto& [name, size] : files) listing += " " + name + "=" + std::to_string(size);
        std::printf("[ journal  ] %d processes each storing %s: %s\n", writers, r.what, listing.c_str());
        // The database keeps its size (one value changes); beside it only
        // files of a small fixed size (an emptied log and its index), where
        // a log that is never emptied would hold a page per write.
        EXPECT_LE(files["tqdb.db"], start + 16 * 1024) << "row at line " << r.line << ":" << listing;
        for (const auto& [name, size] : files) {
            if (name != "tqdb.db") {
                EXPECT_LE(size, 64 * 1024) << "row at line " << r.line << ": " << name;
            }
        }
        EXPECT_EQ(get_param_int(TQDB_FILE, "journal_test", writers), writers) << "row at line " << r.line;
    }
}

// With NVR_DB_REFUSE_WRITES every kind of write fails and changes nothing,
// while reads go on; without it the same writes store.
TEST(TqdbJournal, RefusingSwitchFailsEveryWriteAndKeepsReads) {
    test_root root;
    ASSERT_EQ(set_param_int(TQDB_FILE, "refuse_test", 1), 0);
    camera_record cam0 = read_back_camera(0);
    struct row {
        int line;
        std::function<int()> write;
    } rows[] = {
        {__LINE__, [] { return set_param_int(TQDB_FILE, "refuse_test", 2); }},
        {__LINE__, [] { return add_param_value(TQDB_FILE, "refuse_new", "x"); }},
        {__LINE__, [] { return edit_camera(TQDB_FILE, 0, [](camera_record& c) { c.anr = 9; }); }},
        {__LINE__, [] { return tqdb_blob_write(TQDB_FILE, "refuse_list", 1, "ab", 2); }},
        {__LINE__, [] { return copy_table_column_int(TQDB_FILE, "camera", "anr", 7, ~0ULL, "id"); }},
        {__LINE__,
         [] { return tqdb_atomic(TQDB_FILE, [] { return set_param_int(TQDB_FILE, "refuse_test", 3); }); }},
    };
    for (const char* mode : {"1", "0"}) {
        setenv("NVR_DB_REFUSE_WRITES", mode, 1);
        tqdb_close_all();
        const bool refusing = std::strcmp(mode, "1") == 0;
        for (const row& r : rows)
            EXPECT_EQ(r.write() != 0, refusing) << "row at line " << r.line << ", switch " << mode;
        if (refusing) {
            EXPECT_EQ(get_param_int(TQDB_FILE, "refuse_test", -1), 1);
            EXPECT_NE(check_param_key(TQDB_FILE, "refuse_new"), 0);
            camera_record now = read_back_camera(0);
            EXPECT_EQ(std::memcmp(&cam0, &now, sizeof cam0), 0);
        }
    }
    unsetenv("NVR_DB_REFUSE_WRITES");
    tqdb_close_all();
    EXPECT_EQ(get_param_int(TQDB_FILE, "refuse_test", -1), 3);
}

}  // namespace
