// Default replies of camera discovery: a search that finds four cameras
// (three protocols, one behind the PoE port, one on IPv6), login tests and
// address changes that succeed, and the results of a batch of two changes.
#include <cstdio>
#include <cstring>

#include "platform/msg_camera_discovery.h"
#include "tools/coresim/coresim.h"

namespace {

struct found_camera {
    const char* ip;
    int32_t protocol;
    const char* model;
    const char* netif;  // eth1 is the PoE switch
    const char* name;
};

const found_camera found_cameras[] = {
    {"192.168.1.120", 0, "IPC-D2140", "eth0", "Lobby"},
    {"192.168.1.121", 1, "IPC-B2150", "eth0", "Gate"},
    {"10.10.1.2", 2, "IPC-T4280", "eth1", "PoE-1"},
    {"fd00::1:25", 0, "IPC-D2140", "eth0", "Yard"},
};
constexpr int found_count = sizeof found_cameras / sizeof found_cameras[0];

void mac_of(int i, char* out, size_t size) { std::snprintf(out, size, "02:5E:A1:20:00:%02X", 0x30 + i); }

void search(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    cam_found list[found_count];
    std::memset(list, 0, sizeof list);
    for (int i = 0; i < found_count; ++i) {
        const found_camera& c = found_cameras[i];
        cam_found& e = list[i];
        std::snprintf(e.ip_addr, sizeof e.ip_addr, "%s", c.ip);
        mac_of(i, e.mac, sizeof e.mac);
        e.manage_port = 80;
        e.protocol = c.protocol;
        std::snprintf(e.vendor, sizeof e.vendor, "Velartica");
        std::snprintf(e.sn, sizeof e.sn, "VA%08d", 20240201 + i);
        std::snprintf(e.fw_version, sizeof e.fw_version, "V5.2.1 build 240312");
        std::snprintf(e.model, sizeof e.model, "%s", c.model);
        e.model_id = c.protocol;
        bool v6 = std::strchr(c.ip, ':') != nullptr;
        std::snprintf(e.netmask, sizeof e.netmask, "%s", v6 ? "64" : "255.255.255.0");
        std::snprintf(e.gateway, sizeof e.gateway, "%s", v6 ? "fd00::1" : "192.168.1.1");
        std::snprintf(e.dns, sizeof e.dns, "%s", v6 ? "fd00::1" : "192.168.1.1");
        std::snprintf(e.netif, sizeof e.netif, "%s", c.netif);
        e.active_status = 1;
        std::snprintf(e.name, sizeof e.name, "%s", c.name);
        std::snprintf(e.sn_real, sizeof e.sn_real, "VA%08dR", 20240201 + i);
    }
    coresim::reply_records(req.id + 5000, list, found_count, out);
}

// The first two cameras changed.
void address_results(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    cam_address_results r;
    std::memset(&r, 0, sizeof r);
    r.count = 2;
    for (int i = 0; i < r.count; ++i) mac_of(i, r.entries[i].mac, sizeof r.entries[i].mac);
    coresim::reply_records(req.id + 5000, &r, 1, out);
}

const coresim::default_reply rows[] = {
    // request, request size, reply record size (-1: no answer), channel offset, builder
    {msg_cam_search, sizeof(cam_search_req), sizeof(cam_found), -1, search},
    {msg_cam_login_test, sizeof(cam_login_test), 4},
    {msg_cam_address_set, sizeof(cam_address_change), 4},
    {msg_cam_login_test_web, sizeof(cam_login_test_web), 4},
    {msg_cam_address_batch, sizeof(cam_address_batch), -1},
    {msg_cam_address_results, 0, sizeof(cam_address_results), -1, address_results},
};

}  // namespace

CORESIM_DEFAULTS("camera_discovery", rows);
