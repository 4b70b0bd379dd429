// The download's writer: frames reassembled from the core's pieces (on the
// socket library's receiving thread), a queue of at most 10 MiB of frame
// data, and a thread ("remote_backup") that hands the queued frames to the
// AVI library writing to the HTTP response.
//
// One download per process: the state is the process's own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace playback {

// Frame data queued before enqueuing waits (headers not counted).
inline constexpr uint64_t backup_queue_limit = 10u << 20;
// Waits of one poll on a full queue before the frame is given up.
inline constexpr int backup_enqueue_waits = 25;
// Empty polls after which an idle writer gives up (60 s).
inline constexpr int backup_idle_polls = 1500;
// Every wait of the download is counted in polls of 40 ms (divided by the
// time divisor); a poll on the queue ends early when a frame is queued or
// taken, so the bounds hold without the stream waiting on the poll.
inline constexpr long backup_poll_ms = 40;
// The largest frame taken; a frame header that claims more (or less than
// one byte) is not believed and its pieces are dropped.
inline constexpr int32_t backup_frame_limit = 64 << 20;

// Opens the AVI writer on out and starts the writer thread. False, with
// nothing started, when the AVI writer does not open or the thread cannot
// be started.
bool backup_start(FILE* out);
// The records of one frame-piece answer, in order. True when the end or the
// abort marker was among them (or no download is under way): the download's
// data is over.
bool backup_take(const void* payload, size_t size);
// Set by backup_take once the data is over.
bool backup_done();
// True while the writer thread may write.
bool backup_running();
// Sets the stop flag, waits for the writer to write what is queued (or
// discard it after an abort), releases any frame under assembly and
// completes the AVI file.
void backup_stop();

}  // namespace playback
