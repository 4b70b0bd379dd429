#include "modules/common/record_page.h"

#include <cstring>
#include <vector>

#include "front/core_link.h"
#include "front/json_req.h"
#include "front/web_utils.h"

namespace {
void ignore_replies(void*, const void*, const void*) {}

bool keyed(const record_page& page) { return page.table.key_kind != tqdb_key_kind::single; }
}  // namespace

void stored_reply(int notice_id, int32_t key, int64_t oplog_sub, int oplog_param, int chan_no) {
    if (notice_id) core_notify(ignore_replies, notice_id, sizeof key, &key);
    if (oplog_sub) oplog_send(oplog_sub, oplog_param, chan_no);
    cgi_reply(REPLY_TEXT, "OK");
}

int record_page_key(const request& rq, const record_page& page) {
    if (!keyed(page)) return 0;
    if (rq.json) {
        int key = -1;
        return page.key_member && req_channel(rq.json, page.key_member, &key, page.key_limit) ? key : -1;
    }
    return text_channel(rq.text, page.key_limit);
}

void record_page_get(request& rq, const record_page& page) {
    int key = record_page_key(rq, page);
    if (key < 0) return rq.refuse(page.key_member ? page.key_member : "key");
    std::vector<unsigned char> rec(page.table.rec_size);
    int rc = tqdb_load(TQDB_FILE, page.table, rec.data(), key);
    if (rc < 0 || (rc == 1 && page.need_row)) return rq.fail();
    json_ref reply(fields_object(rec.data(), page.fields));
    if (page.extend && !page.extend(reply.get(), rec.data())) return rq.fail();
    cgi_reply_json(reply.get());
}

void record_page_set(request& rq, const record_page& page) {
    int key = record_page_key(rq, page);
    if (key < 0) return rq.refuse(page.key_member ? page.key_member : "key");
    if (!fields_valid(rq.json, page.fields) || (page.check && !page.check(rq.json)))
        return rq.refuse("members missing or out of range");
    std::vector<unsigned char> stored(page.table.rec_size);
    bool adjusted = true;
    int rc = tqdb_edit_fn(TQDB_FILE, page.table, key, [&](void* rec, int) -> int {
        fields_from_json(rq.json, rec, page.fields, page.options);
        if (page.adjust && !page.adjust(rq.json, rec)) {
            adjusted = false;
            return 1;
        }
        std::memcpy(stored.data(), rec, stored.size());
        return 0;
    });
    if (!adjusted) return rq.refuse("rejected values");
    if (rc != 0) return rq.fail();
    if (page.answer) return page.answer(rq, stored.data(), key);
    stored_reply(page.notice_id, key, page.oplog_sub, page.oplog_param, keyed(page) ? key + 1 : -1);
}
