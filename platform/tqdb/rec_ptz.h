// PTZ stores: the serial-port settings and the speeds of each channel's PTZ
// camera, and each channel's tour table.
#pragma once

#include "platform/msg_ptz.h"
#include "platform/tqdb/tqdb.h"

#include <cstddef>
#include <cstdint>
#include <type_traits>

// Serial-port settings of a channel's PTZ camera (key: cam_id, 64 rows).
struct ptz_port_record {
    int32_t cam_id;
    int32_t connect_type;  // 0 or 1
    int32_t baud_rate;
    int32_t data_bits;     // 5..8
    int32_t stop_bits;
    int32_t parity_type;   // 0..2
    int32_t protocol;      // 0..13
    int32_t address;
    int32_t reserved;
};
static_assert(sizeof(ptz_port_record) == 36);
static_assert(offsetof(ptz_port_record, connect_type) == 4);
static_assert(offsetof(ptz_port_record, baud_rate) == 8);
static_assert(offsetof(ptz_port_record, data_bits) == 12);
static_assert(offsetof(ptz_port_record, stop_bits) == 16);
static_assert(offsetof(ptz_port_record, parity_type) == 20);
static_assert(offsetof(ptz_port_record, protocol) == 24);
static_assert(offsetof(ptz_port_record, address) == 28);
static_assert(offsetof(ptz_port_record, reserved) == 32);

// Speeds of a channel's PTZ camera (key: cam_id, 64 rows).
struct ptz_speed_record {
    int32_t cam_id;
    int32_t pan_speed;
    int32_t tilt_speed;
    int32_t zoom_speed;
    int32_t focus_speed;
    int32_t reserved[3];
};
static_assert(sizeof(ptz_speed_record) == 32);
static_assert(offsetof(ptz_speed_record, pan_speed) == 4);
static_assert(offsetof(ptz_speed_record, tilt_speed) == 8);
static_assert(offsetof(ptz_speed_record, zoom_speed) == 12);
static_assert(offsetof(ptz_speed_record, focus_speed) == 16);

// The tour table of a channel: 8 tours of 48 points. Tour t (1..8 in
// requests) is tours[t - 1].
struct ptz_tour_table {
    ptz_tour_point tours[ptz_tours][ptz_tour_points];
};
static_assert(sizeof(ptz_tour_table) == 4608);

extern const tqdb_table tqdb_tbl_ptz_port;   // "ptz_port", 64 rows, key cam_id
extern const tqdb_table tqdb_tbl_ptz_speed;  // "ptz_speed", 64 rows, key cam_id

// read_ptz_port(path, rec, chn), write_ptz_port(path, rec), delete_ptz_port(path, chn)
TQDB_KEYED(ptz_port, ptz_port_record, tqdb_tbl_ptz_port)
// read_ptz_speed(path, rec, chn), write_ptz_speed(path, rec), delete_ptz_speed(path, chn)
TQDB_KEYED(ptz_speed, ptz_speed_record, tqdb_tbl_ptz_speed)

// The tour table of channel chn (0..63). A channel without a stored table
// reads as missing (non-zero, table untouched); a channel outside 0..63
// fails.
int read_ptz_tour(const char* path, ptz_tour_table* table, int chn);
int write_ptz_tour(const char* path, const ptz_tour_table* table, int chn);
// Changes the tour table of channel chn (0..63) in one write transaction:
// change gets the stored table (zeros where none is stored) and returns 0
// to store it, anything else (returned) to leave it. -1 when the file could
// not be read or written.
int edit_ptz_tour_fn(const char* path, int chn, int (*change)(void* ctx, ptz_tour_table* table), void* ctx);
// The same with a function of (ptz_tour_table&) that always stores.
template <typename Fn>
int edit_ptz_tour(const char* path, int chn, Fn&& fn) {
    return edit_ptz_tour_fn(
        path, chn,
        [](void* ctx, ptz_tour_table* table) -> int {
            (*static_cast<std::remove_reference_t<Fn>*>(ctx))(*table);
            return 0;
        },
        &fn);
}
