// Smart analytics events (region entrance and exit, advanced motion, tamper,
// line crossing, loitering, human detection, people counting, object left
// or removed): their detection settings, which the camera keeps and the core
// daemon reads and writes, and the recorder's reaction to each event, which
// the event action model keeps per (channel, event).
//
// Both sides are data (vca_kinds.cpp): each event is an event source of the
// action model, and each camera record is a kind row (its messages, its
// members, its geometry). vca.cpp holds the handlers that serve every row.
#pragma once

#include <cstdint>
#include <span>

#include "front/core_link.h"
#include "front/dispatchreq.h"
#include "modules/common/event_action.h"
#include "modules/common/field_map.h"

// ---- the events (the action model) --------------------------------------------

// The nine smart events, index 0..8 as the requests' "event" / "type": PTZ
// kind index + 5, notice 1412, their own white-light names.
extern const event_source vca_sources[];
// The action record's members (platform/tqdb/rec_vca.h), the action ones
// flagged: the layout that plate and regional counting events share.
extern const std::span<const field> event_action_fields;

// The event of a channel, as the action model takes it.
event_ref vca_event(int chn, int event);

// ---- the camera's detection settings --------------------------------------------

// How a kind's coordinates travel.
enum vca_geometry_flag : uint8_t {
    VCA_BOX = 1 << 0,         // 8 named values, else 4 in a line text
    VCA_CONVERT = 1 << 1,     // between canvas and camera; every value sent is raised to >= 1
    VCA_RAISE_BACK = 1 << 2,  // values read back are raised to >= 1 too
    VCA_FIRST = 1 << 3,       // the reply gives them before the record's members
    VCA_SIZED = 1 << 4,       // reply elements also carry the record's "width" and "height"
};

// Where a kind's coordinates live in its record. The values of an element
// are x, y pairs (a line's two ends, a box's position and size); lines
// travel as one "x1;y1;x2;y2" text "position", boxes as eight named members.
struct vca_geometry {
    const char* key;   // the member: "line" or "position"
    int count;         // elements of the array; 0: one "position" text beside the record's members
    uint16_t at;       // offset of element 0 in the record
    uint16_t stride;   // bytes from one element to the next
    uint16_t coords;   // offset of an element's first value in the element
    uint16_t step;     // bytes from one value to the next
    uint8_t flags;     // vca_geometry_flag
    uint16_t size_at;  // offset of the record's width (height follows)
    std::span<const field> members = {};  // an element's other members, offsets in the element
};

// What a setter does with the action record of its event before it tells
// the camera.
enum vca_action_step : uint8_t {
    VCA_DIALOG = 1 << 0,  // applies its "dialog" member (the action setter), notice 1412
    VCA_ENABLE = 1 << 1,  // the event's stored action record must exist; its enable
                          // becomes the request's "enable"
};

struct vca_kind {
    const char* name;  // for the debug log
    int event;         // the smart event its actions belong to; -1: none
    bool by_type;      // the request's "type" names the event (default: event)
    uint8_t actions;   // vca_action_step flags
    int32_t get_msg;   // the reading: 4 bytes channel, answer + 5000; 0: none
    int32_t set_msg;   // the setting: the record, answer + 5000 its result; 0: none
    uint32_t rec_size;
    std::span<const field> fields;  // the record's members: the reply in this order,
                                    // the request's members (FM_OUT_ONLY rows are not taken)
    const vca_geometry* geometry = nullptr;
    const char* get_channel = "channel";  // the channel member of the reading
    const char* set_channel = "chnid";    // and of the setting
    const char* missing = nullptr;        // the reply when the action record is missing;
                                          // null: the failure reply
};

enum vca_kind_id {
    VCA_REGION_IN,   // "/6132", "/6133" type 0
    VCA_REGION_OUT,  // "/6132", "/6133" other types
    VCA_ADV_MOTION,  // "/6134", "/6135"
    VCA_TAMPER,      // "/6136", "/6137"
    VCA_LINE,        // "/6138", "/6139"
    VCA_LOITER,      // "/6140", "/6141"
    VCA_HUMAN,       // "/6142", "/6143"
    VCA_PEOPLE,      // "/6144", "/6145"
    VCA_ANALYSIS,    // "/6146", "/6147"
    VCA_COMMAND,     // "/6154"
    VCA_SUPPORT,     // "/6157"
    VCA_OBJECT,      // "/6171", "/6172"
    VCA_VERSION,     // "/6186"
    VCA_LINE_B,      // "/6192", "/6193"
    VCA_ANALYSIS_B,  // "/6194", "/6195"
    VCA_KIND_COUNT
};
extern const vca_kind vca_kinds[VCA_KIND_COUNT];

// The reading of a kind: the request's channel to the camera; the answer's
// record as JSON (vca_reading).
void vca_get_page(request& rq, const vca_kind& k);
// The setting of a kind: the action record's steps, then the record built
// from the request to the camera; "OK" / "FAILED" from its answer.
void vca_set_page(request& rq, const vca_kind& k);
template <int K>
void vca_get(request& rq) {
    vca_get_page(rq, vca_kinds[K]);
}
template <int K>
void vca_set(request& rq) {
    vca_set_page(rq, vca_kinds[K]);
}
void vca_region_get(request& rq);  // "/6132": entrance for type 0, else exit
void vca_region_set(request& rq);  // "/6133"

// The answer of a reading rendered as the kind's JSON.
int vca_render(const vca_kind& k, const core_answer& answer);
template <int K>
int vca_reading(const core_answer& answer) {
    return vca_render(vca_kinds[K], answer);
}
// "OK" when the answer's first int32 is 0, else "FAILED" (plain text).
int vca_result(const core_answer& answer);

// ---- the recorder's actions -----------------------------------------------------

void vca_actions_get(request& rq);  // "/6148" {chnid, event}: the whole action object
void vca_actions_set(request& rq);  // "/6149" the action setter at top level
void vca_target_set(request& rq);   // "/6150" one target field
void vca_targets_get(request& rq);  // "/6151" the record's target members
