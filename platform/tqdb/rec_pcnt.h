// People counting and point of sale: the counting groups (display settings,
// stay-limit actions, periodic reports), the POS terminals with their alarm
// actions, the face-event actions of a channel and the actions of the
// regional counting regions of a camera. The action records of POS, face and
// regional counting use the 316-byte layout of rec_vca.h.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/tqdb/rec_vca.h"
#include "platform/tqdb/sched_store.h"
#include "platform/tqdb/tqdb.h"

// ---- counting groups ----------------------------------------------------------

inline constexpr int pcnt_groups = 9;  // group ids 0..8

struct pcnt_group_record {
    int32_t groupid;
    int32_t enable;
    int32_t stays;  // limit of people staying
    int32_t liveview_auto_reset;
    int32_t auto_day;  // daily reset
    int32_t liveview_font_size;
    char name[64];
    char auto_day_time[64];
    char tri_channels[65];  // '0'/'1' per channel: the group's cameras
    char green_tips[128];   // tip below the limit
    char red_tips[128];     // tip above the limit
    uint8_t reserved[7];
};
static_assert(sizeof(pcnt_group_record) == 480);
static_assert(offsetof(pcnt_group_record, name) == 24);
static_assert(offsetof(pcnt_group_record, auto_day_time) == 88);
static_assert(offsetof(pcnt_group_record, tri_channels) == 152);
static_assert(offsetof(pcnt_group_record, green_tips) == 217);
static_assert(offsetof(pcnt_group_record, red_tips) == 345);
static_assert(offsetof(pcnt_group_record, reserved) == 473);

// The stay-limit actions of a group: the fields of the shared action record
// without enable, trigger channels and the reserved word.
struct pcnt_group_event_record {
    int32_t groupid;
    int32_t tri_alarms;
    int32_t interval;
    int32_t email_interval;
    char tri_chn_alarms[2][65];
    uint8_t pad0[2];
    int32_t ptz_interval;
    int32_t alarmout_interval;
    int32_t white_interval;
    int32_t email_pic_enable;
    char tri_channels_pic[65];
    uint8_t pad1[3];
    int32_t audio_id;
};
static_assert(sizeof(pcnt_group_event_record) == 236);
static_assert(offsetof(pcnt_group_event_record, tri_chn_alarms) == 16);
static_assert(offsetof(pcnt_group_event_record, ptz_interval) == 148);
static_assert(offsetof(pcnt_group_event_record, tri_channels_pic) == 164);
static_assert(offsetof(pcnt_group_event_record, audio_id) == 232);

inline constexpr int pcnt_reports = 3;

struct pcnt_report_record {
    int32_t report_type;
    int32_t enable;
    char tri_channels[65];
    char tri_groups[17];  // up to 16 characters
    uint8_t pad0[2];
    int32_t stay_length_type;
    int32_t stay_length_value;
    int32_t backup_day;
    char backup_time[32];
    int32_t file_format;
    int32_t time_range;
    int32_t backup_to;
};
static_assert(sizeof(pcnt_report_record) == 148);
static_assert(offsetof(pcnt_report_record, tri_channels) == 8);
static_assert(offsetof(pcnt_report_record, tri_groups) == 73);
static_assert(offsetof(pcnt_report_record, stay_length_type) == 92);
static_assert(offsetof(pcnt_report_record, backup_time) == 104);
static_assert(offsetof(pcnt_report_record, file_format) == 136);
static_assert(offsetof(pcnt_report_record, backup_to) == 144);

extern const tqdb_table tqdb_tbl_peoplecnt_settings;  // 9 rows, key groupid
extern const tqdb_table tqdb_tbl_peoplecnt_event;     // key groupid

TQDB_ALL(peoplecnt_settings, pcnt_group_record, tqdb_tbl_peoplecnt_settings, pcnt_groups)
TQDB_KEYED(peoplecnt_event, pcnt_group_event_record, tqdb_tbl_peoplecnt_event)

// The three report records in record order, kept as one list: no field of
// a report is its slot (the type is the user's to change). A read of a
// list never written gives zeros and count 0 (the read itself never fails).
int read_peoplecnt_auto_backup(const char* path, pcnt_report_record* arr, int* count);
int write_peoplecnt_auto_backup(const char* path, const pcnt_report_record* arr, int count);

#define SCHED_PCNT_AUDIBLE "peoplecnt_audible_schedule"
#define SCHED_PCNT_EMAIL "peoplecnt_email_schedule"
#define SCHED_PCNT_PTZ "peoplecnt_ptz_schedule"
#define SCHED_PCNT_WLED "peoplecnt_wled_schedule"
TQDB_SCHEDULE(peoplecnt_audible_schedule, SCHED_PCNT_AUDIBLE)
TQDB_SCHEDULE(peoplecnt_email_schedule, SCHED_PCNT_EMAIL)
TQDB_SCHEDULE(peoplecnt_ptz_schedule, SCHED_PCNT_PTZ)
TQDB_SCHEDULE(peoplecnt_wled_schedule, SCHED_PCNT_WLED)

// ---- POS terminals ------------------------------------------------------------------

inline constexpr int pos_terminals = 16;  // ids 0..15

struct pos_record {
    int32_t id;
    int32_t enable;
    char name[36];  // up to 32 characters
    int32_t protocol;
    int32_t connection_mode;
    char ip[64];
    int32_t liveview_display;
    int32_t display_channel;
    int32_t start_x;
    int32_t start_y;
    int32_t area_width;
    int32_t area_height;
    int32_t character_encoding;
    int32_t font_size;
    int32_t font_color;
    int32_t overlay_mode;
    int32_t display_time;
    int32_t timeout;
    char privacy[3][64];
    int32_t port;
};
static_assert(sizeof(pos_record) == 360);
static_assert(offsetof(pos_record, name) == 8);
static_assert(offsetof(pos_record, protocol) == 44);
static_assert(offsetof(pos_record, ip) == 52);
static_assert(offsetof(pos_record, liveview_display) == 116);
static_assert(offsetof(pos_record, character_encoding) == 140);
static_assert(offsetof(pos_record, timeout) == 160);
static_assert(offsetof(pos_record, privacy) == 164);
static_assert(offsetof(pos_record, port) == 356);

extern const tqdb_table tqdb_tbl_pos;        // 16 rows, key id
extern const tqdb_table tqdb_tbl_pos_event;  // key: the record's chnid word (the POS id)
extern const tqdb_table tqdb_tbl_face_event;  // key: chnid

TQDB_ALL(pos_settings, pos_record, tqdb_tbl_pos, pos_terminals)
TQDB_KEYED(pos_setting, pos_record, tqdb_tbl_pos)
TQDB_KEYED(pos_event, event_action_record, tqdb_tbl_pos_event)
TQDB_KEYED(face_event, event_action_record, tqdb_tbl_face_event)

// POS schedules by type: 0 effective, 1 audible, 2 e-mail, 3 PTZ, 4 white light.
#define SCHED_POS_EFFECTIVE "pos_effective_schedule"
#define SCHED_POS_AUDIBLE "pos_audible_schedule"
#define SCHED_POS_EMAIL "pos_email_schedule"
#define SCHED_POS_PTZ "pos_ptz_schedule"
#define SCHED_POS_WHITE "pos_white_schedule"
int read_pos_schedule(const char* path, week_schedule* sched, int type, int id);
int write_pos_schedule(const char* path, const week_schedule* sched, int type, int id);

#define SCHED_FACE_EFFECTIVE "face_effective_schedule"
#define SCHED_FACE_AUDIBLE "face_audible_schedule"
#define SCHED_FACE_MAIL "face_mail_schedule"
#define SCHED_FACE_PTZ "face_ptz_schedule"
#define SCHED_FACE_WHITELED "face_whiteled_schedule"
TQDB_SCHEDULE(face_effective_schedule, SCHED_FACE_EFFECTIVE)
TQDB_SCHEDULE(face_audible_schedule, SCHED_FACE_AUDIBLE)
TQDB_SCHEDULE(face_mail_schedule, SCHED_FACE_MAIL)
TQDB_SCHEDULE(face_ptz_schedule, SCHED_FACE_PTZ)
TQDB_SCHEDULE(face_whiteled_schedule, SCHED_FACE_WHITELED)

// ---- regional people counting ----------------------------------------------------------

inline constexpr int pcnt_regions = 4;  // regions 0..3 of a camera

// One action table per region ("regional_pcnt_event0".."3"), key chnid.
extern const tqdb_table tqdb_tbl_regional_pcnt_event[pcnt_regions];

int read_regional_pcnt_event(const char* path, event_action_record* rec, int chn, int region);
int write_regional_pcnt_event(const char* path, const event_action_record* rec, int region);

// Schedules by type (1 audible, 2 e-mail, 3 PTZ, 4 white light), keyed
// (channel, region).
#define SCHED_RPCNT_AUDIBLE "regional_pcnt_audible_schedule"
#define SCHED_RPCNT_EMAIL "regional_pcnt_email_schedule"
#define SCHED_RPCNT_PTZ "regional_pcnt_ptz_schedule"
#define SCHED_RPCNT_WHITE "regional_pcnt_white_schedule"
int read_regional_pcnt_schedule(const char* path, week_schedule* sched, int type, int chn, int region);
int write_regional_pcnt_schedule(const char* path, const week_schedule* sched, int type, int chn,
                                 int region);
