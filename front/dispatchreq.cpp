#include "front/dispatchreq.h"

#include "front/web_utils.h"

#include <cstring>

namespace {
request_entry slots[MAX_WEBREQ_COUNT];
unsigned char in_use[MAX_WEBREQ_COUNT];
int used_count;
}  // namespace

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
    for (int slot = 0; slot < MAX_WEBREQ_COUNT && next < count; ++slot) {
        if (in_use[slot]) continue;
        slots[slot] = table[next++];
        slots[slot].code[sizeof slots[slot].code - 1] = '\0';
        in_use[slot] = 1;
        ++used_count;
    }
    return 0;
}

int webreq_unregister(const request_entry* table, int count) {
    if (!table || count < 1) return -1;
    for (int slot = 0; slot < MAX_WEBREQ_COUNT; ++slot) {
        if (!in_use[slot]) continue;
        for (int i = 0; i < count; ++i) {
            if (std::strncmp(slots[slot].code, table[i].code, sizeof slots[slot].code) == 0) {
                std::memset(&slots[slot], 0, sizeof slots[slot]);
                in_use[slot] = 0;
                --used_count;
                break;
            }
        }
    }
    return 0;
}

int webreq_dispatch(const char* code, char* text) {
    if (!code) return 0;
    for (int slot = 0; slot < MAX_WEBREQ_COUNT; ++slot) {
        if (in_use[slot] && std::strcmp(slots[slot].code, code) == 0) {
            if (slots[slot].handler) slots[slot].handler(text);
            return 1;
        }
    }
    return 0;
}

int webreq_count() { return used_count; }

const request_entry* webreq_slot(int index) {
    if (index < 0 || index >= MAX_WEBREQ_COUNT || !in_use[index]) return nullptr;
    return &slots[index];
}
