// The download's writer: reassembler, bounded frame queue and writer thread.
#include "modules/playback/remote_backup.h"

#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>

#include "front/core_link.h"
#include "platform/avi_frame.h"
#include "platform/avilib.h"
#include "platform/msg_playback.h"
#include "platform/nvr_env.h"
#include "platform/tqstd.h"

namespace playback {

namespace {

#define BACKUP_MALLOC(n) __tq_malloc((n), __FILE__, __LINE__)
#define BACKUP_FREE(p) __tq_free((p), __FILE__, __LINE__)

constexpr size_t piece_head = offsetof(download_piece, data);

struct queued_frame {
    avi_frame_header header;
    uint8_t* data;
    queued_frame* next;
};

// Guarded by mu: the FIFO, its node count and its data bytes. changed is
// signalled when a frame is queued or taken and when the writer is to
// stop, so that a poll ends as soon as there is something to do.
struct frame_queue {
    tq_mutex_t mu;
    pthread_cond_t changed;
    queued_frame* head = nullptr;
    queued_frame* tail = nullptr;
    int count = 0;
    uint64_t bytes = 0;
};

// The frame under assembly (receiving thread only).
struct frame_assembly {
    avi_frame_header header{};
    uint8_t* data = nullptr;
    uint32_t total = 0;
    uint32_t filled = 0;
};

struct backup_state {
    void* avi = nullptr;
    std::atomic<bool> running{false};
    std::atomic<bool> stop{false};
    std::atomic<bool> done{false};
    tq_task_t thread{};
    frame_queue queue;
    frame_assembly frame;
};

backup_state st;

using poll_clock = std::chrono::steady_clock;

// The end of n polls from now.
poll_clock::time_point polls_from_now(int n) {
    return poll_clock::now() + std::chrono::microseconds(nvr_scaled_us(backup_poll_ms) * n);
}

// One poll (q.mu held): up to 40 ms, or less when the queue changes or the
// deadline comes first.
void poll_queue(frame_queue& q, poll_clock::time_point deadline) {
    const poll_clock::time_point end = std::min(polls_from_now(1), deadline);
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(end.time_since_epoch()).count();
    if (ns <= 0) return;
    timespec ts;
    ts.tv_sec = static_cast<time_t>(ns / 1000000000);
    ts.tv_nsec = static_cast<long>(ns % 1000000000);
    pthread_cond_timedwait(&q.changed, &q.mu, &ts);
}

void drop_frame() {
    BACKUP_FREE(st.frame.data);
    st.frame.data = nullptr;
    st.frame.total = st.frame.filled = 0;
}

// Moves the complete frame into the queue. The queue holds at most 10 MiB
// (a larger frame only when it is alone): a full queue is waited on for at
// most 25 polls, then the frame is lost; so is a frame that no writer will
// take any more.
void enqueue_frame() {
    frame_queue& q = st.queue;
    auto* node = static_cast<queued_frame*>(BACKUP_MALLOC(sizeof(queued_frame)));
    if (!node) return drop_frame();
    const poll_clock::time_point give_up = polls_from_now(backup_enqueue_waits);
    tq_mutex_lock(&q.mu);
    while (st.running.load() && q.bytes > 0 && q.bytes + st.frame.total > backup_queue_limit &&
           poll_clock::now() < give_up)
        poll_queue(q, give_up);
    const bool room = st.running.load() && (q.bytes == 0 || q.bytes + st.frame.total <= backup_queue_limit);
    tq_mutex_unlock(&q.mu);
    if (!room) {
        BACKUP_FREE(node);
        return drop_frame();
    }
    // The node takes the assembled data over: the receiving thread has
    // already made the frame's own copy and never waits on the output.
    node->header = st.frame.header;
    node->data = st.frame.data;
    node->next = nullptr;
    const uint32_t length = st.frame.total;
    st.frame.data = nullptr;
    st.frame.total = st.frame.filled = 0;
    tq_mutex_lock(&q.mu);
    if (q.tail)
        q.tail->next = node;
    else
        q.head = node;
    q.tail = node;
    ++q.count;
    q.bytes += length;
    pthread_cond_broadcast(&q.changed);
    tq_mutex_unlock(&q.mu);
}

// One piece of a frame: position 0 starts a frame (dropping a half one),
// later pieces are appended, cut to what is still missing.
void reassemble(const avi_frame_header& header, int32_t position, const uint8_t* data, uint32_t length) {
    frame_assembly& f = st.frame;
    if (position == 0) {
        drop_frame();
        if (header.data_length < 1 || header.data_length > backup_frame_limit) return;
        f.data = static_cast<uint8_t*>(BACKUP_MALLOC(static_cast<size_t>(header.data_length)));
        if (!f.data) return;
        f.header = header;
        f.total = static_cast<uint32_t>(header.data_length);
    } else if (!f.data) {
        return;
    }
    const uint32_t n = length < f.total - f.filled ? length : f.total - f.filled;
    std::memcpy(f.data + f.filled, data, n);
    f.filled += n;
    if (f.filled == f.total) enqueue_frame();
}

queued_frame* take_head() {
    frame_queue& q = st.queue;
    tq_mutex_lock(&q.mu);
    queued_frame* node = q.head;
    if (node) {
        q.head = node->next;
        if (!q.head) q.tail = nullptr;
        --q.count;
        q.bytes -= node->header.data_length;
        pthread_cond_broadcast(&q.changed);
    }
    tq_mutex_unlock(&q.mu);
    return node;
}

bool write_frame(const queued_frame& node) {
    avi_frame_header h = node.header;
    // The 32-bit frame descriptor holds the data's address; a 64-bit build
    // has no room for it and the data follows as the next write.
    h.data_addr = sizeof(void*) == 4 ? static_cast<uint32_t>(reinterpret_cast<uintptr_t>(node.data)) : 0;
    return tq_avi_write_fp_ex(st.avi, &h, sizeof h) == 0 &&
           tq_avi_write_fp_ex(st.avi, node.data, node.header.data_length) == 0;
}

void* writer_main(void*) {
    tq_task_set_name("remote_backup");
    frame_queue& q = st.queue;
    // An idle writer gives up 1500 polls after the last frame it took.
    poll_clock::time_point give_up = polls_from_now(backup_idle_polls);
    while (st.running.load()) {
        if (queued_frame* node = take_head()) {
            const bool written = write_frame(*node);
            BACKUP_FREE(node->data);
            BACKUP_FREE(node);
            give_up = polls_from_now(backup_idle_polls);
            if (!written) break;  // the response cannot take more
            continue;
        }
        tq_mutex_lock(&q.mu);
        const bool finished = st.stop.load() && q.count == 0;
        if (!finished && q.count == 0 && st.running.load()) poll_queue(q, give_up);
        tq_mutex_unlock(&q.mu);
        if (finished || poll_clock::now() >= give_up) break;
    }
    tq_mutex_lock(&q.mu);
    while (queued_frame* node = q.head) {
        q.head = node->next;
        BACKUP_FREE(node->data);
        BACKUP_FREE(node);
    }
    q.tail = nullptr;
    q.count = 0;
    q.bytes = 0;
    st.running.store(false);
    pthread_cond_broadcast(&q.changed);
    tq_mutex_unlock(&q.mu);
    // A writer that gave up (idle, or the response failed) ends the
    // handler's wait for the stream too: nothing more will be written.
    if (!st.stop.load()) core_reply_done(1);
    return nullptr;
}

}  // namespace

bool backup_start(FILE* out) {
    // Frames are large and short-lived: they are mapped and unmapped on
    // their own instead of growing the heap, so that what the process
    // holds follows what is queued.
    mallopt(M_MMAP_THRESHOLD, 256 * 1024);
    if (!tq_avi_open_fp(out, &st.avi)) return false;
    tq_mutex_init(&st.queue.mu);
    pthread_condattr_t attr;
    pthread_condattr_init(&attr);
    pthread_condattr_setclock(&attr, CLOCK_MONOTONIC);
    pthread_cond_init(&st.queue.changed, &attr);
    pthread_condattr_destroy(&attr);
    st.stop.store(false);
    st.done.store(false);
    st.running.store(true);
    if (tq_task_create_join(&st.thread, writer_main, nullptr) != 0) {
        st.running.store(false);
        tq_mutex_destroy(&st.queue.mu);
        pthread_cond_destroy(&st.queue.changed);
        tq_avi_close_fp(st.avi);
        st.avi = nullptr;
        return false;
    }
    return true;
}

bool backup_take(const void* payload, size_t size) {
    const auto* bytes = static_cast<const uint8_t*>(payload);
    // Record by record; a last part record still counts when it holds its
    // whole piece. Nothing after a marker is taken: the data is over.
    for (size_t at = 0; bytes && !st.done.load() && at + piece_head <= size; at += sizeof(download_piece)) {
        avi_frame_header header;
        int32_t position = 0, length = 0;
        std::memcpy(&header, bytes + at, sizeof header);
        std::memcpy(&position, bytes + at + offsetof(download_piece, position), 4);
        std::memcpy(&length, bytes + at + offsetof(download_piece, length), 4);
        if (!st.avi || length == piece_end) {
            st.done.store(true);
        } else if (length == piece_abort) {
            st.running.store(false);
            st.done.store(true);
        } else if (length >= 0 && length <= piece_data_bytes && at + piece_head + length <= size) {
            reassemble(header, position, bytes + at + piece_head, static_cast<uint32_t>(length));
        }
    }
    return st.done.load();
}

bool backup_done() { return st.done.load(); }

bool backup_running() { return st.running.load(); }

void backup_stop() {
    if (!st.avi) return;
    tq_mutex_lock(&st.queue.mu);
    st.stop.store(true);
    pthread_cond_broadcast(&st.queue.changed);
    tq_mutex_unlock(&st.queue.mu);
    tq_task_join(st.thread);
    tq_mutex_destroy(&st.queue.mu);
    pthread_cond_destroy(&st.queue.changed);
    drop_frame();
    tq_avi_close_fp(st.avi);
    st.avi = nullptr;
}

}  // namespace playback
