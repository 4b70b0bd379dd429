// Core-daemon message records of the storage policy: per-channel quotas,
// disk groups and the automatic eSATA backup, shared by the storage module
// and the simulated core.
#pragma once

#include <cstddef>
#include <cstdint>

// Requests; the answer to request N is N + 5000.
inline constexpr int32_t msg_groups_applied = 1307;     // no payload (a notice)
inline constexpr int32_t msg_esata_backup_run = 1316;   // no payload; answer 6316: int32 result
inline constexpr int32_t msg_esata_backup_state = 1317; // no payload; answer 6317: backup_status
inline constexpr int32_t msg_group_change = 3436;       // group_change (a notice)
inline constexpr int32_t msg_group_mode = 3442;         // int32 group mode (a notice)
inline constexpr int32_t msg_disk_scan = 3457;          // no payload; answer 8457: disk_scan[]
inline constexpr int32_t msg_quota_show = 3529;         // no payload; answer 8529: quota_list
inline constexpr int32_t msg_quota_store = 3530;        // quota_list; answer 8530: int32 result
// 3535 (msg_esata_backup in msg_storage.h): int32 port; answer 8535: int32 result
inline constexpr int32_t msg_esata_backup_check = 3536;     // no payload; answer 8536: int32 status
inline constexpr int32_t msg_esata_backup_cancel = 3537;    // no payload; answer 8537: int32 result
inline constexpr int32_t msg_esata_backup_progress = 3540;  // no payload; answer 8540: backup_progress

inline constexpr int32_t msg_esata_backup_run_reply = 6316;
inline constexpr int32_t msg_esata_backup_state_reply = 6317;
inline constexpr int32_t msg_disk_scan_reply = 8457;
inline constexpr int32_t msg_quota_show_reply = 8529;
inline constexpr int32_t msg_quota_store_reply = 8530;
inline constexpr int32_t msg_esata_backup_reply = 8535;
inline constexpr int32_t msg_esata_backup_check_reply = 8536;
inline constexpr int32_t msg_esata_backup_cancel_reply = 8537;
inline constexpr int32_t msg_esata_backup_progress_reply = 8540;

// One channel's quotas and what it uses of them.
struct quota_entry {
    uint8_t channel;
    uint8_t zero[3];
    int32_t video_quota;
    int32_t picture_quota;
    int32_t video_used;
    int32_t picture_used;
};
static_assert(sizeof(quota_entry) == 20);
static_assert(offsetof(quota_entry, video_quota) == 4);
static_assert(offsetof(quota_entry, picture_used) == 16);

inline constexpr int quota_entries = 64;

// The quota list (answer 8529; request 3530 fills only channel and the two
// quotas of its entries).
struct quota_list {
    int32_t enable;
    int32_t count;
    quota_entry entry[quota_entries];
};
static_assert(sizeof(quota_list) == 1288);
static_assert(offsetof(quota_list, count) == 4);
static_assert(offsetof(quota_list, entry) == 8);

// A group's new channel text and the one stored before (3436).
struct group_change {
    int32_t id;
    char channel[65];
    char old_channel[65];
    uint8_t zero[2];
};
static_assert(sizeof(group_change) == 136);
static_assert(offsetof(group_change, channel) == 4);
static_assert(offsetof(group_change, old_channel) == 69);

// The automatic backup's state (answer 6317).
struct backup_status {
    int32_t status;
    char last_time[32];
    float percent;
    uint64_t capacity;
} __attribute__((packed, aligned(4)));
static_assert(sizeof(backup_status) == 48);
static_assert(offsetof(backup_status, last_time) == 4);
static_assert(offsetof(backup_status, percent) == 36);
static_assert(offsetof(backup_status, capacity) == 40);

// A running backup's progress (answer 8540).
struct backup_progress {
    int32_t status;
    uint8_t percent;
    uint8_t port;
    uint8_t zero[2];
    int32_t type;
};
static_assert(sizeof(backup_progress) == 12);
static_assert(offsetof(backup_progress, percent) == 4);
static_assert(offsetof(backup_progress, port) == 5);
static_assert(offsetof(backup_progress, type) == 8);

// One disk found by a scan (answer 8457); only the port and the type are
// read here.
struct disk_scan {
    uint8_t port;
    uint8_t other[151];
    int32_t type;
    uint8_t rest[12];
};
static_assert(sizeof(disk_scan) == 168);
static_assert(offsetof(disk_scan, type) == 152);

inline constexpr int32_t disk_scan_esata = 5;  // the type of an eSATA disk
