// The events module's reply callback: one row per answer identifier.
#include "front/core_link.h"
#include "modules/event/event.h"
#include "platform/msg_event.h"

namespace {

struct writer_row {
    int msg_id;
    event_writer writer;
};

const writer_row writers[] = {
    {MSG_MOTION_AREA_REPLY, write_motion_area},
};

}  // namespace

void event_reply(void*, const void* header, const void* payload) {
    if (!header || !payload) return;
    int id = core_header_id(header);
    for (const writer_row& row : writers) {
        if (row.msg_id == id) {
            row.writer(payload, core_header_size(header));
            return;
        }
    }
}
