// The status module: read-only pages of the recorder's live state (network
// interfaces and traffic, camera streams, event and alarm state, storage
// totals, feature support, disk groups, users logged in).
//
// status_table.cpp holds the module's one request table. Almost every page
// is one waiting request without payload (status_query); status_reply.cpp
// holds the reply callback, which hands each answer to its writer.
#pragma once

#include <cstdint>

#include "front/dispatchreq.h"

// ---- the core daemon (status_reply.cpp) -------------------------------------

// Sends msg_id without payload and waits; the answer's writer renders the
// page. Without an answer the page is {status:"CGI ERROR"}.
void status_query(int msg_id);

// A page that is one waiting request: the handler of its code.
template <int MsgId>
void status_page(request&) {
    status_query(MsgId);
}

// Reply writers: the payload (null only for an empty answer) and its size;
// called with the reply claimed.
void status_write_netifs(const void* payload, uint32_t size);   // 8301
void status_write_traffic(const void* payload, uint32_t size);  // 8302
void status_write_storage(const void* payload, uint32_t size);  // 8306
void status_write_support(const void* payload, uint32_t size);  // 8263
void status_write_users(const void* payload, uint32_t size);    // 6719

// ---- channels (status_channels.cpp) ------------------------------------------

void status_write_cameras(const void* payload, uint32_t size);  // 8300
void status_write_events(const void* payload, uint32_t size);   // 8305

// ---- database pages (status_groups.cpp) -----------------------------------------

void status_disk_groups(request& rq);  // "/8010"
