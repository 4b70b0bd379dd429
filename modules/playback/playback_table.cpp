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
    {"/3000", show_picture, IN_JSON, OUT_JSON,
     "the playback picture settings of a channel", "{chnid 0..63}", "3002 -> 8002",
     "{status: OK, brightness, contrast, saturation, Sharpness, NoiseReduction, i2ddnr} or {status: ERROR, "
     "the first five}"},
    {"/3001", set_picture, IN_JSON, OUT_TEXT,
     "set the playback picture of a channel and log the values as percentages",
     "{id 0..63, brightness 0..255, contrast 0..255, saturation 0..255, Sharpness?, NoiseReduction?, "
     "i2ddnr?}",
     "1205, 3485", "OK"},
    {"/3002", reset_picture, IN_TEXT, OUT_JSON,
     "reset the playback picture of a channel to the defaults (128)", "channel 0..63", "1205",
     "{ChannelId, Brightness, Contrast, Saturation, Sharpness, NoiseReduction}"},
    {"/3003", reset_sessions, IN_JSON, OUT_TEXT,
     "reset playback sessions", "{sessionId: [up to 64 sids]}", "1113", "OK"},
    {"/3004", ask_core<msg_busy>, IN_TEXT, OUT_JSON,
     "is playback busy", "-", "4011 -> 9011", "{status: BUSY or OK}"},
    {"/4000", search_recordings, IN_JSON, OUT_JSON,
     "search one channel's recordings (a given session is let go first)",
     "{channelId, sid, streamType (1 sub), time, endTime}", "(1160, 1903 when sid >= 0), 1159 -> 6159",
     "{status: OK, camId, sectionNum, sid, section: [{startTime, endTime, recordType, "
     "lock}]} or {status: NO MATCHES}"},
    {"/4001", open_channel_session, IN_JSON, OUT_JSON,
     "open a playback session of one channel at a play time, then ask where its stream is",
     "{channelId 0..63, sid, startTime, endTime, playTime}", "1162 -> 6162, 3502 -> 8502, 3485",
     "{sessionId, sourcePath, port, status: OK, realPlayTime, external_port, external_http_port, ddns_port, "
     "ddns_http_port}"},
    {"/4002", show_play_time, IN_TEXT, OUT_JSON,
     "the play time of a session", "sid >= 0", "1153 -> 6153, 8102 or 8116",
     "{status: OK, curPlayTime} or {status: OK, curPlayTime: [{PlayTime, sid}]}"},
    {"/4003", stop_sessions, IN_JSON, OUT_TEXT,
     "stop playback sessions, closing them when asked", "{num, sid: [...], close?}",
     "1903 (each sid), 1164, (1160 when close is 1)", "OK"},
    {"/4004", send_session_list<msg_sessions_of_4004>, IN_JSON, OUT_TEXT,
     "pass a list of sessions to the core", "{num, sid: [...]}", "1165", "OK"},
    {"/4005", set_direction, IN_JSON, OUT_TEXT,
     "set the play direction of a session", "{sid, direction}", "1166", "OK"},
    {"/4006", send_session_list<msg_sessions_of_4006>, IN_JSON, OUT_TEXT,
     "pass a list of sessions to the core", "{num, sid: [...]}", "1170", "OK"},
    {"/4007", set_session_speeds, IN_JSON, OUT_TEXT,
     "set a speed for each listed session", "{chind >= 0, num, sessionId: [...], speed: [...]}", "1112",
     "OK"},
    {"/4008", set_channel_speed, IN_JSON, OUT_TEXT,
     "set one speed for the listed channels", "{chind: [channels], num, speed}", "1149", "OK"},
    {"/4009", jump_sessions, IN_JSON, OUT_JSON,
     "jump sessions to a time", "{jumpTime, num, chnid: [...], sid: [...]}",
     "1171 -> 8104, 8115, 6171 or 6148",
     "{status: OK, realJumpTime}, {status: OK, JumpTime: [{realJumpTime, sid}]} or {status: OK / ERROR}"},
    {"/4010", show_stream_addr, IN_JSON, OUT_JSON,
     "where the playback stream of a channel can be fetched (logged when granted)",
     "{id 0..63, streamType 0..1, streamFrom 0..1}", "3500 -> 8500, 3485",
     "{status: OK, port, direct, rtspAddr, resPath} or {status: ERROR}"},
    {"/4011", notify_stream, IN_JSON, OUT_TEXT,
     "tell the core of a channel's playback stream", "{id 0..63, streamType 0..1, streamFrom 0..1}", "1901",
     "OK"},
    {"/4012", reset_stream, IN_TEXT, OUT_TEXT,
     "reset the playback stream", "-", "1902", "OK"},
    {"/4013", download_recording, IN_JSON, OUT_TEXT,
     "stream one channel's recording between two times as an AVI file",
     "{id, streamType?, startTime, endTime} (%Y-%m-%dT%H:%M:%SZ)", "3485, 1173 -> 6173 pieces",
     "the AVI file (attachment <mask>DDD<start>-<end>_<id>.avi), or BUSY NOW"},
    {"/4014", note_channel<205>, IN_TEXT, OUT_TEXT,
     "log an action of the playback page on a channel", "channel 0..63", "3485", "OK"},
    {"/4015", note_channel<0>, IN_TEXT, OUT_TEXT,
     "accept a channel note of the playback page (nothing logged)", "channel 0..63", "-", "OK"},
    {"/4016", note_channel<0>, IN_TEXT, OUT_TEXT,
     "accept a channel note of the playback page (nothing logged)", "channel 0..63", "-", "OK"},
    {"/4017", note_channel<218>, IN_TEXT, OUT_TEXT,
     "log an action of the playback page on a channel", "channel 0..63", "3485", "OK"},
    {"/4018", ask_core<msg_stream_addrs>, IN_TEXT, OUT_JSON,
     "the stream addresses and accounts of every channel", "-", "3503 -> 8503",
     "{rtspaddr: [{ipc: {main, sub}, nvr: {mainUsername, mainPassword, mainPort, ..., subDDNSHttpPort}}]}"},
    {"/4019", download_check, IN_JSON, OUT_TEXT,
     "may a download start (no download marker)", "{}", "-", "{isOK: 1 or 0} as text/plain"},
    {"/4020", open_mask_sessions, IN_JSON, OUT_JSON,
     "open playback sessions of the channels in eight masks, then ask where the stream is",
     "{mask0..mask7, playTime (local %Y-%m-%d %H:%M:%S)}", "3109 -> 8103, 3502 -> 8502, 3485",
     "{sessionId, sourcePath, port, status: OK, realPlayTime, external_port, external_http_port, ddns_port, "
     "ddns_http_port}"},
    {"/4021", ask_core<msg_ext_ports>, IN_TEXT, OUT_JSON,
     "the external ports of the recorder", "-", "3506 -> 8506", "{upnp_extern_port, ddns_extern_port}"},
    {"/4022", set_sessions_speed, IN_JSON, OUT_TEXT,
     "set one speed for the listed sessions (one session at speed 2 flagged)", "{num, sid: [...], speed}",
     "1167", "OK"},
    {"/4023", next_search_page, IN_JSON, OUT_JSON,
     "the next page of a search's sections", "{sid, page}", "1161 -> 6161",
     "{status: OK, camId, sectionNum, sid, section: [...]} or {status: NO MATCHES}"},
    {"/4024", note_channel<log_view_stream>, IN_TEXT, OUT_TEXT,
     "log the viewing of a channel's stream", "channel 0..63", "3485", "OK"},
    {"/4025", start_transcode, IN_JSON, OUT_JSON_ERR,
     "start transcoding a playback stream", "{ch, sid, trancodingmode, framesize, bitrate, framerate}",
     "1176 -> 6176", "{ch, sid, state, status: OK}"},
    {"/4026", show_transcode_state, IN_JSON, OUT_JSON_ERR,
     "the transcoding state of a playback stream", "{ch, sid}", "1177 -> 6177", "{ch, sid, state}"},
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
