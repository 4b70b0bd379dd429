// System records: the service ports record and the alarm audio file slots.
#pragma once

#include "platform/tqdb/tqdb.h"

#include <cstddef>
#include <cstdint>

// The recorder's service ports, with the mail host-name settings that share
// the record. A single row.
struct port_record {
    int32_t enable_ssh;       // first field: SSH on (1) or off (0)
    int32_t ssh_port;
    int32_t http_port;
    int32_t rtsp_port;
    int32_t https_port;
    int32_t service_port;
    int32_t pos_port;
    int32_t enable_host_name;
    char host_name[256];      // at most 255 characters
};
static_assert(sizeof(port_record) == 288);
static_assert(offsetof(port_record, enable_ssh) == 0);
static_assert(offsetof(port_record, ssh_port) == 4);
static_assert(offsetof(port_record, http_port) == 8);
static_assert(offsetof(port_record, rtsp_port) == 12);
static_assert(offsetof(port_record, https_port) == 16);
static_assert(offsetof(port_record, service_port) == 20);
static_assert(offsetof(port_record, pos_port) == 24);
static_assert(offsetof(port_record, enable_host_name) == 28);
static_assert(offsetof(port_record, host_name) == 32);

// One of the 10 alarm sound slots (ids 0..9). The core daemon owns the
// table; the web side reads it.
struct alarm_audio_file_record {
    int32_t id;
    int32_t enable;           // 1 when the slot holds a file
    char name[128];           // the file name, URL-safe Base64 of the user's name
};
static_assert(sizeof(alarm_audio_file_record) == 136);
static_assert(offsetof(alarm_audio_file_record, id) == 0);
static_assert(offsetof(alarm_audio_file_record, enable) == 4);
static_assert(offsetof(alarm_audio_file_record, name) == 8);

inline constexpr int alarm_audio_file_slots = 10;

extern const tqdb_table tqdb_tbl_port;              // "port", single row
extern const tqdb_table tqdb_tbl_alarm_audio_file;  // "alarm_audio_file", 10 rows, key id

// read_port(path, rec), write_port(path, rec)
TQDB_SINGLE(port, port_record, tqdb_tbl_port)

// Reads the 10 slots into recs (room for 10) in id order. Non-zero when the
// table has no rows.
inline int read_alarm_audio_file(const char* path, alarm_audio_file_record* recs) {
    int count = 0;
    int rc = tqdb_read_all(path, tqdb_tbl_alarm_audio_file, recs, alarm_audio_file_slots, &count);
    return rc != 0 ? rc : (count > 0 ? 0 : -1);
}
// One slot, named by its own id (what the core daemon does on an upload).
inline int write_alarm_audio_file(const char* path, const alarm_audio_file_record* rec) {
    return tqdb_write(path, tqdb_tbl_alarm_audio_file, rec);
}
