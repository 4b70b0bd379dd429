// Socket steps that never block beyond a bound: connecting and writing on a
// stream socket. Every link of the system to another process (the core
// daemon's socket, and any later link such as the P2P service's) uses these
// instead of blocking calls, so that a peer that stops accepting or stops
// reading costs a bounded time and a failure, never a process that hangs.
//
// Both take a descriptor in non-blocking mode (SOCK_NONBLOCK) and leave it
// so; a reader on it polls before it reads. Bounds are in real
// milliseconds: callers scale them with nvr_scaled_us() where the time
// divisor applies.
#pragma once

#include <sys/socket.h>

#include <cstddef>

// Connects fd to addr. A Unix socket whose listen queue is full fails at once
// with EAGAIN (the daemon does not accept: a failed attempt, not a wait); a
// connection that is still being made (EINPROGRESS, TCP) is waited for up to
// timeout_ms (0: not at all), then fails with ETIMEDOUT. Returns 0, or -1
// with errno set.
int sock_connect_bounded(int fd, const sockaddr* addr, socklen_t len, int timeout_ms);

// Writes all len bytes. Fails with ETIMEDOUT when the peer takes nothing for
// stall_ms (its buffer stays full), with EPIPE when it has closed (never a
// SIGPIPE). Returns 0, or -1 with errno set; after a failure part of the
// data may have been written, so the connection is to be dropped.
int sock_write_bounded(int fd, const void* data, size_t len, int stall_ms);
