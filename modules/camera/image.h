// A camera's image settings (image.cpp): colour and exposure, day/night
// switching and infrared, the day/night time table, regions of interest,
// the camera's week schedules of image profiles (all kept by the camera and
// reached through the core daemon) and the exposure steps, the one part the
// recorder stores.
//
// The sets that carry a list of channels take the listed channels 0..63 in
// their order; anything else in the list is not a channel and is left out.
#pragma once

#include "front/core_link.h"
#include "front/dispatchreq.h"
#include "modules/camera/camera.h"
#include "modules/common/relay.h"
#include "platform/msg_camera_image.h"

extern const relay<image_set> image_set_relay;                 // "/2020" 3280, "OK"
extern const relay<daynight_record> daynight_set_relay;        // "/2022" 3224 -> 8224
extern const relay<time_table_set> time_entry_set_relay;       // "/2038" 3279, "OK"
extern const relay<roi_set> roi_set_relay;                     // "/2040" 3288, "OK"
extern const relay<image_sched_set> image_sched1_set_relay;    // "/2042" 3281, "OK"
extern const relay<exposure_sched_set> exposure_sched_set_relay;  // "/2044" 3282, "OK"
extern const relay<image_sched_set> image_sched3_set_relay;    // "/2046" 3283, "OK"
extern const relay<roi_area_ref> roi_area_clear_relay;         // "/2050" 3284, "OK"

// The gets send the request's channel member (0..63) and wait for the answer.
template <int32_t Msg>
void image_get(request& rq) {
    channel_query(rq, "id", camera_reply, Msg);
}
void night_mode_get(request& rq);   // "/2062" 1219 -> 6219
void time_table_copy(request& rq);  // "/2047" 3279 per listed channel
void exposure_steps_set(request& rq);  // "/2048"
void exposure_steps_get(request& rq);  // "/2049"

int write_image(const core_answer& answer);             // answer 8221
int write_daynight(const core_answer& answer);          // answer 8223
int write_daynight_verdict(const core_answer& answer);  // answer 8224
int write_roi(const core_answer& answer);               // answer 8271
int write_image_sched1(const core_answer& answer);      // answer 8273
int write_exposure_sched(const core_answer& answer);    // answer 8275
int write_image_sched3(const core_answer& answer);      // answer 8277
int write_time_table(const core_answer& answer);        // answer 8278
int write_night_mode(const core_answer& answer);        // answer 6219
