// Core-daemon messages of the alarm contacts (recorder outputs, camera alarm
// inputs and outputs), shared by the alarm module and the simulated core.
// The recorder inputs' notices (1404, 1415) are the event messages'.
#pragma once

#include <cstddef>
#include <cstdint>

// ---- notices (no answer) ---------------------------------------------------
inline constexpr int32_t msg_alarmout_changed = 1405;      // 4 bytes: output id
inline constexpr int32_t msg_alarmout_switch = 1409;       // alarm_out_switch
inline constexpr int32_t msg_cam_alarmin_changed = 1417;   // 8 bytes: channel mask
inline constexpr int32_t msg_cam_alarmout_changed = 1418;  // 8 bytes: channel mask
inline constexpr int32_t msg_cam_alarmout_set = 3324;      // cam_alarm_out_msg
inline constexpr int32_t msg_cam_alarmin_set = 3325;       // cam_alarm_in_msg
inline constexpr int32_t msg_cam_alarmout_switch = 3352;   // cam_alarm_out_switch

// ---- waiting requests (4 bytes: channel) -------------------------------------
inline constexpr int32_t msg_cam_alarmout_state = 3296;    // answer 8296 cam_alarm_out_state
inline constexpr int32_t msg_cam_alarmin_state = 3298;     // answer 8298 cam_alarm_in_state

inline constexpr int32_t msg_cam_alarmout_state_reply = 8296;
inline constexpr int32_t msg_cam_alarmin_state_reply = 8298;

// A recorder output switched by hand (1409).
struct alarm_out_switch {
    int32_t id;
    int32_t enable;
};
static_assert(sizeof(alarm_out_switch) == 8);

// A camera alarm output switched by hand (3352).
struct cam_alarm_out_switch {
    int32_t chnid;
    int32_t alarm_id;
    int32_t state;
};
static_assert(sizeof(cam_alarm_out_switch) == 12);

// The camera's alarm inputs as set (3325): entries below alarm_cnt (at most
// 2) filled, for the channels of mask.
struct cam_alarm_in_msg {
    struct entry {
        int32_t zero;
        int32_t alarm_enable;
        int32_t index;
        int32_t alarm_type;
    } entries[2];
    int32_t alarm_cnt;
    uint8_t zero[4];
    uint64_t mask;
};
static_assert(sizeof(cam_alarm_in_msg::entry) == 16);
static_assert(sizeof(cam_alarm_in_msg) == 48);
static_assert(offsetof(cam_alarm_in_msg, alarm_cnt) == 32);
static_assert(offsetof(cam_alarm_in_msg, mask) == 40);

// The camera's alarm outputs as set (3324).
struct cam_alarm_out_msg {
    struct entry {
        int32_t zero;
        int32_t index;
        int32_t alarm_type;
    } entries[2];
    int32_t alarm_cnt;
    uint8_t zero[4];
    uint64_t mask;
};
static_assert(sizeof(cam_alarm_out_msg::entry) == 12);
static_assert(sizeof(cam_alarm_out_msg) == 40);
static_assert(offsetof(cam_alarm_out_msg, alarm_cnt) == 24);
static_assert(offsetof(cam_alarm_out_msg, mask) == 32);

// A camera's alarm inputs as the camera reports them (answer 8298).
struct cam_alarm_in_state {
    int32_t chnid;
    int32_t alarm_enable[2];
    int32_t alarm_type[2];
    int32_t alarm_status[2];
    int32_t alarm_cnt;
};
static_assert(sizeof(cam_alarm_in_state) == 32);
static_assert(offsetof(cam_alarm_in_state, alarm_type) == 12);
static_assert(offsetof(cam_alarm_in_state, alarm_status) == 20);
static_assert(offsetof(cam_alarm_in_state, alarm_cnt) == 28);

// A camera's alarm outputs as the camera reports them (answer 8296).
struct cam_alarm_out_state {
    int32_t chnid;
    int32_t alarm_type[2];
    int32_t alarm_status[2];
    int32_t alarm_cnt;
};
static_assert(sizeof(cam_alarm_out_state) == 24);
static_assert(offsetof(cam_alarm_out_state, alarm_status) == 12);
static_assert(offsetof(cam_alarm_out_state, alarm_cnt) == 20);
