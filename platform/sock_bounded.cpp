#include "platform/sock_bounded.h"

#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <chrono>

namespace {

using steady = std::chrono::steady_clock;

// Waits until fd is ready for events or the deadline passes. 1 ready, 0 timed
// out, -1 error.
int wait_ready(int fd, short events, steady::time_point deadline) {
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - steady::now()).count();
        if (left < 0) left = 0;
        pollfd p{fd, events, 0};
        int n = poll(&p, 1, static_cast<int>(left));
        if (n > 0) return 1;
        if (n == 0) return 0;
        if (errno != EINTR) return -1;
    }
}

}  // namespace

int sock_connect_bounded(int fd, const sockaddr* addr, socklen_t len, int timeout_ms) {
    if (connect(fd, addr, len) == 0) return 0;
    // EINTR leaves a non-blocking connect going on, like EINPROGRESS.
    if (errno != EINPROGRESS && errno != EINTR) return -1;
    int ready = wait_ready(fd, POLLOUT, steady::now() + std::chrono::milliseconds(timeout_ms));
    if (ready <= 0) {
        if (ready == 0) errno = ETIMEDOUT;
        return -1;
    }
    int err = 0;
    socklen_t err_len = sizeof err;
    if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &err_len) != 0) return -1;
    if (err != 0) {
        errno = err;
        return -1;
    }
    return 0;
}

int sock_write_bounded(int fd, const void* data, size_t len, int stall_ms) {
    const char* p = static_cast<const char*>(data);
    while (len > 0) {
        ssize_t n = send(fd, p, len, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            p += n;
            len -= static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return -1;
        // The peer's buffer is full: wait for room, but only as long as the
        // stall bound allows from here.
        int ready = wait_ready(fd, POLLOUT, steady::now() + std::chrono::milliseconds(stall_ms));
        if (ready <= 0) {
            if (ready == 0) errno = ETIMEDOUT;
            return -1;
        }
    }
    return 0;
}
