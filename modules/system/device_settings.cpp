// The general settings pages. Each reads or writes a stored record or
// parameter and tells the core daemon what changed, without waiting; only
// the device information comes from the daemon.
#include "modules/system/device_settings.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/common/field_map.h"
#include "modules/system/system.h"
#include "platform/msg_device.h"
#include "platform/msg_maintenance.h"
#include "platform/msg_network.h"
#include "platform/tqdb/rec_device.h"
#include "platform/tqdb/rec_network.h"
#include "platform/tqdb/rec_system.h"
#include "platform/tqstd.h"

namespace {

void notify(int32_t msg_id, const void* payload, size_t size) {
    core_notify(system_reply, msg_id, static_cast<int>(size), payload);
}
void notify_int(int32_t msg_id, int32_t value) { notify(msg_id, &value, sizeof value); }
void notify_host_name() {
    char group[32] = "hostname";
    notify(msg_network_changed, group, sizeof group);
}

std::string param_text(const char* key, int size, const char* def) {
    char buf[64];
    get_param_value(TQDB_FILE, key, buf, size < 64 ? size : 64, def);
    return buf;
}
// A text parameter the page shows as a number.
int param_text_int(const char* key, const char* def) { return std::atoi(param_text(key, 32, def).c_str()); }

std::string uptime_text() {
    pid_t pid = 0;
    FILE* f = tq_vpopen("uptime", "r", &pid);
    if (!f) return "";
    char buf[65] = "";
    size_t n = std::fread(buf, 1, 64, f);
    buf[n] = '\0';
    tq_vpclose(f, pid);
    return uptime_shown(buf);
}

// ---- retention ------------------------------------------------------------------

bool retention_value_ok(json_object* req, const char* key) {
    int v = req_int_or(req, key, 0);
    return v == -1 || v == 0 || v == 1 || (v >= 2 && v <= 12 && v % 2 == 0);
}
bool retention_ok(json_object* req) {
    return retention_value_ok(req, "logRetention") && retention_value_ok(req, "photoRetention");
}

// A stored change whose notice carries the stored record itself.
template <int32_t Msg>
void notice_with_record(request&, const void* rec, int) {
    if constexpr (Msg == msg_retention)
        notify(Msg, rec, sizeof(disk_maintenance_record));
    else
        notify(Msg, rec, sizeof(auto_restart_record));
    cgi_reply(REPLY_TEXT, "OK");
}

using dm = disk_maintenance_record;
const field retention_fields[] = {
    FM_INT(dm, "logRetention", log_retention),
    FM_INT(dm, "photoRetention", photo_retention),
};

// ---- UPnP -------------------------------------------------------------------------

using up = upnp_record;
const field upnp_fields[] = {
    FM_INT(up, "enable", enable),
    FM_INT(up, "type", type),
    FM_INT(up, "external_http_port", external_http_port),
    FM_INT(up, "http_status", http_status).out_only(),
    FM_INT(up, "external_rtsp_port", external_rtsp_port),
    FM_INT(up, "rtsp_status", rtsp_status).out_only(),
};

bool upnp_local_ports(json_object* reply, const void*) {
    port_record ports;
    if (load_port(TQDB_FILE, &ports) < 0) return false;
    jadd_int(reply, "http_port", ports.http_port);
    jadd_int(reply, "rtsp_port", ports.rtsp_port);
    return true;
}

// ---- automatic restart ------------------------------------------------------------

using ar = auto_restart_record;
const field auto_restart_fields[] = {
    FM_INT(ar, "enable", enable),   FM_INT(ar, "wday", wday),       FM_INT(ar, "hour", hour),
    FM_INT(ar, "minutes", minutes), FM_INT(ar, "seconds", seconds),
};

// ---- display ----------------------------------------------------------------------

using dr = display_record;
// The members of the display record that a change takes as they come.
const field display_fields[] = {
    FM_INT(dr, "mainResolution", main_resolution).required(),
    FM_INT(dr, "hdmiAudioOn", hdmi_audio).range(0, 1),
    FM_INT(dr, "curControl", cur_control).out_only(),
    FM_INT(dr, "subEnable", sub_enable).range(0, 1).out_only(),
    FM_INT(dr, "subResolution", sub_resolution).required(),
    FM_INT(dr, "audioOutputOn", audio_output).range(0, 1),
    // Negative volumes are no volumes: only 0..100.
    FM_INT(dr, "audioVolume", audio_volume).range(0, 100),
    FM_INT(dr, "audioStereo", audio_stereo).in_only(),
};

bool display_request_ok(json_object* req) {
    if (!fields_valid(req, display_fields) || req_int_or(req, "audioVolume", 0) % 10 != 0) return false;
    int deviceid = req_int_or(req, "deviceId", 0);
    for (const char* key : {"wizardEnable", "displayMode", "subEnable"}) {
        int v = req_int_or(req, key, 0);
        if (v != 0 && v != 1) return false;
    }
    return req_member(req, "hostname") && deviceid >= 0 && deviceid <= 256;
}

struct display_change {
    display_record before{};
    display_record after{};
    bool homologous_changed = false;
};

int store_display(json_object* req, display_change& c) {
    return tqdb_atomic(TQDB_FILE, [&] {
        if (load_display(TQDB_FILE, &c.before) < 0) return -1;
        c.after = c.before;
        fields_from_json(req, &c.after, display_fields, FM_ZERO_ABSENT);
        if (c.homologous_changed) {
            int homologous = req_int_or(req, "homologous", 0);
            c.after.sub_enable = homologous == 0 ? 1 : 0;
            if (set_param_int(TQDB_FILE, "homologous", homologous) != 0 ||
                set_param_int(TQDB_FILE, "quick_screen", c.after.sub_enable) != 0)
                return -1;
        }
        if (write_display(TQDB_FILE, &c.after) != 0) return -1;
        int rc = edit_network(TQDB_FILE, [&](network_record& net) {
            req_text(req, "hostname", net.host_name, sizeof net.host_name, 127);
            return 0;
        });
        if (rc != 0) return -1;
        const struct {
            const char* param;
            const char* member;
        } params[] = {{"deviceid", "deviceId"},
                      {"wizard_enable", "wizardEnable"},
                      {"display_mode", "displayMode"},
                      {"hdmihotplug", "hdmihotplug"},
                      {"stream_information", "streamInfo"}};
        for (const auto& p : params)
            if (set_param_int(TQDB_FILE, p.param, req_int_or(req, p.member, 0)) != 0) return -1;
        return 0;
    });
}

}  // namespace

const record_page retention_page = {
    .table = tqdb_tbl_disk_maintenance,
    .fields = retention_fields,
    .options = FM_ZERO_ABSENT,
    .check = retention_ok,
    .answer = notice_with_record<msg_retention>,
};

const record_page upnp_page = {
    .table = tqdb_tbl_upnp,
    .fields = upnp_fields,
    .extend = upnp_local_ports,
};

const record_page auto_restart_page = {
    .table = tqdb_tbl_auto_restart,
    .fields = auto_restart_fields,
    .options = FM_ZERO_ABSENT,
    .answer = notice_with_record<msg_auto_restart>,
};

std::string uptime_shown(const std::string& line) {
    std::string text = line.substr(0, line.find('\n'));
    size_t users = text.find("users");
    if (users != std::string::npos) return text.substr(0, users >= 5 ? users - 5 : 0);
    size_t l = text.find('l');
    if (l != std::string::npos) return text.substr(0, l >= 2 ? l - 2 : 0);
    return text;
}

void device_info_show(request&) { core_query(system_reply, msg_device_info, 0, nullptr, REPLY_JSON); }

int write_device_info(const core_answer& answer) {
    auto info = answer.rec<device_info>();
    json_object* o = json_object_new_object();
    jadd_str(o, "hostName", "");
    jadd_field(o, "deviceName", info.device_name, sizeof info.device_name);
    jadd_int(o, "deviceId", info.device_no);
    jadd_field(o, "product", info.device_name, sizeof info.device_name);
    jadd_field(o, "hwver", info.hardware, sizeof info.hardware);
    jadd_field(o, "software", info.software, sizeof info.software);
    jadd_int(o, "oemversion", info.oem_version);
    jadd_field(o, "sn", info.serial, sizeof info.serial);
    jadd_field(o, "prefix", info.prefix, sizeof info.prefix);
    jadd_str(o, "pluginVersion", param_text("plugin_version", 32, "1.0").c_str());
    jadd_str(o, "mpluginVersion", param_text("mplugin_version", 32, "1.0").c_str());
    jadd_field(o, "macAddress", info.mac, sizeof info.mac);
    jadd_int(o, "tqddns", info.maker_ddns);
    jadd_str(o, "uptime", uptime_text().c_str());
    jadd_field(o, "sncode", info.serial, sizeof info.serial);
    json_object* res = json_object_new_object();
    jadd_int(res, "displayNum", info.displays);
    jadd_int(res, "maxAudioOut", info.audio_outputs);
    jadd_int(res, "maxNetworkLan", info.network_ports);
    jadd_int(res, "maxSensor", info.sensors);
    jadd_int(res, "maxAlarm", info.alarm_outputs);
    jadd_int(res, "maxCameras", info.max_cameras);
    jadd_int(res, "masRs485", info.rs485_ports);
    json_object_object_add(o, "resource", res);
    jadd_int(o, "tqfsDbup", get_param_int(TQDB_FILE, "tqfs_dbup", 0));
    jadd_int(o, "transProtocol", get_param_int(TQDB_FILE, "transport_protocol", 0));
    jadd_int(o, "streamInfo", get_param_int(TQDB_FILE, "stream_information", 0));
    jadd_int(o, "oemonlineupdate", get_param_int(TQDB_FILE, "oemupdateonline", 0));
    jadd_str(o, "company", param_text("company", 64, "Velartica").c_str());
    jadd_int(o, "isSupportTalk", info.talk);
    cgi_reply_json(o);
    json_object_put(o);
    return 1;
}

void device_name_store(request& rq) {
    const char* host = req_str(rq.json, "hostName");
    int id = 0;
    if (!host || !*host || !req_int(rq.json, "deviceId", &id) || id < 1 || id > 255)
        return rq.refuse("hostName or deviceId");
    int rc = tqdb_atomic(TQDB_FILE, [&] {
        int r = edit_network(TQDB_FILE, [&](network_record& net) {
            copy_text(net.host_name, sizeof net.host_name, host, 127);
            return 0;
        });
        return r != 0 ? -1 : set_param_int(TQDB_FILE, "deviceid", id);
    });
    if (rc != 0) return rq.fail();
    notify_int(msg_device_number, id);
    notify_host_name();
    cgi_reply(REPLY_TEXT, "OK");
}

void device_log_cleared(request&) {
    oplog_send(202, 900);
    cgi_reply(REPLY_TEXT, "OK");
}

void device_dbup_clear(request& rq) {
    if (set_param_int(TQDB_FILE, "tqfs_dbup", 0) != 0) return rq.fail();
    cgi_reply(REPLY_TEXT, "OK");
}

void upnp_change(request& rq) {
    upnp_record rec;
    if (load_upnp(TQDB_FILE, &rec) < 0) return rq.fail();
    fields_from_json(rq.json, &rec, upnp_fields, FM_ZERO_ABSENT);
    notify(msg_upnp_changed, &rec, sizeof rec);
    cgi_reply(REPLY_TEXT, "OK");
}

void display_show(request& rq) {
    display_record d;
    network_record net;
    if (load_display(TQDB_FILE, &d) < 0 || load_network(TQDB_FILE, &net) < 0) return rq.fail();
    json_object* o = json_object_new_object();
    jadd_int(o, "displayMode", param_text_int("display_mode", "0"));
    jadd_int(o, "hdmihotplug", param_text_int("hdmihotplug", "1"));
    field_to_json(o, &d, *field_find(display_fields, "mainResolution"));
    field_to_json(o, &d, *field_find(display_fields, "hdmiAudioOn"));
    jadd_int(o, "homologous", get_param_int(TQDB_FILE, "homologous", 1));
    for (const char* key : {"curControl", "subEnable", "subResolution", "audioOutputOn", "audioVolume"})
        field_to_json(o, &d, *field_find(display_fields, key));
    jadd_int(o, "deviceId", param_text_int("deviceid", "255"));
    jadd_field(o, "hostname", net.host_name, sizeof net.host_name);
    jadd_int(o, "wizardEnable", param_text_int("wizard_enable", "0"));
    cgi_reply_json(o);
    json_object_put(o);
}

void display_store(request& rq) {
    if (!display_request_ok(rq.json)) return rq.refuse("a display member is missing or out of range");
    display_change c;
    c.homologous_changed = req_int_or(rq.json, "isHomologousChanged", 0) != 0;
    if (store_display(rq.json, c) != 0) return rq.fail();
    const int sub_enable = req_int_or(rq.json, "subEnable", 0);
    if (c.after.sub_enable != sub_enable && c.before.cur_control == 0 && !c.homologous_changed)
        notify_int(msg_display_sub_enable, sub_enable);
    notify_int(msg_device_number, req_int_or(rq.json, "deviceId", 0));
    notify_host_name();
    if (c.after.main_resolution != c.before.main_resolution ||
        c.after.sub_resolution != c.before.sub_resolution) {
        display_resolution_notice main_out{0, c.after.main_resolution}, sub_out{1, c.after.sub_resolution};
        notify(msg_display_resolution, &main_out, sizeof main_out);
        notify(msg_display_resolution, &sub_out, sizeof sub_out);
        notify(msg_display_reset, nullptr, 0);
    }
    display_audio_notice audio{c.after.hdmi_audio, c.after.audio_output, c.after.audio_volume};
    notify(msg_display_audio, &audio, sizeof audio);
    oplog_send(204, 913);
    cgi_reply(REPLY_TEXT, c.before.cur_control != 0 ? "SUB" : "OK");
    if (c.homologous_changed) notify(msg_restart, nullptr, 0);
}

void device_probe(request&) { core_query(system_reply, msg_device_probe, 0, nullptr, REPLY_JSON); }

int write_device_probe(const core_answer& answer) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", answer.rec<int32_t>());
    cgi_reply(REPLY_TEXT, text);
    return 1;
}

void device_probe_clear(request&) {
    notify(msg_device_probe_clear, nullptr, 0);
    cgi_reply(REPLY_TEXT, "OK");
}
