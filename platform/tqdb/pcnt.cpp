// The tables and schedule stores of people counting, POS and face events.
#include <cstring>

#include "platform/tqdb/rec_pcnt.h"

namespace {

using ea = event_action_record;
void factory_group(void* rec, int key) { static_cast<pcnt_group_record*>(rec)->groupid = key; }
void factory_pos(void* rec, int key) { static_cast<pos_record*>(rec)->id = key; }

const char report_store[] = "peoplecnt_auto_backup";

// Schedule stores by type number, null where a type has none.
const char* const pos_stores[] = {SCHED_POS_EFFECTIVE, SCHED_POS_AUDIBLE, SCHED_POS_EMAIL, SCHED_POS_PTZ,
                                  SCHED_POS_WHITE};
const char* const regional_stores[] = {nullptr, SCHED_RPCNT_AUDIBLE, SCHED_RPCNT_EMAIL, SCHED_RPCNT_PTZ,
                                       SCHED_RPCNT_WHITE};
constexpr int sched_types = 5;

const char* store_of(const char* const (&stores)[sched_types], int type) {
    return type >= 0 && type < sched_types ? stores[type] : nullptr;
}

bool region_ok(int region) { return region >= 0 && region < pcnt_regions; }

}  // namespace

// clang-format off
const tqdb_table tqdb_tbl_peoplecnt_settings = {"peoplecnt_settings", sizeof(pcnt_group_record), tqdb_key_kind::int_at, offsetof(pcnt_group_record, groupid), 0, pcnt_groups, nullptr, 0, factory_group};
const tqdb_table tqdb_tbl_peoplecnt_event = {"peoplecnt_event", sizeof(pcnt_group_event_record), tqdb_key_kind::int_at, offsetof(pcnt_group_event_record, groupid), 0, 0, nullptr, 0, nullptr};
const tqdb_table tqdb_tbl_pos = {"pos_settings", sizeof(pos_record), tqdb_key_kind::int_at, offsetof(pos_record, id), 0, pos_terminals, nullptr, 0, factory_pos};
const tqdb_table tqdb_tbl_pos_event = {"pos_event", sizeof(ea), tqdb_key_kind::int_at, offsetof(ea, chnid), 0, 0, nullptr, 0, nullptr};
const tqdb_table tqdb_tbl_face_event = {"face_event", sizeof(ea), tqdb_key_kind::int_at, offsetof(ea, chnid), 0, 0, nullptr, 0, nullptr};
const tqdb_table tqdb_tbl_regional_pcnt_event[pcnt_regions] = {
    {"regional_pcnt_event0", sizeof(ea), tqdb_key_kind::int_at, offsetof(ea, chnid), 0, 0, nullptr, 0, nullptr},
    {"regional_pcnt_event1", sizeof(ea), tqdb_key_kind::int_at, offsetof(ea, chnid), 0, 0, nullptr, 0, nullptr},
    {"regional_pcnt_event2", sizeof(ea), tqdb_key_kind::int_at, offsetof(ea, chnid), 0, 0, nullptr, 0, nullptr},
    {"regional_pcnt_event3", sizeof(ea), tqdb_key_kind::int_at, offsetof(ea, chnid), 0, 0, nullptr, 0, nullptr},
};
// clang-format on

int read_peoplecnt_auto_backup(const char* path, pcnt_report_record* arr, int* count) {
    if (!arr) return -1;
    std::memset(arr, 0, sizeof(pcnt_report_record) * pcnt_reports);
    size_t len = 0;
    // A list never written reads as three zero reports.
    tqdb_blob_read(path, report_store, 0, arr, sizeof(pcnt_report_record) * pcnt_reports, &len);
    if (count) *count = static_cast<int>(len / sizeof(pcnt_report_record));
    return 0;
}

int write_peoplecnt_auto_backup(const char* path, const pcnt_report_record* arr, int count) {
    if (!arr || count < 0 || count > pcnt_reports) return -1;
    return tqdb_blob_write(path, report_store, 0, arr, sizeof(pcnt_report_record) * static_cast<size_t>(count));
}

int read_pos_schedule(const char* path, week_schedule* sched, int type, int id) {
    const char* store = store_of(pos_stores, type);
    return store ? tqdb_sched_read(path, store, id, 0, sched) : -1;
}

int write_pos_schedule(const char* path, const week_schedule* sched, int type, int id) {
    const char* store = store_of(pos_stores, type);
    return store ? tqdb_sched_write(path, store, id, 0, sched) : -1;
}

int read_regional_pcnt_event(const char* path, event_action_record* rec, int chn, int region) {
    return region_ok(region) ? tqdb_read(path, tqdb_tbl_regional_pcnt_event[region], rec, chn) : -1;
}

int write_regional_pcnt_event(const char* path, const event_action_record* rec, int region) {
    return region_ok(region) ? tqdb_write(path, tqdb_tbl_regional_pcnt_event[region], rec) : -1;
}

int read_regional_pcnt_schedule(const char* path, week_schedule* sched, int type, int chn, int region) {
    const char* store = store_of(regional_stores, type);
    return store && region_ok(region) ? tqdb_sched_read(path, store, chn, region, sched) : -1;
}

int write_regional_pcnt_schedule(const char* path, const week_schedule* sched, int type, int chn,
                                 int region) {
    const char* store = store_of(regional_stores, type);
    return store && region_ok(region) ? tqdb_sched_write(path, store, chn, region, sched) : -1;
}
