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
    msg.id = MSG_MOTION_AREA_REPLY;
    msg.payload.assign(reinterpret_cast<const uint8_t*>(&area),
                       reinterpret_cast<const uint8_t*>(&area) + sizeof area);
    out.push_back(std::move(msg));
}

const coresim::default_reply rows[] = {
    // request, request size, reply record size (-1: no answer), channel offset, builder
    {MSG_VIDEOLOSS_CHANGED, 4, -1},
    {MSG_MOTION_CHANGED, 4, -1},
    {MSG_ALARMIN_CHANGED, 4, -1},
    {MSG_MOTION_COPIED, 8, -1},
    {MSG_VIDEOLOSS_MASK_CHANGED, 8, -1},
    {MSG_ALARMIN_MASK_CHANGED, 8, -1},
    {MSG_MOTION_AREA_GET, 4, sizeof(motion_area_record), -1, build_motion_area},
    {MSG_MOTION_AREA_SET, sizeof(motion_area_record), -1},
    {MSG_MOTION_SCHEDULE_SET, sizeof(motion_detect_schedule), -1},
    {MSG_MOTION_SCHEDULE_MODE, sizeof(motion_schedule_mode), -1},
    {MSG_MOTION_AREA_COPY, sizeof(motion_area_copy), -1},
    {MSG_MOTION_SCHEDULE_COPY, sizeof(motion_detect_schedule), -1},
};

}  // namespace

CORESIM_DEFAULTS("event", rows);
