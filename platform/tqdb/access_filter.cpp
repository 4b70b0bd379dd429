// The access filter list, stored as one blob of its entries.
#include <cstring>

#include "platform/tqdb/rec_access_filter.h"

namespace {
const char filter_store[] = "access_filter";
}  // namespace

int read_access_filter(const char* path, access_filter_entry* entries, int capacity, int* count) {
    if (count) *count = 0;
    if (!entries || !count || capacity < 0) return -1;
    access_filter_entry stored[access_filter_capacity];
    size_t len = 0;
    int rc = tqdb_blob_read(path, filter_store, 0, stored, sizeof stored, &len);
    if (rc != 0) return rc;
    size_t n = len / sizeof(access_filter_entry);
    if (n > sizeof stored / sizeof stored[0]) n = sizeof stored / sizeof stored[0];
    if (n > static_cast<size_t>(capacity)) n = static_cast<size_t>(capacity);
    std::memcpy(entries, stored, n * sizeof(access_filter_entry));
    *count = static_cast<int>(n);
    return 0;
}

int write_access_filter(const char* path, const access_filter_entry* entries, int count) {
    if (count < 0 || count > access_filter_capacity || (!entries && count > 0)) return -1;
    return tqdb_blob_write(path, filter_store, 0, entries,
                           static_cast<size_t>(count) * sizeof(access_filter_entry));
}
