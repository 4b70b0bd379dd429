// Default replies of the camera queries: camera web parameters, camera
// information of the four connected cameras of the channel list, the
// watermark, the recording calendar, the command text, the chip code and
// the motion state.
#include "platform/msg_camera_query.h"
#include "tools/coresim/coresim.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr int connected_cameras = 4;

template <typename T>
T request_as(const coresim::request_view& req) {
    T rec;
    std::memset(&rec, 0, sizeof rec);
    std::memcpy(&rec, req.data, req.size < sizeof rec ? req.size : sizeof rec);
    return rec;
}

template <typename T>
void push(int32_t reply_id, const T* recs, size_t count, std::vector<coresim::out_msg>& out) {
    coresim::out_msg msg;
    msg.id = reply_id;
    const auto* bytes = reinterpret_cast<const uint8_t*>(recs);
    msg.payload.assign(bytes, bytes + sizeof(T) * count);
    out.push_back(std::move(msg));
}

// 3225: the parameter echoed back with the value "1".
void web_param(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    auto q = request_as<cam_web_param>(req);
    cam_web_param_reply r;
    std::memset(&r, 0, sizeof r);
    r.id = q.id;
    std::memcpy(r.page_name, q.page_name, sizeof r.page_name);
    std::memcpy(r.http_name, q.http_name, sizeof r.http_name);
    std::memcpy(r.key, q.key, sizeof r.key);
    std::snprintf(r.value, sizeof r.value, "1");
    push(req.id + msg_reply_offset, &r, 1, out);
}

cam_info camera(int32_t chn) {
    cam_info e;
    std::memset(&e, 0, sizeof e);
    e.chnid = chn;
    if (chn >= 0 && chn < connected_cameras) {
        std::snprintf(e.ip_addr, sizeof e.ip_addr, "192.168.1.%d", 101 + chn);
        std::snprintf(e.model, sizeof e.model, "%s", chn == 2 ? "IPC-T4280" : "IPC-D2140");
        std::snprintf(e.fw_version, sizeof e.fw_version, "%s", "V5.2.1 build 240312");
    }
    return e;
}

// 2505: the 64 channels, four of them connected.
void all_cameras(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    cam_info list[cam_info_entries];
    for (int32_t chn = 0; chn < cam_info_entries; ++chn) list[chn] = camera(chn);
    push(req.id + msg_reply_offset, list, cam_info_entries, out);
}

// 2507: the asked channel.
void one_camera(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    cam_info e = camera(request_as<int32_t>(req));
    push(req.id + msg_reply_offset, &e, 1, out);
}

// 1213: watermark off, text "NVR".
void watermark(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    cam_watermark w;
    std::memset(&w, 0, sizeof w);
    w.chnid = request_as<int32_t>(req);
    std::snprintf(w.watermark, sizeof w.watermark, "NVR");
    push(req.id + msg_reply_offset, &w, 1, out);
}

// 3493: recordings on the first ten days of every month.
void record_days(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    record_days_reply r;
    std::memset(&r, 0, sizeof r);
    for (int d = 0; d < 10; ++d) r.day[d] = 1;
    push(req.id + msg_reply_offset, &r, 1, out);
}

// 4002: the command is taken.
void ui_command_done(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    ui_command_reply r;
    std::memset(&r, 0, sizeof r);
    std::snprintf(r.result, sizeof r.result, "OK");
    push(req.id + msg_reply_offset, &r, 1, out);
}

void chip_code(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    chip_code_reply r;
    std::memset(&r, 0, sizeof r);
    std::snprintf(r.code, sizeof r.code, "TQ3536C-A1");
    push(req.id + msg_reply_offset, &r, 1, out);
}

// 3307: motion on channel 0.
void motion_state(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    uint64_t mask = 1;
    push(req.id + msg_reply_offset, &mask, 1, out);
}

const coresim::default_reply rows[] = {
    // request, request size, reply record size (-1: no answer), channel offset, builder
    {msg_cam_support, 4, 4},
    {msg_cam_watermark, 4, sizeof(cam_watermark), 0, watermark},
    {msg_cam_watermark_set, sizeof(cam_watermark_set), 4},
    {msg_cam_type, 4, 4},
    {msg_cam_info_all, 0, sizeof(cam_info), -1, all_cameras},
    {msg_cam_info, 4, sizeof(cam_info), 0, one_camera},
    {msg_cam_param_get, sizeof(cam_web_param), sizeof(cam_web_param_reply), 0, web_param},
    {msg_cam_param_set, sizeof(cam_web_param), 4},
    {msg_motion_state, 0, 8, -1, motion_state},
    {msg_record_days, sizeof(record_days_req), sizeof(record_days_reply), -1, record_days},
    {msg_ui_command, sizeof(ui_command), sizeof(ui_command_reply), -1, ui_command_done},
    {msg_chip_code, 0, sizeof(chip_code_reply), -1, chip_code},
};

}  // namespace

CORESIM_DEFAULTS("camera_queries", rows);
