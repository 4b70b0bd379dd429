// Disks: the disk list (the core's disks merged with the network disks
// configured here), property and group, formatting, the RAID mode switch,
// the eSATA port mode and the self-test verdict.
#include <atomic>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "front/bare_number.h"
#include "front/core_link.h"
#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/storage/storage.h"
#include "platform/msg_storage.h"
#include "platform/tqdb/rec_storage.h"
#include "platform/tqfs.h"

namespace {

int32_t int_at(const void* payload, size_t offset) {
    int32_t value;
    std::memcpy(&value, static_cast<const char*>(payload) + offset, sizeof value);
    return value;
}

// Sizes are shown in MiB, kept to 32 bits.
int64_t mib(uint64_t bytes) { return static_cast<uint32_t>(bytes >> 20); }

// Member ports as a bit mask: bit n for each listed port n. The count comes
// from the core and is held to the 16 entries; ports outside 1..31 have no bit.
int64_t member_mask(const disk_info& d) {
    int cnt = d.raid_sata_cnt < 0 ? 0 : (d.raid_sata_cnt > 16 ? 16 : d.raid_sata_cnt);
    uint32_t mask = 0;
    for (int k = 0; k < cnt; ++k) {
        int n = d.raid_sata_port[k];
        if (n > 0 && n < 32) mask |= 1u << n;
    }
    return mask;
}

json_object* disk_json(const disk_info& d) {
    json_object* o = json_object_new_object();
    jadd_int(o, "portId", d.port);
    jadd_field(o, "vendorName", d.vendor, sizeof d.vendor);
    jadd_field(o, "address", d.address, sizeof d.address);
    jadd_field(o, "directory", d.directory, sizeof d.directory);
    jadd_int(o, "totalSize", mib(d.total_bytes));
    jadd_int(o, "usedSize", mib(d.used_bytes));
    jadd_int(o, "freeSize", mib(d.free_bytes));
    jadd_int(o, "hddType", d.hdd_type);
    jadd_int(o, "state", d.state);
    jadd_int(o, "group", d.group);
    jadd_int(o, "property", d.property);
    jadd_int(o, "raid_id", d.port);
    jadd_int(o, "raid_level", d.raid_level);
    jadd_int(o, "raid_state", d.raid_state);
    jadd_int(o, "raid_progress", d.raid_progress);
    jadd_int(o, "raid_sata_cnt", d.raid_sata_cnt);
    jadd_int(o, "raid_task", d.raid_progress);
    jadd_int(o, "raid_sata_port", member_mask(d));
    return o;
}

// State of a configured network disk that the core does not list.
constexpr int32_t disk_state_configured = 2;

// Notices get no answer.
void ignore_replies(void*, const void*, const void*) {}

std::atomic<int> format_answer{0};

// Detail of the format log entry.
struct format_log_detail {
    uint8_t zero[64];
    int32_t port;
    int32_t result;  // 1 formatted, -1 not
};
static_assert(sizeof(format_log_detail) == 72);

}  // namespace

// ---- the disk list -------------------------------------------------------------

void disk_list(request&) { storage_query(3433, nullptr, 0, REPLY_JSON); }

void write_disk_list(const void* payload, uint32_t size) {
    disk_info slots[disk_list_ports];
    bool filled[disk_list_ports] = {};
    std::memset(slots, 0, sizeof slots);
    size_t count = payload ? size / sizeof(disk_info) : 0;
    for (size_t i = 0; i < count; ++i) {
        disk_info d;
        std::memcpy(&d, static_cast<const char*>(payload) + i * sizeof d, sizeof d);
        if (d.port < 1 || d.port > disk_list_ports) continue;
        slots[d.port - 1] = d;
        filled[d.port - 1] = true;
    }

    // Configured disks: a network disk the core lists gets its address and
    // directory from here when the core left them empty; one it does not list
    // is shown as configured.
    disk_record rows[disk_record_rows];
    int row_count = 0;
    if (read_disks(TQDB_FILE, rows, &row_count) != 0) row_count = 0;
    for (int r = 0; r < row_count; ++r) {
        const disk_record& rec = rows[r];
        if (rec.enable != 1 || rec.port < 1 || rec.port > disk_list_ports) continue;
        disk_info& d = slots[rec.port - 1];
        if (filled[rec.port - 1]) {
            if (d.hdd_type != disk_type_nas) continue;
            if (!d.address[0]) copy_text(d.address, sizeof d.address, rec.address);
            if (!d.directory[0]) copy_text(d.directory, sizeof d.directory, rec.directory);
            continue;
        }
        filled[rec.port - 1] = true;
        d.port = rec.port;
        copy_text(d.vendor, sizeof d.vendor, rec.vendor);
        copy_text(d.address, sizeof d.address, rec.address);
        copy_text(d.directory, sizeof d.directory, rec.directory);
        d.state = disk_state_configured;
        d.property = rec.property;
        d.raid_level = rec.raid_level;
        d.hdd_type = rec.hdd_type;
    }

    json_ref obj(json_object_new_object());
    json_object* list = json_object_new_array();
    for (int p = 0; p < disk_list_ports; ++p)
        if (filled[p]) json_object_array_add(list, disk_json(slots[p]));
    bool none = count == 0 && json_object_array_length(list) == 0;
    jadd_str(obj.get(), "resultString", none ? "NO" : "OK");
    jadd_int(obj.get(), "esataType", get_param_int(TQDB_FILE, "esata_type", 0));
    json_object_object_add(obj.get(), "HDD", list);
    cgi_reply_json(obj.get());
}

// ---- property, group, format --------------------------------------------------------

void disk_set_property(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    if (!req) return;
    int32_t port = req_int_or(req, "portId", 0);
    int32_t property = req_int_or(req, "property", 0);
    int32_t group = req_int_or(req, "group", 0);
    if (port < 0 || port > 35 || property < 0 || property > 1) return;
    {
        cgi_lock_guard lock;
        disk_record rec;
        disk_record_reset(&rec, port);
        read_disk(TQDB_FILE, &rec, port);
        rec.port = port;
        rec.property = property;
        rec.group = group;
        write_disk(TQDB_FILE, &rec);
    }
    int32_t msg[4] = {port, property, group, 0};
    core_notify(ignore_replies, 3435, sizeof msg, msg);
    oplog_send(204, 919, port);
    cgi_reply(REPLY_TEXT, "OK");
}

void write_format_result(const void* payload, uint32_t) {
    int32_t result = int_at(payload, 0);
    format_answer.store(result);
    struct {
        int32_t result;
        const char* text;
    } const words[] = {{0, "OK"}, {1, "USING"}, {-1, "ERROR FORMAT"}, {-3, "NAS LOW CAP"}};
    // Any other result ends the request without a body.
    for (const auto& w : words)
        if (w.result == result) cgi_reply(REPLY_TEXT, w.text);
}

void disk_format(request& rq) {
    char* text = rq.text;
    int port;
    if (!parse_bare_int(text, &port) || port < 0 || port > 36) return;
    format_answer.store(-1);
    int32_t msg = port;
    bool answered = storage_query(3434, &msg, sizeof msg, REPLY_JSON);
    format_log_detail detail;
    std::memset(&detail, 0, sizeof detail);
    detail.port = port;
    detail.result = answered && format_answer.load() == 0 ? 1 : -1;
    oplog_record entry;
    oplog_record_init(&entry);
    entry.sub_type = 207;
    entry.parameter_type = 900;
    entry.chan_no = port;
    tqfs_log_pack_detail(&entry, 102, &detail, sizeof detail);
    oplog_send_record(&entry);
}

void disk_check_port(request& rq) {
    char* text = rq.text;
    int port;
    if (!parse_bare_int(text, &port) || port < 0 || port > 16) return;
    cgi_reply(REPLY_TEXT, "OK");
}

// ---- RAID mode parameter ----------------------------------------------------------

void disk_raid_mode_show(request&) {
    char reply[16];
    std::snprintf(reply, sizeof reply, "%d", get_param_int(TQDB_FILE, "raidmode", 0));
    cgi_reply(REPLY_TEXT, reply);
}

void disk_raid_mode_store(request& rq) {
    char* text = rq.text;
    int mode = 0;
    if (!parse_bare_int(text, &mode) || mode != 1) mode = 0;
    set_param_int(TQDB_FILE, "raidmode", mode);
    cgi_reply(REPLY_TEXT, "OK");
}

// ---- eSATA port -------------------------------------------------------------------

void esata_mode_store(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    if (!req) return;
    esata_mode msg = {req_int_or(req, "mode", 0), req_int_or(req, "esata", 0)};
    storage_query(3475, &msg, sizeof msg, REPLY_JSON);
}

void esata_mode_show(request&) {
    int32_t zero = 0;
    storage_query(3431, &zero, sizeof zero, REPLY_JSON);
}

void write_esata_mode(const void* payload, uint32_t) {
    json_ref obj(json_object_new_object());
    jadd_int(obj.get(), "mode", int_at(payload, offsetof(esata_mode, mode)));
    jadd_int(obj.get(), "esata", int_at(payload, offsetof(esata_mode, esata)));
    cgi_reply_json(obj.get());
}

// ---- self-test ----------------------------------------------------------------------

// Only the last listed port is asked about; a request that lists none gets
// no reply.
void disk_self_test(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    json_object* ports = req_array(req, "port");
    if (!ports) return;
    int num = req_int_or(req, "num", 0);
    int listed = static_cast<int>(json_object_array_length(ports));
    if (num < listed) listed = num;
    if (listed < 1) return;
    int32_t port = json_object_get_int(json_object_array_get_idx(ports, listed - 1));
    storage_query(3403, &port, sizeof port, REPLY_JSON);
}

void write_self_test(const void* payload, uint32_t size) {
    static const char passed[] = "PASSED";
    bool pass = memmem(payload, size, passed, sizeof passed - 1) != nullptr;
    json_ref obj(json_object_new_object());
    jadd_int(obj.get(), "selfEvaluation", pass ? 1 : 0);
    cgi_reply_json(obj.get());
}
