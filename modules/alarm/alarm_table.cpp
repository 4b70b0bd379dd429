// The request table of the alarm module (one row a code, in code order) and
// its reply table (one row an answer identifier).
#include "front/core_link.h"
#include "front/dispatchreq.h"
#include "modules/alarm/alarm.h"
#include "platform/msg_alarm.h"

namespace {

// clang-format off
const request_entry table[] = {
    {"/6020", alarm_out_list, IN_TEXT, OUT_JSON},
    {"/6021", alarm_out_get, IN_JSON, OUT_JSON_ERR},
    {"/6022", alarm_out_set, IN_JSON, OUT_TEXT_ERR},
    {"/6023", alarm_out_switch_set, IN_JSON, OUT_TEXT},
    {"/6024", cam_alarm_in_get, IN_JSON, OUT_JSON_ERR},
    {"/6025", cam_alarm_in_set, IN_JSON, OUT_JSON_ERR},
    {"/6026", alarm_in_actions_get, IN_JSON, OUT_JSON_ERR},
    {"/6027", alarm_in_actions_set, IN_JSON, OUT_JSON_ERR},
    {"/6028", cam_alarm_out_get, IN_JSON, OUT_JSON_ERR},
    {"/6029", cam_alarm_out_set, IN_JSON, OUT_JSON_ERR},
    {"/6032", alarm_out_names, IN_TEXT, OUT_JSON},
    {"/6033", cam_alarm_out_switch_set, IN_JSON, OUT_TEXT_ERR},
    {"/6034", alarm_in_names, IN_TEXT, OUT_JSON},
    {"/6060", alarm_in_list, IN_TEXT, OUT_JSON},
    {"/6061", alarm_in_get, IN_TEXT, OUT_JSON},
    {"/6062", alarm_in_basic_schedule_set, IN_JSON, OUT_TEXT},
    {"/6063", alarm_in_state_set, IN_JSON, OUT_TEXT},
    {"/6064", alarm_in_basic_set, IN_JSON, OUT_TEXT},
};
// clang-format on

// A shorter answer than the record is not the answer: the wait runs out.
const reply_row replies[] = {
    {msg_cam_alarmout_state_reply, sizeof(cam_alarm_out_state), reply_short::wait, write_cam_alarm_out},
    {msg_cam_alarmin_state_reply, sizeof(cam_alarm_in_state), reply_short::wait, write_cam_alarm_in},
};

}  // namespace

CORE_REPLY_CALLBACK(alarm_reply, replies)

WEBREQ_MODULE(2, table)
