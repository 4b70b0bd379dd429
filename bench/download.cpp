// Drives one download through the local server: the simulated core runs in
// this process (so that the moment it sends the end marker and the moment
// the HTTP client finishes are read from one clock), curl fetches /4013.
// Prints: bytes, seconds, MiB/s, and milliseconds from the end marker to
// the end of the HTTP response.
//
//   bench_download ROOT URL RECORDING REPEAT OUT_FILE
#include <spawn.h>
#include <sys/wait.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/msg_playback.h"
#include "tools/coresim/coresim.h"

extern char** environ;

namespace {

using clock_type = std::chrono::steady_clock;
std::atomic<int64_t> marker_ns{0};

int64_t now_ns() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(clock_type::now().time_since_epoch()).count();
}

// Passes the recording's pieces on and notes when the marker goes out.
class timed_source : public coresim::stream_source {
public:
    explicit timed_source(std::shared_ptr<coresim::stream_source> inner) : inner_(std::move(inner)) {}
    bool next(coresim::out_msg& msg) override {
        if (!inner_->next(msg)) return false;
        int32_t length = 0;
        std::memcpy(&length, msg.payload.data() + offsetof(playback::download_piece, length), 4);
        if (length < 0) marker_ns.store(now_ns());
        return true;
    }

private:
    std::shared_ptr<coresim::stream_source> inner_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 6) {
        std::fprintf(stderr, "usage: %s ROOT URL RECORDING REPEAT OUT_FILE\n", argv[0]);
        return 2;
    }
    const std::string root = argv[1];
    coresim::stream_plan plan;
    plan.file = argv[3];
    plan.repeat = std::atoi(argv[4]);
    coresim_server core;
    core.keep_journal(false);
    coresim::rule r;
    r.id = playback::msg_download;
    r.handler = [&](const coresim::request& req, std::vector<coresim::out_msg>& out) {
        coresim::build_stream(plan, req, root, out);
        out.back().source = std::make_shared<timed_source>(out.back().source);
    };
    core.add_rule(r);
    if (!core.start(root)) {
        std::fprintf(stderr, "cannot listen under %s\n", root.c_str());
        return 1;
    }
    const std::string body =
        R"({"id": 0, "streamType": 0, "startTime": "2024-01-02T03:00:00Z", "endTime": "2024-01-02T04:00:00Z"})";
    const char* args[] = {"curl", "-s", "-o", argv[5], "-w", "%{size_download} %{time_total}", "-H",
                          "Content-Type: application/json", "-d", body.c_str(), argv[2], nullptr};
    std::fflush(stdout);
    pid_t pid;
    if (posix_spawnp(&pid, "curl", nullptr, nullptr, const_cast<char**>(args), environ) != 0) return 1;
    int status = 0;
    waitpid(pid, &status, 0);
    const int64_t end = now_ns();
    core.stop();
    const int64_t marker = marker_ns.load();
    std::printf(" %.1f\n", marker ? static_cast<double>(end - marker) / 1e6 : -1.0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
}
