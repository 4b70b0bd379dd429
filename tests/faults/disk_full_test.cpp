// A full file system under the database and the debug log (a small tmpfs in
// a private mount namespace), then the same file system read-only: every
// write either is stored or says it was not, a request whose change was not
// stored answers its failure reply and tells the core nothing, and the log
// never glues an entry onto a line a full disk cut short.
#include "front/web_utils.h"
#include "platform/tqdb/rec_camera.h"
#include "platform/tqdb/rec_network.h"
#include "platform/tqdb/tqdb.h"
#include "tests/faults/faults.h"
#include "tests/harness/cgi_harness.h"
#include "tools/coresim/coresim.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

// Fills the file system of dir until it refuses: the returned path is the
// filler to remove. The last bytes go one at a time, so that no block is
// left with room.
std::string fill_up(const std::string& dir) {
    std::string path = dir + "/filler";
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return path;
    std::vector<char> block(65536, 'f');
    for (size_t size : {block.size(), size_t{4096}, size_t{1}})
        while (write(fd, block.data(), size) > 0) {
        }
    close(fd);
    return path;
}

int32_t stored_mtu() {
    network_record rec;
    std::memset(&rec, 0, sizeof rec);
    read_network(TQDB_FILE, &rec);
    return rec.eth[0].mtu;
}

std::string stored_multicast_ip() {
    multicast_record rec;
    std::memset(&rec, 0, sizeof rec);
    read_multicast(TQDB_FILE, &rec);
    return std::string(rec.ip, strnlen(rec.ip, sizeof rec.ip));
}

// The "anr" column of the last channel: a whole-table write touches it last.
int stored_anr() {
    camera_record cam;
    std::memset(&cam, 0, sizeof cam);
    read_camera(TQDB_FILE, &cam, 63);
    return cam.anr;
}

// The database calls on a disk that refuses writes (phase names it): each
// one is stored and says so, or changes nothing and says so.
void direct_writes(child_report& report, const std::string& phase, int rounds, int base) {
    struct call {
        const char* name;
        int (*write)(int value);
        int (*stored)();
    } const calls[] = {
        {"set_param_int", [](int v) { return set_param_int(TQDB_FILE, "faults_value", v); },
         [] { return get_param_int(TQDB_FILE, "faults_value", -1); }},
        {"edit_network",
         [](int v) { return edit_network(TQDB_FILE, [v](network_record& r) { r.eth[0].mtu = v; }); },
         [] { return static_cast<int>(stored_mtu()); }},
        // A whole table in one transaction: 64 records at once.
        {"copy_table_column_int",
         [](int v) { return copy_table_column_int(TQDB_FILE, "camera", "anr", v, ~0ULL, "id"); }, stored_anr},
    };
    int refused = 0, stored = 0;
    for (int i = 0; i < rounds; ++i) {
        for (const call& c : calls) {
            int before = c.stored();
            int value = base + i;
            int rc = c.write(value);
            int after = c.stored();
            if (rc == 0) {
                ++stored;
                report.check(after == value, std::string(c.name) + " answered 0 but stored " +
                                                 std::to_string(after) + " instead of " +
                                                 std::to_string(value));
            } else {
                ++refused;
                report.check(after == before, std::string(c.name) +
                                                  " failed but changed the stored value from " +
                                                  std::to_string(before) + " to " + std::to_string(after));
            }
        }
    }
    report.count(phase + ": " + std::to_string(stored + refused) + " database writes, " +
                 std::to_string(refused) + " refused, " + std::to_string(stored) + " stored");
    report.check(refused > 0, phase + ": the disk never refused a database write");
}

// Requests that store, on a disk that refuses writes: the failure reply and
// nothing for the core, or the success reply with the change stored.
void store_requests(child_report& report, const std::string& phase, const test_root& root,
                    coresim_server& core, int rounds, int base) {
    struct request_row {
        std::string code, body, ok_reply, fail_reply;
        std::function<bool()> stored;
    };
    int refused = 0, answered_ok = 0;
    for (int i = 0; i < rounds; ++i) {
        const int n = base + i;
        const std::string ip = "239.0." + std::to_string(n / 256 % 256) + "." + std::to_string(n % 256);
        const request_row rows[] = {
            {"/7041", "{\"mode\": 0, \"mtu\": " + std::to_string(n) + "}", text_reply("OK"),
             text_reply("CGI ERROR"), [n] { return stored_mtu() == n; }},
            {"/7034", "{\"ip\": \"" + ip + "\"}", json_reply("{ \"res\": 0 }"),
             json_reply("{status:\"CGI ERROR\"}"), [ip] { return stored_multicast_ip() == ip; }},
        };
        for (const request_row& r : rows) {
            core.wait_idle(5000);
            core.clear_journal();
            cgi_result res = cgi_post_json(root, r.code, r.body);
            core.wait_idle(5000);
            size_t told = core.journal().size();
            if (res.out == r.fail_reply) {
                ++refused;
                report.check(told == 0, phase + ": " + r.code + " failed to store yet told the core " +
                                            std::to_string(told) + " messages");
                report.check(!r.stored(),
                             phase + ": " + r.code + " answered its failure but the change is stored");
            } else {
                ++answered_ok;
                report.check(res.out == r.ok_reply, phase + ": " + r.code + " answered " + res.out);
                report.check(r.stored(), phase + ": " + r.code + " answered success for a change not stored");
            }
        }
    }
    report.count(phase + ": " + std::to_string(refused + answered_ok) + " requests, " +
                 std::to_string(refused) + " answered their failure, " + std::to_string(answered_ok) +
                 " success");
    report.check(refused > 0, phase + ": no request met the refusing disk");
}

TEST(DiskFull, WritesAreStoredOrRefusedOnAFullOrReadOnlyDiskAndTheLogStaysLineByLine) {
    test_root root;
    const int rounds = scaled_count(20, 6);
    child_findings found = run_in_child([&](child_report& report) {
        std::string why;
        if (!mount_private_tmpfs(root.file("/mnt/nand"), 16384, &why)) return report.skip(why);
        mkdir(root.file("/mnt/nand/app").c_str(), 0755);
        if (!report.check(check_param_key(TQDB_FILE, "max_cameras") == 0,
                          "no database on the small file system"))
            return;
        for (int i = 0; i < 3; ++i)
            if (!report.check(cgi_debug_log("faults.c", i, "setup", "before the disk filled up") == 0,
                              "no log before the disk filled up"))
                return;
        coresim_server core;
        if (!report.check(core.start(root.path()), "no fake core")) return;
        std::string filler = fill_up(root.file("/mnt/nand"));

        direct_writes(report, "full disk", rounds, 1000);
        store_requests(report, "full disk", root, core, rounds, 1400);

        // The debug log: every call says whether its line was written, and
        // what is in the file is whole lines, the last perhaps cut short.
        int logged = 0, failed = 0;
        for (int i = 0; i < 400; ++i)
            (cgi_debug_log("faults.c", i, "full", "entry %d on a full disk", i) == 0 ? logged : failed)++;
        report.count("full disk: 400 log calls, " + std::to_string(logged) + " written, " +
                     std::to_string(failed) + " refused");
        report.check(failed > 0, "the log never met the full disk");
        std::vector<std::string> lines = root.lines("/mnt/nand/cgi_log.txt");
        report.check(static_cast<int>(lines.size()) <= 3 + logged + 1, "more lines than entries written");
        const std::string log_text = root.read("/mnt/nand/cgi_log.txt");
        report.count(std::string("full disk: the log ") +
                     (log_text.ends_with("\n") ? "ends with a whole line" : "ends inside a line cut short"));

        // Room again: the next process's entry starts a line of its own.
        unlink(filler.c_str());
        cgi_request refused_request;
        refused_request.method = "DELETE";
        refused_request.path_info = "/2001";
        run_webreq(root, refused_request);
        lines = root.lines("/mnt/nand/cgi_log.txt");
        for (size_t i = 0; i + 1 < lines.size(); ++i) {
            size_t at = lines[i].find("[cgix debug]");
            report.check(at == 0 || (i + 2 == lines.size() && at == std::string::npos),
                         "log line " + std::to_string(i) + " holds an entry glued onto another: " + lines[i]);
        }
        report.check(!lines.empty() && lines.back().rfind("[cgix debug] ", 0) == 0 &&
                         lines.back().ends_with("refused /2001: method not taken: DELETE"),
                     "the entry after the full disk is not a line of its own: " +
                         (lines.empty() ? std::string("(none)") : lines.back()));

        // A file system mounted read-only: the same (nothing is open on it
        // for writing while it is remounted).
        tqdb_close_all();
        const std::string nand = root.file("/mnt/nand");
        if (report.check(mount(nullptr, nand.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0,
                         std::string("no read-only remount: ") + std::strerror(errno))) {
            direct_writes(report, "read-only", rounds / 2, 2000);
            store_requests(report, "read-only", root, core, rounds / 2, 2400);
            tqdb_close_all();
            report.check(mount(nullptr, nand.c_str(), nullptr, MS_REMOUNT, nullptr) == 0,
                         std::string("no writable remount: ") + std::strerror(errno));
        }

        // Nothing was damaged, and writing works again.
        tqdb_close_all();
        std::string integrity = integrity_of(root.file(TQDB_FILE));
        report.check(integrity == "ok", "integrity check after the full disk: " + integrity);
        report.check(set_param_int(TQDB_FILE, "faults_value", 7) == 0 &&
                         get_param_int(TQDB_FILE, "faults_value", -1) == 7,
                     "no write succeeds once there is room again");
        core.stop();
    });
    if (!found.skip.empty()) GTEST_SKIP() << found.skip;
    report_findings(found);
}

}  // namespace
