// The interface's language files: one page's section of a language file, and
// the list of languages the interface offers.
//
// A language file holds the texts of every page, each page (or part of a
// page) between two marker lines:
//
//     {//login.json
//     "title": "Log in",
//     "user": "User name"
//     }//login.json
//     {//setting=network.json
//     ...
//     }//setting=network.json
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "front/web_utils.h"
#include "modules/system/service.h"
#include "platform/nvr_env.h"

namespace {

const char json_dir[] = "/opt/app/www/webfile/json/";
constexpr size_t lang_max = 63;
constexpr size_t page_max = 127;
constexpr size_t section_limit = 307200;
constexpr size_t line_max = 1023;

// The value after the first "key=" of the query text, up to the next '&' or
// the end of the text, cut to max characters; false when there is no "key=".
bool query_value(const char* text, const char* key, size_t max, std::string& out) {
    const char* at = std::strstr(text, key);
    if (!at) return false;
    at += std::strlen(key);
    out.assign(at, std::min(std::strcspn(at, "&"), max));
    return true;
}

// A language names a file of the folder: letters, digits, '_' and '-' only.
bool language_ok(const std::string& lang) {
    if (lang.empty() || lang.size() > lang_max) return false;
    for (unsigned char c : lang)
        if (!std::isalnum(c) && c != '_' && c != '-') return false;
    return true;
}

struct file_close {
    void operator()(FILE* fp) const { std::fclose(fp); }
};

// The lines between the start marker and the end marker (or the end of the
// file), as read in pieces of at most 1023 characters; false without a start
// marker.
bool read_section(FILE* fp, const std::string& start, const std::string& end, std::string& body) {
    char line[line_max + 1];
    bool inside = false;
    while (std::fgets(line, sizeof line, fp)) {
        if (!inside) {
            inside = std::strstr(line, start.c_str()) != nullptr;
            continue;
        }
        if (std::strstr(line, end.c_str())) break;
        body += line;
    }
    return inside;
}

}  // namespace

void language_section(request& rq) {
    std::string lang, page, sub;
    const bool has_lang = query_value(rq.text, "lang=", lang_max + 1, lang);
    if (!query_value(rq.text, "page=", page_max, page) || page.empty()) {
        cgi_reply(REPLY_TEXT, "ERROR PAGE.");
        return;
    }
    const bool has_sub = query_value(rq.text, "sub=", page_max, sub) && !sub.empty();
    std::unique_ptr<FILE, file_close> fp;
    if (has_lang && language_ok(lang))
        fp.reset(std::fopen(nvr_path((json_dir + lang + ".json").c_str()).c_str(), "r"));
    if (!fp) {
        cgi_reply(REPLY_TEXT, "ERROR LANG.");
        return;
    }
    const std::string name = has_sub ? page + "=" + sub + ".json" : page + ".json";
    std::string body;
    if (!read_section(fp.get(), "{//" + name, "}//" + name, body)) {
        cgi_reply(REPLY_JSON, "");
        return;
    }
    const std::string open = "{\n", close = "\n}";
    if (body.size() > section_limit - open.size() - close.size())
        body.resize(section_limit - open.size() - close.size());
    cgi_reply(REPLY_JSON, (open + body + close).c_str());
}

void language_list_store(request& rq) {
    const std::string kept = nvr_path((std::string(json_dir) + "languages_bak.json").c_str());
    const std::string list = nvr_path((std::string(json_dir) + "languages.json").c_str());
    {
        cgi_lock_guard lock;
        const int fd = open(kept.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0) return;  // nothing to answer: the folder cannot take the file
        const std::string data = std::string(rq.text) + "\n";
        size_t done = 0;
        while (done < data.size()) {
            const ssize_t w = write(fd, data.data() + done, data.size() - done);
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) break;
            done += static_cast<size_t>(w);
        }
        // The list in use is replaced only by a whole new file, in one
        // rename: a full flash never leaves a cut list behind.
        const bool whole = close(fd) == 0 && done == data.size();
        if (!whole || std::rename(kept.c_str(), list.c_str()) != 0) {
            unlink(kept.c_str());
            rq.fail();
            return;
        }
    }
    cgi_reply(REPLY_TEXT, "OK");
}
