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
#include "platform/tqdb/rec_alarm.h"
#include "platform/tqdb/rec_anpr.h"
#include "platform/tqdb/rec_pcnt.h"
#include "platform/tqdb/rec_camera.h"
#include "platform/tqdb/rec_camera_mask.h"
#include "platform/tqdb/rec_device.h"
#include "platform/tqdb/rec_event.h"
#include "platform/tqdb/rec_exposure.h"
#include "platform/tqdb/rec_holiday.h"
#include "platform/tqdb/rec_https.h"
#include "platform/tqdb/rec_ipc_protocol.h"
#include "platform/tqdb/rec_network.h"
#include "platform/tqdb/rec_ptz.h"
#include "platform/tqdb/rec_record.h"
#include "platform/tqdb/rec_schedule.h"
#include "platform/tqdb/rec_services.h"
#include "platform/tqdb/rec_snapshot.h"
#include "platform/tqdb/rec_storage.h"
#include "platform/tqdb/rec_system.h"
#include "platform/tqdb/rec_user.h"
#include "platform/tqdb/rec_vca.h"

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
const tqdb_column alarm_chn_out_name_columns[] = {
    {"chnid", offsetof(alarm_chn_out_name, chnid)},
    {"delay_time", offsetof(alarm_chn_out_name, delay_time)},
};
const tqdb_column video_loss_columns[] = {
    {"id", offsetof(video_lost_record, cam_id)},
    {"tri_alarms", offsetof(video_lost_record, tri_alarms)},
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

// The protocols a new recorder knows; the page offers the models of ONVIF.
void factory_ipc_protocol(void* rec, int key) {
    static const char* const names[] = {"ONVIF", "RTSP", "TQSF"};
    auto* protocol = static_cast<ipc_protocol_record*>(rec);
    std::snprintf(protocol->name, sizeof protocol->name, "%s", names[key]);
    protocol->protocol_function = 1;
    protocol->enable = 1;
    protocol->display_model = key == 0 ? 1 : 0;
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

// Both interfaces on their own addresses, the bond set up like eth0.
void factory_network(void* rec, int) {
    auto* net = static_cast<network_record*>(rec);
    net->mode = network_mode_multi;
    std::snprintf(net->host_name, sizeof net->host_name, "NVR");
    struct {
        const char *addr, *gateway;
    } const ifaces[] = {{"192.168.1.100", "192.168.1.1"}, {"192.168.2.100", "192.168.2.1"}};
    for (int i = 0; i < 2; ++i) {
        network_iface& e = net->eth[i];
        e.enable = 1;
        std::snprintf(e.ip_addr, sizeof e.ip_addr, "%s", ifaces[i].addr);
        std::snprintf(e.netmask, sizeof e.netmask, "255.255.255.0");
        std::snprintf(e.gateway, sizeof e.gateway, "%s", ifaces[i].gateway);
        std::snprintf(e.dns1, sizeof e.dns1, "8.8.8.8");
        std::snprintf(e.dns2, sizeof e.dns2, "8.8.4.4");
        e.mtu = 1500;
        e.ip6_network_type = 2;
    }
    net->bond = net->eth[0];
}

// Manual time, synchronised daily once NTP is switched on.
void factory_time(void* rec, int) {
    auto* time = static_cast<time_record*>(rec);
    std::snprintf(time->ntp_server, sizeof time->ntp_server, "pool.ntp.org");
    time->sync_interval = 1440;
}

void factory_display(void* rec, int) {
    auto* d = static_cast<display_record*>(rec);
    d->audio_output = 1;
    d->audio_volume = 50;
}
void factory_upnp(void* rec, int) {
    auto* u = static_cast<upnp_record*>(rec);
    u->external_http_port = 80;
    u->external_rtsp_port = 554;
}
void factory_disk_maintenance(void* rec, int) {
    auto* m = static_cast<disk_maintenance_record*>(rec);
    m->log_retention = -1;
    m->photo_retention = -1;
}
void factory_email(void* rec, int) { static_cast<email_record*>(rec)->smtp_port = 25; }

void factory_disk(void* rec, int key) { disk_record_reset(static_cast<disk_record*>(rec), key); }

// The per-camera alarm stores keep one table per contact index; each row
// carries its index.
template <typename Rec, int Index>
void factory_cam_alarm(void* rec, int) {
    static_cast<Rec*>(rec)->alarm_id = Index;
}

// 9600 baud, 8 data bits, 1 stop bit, no parity, address 1.
void factory_ptz_port(void* rec, int) {
    auto* port = static_cast<ptz_port_record*>(rec);
    port->baud_rate = 9600;
    port->data_bits = 8;
    port->stop_bits = 1;
    port->address = 1;
}

void factory_ptz_speed(void* rec, int) {
    auto* speed = static_cast<ptz_speed_record*>(rec);
    speed->pan_speed = 5;
    speed->tilt_speed = 5;
    speed->zoom_speed = 5;
    speed->focus_speed = 5;
}

// Versions 1 and 2c off, the usual communities and the agent's usual port.
void factory_snmp(void* rec, int) {
    auto* snmp = static_cast<snmp_record*>(rec);
    std::snprintf(snmp->read_community, sizeof snmp->read_community, "public");
    std::snprintf(snmp->write_community, sizeof snmp->write_community, "private");
    snmp->port = 161;
}

}  // namespace

// ---- tables -------------------------------------------------------------
// clang-format off
const tqdb_table tqdb_tbl_camera =           {"camera",           sizeof(camera_record),           tqdb_key_kind::int_at, offsetof(camera_record, id),           0, 64, TQDB_COLUMNS(camera_columns), nullptr};
const tqdb_table tqdb_tbl_osd =              {"osd",              sizeof(osd_record),              tqdb_key_kind::int_at, offsetof(osd_record, cam_id),          0, 64, TQDB_NO_COLUMNS,              factory_osd};
const tqdb_table tqdb_tbl_ipc_model =        {"ipc_model",        sizeof(ipc_model_record),        tqdb_key_kind::int_at, offsetof(ipc_model_record, id),        0, 2,  TQDB_NO_COLUMNS,              factory_ipc_model};
const tqdb_table tqdb_tbl_ipc_protocol =     {"ipc_protocol",     sizeof(ipc_protocol_record),     tqdb_key_kind::int_at, offsetof(ipc_protocol_record, id),     0, 3,  TQDB_NO_COLUMNS,              factory_ipc_protocol};
const tqdb_table tqdb_tbl_privacy_mask =     {"privacy_mask",     sizeof(privacy_mask_record),     tqdb_key_kind::int_at, offsetof(privacy_mask_record, id),     0, 64, TQDB_NO_COLUMNS,              factory_privacy_mask};
const tqdb_table tqdb_tbl_port =             {"port",             sizeof(port_record),             tqdb_key_kind::single, 0,                                     0, 1,  TQDB_NO_COLUMNS,              factory_port};
const tqdb_table tqdb_tbl_alarm_audio_file = {"alarm_audio_file", sizeof(alarm_audio_file_record), tqdb_key_kind::int_at, offsetof(alarm_audio_file_record, id), 0, 10, TQDB_NO_COLUMNS,              nullptr};
const tqdb_table tqdb_tbl_record =           {"record",           sizeof(record_row),              tqdb_key_kind::int_at, offsetof(record_row, id),              0, 64, TQDB_COLUMNS(record_columns), nullptr};
const tqdb_table tqdb_tbl_motion =           {"motion",           sizeof(motion_record),           tqdb_key_kind::int_at, offsetof(motion_record, chnid),        0, 64, TQDB_NO_COLUMNS,              nullptr};
const tqdb_table tqdb_tbl_alarm_in =         {"alarm_in",         sizeof(alarm_in_record),         tqdb_key_kind::int_at, offsetof(alarm_in_record, id),         0, 16, TQDB_NO_COLUMNS,              nullptr};
const tqdb_table tqdb_tbl_video_loss =       {"video_loss",       sizeof(video_lost_record),       tqdb_key_kind::int_at, offsetof(video_lost_record, cam_id),   0, 64, TQDB_COLUMNS(video_loss_columns), nullptr};
const tqdb_table tqdb_tbl_network =          {"network",          sizeof(network_record),          tqdb_key_kind::single, 0,                                     0, 1,  TQDB_NO_COLUMNS,              factory_network};
const tqdb_table tqdb_tbl_multicast =        {"multicast",        sizeof(multicast_record),        tqdb_key_kind::single, 0,                                     0, 1,  TQDB_NO_COLUMNS,              nullptr};
const tqdb_table tqdb_tbl_time =             {"time",             sizeof(time_record),             tqdb_key_kind::single, 0,                                     0, 1,  TQDB_NO_COLUMNS,              factory_time};
const tqdb_table tqdb_tbl_pppoe =            {"pppoe",            sizeof(pppoe_record),            tqdb_key_kind::single, 0,                                     0, 1,  TQDB_NO_COLUMNS,              nullptr};
const tqdb_table tqdb_tbl_ddns =             {"ddns",             sizeof(ddns_record),             tqdb_key_kind::single, 0,                                     0, 1,  TQDB_NO_COLUMNS,              nullptr};
const tqdb_table tqdb_tbl_email =            {"email",            sizeof(email_record),            tqdb_key_kind::single, 0,                                     0, 1,  TQDB_NO_COLUMNS,              factory_email};
const tqdb_table tqdb_tbl_ssl_params =       {"ssl_params",       sizeof(ssl_params_record),       tqdb_key_kind::int_at, offsetof(ssl_params_record, index),   0, 0,  TQDB_NO_COLUMNS,              nullptr};
const tqdb_table tqdb_tbl_disk =             {"disk",             sizeof(disk_record),             tqdb_key_kind::int_at, offsetof(disk_record, port),           0, disk_record_rows, TQDB_NO_COLUMNS, factory_disk};
const tqdb_table tqdb_tbl_user =             {"user",             sizeof(user_record),             tqdb_key_kind::int_at, offsetof(user_record, id),             0, 100, TQDB_NO_COLUMNS,             user_factory_row};
const tqdb_table tqdb_tbl_user_oem =         {"user_oem",         sizeof(oem_user_record),         tqdb_key_kind::int_at, offsetof(oem_user_record, id),         0, 0,  TQDB_NO_COLUMNS,              nullptr};
const tqdb_table tqdb_tbl_record_schedule =  {"record_schedule",  sizeof(record_schedule),         tqdb_key_kind::int_at, offsetof(record_schedule, chn),        0, 64, TQDB_NO_COLUMNS,              nullptr};
const tqdb_table tqdb_tbl_holiday =          {"holiday",          sizeof(holiday_record),          tqdb_key_kind::int_at, offsetof(holiday_record, id),          0, 32, TQDB_NO_COLUMNS,              nullptr};
const tqdb_table tqdb_tbl_group =            {"disk_group",       sizeof(group_record),            tqdb_key_kind::int_at, offsetof(group_record, id),            0, group_record_rows, TQDB_NO_COLUMNS, nullptr};
const tqdb_table tqdb_tbl_esata_backup =     {"esata_auto_backup", sizeof(esata_backup_record),    tqdb_key_kind::single, 0,                                     0, 1,  TQDB_NO_COLUMNS,              nullptr};
const tqdb_table tqdb_tbl_alarm_out =        {"alarm_out",        sizeof(alarm_out_record),        tqdb_key_kind::int_at, offsetof(alarm_out_record, id),        0, alarm_out_count, TQDB_NO_COLUMNS, nullptr};
const tqdb_table tqdb_tbl_alarm_chn_in[cam_alarm_count] = {
    {"alarm_chn_in0", sizeof(alarm_chn_in_record), tqdb_key_kind::int_at, offsetof(alarm_chn_in_record, chnid), 0, alarm_channels, TQDB_NO_COLUMNS, factory_cam_alarm<alarm_chn_in_record, 0>},
    {"alarm_chn_in1", sizeof(alarm_chn_in_record), tqdb_key_kind::int_at, offsetof(alarm_chn_in_record, chnid), 0, alarm_channels, TQDB_NO_COLUMNS, factory_cam_alarm<alarm_chn_in_record, 1>},
};
const tqdb_table tqdb_tbl_alarm_chn_in_name[cam_alarm_count] = {
    {"alarm_chn_in_name0", sizeof(alarm_chn_in_name), tqdb_key_kind::int_at, offsetof(alarm_chn_in_name, chnid), 0, alarm_channels, TQDB_NO_COLUMNS, factory_cam_alarm<alarm_chn_in_name, 0>},
    {"alarm_chn_in_name1", sizeof(alarm_chn_in_name), tqdb_key_kind::int_at, offsetof(alarm_chn_in_name, chnid), 0, alarm_channels, TQDB_NO_COLUMNS, factory_cam_alarm<alarm_chn_in_name, 1>},
};
const tqdb_table tqdb_tbl_alarm_chn_out_name[cam_alarm_count] = {
    {"alarm_chn_out_name0", sizeof(alarm_chn_out_name), tqdb_key_kind::int_at, offsetof(alarm_chn_out_name, chnid), 0, alarm_channels, TQDB_COLUMNS(alarm_chn_out_name_columns), factory_cam_alarm<alarm_chn_out_name, 0>},
    {"alarm_chn_out_name1", sizeof(alarm_chn_out_name), tqdb_key_kind::int_at, offsetof(alarm_chn_out_name, chnid), 0, alarm_channels, TQDB_COLUMNS(alarm_chn_out_name_columns), factory_cam_alarm<alarm_chn_out_name, 1>},
};
const tqdb_table tqdb_tbl_ptz_port =         {"ptz_port",         sizeof(ptz_port_record),         tqdb_key_kind::int_at, offsetof(ptz_port_record, cam_id),     0, 64, TQDB_NO_COLUMNS,              factory_ptz_port};
const tqdb_table tqdb_tbl_ptz_speed =        {"ptz_speed",        sizeof(ptz_speed_record),        tqdb_key_kind::int_at, offsetof(ptz_speed_record, cam_id),    0, 64, TQDB_NO_COLUMNS,              factory_ptz_speed};
const tqdb_table tqdb_tbl_smart_event[smart_event_types] = {
    {"smart_event0", sizeof(event_action_record), tqdb_key_kind::int_at, offsetof(event_action_record, chnid), 0, smart_event_channels, TQDB_NO_COLUMNS, nullptr},
    {"smart_event1", sizeof(event_action_record), tqdb_key_kind::int_at, offsetof(event_action_record, chnid), 0, smart_event_channels, TQDB_NO_COLUMNS, nullptr},
    {"smart_event2", sizeof(event_action_record), tqdb_key_kind::int_at, offsetof(event_action_record, chnid), 0, smart_event_channels, TQDB_NO_COLUMNS, nullptr},
    {"smart_event3", sizeof(event_action_record), tqdb_key_kind::int_at, offsetof(event_action_record, chnid), 0, smart_event_channels, TQDB_NO_COLUMNS, nullptr},
    {"smart_event4", sizeof(event_action_record), tqdb_key_kind::int_at, offsetof(event_action_record, chnid), 0, smart_event_channels, TQDB_NO_COLUMNS, nullptr},
    {"smart_event5", sizeof(event_action_record), tqdb_key_kind::int_at, offsetof(event_action_record, chnid), 0, smart_event_channels, TQDB_NO_COLUMNS, nullptr},
    {"smart_event6", sizeof(event_action_record), tqdb_key_kind::int_at, offsetof(event_action_record, chnid), 0, smart_event_channels, TQDB_NO_COLUMNS, nullptr},
    {"smart_event7", sizeof(event_action_record), tqdb_key_kind::int_at, offsetof(event_action_record, chnid), 0, smart_event_channels, TQDB_NO_COLUMNS, nullptr},
    {"smart_event8", sizeof(event_action_record), tqdb_key_kind::int_at, offsetof(event_action_record, chnid), 0, smart_event_channels, TQDB_NO_COLUMNS, nullptr},
};
const tqdb_table tqdb_tbl_push_msg_event =   {"push_msg_event",   sizeof(push_msg_event_record),   tqdb_key_kind::int_at, offsetof(push_msg_event_record, channel), 0, 0, TQDB_NO_COLUMNS,           nullptr};
const tqdb_table tqdb_tbl_push_nvr_event =   {"push_nvr_event",   sizeof(push_nvr_event_record),   tqdb_key_kind::single, 0,                                     0, 1,  TQDB_NO_COLUMNS,              nullptr};
const tqdb_table tqdb_tbl_p2p_info =         {"p2p_info",         sizeof(p2p_record),              tqdb_key_kind::single, 0,                                     0, 1,  TQDB_NO_COLUMNS,              nullptr};
const tqdb_table tqdb_tbl_snmp =             {"snmp",             sizeof(snmp_record),             tqdb_key_kind::single, 0,                                     0, 1,  TQDB_NO_COLUMNS,              factory_snmp};
const tqdb_table tqdb_tbl_exposure =         {"exposure",         sizeof(exposure_record),         tqdb_key_kind::int_at, offsetof(exposure_record, chn),        0, 0,  TQDB_NO_COLUMNS,              nullptr};
const tqdb_table tqdb_tbl_snapshot =         {"snapshot",         sizeof(snapshot_record),         tqdb_key_kind::int_at, offsetof(snapshot_record, channel),    0, 64, TQDB_NO_COLUMNS,              nullptr};
const tqdb_table tqdb_tbl_cameraio =         {"cameraio",         sizeof(cam_trigger_record),      tqdb_key_kind::int_at, offsetof(cam_trigger_record, cam_id),  0, 0,  TQDB_NO_COLUMNS,              nullptr};
const tqdb_table tqdb_tbl_volumedetect =     {"volumedetect",     sizeof(cam_trigger_record),      tqdb_key_kind::int_at, offsetof(cam_trigger_record, cam_id),  0, 0,  TQDB_NO_COLUMNS,              nullptr};
const tqdb_table tqdb_tbl_trigger_alarms =   {"trigger_alarms",   sizeof(trigger_alarms_record),   tqdb_key_kind::single, 0,                                     0, 1,  TQDB_NO_COLUMNS,              nullptr};
const tqdb_table tqdb_tbl_display =          {"display",          sizeof(display_record),          tqdb_key_kind::single, 0,                                     0, 1,  TQDB_NO_COLUMNS,              factory_display};
const tqdb_table tqdb_tbl_disk_maintenance = {"disk_maintenance", sizeof(disk_maintenance_record), tqdb_key_kind::single, 0,                                     0, 1,  TQDB_NO_COLUMNS,              factory_disk_maintenance};
const tqdb_table tqdb_tbl_upnp =             {"upnp",             sizeof(upnp_record),             tqdb_key_kind::single, 0,                                     0, 1,  TQDB_NO_COLUMNS,              factory_upnp};
const tqdb_table tqdb_tbl_auto_restart =     {"auto_restart",     sizeof(auto_restart_record),     tqdb_key_kind::single, 0,                                     0, 1,  TQDB_NO_COLUMNS,              nullptr};
// clang-format on

// Every table, in any order; names must be unique.
const tqdb_table* const tqdb_tables[] = {
    &tqdb_tbl_camera,
    &tqdb_tbl_osd,
    &tqdb_tbl_ipc_model,
    &tqdb_tbl_ipc_protocol,
    &tqdb_tbl_privacy_mask,
    &tqdb_tbl_port,
    &tqdb_tbl_alarm_audio_file,
    &tqdb_tbl_record,
    &tqdb_tbl_motion,
    &tqdb_tbl_video_loss,
    &tqdb_tbl_alarm_in,
    &tqdb_tbl_network,
    &tqdb_tbl_multicast,
    &tqdb_tbl_time,
    &tqdb_tbl_pppoe,
    &tqdb_tbl_ddns,
    &tqdb_tbl_email,
    &tqdb_tbl_ssl_params,
    &tqdb_tbl_disk,
    &tqdb_tbl_user,
    &tqdb_tbl_user_oem,
    &tqdb_tbl_record_schedule,
    &tqdb_tbl_holiday,
    &tqdb_tbl_group,
    &tqdb_tbl_esata_backup,
    &tqdb_tbl_alarm_out,
    &tqdb_tbl_alarm_chn_in[0],
    &tqdb_tbl_alarm_chn_in[1],
    &tqdb_tbl_alarm_chn_in_name[0],
    &tqdb_tbl_alarm_chn_in_name[1],
    &tqdb_tbl_alarm_chn_out_name[0],
    &tqdb_tbl_alarm_chn_out_name[1],
    &tqdb_tbl_ptz_port,
    &tqdb_tbl_ptz_speed,
    &tqdb_tbl_smart_event[0],
    &tqdb_tbl_smart_event[1],
    &tqdb_tbl_smart_event[2],
    &tqdb_tbl_smart_event[3],
    &tqdb_tbl_smart_event[4],
    &tqdb_tbl_smart_event[5],
    &tqdb_tbl_smart_event[6],
    &tqdb_tbl_smart_event[7],
    &tqdb_tbl_smart_event[8],
    &tqdb_tbl_anpr_event[0],
    &tqdb_tbl_anpr_event[1],
    &tqdb_tbl_anpr_event[2],
    &tqdb_tbl_anpr_event[3],
    &tqdb_tbl_anpr_list,
    &tqdb_tbl_peoplecnt_settings,
    &tqdb_tbl_peoplecnt_event,
    &tqdb_tbl_pos,
    &tqdb_tbl_pos_event,
    &tqdb_tbl_face_event,
    &tqdb_tbl_regional_pcnt_event[0],
    &tqdb_tbl_regional_pcnt_event[1],
    &tqdb_tbl_regional_pcnt_event[2],
    &tqdb_tbl_regional_pcnt_event[3],
    &tqdb_tbl_push_msg_event,
    &tqdb_tbl_push_nvr_event,
    &tqdb_tbl_p2p_info,
    &tqdb_tbl_snmp,
    &tqdb_tbl_exposure,
    &tqdb_tbl_snapshot,
    &tqdb_tbl_cameraio,
    &tqdb_tbl_volumedetect,
    &tqdb_tbl_trigger_alarms,
    &tqdb_tbl_display,
    &tqdb_tbl_disk_maintenance,
    &tqdb_tbl_upnp,
    &tqdb_tbl_auto_restart,
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
