// tqjs: turns a USB joystick's movements and buttons into PTZ and
// user-interface commands for the core daemon. The main thread only waits
// for SIGINT or SIGTERM; the reader thread does the work.
#include <signal.h>

#include <cstdio>

#include "platform/nvr_env.h"
#include "tqjs/js_reader.h"

namespace {

volatile sig_atomic_t g_exit = 0;

void on_exit_signal(int) { g_exit = 1; }

}  // namespace

int main() {
    // The log goes to a pipe or file: one line at a time.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    struct sigaction sa {};
    sa.sa_handler = on_exit_signal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);
    // SIGSEGV keeps its default action: the crash ends the process and its
    // supervisor can start it again.

    if (tq_js_init() != 0) std::printf("tq_js_init failed !\n");
    while (!g_exit) nvr_sleep_ms(100);
    std::printf("exit tqjs\n");
    tq_js_uninit();
    return 0;
}
