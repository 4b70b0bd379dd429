// Socket messaging to the core daemon: one process-wide link over a Unix
// stream socket, with a receiving thread that hands every message to the
// callback.
//
// Every step is bounded (platform/sock_bounded.h): a daemon whose listen
// queue is full fails the connect at once, and one that stops reading fails
// the write after a stall of one second, so a send attempt never hangs. A
// connection that the daemon closes is reported to the close hook once every
// message that arrived before the end has been handed to the callback.
//
// Locking: api_mu serialises init, send and uninit made on ordinary threads,
// and is held while a receiving thread is joined. The receiving thread never
// takes api_mu: a callback that sends (a reply writer's follow-up notice)
// writes on its own connection under that connection's write_mu, so a join
// that waits for the callback cannot deadlock with it.
#include "platform/nvr_env.h"
#include "platform/sock_bounded.h"
#include "platform/tqsock_wire.h"
#include "platform/tqstd.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

// A write that makes no progress for this long fails. Not divided by the
// time divisor: how soon the daemon takes data is its own, real time (a
// test's divisor only shortens the waits for answers).
constexpr int write_stall_ms = 1000;

struct connection {
    unsigned id = 0;  // numbers the connections of the process, from 1
    int fd = -1;
    int wake_fd = -1;  // eventfd: tells the receiving thread to stop
    std::string path;  // device path it was opened on; fixed before the thread starts
    std::thread reader;
    std::mutex write_mu;  // one whole message at a time on the wire
    std::atomic<bool> stopping{false};
    std::atomic<bool> exited{false};
    std::atomic<bool> broken{false};

    ~connection() {
        if (fd >= 0) close(fd);
        if (wake_fd >= 0) close(wake_fd);
    }
};

struct link_state {
    std::mutex api_mu;
    std::shared_ptr<connection> cur;  // guarded by api_mu
    std::string path = "/var/run/tqsocket";  // guarded by api_mu
    std::atomic<tq_sock_callback> cb{nullptr};
    std::atomic<tq_sock_close_hook> close_hook{nullptr};
    std::atomic<uint32_t> seq{0};
    unsigned next_id = 0;  // guarded by api_mu
};

// Never destroyed: a receiving thread may still be running at exit.
link_state& link() {
    static link_state* state = new link_state;
    return *state;
}

// The connection whose receiving thread this is; null on other threads.
thread_local connection* reader_conn = nullptr;

// A non-blocking connection to the daemon, or -1 when it cannot be made at
// once (no socket, nobody listening, listen queue full).
int connect_socket(const std::string& device_path) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (nvr_path_buf(addr.sun_path, sizeof addr.sun_path, device_path.c_str()) < 0) return -1;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return -1;
    if (sock_connect_bounded(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr, 0) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

bool write_all(int fd, const void* data, size_t len) {
    return sock_write_bounded(fd, data, len, write_stall_ms) == 0;
}

bool write_message(int fd, int msg_id, const void* payload, int payload_len) {
    tq_sock_header h = tq_sock_make_header(link().seq.fetch_add(1) + 1, msg_id,
                                           static_cast<uint32_t>(payload_len));
    return write_all(fd, &h, sizeof h) &&
           (payload_len == 0 || write_all(fd, payload, static_cast<size_t>(payload_len)));
}

bool send_on(connection& c, int msg_id, const void* payload, int payload_len) {
    std::lock_guard<std::mutex> lock(c.write_mu);
    if (c.broken.load()) return false;
    if (write_message(c.fd, msg_id, payload, payload_len)) return true;
    c.broken.store(true);
    return false;
}

// Reads exactly len bytes unless the connection ends or a stop is asked for.
bool read_full(connection& c, void* data, size_t len) {
    char* p = static_cast<char*>(data);
    while (len > 0) {
        pollfd fds[2] = {{c.fd, POLLIN, 0}, {c.wake_fd, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (fds[1].revents) return false;
        ssize_t n = recv(c.fd, p, len, 0);
        if (n == 0) return false;
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            return false;
        }
        p += n;
        len -= static_cast<size_t>(n);
    }
    return true;
}

void reader_main(connection* c) {
    reader_conn = c;
    try {
        std::vector<unsigned char> payload;
        for (;;) {
            tq_sock_header h;
            if (!read_full(*c, &h, sizeof h) || !tq_sock_header_valid(h)) break;
            payload.resize(h.payload_size);
            if (h.payload_size > 0 && !read_full(*c, payload.data(), payload.size())) break;
            if (c->stopping.load()) break;
            if (tq_sock_callback cb = link().cb.load())
                cb(nullptr, &h, h.payload_size ? payload.data() : nullptr);
            if (c->stopping.load()) break;
        }
    } catch (...) {
        // An allocation failure ends the connection like a framing error.
    }
    // Lost, garbled or closed from a callback: the daemon sees the end at
    // once, and the next send connects anew. The descriptor itself is closed
    // by whoever joins this thread.
    c->broken.store(true);
    shutdown(c->fd, SHUT_RDWR);
    c->exited.store(true);
    // Ended by the daemon (not stopped from here): whoever waits for an
    // answer on this connection need not wait any longer.
    if (!c->stopping.load())
        if (tq_sock_close_hook hook = link().close_hook.load()) hook(c->id);
}

// Stops the receiving thread of c and waits for it (api_mu held, never on
// c's own receiving thread).
void drop(std::shared_ptr<connection>& c) {
    if (!c) return;
    c->stopping.store(true);
    uint64_t one = 1;
    if (write(c->wake_fd, &one, sizeof one) < 0) {
        // The eventfd cannot be full after one write; nothing to do.
    }
    if (c->reader.joinable()) c->reader.join();
    c.reset();
}

// A fresh connection with its receiving thread (api_mu held).
std::shared_ptr<connection> open_link(const std::string& device_path) {
    auto c = std::make_shared<connection>();
    c->id = ++link().next_id;
    c->path = device_path;
    c->fd = connect_socket(device_path);
    if (c->fd < 0) return nullptr;
    c->wake_fd = eventfd(0, EFD_CLOEXEC);
    if (c->wake_fd < 0) return nullptr;
    try {
        c->reader = std::thread(reader_main, c.get());
    } catch (...) {
        return nullptr;
    }
    return c;
}

// The current connection, reconnecting when it was lost or stopped.
connection* usable_link(link_state& st) {
    if (st.cur && (st.cur->stopping.load() || st.cur->exited.load() || st.cur->broken.load()))
        drop(st.cur);
    if (!st.cur) st.cur = open_link(st.path);
    return st.cur.get();
}

}  // namespace

int tq_sock_init(tq_sock_callback cb, int /*mode*/, int /*flags*/, const char* path) {
    link_state& st = link();
    st.cb.store(cb);
    // Inside a callback the link is already open and its thread is this one.
    if (reader_conn) return 0;
    std::lock_guard<std::mutex> lock(st.api_mu);
    if (path && *path) st.path = path;
    return usable_link(st) ? 0 : -1;
}

int tq_sock_send_msg(int /*channel*/, int msg_id, const void* payload, int payload_len,
                     int /*arg5*/, int /*arg6*/) {
    if (payload_len < 0 || static_cast<unsigned>(payload_len) > TQ_SOCK_MAX_PAYLOAD ||
        (payload_len > 0 && !payload))
        return -2;
    if (connection* c = reader_conn) {
        // A send from a callback goes out on the callback's own connection;
        // when that is gone, on a connection of its own for this message.
        if (send_on(*c, msg_id, payload, payload_len)) return 0;
        int fd = connect_socket(c->path);
        if (fd < 0) return -1;
        bool ok = write_message(fd, msg_id, payload, payload_len);
        close(fd);
        return ok ? 0 : -1;
    }
    link_state& st = link();
    std::lock_guard<std::mutex> lock(st.api_mu);
    connection* c = usable_link(st);
    if (!c) return -1;
    if (send_on(*c, msg_id, payload, payload_len)) return 0;
    drop(st.cur);
    return -1;
}

int tq_sock_uninit() {
    if (connection* c = reader_conn) {
        c->stopping.store(true);
        return 0;
    }
    link_state& st = link();
    std::lock_guard<std::mutex> lock(st.api_mu);
    drop(st.cur);
    return 0;
}

int tq_sock_in_callback() { return reader_conn ? 1 : 0; }

unsigned tq_sock_link_id() {
    if (connection* c = reader_conn) return c->id;
    link_state& st = link();
    std::lock_guard<std::mutex> lock(st.api_mu);
    return st.cur ? st.cur->id : 0;
}

void tq_sock_set_close_hook(tq_sock_close_hook hook) { link().close_hook.store(hook); }
