// The alarm module: the recorder's alarm inputs and outputs and the alarm
// contacts of its cameras (names, types, schedules, actions, manual
// switching, copies to other contacts).
//
// alarm_table.cpp holds the module's one request table; alarm_reply.cpp its
// reply callback. Handlers live in one file per kind of contact.
#pragma once

#include <json-c/json.h>

#include <cstdint>

// ---- recorder outputs (alarm_outputs.cpp) -----------------------------------------
void alarm_out_list(char* text);     // "/6020"
void alarm_out_switch_set(char* text);   // "/6023" switch by hand


// ---- recorder inputs (alarm_inputs.cpp) -----------------------------------------

void alarm_in_list(char* text);      // "/6060"
void alarm_in_state_set(char* text); // "/6063" name, type, enable
void alarm_in_basic_set(char* text); // "/6064" basic settings without schedule

// ---- names (alarm_names.cpp) -------------------------------------------------------
void alarm_out_names(char* text);    // "/6032" output names, recorder and cameras
void alarm_in_names(char* text);     // "/6034" input names, recorder and cameras

// ---- camera contacts (camera_alarms.cpp) -----------------------------------------
void cam_alarm_out_switch_set(char* text);  // "/6033" switch by hand

// ---- shared (alarm_reply.cpp) ------------------------------------------------------

// The module's callback: renders the answers of the camera contact queries.
void alarm_reply(void* ctx, const void* header, const void* payload);
// Notices without answer.
void alarm_notify(int msg_id, int32_t value);
void alarm_notify_mask(int msg_id, uint64_t mask);
// The operation-log entry of a changed contact: parameter type 910 (inputs)
// or 911 (outputs), channel number id + 1.
inline constexpr int oplog_param_alarm_in = 910;
inline constexpr int oplog_param_alarm_out = 911;
void alarm_oplog(int parameter_type, int id);
