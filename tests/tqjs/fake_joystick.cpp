#include "tests/tqjs/fake_joystick.h"

#include <linux/input.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "platform/nvr_env.h"

namespace {

std::atomic<int64_t> g_clock_ms{0};
// Guards against a hanging reader; never reached by a passing test.
constexpr auto kGuard = std::chrono::seconds(20);
const char kJoystickNode[] = "/dev/input/js0";
const char kName[] = "Test Pad";

}  // namespace

fake_joystick::fake_joystick() {
    names_["/dev/input/event0"] = "AT Keyboard";
    names_["/dev/input/event2"] = kName;
    names_["/dev/input/event3"] = "Test Pad Mouse";
    g_clock_ms.store(0);
}

int64_t fake_joystick::clock_ms() { return g_clock_ms.load(); }

std::string fake_joystick::node_of(const char* path) const {
    std::string p(path);
    std::string root(nvr_root());
    if (p.compare(0, root.size(), root) != 0) return {};
    return p.substr(root.size());
}

bool fake_joystick::is_joystick_fd(int fd) const {
    auto it = fds_.find(fd);
    return it != fds_.end() && it->second == joystick_node_ && fd_rw_.at(fd);
}

void fake_joystick::push(const scripted_event& ev) {
    std::lock_guard<std::mutex> lock(m_);
    queue_.push_back(ev);
    idle_ = false;
    cv_.notify_all();
}

bool fake_joystick::wait_idle() {
    std::unique_lock<std::mutex> lock(m_);
    return cv_.wait_for(lock, kGuard, [this] { return queue_.empty() && idle_; });
}

void fake_joystick::unplug(bool failing_reads) {
    std::lock_guard<std::mutex> lock(m_);
    plugged_ = false;
    failing_ = failing_reads;
    cv_.notify_all();
}

void fake_joystick::fail_next_read() {
    std::lock_guard<std::mutex> lock(m_);
    fail_once_ = true;
    idle_ = false;
    cv_.notify_all();
}

void fake_joystick::replug(const std::string& event_node) {
    std::lock_guard<std::mutex> lock(m_);
    names_.erase(joystick_node_);
    joystick_node_ = event_node;
    names_[event_node] = kName;
    plugged_ = true;
    failing_ = false;
    idle_ = false;
    cv_.notify_all();
}

bool fake_joystick::wait_closed() {
    std::unique_lock<std::mutex> lock(m_);
    return cv_.wait_for(lock, kGuard, [this] { return !use_open_; });
}

int fake_joystick::uses() {
    std::lock_guard<std::mutex> lock(m_);
    return uses_;
}

bool fake_joystick::exists(const char* path) {
    std::lock_guard<std::mutex> lock(m_);
    return plugged_ && node_of(path) == kJoystickNode;
}

int fake_joystick::open(const char* path, bool read_write) {
    std::lock_guard<std::mutex> lock(m_);
    std::string node = node_of(path);
    bool known = node == kJoystickNode ? plugged_ : names_.count(node) > 0;
    if (!known) {
        errno = ENOENT;
        return -1;
    }
    int fd = next_fd_++;
    fds_[fd] = node;
    fd_rw_[fd] = read_write;
    if (read_write && node == joystick_node_) {
        ++uses_;
        use_open_ = true;
    }
    return fd;
}

int fake_joystick::query_name(int fd, const char*, bool joystick, char* name, size_t name_size) {
    std::lock_guard<std::mutex> lock(m_);
    auto it = fds_.find(fd);
    if (it == fds_.end() || (it->second == kJoystickNode) != joystick) return -1;
    const std::string& n = joystick ? std::string(kName) : names_[it->second];
    std::snprintf(name, name_size, "%s", n.c_str());
    return 0;
}

int fake_joystick::wait_readable(int fd, long long timeout_us) {
    std::unique_lock<std::mutex> lock(m_);
    if (!is_joystick_fd(fd)) {
        cv_.wait_for(lock, std::chrono::microseconds(timeout_us));
        return 0;
    }
    auto ready = [this] { return !queue_.empty() || fail_once_ || (!plugged_ && failing_); };
    if (ready()) return 1;
    idle_ = true;
    cv_.notify_all();
    return cv_.wait_for(lock, std::chrono::microseconds(timeout_us), ready) ? 1 : 0;
}

ssize_t fake_joystick::read(int fd, void* buf, size_t size) {
    std::lock_guard<std::mutex> lock(m_);
    if (!is_joystick_fd(fd) || fail_once_ || (!plugged_ && failing_)) {
        fail_once_ = false;
        errno = ENODEV;
        return -1;
    }
    if (queue_.empty()) {
        errno = EAGAIN;
        return -1;
    }
    if (size < sizeof(input_event)) {
        errno = EINVAL;
        return -1;
    }
    scripted_event e = queue_.front();
    queue_.pop_front();
    input_event ev{};
    ev.type = static_cast<uint16_t>(e.type);
    ev.code = static_cast<uint16_t>(e.code);
    ev.value = e.value;
    std::memcpy(buf, &ev, sizeof ev);
    g_clock_ms.store(e.at_ms);
    return sizeof ev;
}

void fake_joystick::close(int fd) {
    std::lock_guard<std::mutex> lock(m_);
    if (is_joystick_fd(fd)) use_open_ = false;
    fds_.erase(fd);
    fd_rw_.erase(fd);
    cv_.notify_all();
}
