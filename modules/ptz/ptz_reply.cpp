// The writers of the PTZ module's answers (the reply table is in
// ptz_table.cpp). Run on the socket library's receiving thread.
#include <cstring>
#include <memory>

#include "front/core_link.h"
#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/common/field_map.h"
#include "modules/ptz/ptz.h"
#include "platform/msg_ptz.h"

namespace {

// ---- the PTZ status record and its JSON members ---------------------------------

using ps = ptz_status;
const field status_fields[] = {
    FM_INT(ps, "status", status),
    FM_INT(ps, "chnId", channel),
    FM_INT(ps, "zoomStatus", zoom_status),
    FM_INT(ps, "panTiltStatus", pan_tilt_status),
    FM_INT(ps, "presetStatus", preset_status),
    FM_INT(ps, "patrolStatus", patrol_status),
    FM_INT(ps, "patternStatus", pattern_status),
    FM_INT(ps, "autoScanStatus", auto_scan_status),
    FM_INT(ps, "presetFreezing", preset_freezing),
    FM_INT(ps, "presetSpeed", preset_speed),
    FM_INT(ps, "manualSpeed", manual_speed),
    FM_INT(ps, "patrolRecovering", patrol_recovering),
    FM_INT(ps, "patrolRecoveryTime", patrol_recovery_time),
    FM_INT(ps, "focusMode", focus_mode),
    FM_INT(ps, "minFocusDistance", min_focus_distance),
    FM_INT(ps, "resumeTime", resume_time),
    FM_INT(ps, "fanWorkingMode", fan_working_mode),
    FM_TEXT(ps, "channelMask", channel_mask).chars(64),
};

const field state_fields[] = {
    FM_INT(ptz_state_reply, "chnid", channel),
    FM_INT(ptz_state_reply, "status", status),
};

const field preset_fields[] = {
    FM_INT(ptz_preset_entry, "enable", enable),
    FM_TEXT(ptz_preset_entry, "name", name),
};

int reply_object(const json_ref& obj) {
    cgi_reply_json(obj.get());
    return 1;
}

json_object* int_array(const int32_t* values, int count) {
    json_object* list = json_object_new_array();
    for (int i = 0; i < count; ++i) json_object_array_add(list, json_object_new_int(values[i]));
    return list;
}

// The points of a tour up to its first point without a preset.
json_object* tour_points(const ptz_tour_arrays& tour) {
    json_object* points = json_object_new_array();
    for (int p = 0; p < ptz_tour_points && tour.preset[p] >= 1; ++p) {
        json_object* o = json_object_new_object();
        jadd_int(o, "preset_id", tour.preset[p]);
        jadd_int(o, "speed", tour.speed[p]);
        jadd_int(o, "timeout", tour.time[p]);
        json_object_array_add(points, o);
    }
    return points;
}

}  // namespace

// 8226: the camera took the PTZ setting, whatever its result.
int write_param_done(const core_answer&) {
    cgi_reply(REPLY_TEXT, "OK");
    return 1;
}

// 6265, 6268: presets, tours, patterns and run states; an answer without a
// whole overview (an empty one included) gives {"status": "Error"}.
int write_overview(const core_answer& answer) {
    json_ref obj(json_object_new_object());
    if (answer.count == 0) {
        jadd_str(obj.get(), "status", "Error");
        return reply_object(obj);
    }
    auto ov = std::make_unique<ptz_overview>(answer.rec<ptz_overview>());
    jadd_str(obj.get(), "status", "OK");
    json_object* presets = json_object_new_array();
    for (const ptz_preset_entry& p : ov->presets)
        json_object_array_add(presets, fields_object(&p, preset_fields));
    json_object_object_add(obj.get(), "PRESET", presets);

    json_object* tours = json_object_new_array();
    for (const ptz_tour_arrays& tour : ov->tours) json_object_array_add(tours, tour_points(tour));
    json_object_object_add(obj.get(), "TOUR", tours);

    json_object* patterns = json_object_new_array();
    for (int32_t enable : ov->pattern_enable) {
        json_object* o = json_object_new_object();
        jadd_int(o, "enable", enable);
        json_object_array_add(patterns, o);
    }
    json_object_object_add(obj.get(), "PATTERN", patterns);
    json_object_object_add(obj.get(), "autoscan_status", int_array(ov->autoscan_status, 5));
    json_object* tour_status = json_object_new_array();
    for (const auto& row : ov->tour_status) json_object_array_add(tour_status, int_array(row, 8));
    json_object_object_add(obj.get(), "tour_status", tour_status);
    return reply_object(obj);
}

// 6270: the PTZ status of a channel.
int write_status(const core_answer& answer) {
    ptz_status st = answer.rec<ptz_status>();
    // The mask shown is 64 characters, whatever the answer's 65th byte holds.
    st.channel_mask[sizeof st.channel_mask - 1] = '\0';
    return reply_object(json_ref(fields_object(&st, status_fields)));
}

// 6271: the result of setting the status.
int write_status_result(const core_answer& answer) { return reply_int_member("status", answer); }

// 8361: the result of a command word.
int write_command_result(const core_answer& answer) { return reply_int_member("res", answer); }

// 8363: the PTZ state of a channel.
int write_state(const core_answer& answer) {
    ptz_state_reply r = answer.rec<ptz_state_reply>();
    return reply_object(json_ref(fields_object(&r, state_fields)));
}

// 6262: the probe's answer, -1 when the camera has no PTZ.
int write_probe(const core_answer& answer) {
    cgi_reply(REPLY_TEXT, answer.rec<int32_t>() == -1 ? "-1" : "0");
    return 1;
}

void ptz_status_from_json(json_object* req, ptz_status* st) {
    std::memset(st, 0, sizeof *st);
    fields_from_json(req, st, status_fields);
}
