// JSON forms of the compound values that many settings pages share: week
// schedules, channel masks, trigger-channel pairs, white-light lists and PTZ
// action lists.
//
// Replies carry schedules as objects with member names, requests carry them
// as positional arrays. Request input is never trusted to be complete: a
// missing or wrongly typed day, slot or item reads as empty, and arrays
// longer than the record are cut at its capacity.
//
// The *_to_json calls return a new json-c object that the caller adds to its
// reply (json_object_object_add takes the reference).
#pragma once

#include "platform/tqdb/rec_action.h"
#include "platform/tqdb/rec_schedule.h"

#include <json-c/json.h>

#include <cstdint>

// Days and slots per day that the JSON forms carry.
#define SCHED_JSON_DAYS 8
#define SCHED_JSON_SLOTS 12

// ---- week schedules ---------------------------------------------------------

// [8 days][12 slots] of {"startTime", "endTime", "actionType"}.
json_object* schedule_to_json(const week_schedule& sched);
// The same, except that a day whose flag is 0 gives 12 empty slots.
json_object* schedule_to_json_by_day(const week_schedule& sched);

// Reads req[member] as [8 days][12 slots] of [start, end, action] into sched,
// zero-filled first; texts are cut to 31 characters. Returns -1 (sched
// untouched) when req is null or the member is missing or not an array.
int schedule_from_json(json_object* req, const char* member, week_schedule* sched);
// The same, and marks all 8 days enabled (day flag 1).
int schedule_from_json_by_day(json_object* req, const char* member, week_schedule* sched);

// ---- channel sets -----------------------------------------------------------

// Mask of the channels listed in the first req[count_member] elements of
// req[array_member]; elements outside 0..63 or not integers are skipped. 0
// when the count is missing or not positive.
uint64_t channel_mask_from_json(json_object* req, const char* array_member,
                                const char* count_member);

// The trigger-channel pair: two 64-character '0'/'1' texts (65-byte fields).
#define CHANNEL_TEXT_SIZE 65
json_object* channel_pair_to_json(const char* first, const char* second);
// For elements 0 and 1 of req[member] that are strings, copies them (at most
// 64 characters) into pair[i]; other elements leave pair[i] as it was.
// -1 when req is null or the member is missing or not an array.
int channel_pair_from_json(json_object* req, const char* member,
                           char (&pair)[2][CHANNEL_TEXT_SIZE]);

// ---- white-light lists ------------------------------------------------------
// Lists hold action_list_len (64) rows.

// {"chnid", "mode", "time"} of each stored row of the owner's list in the
// named white-light table (name at most 63 characters).
json_object* led_list_to_json(const char* table, int owner);
// The same for the people-counting white-light list of a group.
json_object* led_list_to_json_peoplecnt(int group);
// The name that stands for the people-counting groups' white-light store
// where a list is named (it has calls of its own, as PTZ event type 20).
#define WHITE_LIST_PEOPLECNT "peoplecnt_wled_params"

// Fills rows (action_list_len entries, zero-filled first) from req[member]:
// each element an object {"chnid", "mode", "time"} or an array [chnid, mode,
// time]; every row gets owner first. Reading stops at the first element that
// is neither, and after action_list_len elements. -1 (rows untouched) when
// req or rows is null or the member is missing or not an array.
int led_list_from_json(int owner, led_entry* rows, json_object* req, const char* member);

// ---- PTZ actions ------------------------------------------------------------

// Event type 20 is people counting (a store of its own); every other type is
// a kind of the PTZ action store.
#define PTZ_EVENT_PEOPLECNT 20

// {"acto_ptz_channel", "acto_ptz_type", "acto_ptz_preset", "acto_ptz_patrol"}
// of every stored row whose acto_ptz_channel is above 0.
json_object* ptz_actions_to_json(int event_type, int event_channel);
// Replaces the event's list with the first action_list_len elements of arr
// ({"acto_ptz_channel", "acto_ptz_type", "acto_ptz_preset",
// "acto_ptz_patrol", "acto_ptz_pattern"}; a missing member reads as 0).
// 1 when the list was stored, else 0 (also for an arr that is no array).
int ptz_actions_from_json(int event_channel, int event_type, json_object* arr);
