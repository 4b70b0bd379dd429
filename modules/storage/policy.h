// The storage policy: per-channel quotas, disk groups and the automatic
// backup to an eSATA disk (policy.cpp).
#pragma once

#include <json-c/json.h>

#include "front/core_link.h"
#include "front/dispatchreq.h"
#include "modules/common/record_page.h"
#include "modules/storage/storage.h"

void quota_show(request& rq);          // /6208 3529
void quota_store(request& rq);         // /6209 3530
void group_store(request& rq);         // /6210 3442, 3436 x n, 1307
extern const record_page esata_backup_page;  // /6220 the stored plan
void esata_backup_run(request& rq);    // /6221 (plan), 1316
void esata_backup_start(request& rq);  // /6224 3535

// A waiting request without payload whose answer the reply table renders
// (/6222 1317, /6223 3457, /6225 3536, /6226 3537, /6227 3540); without an
// answer {status:"CGI ERROR"}.
template <int32_t MsgId>
void storage_ask(request&) {
    core_query(storage_reply, MsgId, 0, nullptr, REPLY_JSON);
}

int write_quota_list(const core_answer& answer);      // 8529
int write_backup_status(const core_answer& answer);   // 6317
int write_disk_scan(const core_answer& answer);       // 8457
int write_backup_progress(const core_answer& answer); // 8540
int write_backup_result(const core_answer& answer);          // 6316, 8535, 8537: {"result"}
int write_backup_word(const core_answer& answer);          // 8536: {"status"}

// The disk-group view from the database alone: "channel" (the 16 groups'
// channel texts), "disk" (per disk record its group + 1, 0 when not
// configured), "max_chan" and "group_enable", added to obj.
void disk_group_view(json_object* obj);
