// The simulated core daemon's server: one thread accepts, one thread serves
// each connection (reads a message, journals it, sends its answer in order).
#include "platform/nvr_env.h"
#include "platform/tqsock_wire.h"
#include "tools/coresim/coresim.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

using coresim::bytes;
using coresim::out_msg;
using coresim::request;

namespace {

double now_s() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

bool write_all(int fd, const void* data, size_t len) {
    const char* p = static_cast<const char*>(data);
    while (len > 0) {
        ssize_t n = send(fd, p, len, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        len -= static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

coresim_server::coresim_server() = default;

coresim_server::~coresim_server() {
    stop();
    if (journal_file_) std::fclose(journal_file_);
}

bool coresim_server::start(const std::string& root) {
    return start_at(root + "/var/run/tqsocket", root);
}

bool coresim_server::start_at(const std::string& socket_path, const std::string& root) {
    if (running_.load()) return false;
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (socket_path.size() >= sizeof addr.sun_path) return false;
    std::memcpy(addr.sun_path, socket_path.c_str(), socket_path.size() + 1);
    socket_path_ = socket_path;
    root_ = root;
    unlink(socket_path.c_str());
    listen_fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    wake_fd_ = eventfd(0, EFD_CLOEXEC);
    if (listen_fd_ < 0 || wake_fd_ < 0 ||
        bind(listen_fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        listen(listen_fd_, 64) != 0) {
        if (listen_fd_ >= 0) close(listen_fd_);
        if (wake_fd_ >= 0) close(wake_fd_);
        listen_fd_ = wake_fd_ = -1;
        return false;
    }
    start_time_ = now_s();
    stopping_.store(false);
    running_.store(true);
    {
        std::lock_guard<std::mutex> lock(mu_);
        loop_ready_ = false;
    }
    acceptor_ = std::thread(&coresim_server::accept_loop, this);
    // start() returns once the new thread is done setting itself up. A test
    // that forks right after starting the server would otherwise copy a
    // thread midway in its allocator's set-up, and under AddressSanitizer the
    // child could wait forever for a lock nobody will release.
    std::unique_lock<std::mutex> lock(mu_);
    cv_.wait(lock, [&] { return loop_ready_; });
    return true;
}

void coresim_server::stop() {
    if (!running_.exchange(false)) return;
    stopping_.store(true);
    uint64_t one = 1;
    if (write(wake_fd_, &one, sizeof one) < 0) {
        // An eventfd written once cannot be full.
    }
    acceptor_.join();
    {
        // Wakes connection threads blocked in a write to a peer that does
        // not read.
        std::lock_guard<std::mutex> lock(mu_);
        for (conn_entry& c : conns_)
            if (c.fd >= 0) shutdown(c.fd, SHUT_RDWR);
    }
    for (conn_entry& c : conns_) c.thread.join();
    conns_.clear();
    close(listen_fd_);
    close(wake_fd_);
    listen_fd_ = wake_fd_ = -1;
    unlink(socket_path_.c_str());
}

bool coresim_server::set_script(const std::string& text, std::string* error) {
    std::vector<coresim::rule> rules;
    if (!coresim::parse_script(text, rules, error)) return false;
    std::lock_guard<std::mutex> lock(mu_);
    rules_ = std::move(rules);
    rule_uses_.assign(rules_.size(), 0);
    return true;
}

void coresim_server::add_rule(coresim::rule r) {
    std::lock_guard<std::mutex> lock(mu_);
    rules_.push_back(std::move(r));
    rule_uses_.push_back(0);
}

void coresim_server::add_reply(int32_t request_id, int32_t reply_id, bytes payload, int delay_rounds) {
    coresim::rule r;
    r.id = request_id;
    coresim::reply_plan plan;
    if (reply_id) plan.id = reply_id;
    plan.base = std::move(payload);
    plan.delay_rounds = delay_rounds;
    r.replies.push_back(std::move(plan));
    add_rule(std::move(r));
}

void coresim_server::clear_rules() {
    std::lock_guard<std::mutex> lock(mu_);
    rules_.clear();
    rule_uses_.clear();
}

void coresim_server::set_fallback(fallback_fn fn) {
    std::lock_guard<std::mutex> lock(mu_);
    fallback_ = std::move(fn);
}

void coresim_server::use_defaults(bool on) {
    std::lock_guard<std::mutex> lock(mu_);
    defaults_ = on;
}

bool coresim_server::set_journal_file(const std::string& path) {
    std::lock_guard<std::mutex> lock(mu_);
    if (journal_file_) std::fclose(journal_file_);
    journal_file_ = nullptr;
    if (path.empty()) return true;
    journal_file_ = std::fopen(path.c_str(), "ae");
    return journal_file_ != nullptr;
}

void coresim_server::keep_journal(bool on) {
    std::lock_guard<std::mutex> lock(mu_);
    keep_ = on;
}

std::vector<request> coresim_server::journal() const {
    std::lock_guard<std::mutex> lock(mu_);
    return journal_;
}

std::vector<request> coresim_server::messages(int32_t id) const {
    std::lock_guard<std::mutex> lock(mu_);
    std::vector<request> out;
    for (const request& r : journal_)
        if (r.id == id) out.push_back(r);
    return out;
}

void coresim_server::clear_journal() {
    std::lock_guard<std::mutex> lock(mu_);
    journal_.clear();
    message_count_ = 0;
}

bool coresim_server::wait_for(size_t count, int timeout_ms) const {
    std::unique_lock<std::mutex> lock(mu_);
    return cv_.wait_for(lock, std::chrono::milliseconds(timeout_ms),
                        [&] { return message_count_ >= count; });
}

size_t coresim_server::replies_sent() const {
    std::lock_guard<std::mutex> lock(mu_);
    return replies_;
}

int coresim_server::connections() const {
    std::lock_guard<std::mutex> lock(mu_);
    return conn_count_;
}

int coresim_server::closed_connections() const {
    std::lock_guard<std::mutex> lock(mu_);
    return closed_count_;
}

bool coresim_server::wait_for_closed(int count, int timeout_ms) const {
    std::unique_lock<std::mutex> lock(mu_);
    return cv_.wait_for(lock, std::chrono::milliseconds(timeout_ms),
                        [&] { return closed_count_ >= count; });
}

bool coresim_server::wait_idle(int timeout_ms) const {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
        // A connection queued before this poll is either still queued (the
        // socket is readable) or taken by the acceptor, which then counts it
        // or is marked accepting while it does.
        pollfd fd = {listen_fd_, POLLIN, 0};
        bool queued = listen_fd_ >= 0 && poll(&fd, 1, 0) > 0;
        {
            std::lock_guard<std::mutex> lock(mu_);
            if (!queued && !accepting_ && closed_count_ >= conn_count_) return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

// Joins the threads of connections that have ended (mu_ held).
void coresim_server::reap_locked() {
    for (auto it = conns_.begin(); it != conns_.end();) {
        if (it->done.load()) {
            it->thread.join();
            it = conns_.erase(it);
        } else {
            ++it;
        }
    }
}

void coresim_server::accept_loop() {
    {
        std::lock_guard<std::mutex> lock(mu_);
        loop_ready_ = true;
    }
    cv_.notify_all();
    for (;;) {
        pollfd fds[2] = {{listen_fd_, POLLIN, 0}, {wake_fd_, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[1].revents || stopping_.load()) return;
        {
            std::lock_guard<std::mutex> lock(mu_);
            accepting_ = true;
        }
        int fd = accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
        std::lock_guard<std::mutex> lock(mu_);
        accepting_ = false;
        if (fd < 0) continue;
        reap_locked();
        conns_.emplace_back();
        conn_entry& c = conns_.back();
        c.fd = fd;
        c.number = ++conn_count_;
        c.thread = std::thread(&coresim_server::serve, this, &c);
    }
}

bool coresim_server::read_full(int fd, void* data, size_t len) {
    char* p = static_cast<char*>(data);
    while (len > 0) {
        pollfd fds[2] = {{fd, POLLIN, 0}, {wake_fd_, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (fds[1].revents) return false;
        ssize_t n = recv(fd, p, len, 0);
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

// Sleeps rounds of 40 ms (scaled) unless the server stops first.
void coresim_server::pause_rounds(int rounds) {
    if (rounds <= 0) return;
    long long us = nvr_scaled_us(40) * rounds;
    pollfd fd = {wake_fd_, POLLIN, 0};
    auto end = std::chrono::steady_clock::now() + std::chrono::microseconds(us);
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                        end - std::chrono::steady_clock::now()).count();
        if (left < 0) return;
        int r = poll(&fd, 1, static_cast<int>(left) + 1);
        if (r > 0) return;
        if (r == 0 && std::chrono::steady_clock::now() >= end) return;
    }
}

std::vector<out_msg> coresim_server::answer(const request& req) {
    std::vector<out_msg> out;
    std::optional<coresim::rule> found;
    fallback_fn fallback;
    bool defaults;
    {
        std::lock_guard<std::mutex> lock(mu_);
        defaults = defaults_;
        for (size_t i = 0; i < rules_.size(); ++i) {
            const coresim::rule& r = rules_[i];
            if (r.id != req.id) continue;
            if (r.times >= 0 && rule_uses_[i] >= r.times) continue;
            if (!r.match.empty() &&
                (req.payload.size() < r.match_at + r.match.size() ||
                 std::memcmp(req.payload.data() + r.match_at, r.match.data(), r.match.size()) != 0))
                continue;
            ++rule_uses_[i];
            found = r;
            break;
        }
        if (!found) fallback = fallback_;
    }
    // Built outside the lock: a test's handler may look at the server.
    if (found) {
        if (found->handler)
            found->handler(req, out);
        else if (found->stream)
            coresim::build_stream(*found->stream, req, root_, out);
        else
            for (const coresim::reply_plan& plan : found->replies) coresim::build_reply(plan, req, root_, out);
    } else if (fallback && fallback(req, out)) {
        return out;
    } else if (defaults) {
        out.clear();
        coresim::request_view view{req.id, req.payload.data(), req.payload.size(), root_};
        coresim::default_answer(view, out);
    }
    return out;
}

void coresim_server::log_event(const char* event, int conn, const request* msg,
                               int32_t expected_size, const char* reason, size_t streamed_size) {
    char head[160];
    std::snprintf(head, sizeof head, "{\"time\":%.6f,\"conn\":%d,\"event\":\"%s\"",
                  now_s() - start_time_, conn, event);
    std::string line = head;
    if (msg) {
        const bool streamed = streamed_size != SIZE_MAX;
        line += ",\"id\":" + std::to_string(msg->id) +
                ",\"size\":" + std::to_string(streamed ? streamed_size : msg->payload.size());
        if (expected_size >= 0) line += ",\"expected_size\":" + std::to_string(expected_size);
        if (!streamed)
            line += ",\"payload\":\"" + coresim::to_hex(msg->payload.data(), msg->payload.size()) + "\"";
    }
    if (reason) line += std::string(",\"reason\":\"") + reason + "\"";
    line += "}\n";
    std::lock_guard<std::mutex> lock(mu_);
    if (journal_file_) {
        std::fputs(line.c_str(), journal_file_);
        std::fflush(journal_file_);
    }
}

void coresim_server::serve(conn_entry* c) {
    int fd;
    {
        std::lock_guard<std::mutex> lock(mu_);
        fd = c->fd;
    }
    const char* reason = "peer";
    log_event("connect", c->number, nullptr, -1, nullptr);
    uint32_t seq = 0;
    bool writable = true;
    for (;;) {
        tq_sock_header h;
        if (!read_full(fd, &h, sizeof h)) break;
        if (!tq_sock_header_valid(h)) {
            reason = "framing";
            break;
        }
        request req;
        req.conn = c->number;
        req.id = h.msg_id;
        req.time = now_s() - start_time_;
        req.payload.resize(h.payload_size);
        if (h.payload_size && !read_full(fd, req.payload.data(), req.payload.size())) break;
        int32_t expected = -1;
        if (const coresim::default_reply* row = coresim::find_default(req.id))
            if (row->request_size >= 0 && static_cast<size_t>(row->request_size) != req.payload.size())
                expected = row->request_size;
        log_event("message", c->number, &req, expected, nullptr);
        {
            std::lock_guard<std::mutex> lock(mu_);
            if (keep_) journal_.push_back(req);
            ++message_count_;
        }
        cv_.notify_all();
        std::vector<out_msg> replies = answer(req);
        bool open = true;
        // Sends one message; false when the connection ends here.
        auto send_one = [&](const out_msg& m, bool streamed) {
            pause_rounds(m.delay_rounds);
            if (stopping_.load()) {
                reason = "stop";
                return false;
            }
            if (m.close) {
                reason = "script";
                return false;
            }
            tq_sock_header rh = tq_sock_make_header(++seq, m.id, static_cast<uint32_t>(m.payload.size()));
            if (!write_all(fd, &rh, sizeof rh) ||
                (!m.payload.empty() && !write_all(fd, m.payload.data(), m.payload.size()))) {
                writable = false;
                reason = "write failed";
                return true;
            }
            request sent{0, c->number, m.id, {}};
            if (!streamed) sent.payload = m.payload;
            log_event("reply", c->number, &sent, -1, nullptr, streamed ? m.payload.size() : SIZE_MAX);
            std::lock_guard<std::mutex> lock(mu_);
            ++replies_;
            return true;
        };
        for (const out_msg& m : replies) {
            // A peer that stopped reading may still have sent more: those
            // messages are read and journaled, only the answers are dropped.
            if (!writable) break;
            if (!m.source) {
                open = send_one(m, false);
            } else {
                out_msg piece;
                while (open && writable && m.source->next(piece)) open = send_one(piece, true);
            }
            if (!open) break;
        }
        if (!open) break;
    }
    if (stopping_.load() && std::strcmp(reason, "peer") == 0) reason = "stop";
    {
        std::lock_guard<std::mutex> lock(mu_);
        close(c->fd);
        c->fd = -1;
    }
    log_event("close", c->number, nullptr, -1, reason);
    {
        std::lock_guard<std::mutex> lock(mu_);
        ++closed_count_;
    }
    cv_.notify_all();
    c->done.store(true);
}
