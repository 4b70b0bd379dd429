// Default replies of the on-screen display, privacy masks, the camera alarm
// input and sound detection: every camera is connected, shows its name and
// the date, has no masks, and takes every setting.
#include <cstdio>

#include "platform/msg_event_osd.h"
#include "tools/coresim/coresim.h"

namespace {

void cam_osd(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    cam_osd_record r{};
    r.ch = coresim::request_record<int32_t>(req);
    r.enable_text = 1;
    std::snprintf(r.text_name, sizeof r.text_name, "CAM%d", r.ch + 1);
    r.enable_date = 1;
    r.datepos = 1;
    coresim::reply_records(msg_cam_osd_get_reply, &r, 1, out);
}

// 2503 (the mask state, also the camera type query) has its row with the
// camera queries.
const coresim::default_reply rows[] = {
    // request, request size, reply record size (-1: no answer), channel offset, builder
    {msg_osd_redraw, sizeof(osd_redraw), -1},
    {msg_snapshot_settings, sizeof(snapshot_channels), -1},
    {msg_snapshot_schedule, sizeof(snapshot_channels), -1},
    {msg_snapshot_command, sizeof(snapshot_command), -1},
    {msg_trigger_reload, 0, -1},
    {msg_mask_get, 4, sizeof(cam_mask_record), 0},
    {msg_mask_area_clear, sizeof(mask_area_ref), -1},
    {msg_mask_set, sizeof(cam_mask_set), -1},
    {msg_cam_osd_set, sizeof(cam_osd_record), 4},
    {msg_cam_osd_get, 4, sizeof(cam_osd_record), -1, cam_osd},
    {msg_cam_io_get, 4, sizeof(cam_io_record), 4},
    {msg_cam_io_set, sizeof(cam_io_set), -1},
    {msg_sound_get, 4, sizeof(sound_record), 4},
    {msg_sound_set, sizeof(sound_set), -1},
    {msg_mask_delete, sizeof(mask_area_ref), 4},
};

}  // namespace

CORESIM_DEFAULTS("osd", rows);
