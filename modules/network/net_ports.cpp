// Service ports (SSH, HTTP, HTTPS, RTSP, POS), the per-channel access
// switch and the push-message settings. A changed port must not be one of
// the ports reserved for the PoE cameras nor one a socket already listens
// on; the same check guards the SNMP agent's port.
#include <climits>
#include <cstring>

#include "front/core_link.h"
#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/common/channels.h"
#include "modules/common/field_map.h"
#include "modules/network/net_services.h"
#include "modules/network/network.h"
#include "platform/msg_network.h"
#include "platform/net_listen.h"
#include "platform/tqdb/rec_services.h"
#include "platform/tqdb/rec_system.h"

namespace {

// The PoE cameras take 23001 and the ports after it, one per PoE port.
constexpr int poe_first_port = 23001;

bool poe_reserved(int port) {
    int poe_ports = get_param_int(TQDB_FILE, "max_poe_num", 0);
    if (poe_ports != 4 && poe_ports != 8 && poe_ports != 16) return false;
    return port >= poe_first_port && port < poe_first_port + poe_ports;
}

// The port record's members, in the order the page shows them. Ports are
// not negative; "servicePort" must come but is not taken here, and a left
// out "httpsPort" or "posPort" keeps the stored port.
using pr = port_record;
const field port_fields[] = {
    FM_INT(pr, "enableSsh", enable_ssh).range(0, 1).required(),
    FM_INT(pr, "sshPort", ssh_port).range(0, INT32_MAX).required(),
    FM_INT(pr, "httpPort", http_port).range(0, INT32_MAX).required(),
    FM_INT(pr, "httpsPort", https_port),
    FM_INT(pr, "rtspPort", rtsp_port).range(0, INT32_MAX).required(),
    FM_INT(pr, "servicePort", service_port).range(0, INT32_MAX).required().out_only(),
    FM_INT(pr, "posPort", pos_port),
};

// The ports a change checks, in order, with the answer a refused one gets.
struct checked_port {
    int32_t port_record::*port;
    const char* refusal;
};
const checked_port checked_ports[] = {
    {&port_record::ssh_port, "POE_Port_Error"},
    {&port_record::http_port, "POE_Port_Error"},
    {&port_record::https_port, "POE_Port_Error"},
    {&port_record::pos_port, "POS_Port_Error"},
};

const char* port_refusal(const port_record& stored, const port_record& wanted) {
    for (const checked_port& c : checked_ports)
        if (port_change_refused(stored.*c.port, wanted.*c.port)) return c.refusal;
    return nullptr;
}

// "enable_push_msg" holds 0 or 1; anything else reads and stores as 0.
int push_enable_of(int value) { return value == 1 ? 1 : 0; }

// The push types of the channels the request lists (at most "channel_num"
// of "pushTypeArr", and never past channel 63) and the two push parameters
// it names, in one transaction.
int store_push_types(json_object* req) {
    push_msg_event_record rows[channel_limit];
    int count = 0;
    json_object* types = req_array(req, "pushTypeArr");
    if (types) {
        size_t listed = json_object_array_length(types);
        int wanted = req_int_or(req, "channel_num", 0);
        for (int i = 0; i < wanted && static_cast<size_t>(i) < listed && i < channel_limit; ++i, ++count)
            rows[i] = {i, json_object_get_int(json_object_array_get_idx(types, i))};
    }
    return tqdb_atomic(TQDB_FILE, [&] {
        int push_type, alarm_in_type;
        if (req_int(req, "pushType", &push_type) && set_param_int(TQDB_FILE, "push_type", push_type) != 0)
            return -1;
        if (req_int(req, "PushTypeNvrAlarmIn", &alarm_in_type) &&
            set_param_int(TQDB_FILE, "pushmsg_alarmin_type", alarm_in_type) != 0)
            return -1;
        return count > 0 ? write_push_msg_events(TQDB_FILE, rows, count) : 0;
    });
}

// What follows the port check: the port record, the push switch, the
// recorder's push text and the push stream, all or nothing.
int store_ports(json_object* req, int push_enable, port_record& stored, port_record& wanted,
                const char*& refusal) {
    return tqdb_atomic(TQDB_FILE, [&] {
        if (load_port(TQDB_FILE, &stored) < 0) return -1;
        wanted = stored;
        fields_from_json(req, &wanted, port_fields);
        refusal = port_refusal(stored, wanted);
        if (refusal) return 1;
        if (write_port(TQDB_FILE, &wanted) != 0 ||
            set_param_int(TQDB_FILE, "enable_push_msg", push_enable) != 0)
            return -1;
        if (const char* text = req_str(req, "pushNvrPos")) {
            push_nvr_event_record event{};
            copy_text(event.event, sizeof event.event, text);
            if (write_push_msg_nvr_event(TQDB_FILE, &event) != 0) return -1;
        }
        int stream;
        if (req_int(req, "pushVideoStream", &stream) &&
            set_param_int(TQDB_FILE, "video_push_stream", stream) != 0)
            return -1;
        return 0;
    });
}

void notify_int(int32_t msg_id, int32_t value) { core_notify(network_reply, msg_id, sizeof value, &value); }

void notify_text(int32_t msg_id, const char* text, size_t width) {
    char payload[32] = {};
    copy_text(payload, width, text);
    core_notify(network_reply, msg_id, static_cast<int>(width), payload);
}

// The service ports the SNMP page shows, in its order.
const char* const snmp_page_ports[] = {"sshPort", "httpPort", "rtspPort", "httpsPort"};

void reply_param(const char* member, const char* key, int def) {
    json_ref obj(json_object_new_object());
    jadd_int(obj.get(), member, get_param_int(TQDB_FILE, key, def));
    cgi_reply_json(obj.get());
}

}  // namespace

void notify_settings_changed(const char* group) { notify_text(msg_network_changed, group, 32); }

bool add_service_ports(json_object* out) {
    port_record ports;
    if (load_port(TQDB_FILE, &ports) < 0) return false;
    for (const char* key : snmp_page_ports) field_to_json(out, &ports, *field_find(port_fields, key));
    return true;
}

bool port_change_refused(int stored, int wanted) {
    return wanted != stored && (poe_reserved(wanted) || net_port_listening(wanted) == 1);
}

void ports_show(request& rq) {
    port_record ports;
    push_nvr_event_record event;
    push_msg_event_record rows[channel_limit];
    int count = 0;
    if (load_port(TQDB_FILE, &ports) < 0 || load_push_msg_nvr_event(TQDB_FILE, &event) < 0 ||
        read_push_msg_events(TQDB_FILE, rows, &count) != 0)
        return rq.fail();
    int32_t push_types[channel_limit] = {};
    for (int i = 0; i < count; ++i)
        if (chn_ok(rows[i].channel)) push_types[rows[i].channel] = rows[i].value;

    json_ref obj(json_object_new_object());
    json_object* o = obj.get();
    fields_to_json(o, &ports, port_fields);
    jadd_int(o, "enable_access", get_param_int(TQDB_FILE, "ch_access", 0));
    json_object* types = json_object_new_array();
    for (int chn = 0, n = max_channels(); chn < n; ++chn)
        json_object_array_add(types, json_object_new_int(push_types[chn]));
    json_object_object_add(o, "PushTypeArr", types);
    jadd_int(o, "PushNvrAlarmInType", get_param_int(TQDB_FILE, "pushmsg_alarmin_type", 65535));
    jadd_int(o, "enableMsg", push_enable_of(get_param_int(TQDB_FILE, "enable_push_msg", 0)));
    jadd_int(o, "push_stream", get_param_int(TQDB_FILE, "video_push_stream", 0));
    jadd_field(o, "pushNvrPos", event.event, sizeof event.event);
    cgi_reply_json(o);
}

// The push settings and the access switch take effect before the port check,
// which may still refuse the ports; the rest is stored only when it passes.
void ports_store(request& rq) {
    json_object* req = rq.json;
    if (!fields_valid(req, port_fields) || !req_ints_in_range(req, {{"enableMsg", 0, INT_MAX}}))
        return rq.refuse("ports: a required member is missing or out of range");
    if (store_push_types(req) != 0) return rq.fail();
    int access;
    if (req_int(req, "enableAccess", &access) && access != get_param_int(TQDB_FILE, "ch_access", 0))
        notify_int(msg_channel_access, access);

    const int push_enable = push_enable_of(req_int_or(req, "enableMsg", 0));
    port_record stored, wanted;
    const char* refusal = nullptr;
    int rc = store_ports(req, push_enable, stored, wanted, refusal);
    if (refusal) return (void)cgi_reply(REPLY_TEXT, refusal);
    if (rc != 0) return rq.fail();

    if (wanted.pos_port != stored.pos_port) notify_int(msg_pos_port, wanted.pos_port);
    notify_text(msg_push_enable, push_enable ? "1" : "0", 10);
    oplog_send(204, 918);
    cgi_reply(REPLY_TEXT, "OK");
    notify_settings_changed("more");
    if (req_int_or(req, "needReboot", 0) != 0) {
        oplog_send(200, 900);
        core_notify(network_reply, msg_reboot_request, 0, nullptr);
    }
}

void access_show(request&) { reply_param("access", "ch_access", 0); }

void poe_ports_show(request&) { reply_param("max_poe_num", "max_poe_num", 0); }
