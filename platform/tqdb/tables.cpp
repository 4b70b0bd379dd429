// The catalogue of the configuration database: every table, and the
// parameters a new main database starts with.
//
// A table row gives, in order:
//   name          store name, unique in the database (also the name that
//                 copy_table_column_int takes)
//   rec_size      bytes of one record (the struct's size)
//   key_kind      single (one row, no key), int_at (int32 key field) or
//                 text_at (NUL-terminated text key field)
//   key_off       offset of the key field in the record
//   key_len       width of a text key field (0 otherwise)
//   factory_rows  rows a new main database gets, keys 0..n-1 (0 for none;
//                 1 for a single-row table)
//   columns       integer columns copy_table_column_int may address by name,
//                 the key column included
//   factory_row   fills the factory record of a key (the record comes
//                 zero-filled with the key field set); null when zeros do
//
// A table added here gets its factory rows in existing databases too: the
// catalogue's fingerprint is kept in the database and a change re-seeds the
// missing rows (rows already stored are never overwritten).
#include "platform/tqdb/tqdb.h"
#include "platform/tqdb/rec_action.h"
#include "platform/tqdb/rec_camera.h"
#include "platform/tqdb/rec_camera_mask.h"
#include "platform/tqdb/rec_record.h"
#include "platform/tqdb/rec_system.h"

#include <cstdio>
#include <cstring>

#define TQDB_COLUMNS(cols) cols, static_cast<uint32_t>(sizeof(cols) / sizeof(cols[0]))
#define TQDB_NO_COLUMNS nullptr, 0

namespace {

// ---- named integer columns ----------------------------------------------

const tqdb_column camera_columns[] = {
    {"id", offsetof(camera_record, id)},
    {"anr", offsetof(camera_record, anr)},
    {"record_stream", offsetof(camera_record, record_stream)},
};
const tqdb_column record_columns[] = {
    {"id", offsetof(record_row, id)},
    {"mode", offsetof(record_row, mode)},
};

// ---- factory records ----------------------------------------------------

void factory_osd(void* rec, int key) {
    auto* osd = static_cast<osd_record*>(rec);
    std::snprintf(osd->cam_name, sizeof osd->cam_name, "CAM%d", key + 1);
}

void factory_ipc_model(void* rec, int key) {
    static const char* const names[] = {"ONVIF", "RTSP"};
    auto* model = static_cast<ipc_model_record*>(rec);
    model->protocol = key;
    std::snprintf(model->name, sizeof model->name, "%s", names[key]);
    model->default_model = 1;
}

// Areas numbered 0..23, all off.
void factory_privacy_mask(void* rec, int) {
    auto* mask = static_cast<privacy_mask_record*>(rec);
    for (int k = 0; k < PRIVACY_MASK_AREAS; ++k) mask->areas[k].area_id = k;
}

void factory_port(void* rec, int) {
    auto* port = static_cast<port_record*>(rec);
    port->enable_ssh = 0;
    port->ssh_port = 22;
    port->http_port = 80;
    port->rtsp_port = 554;
    port->https_port = 443;
    port->service_port = 9000;
    port->pos_port = 9010;
}

}  // namespace

// ---- tables -------------------------------------------------------------
// clang-format off
const tqdb_table tqdb_tbl_camera =           {"camera",           sizeof(camera_record),           tqdb_key_kind::int_at, offsetof(camera_record, id),           0, 64, TQDB_COLUMNS(camera_columns), nullptr};
const tqdb_table tqdb_tbl_osd =              {"osd",              sizeof(osd_record),              tqdb_key_kind::int_at, offsetof(osd_record, cam_id),          0, 64, TQDB_NO_COLUMNS,              factory_osd};
const tqdb_table tqdb_tbl_ipc_model =        {"ipc_model",        sizeof(ipc_model_record),        tqdb_key_kind::int_at, offsetof(ipc_model_record, id),        0, 2,  TQDB_NO_COLUMNS,              factory_ipc_model};
const tqdb_table tqdb_tbl_privacy_mask =     {"privacy_mask",     sizeof(privacy_mask_record),     tqdb_key_kind::int_at, offsetof(privacy_mask_record, id),     0, 64, TQDB_NO_COLUMNS,              factory_privacy_mask};
const tqdb_table tqdb_tbl_port =             {"port",             sizeof(port_record),             tqdb_key_kind::single, 0,                                     0, 1,  TQDB_NO_COLUMNS,              factory_port};
const tqdb_table tqdb_tbl_alarm_audio_file = {"alarm_audio_file", sizeof(alarm_audio_file_record), tqdb_key_kind::int_at, offsetof(alarm_audio_file_record, id), 0, 10, TQDB_NO_COLUMNS,              nullptr};
const tqdb_table tqdb_tbl_record =           {"record",           sizeof(record_row),              tqdb_key_kind::int_at, offsetof(record_row, id),              0, 64, TQDB_COLUMNS(record_columns), nullptr};
// clang-format on

// Every table, in any order; names must be unique.
const tqdb_table* const tqdb_tables[] = {
    &tqdb_tbl_camera,
    &tqdb_tbl_osd,
    &tqdb_tbl_ipc_model,
    &tqdb_tbl_privacy_mask,
    &tqdb_tbl_port,
    &tqdb_tbl_alarm_audio_file,
    &tqdb_tbl_record,
};
const int tqdb_table_count = sizeof(tqdb_tables) / sizeof(tqdb_tables[0]);

const tqdb_table* tqdb_find_table(const char* name) {
    if (!name) return nullptr;
    for (int i = 0; i < tqdb_table_count; ++i)
        if (std::strcmp(tqdb_tables[i]->name, name) == 0) return tqdb_tables[i];
    return nullptr;
}

// ---- parameters ---------------------------------------------------------
// Values are text; get_param_int parses them. Keys the system only ever sets
// are not listed (set_param_* creates a missing key).
const tqdb_param_default tqdb_param_defaults[] = {
    {"max_cameras", "32"},
    {"failover_mode", "0"},
    {"same_channel_exist", "0"},
    {"hardware_version", "V1.1"},
    {"software_version", "7x.7.0.9"},
    {"model", ""},
    {"plugin_version", "1.0"},
    {"mplugin_version", "1.0"},
    {"tqfs_dbup", "0"},
    {"transport_protocol", "0"},
    {"stream_information", "0"},
    {"oemupdateonline", "0"},
    {"company", "Velartica"},
    {"deviceid", "255"},
    {"display_mode", "0"},
    {"hdmihotplug", "1"},
    {"homologous", "1"},
    {"wizard_enable", "0"},
    {"access_filter_enable", "0"},
    {"access_filter_type", "1"},
    {"poepsd", "kq5821"},
    {"max_poe_num", "0"},
    {"ch_access", "0"},
    {"pushmsg_alarmin_type", "65535"},
    {"video_push_stream", "0"},
    {"httpsenable", "0"},
    {"alarm_in", "16"},
    {"alarm_out", "4"},
    {"group_mode", "0"},
    {"esata_type", "0"},
};
const int tqdb_param_default_count = sizeof(tqdb_param_defaults) / sizeof(tqdb_param_defaults[0]);
