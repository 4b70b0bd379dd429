#include "modules/common/event_action.h"

#include <cstring>
#include <vector>

#include "front/core_link.h"
#include "front/json_req.h"
#include "modules/common/sched_json.h"
#include "platform/msg_event.h"
#include "platform/tqdb/rec_action.h"
#include "platform/tqdb/rec_system.h"
#include "platform/tqdb/sched_store.h"

int alarm_audio_file_mask() {
    alarm_audio_file_record files[alarm_audio_file_slots];
    std::memset(files, 0, sizeof files);
    read_alarm_audio_file(TQDB_FILE, files);
    int mask = 0;
    for (int i = 0; i < alarm_audio_file_slots; ++i)
        if (files[i].enable == 1) mask |= 1 << i;
    return mask;
}

namespace {

// The JSON member of each schedule kind.
const char* const schedule_keys[EVENT_SCHED_KINDS] = {"effective", "audible", "email", "ptz", "white"};

void ignore_replies(void*, const void*, const void*) {}

bool has_record(const event_ref& ev) { return ev.src.table && chn_ok(ev.channel, ev.src.channels); }

// The sub-index of records that carry it.
void set_sub(const event_ref& ev, void* rec) {
    if (ev.src.sub_at >= 0) {
        int32_t sub = ev.sub;
        std::memcpy(static_cast<char*>(rec) + ev.src.sub_at, &sub, sizeof sub);
    }
}

// The key of the source's white-light schedule for a channel.
whiteled_key white_key(const event_source& src, int channel) {
    whiteled_key key;
    std::memset(&key, 0, sizeof key);
    key.channel = channel;
    copy_text(key.name, sizeof key.name, src.white_schedule);
    return key;
}

// The white-light schedule of the event: under the source's white-LED name,
// or in its own white schedule store.
bool has_white_schedule(const event_source& src) {
    return src.white_schedule || src.schedules[EVENT_SCHED_WHITE];
}

bool peoplecnt_list(const event_source& src) {
    return src.white_list && std::strcmp(src.white_list, WHITE_LIST_PEOPLECNT) == 0;
}

int write_white_list(const event_ref& ev, const led_entry* rows) {
    return peoplecnt_list(ev.src) ? write_peoplecnt_wled_params_all(TQDB_FILE, rows, ev.channel)
                                  : write_whiteled_params_all(TQDB_FILE, rows, ev.src.white_list, ev.channel);
}

bool has_schedule(const event_source& src, int kind) {
    return kind == EVENT_SCHED_WHITE ? has_white_schedule(src) : src.schedules[kind] != nullptr;
}

int write_schedule(const event_ref& ev, int kind, const week_schedule* sched) {
    if (kind == EVENT_SCHED_WHITE && ev.src.white_schedule) {
        whiteled_key key = white_key(ev.src, ev.channel);
        return write_whiteled_effective_schedule(TQDB_FILE, sched, &key);
    }
    return tqdb_sched_write(TQDB_FILE, ev.src.schedules[kind], ev.channel, ev.sub, sched);
}

int copy_schedule(const event_ref& ev, int kind, const week_schedule* sched, uint64_t mask) {
    if (kind == EVENT_SCHED_WHITE && ev.src.white_schedule) {
        whiteled_key key = white_key(ev.src, ev.channel);
        return copy_whiteled_effective_schedules(TQDB_FILE, sched, &key, mask);
    }
    return tqdb_sched_copy(TQDB_FILE, ev.src.schedules[kind], ev.sub, sched, mask);
}

// The stored schedule of a kind, zeros when none was stored.
void read_schedule(const event_ref& ev, int kind, week_schedule* sched) {
    std::memset(sched, 0, sizeof *sched);
    if (kind == EVENT_SCHED_WHITE && ev.src.white_schedule) {
        whiteled_key key = white_key(ev.src, ev.channel);
        read_whiteled_effective_schedule(TQDB_FILE, sched, &key);
    } else {
        tqdb_sched_read(TQDB_FILE, ev.src.schedules[kind], ev.channel, ev.sub, sched);
    }
}

// The PTZ list of the dialog form: "ptzParams" for the event channel
// "ptzChnId" and the kind "ptzType". A page that leaves those out means its
// own event, as the own form always does; an event channel outside 0..63
// stores nothing. 1 when a list
// was stored, 0 when there was none to store, -1 when the store failed.
int store_ptz_list(const event_ref& ev, json_object* obj, action_form form) {
    json_object* list = req_array(obj, "ptzParams");
    if (!list) return 0;
    const bool named = form == action_form::dialog;
    int channel = named ? req_int_or(obj, "ptzChnId", ev.channel) : ev.channel;
    int kind = named ? req_int_or(obj, "ptzType", ev.src.ptz_kind) : ev.src.ptz_kind;
    if (!chn_ok(channel) || kind < 0) return 0;
    return ptz_actions_from_json(channel, kind, list) == 1 ? 1 : -1;
}

// The record part of an action object: its action fields and, in the dialog
// form, the PTZ list, in one edit of the record.
int store_action_record(const event_ref& ev, json_object* obj, action_form form) {
    const event_source& src = ev.src;
    int rc = tqdb_edit_fn(TQDB_FILE, *src.table, ev.channel, [&](void* rec, int) {
        set_sub(ev, rec);
        bool changed = fields_from_json(obj, rec, src.fields, FM_ONLY_ACTION) > 0;
        if (changed && src.on_change) src.on_change(rec);
        int ptz = form != action_form::flat ? store_ptz_list(ev, obj, form) : 0;
        if (ptz < 0) return -1;
        return changed || ptz || src.always_write ? 0 : 1;
    });
    return rc < 0 ? -1 : 0;
}

}  // namespace

// ---- records --------------------------------------------------------------------

bool event_record_read(const event_ref& ev, void* rec) {
    if (!has_record(ev)) {
        if (ev.src.table) std::memset(rec, 0, ev.src.table->rec_size);
        return false;
    }
    int rc = tqdb_load(TQDB_FILE, *ev.src.table, rec, ev.channel);
    set_sub(ev, rec);
    return rc == 0;
}

int event_record_update(const event_ref& ev, json_object* obj, std::span<const field> fields) {
    if (!has_record(ev)) return -1;
    int rc = tqdb_edit_fn(TQDB_FILE, *ev.src.table, ev.channel, [&](void* rec, int) {
        set_sub(ev, rec);
        return fields_from_json(obj, rec, fields) > 0 ? 0 : 1;
    });
    return rc < 0 ? -1 : 0;
}

// ---- the action-setting object -------------------------------------------------------

int event_action_store(const event_ref& ev, json_object* obj, action_form form) {
    const event_source& src = ev.src;
    if (!obj) return 0;
    for (int kind = 0; kind < EVENT_SCHED_KINDS; ++kind) {
        if (!has_schedule(src, kind)) continue;
        week_schedule sched;
        if (schedule_from_json(obj, schedule_keys[kind], &sched) != 0) continue;
        if (write_schedule(ev, kind, &sched) != 0) return -1;
    }
    if (src.white_list) {
        led_entry rows[action_list_len];
        if (led_list_from_json(ev.channel, rows, obj, "whiteInfo") == 0 &&
            write_white_list(ev, rows) != 0)
            return -1;
    }
    return has_record(ev) ? store_action_record(ev, obj, form) : 0;
}

int event_action_apply(const event_ref& ev, json_object* obj, action_form form) {
    if (event_store([&] { return event_action_store(ev, obj, form); }) != 0) return -1;
    event_action_notice(ev);
    return 0;
}

void event_action_notice(const event_ref& ev) {
    if (ev.src.notice_id) event_notify(ev.src.notice_id, ev.channel);
}

int event_action_copy(const event_ref& ev, uint64_t mask) {
    const event_source& src = ev.src;
    if (!mask) return 0;
    for (int kind = 0; kind < EVENT_SCHED_KINDS; ++kind) {
        if (!has_schedule(src, kind)) continue;
        week_schedule sched;
        read_schedule(ev, kind, &sched);
        if (copy_schedule(ev, kind, &sched, mask) != 0) return -1;
    }
    if (src.white_list && !peoplecnt_list(src)) {
        led_entry rows[action_list_len];
        std::memset(rows, 0, sizeof rows);
        int count = 0;
        read_whiteled_params(TQDB_FILE, rows, src.white_list, ev.channel, &count);
        if (copy_whiteled_params(TQDB_FILE, src.white_list, rows, mask) != 0) return -1;
    }
    if (src.ptz_kind >= 0 && src.ptz_kind != PTZ_EVENT_PEOPLECNT) {
        ptz_action rows[action_list_len];
        std::memset(rows, 0, sizeof rows);
        int count = 0;
        read_ptz_params(TQDB_FILE, rows, src.ptz_kind, ev.channel, &count);
        if (copy_ptz_params_all(TQDB_FILE, rows, src.ptz_kind, mask) != 0) return -1;
    }
    return 0;
}

// ---- read replies ----------------------------------------------------------------------

void event_action_json(json_object* out, const event_ref& ev, const void* rec,
                       std::span<const char* const> keys) {
    const event_source& src = ev.src;
    for (const char* key : keys) {
        int kind = 0;
        while (kind < EVENT_SCHED_KINDS && std::strcmp(key, schedule_keys[kind]) != 0) ++kind;
        if (kind < EVENT_SCHED_KINDS) {
            if (!has_schedule(src, kind)) continue;
            week_schedule sched;
            read_schedule(ev, kind, &sched);
            json_object_object_add(out, key, schedule_to_json(sched));
        } else if (std::strcmp(key, "whiteInfo") == 0) {
            if (src.white_list)
                json_object_object_add(out, key, peoplecnt_list(src)
                                                     ? led_list_to_json_peoplecnt(ev.channel)
                                                     : led_list_to_json(src.white_list, ev.channel));
        } else if (std::strcmp(key, "audioIdMask") == 0) {
            jadd_int(out, key, alarm_audio_file_mask());
        } else if (std::strcmp(key, "ptzParams") == 0) {
            if (src.ptz_kind >= 0)
                json_object_object_add(out, key, ptz_actions_to_json(src.ptz_kind, ev.channel));
        } else if (const field* f = field_find(src.fields, key); f && rec) {
            field_to_json(out, rec, *f);
        }
    }
}

void event_page_get(request& rq, const event_source& src, const char* key_member,
                    std::span<const char* const> keys) {
    int chn;
    if (!req_channel(rq.json, key_member, &chn, src.channels)) return rq.refuse(key_member);
    event_ref ev{src, chn};
    std::vector<unsigned char> rec(src.table ? src.table->rec_size : 0);
    event_record_read(ev, rec.data());
    json_ref reply(json_object_new_object());
    event_action_json(reply.get(), ev, src.table ? rec.data() : nullptr, keys);
    cgi_reply_json(reply.get());
}

// ---- notices -------------------------------------------------------------------------------

void event_notify(int msg_id, int32_t channel) {
    core_notify(ignore_replies, msg_id, sizeof channel, &channel);
}

void event_notify_mask(int msg_id, uint64_t mask) { core_notify(ignore_replies, msg_id, sizeof mask, &mask); }

void event_oplog_mask(int parameter_type, uint64_t mask, int chan_no) {
    oplog_mask_record log;
    oplog_record_init(&log.rec);
    log.rec.sub_type = 204;
    log.rec.parameter_type = parameter_type;
    if (chan_no >= 0) log.rec.chan_no = chan_no;
    log.mask = mask;
    core_notify(ignore_replies, msg_oplog_masked, sizeof log, &log);
}
