// Recording schedules, recording modes, record settings and holidays: the
// module's request table.
#include "front/dispatchreq.h"
#include "modules/schedule/schedule.h"

namespace {

const request_entry table[] = {
    {"/6030", on_6030},  // holiday list
    {"/6031", on_6031},  // set one holiday
    {"/6040", on_6040},  // recording schedule of a channel
    {"/6041", on_6041},  // set the recording schedule of many channels
    {"/6042", on_6042},  // recording modes
    {"/6043", on_6043},  // set recording modes
    {"/6044", on_6044},  // record settings of a channel
    {"/6045", on_6045},  // set record settings and ANR of many channels
    {"/6046", on_6046},  // ANR support of a channel's camera (waits)
    {"/6047", on_6047},  // recording streams (waits)
};

}  // namespace

WEBREQ_MODULE(6, table)
