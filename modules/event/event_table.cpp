// The request table of the events module (one row a code, in code order)
// and its reply table (one row an answer identifier).
#include "front/core_link.h"
#include "front/dispatchreq.h"
#include "modules/common/record_page.h"
#include "modules/event/event.h"
#include "modules/event/fisheye.h"
#include "platform/msg_event.h"
#include "platform/msg_event_fisheye.h"

namespace {

// clang-format off
const request_entry table[] = {
    {"/6010", motion_get, IN_JSON, OUT_JSON_ERR},
    {"/6011", schedule_get<motion_audible_page>, IN_TEXT, OUT_JSON},
    {"/6012", page_set<motion_basic_page>, IN_JSON, OUT_TEXT},
    {"/6013", schedule_set<motion_old_page>, IN_JSON, OUT_TEXT},
    {"/6014", page_get<vloss_page>, IN_TEXT, OUT_JSON},
    {"/6015", schedule_get<vloss_audible_page>, IN_TEXT, OUT_JSON},
    {"/6016", page_set<vloss_page>, IN_JSON, OUT_TEXT},
    {"/6017", schedule_set<vloss_schedule_page>, IN_JSON, OUT_TEXT},
    {"/6094", vloss_actions_get, IN_JSON, OUT_JSON_ERR},
    {"/6095", vloss_copy_set, IN_JSON, OUT_JSON_ERR},
    {"/6098", motion_area_get, IN_JSON, OUT_TEXT},
    {"/6112", motion_copy_set, IN_JSON, OUT_JSON_ERR},
    {"/6113", motion_plan_set, IN_JSON, OUT_TEXT},
    {"/6114", motion_targets_set, IN_JSON, OUT_TEXT},
    {"/6117", motion_actions_set, IN_JSON, OUT_JSON_ERR},
    {"/6118", schedule_set<motion_email_page>, IN_JSON, OUT_TEXT},
    {"/6119", motion_target_set, IN_JSON, OUT_TEXT},
    {"/6120", schedule_get<motion_email_page>, IN_TEXT, OUT_JSON},
    {"/6121", batch_set<vloss_audible_batch>, IN_JSON, OUT_TEXT},
    {"/6122", batch_set<vloss_email_batch>, IN_JSON, OUT_TEXT},
    {"/6123", vloss_alarms_batch, IN_JSON, OUT_TEXT},
    {"/6124", schedule_get<vloss_email_page>, IN_TEXT, OUT_JSON},
    {"/6125", batch_set<alarmin_audible_batch>, IN_JSON, OUT_TEXT},
    {"/6126", batch_set<alarmin_email_batch>, IN_JSON, OUT_TEXT},
    {"/6127", alarmin_targets_batch, IN_JSON, OUT_TEXT},
    {"/6128", schedule_get<alarmin_email_page>, IN_TEXT, OUT_JSON},
    {"/6129", schedule_get<alarmin_audible_page>, IN_TEXT, OUT_JSON},
    {"/6130", fisheye_get, IN_JSON, OUT_TEXT,
     "the dewarping mode of a channel", "{id 0..63}", "3232 -> 8232",
     "{chnid, result, fishmount, fishdisplay, fishcorrect}"},
    {"/6131", relay_request<fisheye_set_relay>, IN_JSON, OUT_JSON,
     "set the dewarping mode of a channel", "{chnid, fishcorrect?, fishmount?, fishdisplay?}", "3231 -> 8231",
     "OK or FAILED"},
    {"/6152", schedule_set<motion_effective_page>, IN_JSON, OUT_TEXT},
    {"/6153", schedule_get<motion_effective_page>, IN_TEXT, OUT_JSON},
    {"/6158", schedule_get<motion_ptz_page>, IN_TEXT, OUT_JSON},
    {"/6159", schedule_set<motion_ptz_page>, IN_JSON, OUT_TEXT},
    {"/6160", ptz_action_add, IN_JSON, OUT_TEXT},
    {"/6161", ptz_action_list, IN_JSON, OUT_JSON},
    {"/6162", ptz_action_delete, IN_JSON, OUT_TEXT},
    {"/6163", ptz_action_update, IN_JSON, OUT_TEXT},
    {"/6164", ptz_action_delete_many, IN_JSON, OUT_TEXT},
    {"/6165", ptz_copy<vloss_ptz_copy>, IN_JSON, OUT_TEXT},
    {"/6166", schedule_get<vloss_ptz_page>, IN_TEXT, OUT_JSON},
    {"/6167", ptz_copy<alarmin_ptz_copy>, IN_JSON, OUT_TEXT},
    {"/6168", schedule_get<alarmin_ptz_page>, IN_TEXT, OUT_JSON},
    {"/6169", schedule_get<alarmin_effective_page>, IN_TEXT, OUT_JSON},
    {"/6170", schedule_set<alarmin_effective_page>, IN_JSON, OUT_TEXT},
    {"/6189", zoom_state_get, IN_JSON, OUT_JSON_ERR,
     "the zoom state of a channel", "{chnid 0..63}", "1215 -> 6215", "{chnid, state, zoomNumber}"},
    {"/6196", relay_request<fisheye_caps_relay>, IN_JSON, OUT_JSON,
     "the fisheye of a camera reached by its address, before it is added",
     "{ddns?, ipaddr?, username?, password?, port?}", "3373 -> 8373",
     "{support, transfer, install, display, streamCnt}"},
    {"/6197", relay_request<fisheye_caps_set_relay>, IN_JSON, OUT_JSON,
     "set the fisheye of a camera reached by its address",
     "{ddns?, ipaddr?, username?, password?, port?, transfer?, install?, display?}", "3374 -> 8374", "{res}"},
};
// clang-format on

// A shorter answer than the record is a failed one.
const reply_row replies[] = {
    {msg_motion_area_reply, sizeof(motion_area_record), reply_short::fail, write_motion_area},
    {msg_zoom_state_reply, sizeof(zoom_state), reply_short::fail, write_zoom_state},
    {msg_fisheye_set_reply, sizeof(int32_t), reply_short::fail, write_fisheye_verdict},
    {msg_fisheye_get_reply, sizeof(fisheye_mode), reply_short::fail, write_fisheye_mode},
    {msg_fisheye_caps_reply, sizeof(fisheye_caps), reply_short::fail, write_fisheye_caps},
    {msg_fisheye_caps_set_reply, sizeof(int32_t), reply_short::fail, write_fisheye_result},
};

// Messages whose answers take longer than the usual 40 s, in wait rounds of
// 40 ms.
const core_wait waits[] = {
    {msg_vca_analysis, 3000},  // /6146 analysis boxes
};

}  // namespace

CORE_REPLY_CALLBACK(event_reply, replies)

WEBREQ_MODULE(11, table)
CORE_WAITS(waits)
