// Regional people counting. The camera keeps up to four polygonal regions
// with stay thresholds; what the recorder does when one fires is an action
// object per region, kept per (channel, region) in the database.
#include <json-c/json.h>

#include <cstring>

#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/common/channels.h"
#include "modules/event/regional.h"
#include "modules/event/vca.h"
#include "platform/msg_pcnt.h"
#include "platform/tqdb/rec_pcnt.h"

namespace {

using rr = regional_pcnt_region;
const field region_members[] = {
    FM_INT(rr, "enable", enable),
    FM_TEXT(rr, "polygonX", polygon_x),
    FM_TEXT(rr, "polygonY", polygon_y),
    FM_INT(rr, "maxStayEnable", max_stay_enable),
    FM_INT(rr, "maxStayValue", max_stay_value),
    FM_INT(rr, "minStayEnable", min_stay_enable),
    FM_INT(rr, "minStayValue", min_stay_value),
    FM_INT(rr, "maxStayTimeEnable", max_stay_time_enable),
    FM_INT(rr, "maxStayTimeValue", max_stay_time_value),
};

// Missing "regional" elements leave their regions zero (off).
using rc = regional_pcnt_record;
const field camera_fields[] = {
    FM_INT(rc, "result", result).out_only(),
    FM_INT(rc, "chnid", chnid),
    FM_INT(rc, "sensitivity", sensitivity),
    FM_INT(rc, "minObjX", min_obj_x),
    FM_INT(rc, "minObjY", min_obj_y),
    FM_INT(rc, "minObjWidth", min_obj_width),
    FM_INT(rc, "minObjHeight", min_obj_height),
    FM_INT(rc, "maxObjX", max_obj_x),
    FM_INT(rc, "maxObjY", max_obj_y),
    FM_INT(rc, "maxObjWidth", max_obj_width),
    FM_INT(rc, "maxObjHeight", max_obj_height),
    FM_RECORDS(rc, "regional", regions, region_members),
};

const char* const action_keys[] = {
    "audible", "interval", "audioId", "email", "email_interval", "email_pic_enable", "tri_channels_pic",
    "ptz", "ptz_interval", "ptzParams", "white", "whiteInfo", "white_interval", "alarmout_interval",
    "triAlarms", "triChannels", "triChnAlarms",
};

// The camera's answer with the action object of each region of its channel.
int write_regional(const core_answer& answer) {
    auto rec = answer.rec<regional_pcnt_record>();
    json_ref reply(fields_object(&rec, camera_fields));
    json_object* actions = json_object_new_array();
    for (int r = 0; r < pcnt_regions; ++r) {
        event_ref ev{regional_sources[r], rec.chnid, r};
        event_action_record stored;
        event_record_read(ev, &stored);
        json_object* action = json_object_new_object();
        event_action_json(action, ev, &stored, action_keys);
        json_object_array_add(actions, action);
    }
    json_object_object_add(reply.get(), "action", actions);
    cgi_reply_json(reply.get());
    return 1;
}

int write_res(const core_answer& answer) { return reply_int_member("res", answer); }

const reply_row replies[] = {
    {msg_regional_pcnt_get_reply, sizeof(regional_pcnt_record), reply_short::fail, write_regional},
    {msg_regional_pcnt_set_reply, sizeof(int32_t), reply_short::fail, write_res},
};
CORE_REPLY_CALLBACK(regional_reply, replies)

// The four schedules of a region are keyed (channel, region); the record's
// enable is not used here, and a saved region always has its record.
#define REGIONAL_SOURCE(label, region, white_list_name)                                                  \
    event_source {                                                                                       \
        .name = label, .table = &tqdb_tbl_regional_pcnt_event[region], .fields = event_action_fields,    \
        .schedules = {nullptr, SCHED_RPCNT_AUDIBLE, SCHED_RPCNT_EMAIL, SCHED_RPCNT_PTZ, SCHED_RPCNT_WHITE}, \
        .white_list = white_list_name, .ptz_kind = 22 + (region), .always_write = true,                  \
    }

}  // namespace

// clang-format off
const event_source regional_sources[pcnt_regions] = {
    REGIONAL_SOURCE("regional counting 0", 0, "regional_pcnt_whiteled_params"),
    REGIONAL_SOURCE("regional counting 1", 1, "regional_pcnt1_whiteled_params"),
    REGIONAL_SOURCE("regional counting 2", 2, "regional_pcnt2_whiteled_params"),
    REGIONAL_SOURCE("regional counting 3", 3, "regional_pcnt3_whiteled_params"),
};
// clang-format on

void regional_get(request& rq) { channel_query(rq, "chnid", regional_reply, msg_regional_pcnt_get); }

// The action objects (regions 0..3, up to the first element that is not an
// object) are stored in one transaction, then the camera's settings go out.
void regional_set(request& rq) {
    int chn = -1;
    if (!req_channel(rq.json, "chnid", &chn)) return rq.refuse("chnid");
    json_object* actions = req_array(rq.json, "action");
    int stored = event_store([&] {
        for (int r = 0; r < pcnt_regions && actions; ++r) {
            json_object* item = json_object_array_get_idx(actions, r);
            if (!json_object_is_type(item, json_type_object)) break;
            if (event_action_store(event_ref{regional_sources[r], chn, r}, item, action_form::own) != 0)
                return -1;
        }
        return 0;
    });
    if (stored != 0) return rq.fail();
    regional_pcnt_record rec;
    std::memset(&rec, 0, sizeof rec);
    fields_from_json(rq.json, &rec, camera_fields);
    rec.chnid = chn;
    core_query(regional_reply, msg_regional_pcnt_set, sizeof rec, &rec, 1);
}
