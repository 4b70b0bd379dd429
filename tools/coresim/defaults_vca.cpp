// Default replies of the smart analytics settings: every channel's camera
// supports all nine events. Cameras on even channels analyse at 704 x 576,
// those on odd channels at 1920 x 1080; each reports one line or box in the
// middle of its picture, so that the page draws something. Every setting
// succeeds (result 0).
#include <cstdio>
#include <cstring>

#include "platform/msg_vca.h"
#include "tools/coresim/coresim.h"

namespace {

struct resolution {
    int32_t w, h;
};

int32_t channel_of(const coresim::request_view& req) {
    int32_t chn = 0;
    if (req.size >= 4) std::memcpy(&chn, req.data, 4);
    return chn;
}

resolution resolution_of(int32_t chn) { return chn % 2 == 0 ? resolution{704, 576} : resolution{1920, 1080}; }

// A zero record of the channel asked for.
template <typename Rec>
Rec blank(const coresim::request_view& req) {
    Rec rec;
    std::memset(&rec, 0, sizeof rec);
    rec.chnid = channel_of(req);
    return rec;
}

template <typename Rec>
void send(const coresim::request_view& req, const Rec& rec, std::vector<coresim::out_msg>& out) {
    coresim::out_msg msg;
    msg.id = vca_reply_id(req.id);
    msg.payload.assign(reinterpret_cast<const uint8_t*>(&rec),
                       reinterpret_cast<const uint8_t*>(&rec) + sizeof rec);
    out.push_back(std::move(msg));
}

// A rectangle a quarter of the picture in from each side, as the camera's
// polygon texts.
template <typename Rec>
void set_area(Rec& rec, resolution r) {
    std::snprintf(rec.region, sizeof rec.region, "%d,%d,%d,%d", r.w / 4, r.h / 4, r.w * 3 / 4, r.h * 3 / 4);
    std::snprintf(rec.polygon_x, sizeof rec.polygon_x, "%d,%d,%d,%d", r.w / 4, r.w * 3 / 4, r.w * 3 / 4,
                  r.w / 4);
    std::snprintf(rec.polygon_y, sizeof rec.polygon_y, "%d,%d,%d,%d", r.h / 4, r.h / 4, r.h * 3 / 4,
                  r.h * 3 / 4);
}

void build_region(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    auto rec = blank<vca_region_record>(req);
    rec.enable = 1;
    rec.sensitivity = 3;
    rec.time = 10;
    rec.size = 2;
    rec.tracks = 1;
    rec.ignore_time = 5;
    rec.objtype = 1;
    set_area(rec, resolution_of(rec.chnid));
    send(req, rec, out);
}

void build_line(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    auto rec = blank<vca_line_record>(req);
    const resolution r = resolution_of(rec.chnid);
    rec.enable = 1;
    rec.width = r.w;
    rec.height = r.h;
    rec.lines[0] = {r.w / 4, r.h / 2, r.w * 3 / 4, r.h / 2, 0, 0};
    rec.objtype = 1;
    send(req, rec, out);
}

void build_people(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    auto rec = blank<vca_people_record>(req);
    const resolution r = resolution_of(rec.chnid);
    rec.enable = 1;
    rec.width = r.w;
    rec.height = r.h;
    rec.x1 = r.w / 2;
    rec.y1 = r.h / 4;
    rec.x2 = r.w / 2;
    rec.y2 = r.h * 3 / 4;
    rec.osd = 1;
    rec.font_size = 1;
    rec.in_thresholds = rec.out_thresholds = rec.sum_thresholds = 100;
    send(req, rec, out);
}

void build_analysis(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    auto rec = blank<vca_analysis_record>(req);
    const resolution r = resolution_of(rec.chnid);
    rec.vca_type = 1;
    rec.fps = 10;
    rec.analysis = 1;
    rec.width = r.w;
    rec.height = r.h;
    rec.min_box = {r.w / 2 - r.w / 20, r.h / 2 - r.h / 20, r.w / 10, r.h / 10};
    rec.max_box = {r.w / 4, r.h / 4, r.w / 2, r.h / 2};
    send(req, rec, out);
}

void build_object(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    auto rec = blank<vca_object_record>(req);
    rec.sensitivity = 3;
    rec.left_enable = 1;
    rec.remove_enable = 1;
    rec.min_time = 30;
    set_area(rec, resolution_of(rec.chnid));
    send(req, rec, out);
}

void build_support(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    vca_support_record rec = {channel_of(req), 1, 1};
    send(req, rec, out);
}

void build_version(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    vca_version_record rec = {channel_of(req), 1, 2};
    send(req, rec, out);
}

void build_line_b(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    auto rec = blank<vca_line_b_record>(req);
    const resolution r = resolution_of(rec.chnid);
    rec.sensitivity = 3;
    rec.width = r.w;
    rec.height = r.h;
    rec.lines[0] = {1, r.w / 4, r.h / 2, r.w * 3 / 4, r.h / 2, 0, 1};
    send(req, rec, out);
}

void build_analysis_b(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    auto rec = blank<vca_analysis_b_record>(req);
    const resolution r = resolution_of(rec.chnid);
    rec.fps = 10;
    rec.analysis = 1;
    rec.width = r.w;
    rec.height = r.h;
    rec.min_width[0] = r.w / 10;
    rec.min_height[0] = r.h / 10;
    rec.max_width[0] = r.w / 2;
    rec.max_height[0] = r.h / 2;
    send(req, rec, out);
}

constexpr int32_t result_size = 4;

const coresim::default_reply rows[] = {
    // request, request size, reply record size (-1: no answer), channel offset, builder
    {msg_smart_event_changed, 4, -1},
    {msg_vca_line_b, 4, sizeof(vca_line_b_record), -1, build_line_b},
    {msg_vca_line_b_set, sizeof(vca_line_b_record), result_size},
    {msg_vca_analysis_b, 4, sizeof(vca_analysis_b_record), -1, build_analysis_b},
    {msg_vca_analysis_b_set, sizeof(vca_analysis_b_record), result_size},
    {msg_vca_region_in, 4, sizeof(vca_region_record), -1, build_region},
    {msg_vca_region_out, 4, sizeof(vca_region_record), -1, build_region},
    {msg_vca_adv_motion, 4, sizeof(vca_region_record), -1, build_region},
    {msg_vca_tamper, 4, sizeof(vca_region_record), -1, build_region},
    {msg_vca_line, 4, sizeof(vca_line_record), -1, build_line},
    {msg_vca_loiter, 4, sizeof(vca_region_record), -1, build_region},
    {msg_vca_human, 4, sizeof(vca_region_record), -1, build_region},
    {msg_vca_region_in_set, sizeof(vca_region_record), result_size},
    {msg_vca_region_out_set, sizeof(vca_region_record), result_size},
    {msg_vca_adv_motion_set, sizeof(vca_region_record), result_size},
    {msg_vca_tamper_set, sizeof(vca_region_record), result_size},
    {msg_vca_line_set, sizeof(vca_line_record), result_size},
    {msg_vca_loiter_set, sizeof(vca_region_record), result_size},
    {msg_vca_human_set, sizeof(vca_region_record), result_size},
    {msg_vca_people, 4, sizeof(vca_people_record), -1, build_people},
    {msg_vca_people_set, sizeof(vca_people_record), result_size},
    {msg_vca_support, 4, sizeof(vca_support_record), -1, build_support},
    {msg_vca_analysis, 4, sizeof(vca_analysis_record), -1, build_analysis},
    {msg_vca_analysis_set, sizeof(vca_analysis_record), result_size},
    {msg_vca_command, sizeof(vca_command), result_size},
    {msg_vca_object, 4, sizeof(vca_object_record), -1, build_object},
    {msg_vca_object_set, sizeof(vca_object_record), result_size},
    {msg_vca_version, 4, sizeof(vca_version_record), -1, build_version},
};

}  // namespace

CORESIM_DEFAULTS("vca", rows);
