// The pages that the event sources share as data: schedule getters and
// setters, batch pages over many channels or inputs, and PTZ copies.
#include <cstring>
#include <vector>

#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/common/sched_json.h"
#include "modules/event/event.h"
#include "platform/tqdb/rec_action.h"
#include "platform/tqdb/sched_store.h"

void schedule_page_get(request& rq, const schedule_page& page) {
    int chn = text_channel(rq.text, page.limit);
    if (chn < 0) return rq.refuse("channel");
    week_schedule sched;
    std::memset(&sched, 0, sizeof sched);
    tqdb_sched_read(TQDB_FILE, page.store, chn, 0, &sched);
    json_ref reply(schedule_to_json(sched));
    cgi_reply_json(reply.get());
}

void schedule_page_set(request& rq, const schedule_page& page) {
    int chn;
    // A channel out of range is answered as a failure, not refused silently.
    if (!req_channel(rq.json, "camId", &chn, page.limit)) return rq.fail();
    week_schedule sched;
    bool given = schedule_from_json(rq.json, "schedule", &sched) == 0;
    int rc = event_store([&] {
        if (given && tqdb_sched_write(TQDB_FILE, page.store, chn, 0, &sched) != 0) return -1;
        return page.src ? event_record_update({*page.src, chn}, rq.json, page.fields) : 0;
    });
    if (rc != 0) return rq.fail();
    if (page.notice_id) event_notify(page.notice_id, chn);
    cgi_reply(REPLY_TEXT, "OK");
}

void batch_page_set(request& rq, const batch_page& page) {
    uint64_t mask = listed_mask(rq.json, "chnid", "cnt", page.keys);
    week_schedule sched;
    bool given = schedule_from_json(rq.json, "schedule", &sched) == 0;
    int rc = event_store([&] {
        if (given && mask && tqdb_sched_copy(TQDB_FILE, page.schedule, 0, &sched, mask) != 0) return -1;
        return batch_apply(page.table, page.keys, rq.json, page.fields, mask);
    });
    if (rc != 0) return rq.fail();
    event_notify_mask(page.notice_id, mask);
    cgi_reply(REPLY_TEXT, "OK");
}

void ptz_copy_page_set(request& rq, const ptz_copy_page& page) {
    int owner;
    if (!req_channel(rq.json, "camId", &owner, page.limit)) return rq.fail();
    uint64_t mask = listed_mask(rq.json, "chnid", "cnt", page.limit);
    week_schedule sched;
    bool given = schedule_from_json(rq.json, "schedule", &sched) == 0;
    int rc = event_store([&] {
        if (!mask) return 0;
        // Each copy carries its own owner as the entries' event channel.
        ptz_action rows[action_list_len];
        std::memset(rows, 0, sizeof rows);
        int count = 0;
        read_ptz_params(TQDB_FILE, rows, page.kind, owner, &count);
        if (copy_ptz_params_all(TQDB_FILE, rows, page.kind, mask) != 0) return -1;
        return given ? tqdb_sched_copy(TQDB_FILE, page.schedule, 0, &sched, mask) : 0;
    });
    if (rc != 0) return rq.fail();
    event_notify_mask(page.notice_id, mask);
    cgi_reply(REPLY_TEXT, "OK");
}

int batch_apply(const tqdb_table& t, int keys, json_object* req, std::span<const field> fields,
                uint64_t mask) {
    std::vector<unsigned char> before(t.rec_size);
    for (int key = 0; key < keys && key < 64; ++key) {
        if (!(mask >> key & 1)) continue;
        int rc = tqdb_edit_fn(TQDB_FILE, t, key, [&](void* rec, int) {
            std::memcpy(before.data(), rec, before.size());
            fields_from_json(req, rec, fields);
            return std::memcmp(before.data(), rec, before.size()) != 0 ? 0 : 1;
        });
        if (rc < 0) return -1;
    }
    return 0;
}

void event_oplog(int parameter_type, int chn) { oplog_send(204, parameter_type, chn + 1); }
