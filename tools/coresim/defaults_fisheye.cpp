// Default replies of the fisheye settings: every channel's camera is a
// ceiling fisheye with three streams, and every set is taken.
#include <cstring>

#include "platform/msg_event_fisheye.h"
#include "tools/coresim/coresim.h"

namespace {

void mode(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    fisheye_mode m = {coresim::request_record<int32_t>(req), 1, 2, 0, 0};
    coresim::reply_records(req.id + 5000, &m, 1, out);
}

void caps(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    fisheye_caps c = {1, 0, 1, 2, 3};
    coresim::reply_records(req.id + 5000, &c, 1, out);
}

void zoom(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    zoom_state z = {coresim::request_record<int32_t>(req), 0, 1};
    coresim::reply_records(req.id + 5000, &z, 1, out);
}

const coresim::default_reply rows[] = {
    // request, request size, reply record size (-1: no answer), channel offset, builder
    {msg_zoom_state, 4, sizeof(zoom_state), 0, zoom},
    {msg_fisheye_set, sizeof(fisheye_mode), 4},
    {msg_fisheye_get, 4, sizeof(fisheye_mode), 0, mode},
    {msg_fisheye_caps, sizeof(cam_address), sizeof(fisheye_caps), -1, caps},
    {msg_fisheye_caps_set, sizeof(cam_address_fisheye), 4},
};

}  // namespace

CORESIM_DEFAULTS("fisheye", rows);
