// Recording modes: the mode of every channel, and setting them in one go.
#include "front/core_link.h"
#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/common/channels.h"
#include "modules/schedule/schedule.h"
#include "modules/schedule/schedule_msgs.h"

namespace {

bool mode_entry_ok(json_object* entry, int* mode) {
    int id;
    return req_int(entry, "id", &id) && chn_ok(id) && req_int(entry, "mode", mode) && *mode >= 0 &&
           *mode <= 2;
}

}  // namespace

void on_6042(request&) {
    int max_cameras = max_channels();
    record_row rows[64] = {};
    int count = 0;
    read_records(TQDB_FILE, rows, &count);

    json_ref reply(json_object_new_object());
    json_object* list = json_object_new_array();
    for (int i = 0; i < count && i < max_cameras; ++i) {
        json_object* obj = json_object_new_object();
        jadd_int(obj, "id", rows[i].id);
        jadd_int(obj, "mode", rows[i].mode);
        json_object_array_add(list, obj);
    }
    json_object_object_add(reply.get(), "records", list);
    cgi_reply_json(reply.get());
}

// Entry i sets the mode of channel i: the page lists the channels in order,
// and the entry's "id" is only checked for range.
void on_6043(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    json_object* entries = req_array(req, "records");
    size_t count = entries ? json_object_array_length(entries) : 0;
    if (!entries || count > 64) {
        cgi_reply(REPLY_TEXT, "ERROR");
        return;
    }
    record_row rows[64];
    read_records_by_channel(TQDB_FILE, rows);
    uint64_t mask = 0;
    for (size_t i = 0; i < count; ++i) {
        int mode;
        if (!mode_entry_ok(json_object_array_get_idx(entries, i), &mode)) {
            cgi_reply(REPLY_TEXT, "ERROR");
            return;
        }
        rows[i].mode = mode;
        mask |= uint64_t{1} << i;
    }
    write_records(TQDB_FILE, rows, mask);
    oplog_send(OPLOG_SUB_RECORD, OPLOG_PARAM_RECORD_MODE);
    cgi_reply(REPLY_TEXT, "OK");
    for (int32_t chn = 0; chn < static_cast<int32_t>(count); ++chn)
        core_notify(schedule_replies, MSG_RECORD_MODE_ONE, sizeof chn, &chn);
}
