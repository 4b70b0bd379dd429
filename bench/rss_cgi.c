/* Runs a CGI program as the web server would (environment, standard input
 * and output passed on) and appends its peak resident size in KiB to a file.
 *   bench_rss RSS_FILE PROGRAM */
#include <stdio.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    pid_t pid = fork();
    if (pid == 0) {
        execv(argv[2], argv + 2);
        _exit(127);
    }
    int status = 0;
    struct rusage usage;
    if (wait4(pid, &status, 0, &usage) < 0) return 1;
    FILE* f = fopen(argv[1], "a");
    if (f) {
        fprintf(f, "%ld\n", usage.ru_maxrss);
        fclose(f);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
