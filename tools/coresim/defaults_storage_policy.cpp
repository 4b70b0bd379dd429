// Default replies of the storage policy: quotas set on the first four
// channels, one eSATA disk on port 34, a finished backup of last night.
#include "platform/msg_storage_policy.h"
#include "tools/coresim/coresim.h"

#include <cstdio>
#include <cstring>

namespace {

template <typename T>
void put(std::vector<coresim::out_msg>& out, int32_t id, const T& rec) {
    coresim::out_msg msg;
    msg.id = id;
    const auto* bytes = reinterpret_cast<const uint8_t*>(&rec);
    msg.payload.assign(bytes, bytes + sizeof rec);
    out.push_back(std::move(msg));
}

void quotas(const coresim::request_view&, std::vector<coresim::out_msg>& out) {
    quota_list list;
    std::memset(&list, 0, sizeof list);
    list.enable = 1;
    list.count = 4;
    for (int i = 0; i < 4; ++i) {
        quota_entry& e = list.entry[i];
        e.channel = static_cast<uint8_t>(i);
        e.video_quota = 500;
        e.picture_quota = 20;
        e.video_used = 120 + 40 * i;
        e.picture_used = 3 + i;
    }
    put(out, msg_quota_show_reply, list);
}

void backup_state(const coresim::request_view&, std::vector<coresim::out_msg>& out) {
    backup_status st;
    std::memset(&st, 0, sizeof st);
    st.status = 0;
    std::snprintf(st.last_time, sizeof st.last_time, "2026-01-05 02:00:00");
    st.percent = 100.0f;
    st.capacity = 953869;
    put(out, msg_esata_backup_state_reply, st);
}

void scan(const coresim::request_view&, std::vector<coresim::out_msg>& out) {
    disk_scan disk;
    std::memset(&disk, 0, sizeof disk);
    disk.port = 34;
    disk.type = disk_scan_esata;
    put(out, msg_disk_scan_reply, disk);
}

void progress(const coresim::request_view&, std::vector<coresim::out_msg>& out) {
    backup_progress p;
    std::memset(&p, 0, sizeof p);
    p.status = 0;
    p.percent = 100;
    p.port = 34;
    put(out, msg_esata_backup_progress_reply, p);
}

const coresim::default_reply rows[] = {
    // request, request size, reply record size (-1: no answer), channel offset, builder
    {1307, 0, -1},                  // groups applied
    {1316, 0, 4},                   // apply the backup plan -> 6316 result
    {1317, 0, 48, -1, backup_state},  // backup state -> 6317
    {3436, 136, -1},                // a group's channels
    {3442, 4, -1},                  // group mode
    {3457, 0, 168, -1, scan},       // disk scan -> 8457 records
    {3529, 0, 1288, -1, quotas},    // quota list -> 8529
    {3530, 1288, 4},                // store quotas -> 8530 result
    {3535, 4, 4},                   // start a backup -> 8535 result
    {3536, 0, 4},                   // backup status word -> 8536
    {3537, 0, 4},                   // cancel a backup -> 8537 result
    {3540, 0, 12, -1, progress},    // progress -> 8540
};

}  // namespace

CORESIM_DEFAULTS("storage_policy", rows);
