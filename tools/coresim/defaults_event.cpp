// Default replies of motion detection, video loss and alarm inputs: the
// notices of changed settings, and the camera's motion area, which a default
// camera reports as enabled with the whole picture watched.
#include "platform/msg_event.h"
#include "tools/coresim/coresim.h"

#include <cstring>

namespace {

// The motion area of the channel asked for: detection on, every cell of a
// 22 x 13 grid set, middle sensitivity, result 0.
void build_motion_area(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    motion_area_record area;
    std::memset(&area, 0, sizeof area);
    area.enable = 1;
    std::memset(area.map, '1', 22 * 13);
    area.sensitivity = 3;
    if (req.size >= 4) std::memcpy(&area.channel, req.data, 4);
    coresim::out_msg msg;
    msg.id = msg_motion_area_reply;
    msg.payload.assign(reinterpret_cast<const uint8_t*>(&area),
                       reinterpret_cast<const uint8_t*>(&area) + sizeof area);
    out.push_back(std::move(msg));
}

const coresim::default_reply rows[] = {
    // request, request size, reply record size (-1: no answer), channel offset, builder
    {msg_videoloss_changed, 4, -1},
    {msg_motion_changed, 4, -1},
    {msg_alarmin_changed, 4, -1},
    {msg_motion_copied, 8, -1},
    {msg_videoloss_mask_changed, 8, -1},
    {msg_alarmin_mask_changed, 8, -1},
    {msg_motion_area, 4, sizeof(motion_area_record), -1, build_motion_area},
    {msg_motion_area_set, sizeof(motion_area_record), -1},
    {msg_motion_schedule_set, sizeof(motion_detect_schedule), -1},
    {msg_motion_schedule_mode, sizeof(motion_schedule_mode), -1},
    {msg_motion_area_copy, sizeof(motion_area_copy), -1},
    {msg_motion_schedule_copy, sizeof(motion_detect_schedule), -1},
};

}  // namespace

CORESIM_DEFAULTS("event", rows);
