// Recording modes: the mode of every channel, and setting them in one go.
#include <algorithm>

#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/common/channels.h"
#include "modules/common/field_map.h"
#include "modules/schedule/schedule.h"
#include "platform/msg_schedule.h"

namespace {

// One entry of the list, both ways.
const field mode_fields[] = {
    FM_INT(record_row, "id", id).range(0, channel_limit - 1).required(),
    FM_INT(record_row, "mode", mode).range(0, 2).required(),
};
const field& mode_field = mode_fields[1];

}  // namespace

void record_modes_show(request&) {
    int max_cameras = max_channels();
    record_row rows[64] = {};
    int count = 0;
    read_records(TQDB_FILE, rows, &count);

    json_ref reply(json_object_new_object());
    json_object_object_add(reply.get(), "records",
                           fields_array(rows, sizeof rows[0], std::min(count, max_cameras), mode_fields));
    cgi_reply_json(reply.get());
}

// Entry i sets the mode of channel i: the page lists the channels in order,
// and the entry's "id" is only checked for range. The page's answer to any
// text that is not such a list is "ERROR", which no row form gives: the
// handler takes the text and reads it itself.
void record_modes_store(request& rq) {
    json_ref req = json_parse_object(rq.text);
    json_object* entries = req_array(req, "records");
    size_t count = entries ? json_object_array_length(entries) : 0;
    bool valid = entries && count <= 64;
    for (size_t i = 0; valid && i < count; ++i)
        valid = fields_valid(json_object_array_get_idx(entries, i), mode_fields);
    if (!valid) {
        cgi_reply(REPLY_TEXT, "ERROR");
        return;
    }

    int rc = tqdb_atomic(TQDB_FILE, [&] {
        record_row rows[64];
        if (read_records_by_channel(TQDB_FILE, rows) != 0) return -1;
        uint64_t written = 0;
        for (size_t i = 0; i < count; ++i) {
            field_from_json(json_object_array_get_idx(entries, i), &rows[i], mode_field);
            written |= uint64_t{1} << i;
        }
        return write_records(TQDB_FILE, rows, written);
    });
    if (rc != 0) return rq.fail();
    oplog_send(oplog_sub_record, oplog_param_record_mode);
    cgi_reply(REPLY_TEXT, "OK");
    for (int32_t chn = 0; chn < static_cast<int32_t>(count); ++chn)
        core_notify(schedule_reply, msg_record_mode_channel, sizeof chn, &chn);
}
