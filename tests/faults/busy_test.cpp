// A database another process holds: a write waits for it up to the busy
// timeout and then fails (never a silent success); a request whose change
// could not be stored answers its failure reply and tells the core nothing.
#include "platform/tqdb/rec_network.h"
#include "platform/tqdb/tqdb.h"
#include "tests/faults/faults.h"
#include "tests/harness/core_case.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>

namespace {

// Another process with a write transaction open on the main database until
// released (or, with hold_ms, until that much time has passed).
class lock_holder {
public:
    explicit lock_holder(int hold_ms = -1) {
        if (pipe(ready_) != 0 || pipe(release_) != 0) return;
        pid_ = fork();
        if (pid_ != 0) {
            close(ready_[1]);
            close(release_[0]);
            char byte = 0;
            held_ = read(ready_[0], &byte, 1) == 1;
            return;
        }
        close(ready_[0]);
        close(release_[1]);
        tqdb_atomic(TQDB_FILE, [&] {
            if (write(ready_[1], "r", 1) != 1) return 1;
            if (hold_ms >= 0) {
                usleep(static_cast<useconds_t>(hold_ms) * 1000);
            } else {
                char byte;
                while (read(release_[0], &byte, 1) < 0 && errno == EINTR) {
                }
            }
            return 1;  // nothing of it is kept
        });
        _exit(0);
    }
    ~lock_holder() { release(); }
    bool held() const { return held_; }
    void release() {
        if (pid_ <= 0) return;
        close(release_[1]);
        close(ready_[0]);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

private:
    int ready_[2] = {-1, -1}, release_[2] = {-1, -1};
    pid_t pid_ = -1;
    bool held_ = false;
};

// The busy timeout of this process and of the requests it runs: short, so
// that a file held longer costs the test little.
class BusyDatabase : public core_case {
protected:
    void SetUp() override {
        core_case::SetUp();
        use_busy_timeout(300);
    }
    void TearDown() override {
        unsetenv("NVR_DB_BUSY_MS");
        core_case::TearDown();
    }
    void use_busy_timeout(int ms) {
        tqdb_close_all();
        setenv("NVR_DB_BUSY_MS", std::to_string(ms).c_str(), 1);
    }

    int32_t stored_mtu() {
        tqdb_close_all();
        network_record rec;
        std::memset(&rec, 0, sizeof rec);
        read_network(TQDB_FILE, &rec);
        return rec.eth[0].mtu;
    }
};

TEST_F(BusyDatabase, HeldLongerThanTheTimeoutEveryWriteFailsAndNothingIsTold) {
    ASSERT_EQ(set_param_int(TQDB_FILE, "faults_value", 1), 0);
    ASSERT_EQ(edit_network(TQDB_FILE, [](network_record& r) { r.eth[0].mtu = 1500; }), 0);
    tqdb_close_all();
    std::printf("[ faults   ] busy timeout %d ms\n", tqdb_busy_timeout_ms());
    {
        lock_holder holder;
        ASSERT_TRUE(holder.held());
        EXPECT_NE(set_param_int(TQDB_FILE, "faults_value", 2), 0);
        EXPECT_NE(edit_network(TQDB_FILE, [](network_record& r) { r.eth[0].mtu = 1400; }), 0);
        // Reads still work meanwhile.
        EXPECT_EQ(get_param_int(TQDB_FILE, "faults_value", -1), 1);
        struct row {
            int line;
            std::string code, body, reply;
        } rows[] = {
            {__LINE__, "/7041", "{\"mode\": 0, \"mtu\": 1300}", text_reply("CGI ERROR")},
            {__LINE__, "/7034", "{\"ip\": \"239.1.1.1\"}", json_reply("{status:\"CGI ERROR\"}")},
        };
        for (const auto& r : rows) {
            fresh_case();
            cgi_request req = json_post(r.code, r.body);
            req.env["NVR_DB_BUSY_MS"] = "300";
            cgi_result res = run_webreq(root, req);
            EXPECT_EQ(res.out, r.reply) << "row at line " << r.line;
            EXPECT_TRUE(sent().empty())
                << "row at line " << r.line << ": the core was told of a change not stored";
        }
    }
    EXPECT_EQ(get_param_int(TQDB_FILE, "faults_value", -1), 1);
    EXPECT_EQ(stored_mtu(), 1500);

    // Released: the same request stores and answers.
    fresh_case();
    EXPECT_EQ(cgi_post_json(root, "/7041", "{\"mode\": 0, \"mtu\": 1300}").out, text_reply("OK"));
    EXPECT_EQ(stored_mtu(), 1300);
    EXPECT_EQ(sent(3).size(), 3u);
}

TEST_F(BusyDatabase, HeldForAMomentTheWriteWaitsAndSucceeds) {
    use_busy_timeout(3000);
    ASSERT_EQ(set_param_int(TQDB_FILE, "faults_value", 1), 0);
    tqdb_close_all();
    lock_holder holder(tqdb_busy_timeout_ms() / 10);
    ASSERT_TRUE(holder.held());
    EXPECT_EQ(set_param_int(TQDB_FILE, "faults_value", 2), 0);
    holder.release();
    tqdb_close_all();
    EXPECT_EQ(get_param_int(TQDB_FILE, "faults_value", -1), 2);
}

}  // namespace
