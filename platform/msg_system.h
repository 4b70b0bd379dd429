// Messages of the system module (login, users, wizard), by their
// identifiers, and the payloads that are not database records.
#pragma once

#include <cstdint>

inline constexpr int32_t msg_session_check = 3504;  // 256 bytes: the request text; answer 8504 {int verdict}
inline constexpr int32_t msg_users_changed = 3505;  // no payload, or 4 bytes: the account's id

inline constexpr int32_t msg_session_check_reply = 8504;

// The session check's text, at most 255 characters and zero-padded.
struct session_check_request {
    char text[256];
};
static_assert(sizeof(session_check_request) == 256);

// Notices the wizard sends that pages of other modules send as well (the
// cameras and the recording settings); the payload is the channel.
inline constexpr int32_t msg_wizard_camera_enabled = 1201;
inline constexpr int32_t msg_wizard_camera_disabled = 1202;
inline constexpr int32_t msg_wizard_record_mode = 1407;
