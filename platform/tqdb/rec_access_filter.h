// The access filter: the client addresses that the recorder lets in or
// keeps out (the parameters "access_filter_enable" and "access_filter_type"
// say whether and how the list applies).
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/tqdb/tqdb.h"

struct access_filter_entry {
    int32_t address_type;
    char address[32];  // at most 31 characters
};
static_assert(sizeof(access_filter_entry) == 36);
static_assert(offsetof(access_filter_entry, address_type) == 0);
static_assert(offsetof(access_filter_entry, address) == 4);

inline constexpr int access_filter_capacity = 100;

// The whole list: up to capacity entries into entries; *count gets the
// number read. Non-zero (count 0) when no list is stored or the file
// cannot be read.
int read_access_filter(const char* path, access_filter_entry* entries, int capacity, int* count);
// Replaces the whole list by count entries (0..100) in one write.
int write_access_filter(const char* path, const access_filter_entry* entries, int count);
