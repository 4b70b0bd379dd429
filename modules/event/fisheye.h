// Fisheye settings and the zoom state of a channel (fisheye.cpp): camera
// properties read and set through the core daemon, nothing stored.
//
// Each is a relay (modules/common/relay.h) or a channel query: one request,
// one message, the camera's answer.
#pragma once

#include "front/core_link.h"
#include "front/dispatchreq.h"
#include "modules/common/relay.h"
#include "platform/msg_event_fisheye.h"

extern const relay<fisheye_mode> fisheye_set_relay;              // "/6131" 3231 -> 8231
extern const relay<cam_address> fisheye_caps_relay;              // "/6196" 3373 -> 8373
extern const relay<cam_address_fisheye> fisheye_caps_set_relay;  // "/6197" 3374 -> 8374

void fisheye_get(request& rq);     // "/6130" the dewarping mode of "id"
void zoom_state_get(request& rq);  // "/6189" the zoom state of "chnid"

int write_fisheye_mode(const core_answer& answer);     // answer 8232
int write_fisheye_verdict(const core_answer& answer);  // answer 8231
int write_fisheye_caps(const core_answer& answer);     // answer 8373
int write_fisheye_result(const core_answer& answer);   // answer 8374
int write_zoom_state(const core_answer& answer);       // answer 6215
