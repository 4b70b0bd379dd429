// Messages of the system module's service pages: the factory language
// command, the access filter, the diagnostic package and the alarm sound
// files, and the payloads that are not database records.
#pragma once

#include <cstddef>
#include <cstdint>

// clang-format off
inline constexpr int32_t msg_set_language = 4000;           // 4 bytes: the language number; no answer
inline constexpr int32_t msg_access_filter_changed = 1722;  // no payload; no answer
inline constexpr int32_t msg_diagnostic_collect = 3528;     // 64 bytes: the directory "/tmp"; answer 8528
inline constexpr int32_t msg_audio_list = 4012;             // no payload; answer 9012: audio file entries
inline constexpr int32_t msg_audio_add = 4013;              // 128 bytes: the encoded name; answer 9013 {int}
inline constexpr int32_t msg_audio_remove = 4014;           // 4 bytes: the id mask; answer 9014 {int}
inline constexpr int32_t msg_audio_rename = 4015;           // 136 bytes: an audio file entry; answer 9015 {int}
inline constexpr int32_t msg_audio_by_id = 4016;            // 4 bytes: one file's id; answer 9016 {int}
// clang-format on

inline constexpr int32_t msg_diagnostic_collect_reply = 8528;
inline constexpr int32_t msg_audio_list_reply = 9012;
inline constexpr int32_t msg_audio_add_reply = 9013;
inline constexpr int32_t msg_audio_remove_reply = 9014;
inline constexpr int32_t msg_audio_rename_reply = 9015;
inline constexpr int32_t msg_audio_by_id_reply = 9016;

// The directory the core daemon collects the diagnostic package into.
struct diagnostic_request {
    char dir[64];
};
static_assert(sizeof(diagnostic_request) == 64);

// The answer of 3528: a value, the result (negative: failed) and, from byte
// 8 to the end of the payload, the path of the package.
struct diagnostic_reply_head {
    int32_t value;
    int32_t result;
};
static_assert(sizeof(diagnostic_reply_head) == 8);
static_assert(offsetof(diagnostic_reply_head, result) == 4);
inline constexpr size_t diagnostic_name_at = 8;
// The name field the default answer fills (the answer may be longer).
inline constexpr size_t diagnostic_name_width = 128;

// The encoded name of an uploaded sound file.
struct audio_name_request {
    char name[128];
};
static_assert(sizeof(audio_name_request) == 128);
