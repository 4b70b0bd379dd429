// The request table of the network and services module (one row a code, in
// code order) and its reply table (one row an answer identifier).
// clang-format off
#include "front/core_link.h"
#include "front/dispatchreq.h"
#include "modules/common/record_page.h"
#include "modules/network/network.h"
#include "platform/msg_network.h"

namespace {

// code, handler, what it takes, how it answers; then its reference: summary,
// request form, core messages, reply.
const request_entry table[] = {
    {"/7033", page_get<multicast_page>, IN_TEXT, OUT_JSON,
     "the multicast setting", "-", "-", "{enable, ip}"},
    {"/7034", page_set<multicast_page>, IN_JSON, OUT_JSON_ERR,
     "store the multicast setting and hand it to the core", "{enable?, ip?}", "1729 -> 6729", "{res}"},
    {"/7040", net_config_show, IN_TEXT, OUT_JSON,
     "the wired network settings of a mode (stored, IPv6 live where automatic)", "mode 0..2 (else the stored one)",
     "-", "{mode, hostName, [primaryNet,] interface members..., defaultRoute}"},
    {"/7041", net_config_store, IN_JSON, OUT_TEXT,
     "store the wired network settings and tell the core", "{mode, slaveClear, Conflict, interface members...}",
     "3023, 1702, 3485", "OK"},
    {"/7042", net_mode_show, IN_TEXT, OUT_TEXT,
     "the network mode in use", "-", "-", "0, 1 or 2"},
    {"/7043", net_config_reload, IN_TEXT, OUT_TEXT,
     "ask the core to apply the network settings again", "-", "1712", "OK"},
    {"/7044", net_mac_show, IN_TEXT, OUT_JSON,
     "the configured hardware address", "-", "-", "{mac0}"},
    {"/7070", net_test_ip, IN_JSON, OUT_TEXT,
     "is an address in use on the network", "{ip}", "3005 -> 8005", "0 free, -1 in use"},
    {"/7071", net_test_dev_ip, IN_JSON, OUT_TEXT,
     "is an address in use on one interface", "{dev, ip}", "3006 -> 8006", "0 free, -1 in use"},
    {"/7096", net_default_route, IN_JSON, OUT_JSON_ERR,
     "store the interface of the default route and hand it to the core", "{defaultRoute}", "1724 -> 6724",
     "{res}"},
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
// clang-format on

CORE_REPLY_CALLBACK(network_reply, replies)

WEBREQ_MODULE(4, table)
CORE_WAITS(waits)
