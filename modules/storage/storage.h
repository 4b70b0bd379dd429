// The storage module: its handlers (one file per topic), the writers of the
// core daemon's answers, and the one request table and one reply table in
// storage_table.cpp.
#pragma once

#include <cstdint>

#include "front/core_link.h"
#include "front/dispatchreq.h"

// The module's callback for the answers of the core daemon (storage_table.cpp).
void storage_reply(void* ctx, const void* header, const void* payload);

// Sends a waiting request; the module's reply table renders the answer.
// Without an answer the failure reply of fail_type (REPLY_TEXT or REPLY_JSON)
// is written. True when an answer was rendered and its writer did not call
// it a failure.
bool storage_query(int msg_id, const void* payload, int payload_len, int fail_type);

// ---- disks (disks.cpp) -------------------------------------------------------
void disk_list(request& rq);             // /6100 3433: the disk list
void disk_set_property(request& rq);     // /6101 3435: property and group of a disk
void disk_format(request& rq);           // /6102 3434: format a disk
void disk_check_port(request& rq);       // /6103 a port number check
void disk_raid_mode_show(request& rq);   // /6108 parameter "raidmode"
void disk_raid_mode_store(request& rq);  // /6109 parameter "raidmode"
void esata_mode_store(request& rq);      // /6204 3475
void esata_mode_show(request& rq);       // /6205 3431
void disk_self_test(request& rq);        // /6206 3403

int write_disk_list(const core_answer& answer);      // 8433
int write_format_result(const core_answer& answer);  // 8434
int write_self_test(const core_answer& answer);      // 8403
int write_esata_mode(const core_answer& answer);     // 8431
int write_esata_stored(const core_answer& answer);   // 8475

// ---- RAID arrays (raid.cpp) -----------------------------------------------------
void raid_build(request& rq);      // /6104 3420
void raid_remove(request& rq);     // /6105 3421
void raid_hot_spare(request& rq);  // /6106 3423 / 3424
void raid_add_disk(request& rq);   // /6107 3425
// One result: "OK" for 0, "Error" for anything else (8420, 8421, 8423,
// 8424, 8439, 8496, 8507, 8508); the same for 8425, which also answers
// "Error" when the result is missing.
int write_ok_error(const core_answer& answer);

// ---- network disks and removal (nas.cpp) --------------------------------------
void nas_remove(request& rq);   // /6200 3508
void nas_add(request& rq);      // /6201 3507
void nas_browse(request& rq);   // /6202 3440
void nas_edit(request& rq);     // /6203 3439
void disk_remove(request& rq);  // /6207 by disk type

int write_nas_dirs(const core_answer& answer);  // 8440
