// The request table of the network and services module (one row a code, in
// code order) and its reply table (one row an answer identifier).
// clang-format off
#include "front/core_link.h"
#include "front/dispatchreq.h"
#include "modules/common/record_page.h"
#include "modules/network/net_services.h"
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
    {"/7050", ports_show, IN_TEXT, OUT_JSON,
     "the service ports, the per-channel access switch and the push-message settings", "-", "-",
     "{enableSsh, sshPort, httpPort, httpsPort, rtspPort, servicePort, posPort, enable_access, PushTypeArr, "
     "PushNvrAlarmInType, enableMsg, push_stream, pushNvrPos}"},
    {"/7051", ports_store, IN_JSON, OUT_TEXT,
     "store the push settings, then the service ports unless a changed one is reserved or listening",
     "{enableSsh, sshPort, httpPort, rtspPort, servicePort, enableMsg, posPort?, httpsPort?, enableAccess?, "
     "needReboot?, channel_num?, pushType?, PushTypeNvrAlarmIn?, pushTypeArr?, pushNvrPos?, pushVideoStream?}",
     "(3618), (1422), 3617, 3485, 1702, (3485, 1703)", "OK, POE_Port_Error or POS_Port_Error"},
    {"/7060", p2p_state_show, IN_TEXT, OUT_JSON,
     "the P2P service's state", "-", "3702 -> 8702",
     "{enable, company, email, p2pstatus, cloudAccount, registerCode, dealer, model, ipc, cloudServer}"},
    {"/7061", p2p_switch, IN_JSON, OUT_TEXT,
     "switch the P2P service on or off", "{enableP2P}", "3700 -> 8700 or 3701 -> 8701",
     "ERR_OK, ERR_NOTFOUND, ERR_NETWORK, ... (on); OK or ERR (off)"},
    {"/7062", p2p_register, IN_JSON, OUT_TEXT,
     "register the recorder with the P2P server over TCP", "{sn, deviceName}", "(3700)",
     "0 registered, 2 not found, 3 network failure, 4 key switch failed"},
    {"/7070", net_test_ip, IN_JSON, OUT_TEXT,
     "is an address in use on the network", "{ip}", "3005 -> 8005", "0 free, -1 in use"},
    {"/7071", net_test_dev_ip, IN_JSON, OUT_TEXT,
     "is an address in use on one interface", "{dev, ip}", "3006 -> 8006", "0 free, -1 in use"},
    {"/7090", snmp_show, IN_TEXT, OUT_JSON,
     "the SNMP agent's settings, with the service ports", "-", "-",
     "{v1_enable, v2c_enable, write_community, read_community, v3_enable, read_/write_ user members..., port, "
     "sshPort, httpPort, rtspPort, httpsPort}"},
    {"/7091", snmp_store, IN_JSON, OUT_TEXT,
     "store the SNMP agent's settings unless a changed port is reserved or listening",
     "{v1_enable, v2c_enable, communities, v3_enable, read_/write_ user members..., port}", "1702",
     "OK or POE_Port_Error"},
    {"/7092", access_show, IN_TEXT, OUT_JSON,
     "the per-channel access switch", "-", "-", "{access}"},
    {"/7093", poe_ports_show, IN_TEXT, OUT_JSON,
     "the number of PoE ports", "-", "-", "{max_poe_num}"},
    {"/7094", service_status_show, IN_TEXT, OUT_JSON,
     "a service status the core daemon reports", "-", "3309 -> 8309", "{status}"},
    {"/7095", service_action, IN_TEXT, OUT_JSON,
     "a service request to the core daemon, whose answer is not read", "-", "2302 -> 7302", "{res: 0}"},
    {"/7096", net_default_route, IN_JSON, OUT_JSON_ERR,
     "store the interface of the default route and hand it to the core", "{defaultRoute}", "1724 -> 6724",
     "{res}"},
};

const reply_row replies[] = {
    {msg_default_route_reply, 4, reply_short::wait, write_config_result},
    {msg_multicast_reply, 4, reply_short::wait, write_config_result},
    {msg_ip_test_reply, 4, reply_short::wait, write_addr_test},
    {msg_dev_ip_test_reply, 4, reply_short::wait, write_addr_test},
    {msg_p2p_state_reply, sizeof(p2p_state), reply_short::wait, write_p2p_state},
    {msg_p2p_enable_reply, 4, reply_short::wait, write_p2p_enabled},
    {msg_p2p_disable_reply, 4, reply_short::wait, write_p2p_disabled},
    {msg_service_status_reply, 4, reply_short::wait, write_service_status},
    {msg_service_action_reply, 0, reply_short::empty, write_service_action},
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
