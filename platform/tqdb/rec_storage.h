// Disks configured in the database: one row per disk port.
#pragma once

#include "platform/tqdb/tqdb.h"

#include <cstddef>
#include <cstdint>

// Disk ports 0..35 (the disk list shows 1..33). A network disk (NAS) is
// configured here by the web side; the core daemon keeps the rest.
struct disk_record {
    int32_t port;              // key
    int32_t enable;            // 1 = configured
    char vendor[64];           // at most 63 characters
    char address[64];          // at most 63 characters
    char directory[128];       // at most 127 characters
    int32_t hdd_type;          // disk_type_nas for a network disk
    int32_t group;
    int32_t property;
    int32_t raid_level;
};
static_assert(sizeof(disk_record) == 280);
static_assert(offsetof(disk_record, port) == 0);
static_assert(offsetof(disk_record, enable) == 4);
static_assert(offsetof(disk_record, vendor) == 8);
static_assert(offsetof(disk_record, address) == 72);
static_assert(offsetof(disk_record, directory) == 136);
static_assert(offsetof(disk_record, hdd_type) == 264);
static_assert(offsetof(disk_record, group) == 268);
static_assert(offsetof(disk_record, property) == 272);
static_assert(offsetof(disk_record, raid_level) == 276);

inline constexpr int disk_record_rows = 36;
inline constexpr int disk_type_nas = 3;
inline constexpr int disk_type_raid = 4;

extern const tqdb_table tqdb_tbl_disk;  // "disk", 36 rows, key port

// read_disk(path, rec, port), write_disk(path, rec), delete_disk(path, port)
TQDB_KEYED(disk, disk_record, tqdb_tbl_disk)
// read_disks(path, arr /*36*/, &count), write_disks(path, arr, count)
TQDB_ALL(disks, disk_record, tqdb_tbl_disk, disk_record_rows)

// The state of a port that holds no configured disk.
inline void disk_record_reset(disk_record* rec, int port) {
    *rec = disk_record{};
    rec->port = port;
    rec->property = 1;
}

// A disk group: the channels recorded to the disks of the group (key: id).
// The core daemon changes groups; the web side only reads them.
struct group_record {
    int32_t id;                // 0..15
    char channel[65];          // '0'/'1' per channel
    uint8_t pad[3];
};
static_assert(sizeof(group_record) == 72);
static_assert(offsetof(group_record, id) == 0);
static_assert(offsetof(group_record, channel) == 4);

inline constexpr int group_record_rows = 16;

extern const tqdb_table tqdb_tbl_group;  // "disk_group", 16 rows, key id

// read_groups(path, arr /*16*/, &count), write_groups(path, arr, count)
TQDB_ALL(groups, group_record, tqdb_tbl_group, group_record_rows)

// The automatic backup to an eSATA disk: what, which channels and when.
struct esata_backup_record {
    int32_t enable;
    int32_t stream_type;
    int32_t file_type;
    int32_t recycle;
    char channel[65];      // '0'/'1' per channel, at most 64
    char backup_time[32];  // at most 31 characters
    uint8_t pad[3];
};
static_assert(sizeof(esata_backup_record) == 116);
static_assert(offsetof(esata_backup_record, channel) == 16);
static_assert(offsetof(esata_backup_record, backup_time) == 81);

extern const tqdb_table tqdb_tbl_esata_backup;  // "esata_auto_backup", one row

// read_esata_auto_backup(path, rec), write_esata_auto_backup(path, rec), ...
TQDB_SINGLE(esata_auto_backup, esata_backup_record, tqdb_tbl_esata_backup)
