// The request table of the storage module: one row a code, in code order.
#include "front/core_link.h"
#include "front/dispatchreq.h"
#include "modules/storage/storage.h"

namespace {

const request_entry table[] = {
    {"/6100", disk_list},
    {"/6101", disk_set_property},
    {"/6102", disk_format},
    {"/6103", disk_check_port},
    {"/6104", raid_build},
    {"/6105", raid_remove},
    {"/6106", raid_hot_spare},
    {"/6107", raid_add_disk},
    {"/6108", disk_raid_mode_show},
    {"/6109", disk_raid_mode_store},
    {"/6200", nas_remove},
    {"/6201", nas_add},
    {"/6202", nas_browse},
    {"/6203", nas_edit},
    {"/6204", esata_mode_store},
    {"/6205", esata_mode_show},
    {"/6206", disk_self_test},
    {"/6207", disk_remove},
};

// Messages whose answers take longer than the usual 40 s, in wait rounds of
// 40 ms.
const core_wait waits[] = {
    {3535, 3000},   // /6224 eSATA backup
    {3420, 6000},   // /6104 disk format
    {3440, 6000},   // /6202 NAS search
    {3434, 15000},  // /6102 NAS format
};

}  // namespace

WEBREQ_MODULE(8, table)
CORE_WAITS(waits)
