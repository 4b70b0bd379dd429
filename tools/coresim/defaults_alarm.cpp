// Default replies of the alarm contacts: every camera reports two alarm
// inputs (input 0 enabled, normally open, and active; input 1 disabled) and
// two alarm outputs (output 0 on); the notices get no answer.
#include "platform/msg_alarm.h"
#include "tools/coresim/coresim.h"

#include <cstring>

namespace {

template <typename Rec>
void put(std::vector<coresim::out_msg>& out, int32_t id, const Rec& rec) {
    coresim::out_msg msg;
    msg.id = id;
    const auto* bytes = reinterpret_cast<const uint8_t*>(&rec);
    msg.payload.assign(bytes, bytes + sizeof rec);
    out.push_back(std::move(msg));
}

int32_t channel_of(const coresim::request_view& req) {
    int32_t chn = 0;
    if (req.size >= sizeof chn) std::memcpy(&chn, req.data, sizeof chn);
    return chn;
}

void camera_inputs(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    cam_alarm_in_state s{};
    s.chnid = channel_of(req);
    s.alarm_enable[0] = 1;
    s.alarm_type[1] = 1;
    s.alarm_status[0] = 1;
    s.alarm_cnt = 2;
    put(out, MSG_CAM_ALARMIN_REPLY, s);
}

void camera_outputs(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    cam_alarm_out_state s{};
    s.chnid = channel_of(req);
    s.alarm_type[1] = 1;
    s.alarm_status[0] = 1;
    s.alarm_cnt = 2;
    put(out, MSG_CAM_ALARMOUT_REPLY, s);
}

const coresim::default_reply rows[] = {
    // request, request size, reply record size (-1: no answer), channel offset, builder
    {MSG_ALARMOUT_CHANGED, 4, -1},
    {MSG_ALARMOUT_SWITCH, sizeof(alarm_out_switch), -1},
    {MSG_CAM_ALARMIN_CHANGED, 8, -1},
    {MSG_CAM_ALARMOUT_CHANGED, 8, -1},
    {MSG_CAM_ALARMOUT_SET, sizeof(cam_alarm_out_msg), -1},
    {MSG_CAM_ALARMIN_SET, sizeof(cam_alarm_in_msg), -1},
    {MSG_CAM_ALARMOUT_SWITCH, sizeof(cam_alarm_out_switch), -1},
    {MSG_CAM_ALARMOUT_GET, 4, sizeof(cam_alarm_out_state), -1, camera_outputs},
    {MSG_CAM_ALARMIN_GET, 4, sizeof(cam_alarm_in_state), -1, camera_inputs},
};

}  // namespace

CORESIM_DEFAULTS("alarm", rows);
