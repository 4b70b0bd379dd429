// The PTZ module: request handlers of "/5000".."/5012" and "/6050".."/6057"
// and the writers of the core daemon's answers to them.
//
// ptz_table.cpp holds the module's request table and its reply table; the
// handlers live in ptz_control.cpp (live commands and queries), ptz_tours.cpp
// (tour tables) and ptz_settings.cpp (serial port and speed settings), the
// writers in ptz_reply.cpp.
#pragma once

#include <json-c/json.h>

#include <cstdint>

#include "front/core_link.h"
#include "front/dispatchreq.h"

// ---- shared by the handlers (ptz_common.cpp) -----------------------------------

// The module's callback for every message it sends (ptz_table.cpp).
void ptz_reply(void* ctx, const void* header, const void* payload);

// Operation-log entries of PTZ requests: parameter 900 for moves and tour
// commands, 904 for the rest; the entry names channel + 1.
inline constexpr int ptz_log_move = 900;
inline constexpr int ptz_log_setting = 904;
inline constexpr int64_t ptz_log_sub_type = 206;
void ptz_log(int parameter, int chn);

// Sends a key of the camera's PTZ settings page (message 3226) and waits;
// the answer writes "OK", no answer the plain-text failure reply.
void ptz_camera_param(int chn, const char* key, const char* value);
// The camera's "ptzspeed" parameter for a speed of the page's scale.
void ptz_camera_speed(int chn, int speed);

// The tour command of "/5002", "/5003" and "/6057": channel, tour and the
// request's "fisheyeType" and "streamId".
struct ptz_tour_command;
void ptz_tour_command_from(json_object* req, int chn, int tour, ptz_tour_command* cmd);

// ---- live commands and queries (ptz_control.cpp) -------------------------------

void ptz_move(request& rq);          // "/5000"
void ptz_preset(request& rq);        // "/5001"
void ptz_tour_a(request& rq);        // "/5002"
void ptz_tour_b(request& rq);        // "/5003"
void ptz_tour_run(request& rq);      // "/5004"
void ptz_overview_get(request& rq);  // "/5005"
void ptz_channel_act(request& rq);   // "/5006"
void ptz_zoom_set(request& rq);      // "/5007"
void ptz_speed_param(request& rq);   // "/5008"
void ptz_command_word(request& rq);  // "/5009"
void ptz_state_get(request& rq);     // "/5010"
void ptz_status_get(request& rq);    // "/5011"
void ptz_status_set(request& rq);    // "/5012"
void ptz_probe(request& rq);         // "/6052"

// ---- settings (ptz_settings.cpp) ------------------------------------------------

extern const struct record_page ptz_port_page;   // "/6050"
void ptz_port_set(request& rq);                  // "/6051"
extern const struct record_page ptz_speed_page;  // "/6053", "/6054"

// ---- tours (ptz_tours.cpp) --------------------------------------------------------

void ptz_tour_save(request& rq);       // "/6055"
void ptz_tour_send_path(request& rq);  // "/6056"
void ptz_tour_clear(request& rq);      // "/6057"

// ---- writers (ptz_reply.cpp) --------------------------------------------------------

int write_param_done(const core_answer& answer);      // 8226
int write_overview(const core_answer& answer);        // 6265, 6268
int write_status(const core_answer& answer);          // 6270
int write_status_result(const core_answer& answer);   // 6271
int write_command_result(const core_answer& answer);  // 8361
int write_state(const core_answer& answer);           // 8363
int write_probe(const core_answer& answer);           // 6262

// Fills a PTZ status record from a "/5012" request: the channel, the sixteen
// status members (a missing one reads 0) and the 64-character channel mask.
struct ptz_status;
void ptz_status_from_json(json_object* req, ptz_status* st);
