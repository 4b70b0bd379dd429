// Writers of the status answers that are plain lists or totals: interfaces,
// traffic, storage totals, feature support, users logged in.
#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/common/field_map.h"
#include "modules/status/status.h"
#include "platform/msg_status.h"

namespace {

using sn = status_netif;
const field netif_fields[] = {
    FM_TEXT(sn, "ifname", ifname),
    FM_INT(sn, "id", id),
    FM_INT(sn, "state", state),
    FM_INT(sn, "speedMode", speed_mode),
    FM_INT(sn, "duplex", duplex),
    FM_INT(sn, "enable", enable),
    FM_INT(sn, "dhcpEnable", dhcp_enable),
    FM_TEXT(sn, "ipAddr", ip_addr),
    FM_TEXT(sn, "MAC", mac),
    FM_TEXT(sn, "primaryDNS", primary_dns),
    FM_TEXT(sn, "secondDNS", second_dns),
    FM_TEXT(sn, "gateway", gateway),
    FM_TEXT(sn, "netmask", netmask),
    FM_INT(sn, "mtu", mtu),
    FM_UINT(sn, "ip6mode", ip6mode),
    FM_TEXT(sn, "ip6address", ip6address),
    FM_INT(sn, "ip6prefix", ip6prefix),
    FM_TEXT(sn, "ip6gateway", ip6gateway),
};

const field traffic_fields[] = {
    FM_INT(status_traffic, "id", id),
    FM_TEXT(status_traffic, "ifname", ifname),
    FM_INT(status_traffic, "RxSpeed", rx_speed),
    FM_INT(status_traffic, "TxSpeed", tx_speed),
};

const field user_fields[] = {
    FM_TEXT(status_user, "userName", user_name),
    FM_INT(status_user, "userLevel", user_level),
    FM_TEXT(status_user, "ipaddr", ipaddr),
    FM_TEXT(status_user, "loginTime", login_time),
};

const field storage_fields[] = {
    FM_INT(status_storage, "total", total),
    FM_INT(status_storage, "free", free),
    FM_INT(status_storage, "used", used),
};

// {member: [one object per whole record]}, or a bare array when member is
// null.
template <typename Rec, size_t N>
int write_list(const core_answer& answer, const field (&map)[N], const char* member) {
    json_ref list(fields_array(answer.payload, sizeof(Rec), answer.count, map));
    if (!member) {
        cgi_reply_json(list.get());
        return 1;
    }
    json_ref obj(json_object_new_object());
    json_object_object_add(obj.get(), member, list.release());
    cgi_reply_json(obj.get());
    return 1;
}

}  // namespace

int status_write_netifs(const core_answer& answer) {
    return write_list<status_netif>(answer, netif_fields, "netif");
}

int status_write_traffic(const core_answer& answer) {
    return write_list<status_traffic>(answer, traffic_fields, "netif");
}

int status_write_users(const core_answer& answer) {
    return write_list<status_user>(answer, user_fields, nullptr);
}

int status_write_storage(const core_answer& answer) {
    status_storage totals = answer.rec<status_storage>();
    json_ref obj(fields_object(&totals, storage_fields));
    cgi_reply_json(obj.get());
    return 1;
}

// One character per channel; a channel whose whole record the answer lacks
// shows "0".
int status_write_support(const core_answer& answer) {
    char support[status_support_channels + 1];
    char type[status_support_channels + 1];
    for (int ch = 0; ch < status_support_channels; ++ch) {
        status_support rec = answer.rec<status_support>(ch);
        support[ch] = rec.supported == 1 ? '1' : '0';
        type[ch] = rec.type == 1 ? '1' : rec.type == 2 ? '2' : '0';
    }
    support[status_support_channels] = type[status_support_channels] = '\0';
    json_ref obj(json_object_new_object());
    jadd_str(obj.get(), "support", support);
    jadd_str(obj.get(), "type", type);
    cgi_reply_json(obj.get());
    return 1;
}
