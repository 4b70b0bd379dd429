// Default replies of the maintenance messages: the restart and reset
// notices, the recorder's upgrade (which succeeds), the upgrade information,
// and the image fetch, which leaves a small image at the place the request
// names so that the pages that look for the image find it.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "platform/msg_maintenance.h"
#include "tools/coresim/coresim.h"

namespace {

constexpr const char* available_version = "V5.3.0 build 240601";
constexpr const char* camera_version = "V5.2.1 build 240312";

void fill_info(upgrade_info& info, const char* version, int32_t file_size) {
    std::memset(&info, 0, sizeof info);
    info.file_size = file_size;
    std::snprintf(info.softversion, sizeof info.softversion, "%s", version);
    std::snprintf(info.url, sizeof info.url, "http://update.local/%s.bin", version);
    std::snprintf(info.description, sizeof info.description, "%s", "Stability and image quality fixes");
}

coresim::out_msg reply_to(const coresim::request_view& req, const void* data, size_t size) {
    coresim::out_msg msg;
    msg.id = req.id + 5000;
    const auto* p = static_cast<const uint8_t*>(data);
    msg.payload.assign(p, p + size);
    return msg;
}

void build_upgrade_info(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    upgrade_info info;
    fill_info(info, available_version, 48 * 1024 * 1024);
    out.push_back(reply_to(req, &info, sizeof info));
}

// Result 0; the image lands at the target of the request when it is one of
// the two image places.
void build_image_fetch(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    image_fetch fetch;
    std::memset(&fetch, 0, sizeof fetch);
    std::memcpy(&fetch, req.data, req.size < sizeof fetch ? req.size : sizeof fetch);
    const std::string target(fetch.target, strnlen(fetch.target, sizeof fetch.target));
    if (target == RECORDER_IMAGE_PATH || target == CAMERA_IMAGE_PATH)
        std::ofstream(req.root + target, std::ios::binary | std::ios::trunc) << "simulated firmware image\n";
    int32_t result = 0;
    out.push_back(reply_to(req, &result, sizeof result));
}

// The channels of the mask show the camera firmware, none of them newer.
void build_upgrade_check(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    uint64_t mask = 0;
    std::memcpy(&mask, req.data, req.size < sizeof mask ? req.size : sizeof mask);
    upgrade_check_record rec;
    std::memset(&rec, 0, sizeof rec);
    for (int n = 0; n < 64; ++n)
        if ((mask >> n) & 1) fill_info(rec.channel[n], camera_version, 0);
    out.push_back(reply_to(req, &rec, sizeof rec));
}

const coresim::default_reply rows[] = {
    // request, request size, reply record size (-1: no answer), channel offset, builder
    {msg_restart, 0, -1},
    {msg_upgrade_start, 4, 4},  // 0: the upgrade went through
    {msg_upgrade_info, 0, sizeof(upgrade_info), -1, build_upgrade_info},
    {msg_image_download, sizeof(image_fetch), 4, -1, build_image_fetch},
    {msg_image_state, 0, 4},
    {msg_upgrade_prepare, 0, -1},
    {msg_factory_reset, sizeof(factory_reset), -1},
    {msg_factory_apply, 0, -1},
    {msg_cam_upgrade, sizeof(cam_upgrade), sizeof(cam_upgrade_state), 0},  // the channel, status 0
    {msg_cam_image_drop, 0, -1},
    {msg_cam_upgrade_check, 8, sizeof(upgrade_check_record), -1, build_upgrade_check},
};

}  // namespace

CORESIM_DEFAULTS("maintenance", rows);
