// The PTZ module's request table (one row a request code, in code order)
// and its reply table (one row an answer identifier).
#include "front/core_link.h"
#include "front/dispatchreq.h"
#include "modules/common/record_page.h"
#include "modules/ptz/ptz.h"
#include "platform/msg_camera_query.h"
#include "platform/msg_ptz.h"

namespace {

// clang-format off
const request_entry table[] = {
    {"/5000", ptz_move, IN_JSON, OUT_TEXT},                     // 1251 (twice for auto focus), then the speed
    {"/5001", ptz_preset, IN_JSON, OUT_TEXT},                   // 1253 (+ fisheye preset name, 3226)
    {"/5002", ptz_tour_a, IN_JSON, OUT_TEXT},                   // tour command 1260
    {"/5003", ptz_tour_b, IN_JSON, OUT_TEXT},                   // tour command 1261
    {"/5004", ptz_tour_run, IN_JSON, OUT_TEXT},                 // run a tour: 1254
    {"/5005", ptz_overview_get, IN_JSON, OUT_JSON},             // presets, tours, patterns: 1265 / 1268
    {"/5006", ptz_channel_act, IN_JSON, OUT_TEXT},              // channel action 1266
    {"/5007", ptz_zoom_set, IN_JSON, OUT_TEXT},                 // zoom 1267
    {"/5008", ptz_speed_param, IN_JSON, OUT_TEXT},              // the camera's PTZ speed (3226)
    {"/5009", ptz_command_word, IN_JSON, OUT_JSON_ERR},         // PTZ command word 3361
    {"/5010", ptz_state_get, IN_JSON, OUT_JSON_ERR},            // PTZ state of a channel 3363
    {"/5011", ptz_status_get, IN_JSON, OUT_JSON_ERR},           // PTZ status 1270
    {"/5012", ptz_status_set, IN_JSON, OUT_JSON_ERR},           // set the PTZ status 1271
    {"/6050", page_get<ptz_port_page>, IN_JSON, OUT_JSON_ERR},  // serial port of a channel
    {"/6051", ptz_port_set, IN_JSON, OUT_TEXT},                 // serial port of listed channels, 1252 each
    {"/6052", ptz_probe, IN_JSON, OUT_TEXT},                    // probe 1262
    {"/6053", page_get<ptz_speed_page>, IN_JSON, OUT_JSON},     // stored speeds
    {"/6054", page_set<ptz_speed_page>, IN_JSON, OUT_TEXT},     // store speeds
    {"/6055", ptz_tour_save, IN_JSON, OUT_TEXT},                // store a tour, 1264
    {"/6056", ptz_tour_send_path, IN_JSON, OUT_TEXT},           // send a tour without storing it, 1269
    {"/6057", ptz_tour_clear, IN_JSON, OUT_TEXT},               // clear a stored tour, 1257
};
// clang-format on

// An empty answer to the camera parameter is still "OK", and an overview
// without a whole record gives the overview's own error.
const reply_row replies[] = {
    {msg_cam_param_set_reply, 0, reply_short::empty, write_param_done},
    {msg_ptz_overview_reply, sizeof(ptz_overview), reply_short::empty, write_overview},
    {msg_ptz_overview_fish_reply, sizeof(ptz_overview), reply_short::empty, write_overview},
    {msg_ptz_status_reply, sizeof(ptz_status), reply_short::fail, write_status},
    {msg_ptz_status_set_reply, sizeof(int32_t), reply_short::fail, write_status_result},
    {msg_ptz_cmd_word_reply, sizeof(int32_t), reply_short::fail, write_command_result},
    {msg_ptz_state_reply, sizeof(ptz_state_reply), reply_short::fail, write_state},
    {msg_cam_support_reply, sizeof(int32_t), reply_short::fail, write_probe},
};

}  // namespace

CORE_REPLY_CALLBACK(ptz_reply, replies)

WEBREQ_MODULE(5, table)
