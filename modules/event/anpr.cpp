// Licence plate recognition: actions per list, the camera's recognition
// settings and plate formats, and the plate lists.
//
// The actions of a (channel, list mode) are one source of the event action
// model per mode, on the shared action record. The plate lists live in the
// plate database file; a request changes them in one transaction, so a
// request whose store fails leaves the lists as they were.
#include "modules/event/anpr.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/common/channels.h"
#include "modules/common/event_action.h"
#include "modules/event/event.h"
#include "modules/event/vca.h"
#include "platform/textcode.h"
#include "platform/tqdb/rec_anpr.h"

namespace {

// ---- actions -----------------------------------------------------------------------

// Mode + 1 indexes the sources; white-light names of the black and white
// lists, the visitor names for every other mode; PTZ kind mode + 15.
#define ANPR_SOURCE(label, mode, white_schedule_name, white_list_name)                                 \
    event_source {                                                                                     \
        .name = label, .table = &tqdb_tbl_anpr_event[(mode) + 1], .fields = event_action_fields,       \
        .schedules = {SCHED_ANPR_EFFECTIVE, SCHED_ANPR_AUDIBLE, SCHED_ANPR_MAIL, SCHED_ANPR_PTZ,       \
                      nullptr},                                                                        \
        .white_schedule = white_schedule_name, .white_list = white_list_name, .ptz_kind = (mode) + 15, \
    }
const event_source anpr_sources[anpr_modes] = {
    ANPR_SOURCE("plates, any list", -1, "lpr_vistor_whiteled_esche", "lpr_vistor_white_led_params"),
    ANPR_SOURCE("plates, black list", 0, "lpr_black_whiteled_esche", "lpr_black_white_led_params"),
    ANPR_SOURCE("plates, white list", 1, "lpr_white_whiteled_esche", "lpr_white_white_led_params"),
    ANPR_SOURCE("plates, visitors", 2, "lpr_vistor_whiteled_esche", "lpr_vistor_white_led_params"),
};
#undef ANPR_SOURCE

event_ref anpr_event(int chn, int mode) { return {anpr_sources[mode + 1], chn, mode}; }

// The reply members after "chnid" and "mode"; mode -1 shows only its
// effective schedule.
const char* const action_keys[] = {
    "enable",        "triAlarms",    "interval",   "email_interval", "email_pic_enable", "tri_channels_pic",
    "ptz_interval",  "alarmout_interval", "white_interval", "triChannels", "effective", "audible",
    "email",         "ptz",          "triChnAlarms", "white",        "whiteInfo",        "audioId",
    "audioIdMask",   "ptzParams",
};
const char* const any_list_keys[] = {"effective"};

// The "dialog" of a request without its "enable": the action setter of a
// plate list does not take it (the page's own "enable" does). Null when
// the request has no dialog object.
json_ref dialog_of(json_object* req) {
    json_object* dialog = req_member(req, "dialog");
    if (!json_object_is_type(dialog, json_type_object)) return json_ref(nullptr);
    json_object* copy = json_object_new_object();
    json_object_object_foreach(dialog, key, value) {
        if (std::strcmp(key, "enable") != 0) json_object_object_add(copy, key, json_object_get(value));
    }
    return json_ref(copy);
}

bool req_list_event(json_object* req, int* chn, int* mode) {
    return req_channel(req, "chnid", chn) && req_int(req, "mode", mode) && anpr_mode_ok(*mode);
}

// ---- the camera's recognition settings ------------------------------------------------

using st = anpr_settings;
// The members before "region", in reply order.
const field settings_fields[] = {
    FM_INT(st, "chnid", chnid),
    FM_INT(st, "enable", enable),
    FM_INT(st, "resolution_width", resolution_width),
    FM_INT(st, "resolution_height", resolution_height),
    FM_INT(st, "area_x", area_x),
    FM_INT(st, "area_y", area_y),
    FM_INT(st, "area_width", area_width),
    FM_INT(st, "area_height", area_height),
    FM_INT(st, "day_night_mode_enable", day_night_mode_enable),
    FM_INT(st, "scene", scene),
    FM_INT(st, "direction_enable", direction_enable),
    FM_INT(st, "region_enable", region_enable),
    FM_INT(st, "roiid_enable", roiid_enable),
    FM_INT(st, "process_mode", process_mode),
    FM_INT(st, "repeat_check_time_value", repeat_check_time_value),
    FM_INT(st, "repeat_check_time_unit", repeat_check_time_unit),
    FM_INT(st, "post_enable", post_enable),
    FM_INT(st, "post_type", post_type),
    FM_INT(st, "post_tcp_port", post_tcp_port),
    FM_TEXT(st, "post_http_user", post_http_user),
    FM_TEXT(st, "post_http_password", post_http_password),
    FM_TEXT(st, "post_http_url", post_http_url),
    FM_INT(st, "confidence", confidence),
    FM_INT(st, "night_mode_enable", night_mode_enable),
    FM_INT(st, "night_mode_level", night_mode_level),
    FM_INT(st, "night_mode_starthour", night_mode_starthour),
    FM_INT(st, "night_mode_startminute", night_mode_startminute),
    FM_INT(st, "night_mode_stophour", night_mode_stophour),
    FM_INT(st, "night_mode_stopminute", night_mode_stopminute),
    FM_INT(st, "night_mode_effective_mode", night_mode_effective_mode),
};
const field area_fields[] = {
    FM_TEXT(anpr_area, "name", name),     FM_INT(anpr_area, "startX", start_x), FM_INT(anpr_area, "startY", start_y),
    FM_INT(anpr_area, "endX", end_x),     FM_INT(anpr_area, "endY", end_y),
};
// A preset entry's reply spells its last member "endy"; the setting reads "endY".
const field preset_reply_fields[] = {
    FM_TEXT(anpr_area, "name", name),     FM_INT(anpr_area, "startX", start_x), FM_INT(anpr_area, "startY", start_y),
    FM_INT(anpr_area, "endX", end_x),     FM_INT(anpr_area, "endy", end_y),
};
// The members between "region" and "preset".
const field settings_tail_fields[] = {
    FM_TEXT(st, "cur_area", cur_area),
    FM_INT(st, "in_night_mode", in_night_mode).out_only(),
    FM_RECORDS(st, "roi", roi, area_fields),
};

// The first n elements of the array req[key] (at most limit).
size_t elements(json_object* array, size_t limit) {
    return json_object_is_type(array, json_type_array) ? std::min(json_object_array_length(array), limit) : 0;
}

void settings_from_json(json_object* req, anpr_settings& s) {
    fields_from_json(req, &s, settings_fields);
    json_object* region = req_member(req, "region");
    for (size_t k = 0; k < elements(region, anpr_regions); ++k) {
        json_object* text = json_object_array_get_idx(region, k);
        if (json_object_is_type(text, json_type_string))
            copy_text(s.region[k], sizeof s.region[k], json_object_get_string(text));
    }
    fields_from_json(req, &s, settings_tail_fields);
    json_object* preset = req_member(req, "preset");
    for (size_t i = 0; i < elements(preset, anpr_presets); ++i) {
        json_object* entries = json_object_array_get_idx(preset, i);
        for (size_t j = 0; j < elements(entries, anpr_rois); ++j) {
            json_object* item = json_object_array_get_idx(entries, j);
            if (json_object_is_type(item, json_type_object)) fields_from_json(item, &s.preset[i][j], area_fields);
        }
    }
}

// ---- plate formats --------------------------------------------------------------------

// Zero-filled, then "chnid", "filter" and the first nine "wildcards".
void format_from_json(json_object* req, anpr_format& f) {
    std::memset(&f, 0, sizeof f);
    f.chnid = req_int_or(req, "chnid", 0);
    f.filter = req_int_or(req, "filter", 0);
    json_object* list = req_member(req, "wildcards");
    for (size_t i = 0; i < elements(list, anpr_wildcards); ++i) {
        json_object* w = json_object_array_get_idx(list, i);
        f.enable[i] = req_int_or(w, "enable", 0);
        f.cr_count[i] = req_int_or(w, "cr_count", 0);
        req_text(w, "format", f.format[i], sizeof f.format[i]);
    }
}

using fm = anpr_format;
const field format_fields[] = {FM_INT(fm, "chnid", chnid).range(0, channel_limit - 1).required(),
                               FM_INT(fm, "filter", filter)};

bool with_wildcards(json_object* req, anpr_format& f) {
    format_from_json(req, f);
    return true;
}

// ---- plate lists ------------------------------------------------------------------------

// "cnt" 1..10000 and a "plate" array of at most 10000 elements: a request
// with more plates is refused before anything is read or changed.
bool plate_request(json_object* req, int* cnt, json_object** plates) {
    *plates = req_array(req, "plate");
    return req_int(req, "cnt", cnt) && *cnt >= 1 && *cnt <= anpr_request_max &&
           (!*plates || json_object_array_length(*plates) <= static_cast<size_t>(anpr_request_max));
}

// A plate text of a request, URL-decoded, into dst (at most size - 1
// characters). False when value is not a string.
bool plate_text(json_object* value, char* dst, size_t size) {
    if (!json_object_is_type(value, json_type_string)) return false;
    std::string text = json_object_get_string(value);
    text.resize(static_cast<size_t>(get_url_decode(text.data())));
    copy_text(dst, size, text.c_str());
    return true;
}

// Element i of the first cnt of "plate" as an array of at least n texts
// (n 0: a text); null when the list ends there (a missing element, or one
// with too few items, ends it).
json_object* plate_element(json_object* plates, int i, int cnt, size_t n) {
    if (!plates || i >= cnt || static_cast<size_t>(i) >= json_object_array_length(plates)) return nullptr;
    json_object* e = json_object_array_get_idx(plates, i);
    if (n == 0) return json_object_is_type(e, json_type_string) ? e : nullptr;
    if (!json_object_is_type(e, json_type_array) || json_object_array_length(e) < n) return nullptr;
    for (size_t k = 0; k < n; ++k)
        if (!json_object_is_type(json_object_array_get_idx(e, k), json_type_string)) return nullptr;
    return e;
}

json_object* item(json_object* e, size_t k) { return json_object_array_get_idx(e, k); }

// The entries of the elements of "plate" (items texts each) that fill keeps.
template <typename Fill>
std::vector<anpr_list_entry> read_entries(json_object* plates, int cnt, size_t items, Fill fill) {
    std::vector<anpr_list_entry> entries;
    for (int i = 0; json_object* e = plate_element(plates, i, cnt, items); ++i) {
        anpr_list_entry entry = {};
        if (fill(e, entry)) entries.push_back(entry);
    }
    return entries;
}

// Runs a batch call on the entries under the CGI lock. False when there
// were none or the store failed.
bool store_batch(int (*call)(const char*, const anpr_list_entry*, int), const std::vector<anpr_list_entry>& entries) {
    if (entries.empty()) return false;
    cgi_lock_guard lock;
    return call(TQDB_ANPR_FILE, entries.data(), static_cast<int>(entries.size())) == 0;
}

}  // namespace

// ---- actions ----------------------------------------------------------------------------

void anpr_actions_get(request& rq) {
    int chn, mode;
    if (!req_list_event(rq.json, &chn, &mode)) return rq.refuse("chnid or mode");
    event_ref ev = anpr_event(chn, mode);
    event_action_record rec;
    event_record_read(ev, &rec);
    json_ref reply(json_object_new_object());
    jadd_int(reply.get(), "chnid", chn);
    jadd_int(reply.get(), "mode", mode);
    if (mode == anpr_mode_first)
        event_action_json(reply.get(), ev, &rec, any_list_keys);
    else
        event_action_json(reply.get(), ev, &rec, action_keys);
    cgi_reply_json(reply.get());
}

void anpr_actions_set(request& rq) {
    int chn, mode;
    if (!req_list_event(rq.json, &chn, &mode)) return rq.refuse("chnid or mode");
    event_ref ev = anpr_event(chn, mode);
    json_ref dialog = dialog_of(rq.json);
    int enable;
    const bool has_enable = req_int(rq.json, "enable", &enable);
    int rc = event_store([&] {
        if (event_action_store(ev, dialog.get(), action_form::dialog) != 0) return -1;
        if (!has_enable) return 0;
        return tqdb_edit_as<event_action_record>(TQDB_FILE, *ev.src.table, chn,
                                                 [&](event_action_record& rec) { rec.enable = enable; });
    });
    if (rc != 0) return rq.fail();
    anpr_action_notice notice = {chn, mode};
    core_notify(event_reply, msg_anpr_actions_changed, sizeof notice, &notice);
    cgi_reply(REPLY_TEXT, "OK");
}

// ---- recognition settings and plate formats -------------------------------------------------

void anpr_settings_get(request& rq) { channel_query(rq, "chnid", event_reply, msg_anpr_settings); }

void anpr_settings_set(request& rq) {
    int chn;
    if (!req_channel(rq.json, "chnid", &chn)) return rq.refuse("chnid");
    // The list-independent actions of this channel: the stored record is
    // edited, so that what the dialog leaves out stays.
    json_ref dialog = dialog_of(rq.json);
    if (dialog && event_store([&] {
            return event_action_store(anpr_event(chn, anpr_mode_first), dialog.get(), action_form::dialog);
        }) != 0)
        return rq.fail();

    json_object* format_req = req_member(rq.json, "formatData");
    int format_chn;
    if (json_object_is_type(format_req, json_type_object) && req_channel(format_req, "chnid", &format_chn)) {
        anpr_format f;
        format_from_json(format_req, f);
        core_notify(event_reply, msg_anpr_format_set, sizeof f, &f);
    }

    auto s = std::make_unique<anpr_settings>();
    std::memset(s.get(), 0, sizeof *s);
    settings_from_json(rq.json, *s);
    s->chnid = chn;
    relay_query(rq, event_reply, msg_anpr_settings_set, s.get(), sizeof *s);
}

void anpr_format_get(request& rq) { channel_query(rq, "chnid", event_reply, msg_anpr_format); }

const relay<anpr_format> anpr_format_relay = {msg_anpr_format_set, event_reply, format_fields, 0, with_wildcards};

int write_anpr_settings(const core_answer& answer) {
    const anpr_settings s = answer.rec<anpr_settings>();
    json_ref reply(json_object_new_object());
    fields_to_json(reply.get(), &s, settings_fields);
    json_object* region = json_object_new_array();
    for (const auto& text : s.region)
        json_object_array_add(region, json_object_new_string_len(text, static_cast<int>(strnlen(text, sizeof text))));
    json_object_object_add(reply.get(), "region", region);
    fields_to_json(reply.get(), &s, settings_tail_fields);
    json_object* preset = json_object_new_array();
    for (const auto& entries : s.preset)
        json_object_array_add(preset, fields_array(entries, sizeof entries[0], anpr_rois, preset_reply_fields));
    json_object_object_add(reply.get(), "preset", preset);
    cgi_reply_json(reply.get());
    return 1;
}

int write_anpr_format(const core_answer& answer) {
    const anpr_format f = answer.rec<anpr_format>();
    json_ref reply(json_object_new_object());
    jadd_int(reply.get(), "chnid", f.chnid);
    jadd_int(reply.get(), "filter", f.filter);
    json_object* list = json_object_new_array();
    for (int i = 0; i < anpr_wildcards; ++i) {
        json_object* w = json_object_new_object();
        jadd_int(w, "enable", f.enable[i]);
        jadd_int(w, "cr_count", f.cr_count[i]);
        jadd_field(w, "format", f.format[i], sizeof f.format[i]);
        json_object_array_add(list, w);
    }
    json_object_object_add(reply.get(), "wildcards", list);
    cgi_reply_json(reply.get());
    return 1;
}

// ---- plate lists ------------------------------------------------------------------------------

void anpr_plates_delete(request& rq) {
    int cnt;
    json_object* plates;
    if (!plate_request(rq.json, &cnt, &plates)) return rq.refuse("cnt or plate");
    auto entries = read_entries(plates, cnt, 0, [](json_object* e, anpr_list_entry& entry) {
        return plate_text(e, entry.plate, sizeof entry.plate);
    });
    if (!store_batch(delete_anpr_lists, entries)) return rq.fail();
    cgi_reply(REPLY_TEXT, "OK");
}

void anpr_plates_replace(request& rq) {
    int cnt;
    json_object* plates;
    if (!plate_request(rq.json, &cnt, &plates)) return rq.refuse("cnt or plate");
    auto entries = read_entries(plates, cnt, 2, [](json_object* e, anpr_list_entry& entry) {
        copy_text(entry.type, sizeof entry.type, json_object_get_string(item(e, 0)));
        plate_text(item(e, 1), entry.plate, sizeof entry.plate);
        // A plate that decodes to nothing cannot be looked up: not stored.
        return entry.plate[0] != '\0';
    });
    if (!store_batch(write_anpr_list_replace_batch, entries)) return rq.fail();
    json_ref reply(json_object_new_object());
    jadd_int(reply.get(), "count", static_cast<int64_t>(entries.size()));
    cgi_reply_json(reply.get());
}

void anpr_plates_change(request& rq) {
    int cnt;
    json_object* plates;
    if (!plate_request(rq.json, &cnt, &plates)) return rq.refuse("cnt or plate");
    cgi_lock_guard lock;
    int rc = tqdb_atomic(TQDB_ANPR_FILE, [&] {
        for (int i = 0; json_object* e = plate_element(plates, i, cnt, 3); ++i) {
            anpr_list_entry old_entry = {}, entry = {}, stored;
            plate_text(item(e, 0), old_entry.plate, sizeof old_entry.plate);
            copy_text(entry.type, sizeof entry.type, json_object_get_string(item(e, 1)));
            plate_text(item(e, 2), entry.plate, sizeof entry.plate);
            if (old_entry.plate[0] && delete_anpr_list(TQDB_ANPR_FILE, &old_entry) != 0) return -1;
            if (!entry.plate[0]) continue;
            const bool known = read_anpr_list_plate(TQDB_ANPR_FILE, &stored, entry.plate) == 0;
            if ((known ? update_anpr_list(TQDB_ANPR_FILE, &entry) : write_anpr_list(TQDB_ANPR_FILE, &entry)) != 0)
                return -1;
        }
        return 0;
    });
    if (rc != 0) return rq.fail();
    cgi_reply(REPLY_TEXT, "OK");
}
