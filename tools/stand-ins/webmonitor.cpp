// Stand-in for the recorder's watchdog: ends a program after a time.
//
//   webmonitor NAME SECONDS   waits SECONDS (scaled by the time divisor),
//                             then runs "killall NAME"
//
// The name is one argument of killall's argument vector, never shell text.
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/nvr_env.h"

int main(int argc, char** argv) {
    if (argc != 3 || !argv[1][0] || argv[1][0] == '-') {
        std::fprintf(stderr, "usage: webmonitor NAME SECONDS\n");
        return 2;
    }
    char* end = nullptr;
    errno = 0;
    long seconds = std::strtol(argv[2], &end, 10);
    if (errno || !end || *end || seconds < 0 || seconds > 86400) {
        std::fprintf(stderr, "webmonitor: SECONDS must be 0..86400\n");
        return 2;
    }
    nvr_sleep_ms(seconds * 1000);
    pid_t pid = fork();
    if (pid < 0) return 1;
    if (pid == 0) {
        execlp("killall", "killall", argv[1], static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
