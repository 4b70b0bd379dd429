// The request table of the status module: one row a code, in code order.
// The packet-capture codes of the same range live with the capture handlers.
#include "front/core_link.h"
#include "front/dispatchreq.h"
#include "modules/status/status.h"

namespace {

// "/8004" is a code the page calls that answers nothing at all.
void status_silent(request&) {}

const request_entry table[] = {
    {"/8000", status_page<3301>},  // interfaces -> 8301
    {"/8001", status_page<3302>},  // traffic -> 8302
    {"/8002", status_page<3300>},  // camera streams -> 8300
    {"/8003", status_page<3305>},  // event and alarm state -> 8305
    {"/8004", status_silent},
    {"/8008", status_page<3306>},  // storage totals -> 8306
    {"/8009", status_page<3263>},  // feature support -> 8263
    {"/8010", status_disk_groups},
    {"/8011", status_page<1719>},  // users logged in -> 6719
};

// Messages whose answers take longer than the usual 40 s, in wait rounds of
// 40 ms.
const core_wait waits[] = {
    {3263, 3000},  // /8009 feature support
};

}  // namespace

WEBREQ_MODULE(7, table)
CORE_WAITS(waits)
