#include "tests/faults/faults.h"

#include <gtest/gtest.h>
#include <sched.h>
#include <sqlite3.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

void child_report::put(const char* kind, const std::string& text) {
    std::string line = std::string(kind) + " " + text;
    for (char& c : line)
        if (c == '\n') c = ' ';
    line += '\n';
    for (size_t done = 0; done < line.size();) {
        ssize_t n = write(fd_, line.data() + done, line.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        done += static_cast<size_t>(n);
    }
}

child_findings run_in_child(const std::function<void(child_report&)>& scenario) {
    child_findings found;
    int fds[2];
    if (pipe(fds) != 0) {
        found.fails.push_back("pipe failed");
        return found;
    }
    std::fflush(nullptr);
    pid_t pid = fork();
    if (pid < 0) {
        found.fails.push_back("fork failed");
        return found;
    }
    if (pid == 0) {
        close(fds[0]);
        child_report report(fds[1]);
        scenario(report);
        _exit(0);
    }
    close(fds[1]);
    std::string text;
    char buf[4096];
    for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) != 0;) {
        if (n < 0) {
            if (errno == EINTR) continue;
            break;
        }
        text.append(buf, static_cast<size_t>(n));
    }
    close(fds[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    found.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::string rest = line.substr(line.find(' ') + 1);
        if (line.rfind("FAIL ", 0) == 0)
            found.fails.push_back(rest);
        else if (line.rfind("COUNT ", 0) == 0)
            found.counts.push_back(rest);
        else if (line.rfind("SKIP ", 0) == 0)
            found.skip = rest;
    }
    return found;
}

void report_findings(const child_findings& found) {
    for (const std::string& c : found.counts) std::printf("[ faults   ] %s\n", c.c_str());
    for (const std::string& f : found.fails) ADD_FAILURE() << f;
    EXPECT_EQ(found.status, 0) << "the scenario's process did not end normally";
}

namespace {

bool write_text(const char* path, const std::string& text) {
    std::ofstream out(path);
    out << text;
    out.close();
    return static_cast<bool>(out);
}

}  // namespace

bool mount_private_tmpfs(const std::string& dir, int size_kib, std::string* why) {
    if (unshare(CLONE_NEWNS) != 0) {
        // Not allowed as this user: a user namespace of its own, in which
        // this process is root.
        uid_t uid = getuid();
        gid_t gid = getgid();
        if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) {
            *why = std::string("no private mount namespace here (unshare: ") + std::strerror(errno) + ")";
            return false;
        }
        if (!write_text("/proc/self/setgroups", "deny") ||
            !write_text("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") ||
            !write_text("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1")) {
            *why = "no user mapping in the new user namespace";
            return false;
        }
    }
    if (mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        *why = std::string("mounts cannot be made private (") + std::strerror(errno) + ")";
        return false;
    }
    std::string options = "size=" + std::to_string(size_kib) + "k,mode=0755";
    if (mount("tmpfs", dir.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) != 0) {
        *why = std::string("no tmpfs can be mounted (") + std::strerror(errno) + ")";
        return false;
    }
    return true;
}

std::string integrity_of(const std::string& file) {
    sqlite3* db = nullptr;
    std::string result = "cannot open";
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        sqlite3_busy_timeout(db, 10000);
        sqlite3_stmt* s = nullptr;
        result = "cannot check";
        if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &s, nullptr) == SQLITE_OK) {
            result.clear();
            while (sqlite3_step(s) == SQLITE_ROW) {
                const unsigned char* text = sqlite3_column_text(s, 0);
                if (!result.empty()) result += "; ";
                result += text ? reinterpret_cast<const char*>(text) : "";
            }
        }
        sqlite3_finalize(s);
    }
    sqlite3_close(db);
    return result;
}
