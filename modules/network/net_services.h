// The service settings of the network module: system time (net_time.cpp),
// the PPPoE, dynamic-DNS and e-mail accounts (net_accounts.cpp), the service
// ports with the push messages and the per-channel access switch, the P2P
// cloud service, and the SNMP agent's settings. Rows in network_table.cpp.
#pragma once

#include "front/core_link.h"
#include "front/dispatchreq.h"

// ---- system time (net_time.cpp) -------------------------------------------------
void net_time_show(request& rq);            // /7000 the clock and its settings
extern const struct record_page time_page;  // /7001 store, then set the clock (1701)
// 6701: the clock was set; tells the core so (1711) and ends the wait.
int write_time_set(const core_answer& answer);

// ---- accounts (net_accounts.cpp) --------------------------------------------------
extern const record_page pppoe_page;  // /7010, /7011
extern const record_page ddns_page;   // /7020, /7021
extern const record_page email_page;  // /7030
void net_email_store(request& rq);    // /7031 the account, its receivers and the host name
void net_test_mail(request& rq);      // /7032 3409
// "OK" when the test mail went out, "ERROR" otherwise (8409).
int write_test_mail(const core_answer& answer);
// ---- service ports and push messages (net_ports.cpp) -------------------------
void ports_show(request& rq);      // /7050 ports, access switch, push settings
void ports_store(request& rq);     // /7051 store them after the port check
void access_show(request& rq);     // /7092 the per-channel access switch
void poe_ports_show(request& rq);  // /7093 the number of PoE ports

// The check every changed service port gets (the ports page and SNMP): true
// when wanted differs from stored and is reserved for the PoE cameras or
// already taken by a listening socket. An unchanged port is never checked.
bool port_change_refused(int stored, int wanted);
// Adds "sshPort", "httpPort", "rtspPort" and "httpsPort" of the stored ports
// to out (the SNMP page warns about clashes with them). False when the
// ports cannot be read.
bool add_service_ports(json_object* out);
// 1702 with the group of settings that changed ("more", "snmp").
void notify_settings_changed(const char* group);

// ---- the P2P service (net_p2p.cpp) ------------------------------------------
void p2p_state_show(request& rq);       // /7060 3702 -> 8702
void p2p_switch(request& rq);           // /7061 3700 -> 8700 or 3701 -> 8701
void p2p_register(request& rq);         // /7062 the exchange with the P2P server
void service_status_show(request& rq);  // /7094 3309 -> 8309
void service_action(request& rq);       // /7095 2302 -> 7302

int write_p2p_state(const core_answer& answer);       // 8702: the state as JSON
int write_p2p_enabled(const core_answer& answer);     // 8700: "ERR_OK", "ERR_NETWORK", ...
int write_p2p_disabled(const core_answer& answer);    // 8701: "OK" or "ERR"
int write_service_status(const core_answer& answer);  // 8309: {"status"}
int write_service_action(const core_answer& answer);  // 7302: {"res": 0}

// ---- SNMP (net_snmp.cpp) -----------------------------------------------------
void snmp_show(request& rq);   // /7090 the settings and the service ports
void snmp_store(request& rq);  // /7091 store after the port check, 1702
