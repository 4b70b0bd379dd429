// The bridge daemon's life: the link to the core daemon, the reader thread
// that finds the joystick, reads its events and runs the command logic.
#pragma once

#include <cstdint>

#include "tqjs/js_bridge.h"
#include "tqjs/js_device.h"

#define JS_CORE_SOCKET_PATH "/var/run/tqsocket"
#define JS_JOYSTICK_NODE "/dev/input/js0"
constexpr int JS_EVENT_NODES = 6;  // "/dev/input/event0".."event5"
constexpr int JS_DEVICE_NAME_LEN = 64;

// What the daemon runs on; a null member takes the real one.
struct js_options {
    js_device_io* device = nullptr;
    js_clock_fn clock = nullptr;
};

// The monotonic clock in milliseconds, running NVR_TIME_DIVISOR times fast,
// so that the bridge's time limits shrink with the other waits in tests.
int64_t js_clock_ms();

// Opens the link to the core daemon, clears the bridge state and starts the
// reader thread (when it is not running). The thread is started even when
// the core daemon cannot be reached yet, as each send tries the link again.
// 0 on success, -1 when the link or the thread could not be started.
int tq_js_init(const js_options* options = nullptr);

// Stops and joins the reader thread, closes the device and the link.
void tq_js_uninit();
