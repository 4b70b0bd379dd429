#include "front/multipart.h"

#include "front/input_buffer.h"

#include "platform/nvr_env.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <new>
#include <string_view>

namespace {

constexpr size_t header_text_max = 1023;
// Longer header lines are read to their end but kept only this far: more
// than any name and value that are kept.
constexpr size_t header_line_max = 4096;

// Push-back reader over a descriptor that never takes more than the content
// length from it. Bytes pushed back are read again first and count as not yet
// taken.
class input_reader {
public:
    input_reader(int fd, long limit) : in_(fd, limit > 0 ? limit : 0) {}

    // Next byte, or -1 at the end of the input.
    int get() {
        if (!pushed_.empty()) {
            unsigned char c = static_cast<unsigned char>(pushed_.back());
            pushed_.pop_back();
            return c;
        }
        if (!in_.fill()) return -1;
        return static_cast<unsigned char>(in_.next());
    }

    void unget(char c) { pushed_.push_back(c); }
    // Pushes bytes back so that they are read again in their order.
    void unget(std::string_view bytes) {
        for (size_t i = bytes.size(); i > 0; --i) pushed_.push_back(bytes[i - 1]);
    }

    // Appends up to want bytes (fewer only at the end of the input) to out.
    size_t take(std::string& out, size_t want) {
        size_t got = 0;
        while (got < want) {
            int c = get();
            if (c < 0) break;
            out.push_back(static_cast<char>(c));
            ++got;
        }
        return got;
    }

    // Appends what is buffered, refilling once when nothing is. False at the
    // end of the input.
    bool take_chunk(std::string& out) {
        if (!pushed_.empty()) {
            out.append(pushed_.rbegin(), pushed_.rend());
            pushed_.clear();
            return true;
        }
        if (!in_.fill()) return false;
        out.append(in_.data(), in_.size());
        in_.consume_all();
        return true;
    }

private:
    input_buffer in_;
    std::string pushed_;  // stack: the next byte is at the back
};

bool equal_nocase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](char x, char y) { return std::tolower((unsigned char)x) == std::tolower((unsigned char)y); });
}

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

// One header line, ending at CR, LF or CR LF. False at the end of the input.
bool read_line(input_reader& in, std::string& line) {
    line.clear();
    for (;;) {
        int c = in.get();
        if (c < 0) return !line.empty();
        if (c == '\n') return true;
        if (c == '\r') {
            int next = in.get();
            if (next >= 0 && next != '\n') in.unget(static_cast<char>(next));
            return true;
        }
        if (line.size() < header_line_max) line.push_back(static_cast<char>(c));
    }
}

// Splits a header line into name and value. Blanks are dropped from the name;
// once the name has a character, each ':' separates (it goes, with the blanks
// after it) and the rest forms the value.
void split_header(const std::string& line, std::string& name, std::string& value) {
    name.clear();
    value.clear();
    bool in_value = false;
    bool skip_blanks = false;
    for (char c : line) {
        if (c == ':' && (in_value || !name.empty())) {
            in_value = true;
            skip_blanks = true;
            continue;
        }
        if (!in_value) {
            if (!is_blank(c) && name.size() < header_text_max) name.push_back(c);
            continue;
        }
        if (skip_blanks && is_blank(c)) continue;
        skip_blanks = false;
        if (value.size() < header_text_max) value.push_back(c);
    }
}

std::string trim(std::string_view text) {
    size_t b = 0, e = text.size();
    while (b < e && is_blank(text[b])) ++b;
    while (e > b && is_blank(text[e - 1])) --e;
    return std::string(text.substr(b, e - b));
}

std::string unquote(std::string text) {
    text = trim(text);
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') text = text.substr(1, text.size() - 2);
    if (text.size() > header_text_max) text.resize(header_text_max);
    return text;
}

// "form-data; name=\"file\"; filename=\"a;b.cfg\"": the main value and the
// name and filename parameters. A ';' inside quotes does not split.
void parse_disposition(const std::string& value, std::string& main_value, std::string& name,
                       std::string& file_name) {
    std::vector<std::string> pieces;
    std::string piece;
    bool quoted = false;
    for (char c : value) {
        if (c == '"') quoted = !quoted;
        if (c == ';' && !quoted) {
            pieces.push_back(piece);
            piece.clear();
        } else {
            piece.push_back(c);
        }
    }
    pieces.push_back(piece);
    main_value = unquote(pieces[0]);
    for (size_t i = 1; i < pieces.size(); ++i) {
        std::string param = trim(pieces[i]);
        size_t eq = param.find('=');
        if (eq == std::string::npos) continue;
        std::string key = trim(std::string_view(param).substr(0, eq));
        std::string val = unquote(param.substr(eq + 1));
        if (equal_nocase(key, "name")) name = val;
        else if (equal_nocase(key, "filename")) file_name = val;
    }
}

// After a boundary: CR LF (or a lone LF) is consumed; "--" is left for the
// loop to see the end.
void after_boundary(input_reader& in) {
    int a = in.get();
    if (a < 0) return;
    if (a == '\n') return;
    int b = in.get();
    if (a == '\r' && b == '\n') return;
    if (b >= 0) in.unget(static_cast<char>(b));
    in.unget(static_cast<char>(a));
}

// Copies the body of a part up to the delimiter into sink. False when the
// input ends first or the sink fails.
bool copy_body(input_reader& in, const std::string& delimiter,
               const std::function<bool(const char*, size_t)>& sink) {
    std::boyer_moore_horspool_searcher searcher(delimiter.begin(), delimiter.end());
    std::string window;
    for (;;) {
        if (!in.take_chunk(window)) return false;
        auto hit = std::search(window.begin(), window.end(), searcher);
        if (hit != window.end()) {
            size_t at = static_cast<size_t>(hit - window.begin());
            if (at && !sink(window.data(), at)) return false;
            in.unget(std::string_view(window).substr(at + delimiter.size()));
            return true;
        }
        // Keep the tail that may be the start of a delimiter.
        size_t keep = std::min(window.size(), delimiter.size() - 1);
        size_t emit = window.size() - keep;
        if (emit && !sink(window.data(), emit)) return false;
        window.erase(0, emit);
    }
}

struct temp_file {
    int fd = -1;
    std::string full_path;
    // A file not handed to an entry is deleted.
    ~temp_file() { discard(); }
    void discard() {
        if (fd >= 0) close(fd);
        fd = -1;
        if (!full_path.empty()) unlink(full_path.c_str());
        full_path.clear();
    }
};

std::string device_path_of(const std::string& full_path) {
    size_t root_len = std::strlen(nvr_root());
    return full_path.substr(root_len);
}

}  // namespace

int multipart_parse(int fd, long content_length, const std::string& boundary, std::vector<form_entry>& out) {
    if (content_length <= 0) return MP_OK;
    input_reader in(fd, content_length);
    const std::string opening = "--" + boundary;
    const std::string delimiter = "\r\n--" + boundary;

    // Skip the preamble up to and including the first boundary.
    bool found = copy_body(in, opening, [](const char*, size_t) { return true; });
    if (!found) return MP_OK;
    after_boundary(in);

    try {
        for (int parts = 0;; ++parts) {
            std::string two;
            in.take(two, 2);
            if (two.size() < 2 || two == "--") return MP_OK;
            if (parts == MP_PARTS_MAX) return MP_NO_MEMORY;
            in.unget(two);

            form_entry entry;
            std::string disposition, line, name, value;
            while (read_line(in, line) && !line.empty()) {
                split_header(line, name, value);
                if (equal_nocase(name, "Content-Disposition")) disposition = value;
                else if (equal_nocase(name, "Content-Type")) entry.content_type = unquote(value.substr(0, value.find(';')));
            }
            std::string main_value;
            parse_disposition(disposition, main_value, entry.name, entry.file_name);
            bool keep = equal_nocase(main_value, "form-data");

            temp_file file;
            if (keep && !entry.file_name.empty()) {
                file.full_path = nvr_path("/tmp/cgicXXXXXX");
                file.fd = mkostemp(file.full_path.data(), O_CLOEXEC);
                if (file.fd < 0) {
                    file.full_path.clear();
                    return MP_IO;
                }
                fchmod(file.fd, 0600);
            }
            bool copied;
            if (file.fd >= 0) {
                copied = copy_body(in, delimiter, [&](const char* data, size_t len) {
                    for (size_t done = 0; done < len;) {
                        ssize_t w = write(file.fd, data + done, len - done);
                        if (w < 0 && errno == EINTR) continue;
                        if (w <= 0) return false;
                        done += static_cast<size_t>(w);
                    }
                    entry.value_len += len;
                    return true;
                });
            } else if (keep) {
                entry.value.reserve(256);
                copied = copy_body(in, delimiter, [&](const char* data, size_t len) {
                    entry.value.append(data, std::min(len, MP_FIELD_MAX - entry.value.size()));
                    return true;
                });
                entry.value.shrink_to_fit();
                entry.value_len = entry.value.size();
            } else {
                copied = copy_body(in, delimiter, [](const char*, size_t) { return true; });
            }
            if (!copied) {
                file.discard();
                return MP_IO;
            }
            after_boundary(in);
            if (!keep) continue;
            if (file.fd >= 0) {
                close(file.fd);
                file.fd = -1;
                entry.tmp_path = device_path_of(file.full_path);
                file.full_path.clear();
            }
            out.push_back(std::move(entry));
        }
    } catch (const std::bad_alloc&) {
        return MP_NO_MEMORY;
    }
}

void multipart_cleanup(std::vector<form_entry>& entries) {
    for (auto& entry : entries) {
        if (!entry.tmp_path.empty()) unlink(nvr_path(entry.tmp_path.c_str()).c_str());
    }
    entries.clear();
}
