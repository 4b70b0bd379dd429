// Messages of the camera firmware upgrade and their payloads, shared by the
// camera module and the simulated core daemon. Channel sets are 64-bit
// masks, bit n for channel n, little-endian.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr int32_t msg_cam_fw_url = 3379;       // cam_fw_url_start; answer 8379 cam_fw_job_state
inline constexpr int32_t msg_cam_fw_upload = 3385;    // cam_fw_upload_start; answer 8385 int32
inline constexpr int32_t msg_cam_fw_progress = 3386;  // no payload; answer 8386 cam_fw_job_state
inline constexpr int32_t msg_cam_fw_stop = 3390;      // int32 stop flag, no answer

// Where the camera image is kept (the upload, or the core's fetch of a URL).
#define CAMERA_IMAGE_PATH "/dev/shm/updateIPCFM.bin"

inline constexpr int32_t msg_cam_fw_url_reply = 8379;
inline constexpr int32_t msg_cam_fw_upload_reply = 8385;
inline constexpr int32_t msg_cam_fw_progress_reply = 8386;

// Payload of 3385: start from the uploaded image.
struct cam_fw_upload_start {
    uint64_t channels;
    uint64_t keep;  // the complement of the reset mask: channels that keep their settings
    int32_t file_size;
    char zero[260];
};
static_assert(sizeof(cam_fw_upload_start) == 280);
static_assert(offsetof(cam_fw_upload_start, keep) == 8);
static_assert(offsetof(cam_fw_upload_start, file_size) == 16);

// Payload of 3379: start from an image the core fetches into the camera
// image file.
struct cam_fw_url_start {
    uint64_t channels;
    uint64_t reset;
    int32_t zero;
    char url[128];
    char target[132];
};
static_assert(sizeof(cam_fw_url_start) == 280);
static_assert(offsetof(cam_fw_url_start, reset) == 8);
static_assert(offsetof(cam_fw_url_start, url) == 20);
static_assert(offsetof(cam_fw_url_start, target) == 148);

// Answers 8379 and 8386: the channels in the job and each channel's status.
struct cam_fw_job_state {
    uint64_t channels;
    int32_t status[64];
};
static_assert(sizeof(cam_fw_job_state) == 264);
static_assert(offsetof(cam_fw_job_state, status) == 8);
