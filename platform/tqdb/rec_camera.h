// Camera channel records: the camera connection record of a channel, the
// recorder's on-screen display record of a channel, and the IPC model record.
#pragma once

#include "platform/tqdb/tqdb.h"

#include <cstddef>
#include <cstdint>

// One per channel 0..63 (key: id). The reserved arrays are bytes that no
// request touches; every read-modify-write keeps them as stored.
struct camera_record {
    int32_t id;               // channel 0..63
    int32_t deleted;          // 1 once the channel was deleted
    int32_t enable;           // 0 or 1
    uint8_t reserved0[16];
    char user_name[64];
    char password[64];
    char ip_addr[64];         // address or host name (write_camera_ip sets it)
    int32_t main_rtsp_port;
    char main_src[256];
    int32_t sub_enable;
    int32_t sub_rtsp_port;
    char sub_src[256];
    int32_t manage_port;
    int32_t protocol;         // id of the IPC protocol table: 0 ONVIF, 1 RTSP, ... 7
    int32_t transmit_protocol;// 0 UDP, 1 TCP, 2 third transport
    uint8_t reserved1[4];
    int32_t record_stream;    // column "record_stream"; kept across delete
    int32_t sync_time;
    uint8_t reserved2[4];
    char main_url[256];
    char sub_url[256];
    int32_t poe_channel;
    char mac_addr[32];
    int32_t physical_port;
    int32_t anr;              // column "anr"
    uint8_t reserved3[64];
    int32_t minor_id;
    char ddns[64];
};
static_assert(sizeof(camera_record) == 1460);
static_assert(offsetof(camera_record, id) == 0);
static_assert(offsetof(camera_record, deleted) == 4);
static_assert(offsetof(camera_record, enable) == 8);
static_assert(offsetof(camera_record, reserved0) == 12);
static_assert(offsetof(camera_record, user_name) == 28);
static_assert(offsetof(camera_record, password) == 92);
static_assert(offsetof(camera_record, ip_addr) == 156);
static_assert(offsetof(camera_record, main_rtsp_port) == 220);
static_assert(offsetof(camera_record, main_src) == 224);
static_assert(offsetof(camera_record, sub_enable) == 480);
static_assert(offsetof(camera_record, sub_rtsp_port) == 484);
static_assert(offsetof(camera_record, sub_src) == 488);
static_assert(offsetof(camera_record, manage_port) == 744);
static_assert(offsetof(camera_record, protocol) == 748);
static_assert(offsetof(camera_record, transmit_protocol) == 752);
static_assert(offsetof(camera_record, reserved1) == 756);
static_assert(offsetof(camera_record, record_stream) == 760);
static_assert(offsetof(camera_record, sync_time) == 764);
static_assert(offsetof(camera_record, reserved2) == 768);
static_assert(offsetof(camera_record, main_url) == 772);
static_assert(offsetof(camera_record, sub_url) == 1028);
static_assert(offsetof(camera_record, poe_channel) == 1284);
static_assert(offsetof(camera_record, mac_addr) == 1288);
static_assert(offsetof(camera_record, physical_port) == 1320);
static_assert(offsetof(camera_record, anr) == 1324);
static_assert(offsetof(camera_record, reserved3) == 1328);
static_assert(offsetof(camera_record, minor_id) == 1392);
static_assert(offsetof(camera_record, ddns) == 1396);

// The recorder's own overlay of a channel (key: cam_id). The doubles sit on
// 8-byte offsets and the record ends with explicit padding, so the layout is
// the same on x86_64 and on 32-bit ARM (EABI aligns doubles to 8 as well).
struct osd_record {
    int32_t cam_id;           // channel 0..63
    char cam_name[64];        // factory value "CAM<channel + 1>"
    int32_t show_name;
    int32_t show_date;
    int32_t show_week;
    int32_t date_format;      // 0..3
    int32_t time_format;      // 0/1
    double date_pos_x;
    double date_pos_y;
    double name_pos_x;
    double name_pos_y;
    int32_t alpha;
    uint8_t reserved[4];
};
static_assert(sizeof(osd_record) == 128);
static_assert(alignof(osd_record) == 8);
static_assert(offsetof(osd_record, cam_id) == 0);
static_assert(offsetof(osd_record, cam_name) == 4);
static_assert(offsetof(osd_record, show_name) == 68);
static_assert(offsetof(osd_record, show_date) == 72);
static_assert(offsetof(osd_record, show_week) == 76);
static_assert(offsetof(osd_record, date_format) == 80);
static_assert(offsetof(osd_record, time_format) == 84);
static_assert(offsetof(osd_record, date_pos_x) == 88);
static_assert(offsetof(osd_record, date_pos_y) == 96);
static_assert(offsetof(osd_record, name_pos_x) == 104);
static_assert(offsetof(osd_record, name_pos_y) == 112);
static_assert(offsetof(osd_record, alpha) == 120);
static_assert(offsetof(osd_record, reserved) == 124);

// A camera model of a protocol (key: id; the camera record's protocol field
// names the model).
struct ipc_model_record {
    int32_t id;
    int32_t protocol;
    char name[32];
    int32_t alarm_type;
    int32_t default_model;
};
static_assert(sizeof(ipc_model_record) == 48);
static_assert(offsetof(ipc_model_record, id) == 0);
static_assert(offsetof(ipc_model_record, protocol) == 4);
static_assert(offsetof(ipc_model_record, name) == 8);
static_assert(offsetof(ipc_model_record, alarm_type) == 40);
static_assert(offsetof(ipc_model_record, default_model) == 44);

extern const tqdb_table tqdb_tbl_camera;     // "camera", 64 rows, key id
extern const tqdb_table tqdb_tbl_osd;        // "osd", 64 rows, key cam_id
extern const tqdb_table tqdb_tbl_ipc_model;  // "ipc_model", key id

// read_camera(path, rec, chn), write_camera(path, rec), delete_camera(path, chn)
TQDB_KEYED(camera, camera_record, tqdb_tbl_camera)
// read_cameras(path, arr /*64*/, &count), write_cameras(path, arr, count)
TQDB_ALL(cameras, camera_record, tqdb_tbl_camera, 64)

// Sets only the IP address of channel chn (text cut to 63 characters, the
// rest of the field zeroed). Non-zero when the channel has no row.
int write_camera_ip(const char* path, int chn, const char* ip_text);

// read_osd(path, rec, chn), write_osd(path, rec), delete_osd(path, chn)
TQDB_KEYED(osd, osd_record, tqdb_tbl_osd)
TQDB_ALL(osds, osd_record, tqdb_tbl_osd, 64)

// The channel's OSD name, cut to size - 1 and terminated. Non-zero (buf
// untouched) when the channel has no row.
int read_osd_name(const char* path, int chn, char* buf, int size);

// read_ipc_model(path, rec, model_id), write_ipc_model(path, rec)
TQDB_KEYED(ipc_model, ipc_model_record, tqdb_tbl_ipc_model)
