// The reader thread: device discovery, event reading, and the bridge.
#include "tqjs/js_reader.h"

#include <linux/input.h>
#include <time.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>

#include "platform/nvr_env.h"
#include "platform/tqstd.h"

namespace {

constexpr long kPollMs = 1000;

std::atomic<int> g_run{0};
std::atomic<bool> g_thread_started{false};
tq_task_t g_task;
js_device_io* g_device = nullptr;
std::optional<js_bridge> g_bridge;

// A device node under the root prefix ("" when the prefix is too long).
void device_path(char* out, size_t out_size, const char* node) {
    if (nvr_path_buf(out, out_size, node) < 0) out[0] = '\0';
}

// A device that is gone (unplugged, or failing): forget it and the state.
void drop_device(js_device_io& device, int& fd) {
    if (fd < 0) return;
    g_bridge->clear();
    device.close(fd);
    fd = -1;
}

// Finds the event node whose name is the joystick's: its descriptor, opened
// read-write, or -1.
int discover(js_device_io& device) {
    char path[512];
    device_path(path, sizeof path, JS_JOYSTICK_NODE);
    int fd = device.open(path, true);
    if (fd < 0) {
        std::printf("==fd open error==\n");
        return -1;
    }
    char wanted[JS_DEVICE_NAME_LEN];
    int rc = device.query_name(fd, path, true, wanted, sizeof wanted);
    device.close(fd);
    if (rc != 0) {
        std::printf("==iotcl error==\n");
        return -1;
    }
    for (int i = 0; i < JS_EVENT_NODES; ++i) {
        char node[32];
        std::snprintf(node, sizeof node, "/dev/input/event%d", i);
        device_path(path, sizeof path, node);
        fd = device.open(path, false);
        if (fd < 0) continue;
        char name[JS_DEVICE_NAME_LEN];
        rc = device.query_name(fd, path, false, name, sizeof name);
        device.close(fd);
        if (rc != 0 || std::strcmp(name, wanted) != 0) continue;
        fd = device.open(path, true);
        if (fd >= 0) return fd;
    }
    return -1;
}

// Reads one event and hands a change to the bridge. False when the device
// failed (end of file or an error other than "nothing to read").
bool read_one(js_device_io& device, int fd) {
    // The host's own event layout: 16 bytes on the 32-bit target, 24 on a
    // 64-bit machine.
    input_event ev;
    ssize_t n = device.read(fd, &ev, sizeof ev);
    if (n < 0) return errno == EAGAIN || errno == EINTR;
    if (n == 0) return false;
    if (static_cast<size_t>(n) != sizeof ev) return true;  // never split by the kernel
    char text[JS_TEXT_LEN];
    if (g_bridge->translate(ev.type, ev.code, ev.value, text, sizeof text) > 0) {
        g_bridge->process_text(text);
    }
    return true;
}

void* reader_main(void* arg) {
    auto* run = static_cast<std::atomic<int>*>(arg);
    tq_task_set_name("tqjs_reader");
    js_device_io& device = *g_device;
    char js_path[512];
    device_path(js_path, sizeof js_path, JS_JOYSTICK_NODE);
    int fd = -1;
    while (run->load()) {
        if (!device.exists(js_path)) {
            drop_device(device, fd);
            nvr_sleep_ms(kPollMs);
            continue;
        }
        if (fd < 0) {
            fd = discover(device);
            if (fd < 0) {
                nvr_sleep_ms(kPollMs);
                continue;
            }
        }
        int ready = device.wait_readable(fd, nvr_scaled_us(kPollMs));
        if (ready == 0) continue;
        if (ready < 0 || !read_one(device, fd)) {
            // A failing device would otherwise be polled in a busy loop
            // until its node disappears.
            std::printf("==device lost==\n");
            drop_device(device, fd);
            nvr_sleep_ms(kPollMs);
        }
    }
    if (fd >= 0) device.close(fd);
    return nullptr;
}

}  // namespace

int64_t js_clock_ms() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    int64_t ms = static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
    return ms * nvr_time_divisor();
}

int tq_js_init(const js_options* options) {
    int rc = tq_sock_init(nullptr, 0, 11, JS_CORE_SOCKET_PATH) == 0 ? 0 : -1;
    if (g_thread_started.load()) return rc;
    g_device = options && options->device ? options->device : &js_linux_device();
    g_bridge.emplace(options && options->clock ? options->clock : js_clock_ms);
    g_run.store(1);
    if (tq_task_create_join(&g_task, reader_main, &g_run) != 0) {
        g_run.store(0);
        return -1;
    }
    g_thread_started.store(true);
    return rc;
}

void tq_js_uninit() {
    if (g_thread_started.load()) {
        g_run.store(0);
        tq_task_join(g_task);
        g_thread_started.store(false);
    }
    tq_sock_uninit();
}
