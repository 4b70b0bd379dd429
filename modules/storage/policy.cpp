// Storage policy: per-channel quotas (kept by the core daemon), disk groups
// (stored in the database, changed by the core daemon) and the automatic
// backup to an eSATA disk (plan stored here, runs are the core's).
#include "modules/storage/policy.h"

#include <cstdio>
#include <cstring>

#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/common/field_map.h"
#include "modules/common/relay.h"
#include "platform/msg_storage.h"
#include "platform/msg_storage_policy.h"
#include "platform/tqdb/rec_storage.h"
#include "platform/tqdb/tqdb.h"

namespace {

using qe = quota_entry;
// Reply order: channel, video_used, video_quota, picture_used, picture_quota.
const field quota_fields[] = {
    FM_UINT(qe, "channel", channel).range(0, channel_limit - 1).required(),
    FM_INT(qe, "video_used", video_used).out_only(),
    FM_INT(qe, "video_quota", video_quota),
    FM_INT(qe, "picture_used", picture_used).out_only(),
    FM_INT(qe, "picture_quota", picture_quota),
};

using eb = esata_backup_record;
const field backup_fields[] = {
    FM_INT(eb, "enable", enable),
    FM_INT(eb, "streamType", stream_type),
    FM_INT(eb, "fileType", file_type),
    FM_INT(eb, "recycle", recycle),
    FM_TEXT(eb, "channel", channel).chars(64),
    FM_TEXT(eb, "backupTime", backup_time),
};

// The stored groups by their own ids; a group without a row has id g and an
// empty text.
void groups_by_id(group_record (&out)[group_record_rows]) {
    std::memset(out, 0, sizeof out);
    for (int g = 0; g < group_record_rows; ++g) out[g].id = g;
    group_record rows[group_record_rows];
    std::memset(rows, 0, sizeof rows);
    int count = 0;
    if (read_groups(TQDB_FILE, rows, &count) != 0) return;
    for (int i = 0; i < count; ++i) {
        int g = rows[i].id;
        if (g < 0 || g >= group_record_rows) continue;
        out[g] = rows[i];
    }
}

struct port_request {
    int32_t port;
};
static_assert(sizeof(port_request) == 4);
const field port_fields[] = {FM_INT(port_request, "port", port).range(0, 36).required()};
const relay<port_request> backup_start = {msg_esata_backup, storage_reply, port_fields};

}  // namespace

// ---- disk groups ------------------------------------------------------------------

void disk_group_view(json_object* obj) {
    group_record groups[group_record_rows];
    groups_by_id(groups);
    json_ref channel(json_object_new_array());
    // The whole field as stored, also when it has no terminator.
    for (const group_record& g : groups)
        json_object_array_add(channel.get(), json_object_new_string_len(
                                                 g.channel, static_cast<int>(strnlen(g.channel, sizeof g.channel))));

    disk_record disks[disk_record_rows];
    std::memset(disks, 0, sizeof disks);
    int disk_count = 0;
    if (read_disks(TQDB_FILE, disks, &disk_count) != 0) disk_count = 0;
    int32_t disk_group[disk_record_rows] = {};
    for (int i = 0; i < disk_count; ++i) {
        const disk_record& d = disks[i];
        if (d.port >= 0 && d.port < disk_record_rows && d.enable == 1) disk_group[d.port] = d.group + 1;
    }
    json_ref disk(json_object_new_array());
    for (int32_t g : disk_group) json_object_array_add(disk.get(), json_object_new_int(g));

    json_object_object_add(obj, "channel", channel.release());
    json_object_object_add(obj, "disk", disk.release());
    jadd_int(obj, "max_chan", get_param_int(TQDB_FILE, "max_cameras", 32));
    jadd_int(obj, "group_enable", get_param_int(TQDB_FILE, "group_mode", 0));
}

void group_store(request& rq) {
    int mode = 0;
    if (!req_int(rq.json, "group_enable", &mode)) return rq.refuse("group_enable is missing");
    json_object* texts = req_array(rq.json, "channel");
    if (mode == 0) {
        if (set_param_int(TQDB_FILE, "group_mode", 0) != 0) return rq.fail();
        int32_t off = 0;
        core_notify(storage_reply, msg_group_mode, sizeof off, &off);
        cgi_reply(REPLY_TEXT, "OK");
        return;
    }
    if (get_param_int(TQDB_FILE, "group_mode", 0) == 0) {
        if (set_param_int(TQDB_FILE, "group_mode", mode) != 0) return rq.fail();
        int32_t on = mode;
        core_notify(storage_reply, msg_group_mode, sizeof on, &on);
    }
    group_record groups[group_record_rows];
    groups_by_id(groups);
    size_t n = texts ? json_object_array_length(texts) : 0;
    for (size_t i = 0; i < n && i < group_record_rows; ++i) {
        json_object* text = json_object_array_get_idx(texts, i);
        // Anything but a text would clear the group's channels.
        if (!json_object_is_type(text, json_type_string)) continue;
        group_change msg;
        std::memset(&msg, 0, sizeof msg);
        msg.id = groups[i].id;
        copy_text(msg.channel, sizeof msg.channel, json_object_get_string(text), 64);
        copy_text(msg.old_channel, sizeof msg.old_channel, groups[i].channel, 64);
        core_notify(storage_reply, msg_group_change, sizeof msg, &msg);
    }
    core_notify(storage_reply, msg_groups_applied, 0, nullptr);
    cgi_reply(REPLY_TEXT, "OK");
}

// ---- quotas -----------------------------------------------------------------------

void quota_show(request&) { storage_query(msg_quota_show, nullptr, 0, REPLY_JSON); }

int write_quota_list(const core_answer& answer) {
    auto list = answer.rec<quota_list>();
    json_ref obj(json_object_new_object());
    jadd_int(obj.get(), "enable", list.enable);
    // The count is the core's; the record holds 64 entries.
    json_object_object_add(obj.get(), "quota_array",
                           fields_array(list.entry, sizeof(quota_entry), in_use(list.count, quota_entries),
                                        quota_fields));
    disk_group_view(obj.get());
    cgi_reply_json(obj.get());
    return 1;
}

void quota_store(request& rq) {
    int enable = 0;
    if (!req_int(rq.json, "enable", &enable)) return rq.refuse("enable is missing");
    quota_list msg;
    std::memset(&msg, 0, sizeof msg);
    msg.enable = enable;
    json_object* entries = req_array(rq.json, "quota_array");
    size_t n = entries ? json_object_array_length(entries) : 0;
    // The core reads count entries of the record's 64: a longer list is cut.
    if (n > quota_entries) n = quota_entries;
    for (size_t i = 0; i < n; ++i) {
        json_object* e = json_object_array_get_idx(entries, i);
        if (!json_object_is_type(e, json_type_object) || !fields_valid(e, quota_fields))
            return rq.refuse("a quota entry names no channel in range");
        fields_from_json(e, &msg.entry[i], quota_fields, FM_ZERO_ABSENT);
    }
    msg.count = static_cast<int32_t>(n);
    storage_query(msg_quota_store, &msg, sizeof msg, REPLY_TEXT);
}

// ---- eSATA auto backup ---------------------------------------------------------------

const record_page esata_backup_page = {.table = tqdb_tbl_esata_backup, .fields = backup_fields};

void esata_backup_run(request& rq) {
    int stop = 0;
    if (!req_int(rq.json, "stopBackup", &stop)) return rq.refuse("stopBackup is missing");
    if (stop == 0) {
        if (!fields_valid(rq.json, backup_fields)) return rq.refuse("a plan member is not a number");
        esata_backup_record plan{};
        fields_from_json(rq.json, &plan, backup_fields, FM_ZERO_ABSENT);
        if (write_esata_auto_backup(TQDB_FILE, &plan) != 0) return rq.fail();
    }
    storage_query(msg_esata_backup_run, nullptr, 0, REPLY_JSON);
}

void esata_backup_start(request& rq) { relay_send(rq, backup_start); }

int write_backup_status(const core_answer& answer) {
    auto st = answer.rec<backup_status>();
    char percent[32];
    std::snprintf(percent, sizeof percent, "%.1f", static_cast<double>(st.percent));
    json_ref obj(json_object_new_object());
    jadd_int(obj.get(), "status", st.status);
    jadd_str(obj.get(), "percent", percent);
    jadd_field(obj.get(), "last_time", st.last_time, sizeof st.last_time);
    jadd_int(obj.get(), "capacity", static_cast<uint32_t>(st.capacity));
    cgi_reply_json(obj.get());
    return 1;
}

int write_disk_scan(const core_answer& answer) {
    json_ref obj(json_object_new_object());
    uint32_t i = 0;
    while (i < answer.count && answer.rec<disk_scan>(i).type != disk_scan_esata) ++i;
    if (i < answer.count) {
        jadd_int(obj.get(), "port", answer.rec<disk_scan>(i).port);
        jadd_int(obj.get(), "result", 0);
    } else {
        jadd_int(obj.get(), "result", -1);
    }
    cgi_reply_json(obj.get());
    return 1;
}

int write_backup_progress(const core_answer& answer) {
    auto p = answer.rec<backup_progress>();
    json_ref obj(json_object_new_object());
    jadd_int(obj.get(), "status", p.status);
    jadd_int(obj.get(), "port", p.port);
    jadd_int(obj.get(), "type", p.type);
    jadd_int(obj.get(), "percent", p.percent);
    cgi_reply_json(obj.get());
    return 1;
}

int write_backup_result(const core_answer& answer) { return reply_int_member("result", answer); }
int write_backup_word(const core_answer& answer) { return reply_int_member("status", answer); }
