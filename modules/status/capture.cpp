// Packet capture: tcpdump writes a ring of two files "<name>0", "<name>1"
// (25 MB each) into a directory the page names; the watchdog ends it after
// five minutes. The download renames the capture's own files to ".pcap",
// archives exactly those and deletes them with the archive.
//
// Every request value that reaches a program or a path is checked first and
// passed as one argument of an argument vector; files are renamed and deleted
// with the system calls themselves.
#include "modules/status/capture.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <net/if.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "front/json_req.h"
#include "front/web_utils.h"
#include "platform/nvr_env.h"
#include "platform/tqnet.h"

namespace {

constexpr std::string_view name_prefix = "rvpcap-";
constexpr char archive_name[] = "packet.tar";

bool all_of(std::string_view s, const char* extra) {
    for (char c : s) {
        bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                  std::strchr(extra, c) != nullptr;
        if (!ok || c == '\0') return false;
    }
    return true;
}

// An interface of this machine, named in at most 7 safe characters.
bool nic_ok(std::string_view nic) {
    return !nic.empty() && nic.size() <= 7 && all_of(nic, "._-") &&
           if_nametoindex(std::string(nic).c_str()) != 0;
}

// A peer for the filter: an IPv4 or IPv6 address, or a host name.
bool peer_ok(std::string_view ip) {
    if (ip.empty()) return true;
    if (ip.size() > 63) return false;
    std::string text(ip);
    unsigned char addr[16];
    if (inet_pton(AF_INET, text.c_str(), addr) == 1 || inet_pton(AF_INET6, text.c_str(), addr) == 1) return true;
    return all_of(ip, ".-") && ip.front() != '-';
}

bool port_ok(std::string_view port) {
    if (port.empty()) return true;
    if (port.size() > 5) return false;
    long value = 0;
    for (char c : port) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    return value >= 1 && value <= 65535;
}

// A member as text: strings as they are, numbers in their JSON form ("port"
// comes either way); absent is empty. False for any other type.
bool member_text(json_object* req, const char* key, std::string* out) {
    json_object* m = req_member(req, key);
    out->clear();
    if (!m) return true;
    if (json_object_is_type(m, json_type_string)) {
        out->assign(json_object_get_string(m), static_cast<size_t>(json_object_get_string_len(m)));
        return true;
    }
    if (json_object_is_type(m, json_type_int)) {
        *out = json_object_get_string(m);
        return true;
    }
    return false;
}

// The recorder's own addresses on the interface as the filter's first
// clause; an address the interface lacks is left out.
std::string own_hosts(const std::string& nic) {
    std::string clause;
    if_state st;
    if (net_probe_interface(nic.c_str(), &st) == 0 && st.addr[0]) clause = std::string("host ") + st.addr;
    char v6[64] = {}, prefix[16] = {};
    if (net_get_ipv6_ifaddr(0, nic.c_str(), v6, prefix) == 0 || net_get_ipv6_ifaddr(1, nic.c_str(), v6, prefix) == 0)
        clause += (clause.empty() ? "host " : " || host ") + std::string(v6);
    return clause;
}

std::string append_clause(std::string filter, const char* word, const std::string& value) {
    if (value.empty()) return filter;
    return filter + (filter.empty() ? "" : " && ") + word + value;
}

// Deletes the earlier captures in dir (files named "rvpcap-...").
void remove_old_captures(const std::string& dir) {
    DIR* d = opendir(dir.c_str());
    if (!d) return;
    while (dirent* e = readdir(d)) {
        std::string_view name = e->d_name;
        if (name.substr(0, name_prefix.size()) != name_prefix) continue;
        std::string path = dir + "/" + e->d_name;
        struct stat st;
        if (lstat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode)) unlink(path.c_str());
    }
    closedir(d);
}

// The run root's path of a checked directory, without a trailing '/', so
// that file names join it with one.
std::string dir_path(std::string_view dir) {
    std::string path = nvr_path(std::string(dir).c_str());
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

bool regular_file(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

bool capture_dir_ok(std::string_view dir) {
    if (dir.empty() || dir.size() > 127 || dir.front() != '/' || !all_of(dir, "._/-")) return false;
    for (size_t at = 0; at < dir.size();) {
        size_t end = dir.find('/', at);
        if (end == std::string_view::npos) end = dir.size();
        if (dir.substr(at, end - at) == "..") return false;
        at = end + 1;
    }
    struct stat st;
    return stat(nvr_path(std::string(dir).c_str()).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool capture_name_ok(std::string_view name) {
    if (name.size() != name_prefix.size() + 14 || name.substr(0, name_prefix.size()) != name_prefix) return false;
    for (char c : name.substr(name_prefix.size()))
        if (c < '0' || c > '9') return false;
    return true;
}

void capture_start(request& rq) {
    std::string nic, ip, port, dir;
    if (!member_text(rq.json, "nic", &nic) || !member_text(rq.json, "ip", &ip) ||
        !member_text(rq.json, "port", &port) || !member_text(rq.json, "mntPath", &dir))
        return rq.refuse("a member is not text");
    if (!nic_ok(nic)) return rq.refuse("nic is not an interface");
    if (!peer_ok(ip)) return rq.refuse("ip is not an address or host name");
    if (!port_ok(port)) return rq.refuse("port is not 1..65535");
    if (!capture_dir_ok(dir)) return rq.refuse("mntPath is not a usable directory");

    char name[32];
    std::time_t now = std::time(nullptr);
    std::tm local;
    localtime_r(&now, &local);
    std::strftime(name, sizeof name, "rvpcap-%Y%m%d%H%M%S", &local);

    std::string filter = append_clause(own_hosts(nic), "host ", ip);
    filter = append_clause(filter, "port ", port);

    cgi_exec({"killall", "tcpdump"});
    cgi_exec({"killall", "webmonitor"});
    const std::string where = dir_path(dir);
    remove_old_captures(where);
    const std::string target = where + "/" + name;
    // tcpdump takes the filter as one argument; without one it captures
    // everything on the interface.
    std::vector<const char*> argv = {"tcpdump", "-i", nic.c_str(), "-s0"};
    if (!filter.empty()) argv.push_back(filter.c_str());
    // Any user-switching build of tcpdump keeps root, as the recorder's does,
    // so that it can write into the storage's directories.
    for (const char* a : {"-Z", "root", "-W", "2", "-C", "25", "-w", target.c_str()}) argv.push_back(a);
    argv.push_back(nullptr);
    cgi_spawnv(argv.data());
    cgi_spawn({"webmonitor", "tcpdump", "300"});

    json_ref obj(json_object_new_object());
    jadd_str(obj.get(), "dirPath", dir.c_str());
    jadd_str(obj.get(), "fileName", name);
    cgi_reply_json(obj.get());
}

void capture_stop(request&) {
    cgi_spawn({"killall", "tcpdump"});
    cgi_reply(REPLY_TEXT, "OK");
}

void capture_download(request& rq) {
    std::string_view text = rq.text ? rq.text : "";
    size_t slash = text.rfind('/');
    if (slash == std::string_view::npos) return rq.fail();
    std::string_view dir = text.substr(0, slash), name = text.substr(slash + 1);
    if (!capture_dir_ok(dir) || !capture_name_ok(name)) return rq.fail();

    const std::string where = dir_path(dir);
    std::vector<std::string> files;
    for (char k : {'0', '1'}) {
        std::string file = std::string(name) + k;
        std::string path = where + "/" + file;
        if (regular_file(path)) rename(path.c_str(), (path + ".pcap").c_str());
        if (regular_file(path + ".pcap")) files.push_back(file + ".pcap");
    }
    const std::string archive_device = std::string(dir) + (dir.back() == '/' ? "" : "/") + archive_name;
    const std::string archive = where + "/" + archive_name;
    unlink(archive.c_str());  // never write through a link left in its place
    if (!files.empty()) {
        std::vector<const char*> argv = {"tar", "-C", where.c_str(), "-cf", archive.c_str()};
        for (const std::string& f : files) argv.push_back(f.c_str());
        argv.push_back(nullptr);
        cgi_execv(argv.data());
    }
    cgi_debug_log(__FILE__, __LINE__, __func__, "real_name:%s", archive_device.c_str());
    cgi_send_file(archive.c_str(), archive_name);
    unlink(archive.c_str());
    for (const std::string& f : files) unlink((where + "/" + f).c_str());
}
