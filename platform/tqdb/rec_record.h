// The recording settings table: one row per channel.
#pragma once

#include "platform/tqdb/tqdb.h"

#include <cstddef>
#include <cstdint>

// Recording settings of a channel (key: id, 64 rows).
struct record_row {
    int32_t id;               // channel 0..63
    int32_t mode;             // recording mode 0..2, column "mode"
    uint8_t reserved0[28];
    int32_t audio_enable;
    uint8_t reserved1[8];
    int32_t prev_record_on;
    int32_t prev_record_duration;
    int32_t post_record_on;
    int32_t post_record_duration;
    int32_t record_exp_date;
    uint8_t reserved2[4];
};
static_assert(sizeof(record_row) == 72);
static_assert(offsetof(record_row, id) == 0);
static_assert(offsetof(record_row, mode) == 4);
static_assert(offsetof(record_row, reserved0) == 8);
static_assert(offsetof(record_row, audio_enable) == 36);
static_assert(offsetof(record_row, reserved1) == 40);
static_assert(offsetof(record_row, prev_record_on) == 48);
static_assert(offsetof(record_row, prev_record_duration) == 52);
static_assert(offsetof(record_row, post_record_on) == 56);
static_assert(offsetof(record_row, post_record_duration) == 60);
static_assert(offsetof(record_row, record_exp_date) == 64);
static_assert(offsetof(record_row, reserved2) == 68);

extern const tqdb_table tqdb_tbl_record;  // "record", 64 rows, key id; column "mode"

// read_record(path, rec, chn), write_record(path, rec), delete_record(path, chn)
TQDB_KEYED(record, record_row, tqdb_tbl_record)

// All rows in channel order: read_records(path, arr /*64*/, &count).
inline int read_records(const char* path, record_row* arr, int* count) {
    return tqdb_read_all(path, tqdb_tbl_record, arr, 64, count);
}
// All 64 rows with row n holding channel n, placed by each stored row's own
// channel: read_records packs the rows it finds, so a missing row would
// shift every later channel down by one. A missing row reads as zeros with
// its channel set. Non-zero when the table could not be read (rows then as
// if none were stored): a caller that writes rows back must not go on.
int read_records_by_channel(const char* path, record_row rows[64]);
// Writes arr[ch] for every channel ch whose bit is set in mask (arr as filled
// by read_records_by_channel), in one transaction.
inline int write_records(const char* path, const record_row* arr, uint64_t mask) {
    return tqdb_write_masked(path, tqdb_tbl_record, arr, 64, mask);
}
