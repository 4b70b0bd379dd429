// Live PTZ commands and queries: moves, presets, tour commands, zoom, the
// overview of presets and tours, command words, the PTZ state and status,
// and the probe.
//
// Commands go to the core daemon as notices; the request answers "OK" and
// logs the change. Queries wait for the daemon's answer, which the module's
// writers render. Every channel is checked before it reaches a message.
#include <climits>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "front/core_link.h"
#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/common/channels.h"
#include "modules/common/field_map.h"
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

// The members of a move or preset command; an absent one is 0. A preset
// request must give the four speeds, none negative; a move takes them as
// they come.
using pc = ptz_command;
const field command_fields[] = {
    FM_INT(pc, "panSpeed", pan_speed).range(0, INT32_MAX).required(),
    FM_INT(pc, "tiltSpeed", tilt_speed).range(0, INT32_MAX).required(),
    FM_INT(pc, "zoomSpeed", zoom_speed).range(0, INT32_MAX).required(),
    FM_INT(pc, "focusSpeed", focus_speed).range(0, INT32_MAX).required(),
    FM_INT(pc, "fisheyeType", fisheye_type),
    FM_INT(pc, "streamId", stream_id),
};

ptz_command command_from(json_object* req, int chn, int action) {
    ptz_command cmd;
    std::memset(&cmd, 0, sizeof cmd);
    cmd.channel = chn;
    cmd.action = action;
    fields_from_json(req, &cmd, command_fields);
    return cmd;
}

template <typename T>
void notify(int32_t msg_id, const T& payload) {
    core_notify(ptz_reply, msg_id, sizeof payload, &payload);
}

// A notice about channel chn, then "OK" and the log entry.
template <typename T>
void command_done(int32_t msg_id, const T& payload, int log_parameter, int chn) {
    notify(msg_id, payload);
    cgi_reply(REPLY_TEXT, "OK");
    ptz_log(log_parameter, chn);
}

// "/5002", "/5003": a tour command that only the message identifier tells apart.
void tour_command(request& rq, int32_t msg_id) {
    int chn = -1;
    if (!req_channel(rq.json, "chn", &chn)) return rq.refuse("chn");
    ptz_tour_command cmd;
    ptz_tour_command_from(rq.json, chn, req_int_or(rq.json, "tourid", 0), &cmd);
    command_done(msg_id, cmd, ptz_log_move, chn);
}

}  // namespace

void ptz_move(request& rq) {
    json_object* req = rq.json;
    int chn = -1;
    int action = -1;
    if (!req_channel(req, "channelId", &chn, max_channels()) || !req_int(req, "action", &action) ||
        action < 0)
        return rq.refuse("channelId or action");
    ptz_command cmd = command_from(req, chn, action);
    notify(msg_ptz_move, cmd);
    if (action == action_zoom_in && req_int_or(req, "isAutoFocus", 0) == 1) {
        cmd.action = action_auto_focus;
        notify(msg_ptz_move, cmd);
    }
    ptz_camera_speed(chn, cmd.pan_speed);
    ptz_log(ptz_log_move, chn);
}

void ptz_preset(request& rq) {
    json_object* req = rq.json;
    int chn = -1;
    if (!req_channel(req, "channelId", &chn, max_channels()) ||
        !req_ints_in_range(req, {{"action", 0, INT32_MAX}, {"presetId", 0, ptz_presets}}) ||
        !fields_valid(req, command_fields))
        return rq.refuse("channelId, action, presetId or speeds");
    int action = req_int_or(req, "action", -1);
    ptz_command cmd = command_from(req, chn, action);
    cmd.preset = req_int_or(req, "presetId", -1);
    const char* name = req_str(req, "name");
    if (action == action_preset_save) copy_text(cmd.name, sizeof cmd.name, name, preset_name_chars);
    notify(msg_ptz_preset, cmd);
    if (cmd.fisheye_type == 1 && action == action_preset_save) {
        // A fisheye stream keeps its presets in the camera.
        char fish_name[fisheye_name_chars + 1];
        copy_text(fish_name, sizeof fish_name, name);
        char value[sizeof cam_web_param::value];
        std::snprintf(value, sizeof value, "%d:%d:%s", cmd.stream_id, cmd.preset, fish_name);
        ptz_camera_param(chn, "ipncptz=setfishpreset", value);
    } else {
        cgi_reply(REPLY_TEXT, "OK");
    }
    ptz_log(ptz_log_setting, chn);
}

void ptz_tour_a(request& rq) { tour_command(rq, msg_ptz_tour_a); }
void ptz_tour_b(request& rq) { tour_command(rq, msg_ptz_tour_b); }

void ptz_tour_run(request& rq) {
    int chn = -1;
    if (!req_channel(rq.json, "chn", &chn)) return rq.refuse("chn");
    int run = req_int_or(rq.json, "action", -1);
    ptz_command cmd;
    std::memset(&cmd, 0, sizeof cmd);
    cmd.channel = chn;
    cmd.action = run >= 0 && run < static_cast<int>(std::size(tour_run_actions)) ? tour_run_actions[run] : 0;
    cmd.preset = req_int_or(rq.json, "tourid", 0);
    command_done(msg_ptz_tour_run, cmd, ptz_log_setting, chn);
}

void ptz_overview_get(request& rq) {
    int chn = -1;
    if (!req_channel(rq.json, "chn", &chn)) return rq.refuse("chn");
    if (req_int_or(rq.json, "fisheyeType", 0) != 0) {
        ptz_overview_fish_req q = {chn, req_int_or(rq.json, "streamId", 0)};
        core_query(ptz_reply, msg_ptz_overview_fish, sizeof q, &q, REPLY_JSON);
    } else {
        int32_t q = chn;
        core_query(ptz_reply, msg_ptz_overview, sizeof q, &q, REPLY_JSON);
    }
}

void ptz_channel_act(request& rq) {
    int chn = -1;
    if (!req_channel(rq.json, "channelId", &chn)) return rq.refuse("channelId");
    command_done(msg_ptz_channel_action, ptz_channel_action{chn, req_int_or(rq.json, "action", 0)},
                 ptz_log_move, chn);
}

void ptz_zoom_set(request& rq) {
    int chn = -1;
    if (!req_channel(rq.json, "camId", &chn)) return rq.refuse("camId");
    ptz_zoom zoom = {chn, req_int_or(rq.json, "Zoom", 0), req_int_or(rq.json, "ZoomSpeed", 0)};
    command_done(msg_ptz_zoom, zoom, ptz_log_move, chn);
}

void ptz_speed_param(request& rq) {
    int chn = -1;
    if (!req_channel(rq.json, "chn", &chn)) return rq.refuse("chn");
    ptz_camera_speed(chn, req_int_or(rq.json, "Speed", 0));
    ptz_log(ptz_log_setting, chn);
}

void ptz_command_word(request& rq) {
    int chn = -1;
    if (!req_channel(rq.json, "chnid", &chn)) return rq.refuse("chnid");
    ptz_cmd_word q = {chn, req_int_or(rq.json, "ptzCmd", 0)};
    core_query(ptz_reply, msg_ptz_cmd_word, sizeof q, &q, REPLY_JSON);
    ptz_log(ptz_log_setting, chn);
}

void ptz_state_get(request& rq) { channel_query(rq, "chnid", ptz_reply, msg_ptz_state); }
void ptz_status_get(request& rq) { channel_query(rq, "chnId", ptz_reply, msg_ptz_status); }

void ptz_status_set(request& rq) {
    int chn = -1;
    if (!req_channel(rq.json, "chnId", &chn)) return rq.refuse("chnId");
    ptz_status st;
    ptz_status_from_json(rq.json, &st);
    core_query(ptz_reply, msg_ptz_status_set, sizeof st, &st, REPLY_JSON);
    ptz_log(ptz_log_setting, chn);
}

void ptz_probe(request& rq) { channel_query(rq, "camId", ptz_reply, msg_cam_support); }
