// The link to the core daemon: send with retries, the bounded wait for the
// reply writer, and the one-reply claim shared by writer and handler.
#include "front/core_link.h"

#include "front/json_req.h"
#include "front/reply.h"
#include "front/web_utils.h"
#include "platform/nvr_env.h"
#include "platform/tqsock_wire.h"
#include "platform/tqstd.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <mutex>

static_assert(offsetof(core_msg_header, msg_id) == offsetof(tq_sock_header, msg_id));
static_assert(offsetof(core_msg_header, payload_size) == offsetof(tq_sock_header, payload_size));

std::atomic<int> core_reply_state{0};

namespace {

constexpr int send_attempts = 3000;
constexpr long send_pause_ms = 10;
constexpr long wait_round_ms = 40;

std::atomic<bool> reply_claimed{false};
std::atomic<bool> reply_done{false};
// The connection the waiting message went out on (0: none), and the newest
// connection the daemon has ended: once the first is ended no answer can
// come on it.
std::atomic<unsigned> waiting_link{0};
std::atomic<unsigned> ended_link{0};

// Guards the done mark against a lost wake-up between the waiting thread's
// check and its sleep. Never destroyed: a writer may still run at exit.
struct reply_sync {
    std::mutex mu;
    std::condition_variable cv;
};
reply_sync& reply_sync_state() {
    static reply_sync* s = new reply_sync;
    return *s;
}

bool finished() { return reply_done.load() || core_reply_state.load() != 0; }

bool link_ended() {
    unsigned link = waiting_link.load();
    return link != 0 && ended_link.load() >= link;
}

void reset_reply() {
    core_reply_state.store(0);
    reply_claimed.store(false);
    waiting_link.store(0);
    std::lock_guard<std::mutex> lock(reply_sync_state().mu);
    reply_done.store(false);
}

// Runs on the socket library's thread after the last message of the ended
// connection was handed to the callback: a reply that came before the end
// has been handled already.
void on_link_ended(unsigned link) {
    unsigned seen = ended_link.load();
    while (seen < link && !ended_link.compare_exchange_weak(seen, link)) {
    }
    reply_sync& s = reply_sync_state();
    { std::lock_guard<std::mutex> lock(s.mu); }
    s.cv.notify_all();
}

// Waits up to bound for the reply: it ends as soon as a writer calls
// core_reply_done or the daemon ends the link, and checks core_reply_state at
// least every 40 ms (scaled), so that a writer that only stores the state is
// seen within one round.
void wait_for_reply(std::chrono::microseconds bound) {
    using clock = std::chrono::steady_clock;
    const auto round = std::chrono::microseconds(nvr_scaled_us(wait_round_ms));
    const auto end = clock::now() + bound;
    reply_sync& s = reply_sync_state();
    std::unique_lock<std::mutex> lock(s.mu);
    auto done = [] { return finished() || link_ended(); };
    for (auto next = clock::now();;) {
        next = std::min(next + round, end);
        if (s.cv.wait_until(lock, next, done) || next >= end) return;
        // Rounds that have already passed (a scaled round can be shorter
        // than one wake-up) are not waited again: the wait keeps its bound.
        const auto now = clock::now();
        if (now > next) next += (now - next) / round * round;
    }
}

// Up to 3000 attempts, each failed one followed by the 10 ms pause, and never
// longer in all than those pauses (an attempt whose socket step ran into its
// own bound counts against it). True once the message was handed over.
bool send_with_retries(int msg_id, int payload_len, const void* payload) {
    const auto budget = std::chrono::microseconds(nvr_scaled_us(send_pause_ms) * send_attempts);
    const auto start = std::chrono::steady_clock::now();
    for (int attempt = 0; attempt < send_attempts; ++attempt) {
        if (tq_sock_send_msg(1, msg_id, payload, payload_len, 0, 0) == 0) return true;
        nvr_sleep_ms(send_pause_ms);
        if (std::chrono::steady_clock::now() - start >= budget) break;
    }
    return false;
}

// The waits the modules registered (CORE_WAITS), filled before main.
constexpr int max_waits = 256;
core_wait waits[max_waits];
int wait_count;

// The failure reply of the waiting request, for core_reply_fail.
std::atomic<int> fail_type{REPLY_JSON};
std::atomic<const char*> fail_text{nullptr};

// Waits for the reply; when it was not handled, closes the link and lets
// write_failure write the failure reply if nobody else has claimed it.
template <typename Fail>
int query(reply_callback cb, int msg_id, int payload_len, const void* payload, Fail write_failure) {
    bool sent = core_send(cb, msg_id, payload_len, payload, 0) == 0;
    // Closing first stops late callbacks and waits for one in progress, so
    // the claim below decides for good who writes.
    core_close();
    if (!(sent && finished()) && core_reply_claim()) write_failure();
    return core_reply_state.load();
}

}  // namespace

int core_wait_rounds(int msg_id) {
    for (int i = 0; i < wait_count; ++i)
        if (waits[i].msg_id == msg_id) return waits[i].rounds;
    return 1000;
}

void core_register_waits(const core_wait* rows, int count) {
    for (int i = 0; rows && i < count && wait_count < max_waits; ++i) waits[wait_count++] = rows[i];
}

int core_send(reply_callback cb, int msg_id, int payload_len, const void* payload, int no_wait) {
    // A writer's follow-up notice uses the open link and leaves the reply of
    // the message being answered alone. Otherwise the reply state describes
    // this message from here on, whether it can be sent or not.
    const bool nested = tq_sock_in_callback() != 0;
    if (!nested) reset_reply();
    if (!cb) return -1;
    if (payload_len < 0 || static_cast<unsigned>(payload_len) > TQ_SOCK_MAX_PAYLOAD ||
        (payload_len > 0 && !payload))
        return -1;
    if (!nested) {
        tq_sock_set_close_hook(on_link_ended);
        tq_sock_init(cb, 0, 3, CORE_SOCKET_PATH);
    }
    const bool waiting = !no_wait && !nested;
    if (!send_with_retries(msg_id, payload_len, payload)) {
        // A notice counts as sent; a waiting message is not waited for, so
        // that its handler answers with its failure reply at once.
        cgi_debug_log("core_link.c", __LINE__, "core_send", "message %d not sent: %s does not take it%s",
                      msg_id, nvr_path(CORE_SOCKET_PATH).c_str(), waiting ? "" : " (notice dropped)");
        return 0;
    }
    if (!waiting) {
        // The pause after a notice paces the daemon and keeps the order of
        // what it is told.
        nvr_sleep_ms(send_pause_ms);
        return 0;
    }
    // The pause after a waiting message's send becomes part of its wait, and
    // ends with it as soon as the reply has been written.
    waiting_link.store(tq_sock_link_id());
    wait_for_reply(std::chrono::microseconds(nvr_scaled_us(send_pause_ms) +
                                             nvr_scaled_us(wait_round_ms) * core_wait_rounds(msg_id)));
    return 0;
}

int core_close() {
    if (tq_sock_in_callback()) return 0;
    tq_sock_uninit();
    return 0;
}

bool core_reply_claim() { return !reply_claimed.exchange(true); }

void core_reply_done(int state) {
    core_reply_state.store(state);
    reply_sync& s = reply_sync_state();
    {
        std::lock_guard<std::mutex> lock(s.mu);
        reply_done.store(true);
    }
    s.cv.notify_all();
}

bool core_reply_claimed() { return reply_claimed.load(); }

bool core_reply_finished() { return finished(); }

void core_notify(reply_callback cb, int msg_id, int payload_len, const void* payload) {
    core_send(cb, msg_id, payload_len, payload, 1);
    core_close();
}

int core_query(reply_callback cb, int msg_id, int payload_len, const void* payload, int type) {
    fail_type.store(type);
    fail_text.store(nullptr);
    return query(cb, msg_id, payload_len, payload, [type] {
        if (type == REPLY_TEXT || type == REPLY_JSON) cgi_reply_error(type);
    });
}

int core_query_text(reply_callback cb, int msg_id, int payload_len, const void* payload,
                    int reply_type, const char* text) {
    fail_type.store(reply_type);
    fail_text.store(text ? text : "");
    return query(cb, msg_id, payload_len, payload,
                 [reply_type, text] { cgi_reply(reply_type, text ? text : ""); });
}

// ---- reply tables ------------------------------------------------------------------

void core_reply_fail() {
    if (!core_reply_claim()) return;
    const char* text = fail_text.load();
    if (text)
        cgi_reply(fail_type.load(), text);
    else
        cgi_reply_error(fail_type.load());
    core_reply_done(0);
}

void core_reply_table(std::span<const reply_row> rows, const void* header, const void* payload) {
    if (!header) return;
    const int32_t id = core_header_id(header);
    const uint32_t size = payload ? core_header_size(header) : 0;
    for (const reply_row& row : rows) {
        if (row.reply_id != id) continue;
        core_answer answer{size ? payload : nullptr, size, row.record_size ? size / row.record_size : size};
        if (answer.count == 0) {
            if (row.short_payload == reply_short::wait) return;
            if (row.short_payload == reply_short::fail) {
                core_reply_fail();
                return;
            }
        }
        if (row.kind == reply_kind::result) {
            core_reply_done(row.write(answer));
            return;
        }
        if (!core_reply_claim()) return;
        core_reply_done(row.write(answer));
        return;
    }
}

int reply_int_member(const char* key, const core_answer& answer) {
    json_ref obj(json_object_new_object());
    jadd_int(obj.get(), key, answer.rec<int32_t>());
    cgi_reply_json(obj.get());
    return 1;
}

void cgi_reply_status(int record_count, const void* payload) {
    if (record_count < 1 || !payload) return;
    if (!core_reply_claim()) return;
    int32_t result;
    std::memcpy(&result, payload, sizeof result);
    char text[64];
    std::snprintf(text, sizeof text, "{ \"status\": %d }", static_cast<int>(result));
    cgi_reply(REPLY_JSON, text);
    core_reply_done(1);
}

// Like every reply writer it claims the request's one reply first: a result
// that arrives after the handler gave up (or a second one) writes nothing.
int cgi_reply_result(int result, const char* data) {
    if (!core_reply_claim()) return 0;
    char text[256];
    if (data)
        std::snprintf(text, sizeof text, "%s status:[%d], data:[%s]", result < 0 ? "CGI ERROR" : "CGI OK",
                      result, data);
    else
        std::snprintf(text, sizeof text, "%s status:[%d]", result < 0 ? "CGI ERROR" : "CGI OK", result);
    cgi_reply(REPLY_TEXT, text);
    core_reply_done(1);
    return 0;
}

