// Default replies of the recording-schedule messages: the ANR switch (every
// listed camera switched), the ANR support query (channel echoed, no
// support) and the recording streams (none reported). The notices only give
// their request size; 1407 is shared with the wizard and registered there.
#include "modules/schedule/schedule_msgs.h"
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
    m.id = MSG_ANR_SWITCH + 5000;
    m.payload.assign(reinterpret_cast<const uint8_t*>(&reply),
                     reinterpret_cast<const uint8_t*>(&reply) + sizeof reply);
    out.push_back(std::move(m));
}

const coresim::default_reply rows[] = {
    // request, request size, reply record size (-1: no answer), channel offset, builder
    {MSG_HOLIDAY_CHANGED, 0, -1},
    {MSG_RECORD_SCHEDULE, sizeof(chn_mask_msg), -1},
    {MSG_RECORD_MODE, sizeof(chn_mask_msg), -1},
    {MSG_RECORD_SETTINGS, sizeof(record_settings_msg), -1},
    {MSG_ANR_SWITCH, sizeof(anr_switch_msg), sizeof(anr_switch_reply), -1, anr_switched},
    {MSG_ANR_SUPPORT, 4, sizeof(anr_support_reply), 0},
    {MSG_RECORD_STREAMS, 0, sizeof(record_streams_reply)},
};

}  // namespace

CORESIM_DEFAULTS("schedule", rows);
