// Steering open sessions: stop and close, the per-session list messages,
// direction, speeds, and transcoding of the playback stream.
//
// Lists in a request are taken up to their first 64 entries and never past
// their end: a "num" larger than the list counts only the entries there
// are, so no message ever names a session the page did not give.
#include <algorithm>
#include <cstring>

#include "front/web_utils.h"
#include "modules/common/channels.h"
#include "modules/common/field_map.h"
#include "modules/playback/playback.h"
#include "platform/msg_playback.h"

namespace playback {

namespace {

// The first "num" entries of the array member key as a session list.
session_list sessions_of(json_object* req, const char* key) {
    session_list list{};
    list.num = take_ints(req_array(req, key), req_int_or(req, "num", 0), list.sid, max_sessions);
    return list;
}

// A mask of 64 '0' characters with '1' at each listed index in 0..63.
void mark(char mask[64], const int32_t* index, int count) {
    std::memset(mask, '0', 64);
    for (int i = 0; i < count; ++i)
        if (chn_ok(index[i])) mask[index[i]] = '1';
}

// A notice of the request's record, then "OK".
template <typename T>
void notify_ok(int32_t msg_id, const T& payload) {
    notify(msg_id, payload);
    cgi_reply(REPLY_TEXT, "OK");
}

using dq = direction_req;
const field direction_fields[] = {
    FM_INT(dq, "sid", sid),
    FM_INT(dq, "direction", direction),
};

using tq = transcode_req;
const field transcode_fields[] = {
    FM_INT(tq, "ch", ch),
    FM_INT(tq, "sid", sid),
    FM_INT(tq, "trancodingmode", trancodingmode),
    FM_INT(tq, "framesize", framesize),
    FM_INT(tq, "bitrate", bitrate),
    FM_INT(tq, "framerate", framerate),
};
// The state query names the stream as the transcoding request does.
const std::span<const field> stream_of_fields = field_span(transcode_fields).first(2);
static_assert(offsetof(transcode_query, ch) == offsetof(transcode_req, ch));
static_assert(offsetof(transcode_query, sid) == offsetof(transcode_req, sid));

using ts = transcode_state_rec;
const field transcode_state_fields[] = {
    FM_INT(ts, "ch", ch),
    FM_INT(ts, "sid", sid),
    FM_INT(ts, "state", state),
};

}  // namespace

void stop_sessions(request& rq) {
    session_list list = sessions_of(rq.json, "sid");
    for (int i = 0; i < list.num; ++i)
        if (list.sid[i] >= 0) notify(msg_session_release, list.sid[i]);
    notify(msg_session_stop, list);
    if (req_int_or(rq.json, "close", 0) == 1) notify(msg_session_close, list);
    cgi_reply(REPLY_TEXT, "OK");
}

template <int32_t msg_id>
void send_session_list(request& rq) {
    notify_ok(msg_id, sessions_of(rq.json, "sid"));
}
template void send_session_list<msg_sessions_of_4004>(request&);
template void send_session_list<msg_sessions_of_4006>(request&);

// The sessions of "sessionId" are sent with num 0, as the core expects for
// this message.
void reset_sessions(request& rq) {
    session_list list{};
    take_ints(req_array(rq.json, "sessionId"), max_sessions, list.sid, max_sessions);
    notify_ok(msg_session_reset, list);
}

void set_direction(request& rq) {
    notify_ok(msg_session_direction, record_of<direction_req>(rq.json, direction_fields));
}

// Each session of "sessionId" gets the speed at the same place of "speed".
void set_session_speeds(request& rq) {
    json_object* req = rq.json;
    int chind = 0;
    if (!req_int(req, "chind", &chind) || chind < 0) return rq.refuse("chind");
    const int num = req_int_or(req, "num", 0);
    int32_t sids[max_sessions], speeds[max_sessions];
    const int n = std::min(take_ints(req_array(req, "sessionId"), num, sids, max_sessions),
                           take_ints(req_array(req, "speed"), num, speeds, max_sessions));
    session_list list{};
    std::copy_n(sids, n, list.sid);
    std::copy_n(speeds, n, list.speed);
    list.num = n;
    notify_ok(msg_session_speeds, list);
}

// One speed for the channels listed in "chind" (an array; json-c reads an
// array as the integer 0, so the presence check lets it pass).
void set_channel_speed(request& rq) {
    json_object* req = rq.json;
    int chind = 0;
    if (!req_int(req, "chind", &chind) || chind < 0) return rq.refuse("chind");
    int32_t channels[max_sessions];
    int n = take_ints(req_array(req, "chind"), req_int_or(req, "num", 0), channels, max_sessions);
    speed_mask_req msg{};
    mark(msg.mask, channels, n);
    msg.speed = req_int_or(req, "speed", 0);
    notify_ok(msg_channel_speed, msg);
}

// One speed for the sessions listed in "sid"; a single session at speed 2
// is flagged.
void set_sessions_speed(request& rq) {
    json_object* req = rq.json;
    const int num = req_int_or(req, "num", 0);
    int32_t sids[max_sessions];
    int n = take_ints(req_array(req, "sid"), num, sids, max_sessions);
    speed_mask_req msg{};
    mark(msg.mask, sids, n);
    msg.speed = req_int_or(req, "speed", 0);
    msg.single_flag = msg.speed == 2 && num == 1 ? 1 : 0;
    notify_ok(msg_session_speed, msg);
}

void start_transcode(request& rq) {
    query(msg_transcode, record_of<transcode_req>(rq.json, transcode_fields));
}

void show_transcode_state(request& rq) {
    query(msg_transcode_state, record_of<transcode_query>(rq.json, stream_of_fields));
}

template <bool with_status>
int write_transcode_state(const core_answer& answer) {
    const transcode_state_rec r = answer.rec<transcode_state_rec>();
    json_ref obj(fields_object(&r, transcode_state_fields));
    if (with_status) jadd_str(obj.get(), "status", "OK");
    return reply_json(obj);
}
template int write_transcode_state<true>(const core_answer&);
template int write_transcode_state<false>(const core_answer&);

}  // namespace playback
