// Wired network configuration: the two interfaces separately or bonded,
// IPv4 and IPv6 addressing, DNS, MTU and the default route. Settings are
// stored in the network record and handed to the core daemon, which applies
// them; nothing here configures an interface.
#include "front/bare_number.h"
#include "front/core_link.h"
#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/common/field_map.h"
#include "modules/common/record_page.h"
#include "modules/network/network.h"
#include "platform/msg_network.h"
#include "platform/tqdb/rec_network.h"
#include "platform/tqnet.h"

#include <cctype>
#include <cstddef>
#include <cstdio>
#include <cstring>

namespace {

// ---- the fields of one interface -----------------------------------------------

// Rows of the interface maps, in this order in both.
enum iface_item {
    i_enable, i_type, i_ip, i_mask, i_gateway, i_dns1, i_dns2, i_mtu, i_ip6_type, i_ip6_addr,
    i_ip6_mask, i_ip6_gateway,
    i_mac,       // reply only: the interface's hardware address
    i_ip6_keys,  // reply only: address, prefix and gateway, stored or live
};

using ni = network_iface;
// The keys of interface 1 (eth0, or the bond) and of interface 2 (eth1).
const field iface_fields[2][i_ip6_gateway + 1] = {
    {
        FM_INT(ni, "enableNetwork1", enable),
        FM_INT(ni, "networkType", network_type),
        FM_TEXT(ni, "ipAddr", ip_addr),
        FM_TEXT(ni, "netmask", netmask),
        FM_TEXT(ni, "gateway", gateway),
        FM_TEXT(ni, "DNS1", dns1),
        FM_TEXT(ni, "DNS2", dns2),
        FM_INT(ni, "mtu", mtu),
        FM_INT(ni, "ip6networkType", ip6_network_type),
        FM_TEXT(ni, "ip6Addr", ip6_addr),
        FM_TEXT(ni, "ip6netmask", ip6_netmask),
        FM_TEXT(ni, "ip6gateway", ip6_gateway),
    },
    {
        FM_INT(ni, "enableNetwork2", enable),
        FM_INT(ni, "networkType2", network_type),
        FM_TEXT(ni, "ipAddr2", ip_addr),
        FM_TEXT(ni, "netmask2", netmask),
        FM_TEXT(ni, "gateway2", gateway),
        FM_TEXT(ni, "DNS12", dns1),
        FM_TEXT(ni, "DNS22", dns2),
        FM_INT(ni, "mtu2", mtu),
        FM_INT(ni, "ip6networkType2", ip6_network_type),
        FM_TEXT(ni, "ip6Addr2", ip6_addr),
        FM_TEXT(ni, "ip6netmask2", ip6_netmask),
        FM_TEXT(ni, "ip6gateway2", ip6_gateway),
    },
};
const char* const mac_keys[2] = {"macAddr", "macAddr2"};

constexpr int ip6_type_no_gateway = 2;

// Takes interface n's keys from the request. An absent integer stores 0; an
// absent text keeps what is stored (an empty or "(null)" address would take
// the recorder off the network). The IPv6 type comes before the gateway, so
// the gateway test sees the new type.
void iface_from_request(json_object* req, int n, network_iface& e) {
    std::span<const field> map = iface_fields[n];
    fields_from_json(req, &e, map.first(i_ip6_gateway), FM_ZERO_ABSENT);
    if (e.ip6_network_type != ip6_type_no_gateway) field_from_json(req, &e, map[i_ip6_gateway]);
}

// ---- showing ---------------------------------------------------------------------

// The IPv6 address, prefix and gateway of interface n: the stored ones for a
// static setting (type 0, or type 1 with address and prefix stored), else
// what the interface has now; keys whose live query fails are left out.
void add_ipv6_keys(json_object* obj, const network_iface& e, int n, const char* ifname) {
    const field* map = iface_fields[n];
    int type = e.ip6_network_type;
    if (type == 0 || (type == 1 && e.ip6_addr[0] && e.ip6_netmask[0])) {
        for (int item : {i_ip6_addr, i_ip6_mask, i_ip6_gateway}) field_to_json(obj, &e, map[item]);
        return;
    }
    char addr[64] = "", prefix[16] = "", gateway[64] = "";
    if (net_get_ipv6_ifaddr(type == 1 ? 1 : 0, ifname, addr, prefix) == 0) {
        jadd_field(obj, map[i_ip6_addr].key, addr, sizeof addr);
        jadd_field(obj, map[i_ip6_mask].key, prefix, sizeof prefix);
    }
    if (net_get_ipv6_gateway2(0, ifname, gateway) == 0 || net_get_ipv6_gateway2(1, ifname, gateway) == 0)
        jadd_field(obj, map[i_ip6_gateway].key, gateway, sizeof gateway);
}

// Adds the items of interface n in the given order.
template <size_t N>
void add_iface(json_object* obj, const network_iface& e, int n, const char* ifname, const char* mac,
               const iface_item (&order)[N]) {
    for (iface_item item : order) {
        if (item == i_mac)
            jadd_str(obj, mac_keys[n], mac);
        else if (item == i_ip6_keys)
            add_ipv6_keys(obj, e, n, ifname);
        else
            field_to_json(obj, &e, iface_fields[n][item]);
    }
}

const iface_item bond_order[] = {i_enable, i_type, i_ip,  i_mask,     i_gateway,  i_mac,
                                 i_dns1,   i_dns2, i_mtu, i_ip6_type, i_ip6_keys};
const iface_item multi_order[] = {i_enable,   i_type, i_ip,   i_mask, i_gateway, i_ip6_type,
                                  i_ip6_keys, i_mac,  i_dns1, i_dns2, i_mtu};

bool is_bond(int mode) { return mode == network_mode_bond || mode == network_mode_bond_primary; }

// ---- the multicast setting ---------------------------------------------------------

using mc = multicast_record;
const field multicast_fields[] = {
    FM_INT(mc, "enable", enable),
    FM_TEXT(mc, "ip", ip).chars(64),
};

bool multicast_clear_pad(json_object*, void* rec) {
    std::memset(static_cast<multicast_record*>(rec)->pad, 0, sizeof multicast_record::pad);
    return true;
}

// The stored setting goes to the core, whose result is the answer.
void multicast_sent(request&, const void* rec, int) {
    core_query(network_reply, msg_multicast, sizeof(multicast_record), rec, REPLY_JSON);
}

}  // namespace

// Each member is optional: what the request leaves out stays.
const record_page multicast_page = {
    .table = tqdb_tbl_multicast,
    .fields = multicast_fields,
    .need_row = true,
    .adjust = multicast_clear_pad,
    .answer = multicast_sent,
};

void net_notify_changed(const char* what) {
    char group[32];
    copy_text(group, sizeof group, what);
    core_notify(network_reply, msg_network_changed, sizeof group, group);
}

int write_config_result(const core_answer& answer) {
    json_ref obj(json_object_new_object());
    jadd_int(obj.get(), "res", answer.rec<int32_t>());
    cgi_reply_json(obj.get());
    return 1;
}

void net_config_show(request& rq) {
    network_record rec;
    if (read_network(TQDB_FILE, &rec) != 0) return rq.fail();
    int mode;
    if (!parse_bare_int(rq.text, &mode) || mode < 0 || mode > 2) mode = rec.mode;
    char mac[2][18];
    get_device_macs(mac[0], mac[1]);

    json_ref obj(json_object_new_object());
    json_object* o = obj.get();
    jadd_int(o, "mode", mode);
    jadd_field(o, "hostName", rec.host_name, sizeof rec.host_name);
    if (is_bond(mode)) {
        jadd_int(o, "primaryNet", rec.primary_net);
        add_iface(o, rec.bond, 0, "bond0", mac[0], bond_order);
    } else {
        add_iface(o, rec.eth[0], 0, "eth0", mac[0], multi_order);
        add_iface(o, rec.eth[1], 1, "eth1", mac[1], multi_order);
    }
    jadd_int(o, "defaultRoute", rec.default_route);
    cgi_reply_json(o);
}

void net_config_store(request& rq) {
    json_object* req = rq.json;
    int mode = req_int_or(req, "mode", 0);
    int32_t slave_clear = req_int_or(req, "slaveClear", 0);
    bool conflict = req_int_or(req, "Conflict", 0) == 1;
    // The network record is also written by the device-name and display
    // pages and by the default-route request: one edit, under the CGI lock.
    int rc;
    {
        cgi_lock_guard lock;
        rc = edit_network(TQDB_FILE, [&](network_record& rec) {
            rec.mode = mode;
            if (is_bond(mode)) {
                if (mode == network_mode_bond_primary) rec.primary_net = req_int_or(req, "primaryNet", 0);
                iface_from_request(req, 0, rec.bond);
            } else if (mode == network_mode_multi) {
                iface_from_request(req, 0, rec.eth[0]);
                iface_from_request(req, 1, rec.eth[1]);
                rec.default_route = req_int_or(req, "defaultRoute", 0);
            }
        });
    }
    if (rc != 0) return rq.fail();
    core_notify(network_reply, msg_network_apply, sizeof slave_clear, &slave_clear);
    net_notify_changed("network");
    oplog_send(204, 914);
    if (conflict) {
        oplog_record entry;
        oplog_record_init(&entry);
        entry.main_type = 32;
        entry.sub_type = 406;
        entry.parameter_type = 914;
        oplog_send_record(&entry);
    }
    cgi_reply(REPLY_TEXT, "OK");
}

void net_mode_show(request&) {
    int mode = 0;
    read_network_mode(TQDB_FILE, &mode);
    char reply[16];
    std::snprintf(reply, sizeof reply, "%d", mode);
    cgi_reply(REPLY_TEXT, reply);
}

void net_config_reload(request&) {
    char zeros[32] = {};
    core_notify(network_reply, msg_network_reload, sizeof zeros, zeros);
    cgi_reply(REPLY_TEXT, "OK");
}

// The configured MAC arrives as bare hexadecimal digits; a colon goes after
// every second character that another letter or digit follows.
void net_mac_show(request&) {
    char bare[64] = "";
    read_mac_conf(bare, sizeof bare);
    char mac[sizeof bare * 3 / 2 + 1];
    size_t n = 0;
    for (size_t i = 0; bare[i] && n + 2 < sizeof mac; ++i) {
        mac[n++] = bare[i];
        if (i % 2 == 1 && std::isalnum(static_cast<unsigned char>(bare[i + 1]))) mac[n++] = ':';
    }
    mac[n] = '\0';
    json_ref obj(json_object_new_object());
    jadd_str(obj.get(), "mac0", mac);
    cgi_reply_json(obj.get());
}

// The route is stored only where a network record exists; the core's result
// is the answer.
void net_default_route(request& rq) {
    int32_t route = req_int_or(rq.json, "defaultRoute", 0);
    int rc;
    {
        cgi_lock_guard lock;
        rc = tqdb_edit_fn(TQDB_FILE, tqdb_tbl_network, 0, [&](void* rec, int stored) {
            if (!stored) return 1;
            static_cast<network_record*>(rec)->default_route = route;
            return 0;
        });
    }
    if (rc != 0) return rq.fail();
    core_query(network_reply, msg_default_route, sizeof route, &route, REPLY_JSON);
}
