#include "platform/net_listen.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

struct file_close {
    void operator()(FILE* f) const { std::fclose(f); }
};

constexpr unsigned tcp_listen = 0x0A;

struct socket_table {
    const char* path;
    bool tcp;  // only listening sockets count
};
const socket_table tables[] = {
    {"/proc/net/tcp", true},
    {"/proc/net/tcp6", true},
    {"/proc/net/udp", false},
    {"/proc/net/udp6", false},
};

// The address of every interface: all zeros in either width.
bool any_address(const char* hex) {
    size_t n = std::strlen(hex);
    return (n == 8 || n == 32) && std::strspn(hex, "0") == n;
}

// 1 when the table holds a matching socket, 0 when not, -1 when unreadable.
int table_has(const socket_table& t, unsigned port) {
    std::unique_ptr<FILE, file_close> f(std::fopen(t.path, "r"));
    if (!f) return -1;
    char line[512];
    if (!std::fgets(line, sizeof line, f.get())) return 0;  // the heading
    while (std::fgets(line, sizeof line, f.get())) {
        char local[40];
        unsigned local_port = 0, state = 0;
        if (std::sscanf(line, " %*u: %39[0-9A-Fa-f]:%x %*[0-9A-Fa-f]:%*x %x", local, &local_port, &state) !=
            3)
            continue;
        if (local_port == port && any_address(local) && (!t.tcp || state == tcp_listen)) return 1;
    }
    return 0;
}

}  // namespace

int net_port_listening(int port) {
    if (port < 1 || port > 65535) return 0;
    int readable = 0;
    for (const socket_table& t : tables) {
        int rc = table_has(t, static_cast<unsigned>(port));
        if (rc == 1) return 1;
        if (rc == 0) ++readable;
    }
    return readable > 0 ? 0 : -1;
}
