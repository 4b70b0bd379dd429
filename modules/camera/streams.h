// The encoding settings of a camera's streams (streams.cpp): they live in
// the camera, so every request goes through the core daemon. The channel's
// stored name and connection fields join the capabilities.
#pragma once

#include "front/core_link.h"
#include "front/dispatchreq.h"
#include "modules/camera/camera.h"
#include "modules/common/relay.h"
#include "platform/msg_camera_stream.h"

extern const relay<stream_settings> stream_set_one_relay;      // "/2010" 3203 -> 8203
extern const relay<stream_settings> stream_set_many_relay;     // "/2030" 3203 -> 8203
extern const relay<stream_extra_query> stream_extra_get_relay;  // "/2060" 1217 -> 6217
extern const relay<stream_extra_set> stream_extra_set_relay;    // "/2061" 1218 -> 6218

void stream_caps_get(request& rq);  // "/2009" 3204 -> 8204

int write_stream_caps(const core_answer& answer);       // answer 8204
int write_stream_set_result(const core_answer& answer);  // answer 8203
int write_stream_extra(const core_answer& answer);      // answer 6217
