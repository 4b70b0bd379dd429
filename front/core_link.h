// The link to the core daemon.
//
// One link per message: core_send opens it (tq_sock_init), sends, and for a
// waiting request waits for the module's reply writer; core_close releases it.
//
// Exactly one HTTP reply is written per request. The rules:
//
// - A reply writer (running on the socket library's thread) first calls
//   core_reply_claim(); only when that returns true does it write, and it
//   then calls core_reply_done(state). A writer that cannot build its reply
//   claims, writes the error text itself and calls core_reply_done(0): the
//   wait ends and nothing else is written.
// - A writer that writes no HTTP output because the handler answers from the
//   state (a result-only reply) calls core_reply_done(result) without
//   claiming.
// - The waiting handler's failure path (core_query) first closes the link,
//   which stops further callbacks and waits for one in progress, and then
//   claims the same way, so a reply that comes after the wait ran out writes
//   nothing.
// - Each waiting message's reply stands alone: core_send clears the state,
//   the claim and the done mark. A handler that has already written its own
//   reply (for example "OK") before a waiting exchange passes fail_type -1 to
//   core_query (or uses core_send and core_close), and the writers of that
//   exchange must not write.
// - A send made from inside a callback (a writer's follow-up notice) goes out
//   on the link that is already open: it neither reopens the link nor clears
//   the reply state, and it never waits (the answers would arrive on this
//   very thread). core_close called there does nothing; the handler's own
//   core_close releases the link.
//
// Every pause and wait bound is divided by the time divisor (nvr_env.h).
#pragma once

#include "front/reply.h"

#include <atomic>
#include <cstdint>
#include <cstring>
#include <span>

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

// Opens the link, clears the reply state and sends: up to 3000 attempts, each
// failed one followed by a 10 ms pause, and no longer in all than those
// pauses. A notice (no_wait) pauses 10 ms after its send as well; when every
// attempt failed it counts as sent. A waiting send then waits up to 10 ms
// plus core_wait_rounds(msg_id) rounds of 40 ms, and the wait ends at once
// when a writer calls core_reply_done (or sets core_reply_state) or the
// daemon ends the link the message went out on (a reply that arrived before
// counts). When every attempt failed it does not wait at all, so that the
// handler answers with its failure reply at once; either way a failed send
// leaves one debug-log line with the message id and the socket path.
// -1 when cb is null or the payload cannot be sent at all (negative or
// oversized length, null payload with a length); nothing is sent then.
// Otherwise 0, answered or not.
int core_send(reply_callback cb, int msg_id, int payload_len, const void* payload, int no_wait);
// Releases the link (tq_sock_uninit) and returns 0.
int core_close();
// Rounds of 40 ms that a waiting send waits for its reply: the rounds a
// module registered for the message (CORE_WAITS), else 1000.
int core_wait_rounds(int msg_id);

// A message whose reply may take longer than the usual 1000 rounds (40 s):
// a module lists its own in a table and registers it with CORE_WAITS.
struct core_wait {
    int32_t msg_id;
    int32_t rounds;
};
void core_register_waits(const core_wait* rows, int count);
#define CORE_WAITS_CONCAT2(a, b) a##b
#define CORE_WAITS_CONCAT(a, b) CORE_WAITS_CONCAT2(a, b)
#define CORE_WAITS(table)                                                                   \
    __attribute__((constructor)) static void CORE_WAITS_CONCAT(core_waits_add_, __LINE__)() { \
        core_register_waits(table, static_cast<int>(sizeof(table) / sizeof(table[0])));     \
    }

// Claims the one reply of this request. True for the first caller only.
bool core_reply_claim();
// Marks the reply handled: sets core_reply_state and ends the wait at once
// (also when state is 0).
void core_reply_done(int state);
// True once a reply was claimed (written or being written).
bool core_reply_claimed();
// True once core_reply_done was called or core_reply_state became non-zero
// since the latest core_send.
bool core_reply_finished();

// Id and size from a callback's header.
inline int core_header_id(const void* header) {
    return static_cast<const core_msg_header*>(header)->msg_id;
}
inline uint32_t core_header_size(const void* header) {
    return static_cast<const core_msg_header*>(header)->payload_size;
}

// A notice: send without waiting, then close the link.
void core_notify(reply_callback cb, int msg_id, int payload_len, const void* payload);

// A waiting request: send, wait for the writer, close the link; when the reply
// was not handled (core_reply_finished() false) and no writer claimed it,
// claim it and write cgi_reply_error(fail_type) (fail_type 0 plain text,
// 1 JSON, -1 nothing). Returns core_reply_state.
int core_query(reply_callback cb, int msg_id, int payload_len, const void* payload, int fail_type);
// The same with a module's own failure text (for example "Failed"), written
// as plain text (reply_type 0) or JSON (reply_type 1).
int core_query_text(reply_callback cb, int msg_id, int payload_len, const void* payload,
                    int reply_type, const char* fail_text);

// ---- reply tables -------------------------------------------------------------
//
// A module answers the core daemon's replies through one table of rows, one
// row an answer identifier, served by core_reply_table. The table does what
// every writer would otherwise repeat: it finds the row, counts the whole
// records, decides what a payload without a whole record means, claims the
// one HTTP reply and ends the wait with the writer's result. Unknown
// identifiers are ignored. A module defines its callback with
// CORE_REPLY_CALLBACK(name, rows).

// What an answer without one whole record means.
enum class reply_short : uint8_t {
    wait,   // it is not the answer: the wait goes on (and runs out)
    fail,   // a failed answer: the failure reply of the waiting request at once
    empty,  // an answer without records (an empty list): the writer runs with count 0
};

// Who writes the HTTP reply.
enum class reply_kind : uint8_t {
    page,    // the writer: the table claims the reply before it runs
    result,  // nobody here: the writer's result ends the wait, the handler answers
    // One answer of many (a stream): the writer takes its records and the
    // wait goes on; nothing is claimed and the writer's result is not
    // looked at. The writer ends the wait itself (core_reply_done) once
    // the stream is over.
    feed,
};

// An answer as a writer sees it. Records are copied out (the payload need
// not be aligned) and never read past the payload.
struct core_answer {
    const void* payload;  // null when size is 0
    uint32_t size;        // bytes
    uint32_t count;       // whole records (bytes when the row's record size is 0)

    template <typename T>
    T rec(uint32_t i = 0) const {
        T out;
        std::memset(&out, 0, sizeof out);
        if (payload && (static_cast<uint64_t>(i) + 1) * sizeof out <= size)
            std::memcpy(&out, static_cast<const char*>(payload) + static_cast<size_t>(i) * sizeof out, sizeof out);
        return out;
    }
    const char* bytes() const { return static_cast<const char*>(payload); }
};

struct reply_row {
    int32_t reply_id;
    uint32_t record_size;  // bytes of one record; 0: the payload is bytes
    reply_short short_payload;
    // Returns the state that ends the wait (core_reply_done): 1 as a rule,
    // 0 for a reply that was written as a failure.
    int (*write)(const core_answer& answer);
    reply_kind kind = reply_kind::page;
};

void core_reply_table(std::span<const reply_row> rows, const void* header, const void* payload);
// The same, with the feed rows served first (the module callbacks use it).
void core_reply_rows(std::span<const reply_row> rows, const void* header, const void* payload);

#define CORE_REPLY_CALLBACK(name, rows) \
    void name(void*, const void* header, const void* payload) { core_reply_rows(rows, header, payload); }

// Writes the failure reply of the waiting request ("CGI ERROR" in its form,
// or the text core_query_text was given) when nobody has claimed the reply,
// and ends the wait with state 0.
void core_reply_fail();

// A writer's reply for an answer that carries one 32-bit result: the JSON
// object {key: the answer's first int32}. Returns 1 (for reply-table writers:
// int write_x(const core_answer& a) { return reply_int_member("res", a); }).
int reply_int_member(const char* key, const core_answer& answer);

// Ready writers for answers that carry one 32-bit result.
// {"status": n} (claims the reply).
void cgi_reply_status(int record_count, const void* payload);
// "CGI OK status:[n]" or "CGI ERROR status:[n]", with ", data:[...]" when
// data is given (claims the reply).
int cgi_reply_result(int result, const char* data);
