// Camera channels: the live channel list, the channel names, one channel's
// connection settings, and adding, editing and deleting a camera.
//
// A change is stored first, whole, in one transaction: the channel's name and
// camera record together, read and written back inside it, so a change that
// fails leaves both as they were and two changes of one channel at once both
// take effect. Only then is the core daemon told which channel changed (so
// that it reconnects), the operation log gets an entry, and the answer is "OK".
#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <span>

#include "front/core_link.h"
#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/camera/camera.h"
#include "modules/common/channels.h"
#include "modules/common/field_map.h"
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
// An absent integer stores 0 (FM_ZERO_ABSENT); an absent text keeps the
// stored one.

using cr = camera_record;
// What an edit and an add take for every protocol.
const field settings_fields[] = {
    FM_INT(cr, "minorid", minor_id),
    FM_INT(cr, "enable", enable).range(0, 1).required(),
    FM_TEXT(cr, "ipAddr", ip_addr),
    FM_INT(cr, "managePort", manage_port),
    FM_INT(cr, "camProtocol", protocol).range(0, 7).required(),
    FM_INT(cr, "transmitProtocol", transmit_protocol).range(0, 2).required(),
    FM_INT(cr, "enableSubStream", sub_enable),
    FM_INT(cr, "syncTime", sync_time),
    FM_TEXT(cr, "ddns", ddns),
};
const field credential_fields[] = {
    FM_TEXT(cr, "userName", user_name),
    FM_TEXT(cr, "password", password),
};
// Only an RTSP camera takes these; other protocols keep the stored values.
const field rtsp_fields[] = {
    FM_INT(cr, "mainRtspPort", main_rtsp_port), FM_TEXT(cr, "mainSourcePath", main_src),
    FM_INT(cr, "subRtspPort", sub_rtsp_port),   FM_TEXT(cr, "subSourcePath", sub_src),
    FM_TEXT(cr, "mainrtspurl", main_url),       FM_TEXT(cr, "subrtspurl", sub_url),
};
// Only an add takes the PoE binding.
const field poe_fields[] = {
    FM_INT(cr, "poechannel", poe_channel),
    FM_INT(cr, "physicalport", physical_port),
};
const field transport_fields[] = {
    FM_INT(cr, "transmitProtocol", transmit_protocol),
    FM_INT(cr, "syncTime", sync_time),
};

// A channel's name: "name" of an add or edit, and the rows of "/2012".
const field name_fields[] = {
    FM_INT(osd_record, "id", cam_id).out_only(),
    FM_TEXT(osd_record, "name", cam_name),
};

// The checks of an add or edit request beyond its channel.
bool camera_request_ok(json_object* req) {
    if (!fields_valid(req, settings_fields) || !req_member(req, "name")) return false;
    if (req_int_or(req, "camProtocol", -1) == protocol_no_addr) return true;
    const char* addr = req_str(req, "ipAddr");
    return addr && *addr && req_ints_in_range(req, {{"managePort", 0, INT32_MAX}});
}

// ---- what "/2000" and "/2001" show ----------------------------------------------

// One channel as "/2000" shows it: its name, its camera record and the
// protocol of its camera model, side by side for one map.
struct channel_view {
    int32_t id;
    char name[sizeof osd_record::cam_name];
    int32_t model_protocol;
    camera_record cam;
};
using cv = channel_view;
const field channel_view_fields[] = {
    FM_INT(cv, "id", id),
    FM_TEXT(cv, "name", name),
    FM_TEXT(cv, "ipAddr", cam.ip_addr),
    FM_INT(cv, "managePort", cam.manage_port),
    FM_INT(cv, "protocol", model_protocol),
    FM_INT(cv, "model", cam.protocol),
    FM_TEXT(cv, "userName", cam.user_name),
    FM_TEXT(cv, "password", cam.password),
    FM_INT(cv, "transmitProtocol", cam.transmit_protocol),
    FM_INT(cv, "mainRtspPort", cam.main_rtsp_port),
    FM_TEXT(cv, "mainSourcePath", cam.main_src),
    FM_INT(cv, "subRtspEnable", cam.sub_enable),
    FM_INT(cv, "subRtspPort", cam.sub_rtsp_port),
    FM_TEXT(cv, "subSourcePath", cam.sub_src),
    FM_INT(cv, "syncTime", cam.sync_time),
    FM_TEXT(cv, "mainRtspUrl", cam.main_url),
    FM_TEXT(cv, "subRtspUrl", cam.sub_url),
    FM_INT(cv, "physicalport", cam.physical_port),
    FM_INT(cv, "poechannel", cam.poe_channel),
    FM_TEXT(cv, "mac_addr", cam.mac_addr),
    FM_INT(cv, "minorid", cam.minor_id),
    FM_TEXT(cv, "ddns", cam.ddns),
};

// One entry of the live list with what "/2001" adds to it: "enable" (always
// 1) and the channel's stored name.
struct channel_state {
    cam_status_entry e;
    int32_t enable;
    char name[sizeof osd_record::cam_name];
};
using cs = channel_state;
const field channel_state_fields[] = {
    FM_INT(cs, "id", e.id),
    FM_INT(cs, "enable", enable),
    FM_TEXT(cs, "name", name),
    FM_TEXT(cs, "ipAddr", e.ip_addr),
    FM_INT(cs, "managePort", e.manage_port),
    FM_INT(cs, "camProtocol", e.protocol),
    FM_TEXT(cs, "vendor", e.vendor),
    FM_TEXT(cs, "sn", e.sn),
    FM_TEXT(cs, "snReal", e.sn_real),
    FM_TEXT(cs, "mac", e.mac),
    FM_TEXT(cs, "model", e.model),
    FM_TEXT(cs, "fwVersion", e.fw_version),
    FM_INT(cs, "state", e.state),
    FM_INT(cs, "mainRtspPort", e.main_rtsp_port),
    FM_INT(cs, "physicalport", e.physical_port),
    FM_INT(cs, "poechannel", e.poe_channel),
    FM_INT(cs, "alarmin", e.alarm_in),
    FM_INT(cs, "alarmout", e.alarm_out),
    FM_INT(cs, "whiteLed", e.white_led),
    FM_INT(cs, "ledAlarm", e.led_alarm),
    FM_INT(cs, "ledManual", e.led_manual),
    FM_INT(cs, "minorid", e.minor_id),
    FM_INT(cs, "subState", e.sub_state),
    FM_INT(cs, "connectState", e.connect_state),
    FM_TEXT(cs, "ddns", e.ddns),
};

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
    int32_t notice;   // message carrying the channel
    bool poe_notice;  // followed by 1206 {channel, other PoE}
    int64_t log_sub_type;
    int log_parameter;
    bool log_detail;
};
const camera_change camera_added = {msg_camera_added, true, 210, 901, true};
const camera_change camera_changed = {msg_camera_changed, false, 204, 903, true};
const camera_change camera_deleted = {msg_camera_deleted, true, 211, 902, false};

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

// After a stored change: tells the core daemon, logs, and answers "OK".
void announce(const camera_record& cam, const camera_change& change, bool other_poe) {
    int32_t chn = cam.id;
    core_notify(camera_reply, change.notice, sizeof chn, &chn);
    if (change.poe_notice) {
        cam_poe_notice poe = {chn, other_poe ? 1 : 0};
        core_notify(camera_reply, msg_camera_poe, sizeof poe, &poe);
    }
    log_change(cam, change);
    cgi_reply(REPLY_TEXT, "OK");
}

// "/2003" and "/2004".
void save_camera(request& rq, bool adding) {
    json_object* req = rq.json;
    int chn = -1;
    if (!req_channel(req, "id", &chn) || !camera_request_ok(req)) return rq.refuse("camera settings");
    camera_record cam;
    int rc = tqdb_atomic(TQDB_FILE, [&] {
        int rc = edit_osd(TQDB_FILE, chn, [&](osd_record& osd) { fields_from_json(req, &osd, name_fields); });
        if (rc != 0) return rc;
        return edit_camera(TQDB_FILE, chn, [&](camera_record& c) {
            fields_from_json(req, &c, settings_fields, FM_ZERO_ABSENT);
            // An edit whose "type" is not 0 keeps the stored login.
            if (adding || req_int_or(req, "type", 0) == 0) fields_from_json(req, &c, credential_fields);
            if (c.protocol == protocol_rtsp) fields_from_json(req, &c, rtsp_fields, FM_ZERO_ABSENT);
            if (adding) {
                fields_from_json(req, &c, poe_fields, FM_ZERO_ABSENT);
                // The browser sends "(null)" for a camera without a known address.
                const char* mac = req_str(req, "mac_addr");
                copy_text(c.mac_addr, sizeof c.mac_addr, mac && std::strcmp(mac, "(null)") != 0 ? mac : "");
            }
            cam = c;
        });
    });
    if (rc != 0) return rq.fail();
    announce(cam, adding ? camera_added : camera_changed, req_int_or(req, "otherPoe", 0) == 1);
}

// "/2017" and "/2031": the members of fields into the channel's camera
// record, in one edit.
void change_camera(request& rq, int chn, std::span<const field> fields) {
    camera_record cam;
    int rc = edit_camera(TQDB_FILE, chn, [&](camera_record& c) {
        fields_from_json(rq.json, &c, fields, FM_ZERO_ABSENT);
        cam = c;
    });
    if (rc != 0) return rq.fail();
    announce(cam, camera_changed, false);
}

// Turns off every mask area of the channel's stored privacy masks; a channel
// without a stored record of its own is left alone. Part of the delete's
// transaction.
int clear_privacy_masks(int chn) {
    privacy_mask_record mask;
    if (read_privacy_mask(TQDB_FILE, &mask, chn) != 0 || mask.id != chn) return 0;
    for (privacy_mask_area& area : mask.areas) {
        area.enable = 0;
        area.start_x = 0;
        area.start_y = 0;
        area.area_width = 0;
        area.area_height = 0;
    }
    return write_privacy_mask(TQDB_FILE, &mask);
}

}  // namespace

// ---- the live list ("/2001", "/2007") ---------------------------------------------

void cam_channel_list(request&) { core_query(camera_reply, msg_camera_status, 0, nullptr, REPLY_JSON); }

int write_channel_list(const core_answer& answer) {
    size_t count = std::min<size_t>(answer.size / sizeof(cam_status_entry), channel_limit);
    json_ref reply(json_object_new_object());
    json_object* list = json_object_new_array();
    json_object_object_add(reply.get(), "IPC", list);
    for (size_t i = 0; i < count; ++i) {
        channel_state state = {answer.rec<cam_status_entry>(i), 1, ""};
        read_osd_name(TQDB_FILE, state.e.id, state.name, sizeof state.name);
        json_object_array_add(list, fields_object(&state, channel_state_fields));
    }
    jadd_int(reply.get(), "maxIPCNums", max_channels());
    cgi_reply_json(reply.get());
    return 1;
}

// ---- stored settings ----------------------------------------------------------------

void cam_channel_get(request& rq) {
    int chn = -1;
    if (!req_channel(rq.json, "chnid", &chn)) return rq.refuse("chnid");
    channel_view view;
    osd_record osd;
    ipc_model_record model;
    load_camera(TQDB_FILE, &view.cam, chn);
    load_osd(TQDB_FILE, &osd, chn);
    load_ipc_model(TQDB_FILE, &model, view.cam.protocol);
    view.id = chn;
    std::memcpy(view.name, osd.cam_name, sizeof view.name);
    view.model_protocol = model.protocol;
    json_ref reply(fields_object(&view, channel_view_fields));
    cgi_reply_json(reply.get());
}

void cam_channel_names(request&) {
    json_ref reply(json_object_new_object());
    json_object* list = json_object_new_array();
    json_object_object_add(reply.get(), "IPC", list);
    for (int chn = 0, n = max_channels(); chn < n; ++chn) {
        osd_record osd;
        load_osd(TQDB_FILE, &osd, chn);
        json_object_array_add(list, fields_object(&osd, name_fields));
    }
    cgi_reply_json(reply.get());
}

// ---- changes ------------------------------------------------------------------------

void cam_edit(request& rq) { save_camera(rq, false); }
void cam_add(request& rq) { save_camera(rq, true); }

void cam_delete(request& rq) {
    int chn = -1;
    if (!req_channel(rq.json, "chnid", &chn)) return rq.refuse("chnid");
    camera_record cam;
    int rc = tqdb_atomic(TQDB_FILE, [&] {
        int rc = clear_privacy_masks(chn);
        if (rc == 0)
            rc = edit_osd(TQDB_FILE, chn, [&](osd_record& osd) {
                std::snprintf(osd.cam_name, sizeof osd.cam_name, "CAM%d", chn + 1);
            });
        if (rc != 0) return rc;
        // Everything goes but the recording stream choice, which belongs to
        // the channel's recording settings.
        return edit_camera(TQDB_FILE, chn, [&](camera_record& c) {
            int32_t record_stream = c.record_stream;
            std::memset(&c, 0, sizeof c);
            c.id = chn;
            c.deleted = 1;
            c.enable = 0;
            c.record_stream = record_stream;
            cam = c;
        });
    });
    if (rc != 0) return rq.fail();
    announce(cam, camera_deleted, false);
}

void cam_set_credentials(request& rq) {
    int chn = -1;
    const char* user = req_str(rq.json, "userName");
    const char* pass = req_str(rq.json, "password");
    if (!req_channel(rq.json, "id", &chn) || !user || !*user || !pass || !*pass)
        return rq.refuse("id, userName or password");
    change_camera(rq, chn, credential_fields);
}

void cam_set_transport(request& rq) {
    int chn = -1;
    if (!req_channel(rq.json, "id", &chn)) return rq.refuse("id");
    change_camera(rq, chn, transport_fields);
}
