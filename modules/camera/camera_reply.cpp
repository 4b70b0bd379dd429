// The camera module's reply callback: one row per answer identifier.
#include "front/core_link.h"
#include "modules/camera/camera.h"
#include "platform/msg_camera.h"
#include "platform/msg_camera_query.h"

namespace {

struct writer_row {
    int msg_id;
    camera_writer writer;
};

const writer_row writers[] = {
    {MSG_CAMERA_STATUS_REPLY, write_channel_list},
    // queries
    {MSG_CAM_SUPPORT + msg_reply_offset, write_support},
    {MSG_CAM_WATERMARK + msg_reply_offset, write_watermark},
    {MSG_CAM_WATERMARK_SET + msg_reply_offset, write_watermark_result},
    {MSG_CAM_TYPE + msg_reply_offset, write_camera_type},
    {MSG_CAM_INFO_ALL + msg_reply_offset, write_cam_info_all},
    {MSG_CAM_INFO + msg_reply_offset, write_cam_info},
    {MSG_CAM_PARAM_GET + msg_reply_offset, write_web_param},
    {MSG_CAM_PARAM_SET + msg_reply_offset, write_web_param_result},
    {MSG_MOTION_STATE + msg_reply_offset, write_motion_state},
    {MSG_RECORD_DAYS + msg_reply_offset, write_record_days},
    {MSG_UI_COMMAND + msg_reply_offset, write_ui_command_result},
    {MSG_CHIP_CODE + msg_reply_offset, write_chip_code},
};

}  // namespace

void camera_reply(void*, const void* header, const void* payload) {
    if (!header || !payload) return;
    int id = core_header_id(header);
    for (const writer_row& row : writers) {
        if (row.msg_id == id) {
            row.writer(payload, core_header_size(header));
            return;
        }
    }
}
