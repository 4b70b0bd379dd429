// The status module's reply callback and the writers of the plain list
// answers: interfaces, traffic, storage totals, feature support, users.
#include "front/core_link.h"
#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/status/status.h"
#include "platform/msg_status.h"

#include <cstring>

namespace {

// Copies record i of a payload of records (the payload need not be aligned).
template <typename Rec>
Rec record_at(const void* payload, uint32_t i) {
    Rec rec;
    std::memcpy(&rec, static_cast<const char*>(payload) + static_cast<size_t>(i) * sizeof rec,
                sizeof rec);
    return rec;
}

template <typename Rec>
uint32_t record_count(const void* payload, uint32_t size) {
    return payload ? size / sizeof(Rec) : 0;
}

// The answers the module knows. min_size: a shorter answer is treated as no
// answer (the wait runs out). empty_ok: an answer without records is still a
// page (an empty list).
struct reply_row {
    int id;
    uint32_t min_size;
    bool empty_ok;
    void (*writer)(const void* payload, uint32_t size);
};

const reply_row replies[] = {
    {6719, 0, true, status_write_users},
    {8263, 0, false, status_write_support},
    {8300, 0, true, status_write_cameras},
    {8301, 0, true, status_write_netifs},
    {8302, 0, true, status_write_traffic},
    {8305, sizeof(status_events), false, status_write_events},
    {8306, sizeof(status_storage), false, status_write_storage},
};

void status_callback(void*, const void* header, const void* payload) {
    int id = core_header_id(header);
    uint32_t size = payload ? core_header_size(header) : 0;
    for (const reply_row& row : replies) {
        if (row.id != id) continue;
        if (!payload && !row.empty_ok) return;
        if (size < row.min_size) return;
        if (!core_reply_claim()) return;
        row.writer(payload, size);
        core_reply_done(1);
        return;
    }
}

// {member: [one object per record]}, or a bare array when member is null.
template <typename Rec>
void write_list(const void* payload, uint32_t size, const char* member,
                void (*fill)(json_object* o, const Rec& rec)) {
    json_ref list(json_object_new_array());
    for (uint32_t i = 0; i < record_count<Rec>(payload, size); ++i) {
        json_object* o = json_object_new_object();
        fill(o, record_at<Rec>(payload, i));
        json_object_array_add(list.get(), o);
    }
    if (!member) {
        cgi_reply_json(list.get());
        return;
    }
    json_ref obj(json_object_new_object());
    json_object_object_add(obj.get(), member, list.release());
    cgi_reply_json(obj.get());
}

#define FIELD(o, key, rec, member) jadd_field(o, key, rec.member, sizeof rec.member)

void netif_json(json_object* o, const status_netif& n) {
    FIELD(o, "ifname", n, ifname);
    jadd_int(o, "id", n.id);
    jadd_int(o, "state", n.state);
    jadd_int(o, "speedMode", n.speed_mode);
    jadd_int(o, "duplex", n.duplex);
    jadd_int(o, "enable", n.enable);
    jadd_int(o, "dhcpEnable", n.dhcp_enable);
    FIELD(o, "ipAddr", n, ip_addr);
    FIELD(o, "MAC", n, mac);
    FIELD(o, "primaryDNS", n, primary_dns);
    FIELD(o, "secondDNS", n, second_dns);
    FIELD(o, "gateway", n, gateway);
    FIELD(o, "netmask", n, netmask);
    jadd_int(o, "mtu", n.mtu);
    jadd_int(o, "ip6mode", n.ip6mode);
    FIELD(o, "ip6address", n, ip6address);
    jadd_int(o, "ip6prefix", n.ip6prefix);
    FIELD(o, "ip6gateway", n, ip6gateway);
}

void traffic_json(json_object* o, const status_traffic& t) {
    jadd_int(o, "id", t.id);
    FIELD(o, "ifname", t, ifname);
    jadd_int(o, "RxSpeed", t.rx_speed);
    jadd_int(o, "TxSpeed", t.tx_speed);
}

void user_json(json_object* o, const status_user& u) {
    FIELD(o, "userName", u, user_name);
    jadd_int(o, "userLevel", u.user_level);
    FIELD(o, "ipaddr", u, ipaddr);
    FIELD(o, "loginTime", u, login_time);
}

}  // namespace

void status_query(int msg_id) { core_query(status_callback, msg_id, 0, nullptr, REPLY_JSON); }

void status_write_netifs(const void* payload, uint32_t size) {
    write_list<status_netif>(payload, size, "netif", netif_json);
}

void status_write_traffic(const void* payload, uint32_t size) {
    write_list<status_traffic>(payload, size, "netif", traffic_json);
}

void status_write_users(const void* payload, uint32_t size) {
    write_list<status_user>(payload, size, nullptr, user_json);
}

void status_write_storage(const void* payload, uint32_t) {
    auto s = record_at<status_storage>(payload, 0);
    json_ref obj(json_object_new_object());
    jadd_int(obj.get(), "total", s.total);
    jadd_int(obj.get(), "free", s.free);
    jadd_int(obj.get(), "used", s.used);
    cgi_reply_json(obj.get());
}

// One character per channel; a channel whose record the answer lacks shows "0".
void status_write_support(const void* payload, uint32_t size) {
    char support[status_support_channels + 1];
    char type[status_support_channels + 1];
    uint32_t count = record_count<status_support>(payload, size);
    for (uint32_t ch = 0; ch < status_support_channels; ++ch) {
        status_support rec{};
        if (ch < count) rec = record_at<status_support>(payload, ch);
        support[ch] = rec.supported == 1 ? '1' : '0';
        type[ch] = rec.type == 1 ? '1' : rec.type == 2 ? '2' : '0';
    }
    support[status_support_channels] = type[status_support_channels] = '\0';
    json_ref obj(json_object_new_object());
    jadd_str(obj.get(), "support", support);
    jadd_str(obj.get(), "type", type);
    cgi_reply_json(obj.get());
}
