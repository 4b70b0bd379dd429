// Latency of a waiting request: the core link's wait (ends when the reply
// writer is done) against a literal poll of the reply state every 40 ms, for
// a core that answers at once and one that takes 15 ms. Runs an in-process
// fake core; real time bounds. Target: a reply that comes at once ends the
// whole exchange within 2 ms (no pause after the send, no polling round).
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "front/core_link.h"
#include "platform/nvr_env.h"
#include "tools/coresim/coresim.h"

namespace {

void writer(void*, const void* header, const void* payload) {
    if (!payload || core_header_id(header) != 8201) return;
    if (core_reply_claim()) core_reply_done(1);
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    int runs = argc > 1 ? std::atoi(argv[1]) : 40;
    char root_tmpl[] = "/tmp/nvrwait.XXXXXX";
    std::string root = mkdtemp(root_tmpl);
    mkdir((root + "/var").c_str(), 0755);
    mkdir((root + "/var/run").c_str(), 0755);
    setenv("NVR_ROOT", root.c_str(), 1);
    setenv("NVR_TIME_DIVISOR", "1", 1);
    coresim_server core;
    if (!core.start(root)) return 1;
    int answer_delay_ms = 0;
    coresim::rule answer;
    answer.id = 3201;
    answer.handler = [&](const coresim::request&, std::vector<coresim::out_msg>& out) {
        if (answer_delay_ms) usleep(answer_delay_ms * 1000);
        out.push_back(coresim::out_msg{8201, coresim::bytes(976, 0)});
    };
    core.add_rule(answer);

    for (int delay : {0, 15}) {
        answer_delay_ms = delay;
        std::vector<double> link_ms, poll_ms;
        for (int i = 0; i < runs; ++i) {
            auto t0 = std::chrono::steady_clock::now();
            core_send(writer, 3201, 0, nullptr, 0);
            core_close();
            link_ms.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());

            t0 = std::chrono::steady_clock::now();
            core_send(writer, 3201, 0, nullptr, 1);
            for (int round = 0; round < core_wait_rounds(3201) && core_reply_state == 0; ++round)
                nvr_sleep_ms(40);
            core_close();
            poll_ms.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
        }
        std::printf("core answers after %d ms (median of %d)\n", delay, runs);
        std::printf("  %-42s %8.2f ms\n", "wait ends on the reply", median(link_ms));
        std::printf("  %-42s %8.2f ms\n", "literal 40 ms polling", median(poll_ms));
        std::printf("  ratio literal / link: %.2f\n", median(poll_ms) / median(link_ms));
        if (delay == 0)
            std::printf("  %-42s %8.2f ms  (target at most 2 ms) %s\n", "exchange answered at once",
                        median(link_ms), median(link_ms) <= 2.0 ? "PASS" : "MISS");
    }
    core.stop();
    std::string cleanup = "rm -rf " + root;
    return std::system(cleanup.c_str()) == 0 ? 0 : 1;
}
