// Core daemons that misbehave at the socket: one that never accepts (its
// listen queue full) and one that closes the link as soon as a message
// arrives. Requests end by themselves with their failure reply (a notice
// counts as sent), and never wait for an answer that cannot come.
#include "platform/tqstd.h"
#include "tests/faults/faults.h"
#include "tests/harness/core_case.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

// A socket at the core's path that listens with the shortest queue and never
// accepts; the queue is filled, so the next connect finds it full.
class deaf_daemon {
public:
    explicit deaf_daemon(const std::string& path) {
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        path.copy(addr.sun_path, sizeof addr.sun_path - 1);
        unlink(path.c_str());
        listen_fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (listen_fd_ < 0 || bind(listen_fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
            listen(listen_fd_, 0) != 0)
            return;
        for (int i = 0; i < 64; ++i) {
            int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
            if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
                full_ = errno == EAGAIN;
                close(fd);
                break;
            }
            queued_.push_back(fd);
        }
    }
    ~deaf_daemon() {
        for (int fd : queued_) close(fd);
        if (listen_fd_ >= 0) close(listen_fd_);
    }
    bool full() const { return full_; }
    size_t queued() const { return queued_.size(); }

private:
    int listen_fd_ = -1;
    std::vector<int> queued_;
    bool full_ = false;
};

void ignore(void*, const void*, const void*) {}

class MisbehavingDaemon : public core_case {};

TEST_F(MisbehavingDaemon, NotAcceptingFailsEverySendAttemptAndRequestsEnd) {
    core.stop();
    deaf_daemon deaf(root.file("/var/run/tqsocket"));
    ASSERT_TRUE(deaf.full()) << "the listen queue did not fill";

    // The socket calls themselves fail at once instead of waiting in connect.
    EXPECT_EQ(tq_sock_init(ignore, 0, 3, "/var/run/tqsocket"), -1);
    int32_t channel = 0;
    EXPECT_NE(tq_sock_send_msg(1, 1403, &channel, 4, 0, 0), 0);
    tq_sock_uninit();

    struct row {
        int line;
        std::string code, body, reply;
    } rows[] = {
        // Waiting requests: their failure reply once the attempts are over.
        {__LINE__, "/7070", "{\"ip\": \"10.0.0.1\"}", text_reply("CGI ERROR")},
        {__LINE__, "/7034", "{\"ip\": \"239.2.2.2\"}", json_reply("{status:\"CGI ERROR\"}")},
        // A notice counts as sent.
        {__LINE__, "/7043", "", text_reply("OK")},
    };
    for (const auto& r : rows) {
        cgi_request req = json_post(r.code, r.body);
        req.timeout_ms = 60000;  // the attempts take 0.3 s at this divisor
        cgi_result res = run_webreq(root, req);
        EXPECT_FALSE(res.timed_out) << "row at line " << r.line << ": hangs on a daemon that does not accept";
        EXPECT_EQ(res.out, r.reply) << "row at line " << r.line;
        std::printf("[ faults   ] %s against a full listen queue (%zu queued): ended after %.0f ms\n",
                    r.code.c_str(), deaf.queued(), res.elapsed_ms);
    }
}

TEST_F(MisbehavingDaemon, ClosingTheLinkEndsTheWaitAndAnAnswerBeforeItCounts) {
    struct row {
        int line;
        const char* replies;
        std::string reply;
    } rows[] = {
        {__LINE__, R"({"fault": "close"})", json_reply("{status:\"CGI ERROR\"}")},
        {__LINE__, R"([{"size": 4, "fields": [{"at": 0, "int32": 5}]}, {"fault": "close"}])",
         json_reply("{ \"res\": 5 }")},
    };
    for (const auto& r : rows) {
        fresh_case();
        ASSERT_TRUE(core.set_script(std::string("[{\"id\": 1729, \"reply\": ") + r.replies + "}]"));
        cgi_request req = json_post("/7034", "{\"enable\": 1}");
        // Real time: the wait for this answer would be 40 s.
        req.env["NVR_TIME_DIVISOR"] = "1";
        req.timeout_ms = 20000;
        cgi_result res = run_webreq(root, req);
        EXPECT_FALSE(res.timed_out) << "row at line " << r.line << ": waited on a link the daemon had closed";
        EXPECT_EQ(res.out, r.reply) << "row at line " << r.line;
        std::printf("[ faults   ] /7034 with a daemon that closes the link: ended after %.0f ms\n",
                    res.elapsed_ms);
    }
}

}  // namespace
