// The operation-log record (672 bytes), sent to the core daemon as message
// 3485 and read back by the log search.
#pragma once

#include <cstddef>
#include <cstdint>

struct oplog_record {
    int32_t main_type;       // 0
    uint8_t pad0[4];         // 4
    int64_t sub_type;        // 8
    uint8_t pad1[4];         // 16
    int32_t pts;             // 20
    int32_t parameter_type;  // 24
    int32_t remote;          // 28
    int32_t chan_no;         // 32
    char ip[46];             // 36
    char user[64];           // 82
    uint8_t pad2[2];         // 146
    int32_t detail_size;     // 148
    uint8_t detail[512];     // 152
    uint8_t pad3[8];         // 664
} __attribute__((packed, aligned(4)));
static_assert(sizeof(oplog_record) == 672);
static_assert(offsetof(oplog_record, sub_type) == 8);
static_assert(offsetof(oplog_record, parameter_type) == 24);
static_assert(offsetof(oplog_record, chan_no) == 32);
static_assert(offsetof(oplog_record, ip) == 36);
static_assert(offsetof(oplog_record, user) == 82);
static_assert(offsetof(oplog_record, detail_size) == 148);
static_assert(offsetof(oplog_record, detail) == 152);
