// Core-daemon message records of the storage requests (disks, RAID, NAS,
// eSATA), shared by the storage module and the simulated core.
#pragma once

#include <cstddef>
#include <cstdint>

// One disk of the disk list (answer 8433, one record per disk).
struct disk_info {
    int32_t port;              // 1..33
    char vendor[64];
    char address[64];
    char directory[128];
    int32_t state;
    uint8_t unused0[8];
    uint64_t total_bytes;
    uint64_t used_bytes;
    uint64_t free_bytes;
    int32_t hdd_type;
    int32_t group;
    int32_t property;
    uint8_t unused1[4];
    int32_t raid_level;
    int32_t raid_state;
    int32_t raid_progress;
    int32_t raid_sata_cnt;     // entries of raid_sata_port in use
    int32_t raid_sata_port[16];
} __attribute__((packed, aligned(4)));
static_assert(sizeof(disk_info) == 392);
static_assert(offsetof(disk_info, vendor) == 4);
static_assert(offsetof(disk_info, address) == 68);
static_assert(offsetof(disk_info, directory) == 132);
static_assert(offsetof(disk_info, state) == 260);
static_assert(offsetof(disk_info, total_bytes) == 272);
static_assert(offsetof(disk_info, used_bytes) == 280);
static_assert(offsetof(disk_info, free_bytes) == 288);
static_assert(offsetof(disk_info, hdd_type) == 296);
static_assert(offsetof(disk_info, group) == 300);
static_assert(offsetof(disk_info, property) == 304);
static_assert(offsetof(disk_info, raid_level) == 312);
static_assert(offsetof(disk_info, raid_state) == 316);
static_assert(offsetof(disk_info, raid_progress) == 320);
static_assert(offsetof(disk_info, raid_sata_cnt) == 324);
static_assert(offsetof(disk_info, raid_sata_port) == 328);

inline constexpr int disk_list_ports = 33;

// Build a RAID array (3420); also the removal request 3421, which fills only
// the id.
struct raid_request {
    int32_t id;
    int32_t enable;
    int32_t level;
    int32_t zero0[2];
    int32_t sata_cnt;
    int32_t ports[16];
    uint8_t zero1[16];
};
static_assert(sizeof(raid_request) == 104);
static_assert(offsetof(raid_request, sata_cnt) == 20);
static_assert(offsetof(raid_request, ports) == 24);

// A list of disk ports (3507 add network disks, 3508 remove them).
struct disk_port_list {
    int32_t num;
    int32_t port[33];
};
static_assert(sizeof(disk_port_list) == 136);

// Browse a network disk's server (3440).
struct nas_browse_request {
    int32_t port;
    char server_addr[64];
};
static_assert(sizeof(nas_browse_request) == 68);

// The server's directories (answer 8440).
struct nas_dir_list {
    int32_t count;
    char file_path[64][256];
};
static_assert(sizeof(nas_dir_list) == 16388);
static_assert(offsetof(nas_dir_list, file_path) == 4);

// eSATA port mode (3475 sets it; answer 8431 reports it).
struct esata_mode {
    int32_t mode;
    int32_t esata;
};
static_assert(sizeof(esata_mode) == 8);
