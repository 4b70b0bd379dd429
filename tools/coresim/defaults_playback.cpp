// Default replies of the playback messages: a few recordings per searched
// channel, session ids, stream addresses and picture settings, so that the
// playback page works against the simulator without a script.
//
// Session ids: a search of channel c hands out session 100 + c; opening by
// channel masks hands out session 200.
#include <cstdio>
#include <cstring>
#include <ctime>

#include "platform/msg_playback.h"
#include "tools/coresim/coresim.h"

namespace {

using namespace playback;

constexpr int32_t search_sid_base = 100;
constexpr int32_t masks_sid = 200;
constexpr int32_t rtsp_port = 554;
constexpr int sections_per_search = 3;
// 2024-01-01 00:00:00 UTC: the play time every session reports.
constexpr int32_t default_play_time = 1704067200;

template <typename T>
T request_as(const coresim::request_view& req) {
    T rec{};
    std::memcpy(&rec, req.data, req.size < sizeof rec ? req.size : sizeof rec);
    return rec;
}

template <typename T>
void push_records(int32_t reply_id, const T* recs, size_t count, std::vector<coresim::out_msg>& out) {
    coresim::out_msg msg;
    msg.id = reply_id;
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(recs);
    msg.payload.assign(bytes, bytes + sizeof(T) * count);
    out.push_back(std::move(msg));
}

void put_time(char (&field)[32], time_t t) {
    struct tm tm_utc;
    gmtime_r(&t, &tm_utc);
    strftime(field, sizeof field, "%Y-%m-%d %H:%M:%S", &tm_utc);
}

// Sections of an hour every two hours from the search's start time (or
// from the default play time when the start does not parse).
void fill_sections(section_rec* s, int count, int32_t cam, int32_t sid, const char* from,
                   int32_t first) {
    struct tm tm_start = {};
    char start_text[33] = "";
    std::memcpy(start_text, from, strnlen(from, 32));
    time_t start = default_play_time;
    const char* end = strptime(start_text, "%Y-%m-%d %H:%M:%S", &tm_start);
    if (end && *end == '\0') start = timegm(&tm_start);
    for (int i = 0; i < count; ++i) {
        s[i].cam_id = cam;
        s[i].sid = sid;
        s[i].record_type = (first + i) % 2;
        s[i].lock = 0;
        put_time(s[i].start_time, start + (first + i) * 7200);
        put_time(s[i].end_time, start + (first + i) * 7200 + 3600);
    }
}

// 1159 -> 6159: the recordings of the searched channel.
void search_result(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    search_req q = request_as<search_req>(req);
    const char* one = static_cast<const char*>(std::memchr(q.channel_mask, '1', sizeof q.channel_mask));
    const int32_t cam = one ? static_cast<int32_t>(one - q.channel_mask) : 0;
    section_rec s[sections_per_search] = {};
    fill_sections(s, sections_per_search, cam, search_sid_base + cam, q.time, 0);
    push_records(6159, s, sections_per_search, out);
}

// 1161 -> 6161: a further page of the session's search.
void search_page(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    page_req q = request_as<page_req>(req);
    int32_t cam = q.sid - search_sid_base;
    if (cam < 0 || cam > 63) cam = 0;
    section_rec s[2] = {};
    fill_sections(s, 2, cam, q.sid, "", sections_per_search * (q.page > 0 ? q.page : 1));
    push_records(6161, s, 2, out);
}

// 3109 -> 8103: a session for the masks, at the requested time.
void open_by_masks(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    open_masks_req q = request_as<open_masks_req>(req);
    open_result_rec r{};
    r.sid = masks_sid;
    put_time(r.play_time, q.play_time);
    push_records(8103, &r, 1, out);
}

// 3502 -> 8502: where the session's stream is fetched.
void session_description(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    int32_t sid = request_as<int_rec>(req).value;
    session_desc_rec d{};
    d.session_id = sid;
    d.port = rtsp_port;
    std::snprintf(d.source_path, sizeof d.source_path, "/playback/session%d", static_cast<int>(sid));
    push_records(8502, &d, 1, out);
}

// 1153 -> 6153: a positive play time.
void play_time(const coresim::request_view&, std::vector<coresim::out_msg>& out) {
    int_rec t{default_play_time};
    push_records(6153, &t, 1, out);
}

// 1176 -> 6176, 1177 -> 6177: the channel and session echoed, state 1.
void transcode_state(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    transcode_query q = request_as<transcode_query>(req);
    transcode_state_rec r{q.ch, q.sid, 1};
    push_records(req.id + 5000, &r, 1, out);
}

// 3500 -> 8500: the channel's playback stream.
void stream_address(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    stream_req q = request_as<stream_req>(req);
    stream_addr_rec r{};
    r.channel = q.id;
    r.port = rtsp_port;
    std::snprintf(r.rtsp_addr, sizeof r.rtsp_addr, "rtsp://127.0.0.1:%d/playback/ch%d/%s",
                  rtsp_port, static_cast<int>(q.id) + 1, q.stream_type ? "sub" : "main");
    std::snprintf(r.res_path, sizeof r.res_path, "/playback/ch%d", static_cast<int>(q.id) + 1);
    push_records(8500, &r, 1, out);
}

// 3503 -> 8503: the stream addresses of the first four channels.
void stream_addresses(const coresim::request_view&, std::vector<coresim::out_msg>& out) {
    constexpr int channels = 4;
    rtsp_addr_rec r[channels] = {};
    for (int c = 0; c < channels; ++c) {
        std::snprintf(r[c].main, sizeof r[c].main, "rtsp://192.168.1.%d:554/main", 101 + c);
        std::snprintf(r[c].sub, sizeof r[c].sub, "rtsp://192.168.1.%d:554/sub", 101 + c);
        int32_t* ports[2] = {r[c].main_ports, r[c].sub_ports};
        uint8_t* accounts[2] = {r[c].main_account, r[c].sub_account};
        const size_t account_sizes[2] = {sizeof r[c].main_account, sizeof r[c].sub_account};
        for (int k = 0; k < 2; ++k) {
            ports[k][0] = rtsp_port;
            char* a = reinterpret_cast<char*>(accounts[k]);
            std::snprintf(a + account_user_at, account_user_width, "admin");
            std::snprintf(a + account_res_path_at, account_sizes[k] - account_res_path_at,
                          "/ch%d/%s", c + 1, k ? "sub" : "main");
        }
    }
    push_records(8503, r, channels, out);
}

// 3002 -> 8002: the default picture of the channel.
void picture(const coresim::request_view&, std::vector<coresim::out_msg>& out) {
    picture_rec r{0, 128, 128, 128, 128, 128, 0, 0};
    push_records(8002, &r, 1, out);
}

// 1173 -> 6173 pieces: the recording the local server left for the
// simulator (an H.264 elementary stream), or, without one, only the end
// marker (an empty download).
void download(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    coresim::stream_plan plan;
    plan.file = coresim::default_recording;
    coresim::request r;
    r.id = req.id;
    r.payload.assign(req.data, req.data + req.size);
    coresim::build_stream(plan, r, req.root, out);
}

const coresim::default_reply rows[] = {
    // request, request size, reply record size (-1: no answer), channel offset, builder, reply id
    {1159, sizeof(search_req), sizeof(section_rec), -1, search_result},
    {1161, sizeof(page_req), sizeof(section_rec), -1, search_page},
    {1162, sizeof(open_req), sizeof(int_rec)},  // result 0: opened
    {3109, sizeof(open_masks_req), sizeof(open_result_rec), -1, open_by_masks, 8103},
    {3502, sizeof(int_rec), sizeof(session_desc_rec), -1, session_description},
    {1153, sizeof(int_rec), sizeof(int_rec), -1, play_time},
    {1171, sizeof(jump_req), sizeof(int_rec)},  // result 0: done
    {1176, sizeof(transcode_req), sizeof(transcode_state_rec), -1, transcode_state},
    {1177, sizeof(transcode_query), sizeof(transcode_state_rec), -1, transcode_state},
    {3500, sizeof(stream_req), sizeof(stream_addr_rec), -1, stream_address},
    {3503, 0, sizeof(rtsp_addr_rec), -1, stream_addresses},
    {3506, 0, sizeof(ext_ports_rec)},  // no external ports
    {4011, 0, sizeof(int_rec)},        // not busy
    {3002, sizeof(int_rec), sizeof(picture_rec), -1, picture},
    {1173, sizeof(download_req), sizeof(download_piece), -1, download},
    // notices
    {1160, sizeof(session_list), -1},
    {1903, sizeof(int_rec), -1},
    {1164, sizeof(session_list), -1},
    {1165, sizeof(session_list), -1},
    {1170, sizeof(session_list), -1},
    {1113, sizeof(session_list), -1},
    {1112, sizeof(session_list), -1},
    {1166, sizeof(direction_req), -1},
    {1149, sizeof(speed_mask_req), -1},
    {1167, sizeof(speed_mask_req), -1},
    {1901, sizeof(stream_req), -1},
    {1902, 0, -1},
    {1205, sizeof(picture_req), -1},
    {1178, 0, -1},
};

}  // namespace

CORESIM_DEFAULTS("playback", rows);
