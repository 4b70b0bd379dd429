// The request table of the network and services module (one row a code, in
// code order) and its reply table (one row an answer identifier).
#include "front/core_link.h"
#include "front/dispatchreq.h"
#include "modules/common/record_page.h"
#include "modules/network/network.h"
#include "platform/msg_network.h"

namespace {

const request_entry table[] = {
    {"/7033", page_get<multicast_page>, IN_TEXT, OUT_JSON},
    {"/7034", page_set<multicast_page>, IN_JSON, OUT_JSON_ERR},
    {"/7040", net_config_show, IN_TEXT, OUT_JSON},
    {"/7041", net_config_store, IN_JSON, OUT_TEXT},
    {"/7042", net_mode_show, IN_TEXT, OUT_TEXT},
    {"/7043", net_config_reload, IN_TEXT, OUT_TEXT},
    {"/7044", net_mac_show, IN_TEXT, OUT_JSON},
    {"/7070", net_test_ip, IN_JSON, OUT_TEXT},
    {"/7071", net_test_dev_ip, IN_JSON, OUT_TEXT},
    {"/7096", net_default_route, IN_JSON, OUT_JSON_ERR},
};

const reply_row replies[] = {
    {msg_default_route_reply, 4, reply_short::wait, write_config_result},
    {msg_multicast_reply, 4, reply_short::wait, write_config_result},
    {msg_ip_test_reply, 4, reply_short::wait, write_addr_test},
    {msg_dev_ip_test_reply, 4, reply_short::wait, write_addr_test},
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

CORE_REPLY_CALLBACK(network_reply, replies)

WEBREQ_MODULE(4, table)
CORE_WAITS(waits)
