// Times runs of a program started as a web server starts a CGI program:
// fork, execve with the CGI environment, body on standard input, output read
// to the end, wait. Prints the median, 10th and 90th percentile in ms, the
// largest peak resident size of a run in KiB and the median processor time
// (user and system) of a run in ms, which a busy machine disturbs less than
// the elapsed time. Several body files (separated
// by commas) are used in turn, so that stores change the stored value on
// every run; CONTENT_LENGTH is set to the size of each.
//
//   bench_spawn RUNS BODY_FILE[,BODY_FILE...]|- PROGRAM [NAME=VALUE ...]
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
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
        std::fprintf(stderr, "usage: %s RUNS BODY_FILE[,BODY_FILE...]|- PROGRAM [NAME=VALUE ...]\n", argv[0]);
        return 2;
    }
    int runs = std::atoi(argv[1]);
    std::vector<std::string> bodies;
    for (std::string list = argv[2]; !list.empty();) {
        size_t comma = list.find(',');
        bodies.push_back(list.substr(0, comma));
        list = comma == std::string::npos ? "" : list.substr(comma + 1);
    }
    const char* program = argv[3];
    std::vector<std::string> env_words;
    for (int i = 4; i < argc; ++i) env_words.push_back(argv[i]);

    std::vector<double> times, cpu_times;
    long max_rss_kib = 0;
    for (int i = 0; i < runs; ++i) {
        const std::string& body_file = bodies.empty() ? std::string("-") : bodies[i % bodies.size()];
        int in = body_file == "-" ? open("/dev/null", O_RDONLY) : open(body_file.c_str(), O_RDONLY);
        int out[2];
        if (in < 0 || pipe(out) != 0) return 1;
        std::vector<std::string> env = env_words;
        struct stat st;
        if (body_file != "-" && fstat(in, &st) == 0)
            env.push_back("CONTENT_LENGTH=" + std::to_string(st.st_size));
        std::vector<char*> envp;
        for (std::string& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);
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
        cpu_times.push_back((usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
                            (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3);
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        close(out[0]);
        close(in);
    }
    std::sort(times.begin(), times.end());
    std::sort(cpu_times.begin(), cpu_times.end());
    auto pct = [&](double p) { return times[static_cast<size_t>(p * (times.size() - 1))]; };
    std::printf("%.3f %.3f %.3f %ld %.3f\n", pct(0.5), pct(0.1), pct(0.9), max_rss_kib,
                cpu_times[cpu_times.size() / 2]);
    return 0;
}
