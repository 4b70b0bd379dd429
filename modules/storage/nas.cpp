// Network disks (NAS): add, edit, browse and remove them, and remove a disk
// of any type. The web side keeps the network disks' database records; the
// core daemon mounts and unmounts.
#include <cstring>

#include "front/core_link.h"
#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/common/field_map.h"
#include "modules/storage/storage.h"
#include "platform/msg_storage.h"
#include "platform/tqdb/rec_storage.h"
#include "platform/tqfs.h"

namespace {

bool port_ok(int port) { return port >= 0 && port < disk_record_rows; }

// Detail of a network disk's log entry.
struct nas_log_detail {
    char kind[16];  // "NAS"
    char address[64];
    char directory[128];
};
static_assert(sizeof(nas_log_detail) == 208);

constexpr int detail_nas = 101;
constexpr int detail_nas_edit = 110;

void log_nas(int64_t sub_type, int detail_type, const disk_record& rec) {
    nas_log_detail detail;
    copy_text(detail.kind, sizeof detail.kind, "NAS");
    copy_text(detail.address, sizeof detail.address, rec.address);
    copy_text(detail.directory, sizeof detail.directory, rec.directory);
    oplog_record entry;
    oplog_record_init(&entry);
    entry.sub_type = sub_type;
    entry.chan_no = rec.port;
    tqfs_log_pack_detail(&entry, detail_type, &detail, sizeof detail);
    oplog_send_record(&entry);
}

// A configured network disk record, texts empty.
disk_record nas_record(int port) {
    disk_record rec{};
    rec.port = port;
    rec.enable = 1;
    rec.hdd_type = disk_type_nas;
    rec.property = 1;
    return rec;
}

// The texts of a network disk, one request member each ("/6203") or one
// array element each ("/6201").
const field nas_fields[] = {
    FM_TEXT(disk_record, "vendor", vendor),
    FM_TEXT(disk_record, "address", address),
    FM_TEXT(disk_record, "directory", directory),
};

// The first "num" entries of the "port" array (at most 33, and no more than
// the array holds).
int listed_ports(json_object* req, json_object** ports) {
    *ports = req_array(req, "port");
    int num = req_int_or(req, "num", 0);
    int len = *ports ? static_cast<int>(json_object_array_length(*ports)) : 0;
    if (num > len) num = len;
    if (num > disk_list_ports) num = disk_list_ports;
    return num < 0 ? 0 : num;
}

}  // namespace

void nas_remove(request& rq) {
    json_object* ports;
    int num = listed_ports(rq.json, &ports);
    disk_port_list msg{};
    disk_record recs[disk_list_ports];
    bool known[disk_list_ports] = {};
    // The records are read before the core removes the disks.
    for (int i = 0; i < num; ++i) {
        msg.port[i] = json_object_get_int(json_object_array_get_idx(ports, i));
        known[i] = load_disk(TQDB_FILE, &recs[i], msg.port[i]) == 0;
    }
    msg.num = num;
    if (!storage_query(msg_nas_remove, &msg, sizeof msg, REPLY_TEXT)) return;
    for (int i = 0; i < num; ++i)
        if (known[i]) log_nas(220, detail_nas, recs[i]);
}

// Element i of each text array goes with port i; a missing element is an
// empty text. The records are stored together before the core is told.
void nas_add(request& rq) {
    json_object* ports;
    int num = listed_ports(rq.json, &ports);
    disk_port_list msg{};
    disk_record recs[disk_list_ports];
    for (int i = 0; i < num; ++i) {
        int port = json_object_get_int(json_object_array_get_idx(ports, i));
        // A port outside the disk table would add a stray row.
        if (!port_ok(port)) continue;
        recs[msg.num] = nas_record(port);
        for (const field& f : nas_fields) {
            json_object* texts = req_array(rq.json, f.key);
            if (texts && static_cast<size_t>(i) < json_object_array_length(texts))
                field_from_value(json_object_array_get_idx(texts, i), &recs[msg.num], f);
        }
        msg.port[msg.num++] = port;
    }
    if (write_disks(TQDB_FILE, recs, msg.num) != 0) return rq.fail();
    if (!storage_query(msg_nas_add, &msg, sizeof msg, REPLY_TEXT)) return;
    for (int i = 0; i < msg.num; ++i) log_nas(219, detail_nas, recs[i]);
}

void nas_browse(request& rq) {
    nas_browse_request msg{};
    msg.port = req_int_or(rq.json, "port", 0);
    req_text(rq.json, "serverAddr", msg.server_addr, sizeof msg.server_addr);
    storage_query(msg_nas_browse, &msg, sizeof msg, REPLY_JSON);
}

// The count comes from the core: held to the 64 paths of the record and to
// the paths the payload holds.
int write_nas_dirs(const core_answer& answer) {
    int32_t count = answer.rec<int32_t>();
    const char* paths = answer.bytes() + offsetof(nas_dir_list, file_path);
    const int path_size = sizeof nas_dir_list::file_path[0];
    int held = static_cast<int>((answer.size - offsetof(nas_dir_list, file_path)) / path_size);
    if (count > held) count = held;
    if (count > 64) count = 64;
    if (count < 0) count = 0;
    json_ref obj(json_object_new_object());
    jadd_str(obj.get(), "resultString", count > 0 ? "OK" : "NO");
    json_object* list = json_object_new_array();
    for (int i = 0; i < count; ++i) {
        json_object* entry = json_object_new_object();
        jadd_field(entry, "filePath", paths + i * path_size, path_size);
        json_object_array_add(list, entry);
    }
    json_object_object_add(obj.get(), "NAS", list);
    cgi_reply_json(obj.get());
    return 1;
}

void nas_edit(request& rq) {
    int32_t port = req_int_or(rq.json, "port", 0);
    if (!port_ok(port)) return rq.refuse("port");
    disk_record rec = nas_record(port);
    fields_from_json(rq.json, &rec, nas_fields);
    if (write_disk(TQDB_FILE, &rec) != 0) return rq.fail();
    if (!storage_query(msg_nas_edit, &port, sizeof port, REPLY_TEXT)) return;
    log_nas(221, detail_nas_edit, rec);
}

// Removes a disk by its type: an array by its id, a network disk as /6200
// does, any other disk through 3496, after its record went back to
// unconfigured.
void disk_remove(request& rq) {
    int32_t port = req_int_or(rq.json, "port", 0);
    int type = req_int_or(rq.json, "hddType", 0);
    if (!port_ok(port)) return rq.refuse("port");
    if (type == disk_type_raid) {
        raid_request msg{};
        msg.id = port;
        if (storage_query(msg_raid_remove, &msg, sizeof msg, REPLY_TEXT)) oplog_send(224, 900);
    } else if (type == disk_type_nas) {
        disk_port_list msg{};
        msg.num = 1;
        msg.port[0] = port;
        storage_query(msg_nas_remove, &msg, sizeof msg, REPLY_TEXT);
    } else {
        disk_record rec;
        disk_record_reset(&rec, port);
        if (write_disk(TQDB_FILE, &rec) != 0) return rq.fail();
        if (storage_query(msg_disk_remove, &port, sizeof port, REPLY_TEXT)) oplog_send(224, 900);
    }
}
