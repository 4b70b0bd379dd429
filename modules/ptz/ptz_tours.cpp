// PTZ tours: storing a tour's points, sending a tour to the camera without
// storing it, and clearing a stored tour.
//
// A tour has 48 points and a channel 8 tours. A request whose channel is not
// 0..63, whose tour is not 1..8, or whose row count exceeds 48 or the points
// it carries gets no reply and sends nothing: the count indexes the tour and
// the messages, so it is checked before anything is filled.
//
// Storing and clearing change one tour of a table that holds all eight, so
// each reads, changes and writes the table under the CGI lock: two requests
// for different tours of a channel must not undo each other.
#include <algorithm>
#include <cstring>
#include <memory>

#include "front/core_link.h"
#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/ptz/ptz.h"
#include "platform/msg_ptz.h"
#include "platform/tqdb/rec_ptz.h"
#include "platform/tqdb/tqdb.h"

namespace {

struct tour_request {
    json_ref req;
    int chn = -1;
    int tour = 0;  // 1..8
    int rows = 0;  // points given in path
    json_object* path = nullptr;
};

// Parses and checks a tour request; with_path also takes "rowsize" and "path".
bool take_tour_request(const char* text, bool with_path, tour_request* t) {
    t->req = json_parse_object(text);
    json_object* req = t->req.get();
    if (!req || !req_ints_in_range(req, {{"chn", 0, 63}, {"tourid", 1, ptz_tours}})) return false;
    t->chn = req_int_or(req, "chn", -1);
    t->tour = req_int_or(req, "tourid", 0);
    if (!with_path) return true;
    t->path = req_array(req, "path");
    if (!t->path) return false;
    int limit = std::min<int>(ptz_tour_points, static_cast<int>(json_object_array_length(t->path)));
    if (!req_ints_in_range(req, {{"rowsize", 0, limit}})) return false;
    t->rows = req_int_or(req, "rowsize", 0);
    return true;
}

// Point p of the request's path ({"preset", "speed", "time"}; a missing
// member reads 0).
ptz_tour_point path_point(const tour_request& t, int p) {
    json_object* item = json_object_array_get_idx(t.path, p);
    return {req_int_or(item, "preset", 0), req_int_or(item, "time", 0), req_int_or(item, "speed", 0)};
}

ptz_tour_table load_tours(int chn) {
    ptz_tour_table table;
    std::memset(&table, 0, sizeof table);
    read_ptz_tour(TQDB_FILE, &table, chn);
    return table;
}

void done(int chn) {
    cgi_reply(REPLY_TEXT, "OK");
    ptz_log(ptz_log_setting, chn);
}

}  // namespace

void ptz_tour_save(request& rq) {
    char* text = rq.text;
    tour_request t;
    if (!take_tour_request(text, true, &t)) return;
    ptz_tour_table table;
    ptz_tour_point* points = table.tours[t.tour - 1];
    {
        cgi_lock_guard lock;
        table = load_tours(t.chn);
        for (int p = 0; p < t.rows; ++p) points[p] = path_point(t, p);
        write_ptz_tour(TQDB_FILE, &table, t.chn);
    }

    ptz_tour_store msg;
    std::memset(&msg, 0, sizeof msg);
    msg.channel = t.chn;
    msg.tour = t.tour;
    msg.row_count = t.rows;
    std::memcpy(msg.points, points, sizeof msg.points);
    core_notify(ptz_reply, MSG_PTZ_TOUR_STORE, sizeof msg, &msg);
    done(t.chn);
}

void ptz_tour_send_path(request& rq) {
    char* text = rq.text;
    tour_request t;
    if (!take_tour_request(text, true, &t)) return;
    auto msg = std::make_unique<ptz_tour_send>();
    std::memset(msg.get(), 0, sizeof *msg);
    msg->channel = t.chn;
    msg->stream_id = req_int_or(t.req, "streamId", 0);
    msg->tour_index = t.tour - 1;
    ptz_tour_arrays& tour = msg->tours[t.tour - 1];
    for (int p = 0; p < t.rows; ++p) {
        ptz_tour_point point = path_point(t, p);
        tour.preset[p] = point.preset;
        tour.time[p] = point.time;
        tour.speed[p] = point.speed;
    }
    core_notify(ptz_reply, MSG_PTZ_TOUR_SEND, sizeof *msg, msg.get());
    done(t.chn);
}

void ptz_tour_clear(request& rq) {
    char* text = rq.text;
    tour_request t;
    if (!take_tour_request(text, false, &t)) return;
    {
        cgi_lock_guard lock;
        ptz_tour_table table = load_tours(t.chn);
        for (ptz_tour_point& point : table.tours[t.tour - 1]) point.preset = 0;
        write_ptz_tour(TQDB_FILE, &table, t.chn);
    }

    ptz_tour_command cmd;
    ptz_tour_command_from(t.req.get(), t.chn, t.tour, &cmd);
    core_notify(ptz_reply, MSG_PTZ_TOUR_CLEAR, sizeof cmd, &cmd);
    done(t.chn);
}
