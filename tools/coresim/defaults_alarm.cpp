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
    put(out, msg_cam_alarmin_state_reply, s);
}

void camera_outputs(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    cam_alarm_out_state s{};
    s.chnid = channel_of(req);
    s.alarm_type[1] = 1;
    s.alarm_status[0] = 1;
    s.alarm_cnt = 2;
    put(out, msg_cam_alarmout_state_reply, s);
}

const coresim::default_reply rows[] = {
    // request, request size, reply record size (-1: no answer), channel offset, builder
    {msg_alarmout_changed, 4, -1},
    {msg_alarmout_switch, sizeof(alarm_out_switch), -1},
    {msg_cam_alarmin_changed, 8, -1},
    {msg_cam_alarmout_changed, 8, -1},
    {msg_cam_alarmout_set, sizeof(cam_alarm_out_msg), -1},
    {msg_cam_alarmin_set, sizeof(cam_alarm_in_msg), -1},
    {msg_cam_alarmout_switch, sizeof(cam_alarm_out_switch), -1},
    {msg_cam_alarmout_state, 4, sizeof(cam_alarm_out_state), -1, camera_outputs},
    {msg_cam_alarmin_state, 4, sizeof(cam_alarm_in_state), -1, camera_inputs},
};

}  // namespace

CORESIM_DEFAULTS("alarm", rows);
