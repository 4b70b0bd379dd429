// The request table of the alarm module (one row a code, in code order) and
// its reply table (one row an answer identifier).
#include "front/core_link.h"
#include "front/dispatchreq.h"
#include "modules/alarm/alarm.h"
#include "platform/msg_alarm.h"

namespace {

// clang-format off
const request_entry table[] = {
    {"/6020", alarm_out_list, IN_TEXT, OUT_JSON,
     "the recorder's alarm outputs", "-", "-", "[4 x {id, name, type, enable, durationTime}]"},
    {"/6021", alarm_out_get, IN_JSON, OUT_JSON_ERR,
     "one alarm output of the recorder with its schedule", "{alarmId 0..3}", "-",
     "{id, name, type, enable, durationTime, effective: [8 days x 12 x {startTime, endTime, actionType}]}"},
    {"/6022", alarm_out_set, IN_JSON, OUT_TEXT_ERR,
     "store an alarm output and copy its enable, type, duration and schedule to the listed outputs",
     "{alarmId 0..3, dialog?: {effective}, name?, type?, enable?, durationTime?, copyCnt?, copyChn?: [...]}",
     "1405 (the output, then each copy), 3509", "OK"},
    {"/6023", alarm_out_switch_set, IN_JSON, OUT_TEXT,
     "switch an alarm output of the recorder by hand", "{id 0..3, enable?}", "1409, 3485", "OK"},
    {"/6024", cam_alarm_in_get, IN_JSON, OUT_JSON_ERR,
     "a camera's alarm inputs: the state the core reports, names and actions", "{chnid 0..63}",
     "3298 -> 8298",
     "{chnid, alarmCnt, alarm: [up to 2 x {alarmEnable, alarmType, alarmStatus, alarmName, effective, "
     "audible, interval, audioId, ..., ptzParams, triAlarms, triChannels, triChnAlarms, white, whiteInfo, "
     "white_interval}]}"},
    {"/6025", cam_alarm_in_set, IN_JSON, OUT_JSON_ERR,
     "store the actions of a camera alarm input and the inputs' names; copy them to the listed channels",
     "{chnid 0..63, alarmId 0..1, dialog?: {action members}, alarmCnt?, alarm?: [up to 2 x {alarmEnable, "
     "alarmType, alarmName?}], copyCnt?, copyChn?: [...]}", "(3325 when alarmCnt is given), 1417", "OK"},
    {"/6026", alarm_in_actions_get, IN_JSON, OUT_JSON_ERR,
     "an alarm input of the recorder with all its actions", "{alarmId 0..15}", "-",
     "{alarmId, name, alarmType, enable, triAlarms, interval, email_interval, ..., triChannels, "
     "triSnapshot, effective, audible, email, ptz, triChnAlarms, white, whiteInfo, white_interval, audioId, "
     "audioIdMask, ptzParams}"},
    {"/6027", alarm_in_actions_set, IN_JSON, OUT_JSON_ERR,
     "store an alarm input's actions and copy them (not name, channels, pictures) to the listed inputs",
     "{alarmId 0..15, name?, alarmType?, dialog?: {action members}, copyCnt?, copyChn?: [...]}", "1415",
     "OK"},
    {"/6028", cam_alarm_out_get, IN_JSON, OUT_JSON_ERR,
     "a camera's alarm outputs: the state the core reports, names, delays and schedules", "{chnid 0..63}",
     "3296 -> 8296",
     "{chnid, alarmCnt, alarm: [2 x {alarmType, alarmStatus, alarmName, delayTime, effective}]}"},
    {"/6029", cam_alarm_out_set, IN_JSON, OUT_JSON_ERR,
     "store a camera alarm output's schedule and the outputs' names and delays; copy schedules and delays to "
     "the listed channels",
     "{chnid 0..63, alarmId 0..1, dialog?: {effective}, alarmCnt?, alarm?: [up to 2 x {alarmType, "
     "alarmName, delayTime}], copyCnt?, copyChn?: [...]}", "(3324 when alarmCnt is given), 1418", "OK"},
    {"/6032", alarm_out_names, IN_TEXT, OUT_JSON,
     "the names of the alarm outputs: the recorder's and each camera's two", "-", "-",
     "{nvr: [4 names], camera: [64 x [2 names]]}"},
    {"/6033", cam_alarm_out_switch_set, IN_JSON, OUT_TEXT_ERR,
     "switch a camera's alarm output by hand (the core checks the values)", "{chnid, alarmId, state}", "3352",
     "OK"},
    {"/6034", alarm_in_names, IN_TEXT, OUT_JSON,
     "the names of the alarm inputs: the recorder's and each camera's two", "-", "-",
     "{nvr: [16 names], camera: [64 x [2 names]]}"},
    {"/6060", alarm_in_list, IN_TEXT, OUT_JSON,
     "the recorder's alarm inputs", "-", "-", "[16 x {id, enable, name, type, triChannels, triAlarms}]"},
    {"/6061", alarm_in_get, IN_TEXT, OUT_JSON,
     "an alarm input of the recorder with its basic schedule", "input 0..15", "-",
     "{alarm: {id, enable, name, type, triChannels, triAlarms, interval, triSnapshot}, "
     "schedule: [8 days x 12 x {startTime, endTime, actionType}]}"},
    {"/6062", alarm_in_basic_schedule_set, IN_JSON, OUT_TEXT,
     "store an alarm input's basic page and its basic schedule",
     "{alarm: {id 0..15, enable 0..2, type 0..1, triChannels, name?, triAlarms? >= 0, interval? >= 0}, "
     "schedule?}", "1404, 3485", "OK"},
    {"/6063", alarm_in_state_set, IN_JSON, OUT_TEXT,
     "store an alarm input's name, type and enable", "{alarm: {camId 0..15, enable?, name?, type?}}",
     "1404, 3485", "OK"},
    {"/6064", alarm_in_basic_set, IN_JSON, OUT_TEXT,
     "store an alarm input's basic page (enable checked, not stored)",
     "{alarm: {id 0..15, enable 0..2, type 0..1, triChannels, name?, triAlarms? >= 0, interval? >= 0}}",
     "1404, 3485", "OK"},
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
