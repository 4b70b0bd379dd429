// The network and services module: its handlers, one file per topic, and
// the one request table in network_table.cpp.
#pragma once

#include "front/dispatchreq.h"

// ---- network configuration (net_config.cpp) --------------------------------
void net_config_show(request& rq);      // /7040 the settings of a mode (JSON)
void net_config_store(request& rq);     // /7041 store the settings, tell the core
void net_mode_show(request& rq);        // /7042 the mode in use
void net_config_reload(request& rq);    // /7043 1712 to the core
void net_mac_show(request& rq);         // /7044 the configured MAC address
void net_multicast_show(request& rq);   // /7033 the multicast setting
void net_multicast_store(request& rq);  // /7034 store it, 1729
void net_default_route(request& rq);    // /7096 store the default route, 1724

// ---- address tests (net_addrtest.cpp) -------------------------------------
void net_test_ip(request& rq);      // /7070 3005
void net_test_dev_ip(request& rq);  // /7071 3006
