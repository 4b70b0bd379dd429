// Default replies of the network services pages: the P2P service is
// switched on or off with success and reports a plausible state; the
// service status is 0. The notices of the ports page get no answer.
#include <cstdio>
#include <cstring>

#include "platform/msg_network.h"
#include "platform/tqdb/rec_services.h"
#include "tools/coresim/coresim.h"

namespace {

void answer_int(const coresim::request_view& req, int32_t value, std::vector<coresim::out_msg>& out) {
    coresim::out_msg msg;
    msg.id = req.id + 5000;
    msg.payload.assign(sizeof value, 0);
    std::memcpy(msg.payload.data(), &value, sizeof value);
    out.push_back(std::move(msg));
}

// 3700 is a waiting request only in its record form; the registration
// notice (the P2P server's text) gets no answer.
void build_p2p_enable(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    if (req.size == sizeof(p2p_record)) answer_int(req, 0, out);
}

// The service on and online, registered to a test account.
void build_p2p_state(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    p2p_state state;
    std::memset(&state, 0, sizeof state);
    state.enable = 1;
    state.p2p_status = 1;
    std::snprintf(state.company, sizeof state.company, "Velartica");
    std::snprintf(state.email, sizeof state.email, "owner@example.com");
    std::snprintf(state.cloud_account, sizeof state.cloud_account, "owner@example.com");
    std::snprintf(state.register_code, sizeof state.register_code, "RC7K2M9Q");
    std::snprintf(state.dealer, sizeof state.dealer, "Velartica");
    std::snprintf(state.model, sizeof state.model, "NVR-3216");
    std::snprintf(state.cloud_server, sizeof state.cloud_server, "p2p.example.com");
    coresim::out_msg msg;
    msg.id = req.id + 5000;
    msg.payload.assign(reinterpret_cast<const uint8_t*>(&state),
                       reinterpret_cast<const uint8_t*>(&state + 1));
    out.push_back(std::move(msg));
}

const coresim::default_reply rows[] = {
    // request, request size, reply record size (-1: no answer), channel offset, builder, reply id
    {msg_channel_access, 4, -1},
    {msg_pos_port, 4, -1},
    {msg_push_enable, 10, -1},
    {msg_p2p_enable, -1, 4, -1, build_p2p_enable},
    {msg_p2p_disable, sizeof(p2p_record), 4},
    {msg_p2p_state, 0, sizeof(p2p_state), -1, build_p2p_state},
    {msg_service_status, 0, 4},
    {msg_service_action, 0, 4},
};

}  // namespace

CORESIM_DEFAULTS("network services", rows);
