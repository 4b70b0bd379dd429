// Fisheye settings: the dewarping mode of a channel, the fisheye of a camera
// reached by address and login before it is added, and the zoom state of a
// channel.
#include "modules/event/fisheye.h"

#include "modules/common/channels.h"
#include "modules/common/field_map.h"
#include "modules/event/event.h"

namespace {

// In the order of the get's answer; a set reads all but "result" and sends
// the record in its own order (mount, display, correct).
using fe = fisheye_mode;
const field mode_fields[] = {
    FM_INT(fe, "chnid", chnid),         FM_INT(fe, "result", result).out_only(),
    FM_INT(fe, "fishmount", mount),     FM_INT(fe, "fishdisplay", display),
    FM_INT(fe, "fishcorrect", correct),
};

const verdict set_verdicts[] = {{0, "OK"}};

using ca = cam_address;
const field address_fields[] = {
    FM_TEXT(ca, "ddns", ddns),         FM_TEXT(ca, "ipaddr", ipaddr), FM_TEXT(ca, "username", username),
    FM_TEXT(ca, "password", password), FM_INT(ca, "port", port),
};

using cf = cam_address_fisheye;
const field install_fields[] = {
    FM_INT(cf, "transfer", transfer),
    FM_INT(cf, "install", install),
    FM_INT(cf, "display", display),
};

bool with_install(json_object* req, cam_address_fisheye& p) {
    fields_from_json(req, &p, install_fields);
    return true;
}

using fc = fisheye_caps;
const field caps_fields[] = {
    FM_INT(fc, "support", support), FM_INT(fc, "transfer", transfer),    FM_INT(fc, "install", install),
    FM_INT(fc, "display", display), FM_INT(fc, "streamCnt", stream_cnt),
};

using zs = zoom_state;
const field zoom_fields[] = {
    FM_INT(zs, "chnid", chnid),
    FM_INT(zs, "state", state),
    FM_INT(zs, "zoomNumber", zoom_number),
};

}  // namespace

const relay<fisheye_mode> fisheye_set_relay = {msg_fisheye_set, event_reply, mode_fields};
const relay<cam_address> fisheye_caps_relay = {msg_fisheye_caps, event_reply, address_fields};
const relay<cam_address_fisheye> fisheye_caps_set_relay = {
    msg_fisheye_caps_set, event_reply, address_fields, offsetof(cam_address_fisheye, address), with_install};

void fisheye_get(request& rq) { channel_query(rq, "id", event_reply, msg_fisheye_get); }
void zoom_state_get(request& rq) { channel_query(rq, "chnid", event_reply, msg_zoom_state); }

int write_fisheye_mode(const core_answer& answer) { return reply_answer(answer, mode_fields); }
int write_fisheye_verdict(const core_answer& answer) { return reply_verdict(answer, set_verdicts, "FAILED"); }
int write_fisheye_result(const core_answer& answer) { return reply_int_member("res", answer); }
int write_zoom_state(const core_answer& answer) { return reply_answer(answer, zoom_fields); }

// Only an exact 1 means the camera has a fisheye.
int write_fisheye_caps(const core_answer& answer) {
    fisheye_caps caps = answer.rec<fisheye_caps>();
    caps.support = caps.support == 1 ? 1 : 0;
    return reply_fields(&caps, caps_fields);
}
