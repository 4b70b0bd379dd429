// Core-daemon message records of PTZ control: commands, tours, the PTZ
// overview and the PTZ status. Shared by the PTZ module and the simulated
// core daemon.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr int32_t msg_ptz_move = 1251;            // ptz_command, notice
inline constexpr int32_t msg_ptz_port = 1252;            // int32 channel: its serial settings changed, notice
inline constexpr int32_t msg_ptz_preset = 1253;          // ptz_command, notice
inline constexpr int32_t msg_ptz_tour_run = 1254;        // ptz_command {chn, action, tour}, notice
inline constexpr int32_t msg_ptz_tour_clear = 1257;      // ptz_tour_command, notice
inline constexpr int32_t msg_ptz_tour_a = 1260;          // ptz_tour_command, notice ("/5002")
inline constexpr int32_t msg_ptz_tour_b = 1261;          // ptz_tour_command, notice ("/5003")
inline constexpr int32_t msg_ptz_tour_store = 1264;      // ptz_tour_store, notice
inline constexpr int32_t msg_ptz_overview = 1265;        // int32 channel -> 6265 ptz_overview
inline constexpr int32_t msg_ptz_channel_action = 1266;  // ptz_channel_action, notice
inline constexpr int32_t msg_ptz_zoom = 1267;            // ptz_zoom, notice
inline constexpr int32_t msg_ptz_overview_fish = 1268;   // ptz_overview_fish_req -> 6268 ptz_overview
inline constexpr int32_t msg_ptz_tour_send = 1269;       // ptz_tour_send, notice
inline constexpr int32_t msg_ptz_status = 1270;          // int32 channel -> 6270 ptz_status
inline constexpr int32_t msg_ptz_status_set = 1271;      // ptz_status -> 6271 int32 result
inline constexpr int32_t msg_ptz_cmd_word = 3361;        // ptz_cmd_word -> 8361 int32 result
inline constexpr int32_t msg_ptz_state = 3363;           // int32 channel -> 8363 ptz_state_reply

inline constexpr int32_t msg_ptz_overview_reply = 6265;
inline constexpr int32_t msg_ptz_overview_fish_reply = 6268;
inline constexpr int32_t msg_ptz_status_reply = 6270;
inline constexpr int32_t msg_ptz_status_set_reply = 6271;
inline constexpr int32_t msg_ptz_cmd_word_reply = 8361;
inline constexpr int32_t msg_ptz_state_reply = 8363;

inline constexpr int ptz_tours = 8;          // tour numbers 1..8 in requests
inline constexpr int ptz_tour_points = 48;
inline constexpr int ptz_presets = 300;

// A PTZ command (1251, 1253, 1254).
struct ptz_command {
    int32_t channel;
    int32_t action;       // the core daemon's PTZ action code
    int32_t preset;       // preset number; the tour number for 1254
    int32_t pan_speed;
    int32_t tilt_speed;
    int32_t zoom_speed;
    int32_t focus_speed;
    int32_t reserved;
    char name[32];        // preset name, at most 30 characters
    int32_t fisheye_type;
    int32_t stream_id;
};
static_assert(sizeof(ptz_command) == 72);
static_assert(offsetof(ptz_command, action) == 4);
static_assert(offsetof(ptz_command, preset) == 8);
static_assert(offsetof(ptz_command, pan_speed) == 12);
static_assert(offsetof(ptz_command, focus_speed) == 24);
static_assert(offsetof(ptz_command, reserved) == 28);
static_assert(offsetof(ptz_command, name) == 32);
static_assert(offsetof(ptz_command, fisheye_type) == 64);
static_assert(offsetof(ptz_command, stream_id) == 68);

// A tour command (1257, 1260, 1261).
struct ptz_tour_command {
    int32_t channel;
    int32_t tour;
    int32_t reserved[4];
    int32_t fisheye_type;
    int32_t stream_id;
};
static_assert(sizeof(ptz_tour_command) == 32);
static_assert(offsetof(ptz_tour_command, tour) == 4);
static_assert(offsetof(ptz_tour_command, fisheye_type) == 24);
static_assert(offsetof(ptz_tour_command, stream_id) == 28);

// One point of a tour as the database and message 1264 keep it.
struct ptz_tour_point {
    int32_t preset;
    int32_t time;
    int32_t speed;
};
static_assert(sizeof(ptz_tour_point) == 12);
static_assert(offsetof(ptz_tour_point, time) == 4);
static_assert(offsetof(ptz_tour_point, speed) == 8);

// Message 1264: one stored tour.
struct ptz_tour_store {
    int32_t channel;
    int32_t tour;         // 1..8
    int32_t row_count;    // points the request gave
    ptz_tour_point points[ptz_tour_points];
};
static_assert(sizeof(ptz_tour_store) == 588);
static_assert(offsetof(ptz_tour_store, row_count) == 8);
static_assert(offsetof(ptz_tour_store, points) == 12);

// A tour as messages 1269 and answers 6265/6268 carry it: three arrays.
struct ptz_tour_arrays {
    int32_t preset[ptz_tour_points];
    int32_t time[ptz_tour_points];   // dwell time ("timeout" in the overview)
    int32_t speed[ptz_tour_points];
};
static_assert(sizeof(ptz_tour_arrays) == 576);
static_assert(offsetof(ptz_tour_arrays, time) == 192);
static_assert(offsetof(ptz_tour_arrays, speed) == 384);

// Message 1269: a tour sent to the camera without being stored.
struct ptz_tour_send {
    int32_t channel;
    int32_t stream_id;
    int32_t tour_index;   // tour number - 1
    ptz_tour_arrays tours[ptz_tours];
};
static_assert(sizeof(ptz_tour_send) == 4620);
static_assert(offsetof(ptz_tour_send, tour_index) == 8);
static_assert(offsetof(ptz_tour_send, tours) == 12);

// Message 1268: the overview of a fisheye stream.
struct ptz_overview_fish_req {
    int32_t channel;
    int32_t stream_id;
};
static_assert(sizeof(ptz_overview_fish_req) == 8);

struct ptz_preset_entry {
    int32_t enable;
    char name[32];
};
static_assert(sizeof(ptz_preset_entry) == 36);

// Answers 6265 and 6268: presets, tours, patterns and run states.
struct ptz_overview {
    ptz_preset_entry presets[ptz_presets];
    ptz_tour_arrays tours[ptz_tours];
    int32_t pattern_enable[4];
    int32_t tour_status[5][8];
    int32_t autoscan_status[5];
};
static_assert(sizeof(ptz_overview) == 15604);
static_assert(offsetof(ptz_overview, tours) == 10800);
static_assert(offsetof(ptz_overview, pattern_enable) == 15408);
static_assert(offsetof(ptz_overview, tour_status) == 15424);
static_assert(offsetof(ptz_overview, autoscan_status) == 15584);

// Message 1266.
struct ptz_channel_action {
    int32_t channel;
    int32_t action;
};
static_assert(sizeof(ptz_channel_action) == 8);

// Message 1267.
struct ptz_zoom {
    int32_t channel;
    int32_t zoom;
    int32_t zoom_speed;
};
static_assert(sizeof(ptz_zoom) == 12);

// Message 3361.
struct ptz_cmd_word {
    int32_t channel;
    int32_t command;
};
static_assert(sizeof(ptz_cmd_word) == 8);

// Answer 8363.
struct ptz_state_reply {
    int32_t channel;
    int32_t status;
};
static_assert(sizeof(ptz_state_reply) == 8);

// The PTZ status of a channel (answer 6270, message 1271).
struct ptz_status {
    int32_t status;
    int32_t channel;
    int32_t zoom_status;
    int32_t pan_tilt_status;
    int32_t preset_status;
    int32_t patrol_status;
    int32_t pattern_status;
    int32_t auto_scan_status;
    int32_t preset_freezing;
    int32_t preset_speed;
    int32_t manual_speed;
    int32_t patrol_recovering;
    int32_t patrol_recovery_time;
    int32_t focus_mode;
    int32_t min_focus_distance;
    int32_t resume_time;
    int32_t fan_working_mode;
    char channel_mask[65];   // 64 '0'/'1', character n for channel n
    uint8_t pad[3];
};
static_assert(sizeof(ptz_status) == 136);
static_assert(offsetof(ptz_status, channel) == 4);
static_assert(offsetof(ptz_status, zoom_status) == 8);
static_assert(offsetof(ptz_status, fan_working_mode) == 64);
static_assert(offsetof(ptz_status, channel_mask) == 68);
static_assert(offsetof(ptz_status, pad) == 133);
