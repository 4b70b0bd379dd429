// The link to the core daemon: send with retries, the bounded wait for the
// reply writer, and the one-reply claim shared by writer and handler.
#include "front/core_link.h"

#include "front/web_utils.h"
#include "platform/nvr_env.h"
#include "platform/tqsock_wire.h"
#include "platform/tqstd.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstddef>
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

void reset_reply() {
    core_reply_state.store(0);
    reply_claimed.store(false);
    std::lock_guard<std::mutex> lock(reply_sync_state().mu);
    reply_done.store(false);
}

// Waits in rounds of 40 ms (scaled) so that a writer that only stores
// core_reply_state is still seen within one round; core_reply_done wakes the
// wait at once.
void wait_for_reply(int rounds) {
    const auto round = std::chrono::microseconds(nvr_scaled_us(wait_round_ms));
    const auto start = std::chrono::steady_clock::now();
    reply_sync& s = reply_sync_state();
    std::unique_lock<std::mutex> lock(s.mu);
    for (int i = 0; i < rounds; ++i) {
        // Rounds that have already passed (a scaled round can be shorter
        // than one wake-up) are not slept again: the wait keeps its bound.
        const auto now = std::chrono::steady_clock::now();
        if (now >= start + round * (i + 1)) {
            if (finished()) return;
            i = std::max<long long>(i, (now - start) / round - 1);
            continue;
        }
        if (s.cv.wait_until(lock, start + round * (i + 1), finished)) return;
    }
}

struct wait_class {
    int rounds;
    std::initializer_list<int> ids;
};

const wait_class wait_table[] = {
    {1500, {3700, 3702}},
    {3000, {1153, 1171, 3102, 3104, 3223, 3259, 3263, 3360, 3365, 3401, 3535}},
    {6000, {1701, 1713, 1716, 3200, 3201, 3202, 3203, 3204, 3205, 3227, 3379, 3402, 3409, 3420,
            3440, 3528}},
    {15000, {3230, 3350, 3434, 3494, 3495}},
};

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
    for (const wait_class& wc : wait_table)
        for (int id : wc.ids)
            if (id == msg_id) return wc.rounds;
    return 1000;
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
    if (!nested) tq_sock_init(cb, 0, 3, CORE_SOCKET_PATH);
    // After the last failed attempt the message counts as sent: the wait (if
    // any) then runs out and the handler reports the failure.
    for (int attempt = 0; attempt < send_attempts; ++attempt) {
        int rc = tq_sock_send_msg(1, msg_id, payload, payload_len, 0, 0);
        nvr_sleep_ms(send_pause_ms);
        if (rc == 0) break;
    }
    if (no_wait || nested) return 0;
    wait_for_reply(core_wait_rounds(msg_id));
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

int core_query(reply_callback cb, int msg_id, int payload_len, const void* payload, int fail_type) {
    return query(cb, msg_id, payload_len, payload, [fail_type] {
        if (fail_type == REPLY_TEXT || fail_type == REPLY_JSON) cgi_reply_error(fail_type);
    });
}

int core_query_text(reply_callback cb, int msg_id, int payload_len, const void* payload,
                    int reply_type, const char* fail_text) {
    return query(cb, msg_id, payload_len, payload,
                 [reply_type, fail_text] { cgi_reply(reply_type, fail_text ? fail_text : ""); });
}
