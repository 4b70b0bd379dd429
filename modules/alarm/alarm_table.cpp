// The request table of the alarm module: one row a code, in code order.
#include "front/dispatchreq.h"
#include "modules/alarm/alarm.h"

namespace {

const request_entry table[] = {
    {"/6020", alarm_out_list},
    {"/6023", alarm_out_switch_set},
    {"/6032", alarm_out_names},
    {"/6033", cam_alarm_out_switch_set},
    {"/6034", alarm_in_names},
    {"/6060", alarm_in_list},
    {"/6063", alarm_in_state_set},
    {"/6064", alarm_in_basic_set},
};

}  // namespace

WEBREQ_MODULE(2, table)
