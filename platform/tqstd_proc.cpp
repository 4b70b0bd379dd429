// Process, memory and file helpers of the platform library.
#include "platform/nvr_env.h"
#include "platform/tqstd.h"

#include <fcntl.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

int tq_system(const char* command) {
    if (!command) return -1;
    std::fflush(stdout);
    return std::system(command);
}

FILE* tq_vpopen(const char* command, const char* mode, pid_t* pid) {
    if (!command || !mode || (mode[0] != 'r' && mode[0] != 'w')) return nullptr;
    bool reading = mode[0] == 'r';
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return nullptr;
    std::fflush(stdout);
    pid_t child = fork();
    if (child < 0) {
        close(fds[0]);
        close(fds[1]);
        return nullptr;
    }
    if (child == 0) {
        dup2(reading ? fds[1] : fds[0], reading ? STDOUT_FILENO : STDIN_FILENO);
        execl("/bin/sh", "sh", "-c", command, static_cast<char*>(nullptr));
        _exit(127);
    }
    close(reading ? fds[1] : fds[0]);
    FILE* fp = fdopen(reading ? fds[0] : fds[1], reading ? "r" : "w");
    if (!fp) {
        close(reading ? fds[0] : fds[1]);
        waitpid(child, nullptr, 0);
        return nullptr;
    }
    if (pid) *pid = child;
    return fp;
}

int tq_vpclose(FILE* fp, pid_t pid) {
    if (!fp) return -1;
    std::fclose(fp);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return status;
}

void* __tq_malloc(size_t size, const char*, int) { return std::malloc(size); }
void* __tq_calloc(size_t count, size_t size, const char*, int) { return std::calloc(count, size); }
void __tq_free(void* ptr, const char*, int) { std::free(ptr); }

int tq_check_file_exist(const char* path) {
    if (!path) return 0;
    struct stat st;
    return stat(nvr_path(path).c_str(), &st) == 0 ? 1 : 0;
}

int tq_spliced_copy_ex(int fd_in, int fd_out) {
    if (fd_in < 0 || fd_out < 0) return -1;
    char buf[65536];
    for (;;) {
        ssize_t got = read(fd_in, buf, sizeof buf);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return -1;
        if (got == 0) return 0;
        for (ssize_t done = 0; done < got;) {
            ssize_t w = write(fd_out, buf + done, static_cast<size_t>(got - done));
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) return -1;
            done += w;
        }
    }
}
