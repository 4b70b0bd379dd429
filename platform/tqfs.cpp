#include "platform/tqfs.h"

#include "platform/oplog_record.h"

#include <cstring>

// The detail block: the detail type, then the detail's bytes, each 4-byte
// integer stored most significant byte first (the way the log viewer reads
// it back). detail_size counts the bytes used.
int tqfs_log_pack_detail(oplog_record* rec, int detail_type, const void* detail, int detail_len) {
    if (!rec || detail_len < 0 || (detail_len && !detail)) return -1;
    int words = (detail_len + 3) / 4;
    if ((words + 1) * 4 > static_cast<int>(sizeof rec->detail)) return -1;
    std::memset(rec->detail, 0, sizeof rec->detail);
    auto put_be = [rec](int index, uint32_t value) {
        unsigned char* p = rec->detail + index * 4;
        p[0] = static_cast<unsigned char>(value >> 24);
        p[1] = static_cast<unsigned char>(value >> 16);
        p[2] = static_cast<unsigned char>(value >> 8);
        p[3] = static_cast<unsigned char>(value);
    };
    put_be(0, static_cast<uint32_t>(detail_type));
    const unsigned char* src = static_cast<const unsigned char*>(detail);
    for (int i = 0; i < words; ++i) {
        uint32_t value = 0;
        int n = detail_len - i * 4 < 4 ? detail_len - i * 4 : 4;
        std::memcpy(&value, src + i * 4, n);
        put_be(i + 1, value);
    }
    rec->detail_size = (words + 1) * 4;
    return 0;
}

// Disk events (main type 3: disk full, disk error, disk added/removed) carry
// a disk number where other entries carry a channel.
int log_channo_is_disk(int main_type, int64_t sub_type) {
    if (main_type == 3) return 1;
    return main_type == 4 && (sub_type == 204 || sub_type == 207) ? 1 : 0;
}
