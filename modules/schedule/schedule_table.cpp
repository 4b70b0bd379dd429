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
    {"/6030", holiday_list, IN_TEXT, OUT_JSON,
     "the 32 holidays", "-", "-",
     "{holidays: [{id, enable, name, type, startYear, startMon, startMDay, startMWeek, startWDay, endYear, "
     "endMon, endMDay, endMWeek, endWDay}]}"},
    {"/6031", holiday_store, IN_JSON, OUT_TEXT,
     "store one holiday as given (members left out are cleared)",
     "{id 0..31, enable 0..1, type >= 0, name?, startYear?, startMon?, startMDay?, startMWeek?, startWDay?, "
     "endYear?, endMon?, endMDay?, endMWeek?, endWDay?}", "1401, 3485", "OK"},
    {"/6040", record_schedule_show, IN_TEXT, OUT_JSON,
     "the recording schedule of a channel", "channel 0..63", "-",
     "{id, schedule: [8 days x {wholedayEnable, wholedayActionType, plans: [48 x {startTime, endTime, "
     "actionType}]}]}"},
    {"/6041", record_schedule_store, IN_JSON, OUT_TEXT,
     "store a recording schedule and recording mode for the listed channels",
     "{cnt, chnid: [...], schedule: [8 days x {wholedayEnable, wholedayActionType?, plans: [[start, end, "
     "action]]}], recordplanmode?}", "1413 (channels whose mode changed), 1411, 3485", "OK"},
    {"/6042", record_modes_show, IN_TEXT, OUT_JSON,
     "the recording mode of every channel", "-", "-", "{records: [{id, mode}]}"},
    {"/6043", record_modes_store, IN_TEXT, OUT_TEXT,
     "store the recording mode of every listed channel, entry i for channel i",
     "{records: [up to 64 x {id 0..63, mode 0..2}]} as text", "3485, 1407 (each channel)",
     "OK, or ERROR for a malformed list"},
    {"/6044", record_settings_show, IN_TEXT, OUT_JSON,
     "a channel's record settings with its camera's stream and ANR flag", "channel 0..63", "-",
     "{id, prevRecordOn, prevRecordDuration, postRecordOn, postRecordDuration, audioEnable, "
     "recordStreamType, recordExpDate, cameraAnr, camEnable, camProtocol, poeChannel}"},
    {"/6045", record_settings_store, IN_JSON, OUT_JSON,
     "store record settings for the listed channels and switch their cameras' ANR where it can",
     "{cnt, chnid: [...], camAnr, prevRecordOn? 0..1, prevRecordDuration? >= 0, postRecordOn? 0..1, "
     "postRecordDuration?, audioEnable? 0..1, recordStreamType? 0..2, recordExpDate?}",
     "1310, 3485, 2285 -> 7285", "{resp: 0, or -1 when switching ANR on failed}"},
    {"/6046", anr_support_query, IN_TEXT, OUT_JSON,
     "does a channel's camera support ANR", "channel 0..63", "2286 -> 7286", "{chnid, support}"},
    {"/6047", record_streams_query, IN_TEXT, OUT_JSON,
     "the recording streams of the channels", "-", "3218 -> 8218",
     "{primary: [...], secondary: [...], size}"},
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
