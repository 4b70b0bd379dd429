// Request helpers that the event pages share: channel checks, the schedule
// getters and setters of the basic pages, channel lists and the log entry.
#include <cstring>
#include <vector>

#include "front/bare_number.h"
#include "front/core_link.h"
#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/common/sched_json.h"
#include "modules/event/event.h"
#include "platform/msg_event.h"
#include "platform/tqdb/rec_action.h"
#include "platform/tqdb/tqdb.h"

bool ints_ok(json_object* req, std::initializer_list<int_rule> rules) {
    for (const int_rule& r : rules) {
        int value = 0;
        if (!req_int(req, r.key, &value)) {
            if (r.required) return false;
            continue;
        }
        if (value < r.min || value > r.max) return false;
    }
    return true;
}

void reply_event(const char* text, const event_source& src, std::span<const char* const> keys) {
    json_ref req = json_parse_object(text);
    int chn;
    if (!req || !req_channel(req.get(), "chnid", &chn)) {
        cgi_reply_error(REPLY_JSON);
        return;
    }
    event_ref ev{src, chn};
    std::vector<unsigned char> rec(src.record_size);
    event_record_read(ev, rec.data());
    json_ref reply(json_object_new_object());
    event_action_json(reply.get(), ev, rec.data(), keys);
    cgi_reply_json(reply.get());
}

void reply_schedule(const char* text, int (*read)(const char*, week_schedule*, int), int limit) {
    int chn = text_channel(text, limit);
    if (chn < 0) return;
    week_schedule sched;
    std::memset(&sched, 0, sizeof sched);
    read(TQDB_FILE, &sched, chn);
    json_ref reply(schedule_to_json(sched));
    cgi_reply_json(reply.get());
}

void set_schedule(const char* text, const schedule_page& page) {
    json_ref req = json_parse_object(text);
    if (!req) return;
    int chn;
    if (!req_channel(req.get(), "camId", &chn, page.limit)) {
        cgi_reply_error(REPLY_TEXT);
        return;
    }
    week_schedule sched;
    if (schedule_from_json(req.get(), "schedule", &sched) == 0) page.write(TQDB_FILE, &sched, chn);
    if (page.src) event_record_update({*page.src, chn}, req.get(), page.fields);
    event_notify(page.notice_id, chn);
    cgi_reply(REPLY_TEXT, "OK");
}

void ptz_copy_page(const char* text, int kind, int limit,
                   int (*copy_sched)(const char*, const week_schedule*, uint64_t), int notice_id) {
    json_ref req = json_parse_object(text);
    if (!req) return;
    int owner;
    if (!req_channel(req.get(), "camId", &owner, limit)) {
        cgi_reply_error(REPLY_TEXT);
        return;
    }
    uint64_t mask = listed_mask(req.get(), "chnid", "cnt", limit);
    if (mask) {
        // Each copy carries its own owner as the entries' event channel.
        ptz_action rows[action_list_len];
        std::memset(rows, 0, sizeof rows);
        int count = 0;
        read_ptz_params(TQDB_FILE, rows, kind, owner, &count);
        copy_ptz_params_all(TQDB_FILE, rows, kind, mask);
        week_schedule sched;
        if (schedule_from_json(req.get(), "schedule", &sched) == 0) copy_sched(TQDB_FILE, &sched, mask);
    }
    event_notify_mask(notice_id, mask);
    cgi_reply(REPLY_TEXT, "OK");
}

void batch_apply(const tqdb_table& t, int capacity, json_object* req, std::span<const field> fields,
                 uint64_t mask) {
    const size_t size = t.rec_size;
    cgi_lock_guard lock;
    std::vector<unsigned char> stored(size * capacity), by_key(size * capacity, 0);
    int count = 0;
    if (tqdb_read_all(TQDB_FILE, t, stored.data(), capacity, &count) != 0) count = 0;
    // Rows by their key; a key without a row starts zero-filled.
    for (int32_t key = 0; key < capacity; ++key) std::memcpy(&by_key[key * size + t.key_off], &key, 4);
    for (int i = 0; i < count && i < capacity; ++i) {
        int32_t key;
        std::memcpy(&key, &stored[i * size + t.key_off], 4);
        if (key >= 0 && key < capacity) std::memcpy(&by_key[key * size], &stored[i * size], size);
    }
    uint64_t changed = 0;
    std::vector<unsigned char> before(size);
    for (int key = 0; key < capacity && key < 64; ++key) {
        if (!(mask >> key & 1)) continue;
        unsigned char* rec = &by_key[key * size];
        std::memcpy(before.data(), rec, size);
        fields_from_json(req, rec, fields);
        if (std::memcmp(before.data(), rec, size) != 0) changed |= uint64_t{1} << key;
    }
    if (changed) tqdb_write_masked(TQDB_FILE, t, by_key.data(), capacity, changed);
}

void event_oplog(int parameter_type, int chn) { oplog_send(204, parameter_type, chn + 1); }

void event_oplog_mask(int parameter_type, uint64_t mask) {
    oplog_mask_record log;
    oplog_record_init(&log.rec);
    log.rec.sub_type = 204;
    log.rec.parameter_type = parameter_type;
    log.mask = mask;
    core_notify(event_reply, MSG_OPLOG_MASKED, sizeof log, &log);
}
