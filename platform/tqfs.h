// File-system library calls used by the operation log and the log search.
#pragma once

#include <cstdint>

struct oplog_record;

// Packs a detail block of the given type into the operation-log record:
// detail_size and the detail bytes (each 4-byte integer of detail stored most
// significant byte first). Returns 0, or -1 when it does not fit.
int tqfs_log_pack_detail(oplog_record* rec, int detail_type, const void* detail, int detail_len);
// 1 when an entry of this main and sub type names a disk in its channel field.
int log_channo_is_disk(int main_type, int64_t sub_type);
