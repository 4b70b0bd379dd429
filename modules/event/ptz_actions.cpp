// The PTZ action list of an event, edited one entry at a time: add, list,
// change and delete. "type" is the event kind (20, people counting, has a
// store of its own), "chn_id" the event channel.
#include <cstring>

#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/common/sched_json.h"
#include "modules/event/event.h"
#include "platform/tqdb/rec_action.h"
#include "platform/tqdb/tqdb.h"

namespace {

// The list a request addresses: "type" present, "chn_id" a channel 0..63.
bool list_key(json_object* req, int* kind, int* chn) {
    return req_int(req, "type", kind) && req_channel(req, "chn_id", chn);
}

ptz_action entry_of(json_object* req, int chn) {
    ptz_action e;
    std::memset(&e, 0, sizeof e);
    e.event_channel = chn;
    e.acto_ptz_channel = req_int_or(req, "acto_ptz_channel", 0);
    e.acto_ptz_type = req_int_or(req, "acto_ptz_type", 0);
    return e;
}

int delete_entry(int kind, int chn, int ptz_channel) {
    ptz_action e;
    std::memset(&e, 0, sizeof e);
    e.event_channel = chn;
    e.acto_ptz_channel = ptz_channel;
    return kind == PTZ_EVENT_PEOPLECNT ? delete_peoplecnt_ptz_params(TQDB_FILE, &e)
                                       : delete_ptz_params(TQDB_FILE, &e, kind);
}

// "OK" when the store took the change; a change it refused (a full list, an
// entry that is not there) is reported, not answered as done.
void reply_stored(int rc) {
    if (rc == 0)
        cgi_reply(REPLY_TEXT, "OK");
    else
        cgi_reply_error(REPLY_TEXT);
}

}  // namespace

void ptz_action_add(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    if (!req) return;
    int kind, chn;
    if (!list_key(req.get(), &kind, &chn)) {
        cgi_reply_error(REPLY_TEXT);
        return;
    }
    ptz_action e = entry_of(req.get(), chn);
    // The action's own target: a preset, a patrol or a pattern.
    switch (e.acto_ptz_type) {
        case 1:
            e.acto_ptz_preset = req_int_or(req, "acto_ptz_preset", 0);
            break;
        case 2:
            e.acto_ptz_patrol = req_int_or(req, "acto_ptz_patrol", 0);
            break;
        case 3:
            e.acto_ptz_pattern = req_int_or(req, "acto_ptz_pattern", 0);
            break;
        default:
            break;
    }
    reply_stored(kind == PTZ_EVENT_PEOPLECNT ? write_peoplecnt_ptz_params(TQDB_FILE, &e)
                                             : write_ptz_params(TQDB_FILE, &e, kind));
}

void ptz_action_list(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    int kind, chn;
    if (!req || !list_key(req.get(), &kind, &chn)) return;
    json_ref reply(json_object_new_object());
    json_object_object_add(reply.get(), "ptzInfo", ptz_actions_to_json(kind, chn));
    cgi_reply_json(reply.get());
}

void ptz_action_delete(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    if (!req) return;
    int kind, chn, ptz_channel;
    if (!list_key(req.get(), &kind, &chn) || !req_int(req, "acto_ptz_channel", &ptz_channel) ||
        ptz_channel < 0) {
        cgi_reply_error(REPLY_TEXT);
        return;
    }
    // Deleting an entry that is not there leaves the list as asked.
    delete_entry(kind, chn, ptz_channel);
    cgi_reply(REPLY_TEXT, "OK");
}

void ptz_action_delete_many(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    if (!req) return;
    int kind, chn;
    if (!list_key(req.get(), &kind, &chn)) {
        cgi_reply_error(REPLY_TEXT);
        return;
    }
    json_object* list = req_array(req, "ptzChannel");
    size_t count = list ? json_object_array_length(list) : 0;
    for (size_t i = 0; i < count; ++i) {
        json_object* item = json_object_array_get_idx(list, i);
        if (json_object_is_type(item, json_type_int)) delete_entry(kind, chn, json_object_get_int(item));
    }
    cgi_reply(REPLY_TEXT, "OK");
}

void ptz_action_update(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    if (!req) return;
    int kind, chn, old_channel;
    if (!list_key(req.get(), &kind, &chn) || !req_int(req, "old_chn_id", &old_channel)) {
        cgi_reply_error(REPLY_TEXT);
        return;
    }
    ptz_action e = entry_of(req.get(), chn);
    e.acto_ptz_preset = req_int_or(req, "acto_ptz_preset", 0);
    e.acto_ptz_patrol = req_int_or(req, "acto_ptz_patrol", 0);
    e.acto_ptz_pattern = req_int_or(req, "acto_ptz_pattern", 0);
    reply_stored(kind == PTZ_EVENT_PEOPLECNT ? update_peoplecnt_ptz_params(TQDB_FILE, &e, old_channel)
                                             : update_ptz_params(TQDB_FILE, &e, kind, old_channel));
}
