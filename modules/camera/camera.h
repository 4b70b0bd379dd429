// The camera module: request handlers of "/2000".."/2081" and the writers of
// the core daemon's answers to them.
//
// camera_table.cpp holds the module's request table and its reply table;
// handlers and writers live in one file per topic.
#pragma once

#include "front/core_link.h"
#include "front/dispatchreq.h"

// The module's callback for every message it sends (camera_table.cpp).
void camera_reply(void* ctx, const void* header, const void* payload);

// ---- channels (channels.cpp) ----------------------------------------------

void cam_channel_get(request& rq);      // "/2000" one channel's settings
void cam_channel_list(request& rq);     // "/2001", "/2007" live channel list
void cam_edit(request& rq);             // "/2003" edit a camera
void cam_add(request& rq);              // "/2004" add a camera
void cam_delete(request& rq);           // "/2005" delete a camera
void cam_channel_names(request& rq);    // "/2012" channel names
void cam_set_credentials(request& rq);  // "/2017" camera login
void cam_set_transport(request& rq);    // "/2031" transport and time sync

int write_channel_list(const core_answer& answer);  // answer 8201

// ---- queries (queries.cpp) ------------------------------------------------

void cam_record_days(request& rq);           // "/2013" days of a month with recordings
void cam_param_get(request& rq);             // "/2023" read a camera web parameter
void cam_param_set(request& rq);             // "/2024" write a camera web parameter
void cam_type(request& rq);                  // "/2025" camera type
void cam_ui_command(request& rq);            // "/2026" local display command
void cam_chip_code(request& rq);             // "/2027" chip code
void cam_motion_state(request& rq);          // "/2028" motion state of all channels
void cam_info_all(request& rq);              // "/2029" information of all cameras
void cam_event_schedules(request& rq);       // "/2035" event schedules of a channel
void cam_event_schedules_copy(request& rq);  // "/2036" store event schedules
void cam_support(request& rq);               // "/2056" capability query
void cam_info_one(request& rq);              // "/2057" information of one camera
void cam_watermark_get(request& rq);         // "/2058" read the watermark
void cam_watermark_put(request& rq);         // "/2059" write the watermark

int write_web_param(const core_answer& answer);          // answer 8225
int write_web_param_result(const core_answer& answer);   // answer 8226
int write_camera_type(const core_answer& answer);        // answer 7503
int write_ui_command_result(const core_answer& answer);  // answer 9002
int write_chip_code(const core_answer& answer);          // answer 9004
int write_motion_state(const core_answer& answer);       // answer 8307
int write_cam_info_all(const core_answer& answer);       // answer 7505
int write_cam_info(const core_answer& answer);           // answer 7507
int write_result(const core_answer& answer);             // answers 6262, 6216: {"res": n}
int write_watermark(const core_answer& answer);          // answer 6213
int write_record_days(const core_answer& answer);        // answer 8493
