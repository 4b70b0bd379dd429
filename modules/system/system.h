// The system module: login, users, logs, maintenance, device settings. Its
// request table and its reply table are in system_table.cpp; the handlers
// live in one file per topic. The wizard's quick settings (wizard.cpp) are a
// module of their own with their own table.
#pragma once

#include "front/core_link.h"
#include "front/dispatchreq.h"

// The module's callback for the answers of the core daemon (system_table.cpp).
void system_reply(void* ctx, const void* header, const void* payload);

// ---- login, session, user accounts (users.cpp) ------------------------------
void user_login(request& rq);             // /1000 check the hash, the rights
void session_check(request& rq);          // /1018 3504, redirect by the verdict
void permission_flag_clear(request& rq);  // /1024
void users_list(request& rq);             // /6070
void user_add(request& rq);               // /6071
void user_change(request& rq);            // /6072
void user_remove(request& rq);            // /6073
void factory_users_list(request& rq);     // /6074
void users_reload(request& rq);           // /6077 3505 to the core
// The redirect (and guest cookies) of 8504.
int write_session_verdict(const core_answer& answer);
