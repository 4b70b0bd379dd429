// Wired network configuration: the two interfaces separately or bonded,
// IPv4 and IPv6 addressing, DNS, MTU and the default route. Settings are
// stored in the network record and handed to the core daemon, which applies
// them; nothing here configures an interface.
#include <cctype>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "front/bare_number.h"
#include "front/core_link.h"
#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/network/network.h"
#include "platform/tqdb/rec_network.h"
#include "platform/tqnet.h"

namespace {

// ---- the fields of one interface -----------------------------------------------

enum iface_item {
    i_enable,
    i_type,
    i_ip,
    i_mask,
    i_gateway,
    i_dns1,
    i_dns2,
    i_mtu,
    i_ip6_type,
    i_ip6_addr,
    i_ip6_mask,
    i_ip6_gateway,
    i_mac,       // reply only: the interface's hardware address
    i_ip6_keys,  // reply only: address, prefix and gateway, stored or live
};

// A field of network_iface with its JSON key for interface 1 and 2. width 0
// is an integer, else a text field of that many bytes (one less characters).
struct iface_field {
    const char* key[2];
    size_t offset;
    size_t width;
};

const iface_field fields[] = {
    {{"enableNetwork1", "enableNetwork2"}, offsetof(network_iface, enable), 0},
    {{"networkType", "networkType2"}, offsetof(network_iface, network_type), 0},
    {{"ipAddr", "ipAddr2"}, offsetof(network_iface, ip_addr), 16},
    {{"netmask", "netmask2"}, offsetof(network_iface, netmask), 16},
    {{"gateway", "gateway2"}, offsetof(network_iface, gateway), 16},
    {{"DNS1", "DNS12"}, offsetof(network_iface, dns1), 16},
    {{"DNS2", "DNS22"}, offsetof(network_iface, dns2), 16},
    {{"mtu", "mtu2"}, offsetof(network_iface, mtu), 0},
    {{"ip6networkType", "ip6networkType2"}, offsetof(network_iface, ip6_network_type), 0},
    {{"ip6Addr", "ip6Addr2"}, offsetof(network_iface, ip6_addr), 64},
    {{"ip6netmask", "ip6netmask2"}, offsetof(network_iface, ip6_netmask), 16},
    {{"ip6gateway", "ip6gateway2"}, offsetof(network_iface, ip6_gateway), 64},
};
static_assert(sizeof fields / sizeof fields[0] == i_ip6_gateway + 1);
const char* const mac_keys[2] = {"macAddr", "macAddr2"};

constexpr int ip6_type_no_gateway = 2;

int32_t* int_at(network_iface& e, const iface_field& f) {
    return reinterpret_cast<int32_t*>(reinterpret_cast<char*>(&e) + f.offset);
}
char* text_at(network_iface& e, const iface_field& f) { return reinterpret_cast<char*>(&e) + f.offset; }

// Takes interface n's keys from the request. An absent integer stores 0; an
// absent text keeps what is stored (an empty or "(null)" address would take
// the recorder off the network). The IPv6 type comes before the gateway, so
// the gateway test sees the new type.
void iface_from_request(json_object* req, int n, network_iface& e) {
    for (int item = i_enable; item <= i_ip6_gateway; ++item) {
        const iface_field& f = fields[item];
        if (item == i_ip6_gateway && e.ip6_network_type == ip6_type_no_gateway) continue;
        if (f.width == 0) {
            *int_at(e, f) = req_int_or(req, f.key[n], 0);
        } else if (const char* value = req_str(req, f.key[n])) {
            copy_text(text_at(e, f), f.width, value);
        }
    }
}

// ---- showing ---------------------------------------------------------------------

// The IPv6 address, prefix and gateway of interface n: the stored ones for a
// static setting (type 0, or type 1 with address and prefix stored), else
// what the interface has now; keys whose live query fails are left out.
void add_ipv6_keys(json_object* obj, network_iface& e, int n, const char* ifname) {
    const char* addr_key = fields[i_ip6_addr].key[n];
    const char* mask_key = fields[i_ip6_mask].key[n];
    const char* gw_key = fields[i_ip6_gateway].key[n];
    int type = e.ip6_network_type;
    if (type == 0 || (type == 1 && e.ip6_addr[0] && e.ip6_netmask[0])) {
        jadd_field(obj, addr_key, e.ip6_addr, sizeof e.ip6_addr);
        jadd_field(obj, mask_key, e.ip6_netmask, sizeof e.ip6_netmask);
        jadd_field(obj, gw_key, e.ip6_gateway, sizeof e.ip6_gateway);
        return;
    }
    char addr[64] = "", prefix[16] = "", gateway[64] = "";
    if (net_get_ipv6_ifaddr(type == 1 ? 1 : 0, ifname, addr, prefix) == 0) {
        jadd_field(obj, addr_key, addr, sizeof addr);
        jadd_field(obj, mask_key, prefix, sizeof prefix);
    }
    if (net_get_ipv6_gateway2(0, ifname, gateway) == 0 || net_get_ipv6_gateway2(1, ifname, gateway) == 0)
        jadd_field(obj, gw_key, gateway, sizeof gateway);
}

// Adds the items of interface n in the given order.
template <size_t N>
void add_iface(json_object* obj, network_iface& e, int n, const char* ifname, const char* mac,
               const iface_item (&order)[N]) {
    for (iface_item item : order) {
        if (item == i_mac) {
            jadd_str(obj, mac_keys[n], mac);
        } else if (item == i_ip6_keys) {
            add_ipv6_keys(obj, e, n, ifname);
        } else if (fields[item].width == 0) {
            jadd_int(obj, fields[item].key[n], *int_at(e, fields[item]));
        } else {
            jadd_field(obj, fields[item].key[n], text_at(e, fields[item]), fields[item].width);
        }
    }
}

const iface_item bond_order[] = {i_enable, i_type, i_ip,  i_mask,     i_gateway, i_mac,
                                 i_dns1,   i_dns2, i_mtu, i_ip6_type, i_ip6_keys};
const iface_item multi_order[] = {i_enable,   i_type, i_ip,   i_mask, i_gateway, i_ip6_type,
                                  i_ip6_keys, i_mac,  i_dns1, i_dns2, i_mtu};

bool is_bond(int mode) { return mode == network_mode_bond || mode == network_mode_bond_primary; }

// ---- the core daemon -------------------------------------------------------------

// 6724 and 6729: the core's result for a new default route or multicast
// setting, shown as {"res": n}.
void config_callback(void*, const void* header, const void* payload) {
    int id = core_header_id(header);
    if (!payload || (id != 6724 && id != 6729) || core_header_size(header) < 4) return;
    if (!core_reply_claim()) return;
    int32_t result;
    std::memcpy(&result, payload, sizeof result);
    json_ref obj(json_object_new_object());
    jadd_int(obj.get(), "res", result);
    cgi_reply_json(obj.get());
    core_reply_done(1);
}

void notify_changed(const char* what) {
    char group[32];
    copy_text(group, sizeof group, what);
    core_notify(config_callback, 1702, sizeof group, group);
}

}  // namespace

void net_config_show(request& rq) {
    char* text = rq.text;
    network_record rec;
    if (read_network(TQDB_FILE, &rec) != 0) {
        cgi_reply_error(REPLY_JSON);
        return;
    }
    int mode;
    if (!parse_bare_int(text, &mode) || mode < 0 || mode > 2) mode = rec.mode;
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
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    if (!req) return;
    int mode = req_int_or(req, "mode", 0);
    int32_t slave_clear = req_int_or(req, "slaveClear", 0);
    bool conflict = req_int_or(req, "Conflict", 0) == 1;
    {
        // The network record is also written by the device-name and display
        // pages and by the default-route request.
        cgi_lock_guard lock;
        network_record rec;
        std::memset(&rec, 0, sizeof rec);
        read_network(TQDB_FILE, &rec);
        rec.mode = mode;
        if (is_bond(mode)) {
            if (mode == network_mode_bond_primary) rec.primary_net = req_int_or(req, "primaryNet", 0);
            iface_from_request(req.get(), 0, rec.bond);
        } else if (mode == network_mode_multi) {
            iface_from_request(req.get(), 0, rec.eth[0]);
            iface_from_request(req.get(), 1, rec.eth[1]);
            rec.default_route = req_int_or(req, "defaultRoute", 0);
        }
        write_network(TQDB_FILE, &rec);
    }
    core_notify(config_callback, 3023, sizeof slave_clear, &slave_clear);
    notify_changed("network");
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
    core_notify(config_callback, 1712, sizeof zeros, zeros);
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

void net_default_route(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    if (!req) {
        cgi_reply_error(REPLY_JSON);
        return;
    }
    int32_t route = req_int_or(req, "defaultRoute", 0);
    {
        cgi_lock_guard lock;
        network_record rec;
        if (read_network(TQDB_FILE, &rec) != 0) {
            cgi_reply_error(REPLY_JSON);
            return;
        }
        rec.default_route = route;
        write_network(TQDB_FILE, &rec);
    }
    core_query(config_callback, 1724, sizeof route, &route, REPLY_JSON);
}

void net_multicast_show(request&) {
    multicast_record rec;
    std::memset(&rec, 0, sizeof rec);
    if (read_multicast(TQDB_FILE, &rec) != 0) {
        cgi_reply_error(REPLY_JSON);
        return;
    }
    json_ref obj(json_object_new_object());
    jadd_int(obj.get(), "enable", rec.enable);
    jadd_field(obj.get(), "ip", rec.ip, sizeof rec.ip);
    cgi_reply_json(obj.get());
}

void net_multicast_store(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    if (!req) {
        cgi_reply_error(REPLY_JSON);
        return;
    }
    multicast_record rec;
    std::memset(&rec, 0, sizeof rec);
    {
        cgi_lock_guard lock;
        read_multicast(TQDB_FILE, &rec);
        // Each member is optional: what the request leaves out stays.
        req_int(req, "enable", &rec.enable);
        if (const char* ip = req_str(req, "ip")) copy_text(rec.ip, sizeof rec.ip, ip, 64);
        std::memset(rec.pad, 0, sizeof rec.pad);
        write_multicast(TQDB_FILE, &rec);
    }
    core_query(config_callback, 1729, sizeof rec, &rec, REPLY_JSON);
}
