// Camera discovery and addressing: the network search, login tests, address
// changes of cameras found, the protocol table, the PoE facts and the IPv6
// capability.
#include "modules/camera/discovery.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <memory>

#include "front/json_req.h"
#include "front/reply.h"
#include "modules/camera/camera.h"
#include "modules/common/field_map.h"
#include "platform/tqdb/rec_ipc_protocol.h"
#include "platform/tqdb/tqdb.h"
#include "platform/tqnet.h"

namespace {

// ---- the search ------------------------------------------------------------------

using cs = cam_search_req;
const field search_fields[] = {
    FM_INT(cs, "protocol", protocol).range(0, 7).required(),
};

// An entry of the answer, members in the page's order. The page's list
// names "sn" once more after "name"; a JSON object holds a key once, so it
// stays at its first place.
using cf = cam_found;
const field found_fields[] = {
    FM_TEXT(cf, "ipAddr", ip_addr),
    FM_INT(cf, "managePort", manage_port),
    FM_INT(cf, "protocol", protocol),
    FM_TEXT(cf, "macAddr", mac),
    FM_TEXT(cf, "vendor", vendor),
    FM_TEXT(cf, "sn", sn),
    FM_TEXT(cf, "fwVersion", fw_version),
    FM_TEXT(cf, "model", model),
    FM_INT(cf, "modelId", model_id),
    FM_TEXT(cf, "netmask", netmask),
    FM_TEXT(cf, "dns", dns),
    FM_TEXT(cf, "gateway", gateway),
    FM_TEXT(cf, "netif", netif),
    FM_INT(cf, "active_status", active_status),
    FM_TEXT(cf, "name", name),
    FM_TEXT(cf, "snReal", sn_real),
};

// The page shows names in ASCII only: a name in another encoding is shown
// empty rather than as broken characters.
bool ascii_text(const char* text, size_t width) {
    for (size_t i = 0; i < width && text[i]; ++i)
        if (static_cast<unsigned char>(text[i]) >= 0x80) return false;
    return true;
}

// ---- login tests -------------------------------------------------------------------

using cl = cam_login;
const field login_fields[] = {
    FM_TEXT(cl, "ipAddr", ip_addr).required(),
    FM_INT(cl, "managePort", manage_port).range(0, INT32_MAX).required(),
    FM_TEXT(cl, "userName", user),
    FM_TEXT(cl, "password", password).chars(32),
    FM_INT(cl, "camProtocol", protocol).range(0, 7).required(),
};

bool login_has_address(json_object*, cam_login_test& t) { return t.login.ip_addr[0] != '\0'; }

// This test reaches the camera's web port: never below 80.
bool login_web_port(json_object*, cam_login_test_web& t) {
    t.login.manage_port = std::max(t.login.manage_port, 80);
    return t.login.ip_addr[0] != '\0';
}

const verdict login_verdicts[] = {
    {0, "OK"}, {1, "NETWORKERROR"}, {2, "USERERROR"}, {4, "OK"}, {5, "BANDWIDTHERROR"},
};

// ---- address changes ---------------------------------------------------------------

// One camera's change; a batch entry reads the same members, unchecked.
using ac = cam_address_change;
const field address_fields[] = {
    FM_TEXT(ac, "macAddr", mac).required(),
    FM_TEXT(ac, "oldIpcAddr", old_ip).required(),
    FM_TEXT(ac, "newIpcAddr", new_ip).required(),
    FM_TEXT(ac, "netmask", netmask).required(),
    FM_TEXT(ac, "gateway", gateway).required(),
    FM_TEXT(ac, "primaryDNS", dns).required(),
    FM_INT(ac, "port", port).range(0, 65535).required(),
    FM_TEXT(ac, "username", username).required(),
    FM_TEXT(ac, "password", password).chars(32).required(),
    FM_INT(ac, "protocol", protocol).range(0, 7).required(),
    FM_TEXT(ac, "netif", netif).chars(5),
};

using ab = cam_address_batch;
const field batch_fields[] = {
    FM_INT(ab, "channelId", channel),
    FM_INT(ab, "modifynum", modify_num),
};

const verdict address_verdicts[] = {
    {0, "OK"}, {1, "NETWORK_ERR"}, {2, "INVALID_USER"}, {3, "UNKNOWN_ERR"}, {4, "PROTO_NOT_SUPPORT"},
};

using ar = cam_address_result;
const field result_fields[] = {
    FM_TEXT(ar, "mac", mac),
    FM_INT(ar, "result", result),
};

// ---- the protocol table --------------------------------------------------------------

using ip = ipc_protocol_record;
const field protocol_fields[] = {
    FM_INT(ip, "id", id),
    FM_TEXT(ip, "name", name),
    FM_INT(ip, "protocolFunction", protocol_function),
    FM_INT(ip, "enable", enable),
    FM_INT(ip, "display_model", display_model),
};

using im = ipc_model_record;
const field model_fields[] = {
    FM_INT(im, "id", id),
    FM_TEXT(im, "name", name),
    FM_INT(im, "alarm_type", alarm_type),
    FM_INT(im, "default_model", default_model),
};

// Protocol 2 no longer offers its models: a table that still says so is
// put right when it is shown.
constexpr int32_t protocol_without_models = 2;

int reply_number(int n) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", n);
    return cgi_reply(REPLY_TEXT, text);
}

}  // namespace

// ---- relays ----------------------------------------------------------------------------

const relay<cam_search_req> cam_search_relay = {msg_cam_search, camera_reply, search_fields};
const relay<cam_address_change> cam_address_relay = {msg_cam_address_set, camera_reply, address_fields};
const relay<cam_login_test> cam_login_relay = {msg_cam_login_test, camera_reply, login_fields,
                                               offsetof(cam_login_test, login), login_has_address};
const relay<cam_login_test_web> cam_login_web_relay = {msg_cam_login_test_web, camera_reply, login_fields,
                                                       offsetof(cam_login_test_web, login), login_web_port};

// ---- handlers --------------------------------------------------------------------------

void cam_protocol_table(request& rq) {
    auto protocols = std::make_unique<ipc_protocol_record[]>(ipc_protocol_capacity);
    auto models = std::make_unique<ipc_model_record[]>(ipc_model_capacity);
    int protocol_count = 0;
    int model_count = 0;
    if (read_ipc_protocols(TQDB_FILE, protocols.get(), &protocol_count) != 0 ||
        read_ipc_models(TQDB_FILE, models.get(), &model_count) != 0)
        return rq.fail();
    for (int i = 0; i < protocol_count; ++i) {
        ipc_protocol_record& p = protocols[i];
        if (p.id != protocol_without_models || p.display_model != 1) continue;
        if (edit_ipc_protocol(TQDB_FILE, p.id, [](ipc_protocol_record& r) { r.display_model = 0; }) != 0)
            return rq.fail();
        p.display_model = 0;
    }
    json_ref reply(json_object_new_object());
    json_object* list = json_object_new_array();
    json_object_object_add(reply.get(), "protocols", list);
    for (int i = 0; i < protocol_count; ++i) {
        json_object* item = fields_object(&protocols[i], protocol_fields);
        json_object* own = json_object_new_array();
        for (int m = 0; m < model_count; ++m)
            if (models[m].protocol == protocols[i].id)
                json_object_array_add(own, fields_object(&models[m], model_fields));
        json_object_object_add(item, "models", own);
        json_object_array_add(list, item);
    }
    cgi_reply_json(reply.get());
}

void cam_poe_password(request&) {
    char password[64];
    get_param_value(TQDB_FILE, "poepsd", password, sizeof password, "kq5821");
    cgi_reply(REPLY_TEXT, password);
}

void cam_poe_ports(request&) { reply_number(get_param_int(TQDB_FILE, "max_poe_num", 0)); }
void cam_have_ipv6(request&) { reply_number(net_is_haveipv6()); }

// The results answer holds 64 entries: a batch has no more changes than that.
void cam_address_batch_set(request& rq) {
    json_object* list = req_array(rq.json, "oIPCAddr");
    const int cnt = req_int_or(rq.json, "cnt", 0);
    const size_t length = list ? json_object_array_length(list) : 0;
    const size_t count = std::min(length, static_cast<size_t>(in_use(cnt, cam_address_result_entries)));
    for (size_t i = 0; i < count; ++i) {
        json_object* entry = json_object_array_get_idx(list, i);
        if (!json_object_is_type(entry, json_type_object)) continue;
        cam_address_batch change{};
        fields_from_json(entry, &change.change, address_fields);
        fields_from_json(entry, &change, batch_fields);
        core_notify(camera_reply, msg_cam_address_batch, sizeof change, &change);
    }
    cgi_reply(REPLY_TEXT, "OK");
}

void cam_address_results_get(request&) {
    core_query(camera_reply, msg_cam_address_results, 0, nullptr, REPLY_JSON);
}

// ---- writers ----------------------------------------------------------------------------

// An answer without a whole entry is a search that found nothing.
int write_cam_search(const core_answer& answer) {
    json_ref reply(json_object_new_object());
    jadd_str(reply.get(), "resultString", answer.count > 0 ? "OK" : "NO");
    json_object* list = json_object_new_array();
    json_object_object_add(reply.get(), "IPC", list);
    for (uint32_t i = 0; i < answer.count; ++i) {
        const cam_found found = answer.rec<cam_found>(i);
        json_object* item = fields_object(&found, found_fields);
        if (!ascii_text(found.name, sizeof found.name)) jadd_str(item, "name", "");
        json_object_array_add(list, item);
    }
    cgi_reply_json(reply.get());
    return 1;
}

int write_address_verdict(const core_answer& answer) {
    return reply_verdict(answer, address_verdicts, "ERROR", "resultString");
}

int write_login_verdict(const core_answer& answer) {
    return reply_verdict(answer, login_verdicts, "UNKOWNERROR");
}

// The count may claim more entries than the 64 the answer holds.
int write_address_results(const core_answer& answer) {
    const cam_address_results results = answer.rec<cam_address_results>();
    json_ref reply(json_object_new_object());
    json_object_object_add(reply.get(), "IPC",
                           fields_array(results.entries, sizeof(cam_address_result),
                                        in_use(results.count, cam_address_result_entries), result_fields));
    cgi_reply_json(reply.get());
    return 1;
}
