// The download's writer: reassembler, bounded frame queue and writer thread.
#include "modules/playback/remote_backup.h"

#include <atomic>
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

// Guarded by mu: the FIFO, its node count and its data bytes.
struct frame_queue {
    tq_mutex_t mu;
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

void drop_frame() {
    BACKUP_FREE(st.frame.data);
    st.frame.data = nullptr;
    st.frame.total = st.frame.filled = 0;
}

// Moves the complete frame into the queue. A full queue is waited on for at
// most 25 polls, then the frame is lost; so is a frame that no writer will
// take any more.
void enqueue_frame() {
    frame_queue& q = st.queue;
    for (int waits = 0;; ++waits) {
        tq_mutex_lock(&q.mu);
        const bool full = q.bytes >= backup_queue_limit;
        tq_mutex_unlock(&q.mu);
        if (!full) break;
        if (waits == backup_enqueue_waits || !st.running.load()) return drop_frame();
        nvr_sleep_ms(backup_poll_ms);
    }
    if (!st.running.load()) return drop_frame();
    auto* node = static_cast<queued_frame*>(BACKUP_MALLOC(sizeof(queued_frame)));
    if (!node) return drop_frame();
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
    int idle = 0;
    while (st.running.load()) {
        if (queued_frame* node = take_head()) {
            const bool written = write_frame(*node);
            BACKUP_FREE(node->data);
            BACKUP_FREE(node);
            idle = 0;
            if (!written) break;  // the response cannot take more
            continue;
        }
        if (st.stop.load()) {
            tq_mutex_lock(&st.queue.mu);
            const bool empty = st.queue.count == 0;
            tq_mutex_unlock(&st.queue.mu);
            if (empty) break;
        }
        nvr_sleep_ms(backup_poll_ms);
        if (++idle >= backup_idle_polls) break;
    }
    frame_queue& q = st.queue;
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
    tq_mutex_unlock(&q.mu);
    // A writer that gave up (idle, or the response failed) ends the
    // handler's wait for the stream too: nothing more will be written.
    if (!st.stop.load()) core_reply_done(1);
    return nullptr;
}

}  // namespace

bool backup_start(FILE* out) {
    if (!tq_avi_open_fp(out, &st.avi)) return false;
    tq_mutex_init(&st.queue.mu);
    st.stop.store(false);
    st.done.store(false);
    st.running.store(true);
    if (tq_task_create_join(&st.thread, writer_main, nullptr) != 0) {
        st.running.store(false);
        tq_mutex_destroy(&st.queue.mu);
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
    st.stop.store(true);
    tq_task_join(st.thread);
    tq_mutex_destroy(&st.queue.mu);
    drop_frame();
    tq_avi_close_fp(st.avi);
    st.avi = nullptr;
}

}  // namespace playback
