// The request table of the network and services module (one row a code, in
// code order) and its reply table (one row an answer identifier).
// clang-format off
#include "front/core_link.h"
#include "front/dispatchreq.h"
#include "modules/common/record_page.h"
#include "modules/network/net_https.h"
#include "modules/network/net_services.h"
#include "modules/network/network.h"
#include "platform/msg_network.h"

namespace {

// code, handler, what it takes, how it answers; then its reference: summary,
// request form, core messages, reply.
const request_entry table[] = {
    {"/7000", net_time_show, IN_TEXT, OUT_JSON,
     "the recorder's clock and its time settings", "-", "-",
     "{dateYear, dateMon, dateDay, dateHour, dateMin, dateSec, serverTime, ntpEnable, dstEnable, timeZone, "
     "timeZoneName, ntpServer, syncEnable, syncInterval (index 0..8), syncPc}"},
    {"/7001", page_set<time_page>, IN_JSON, OUT_TEXT,
     "store the time settings, then have the core set the clock (by hand or by NTP)",
     "{ntpEnable 0..1, dstEnable 0..1, timeZone, timeZoneName, syncEnable, syncInterval, syncPc, ntpServer?, "
     "manualTime? (digits, blanks, - : /), failoverMode?}",
     "1701 -> 6701 (then 1711), 3485", "OK"},
    {"/7010", page_get<pppoe_page>, IN_TEXT, OUT_JSON,
     "the PPPoE account and the dial-up link's address", "-", "-",
     "{enable, autoConnect, userName, password, pppoeipaddr}"},
    {"/7011", page_set<pppoe_page>, IN_JSON, OUT_TEXT,
     "store the PPPoE account", "{enable 0..1, autoConnect?, userName?, password?}", "1702 pppoe, 3485", "OK"},
    {"/7020", page_get<ddns_page>, IN_TEXT, OUT_JSON,
     "the dynamic-DNS account", "-", "-",
     "{enable, domain, userName, password, hostName, ddnsurl, freeDNSHash, updateFreq, http_port, rtsp_port, mac}"},
    {"/7021", page_set<ddns_page>, IN_JSON, OUT_TEXT,
     "store the dynamic-DNS account",
     "{enable 0..1, updateFreq >= 0, domain?, userName?, password?, hostName?, ddnsurl?, freeDNSHash?, http?, rtsp?}",
     "1702 ddns, 3485", "OK"},
    {"/7030", page_get<email_page>, IN_TEXT, OUT_JSON,
     "the e-mail account, the mail's host name and the receivers", "-", "-",
     "{enable, userName, password, smtpServer, smtpPort, senderAddr, senderName, enableTls, enableAttach, "
     "captureInterval, enableHostName, hostName, receivers: [3 x {receiverAddr, receiverName}]}"},
    {"/7031", net_email_store, IN_JSON, OUT_TEXT,
     "store the e-mail account, its receivers and the mail's host name",
     "{smtpPort >= 0, enableTls 0..2, enableAttach 0..1, captureInterval >= 0, enable?, userName?, password?, "
     "smtpServer?, senderName?, senderAddr?, receivers?: [{receiverAddr?, receiverName?}], enableHostName?, "
     "hostName?}",
     "1702 mail, 3485", "OK"},
    {"/7032", net_test_mail, IN_TEXT, OUT_TEXT,
     "have the core send a test mail", "-", "3409 -> 8409", "OK or ERROR"},
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
    {"/7080", net_cert_create, IN_JSON, OUT_TEXT,
     "prepare the CA work directory and have the core create a self-signed certificate or a signing request",
     "{InstallType (0 self-signed), Country, CommonName, Validity, Password, Province, Region, Organization, "
     "Company, Email, startTime, endTime}",
     "3316 -> 8316", "OK"},
    {"/7081", net_cert_show, IN_TEXT, OUT_JSON,
     "the installed certificate (a missing file switches HTTPS off)", "-", "-",
     "{enable, checkfile: OK, country, common_name, email, dates} or {enable, checkfile: NOFILE}"},
    {"/7082", net_csr_download, IN_TEXT, OUT_TEXT,
     "download the pending signing request", "-", "-", "ssl_cert.csr as a download, or NotFile"},
    {"/7083", net_cert_use, IN_TEXT, OUT_TEXT,
     "tell the core to take up the created certificate", "-", "3317", "OK"},
    {"/7084", net_cert_upload, IN_TEXT, OUT_TEXT,
     "install the certificate uploaded with this request (the old one kept as the saved copy)",
     "multipart upload of a PEM certificate", "3318 -> 8318", "OK or Error"},
    {"/7085", net_cert_delete, IN_TEXT, OUT_TEXT,
     "delete the certificate and switch HTTPS off", "-", "3320, 3322", "OK"},
    {"/7086", net_https_switch, IN_JSON, OUT_TEXT,
     "switch HTTPS on (only with a certificate) or off", "{httpsenable}", "3322", "OK or NOFILE"},
    {"/7087", net_https_show, IN_TEXT, OUT_JSON,
     "the HTTPS switch", "-", "-", "{enable}"},
    {"/7089", net_csr_show, IN_TEXT, OUT_JSON,
     "the pending signing request", "-", "-",
     "{checkfile: OK, country_req, common_name_req, email_req} or {checkfile: NOFILE}"},
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
    {msg_time_set_reply, 0, reply_short::empty, write_time_set, reply_kind::result},
    {msg_test_mail_reply, 4, reply_short::wait, write_test_mail},
    {msg_cert_create_reply, 0, reply_short::empty, write_cert_created},
    {msg_cert_install_reply, 4, reply_short::wait, write_cert_installed},
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
