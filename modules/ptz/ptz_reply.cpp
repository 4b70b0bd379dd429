// The PTZ module's reply callback and the writers of its answers. Runs on
// the socket library's receiving thread.
//
// An answer shorter than its writer needs counts as a failed exchange: the
// request's failure reply goes out at once. Every writer claims the one
// reply of the request before it writes.
#include "front/core_link.h"
#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/ptz/ptz.h"
#include "platform/msg_camera_query.h"
#include "platform/msg_ptz.h"

#include <cstddef>
#include <cstring>

namespace {

template <typename T>
T record_of(const void* payload) {
    T rec;
    std::memcpy(&rec, payload, sizeof rec);
    return rec;
}

void finish(const json_ref& obj) {
    cgi_reply_json(obj.get());
    core_reply_done(1);
}

// ---- the PTZ status record and its JSON members ---------------------------------

struct status_member {
    const char* key;
    size_t offset;
};
#define STATUS_INT(key, field) {key, offsetof(ptz_status, field)}
const status_member status_members[] = {
    STATUS_INT("status", status),
    STATUS_INT("chnId", channel),
    STATUS_INT("zoomStatus", zoom_status),
    STATUS_INT("panTiltStatus", pan_tilt_status),
    STATUS_INT("presetStatus", preset_status),
    STATUS_INT("patrolStatus", patrol_status),
    STATUS_INT("patternStatus", pattern_status),
    STATUS_INT("autoScanStatus", auto_scan_status),
    STATUS_INT("presetFreezing", preset_freezing),
    STATUS_INT("presetSpeed", preset_speed),
    STATUS_INT("manualSpeed", manual_speed),
    STATUS_INT("patrolRecovering", patrol_recovering),
    STATUS_INT("patrolRecoveryTime", patrol_recovery_time),
    STATUS_INT("focusMode", focus_mode),
    STATUS_INT("minFocusDistance", min_focus_distance),
    STATUS_INT("resumeTime", resume_time),
    STATUS_INT("fanWorkingMode", fan_working_mode),
};
#undef STATUS_INT
constexpr size_t channel_mask_chars = 64;

// ---- writers ---------------------------------------------------------------------

// 8226: the camera took the PTZ setting.
void write_param_done(const void*, uint32_t) {
    if (!core_reply_claim()) return;
    cgi_reply(REPLY_TEXT, "OK");
    core_reply_done(1);
}

// 6265, 6268: presets, tours, patterns and run states; an answer without a
// whole overview gives {"status": "Error"}.
void write_overview(const void* payload, uint32_t size) {
    if (!core_reply_claim()) return;
    json_ref obj(json_object_new_object());
    if (size < sizeof(ptz_overview)) {
        jadd_str(obj.get(), "status", "Error");
        finish(obj);
        return;
    }
    // Read piece by piece: the answer need not be aligned for a record.
    const auto* ov = static_cast<const unsigned char*>(payload);
    auto preset_at = [ov](int i) {
        return record_of<ptz_preset_entry>(ov + offsetof(ptz_overview, presets) + i * sizeof(ptz_preset_entry));
    };
    auto tour_at = [ov](int t) {
        return record_of<ptz_tour_arrays>(ov + offsetof(ptz_overview, tours) + t * sizeof(ptz_tour_arrays));
    };
    auto int_at = [ov](size_t at) { return record_of<int32_t>(ov + at); };

    jadd_str(obj.get(), "status", "OK");
    json_object* presets = json_object_new_array();
    for (int i = 0; i < ptz_presets; ++i) {
        ptz_preset_entry p = preset_at(i);
        json_object* o = json_object_new_object();
        jadd_int(o, "enable", p.enable);
        jadd_field(o, "name", p.name, sizeof p.name);
        json_object_array_add(presets, o);
    }
    json_object_object_add(obj.get(), "PRESET", presets);

    json_object* tours = json_object_new_array();
    for (int t = 0; t < ptz_tours; ++t) {
        ptz_tour_arrays tour = tour_at(t);
        json_object* points = json_object_new_array();
        // A tour ends at its first point without a preset.
        for (int p = 0; p < ptz_tour_points && tour.preset[p] >= 1; ++p) {
            json_object* o = json_object_new_object();
            jadd_int(o, "preset_id", tour.preset[p]);
            jadd_int(o, "speed", tour.speed[p]);
            jadd_int(o, "timeout", tour.time[p]);
            json_object_array_add(points, o);
        }
        json_object_array_add(tours, points);
    }
    json_object_object_add(obj.get(), "TOUR", tours);

    json_object* patterns = json_object_new_array();
    for (int i = 0; i < 4; ++i) {
        json_object* o = json_object_new_object();
        jadd_int(o, "enable", int_at(offsetof(ptz_overview, pattern_enable) + 4 * i));
        json_object_array_add(patterns, o);
    }
    json_object_object_add(obj.get(), "PATTERN", patterns);

    json_object* autoscan = json_object_new_array();
    for (int i = 0; i < 5; ++i)
        json_object_array_add(autoscan,
                              json_object_new_int(int_at(offsetof(ptz_overview, autoscan_status) + 4 * i)));
    json_object_object_add(obj.get(), "autoscan_status", autoscan);

    json_object* tour_status = json_object_new_array();
    for (int i = 0; i < 5; ++i) {
        json_object* row = json_object_new_array();
        for (int k = 0; k < 8; ++k)
            json_object_array_add(
                row, json_object_new_int(int_at(offsetof(ptz_overview, tour_status) + 4 * (8 * i + k))));
        json_object_array_add(tour_status, row);
    }
    json_object_object_add(obj.get(), "tour_status", tour_status);
    finish(obj);
}

// 6270: the PTZ status of a channel.
void write_status(const void* payload, uint32_t) {
    if (!core_reply_claim()) return;
    auto st = record_of<ptz_status>(payload);
    const auto* base = reinterpret_cast<const unsigned char*>(&st);
    json_ref obj(json_object_new_object());
    for (const status_member& m : status_members) jadd_int(obj.get(), m.key, record_of<int32_t>(base + m.offset));
    jadd_field(obj.get(), "channelMask", st.channel_mask, channel_mask_chars);
    finish(obj);
}

// 6271: the result of setting the status.
void write_status_result(const void* payload, uint32_t size) {
    cgi_reply_status(static_cast<int>(size / sizeof(int32_t)), payload);
}

// 8361: the result of a command word.
void write_command_result(const void* payload, uint32_t) {
    if (!core_reply_claim()) return;
    json_ref obj(json_object_new_object());
    jadd_int(obj.get(), "res", record_of<int32_t>(payload));
    finish(obj);
}

// 8363: the PTZ state of a channel.
void write_state(const void* payload, uint32_t) {
    if (!core_reply_claim()) return;
    auto r = record_of<ptz_state_reply>(payload);
    json_ref obj(json_object_new_object());
    jadd_int(obj.get(), "chnid", r.channel);
    jadd_int(obj.get(), "status", r.status);
    finish(obj);
}

// 6262: the probe's answer, -1 when the camera has no PTZ.
void write_probe(const void* payload, uint32_t) {
    if (!core_reply_claim()) return;
    cgi_reply(REPLY_TEXT, record_of<int32_t>(payload) == -1 ? "-1" : "0");
    core_reply_done(1);
}

struct writer_row {
    int32_t reply_id;
    uint32_t need;   // bytes the writer reads
    int fail_type;   // failure reply for a shorter answer
    void (*write)(const void* payload, uint32_t size);
};

const writer_row writers[] = {
    {MSG_CAM_PARAM_SET + msg_reply_offset, 0, REPLY_TEXT, write_param_done},
    {MSG_PTZ_OVERVIEW + msg_reply_offset, 0, REPLY_JSON, write_overview},
    {MSG_PTZ_OVERVIEW_FISH + msg_reply_offset, 0, REPLY_JSON, write_overview},
    {MSG_PTZ_STATUS + msg_reply_offset, sizeof(ptz_status), REPLY_JSON, write_status},
    {MSG_PTZ_STATUS_SET + msg_reply_offset, sizeof(int32_t), REPLY_JSON, write_status_result},
    {MSG_PTZ_CMD_WORD + msg_reply_offset, sizeof(int32_t), REPLY_JSON, write_command_result},
    {MSG_PTZ_STATE + msg_reply_offset, sizeof(ptz_state_reply), REPLY_JSON, write_state},
    {MSG_CAM_SUPPORT + msg_reply_offset, sizeof(int32_t), REPLY_TEXT, write_probe},
};

}  // namespace

void ptz_reply(void*, const void* header, const void* payload) {
    if (!header || !payload) return;
    const int32_t id = core_header_id(header);
    const uint32_t size = core_header_size(header);
    for (const writer_row& w : writers) {
        if (w.reply_id != id) continue;
        if (size < w.need) {
            if (core_reply_claim()) {
                cgi_reply_error(w.fail_type);
                core_reply_done(0);
            }
            return;
        }
        w.write(payload, size);
        return;
    }
}

void ptz_status_from_json(json_object* req, ptz_status* st) {
    std::memset(st, 0, sizeof *st);
    auto* base = reinterpret_cast<unsigned char*>(st);
    for (const status_member& m : status_members) {
        int32_t value = req_int_or(req, m.key, 0);
        std::memcpy(base + m.offset, &value, sizeof value);
    }
    req_text(req, "channelMask", st->channel_mask, sizeof st->channel_mask, channel_mask_chars);
}
