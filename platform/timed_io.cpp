#include "platform/timed_io.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "platform/nvr_env.h"

namespace {

using steady = std::chrono::steady_clock;

steady::time_point deadline_after(long timeout_ms) {
    return steady::now() + std::chrono::microseconds(nvr_scaled_us(timeout_ms));
}

// Waits until fd is ready for events or the deadline passes. 1 ready, 0 time
// out, -1 error.
int wait_ready(int fd, short events, steady::time_point deadline) {
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(deadline - steady::now());
        if (left.count() <= 0) return 0;
        timespec ts{static_cast<time_t>(left.count() / 1000000000),
                    static_cast<long>(left.count() % 1000000000)};
        pollfd p{fd, events, 0};
        int n = ppoll(&p, 1, &ts, nullptr);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) return 0;
        // Error and hang-up are "ready" too: the next call reports them.
        return 1;
    }
}

}  // namespace

int timed_connect(int fd, const sockaddr* addr, socklen_t addr_len, long timeout_ms) {
    int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0) return -1;
    int rc = connect(fd, addr, addr_len);
    if (rc != 0 && (errno == EINPROGRESS || errno == EINTR)) {
        rc = -1;
        if (wait_ready(fd, POLLOUT, deadline_after(timeout_ms)) == 1) {
            int err = 0;
            socklen_t len = sizeof err;
            if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) == 0 && err == 0) rc = 0;
        }
    }
    if (fcntl(fd, F_SETFL, flags) != 0) return -1;
    return rc == 0 ? 0 : -1;
}

namespace {

// Moves all len bytes one way before the deadline; a peer that closes
// before a receive is whole fails it.
int transfer(int fd, char* p, size_t len, long timeout_ms, bool sending) {
    const auto deadline = deadline_after(timeout_ms);
    while (len > 0) {
        if (wait_ready(fd, sending ? POLLOUT : POLLIN, deadline) != 1) return -1;
        ssize_t n = sending ? send(fd, p, len, MSG_NOSIGNAL | MSG_DONTWAIT) : recv(fd, p, len, MSG_DONTWAIT);
        if (n == 0 && !sending) return -1;
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) continue;
            return -1;
        }
        p += n;
        len -= static_cast<size_t>(n);
    }
    return 0;
}

}  // namespace

int timed_send(int fd, const void* data, size_t len, long timeout_ms) {
    return transfer(fd, const_cast<char*>(static_cast<const char*>(data)), len, timeout_ms, true);
}

int timed_recv(int fd, void* data, size_t len, long timeout_ms) {
    return transfer(fd, static_cast<char*>(data), len, timeout_ms, false);
}
