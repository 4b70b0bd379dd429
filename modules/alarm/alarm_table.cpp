// The request table of the alarm module: one row a code, in code order.
#include "front/dispatchreq.h"
#include "modules/alarm/alarm.h"

namespace {

const request_entry table[] = {
    {"/6020", alarm_out_list},
    {"/6021", alarm_out_get},
    {"/6022", alarm_out_set},
    {"/6023", alarm_out_switch_set},
    {"/6024", cam_alarm_in_get},
    {"/6025", cam_alarm_in_set},
    {"/6026", alarm_in_actions_get},
    {"/6027", alarm_in_actions_set},
    {"/6028", cam_alarm_out_get},
    {"/6029", cam_alarm_out_set},
    {"/6032", alarm_out_names},
    {"/6033", cam_alarm_out_switch_set},
    {"/6034", alarm_in_names},
    {"/6060", alarm_in_list},
    {"/6061", alarm_in_get},
    {"/6062", alarm_in_basic_schedule_set},
    {"/6063", alarm_in_state_set},
    {"/6064", alarm_in_basic_set},
};

}  // namespace

WEBREQ_MODULE(2, table)
