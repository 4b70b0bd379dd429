// Socket steps with a time bound, for links to servers outside the recorder
// (a server that accepts and then says nothing must not hold a CGI process
// for ever). Every bound is divided by the time divisor (nvr_env.h) and is a
// deadline for the whole step: a peer that trickles one byte at a time does
// not extend it.
#pragma once

#include <sys/socket.h>

#include <cstddef>

// Connects fd to addr within timeout_ms. The descriptor is left in blocking
// mode afterwards. 0 when connected, -1 on failure or when the time ran out.
int timed_connect(int fd, const sockaddr* addr, socklen_t addr_len, long timeout_ms);

// Sends all len bytes within timeout_ms (no SIGPIPE). 0 when all were sent,
// -1 otherwise.
int timed_send(int fd, const void* data, size_t len, long timeout_ms);

// Receives exactly len bytes within timeout_ms. 0 when all arrived, -1 when
// the peer closed first, on error, or when the time ran out.
int timed_recv(int fd, void* data, size_t len, long timeout_ms);
