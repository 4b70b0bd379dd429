// The translation catalogues (see trans.h). The catalogue is held as a
// sorted table of (number, name): a few hundred short lines.
#include "platform/trans.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#ifndef TQTRANS_DIR
#define TQTRANS_DIR "conf/logtypes"
#endif

namespace {

using entry = std::pair<int64_t, std::string>;
std::vector<entry> table;

std::string catalogue_dir() {
    const char* env = std::getenv("NVR_TRANS_DIR");
    return env && *env ? env : TQTRANS_DIR;
}

// Adds the lines of the file; a number already present keeps its name.
bool load_file(const std::string& path, std::vector<entry>& out) {
    FILE* f = std::fopen(path.c_str(), "r");
    if (!f) return false;
    char line[512];
    while (std::fgets(line, sizeof line, f)) {
        if (line[0] == '#') continue;
        char* eq = std::strchr(line, '=');
        if (!eq) continue;
        char* end = nullptr;
        long long number = std::strtoll(line, &end, 10);
        if (end != eq || end == line) continue;
        std::string name(eq + 1);
        while (!name.empty() && (name.back() == '\n' || name.back() == '\r')) name.pop_back();
        out.emplace_back(number, std::move(name));
    }
    std::fclose(f);
    return true;
}

}  // namespace

bool trans_plain_name(const char* lang) {
    if (!lang || !*lang) return false;
    size_t n = 0;
    for (const char* p = lang; *p; ++p, ++n) {
        char c = *p;
        bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
                  c == '-';
        if (!ok || n >= 31) return false;
    }
    return true;
}

int trans_init(const char* lang) {
    table.clear();
    const std::string dir = catalogue_dir();
    int rc = 1;
    if (trans_plain_name(lang) && std::strcmp(lang, "en") != 0 && load_file(dir + "/" + lang + ".txt", table))
        rc = 0;
    bool english = load_file(dir + "/en.txt", table);
    if (!english && rc != 0) rc = -1;
    if (rc == 1 && lang && std::strcmp(lang, "en") == 0) rc = 0;
    // Stable: for a number listed twice the language's own line (read first) wins.
    std::stable_sort(table.begin(), table.end(),
                     [](const entry& a, const entry& b) { return a.first < b.first; });
    return rc;
}

int trans_get_value(int64_t number, char* buf, int size) {
    if (!buf || size <= 0) return -1;
    buf[0] = '\0';
    auto it = std::lower_bound(table.begin(), table.end(), number,
                               [](const entry& e, int64_t n) { return e.first < n; });
    if (it == table.end() || it->first != number) return -1;
    std::snprintf(buf, static_cast<size_t>(size), "%s", it->second.c_str());
    return 0;
}

void trans_deinit() {
    table.clear();
    table.shrink_to_fit();
}
