// Timed snapshots, the camera alarm input, sound detection and the
// recorder-wide trigger table (snapshot.cpp).
#pragma once

#include "front/core_link.h"
#include "front/dispatchreq.h"
#include "modules/common/record_page.h"
#include "platform/msg_event_osd.h"

struct schedule_page;
extern const schedule_page snapshot_schedule_page;  // "/6174"
extern const record_page snapshot_page;             // "/6176"
extern const record_page cam_io_page;               // "/6091" mirrored, then 3214
extern const record_page sound_page;                // "/6093" mirrored, then 3216
extern const record_page trigger_page;              // "/6998" then 2104

void snapshot_schedules_set(request& rq);  // "/6175" 1312
void snapshots_set(request& rq);           // "/6177" 1311
void snapshot_command_send(request& rq);   // "/6178" 1313 start / stop
void cam_io_get(request& rq);              // "/6090" 3213 -> 8213
void sound_get(request& rq);               // "/6092" 3215 -> 8215
void triggers_get(request& rq);            // "/6999"

int write_cam_io(const core_answer& answer);  // answer 8213
int write_sound(const core_answer& answer);   // answer 8215
