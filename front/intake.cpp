#include "front/intake.h"

#include "front/cgi_env.h"
#include "front/dispatchreq.h"
#include "front/input_buffer.h"
#include "front/multipart.h"
#include "front/web_utils.h"
#include "platform/nvr_env.h"

#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace {

// The environment as the entry function keeps it; unset variables are "".
struct cgi_vars {
    std::string request_method, path_info, query_string, remote_addr, http_host, content_type,
        content_length, http_cookie;
};

std::string env_or_empty(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

cgi_vars capture_env() {
    cgi_vars v;
    v.request_method = env_or_empty("REQUEST_METHOD");
    v.path_info = env_or_empty("PATH_INFO");
    v.query_string = env_or_empty("QUERY_STRING");
    v.remote_addr = env_or_empty("REMOTE_ADDR");
    v.http_host = env_or_empty("HTTP_HOST");
    v.content_type = env_or_empty("CONTENT_TYPE");
    v.content_length = env_or_empty("CONTENT_LENGTH");
    v.http_cookie = env_or_empty("HTTP_COOKIE");
    return v;
}

// Reads the body line by line into the fixed buffer: at most 128 reads, each
// taking up to the space left minus one byte, stopping at the end of input or
// when the buffer is full. A positive content length also bounds the read, so
// a server that keeps the input open cannot hold the process.
class line_source {
public:
    line_source(int fd, long limit) : in_(fd, limit > 0 ? limit : -1) {}

    // Appends one line (up to and including '\n') of at most max bytes.
    size_t read_line(char* dst, size_t max) {
        size_t n = 0;
        while (n < max && in_.fill()) {
            char c = in_.next();
            dst[n++] = c;
            if (c == '\n') break;
        }
        return n;
    }

private:
    input_buffer in_;
};

// Request texts live until the process ends: handlers and reply writers may
// keep pointers into them.
std::vector<std::unique_ptr<char, decltype(&std::free)>> kept_texts;

char* keep_buffer(size_t size) {
    char* buf = static_cast<char*>(std::calloc(size, 1));
    if (buf) kept_texts.emplace_back(buf, &std::free);
    return buf;
}

char* read_post_body(int fd, long content_length) {
    char* text = keep_buffer(POST_BUFFER_SIZE);
    if (!text) return nullptr;
    line_source source(fd, content_length);
    size_t len = 0;
    for (int reads = 0; reads < POST_MAX_READS && len < POST_BUFFER_SIZE - 1; ++reads) {
        size_t got = source.read_line(text + len, POST_BUFFER_SIZE - 1 - len);
        if (got == 0) break;
        len += got;
        // A NUL inside the body ends the text as the handler sees it.
        len = std::strlen(text);
    }
    return text;
}

// Names the system itself keeps in /tmp: an upload must never replace them.
const char* const reserved_tmp_names[] = {
    "cgilockfile", "tqcore",   "pbdownload", "tmp_diagnostic", "oem.zip",
    "chipinfo.txt", "port",    "log",        "packet.tar",     "updateFM.bin",
};

// The debug-log line of a request the intake does not hand on; nothing of
// the body is shown.
void refuse(const std::string& code, const std::string& reason) {
    webreq_log_refused("intake.c", __LINE__, "intake_run", code.c_str(), reason.c_str(), nullptr);
}

// How the code's row takes an upload (IN_TEXT: moved to "/tmp/<name>").
req_in upload_kind(const std::string& code) {
    const request_entry* row = webreq_find(code.c_str());
    return row ? row->in : IN_TEXT;
}

bool is_direct_upload(req_in kind) { return kind == IN_UPLOAD_DIRECT || kind == IN_UPLOAD_UNREAD; }

std::string base_name_of(const std::string& file_name) {
    size_t cut = file_name.find_last_of("/\\");
    return cut == std::string::npos ? file_name : file_name.substr(cut + 1);
}

// Text after "param:" up to the next '&' (at most 255 characters).
std::string param_suffix(const std::string& query) {
    size_t at = query.find("param:");
    if (at == std::string::npos) return "";
    std::string value = query.substr(at + 6);
    value = value.substr(0, value.find('&'));
    if (value.size() > 255) value.resize(255);
    return " & " + value;
}

char* keep_text(const std::string& text, size_t max_chars) {
    size_t len = text.size() < max_chars ? text.size() : max_chars;
    char* out = keep_buffer(max_chars + 1);
    if (out) std::memcpy(out, text.data(), len);
    return out;
}

// Builds the upload request text and dispatches it. The moved file is
// removed after the handler if it is still there.
int dispatch_upload(const cgi_vars& env, const std::vector<form_entry>& entries, intake_dispatch_fn dispatch) {
    const std::string& code = env.path_info;
    const req_in kind = upload_kind(code);
    if (is_direct_upload(kind)) {
        char* text = keep_text("temp & " + env.query_string, UPLOAD_TEXT_MAX);
        if (text) dispatch(code.c_str(), text);
        return 0;
    }
    const form_entry* file = nullptr;
    for (const auto& entry : entries)
        if (entry.name == "file") {
            file = &entry;
            break;
        }
    if (!file || file->file_name.empty() || file->tmp_path.empty()) {
        refuse(code, "upload without a \"file\" part");
        return 0;
    }
    if (file->file_name.size() > 127) {
        refuse(code, "upload file name longer than 127 characters");
        return 0;
    }

    if (kind == IN_UPLOAD_TEMP) {
        cgi_env_set_upload(file->tmp_path.c_str());
        char* text = keep_text(file->tmp_path + " & " + env.query_string, UPLOAD_TEXT_MAX);
        if (text) dispatch(code.c_str(), text);
        return 0;
    }

    std::string base = base_name_of(file->file_name);
    if (!intake_upload_name_ok(base)) {
        refuse(code, "upload file name not taken: " + log_excerpt(base));
        return 0;
    }
    std::string target = file->tmp_path.substr(0, file->tmp_path.rfind('/') + 1) + base;
    std::string full_target = nvr_path(target.c_str());
    struct stat st;
    // Moved with rename(2) within /tmp: the client's name never reaches a
    // shell.
    if ((lstat(full_target.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) ||
        std::rename(nvr_path(file->tmp_path.c_str()).c_str(), full_target.c_str()) != 0) {
        refuse(code, "upload could not be moved to " + log_excerpt(target));
        return 0;
    }
    cgi_env_set_upload(target.c_str());
    char* text = keep_text(target + param_suffix(env.query_string), UPLOAD_TEXT_MAX);
    if (text) dispatch(code.c_str(), text);
    unlink(full_target.c_str());
    return 0;
}

}  // namespace

std::string intake_get_text(const char* query) {
    std::string text(query ? query : "");
    if (text.size() > GET_TEXT_MAX) text.resize(GET_TEXT_MAX);
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 3, "%22") == 0) {
            out.push_back('"');
            i += 2;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

void intake_content_type(const char* raw, std::string& type, std::string& boundary) {
    std::string buf(raw ? raw : "");
    if (buf.size() > 1023) buf.resize(1023);
    type = buf.substr(0, buf.find(';'));
    boundary.clear();
    size_t pos = buf.find(';');
    while (pos != std::string::npos) {
        size_t start = pos + 1;
        size_t next = buf.find(';', start);
        std::string param = buf.substr(start, next == std::string::npos ? std::string::npos : next - start);
        size_t b = 0;
        while (b < param.size() && std::isspace(static_cast<unsigned char>(param[b]))) ++b;
        if (strncasecmp(param.c_str() + b, "boundary=", 9) == 0) {
            std::string value = param.substr(b + 9);
            size_t end = 0;
            while (end < value.size() && !std::isspace(static_cast<unsigned char>(value[end]))) ++end;
            boundary = value.substr(0, end);
            break;
        }
        pos = next;
    }
}

bool intake_upload_name_ok(const std::string& base) {
    if (base.empty() || base[0] == '.' || base.rfind("cgic", 0) == 0) return false;
    for (unsigned char c : base)
        if (c < 0x20 || c == 0x7f) return false;
    for (const char* reserved : reserved_tmp_names)
        if (base == reserved) return false;
    return true;
}

int intake_run(int in_fd, intake_dispatch_fn dispatch) {
    cgi_vars env = capture_env();
    cgi_env_set(env.remote_addr.c_str(), env.http_host.c_str(), env.http_cookie.c_str());
    cgi_env_set_upload("");

    std::string code = env.path_info.substr(0, 127);
    std::string type, boundary;
    intake_content_type(env.content_type.c_str(), type, boundary);
    long content_length = std::atol(env.content_length.c_str());
    if (content_length < 0) content_length = 0;

    const char* method = env.request_method.c_str();
    if (strcasecmp(method, "post") == 0) {
        if (strcasecmp(type.c_str(), "application/x-www-form-urlencoded") == 0 ||
            strcasecmp(type.c_str(), "application/json") == 0) {
            char* text = read_post_body(in_fd, content_length);
            if (text && !code.empty()) dispatch(code.c_str(), text);
            return 0;
        }
        if (strcasecmp(type.c_str(), "multipart/form-data") == 0) {
            std::vector<form_entry> entries;
            if (upload_kind(code) != IN_UPLOAD_UNREAD) {
                int rc = multipart_parse(in_fd, content_length, boundary, entries);
                if (rc != MP_OK) {
                    multipart_cleanup(entries);
                    refuse(code, rc == MP_NO_MEMORY ? "multipart body of more than 64 parts"
                                                    : "multipart body cut short, or its file not stored");
                    return -1;
                }
            }
            if (!code.empty()) dispatch_upload(env, entries, dispatch);
            multipart_cleanup(entries);
            return 0;
        }
        refuse(code, "content type not taken: " + log_excerpt(type));
        return 0;
    }
    if (strcasecmp(method, "get") == 0) {
        std::string text = intake_get_text(env.query_string.c_str());
        char* kept = keep_text(text, GET_TEXT_MAX);
        if (kept && !code.empty()) dispatch(code.c_str(), kept);
        return 0;
    }
    refuse(code, "method not taken: " + log_excerpt(env.request_method, 16));
    return 0;
}
