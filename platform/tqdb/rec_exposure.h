// The exposure steps of a channel: the pairs of exposure time and gain the
// camera steps through, stored for the image pages.
#pragma once

#include "platform/tqdb/tqdb.h"

#include <cstddef>
#include <cstdint>

inline constexpr int exposure_steps_max = 140;

struct exposure_step {
    int32_t exposure_time;
    int32_t gain_level;
};
static_assert(sizeof(exposure_step) == 8);

// Key: channel 0..63. count says how many steps are stored (0..140).
struct exposure_record {
    int32_t chn;
    int32_t count;
    exposure_step steps[exposure_steps_max];
};
static_assert(sizeof(exposure_record) == 8 + 1120);
static_assert(offsetof(exposure_record, steps) == 8);

extern const tqdb_table tqdb_tbl_exposure;  // "exposure", no factory rows, key chn

// read_exposure(path, rec, chn) (non-zero when the channel has none),
// write_exposure(path, rec), delete_exposure(path, chn)
TQDB_KEYED(exposure, exposure_record, tqdb_tbl_exposure)
