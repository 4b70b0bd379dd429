// Core-daemon message records of a camera's image: colour, exposure,
// day/night switching and infrared, the day/night time table, regions of
// interest and the camera's week schedules of image profiles. Shared by the
// camera module and the simulated core daemon.
//
// Most set messages start with int32 channels[64]: the channels that take
// the settings, listed first, the remaining places -1 (0 for the regions).
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/tqdb/rec_schedule.h"

inline constexpr int32_t msg_night_mode_get = 1219;     // int32 channel -> 6219 night_mode
inline constexpr int32_t msg_image_get = 3221;          // int32 channel -> 8221 image_reply
inline constexpr int32_t msg_daynight_get = 3223;       // int32 channel -> 8223 daynight_record
inline constexpr int32_t msg_daynight_set = 3224;       // daynight_record -> 8224 int32 result
inline constexpr int32_t msg_roi_get = 3271;            // int32 channel -> 8271 roi_reply
inline constexpr int32_t msg_image_sched1_get = 3273;   // int32 channel -> 8273 image_sched_reply
inline constexpr int32_t msg_exposure_sched_get = 3275; // int32 channel -> 8275 exposure_sched_reply
inline constexpr int32_t msg_image_sched3_get = 3277;   // int32 channel -> 8277 image_sched_reply
inline constexpr int32_t msg_time_table_get = 3278;     // int32 channel -> 8278 time_table
inline constexpr int32_t msg_time_table_set = 3279;     // time_table_set, no answer
inline constexpr int32_t msg_image_set = 3280;          // image_set, no answer
inline constexpr int32_t msg_image_sched1_set = 3281;   // image_sched_set, no answer
inline constexpr int32_t msg_exposure_sched_set = 3282; // exposure_sched_set, no answer
inline constexpr int32_t msg_image_sched3_set = 3283;   // image_sched_set, no answer
inline constexpr int32_t msg_roi_area_clear = 3284;     // roi_area_ref, no answer
inline constexpr int32_t msg_roi_set = 3288;            // roi_set, no answer

inline constexpr int32_t msg_night_mode_reply = 6219;
inline constexpr int32_t msg_image_reply = 8221;
inline constexpr int32_t msg_daynight_reply = 8223;
inline constexpr int32_t msg_daynight_set_reply = 8224;
inline constexpr int32_t msg_roi_reply = 8271;
inline constexpr int32_t msg_image_sched1_reply = 8273;
inline constexpr int32_t msg_exposure_sched_reply = 8275;
inline constexpr int32_t msg_image_sched3_reply = 8277;
inline constexpr int32_t msg_time_table_reply = 8278;

// ---- image ------------------------------------------------------------------------

// The image block (224 bytes). A get answers the region text with 68 bytes
// (over model_type); a set sends at most 63 characters and the model type.
struct image_block {
    int32_t smartir;
    int32_t white_balance;
    int32_t focus_mode;
    int32_t anti_blurry;
    int32_t wdr_enable;
    int32_t wdr_level;
    int32_t wdr_start_hour;
    int32_t wdr_start_minute;
    int32_t wdr_stop_hour;
    int32_t wdr_stop_minute;
    int32_t region_type;
    int32_t hlc_mode;
    int32_t exclude;
    int32_t expose_mode;
    char expose_region[64];
    int32_t model_type;
    int32_t image_scheme_mode;
    int32_t hlc_day;
    int32_t hlc_night;
    int32_t red_gain;
    int32_t blue_gain;
    int32_t defog_mode;
    int32_t defog_level;
    int32_t dis_mode;  // reported only
    int32_t expose_time;
    int32_t expose_gain;
    int32_t af_level;
    int32_t hlc_level;
    int32_t exposure_ctrl;  // reported only
    int32_t en_blur;
    int32_t de_blur;
    char sdk_version[32];  // reported only
    int32_t lens_type;
    int32_t reduce_video_stuttering;
};
static_assert(sizeof(image_block) == 224);
static_assert(offsetof(image_block, expose_region) == 56);
static_assert(offsetof(image_block, model_type) == 120);
static_assert(offsetof(image_block, dis_mode) == 152);
static_assert(offsetof(image_block, af_level) == 164);
static_assert(offsetof(image_block, exposure_ctrl) == 172);
static_assert(offsetof(image_block, sdk_version) == 184);
static_assert(offsetof(image_block, lens_type) == 216);

// Answer 8221.
struct image_reply {
    int32_t channel;
    image_block image;
};
static_assert(sizeof(image_reply) == 228);

// Request 3280 (480 bytes).
struct image_set {
    int32_t channels[64];
    image_block image;
};
static_assert(sizeof(image_set) == 480);

// ---- day/night ----------------------------------------------------------------------

// Answer 8223 and request 3224 (320 bytes): the channel and the day/night
// block. Texts and the reported-only words travel as zeros in a set.
struct daynight_record {
    int32_t channel;
    int32_t color_killer;
    int32_t mode_start_hour;
    int32_t mode_start_minute;
    int32_t mode_stop_hour;
    int32_t mode_stop_minute;
    int32_t exposure_ctrl;
    int32_t light_type;
    int32_t mir_ctrl;
    int32_t local_display;
    int32_t ircut_day_to_night;
    int32_t ircut_night_to_day;
    int32_t corridor_mode;
    int32_t image_rotation;
    int32_t save_corridor;  // set only
    int32_t reserved0;
    int32_t smart_ir_type;
    int32_t near_ir_level;
    int32_t far_ir_level;
    int32_t mid_ir_level;
    int32_t len_correct;
    int32_t smart_ir_math;
    int32_t smart_ir_limit;
    char chip_interface[64];
    int32_t near_smartir_value;
    int32_t far_smartir_value;
    int32_t mid_smartir_value;
    int32_t len_correct_type;
    int32_t fov_adjust;
    char sensor_type[16];
    char product_model[32];
    char soft_version[32];
    int32_t smoked_dome_cover;
    int32_t white_led_level;
    int32_t dn_refocus;
    char sdk_version[32];
    int32_t structure_type;
    int32_t keep_aspect_ratio;
    int32_t day_night_sens;
    int32_t night_day_sens;
    int32_t zoom_limit;
};
static_assert(sizeof(daynight_record) == 320);
static_assert(offsetof(daynight_record, save_corridor) == 4 + 52);
static_assert(offsetof(daynight_record, smart_ir_type) == 4 + 60);
static_assert(offsetof(daynight_record, chip_interface) == 4 + 88);
static_assert(offsetof(daynight_record, fov_adjust) == 4 + 168);
static_assert(offsetof(daynight_record, sensor_type) == 4 + 172);
static_assert(offsetof(daynight_record, soft_version) == 4 + 220);
static_assert(offsetof(daynight_record, white_led_level) == 4 + 256);
static_assert(offsetof(daynight_record, sdk_version) == 4 + 264);
static_assert(offsetof(daynight_record, zoom_limit) == 4 + 312);

// ---- day/night time table ------------------------------------------------------------

inline constexpr int time_table_entries = 7;

// One entry (56 bytes); a set changes only the entries with marker 1.
struct time_entry {
    int32_t set_marker;
    int32_t enable;
    int32_t start_hour;
    int32_t start_minute;
    int32_t end_hour;
    int32_t end_minute;
    int32_t exposure_level;
    int32_t min_shutter;
    int32_t max_shutter;
    int32_t gain_level;
    int32_t ircut_latency;
    int32_t ircut_state;
    int32_t irled_state;
    int32_t color_mode;
};
static_assert(sizeof(time_entry) == 56);

// Answer 8278.
struct time_table {
    time_entry entries[time_table_entries];
};
static_assert(sizeof(time_table) == 392);

// Request 3279.
struct time_table_set {
    int32_t channel;
    time_entry entries[time_table_entries];
};
static_assert(sizeof(time_table_set) == 396);

// ---- regions of interest ----------------------------------------------------------------

inline constexpr int roi_areas = 16;

struct roi_area {
    int32_t enable;
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};
static_assert(sizeof(roi_area) == 20);

// Answer 8271 (364 bytes).
struct roi_reply {
    int32_t channel;
    int32_t enable;
    int32_t reserved;
    char sdk_version[32];
    roi_area areas[roi_areas];
};
static_assert(sizeof(roi_reply) == 364);
static_assert(offsetof(roi_reply, areas) == 44);

// Request 3288 (584 bytes): the listed channels first, the rest 0.
struct roi_set {
    int32_t channels[64];
    int32_t enable;
    int32_t count;
    roi_area areas[roi_areas];
};
static_assert(sizeof(roi_set) == 584);

// Request 3284.
struct roi_area_ref {
    int32_t channel;
    int32_t area;
};
static_assert(sizeof(roi_area_ref) == 8);

// ---- week schedules ---------------------------------------------------------------------

// Answers 8273 and 8277.
struct image_sched_reply {
    int32_t channel;
    week_schedule week;
};
static_assert(sizeof(image_sched_reply) == 26180);

// Requests 3281 and 3283: the day blocks cut at the message's length.
struct image_sched_set {
    int32_t channels[64];
    char days[26180 - 256];
};
static_assert(sizeof(image_sched_set) == 26180);

// A slot of the exposure schedule (76 bytes); a day holds 48 of them and no
// whole-day words.
struct exposure_slot {
    char start_time[32];
    char end_time[32];
    int32_t action_type;
    int32_t exposure_time;
    int32_t gain_level;
};
static_assert(sizeof(exposure_slot) == 76);

struct exposure_day {
    exposure_slot slots[SCHED_SLOTS_PER_DAY];
};
static_assert(sizeof(exposure_day) == 3648);

struct exposure_week {
    exposure_day days[SCHED_DAYS];
};
static_assert(sizeof(exposure_week) == 29184);

// Answer 8275.
struct exposure_sched_reply {
    int32_t channel;
    exposure_week week;
};
static_assert(sizeof(exposure_sched_reply) == 29188);

// Request 3282.
struct exposure_sched_set {
    int32_t channels[64];
    char days[29188 - 256];
};
static_assert(sizeof(exposure_sched_set) == 29188);

// ---- night mode ----------------------------------------------------------------------------

// Answer 6219.
struct night_mode {
    int32_t channel;
    int32_t night_mode;
};
static_assert(sizeof(night_mode) == 8);
