// Steering open sessions: stop and close, the per-session list messages,
// direction, speeds, jump to a time, and transcoding of the playback stream.
//
// Lists in a request are taken up to their first 64 entries and never past
// their end: a "num" larger than the list counts only the entries there
// are, so no message ever names a session the page did not give.
#include <algorithm>
#include <cstring>

#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/common/channels.h"
#include "modules/playback/playback.h"
#include "modules/playback/playback_records.h"

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

}  // namespace

void on_stop(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    if (!req) return;
    session_list list = sessions_of(req.get(), "sid");
    for (int i = 0; i < list.num; ++i)
        if (list.sid[i] >= 0) notify(1903, list.sid[i]);
    notify(1164, list);
    if (req_int_or(req, "close", 0) == 1) notify(1160, list);
    cgi_reply(REPLY_TEXT, "OK");
}

template <int msg_id>
void on_session_list(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    if (!req) return;
    notify(msg_id, sessions_of(req.get(), "sid"));
    cgi_reply(REPLY_TEXT, "OK");
}
template void on_session_list<1165>(request&);
template void on_session_list<1170>(request&);

// The sessions of "sessionId" are sent with num 0, as the core expects for
// this message.
void on_session_reset(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    if (!req) return;
    session_list list{};
    take_ints(req_array(req, "sessionId"), max_sessions, list.sid, max_sessions);
    notify(1113, list);
    cgi_reply(REPLY_TEXT, "OK");
}

void on_direction(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    if (!req) return;
    notify(1166, direction_req{req_int_or(req, "sid", 0), req_int_or(req, "direction", 0)});
    cgi_reply(REPLY_TEXT, "OK");
}

// Each session of "sessionId" gets the speed at the same place of "speed".
void on_speeds(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    int chind = 0;
    if (!req || !req_int(req, "chind", &chind) || chind < 0) return;
    const int num = req_int_or(req, "num", 0);
    int32_t sids[max_sessions], speeds[max_sessions];
    const int n = std::min(take_ints(req_array(req, "sessionId"), num, sids, max_sessions),
                           take_ints(req_array(req, "speed"), num, speeds, max_sessions));
    session_list list{};
    std::copy_n(sids, n, list.sid);
    std::copy_n(speeds, n, list.speed);
    list.num = n;
    notify(1112, list);
    cgi_reply(REPLY_TEXT, "OK");
}

// One speed for the channels listed in "chind" (an array; json-c reads an
// array as the integer 0, so the presence check lets it pass).
void on_channel_speed(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    int chind = 0;
    if (!req || !req_int(req, "chind", &chind) || chind < 0) return;
    int32_t channels[max_sessions];
    int n = take_ints(req_array(req, "chind"), req_int_or(req, "num", 0), channels, max_sessions);
    speed_mask_req msg{};
    mark(msg.mask, channels, n);
    msg.speed = req_int_or(req, "speed", 0);
    notify(1149, msg);
    cgi_reply(REPLY_TEXT, "OK");
}

// One speed for the sessions listed in "sid"; a single session at speed 2
// is flagged.
void on_session_speed(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    if (!req) return;
    const int num = req_int_or(req, "num", 0);
    int32_t sids[max_sessions];
    int n = take_ints(req_array(req, "sid"), num, sids, max_sessions);
    speed_mask_req msg{};
    mark(msg.mask, sids, n);
    msg.speed = req_int_or(req, "speed", 0);
    msg.single_flag = msg.speed == 2 && num == 1 ? 1 : 0;
    notify(1167, msg);
    cgi_reply(REPLY_TEXT, "OK");
}

void on_jump(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    int num = 0;
    if (!req || !req_member(req, "jumpTime") || !req_member(req, "sid") || !req_member(req, "chnid") ||
        !req_int(req, "num", &num))
        return;
    int32_t chnids[max_sessions], sids[max_sessions];
    const int n = std::min(take_ints(req_array(req, "chnid"), num, chnids, max_sessions),
                           take_ints(req_array(req, "sid"), num, sids, max_sessions));
    // Nothing to jump: answered as a failed exchange, nothing sent.
    if (n < 1) {
        reply_failed();
        return;
    }
    jump_req msg{};
    std::copy_n(chnids, n, msg.chnid);
    std::copy_n(sids, n, msg.sid);
    msg.num = n;
    req_text(req.get(), "jumpTime", msg.jump_time, sizeof msg.jump_time);
    query(1171, msg);
}

void on_transcode(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    if (!req) {
        reply_failed();
        return;
    }
    transcode_req msg{
        req_int_or(req, "ch", 0),        req_int_or(req, "sid", 0),     req_int_or(req, "trancodingmode", 0),
        req_int_or(req, "framesize", 0), req_int_or(req, "bitrate", 0), req_int_or(req, "framerate", 0)};
    query(1176, msg);
}

void on_transcode_state(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    if (!req) {
        reply_failed();
        return;
    }
    query(1177, transcode_query{req_int_or(req, "ch", 0), req_int_or(req, "sid", 0)});
}

}  // namespace playback
