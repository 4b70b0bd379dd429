// The system module (OnSystem): login, users, logs, maintenance, device
// settings. Its request table is in system_table.cpp; the handlers live in
// one file per topic.
#pragma once

#include <cstdint>

#include "front/dispatchreq.h"

// The module's reply callback: hands each answer of the core daemon to the
// writer registered for its identifier in system_table.cpp.
void system_reply(void* ctx, const void* header, const void* payload);

// A reply writer gets the answer's payload (null when empty) and its size.
typedef void (*system_writer)(const void* payload, uint32_t size);

// ---- users.cpp: login, session, user accounts -----------------------------
void on_1000(request& rq);  // login
void on_1018(request& rq);  // session check (3504 -> 8504)
void on_1024(request& rq);  // clear the permission-update flag
void on_6070(request& rq);  // user list
void on_6071(request& rq);  // add a user
void on_6072(request& rq);  // change a user
void on_6073(request& rq);  // remove a user
void on_6074(request& rq);  // factory accounts
void on_6077(request& rq);  // tell the core daemon to reload the users
void write_8504(const void* payload, uint32_t size);
