// The program build/bin/tqjs under a test root: a FIFO stands for the
// joystick's event node (with its name in a ".name" file), the fake core
// records what it sends, and signals end it.
#include <fcntl.h>
#include <linux/input.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "tests/harness/cgi_harness.h"
#include "tools/coresim/coresim.h"
#include "tqjs/js_bridge.h"

namespace {

// Guards against a hanging program; never reached by a passing test.
constexpr auto kGuard = std::chrono::seconds(20);

class JsDaemon : public ::testing::Test {
protected:
    void SetUp() override {
        // event0 is another device; the joystick is event1.
        root.write("/dev/input/js0", "");
        root.write("/dev/input/js0.name", "Test Pad\n");
        root.write("/dev/input/event0", "");
        root.write("/dev/input/event0.name", "AT Keyboard\n");
        root.write("/dev/input/event1.name", "Test Pad\n");
        std::string fifo = root.file("/dev/input/event1");
        ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
        // Held open so that events written before the program opens the
        // node wait in the FIFO.
        fifo_fd = open(fifo.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
        ASSERT_GE(fifo_fd, 0);
    }
    void TearDown() override {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        if (fifo_fd >= 0) close(fifo_fd);
        core.stop();
    }

    void start() {
        std::string out = root.file("/tmp/tqjs.out");
        std::string bin = bin_path("tqjs");
        // The environment (root and time divisor included), prepared before
        // the fork: a sanitizer build must not catch the SIGSEGV itself.
        std::vector<std::string> env;
        std::string asan = "ASAN_OPTIONS=handle_segv=0";
        for (char** e = environ; *e; ++e) {
            if (std::strncmp(*e, "ASAN_OPTIONS=", 13) == 0)
                asan = std::string(*e) + ":handle_segv=0";
            else
                env.push_back(*e);
        }
        env.push_back(asan);
        std::vector<char*> envp;
        for (auto& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);
        std::vector<std::string> args = exec_argv(bin);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            rlimit no_core{0, 0};
            setrlimit(RLIMIT_CORE, &no_core);
            int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (fd >= 0) {
                dup2(fd, 1);
                dup2(fd, 2);
            }
            execve(argv[0], argv.data(), envp.data());
            _exit(127);
        }
    }

    void send_event(int type, int code, int value) {
        input_event ev{};
        ev.type = static_cast<uint16_t>(type);
        ev.code = static_cast<uint16_t>(code);
        ev.value = value;
        ASSERT_EQ(write(fifo_fd, &ev, sizeof ev), static_cast<ssize_t>(sizeof ev));
    }

    // Waits for the program to end: its wait status, or -1 when it is still
    // running after the guard time.
    int wait_end() {
        auto until = std::chrono::steady_clock::now() + kGuard;
        while (std::chrono::steady_clock::now() < until) {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                pid = -1;
                return status;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return -1;
    }

    bool output_has(const std::string& text) {
        auto until = std::chrono::steady_clock::now() + kGuard;
        while (std::chrono::steady_clock::now() < until) {
            if (root.read("/tmp/tqjs.out").find(text) != std::string::npos) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }

    std::vector<std::string> texts() {
        std::vector<std::string> out;
        for (const auto& m : core.journal()) {
            if (m.id != JS_MSG_COMMAND) continue;
            std::string text(m.payload.begin(), m.payload.end());
            out.push_back(text.substr(0, text.find('\0')));
        }
        return out;
    }

    test_root root;
    coresim_server core;
    int fifo_fd = -1;
    pid_t pid = -1;
};

TEST_F(JsDaemon, CommandsReachTheCoreAndSignalsEndTheProgram) {
    struct row {
        int line;
        int sig;
        bool exits;  // true: exit status 0 with "exit tqjs"; false: killed by the signal
    } rows[] = {
        {__LINE__, SIGTERM, true},
        {__LINE__, SIGINT, true},
        // A crash is not caught: the process ends and can be started again.
        {__LINE__, SIGSEGV, false},
    };
    ASSERT_TRUE(core.start(root.path()));
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << "row at line " << r.line);
        core.clear_journal();
        start();
        send_event(JS_EV_KEY, JS_BTN_B, 1);
        send_event(JS_EV_KEY, JS_BTN_B, 0);
        send_event(JS_EV_ABS, JS_ABS_X, 1023);
        send_event(JS_EV_ABS, JS_ABS_X, 512);
        ASSERT_TRUE(core.wait_for(3));
        EXPECT_EQ(texts(), (std::vector<std::string>{"Enter", "Dir_Ptz_Right_10_0", "Dir_Ptz_STOP_0_0"}));
        ASSERT_EQ(kill(pid, r.sig), 0);
        int status = wait_end();
        ASSERT_NE(status, -1) << "still running after the signal";
        if (r.exits) {
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
            EXPECT_NE(root.read("/tmp/tqjs.out").find("exit tqjs\n"), std::string::npos);
        } else {
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == r.sig) << status;
        }
    }
}

TEST_F(JsDaemon, StartsBeforeTheCoreAndSendsOnceItIsThere) {
    start();
    EXPECT_TRUE(output_has("tq_js_init failed !\n"));
    ASSERT_TRUE(core.start(root.path()));
    send_event(JS_EV_KEY, JS_BTN_B, 1);
    ASSERT_TRUE(core.wait_for(1));
    EXPECT_EQ(texts(), std::vector<std::string>{"Enter"});
    ASSERT_EQ(kill(pid, SIGTERM), 0);
    int status = wait_end();
    EXPECT_TRUE(status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

}  // namespace
