// Camera channels: the live channel list, the channel names, one channel's
// connection settings, and adding, editing and deleting a camera.
//
// A change is stored first; then the core daemon is told which channel
// changed (so that it reconnects), the operation log gets an entry, and the
// answer is "OK". Every record is read, changed and written back with its key
// set to the requested channel after the read, so a channel without a row can
// never be written over another one.
#include "modules/common/channels.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <span>

#include "front/core_link.h"
#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/camera/camera.h"
#include "platform/msg_camera.h"
#include "platform/oplog_record.h"
#include "platform/tqdb/rec_camera.h"
#include "platform/tqdb/rec_camera_mask.h"
#include "platform/tqdb/tqdb.h"
#include "platform/tqfs.h"

namespace {

// Protocol ids of the IPC protocol table that change what a request needs.
constexpr int32_t protocol_onvif = 0;
constexpr int32_t protocol_rtsp = 1;     // the only one with RTSP ports, paths and URLs
constexpr int32_t protocol_no_addr = 7;  // needs neither address nor port

// ---- request fields ---------------------------------------------------------

// A request member and the camera record field it fills. size 0: an int32
// field (an absent member stores 0); otherwise a text field of size bytes,
// cut to size - 1 characters (an absent member keeps the stored text).
struct cam_field {
    const char* key;
    size_t offset;
    size_t size;
};
#define CAM_INT(key, member) \
    { key, offsetof(camera_record, member), 0 }
#define CAM_TEXT(key, member) \
    { key, offsetof(camera_record, member), sizeof(camera_record::member) }

// What an edit and an add take for every protocol.
const cam_field settings_fields[] = {
    CAM_INT("minorid", minor_id),
    CAM_INT("enable", enable),
    CAM_TEXT("ipAddr", ip_addr),
    CAM_INT("managePort", manage_port),
    CAM_INT("camProtocol", protocol),
    CAM_INT("transmitProtocol", transmit_protocol),
    CAM_INT("enableSubStream", sub_enable),
    CAM_INT("syncTime", sync_time),
    CAM_TEXT("ddns", ddns),
};
const cam_field credential_fields[] = {
    CAM_TEXT("userName", user_name),
    CAM_TEXT("password", password),
};
// Only an RTSP camera takes these; other protocols keep the stored values.
const cam_field rtsp_fields[] = {
    CAM_INT("mainRtspPort", main_rtsp_port), CAM_TEXT("mainSourcePath", main_src),
    CAM_INT("subRtspPort", sub_rtsp_port),   CAM_TEXT("subSourcePath", sub_src),
    CAM_TEXT("mainrtspurl", main_url),       CAM_TEXT("subrtspurl", sub_url),
};
// Only an add takes the PoE binding.
const cam_field poe_fields[] = {
    CAM_INT("poechannel", poe_channel),
    CAM_INT("physicalport", physical_port),
};
const cam_field transport_fields[] = {
    CAM_INT("transmitProtocol", transmit_protocol),
    CAM_INT("syncTime", sync_time),
};

void take_fields(json_object* req, camera_record* cam, std::span<const cam_field> fields) {
    char* base = reinterpret_cast<char*>(cam);
    for (const cam_field& f : fields) {
        if (f.size == 0) {
            int32_t value = req_int_or(req, f.key, 0);
            std::memcpy(base + f.offset, &value, sizeof value);
        } else if (const char* text = req_str(req, f.key)) {
            copy_text(base + f.offset, f.size, text);
        }
    }
}

// An integer member that must be present and within [min, max].
// The checks of an add or edit request.
bool camera_request_ok(json_object* req) {
    if (!req_ints_in_range(
            req, {{"id", 0, 63}, {"enable", 0, 1}, {"camProtocol", 0, 7}, {"transmitProtocol", 0, 2}}) ||
        !req_member(req, "name"))
        return false;
    if (req_int_or(req, "camProtocol", -1) == protocol_no_addr) return true;
    const char* addr = req_str(req, "ipAddr");
    return addr && *addr && req_ints_in_range(req, {{"managePort", 0, INT32_MAX}});
}

// ---- records ------------------------------------------------------------------

// The stored records of channel chn (zeros where it has no row), keyed chn.
void load_camera(int chn, camera_record* cam) {
    std::memset(cam, 0, sizeof *cam);
    read_camera(TQDB_FILE, cam, chn);
    cam->id = chn;
}

void load_osd(int chn, osd_record* osd) {
    std::memset(osd, 0, sizeof *osd);
    read_osd(TQDB_FILE, osd, chn);
    osd->cam_id = chn;
}

// Turns off every mask area of the channel's stored privacy masks; a channel
// without a stored record of its own is left alone.
void clear_privacy_masks(int chn) {
    privacy_mask_record mask;
    std::memset(&mask, 0, sizeof mask);
    if (read_privacy_mask(TQDB_FILE, &mask, chn) != 0 || mask.id != chn) return;
    for (privacy_mask_area& area : mask.areas) {
        area.enable = 0;
        area.start_x = 0;
        area.start_y = 0;
        area.area_width = 0;
        area.area_height = 0;
    }
    write_privacy_mask(TQDB_FILE, &mask);
}

// ---- announcing a change --------------------------------------------------------

// The detail block of a camera's operation-log entry.
struct camera_log_detail {
    int32_t parameter;  // the entry's parameter code
    char ip_addr[64];
    int32_t manage_port;
    int32_t chan_no;  // channel + 1
    uint8_t zero[64];
    char protocol[16];   // "ONVIF", "RTSP", or "TQSF" for every other protocol
    char transport[16];  // "UDP", or "TCP" for every other transport
    uint8_t sync_time;
    uint8_t pad[3];
};
static_assert(sizeof(camera_log_detail) == 176);
static_assert(offsetof(camera_log_detail, manage_port) == 68);
static_assert(offsetof(camera_log_detail, chan_no) == 72);
static_assert(offsetof(camera_log_detail, protocol) == 140);
static_assert(offsetof(camera_log_detail, transport) == 156);
static_assert(offsetof(camera_log_detail, sync_time) == 172);

constexpr int log_detail_type = 111;

// What a change tells the core daemon and the operation log.
struct camera_change {
    int notice;       // message carrying the channel
    bool poe_notice;  // followed by 1206 {channel, other PoE}
    int64_t log_sub_type;
    int log_parameter;
    bool log_detail;
};
const camera_change camera_added = {MSG_CAMERA_ADDED, true, 210, 901, true};
const camera_change camera_changed = {MSG_CAMERA_CHANGED, false, 204, 903, true};
const camera_change camera_deleted = {MSG_CAMERA_DELETED, true, 211, 902, false};

void log_change(const camera_record& cam, const camera_change& change) {
    oplog_record rec;
    oplog_record_init(&rec);
    rec.sub_type = change.log_sub_type;
    rec.parameter_type = change.log_parameter;
    rec.chan_no = cam.id + 1;
    if (change.log_detail) {
        camera_log_detail detail;
        std::memset(&detail, 0, sizeof detail);
        detail.parameter = change.log_parameter;
        copy_text(detail.ip_addr, sizeof detail.ip_addr, cam.ip_addr);
        detail.manage_port = cam.manage_port;
        detail.chan_no = cam.id + 1;
        copy_text(detail.protocol, sizeof detail.protocol,
                  cam.protocol == protocol_onvif  ? "ONVIF"
                  : cam.protocol == protocol_rtsp ? "RTSP"
                                                  : "TQSF");
        copy_text(detail.transport, sizeof detail.transport, cam.transmit_protocol == 0 ? "UDP" : "TCP");
        detail.sync_time = static_cast<uint8_t>(cam.sync_time);
        tqfs_log_pack_detail(&rec, log_detail_type, &detail, sizeof detail);
    }
    oplog_send_record(&rec);
}

// Stores the camera record, tells the core daemon, logs, and answers "OK".
void commit_camera(const camera_record& cam, const camera_change& change, bool other_poe) {
    write_camera(TQDB_FILE, &cam);
    int32_t chn = cam.id;
    core_notify(camera_reply, change.notice, sizeof chn, &chn);
    if (change.poe_notice) {
        cam_poe_notice poe = {chn, other_poe ? 1 : 0};
        core_notify(camera_reply, MSG_CAMERA_POE, sizeof poe, &poe);
    }
    log_change(cam, change);
    cgi_reply(REPLY_TEXT, "OK");
}

// "/2003" and "/2004".
void save_camera(char* text, bool adding) {
    json_ref req = json_parse_object(text);
    if (!req || !camera_request_ok(req.get())) return;
    int chn = req_int_or(req, "id", -1);

    osd_record osd;
    load_osd(chn, &osd);
    copy_text(osd.cam_name, sizeof osd.cam_name, req_str(req, "name"));
    write_osd(TQDB_FILE, &osd);

    camera_record cam;
    load_camera(chn, &cam);
    take_fields(req.get(), &cam, settings_fields);
    // An edit whose "type" is not 0 keeps the stored login.
    if (adding || req_int_or(req, "type", 0) == 0) take_fields(req.get(), &cam, credential_fields);
    if (cam.protocol == protocol_rtsp) take_fields(req.get(), &cam, rtsp_fields);
    if (adding) {
        take_fields(req.get(), &cam, poe_fields);
        // The browser sends "(null)" for a camera without a known address.
        const char* mac = req_str(req, "mac_addr");
        copy_text(cam.mac_addr, sizeof cam.mac_addr, mac && std::strcmp(mac, "(null)") != 0 ? mac : "");
    }
    commit_camera(cam, adding ? camera_added : camera_changed, req_int_or(req, "otherPoe", 0) == 1);
}

// The channel of a request {"chnid": n}, or -1 when it is missing or not 0..63.
int request_channel(const char* text) {
    json_ref req = json_parse_object(text);
    int chn = -1;
    if (!req_int(req, "chnid", &chn) || !chn_ok(chn)) return -1;
    return chn;
}

}  // namespace

// ---- the live list ("/2001", "/2007") ---------------------------------------------

void cam_channel_list(request&) { core_query(camera_reply, MSG_CAMERA_STATUS, 0, nullptr, REPLY_JSON); }

void write_channel_list(const void* payload, uint32_t size) {
    if (!core_reply_claim()) return;
    const auto* bytes = static_cast<const unsigned char*>(payload);
    size_t count = std::min<size_t>(size / sizeof(cam_status_entry), 64);
    json_ref reply(json_object_new_object());
    json_object* list = json_object_new_array();
    json_object_object_add(reply.get(), "IPC", list);
    for (size_t i = 0; i < count; ++i) {
        cam_status_entry e;
        std::memcpy(&e, bytes + i * sizeof e, sizeof e);
        char name[64] = "";
        read_osd_name(TQDB_FILE, e.id, name, sizeof name);
        json_object* o = json_object_new_object();
        jadd_int(o, "id", e.id);
        jadd_int(o, "enable", 1);
        jadd_str(o, "name", name);
        jadd_field(o, "ipAddr", e.ip_addr, sizeof e.ip_addr);
        jadd_int(o, "managePort", e.manage_port);
        jadd_int(o, "camProtocol", e.protocol);
        jadd_field(o, "vendor", e.vendor, sizeof e.vendor);
        jadd_field(o, "sn", e.sn, sizeof e.sn);
        jadd_field(o, "snReal", e.sn_real, sizeof e.sn_real);
        jadd_field(o, "mac", e.mac, sizeof e.mac);
        jadd_field(o, "model", e.model, sizeof e.model);
        jadd_field(o, "fwVersion", e.fw_version, sizeof e.fw_version);
        jadd_int(o, "state", e.state);
        jadd_int(o, "mainRtspPort", e.main_rtsp_port);
        jadd_int(o, "physicalport", e.physical_port);
        jadd_int(o, "poechannel", e.poe_channel);
        jadd_int(o, "alarmin", e.alarm_in);
        jadd_int(o, "alarmout", e.alarm_out);
        jadd_int(o, "whiteLed", e.white_led);
        jadd_int(o, "ledAlarm", e.led_alarm);
        jadd_int(o, "ledManual", e.led_manual);
        jadd_int(o, "minorid", e.minor_id);
        jadd_int(o, "subState", e.sub_state);
        jadd_int(o, "connectState", e.connect_state);
        jadd_field(o, "ddns", e.ddns, sizeof e.ddns);
        json_object_array_add(list, o);
    }
    jadd_int(reply.get(), "maxIPCNums", max_channels());
    cgi_reply_json(reply.get());
    core_reply_done(1);
}

// ---- stored settings ----------------------------------------------------------------

void cam_channel_get(request& rq) {
    char* text = rq.text;
    int chn = request_channel(text);
    if (chn < 0) {
        cgi_reply_error(REPLY_JSON);
        return;
    }
    osd_record osd;
    load_osd(chn, &osd);
    camera_record cam;
    load_camera(chn, &cam);
    ipc_model_record model;
    std::memset(&model, 0, sizeof model);
    read_ipc_model(TQDB_FILE, &model, cam.protocol);

    json_ref o(json_object_new_object());
    json_object* r = o.get();
    jadd_int(r, "id", chn);
    jadd_field(r, "name", osd.cam_name, sizeof osd.cam_name);
    jadd_field(r, "ipAddr", cam.ip_addr, sizeof cam.ip_addr);
    jadd_int(r, "managePort", cam.manage_port);
    jadd_int(r, "protocol", model.protocol);
    jadd_int(r, "model", cam.protocol);
    jadd_field(r, "userName", cam.user_name, sizeof cam.user_name);
    jadd_field(r, "password", cam.password, sizeof cam.password);
    jadd_int(r, "transmitProtocol", cam.transmit_protocol);
    jadd_int(r, "mainRtspPort", cam.main_rtsp_port);
    jadd_field(r, "mainSourcePath", cam.main_src, sizeof cam.main_src);
    jadd_int(r, "subRtspEnable", cam.sub_enable);
    jadd_int(r, "subRtspPort", cam.sub_rtsp_port);
    jadd_field(r, "subSourcePath", cam.sub_src, sizeof cam.sub_src);
    jadd_int(r, "syncTime", cam.sync_time);
    jadd_field(r, "mainRtspUrl", cam.main_url, sizeof cam.main_url);
    jadd_field(r, "subRtspUrl", cam.sub_url, sizeof cam.sub_url);
    jadd_int(r, "physicalport", cam.physical_port);
    jadd_int(r, "poechannel", cam.poe_channel);
    jadd_field(r, "mac_addr", cam.mac_addr, sizeof cam.mac_addr);
    jadd_int(r, "minorid", cam.minor_id);
    jadd_field(r, "ddns", cam.ddns, sizeof cam.ddns);
    cgi_reply_json(r);
}

void cam_channel_names(request&) {
    json_ref reply(json_object_new_object());
    json_object* list = json_object_new_array();
    json_object_object_add(reply.get(), "IPC", list);
    for (int chn = 0, n = max_channels(); chn < n; ++chn) {
        osd_record osd;
        load_osd(chn, &osd);
        json_object* o = json_object_new_object();
        jadd_int(o, "id", chn);
        jadd_field(o, "name", osd.cam_name, sizeof osd.cam_name);
        json_object_array_add(list, o);
    }
    cgi_reply_json(reply.get());
}

// ---- changes ------------------------------------------------------------------------

void cam_edit(request& rq) {
    char* text = rq.text;
    save_camera(text, false);
}
void cam_add(request& rq) {
    char* text = rq.text;
    save_camera(text, true);
}

void cam_delete(request& rq) {
    char* text = rq.text;
    int chn = request_channel(text);
    if (chn < 0) {
        cgi_reply_error(REPLY_JSON);
        return;
    }
    clear_privacy_masks(chn);

    osd_record osd;
    load_osd(chn, &osd);
    std::snprintf(osd.cam_name, sizeof osd.cam_name, "CAM%d", chn + 1);
    write_osd(TQDB_FILE, &osd);

    // Everything goes but the recording stream choice, which belongs to the
    // channel's recording settings.
    camera_record cam;
    load_camera(chn, &cam);
    int32_t record_stream = cam.record_stream;
    std::memset(&cam, 0, sizeof cam);
    cam.id = chn;
    cam.deleted = 1;
    cam.enable = 0;
    cam.record_stream = record_stream;
    commit_camera(cam, camera_deleted, false);
}

void cam_set_credentials(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    int chn = -1;
    const char* user = req_str(req, "userName");
    const char* pass = req_str(req, "password");
    if (!req_int(req, "id", &chn) || !chn_ok(chn) || !user || !*user || !pass || !*pass) return;
    camera_record cam;
    load_camera(chn, &cam);
    take_fields(req.get(), &cam, credential_fields);
    commit_camera(cam, camera_changed, false);
}

void cam_set_transport(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    int chn = -1;
    if (!req_int(req, "id", &chn) || !chn_ok(chn)) return;
    camera_record cam;
    load_camera(chn, &cam);
    take_fields(req.get(), &cam, transport_fields);
    commit_camera(cam, camera_changed, false);
}
