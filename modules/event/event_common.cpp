// Request helpers that the event pages share: channel checks, the schedule
// getters and setters of the basic pages, channel lists and the log entry.
#include "front/json_req.h"
#include "front/sched_json.h"
#include "front/web_utils.h"
#include "modules/event/event.h"
#include "platform/tqdb/tqdb.h"

#include <cstdlib>
#include <cstring>

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

bool req_channel(json_object* req, const char* key, int* chn) {
    return req_int(req, key, chn) && chn_ok(*chn);
}

int text_channel(const char* text) {
    long chn = text ? std::strtol(text, nullptr, 10) : -1;
    return chn >= 0 && chn < 64 ? static_cast<int>(chn) : -1;
}

void reply_schedule(const char* text, int (*read)(const char*, week_schedule*, int)) {
    int chn = text_channel(text);
    if (chn < 0) return;
    week_schedule sched;
    std::memset(&sched, 0, sizeof sched);
    read(TQDB_FILE, &sched, chn);
    json_ref reply(schedule_to_json(sched));
    cgi_reply_json(reply.get());
}

void set_schedule(const char* text, int (*write)(const char*, const week_schedule*, int),
                  int notice_id) {
    json_ref req = json_parse_object(text);
    if (!req) return;
    int chn;
    if (!req_channel(req.get(), "camId", &chn)) {
        cgi_reply_error(REPLY_TEXT);
        return;
    }
    week_schedule sched;
    if (schedule_from_json(req.get(), "schedule", &sched) == 0) write(TQDB_FILE, &sched, chn);
    event_notify(notice_id, chn);
    cgi_reply(REPLY_TEXT, "OK");
}

int mask_channels(uint64_t mask, int32_t* list) {
    int count = 0;
    for (int ch = 0; ch < 64; ++ch)
        if (mask >> ch & 1) list[count++] = ch;
    return count;
}

void event_oplog(int parameter_type, int chn) { oplog_send(204, parameter_type, chn + 1); }
