// The recording-schedule module: its handlers (one file per topic), the one
// request table and the one reply table in schedule_table.cpp, and the
// helpers its handlers share.
#pragma once

#include <json-c/json.h>

#include <cstdint>

#include "front/core_link.h"
#include "front/dispatchreq.h"
#include "platform/tqdb/rec_record.h"
#include "platform/tqdb/rec_schedule.h"

// Operation-log codes of the module (main type 4).
inline constexpr int64_t oplog_sub_record = 204;
inline constexpr int oplog_param_record_mode = 905;
inline constexpr int oplog_param_record_settings = 906;
inline constexpr int oplog_param_record_schedule = 907;
inline constexpr int oplog_param_holiday = 920;

// The module's callback for the answers of the core daemon (schedule_table.cpp).
void schedule_reply(void* ctx, const void* header, const void* payload);

// ---- holidays (holiday.cpp) ------------------------------------------------------
void holiday_list(request& rq);   // /6030 the 32 holidays
void holiday_store(request& rq);  // /6031 one holiday; 1401

// ---- recording schedules (record_schedule.cpp) ------------------------------------
void record_schedule_show(request& rq);   // /6040 one channel's week
void record_schedule_store(request& rq);  // /6041 a week and mode for many channels; 1413, 1411

// ---- recording modes (record_mode.cpp) --------------------------------------------
void record_modes_show(request& rq);   // /6042 the mode of every channel offered
void record_modes_store(request& rq);  // /6043 modes by position; 1407 per entry

// ---- record settings, ANR, streams (record_settings.cpp) ---------------------------
void record_settings_show(request& rq);   // /6044 one channel's settings and camera
void record_settings_store(request& rq);  // /6045 settings and ANR of many channels; 1310, 2285
void anr_support_query(request& rq);      // /6046 2286
void record_streams_query(request& rq);   // /6047 3218
// Writers of the answers 7285, 7286, 8218.
int write_anr_switch(const core_answer& answer);
int write_anr_support(const core_answer& answer);
int write_record_streams(const core_answer& answer);

// ---- shared (schedule_common.cpp, record_plan.cpp) ---------------------------------

// The channels a set request lists: the first "cnt" elements of "chnid"
// that are channels 0..63, each once, in request order.
struct chn_list {
    uint64_t mask = 0;
    int32_t chn[64] = {};
    int count = 0;
    int last = -1;  // the last listed channel 0..63 (repeats included), -1 for none
};
// False when "cnt" is missing or "chnid" is not an array.
bool chn_list_from_json(json_object* req, chn_list* out);

// The 48-slot recording-schedule codec. The request form is 8 day objects
// whose plans are arrays [start, end, action]; the reply form lists every
// plan as an object. from_json zero-fills out first; a missing or malformed
// day, plan or element is an empty one, elements past 8 days or 48 plans are
// ignored.
void record_plan_from_json(json_object* days, week_schedule* out);
json_object* record_plan_to_json(const week_schedule& week);
