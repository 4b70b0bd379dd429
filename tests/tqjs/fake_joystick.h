// A scripted joystick for the reader thread: the nodes of /dev/input with
// their names, and a queue of input events that the joystick's event node
// delivers one by one. The clock of the bridge is the scripted time of the
// event being read.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>

#include "tqjs/js_device.h"

struct scripted_event {
    int64_t at_ms;
    int type;
    int code;
    int value;
};

class fake_joystick final : public js_device_io {
public:
    // The joystick "Test Pad" behind /dev/input/event2; event0 and event3 are
    // other devices.
    fake_joystick();

    // The bridge's clock: the time of the latest event read.
    static int64_t clock_ms();

    void push(const scripted_event& ev);
    // Waits until the reader has taken every queued event and is waiting for
    // more, so everything before has been processed (false after a long
    // guard time, a failure).
    bool wait_idle();
    // Takes the joystick away: its node js0 disappears; with failing_reads
    // the open descriptor also reports an error, as an unplugged device does.
    void unplug(bool failing_reads);
    // The next read fails once while the joystick stays plugged in.
    void fail_next_read();
    // Plugs the joystick in again behind the given event node.
    void replug(const std::string& event_node);
    // Waits until the reader has closed its descriptor of the joystick.
    bool wait_closed();
    // How many times the joystick's event node was opened for use.
    int uses();

    bool exists(const char* path) override;
    int open(const char* path, bool read_write) override;
    int query_name(int fd, const char* path, bool joystick, char* name, size_t name_size) override;
    int wait_readable(int fd, long long timeout_us) override;
    ssize_t read(int fd, void* buf, size_t size) override;
    void close(int fd) override;

private:
    std::string node_of(const char* path) const;
    bool is_joystick_fd(int fd) const;

    std::mutex m_;
    std::condition_variable cv_;
    bool plugged_ = true;
    bool failing_ = false;
    bool fail_once_ = false;
    std::string joystick_node_ = "/dev/input/event2";
    std::map<std::string, std::string> names_;  // event node -> device name
    std::map<int, std::string> fds_;            // open descriptor -> node
    std::map<int, bool> fd_rw_;
    int next_fd_ = 100;
    int uses_ = 0;
    bool use_open_ = false;
    bool idle_ = false;
    std::deque<scripted_event> queue_;
};
