// The PTZ module's request table: one row a request code, in code order.
#include "front/dispatchreq.h"
#include "modules/ptz/ptz.h"

namespace {

const request_entry table[] = {
    {"/5000", ptz_move},            // move: 1251 (twice for auto focus), then the speed
    {"/5001", ptz_preset},          // preset operation: 1253 (+ fisheye preset name)
    {"/5002", ptz_tour_a},          // tour command 1260
    {"/5003", ptz_tour_b},          // tour command 1261
    {"/5004", ptz_tour_run},        // run a tour: 1254
    {"/5005", ptz_overview_get},    // presets, tours, patterns: 1265 / 1268
    {"/5006", ptz_channel_act},     // channel action 1266
    {"/5007", ptz_zoom_set},        // zoom 1267
    {"/5008", ptz_speed_param},     // the camera's PTZ speed (3226)
    {"/5009", ptz_command_word},    // PTZ command word 3361
    {"/5010", ptz_state_get},       // PTZ state of a channel 3363
    {"/5011", ptz_status_get},      // PTZ status 1270
    {"/5012", ptz_status_set},      // set the PTZ status 1271
    {"/6050", ptz_port_get},        // serial port of a channel (database)
    {"/6051", ptz_port_set},        // serial port of listed channels, 1252 each
    {"/6052", ptz_probe},           // probe 1262
    {"/6053", ptz_speeds_get},      // stored speeds (database)
    {"/6054", ptz_speeds_set},      // store speeds
    {"/6055", ptz_tour_save},       // store a tour, 1264
    {"/6056", ptz_tour_send_path},  // send a tour without storing it, 1269
    {"/6057", ptz_tour_clear},      // clear a stored tour, 1257
};

}  // namespace

WEBREQ_MODULE(5, table)
