#include "front/dispatchreq.h"
#include "front/registry_walk.h"

#include "front/json_req.h"
#include "front/reply.h"
#include "front/web_utils.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {
// Constant-initialised: the modules' constructors register into these before
// any dynamic initialiser of this file could run.
constinit request_entry slots[MAX_WEBREQ_COUNT];
constinit unsigned char in_use[MAX_WEBREQ_COUNT];
constinit int used_count;
// Per slot, which successful webreq_register call filled it (from 1; 0 for
// a free slot), and the number of such calls so far.
constinit unsigned short slot_table[MAX_WEBREQ_COUNT];
constinit int tables_registered;

// A code as one number: its characters up to the first NUL, the rest zero
// (the same text gives the same key whatever follows its NUL).
std::uint64_t code_key(const char (&code)[8]) {
    char padded[8] = {};
    std::memcpy(padded, code, strnlen(code, sizeof padded));
    std::uint64_t key;
    std::memcpy(&key, padded, sizeof key);
    return key;
}

int reply_type(req_out out) { return out == OUT_JSON || out == OUT_JSON_ERR ? REPLY_JSON : REPLY_TEXT; }

}  // namespace

void request::fail() const { cgi_reply_error(reply_type(row ? row->out : OUT_TEXT)); }

void webreq_log_refused(const char* file, int line, const char* func, const char* code, const char* reason,
                        const char* text) {
    std::string entry = "refused " + log_excerpt(code ? code : "") + ": " + (reason ? reason : "");
    if (text) entry += ": " + log_excerpt(text);
    cgi_debug_log(file, line, func, "%s", entry.c_str());
}

void request::refuse(const char* reason) const {
    // The start of the text shows what a page sent that the code does not
    // take.
    webreq_log_refused("dispatchreq.c", __LINE__, "webreq_dispatch", code, reason, text ? text : "");
    if (!row) return;
    if (row->out == OUT_TEXT_ERR || row->out == OUT_JSON_ERR) cgi_reply_error(reply_type(row->out));
}

// Copies the whole table into free slots, or nothing when it would not fit.
// The limit is 511 entries: a table that would bring the count to 512 is
// refused.
int webreq_register(const request_entry* table, int count) {
    if (!table || count <= 0) return -1;
    // Compared without forming used_count + count, which a huge count would
    // overflow.
    if (count >= MAX_WEBREQ_COUNT - used_count) {
        cgi_debug_log("dispatchreq.c", 62, "",
                      "[dex debug] WEBREQ exceeded maximum value(MAX_WEBREQ_COUNT)");
        return -1;
    }
    int next = 0;
    ++tables_registered;
    for (int slot = 0; slot < MAX_WEBREQ_COUNT && next < count; ++slot) {
        if (in_use[slot]) continue;
        slots[slot] = table[next++];
        slots[slot].code[sizeof slots[slot].code - 1] = '\0';
        in_use[slot] = 1;
        slot_table[slot] = static_cast<unsigned short>(tables_registered);
        ++used_count;
    }
    return 0;
}

// Frees every slot whose code is one of the table's. The table's codes are
// sorted once, so that emptying all modules at exit costs a lookup per slot
// rather than a comparison with every row of every table.
int webreq_unregister(const request_entry* table, int count) {
    if (!table || count < 1) return -1;
    std::vector<std::uint64_t> keys(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) keys[static_cast<std::size_t>(i)] = code_key(table[i].code);
    std::sort(keys.begin(), keys.end());
    for (int slot = 0; slot < MAX_WEBREQ_COUNT; ++slot) {
        if (!in_use[slot] || !std::binary_search(keys.begin(), keys.end(), code_key(slots[slot].code))) continue;
        slots[slot] = request_entry{};
        in_use[slot] = 0;
        slot_table[slot] = 0;
        --used_count;
    }
    return 0;
}

const request_entry* webreq_find(const char* code) {
    if (!code) return nullptr;
    for (int slot = 0; slot < MAX_WEBREQ_COUNT; ++slot)
        if (in_use[slot] && std::strcmp(slots[slot].code, code) == 0) return &slots[slot];
    return nullptr;
}

int webreq_dispatch(const char* code, char* text) {
    const request_entry* row = webreq_find(code);
    if (!row) return 0;
    if (!row->handler) return 1;
    request rq{row->code, text, nullptr, row};
    json_ref obj;
    if (row->in == IN_JSON) {
        obj = json_parse_object(text);
        if (!obj) {
            rq.refuse("not a JSON object");
            return 1;
        }
        rq.json = obj.get();
    }
    row->handler(rq);
    return 1;
}

int webreq_count() { return used_count; }

const request_entry* webreq_slot(int index) {
    if (index < 0 || index >= MAX_WEBREQ_COUNT || !in_use[index]) return nullptr;
    return &slots[index];
}

int webreq_slot_table(int index) {
    if (index < 0 || index >= MAX_WEBREQ_COUNT || !in_use[index]) return 0;
    return slot_table[index];
}
