// Default replies of the camera streams: even channels hold a 4K camera,
// odd ones a 1080p camera; every set is taken on the channels it names.
#include <cstring>

#include "platform/msg_camera_stream.h"
#include "tools/coresim/coresim.h"

namespace {

struct camera_model {
    int32_t main_res[6][2];
    int32_t main_fps_max, main_br_max, main_cur;  // cur: index of the current resolution
    int32_t sub_res[3][2];
    int32_t sub_br_max;
};

const camera_model uhd = {
    {{3840, 2160}, {3072, 1728}, {2560, 1440}, {1920, 1080}, {1280, 720}, {0, 0}}, 25, 16384, 0,
    {{704, 576}, {640, 360}, {352, 288}}, 2048};
const camera_model fhd = {
    {{1920, 1080}, {1280, 960}, {1280, 720}, {0, 0}, {0, 0}, {0, 0}}, 30, 8192, 0,
    {{704, 576}, {640, 480}, {352, 288}}, 1024};

void fill_block(stream_caps_block& b, const int32_t (*res)[2], int n, int32_t fps_max, int32_t br_max,
                int32_t cur, int32_t br) {
    for (int i = 0; i < n; ++i) {
        b.res[i][0] = res[i][0];
        b.res[i][1] = res[i][1];
    }
    b.framerate_max = fps_max;
    b.framerate_min = 1;
    b.bitrate_max = br_max;
    b.bitrate_min = 64;
    b.video_type = 1;
    b.cur_width = res[cur][0];
    b.cur_height = res[cur][1];
    b.framerate = fps_max;
    b.bitrate = br;
    b.iframe_interval = 2 * fps_max;
}

void caps(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    stream_caps c;
    std::memset(&c, 0, sizeof c);
    c.channel = coresim::request_record<int32_t>(req);
    const camera_model& m = c.channel % 2 == 0 ? uhd : fhd;
    fill_block(c.main, m.main_res, 6, m.main_fps_max, m.main_br_max, m.main_cur, m.main_br_max / 2);
    fill_block(c.sub, m.sub_res, 3, m.main_fps_max, m.sub_br_max, 0, m.sub_br_max / 2);
    c.sub_enable = 1;
    c.audio_enable = 1;
    c.video_type_enable = 1;
    c.ipc_type = c.channel % 2 == 0 ? 2 : 1;
    c.sub_stream = 1;
    c.smart_stream_support = 1;
    c.smart_stream = 0;
    c.smart_stream_level = 3;
    c.sub_smart_stream_level = 3;
    coresim::reply_records(req.id + 5000, &c, 1, out);
}

// The channels the settings named took them.
void set_result(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    const auto s = coresim::request_record<stream_settings>(req);
    uint64_t mask = 0;
    for (int n = 0; n < 64; ++n)
        if (s.chans[n] == '1') mask |= uint64_t{1} << n;
    coresim::reply_records(req.id + 5000, &mask, 1, out);
}

void extra(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    const auto q = coresim::request_record<stream_extra_query>(req);
    const stream_extra e = {q.channel, q.fisheye_type, 1, 15, 1024, 30};
    coresim::reply_records(req.id + 5000, &e, 1, out);
}

const coresim::default_reply rows[] = {
    // request, request size, reply record size (-1: no answer), channel offset, builder
    {msg_stream_extra_get, sizeof(stream_extra_query), sizeof(stream_extra), -1, extra},
    {msg_stream_extra_set, sizeof(stream_extra_set), 4},
    {msg_stream_set, sizeof(stream_settings), 8, -1, set_result},
    {msg_stream_caps, 4, sizeof(stream_caps), -1, caps},
};

}  // namespace

CORESIM_DEFAULTS("camera_stream", rows);
