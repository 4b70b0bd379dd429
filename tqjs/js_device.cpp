// Linux input devices for the joystick bridge.
#include "tqjs/js_device.h"

#include <fcntl.h>
#include <linux/input.h>
#include <linux/joystick.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "platform/nvr_env.h"

namespace {

// A simulated node's name: the first line of "<path>.name". Used only under
// a root prefix, for a node that is not a character device.
int simulated_name(const char* path, char* name, size_t name_size) {
    char name_path[512];
    if (std::snprintf(name_path, sizeof name_path, "%s.name", path) >= static_cast<int>(sizeof name_path)) {
        return -1;
    }
    FILE* f = std::fopen(name_path, "re");
    if (!f) return -1;
    bool ok = std::fgets(name, static_cast<int>(name_size), f) != nullptr;
    std::fclose(f);
    if (!ok) return -1;
    name[std::strcspn(name, "\r\n")] = '\0';
    return 0;
}

class linux_device final : public js_device_io {
public:
    bool exists(const char* path) override { return access(path, F_OK) == 0; }

    // Non-blocking: the reader only reads after poll reports data, and a
    // simulated FIFO node must not block the open.
    int open(const char* path, bool read_write) override {
        return ::open(path, (read_write ? O_RDWR : O_RDONLY) | O_NONBLOCK | O_CLOEXEC);
    }

    int query_name(int fd, const char* path, bool joystick, char* name, size_t name_size) override {
        if (name_size == 0) return -1;
        std::memset(name, 0, name_size);
        struct stat st;
        if (nvr_root()[0] != '\0' && fstat(fd, &st) == 0 && !S_ISCHR(st.st_mode))
            return simulated_name(path, name, name_size);
        unsigned long request = joystick ? JSIOCGNAME(name_size) : EVIOCGNAME(name_size);
        if (ioctl(fd, request, name) < 0) return -1;
        name[name_size - 1] = '\0';
        return 0;
    }

    int wait_readable(int fd, long long timeout_us) override {
        pollfd p{fd, POLLIN, 0};
        timespec ts{static_cast<time_t>(timeout_us / 1000000), static_cast<long>(timeout_us % 1000000) * 1000};
        int n = ppoll(&p, 1, &ts, nullptr);
        if (n < 0) return errno == EINTR ? 0 : -1;
        return n > 0 ? 1 : 0;
    }

    ssize_t read(int fd, void* buf, size_t size) override { return ::read(fd, buf, size); }

    void close(int fd) override { ::close(fd); }
};

}  // namespace

js_device_io& js_linux_device() {
    static linux_device device;
    return device;
}
