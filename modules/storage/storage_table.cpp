// The request table of the storage module (one row a code, in code order)
// and its reply table (one row an answer identifier).
#include "front/core_link.h"
#include "front/dispatchreq.h"
#include "modules/storage/policy.h"
#include "modules/storage/storage.h"
#include "platform/msg_storage.h"
#include "platform/msg_storage_policy.h"

namespace {

// clang-format off
const request_entry table[] = {
    {"/6100", disk_list, IN_TEXT, OUT_JSON,
     "the disks the core reports, merged with the configured network disks", "-", "3433 -> 8433",
     "{resultString: OK or NO, esataType, HDD: [{portId, vendorName, address, directory, totalSize, "
     "usedSize, freeSize (MiB), hddType, state, group, property, raid_id, raid_level, raid_state, "
     "raid_progress, raid_sata_cnt, raid_task, raid_sata_port (mask)}]}"},
    {"/6101", disk_set_property, IN_JSON, OUT_TEXT,
     "store a disk's property and group and tell the core", "{portId? 0..35, property? 0..1, group?}",
     "3435, 3485", "OK"},
    {"/6102", disk_format, IN_TEXT, OUT_JSON,
     "format a disk and log the outcome", "port 0..36", "3434 -> 8434, 3485",
     "OK, USING, ERROR FORMAT or NAS LOW CAP"},
    {"/6103", disk_check_port, IN_TEXT, OUT_TEXT,
     "check a disk port number", "port 0..16", "-", "OK"},
    {"/6104", raid_build, IN_JSON, OUT_TEXT,
     "build a RAID array of the disks in a port mask",
     "{id 10..15, enable, level? >= 0, sata_cnt? >= 0, sata_port? (mask) >= 0}", "3420 -> 8420",
     "OK or Error"},
    {"/6105", raid_remove, IN_TEXT, OUT_TEXT,
     "remove a RAID array", "id 10..16", "3421 -> 8421", "OK or Error"},
    {"/6106", raid_hot_spare, IN_JSON, OUT_TEXT,
     "mark a disk as hot spare or not", "{port?, hotflag?}", "3423 -> 8423 or 3424 -> 8424", "OK or Error"},
    {"/6107", raid_add_disk, IN_JSON, OUT_TEXT,
     "add a disk to a RAID array", "{diskport?, raidport?}", "3425 -> 8425", "OK or Error"},
    {"/6108", disk_raid_mode_show, IN_TEXT, OUT_TEXT,
     "the stored RAID mode", "-", "-", "0 or 1"},
    {"/6109", disk_raid_mode_store, IN_TEXT, OUT_TEXT,
     "store the RAID mode", "1 (any other text stores 0)", "-", "OK"},
    {"/6200", nas_remove, IN_JSON, OUT_TEXT,
     "remove network disks and log each known one", "{num, port: [up to 33 ports]}",
     "3508 -> 8508, 3485 (each)", "OK or Error"},
    {"/6201", nas_add, IN_JSON, OUT_TEXT,
     "store network disks and have the core mount them",
     "{num, port: [up to 33 ports 0..35], vendor?: [...], address?: [...], directory?: [...]}",
     "3507 -> 8507, 3485 (each)", "OK or Error"},
    {"/6202", nas_browse, IN_JSON, OUT_JSON,
     "the directories a network disk server offers", "{port?, serverAddr?}", "3440 -> 8440",
     "{resultString: OK or NO, NAS: [up to 64 x {filePath}]}"},
    {"/6203", nas_edit, IN_JSON, OUT_TEXT,
     "store a network disk's settings and have the core remount it",
     "{port 0..35, vendor?, address?, directory?}", "3439 -> 8439, 3485", "OK or Error"},
    {"/6204", esata_mode_store, IN_JSON, OUT_JSON,
     "set the eSATA port mode", "{mode?, esata?}", "3475 -> 8475", "{status: OK}"},
    {"/6205", esata_mode_show, IN_TEXT, OUT_JSON,
     "the eSATA port mode", "-", "3431 -> 8431", "{mode, esata}"},
    {"/6206", disk_self_test, IN_JSON, OUT_JSON,
     "the self-test verdict of the last listed disk", "{num, port: [...]}", "3403 -> 8403",
     "{selfEvaluation: 1 passed, 0 not}"},
    {"/6207", disk_remove, IN_JSON, OUT_TEXT,
     "remove a disk by its type: a RAID array, a network disk, or another disk (record reset)",
     "{port 0..35, hddType?}", "array: 3421 -> 8421, 3485; network disk: 3508 -> 8508; other: 3496 -> 8496, 3485",
     "OK or Error"},
    {"/6208", quota_show, IN_TEXT, OUT_JSON,
     "per-channel quotas and use, with the disk-group view", "-", "3529 -> 8529",
     "{enable, quota_array: [{channel, video_used, video_quota, picture_used, picture_quota}], "
     "channel: [16 group texts], disk: [36 x group + 1 or 0], max_chan, group_enable}"},
    {"/6209", quota_store, IN_JSON, OUT_TEXT,
     "hand the per-channel quotas to the core (at most 64 entries)",
     "{enable, quota_array?: [{channel 0..63, video_quota?, picture_quota?}]}", "3530 -> 8530", "OK or Error"},
    {"/6210", group_store, IN_JSON, OUT_TEXT,
     "switch disk groups on or off and hand the groups' new channel texts to the core",
     "{group_enable, channel?: [up to 16 texts of '0'/'1']}", "(3442), 3436 per group, 1307", "OK"},
    {"/6220", page_get<esata_backup_page>, IN_TEXT, OUT_JSON,
     "the automatic eSATA backup plan", "-", "-",
     "{enable, streamType, fileType, recycle, channel, backupTime}"},
    {"/6221", esata_backup_run, IN_JSON, OUT_JSON,
     "store a fresh backup plan (unless stopping) and have the core apply it",
     "{stopBackup, and when 0: enable?, streamType?, fileType?, recycle?, channel?, backupTime?}",
     "1316 -> 6316", "{result}"},
    {"/6222", storage_ask<msg_esata_backup_state>, IN_TEXT, OUT_JSON,
     "the automatic backup's state", "-", "1317 -> 6317",
     "{status, percent (text, one decimal), last_time, capacity}"},
    {"/6223", storage_ask<msg_disk_scan>, IN_TEXT, OUT_JSON,
     "the port of the first eSATA disk found", "-", "3457 -> 8457", "{port, result 0} or {result -1}"},
    {"/6224", esata_backup_start, IN_JSON, OUT_JSON_ERR,
     "start a backup to the eSATA disk of a port", "{port 0..36}", "3535 -> 8535", "{result}"},
    {"/6225", storage_ask<msg_esata_backup_check>, IN_TEXT, OUT_JSON,
     "the eSATA backup's status word", "-", "3536 -> 8536", "{status}"},
    {"/6226", storage_ask<msg_esata_backup_cancel>, IN_TEXT, OUT_JSON,
     "cancel the eSATA backup", "-", "3537 -> 8537", "{result}"},
    {"/6227", storage_ask<msg_esata_backup_progress>, IN_TEXT, OUT_JSON,
     "the running eSATA backup's progress", "-", "3540 -> 8540", "{status, port, type, percent}"},
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
    {msg_quota_show_reply, sizeof(quota_list), reply_short::wait, write_quota_list},
    {msg_quota_store_reply, 4, reply_short::wait, write_ok_error},
    {msg_esata_backup_run_reply, 4, reply_short::wait, write_backup_result},
    {msg_esata_backup_state_reply, sizeof(backup_status), reply_short::wait, write_backup_status},
    {msg_disk_scan_reply, sizeof(disk_scan), reply_short::empty, write_disk_scan},
    {msg_esata_backup_reply, 4, reply_short::wait, write_backup_result},
    {msg_esata_backup_check_reply, 4, reply_short::wait, write_backup_word},
    {msg_esata_backup_cancel_reply, 4, reply_short::wait, write_backup_result},
    {msg_esata_backup_progress_reply, sizeof(backup_progress), reply_short::wait, write_backup_progress},
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
