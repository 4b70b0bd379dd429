// The network and services module: its handlers, one file per topic, the
// one request table and the one reply table in network_table.cpp.
#pragma once

#include "front/core_link.h"
#include "front/dispatchreq.h"

// The module's callback for the answers of the core daemon (network_table.cpp).
void network_reply(void* ctx, const void* header, const void* payload);

// ---- network configuration (net_config.cpp) --------------------------------
void net_config_show(request& rq);      // /7040 the settings of a mode (JSON)
void net_config_store(request& rq);     // /7041 store the settings, tell the core
void net_mode_show(request& rq);        // /7042 the mode in use
void net_config_reload(request& rq);    // /7043 1712 to the core
void net_mac_show(request& rq);         // /7044 the configured MAC address
void net_default_route(request& rq);    // /7096 store the default route, 1724
extern const struct record_page multicast_page;  // /7033, /7034

// {"res": n} of 6724 and 6729.
int write_config_result(const core_answer& answer);

// Tells the core daemon which settings changed (1702 with the group's name:
// "network", "pppoe", "ddns", "mail", ...), without waiting.
void net_notify_changed(const char* group);

// ---- address tests (net_addrtest.cpp) -------------------------------------
void net_test_ip(request& rq);          // /7070 3005
void net_test_dev_ip(request& rq);      // /7071 3006
// "0" when the address is free, "-1" otherwise (8005, 8006).
int write_addr_test(const core_answer& answer);
