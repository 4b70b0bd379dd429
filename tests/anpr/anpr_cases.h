// The plate recognition tests' pieces: the plate lists read back whole, the
// JSON of a reply parsed for its members.
#pragma once

#include <json-c/json.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "platform/tqdb/rec_anpr.h"
#include "tests/harness/event_forms.h"
#include "tests/harness/store_case.h"

namespace anprtest {

using namespace xcase;
using namespace evforms;

// Every stored plate as "type:plate".
inline std::set<std::string> stored_plates() {
    std::vector<anpr_list_entry> rows(20000);
    int n = 0;
    EXPECT_EQ(tqdb_read_all(TQDB_ANPR_FILE, tqdb_tbl_anpr_list, rows.data(), 20000, &n), 0);
    std::set<std::string> out;
    for (int i = 0; i < n; ++i) out.insert(std::string(rows[i].type) + ":" + rows[i].plate);
    return out;
}

// The body of a reply, after its header.
inline std::string body_of(const std::string& out) {
    size_t at = out.find("\r\n\r\n");
    return at == std::string::npos ? out : out.substr(at + 4);
}

// The members of a JSON reply, in their order.
inline std::vector<std::string> member_names(const std::string& out) {
    std::vector<std::string> keys;
    json_object* obj = json_tokener_parse(body_of(out).c_str());
    if (!json_object_is_type(obj, json_type_object)) return keys;
    json_object_object_foreach(obj, key, value) {
        (void)value;
        keys.push_back(key);
    }
    json_object_put(obj);
    return keys;
}

// A member of a JSON reply by path ("preset/1/2/endy"), as JSON text.
inline std::string member_at(const std::string& out, const std::string& path) {
    json_object* root = json_tokener_parse(body_of(out).c_str());
    json_object* at = root;
    size_t start = 0;
    while (at && start <= path.size()) {
        size_t end = path.find('/', start);
        std::string part = path.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (json_object_is_type(at, json_type_array))
            at = json_object_array_get_idx(at, std::stoul(part));
        else if (!json_object_object_get_ex(at, part.c_str(), &at))
            at = nullptr;
        if (end == std::string::npos) break;
        start = end + 1;
    }
    std::string text = at ? json_object_to_json_string_ext(at, JSON_C_TO_STRING_PLAIN) : "<missing>";
    json_object_put(root);
    return text;
}

}  // namespace anprtest
