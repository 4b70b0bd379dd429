// Default replies of the settings a camera keeps itself: motion detection
// and tracking on all week, an audio encoder with two encodings, and every
// set taken.
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/msg_camera_side.h"
#include "tools/coresim/coresim.h"

namespace {

// Every day enabled, one slot over the whole day.
void whole_week(week_schedule& week) {
    for (sched_day& day : week.days) {
        day.day_flag = 1;
        std::snprintf(day.slots[0].start_time, sizeof day.slots[0].start_time, "00:00");
        std::snprintf(day.slots[0].end_time, sizeof day.slots[0].end_time, "24:00");
        day.slots[0].action_type = 1;
    }
}

void motion(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    auto m = std::make_unique<cam_motion>();
    m->chnid = coresim::request_record<int32_t>(req);
    m->enable = 1;
    m->sensitivity = 50;
    m->minsize = 10;
    m->mintime = 1;
    m->adaptability = 1;
    std::memset(m->map_mask, '1', 22 * 12);
    whole_week(m->effective);
    coresim::reply_records(req.id + 5000, m.get(), 1, out);
}

void tracking(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    auto t = std::make_unique<cam_tracking>();
    t->chnid = coresim::request_record<int32_t>(req);
    t->enable = 1;
    t->show = 1;
    t->sensitivity = 3;
    t->time = 30;
    t->zoom_mode = 1;
    t->zoom_number = 4;
    whole_week(t->schedule);
    std::memset(t->area, '1', 22 * 12);
    t->human_vehicle_support = 1;
    t->tracking_object = 1;
    coresim::reply_records(req.id + 5000, t.get(), 1, out);
}

// The text the camera gives back names what was asked.
void text_query(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    auto q = coresim::request_record<cam_text_query>(req);
    char text[160];
    int n = std::snprintf(text, sizeof text, "chnid=%d mainType=%d subType=%d time=%.63s", q.chnid,
                          q.main_type, q.sub_type, q.time);
    coresim::reply_records(req.id + 5000, text, static_cast<size_t>(n), out);
}

// G.711 at 8 kHz and AAC at 16 and 48 kHz.
void audio_caps(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    auto c = std::make_unique<cam_audio_caps>();
    c->support = 1;
    c->support_mode = 1;
    c->support_input_mode = 1;
    c->encoding_count = 2;
    cam_audio_encoding& g711 = c->encodings[0];
    g711.value = 0;
    g711.sample_rate_count = 1;
    g711.sample_rates[0] = {8000, 1, {64}};
    cam_audio_encoding& aac = c->encodings[1];
    aac.value = 2;
    aac.sample_rate_count = 2;
    aac.sample_rates[0] = {16000, 3, {32, 48, 64}};
    aac.sample_rates[1] = {48000, 2, {64, 128}};
    c->config = {coresim::request_record<int32_t>(req), 1, 0, 1, 0, 8000, 50, 0, 1, 80, 64};
    coresim::reply_records(req.id + 5000, c.get(), 1, out);
}

void audio_support(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    cam_audio_support s;
    std::memset(&s, 0, sizeof s);
    s.audio_support = 1;
    s.audio_support_mode = 1;
    s.line_input_support = 1;
    s.speaker_support = 1;
    coresim::reply_records(req.id + 5000, &s, 1, out);
}

const coresim::default_reply rows[] = {
    // request, request size, reply record size (-1: no answer), channel offset, builder
    {msg_cam_tracking_get, 4, sizeof(cam_tracking), 0, tracking},
    {msg_cam_motion_get, 4, sizeof(cam_motion), 0, motion},
    {msg_cam_text_query, sizeof(cam_text_query), 1, -1, text_query},
    {msg_cam_motion_set, sizeof(cam_motion_set), 4},
    {msg_cam_audio_caps, 4, sizeof(cam_audio_caps), -1, audio_caps},
    {msg_cam_audio_set, sizeof(cam_audio_set), 4},
    {msg_cam_tracking_set, sizeof(cam_tracking_set), 4},
    {msg_cam_audio_support, 4, sizeof(cam_audio_support), -1, audio_support},
};

}  // namespace

CORESIM_DEFAULTS("camera_side", rows);
