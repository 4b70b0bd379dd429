// Stored PTZ settings: the serial port and the speeds of each channel's PTZ
// camera. Every record is read, changed and written back with its key set
// to the requested channel, so a channel without a row never lands on
// another channel's row.
#include <algorithm>
#include <climits>
#include <cstring>

#include "front/core_link.h"
#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/common/channels.h"
#include "modules/ptz/ptz.h"
#include "platform/msg_ptz.h"
#include "platform/tqdb/rec_ptz.h"
#include "platform/tqdb/tqdb.h"

namespace {

ptz_port_record load_port(int chn) {
    ptz_port_record port;
    std::memset(&port, 0, sizeof port);
    read_ptz_port(TQDB_FILE, &port, chn);
    port.cam_id = chn;
    return port;
}

ptz_speed_record load_speed(int chn) {
    ptz_speed_record speed;
    std::memset(&speed, 0, sizeof speed);
    read_ptz_speed(TQDB_FILE, &speed, chn);
    speed.cam_id = chn;
    return speed;
}

// The serial settings a "/6051" request must give, with their ranges.
bool port_request_ok(json_object* req) {
    return req_member(req, "cnt") && req_member(req, "chnid") &&
           req_ints_in_range(req, {{"connectType", 0, 1},
                                   {"baudRate", 0, INT_MAX},
                                   {"dataBits", 5, 8},
                                   {"stopBits", 0, INT_MAX},
                                   {"parityType", 0, 2},
                                   {"protocol", 0, 13},
                                   {"address", 0, INT_MAX}});
}

void take_port(json_object* req, ptz_port_record* port) {
    port->connect_type = req_int_or(req, "connectType", 0);
    port->baud_rate = req_int_or(req, "baudRate", 0);
    port->data_bits = req_int_or(req, "dataBits", 0);
    port->stop_bits = req_int_or(req, "stopBits", 0);
    port->parity_type = req_int_or(req, "parityType", 0);
    port->protocol = req_int_or(req, "protocol", 0);
    port->address = req_int_or(req, "address", 0);
}

}  // namespace

void ptz_port_get(request& rq) {
    char* text = rq.text;
    int chn = -1;
    if (!ptz_channel_request(text, "chnid", &chn, true)) return;
    ptz_port_record port = load_port(chn);
    json_ref obj(json_object_new_object());
    jadd_int(obj.get(), "camId", port.cam_id);
    jadd_int(obj.get(), "connectType", port.connect_type);
    jadd_int(obj.get(), "baudRate", port.baud_rate);
    jadd_int(obj.get(), "dataBits", port.data_bits);
    jadd_int(obj.get(), "stopBits", port.stop_bits);
    jadd_int(obj.get(), "parityType", port.parity_type);
    jadd_int(obj.get(), "protocol", port.protocol);
    jadd_int(obj.get(), "address", port.address);
    cgi_reply_json(obj.get());
}

void ptz_port_set(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    if (!req || !port_request_ok(req.get())) return;
    json_object* list = req_array(req, "chnid");
    int count = req_int_or(req, "cnt", 0);
    if (list)
        count = std::min(count, static_cast<int>(json_object_array_length(list)));
    else
        count = 0;
    for (int i = 0; i < count; ++i) {
        json_object* item = json_object_array_get_idx(list, i);
        if (!json_object_is_type(item, json_type_int)) continue;
        int chn = json_object_get_int(item);
        if (!chn_ok(chn)) continue;
        ptz_port_record port = load_port(chn);
        take_port(req.get(), &port);
        write_ptz_port(TQDB_FILE, &port);
        int32_t notice = chn;
        core_notify(ptz_reply, MSG_PTZ_PORT, sizeof notice, &notice);
        ptz_log(ptz_log_setting, chn);
    }
    cgi_reply(REPLY_TEXT, "OK");
}

void ptz_speeds_get(request& rq) {
    char* text = rq.text;
    int chn = -1;
    if (!ptz_channel_request(text, "camId", &chn, false)) return;
    ptz_speed_record speed = load_speed(chn);
    json_ref obj(json_object_new_object());
    jadd_int(obj.get(), "pan_speed", speed.pan_speed);
    jadd_int(obj.get(), "tilt_speed", speed.tilt_speed);
    jadd_int(obj.get(), "zoom_speed", speed.zoom_speed);
    // The page's own spelling.
    jadd_int(obj.get(), "foucs_speed", speed.focus_speed);
    cgi_reply_json(obj.get());
}

void ptz_speeds_set(request& rq) {
    char* text = rq.text;
    int chn = -1;
    json_ref req = ptz_channel_request(text, "camId", &chn, false);
    if (!req) return;
    ptz_speed_record speed = load_speed(chn);
    // A speed the request leaves out keeps its stored value.
    speed.pan_speed = req_int_or(req, "pan_speed", speed.pan_speed);
    speed.tilt_speed = req_int_or(req, "tilt_speed", speed.tilt_speed);
    speed.zoom_speed = req_int_or(req, "zoom_speed", speed.zoom_speed);
    speed.focus_speed = req_int_or(req, "foucs_speed", speed.focus_speed);
    write_ptz_speed(TQDB_FILE, &speed);
    cgi_reply(REPLY_TEXT, "OK");
    ptz_log(ptz_log_setting, chn);
}
