// The request table of the network and services module: one row a code, in
// code order.
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

}  // namespace

WEBREQ_MODULE(4, table)
