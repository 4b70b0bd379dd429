// The system module's request table (one row a code, in code order) and
// the table of its reply writers (one row an answer identifier).
#include "front/core_link.h"
#include "front/dispatchreq.h"
#include "modules/system/system.h"

namespace {

const request_entry table[] = {
    {"/1000", on_1000},
    {"/1018", on_1018},
    {"/1024", on_1024},
    {"/6070", on_6070},
    {"/6071", on_6071},
    {"/6072", on_6072},
    {"/6073", on_6073},
    {"/6074", on_6074},
    {"/6077", on_6077},
};

struct writer_entry {
    int reply_id;
    system_writer writer;
};

const writer_entry writers[] = {
    {8504, write_8504},
};

// Messages whose answers take longer than the usual 40 s, in wait rounds of
// 40 ms.
const core_wait waits[] = {
    {3365, 3000},   // /6089 upgrade check
    {3401, 3000},   // device information (no code sends it)
    {1713, 6000},   // /1010, /6088 reset
    {1716, 6000},   // /6085 firmware download
    {3402, 6000},   // device information (no code sends it)
    {3528, 6000},   // /6310 diagnostic package
    {3350, 15000},  // /6083 camera upgrade
    {3494, 15000},  // /1003 log export
    {3495, 15000},  // /1002 log search
};

}  // namespace

void system_reply(void*, const void* header, const void* payload) {
    int id = core_header_id(header);
    for (const writer_entry& row : writers) {
        if (row.reply_id == id) {
            row.writer(payload, core_header_size(header));
            return;
        }
    }
}

WEBREQ_MODULE(10, table)
CORE_WAITS(waits)
