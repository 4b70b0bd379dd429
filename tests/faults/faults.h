// What the fault tests share: scenarios run in a child process (a private
// mount namespace needs a process of its own, and a killed writer must not be
// the test), the database's own integrity check, and counts scaled down on
// the emulated and sanitizer builds, where every process costs several times
// more.
#pragma once

#include <functional>
#include <string>
#include <vector>

#ifdef NVR_SLOW_TARGET
inline constexpr bool faults_small = true;
#else
inline constexpr bool faults_small = false;
#endif

// The count for this build: native on a native build, small where a process
// costs more.
inline int scaled_count(int native, int small) { return faults_small ? small : native; }

// What a scenario in a child process reports, one line each.
class child_report {
public:
    explicit child_report(int fd) : fd_(fd) {}
    void fail(const std::string& what) { put("FAIL", what); }
    void count(const std::string& what) { put("COUNT", what); }
    // The machine does not allow the scenario: the test is skipped.
    void skip(const std::string& why) { put("SKIP", why); }
    // Fails with what unless ok; returns ok.
    bool check(bool ok, const std::string& what) {
        if (!ok) fail(what);
        return ok;
    }

private:
    void put(const char* kind, const std::string& text);
    int fd_;
};

struct child_findings {
    int status = -1;  // exit status, -1 when it did not exit by itself
    std::vector<std::string> fails, counts;
    std::string skip;
};

// Runs scenario in a forked child and collects its report.
child_findings run_in_child(const std::function<void(child_report&)>& scenario);
// In the test: prints the counts and fails with each failure (a skip is the
// caller's: GTEST_SKIP must be called from the test itself).
void report_findings(const child_findings& found);

// In a child: a private mount namespace (entered without a user namespace
// when this process may, else with one that maps it to root) with a tmpfs of
// size_kib mounted on dir. False with the reason when the machine does not
// allow it.
bool mount_private_tmpfs(const std::string& dir, int size_kib, std::string* why);

// "ok", or what SQLite's integrity check of the file found.
std::string integrity_of(const std::string& file);
