// The playback module: search of recordings, playback sessions on the core
// daemon, the playback stream address and picture settings.
//
// Sessions live in the core daemon; the page names them by the session id
// ("sid") that the core hands out. Each handler turns its request into core
// messages; the reply writer of each answer (one file per topic, next to the
// handlers that ask) turns it into the HTTP reply. The request table and the
// reply table are in playback_table.cpp.
#pragma once

#include <json-c/json.h>

#include <cstdint>

#include "front/core_link.h"
#include "front/dispatchreq.h"
#include "front/json_req.h"
#include "modules/common/field_map.h"

namespace playback {

// The module's reply callback, passed to every core_send of the module.
void playback_reply(void* ctx, const void* header, const void* payload);

// ---- helpers shared by the handlers and writers (playback_util.cpp) ---------

// Integer elements of a JSON array, in order, at most cap and at most limit
// of them. The list ends at the array's end or at the first element that is
// not a number (a missing or null element never reads as 0). Returns the
// count taken; a null array gives 0.
int take_ints(json_object* array, int limit, int32_t* out, int cap);

// A notice on its own link.
template <typename T>
inline void notify(int32_t msg_id, const T& payload) {
    core_notify(playback_reply, msg_id, sizeof payload, &payload);
}
// A waiting request whose failure reply is the JSON error body; returns the
// state the writer ended the wait with.
template <typename T>
inline int query(int32_t msg_id, const T& payload) {
    return core_query(playback_reply, msg_id, sizeof payload, &payload, REPLY_JSON);
}

// A message record of the request's members by its field map (absent
// members 0).
template <typename T>
T record_of(json_object* req, std::span<const field> map) {
    T rec{};
    fields_from_json(req, &rec, map);
    return rec;
}

// {"status": status}, the start of most replies.
json_ref status_object(const char* status);
// Local time as "%Y-%m-%d %H:%M:%S" under key.
void add_time(json_object* obj, const char* key, int32_t seconds);
// A writer's JSON reply: writes obj and returns 1, the state of a written
// reply.
int reply_json(const json_ref& obj);
// The same for {"status": status}.
int reply_status(const char* status);

// Operation-log entries of the module: these sub types (and the channel
// notes' own), parameter type 900.
constexpr int64_t log_view_stream = 208;   // /4024, and /4010 when granted
constexpr int64_t log_open_session = 209;  // /4001, /4020
constexpr int64_t log_picture = 217;       // /3001, with the values
constexpr int log_parameter = 900;

// ---- search (playback_search.cpp) --------------------------------------------
void search_recordings(request& rq);            // /4000
void next_search_page(request& rq);             // /4023
int write_sections(const core_answer& answer);  // 6159, 6161

// ---- opening sessions (playback_open.cpp) ------------------------------------
void open_channel_session(request& rq);  // /4001
void open_mask_sessions(request& rq);    // /4020
// The first exchanges only tell the waiting handler whether the session was
// opened: their writers write nothing and return one of these states.
constexpr int state_opened = 1;
constexpr int state_refused = 2;
int open_result(const core_answer& answer);         // 6162
int open_masks_result(const core_answer& answer);   // 8103 (keeps sid and play time)
int write_session_desc(const core_answer& answer);  // 8502

// ---- play and jump times (playback_time.cpp) ---------------------------------
void show_play_time(request& rq);                 // /4002
void jump_sessions(request& rq);                  // /4009
int write_play_time(const core_answer& answer);   // 6153, 8102
int write_play_times(const core_answer& answer);  // 8116
int write_jump_time(const core_answer& answer);   // 8104
int write_jump_times(const core_answer& answer);  // 8115
int write_jump_done(const core_answer& answer);   // 6171
int write_error_flag(const core_answer& answer);  // 6148

// ---- steering sessions (playback_control.cpp) --------------------------------
void stop_sessions(request& rq);  // /4003
template <int32_t msg_id>
void send_session_list(request& rq);     // /4004, /4006
void reset_sessions(request& rq);        // /3003
void set_direction(request& rq);         // /4005
void set_session_speeds(request& rq);    // /4007
void set_channel_speed(request& rq);     // /4008
void set_sessions_speed(request& rq);    // /4022
void start_transcode(request& rq);       // /4025
void show_transcode_state(request& rq);  // /4026
template <bool with_status>
int write_transcode_state(const core_answer& answer);  // 6176 (with "status"), 6177

// ---- stream addresses (playback_stream.cpp) ----------------------------------
void show_stream_addr(request& rq);  // /4010
void notify_stream(request& rq);     // /4011
void reset_stream(request& rq);      // /4012
template <int32_t msg_id>
void ask_core(request& rq);                        // /4018, /4021, /3004: no payload, the answer is the reply
int write_stream_addr(const core_answer& answer);  // 8500
int write_rtsp_addrs(const core_answer& answer);   // 8503
int write_ext_ports(const core_answer& answer);    // 8506
int write_busy(const core_answer& answer);         // 9011

// ---- picture settings and channel notes (playback_picture.cpp) ---------------
void show_picture(request& rq);   // /3000
void set_picture(request& rq);    // /3001
void reset_picture(request& rq);  // /3002
template <int64_t sub_type>
void note_channel(request& rq);                // /4014, /4015, /4016, /4017, /4024
int write_picture(const core_answer& answer);  // 8002

}  // namespace playback
