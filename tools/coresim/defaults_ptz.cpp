// Default replies of PTZ control: an overview with a few presets, one tour
// and a pattern; the PTZ status and state of the asked channel; results 0.
// The PTZ commands are notices.
#include "platform/msg_ptz.h"
#include "tools/coresim/coresim.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

int32_t first_int(const coresim::request_view& req) {
    int32_t v = 0;
    if (req.size >= sizeof v) std::memcpy(&v, req.data, sizeof v);
    return v;
}

template <typename T>
void push(int32_t reply_id, const T& rec, std::vector<coresim::out_msg>& out) {
    coresim::out_msg msg;
    msg.id = reply_id;
    const auto* bytes = reinterpret_cast<const uint8_t*>(&rec);
    msg.payload.assign(bytes, bytes + sizeof rec);
    out.push_back(std::move(msg));
}

// 1265, 1268: presets 1..4 set, tour 1 over them, pattern 1 recorded.
void overview(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    auto ov = std::make_unique<ptz_overview>();
    std::memset(ov.get(), 0, sizeof *ov);
    for (int i = 1; i <= 4; ++i) {
        ov->presets[i].enable = 1;
        std::snprintf(ov->presets[i].name, sizeof ov->presets[i].name, "Preset %d", i);
    }
    for (int p = 0; p < 4; ++p) {
        ov->tours[0].preset[p] = p + 1;
        ov->tours[0].time[p] = 10;
        ov->tours[0].speed[p] = 5;
    }
    ov->pattern_enable[0] = 1;
    push(req.id + 5000, *ov, out);
}

// 1270: the asked channel, idle, with manual speed 5.
void status(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    ptz_status st;
    std::memset(&st, 0, sizeof st);
    st.channel = first_int(req);
    st.manual_speed = 5;
    st.preset_speed = 5;
    std::memset(st.channel_mask, '0', 64);
    push(req.id + 5000, st, out);
}

const coresim::default_reply rows[] = {
    // request, request size, reply record size (-1: no answer), channel offset, builder
    {msg_ptz_move, sizeof(ptz_command), -1},
    {msg_ptz_port, 4, -1},
    {msg_ptz_preset, sizeof(ptz_command), -1},
    {msg_ptz_tour_run, sizeof(ptz_command), -1},
    {msg_ptz_tour_clear, sizeof(ptz_tour_command), -1},
    {msg_ptz_tour_a, sizeof(ptz_tour_command), -1},
    {msg_ptz_tour_b, sizeof(ptz_tour_command), -1},
    {msg_ptz_tour_store, sizeof(ptz_tour_store), -1},
    {msg_ptz_overview, 4, sizeof(ptz_overview), -1, overview},
    {msg_ptz_channel_action, sizeof(ptz_channel_action), -1},
    {msg_ptz_zoom, sizeof(ptz_zoom), -1},
    {msg_ptz_overview_fish, sizeof(ptz_overview_fish_req), sizeof(ptz_overview), -1, overview},
    {msg_ptz_tour_send, sizeof(ptz_tour_send), -1},
    {msg_ptz_status, 4, sizeof(ptz_status), 4, status},
    {msg_ptz_status_set, sizeof(ptz_status), 4},
    {msg_ptz_cmd_word, sizeof(ptz_cmd_word), 4},
    {msg_ptz_state, 4, sizeof(ptz_state_reply), 0},
};

}  // namespace

CORESIM_DEFAULTS("ptz", rows);
