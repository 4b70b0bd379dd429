// The general settings pages: device name and information, display outputs,
// retention, UPnP, automatic restart (device_settings.cpp).
#pragma once

#include <string>

#include "front/core_link.h"
#include "front/dispatchreq.h"
#include "modules/common/record_page.h"

void device_info_show(request& rq);    // /1009, /1020 3400
void device_name_store(request& rq);   // /1012 1705, 1702
void device_log_cleared(request& rq);  // /1014 operation log 202 / 900
void device_dbup_clear(request& rq);   // /1023 "tqfs_dbup" = 0
void upnp_change(request& rq);         // /1031 3720 (not stored)
void display_show(request& rq);        // /6080
void display_store(request& rq);       // /6081
void device_probe(request& rq);        // /6075 3265
void device_probe_clear(request& rq);  // /6076 3267

extern const record_page retention_page;     // /1016, /1017
extern const record_page upnp_page;          // /1030
extern const record_page auto_restart_page;  // /1032, /1033

int write_device_info(const core_answer& answer);   // 8400
int write_device_probe(const core_answer& answer);  // 8265

// The "uptime" line as the page shows it: cut 5 characters before "users",
// or without that word 2 before the first 'l' (never before the start);
// without either the whole text.
std::string uptime_shown(const std::string& line);
