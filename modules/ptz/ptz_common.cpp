// Helpers shared by the PTZ handlers: the operation log, the camera's PTZ
// settings page and the tour command.
#include <cstdio>
#include <cstring>

#include "front/core_link.h"
#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/ptz/ptz.h"
#include "platform/msg_camera_query.h"
#include "platform/msg_ptz.h"

namespace {

const char ptz_settings_page[] = "vsetting.html";

}  // namespace

void ptz_log(int parameter, int chn) {
    oplog_send(ptz_log_sub_type, parameter, static_cast<int>(static_cast<int64_t>(chn) + 1));
}

void ptz_camera_param(int chn, const char* key, const char* value) {
    cam_web_param p;
    std::memset(&p, 0, sizeof p);
    p.id = chn;
    copy_text(p.http_name, sizeof p.http_name, ptz_settings_page);
    copy_text(p.key, sizeof p.key, key);
    copy_text(p.value, sizeof p.value, value);
    core_query(ptz_reply, msg_cam_param_set, sizeof p, &p, REPLY_TEXT);
}

// The camera counts its speeds from 0, the page from 1; anything below 1
// is sent as 1.
void ptz_camera_speed(int chn, int speed) {
    char value[16];
    std::snprintf(value, sizeof value, "%d", speed < 1 ? 1 : speed - 1);
    ptz_camera_param(chn, "ptzspeed", value);
}

void ptz_tour_command_from(json_object* req, int chn, int tour, ptz_tour_command* cmd) {
    std::memset(cmd, 0, sizeof *cmd);
    cmd->channel = chn;
    cmd->tour = tour;
    cmd->fisheye_type = req_int_or(req, "fisheyeType", 0);
    cmd->stream_id = req_int_or(req, "streamId", 0);
}
