// The storage requests' fixture: the exchange fixture with configured disk
// records, and the operation-log entries the requests send.
#pragma once

#include "platform/msg_storage.h"
#include "platform/tqdb/rec_storage.h"
#include "platform/tqfs.h"
#include "tests/harness/exchange_case.h"

#include <cstdio>

class StorageFixture : public xcase::exchange_case {
public:
    // The stored record of a port, which must exist.
    static disk_record disk(int port) {
        disk_record rec;
        EXPECT_EQ(load_disk(TQDB_FILE, &rec, port), 0) << "port " << port;
        return rec;
    }
    void configure(int port, int hdd_type, const char* vendor, const char* address, const char* directory,
                   int enable = 1) {
        disk_record rec{};
        rec.port = port;
        rec.enable = enable;
        rec.hdd_type = hdd_type;
        rec.property = 1;
        std::snprintf(rec.vendor, sizeof rec.vendor, "%s", vendor);
        std::snprintf(rec.address, sizeof rec.address, "%s", address);
        std::snprintf(rec.directory, sizeof rec.directory, "%s", directory);
        ASSERT_EQ(write_disk(TQDB_FILE, &rec), 0);
    }
};

// What a network disk's log entry must carry: sub type, port, and the
// detail block of the given type with "NAS", the address and the directory.
inline void expect_nas_entry(const coresim::request& msg, int64_t sub_type, int detail_type, int port,
                             const char* address, const char* directory, int line) {
    EXPECT_EQ(msg.id, 3485) << "row at line " << line;
    oplog_record got = oplog_of(msg);
    EXPECT_EQ(got.main_type, 4) << "row at line " << line;
    EXPECT_EQ(got.sub_type, sub_type) << "row at line " << line;
    EXPECT_EQ(got.parameter_type, 0) << "row at line " << line;
    EXPECT_EQ(got.chan_no, port) << "row at line " << line;
    struct {
        char kind[16];
        char address[64];
        char directory[128];
    } detail;
    std::memset(&detail, 0, sizeof detail);
    std::snprintf(detail.kind, sizeof detail.kind, "NAS");
    std::snprintf(detail.address, sizeof detail.address, "%s", address);
    std::snprintf(detail.directory, sizeof detail.directory, "%s", directory);
    oplog_record want;
    std::memset(&want, 0, sizeof want);
    tqfs_log_pack_detail(&want, detail_type, &detail, sizeof detail);
    EXPECT_EQ(got.detail_size, 4 + 208) << "row at line " << line;
    EXPECT_EQ(std::memcmp(got.detail, want.detail, sizeof got.detail), 0) << "row at line " << line;
}
