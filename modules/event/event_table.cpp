// The events module's request table: one row a request code, in code order.
#include "front/core_link.h"
#include "front/dispatchreq.h"
#include "modules/event/event.h"

namespace {

const request_entry event_table[] = {
    {"/6010", motion_get},
    {"/6011", motion_audible_get},
    {"/6012", motion_basic_set},
    {"/6013", motion_schedule_set},
    {"/6014", vloss_get},
    {"/6015", vloss_audible_get},
    {"/6016", vloss_set},
    {"/6017", vloss_schedule_set},
    {"/6094", vloss_actions_get},
    {"/6095", vloss_copy_set},
    {"/6098", motion_area_get},
    {"/6112", motion_copy_set},
    {"/6113", motion_plan_set},
    {"/6114", motion_targets_set},
    {"/6117", motion_actions_set},
    {"/6118", motion_email_set},
    {"/6119", motion_target_set},
    {"/6120", motion_email_get},
    {"/6121", vloss_audible_batch},
    {"/6122", vloss_email_batch},
    {"/6123", vloss_alarms_batch},
    {"/6124", vloss_email_get},
    {"/6125", alarmin_audible_batch},
    {"/6126", alarmin_email_batch},
    {"/6127", alarmin_targets_batch},
    {"/6128", alarmin_email_get},
    {"/6129", alarmin_audible_get},
    {"/6152", motion_effective_set},
    {"/6153", motion_effective_get},
    {"/6158", motion_ptz_sched_get},
    {"/6159", motion_ptz_sched_set},
    {"/6160", ptz_action_add},
    {"/6161", ptz_action_list},
    {"/6162", ptz_action_delete},
    {"/6163", ptz_action_update},
    {"/6164", ptz_action_delete_many},
    {"/6165", vloss_ptz_copy},
    {"/6166", vloss_ptz_sched_get},
    {"/6167", alarmin_ptz_copy},
    {"/6168", alarmin_ptz_sched_get},
    {"/6169", alarmin_effective_get},
    {"/6170", alarmin_effective_set},
};

// Messages whose answers take longer than the usual 40 s, in wait rounds of
// 40 ms.
const core_wait waits[] = {
    {3259, 3000},  // /6146 analysis boxes
};

}  // namespace

WEBREQ_MODULE(11, event_table)
CORE_WAITS(waits)
