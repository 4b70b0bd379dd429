// Default replies of the camera channels: the notices of a changed camera,
// and the live channel list, which shows a few connected cameras.
#include "platform/msg_camera.h"
#include "tools/coresim/coresim.h"

#include <cstdio>
#include <cstring>

namespace {

// Four ONVIF cameras on channels 0..3, connected, main and sub stream up.
void build_camera_list(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    static const char* const models[] = {"IPC-D2140", "IPC-B2150", "IPC-T4280", "IPC-D2140"};
    constexpr int camera_count = 4;
    coresim::out_msg msg;
    msg.id = req.id + 5000;
    msg.payload.assign(sizeof(cam_status_entry) * camera_count, 0);
    for (int chn = 0; chn < camera_count; ++chn) {
        cam_status_entry e;
        std::memset(&e, 0, sizeof e);
        e.id = chn;
        e.manage_port = 80;
        e.protocol = 0;
        e.state = 1;
        e.main_rtsp_port = 554;
        std::snprintf(e.ip_addr, sizeof e.ip_addr, "192.168.1.%d", 101 + chn);
        std::snprintf(e.vendor, sizeof e.vendor, "%s", "Velartica");
        std::snprintf(e.sn, sizeof e.sn, "VA%08d", 20240101 + chn);
        std::snprintf(e.sn_real, sizeof e.sn_real, "VA%08dR", 20240101 + chn);
        std::snprintf(e.fw_version, sizeof e.fw_version, "%s", "V5.2.1 build 240312");
        std::snprintf(e.mac, sizeof e.mac, "02:5E:A1:10:00:%02X", 0x11 + chn);
        std::snprintf(e.model, sizeof e.model, "%s", models[chn]);
        e.alarm_in = 1;
        e.alarm_out = 1;
        e.sub_state = 1;
        e.connect_state = 1;
        std::memcpy(msg.payload.data() + chn * sizeof e, &e, sizeof e);
    }
    out.push_back(std::move(msg));
}

const coresim::default_reply rows[] = {
    // request, request size, reply record size (-1: no answer), channel offset, builder
    {msg_camera_added, 4, -1},
    {msg_camera_deleted, 4, -1},
    {msg_camera_changed, 4, -1},
    {msg_camera_poe, 8, -1},
    {msg_camera_status, 0, sizeof(cam_status_entry), -1, build_camera_list},
};

}  // namespace

CORESIM_DEFAULTS("camera", rows);
