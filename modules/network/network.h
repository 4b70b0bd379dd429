// The network and services module: its handlers, one file per topic, and
// the one request table in network_table.cpp.
#pragma once

// ---- network configuration (net_config.cpp) --------------------------------
void net_config_show(char* text);      // /7040 the settings of a mode (JSON)
void net_config_store(char* text);     // /7041 store the settings, tell the core
void net_mode_show(char* text);        // /7042 the mode in use
void net_config_reload(char* text);    // /7043 1712 to the core
void net_mac_show(char* text);         // /7044 the configured MAC address
void net_multicast_show(char* text);   // /7033 the multicast setting
void net_multicast_store(char* text);  // /7034 store it, 1729
void net_default_route(char* text);    // /7096 store the default route, 1724

// ---- address tests (net_addrtest.cpp) -------------------------------------
void net_test_ip(char* text);          // /7070 3005
void net_test_dev_ip(char* text);      // /7071 3006
