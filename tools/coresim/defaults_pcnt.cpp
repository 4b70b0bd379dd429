// Default replies of people counting, POS and face capture: every change is
// taken (result 0); a camera's counting page answers with a short status
// text; every camera counts in two regions, a door on the left and a till
// on the right of a 1920 x 1080 picture.
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/msg_pcnt.h"
#include "tools/coresim/coresim.h"

namespace {

void camera_url(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    auto in = coresim::request_record<pcnt_url_request>(req);
    char text[96];
    int len = std::snprintf(text, sizeof text, "channel %d counting: in 12, out 9", static_cast<int>(in.channel));
    pcnt_url_reply_head head{0, in.channel};
    std::vector<uint8_t> bytes(sizeof head + static_cast<size_t>(len));
    std::memcpy(bytes.data(), &head, sizeof head);
    std::memcpy(bytes.data() + sizeof head, text, static_cast<size_t>(len));
    coresim::reply_records(msg_pcnt_camera_url_reply, bytes.data(), bytes.size(), out);
}

void set_region(regional_pcnt_region& r, const char* xs, const char* ys) {
    r.enable = 1;
    std::snprintf(r.polygon_x, sizeof r.polygon_x, "%s", xs);
    std::snprintf(r.polygon_y, sizeof r.polygon_y, "%s", ys);
    r.max_stay_enable = 1;
    r.max_stay_value = 10;
    r.max_stay_time_enable = 1;
    r.max_stay_time_value = 300;
}

void regional(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    regional_pcnt_record rec;
    std::memset(&rec, 0, sizeof rec);
    rec.chnid = coresim::request_record<int32_t>(req);
    rec.sensitivity = 5;
    rec.min_obj_width = 40;
    rec.min_obj_height = 40;
    rec.max_obj_width = 600;
    rec.max_obj_height = 800;
    set_region(rec.regions[0], "100,700,700,100", "100,100,900,900");
    set_region(rec.regions[1], "1100,1800,1800,1100", "200,200,900,900");
    coresim::reply_records(msg_regional_pcnt_get_reply, &rec, 1, out);
}

const coresim::default_reply rows[] = {
    // request, request size, reply record size (-1: no answer), channel offset, builder, reply id
    {msg_pcnt_groups_changed, 4, 4},
    {msg_pcnt_group_action1, 4, 4},
    {msg_pcnt_group_action2, 4, 4},
    {msg_pcnt_group_event_changed, sizeof(pcnt_group_event_notice), 4},
    {msg_pcnt_reports_changed, 0, 4},
    {msg_pcnt_camera_url, sizeof(pcnt_url_request), 0, -1, camera_url},
    {msg_pos_changed, 4, 4},
    {msg_face_actions_changed, 4, -1},
    {msg_face_capture_set, sizeof(face_capture), 4},
    {msg_regional_pcnt_get, 4, sizeof(regional_pcnt_record), -1, regional},
    {msg_regional_pcnt_set, sizeof(regional_pcnt_record), 4},
};

}  // namespace

CORESIM_DEFAULTS("pcnt", rows);
