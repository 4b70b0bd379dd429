// The alarm module: the recorder's alarm inputs and outputs and the alarm
// contacts of its cameras (names, types, schedules, actions, manual
// switching, copies to other contacts).
//
// alarm_table.cpp holds the module's request table and its reply table;
// alarm_sources.cpp the alarm inputs as sources of the shared event action
// model. Handlers live in one file per kind of contact.
#pragma once

#include <cstdint>
#include <span>

#include "front/core_link.h"
#include "front/dispatchreq.h"
#include "modules/common/event_action.h"
#include "platform/tqdb/rec_alarm.h"

// ---- recorder outputs (alarm_outputs.cpp) -----------------------------------------
void alarm_out_list(request& rq);        // "/6020"
void alarm_out_get(request& rq);         // "/6021" one output with its schedule
void alarm_out_set(request& rq);         // "/6022" edit, copy to other outputs
void alarm_out_switch_set(request& rq);  // "/6023" switch by hand

// ---- recorder inputs (alarm_inputs.cpp) --------------------------------------------
void alarm_in_actions_get(request& rq);         // "/6026" one input with all actions
void alarm_in_actions_set(request& rq);         // "/6027" edit actions, copy to other inputs
void alarm_in_list(request& rq);                // "/6060"
void alarm_in_get(request& rq);                 // "/6061" one input with its basic schedule
void alarm_in_basic_schedule_set(request& rq);  // "/6062" basic settings and schedule
void alarm_in_state_set(request& rq);           // "/6063" name, type, enable
void alarm_in_basic_set(request& rq);           // "/6064" basic settings without schedule

// ---- names (alarm_names.cpp) -------------------------------------------------------
void alarm_out_names(request& rq);  // "/6032" output names, recorder and cameras
void alarm_in_names(request& rq);   // "/6034" input names, recorder and cameras

// ---- camera contacts (camera_alarms.cpp) ---------------------------------------------
void cam_alarm_in_get(request& rq);          // "/6024" through the core (3298)
void cam_alarm_in_set(request& rq);          // "/6025"
void cam_alarm_out_get(request& rq);         // "/6028" through the core (3296)
void cam_alarm_out_set(request& rq);         // "/6029"
void cam_alarm_out_switch_set(request& rq);  // "/6033" switch by hand

// Reply writers of the camera queries, called with the reply claimed and a
// whole record.
int write_cam_alarm_in(const core_answer& answer);   // 8298
int write_cam_alarm_out(const core_answer& answer);  // 8296

// ---- the inputs as event sources (alarm_sources.cpp) ---------------------------------
extern const event_source alarm_in_source;                        // key: input id
extern const event_source cam_alarm_in_sources[cam_alarm_count];  // key: channel, index
// The members of the full input page besides its dialog ("name", "alarmType").
extern const std::span<const field> alarm_in_header_fields;

// ---- shared (alarm_table.cpp) --------------------------------------------------------

// The module's callback: renders the answers of the camera contact queries.
void alarm_reply(void* ctx, const void* header, const void* payload);
// The operation-log entry of a changed contact: sub type 204, parameter type
// 910 (inputs) or 911 (outputs), channel number id + 1.
inline constexpr int64_t oplog_sub_alarm = 204;
inline constexpr int oplog_param_alarm_in = 910;
inline constexpr int oplog_param_alarm_out = 911;
inline void alarm_oplog(int parameter_type, int id) { oplog_send(oplog_sub_alarm, parameter_type, id + 1); }
