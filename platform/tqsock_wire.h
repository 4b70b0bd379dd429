// The framing on the core daemon's socket, shared by the socket library and
// the simulated core daemon.
//
// Each message, in both directions, is a 24-byte header followed by the
// payload; all fields little-endian (the byte order of every target).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

struct tq_sock_header {
    char magic[4];           // 0: 'N' 'V' 'R' 'M'
    uint32_t header_size;    // 4: 24
    uint32_t seq;            // 8: sender's own counter, informational
    int32_t msg_id;          // 12
    uint32_t flags;          // 16: 0
    uint32_t payload_size;   // 20
};
static_assert(sizeof(tq_sock_header) == 24);
static_assert(offsetof(tq_sock_header, header_size) == 4);
static_assert(offsetof(tq_sock_header, seq) == 8);
static_assert(offsetof(tq_sock_header, msg_id) == 12);
static_assert(offsetof(tq_sock_header, flags) == 16);
static_assert(offsetof(tq_sock_header, payload_size) == 20);

#define TQ_SOCK_HEADER_SIZE 24u
// A larger payload is a framing error: the receiver closes the connection.
#define TQ_SOCK_MAX_PAYLOAD (16u * 1024u * 1024u)

inline tq_sock_header tq_sock_make_header(uint32_t seq, int32_t msg_id, uint32_t payload_size) {
    tq_sock_header h;
    std::memcpy(h.magic, "NVRM", 4);
    h.header_size = TQ_SOCK_HEADER_SIZE;
    h.seq = seq;
    h.msg_id = msg_id;
    h.flags = 0;
    h.payload_size = payload_size;
    return h;
}

// True when the header is one this framing accepts.
inline bool tq_sock_header_valid(const tq_sock_header& h) {
    return std::memcmp(h.magic, "NVRM", 4) == 0 && h.header_size == TQ_SOCK_HEADER_SIZE &&
           h.payload_size <= TQ_SOCK_MAX_PAYLOAD;
}
