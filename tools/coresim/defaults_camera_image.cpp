// Default replies of a camera's image settings: a day camera with infrared,
// a time table of a day and a night entry, one region of interest, image
// profiles over the whole day; the sets are notices, the day/night set is
// taken.
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/msg_camera_image.h"
#include "tools/coresim/coresim.h"

namespace {

void image(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    image_reply r;
    std::memset(&r, 0, sizeof r);
    r.channel = coresim::request_record<int32_t>(req);
    image_block& b = r.image;
    b.smartir = 1;
    b.white_balance = 0;
    b.wdr_level = 50;
    b.wdr_stop_hour = 23;
    b.wdr_stop_minute = 59;
    b.red_gain = 50;
    b.blue_gain = 50;
    b.defog_level = 3;
    b.expose_time = 1;
    b.hlc_level = 50;
    std::snprintf(b.sdk_version, sizeof b.sdk_version, "2.4.1");
    coresim::reply_records(req.id + 5000, &r, 1, out);
}

void daynight(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    daynight_record d;
    std::memset(&d, 0, sizeof d);
    d.channel = coresim::request_record<int32_t>(req);
    d.mode_start_hour = 6;
    d.mode_stop_hour = 18;
    d.ircut_day_to_night = 3;
    d.ircut_night_to_day = 3;
    d.smart_ir_type = 1;
    d.near_ir_level = 50;
    d.far_ir_level = 50;
    d.mid_ir_level = 50;
    d.white_led_level = 40;
    d.day_night_sens = 5;
    d.night_day_sens = 5;
    std::snprintf(d.sensor_type, sizeof d.sensor_type, "CMOS");
    std::snprintf(d.product_model, sizeof d.product_model, "IPC-4K-B");
    std::snprintf(d.soft_version, sizeof d.soft_version, "7.2.0");
    std::snprintf(d.sdk_version, sizeof d.sdk_version, "2.4.1");
    coresim::reply_records(req.id + 5000, &d, 1, out);
}

// Day from 06:00 in colour, night from 18:00 in black and white.
void time_table_reply(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    time_table t;
    std::memset(&t, 0, sizeof t);
    t.entries[0] = {0, 1, 6, 0, 18, 0, 50, 1, 8, 30, 3, 0, 0, 0};
    t.entries[1] = {0, 1, 18, 0, 6, 0, 60, 1, 33, 80, 3, 1, 1, 1};
    coresim::reply_records(req.id + 5000, &t, 1, out);
}

void roi(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    roi_reply r;
    std::memset(&r, 0, sizeof r);
    r.channel = coresim::request_record<int32_t>(req);
    r.enable = 1;
    std::snprintf(r.sdk_version, sizeof r.sdk_version, "2.4.1");
    r.areas[0] = {1, 100, 100, 400, 300};
    coresim::reply_records(req.id + 5000, &r, 1, out);
}

template <typename Slot>
void whole_day(Slot& s) {
    std::snprintf(s.start_time, sizeof s.start_time, "00:00");
    std::snprintf(s.end_time, sizeof s.end_time, "24:00");
    s.action_type = 1;
}

void image_sched(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    auto r = std::make_unique<image_sched_reply>();
    std::memset(r.get(), 0, sizeof *r);
    r->channel = coresim::request_record<int32_t>(req);
    for (sched_day& d : r->week.days) {
        whole_day(d.slots[0]);
        d.day_flag = 1;
    }
    coresim::reply_records(req.id + 5000, r.get(), 1, out);
}

void exposure_sched(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    auto r = std::make_unique<exposure_sched_reply>();
    std::memset(r.get(), 0, sizeof *r);
    r->channel = coresim::request_record<int32_t>(req);
    for (exposure_day& d : r->week.days) {
        whole_day(d.slots[0]);
        d.slots[0].exposure_time = 8;
        d.slots[0].gain_level = 30;
    }
    coresim::reply_records(req.id + 5000, r.get(), 1, out);
}

void night(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    const night_mode n = {coresim::request_record<int32_t>(req), 0};
    coresim::reply_records(req.id + 5000, &n, 1, out);
}

const coresim::default_reply rows[] = {
    // request, request size, reply record size (-1: no answer), channel offset, builder
    {msg_night_mode_get, 4, sizeof(night_mode), -1, night},
    {msg_image_get, 4, sizeof(image_reply), -1, image},
    {msg_daynight_get, 4, sizeof(daynight_record), -1, daynight},
    {msg_daynight_set, sizeof(daynight_record), 4},
    {msg_roi_get, 4, sizeof(roi_reply), -1, roi},
    {msg_image_sched1_get, 4, sizeof(image_sched_reply), -1, image_sched},
    {msg_exposure_sched_get, 4, sizeof(exposure_sched_reply), -1, exposure_sched},
    {msg_image_sched3_get, 4, sizeof(image_sched_reply), -1, image_sched},
    {msg_time_table_get, 4, sizeof(time_table), -1, time_table_reply},
    {msg_time_table_set, sizeof(time_table_set), -1},
    {msg_image_set, sizeof(image_set), -1},
    {msg_image_sched1_set, sizeof(image_sched_set), -1},
    {msg_exposure_sched_set, sizeof(exposure_sched_set), -1},
    {msg_image_sched3_set, sizeof(image_sched_set), -1},
    {msg_roi_area_clear, sizeof(roi_area_ref), -1},
    {msg_roi_set, sizeof(roi_set), -1},
};

}  // namespace

CORESIM_DEFAULTS("camera_image", rows);
