// The general settings records: local display outputs, log and snapshot
// retention, UPnP port mapping, automatic restart. Single rows.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/tqdb/tqdb.h"

struct display_record {
    int32_t main_resolution;
    uint8_t reserved0[8];
    int32_t hdmi_audio;    // HDMI carries the audio
    int32_t audio_output;  // the audio output is on
    int32_t audio_volume;  // 0..100, steps of 10
    int32_t audio_stereo;
    int32_t sub_enable;  // the second output runs on its own (not a copy of the main one)
    int32_t sub_resolution;
    uint8_t reserved1[32];
    int32_t cur_control;  // non-zero while another client controls the display
    uint8_t reserved2[24];
};
static_assert(sizeof(display_record) == 96);
static_assert(offsetof(display_record, main_resolution) == 0);
static_assert(offsetof(display_record, hdmi_audio) == 12);
static_assert(offsetof(display_record, audio_output) == 16);
static_assert(offsetof(display_record, audio_volume) == 20);
static_assert(offsetof(display_record, audio_stereo) == 24);
static_assert(offsetof(display_record, sub_enable) == 28);
static_assert(offsetof(display_record, sub_resolution) == 32);
static_assert(offsetof(display_record, cur_control) == 68);

// Days the log and the snapshots are kept (-1, 0, 1 or an even number up
// to 12, in the core daemon's meaning). Also the payload of message 2102.
struct disk_maintenance_record {
    int32_t log_retention;
    int32_t photo_retention;
};
static_assert(sizeof(disk_maintenance_record) == 8);
static_assert(offsetof(disk_maintenance_record, photo_retention) == 4);

// UPnP port mapping; the mapping states are the core daemon's. Also the
// payload of message 3720.
struct upnp_record {
    int32_t enable;
    int32_t type;
    uint8_t reserved[128];
    int32_t external_http_port;
    int32_t http_status;
    int32_t external_rtsp_port;
    int32_t rtsp_status;
};
static_assert(sizeof(upnp_record) == 152);
static_assert(offsetof(upnp_record, type) == 4);
static_assert(offsetof(upnp_record, external_http_port) == 136);
static_assert(offsetof(upnp_record, http_status) == 140);
static_assert(offsetof(upnp_record, external_rtsp_port) == 144);
static_assert(offsetof(upnp_record, rtsp_status) == 148);

// The automatic restart: weekday and time. Also the payload of 1718.
struct auto_restart_record {
    int32_t enable;
    int32_t wday;
    int32_t hour;
    int32_t minutes;
    int32_t seconds;
    uint8_t reserved[108];
};
static_assert(sizeof(auto_restart_record) == 128);
static_assert(offsetof(auto_restart_record, wday) == 4);
static_assert(offsetof(auto_restart_record, hour) == 8);
static_assert(offsetof(auto_restart_record, minutes) == 12);
static_assert(offsetof(auto_restart_record, seconds) == 16);

extern const tqdb_table tqdb_tbl_display;           // "display", single row
extern const tqdb_table tqdb_tbl_disk_maintenance;  // "disk_maintenance", single row
extern const tqdb_table tqdb_tbl_upnp;              // "upnp", single row
extern const tqdb_table tqdb_tbl_auto_restart;      // "auto_restart", single row

TQDB_SINGLE(display, display_record, tqdb_tbl_display)
TQDB_SINGLE(disk_maintenance, disk_maintenance_record, tqdb_tbl_disk_maintenance)
TQDB_SINGLE(upnp, upnp_record, tqdb_tbl_upnp)
TQDB_SINGLE(auto_restart, auto_restart_record, tqdb_tbl_auto_restart)
