// Core-daemon message records of the storage requests (disks, RAID, NAS,
// eSATA), shared by the storage module and the simulated core.
#pragma once

#include <cstddef>
#include <cstdint>

// Requests; the answer to request N is N + 5000. Answers of one int32 say 0
// for done.
inline constexpr int32_t msg_disk_self_test = 3403;      // int32 port; answer 8403: text
inline constexpr int32_t msg_raid_build = 3420;          // raid_request; answer 8420
inline constexpr int32_t msg_raid_remove = 3421;         // raid_request (id only); answer 8421
inline constexpr int32_t msg_hot_spare_on = 3423;        // int32 port; answer 8423
inline constexpr int32_t msg_hot_spare_off = 3424;       // int32 port; answer 8424
inline constexpr int32_t msg_raid_add_disk = 3425;       // int32 disk port, raid port; answer 8425
inline constexpr int32_t msg_esata_mode_show = 3431;     // int32 0; answer 8431: esata_mode
inline constexpr int32_t msg_disk_list = 3433;           // no payload; answer 8433: disk_info[]
inline constexpr int32_t msg_disk_format = 3434;         // int32 port; answer 8434
inline constexpr int32_t msg_disk_property = 3435;       // int32 port, property, group, 0 (a notice)
inline constexpr int32_t msg_nas_edit = 3439;            // int32 port; answer 8439
inline constexpr int32_t msg_nas_browse = 3440;          // nas_browse_request; answer 8440: nas_dir_list
inline constexpr int32_t msg_esata_mode_store = 3475;    // esata_mode; answer 8475
inline constexpr int32_t msg_disk_remove = 3496;         // int32 port; answer 8496
inline constexpr int32_t msg_nas_add = 3507;             // disk_port_list; answer 8507
inline constexpr int32_t msg_nas_remove = 3508;          // disk_port_list; answer 8508
inline constexpr int32_t msg_esata_backup = 3535;        // eSATA backup (its answer is slow)

inline constexpr int32_t msg_disk_self_test_reply = 8403;
inline constexpr int32_t msg_raid_build_reply = 8420;
inline constexpr int32_t msg_raid_remove_reply = 8421;
inline constexpr int32_t msg_hot_spare_on_reply = 8423;
inline constexpr int32_t msg_hot_spare_off_reply = 8424;
inline constexpr int32_t msg_raid_add_disk_reply = 8425;
inline constexpr int32_t msg_esata_mode_show_reply = 8431;
inline constexpr int32_t msg_disk_list_reply = 8433;
inline constexpr int32_t msg_disk_format_reply = 8434;
inline constexpr int32_t msg_nas_edit_reply = 8439;
inline constexpr int32_t msg_nas_browse_reply = 8440;
inline constexpr int32_t msg_esata_mode_store_reply = 8475;
inline constexpr int32_t msg_disk_remove_reply = 8496;
inline constexpr int32_t msg_nas_add_reply = 8507;
inline constexpr int32_t msg_nas_remove_reply = 8508;

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
