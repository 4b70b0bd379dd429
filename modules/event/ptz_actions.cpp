// The PTZ action list of an event, edited one entry at a time: add, list,
// change and delete. "type" is the event kind (20, people counting, has a
// store of its own), "chn_id" the event channel.
#include <cstring>

#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/common/sched_json.h"
#include "modules/event/event.h"
#include "platform/tqdb/rec_action.h"

namespace {

// The members of an entry; a member left out is 0.
enum entry_row { e_channel, e_type, e_preset, e_patrol, e_pattern };
using pa = ptz_action;
const field entry_fields[] = {
    FM_INT(pa, "acto_ptz_channel", acto_ptz_channel), FM_INT(pa, "acto_ptz_type", acto_ptz_type),
    FM_INT(pa, "acto_ptz_preset", acto_ptz_preset),   FM_INT(pa, "acto_ptz_patrol", acto_ptz_patrol),
    FM_INT(pa, "acto_ptz_pattern", acto_ptz_pattern),
};

// The list a request addresses: "type" present, "chn_id" a channel 0..63.
bool list_key(json_object* req, int* kind, int* chn) {
    return req_int(req, "type", kind) && req_channel(req, "chn_id", chn);
}

ptz_action blank_entry(int chn) {
    ptz_action e;
    std::memset(&e, 0, sizeof e);
    e.event_channel = chn;
    return e;
}

bool has_entry(int kind, int chn, int ptz_channel) {
    ptz_action list[action_list_len];
    int count = 0;
    int rc = kind == PTZ_EVENT_PEOPLECNT ? read_peoplecnt_ptz_params(TQDB_FILE, list, chn, &count)
                                         : read_ptz_params(TQDB_FILE, list, kind, chn, &count);
    for (int i = 0; rc == 0 && i < count && i < action_list_len; ++i)
        if (list[i].acto_ptz_channel == ptz_channel) return true;
    return false;
}

// Deletes the entry of ptz_channel; an entry that is not there leaves the
// list as asked. Joins the caller's transaction; 0 when stored.
int delete_entry(int kind, int chn, int ptz_channel) {
    if (!has_entry(kind, chn, ptz_channel)) return 0;
    ptz_action e = blank_entry(chn);
    e.acto_ptz_channel = ptz_channel;
    return kind == PTZ_EVENT_PEOPLECNT ? delete_peoplecnt_ptz_params(TQDB_FILE, &e)
                                       : delete_ptz_params(TQDB_FILE, &e, kind);
}

// "OK" when the store took the change; a change it refused (a full list, an
// entry that is not there) is reported, not answered as done.
void reply_stored(request& rq, int rc) {
    if (rc != 0) return rq.fail();
    cgi_reply(REPLY_TEXT, "OK");
}

}  // namespace

void ptz_action_add(request& rq) {
    int kind, chn;
    if (!list_key(rq.json, &kind, &chn)) return rq.fail();
    ptz_action e = blank_entry(chn);
    fields_from_json(rq.json, &e, field_span(entry_fields).first(e_type + 1));
    // The action's own target: a preset, a patrol or a pattern.
    if (e.acto_ptz_type >= 1 && e.acto_ptz_type <= 3)
        field_from_json(rq.json, &e, entry_fields[e_preset + e.acto_ptz_type - 1]);
    reply_stored(rq, kind == PTZ_EVENT_PEOPLECNT ? write_peoplecnt_ptz_params(TQDB_FILE, &e)
                                                 : write_ptz_params(TQDB_FILE, &e, kind));
}

void ptz_action_list(request& rq) {
    int kind, chn;
    if (!list_key(rq.json, &kind, &chn)) return rq.refuse("type, chn_id");
    json_ref reply(json_object_new_object());
    json_object_object_add(reply.get(), "ptzInfo", ptz_actions_to_json(kind, chn));
    cgi_reply_json(reply.get());
}

void ptz_action_delete(request& rq) {
    int kind, chn, ptz_channel;
    if (!list_key(rq.json, &kind, &chn) || !req_int(rq.json, "acto_ptz_channel", &ptz_channel) ||
        ptz_channel < 0)
        return rq.fail();
    reply_stored(rq, tqdb_atomic(TQDB_FILE, [&] { return delete_entry(kind, chn, ptz_channel); }));
}

void ptz_action_delete_many(request& rq) {
    int kind, chn;
    if (!list_key(rq.json, &kind, &chn)) return rq.fail();
    json_object* list = req_array(rq.json, "ptzChannel");
    size_t count = list ? json_object_array_length(list) : 0;
    reply_stored(rq, tqdb_atomic(TQDB_FILE, [&] {
                     for (size_t i = 0; i < count; ++i) {
                         json_object* item = json_object_array_get_idx(list, i);
                         if (json_object_is_type(item, json_type_int) &&
                             delete_entry(kind, chn, json_object_get_int(item)) != 0)
                             return -1;
                     }
                     return 0;
                 }));
}

void ptz_action_update(request& rq) {
    int kind, chn, old_channel;
    if (!list_key(rq.json, &kind, &chn) || !req_int(rq.json, "old_chn_id", &old_channel)) return rq.fail();
    ptz_action e = blank_entry(chn);
    fields_from_json(rq.json, &e, entry_fields);
    reply_stored(rq, kind == PTZ_EVENT_PEOPLECNT ? update_peoplecnt_ptz_params(TQDB_FILE, &e, old_channel)
                                                 : update_ptz_params(TQDB_FILE, &e, kind, old_channel));
}
