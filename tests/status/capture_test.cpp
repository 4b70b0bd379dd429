// Packet capture end to end: the programs a capture runs and with which
// arguments, hostile parameters that must run and delete nothing, the
// download that archives and deletes only the capture's own files, the
// watchdog stand-in, and a real capture of loopback traffic read back from
// the downloaded archive.
#include <dirent.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <regex>
#include <thread>

#include "tests/harness/exchange_case.h"

namespace {

using xcase::text_failure;

const std::string ts_name = "rvpcap-20260105020000";

class Capture : public xcase::exchange_case {
protected:
    void SetUp() override {
        exchange_case::SetUp();
        fake_bin = root.file("/fake-bin");
        mkdir(fake_bin.c_str(), 0755);
        ran_file = root.file("/ran");
        saved_path = std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin";
        // Before the build's own programs, which webreq otherwise finds first.
        setenv("PATH", (fake_bin + ":" + std::string(NVR_BIN_DIR) + ":" + saved_path).c_str(), 1);
        for (const char* dir : {"/mnt", "/mnt/sd", "/mnt/other"}) mkdir(root.file(dir).c_str(), 0755);
    }
    void TearDown() override {
        setenv("PATH", saved_path.c_str(), 1);
        exchange_case::TearDown();
    }
    // A program that only writes its name and arguments (separated by ' | ')
    // as one line of ran_file.
    void record_runs(const char* name) {
        std::ofstream(fake_bin + "/" + name) << "#!/bin/sh\n"
                                               "line=" << name << "\n"
                                               "for a in \"$@\"; do line=\"$line | $a\"; done\n"
                                               "echo \"$line\" >> '" << ran_file << "'\n";
        chmod((fake_bin + "/" + name).c_str(), 0755);
    }
    // killall that ends only the processes of this test's run root.
    void scoped_killall() {
        std::ofstream(fake_bin + "/killall")
            << "#!/bin/sh\n"
               "for p in /proc/[0-9]*; do\n"
               "  [ \"$(cat $p/comm 2>/dev/null)\" = \"$1\" ] || continue\n"
               "  tr '\\000' '\\n' < $p/environ 2>/dev/null | grep -qx \"NVR_ROOT=$NVR_ROOT\" && kill ${p#/proc/}\n"
               "done\n"
               "exit 0\n";
        chmod((fake_bin + "/killall").c_str(), 0755);
    }
    std::vector<std::string> runs(size_t at_least = 0) {
        for (int i = 0; i < 100 && root.lines("/ran").size() < at_least; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        return root.exists("/ran") ? root.lines("/ran") : std::vector<std::string>{};
    }
    // The processes named comm that run with this test's run root.
    std::vector<pid_t> own_processes(const std::string& comm) {
        std::vector<pid_t> pids;
        DIR* d = opendir("/proc");
        if (!d) return pids;
        while (dirent* e = readdir(d)) {
            pid_t pid = static_cast<pid_t>(std::atoi(e->d_name));
            if (pid <= 0) continue;
            std::string base = std::string("/proc/") + e->d_name;
            std::string name;
            std::getline(std::ifstream(base + "/comm"), name);
            if (name != comm) continue;
            std::ifstream env(base + "/environ");
            std::string entry;
            while (std::getline(env, entry, '\0'))
                if (entry == "NVR_ROOT=" + root.path()) pids.push_back(pid);
        }
        closedir(d);
        return pids;
    }
    void plant(const std::string& device_path, const std::string& data = "x") { root.write(device_path, data); }

    std::string fake_bin, ran_file, saved_path;
};

TEST_F(Capture, StartRunsTcpdumpWithTheFilterAsOneArgumentAndDeletesOnlyOldCaptures) {
    for (const char* p : {"killall", "tcpdump", "webmonitor"}) record_runs(p);
    struct row {
        int line;
        std::string body;
        std::string filter;  // the tcpdump argument after -s0
    } rows[] = {
        {__LINE__, "{\"nic\":\"lo\",\"ip\":\"192.168.1.7\",\"port\":\"554\",\"mntPath\":\"/mnt/sd\"}",
         "host 127.0.0.1 && host 192.168.1.7 && port 554"},
        {__LINE__, "{\"nic\":\"lo\",\"mntPath\":\"/mnt/sd/\"}", "host 127.0.0.1"},
        {__LINE__, "{\"nic\":\"lo\",\"ip\":\"\",\"port\":8000,\"mntPath\":\"/mnt/sd\"}", "host 127.0.0.1 && port 8000"},
        {__LINE__, "{\"nic\":\"lo\",\"ip\":\"fe80::1\",\"mntPath\":\"/mnt/sd\"}", "host 127.0.0.1 && host fe80::1"},
        {__LINE__, "{\"nic\":\"lo\",\"ip\":\"cam-3.local\",\"mntPath\":\"/mnt/sd\"}",
         "host 127.0.0.1 && host cam-3.local"},
    };
    for (const auto& r : rows) {
        fresh_case();
        unlink(ran_file.c_str());
        plant("/mnt/sd/rvpcap-20250101000000");
        plant("/mnt/sd/rvpcap-202501010000001");
        plant("/mnt/sd/keep.pcap");
        plant("/mnt/other/rvpcap-20250101000000");
        cgi_result res = post("/8005", r.body);
        std::smatch m;
        ASSERT_TRUE(std::regex_search(res.out, m, std::regex("\"fileName\": \"(rvpcap-[0-9]{14})\"")))
            << "row at line " << r.line << ": " << res.out;
        const std::string name = m[1];
        std::string dir = r.body.find("/mnt/sd/") != std::string::npos ? "/mnt/sd/" : "/mnt/sd";
        EXPECT_EQ(res.out, json_reply("{ \"dirPath\": \"" + std::regex_replace(dir, std::regex("/"), "\\/") +
                                      "\", \"fileName\": \"" + name + "\" }"))
            << "row at line " << r.line;
        auto lines = runs(4);
        ASSERT_EQ(lines.size(), 4u) << "row at line " << r.line;
        // The two background programs may start in either order.
        std::sort(lines.begin() + 2, lines.end());
        std::vector<std::string> want = {
            "killall | tcpdump",
            "killall | webmonitor",
            "tcpdump | -i | lo | -s0 | " + r.filter + " | -Z | root | -W | 2 | -C | 25 | -w | " + root.path() + dir +
                (dir.back() == '/' ? "" : "/") + name,
            "webmonitor | tcpdump | 300",
        };
        EXPECT_EQ(lines, want) << "row at line " << r.line;
        EXPECT_FALSE(root.exists("/mnt/sd/rvpcap-20250101000000")) << "row at line " << r.line;
        EXPECT_FALSE(root.exists("/mnt/sd/rvpcap-202501010000001")) << "row at line " << r.line;
        EXPECT_TRUE(root.exists("/mnt/sd/keep.pcap")) << "row at line " << r.line;
        EXPECT_TRUE(root.exists("/mnt/other/rvpcap-20250101000000")) << "row at line " << r.line;
    }
}

TEST_F(Capture, HostileParametersRunNothingAndDeleteNothing) {
    for (const char* p : {"killall", "tcpdump", "webmonitor", "touch", "rm", "tar"}) record_runs(p);
    const std::string ok_rest = "\"mntPath\":\"/mnt/sd\"";
    struct row {
        int line;
        std::string body;
    } rows[] = {
        {__LINE__, "{\"nic\":\"lo;touch /tmp/x\"," + ok_rest + "}"},
        {__LINE__, "{\"nic\":\"eth9\"," + ok_rest + "}"},  // no such interface
        {__LINE__, "{\"nic\":\"\"," + ok_rest + "}"},
        {__LINE__, "{" + ok_rest + "}"},
        {__LINE__, "{\"nic\":[\"lo\"]," + ok_rest + "}"},
        {__LINE__, "{\"nic\":\"lo\",\"ip\":\"1.2.3.4' -w /tmp/x '\"," + ok_rest + "}"},
        {__LINE__, "{\"nic\":\"lo\",\"ip\":\"$(rm -rf /)\"," + ok_rest + "}"},
        {__LINE__, "{\"nic\":\"lo\",\"ip\":\"-w/tmp/x\"," + ok_rest + "}"},
        {__LINE__, "{\"nic\":\"lo\",\"ip\":\"" + std::string(64, 'a') + "\"," + ok_rest + "}"},
        {__LINE__, "{\"nic\":\"lo\",\"port\":\"554 or host 1.1.1.1\"," + ok_rest + "}"},
        {__LINE__, "{\"nic\":\"lo\",\"port\":\"0\"," + ok_rest + "}"},
        {__LINE__, "{\"nic\":\"lo\",\"port\":\"65536\"," + ok_rest + "}"},
        {__LINE__, "{\"nic\":\"lo\",\"port\":-1," + ok_rest + "}"},
        {__LINE__, "{\"nic\":\"lo\",\"mntPath\":\"/mnt/sd;rm -rf /\"}"},
        {__LINE__, "{\"nic\":\"lo\",\"mntPath\":\"/mnt/sd/../other\"}"},
        {__LINE__, "{\"nic\":\"lo\",\"mntPath\":\"mnt/sd\"}"},
        {__LINE__, "{\"nic\":\"lo\",\"mntPath\":\"/mnt/sd/*\"}"},
        {__LINE__, "{\"nic\":\"lo\",\"mntPath\":\"/mnt/none\"}"},
        {__LINE__, "{\"nic\":\"lo\",\"mntPath\":\"/mnt/sd/keep.pcap\"}"},
        {__LINE__, "{\"nic\":\"lo\",\"mntPath\":\"/mnt/" + std::string(130, 's') + "\"}"},
        {__LINE__, "{\"nic\":\"lo\"}"},
        {__LINE__, "nic=lo&mntPath=/mnt/sd"},
    };
    for (const auto& r : rows) {
        plant("/mnt/sd/rvpcap-20250101000000");
        plant("/mnt/other/rvpcap-20250101000000");
        EXPECT_EQ(post("/8005", r.body).out, "") << "row at line " << r.line;
        EXPECT_EQ(runs(), std::vector<std::string>{}) << "row at line " << r.line;
        EXPECT_TRUE(root.exists("/mnt/sd/rvpcap-20250101000000")) << "row at line " << r.line;
        EXPECT_TRUE(root.exists("/mnt/other/rvpcap-20250101000000")) << "row at line " << r.line;
    }
}

TEST_F(Capture, DownloadArchivesAndDeletesOnlyTheCapturesOwnFiles) {
    record_runs("rm");
    struct row {
        int line;
        std::string text;
        std::vector<std::string> present;  // capture files before the request
        std::string listing;                // tar -t of the archive; "-" no archive
    } rows[] = {
        {__LINE__, "/mnt/sd/" + ts_name, {"0", "1"}, ts_name + "0.pcap\n" + ts_name + "1.pcap\n"},
        {__LINE__, "/mnt/sd/" + ts_name, {"0"}, ts_name + "0.pcap\n"},
        // Renamed by an earlier download that was cut short.
        {__LINE__, "/mnt/sd/" + ts_name, {"0.pcap"}, ts_name + "0.pcap\n"},
        {__LINE__, "/mnt/sd/" + ts_name, {}, "-"},
    };
    for (const auto& r : rows) {
        for (const std::string& k : r.present) plant("/mnt/sd/" + ts_name + k, "capture " + k);
        plant("/mnt/sd/other.pcap");
        plant("/mnt/sd/rvpcap-20250101000000.pcap");
        cgi_result res = cgi_get(root, "/8007", r.text);
        const std::string header =
            "Content-Type:application/octet-stream\r\nContent-Disposition: attachment; filename= packet.tar\r\n\r\n";
        if (r.listing == "-") {
            EXPECT_EQ(res.out, "") << "row at line " << r.line;
        } else {
            ASSERT_EQ(res.out.substr(0, header.size()), header) << "row at line " << r.line;
            const std::string tar = root.file("/got.tar");
            std::ofstream(tar, std::ios::binary) << res.out.substr(header.size());
            EXPECT_EQ(run_program({"tar", "-tf", tar}), r.listing) << "row at line " << r.line;
        }
        EXPECT_EQ(root.list("/mnt/sd"), (std::vector<std::string>{"other.pcap", "rvpcap-20250101000000.pcap"}))
            << "row at line " << r.line;
        EXPECT_FALSE(root.exists("/ran")) << "row at line " << r.line;
    }

    // Texts that are not what a capture start answered: "CGI ERROR", nothing
    // renamed or deleted.
    const std::string rows_bad[] = {
        "",
        ts_name,
        "/mnt/sd/",
        "/mnt/sd/rvpcap-2026010502000",
        "/mnt/sd/rvpcap-2026010502000x",
        "/mnt/sd/*",
        "/mnt/sd/other",
        "/mnt/sd/../sd/" + ts_name,
        "mnt/sd/" + ts_name,
        "/mnt/none/" + ts_name,
        "/mnt/sd;rm -rf x/" + ts_name,
    };
    for (const std::string& text : rows_bad) {
        plant("/mnt/sd/" + ts_name + "0");
        EXPECT_EQ(cgi_get(root, "/8007", text).out, text_failure()) << "text " << text;
        EXPECT_EQ(root.list("/mnt/sd"),
                  (std::vector<std::string>{"other.pcap", "rvpcap-20250101000000.pcap", ts_name + "0"}))
            << "text " << text;
    }
}

TEST_F(Capture, StopAndWatchdogEndTheCaptureByName) {
    record_runs("killall");
    EXPECT_EQ(cgi_get(root, "/8006").out, text_reply("OK"));
    EXPECT_EQ(runs(1), std::vector<std::string>{"killall | tcpdump"});
    unlink(ran_file.c_str());

    // 2 s at the tests' time divisor of 100. The stand-in is started by name
    // as webreq starts it (in a cross build, its launcher runs the emulator).
    std::vector<std::string> argv = {bin_path("webmonitor")};
    argv.insert(argv.end(), {"tcpdump", "2"});
    int status = -1;
    run_program(argv, &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(runs(), std::vector<std::string>{"killall | tcpdump"});
    for (std::vector<std::string> bad : {std::vector<std::string>{"tcpdump"}, {"tcpdump", "soon"}, {"-s", "1"}}) {
        argv = {bin_path("webmonitor")};
        argv.insert(argv.end(), bad.begin(), bad.end());
        run_program(argv, &status);
        EXPECT_EQ(status, 2) << bad.back();
    }
}

TEST_F(Capture, RoundTripCapturesLoopbackTrafficIntoTheArchive) {
    std::string tcpdump_bin;
    for (const char* p : {"/usr/bin/tcpdump", "/usr/sbin/tcpdump"})
        if (access(p, X_OK) == 0) tcpdump_bin = p;
    if (tcpdump_bin.empty()) GTEST_SKIP() << "no tcpdump on this machine";
    scoped_killall();
    record_runs("webmonitor");
    mkdir(root.file("/mnt/cap").c_str(), 0755);

    cgi_result res = post("/8005", "{\"nic\":\"lo\",\"mntPath\":\"/mnt/cap\"}");
    std::smatch m;
    ASSERT_TRUE(std::regex_search(res.out, m, std::regex("\"fileName\": \"(rvpcap-[0-9]{14})\""))) << res.out;
    const std::string name = m[1];
    for (int i = 0; i < 100 && !root.exists("/mnt/cap/" + name + "0"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (!root.exists("/mnt/cap/" + name + "0")) {
        for (pid_t pid : own_processes("tcpdump")) kill(pid, SIGTERM);
        GTEST_SKIP() << "tcpdump cannot capture here (no permission to open lo?)";
    }

    const std::string marker = "capture-marker-" + std::to_string(getpid());
    int fd = socket(AF_INET, SOCK_DGRAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(9);  // discard: nobody needs to listen
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    // tcpdump hands packets over in blocks, at the latest a second after
    // they came; what is still in the kernel's block when it is stopped is
    // lost. The marker goes out for longer than that.
    for (int i = 0; i < 15; ++i) {
        sendto(fd, marker.data(), marker.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    close(fd);

    EXPECT_EQ(cgi_get(root, "/8006").out, text_reply("OK"));
    for (int i = 0; i < 100 && !own_processes("tcpdump").empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_TRUE(own_processes("tcpdump").empty()) << "the capture did not stop";

    res = cgi_get(root, "/8007", "/mnt/cap/" + name);
    const std::string header =
        "Content-Type:application/octet-stream\r\nContent-Disposition: attachment; filename= packet.tar\r\n\r\n";
    ASSERT_EQ(res.out.substr(0, header.size()), header);
    const std::string out_dir = root.file("/unpacked");
    mkdir(out_dir.c_str(), 0755);
    std::ofstream(out_dir + "/packet.tar", std::ios::binary) << res.out.substr(header.size());
    int status = -1;
    run_program({"tar", "-xf", out_dir + "/packet.tar", "-C", out_dir}, &status);
    ASSERT_EQ(status, 0);
    std::string dump = run_program({tcpdump_bin, "-n", "-A", "-r", out_dir + "/" + name + "0.pcap"}, &status);
    EXPECT_NE(dump.find(marker), std::string::npos) << dump.substr(0, 2000);
    EXPECT_EQ(root.list("/mnt/cap"), std::vector<std::string>{});
}

}  // namespace
