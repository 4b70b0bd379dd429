// Settings the camera keeps itself (camera_side.cpp): its own motion
// detection, automatic PTZ tracking and audio encoder, read and set through
// the core daemon; nothing is stored in the recorder.
//
// The sets are relays (modules/common/relay.h) whose payload starts with
// the mask of the channels that take the same settings; it always holds
// the request's own channel.
#pragma once

#include "front/core_link.h"
#include "front/dispatchreq.h"
#include "modules/camera/camera.h"
#include "modules/common/relay.h"
#include "platform/msg_camera_side.h"

extern const relay<cam_motion_set> cam_motion_relay;      // "/2052" 3366 -> 8366
extern const relay<cam_text_query> cam_text_relay;        // "/2053" 3360 -> 8360
extern const relay<cam_tracking_set> cam_tracking_relay;  // "/2055" 3375 -> 8375
extern const relay<cam_audio_set> cam_audio_relay;        // "/2064" 3372 -> 8372

// The gets send the request's "chnid" (0..63) and wait for the answer.
template <int32_t Msg>
void cam_side_get(request& rq) {
    channel_query(rq, "chnid", camera_reply, Msg);
}

int write_cam_motion(const core_answer& answer);         // answer 8358
int write_cam_tracking(const core_answer& answer);       // answer 8294
int write_cam_audio_caps(const core_answer& answer);     // answer 8371
int write_cam_audio_verdict(const core_answer& answer);  // answer 8372
int write_cam_audio_support(const core_answer& answer);  // answer 8376
