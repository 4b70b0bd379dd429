// Timed snapshots (settings and schedule per channel), the mirrors of the
// camera alarm input and sound detection of each channel, and the
// recorder-wide trigger table.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/tqdb/sched_store.h"
#include "platform/tqdb/tqdb.h"

// The picture settings of a channel's timed snapshots (key: channel).
struct snapshot_record {
    int32_t channel;
    int32_t reserved1;
    int32_t quality;
    int32_t interval;
    int32_t interval_unit;
    int32_t reserved2;
    int32_t reserved3;
    int32_t expiration_date;
    int32_t resolution;
};
static_assert(sizeof(snapshot_record) == 36);
static_assert(offsetof(snapshot_record, quality) == 8);
static_assert(offsetof(snapshot_record, expiration_date) == 28);
static_assert(offsetof(snapshot_record, resolution) == 32);

// What the recorder keeps of a camera's alarm input or sound detection (key:
// cam_id); the camera holds the rest.
struct cam_trigger_record {
    int32_t cam_id;
    int32_t enable;
    uint32_t tri_channels_mask;  // bits of the channel text's positions below 32
    int32_t tri_actions;
    char tri_channels[65];
    uint8_t pad[3];
};
static_assert(sizeof(cam_trigger_record) == 84);
static_assert(offsetof(cam_trigger_record, tri_channels_mask) == 8);
static_assert(offsetof(cam_trigger_record, tri_actions) == 12);
static_assert(offsetof(cam_trigger_record, tri_channels) == 16);

// The recorder-wide trigger table: seven values of the core daemon's.
struct trigger_alarms_record {
    int32_t values[7];
};
static_assert(sizeof(trigger_alarms_record) == 28);

extern const tqdb_table tqdb_tbl_snapshot;        // "snapshot", 64 rows, key channel
extern const tqdb_table tqdb_tbl_cameraio;        // "cameraio", key cam_id
extern const tqdb_table tqdb_tbl_volumedetect;    // "volumedetect", key cam_id
extern const tqdb_table tqdb_tbl_trigger_alarms;  // "trigger_alarms", one row

// read_snapshot(path, rec, chn), write_snapshot(path, rec); copy_snapshots(path, rec, mask)
TQDB_KEYED(snapshot, snapshot_record, tqdb_tbl_snapshot)
TQDB_COPY(snapshots, snapshot_record, tqdb_tbl_snapshot)
TQDB_KEYED(cameraio, cam_trigger_record, tqdb_tbl_cameraio)
TQDB_KEYED(volumedetect, cam_trigger_record, tqdb_tbl_volumedetect)
TQDB_SINGLE(trigger_alarms, trigger_alarms_record, tqdb_tbl_trigger_alarms)

// The week schedule of a channel's timed snapshots:
// read_snapshot_schedule(path, sched, chn), copy_snapshot_schedules(path, sched, mask).
#define SCHED_SNAPSHOT "snapshot_schedule"
TQDB_SCHEDULE(snapshot_schedule, SCHED_SNAPSHOT)
