// The holiday table: at most 32 holidays, ids 0..31.
#pragma once

#include "platform/tqdb/tqdb.h"

#include <cstddef>
#include <cstdint>

#define HOLIDAY_COUNT 32

struct holiday_record {
    int32_t id;            // 0..31
    char name[256];        // at most 255 characters, NUL-terminated
    int32_t enable;        // 0 or 1
    int32_t type;
    int32_t start_year;
    int32_t start_mon;
    int32_t start_mday;
    int32_t start_mweek;
    int32_t start_wday;
    int32_t end_year;
    int32_t end_mon;
    int32_t end_mday;
    int32_t end_mweek;
    int32_t end_wday;
};
static_assert(sizeof(holiday_record) == 308);
static_assert(offsetof(holiday_record, id) == 0);
static_assert(offsetof(holiday_record, name) == 4);
static_assert(offsetof(holiday_record, enable) == 260);
static_assert(offsetof(holiday_record, type) == 264);
static_assert(offsetof(holiday_record, start_year) == 268);
static_assert(offsetof(holiday_record, start_mon) == 272);
static_assert(offsetof(holiday_record, start_mday) == 276);
static_assert(offsetof(holiday_record, start_mweek) == 280);
static_assert(offsetof(holiday_record, start_wday) == 284);
static_assert(offsetof(holiday_record, end_year) == 288);
static_assert(offsetof(holiday_record, end_mon) == 292);
static_assert(offsetof(holiday_record, end_mday) == 296);
static_assert(offsetof(holiday_record, end_mweek) == 300);
static_assert(offsetof(holiday_record, end_wday) == 304);

extern const tqdb_table tqdb_tbl_holiday;  // "holiday", 32 rows, key id

// read_holiday(path, rec, id), write_holiday(path, rec), delete_holiday(path, id)
TQDB_KEYED(holiday, holiday_record, tqdb_tbl_holiday)
// read_holidays(path, arr /*32*/, &count), write_holidays(path, arr, count)
TQDB_ALL(holidays, holiday_record, tqdb_tbl_holiday, HOLIDAY_COUNT)
