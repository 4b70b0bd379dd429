#include "modules/common/event_action.h"

#include <cstring>
#include <vector>

#include "front/core_link.h"
#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/common/channels.h"
#include "modules/common/sched_json.h"
#include "platform/tqdb/rec_action.h"
#include "platform/tqdb/rec_system.h"
#include "platform/tqdb/sched_store.h"
#include "platform/tqdb/tqdb.h"

namespace {

// The JSON member of each schedule kind.
// The mask of the alarm sound slots in use (slot i enabled: bit i).
int audio_file_mask() {
    alarm_audio_file_record files[alarm_audio_file_slots];
    std::memset(files, 0, sizeof files);
    read_alarm_audio_file(TQDB_FILE, files);
    int mask = 0;
    for (int i = 0; i < alarm_audio_file_slots; ++i)
        if (files[i].enable == 1) mask |= 1 << i;
    return mask;
}

const char* const schedule_keys[EVENT_SCHED_KINDS] = {"effective", "audible", "email", "ptz", "white"};

void ignore_replies(void*, const void*, const void*) {}

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

int read_white(const event_ref& ev, week_schedule* sched) {
    if (ev.src.white_schedule) {
        whiteled_key key = white_key(ev.src, ev.channel);
        return read_whiteled_effective_schedule(TQDB_FILE, sched, &key);
    }
    return tqdb_sched_read(TQDB_FILE, ev.src.schedules[EVENT_SCHED_WHITE], ev.channel, ev.sub, sched);
}

int write_white(const event_ref& ev, const week_schedule* sched) {
    if (ev.src.white_schedule) {
        whiteled_key key = white_key(ev.src, ev.channel);
        return write_whiteled_effective_schedule(TQDB_FILE, sched, &key);
    }
    return tqdb_sched_write(TQDB_FILE, ev.src.schedules[EVENT_SCHED_WHITE], ev.channel, ev.sub, sched);
}

// The stored schedule of a kind, zeros when none was stored.
void read_schedule(const event_ref& ev, int kind, week_schedule* sched) {
    std::memset(sched, 0, sizeof *sched);
    if (kind == EVENT_SCHED_WHITE)
        read_white(ev, sched);
    else
        tqdb_sched_read(TQDB_FILE, ev.src.schedules[kind], ev.channel, ev.sub, sched);
}

bool has_schedule(const event_source& src, int kind) {
    return kind == EVENT_SCHED_WHITE ? has_white_schedule(src) : src.schedules[kind] != nullptr;
}

// The PTZ list of the dialog form: "ptzParams" for the event channel
// "ptzChnId" and the kind "ptzType". A page that leaves those out means its
// own event; an event channel outside 0..63 stores nothing.
bool apply_ptz_list(const event_ref& ev, json_object* obj) {
    json_object* list = req_array(obj, "ptzParams");
    if (!list) return false;
    int channel = req_int_or(obj, "ptzChnId", ev.channel);
    int kind = req_int_or(obj, "ptzType", ev.src.ptz_kind);
    if (!chn_ok(channel) || kind < 0) return false;
    ptz_actions_from_json(channel, kind, list);
    return true;
}

}  // namespace

// ---- records --------------------------------------------------------------------

bool event_record_read(const event_ref& ev, void* rec) {
    std::memset(rec, 0, ev.src.record_size);
    return ev.src.read(ev.channel, ev.sub, rec) == 0;
}

int event_record_write(const event_ref& ev, void* rec) { return ev.src.write(ev.channel, ev.sub, rec); }

bool event_record_update(const event_ref& ev, json_object* obj, std::span<const field> fields) {
    cgi_lock_guard lock;
    std::vector<unsigned char> rec(ev.src.record_size);
    event_record_read(ev, rec.data());
    if (fields_from_json(obj, rec.data(), fields) == 0) return false;
    return event_record_write(ev, rec.data()) == 0;
}

// ---- the action-setting object -------------------------------------------------------

bool event_action_apply(const event_ref& ev, json_object* obj, action_form form) {
    const event_source& src = ev.src;
    for (int kind = 0; kind < EVENT_SCHED_KINDS && obj; ++kind) {
        if (!has_schedule(src, kind)) continue;
        week_schedule sched;
        if (schedule_from_json(obj, schedule_keys[kind], &sched) != 0) continue;
        if (kind == EVENT_SCHED_WHITE)
            write_white(ev, &sched);
        else
            tqdb_sched_write(TQDB_FILE, src.schedules[kind], ev.channel, ev.sub, &sched);
    }

    if (src.white_list && obj) {
        led_entry rows[action_list_len];
        if (led_list_from_json(ev.channel, rows, obj, "whiteInfo") == 0)
            write_whiteled_params_all(TQDB_FILE, rows, src.white_list, ev.channel);
    }

    bool written = false;
    if (obj && src.read) {
        cgi_lock_guard lock;
        std::vector<unsigned char> rec(src.record_size);
        event_record_read(ev, rec.data());
        bool changed = fields_from_json(obj, rec.data(), src.fields, FM_ONLY_ACTION) > 0;
        if (changed && src.on_change) src.on_change(rec.data());
        bool ptz = form == action_form::dialog && apply_ptz_list(ev, obj);
        if (changed || ptz) written = event_record_write(ev, rec.data()) == 0;
    }

    if (src.notice_id) event_notify(src.notice_id, ev.channel);
    return written;
}

void event_action_copy(const event_ref& ev, uint64_t mask) {
    const event_source& src = ev.src;
    if (!mask) return;
    for (int kind = 0; kind < EVENT_SCHED_KINDS; ++kind) {
        if (!has_schedule(src, kind)) continue;
        week_schedule sched;
        read_schedule(ev, kind, &sched);
        if (kind == EVENT_SCHED_WHITE && src.white_schedule) {
            whiteled_key key = white_key(src, ev.channel);
            copy_whiteled_effective_schedules(TQDB_FILE, &sched, &key, mask);
        } else {
            tqdb_sched_copy(TQDB_FILE, src.schedules[kind], ev.sub, &sched, mask);
        }
    }
    if (src.white_list) {
        led_entry rows[action_list_len];
        std::memset(rows, 0, sizeof rows);
        int count = 0;
        read_whiteled_params(TQDB_FILE, rows, src.white_list, ev.channel, &count);
        copy_whiteled_params(TQDB_FILE, src.white_list, rows, mask);
    }
    if (src.ptz_kind >= 0 && src.ptz_kind != PTZ_EVENT_PEOPLECNT) {
        ptz_action rows[action_list_len];
        std::memset(rows, 0, sizeof rows);
        int count = 0;
        read_ptz_params(TQDB_FILE, rows, src.ptz_kind, ev.channel, &count);
        copy_ptz_params_all(TQDB_FILE, rows, src.ptz_kind, mask);
    }
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
                json_object_object_add(out, key, led_list_to_json(src.white_list, ev.channel));
        } else if (std::strcmp(key, "audioIdMask") == 0) {
            jadd_int(out, key, audio_file_mask());
        } else if (std::strcmp(key, "ptzParams") == 0) {
            if (src.ptz_kind >= 0)
                json_object_object_add(out, key, ptz_actions_to_json(src.ptz_kind, ev.channel));
        } else if (const field* f = field_find(src.fields, key)) {
            field_to_json(out, rec, *f);
        }
    }
}

// ---- notices -------------------------------------------------------------------------------

void event_notify(int msg_id, int32_t channel) {
    core_notify(ignore_replies, msg_id, sizeof channel, &channel);
}

void event_notify_mask(int msg_id, uint64_t mask) { core_notify(ignore_replies, msg_id, sizeof mask, &mask); }
