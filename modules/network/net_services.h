// The service settings of the network module: system time (net_time.cpp),
// and the PPPoE, dynamic-DNS and e-mail accounts (net_accounts.cpp).
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
