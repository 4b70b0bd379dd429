// Times runs of a program started as a web server starts a CGI program:
// fork, execve with the CGI environment, body on standard input, output read
// to the end, wait. Prints the median, 10th and 90th percentile in ms and the
// largest peak resident size of a run in KiB.
//
//   bench_spawn RUNS BODY_FILE|- PROGRAM [NAME=VALUE ...]
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s RUNS BODY_FILE|- PROGRAM [NAME=VALUE ...]\n", argv[0]);
        return 2;
    }
    int runs = std::atoi(argv[1]);
    std::string body_file = argv[2];
    const char* program = argv[3];
    std::vector<char*> envp;
    for (int i = 4; i < argc; ++i) envp.push_back(argv[i]);
    envp.push_back(nullptr);

    std::vector<double> times;
    long max_rss_kib = 0;
    for (int i = 0; i < runs; ++i) {
        int in = body_file == "-" ? open("/dev/null", O_RDONLY) : open(body_file.c_str(), O_RDONLY);
        int out[2];
        if (in < 0 || pipe(out) != 0) return 1;
        auto start = std::chrono::steady_clock::now();
        pid_t pid = fork();
        if (pid == 0) {
            dup2(in, 0);
            dup2(out[1], 1);
            char* args[] = {const_cast<char*>(program), nullptr};
            execve(program, args, envp.data());
            _exit(127);
        }
        close(out[1]);
        char buf[65536];
        while (read(out[0], buf, sizeof buf) > 0) {
        }
        int status = 0;
        struct rusage usage {};
        wait4(pid, &status, 0, &usage);
        if (usage.ru_maxrss > max_rss_kib) max_rss_kib = usage.ru_maxrss;
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        close(out[0]);
        close(in);
    }
    std::sort(times.begin(), times.end());
    auto pct = [&](double p) { return times[static_cast<size_t>(p * (times.size() - 1))]; };
    std::printf("%.3f %.3f %.3f %ld\n", pct(0.5), pct(0.1), pct(0.9), max_rss_kib);
    return 0;
}
