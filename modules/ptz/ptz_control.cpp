// Live PTZ commands and queries: moves, presets, tour commands, zoom, the
// overview of presets and tours, command words, the PTZ state and status,
// and the probe.
//
// Commands go to the core daemon as notices; the request answers "OK" and
// logs the change. Queries wait for the daemon's answer, which the module's
// writers render. Every channel is checked before it reaches a message.
#include <cstdio>
#include <cstring>
#include <iterator>

#include "front/core_link.h"
#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/common/channels.h"
#include "modules/ptz/ptz.h"
#include "platform/msg_camera_query.h"
#include "platform/msg_ptz.h"

namespace {

// PTZ action codes of the core daemon that the handlers use themselves.
constexpr int action_auto_focus = 12;
constexpr int action_zoom_in = 21;
constexpr int action_preset_save = 22;

// "/5004" run controls 0..4 as PTZ actions.
constexpr int tour_run_actions[] = {26, 21, 25, 27, 40};

constexpr size_t preset_name_chars = 30;
constexpr size_t fisheye_name_chars = 31;

// The command of a move or preset request: channel, action, speeds, fisheye
// type and stream.
ptz_command command_from(json_object* req, int chn, int action) {
    ptz_command cmd;
    std::memset(&cmd, 0, sizeof cmd);
    cmd.channel = chn;
    cmd.action = action;
    cmd.pan_speed = req_int_or(req, "panSpeed", 0);
    cmd.tilt_speed = req_int_or(req, "tiltSpeed", 0);
    cmd.zoom_speed = req_int_or(req, "zoomSpeed", 0);
    cmd.focus_speed = req_int_or(req, "focusSpeed", 0);
    cmd.fisheye_type = req_int_or(req, "fisheyeType", 0);
    cmd.stream_id = req_int_or(req, "streamId", 0);
    return cmd;
}

template <typename T>
void notify(int msg_id, const T& payload) {
    core_notify(ptz_reply, msg_id, sizeof payload, &payload);
}

// "/5002", "/5003": a tour command that only the message identifier tells apart.
void tour_command(const char* text, int msg_id) {
    int chn = -1;
    json_ref req = ptz_channel_request(text, "chn", &chn, false);
    if (!req) return;
    ptz_tour_command cmd;
    ptz_tour_command_from(req.get(), chn, req_int_or(req, "tourid", 0), &cmd);
    notify(msg_id, cmd);
    cgi_reply(REPLY_TEXT, "OK");
    ptz_log(ptz_log_move, chn);
}

}  // namespace

void ptz_move(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    int chn = -1;
    int action = -1;
    if (!req_int(req, "channelId", &chn) || chn < 0 || chn >= max_channels() ||
        !req_int(req, "action", &action) || action < 0)
        return;
    ptz_command cmd = command_from(req.get(), chn, action);
    notify(MSG_PTZ_MOVE, cmd);
    if (action == action_zoom_in && req_int_or(req, "isAutoFocus", 0) == 1) {
        cmd.action = action_auto_focus;
        notify(MSG_PTZ_MOVE, cmd);
    }
    ptz_camera_speed(chn, cmd.pan_speed);
    ptz_log(ptz_log_move, chn);
}

void ptz_preset(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    int chn = -1;
    int action = -1;
    int preset = -1;
    if (!req_int(req, "channelId", &chn) || chn < 0 || chn >= max_channels() ||
        !req_int(req, "action", &action) || action < 0 || !req_int(req, "presetId", &preset) || preset < 0 ||
        preset > ptz_presets ||
        !req_ints_in_range(req.get(), {{"panSpeed", 0, INT32_MAX},
                                       {"tiltSpeed", 0, INT32_MAX},
                                       {"zoomSpeed", 0, INT32_MAX},
                                       {"focusSpeed", 0, INT32_MAX}}))
        return;
    ptz_command cmd = command_from(req.get(), chn, action);
    cmd.preset = preset;
    const char* name = req_str(req, "name");
    if (action == action_preset_save) copy_text(cmd.name, sizeof cmd.name, name, preset_name_chars);
    notify(MSG_PTZ_PRESET, cmd);
    if (cmd.fisheye_type == 1 && action == action_preset_save) {
        // A fisheye stream keeps its presets in the camera.
        char fish_name[fisheye_name_chars + 1];
        copy_text(fish_name, sizeof fish_name, name);
        char value[sizeof cam_web_param::value];
        std::snprintf(value, sizeof value, "%d:%d:%s", cmd.stream_id, preset, fish_name);
        ptz_camera_param(chn, "ipncptz=setfishpreset", value);
    } else {
        cgi_reply(REPLY_TEXT, "OK");
    }
    ptz_log(ptz_log_setting, chn);
}

void ptz_tour_a(request& rq) {
    char* text = rq.text;
    tour_command(text, MSG_PTZ_TOUR_A);
}
void ptz_tour_b(request& rq) {
    char* text = rq.text;
    tour_command(text, MSG_PTZ_TOUR_B);
}

void ptz_tour_run(request& rq) {
    char* text = rq.text;
    int chn = -1;
    json_ref req = ptz_channel_request(text, "chn", &chn, false);
    if (!req) return;
    int run = req_int_or(req, "action", -1);
    ptz_command cmd;
    std::memset(&cmd, 0, sizeof cmd);
    cmd.channel = chn;
    cmd.action = run >= 0 && run < static_cast<int>(std::size(tour_run_actions)) ? tour_run_actions[run] : 0;
    cmd.preset = req_int_or(req, "tourid", 0);
    notify(MSG_PTZ_TOUR_RUN, cmd);
    cgi_reply(REPLY_TEXT, "OK");
    ptz_log(ptz_log_setting, chn);
}

void ptz_overview_get(request& rq) {
    char* text = rq.text;
    int chn = -1;
    json_ref req = ptz_channel_request(text, "chn", &chn, false);
    if (!req) return;
    if (req_int_or(req, "fisheyeType", 0) != 0) {
        ptz_overview_fish_req q = {chn, req_int_or(req, "streamId", 0)};
        core_query(ptz_reply, MSG_PTZ_OVERVIEW_FISH, sizeof q, &q, REPLY_JSON);
    } else {
        int32_t q = chn;
        core_query(ptz_reply, MSG_PTZ_OVERVIEW, sizeof q, &q, REPLY_JSON);
    }
}

void ptz_channel_act(request& rq) {
    char* text = rq.text;
    int chn = -1;
    json_ref req = ptz_channel_request(text, "channelId", &chn, false);
    if (!req) return;
    notify(MSG_PTZ_CHANNEL_ACTION, ptz_channel_action{chn, req_int_or(req, "action", 0)});
    cgi_reply(REPLY_TEXT, "OK");
    ptz_log(ptz_log_move, chn);
}

void ptz_zoom_set(request& rq) {
    char* text = rq.text;
    int chn = -1;
    json_ref req = ptz_channel_request(text, "camId", &chn, false);
    if (!req) return;
    notify(MSG_PTZ_ZOOM, ptz_zoom{chn, req_int_or(req, "Zoom", 0), req_int_or(req, "ZoomSpeed", 0)});
    cgi_reply(REPLY_TEXT, "OK");
    ptz_log(ptz_log_move, chn);
}

void ptz_speed_param(request& rq) {
    char* text = rq.text;
    int chn = -1;
    json_ref req = ptz_channel_request(text, "chn", &chn, false);
    if (!req) return;
    ptz_camera_speed(chn, req_int_or(req, "Speed", 0));
    ptz_log(ptz_log_setting, chn);
}

void ptz_command_word(request& rq) {
    char* text = rq.text;
    int chn = -1;
    json_ref req = ptz_channel_request(text, "chnid", &chn, true);
    if (!req) return;
    ptz_cmd_word q = {chn, req_int_or(req, "ptzCmd", 0)};
    core_query(ptz_reply, MSG_PTZ_CMD_WORD, sizeof q, &q, REPLY_JSON);
    ptz_log(ptz_log_setting, chn);
}

void ptz_state_get(request& rq) {
    char* text = rq.text;
    int chn = -1;
    if (!ptz_channel_request(text, "chnid", &chn, true)) return;
    int32_t q = chn;
    core_query(ptz_reply, MSG_PTZ_STATE, sizeof q, &q, REPLY_JSON);
}

void ptz_status_get(request& rq) {
    char* text = rq.text;
    int chn = -1;
    if (!ptz_channel_request(text, "chnId", &chn, true)) return;
    int32_t q = chn;
    core_query(ptz_reply, MSG_PTZ_STATUS, sizeof q, &q, REPLY_JSON);
}

void ptz_status_set(request& rq) {
    char* text = rq.text;
    int chn = -1;
    json_ref req = ptz_channel_request(text, "chnId", &chn, true);
    if (!req) return;
    ptz_status st;
    ptz_status_from_json(req.get(), &st);
    core_query(ptz_reply, MSG_PTZ_STATUS_SET, sizeof st, &st, REPLY_JSON);
    ptz_log(ptz_log_setting, chn);
}

void ptz_probe(request& rq) {
    char* text = rq.text;
    int chn = -1;
    if (!ptz_channel_request(text, "camId", &chn, false)) return;
    int32_t q = chn;
    core_query(ptz_reply, MSG_CAM_SUPPORT, sizeof q, &q, REPLY_TEXT);
}
