// Replies: the header of each reply form, the failure texts, redirects,
// cookies and download headers.
#include "front/reply.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

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

bool cgi_send_file(const char* file, const char* name) {
    if (!file || !name) return false;
    const int fd = open(file, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return false;
    }
    cgi_download_header(name);
    char buf[4096];
    for (;;) {
        const ssize_t got = read(fd, buf, sizeof buf);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        std::fwrite(buf, 1, static_cast<size_t>(got), stdout);
    }
    std::fflush(stdout);
    close(fd);
    return true;
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

