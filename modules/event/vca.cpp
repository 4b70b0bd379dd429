// Smart analytics events: the handlers that serve every kind row of
// vca_kinds.cpp (reading and setting the camera's detection settings, with
// their geometry), and the pages of the recorder's actions per (channel,
// event).
//
// A setting first settles the event's action record, in one transaction:
// when the record it must find is missing, nothing is stored and the camera
// is not told.
#include "modules/event/vca.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/common/channels.h"
#include "modules/event/event.h"
#include "modules/event/vca_coords.h"
#include "platform/msg_vca.h"
#include "platform/tqdb/rec_vca.h"

namespace {

// tqdb_edit's result for "the action record is missing".
constexpr int record_missing = 2;

// The members of "/6148", after "chnid" and "event".
const char* const action_keys[] = {
    "enable",
    "triAlarms",
    "interval",
    "email_interval",
    "email_pic_enable",
    "tri_channels_pic",
    "ptz_interval",
    "alarmout_interval",
    "triChannels",
    "effective",
    "audible",
    "email",
    "ptz",
    "triChnAlarms",
    "white",
    "whiteInfo",
    "white_interval",
    "audioId",
    "audioIdMask",
    "ptzParams",
};
// The members of "/6151".
const char* const target_keys[] = {
    "chnid",          "enable",           "triAlarms",        "interval",
    "email_interval", "email_pic_enable", "tri_channels_pic", "triChannels",
};

// A box's eight values, in record order.
const char* const box_keys[8] = {"minStartX", "minStartY", "minWidth", "minHeight",
                                 "maxStartX", "maxStartY", "maxWidth", "maxHeight"};

int32_t get_i32(const char* rec, size_t at) {
    int32_t v;
    std::memcpy(&v, rec + at, sizeof v);
    return v;
}

void set_i32(char* rec, size_t at, int32_t v) { std::memcpy(rec + at, &v, sizeof v); }

// The failure reply of the row: JSON or plain text.
int fail_form(const request& rq) {
    return rq.row && (rq.row->out == OUT_JSON || rq.row->out == OUT_JSON_ERR) ? REPLY_JSON : REPLY_TEXT;
}

// A channel 0..63 and an event 0..8 under the given members.
bool req_event(json_object* req, const char* chn_key, const char* event_key, int* chn, int* event) {
    return req_channel(req, chn_key, chn) && req_int(req, event_key, event) && smart_event_ok(*event);
}

// ---- geometry ------------------------------------------------------------------------

bool has(const vca_geometry& g, vca_geometry_flag flag) { return g.flags & flag; }

int value_count(const vca_geometry& g) { return has(g, VCA_BOX) ? 8 : 4; }

// Converts an element's values pair by pair (x with the width, y with the
// height).
void convert_values(int32_t* v, int n, int32_t w, int32_t h, vca_way way, bool raise) {
    for (int j = 0; j + 1 < n; j += 2) {
        vca_point p = vca_convert({v[j], v[j + 1]}, w, h, way, raise);
        v[j] = p.x;
        v[j + 1] = p.y;
    }
}

// Adds one element (its members, then its values) to out.
void element_to_json(json_object* out, const vca_geometry& g, const char* elem, int32_t w, int32_t h) {
    fields_to_json(out, elem, g.members);
    int32_t v[8];
    const int n = value_count(g);
    for (int j = 0; j < n; ++j) v[j] = get_i32(elem, g.coords + j * g.step);
    if (has(g, VCA_CONVERT)) convert_values(v, n, w, h, vca_way::to_canvas, has(g, VCA_RAISE_BACK));
    if (has(g, VCA_BOX)) {
        for (int j = 0; j < n; ++j) jadd_int(out, box_keys[j], v[j]);
    } else {
        jadd_str(out, "position", vca_line_text(v).c_str());
    }
    if (has(g, VCA_SIZED)) {
        jadd_int(out, "width", w);
        jadd_int(out, "height", h);
    }
}

void geometry_to_json(json_object* out, const vca_geometry& g, const char* rec) {
    const int32_t w = get_i32(rec, g.size_at), h = get_i32(rec, g.size_at + 4);
    if (g.count == 0) return element_to_json(out, g, rec + g.at, w, h);
    json_object* list = json_object_new_array();
    for (int i = 0; i < g.count; ++i) {
        json_object* item = json_object_new_object();
        element_to_json(item, g, rec + g.at + i * g.stride, w, h);
        json_object_array_add(list, item);
    }
    json_object_object_add(out, g.key, list);
}

// Reads one element from src (null: an element the request left out, whose
// values count as 0); converted values are raised to at least 1.
void element_from_json(json_object* src, const vca_geometry& g, char* elem, int32_t w, int32_t h) {
    fields_from_json(src, elem, g.members);
    int32_t v[8] = {};
    const int n = value_count(g);
    if (has(g, VCA_BOX)) {
        for (int j = 0; j < n; ++j) v[j] = req_int_or(src, box_keys[j], 0);
    } else {
        vca_line_parse(req_str(src, "position"), v);
    }
    if (has(g, VCA_CONVERT)) convert_values(v, n, w, h, vca_way::to_camera, true);
    for (int j = 0; j < n; ++j) set_i32(elem, g.coords + j * g.step, v[j]);
}

// The geometry of a setting, in the resolution of the request's "width"
// and "height". Elements past the request's array are zeros; elements past
// the record's are not read.
void geometry_from_json(json_object* req, const vca_geometry& g, char* rec) {
    const int32_t w = req_int_or(req, "width", 0), h = req_int_or(req, "height", 0);
    if (g.count == 0) return element_from_json(req, g, rec + g.at, w, h);
    json_object* list = req_array(req, g.key);
    const size_t given = list ? json_object_array_length(list) : 0;
    for (int i = 0; i < g.count; ++i) {
        json_object* item = static_cast<size_t>(i) < given ? json_object_array_get_idx(list, i) : nullptr;
        if (!json_object_is_type(item, json_type_object)) item = nullptr;
        element_from_json(item, g, rec + g.at + i * g.stride, w, h);
    }
}

// ---- the action record of a setting -------------------------------------------------

// The steps of a kind's setting on the action records, in one transaction:
// the record of (chn, event) must exist (VCA_ENABLE), the "dialog" member is
// stored for its own "chnid" (the request's when it has none), and the
// record's enable becomes the request's "enable". *notice_chn gets the
// channel whose actions the dialog changed, -1 when none. 0 when stored,
// record_missing, or -1.
int store_actions(json_object* req, const vca_kind& k, int chn, int event, int* notice_chn) {
    *notice_chn = -1;
    json_object* dialog = nullptr;
    int dialog_chn = -1;
    if (k.actions & VCA_DIALOG) {
        dialog = req_member(req, "dialog");
        dialog_chn = req_int_or(dialog, "chnid", chn);
        // An action object for no channel of the recorder changes nothing.
        if (!json_object_is_type(dialog, json_type_object) || !chn_ok(dialog_chn)) dialog = nullptr;
    }
    const bool enable_step = k.actions & VCA_ENABLE;
    if (!dialog && !enable_step) return 0;
    const tqdb_table& table = *smart_event_table(event);
    int rc = event_store([&] {
        if (enable_step) {
            event_action_record rec;
            int found = tqdb_load(TQDB_FILE, table, &rec, chn);
            if (found != 0) return found > 0 ? record_missing : -1;
        }
        if (dialog && event_action_store(vca_event(dialog_chn, event), dialog, action_form::dialog) != 0)
            return -1;
        if (!enable_step) return 0;
        const int enable = req_int_or(req, "enable", 0);
        return edit_smart_event(TQDB_FILE, chn, event,
                                [&](event_action_record& rec) { rec.enable = enable; });
    });
    if (rc == 0 && dialog) *notice_chn = dialog_chn;
    return rc;
}

// The kind of "/6132" and "/6133": entrance for type 0, exit for any other.
const vca_kind& region_kind(json_object* req) {
    return vca_kinds[req_int_or(req, "type", 0) == 0 ? VCA_REGION_IN : VCA_REGION_OUT];
}

}  // namespace

event_ref vca_event(int chn, int event) { return {vca_sources[event], chn, event}; }

// ---- the camera's detection settings ----------------------------------------------------

void vca_get_page(request& rq, const vca_kind& k) {
    int chn;
    // A channel out of range gets the failure reply without asking the camera.
    if (!req_channel(rq.json, k.get_channel, &chn)) return rq.fail();
    int32_t payload = chn;
    core_query(event_reply, k.get_msg, sizeof payload, &payload, fail_form(rq));
}

void vca_set_page(request& rq, const vca_kind& k) {
    json_object* req = rq.json;
    int chn;
    if (!req_channel(req, k.set_channel, &chn)) return rq.refuse(k.set_channel);
    const int event = k.by_type ? req_int_or(req, "type", k.event) : k.event;
    if (k.actions && !smart_event_ok(event)) return rq.refuse("type");

    int notice_chn;
    int rc = store_actions(req, k, chn, event, &notice_chn);
    if (rc == record_missing && k.missing) {
        cgi_reply(REPLY_TEXT, k.missing);
        return;
    }
    if (rc != 0) return rq.fail();
    if (notice_chn >= 0) event_action_notice(vca_event(notice_chn, event));

    std::vector<char> rec(k.rec_size, 0);
    fields_from_json(req, rec.data(), k.fields);
    set_i32(rec.data(), 0, chn);
    if (k.geometry) geometry_from_json(req, *k.geometry, rec.data());
    core_query(event_reply, k.set_msg, static_cast<int>(rec.size()), rec.data(), fail_form(rq));
}

void vca_region_get(request& rq) { vca_get_page(rq, region_kind(rq.json)); }

void vca_region_set(request& rq) { vca_set_page(rq, region_kind(rq.json)); }

int vca_render(const vca_kind& k, const core_answer& answer) {
    // Only a row that takes an answer without a record reaches here with
    // none: every member then shows -1 (the camera could not tell).
    std::vector<char> rec(k.rec_size, static_cast<char>(answer.count ? 0 : -1));
    if (answer.count) std::memcpy(rec.data(), answer.payload, std::min<size_t>(answer.size, rec.size()));
    json_ref reply(json_object_new_object());
    const vca_geometry* g = k.geometry;
    if (g && has(*g, VCA_FIRST)) geometry_to_json(reply.get(), *g, rec.data());
    fields_to_json(reply.get(), rec.data(), k.fields);
    if (g && !has(*g, VCA_FIRST)) geometry_to_json(reply.get(), *g, rec.data());
    cgi_reply_json(reply.get());
    return 1;
}

int vca_result(const core_answer& answer) {
    cgi_reply(REPLY_TEXT, answer.rec<int32_t>() == 0 ? "OK" : "FAILED");
    return 1;
}

// ---- the recorder's actions ---------------------------------------------------------------

void vca_actions_get(request& rq) {
    int chn, event;
    if (!req_event(rq.json, "chnid", "event", &chn, &event)) return rq.refuse("chnid or event");
    event_ref ev = vca_event(chn, event);
    event_action_record rec;
    event_record_read(ev, &rec);
    json_object* action = json_object_new_object();
    jadd_int(action, "chnid", chn);
    jadd_int(action, "event", event);
    event_action_json(action, ev, &rec, action_keys);
    json_object* list = json_object_new_array();
    json_object_array_add(list, action);
    json_ref reply(json_object_new_object());
    json_object_object_add(reply.get(), "action", list);
    cgi_reply_json(reply.get());
}

void vca_actions_set(request& rq) {
    int chn, event;
    if (!req_event(rq.json, "chnid", "event", &chn, &event)) return rq.refuse("chnid or event");
    if (event_action_apply(vca_event(chn, event), rq.json, action_form::flat) != 0) return rq.fail();
    cgi_reply(REPLY_TEXT, "OK");
}

void vca_target_set(request& rq) {
    int chn, event;
    if (!req_event(rq.json, "channel", "event", &chn, &event)) return rq.refuse("channel or event");
    // Type 0 sets the alarm outputs, type 1 the triggered channels.
    const int type = req_int_or(rq.json, "type", -1);
    const field* target = type == 0   ? field_find(event_action_fields, "triAlarms")
                          : type == 1 ? field_find(event_action_fields, "triChannels")
                                      : nullptr;
    int rc = event_store([&] {
        return tqdb_edit_fn(TQDB_FILE, *smart_event_table(event), chn, [&](void* rec, int stored) {
            if (!stored) return record_missing;
            return target && field_from_json(rq.json, rec, *target) ? 0 : 1;
        });
    });
    if (rc == record_missing) {
        cgi_reply(REPLY_TEXT, "ERROT");
        return;
    }
    if (rc < 0) return rq.fail();
    event_action_notice(vca_event(chn, event));
    cgi_reply(REPLY_TEXT, "OK");
}

void vca_targets_get(request& rq) {
    int chn, event;
    if (!req_event(rq.json, "channel", "type", &chn, &event)) return rq.fail();
    event_ref ev = vca_event(chn, event);
    event_action_record rec;
    if (!event_record_read(ev, &rec)) return rq.fail();
    json_ref reply(json_object_new_object());
    event_action_json(reply.get(), ev, &rec, target_keys);
    cgi_reply_json(reply.get());
}
