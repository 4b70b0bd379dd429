#include "front/web_utils.h"

#include "front/cgi_env.h"
#include "front/core_link.h"
#include "platform/nvr_env.h"
#include "platform/tqdb/rec_system.h"
#include "platform/tqdb/tqdb.h"
#include "platform/tqstd.h"

#include <fcntl.h>
#include <net/if.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

// ---- replies ----------------------------------------------------------------

namespace {

const char text_header[] = "Content-type: text/plain\r\n\r\n";
const char json_header[] = "Content-type: application/json\r\n\r\n";

void put_header(int type) {
    if (type == REPLY_TEXT) std::fputs(text_header, stdout);
    else if (type == REPLY_JSON) std::fputs(json_header, stdout);
}

}  // namespace

int cgi_reply(int type, const char* text) {
    if (!text) return -1;
    put_header(type);
    std::fputs(text, stdout);
    std::fflush(stdout);
    return 0;
}

int cgi_reply_error(int type) {
    if (type == REPLY_TEXT) return cgi_reply(REPLY_TEXT, "CGI ERROR");
    if (type == REPLY_JSON) return cgi_reply(REPLY_JSON, "{status:\"CGI ERROR\"}");
    return 0;
}

void cgi_reply_status(int record_count, const void* payload) {
    if (record_count < 1 || !payload) return;
    if (!core_reply_claim()) return;
    int32_t result;
    std::memcpy(&result, payload, sizeof result);
    char text[64];
    std::snprintf(text, sizeof text, "{ \"status\": %d }", static_cast<int>(result));
    cgi_reply(REPLY_JSON, text);
    core_reply_done(1);
}

// Like every reply writer it claims the request's one reply first: a result
// that arrives after the handler gave up (or a second one) writes nothing.
int cgi_reply_result(int result, const char* data) {
    if (!core_reply_claim()) return 0;
    char text[256];
    if (data)
        std::snprintf(text, sizeof text, "%s status:[%d], data:[%s]", result < 0 ? "CGI ERROR" : "CGI OK",
                      result, data);
    else
        std::snprintf(text, sizeof text, "%s status:[%d]", result < 0 ? "CGI ERROR" : "CGI OK", result);
    cgi_reply(REPLY_TEXT, text);
    core_reply_done(1);
    return 0;
}

int cgi_redirect(const char* location) {
    if (!location) return -1;
    std::printf("Location: %s\r\n\r\n", location);
    std::fflush(stdout);
    return 0;
}

int cgi_set_cookie(const char* name, const char* value, int lifetime_s, const char* path,
                   const char* domain) {
    static const char* const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    // The domain comes from the client's Host header: keep only the characters
    // a host name or address can hold, so it cannot end the header line.
    char clean_domain[256];
    size_t n = 0;
    for (const char* p = domain ? domain : ""; *p && n + 1 < sizeof clean_domain; ++p) {
        char c = *p;
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
            c == '-' || c == ':' || c == '[' || c == ']')
            clean_domain[n++] = c;
    }
    clean_domain[n] = '\0';
    time_t expires = std::time(nullptr) + lifetime_s;
    struct tm tm_utc;
    gmtime_r(&expires, &tm_utc);
    std::printf("Set-Cookie: %s=%s; domain=%s; expires=%s, %02d-%s-%04d %02d:%02d:%02d GMT; path=%s\r\n",
                name ? name : "", value ? value : "", clean_domain, days[tm_utc.tm_wday], tm_utc.tm_mday,
                months[tm_utc.tm_mon], tm_utc.tm_year + 1900, tm_utc.tm_hour, tm_utc.tm_min,
                tm_utc.tm_sec, path ? path : "");
    std::fflush(stdout);
    return 0;
}

int cgi_download_header(const char* path) {
    if (!path) return -1;
    const char* base = std::strrchr(path, '/');
    base = base ? base + 1 : path;
    // A file name never ends the header early.
    std::string name;
    for (const char* p = base; *p; ++p)
        if (*p != '\r' && *p != '\n') name += *p;
    std::printf("Content-Type:application/octet-stream\r\nContent-Disposition: attachment; filename= %s\r\n\r\n",
                name.c_str());
    std::fflush(stdout);
    return 0;
}

// ---- debug log ------------------------------------------------------------------

int cgi_debug_log(const char* file, int line, const char* func, const char* fmt, ...) {
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

    std::string path = nvr_path("/mnt/nand/cgi_log.txt");
    // The log lives on flash and carries request text: past the limit the
    // file is moved aside (one old file kept) and a new one started.
    struct stat st;
    if (stat(path.c_str(), &st) == 0 && st.st_size >= CGI_LOG_LIMIT)
        std::rename(path.c_str(), (path + ".1").c_str());
    FILE* fp = std::fopen(path.c_str(), "a");
    if (!fp) return -1;
    std::fputs(line_text.c_str(), fp);
    std::fflush(fp);
    std::fclose(fp);
    return 0;
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

int cgi_spawn(std::initializer_list<const char*> argv) {
    std::vector<const char*> args(argv);
    args.push_back(nullptr);
    if (!args[0]) return -1;
    std::fflush(stdout);
    // Double fork: the command runs on after webreq exits, and no zombie is
    // left behind.
    pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        pid_t grandchild = start_child(args.data(), true);
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

// ---- lookups ---------------------------------------------------------------------------

int max_channels() {
    int n = get_param_int(TQDB_FILE, "max_cameras", 32);
    return n < 1 ? 1 : n > 64 ? 64 : n;
}

int alarm_audio_file_mask() {
    alarm_audio_file_record files[alarm_audio_file_slots];
    std::memset(files, 0, sizeof files);
    read_alarm_audio_file(TQDB_FILE, files);
    int mask = 0;
    for (int i = 0; i < alarm_audio_file_slots; ++i)
        if (files[i].enable == 1) mask |= 1 << i;
    return mask;
}

int get_interface_mac(const char* ifname, unsigned char mac[6]) {
    if (!ifname || !mac) return -1;
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        std::perror("create socket fail\n");
        return -1;
    }
    struct ifreq req;
    std::memset(&req, 0, sizeof req);
    std::strncpy(req.ifr_name, ifname, 15);
    int rc = ioctl(fd, SIOCGIFHWADDR, &req);
    close(fd);
    if (rc < 0) return -1;
    std::memcpy(mac, req.ifr_hwaddr.sa_data, 6);
    return 0;
}

void get_device_macs(char eth0[18], char eth1[18]) {
    struct {
        const char* ifname;
        char* out;
        const char* fallback;
    } const rows[] = {{"eth0", eth0, "02:5E:A1:0A:19:C8"}, {"eth1", eth1, "02:5E:A1:0A:19:C9"}};
    for (const auto& row : rows) {
        if (!row.out) continue;
        unsigned char mac[6];
        if (get_interface_mac(row.ifname, mac) == 0)
            std::snprintf(row.out, 18, "%02X:%02X:%02X:%02X:%02X:%02X", mac[0], mac[1], mac[2], mac[3],
                          mac[4], mac[5]);
        else
            std::snprintf(row.out, 18, "%s", row.fallback);
    }
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
