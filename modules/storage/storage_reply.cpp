// The storage module's reply callback: every answer of the core daemon that
// the module knows, the payload it needs, and its writer.
#include "front/core_link.h"
#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/storage/storage.h"

#include <cstring>

namespace {

int32_t first_int(const void* payload) {
    int32_t value;
    std::memcpy(&value, payload, sizeof value);
    return value;
}

// One result: "OK" for 0, "Error" for anything else.
void write_ok_error(const void* payload, uint32_t) {
    cgi_reply(REPLY_TEXT, first_int(payload) == 0 ? "OK" : "Error");
}

// The same for 8425, which also answers "Error" when the result is missing.
void write_ok_error_any(const void* payload, uint32_t size) {
    cgi_reply(REPLY_TEXT, payload && size >= 4 && first_int(payload) == 0 ? "OK" : "Error");
}

// 8475: the result is not looked at.
void write_status_ok(const void*, uint32_t) {
    json_ref obj(json_object_new_object());
    jadd_str(obj.get(), "status", "OK");
    cgi_reply_json(obj.get());
}

// min_size: a shorter answer is treated as no answer (the wait runs out).
// empty_ok: an answer without payload is still rendered (an empty list).
struct reply_row {
    int id;
    uint32_t min_size;
    bool empty_ok;
    void (*writer)(const void* payload, uint32_t size);
};

const reply_row replies[] = {
    {8403, 0, false, write_self_test},
    {8420, 4, false, write_ok_error},
    {8421, 4, false, write_ok_error},
    {8423, 4, false, write_ok_error},
    {8424, 4, false, write_ok_error},
    {8425, 0, true, write_ok_error_any},
    {8431, 8, false, write_esata_mode},
    {8433, 0, true, write_disk_list},
    {8434, 4, false, write_format_result},
    {8439, 4, false, write_ok_error},
    {8440, 4, false, write_nas_dirs},
    {8475, 0, true, write_status_ok},
    {8496, 4, false, write_ok_error},
    {8507, 4, false, write_ok_error},
    {8508, 4, false, write_ok_error},
};

void storage_callback(void*, const void* header, const void* payload) {
    int id = core_header_id(header);
    uint32_t size = core_header_size(header);
    for (const reply_row& row : replies) {
        if (row.id != id) continue;
        if (!payload && !row.empty_ok) return;
        if (payload && size < row.min_size) return;
        if (!core_reply_claim()) return;
        row.writer(payload, payload ? size : 0);
        core_reply_done(1);
        return;
    }
}

}  // namespace

bool storage_query(int msg_id, const void* payload, int payload_len, int fail_type) {
    return core_query(storage_callback, msg_id, payload_len, payload, fail_type) != 0;
}
