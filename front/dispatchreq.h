// The request registry: request code -> handler.
//
// Each handler module owns one static table of request_entry rows, in code
// order, and adds it with WEBREQ_MODULE(order, table) at the end of its source
// file. The constructor runs before main, in the order given (1 = first,
// filling slots from 0), and the destructor removes the table at exit.
#pragma once

#include <cstdint>

// A handler gets the request text (writable, NUL-terminated, alive until the
// process ends) and writes the whole HTTP reply itself.
typedef void (*request_handler)(char* text);

struct request_entry {
    char code[8];  // "/2001", "/json", "/vb.htm": at most 7 characters
    request_handler handler;
};

#define MAX_WEBREQ_COUNT 512

int webreq_register(const request_entry* table, int count);
int webreq_unregister(const request_entry* table, int count);
// Calls the handler of the first in-use slot whose code equals code.
// Returns 1 when a handler ran, 0 when none matched.
int webreq_dispatch(const char* code, char* text);

// Slots in use, and a walk over them (for the checks that visit every code).
int webreq_count();
const request_entry* webreq_slot(int index);  // null for a free slot

#define WEBREQ_CONCAT2(a, b) a##b
#define WEBREQ_CONCAT(a, b) WEBREQ_CONCAT2(a, b)
// Registers table before main. order is the module's place (1..11); two
// modules never share one.
#define WEBREQ_MODULE(order, table)                                                        \
    __attribute__((constructor(200 + (order)))) static void WEBREQ_CONCAT(webreq_add_, order)() { \
        webreq_register(table, static_cast<int>(sizeof(table) / sizeof(table[0])));        \
    }                                                                                      \
    __attribute__((destructor(200 + (order)))) static void WEBREQ_CONCAT(webreq_del_, order)() { \
        webreq_unregister(table, static_cast<int>(sizeof(table) / sizeof(table[0])));      \
    }
