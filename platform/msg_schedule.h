// Messages of the recording-schedule module, by their identifiers, and
// their payloads. The simulated core daemon builds its default replies from
// the same records.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr int32_t msg_record_settings = 1310;      // record_settings_msg
inline constexpr int32_t msg_holiday_changed = 1401;      // no payload
inline constexpr int32_t msg_record_mode_channel = 1407;  // int32 channel
inline constexpr int32_t msg_record_schedule = 1411;      // chn_mask_msg
inline constexpr int32_t msg_record_mode = 1413;          // chn_mask_msg
inline constexpr int32_t msg_anr_switch = 2285;           // anr_switch_msg; answer anr_switch_reply
inline constexpr int32_t msg_anr_support = 2286;          // int32 channel; answer anr_support_reply
inline constexpr int32_t msg_record_streams = 3218;       // no payload; answer record_streams_reply

inline constexpr int32_t msg_anr_switch_reply = 7285;
inline constexpr int32_t msg_anr_support_reply = 7286;
inline constexpr int32_t msg_record_streams_reply = 8218;

// 1411, 1413: a 64-bit channel mask, bit n for channel n, low word first.
struct chn_mask_msg {
    uint32_t low;
    uint32_t high;
};
static_assert(sizeof(chn_mask_msg) == 8);
static_assert(offsetof(chn_mask_msg, high) == 4);

inline chn_mask_msg chn_mask_msg_of(uint64_t mask) {
    return {static_cast<uint32_t>(mask), static_cast<uint32_t>(mask >> 32)};
}

// 1310: the channels whose recording settings changed.
struct record_settings_msg {
    int32_t chn[64];
    int32_t count;
};
static_assert(sizeof(record_settings_msg) == 260);
static_assert(offsetof(record_settings_msg, count) == 256);

// 2285: switch ANR of the listed cameras.
struct anr_switch_msg {
    int32_t chn[64];
    int32_t count;
    int32_t anr;
};
static_assert(sizeof(anr_switch_msg) == 264);
static_assert(offsetof(anr_switch_msg, count) == 256);
static_assert(offsetof(anr_switch_msg, anr) == 260);

// 7285: the outcome per camera (result 0 = switched).
struct anr_switch_reply {
    int32_t chn[64];
    int32_t result[64];
    int32_t count;
    int32_t anr;
};
static_assert(sizeof(anr_switch_reply) == 520);
static_assert(offsetof(anr_switch_reply, result) == 256);
static_assert(offsetof(anr_switch_reply, count) == 512);
static_assert(offsetof(anr_switch_reply, anr) == 516);

// 7286: whether the channel's camera supports ANR (request 2286: int32 channel).
struct anr_support_reply {
    int32_t chn;
    int32_t support;
};
static_assert(sizeof(anr_support_reply) == 8);
static_assert(offsetof(anr_support_reply, support) == 4);

// 8218: the recording streams (request 3218: no payload).
struct record_streams_reply {
    int32_t primary[64];
    int32_t secondary[64];
    int32_t size;
};
static_assert(sizeof(record_streams_reply) == 516);
static_assert(offsetof(record_streams_reply, secondary) == 256);
static_assert(offsetof(record_streams_reply, size) == 512);
