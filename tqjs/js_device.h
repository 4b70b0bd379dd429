// The bridge's access to the input devices, behind one small interface so
// that tests can run the real reader on scripted devices.
#pragma once

#include <sys/types.h>

#include <cstddef>

class js_device_io {
public:
    virtual ~js_device_io() = default;
    // True when the path (already root-prefixed) exists.
    virtual bool exists(const char* path) = 0;
    // A descriptor, or -1.
    virtual int open(const char* path, bool read_write) = 0;
    // The device's name (joystick name request on the joystick node, event
    // name request on an event node) into name, always terminated. 0 on
    // success, -1 on failure.
    virtual int query_name(int fd, const char* path, bool joystick, char* name,
                           size_t name_size) = 0;
    // Waits up to timeout_us for the descriptor to be readable (or to report
    // an error): 1 ready, 0 timeout, -1 failure.
    virtual int wait_readable(int fd, long long timeout_us) = 0;
    // read(2).
    virtual ssize_t read(int fd, void* buf, size_t size) = 0;
    virtual void close(int fd) = 0;
};

// The Linux input devices. Under a test or simulation root (NVR_ROOT set) a
// node that is not a device (a FIFO or a plain file) stands for one: its name
// is the first line of the file "<node>.name".
js_device_io& js_linux_device();
