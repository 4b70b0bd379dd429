// Default replies of the status pages: two network interfaces (eth0 up with
// traffic, eth1 without link), cameras 0..3 connected and recording, one
// 4 TB disk, recorder alarm inputs 0 and 1 active with output 0 switched on,
// motion on camera 1, line-crossing support on the first four channels, and
// the administrator logged in.
#include "platform/msg_status.h"
#include "tools/coresim/coresim.h"

#include <cstdio>
#include <cstring>

namespace {

template <typename Rec>
void put(std::vector<coresim::out_msg>& out, int32_t id, const Rec* recs, size_t count) {
    coresim::out_msg msg;
    msg.id = id;
    const auto* bytes = reinterpret_cast<const uint8_t*>(recs);
    msg.payload.assign(bytes, bytes + sizeof(Rec) * count);
    out.push_back(std::move(msg));
}

constexpr int connected_cameras = 4;

void netifs(const coresim::request_view&, std::vector<coresim::out_msg>& out) {
    status_netif ifs[2];
    std::memset(ifs, 0, sizeof ifs);
    for (int i = 0; i < 2; ++i) {
        status_netif& n = ifs[i];
        std::snprintf(n.ifname, sizeof n.ifname, "eth%d", i);
        n.id = i;
        n.state = i == 0 ? 1 : 0;
        n.speed_mode = i == 0 ? 1000 : 0;
        n.duplex = i == 0 ? 1 : 0;
        n.enable = 1;
        std::snprintf(n.ip_addr, sizeof n.ip_addr, "192.168.%d.100", i + 1);
        std::snprintf(n.mac, sizeof n.mac, "02:5E:A1:0A:19:C%d", 8 + i);
        std::snprintf(n.primary_dns, sizeof n.primary_dns, "8.8.8.8");
        std::snprintf(n.second_dns, sizeof n.second_dns, "8.8.4.4");
        std::snprintf(n.gateway, sizeof n.gateway, "192.168.%d.1", i + 1);
        std::snprintf(n.netmask, sizeof n.netmask, "255.255.255.0");
        n.mtu = 1500;
        n.ip6mode = 2;
        std::snprintf(n.ip6address, sizeof n.ip6address, "fe80::5e:a1ff:fe0a:19c%d", 8 + i);
        n.ip6prefix = 64;
    }
    put(out, 8301, ifs, 2);
}

void traffic(const coresim::request_view&, std::vector<coresim::out_msg>& out) {
    status_traffic t[2];
    std::memset(t, 0, sizeof t);
    for (int i = 0; i < 2; ++i) {
        std::snprintf(t[i].ifname, sizeof t[i].ifname, "eth%d", i);
        t[i].id = i;
    }
    t[0].rx_speed = 18240;
    t[0].tx_speed = 2310;
    put(out, 8302, t, 2);
}

void cameras(const coresim::request_view&, std::vector<coresim::out_msg>& out) {
    status_camera cams[connected_cameras];
    std::memset(cams, 0, sizeof cams);
    for (int i = 0; i < connected_cameras; ++i) {
        status_camera& c = cams[i];
        c.main = {2560, 1440, 25, 4096, 1, 1};
        c.sub = {704, 576, 15, 512, 1, 1};
        c.record_on = 1;
        c.alarm_on = i == 1 ? 1 : 0;
        c.camera_id = i;
    }
    put(out, 8300, cams, connected_cameras);
}

void events(const coresim::request_view&, std::vector<coresim::out_msg>& out) {
    status_events ev;
    std::memset(&ev, 0, sizeof ev);
    ev.motion[0] = 1u << 1;
    ev.alarm_in_state = 0x3;
    ev.alarm_out_state = 0x1;
    ev.counts[2][0] = 17;
    ev.counts[2][1] = 12;
    for (int i = 0; i < connected_cameras; ++i) ev.cam_alarm_in_type[0][0] |= 1u << i;
    put(out, 8305, &ev, 1);
}

void storage(const coresim::request_view&, std::vector<coresim::out_msg>& out) {
    status_storage s{3815447, 2576102, 1239345};  // MiB of one 4 TB disk
    put(out, 8306, &s, 1);
}

void support(const coresim::request_view&, std::vector<coresim::out_msg>& out) {
    status_support recs[status_support_channels];
    std::memset(recs, 0, sizeof recs);
    for (int i = 0; i < connected_cameras; ++i) {
        recs[i].supported = 1;
        recs[i].type = i < 2 ? 1 : 2;
    }
    put(out, 8263, recs, status_support_channels);
}

void users(const coresim::request_view&, std::vector<coresim::out_msg>& out) {
    status_user u;
    std::memset(&u, 0, sizeof u);
    std::snprintf(u.user_name, sizeof u.user_name, "admin");
    u.user_level = 0;
    std::snprintf(u.ipaddr, sizeof u.ipaddr, "192.168.1.20");
    std::snprintf(u.login_time, sizeof u.login_time, "2024-05-14 09:12:03");
    put(out, 6719, &u, 1);
}

const coresim::default_reply rows[] = {
    // request, request size, reply record size, channel offset, builder
    {1719, 0, sizeof(status_user), -1, users},         // users logged in -> 6719
    {3263, 0, sizeof(status_support), -1, support},    // feature support -> 8263
    {3300, 0, sizeof(status_camera), -1, cameras},     // camera streams -> 8300
    {3301, 0, sizeof(status_netif), -1, netifs},       // interfaces -> 8301
    {3302, 0, sizeof(status_traffic), -1, traffic},    // traffic -> 8302
    {3305, 0, sizeof(status_events), -1, events},      // event state -> 8305
    {3306, 0, sizeof(status_storage), -1, storage},    // storage totals -> 8306
};

}  // namespace

CORESIM_DEFAULTS("status", rows);
