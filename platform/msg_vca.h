// Core-daemon messages of the smart analytics events: the detection settings
// that the camera keeps (regions, lines, counting line, analysis boxes),
// read and written through the core daemon, which answers each request with
// its identifier + 5000. Shared by the events module and the simulated core
// daemon. Every field is an int32 unless shown.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/msg_event.h"

// ---- waiting requests (4 bytes: channel) and their answers ------------------
inline constexpr int32_t msg_vca_line_b = 1209;      // answer 6209: vca_line_b_record
inline constexpr int32_t msg_vca_analysis_b = 1211;  // answer 6211: vca_analysis_b_record
inline constexpr int32_t msg_vca_region_in = 3237;   // answer 8237: vca_region_record
inline constexpr int32_t msg_vca_region_out = 3238;  // answer 8238: vca_region_record
inline constexpr int32_t msg_vca_adv_motion = 3239;  // answer 8239: vca_region_record
inline constexpr int32_t msg_vca_tamper = 3240;      // answer 8240: vca_region_record
inline constexpr int32_t msg_vca_line = 3241;        // answer 8241: vca_line_record
inline constexpr int32_t msg_vca_loiter = 3242;      // answer 8242: vca_region_record
inline constexpr int32_t msg_vca_human = 3243;       // answer 8243: vca_region_record
inline constexpr int32_t msg_vca_people = 3253;      // answer 8253: vca_people_record
inline constexpr int32_t msg_vca_support = 3257;     // answer 8257: vca_support_record
// 3259, the analysis settings (answer 8259: vca_analysis_record), is
// msg_vca_analysis of msg_event.h.
inline constexpr int32_t msg_vca_object = 3268;   // answer 8268: vca_object_record
inline constexpr int32_t msg_vca_version = 3293;  // answer 8293: vca_version_record

// ---- waiting settings: the record; the answer's first int32 is 0 on success
inline constexpr int32_t msg_vca_line_b_set = 1210;      // vca_line_b_record
inline constexpr int32_t msg_vca_analysis_b_set = 1212;  // vca_analysis_b_record
inline constexpr int32_t msg_vca_region_in_set = 3244;   // vca_region_record
inline constexpr int32_t msg_vca_region_out_set = 3245;  // vca_region_record
inline constexpr int32_t msg_vca_adv_motion_set = 3246;  // vca_region_record
inline constexpr int32_t msg_vca_tamper_set = 3247;      // vca_region_record
inline constexpr int32_t msg_vca_line_set = 3248;        // vca_line_record
inline constexpr int32_t msg_vca_loiter_set = 3249;      // vca_region_record
inline constexpr int32_t msg_vca_human_set = 3250;       // vca_region_record
inline constexpr int32_t msg_vca_people_set = 3254;      // vca_people_record
inline constexpr int32_t msg_vca_analysis_set = 3260;    // vca_analysis_record
inline constexpr int32_t msg_vca_command = 3261;         // vca_command
inline constexpr int32_t msg_vca_object_set = 3269;      // vca_object_record

// The answer of a message.
inline constexpr int32_t vca_reply_id(int32_t msg_id) { return msg_id + 5000; }

// Region entrance/exit, advanced motion, tamper, loitering and human
// detection. Each uses the fields of its own event; the camera gives
// "region" and the polygons as texts of its own form.
struct vca_region_record {
    int32_t chnid;
    int32_t enable;
    uint8_t reserved[16];
    int32_t sensitivity;  // entrance/exit, advanced motion, tamper
    int32_t time;         // loitering: seconds of stay
    int32_t size;         // loitering
    int32_t tracks;       // human detection
    char region[300];
    int32_t ignore_time;  // advanced motion
    int32_t objtype;
    char polygon_x[64];
    char polygon_y[64];
};
static_assert(sizeof(vca_region_record) == 476);
static_assert(offsetof(vca_region_record, enable) == 4);
static_assert(offsetof(vca_region_record, sensitivity) == 24);
static_assert(offsetof(vca_region_record, time) == 28);
static_assert(offsetof(vca_region_record, size) == 32);
static_assert(offsetof(vca_region_record, tracks) == 36);
static_assert(offsetof(vca_region_record, region) == 40);
static_assert(offsetof(vca_region_record, ignore_time) == 340);
static_assert(offsetof(vca_region_record, objtype) == 344);
static_assert(offsetof(vca_region_record, polygon_x) == 348);
static_assert(offsetof(vca_region_record, polygon_y) == 412);

// Line crossing: four lines in the camera's analysis resolution.
struct vca_line {
    int32_t x1, y1, x2, y2;
    int32_t direction;
    int32_t reserved;
};
static_assert(sizeof(vca_line) == 24);
static_assert(offsetof(vca_line, direction) == 16);

struct vca_line_record {
    int32_t chnid;
    int32_t enable;
    int32_t width;  // the camera's analysis resolution
    int32_t height;
    vca_line lines[4];
    int32_t objtype;
};
static_assert(sizeof(vca_line_record) == 116);
static_assert(offsetof(vca_line_record, width) == 8);
static_assert(offsetof(vca_line_record, height) == 12);
static_assert(offsetof(vca_line_record, lines) == 16);
static_assert(offsetof(vca_line_record, objtype) == 112);

// People counting: the counting line and the on-screen counters.
struct vca_people_record {
    int32_t chnid;
    int32_t enable;
    int32_t width;
    int32_t height;
    int32_t x1, y1, x2, y2;  // the counting line
    int32_t osd;
    int32_t font_size;
    int32_t text;
    int32_t trigger_enable;
    int32_t trigger_by_in;
    int32_t in_thresholds;
    int32_t trigger_by_out;
    int32_t out_thresholds;
    int32_t trigger_by_sum;
    int32_t sum_thresholds;
};
static_assert(sizeof(vca_people_record) == 72);
static_assert(offsetof(vca_people_record, width) == 8);
static_assert(offsetof(vca_people_record, x1) == 16);
static_assert(offsetof(vca_people_record, osd) == 32);
static_assert(offsetof(vca_people_record, font_size) == 36);
static_assert(offsetof(vca_people_record, text) == 40);
static_assert(offsetof(vca_people_record, trigger_enable) == 44);
static_assert(offsetof(vca_people_record, sum_thresholds) == 68);

// An object box: position and size.
struct vca_box {
    int32_t x, y, width, height;
};
static_assert(sizeof(vca_box) == 16);

// Analysis settings: the smallest and the largest object the camera counts.
struct vca_analysis_record {
    int32_t chnid;
    int32_t vca_type;
    int32_t fps;
    int32_t mode;
    int32_t installation;
    int32_t analysis;
    int32_t width;
    int32_t height;
    vca_box min_box;
    vca_box max_box;
};
static_assert(sizeof(vca_analysis_record) == 64);
static_assert(offsetof(vca_analysis_record, vca_type) == 4);
static_assert(offsetof(vca_analysis_record, width) == 24);
static_assert(offsetof(vca_analysis_record, min_box) == 32);
static_assert(offsetof(vca_analysis_record, max_box) == 48);

// Object left / removed.
struct vca_object_record {
    int32_t chnid;
    int32_t sensitivity;
    int32_t left_enable;
    int32_t remove_enable;
    int32_t min_time;
    uint8_t reserved[16];
    char region[300];
    char polygon_x[64];
    char polygon_y[64];
};
static_assert(sizeof(vca_object_record) == 464);
static_assert(offsetof(vca_object_record, min_time) == 16);
static_assert(offsetof(vca_object_record, region) == 36);
static_assert(offsetof(vca_object_record, polygon_x) == 336);
static_assert(offsetof(vca_object_record, polygon_y) == 400);

// Whether the camera does smart analytics (8257): the first words of the
// per-channel feature-support record.
struct vca_support_record {
    int32_t chnid;
    int32_t support;
    int32_t type;
};
static_assert(sizeof(vca_support_record) == 12);

// The camera's analytics version (8293).
struct vca_version_record {
    int32_t chnid;
    int32_t vca_support;
    int32_t vca_version;
};
static_assert(sizeof(vca_version_record) == 12);

// A command to the camera's analytics (3261): the channel, then zeros.
struct vca_command {
    int32_t channel;
    int32_t reserved[2];
};
static_assert(sizeof(vca_command) == 12);

// ---- the second camera family -------------------------------------------------

// Line crossing B: each line has its own enable and object type.
struct vca_line_b {
    int32_t enable;
    int32_t x1, y1, x2, y2;
    int32_t direction;
    int32_t objtype;
};
static_assert(sizeof(vca_line_b) == 28);
static_assert(offsetof(vca_line_b, x1) == 4);
static_assert(offsetof(vca_line_b, direction) == 20);
static_assert(offsetof(vca_line_b, objtype) == 24);

struct vca_line_b_record {
    int32_t chnid;
    int32_t sensitivity;
    int32_t width;
    int32_t height;
    vca_line_b lines[4];
    int32_t reserved;
};
static_assert(sizeof(vca_line_b_record) == 132);
static_assert(offsetof(vca_line_b_record, width) == 8);
static_assert(offsetof(vca_line_b_record, lines) == 16);
static_assert(offsetof(vca_line_b_record, reserved) == 128);

// Analysis settings B: eight box sets, kept as columns (entry i of every
// column belongs to set i), in the camera's own units.
inline constexpr int vca_box_sets = 8;
struct vca_analysis_b_record {
    int32_t chnid;
    int32_t reserved;
    int32_t fps;
    int32_t mode;
    int32_t installation;
    int32_t analysis;
    int32_t width;
    int32_t height;
    int32_t min_start_x[vca_box_sets];
    int32_t min_start_y[vca_box_sets];
    int32_t min_width[vca_box_sets];
    int32_t min_height[vca_box_sets];
    int32_t max_start_x[vca_box_sets];
    int32_t max_start_y[vca_box_sets];
    int32_t max_width[vca_box_sets];
    int32_t max_height[vca_box_sets];
};
static_assert(sizeof(vca_analysis_b_record) == 288);
static_assert(offsetof(vca_analysis_b_record, fps) == 8);
static_assert(offsetof(vca_analysis_b_record, width) == 24);
static_assert(offsetof(vca_analysis_b_record, min_start_x) == 32);
static_assert(offsetof(vca_analysis_b_record, max_height) == 256);
