// Messages of the playback module, by their identifiers, and their payload
// records: what the handlers send and what the reply writers read.
// Little-endian 32-bit integers and NUL-padded character fields; every
// message is zero-filled before its fields are set.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/avi_frame.h"

namespace playback {

// ---- identifiers -------------------------------------------------------------

// Search of a channel's recordings and its next page; each answer is a list
// of section_rec.
inline constexpr int32_t msg_search = 1159;       // search_req
inline constexpr int32_t msg_search_page = 1161;  // page_req
inline constexpr int32_t msg_search_reply = 6159;
inline constexpr int32_t msg_search_page_reply = 6161;

// Opening a session takes two exchanges: the first says only whether it
// worked, the second (3502) describes where its stream can be fetched.
inline constexpr int32_t msg_session_open = 1162;        // open_req; answer 6162 {int result}
inline constexpr int32_t msg_session_open_masks = 3109;  // open_masks_req; answer 8103 open_result_rec
inline constexpr int32_t msg_session_describe = 3502;    // int sid; answer 8502 session_desc_rec
inline constexpr int32_t msg_session_open_reply = 6162;
inline constexpr int32_t msg_session_open_masks_reply = 8103;
inline constexpr int32_t msg_session_describe_reply = 8502;

// Play time of a session (1153) and the jump of sessions to a time (1171).
// The core may answer either with any of the time replies.
inline constexpr int32_t msg_play_time = 1153;            // int sid
inline constexpr int32_t msg_jump = 1171;                 // jump_req
inline constexpr int32_t msg_play_time_reply = 6153;      // int time
inline constexpr int32_t msg_cur_play_time_reply = 8102;  // int time
inline constexpr int32_t msg_play_times_reply = 8116;     // session_time_rec, repeated
inline constexpr int32_t msg_jump_time_reply = 8104;      // int time
inline constexpr int32_t msg_jump_times_reply = 8115;     // session_time_rec, repeated
inline constexpr int32_t msg_jump_reply = 6171;           // int result, 0 done
inline constexpr int32_t msg_play_error_reply = 6148;     // int result, -1 error

// Notices that carry session lists, a sid or speeds (their meaning is the
// core daemon's; they are forwarded as the page gives them).
inline constexpr int32_t msg_session_close = 1160;      // session_list
inline constexpr int32_t msg_session_release = 1903;    // int sid
inline constexpr int32_t msg_session_stop = 1164;       // session_list
inline constexpr int32_t msg_sessions_of_4004 = 1165;   // session_list
inline constexpr int32_t msg_sessions_of_4006 = 1170;   // session_list
inline constexpr int32_t msg_session_reset = 1113;      // session_list, num 0
inline constexpr int32_t msg_session_speeds = 1112;     // session_list with speeds
inline constexpr int32_t msg_session_direction = 1166;  // direction_req
inline constexpr int32_t msg_channel_speed = 1149;      // speed_mask_req over channels
inline constexpr int32_t msg_session_speed = 1167;      // speed_mask_req over sessions

// Transcoding of the playback stream; both answer transcode_state_rec.
inline constexpr int32_t msg_transcode = 1176;        // transcode_req
inline constexpr int32_t msg_transcode_state = 1177;  // transcode_query
inline constexpr int32_t msg_transcode_reply = 6176;
inline constexpr int32_t msg_transcode_state_reply = 6177;

// Where the playback stream can be fetched, and the device's stream ports.
inline constexpr int32_t msg_stream_addr = 3500;    // stream_req; answer 8500 stream_addr_rec
inline constexpr int32_t msg_stream_notice = 1901;  // stream_req with stream_from 0
inline constexpr int32_t msg_stream_reset = 1902;   // no payload
inline constexpr int32_t msg_stream_addrs = 3503;   // no payload; answer 8503 rtsp_addr_rec, repeated
inline constexpr int32_t msg_ext_ports = 3506;      // no payload; answer 8506 ext_ports_rec
inline constexpr int32_t msg_busy = 4011;           // no payload; answer 9011 {int busy}
inline constexpr int32_t msg_stream_addr_reply = 8500;
inline constexpr int32_t msg_stream_addrs_reply = 8503;
inline constexpr int32_t msg_ext_ports_reply = 8506;
inline constexpr int32_t msg_busy_reply = 9011;

// Picture settings of a playback channel.
inline constexpr int32_t msg_picture = 3002;      // int channel; answer 8002 picture_rec
inline constexpr int32_t msg_picture_set = 1205;  // picture_req
inline constexpr int32_t msg_picture_reply = 8002;

// ---- records -----------------------------------------------------------------

constexpr int max_sessions = 64;

// Requests.

// 1159: search one channel's recordings between two times.
struct search_req {
    char channel_mask[64];  // '1' for the searched channel, '0' below the camera count
    int32_t reserved;
    int32_t main_flag;   // 1
    int32_t sub_stream;  // 1 for the sub stream
    int32_t unused_a;    // -1
    int32_t unused_b;    // -1
    char time[32];
    char end_time[32];
};
static_assert(sizeof(search_req) == 148);
static_assert(offsetof(search_req, main_flag) == 68);
static_assert(offsetof(search_req, time) == 84);
static_assert(offsetof(search_req, end_time) == 116);

// 1160, 1164, 1165, 1170, 1113, 1112: a list of sessions (and their speeds).
struct session_list {
    int32_t sid[max_sessions];
    int32_t reserved;
    int32_t speed[max_sessions];
    int32_t spare[max_sessions];
    int32_t num;
};
static_assert(sizeof(session_list) == 776);
static_assert(offsetof(session_list, speed) == 260);
static_assert(offsetof(session_list, spare) == 516);
static_assert(offsetof(session_list, num) == 772);

// 1161: the next page of a search.
struct page_req {
    int32_t sid;
    int32_t page;
};
static_assert(sizeof(page_req) == 8);

// 1162: open a session of one channel at a play time.
struct open_req {
    int32_t channel_id;
    int32_t sid;
    char start_time[32];
    char end_time[32];
    char play_time[32];
    uint8_t zero[8];
};
static_assert(sizeof(open_req) == 112);
static_assert(offsetof(open_req, start_time) == 8);
static_assert(offsetof(open_req, end_time) == 40);
static_assert(offsetof(open_req, play_time) == 72);

// 3109: open sessions of the channels in eight masks at a play time.
struct open_masks_req {
    int32_t play_time;  // seconds since the epoch
    uint8_t zero[32];
    int32_t mask[8];
};
static_assert(sizeof(open_masks_req) == 68);
static_assert(offsetof(open_masks_req, mask) == 36);

// 1166: play direction of a session.
struct direction_req {
    int32_t sid;
    int32_t direction;
};
static_assert(sizeof(direction_req) == 8);

// 1149 (channels) and 1167 (sessions): one speed for the marked entries.
struct speed_mask_req {
    char mask[64];
    int32_t reserved;
    int32_t speed;
    int32_t single_flag;
};
static_assert(sizeof(speed_mask_req) == 76);
static_assert(offsetof(speed_mask_req, speed) == 68);
static_assert(offsetof(speed_mask_req, single_flag) == 72);

// 1171: jump sessions to a time.
struct jump_req {
    int32_t chnid[max_sessions];
    int32_t sid[max_sessions];
    int32_t num;
    char jump_time[64];
};
static_assert(sizeof(jump_req) == 580);
static_assert(offsetof(jump_req, sid) == 256);
static_assert(offsetof(jump_req, num) == 512);
static_assert(offsetof(jump_req, jump_time) == 516);

// 1176: transcoding of a playback stream.
struct transcode_req {
    int32_t ch;
    int32_t sid;
    int32_t trancodingmode;
    int32_t framesize;
    int32_t bitrate;
    int32_t framerate;
};
static_assert(sizeof(transcode_req) == 24);

// 1177: transcoding state of a playback stream.
struct transcode_query {
    int32_t ch;
    int32_t sid;
};
static_assert(sizeof(transcode_query) == 8);

// 3500 and 1901: the playback stream address of a channel.
struct stream_req {
    int32_t id;
    int32_t stream_type;
    int32_t stream_from;  // 1901 sends 0
};
static_assert(sizeof(stream_req) == 12);

// 1205: picture settings of a playback channel.
struct picture_req {
    int32_t channel;
    int32_t brightness;
    int32_t contrast;
    int32_t saturation;
    int32_t sharpness;
    int32_t noise_reduction;
    int32_t i2ddnr;
};
static_assert(sizeof(picture_req) == 28);

// Replies.

// 6159, 6161: one recording section of a search result.
struct section_rec {
    int32_t cam_id;
    int32_t sid;
    int32_t unused_a;
    int32_t lock;
    int32_t unused_b;
    int32_t record_type;
    char start_time[32];
    char end_time[32];
    uint8_t tail[16];
};
static_assert(sizeof(section_rec) == 104);
static_assert(offsetof(section_rec, lock) == 12);
static_assert(offsetof(section_rec, record_type) == 20);
static_assert(offsetof(section_rec, start_time) == 24);
static_assert(offsetof(section_rec, end_time) == 56);

// 6162, 6171, 6148, 9011, 6153, 8102, 8104: one integer.
struct int_rec {
    int32_t value;
};
static_assert(sizeof(int_rec) == 4);

// 8502: where the stream of an opened session can be fetched.
struct session_desc_rec {
    int32_t session_id;
    int32_t port;
    int32_t external_port;
    int32_t external_http_port;
    int32_t ddns_port;
    int32_t ddns_http_port;
    char source_path[128];
};
static_assert(sizeof(session_desc_rec) == 152);
static_assert(offsetof(session_desc_rec, source_path) == 24);

// 8103: answer to 3109.
struct open_result_rec {
    int32_t sid;
    char play_time[32];
    int32_t failed;  // non-zero: refused
};
static_assert(sizeof(open_result_rec) == 40);
static_assert(offsetof(open_result_rec, failed) == 36);

// 8116, 8115: a time per session.
struct session_time_rec {
    int32_t sid;
    int32_t time;
};
static_assert(sizeof(session_time_rec) == 8);

// 6176, 6177: transcoding state.
struct transcode_state_rec {
    int32_t ch;
    int32_t sid;
    int32_t state;
};
static_assert(sizeof(transcode_state_rec) == 12);

// 8500: the playback stream address of a channel.
struct stream_addr_rec {
    int32_t channel;
    int32_t port;
    uint8_t unused_a[16];
    int32_t direct;
    int32_t status;  // negative: error
    uint8_t unused_b[64];
    char rtsp_addr[256];
    char res_path[624];
};
static_assert(sizeof(stream_addr_rec) == 976);
static_assert(offsetof(stream_addr_rec, direct) == 24);
static_assert(offsetof(stream_addr_rec, status) == 28);
static_assert(offsetof(stream_addr_rec, rtsp_addr) == 96);
static_assert(offsetof(stream_addr_rec, res_path) == 352);

// 8503: the stream addresses of one channel. Each stream has five ports and
// an account block (user name at +8, password at +40, resource path at
// +328). The record ends 4 bytes before the sub-stream block would, so that
// block is only 456 bytes here and its resource path is read within them.
constexpr size_t account_user_at = 8;
constexpr size_t account_user_width = 32;
constexpr size_t account_password_at = 40;
constexpr size_t account_password_width = 32;
constexpr size_t account_res_path_at = 328;

struct rtsp_addr_rec {
    int32_t unused;
    char main[256];
    char sub[256];
    uint8_t gap[4];
    int32_t main_ports[5];  // port, external, DDNS, external HTTP, DDNS HTTP
    uint8_t main_account[460];
    int32_t sub_ports[5];
    uint8_t sub_account[456];
};
static_assert(sizeof(rtsp_addr_rec) == 1476);
static_assert(offsetof(rtsp_addr_rec, main) == 4);
static_assert(offsetof(rtsp_addr_rec, sub) == 260);
static_assert(offsetof(rtsp_addr_rec, main_ports) == 520);
static_assert(offsetof(rtsp_addr_rec, main_account) == 540);
static_assert(offsetof(rtsp_addr_rec, sub_ports) == 1000);
static_assert(offsetof(rtsp_addr_rec, sub_account) == 1020);

// 8506: external ports of the playback stream.
struct ext_ports_rec {
    int32_t upnp_extern_port;
    int32_t ddns_extern_port;
};
static_assert(sizeof(ext_ports_rec) == 8);

// 8002: picture settings of a playback channel.
struct picture_rec {
    int32_t unused;
    int32_t brightness;
    int32_t contrast;
    int32_t saturation;
    int32_t sharpness;
    int32_t noise_reduction;
    int32_t i2ddnr;
    int32_t status;  // negative: error
};
static_assert(sizeof(picture_rec) == 32);
static_assert(offsetof(picture_rec, status) == 28);

// ---- download of a recording -------------------------------------------------

// The recording of one channel between two times, streamed as frame pieces
// (6173, any number of them, ended by a piece whose length is one of the
// markers); the cancel notice has no payload.
inline constexpr int32_t msg_download = 1173;  // download_req
inline constexpr int32_t msg_download_cancel = 1178;
inline constexpr int32_t msg_download_piece = 6173;  // download_piece, repeated

// 1173: channel, stream type and the two times as "%d-%d-%d %d:%d:%d".
struct download_req {
    int32_t channel_id;
    int32_t stream_type;
    char start_time[32];
    char end_time[32];
};
static_assert(sizeof(download_req) == 72);
static_assert(offsetof(download_req, start_time) == 8);
static_assert(offsetof(download_req, end_time) == 40);

// 6173: one piece of a frame. Position 0 starts a new frame, any other
// position continues it (pieces come in order and are appended); the
// piece's length is the bytes of data it carries, or a marker.
inline constexpr int32_t piece_data_bytes = 614400;
inline constexpr int32_t piece_end = -1;    // the download is complete
inline constexpr int32_t piece_abort = -2;  // the download was aborted
struct download_piece {
    avi_frame_header header;  // the frame's header; data_length is the whole frame's
    int32_t position;         // 0 for a frame's first piece
    int32_t length;
    uint8_t data[piece_data_bytes];
};
static_assert(sizeof(download_piece) == 614496);
static_assert(offsetof(download_piece, position) == 88);
static_assert(offsetof(download_piece, length) == 92);
static_assert(offsetof(download_piece, data) == 96);

}  // namespace playback
