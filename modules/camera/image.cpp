// A camera's image settings through the core daemon, and the exposure
// steps kept in the database.
#include "modules/camera/image.h"

#include <cstring>
#include <memory>

#include "front/json_req.h"
#include "front/reply.h"
#include "modules/common/channels.h"
#include "modules/common/field_map.h"
#include "platform/tqdb/rec_exposure.h"

namespace {

// ---- channel lists -------------------------------------------------------------------

// The channels 0..63 among the first `elements` elements of req[key], in
// their order, into list (at most 64); the places after them get fill.
// Returns how many were listed.
int channel_list(json_object* req, const char* key, size_t elements, int32_t (&list)[channel_limit],
                 int32_t fill) {
    json_object* arr = req_array(req, key);
    const size_t n = arr ? json_object_array_length(arr) : 0;
    int count = 0;
    for (size_t i = 0; i < n && i < elements && count < channel_limit; ++i) {
        json_object* item = json_object_array_get_idx(arr, i);
        if (!json_object_is_type(item, json_type_int)) continue;
        const int64_t chn = json_object_get_int64(item);
        if (chn >= 0 && chn < channel_limit) list[count++] = static_cast<int32_t>(chn);
    }
    for (int i = count; i < channel_limit; ++i) list[i] = fill;
    return count;
}

// The count member of a list: its elements to look at (none when missing
// or negative).
size_t count_member(json_object* req, const char* key) {
    int cnt = 0;
    return req_int(req, key, &cnt) && cnt > 0 ? static_cast<size_t>(cnt) : 0;
}

// ---- image ------------------------------------------------------------------------------

// In the order of the get's answer; the set reads the same keys, except
// what only the camera reports.
using ib = image_block;
const field image_fields[] = {
    FM_INT(ib, "smartir", smartir),
    FM_INT(ib, "whiteblance", white_balance),
    FM_INT(ib, "focusmode", focus_mode),
    FM_INT(ib, "antiblurry", anti_blurry),
    FM_INT(ib, "wdrenable", wdr_enable),
    FM_INT(ib, "wdrlevel", wdr_level),
    FM_INT(ib, "wdrstarthour", wdr_start_hour),
    FM_INT(ib, "wdrstartminute", wdr_start_minute),
    FM_INT(ib, "wdrstophour", wdr_stop_hour),
    FM_INT(ib, "wdrstopminute", wdr_stop_minute),
    FM_INT(ib, "regiontype", region_type),
    FM_INT(ib, "hlcmode", hlc_mode),
    FM_INT(ib, "exclude", exclude),
    FM_INT(ib, "exposemode", expose_mode),
    // The camera's text runs on over the model type word.
    field{"exposeregion", fm_kind::text, FM_OUT_ONLY, offsetof(ib, expose_region), 67},
    FM_TEXT(ib, "exposeregion", expose_region).in_only(),
    FM_INT(ib, "modelType", model_type).in_only(),
    FM_INT(ib, "imageschemode", image_scheme_mode),
    FM_INT(ib, "hlcday", hlc_day),
    FM_INT(ib, "hlcnight", hlc_night),
    FM_INT(ib, "redgain", red_gain),
    FM_INT(ib, "bluegain", blue_gain),
    FM_INT(ib, "defogmode", defog_mode),
    FM_INT(ib, "defoglevel", defog_level),
    FM_INT(ib, "dismode", dis_mode).out_only(),
    FM_INT(ib, "exposetime", expose_time),
    FM_INT(ib, "exposegain", expose_gain),
    FM_INT(ib, "wdraflevel", af_level).out_only(),
    FM_INT(ib, "aflevel", af_level).in_only(),
    FM_INT(ib, "exposurectrl", exposure_ctrl).out_only(),
    FM_INT(ib, "hlclevel", hlc_level),
    FM_INT(ib, "enblur", en_blur),
    FM_INT(ib, "deblur", de_blur),
    FM_TEXT(ib, "sdkversion", sdk_version).out_only(),
    FM_INT(ib, "lensType", lens_type),
    FM_INT(ib, "reduceVideoStuttering", reduce_video_stuttering),
};

bool image_finish(json_object* req, image_set& p) {
    channel_list(req, "channel", channel_limit, p.channels, -1);
    return true;
}

// ---- day/night ----------------------------------------------------------------------------

using dn = daynight_record;
const field daynight_fields[] = {
    FM_INT(dn, "id", channel).range(0, 63).required(),
    FM_INT(dn, "colorkiller", color_killer),
    FM_INT(dn, "modestarthour", mode_start_hour),
    FM_INT(dn, "modestartminute", mode_start_minute),
    FM_INT(dn, "modestophour", mode_stop_hour),
    FM_INT(dn, "modestopminute", mode_stop_minute),
    FM_INT(dn, "exposurectrl", exposure_ctrl),
    FM_INT(dn, "lighttype", light_type),
    FM_INT(dn, "mirctrl", mir_ctrl),
    FM_INT(dn, "localdisplay", local_display),
    FM_INT(dn, "ircutaddaytonight", ircut_day_to_night),
    FM_INT(dn, "ircutadnighttoday", ircut_night_to_day),
    FM_INT(dn, "corridormode", corridor_mode),
    FM_INT(dn, "imagerotation", image_rotation),
    FM_INT(dn, "saveCorridor", save_corridor).in_only(),
    FM_INT(dn, "smartIRType", smart_ir_type),
    FM_INT(dn, "nearIRLevel", near_ir_level),
    FM_INT(dn, "farIRLevel", far_ir_level),
    FM_INT(dn, "midIRLevel", mid_ir_level),
    FM_INT(dn, "lencorrect", len_correct),
    FM_INT(dn, "smartIrMath", smart_ir_math).out_only(),
    FM_INT(dn, "smartIrLimit", smart_ir_limit).out_only(),
    FM_TEXT(dn, "chipninterface", chip_interface).out_only(),
    FM_INT(dn, "nearSmartirValue", near_smartir_value).out_only(),
    FM_INT(dn, "farSmartirValue", far_smartir_value).out_only(),
    FM_INT(dn, "midSmartirValue", mid_smartir_value).out_only(),
    FM_INT(dn, "lenCorrectType", len_correct_type).out_only(),
    FM_INT(dn, "fovadjust", fov_adjust),
    FM_TEXT(dn, "sensortype", sensor_type).out_only(),
    FM_TEXT(dn, "productmodel", product_model).out_only(),
    FM_TEXT(dn, "softversion", soft_version).out_only(),
    FM_INT(dn, "smokeddomecover", smoked_dome_cover),
    FM_INT(dn, "smartwhitestrength", white_led_level).out_only(),
    FM_INT(dn, "whiteLedLevel", white_led_level).in_only(),
    FM_INT(dn, "dnRefocus", dn_refocus),
    FM_TEXT(dn, "sdkversion", sdk_version).out_only(),
    FM_INT(dn, "structuretype", structure_type).out_only(),
    FM_INT(dn, "keepCorrectAspectRatio", keep_aspect_ratio),
    FM_INT(dn, "dayNightSens", day_night_sens),
    FM_INT(dn, "nightDaySens", night_day_sens),
    FM_INT(dn, "zoomLimit", zoom_limit),
};

const verdict daynight_verdicts[] = {{0, "OK"}};

// ---- day/night time table ---------------------------------------------------------------

// In the answer's order (the longest shutter first).
using te = time_entry;
const field entry_fields[] = {
    FM_INT(te, "enable", enable),
    FM_INT(te, "startHour", start_hour),
    FM_INT(te, "startMinute", start_minute),
    FM_INT(te, "endHour", end_hour),
    FM_INT(te, "endMinute", end_minute),
    FM_INT(te, "exposureLevel", exposure_level),
    FM_INT(te, "maxShutter", max_shutter),
    FM_INT(te, "minShutter", min_shutter),
    FM_INT(te, "gainLevel", gain_level),
    FM_INT(te, "irCutLatency", ircut_latency),
    FM_INT(te, "irCutState", ircut_state),
    FM_INT(te, "irLedState", irled_state),
    FM_INT(te, "colorMode", color_mode),
};

// An entry of a request: marked, so that the camera changes it.
void entry_from_json(json_object* obj, time_entry& e) {
    fields_from_json(obj, &e, entry_fields);
    e.set_marker = 1;
}

using ts = time_table_set;
const field time_set_fields[] = {FM_INT(ts, "channel", channel).range(0, 63).required()};

// One entry: "id" names it (0..6; any other index is refused); the other
// six stay unmarked.
bool time_entry_finish(json_object* req, time_table_set& p) {
    int id = -1;
    if (!req_ints_in_range(req, {{"id", 0, time_table_entries - 1}}) || !req_int(req, "id", &id)) return false;
    entry_from_json(req, p.entries[id]);
    return true;
}

// ---- regions of interest -----------------------------------------------------------------

using ra = roi_area;
const field area_fields[] = {
    FM_INT(ra, "enable", enable), FM_INT(ra, "left", left),     FM_INT(ra, "top", top),
    FM_INT(ra, "right", right),   FM_INT(ra, "bottom", bottom),
};

using rs = roi_set;
const field roi_set_fields[] = {FM_INT(rs, "enable", enable)};

bool roi_finish(json_object* req, roi_set& p) {
    json_object* areas = req_array(req, "area");
    const size_t n = areas ? json_object_array_length(areas) : 0;
    for (size_t i = 0; i < n && i < roi_areas; ++i)
        fields_from_json(json_object_array_get_idx(areas, i), &p.areas[i], area_fields);
    p.count = channel_list(req, "chnid", count_member(req, "cnt"), p.channels, 0);
    return true;
}

using rr = roi_area_ref;
const field roi_area_fields[] = {
    FM_INT(rr, "chan_id", channel).range(0, 63).required(),
    FM_INT(rr, "area_id", area).range(0, roi_areas).required(),
};

// ---- week schedules ------------------------------------------------------------------------

inline constexpr int sched_days_shown = 7;  // the holiday is not on these pages
inline constexpr int sched_slots_set = 10;

using sl = sched_slot;
const field slot_fields[] = {
    FM_TEXT(sl, "startTime", start_time),
    FM_TEXT(sl, "endTime", end_time),
    FM_INT(sl, "actionType", action_type),
};
using es = exposure_slot;
const field exposure_slot_fields[] = {
    FM_TEXT(es, "startTime", start_time),   FM_TEXT(es, "endTime", end_time),
    FM_INT(es, "actionType", action_type),  FM_INT(es, "exposureTime", exposure_time),
    FM_INT(es, "gainLevel", gain_level),
};

// {"schedule": [7 days of `slots` slot objects]}; days are day_stride bytes
// apart, slots slot_stride.
int write_schedule(const char* days, size_t day_stride, size_t slot_stride, int slots,
                   std::span<const field> map) {
    json_ref reply(json_object_new_object());
    json_object* week = json_object_new_array();
    for (int d = 0; d < sched_days_shown; ++d)
        json_object_array_add(week, fields_array(days + d * day_stride, slot_stride, slots, map));
    json_object_object_add(reply.get(), "schedule", week);
    cgi_reply_json(reply.get());
    return 1;
}

// Element i of arr, null when arr is no array or shorter.
json_object* item(json_object* arr, size_t i) {
    if (!json_object_is_type(arr, json_type_array) || i >= json_object_array_length(arr)) return nullptr;
    return json_object_array_get_idx(arr, i);
}

// Reads req["schedule"] (7 days of 10 positional slot arrays, one element a
// field of map) into the zeroed days. A day, slot or element that is
// missing or of the wrong kind stays empty; texts keep 31 characters.
bool schedule_finish(json_object* req, void* days, size_t day_stride, size_t slot_stride,
                     std::span<const field> map) {
    json_object* week = req_array(req, "schedule");
    if (!week) return false;
    for (int d = 0; d < sched_days_shown; ++d)
        for (int s = 0; s < sched_slots_set; ++s) {
            json_object* row = item(item(week, d), s);
            char* slot = static_cast<char*>(days) + d * day_stride + s * slot_stride;
            for (size_t f = 0; f < map.size(); ++f) {
                json_object* v = item(row, f);
                const bool text = map[f].kind == fm_kind::text;
                if (text ? json_object_is_type(v, json_type_string) : json_object_is_type(v, json_type_int))
                    field_from_value(v, slot, map[f]);
            }
        }
    return true;
}

// The day blocks of a set message are cut at its length: they are built
// whole and copied in as far as they fit.
template <typename Week, typename Payload>
bool week_finish(json_object* req, Payload& p, std::span<const field> map) {
    channel_list(req, "channel", channel_limit, p.channels, -1);
    auto week = std::make_unique<Week>();
    std::memset(week.get(), 0, sizeof(Week));
    if (!schedule_finish(req, week.get(), sizeof week->days[0], sizeof week->days[0].slots[0], map)) return false;
    std::memcpy(p.days, week.get(), sizeof p.days);
    return true;
}

bool image_sched_finish(json_object* req, image_sched_set& p) {
    return week_finish<week_schedule>(req, p, slot_fields);
}
bool exposure_sched_finish(json_object* req, exposure_sched_set& p) {
    return week_finish<exposure_week>(req, p, exposure_slot_fields);
}

// ---- exposure steps ----------------------------------------------------------------------

using st = exposure_step;
const field step_fields[] = {
    FM_INT(st, "exposureTime", exposure_time),
    FM_INT(st, "gainLevel", gain_level),
};

// ---- night mode -----------------------------------------------------------------------------

using nm = night_mode;
const field night_fields[] = {
    FM_INT(nm, "chnid", channel),
    FM_INT(nm, "nightMode", night_mode),
};

// A copy of an answer's first record (the reply table made sure it holds
// one), kept off the small stack of the socket thread.
template <typename T>
std::unique_ptr<T> answer_copy(const core_answer& answer) {
    auto rec = std::make_unique<T>();
    std::memcpy(rec.get(), answer.payload, sizeof(T));
    return rec;
}

// {"schedule": ...} of a week answer: seven days of `slots` slots.
template <typename Reply>
int write_week(const core_answer& answer, int slots, std::span<const field> map) {
    auto rep = answer_copy<Reply>(answer);
    const auto& days = rep->week.days;
    return write_schedule(reinterpret_cast<const char*>(days), sizeof days[0], sizeof days[0].slots[0], slots, map);
}

// count records as objects, each led by its index as "id".
json_object* indexed_array(const void* recs, size_t stride, int count, std::span<const field> map) {
    json_object* list = json_object_new_array();
    for (int i = 0; i < count; ++i) {
        json_object* obj = json_object_new_object();
        jadd_int(obj, "id", i);
        fields_to_json(obj, static_cast<const char*>(recs) + i * stride, map);
        json_object_array_add(list, obj);
    }
    return list;
}

}  // namespace

// ---- relays --------------------------------------------------------------------------------

const relay<image_set> image_set_relay = {msg_image_set, camera_reply, image_fields, offsetof(image_set, image),
                                          image_finish, true};
const relay<daynight_record> daynight_set_relay = {msg_daynight_set, camera_reply, daynight_fields};
const relay<time_table_set> time_entry_set_relay = {msg_time_table_set, camera_reply, time_set_fields, 0,
                                                    time_entry_finish, true};
const relay<roi_set> roi_set_relay = {msg_roi_set, camera_reply, roi_set_fields, 0, roi_finish, true};
const relay<image_sched_set> image_sched1_set_relay = {msg_image_sched1_set, camera_reply, {}, 0,
                                                       image_sched_finish, true};
const relay<exposure_sched_set> exposure_sched_set_relay = {msg_exposure_sched_set, camera_reply, {}, 0,
                                                            exposure_sched_finish, true};
const relay<image_sched_set> image_sched3_set_relay = {msg_image_sched3_set, camera_reply, {}, 0,
                                                       image_sched_finish, true};
const relay<roi_area_ref> roi_area_clear_relay = {msg_roi_area_clear, camera_reply, roi_area_fields, 0, nullptr,
                                                  true};

// ---- handlers --------------------------------------------------------------------------------

void night_mode_get(request& rq) { channel_query(rq, "chnid", camera_reply, msg_night_mode_get); }

// The entries come from the first seven elements of "image" (element n is
// entry n); the same table goes to each listed channel.
void time_table_copy(request& rq) {
    time_table_set p;
    std::memset(&p, 0, sizeof p);
    json_object* image = req_array(rq.json, "image");
    const size_t n = image ? json_object_array_length(image) : 0;
    for (size_t i = 0; i < n && i < time_table_entries; ++i) {
        json_object* e = json_object_array_get_idx(image, i);
        if (e) entry_from_json(e, p.entries[i]);
    }
    int32_t list[channel_limit];
    const int count = channel_list(rq.json, "chnid", count_member(rq.json, "cnt"), list, -1);
    for (int i = 0; i < count; ++i) {
        p.channel = list[i];
        core_notify(camera_reply, msg_time_table_set, sizeof p, &p);
    }
    cgi_reply(REPLY_TEXT, "OK");
}

// The channel's steps are replaced by the first 140 of "exposure".
void exposure_steps_set(request& rq) {
    int chn = -1;
    json_object* list = req_array(rq.json, "exposure");
    if (!req_channel(rq.json, "channel", &chn) || !list) return rq.refuse("channel or exposure");
    exposure_record rec;
    std::memset(&rec, 0, sizeof rec);
    rec.chn = chn;
    const size_t n = json_object_array_length(list);
    for (size_t i = 0; i < n && rec.count < exposure_steps_max; ++i)
        fields_from_json(json_object_array_get_idx(list, i), &rec.steps[rec.count++], step_fields);
    if (write_exposure(TQDB_FILE, &rec) != 0) return rq.fail();
    cgi_reply(REPLY_TEXT, "OK");
}

void exposure_steps_get(request& rq) {
    int chn = -1;
    if (!req_channel(rq.json, "channel", &chn)) return rq.refuse("channel");
    exposure_record rec;
    if (read_exposure(TQDB_FILE, &rec, chn) != 0 || rec.count <= 0) return rq.fail();
    json_ref reply(json_object_new_object());
    json_object_object_add(reply.get(), "exposure",
                           fields_array(rec.steps, sizeof rec.steps[0], in_use(rec.count, exposure_steps_max),
                                        step_fields));
    cgi_reply_json(reply.get());
}

// ---- writers ---------------------------------------------------------------------------------

int write_image(const core_answer& answer) {
    const image_reply rep = answer.rec<image_reply>();
    json_ref reply(json_object_new_object());
    jadd_int(reply.get(), "id", rep.channel);
    fields_to_json(reply.get(), &rep.image, image_fields);
    cgi_reply_json(reply.get());
    return 1;
}

int write_daynight(const core_answer& answer) { return reply_answer(answer, daynight_fields); }

int write_daynight_verdict(const core_answer& answer) {
    return reply_verdict(answer, daynight_verdicts, "ERROR");
}

int write_roi(const core_answer& answer) {
    const roi_reply rep = answer.rec<roi_reply>();
    json_ref reply(json_object_new_object());
    jadd_int(reply.get(), "enable", rep.enable);
    jadd_field(reply.get(), "sdkversion", rep.sdk_version, sizeof rep.sdk_version);
    json_object_object_add(reply.get(), "area", indexed_array(rep.areas, sizeof rep.areas[0], roi_areas, area_fields));
    cgi_reply_json(reply.get());
    return 1;
}

int write_image_sched1(const core_answer& answer) { return write_week<image_sched_reply>(answer, 10, slot_fields); }
int write_image_sched3(const core_answer& answer) { return write_week<image_sched_reply>(answer, 12, slot_fields); }
int write_exposure_sched(const core_answer& answer) {
    return write_week<exposure_sched_reply>(answer, 12, exposure_slot_fields);
}

int write_time_table(const core_answer& answer) {
    const time_table table = answer.rec<time_table>();
    json_ref reply(json_object_new_object());
    json_object_object_add(reply.get(), "image",
                           indexed_array(table.entries, sizeof table.entries[0], time_table_entries, entry_fields));
    cgi_reply_json(reply.get());
    return 1;
}

int write_night_mode(const core_answer& answer) { return reply_answer(answer, night_fields); }
