// The recording-schedule module: handlers, the reply callback, and the
// helpers its handlers share.
#pragma once

#include <json-c/json.h>

#include <cstdint>

#include "front/dispatchreq.h"
#include "platform/tqdb/rec_record.h"
#include "platform/tqdb/rec_schedule.h"

// Operation-log codes of the module (main type 4).
#define OPLOG_SUB_RECORD 204
#define OPLOG_PARAM_RECORD_MODE 905
#define OPLOG_PARAM_RECORD_SETTINGS 906
#define OPLOG_PARAM_RECORD_SCHEDULE 907
#define OPLOG_PARAM_HOLIDAY 920

// Holidays.
void on_6030(request& rq);
void on_6031(request& rq);
// Recording schedules.
void on_6040(request& rq);
void on_6041(request& rq);
// Recording modes.
void on_6042(request& rq);
void on_6043(request& rq);
// Record settings, ANR and recording streams.
void on_6044(request& rq);
void on_6045(request& rq);
void on_6046(request& rq);
void on_6047(request& rq);

// The module's reply callback (7285, 7286, 8218).
void schedule_replies(void* ctx, const void* header, const void* payload);

// A channel number given as the whole request text (decimal, blanks around
// it allowed). False for any other text or a number outside 0..63.
bool text_channel(const char* text, int* chn);

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
