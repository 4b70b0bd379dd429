// Recording schedules, recording modes, record settings and holidays: the
// module's request table (one row a code, in code order) and its reply
// table (one row an answer identifier).
#include "front/core_link.h"
#include "front/dispatchreq.h"
#include "modules/schedule/schedule.h"
#include "platform/msg_schedule.h"

namespace {

// clang-format off
const request_entry table[] = {
    {"/6030", holiday_list, IN_TEXT, OUT_JSON},
    {"/6031", holiday_store, IN_JSON, OUT_TEXT},
    {"/6040", record_schedule_show, IN_TEXT, OUT_JSON},
    {"/6041", record_schedule_store, IN_JSON, OUT_TEXT},
    {"/6042", record_modes_show, IN_TEXT, OUT_JSON},
    {"/6043", record_modes_store, IN_TEXT, OUT_TEXT},
    {"/6044", record_settings_show, IN_TEXT, OUT_JSON},
    {"/6045", record_settings_store, IN_JSON, OUT_JSON},
    {"/6046", anr_support_query, IN_TEXT, OUT_JSON},
    {"/6047", record_streams_query, IN_TEXT, OUT_JSON},
};
// clang-format on

// An answer shorter than its record is no answer: the wait runs out.
const reply_row replies[] = {
    {msg_anr_switch_reply, sizeof(anr_switch_reply), reply_short::wait, write_anr_switch},
    {msg_anr_support_reply, sizeof(anr_support_reply), reply_short::wait, write_anr_support},
    {msg_record_streams_reply, sizeof(record_streams_reply), reply_short::wait, write_record_streams},
};

}  // namespace

CORE_REPLY_CALLBACK(schedule_reply, replies)

WEBREQ_MODULE(6, table)
