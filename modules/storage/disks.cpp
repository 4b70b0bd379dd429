// Disks: the disk list (the core's disks merged with the network disks
// configured here), property and group, formatting, the RAID mode switch,
// the eSATA port mode and the self-test verdict.
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "front/bare_number.h"
#include "front/core_link.h"
#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/common/field_map.h"
#include "modules/storage/storage.h"
#include "platform/msg_storage.h"
#include "platform/tqdb/rec_storage.h"
#include "platform/tqfs.h"

namespace {

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

}  // namespace

// ---- the disk list -------------------------------------------------------------

void disk_list(request&) { storage_query(msg_disk_list, nullptr, 0, REPLY_JSON); }

int write_disk_list(const core_answer& answer) {
    disk_info slots[disk_list_ports];
    bool filled[disk_list_ports] = {};
    std::memset(slots, 0, sizeof slots);
    for (uint32_t i = 0; i < answer.count; ++i) {
        auto d = answer.rec<disk_info>(i);
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
    bool none = answer.count == 0 && json_object_array_length(list) == 0;
    jadd_str(obj.get(), "resultString", none ? "NO" : "OK");
    jadd_int(obj.get(), "esataType", get_param_int(TQDB_FILE, "esata_type", 0));
    json_object_object_add(obj.get(), "HDD", list);
    cgi_reply_json(obj.get());
    return 1;
}

// ---- property, group, format --------------------------------------------------------

namespace {

// "/6101": a port of the disk table (0..35) and the property 0 or 1; an
// absent member is 0.
const field property_fields[] = {
    FM_INT(disk_record, "portId", port).range(0, disk_record_rows - 1),
    FM_INT(disk_record, "property", property).range(0, 1),
    FM_INT(disk_record, "group", group),
};

// Detail of the format log entry.
struct format_log_detail {
    uint8_t zero[64];
    int32_t port;
    int32_t result;  // 1 formatted, -1 not
};
static_assert(sizeof(format_log_detail) == 72);

}  // namespace

void disk_set_property(request& rq) {
    if (!fields_valid(rq.json, property_fields)) return rq.refuse("portId or property");
    disk_record set{};
    fields_from_json(rq.json, &set, property_fields);
    // The disk records are also written by the network-disk pages.
    int rc;
    {
        cgi_lock_guard lock;
        rc = edit_disk(TQDB_FILE, set.port, [&](disk_record& rec) {
            rec.property = set.property;
            rec.group = set.group;
        });
    }
    if (rc != 0) return rq.fail();
    int32_t msg[4] = {set.port, set.property, set.group, 0};
    core_notify(storage_reply, msg_disk_property, sizeof msg, msg);
    oplog_send(204, 919, set.port);
    cgi_reply(REPLY_TEXT, "OK");
}

// The answer's word: 0 formatted, and the three known refusals; any other
// result ends the request without a body. The state says whether the disk
// was formatted, for the log entry.
int write_format_result(const core_answer& answer) {
    int32_t result = answer.rec<int32_t>();
    struct {
        int32_t result;
        const char* text;
    } const words[] = {{0, "OK"}, {1, "USING"}, {-1, "ERROR FORMAT"}, {-3, "NAS LOW CAP"}};
    for (const auto& w : words)
        if (w.result == result) cgi_reply(REPLY_TEXT, w.text);
    return result == 0 ? 1 : 0;
}

void disk_format(request& rq) {
    int port;
    if (!parse_bare_int(rq.text, &port) || port < 0 || port > 36) return rq.refuse("port");
    int32_t msg = port;
    bool formatted = storage_query(msg_disk_format, &msg, sizeof msg, REPLY_JSON);
    format_log_detail detail;
    std::memset(&detail, 0, sizeof detail);
    detail.port = port;
    detail.result = formatted ? 1 : -1;
    oplog_record entry;
    oplog_record_init(&entry);
    entry.sub_type = 207;
    entry.parameter_type = 900;
    entry.chan_no = port;
    tqfs_log_pack_detail(&entry, 102, &detail, sizeof detail);
    oplog_send_record(&entry);
}

void disk_check_port(request& rq) {
    int port;
    if (!parse_bare_int(rq.text, &port) || port < 0 || port > 16) return rq.refuse("port");
    cgi_reply(REPLY_TEXT, "OK");
}

// ---- RAID mode parameter ----------------------------------------------------------

void disk_raid_mode_show(request&) {
    char reply[16];
    std::snprintf(reply, sizeof reply, "%d", get_param_int(TQDB_FILE, "raidmode", 0));
    cgi_reply(REPLY_TEXT, reply);
}

// Any text but "1" stores 0.
void disk_raid_mode_store(request& rq) {
    int mode = 0;
    if (!parse_bare_int(rq.text, &mode) || mode != 1) mode = 0;
    if (set_param_int(TQDB_FILE, "raidmode", mode) != 0) return rq.fail();
    cgi_reply(REPLY_TEXT, "OK");
}

// ---- eSATA port -------------------------------------------------------------------

namespace {
const field esata_fields[] = {
    FM_INT(esata_mode, "mode", mode),
    FM_INT(esata_mode, "esata", esata),
};
}  // namespace

void esata_mode_store(request& rq) {
    esata_mode msg{};
    fields_from_json(rq.json, &msg, esata_fields);
    storage_query(msg_esata_mode_store, &msg, sizeof msg, REPLY_JSON);
}

// 8475: the result is not looked at.
int write_esata_stored(const core_answer&) {
    json_ref obj(json_object_new_object());
    jadd_str(obj.get(), "status", "OK");
    cgi_reply_json(obj.get());
    return 1;
}

void esata_mode_show(request&) {
    int32_t zero = 0;
    storage_query(msg_esata_mode_show, &zero, sizeof zero, REPLY_JSON);
}

int write_esata_mode(const core_answer& answer) {
    esata_mode mode = answer.rec<esata_mode>();
    json_ref obj(fields_object(&mode, esata_fields));
    cgi_reply_json(obj.get());
    return 1;
}

// ---- self-test ----------------------------------------------------------------------

// Only the last listed port is asked about; a request that lists none gets
// no reply.
void disk_self_test(request& rq) {
    json_object* ports = req_array(rq.json, "port");
    int listed = ports ? static_cast<int>(json_object_array_length(ports)) : 0;
    int num = req_int_or(rq.json, "num", 0);
    if (num < listed) listed = num;
    if (listed < 1) return rq.refuse("port");
    int32_t port = json_object_get_int(json_object_array_get_idx(ports, listed - 1));
    storage_query(msg_disk_self_test, &port, sizeof port, REPLY_JSON);
}

// The verdict is searched within the answer's bytes only (no terminator).
int write_self_test(const core_answer& answer) {
    static const char passed[] = "PASSED";
    bool pass = memmem(answer.payload, answer.size, passed, sizeof passed - 1) != nullptr;
    json_ref obj(json_object_new_object());
    jadd_int(obj.get(), "selfEvaluation", pass ? 1 : 0);
    cgi_reply_json(obj.get());
    return 1;
}
