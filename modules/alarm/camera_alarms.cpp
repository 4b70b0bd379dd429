// The alarm contacts of the cameras: switching a camera's alarm output by
// hand.
#include "front/core_link.h"
#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/alarm/alarm.h"
#include "platform/msg_alarm.h"

// {"chnid", "alarmId", "state"}, passed to the core as they come: the core
// owns the cameras and checks them.
void cam_alarm_out_switch_set(char* text) {
    json_ref req = json_parse_object(text);
    if (!req) {
        cgi_reply_error(REPLY_TEXT);
        return;
    }
    cam_alarm_out_switch msg{req_int_or(req, "chnid", 0), req_int_or(req, "alarmId", 0),
                             req_int_or(req, "state", 0)};
    core_notify(alarm_reply, MSG_CAM_ALARMOUT_SWITCH, sizeof msg, &msg);
    cgi_reply(REPLY_TEXT, "OK");
}
