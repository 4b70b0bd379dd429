// Part of every handler's toolkit: the debug log, commands, the operation
// log, the CGI lock and whole-file helpers.
#include "front/web_utils.h"

#include "front/cgi_env.h"
#include "front/core_link.h"
#include "platform/nvr_env.h"
#include "platform/tqstd.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

// ---- debug log ------------------------------------------------------------------

namespace {

// Set once the log's file system was found full: the rest of the process
// logs nothing rather than retrying every line.
std::atomic<bool> log_gave_up{false};

// The log, opened for appending and locked against other processes' entries
// (released when it is closed); moved aside first when it has reached the
// limit. -1 when it cannot be opened.
int open_log(const std::string& path) {
    for (int round = 0; round < 2; ++round) {
        int fd = open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0) return -1;
        while (flock(fd, LOCK_EX) != 0 && errno == EINTR) {
        }
        struct stat st;
        if (round == 0 && fstat(fd, &st) == 0 && st.st_size >= CGI_LOG_LIMIT) {
            // The log lives on flash and carries request text: past the
            // limit it is moved aside (one old file kept) and a new one
            // started.
            std::rename(path.c_str(), (path + ".1").c_str());
            close(fd);
            continue;
        }
        return fd;
    }
    return -1;
}

// True when the file does not end with a line end (a write before was cut
// short by a full disk).
bool ends_inside_a_line(int fd) {
    struct stat st;
    char last = '\n';
    return fstat(fd, &st) == 0 && st.st_size > 0 && pread(fd, &last, 1, st.st_size - 1) == 1 && last != '\n';
}

}  // namespace

int cgi_debug_log(const char* file, int line, const char* func, const char* fmt, ...) {
    if (log_gave_up.load()) return -1;
    char message[2048];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(message, sizeof message, fmt, args);
    va_end(args);

    time_t now = std::time(nullptr);
    struct tm tm_local;
    localtime_r(&now, &tm_local);
    char prefix[128];
    std::snprintf(prefix, sizeof prefix, "[cgix debug] %4d-%02d-%02d %02d:%02d:%02d  ", tm_local.tm_year + 1900,
                  tm_local.tm_mon + 1, tm_local.tm_mday, tm_local.tm_hour, tm_local.tm_min, tm_local.tm_sec);
    std::string line_text = prefix;
    line_text += file ? file : "";
    line_text += ':' + std::to_string(line) + " in " + (func ? func : "") + ": " + message;
    // The line is cut at 2047 characters, its line end kept so that the next
    // entry starts a line of its own.
    if (line_text.size() > 2046) line_text.resize(2046);
    line_text += '\n';

    int fd = open_log(nvr_path("/mnt/nand/cgi_log.txt"));
    if (fd < 0) return -1;
    // A line that an earlier write left unfinished is ended first: this entry
    // never continues it.
    if (ends_inside_a_line(fd)) line_text.insert(0, 1, '\n');
    // One write for the whole entry; a short one is continued until the
    // disk refuses.
    bool written = true;
    for (size_t done = 0; done < line_text.size();) {
        ssize_t n = write(fd, line_text.data() + done, line_text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0 || errno == ENOSPC || errno == EDQUOT) log_gave_up.store(true);
            written = false;
            break;
        }
        done += static_cast<size_t>(n);
    }
    close(fd);
    return written ? 0 : -1;
}

std::string log_excerpt(std::string_view text, size_t max) {
    std::string out(text.substr(0, max));
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
    return out;
}

// ---- commands --------------------------------------------------------------------

namespace {

int status_result(int status) {
    if (status == -1) return -1;
    if (WIFSIGNALED(status)) return -1;
    if (WIFEXITED(status) && WEXITSTATUS(status) != 0) return -1;
    return 0;
}

pid_t start_child(const char* const* argv, bool detach) {
    pid_t pid = fork();
    if (pid != 0) return pid;
    if (detach) {
        setsid();
        int null_fd = open("/dev/null", O_RDWR);
        if (null_fd >= 0) {
            dup2(null_fd, 0);
            dup2(null_fd, 1);
            dup2(null_fd, 2);
        }
    }
    execvp(argv[0], const_cast<char* const*>(argv));
    _exit(127);
}

}  // namespace

int cgi_system(const char* command) {
    if (!command) return -1;
    std::fflush(stdout);
    return status_result(std::system(command));
}

int cgi_execv(const char* const* argv) {
    if (!argv || !argv[0]) return -1;
    std::fflush(stdout);
    pid_t pid = start_child(argv, false);
    if (pid < 0) return -1;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 127) return -1;
    return status_result(status);
}

int cgi_exec(std::initializer_list<const char*> argv) {
    std::vector<const char*> args(argv);
    args.push_back(nullptr);
    return cgi_execv(args.data());
}

int cgi_exec_output(const char* const* argv, std::string* out, size_t limit) {
    if (out) out->clear();
    if (!argv || !argv[0]) return -1;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return -1;
    std::fflush(stdout);
    pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], 1);
        execvp(argv[0], const_cast<char* const*>(argv));
        _exit(127);
    }
    close(fds[1]);
    if (pid < 0) {
        close(fds[0]);
        return -1;
    }
    char buf[4096];
    for (;;) {
        ssize_t got = read(fds[0], buf, sizeof buf);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        if (out && out->size() < limit)
            out->append(buf, std::min(static_cast<size_t>(got), limit - out->size()));
    }
    close(fds[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 127) return -1;
    return status_result(status);
}

int cgi_spawn(std::initializer_list<const char*> argv) {
    std::vector<const char*> args(argv);
    args.push_back(nullptr);
    return cgi_spawnv(args.data());
}

int cgi_spawnv(const char* const* argv) {
    if (!argv || !argv[0]) return -1;
    std::fflush(stdout);
    // Double fork: the command runs on after webreq exits, and no zombie is
    // left behind.
    pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        pid_t grandchild = start_child(argv, true);
        _exit(grandchild < 0 ? 1 : 0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return status_result(status);
}

// ---- operation log ----------------------------------------------------------------

int oplog_record_init(oplog_record* rec) {
    if (!rec) return -1;
    std::memset(rec, 0, sizeof *rec);
    rec->main_type = 4;
    rec->remote = 1;
    cookie_user_name(rec->user, sizeof rec->user);
    copy_text(rec->ip, sizeof rec->ip, cgi_remote_addr(), 45);
    return 0;
}

namespace {
void ignore_replies(void*, const void*, const void*) {}
}  // namespace

void oplog_send_record(const oplog_record* rec) {
    core_notify(ignore_replies, 3485, sizeof *rec, rec);
}

void oplog_send(int64_t sub_type, int parameter_type, int chan_no) {
    oplog_record rec;
    oplog_record_init(&rec);
    rec.sub_type = sub_type;
    rec.parameter_type = parameter_type;
    if (chan_no >= 0) rec.chan_no = chan_no;
    oplog_send_record(&rec);
}

int cookie_user_name(char* buf, size_t size) {
    if (!buf || size == 0) return -1;
    const char* cookie = cgi_http_cookie();
    const char* found = std::strstr(cookie, "userName");
    if (!found) return -1;
    buf[0] = '\0';
    // The value starts behind "userName" and the character after it (the
    // '='); a header that ends before that gives an empty name.
    if (std::strlen(found) < 9) return 0;
    const char* value = found + 9;
    size_t len = std::strcspn(value, ";");
    std::string text(value, len);
    size_t eq = text.find('=');
    if (eq != std::string::npos) text.erase(0, eq + 1);
    copy_text(buf, size, text.c_str());
    return 0;
}

// ---- files and locks ---------------------------------------------------------------

int cgi_file_lock(const char* path) {
    if (!path) return -1;
    int fd = open(nvr_path(path).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return -1;
    while (lockf(fd, F_LOCK, 0) != 0) {
        if (errno != EINTR) {
            close(fd);
            return -1;
        }
    }
    return fd;
}

void cgi_file_unlock(int fd) {
    if (fd < 0) return;
    lockf(fd, F_ULOCK, 0);
    close(fd);
}

cgi_lock_guard::cgi_lock_guard() : fd(cgi_file_lock(CGI_LOCK_FILE)) {}
cgi_lock_guard::~cgi_lock_guard() { cgi_file_unlock(fd); }

char* read_whole_file(const char* path, long* length) {
    if (length) *length = 0;
    if (!path) return nullptr;
    FILE* fp = std::fopen(nvr_path(path).c_str(), "rb");
    if (!fp) return nullptr;
    char* data = nullptr;
    long size = -1;
    if (std::fseek(fp, 0, SEEK_END) == 0) size = std::ftell(fp);
    if (size >= 0 && std::fseek(fp, 0, SEEK_SET) == 0) {
        data = static_cast<char*>(__tq_malloc(size > 0 ? size : 1, "web_utils.c", 1251));
        if (data && std::fread(data, 1, size, fp) != static_cast<size_t>(size)) {
            __tq_free(data, "web_utils.c", 1251);
            data = nullptr;
        }
    }
    std::fclose(fp);
    if (data && length) *length = size;
    return data;
}

int write_whole_file(const char* path, const void* data, size_t length) {
    if (!path || (!data && length)) return -1;
    FILE* fp = std::fopen(nvr_path(path).c_str(), "wb");
    if (!fp) return -1;
    size_t written = length ? std::fwrite(data, 1, length, fp) : 0;
    int closed = std::fclose(fp);
    return written == length && closed == 0 ? 0 : -1;
}

int touch_file(const char* path) {
    if (!path) return -1;
    const int fd = open(nvr_path(path).c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOCTTY, 0644);
    if (fd < 0) return -1;
    return close(fd) == 0 ? 0 : -1;
}

void copy_text(char* dst, size_t dst_size, const char* src, size_t max_chars) {
    if (!dst || dst_size == 0) return;
    size_t limit = dst_size - 1 < max_chars ? dst_size - 1 : max_chars;
    size_t n = 0;
    if (src)
        while (n < limit && src[n]) ++n;
    if (n) std::memcpy(dst, src, n);
    std::memset(dst + n, 0, dst_size - n);
}
