// A socket of this test process that holds a port, for the tests of the
// "already listening" check: TCP sockets listen, UDP sockets are bound.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

class open_socket {
public:
    // address: an IPv4 or IPv6 text ("0.0.0.0", "::", "127.0.0.1"); port 0
    // takes a free one.
    open_socket(int type, const char* address, int port = 0) {
        sockaddr_storage ss{};
        socklen_t len;
        auto* v4 = reinterpret_cast<sockaddr_in*>(&ss);
        auto* v6 = reinterpret_cast<sockaddr_in6*>(&ss);
        if (inet_pton(AF_INET, address, &v4->sin_addr) == 1) {
            v4->sin_family = AF_INET;
            v4->sin_port = htons(static_cast<uint16_t>(port));
            len = sizeof *v4;
        } else {
            inet_pton(AF_INET6, address, &v6->sin6_addr);
            v6->sin6_family = AF_INET6;
            v6->sin6_port = htons(static_cast<uint16_t>(port));
            len = sizeof *v6;
        }
        fd_ = socket(ss.ss_family, type | SOCK_CLOEXEC, 0);
        if (bind(fd_, reinterpret_cast<sockaddr*>(&ss), len) != 0 ||
            (type == SOCK_STREAM && listen(fd_, 1) != 0) ||
            getsockname(fd_, reinterpret_cast<sockaddr*>(&ss), &len) != 0)
            return;
        port_ = ntohs(ss.ss_family == AF_INET ? v4->sin_port : v6->sin6_port);
    }
    ~open_socket() { close(); }
    void close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }
    int port() const { return port_; }

private:
    int fd_ = -1;
    int port_ = 0;
};

// A port no socket holds (one that was free a moment ago).
inline int free_port() {
    open_socket s(SOCK_STREAM, "0.0.0.0");
    return s.port();
}
