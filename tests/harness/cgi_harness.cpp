#include "tests/harness/cgi_harness.h"

#include "platform/tqdb/tqdb.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {

const char* const root_dirs[] = {
    "/mnt/nand/app", "/mnt/nand2", "/tmp", "/var/run", "/dev/shm",
    "/opt/app/www/webfile/json", "/dev/input", "/mnt/nand/ssl",
};

void make_dirs(const std::string& path) {
    for (size_t pos = 1; pos <= path.size(); ++pos) {
        if (pos == path.size() || path[pos] == '/') {
            std::string part = path.substr(0, pos);
            if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST)
                throw std::runtime_error("mkdir " + part);
        }
    }
}

void remove_tree(const std::string& path) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) return;
    if (S_ISDIR(st.st_mode)) {
        if (DIR* dir = opendir(path.c_str())) {
            while (dirent* ent = readdir(dir)) {
                if (!std::strcmp(ent->d_name, ".") || !std::strcmp(ent->d_name, "..")) continue;
                remove_tree(path + "/" + ent->d_name);
            }
            closedir(dir);
        }
        rmdir(path.c_str());
    } else {
        unlink(path.c_str());
    }
}

}  // namespace

test_root::test_root(int time_divisor) {
    char tmpl[] = "/tmp/nvrtest.XXXXXX";
    if (!mkdtemp(tmpl)) throw std::runtime_error("mkdtemp");
    path_ = tmpl;
    for (const char* dir : root_dirs) make_dirs(path_ + dir);
    tqdb_close_all();
    setenv("NVR_ROOT", path_.c_str(), 1);
    setenv("NVR_TIME_DIVISOR", std::to_string(time_divisor).c_str(), 1);
}

test_root::~test_root() {
    tqdb_close_all();
    unsetenv("NVR_ROOT");
    unsetenv("NVR_TIME_DIVISOR");
    if (!std::getenv("NVR_KEEP_TEST_ROOT")) remove_tree(path_);
}

bool test_root::exists(const std::string& device_path) const {
    struct stat st;
    return lstat(file(device_path).c_str(), &st) == 0;
}

std::string test_root::read(const std::string& device_path) const {
    std::ifstream in(file(device_path), std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::vector<std::string> test_root::lines(const std::string& device_path) const {
    std::vector<std::string> out;
    std::istringstream in(read(device_path));
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

void test_root::write(const std::string& device_path, const std::string& data) const {
    std::string full = file(device_path);
    make_dirs(full.substr(0, full.rfind('/')));
    std::ofstream out(full, std::ios::binary | std::ios::trunc);
    out << data;
}

std::vector<std::string> test_root::list(const std::string& device_dir) const {
    std::vector<std::string> names;
    if (DIR* dir = opendir(file(device_dir).c_str())) {
        while (dirent* ent = readdir(dir)) {
            if (!std::strcmp(ent->d_name, ".") || !std::strcmp(ent->d_name, "..")) continue;
            names.push_back(ent->d_name);
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string bin_path(const std::string& name) { return std::string(NVR_BIN_DIR) + "/" + name; }

namespace {

#ifndef NVR_EXEC_WRAPPER_DEFAULT
#define NVR_EXEC_WRAPPER_DEFAULT ""
#endif

std::string search_path(const std::string& name) {
    if (name.find('/') != std::string::npos) return name;
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path ? path : "/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        std::string full = (dir.empty() ? "." : dir) + "/" + name;
        if (access(full.c_str(), X_OK) == 0) return full;
    }
    return name;
}

}  // namespace

std::vector<std::string> exec_argv(const std::string& program) {
    const char* env = std::getenv("NVR_EXEC_WRAPPER");
    std::istringstream words(env ? env : NVR_EXEC_WRAPPER_DEFAULT);
    std::vector<std::string> argv;
    for (std::string w; words >> w;) argv.push_back(argv.empty() ? search_path(w) : w);
    argv.push_back(program);
    return argv;
}

// The build's programs (tqprofile, ...) come first, as the device has its
// own tools on its PATH; a PATH that already names the build's folder is
// taken as it is, so that a test can put its own stand-ins before it.
static std::string webreq_path() {
    const std::string bin = NVR_BIN_DIR;
    const char* env = std::getenv("PATH");
    const std::string path = env && *env ? env : "/usr/bin:/bin";
    if ((":" + path + ":").find(":" + bin + ":") != std::string::npos) return path;
    return bin + ":" + path;
}

cgi_result run_webreq(const test_root& root, const cgi_request& req) {
    std::vector<std::string> env_text = {
        "NVR_ROOT=" + root.path(),
        "NVR_TIME_DIVISOR=" + std::string(std::getenv("NVR_TIME_DIVISOR") ? std::getenv("NVR_TIME_DIVISOR") : "100"),
        "GATEWAY_INTERFACE=CGI/1.1",
        "SERVER_PROTOCOL=HTTP/1.1",
        "REQUEST_METHOD=" + req.method,
        "PATH_INFO=" + req.path_info,
        "QUERY_STRING=" + req.query,
        "REMOTE_ADDR=127.0.0.1",
        "PATH=" + webreq_path(),
    };
    if (!req.content_type.empty()) env_text.push_back("CONTENT_TYPE=" + req.content_type);
    if (req.set_content_length && !req.body.empty())
        env_text.push_back("CONTENT_LENGTH=" + std::to_string(req.body.size()));
    for (const auto& [key, value] : req.env) {
        std::string prefix = key + "=";
        env_text.erase(std::remove_if(env_text.begin(), env_text.end(),
                                      [&](const std::string& e) { return e.rfind(prefix, 0) == 0; }),
                       env_text.end());
        env_text.push_back(prefix + value);
    }
    // Sanitizer runtimes read their options from the environment.
    for (const char* keep : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS", "QEMU_LD_PREFIX"})
        if (const char* v = std::getenv(keep)) env_text.push_back(std::string(keep) + "=" + v);
    std::vector<char*> envp;
    for (auto& e : env_text) envp.push_back(e.data());
    envp.push_back(nullptr);

    int in_pipe[2], out_pipe[2], err_pipe[2];
    if (pipe2(in_pipe, O_CLOEXEC) || pipe2(out_pipe, O_CLOEXEC) || pipe2(err_pipe, O_CLOEXEC))
        throw std::runtime_error("pipe");
    std::vector<std::string> args = exec_argv(bin_path("webreq"));
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    int out_file = -1;
    if (!req.stdout_file.empty()) {
        out_file = open(req.stdout_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (out_file < 0) throw std::runtime_error("open " + req.stdout_file);
    }
    // webreq may stop reading its body early (a body past its limit): the
    // rest of the write then fails with EPIPE instead of killing the test.
    signal(SIGPIPE, SIG_IGN);
    auto start = std::chrono::steady_clock::now();
    pid_t pid = fork();
    if (pid == 0) {
        signal(SIGPIPE, SIG_DFL);  // webreq starts with the default, as under a web server
        dup2(in_pipe[0], 0);
        dup2(out_file >= 0 ? out_file : out_pipe[1], 1);
        dup2(err_pipe[1], 2);
        if (chdir(root.path().c_str()) != 0) _exit(126);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    close(in_pipe[0]);
    close(out_pipe[1]);
    close(err_pipe[1]);

    cgi_result res;
    size_t body_off = 0;
    int in_fd = in_pipe[1];
    if (req.body.empty()) {
        close(in_fd);
        in_fd = -1;
    } else {
        fcntl(in_fd, F_SETFL, O_NONBLOCK);
    }
    bool out_open = true, err_open = true;
    auto deadline = start + std::chrono::milliseconds(req.timeout_ms);
    while (out_open || err_open) {
        pollfd fds[3];
        int n = 0;
        int out_i = -1, err_i = -1, in_i = -1;
        if (out_open) { fds[n] = {out_pipe[0], POLLIN, 0}; out_i = n++; }
        if (err_open) { fds[n] = {err_pipe[0], POLLIN, 0}; err_i = n++; }
        if (in_fd >= 0) { fds[n] = {in_fd, POLLOUT, 0}; in_i = n++; }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0) {
            res.timed_out = true;
            kill(pid, SIGKILL);
            break;
        }
        if (poll(fds, n, static_cast<int>(left)) < 0 && errno != EINTR) break;
        char buf[65536];
        if (out_i >= 0 && fds[out_i].revents) {
            ssize_t r = read(out_pipe[0], buf, sizeof buf);
            if (r > 0) res.out.append(buf, r); else out_open = false;
        }
        if (err_i >= 0 && fds[err_i].revents) {
            ssize_t r = read(err_pipe[0], buf, sizeof buf);
            if (r > 0) res.err.append(buf, r); else err_open = false;
        }
        if (in_i >= 0 && fds[in_i].revents) {
            ssize_t w = write(in_fd, req.body.data() + body_off, req.body.size() - body_off);
            if (w > 0) body_off += w;
            if (w < 0 || body_off >= req.body.size()) {
                close(in_fd);
                in_fd = -1;
            }
        }
    }
    if (in_fd >= 0) close(in_fd);
    close(out_pipe[0]);
    close(err_pipe[0]);
    int wstatus = 0;
    waitpid(pid, &wstatus, 0);
    if (out_file >= 0) {
        close(out_file);
        std::ifstream in(req.stdout_file, std::ios::binary);
        std::ostringstream all;
        all << in.rdbuf();
        res.out = all.str();
    }
    res.elapsed_ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (WIFEXITED(wstatus)) {
        res.status = WEXITSTATUS(wstatus);
    } else if (WIFSIGNALED(wstatus)) {
        res.signal = WTERMSIG(wstatus);
    }
    return res;
}

cgi_result cgi_get(const test_root& root, const std::string& code, const std::string& query) {
    cgi_request req;
    req.path_info = code;
    req.query = query;
    return run_webreq(root, req);
}

cgi_request json_post(const std::string& code, const std::string& body) {
    cgi_request req;
    req.method = "POST";
    req.path_info = code;
    req.content_type = "application/json";
    req.body = body;
    return req;
}

cgi_result cgi_post_json(const test_root& root, const std::string& code, const std::string& body) {
    return run_webreq(root, json_post(code, body));
}

std::string text_reply(const std::string& body) { return "Content-type: text/plain\r\n\r\n" + body; }
std::string json_reply(const std::string& body) {
    return "Content-type: application/json\r\n\r\n" + body;
}

stdout_capture::stdout_capture() {
    std::fflush(stdout);
    char tmpl[] = "/tmp/nvrout.XXXXXX";
    file_fd_ = mkstemp(tmpl);
    if (file_fd_ < 0) throw std::runtime_error("mkstemp");
    unlink(tmpl);
    saved_fd_ = dup(1);
    dup2(file_fd_, 1);
}

stdout_capture::~stdout_capture() {
    std::fflush(stdout);
    dup2(saved_fd_, 1);
    close(saved_fd_);
    close(file_fd_);
}

std::string stdout_capture::text() {
    std::fflush(stdout);
    std::string out;
    char buf[65536];
    off_t off = 0;
    for (;;) {
        ssize_t got = pread(file_fd_, buf, sizeof buf, off);
        if (got <= 0) break;
        out.append(buf, got);
        off += got;
    }
    return out;
}

int fd_with_bytes(const std::string& bytes) {
    char tmpl[] = "/tmp/nvrin.XXXXXX";
    int fd = mkstemp(tmpl);
    if (fd < 0) throw std::runtime_error("mkstemp");
    unlink(tmpl);
    for (size_t done = 0; done < bytes.size();) {
        ssize_t w = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (w <= 0) throw std::runtime_error("write");
        done += w;
    }
    lseek(fd, 0, SEEK_SET);
    return fd;
}

std::string run_program(const std::vector<std::string>& argv, int* status) {
    int out[2];
    if (status) *status = -1;
    if (argv.empty() || pipe(out) != 0) return "";
    pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], 1);
        close(out[0]);
        close(out[1]);
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    close(out[1]);
    std::string text;
    char buf[4096];
    for (ssize_t n; (n = read(out[0], buf, sizeof buf)) > 0;) text.append(buf, static_cast<size_t>(n));
    close(out[0]);
    int ws = 0;
    waitpid(pid, &ws, 0);
    if (status) *status = WIFEXITED(ws) && WEXITSTATUS(ws) != 127 ? WEXITSTATUS(ws) : -1;
    return text;
}
