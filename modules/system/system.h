// The system module (OnSystem): login, users, logs, maintenance, device
// settings. Its request table is in system_table.cpp; the handlers live in
// one file per topic.
#pragma once

#include <cstdint>

// The module's reply callback: hands each answer of the core daemon to the
// writer registered for its identifier in system_table.cpp.
void system_reply(void* ctx, const void* header, const void* payload);

// A reply writer gets the answer's payload (null when empty) and its size.
typedef void (*system_writer)(const void* payload, uint32_t size);

// ---- users.cpp: login, session, user accounts -----------------------------
void on_1000(char* text);  // login
void on_1018(char* text);  // session check (3504 -> 8504)
void on_1024(char* text);  // clear the permission-update flag
void on_6070(char* text);  // user list
void on_6071(char* text);  // add a user
void on_6072(char* text);  // change a user
void on_6073(char* text);  // remove a user
void on_6074(char* text);  // factory accounts
void on_6077(char* text);  // tell the core daemon to reload the users
void write_8504(const void* payload, uint32_t size);
