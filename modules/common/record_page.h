// Record pages: a settings page over one stored record, as data.
//
// The read answers the record's fields as one JSON object. The store checks
// the request against the field map, takes its members into the stored
// record in one atomic edit (read, change, write in one transaction), and
// only then tells the core daemon and the operation log and answers "OK". A
// store that fails answers the code's failure reply and tells nobody.
//
//     const record_page speed_page = {
//         .table = tqdb_tbl_ptz_speed, .fields = speed_fields,
//         .key_member = "camId", .notice_id = 1301, .oplog_sub = 204, .oplog_param = 905,
//     };
//     {"/6054", page_get<speed_page>, IN_JSON, OUT_JSON},
//     {"/6055", page_set<speed_page>, IN_JSON, OUT_TEXT},
//
// The request names its key with key_member (JSON rows) or as a bare number
// (text rows); single-row tables take no key.
#pragma once

#include <cstdint>
#include <span>

#include "front/dispatchreq.h"
#include "modules/common/channels.h"
#include "modules/common/field_map.h"
#include "platform/tqdb/tqdb.h"

struct record_page {
    const tqdb_table& table;
    std::span<const field> fields;
    const char* key_member = nullptr;  // JSON member holding the key
    int key_limit = channel_limit;     // keys 0..key_limit-1
    bool need_row = false;             // a read of a key without a row fails
    unsigned options = 0;              // fields_from_json options (FM_ZERO_ABSENT)
    // After a store: the notice (payload: the key as int32; 0 none) and the
    // operation-log entry (sub type 0: none; channel number key + 1 for
    // keyed tables).
    int notice_id = 0;
    int64_t oplog_sub = 0;
    int oplog_param = 0;
    // Optional: further checks of the request beyond the field map.
    bool (*check)(json_object* req) = nullptr;
    // Optional: runs inside the edit after the members were applied (derived
    // fields); false leaves the record as stored and refuses the request.
    bool (*adjust)(json_object* req, void* rec) = nullptr;
    // Optional: what follows a successful store instead of notice, log and
    // "OK" (a page whose answer comes from the core daemon, say).
    void (*answer)(request& rq, const void* rec, int key) = nullptr;
    // Optional: adds members to the read's reply after the fields (values
    // that are not stored, such as an interface's live address); false when
    // they cannot be read, and the read fails.
    bool (*extend)(json_object* reply, const void* rec) = nullptr;
};

// The key a request names, or -1 (refused) when it names none in range.
int record_page_key(const request& rq, const record_page& page);
void record_page_get(request& rq, const record_page& page);
void record_page_set(request& rq, const record_page& page);

template <const record_page& Page>
void page_get(request& rq) {
    record_page_get(rq, Page);
}
template <const record_page& Page>
void page_set(request& rq) {
    record_page_set(rq, Page);
}

// The common tail of a stored change: the notice with the key (when
// notice_id is set), the operation-log entry (when sub_type is set), "OK".
void stored_reply(int notice_id, int32_t key, int64_t oplog_sub, int oplog_param, int chan_no);
