// PTZ tours: storing a tour's points, sending a tour to the camera without
// storing it, and clearing a stored tour.
//
// A tour has 48 points and a channel 8 tours. A request whose channel is not
// 0..63, whose tour is not 1..8, or whose row count exceeds 48 or the points
// it carries is refused and sends nothing: the count indexes the tour and
// the messages, so it is checked before anything is filled.
//
// Storing and clearing change one tour of a table that holds all eight, so
// each edits the table in one transaction, under the CGI lock: two requests
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
    int chn = -1;
    int tour = 0;  // 1..8
    int rows = 0;  // points given in path
    json_object* path = nullptr;
};

// Checks a tour request; with_path also takes "rowsize" and "path".
bool take_tour_request(json_object* req, bool with_path, tour_request* t) {
    if (!req_ints_in_range(req, {{"chn", 0, 63}, {"tourid", 1, ptz_tours}})) return false;
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

// Applies change to the channel's stored tour table, under the CGI lock.
template <typename Fn>
int edit_tours(int chn, Fn&& change) {
    cgi_lock_guard lock;
    return edit_ptz_tour(TQDB_FILE, chn, change);
}

void done(int chn) {
    cgi_reply(REPLY_TEXT, "OK");
    ptz_log(ptz_log_setting, chn);
}

}  // namespace

void ptz_tour_save(request& rq) {
    tour_request t;
    if (!take_tour_request(rq.json, true, &t)) return rq.refuse("chn, tourid, rowsize or path");
    ptz_tour_store msg;
    std::memset(&msg, 0, sizeof msg);
    msg.channel = t.chn;
    msg.tour = t.tour;
    msg.row_count = t.rows;
    int rc = edit_tours(t.chn, [&](ptz_tour_table& table) {
        ptz_tour_point* points = table.tours[t.tour - 1];
        for (int p = 0; p < t.rows; ++p) points[p] = path_point(t, p);
        std::memcpy(msg.points, points, sizeof msg.points);
    });
    if (rc != 0) return rq.fail();
    core_notify(ptz_reply, msg_ptz_tour_store, sizeof msg, &msg);
    done(t.chn);
}

void ptz_tour_send_path(request& rq) {
    tour_request t;
    if (!take_tour_request(rq.json, true, &t)) return rq.refuse("chn, tourid, rowsize or path");
    auto msg = std::make_unique<ptz_tour_send>();
    std::memset(msg.get(), 0, sizeof *msg);
    msg->channel = t.chn;
    msg->stream_id = req_int_or(rq.json, "streamId", 0);
    msg->tour_index = t.tour - 1;
    ptz_tour_arrays& tour = msg->tours[t.tour - 1];
    for (int p = 0; p < t.rows; ++p) {
        ptz_tour_point point = path_point(t, p);
        tour.preset[p] = point.preset;
        tour.time[p] = point.time;
        tour.speed[p] = point.speed;
    }
    core_notify(ptz_reply, msg_ptz_tour_send, sizeof *msg, msg.get());
    done(t.chn);
}

void ptz_tour_clear(request& rq) {
    tour_request t;
    if (!take_tour_request(rq.json, false, &t)) return rq.refuse("chn or tourid");
    int rc = edit_tours(t.chn, [&](ptz_tour_table& table) {
        for (ptz_tour_point& point : table.tours[t.tour - 1]) point.preset = 0;
    });
    if (rc != 0) return rq.fail();
    ptz_tour_command cmd;
    ptz_tour_command_from(rq.json, t.chn, t.tour, &cmd);
    core_notify(ptz_reply, msg_ptz_tour_clear, sizeof cmd, &cmd);
    done(t.chn);
}
