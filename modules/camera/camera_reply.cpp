// The camera module's reply callback: one row per answer identifier.
#include "front/core_link.h"
#include "modules/camera/camera.h"
#include "platform/msg_camera.h"

namespace {

struct writer_row {
    int msg_id;
    camera_writer writer;
};

const writer_row writers[] = {
    {MSG_CAMERA_STATUS_REPLY, write_channel_list},
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
