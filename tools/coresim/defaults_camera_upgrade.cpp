// Default replies of the camera firmware upgrade: a job that starts (result
// 0), a job from a URL that lists its channels, and the progress of a job
// over the four simulated cameras (channels 0..3), all at status 0.
#include <cstring>

#include "platform/msg_camera_upgrade.h"
#include "tools/coresim/coresim.h"

namespace {

constexpr uint64_t simulated_cameras = 0xf;

coresim::out_msg job_reply(const coresim::request_view& req, uint64_t channels) {
    cam_fw_job_state job;
    std::memset(&job, 0, sizeof job);
    job.channels = channels;
    coresim::out_msg msg;
    msg.id = req.id + 5000;
    const auto* p = reinterpret_cast<const uint8_t*>(&job);
    msg.payload.assign(p, p + sizeof job);
    return msg;
}

// The job covers the channels the request names.
void build_url_job(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    uint64_t channels = 0;
    std::memcpy(&channels, req.data, req.size < sizeof channels ? req.size : sizeof channels);
    out.push_back(job_reply(req, channels));
}

void build_progress(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    out.push_back(job_reply(req, simulated_cameras));
}

const coresim::default_reply rows[] = {
    // request, request size, reply record size (-1: no answer), channel offset, builder
    {msg_cam_fw_upload, sizeof(cam_fw_upload_start), 4},
    {msg_cam_fw_url, sizeof(cam_fw_url_start), sizeof(cam_fw_job_state), -1, build_url_job},
    {msg_cam_fw_progress, 0, sizeof(cam_fw_job_state), -1, build_progress},
    {msg_cam_fw_stop, 4, -1},
};

}  // namespace

CORESIM_DEFAULTS("camera upgrade", rows);
