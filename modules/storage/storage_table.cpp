// The request table of the storage module (one row a code, in code order)
// and its reply table (one row an answer identifier).
#include "front/core_link.h"
#include "front/dispatchreq.h"
#include "modules/storage/storage.h"
#include "platform/msg_storage.h"

namespace {

// clang-format off
const request_entry table[] = {
    {"/6100", disk_list, IN_TEXT, OUT_JSON},
    {"/6101", disk_set_property, IN_JSON, OUT_TEXT},
    {"/6102", disk_format, IN_TEXT, OUT_JSON},
    {"/6103", disk_check_port, IN_TEXT, OUT_TEXT},
    {"/6104", raid_build, IN_JSON, OUT_TEXT},
    {"/6105", raid_remove, IN_TEXT, OUT_TEXT},
    {"/6106", raid_hot_spare, IN_JSON, OUT_TEXT},
    {"/6107", raid_add_disk, IN_JSON, OUT_TEXT},
    {"/6108", disk_raid_mode_show, IN_TEXT, OUT_TEXT},
    {"/6109", disk_raid_mode_store, IN_TEXT, OUT_TEXT},
    {"/6200", nas_remove, IN_JSON, OUT_TEXT},
    {"/6201", nas_add, IN_JSON, OUT_TEXT},
    {"/6202", nas_browse, IN_JSON, OUT_JSON},
    {"/6203", nas_edit, IN_JSON, OUT_TEXT},
    {"/6204", esata_mode_store, IN_JSON, OUT_JSON},
    {"/6205", esata_mode_show, IN_TEXT, OUT_JSON},
    {"/6206", disk_self_test, IN_JSON, OUT_JSON},
    {"/6207", disk_remove, IN_JSON, OUT_TEXT},
};
// clang-format on

// An answer shorter than what its writer reads is no answer (the wait runs
// out), except the lists and the two answers whose result is optional.
const reply_row replies[] = {
    {msg_disk_self_test_reply, 0, reply_short::wait, write_self_test},
    {msg_raid_build_reply, 4, reply_short::wait, write_ok_error},
    {msg_raid_remove_reply, 4, reply_short::wait, write_ok_error},
    {msg_hot_spare_on_reply, 4, reply_short::wait, write_ok_error},
    {msg_hot_spare_off_reply, 4, reply_short::wait, write_ok_error},
    {msg_raid_add_disk_reply, 4, reply_short::empty, write_ok_error},
    {msg_esata_mode_show_reply, sizeof(esata_mode), reply_short::wait, write_esata_mode},
    {msg_disk_list_reply, sizeof(disk_info), reply_short::empty, write_disk_list},
    {msg_disk_format_reply, 4, reply_short::wait, write_format_result},
    {msg_nas_edit_reply, 4, reply_short::wait, write_ok_error},
    {msg_nas_browse_reply, 4, reply_short::wait, write_nas_dirs},
    {msg_esata_mode_store_reply, 0, reply_short::empty, write_esata_stored},
    {msg_disk_remove_reply, 4, reply_short::wait, write_ok_error},
    {msg_nas_add_reply, 4, reply_short::wait, write_ok_error},
    {msg_nas_remove_reply, 4, reply_short::wait, write_ok_error},
};

// Messages whose answers take longer than the usual 40 s, in wait rounds of
// 40 ms.
const core_wait waits[] = {
    {msg_esata_backup, 3000},  // /6224 eSATA backup
    {msg_raid_build, 6000},    // /6104 build an array
    {msg_nas_browse, 6000},    // /6202 browse a server
    {msg_disk_format, 15000},  // /6102 format a disk
};

}  // namespace

CORE_REPLY_CALLBACK(storage_reply, replies)

bool storage_query(int msg_id, const void* payload, int payload_len, int fail_type) {
    return core_query(storage_reply, msg_id, payload_len, payload, fail_type) != 0;
}

WEBREQ_MODULE(8, table)
CORE_WAITS(waits)
