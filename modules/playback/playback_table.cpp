// The playback module's request table (one row a code, in code order) and
// its reply table (one row an answer identifier).
#include "front/core_link.h"
#include "front/dispatchreq.h"
#include "modules/playback/download.h"
#include "modules/playback/playback.h"
#include "platform/msg_playback.h"

namespace playback {

namespace {

// clang-format off
const request_entry table[] = {
    {"/3000", show_picture, IN_JSON, OUT_JSON},
    {"/3001", set_picture, IN_JSON, OUT_TEXT},
    {"/3002", reset_picture, IN_TEXT, OUT_JSON},
    {"/3003", reset_sessions, IN_JSON, OUT_TEXT},
    {"/3004", ask_core<msg_busy>, IN_TEXT, OUT_JSON},
    {"/4000", search_recordings, IN_JSON, OUT_JSON},
    {"/4001", open_channel_session, IN_JSON, OUT_JSON},
    {"/4002", show_play_time, IN_TEXT, OUT_JSON},
    {"/4003", stop_sessions, IN_JSON, OUT_TEXT},
    {"/4004", send_session_list<msg_sessions_of_4004>, IN_JSON, OUT_TEXT},
    {"/4005", set_direction, IN_JSON, OUT_TEXT},
    {"/4006", send_session_list<msg_sessions_of_4006>, IN_JSON, OUT_TEXT},
    {"/4007", set_session_speeds, IN_JSON, OUT_TEXT},
    {"/4008", set_channel_speed, IN_JSON, OUT_TEXT},
    {"/4009", jump_sessions, IN_JSON, OUT_JSON},
    {"/4010", show_stream_addr, IN_JSON, OUT_JSON},
    {"/4011", notify_stream, IN_JSON, OUT_TEXT},
    {"/4012", reset_stream, IN_TEXT, OUT_TEXT},
    {"/4013", download_recording, IN_JSON, OUT_TEXT,
     "stream one channel's recording between two times as an AVI file",
     "{id, streamType?, startTime, endTime} (%Y-%m-%dT%H:%M:%SZ)", "3485, 1173 -> 6173 pieces",
     "the AVI file (attachment <mask>DDD<start>-<end>_<id>.avi), or BUSY NOW"},
    {"/4014", note_channel<205>, IN_TEXT, OUT_TEXT},
    {"/4015", note_channel<0>, IN_TEXT, OUT_TEXT},
    {"/4016", note_channel<0>, IN_TEXT, OUT_TEXT},
    {"/4017", note_channel<218>, IN_TEXT, OUT_TEXT},
    {"/4018", ask_core<msg_stream_addrs>, IN_TEXT, OUT_JSON},
    {"/4019", download_check, IN_JSON, OUT_TEXT,
     "may a download start (no download marker)", "{}", "-", "{isOK: 1 or 0} as text/plain"},
    {"/4020", open_mask_sessions, IN_JSON, OUT_JSON},
    {"/4021", ask_core<msg_ext_ports>, IN_TEXT, OUT_JSON},
    {"/4022", set_sessions_speed, IN_JSON, OUT_TEXT},
    {"/4023", next_search_page, IN_JSON, OUT_JSON},
    {"/4024", note_channel<log_view_stream>, IN_TEXT, OUT_TEXT},
    {"/4025", start_transcode, IN_JSON, OUT_JSON_ERR},
    {"/4026", show_transcode_state, IN_JSON, OUT_JSON_ERR},
    {"/4027", download_cancel, IN_TEXT, OUT_TEXT,
     "cancel the download: remove the download marker and tell the core", "-", "1178", "OK"},
};

// What an answer without a whole record means: "wait" (not the answer), "fail"
// (the failure reply at once) or "empty" (a list of none, rendered).
const reply_row replies[] = {
    {msg_search_reply, sizeof(section_rec), reply_short::empty, write_sections},
    {msg_search_page_reply, sizeof(section_rec), reply_short::empty, write_sections},
    // The first exchange of an opening only reports its state to the handler.
    {msg_session_open_reply, sizeof(int32_t), reply_short::wait, open_result, reply_kind::result},
    {msg_session_open_masks_reply, sizeof(open_result_rec), reply_short::wait, open_masks_result, reply_kind::result},
    {msg_session_describe_reply, sizeof(session_desc_rec), reply_short::empty, write_session_desc},
    {msg_play_time_reply, sizeof(int32_t), reply_short::fail, write_play_time},
    {msg_cur_play_time_reply, sizeof(int32_t), reply_short::fail, write_play_time},
    {msg_play_times_reply, sizeof(session_time_rec), reply_short::empty, write_play_times},
    {msg_jump_time_reply, sizeof(int32_t), reply_short::wait, write_jump_time},
    {msg_jump_times_reply, sizeof(session_time_rec), reply_short::empty, write_jump_times},
    {msg_jump_reply, sizeof(int32_t), reply_short::wait, write_jump_done},
    {msg_play_error_reply, sizeof(int32_t), reply_short::wait, write_error_flag},
    {msg_transcode_reply, sizeof(transcode_state_rec), reply_short::fail, write_transcode_state<true>},
    {msg_transcode_state_reply, sizeof(transcode_state_rec), reply_short::fail, write_transcode_state<false>},
    {msg_stream_addr_reply, sizeof(stream_addr_rec), reply_short::wait, write_stream_addr},
    {msg_stream_addrs_reply, sizeof(rtsp_addr_rec), reply_short::empty, write_rtsp_addrs},
    {msg_ext_ports_reply, sizeof(ext_ports_rec), reply_short::wait, write_ext_ports},
    {msg_busy_reply, sizeof(int32_t), reply_short::wait, write_busy},
    {msg_picture_reply, sizeof(picture_rec), reply_short::wait, write_picture},
    // The download's frame pieces: every answer goes to the reassembler
    // (whole records, and a last part record that holds its piece); none
    // claims the reply, and only the end or abort marker ends the wait.
    {msg_download_piece, sizeof(download_piece), reply_short::empty, take_download_pieces, reply_kind::feed},
};
// clang-format on

// Messages whose answers take longer than the usual 40 s, in wait rounds of
// 40 ms.
const core_wait waits[] = {
    {msg_play_time, 3000},  // /4002
    {msg_jump, 3000},       // /4009
    {3102, 3000},           // play time (no code sends it)
    {3104, 3000},           // jump time (no code sends it)
};

}  // namespace

CORE_REPLY_CALLBACK(playback_reply, replies)

}  // namespace playback

WEBREQ_MODULE(9, playback::table)
CORE_WAITS(playback::waits)
