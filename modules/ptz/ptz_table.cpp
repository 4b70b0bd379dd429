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
    {"/5000", ptz_move, IN_JSON, OUT_TEXT,
     "move a channel's PTZ camera, then set the camera's PTZ speed to the pan speed",
     "{channelId 0..channels-1, action >= 0, panSpeed?, tiltSpeed?, zoomSpeed?, focusSpeed?, fisheyeType?, "
     "streamId?, isAutoFocus? (with zoom in 21)}", "1251 (again with auto focus), 3226 -> 8226, 3485", "OK"},
    {"/5001", ptz_preset, IN_JSON, OUT_TEXT,
     "a preset command: call, save (with a name) or clear; a fisheye stream's preset saved in the camera",
     "{channelId 0..channels-1, action >= 0, presetId 0..300, panSpeed >= 0, tiltSpeed >= 0, "
     "zoomSpeed >= 0, focusSpeed >= 0, name?, fisheyeType?, streamId?}",
     "1253, (3226 -> 8226 fisheye save), 3485", "OK"},
    {"/5002", ptz_tour_a, IN_JSON, OUT_TEXT,
     "a tour command on a channel", "{chn 0..63, tourid?, fisheyeType?, streamId?}", "1260, 3485", "OK"},
    {"/5003", ptz_tour_b, IN_JSON, OUT_TEXT,
     "a tour command on a channel", "{chn 0..63, tourid?, fisheyeType?, streamId?}", "1261, 3485", "OK"},
    {"/5004", ptz_tour_run, IN_JSON, OUT_TEXT,
     "run, stop or step a tour on a channel", "{chn 0..63, action 0..4, tourid?}", "1254, 3485", "OK"},
    {"/5005", ptz_overview_get, IN_JSON, OUT_JSON,
     "the presets, tours, patterns and run states of a channel's PTZ camera (or of a fisheye stream)",
     "{chn 0..63, fisheyeType?, streamId?}", "1265 -> 6265 or 1268 -> 6268",
     "{status: OK, PRESET: [{enable, name}], TOUR: [[{preset_id, speed, timeout}]], PATTERN: [{enable}], "
     "autoscan_status: [5], tour_status: [[8]]} or {status: Error}"},
    {"/5006", ptz_channel_act, IN_JSON, OUT_TEXT,
     "a PTZ action on a channel", "{channelId 0..63, action?}", "1266, 3485", "OK"},
    {"/5007", ptz_zoom_set, IN_JSON, OUT_TEXT,
     "zoom a channel's camera", "{camId 0..63, Zoom?, ZoomSpeed?}", "1267, 3485", "OK"},
    {"/5008", ptz_speed_param, IN_JSON, OUT_TEXT,
     "set the camera's PTZ speed", "{chn 0..63, Speed?}", "3226 -> 8226, 3485", "OK"},
    {"/5009", ptz_command_word, IN_JSON, OUT_JSON_ERR,
     "a PTZ command word to a channel's camera", "{chnid 0..63, ptzCmd?}", "3361 -> 8361, 3485", "{res}"},
    {"/5010", ptz_state_get, IN_JSON, OUT_JSON_ERR,
     "the PTZ state of a channel", "{chnid 0..63}", "3363 -> 8363", "{chnid, status}"},
    {"/5011", ptz_status_get, IN_JSON, OUT_JSON_ERR,
     "the PTZ status of a channel", "{chnId 0..63}", "1270 -> 6270",
     "{status, chnId, zoomStatus, panTiltStatus, presetStatus, ..., fanWorkingMode, channelMask}"},
    {"/5012", ptz_status_set, IN_JSON, OUT_JSON_ERR,
     "set the PTZ status of a channel",
     "{chnId 0..63, status members? (absent 0), channelMask? (64 characters)}", "1271 -> 6271, 3485",
     "{status}"},
    {"/6050", page_get<ptz_port_page>, IN_JSON, OUT_JSON_ERR,
     "the serial port settings of a channel's PTZ camera", "{chnid 0..63}", "-",
     "{camId, connectType, baudRate, dataBits, stopBits, parityType, protocol, address}"},
    {"/6051", ptz_port_set, IN_JSON, OUT_TEXT,
     "store the serial port settings for the listed channels",
     "{cnt, chnid: [...], connectType 0..1, baudRate >= 0, dataBits 5..8, stopBits >= 0, parityType 0..2, "
     "protocol 0..13, address >= 0}", "1252, 3485 (each channel)", "OK"},
    {"/6052", ptz_probe, IN_JSON, OUT_TEXT,
     "does a channel's camera have PTZ", "{camId 0..63}", "1262 -> 6262", "0, or -1 without PTZ"},
    {"/6053", page_get<ptz_speed_page>, IN_JSON, OUT_JSON,
     "the stored PTZ speeds of a channel", "{camId 0..63}", "-",
     "{pan_speed, tilt_speed, zoom_speed, foucs_speed}"},
    {"/6054", page_set<ptz_speed_page>, IN_JSON, OUT_TEXT,
     "store the PTZ speeds of a channel", "{camId 0..63, pan_speed?, tilt_speed?, zoom_speed?, foucs_speed?}",
     "3485", "OK"},
    {"/6055", ptz_tour_save, IN_JSON, OUT_TEXT,
     "store the points of one tour of a channel and hand the tour to the core",
     "{chn 0..63, tourid 1..8, rowsize 0..48 (at most the points given), path: [{preset, speed, time}]}",
     "1264, 3485", "OK"},
    {"/6056", ptz_tour_send_path, IN_JSON, OUT_TEXT,
     "send one tour to the camera without storing it",
     "{chn 0..63, tourid 1..8, rowsize 0..48 (at most the points given), path: [{preset, speed, time}], "
     "streamId?}", "1269, 3485", "OK"},
    {"/6057", ptz_tour_clear, IN_JSON, OUT_TEXT,
     "clear a stored tour of a channel", "{chn 0..63, tourid 1..8, fisheyeType?, streamId?}", "1257, 3485",
     "OK"},
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
