// The request table of the network and services module: one row a code, in
// code order.
#include "front/core_link.h"
#include "front/dispatchreq.h"
#include "modules/network/network.h"

namespace {

const request_entry table[] = {
    {"/7033", net_multicast_show},
    {"/7034", net_multicast_store},
    {"/7040", net_config_show},
    {"/7041", net_config_store},
    {"/7042", net_mode_show},
    {"/7043", net_config_reload},
    {"/7044", net_mac_show},
    {"/7070", net_test_ip},
    {"/7071", net_test_dev_ip},
    {"/7096", net_default_route},
};

// Messages whose answers take longer than the usual 40 s, in wait rounds of
// 40 ms.
const core_wait waits[] = {
    {3700, 1500},  // /7061 P2P enable
    {3702, 1500},  // /7060 P2P state
    {1701, 6000},  // /7001 system time
    {3409, 6000},  // /7032 test mail
};

}  // namespace

WEBREQ_MODULE(4, table)
CORE_WAITS(waits)
