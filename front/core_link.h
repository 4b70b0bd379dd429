// The link to the core daemon.
//
// One link per message: core_send opens it (tq_sock_init), sends, and for a
// waiting request waits for the module's reply writer; core_close releases it.
//
// Exactly one HTTP reply is written per request. A reply writer (running on
// the socket library's thread) first calls core_reply_claim(); only when that
// returns true does it write, and it then calls core_reply_done(state). The
// handler's failure path (core_query below) claims the same way, so a reply
// that arrives after the wait ran out writes nothing.
#pragma once

#include <atomic>
#include <cstdint>

#define CORE_SOCKET_PATH "/var/run/tqsocket"

// Header as the socket library hands it to the callback: identifier at byte
// 12, payload size at byte 20 (24 bytes in all).
struct core_msg_header {
    char magic[4];
    uint32_t header_size;
    uint32_t seq;
    int32_t msg_id;
    uint32_t flags;
    uint32_t payload_size;
};
static_assert(sizeof(core_msg_header) == 24);

// Called on the socket library's thread for every message that arrives.
typedef void (*reply_callback)(void* ctx, const void* header, const void* payload);

// 0 while no reply has been handled since the latest core_send; a writer sets
// 1, or the daemon's result where a module says so.
extern std::atomic<int> core_reply_state;

int core_send(reply_callback cb, int msg_id, int payload_len, const void* payload, int no_wait);
int core_close();
int core_wait_rounds(int msg_id);

// Claims the one reply of this request. True for the first caller only.
bool core_reply_claim();
// Marks the reply written: sets core_reply_state and ends the wait at once.
void core_reply_done(int state);
// True once a reply was claimed (written or being written).
bool core_reply_claimed();

// Id and size from a callback's header.
inline int core_header_id(const void* header) {
    return static_cast<const core_msg_header*>(header)->msg_id;
}
inline uint32_t core_header_size(const void* header) {
    return static_cast<const core_msg_header*>(header)->payload_size;
}

// A notice: send without waiting, then close the link.
void core_notify(reply_callback cb, int msg_id, int payload_len, const void* payload);

// A waiting request: send, wait for the writer, close the link; when no writer
// claimed the reply, claim it and write cgi_reply_error(fail_type) (fail_type
// 0 plain text, 1 JSON, -1 nothing). Returns core_reply_state.
int core_query(reply_callback cb, int msg_id, int payload_len, const void* payload, int fail_type);
// The same with a module's own failure text (for example "Failed"), written
// as plain text (reply_type 0) or JSON (reply_type 1).
int core_query_text(reply_callback cb, int msg_id, int payload_len, const void* payload,
                    int reply_type, const char* fail_text);
