// The smart analytics events as data: the nine events as sources of the
// event action model, and one row per camera record (its messages, its
// members in reply order, its geometry and what its setter does with the
// event's action record).
#include <cstddef>

#include "modules/event/vca.h"
#include "platform/msg_vca.h"
#include "platform/tqdb/rec_vca.h"

namespace {

// ---- the action record ----------------------------------------------------------

using ea = event_action_record;
const field action_fields[] = {
    FM_INT(ea, "chnid", chnid),
    FM_INT(ea, "enable", enable).action(),
    FM_CHANNELS(ea, "triChannels", tri_channels, tri_channels_mask).action(),
    FM_INT(ea, "triAlarms", tri_alarms).action(),
    FM_INT(ea, "interval", interval).action(),
    FM_INT(ea, "email_interval", email_interval).action(),
    FM_PAIR(ea, "triChnAlarms", tri_chn_alarms).action(),
    FM_INT(ea, "ptz_interval", ptz_interval).action(),
    FM_INT(ea, "alarmout_interval", alarmout_interval).action(),
    FM_INT(ea, "white_interval", white_interval).action(),
    FM_INT(ea, "email_pic_enable", email_pic_enable).action(),
    FM_TEXT(ea, "tri_channels_pic", tri_channels_pic).action(),
    FM_INT(ea, "audioId", audio_id).action(),
};

// ---- camera records: members in reply order ---------------------------------------
// Texts are cut to their fields (region 299 characters, polygons 63).

using rr = vca_region_record;
#define REGION_TEXT FM_TEXT(rr, "region", region)
#define POLYGONS FM_TEXT(rr, "polygonX", polygon_x), FM_TEXT(rr, "polygonY", polygon_y)
const field region_fields[] = {
    REGION_TEXT,
    FM_INT(rr, "enable", enable),
    FM_INT(rr, "sensitivity", sensitivity),
    FM_INT(rr, "objtype", objtype),
    POLYGONS,
};
const field adv_motion_fields[] = {
    REGION_TEXT,
    FM_INT(rr, "enable", enable),
    FM_INT(rr, "sensitivity", sensitivity),
    FM_INT(rr, "ignore_time", ignore_time),
    FM_INT(rr, "objtype", objtype),
    POLYGONS,
};
const field tamper_fields[] = {FM_INT(rr, "enable", enable), FM_INT(rr, "sensitivity", sensitivity)};
const field loiter_fields[] = {
    REGION_TEXT,
    FM_INT(rr, "enable", enable),
    FM_INT(rr, "time", time),
    FM_INT(rr, "size", size),
    FM_INT(rr, "objtype", objtype),
    POLYGONS,
};
const field human_fields[] = {FM_INT(rr, "enable", enable), FM_INT(rr, "tracks", tracks)};
#undef REGION_TEXT
#undef POLYGONS

using ob = vca_object_record;
const field object_fields[] = {
    FM_TEXT(ob, "region", region),
    FM_INT(ob, "left_enable", left_enable),
    FM_INT(ob, "remove_enable", remove_enable),
    FM_INT(ob, "min_time", min_time),
    FM_INT(ob, "sensitivity", sensitivity),
    FM_TEXT(ob, "polygonX", polygon_x),
    FM_TEXT(ob, "polygonY", polygon_y),
};

// The crossing lines' resolution is the camera's to report: a setting
// converts with the request's size and leaves the record's at 0.
using lr = vca_line_record;
const field line_fields[] = {
    FM_INT(lr, "enable", enable),
    FM_INT(lr, "width", width).out_only(),
    FM_INT(lr, "height", height).out_only(),
    FM_INT(lr, "objtype", objtype),
};
const field line_members[] = {FM_INT(vca_line, "direction", direction)};

using pr = vca_people_record;
const field people_fields[] = {
    FM_INT(pr, "enable", enable),
    FM_INT(pr, "osd", osd),
    FM_INT(pr, "text", text),
    FM_INT(pr, "width", width),
    FM_INT(pr, "height", height),
    FM_INT(pr, "fontSize", font_size),
    FM_INT(pr, "triggerEnable", trigger_enable),
    FM_INT(pr, "triggerEnableByIn", trigger_by_in),
    FM_INT(pr, "inThresholds", in_thresholds),
    FM_INT(pr, "triggerEnableByOut", trigger_by_out),
    FM_INT(pr, "outThresholds", out_thresholds),
    FM_INT(pr, "triggerEnableBySum", trigger_by_sum),
    FM_INT(pr, "sumThresholds", sum_thresholds),
};

// The camera sets the analysis type itself: a setting leaves it 0.
using an = vca_analysis_record;
const field analysis_fields[] = {
    FM_INT(an, "fps", fps),
    FM_INT(an, "mode", mode),
    FM_INT(an, "installation", installation),
    FM_INT(an, "analysis", analysis),
    FM_INT(an, "width", width),
    FM_INT(an, "height", height),
    FM_INT(an, "vcaType", vca_type).out_only(),
};

const field support_fields[] = {
    FM_INT(vca_support_record, "support", support),
    FM_INT(vca_support_record, "type", type),
};
const field version_fields[] = {
    FM_INT(vca_version_record, "chnid", chnid),
    FM_INT(vca_version_record, "vca_support", vca_support),
    FM_INT(vca_version_record, "vca_version", vca_version),
};

// The second family: the request's size converts the lines but is not kept.
using lb = vca_line_b_record;
const field line_b_fields[] = {
    FM_INT(lb, "chnid", chnid).out_only(),
    FM_INT(lb, "width", width).out_only(),
    FM_INT(lb, "height", height).out_only(),
    FM_INT(lb, "sensitivity", sensitivity),
};
const field line_b_members[] = {
    FM_INT(vca_line_b, "enable", enable),
    FM_INT(vca_line_b, "objtype", objtype),
    FM_INT(vca_line_b, "direction", direction),
};

// Box set i is entry i of the eight columns, in the camera's own units. The
// settings before the boxes lie where those of the first family do.
using ab = vca_analysis_b_record;
static_assert(offsetof(ab, fps) == offsetof(an, fps) && offsetof(ab, mode) == offsetof(an, mode) &&
              offsetof(ab, installation) == offsetof(an, installation) &&
              offsetof(ab, analysis) == offsetof(an, analysis) &&
              offsetof(ab, width) == offsetof(an, width) && offsetof(ab, height) == offsetof(an, height));
// All but "vcaType".
constexpr std::span<const field> analysis_b_fields = std::span<const field>(analysis_fields).first(6);

// clang-format off
// member, elements, element 0, stride, first value, step, flags, record's width, element members
const vca_geometry line_geometry = {"line", 4, offsetof(lr, lines), sizeof(vca_line), 0, 4, VCA_CONVERT | VCA_FIRST, offsetof(lr, width), line_members};
const vca_geometry people_geometry = {"position", 0, offsetof(pr, x1), 0, 0, 4, VCA_CONVERT | VCA_RAISE_BACK, offsetof(pr, width)};
const vca_geometry analysis_geometry = {"position", 1, offsetof(an, min_box), 0, 0, 4, VCA_BOX | VCA_CONVERT | VCA_RAISE_BACK, offsetof(an, width)};
const vca_geometry line_b_geometry = {"line", 4, offsetof(lb, lines), sizeof(vca_line_b), offsetof(vca_line_b, x1), 4, VCA_CONVERT, offsetof(lb, width), line_b_members};
const vca_geometry analysis_b_geometry = {"position", vca_box_sets, offsetof(ab, min_start_x), 4, 0, sizeof(ab::min_start_x), VCA_BOX | VCA_SIZED, offsetof(ab, width)};
// clang-format on

constexpr uint8_t dialog_enable = VCA_DIALOG | VCA_ENABLE;

// The nine events: names of their white-light stores, PTZ kind event + 5,
// the four schedule stores keyed (channel, event).
#define VCA_SOURCE(label, index, white_schedule_name, white_list_name)                                 \
    event_source {                                                                                     \
        .name = label, .table = &tqdb_tbl_smart_event[index], .fields = action_fields,                 \
        .schedules = {SCHED_SMART_EFFECTIVE, SCHED_SMART_AUDIBLE, SCHED_SMART_MAIL, SCHED_SMART_PTZ,   \
                      nullptr},                                                                        \
        .white_schedule = white_schedule_name, .white_list = white_list_name, .ptz_kind = (index) + 5, \
        .notice_id = msg_smart_event_changed,                                                          \
    }

}  // namespace

const std::span<const field> event_action_fields = action_fields;

// clang-format off
const event_source vca_sources[smart_event_types] = {
    VCA_SOURCE("region entrance", 0, "vca_regionin_whiteled_esche", "vca_regionin_white_led_params"),
    VCA_SOURCE("region exit", 1, "vca_regionexit_whiteled_esche", "vca_regionexit_white_led_params"),
    VCA_SOURCE("advanced motion", 2, "vca_motion_whiteled_esche", "vca_motion_white_led_params"),
    VCA_SOURCE("tamper", 3, "vca_tamper_whiteled_esche", "vca_tamper_white_led_params"),
    VCA_SOURCE("line crossing", 4, "vca_linecross_whiteled_esche", "vca_linecross_white_led_params"),
    VCA_SOURCE("loitering", 5, "vca_loiter_whiteled_esche", "vca_loiter_white_led_params"),
    VCA_SOURCE("human detection", 6, "vca_human_whiteled_esche", "vca_human_white_led_params"),
    VCA_SOURCE("people counting", 7, "vca_people_whiteled_esche", "vca_people_white_led_params"),
    VCA_SOURCE("object left/removed", 8, "vca_object_whiteled_esche", "vca_object_white_led_params"),
};

// name, event, by "type", action steps, reading, setting, record size, members,
// geometry, channel member of the reading and of the setting, reply of a
// missing action record. Every record starts with its channel.
const vca_kind vca_kinds[VCA_KIND_COUNT] = {
    {"region entrance", 0, true, dialog_enable, msg_vca_region_in, msg_vca_region_in_set, sizeof(rr), region_fields},
    {"region exit", 1, true, dialog_enable, msg_vca_region_out, msg_vca_region_out_set, sizeof(rr), region_fields},
    {"advanced motion", 2, true, dialog_enable, msg_vca_adv_motion, msg_vca_adv_motion_set, sizeof(rr), adv_motion_fields},
    {"tamper", 3, true, dialog_enable, msg_vca_tamper, msg_vca_tamper_set, sizeof(rr), tamper_fields},
    {"line crossing", 4, false, dialog_enable, msg_vca_line, msg_vca_line_set, sizeof(lr), line_fields, &line_geometry},
    {"loitering", 5, true, dialog_enable, msg_vca_loiter, msg_vca_loiter_set, sizeof(rr), loiter_fields},
    {"human detection", 6, true, dialog_enable, msg_vca_human, msg_vca_human_set, sizeof(rr), human_fields, nullptr, "channel", "chnid", "ERROR"},
    {"people counting", 7, false, VCA_ENABLE, msg_vca_people, msg_vca_people_set, sizeof(pr), people_fields, &people_geometry},
    {"analysis", -1, false, 0, msg_vca_analysis, msg_vca_analysis_set, sizeof(an), analysis_fields, &analysis_geometry},
    {"analytics command", -1, false, 0, 0, msg_vca_command, sizeof(vca_command), {}, nullptr, "channel", "channel"},
    {"analytics support", -1, false, 0, msg_vca_support, 0, sizeof(vca_support_record), support_fields},
    {"object left/removed", 8, false, VCA_DIALOG, msg_vca_object, msg_vca_object_set, sizeof(ob), object_fields},
    {"analytics version", -1, false, 0, msg_vca_version, 0, sizeof(vca_version_record), version_fields, nullptr, "chnid"},
    {"line crossing B", 4, false, VCA_DIALOG, msg_vca_line_b, msg_vca_line_b_set, sizeof(lb), line_b_fields, &line_b_geometry, "chnid"},
    {"analysis B", -1, false, 0, msg_vca_analysis_b, msg_vca_analysis_b_set, sizeof(ab), analysis_b_fields, &analysis_b_geometry},
};
// clang-format on
