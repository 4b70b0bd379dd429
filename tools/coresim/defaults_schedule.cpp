// Default replies of the recording-schedule messages: the ANR switch (every
// listed camera switched), the ANR support query (channel echoed, no
// support) and the recording streams (none reported). The notices only give
// their request size; 1407 is shared with the wizard and registered there.
#include "platform/msg_schedule.h"
#include "tools/coresim/coresim.h"

#include <cstring>

namespace {

// 7285: the request's cameras and ANR value, each with result 0.
void anr_switched(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    anr_switch_msg msg{};
    if (req.data) std::memcpy(&msg, req.data, req.size < sizeof msg ? req.size : sizeof msg);
    anr_switch_reply reply{};
    int count = msg.count < 0 ? 0 : msg.count > 64 ? 64 : msg.count;
    std::memcpy(reply.chn, msg.chn, sizeof reply.chn);
    reply.count = count;
    reply.anr = msg.anr;
    coresim::out_msg m;
    m.id = msg_anr_switch_reply;
    m.payload.assign(reinterpret_cast<const uint8_t*>(&reply),
                     reinterpret_cast<const uint8_t*>(&reply) + sizeof reply);
    out.push_back(std::move(m));
}

const coresim::default_reply rows[] = {
    // request, request size, reply record size (-1: no answer), channel offset, builder
    {msg_holiday_changed, 0, -1},
    {msg_record_schedule, sizeof(chn_mask_msg), -1},
    {msg_record_mode, sizeof(chn_mask_msg), -1},
    {msg_record_settings, sizeof(record_settings_msg), -1},
    {msg_anr_switch, sizeof(anr_switch_msg), sizeof(anr_switch_reply), -1, anr_switched},
    {msg_anr_support, 4, sizeof(anr_support_reply), 0},
    {msg_record_streams, 0, sizeof(record_streams_reply)},
};

}  // namespace

CORESIM_DEFAULTS("schedule", rows);
