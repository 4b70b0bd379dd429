// The recorder's stored privacy masks of a channel: 24 rectangles the camera
// blanks out. One record per channel 0..63 (key: id).
#pragma once

#include "platform/tqdb/tqdb.h"

#include <cstddef>
#include <cstdint>

#define PRIVACY_MASK_AREAS 24

struct privacy_mask_area {
    int32_t area_id;
    int32_t enable;
    int32_t start_x;
    int32_t start_y;
    int32_t area_width;
    int32_t area_height;
    int32_t width;            // drawing canvas the rectangle was given in
    int32_t height;
    int32_t fill_color;
    uint8_t reserved[16];
};
static_assert(sizeof(privacy_mask_area) == 52);
static_assert(offsetof(privacy_mask_area, enable) == 4);
static_assert(offsetof(privacy_mask_area, area_height) == 20);
static_assert(offsetof(privacy_mask_area, fill_color) == 32);
static_assert(offsetof(privacy_mask_area, reserved) == 36);

struct privacy_mask_record {
    int32_t id;               // channel 0..63
    privacy_mask_area areas[PRIVACY_MASK_AREAS];
};
static_assert(sizeof(privacy_mask_record) == 1252);
static_assert(offsetof(privacy_mask_record, areas) == 4);

extern const tqdb_table tqdb_tbl_privacy_mask;  // "privacy_mask", 64 rows, key id

// read_privacy_mask(path, rec, chn), write_privacy_mask(path, rec)
TQDB_KEYED(privacy_mask, privacy_mask_record, tqdb_tbl_privacy_mask)
// read_privacy_masks(path, arr /*64*/, &count)
TQDB_ALL(privacy_masks, privacy_mask_record, tqdb_tbl_privacy_mask, 64)
