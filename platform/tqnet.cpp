#include "platform/tqnet.h"

#include "platform/nvr_env.h"

#include <arpa/inet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace {

// The kernel's file, or the run root's copy of it when there is one.
std::string kernel_file(const char* path) {
    if (nvr_root()[0]) {
        std::string pinned = nvr_path(path);
        if (access(pinned.c_str(), R_OK) == 0) return pinned;
    }
    return path;
}

struct file_closer {
    void operator()(FILE* f) const { std::fclose(f); }
};

// 32 hexadecimal digits into the 16 bytes of an IPv6 address.
bool parse_hex_addr(const char* hex, in6_addr* out) {
    if (std::strlen(hex) != 32) return false;
    for (int i = 0; i < 16; ++i) {
        unsigned value = 0;
        if (std::sscanf(hex + 2 * i, "%2x", &value) != 1) return false;
        out->s6_addr[i] = static_cast<unsigned char>(value);
    }
    return true;
}

bool addr_text(const in6_addr& addr, char* out, size_t size) {
    char text[INET6_ADDRSTRLEN];
    if (!inet_ntop(AF_INET6, &addr, text, sizeof text)) return false;
    std::snprintf(out, size, "%s", text);
    return true;
}

constexpr unsigned scope_global = 0x00;
constexpr unsigned scope_link = 0x20;
// Addresses still being checked for duplicates, or found duplicate.
constexpr unsigned flags_unusable = 0x40 | 0x08;

// One line of /proc/net/if_inet6.
struct inet6_entry {
    in6_addr addr;
    unsigned prefix_len;
    unsigned scope;
    char ifname[IF_NAMESIZE + 1];
};

// Calls fn(entry) for every usable address line; stops when fn returns true.
template <typename Fn>
bool each_inet6(Fn fn) {
    std::unique_ptr<FILE, file_closer> f(std::fopen(kernel_file("/proc/net/if_inet6").c_str(), "r"));
    if (!f) return false;
    char hex[33];
    unsigned ifindex, prefix_len, scope, flags;
    char name[IF_NAMESIZE + 1];
    while (std::fscanf(f.get(), "%32s %x %x %x %x %16s", hex, &ifindex, &prefix_len, &scope, &flags,
                       name) == 6) {
        inet6_entry e;
        if (!parse_hex_addr(hex, &e.addr) || (flags & flags_unusable)) continue;
        e.prefix_len = prefix_len;
        e.scope = scope;
        std::snprintf(e.ifname, sizeof e.ifname, "%s", name);
        if (fn(e)) return true;
    }
    return false;
}

}  // namespace

int net_get_ifaddr(const char* ifname, char* buf, size_t size) {
    if (!ifname || !buf || size == 0) return -1;
    int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    struct ifreq req;
    std::memset(&req, 0, sizeof req);
    std::snprintf(req.ifr_name, sizeof req.ifr_name, "%s", ifname);
    int rc = ioctl(fd, SIOCGIFADDR, &req);
    close(fd);
    if (rc < 0 || req.ifr_addr.sa_family != AF_INET) return -1;
    sockaddr_in sin;
    std::memcpy(&sin, &req.ifr_addr, sizeof sin);
    char text[INET_ADDRSTRLEN];
    if (!inet_ntop(AF_INET, &sin.sin_addr, text, sizeof text)) return -1;
    std::snprintf(buf, size, "%s", text);
    return 0;
}

int net_get_ipv6_ifaddr(int kind, const char* ifname, char addr[64], char prefix[16]) {
    if (!ifname || !addr || !prefix) return -1;
    // The global address wins over the link-local one wherever it comes in
    // the table.
    inet6_entry global{}, link{};
    bool have_global = false, have_link = false;
    each_inet6([&](const inet6_entry& e) {
        if (std::strcmp(e.ifname, ifname) != 0) return false;
        if (e.scope == scope_global && !have_global) {
            global = e;
            have_global = true;
        } else if (e.scope == scope_link && !have_link) {
            link = e;
            have_link = true;
        }
        return have_global;
    });
    const inet6_entry* found = have_global ? &global : (kind == 1 && have_link ? &link : nullptr);
    if (!found) return -1;
    char text[64];
    if (!addr_text(found->addr, text, sizeof text)) return -1;
    std::snprintf(addr, 64, "%s", text);
    std::snprintf(prefix, 16, "%u", found->prefix_len);
    return 0;
}

int net_get_ipv6_gateway2(int kind, const char* ifname, char gw[64]) {
    if (!ifname || !gw) return -1;
    std::unique_ptr<FILE, file_closer> f(std::fopen(kernel_file("/proc/net/ipv6_route").c_str(), "r"));
    if (!f) return -1;
    // dest, dest prefix, source, source prefix, next hop, metric, references,
    // use, flags, device
    char dest[33], src[33], hop[33], name[IF_NAMESIZE + 1];
    unsigned dest_len, src_len, metric, refs, use, flags;
    while (std::fscanf(f.get(), "%32s %x %32s %x %32s %x %x %x %x %16s", dest, &dest_len, src, &src_len,
                       hop, &metric, &refs, &use, &flags, name) == 10) {
        in6_addr dest_addr, hop_addr;
        if (dest_len != 0 || std::strcmp(name, ifname) != 0) continue;
        if (!parse_hex_addr(dest, &dest_addr) || !IN6_IS_ADDR_UNSPECIFIED(&dest_addr)) continue;
        if (!parse_hex_addr(hop, &hop_addr) || IN6_IS_ADDR_UNSPECIFIED(&hop_addr)) continue;
        if (kind == 0 && IN6_IS_ADDR_LINKLOCAL(&hop_addr)) continue;
        char text[64];
        if (!addr_text(hop_addr, text, sizeof text)) continue;
        std::snprintf(gw, 64, "%s", text);
        return 0;
    }
    return -1;
}

int net_is_haveipv6() {
    return each_inet6([](const inet6_entry& e) { return std::strcmp(e.ifname, "lo") != 0; }) ? 1 : 0;
}

int read_mac_conf(char* buf, size_t size) {
    if (!buf || size == 0) return -1;
    char text[64] = "";
    std::unique_ptr<FILE, file_closer> f(std::fopen(nvr_path("/mnt/nand/app/mac.conf").c_str(), "r"));
    if (f && std::fgets(text, sizeof text, f.get())) {
        size_t len = std::strlen(text);
        while (len > 0 && std::isspace(static_cast<unsigned char>(text[len - 1]))) text[--len] = '\0';
    } else {
        int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        if (fd < 0) return -1;
        struct ifreq req;
        std::memset(&req, 0, sizeof req);
        std::snprintf(req.ifr_name, sizeof req.ifr_name, "eth0");
        int rc = ioctl(fd, SIOCGIFHWADDR, &req);
        close(fd);
        if (rc < 0) return -1;
        const auto* mac = reinterpret_cast<const unsigned char*>(req.ifr_hwaddr.sa_data);
        std::snprintf(text, sizeof text, "%02X%02X%02X%02X%02X%02X", mac[0], mac[1], mac[2], mac[3], mac[4],
                      mac[5]);
    }
    if (!text[0]) return -1;
    std::snprintf(buf, size, "%s", text);
    return 0;
}

// ---- hardware addresses ------------------------------------------------------

int get_interface_mac(const char* ifname, unsigned char mac[6]) {
    if (!ifname || !mac) return -1;
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        std::perror("create socket fail\n");
        return -1;
    }
    struct ifreq req;
    std::memset(&req, 0, sizeof req);
    std::strncpy(req.ifr_name, ifname, 15);
    int rc = ioctl(fd, SIOCGIFHWADDR, &req);
    close(fd);
    if (rc < 0) return -1;
    std::memcpy(mac, req.ifr_hwaddr.sa_data, 6);
    return 0;
}

void get_device_macs(char eth0[18], char eth1[18]) {
    struct {
        const char* ifname;
        char* out;
        const char* fallback;
    } const rows[] = {{"eth0", eth0, "02:5E:A1:0A:19:C8"}, {"eth1", eth1, "02:5E:A1:0A:19:C9"}};
    for (const auto& row : rows) {
        if (!row.out) continue;
        unsigned char mac[6];
        if (get_interface_mac(row.ifname, mac) == 0)
            std::snprintf(row.out, 18, "%02X:%02X:%02X:%02X:%02X:%02X", mac[0], mac[1], mac[2], mac[3],
                          mac[4], mac[5]);
        else
            std::snprintf(row.out, 18, "%s", row.fallback);
    }
}

// ---- interface probe ------------------------------------------------------------

namespace {

// The dotted text of the IPv4 address in a request's sockaddr, or empty.
void sockaddr_text(const sockaddr& sa, char* out, size_t size) {
    if (sa.sa_family != AF_INET) return;
    sockaddr_in sin;
    std::memcpy(&sin, &sa, sizeof sin);
    inet_ntop(AF_INET, &sin.sin_addr, out, static_cast<socklen_t>(size));
}

// The default route's next hop of ifname from the kernel's route table: the
// first line of the interface whose destination is 0.
void default_gateway(const char* ifname, char* out, size_t size) {
    std::unique_ptr<FILE, file_closer> f(std::fopen(kernel_file("/proc/net/route").c_str(), "r"));
    if (!f) {
        std::perror("fopen");
        return;
    }
    char line[512];
    if (!std::fgets(line, sizeof line, f.get())) return;  // the header
    while (std::fgets(line, sizeof line, f.get())) {
        char name[IF_NAMESIZE + 1];
        unsigned dest = 0, gw = 0;
        if (std::sscanf(line, "%16s %x %x", name, &dest, &gw) != 3) continue;
        if (std::strcmp(name, ifname) != 0 || dest != 0) continue;
        // The table prints the address as a number in host order: its bytes
        // in memory are the address in network order.
        uint32_t word = gw;
        unsigned char b[4];
        std::memcpy(b, &word, sizeof b);
        std::snprintf(out, size, "%d.%d.%d.%d", b[0], b[1], b[2], b[3]);
        return;
    }
}

}  // namespace

int net_probe_interface(const char* ifname, if_state* out) {
    if (!ifname || !out) return -1;
    std::memset(out, 0, sizeof *out);
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        std::perror("socket");
        return -1;
    }
    struct ifreq req;
    // A fresh request for each question, the name always terminated.
    auto ask = [&](unsigned long what, const char* label) {
        std::memset(&req, 0, sizeof req);
        std::strncpy(req.ifr_name, ifname, IF_NAMESIZE - 1);
        if (ioctl(fd, what, &req) == 0) return true;
        std::perror(label);
        return false;
    };
    if (ask(SIOCGIFMTU, "[SIOCGIFMTU] ioctl")) out->mtu = req.ifr_mtu;
    if (ask(SIOCGIFFLAGS, "[SIOCGIFFLAGS] ioctl")) out->up = (req.ifr_flags & IFF_UP) ? 1 : 0;
    if (ask(SIOCGIFADDR, "[SIOCGIFADDR] ioctl")) sockaddr_text(req.ifr_addr, out->addr, sizeof out->addr);
    if (ask(SIOCGIFHWADDR, "[SIOCGIFHWADDR] ioctl")) {
        const auto* m = reinterpret_cast<const unsigned char*>(req.ifr_hwaddr.sa_data);
        std::snprintf(out->hwaddr, sizeof out->hwaddr, "%2.2x:%2.2x:%2.2x:%2.2x:%2.2x:%2.2x", m[0], m[1], m[2],
                      m[3], m[4], m[5]);
    }
    if (ask(SIOCGIFNETMASK, "[SIOCGIFNETMASK] ioctl"))
        sockaddr_text(req.ifr_netmask, out->netmask, sizeof out->netmask);
    if (ask(SIOCGIFBRDADDR, "[SIOCGIFBRDADDR] ioctl"))
        sockaddr_text(req.ifr_broadaddr, out->broadcast, sizeof out->broadcast);
    char name[IF_NAMESIZE] = {};
    std::strncpy(name, ifname, IF_NAMESIZE - 1);
    default_gateway(name, out->gateway, sizeof out->gateway);
    close(fd);
    return 0;
}
