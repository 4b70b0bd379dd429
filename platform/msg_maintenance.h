// Messages of the maintenance requests (restart, factory reset, recorder and
// camera firmware images) and their payloads, shared by the system module
// and the simulated core daemon.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/msg_camera_upgrade.h"

inline constexpr int32_t msg_restart = 1703;            // no payload, no answer
inline constexpr int32_t msg_upgrade_start = 1713;      // int32 reset flag; answer 6713 int32 result
inline constexpr int32_t msg_upgrade_info = 1715;       // no payload; answer 6715 upgrade_info[]
inline constexpr int32_t msg_image_download = 1716;     // image_fetch; answer 6716 int32
inline constexpr int32_t msg_image_state = 1717;        // no payload; answer 6717 int32
inline constexpr int32_t msg_upgrade_prepare = 1721;    // no payload, no answer
inline constexpr int32_t msg_factory_reset = 3311;      // factory_reset
inline constexpr int32_t msg_factory_apply = 3410;      // no payload, no answer
inline constexpr int32_t msg_cam_upgrade = 3350;        // cam_upgrade; answer 8350 cam_upgrade_state[]
inline constexpr int32_t msg_cam_image_drop = 3351;     // no payload, no answer
inline constexpr int32_t msg_cam_upgrade_check = 3365;  // uint64 mask; answer 8365 upgrade_check_record[]

inline constexpr int32_t msg_upgrade_start_reply = 6713;
inline constexpr int32_t msg_upgrade_info_reply = 6715;
inline constexpr int32_t msg_image_download_reply = 6716;
inline constexpr int32_t msg_image_state_reply = 6717;
inline constexpr int32_t msg_cam_upgrade_reply = 8350;
inline constexpr int32_t msg_cam_upgrade_check_reply = 8365;

// The fixed place of the recorder image (the web server or the core daemon
// puts it there; the camera image's is CAMERA_IMAGE_PATH).
#define RECORDER_IMAGE_PATH "/dev/shm/updateFM.bin"

// Operation-log entries of the maintenance requests: sub types with the
// parameter type they share.
inline constexpr int64_t oplog_restart = 200;
inline constexpr int64_t oplog_upgrade = 203;
inline constexpr int64_t oplog_profile_export = 213;
inline constexpr int64_t oplog_profile_import = 214;
inline constexpr int64_t oplog_factory_reset = 215;
inline constexpr int32_t oplog_maintenance_param = 900;

// Payload of 3311: what a factory reset keeps.
struct factory_reset {
    int32_t keep_ip;
    int32_t keep_user;
};
static_assert(sizeof(factory_reset) == 8);

// Payload of 1716: where the core fetches an image from and where it puts it.
struct image_fetch {
    char url[128];
    char target[128];
};
static_assert(sizeof(image_fetch) == 256);
static_assert(offsetof(image_fetch, target) == 128);

// Payload of 3350: upgrade the cameras from the camera image.
struct cam_upgrade {
    int32_t chnid;
    int32_t reset;
    char path[256];
};
static_assert(sizeof(cam_upgrade) == 264);
static_assert(offsetof(cam_upgrade, path) == 8);

// A record of answer 8350.
struct cam_upgrade_state {
    int32_t channel;
    int32_t status;
};
static_assert(sizeof(cam_upgrade_state) == 8);

// One upgrade information record: a record of answer 6715, and each of the
// 64 entries of an 8365 record.
struct upgrade_info {
    int32_t state;
    int32_t file_size;
    char softversion[64];
    char url[128];
    char description[128];
};
static_assert(sizeof(upgrade_info) == 328);
static_assert(offsetof(upgrade_info, file_size) == 4);
static_assert(offsetof(upgrade_info, softversion) == 8);
static_assert(offsetof(upgrade_info, url) == 72);
static_assert(offsetof(upgrade_info, description) == 200);

// A record of answer 8365: the upgrade information of every channel.
struct upgrade_check_record {
    upgrade_info channel[64];
};
static_assert(sizeof(upgrade_check_record) == 20992);
