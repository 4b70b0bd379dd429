// The status module: read-only pages of the recorder's live state (network
// interfaces and traffic, camera streams, event and alarm state, storage
// totals, feature support, disk groups, users logged in).
//
// status_table.cpp holds the module's request table and reply table. Almost
// every page is one waiting request without payload (status_page); the
// reply table hands each answer to its writer.
#pragma once

#include <cstdint>

#include "front/core_link.h"
#include "front/dispatchreq.h"

// The module's callback for the answers of the core daemon (status_table.cpp).
void status_reply(void* ctx, const void* header, const void* payload);

// A page that is one waiting request without payload: the answer's writer
// renders it; without an answer the page is {status:"CGI ERROR"}.
template <int32_t MsgId>
void status_page(request&) {
    core_query(status_reply, MsgId, 0, nullptr, REPLY_JSON);
}

// ---- list answers (status_lists.cpp) -------------------------------------------
int status_write_netifs(const core_answer& answer);   // 8301
int status_write_traffic(const core_answer& answer);  // 8302
int status_write_storage(const core_answer& answer);  // 8306
int status_write_support(const core_answer& answer);  // 8263
int status_write_users(const core_answer& answer);    // 6719

// ---- channels (status_channels.cpp) ----------------------------------------------
int status_write_cameras(const core_answer& answer);  // 8300
int status_write_events(const core_answer& answer);   // 8305

// ---- database pages (status_groups.cpp) ----------------------------------------------
void status_disk_groups(request& rq);  // "/8010"
