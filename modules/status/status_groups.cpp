// The disk-group page ("/8010"): which group each disk belongs to and which
// channels each group records, from the database alone.
#include <cstring>

#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/status/status.h"
#include "platform/tqdb/rec_storage.h"
#include "platform/tqdb/tqdb.h"

void status_disk_groups(request&) {
    group_record groups[group_record_rows];
    std::memset(groups, 0, sizeof groups);
    int group_count = 0;
    read_groups(TQDB_FILE, groups, &group_count);
    // Group g's text, by the row's own id; a group without a row is empty.
    const char* texts[group_record_rows] = {};
    size_t widths[group_record_rows] = {};
    for (int i = 0; i < group_count; ++i) {
        int g = groups[i].id;
        if (g < 0 || g >= group_record_rows) continue;
        texts[g] = groups[i].channel;
        widths[g] = sizeof groups[i].channel;
    }
    json_ref channel(json_object_new_array());
    for (int g = 0; g < group_record_rows; ++g) {
        size_t len = texts[g] ? strnlen(texts[g], widths[g]) : 0;
        json_object_array_add(channel.get(),
                              json_object_new_string_len(texts[g] ? texts[g] : "", static_cast<int>(len)));
    }

    disk_record disks[disk_record_rows];
    std::memset(disks, 0, sizeof disks);
    int disk_count = 0;
    read_disks(TQDB_FILE, disks, &disk_count);
    int32_t disk_group[disk_record_rows] = {};
    for (int i = 0; i < disk_count; ++i) {
        const disk_record& d = disks[i];
        if (d.port >= 0 && d.port < disk_record_rows && d.enable == 1) disk_group[d.port] = d.group + 1;
    }
    json_ref disk(json_object_new_array());
    for (int32_t g : disk_group) json_object_array_add(disk.get(), json_object_new_int(g));

    json_ref obj(json_object_new_object());
    json_object_object_add(obj.get(), "channel", channel.release());
    json_object_object_add(obj.get(), "disk", disk.release());
    jadd_int(obj.get(), "max_chan", get_param_int(TQDB_FILE, "max_cameras", 32));
    jadd_int(obj.get(), "group_enable", get_param_int(TQDB_FILE, "group_mode", 0));
    cgi_reply_json(obj.get());
}
