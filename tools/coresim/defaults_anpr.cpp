// Default replies of plate recognition: every channel's camera recognises
// plates on the whole picture with a region list of two, one ROI and one
// wildcard format; every setting is taken.
#include <cstdio>
#include <cstring>

#include "platform/msg_anpr.h"
#include "tools/coresim/coresim.h"

namespace {

void settings(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    anpr_settings s;
    std::memset(&s, 0, sizeof s);
    s.chnid = coresim::request_record<int32_t>(req);
    s.enable = 1;
    s.resolution_width = 1920;
    s.resolution_height = 1080;
    s.area_width = 1920;
    s.area_height = 1080;
    s.scene = 1;
    s.repeat_check_time_value = 5;
    s.repeat_check_time_unit = 1;
    s.post_tcp_port = 8080;
    s.confidence = 80;
    std::snprintf(s.region[0], sizeof s.region[0], "EU");
    std::snprintf(s.region[1], sizeof s.region[1], "US");
    std::snprintf(s.cur_area, sizeof s.cur_area, "EU");
    s.roi[0] = {"gate", 480, 270, 1440, 810};
    coresim::reply_records(req.id + 5000, &s, 1, out);
}

void format(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    anpr_format f;
    std::memset(&f, 0, sizeof f);
    f.chnid = coresim::request_record<int32_t>(req);
    f.filter = 1;
    f.enable[0] = 1;
    f.cr_count[0] = 7;
    std::snprintf(f.format[0], sizeof f.format[0], "AA-999-AA");
    coresim::reply_records(req.id + 5000, &f, 1, out);
}

const coresim::default_reply rows[] = {
    // request, request size, reply record size (-1: no answer), channel offset, builder
    {msg_anpr_format, 4, sizeof(anpr_format), 0, format},
    {msg_anpr_format_set, sizeof(anpr_format), 4},
    {msg_anpr_settings, 4, sizeof(anpr_settings), 0, settings},
    {msg_anpr_settings_set, sizeof(anpr_settings), 4},
};

}  // namespace

CORESIM_DEFAULTS("anpr", rows);
