// Messages of the log page: the search, the export, the entry a page writes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/oplog_record.h"

inline constexpr int32_t msg_log_entry = 3488;   // 672: a log record; answer 8488 (text)
inline constexpr int32_t msg_log_export = 3494;  // 840: log_search; answer 8494 (log_export_ready)
inline constexpr int32_t msg_log_search = 3495;  // 840: log_search; answer 8495 (log_page)

inline constexpr int32_t msg_log_entry_reply = 8488;
inline constexpr int32_t msg_log_export_reply = 8494;
inline constexpr int32_t msg_log_search_reply = 8495;

inline constexpr int log_search_sub_types = 100;
inline constexpr int log_page_records = 100;

struct log_search {
    int32_t start_time;  // seconds since the epoch
    int32_t end_time;
    int32_t main_type;
    uint8_t pad0[4];
    int64_t sub_types[log_search_sub_types];
    int32_t sub_type_count;
    int32_t page;        // from 1
    uint64_t channels;   // bit n: channel n
    int32_t no_channel;  // entries without a channel too
    uint8_t pad1[4];
};
static_assert(sizeof(log_search) == 840);
static_assert(offsetof(log_search, main_type) == 8);
static_assert(offsetof(log_search, sub_types) == 16);
static_assert(offsetof(log_search, sub_type_count) == 816);
static_assert(offsetof(log_search, page) == 820);
static_assert(offsetof(log_search, channels) == 824);
static_assert(offsetof(log_search, no_channel) == 832);

// One page of a search's matches.
struct log_page {
    int32_t total;  // matches in all
    int32_t count;  // records on this page
    oplog_record records[log_page_records];
};
static_assert(sizeof(log_page) == 67208);
static_assert(offsetof(log_page, records) == 8);

// The export's answer: the path of the file the daemon wrote (a 32-bit
// record count, then per record the 672-byte record and a 4096-byte text).
struct log_export_ready {
    int32_t result;
    char path[64];  // not always terminated
};
static_assert(sizeof(log_export_ready) == 68);
static_assert(offsetof(log_export_ready, path) == 4);

inline constexpr size_t log_export_text = 4096;
