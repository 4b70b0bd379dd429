// The registry of default replies: the tables of the defaults_<module>.cpp
// files, and the generic answer most rows use.
#include "tools/coresim/coresim.h"

#include <algorithm>
#include <cstring>

namespace coresim {

namespace {

struct table_ref {
    const char* module;
    const default_reply* rows;
    size_t count;
};

// Filled by static constructors of other files: a function-local object is
// built on first use, whatever the order of those constructors.
std::vector<table_ref>& tables() {
    static std::vector<table_ref> list;
    return list;
}

}  // namespace

default_table::default_table(const char* module, const default_reply* rows, size_t count) {
    tables().push_back({module, rows, count});
}

const default_reply* find_default(int32_t request_id) {
    for (const table_ref& t : tables())
        for (size_t i = 0; i < t.count; ++i)
            if (t.rows[i].request_id == request_id) return &t.rows[i];
    return nullptr;
}

std::vector<int32_t> default_conflicts() {
    std::vector<int32_t> ids, twice;
    for (const table_ref& t : tables())
        for (size_t i = 0; i < t.count; ++i) ids.push_back(t.rows[i].request_id);
    std::sort(ids.begin(), ids.end());
    for (size_t i = 1; i < ids.size(); ++i)
        if (ids[i] == ids[i - 1] && (twice.empty() || twice.back() != ids[i])) twice.push_back(ids[i]);
    return twice;
}

std::vector<default_reply> default_rows() {
    std::vector<default_reply> rows;
    for (const table_ref& t : tables()) rows.insert(rows.end(), t.rows, t.rows + t.count);
    return rows;
}

void generic_reply(const default_reply& row, const request_view& req, std::vector<out_msg>& out) {
    if (row.reply_size < 0) return;
    out_msg msg;
    msg.id = row.reply_id ? row.reply_id : req.id + 5000;
    const size_t size = static_cast<size_t>(row.reply_size);
    msg.payload.assign(size * row.count, 0);
    const bool echo = row.channel_at >= 0 && req.size >= 4 &&
                      static_cast<size_t>(row.channel_at) + 4 <= size;
    for (uint32_t i = 0; echo && i < row.count; ++i)
        std::memcpy(msg.payload.data() + i * size + row.channel_at, req.data, 4);
    out.push_back(std::move(msg));
}

void add_message(std::vector<out_msg>& out, int32_t id, const void* data, size_t size) {
    out_msg msg;
    msg.id = id;
    const auto* bytes = static_cast<const uint8_t*>(data);
    msg.payload.assign(bytes, bytes + size);
    out.push_back(std::move(msg));
}

void default_answer(const request_view& req, std::vector<out_msg>& out) {
    const default_reply* row = find_default(req.id);
    if (!row) return;
    if (row->build)
        row->build(req, out);
    else
        generic_reply(*row, req, out);
}

}  // namespace coresim
