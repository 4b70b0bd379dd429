// The playback module: search of recordings, playback sessions on the core
// daemon, the playback stream address and picture settings.
//
// Sessions live in the core daemon; the page names them by the session id
// ("sid") that the core hands out. Each handler turns its request into core
// messages; the module's one reply handler (playback_reply) turns the core's
// answers into the HTTP reply.
#pragma once

#include <json-c/json.h>

#include <cstddef>
#include <cstdint>

#include "front/core_link.h"
#include "front/dispatchreq.h"

namespace playback {

// ---- the reply handler (playback_reply.cpp) ----------------------------------

// The module's reply callback, passed to every core_send of the module.
void playback_reply(void* ctx, const void* header, const void* payload);

// core_reply_state set by the writers of the first exchange of /4001 and
// /4020 (6162, 8103): session opened, or refused by the core.
constexpr int state_opened = 1;
constexpr int state_refused = 2;

// The session that the first exchange of /4001 or /4020 opened: its id and
// its play time, used by the second exchange and by the 8502 writer.
void keep_session(int32_t sid, const char* play_time, size_t width);
int32_t kept_sid();
// Copies the kept play time (NUL-terminated) into out[32].
void kept_play_time(char out[32]);

// ---- helpers shared by the handlers (playback_util.cpp) ---------------------

// Integer elements of a JSON array, in order, at most cap and at most limit
// of them. The list ends at the array's end or at the first element that is
// not a number (a missing or null element never reads as 0). Returns the
// count taken; a null array gives 0.
int take_ints(json_object* array, int limit, int32_t* out, int cap);

// A notice on its own link.
template <typename T>
inline void notify(int msg_id, const T& payload) {
    core_notify(playback_reply, msg_id, sizeof payload, &payload);
}
// A waiting request whose failure reply is the JSON error body.
template <typename T>
inline int query(int msg_id, const T& payload) {
    return core_query(playback_reply, msg_id, sizeof payload, &payload, 1);
}

// The failure reply of the module ({status:"CGI ERROR"}), written only when
// no reply was written yet.
void reply_failed();

// ---- request handlers (one file per topic) ------------------------------------

// playback_search.cpp
void on_search(request& rq);  // /4000
void on_page(request& rq);    // /4023

// playback_open.cpp
void on_open(request& rq);        // /4001
void on_open_masks(request& rq);  // /4020
void on_play_time(request& rq);   // /4002

// playback_control.cpp
void on_stop(request& rq);  // /4003
template <int msg_id>
void on_session_list(request& rq);      // /4004, /4006
void on_session_reset(request& rq);    // /3003
void on_direction(request& rq);        // /4005
void on_speeds(request& rq);           // /4007
void on_channel_speed(request& rq);    // /4008
void on_session_speed(request& rq);    // /4022
void on_jump(request& rq);             // /4009
void on_transcode(request& rq);        // /4025
void on_transcode_state(request& rq);  // /4026

// playback_stream.cpp
void on_stream_addr(request& rq);    // /4010
void on_stream_notice(request& rq);  // /4011
void on_stream_reset(request& rq);   // /4012
template <int msg_id>
void on_query(request& rq);  // /4018, /4021, /3004

// playback_picture.cpp
void on_picture(request& rq);          // /3000
void on_picture_set(request& rq);      // /3001
void on_picture_default(request& rq);  // /3002
template <int64_t sub_type>
void on_channel_note(request& rq);  // /4014, /4015, /4016, /4017, /4024

}  // namespace playback
