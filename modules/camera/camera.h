// The camera module: request handlers of "/2000".."/2081" and the writers of
// the core daemon's answers to them.
//
// camera_table.cpp holds the module's one request table; camera_reply.cpp
// holds its one reply callback, which hands each answer to the writer of its
// identifier. Handlers and writers live in one file per topic.
#pragma once

#include <cstdint>

// ---- reply callback (camera_reply.cpp) ----------------------------------

// The module's callback for every message it sends: finds the writer of the
// answer's identifier; answers without payload or of unknown identifiers are
// ignored.
void camera_reply(void* ctx, const void* header, const void* payload);

// A reply writer: the answer's payload (never null) and its size in bytes.
typedef void (*camera_writer)(const void* payload, uint32_t size);

// ---- channels (channels.cpp) ----------------------------------------------

void cam_channel_get(char* text);       // "/2000" one channel's settings
void cam_channel_list(char* text);      // "/2001", "/2007" live channel list
void cam_edit(char* text);              // "/2003" edit a camera
void cam_add(char* text);               // "/2004" add a camera
void cam_delete(char* text);            // "/2005" delete a camera
void cam_channel_names(char* text);     // "/2012" channel names
void cam_set_credentials(char* text);   // "/2017" camera login
void cam_set_transport(char* text);     // "/2031" transport and time sync

void write_channel_list(const void* payload, uint32_t size);  // answer 8201

// The number of channels offered ("max_cameras", default 32), kept to 1..64.
int cam_max_channels();
