// The simulated core daemon: listens on the core socket, records every
// message, and answers from a script or from the default replies of each
// message identifier. The same class runs inside test processes as a fake
// core (coresim_server) and as the program build/bin/coresim.
//
// Script format: tools/coresim/README.md.
//
// Default replies: each module registers the answers of its own waiting
// messages in tools/coresim/defaults_<module>.cpp, one row a message:
//
//     const coresim::default_reply rows[] = {
//         // request, request size, reply record size, channel offset in the reply
//         {3201, 0, 976},
//         {3204, 4, 584, 0},
//     };
//     CORESIM_DEFAULTS("camera", rows);
//
// A message without a row (the operation log 3485 and every notice) gets no
// answer.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace coresim {

using bytes = std::vector<uint8_t>;

struct out_msg;

// Messages made one at a time while they are sent (a long stream is never
// held whole): next() fills the next message, false when there is none.
struct stream_source {
    virtual ~stream_source() = default;
    virtual bool next(out_msg& msg) = 0;
};

// A message as the daemon sends it.
struct out_msg {
    int32_t id = 0;
    bytes payload;
    int delay_rounds = 0;  // rounds of 40 ms (divided by the time divisor) before it
    bool close = false;    // close the connection here instead of sending
    // Set: this entry stands for the messages the source makes, sent in its
    // place (journaled without their payloads).
    std::shared_ptr<stream_source> source = nullptr;
};

// A message the daemon received.
struct request {
    double time = 0;  // seconds since the server started
    int conn = 0;     // connection number, from 1
    int32_t id = 0;
    bytes payload;
};

// ---- scripts ------------------------------------------------------------

enum class field_kind { int32, int64, float32, text, hex, echo };

// One typed write into a reply record.
struct field_write {
    uint32_t at = 0;
    field_kind kind = field_kind::int32;
    int64_t number = 0;
    double real = 0;
    bytes data;          // text or hex bytes
    int32_t width = -1;  // text: the field's width (cut, NUL-padded); -1 the text's length
    uint32_t from = 0;   // echo: request offset
    uint32_t len = 0;    // echo: byte count
};

enum class fault { none, no_answer, empty, short_payload, wrong_id, close };

// One reply message of a rule.
struct reply_plan {
    std::optional<int32_t> id;  // default: request + 5000
    bool echo = false;          // the record starts as a copy of the request payload
    bytes base;                 // else as these bytes
    std::optional<uint32_t> size;  // record size; default: base (or echo) grown to the fields
    std::vector<field_write> fields;
    std::optional<uint32_t> count;  // records; default 1, or the number of per-record overrides
    std::vector<std::vector<field_write>> records;  // overrides of record i
    int delay_rounds = 0;
    fault mode = fault::none;
    std::optional<uint32_t> short_size;  // short: payload length (default record size - 1)
    std::string file_path;  // device path written under the root before the reply
    bytes file_data;
};

// The download stream (answer 6173 to 1173): the frames of an H.264
// elementary stream cut into pieces, then the end or abort marker.
struct stream_plan {
    std::string file;     // device path (under the root); unreadable: only the marker
    int repeat = 1;       // the file this many times in a row
    int32_t width = 0;    // 0: from the stream's sequence parameters
    int32_t height = 0;
    int32_t frame_rate = 0;  // 0: from the stream's timing, else 25
    uint32_t piece_size = 614400;  // data bytes per piece (every record is full size)
    int pace_rounds = 0;  // wait rounds before each frame
    int frames = -1;      // frames sent before the marker (-1: all)
    enum class finish { end, abort, none } marker = finish::end;
    std::vector<int> gaps;      // frames whose first piece is left out
    std::vector<int> oversize;  // frames whose header claims more than a frame may hold
};

// Where the default answer of 1173 finds its recording (device path).
inline constexpr const char* default_recording = "/var/lib/coresim/recording.h264";

// Answers messages of one identifier, optionally only those whose payload
// holds the given bytes at match_at, at most times times (-1 always).
struct rule {
    int32_t id = 0;
    uint32_t match_at = 0;
    bytes match;
    int times = -1;
    std::vector<reply_plan> replies;  // sent in order
    std::optional<stream_plan> stream;  // set: the download stream instead
    // Set by programs instead of replies: builds the answer itself.
    std::function<void(const request&, std::vector<out_msg>&)> handler;
};

// Parses a script text (README.md). False with a message on error.
bool parse_script(const std::string& text, std::vector<rule>& out, std::string* error);
// The messages one reply plan produces for a request (none for no_answer).
void build_reply(const reply_plan& plan, const request& req, const std::string& root,
                 std::vector<out_msg>& out);
// The download stream for a request (its channel and start time go into
// the frame headers): one out_msg whose source makes the pieces.
void build_stream(const stream_plan& plan, const request& req, const std::string& root,
                  std::vector<out_msg>& out);
bytes from_hex(const std::string& hex, bool* ok = nullptr);
std::string to_hex(const uint8_t* data, size_t len);

// ---- default replies ----------------------------------------------------

struct request_view {
    int32_t id;
    const uint8_t* data;
    size_t size;
    const std::string& root;  // root prefix for files the daemon owns
};
typedef void (*default_builder)(const request_view& req, std::vector<out_msg>& out);

struct default_reply {
    int32_t request_id;
    int32_t request_size;     // expected request payload size; -1 any. A mismatch is journaled.
    int32_t reply_size;       // reply record size; -1 no answer (a notice)
    int32_t channel_at = -1;  // reply offset that gets the request's first int32, -1 none
    default_builder build = nullptr;  // set: builds the answer instead of the generic rule
    int32_t reply_id = 0;             // 0: request + 5000
    uint32_t count = 1;               // records
};

struct default_table {
    default_table(const char* module, const default_reply* rows, size_t count);
};

#define CORESIM_CONCAT2(a, b) a##b
#define CORESIM_CONCAT(a, b) CORESIM_CONCAT2(a, b)
#define CORESIM_DEFAULTS(module, rows)                                          \
    static const coresim::default_table CORESIM_CONCAT(coresim_defaults_, __LINE__)( \
        module, rows, sizeof(rows) / sizeof(rows[0]))

// The row of a message identifier, or null.
const default_reply* find_default(int32_t request_id);
// Identifiers that two rows register.
std::vector<int32_t> default_conflicts();
// Every registered row.
std::vector<default_reply> default_rows();
// The generic answer: count zero-filled records of reply_size bytes, the
// request's first int32 copied to channel_at of each record.
void generic_reply(const default_reply& row, const request_view& req, std::vector<out_msg>& out);
// Appends the message id with a copy of size bytes of data as its payload
// (for builders that answer with records of their own).
void add_message(std::vector<out_msg>& out, int32_t id, const void* data, size_t size);
// The answer to a message when no script rule matches: the row's builder or
// the generic answer; nothing for a notice or an unknown identifier.
void default_answer(const request_view& req, std::vector<out_msg>& out);

// Runs a program (args[0], searched in PATH) with its arguments, no shell,
// for builders that do the daemon's work with outside tools; its standard
// output goes into out (when given), its errors nowhere. True when it exited
// with 0.
bool run_program(const std::vector<std::string>& args, std::string* out = nullptr);
// For builders: the request's payload as a record (zeros past what it holds),
// and an answer of count records.
template <typename T>
T request_record(const request_view& req) {
    T rec;
    std::memset(&rec, 0, sizeof rec);
    if (req.data) std::memcpy(&rec, req.data, req.size < sizeof rec ? req.size : sizeof rec);
    return rec;
}
template <typename T>
void reply_records(int32_t reply_id, const T* recs, size_t count, std::vector<out_msg>& out) {
    out_msg msg;
    msg.id = reply_id;
    const auto* bytes = reinterpret_cast<const uint8_t*>(recs);
    msg.payload.assign(bytes, bytes + sizeof(T) * count);
    out.push_back(std::move(msg));
}

}  // namespace coresim

class coresim_server {
public:
    coresim_server();
    ~coresim_server();
    coresim_server(const coresim_server&) = delete;
    coresim_server& operator=(const coresim_server&) = delete;

    // Listens on root + "/var/run/tqsocket". False when it cannot.
    bool start(const std::string& root);
    // Listens on socket_path; daemon-owned files go under root.
    bool start_at(const std::string& socket_path, const std::string& root);
    // Closes every connection, waits for their threads, removes the socket.
    void stop();

    // Replaces the script. False (rules unchanged) when the text is invalid.
    bool set_script(const std::string& text, std::string* error = nullptr);
    void add_rule(coresim::rule r);
    // Answers request_id with one message (reply_id 0: request + 5000).
    void add_reply(int32_t request_id, int32_t reply_id, coresim::bytes payload,
                   int delay_rounds = 0);
    void clear_rules();
    // Consulted for every message that no rule fits, before the default
    // replies: it fills the answer and returns true (an empty answer is no
    // answer), or returns false to leave the message to the defaults. For
    // checks that answer whatever any handler sends. Null removes it.
    using fallback_fn = std::function<bool(const coresim::request&, std::vector<coresim::out_msg>&)>;
    void set_fallback(fallback_fn fn);
    void use_defaults(bool on);
    // Appends the journal lines to this file as well (empty: none).
    bool set_journal_file(const std::string& path);
    // Keep received messages in memory for journal() (on by default).
    void keep_journal(bool on);

    // Every message received so far, in arrival order.
    std::vector<coresim::request> journal() const;
    std::vector<coresim::request> messages(int32_t id) const;
    void clear_journal();
    // Waits until at least count messages arrived; false after timeout_ms.
    bool wait_for(size_t count, int timeout_ms = 10000) const;
    // Replies written to a connection so far.
    size_t replies_sent() const;
    // Connections accepted / closed so far.
    int connections() const;
    int closed_connections() const;
    // Waits until at least count connections have closed.
    bool wait_for_closed(int count, int timeout_ms = 10000) const;
    // Waits until no connection is open, being accepted or waiting to be
    // accepted: once a client process has ended, everything it sent is in the
    // journal.
    bool wait_idle(int timeout_ms = 10000) const;
    const std::string& socket_path() const { return socket_path_; }

private:
    struct conn_entry {
        std::thread thread;
        int fd = -1;  // guarded by mu_; -1 once the thread closed it
        int number = 0;
        std::atomic<bool> done{false};
    };

    void accept_loop();
    void serve(conn_entry* c);
    bool read_full(int fd, void* data, size_t len);
    void pause_rounds(int rounds);
    std::vector<coresim::out_msg> answer(const coresim::request& req);
    void log_event(const char* event, int conn, const coresim::request* msg, int32_t expected_size,
                   const char* reason, size_t streamed_size = SIZE_MAX);
    void reap_locked();

    std::string socket_path_;
    std::string root_;
    int listen_fd_ = -1;
    int wake_fd_ = -1;
    std::thread acceptor_;
    std::atomic<bool> running_{false};
    std::atomic<bool> stopping_{false};
    bool accepting_ = false;  // guarded by mu_; set from before accept to the count
    bool loop_ready_ = false;  // guarded by mu_; the accepting thread has started
    double start_time_ = 0;

    mutable std::mutex mu_;
    mutable std::condition_variable cv_;
    std::list<conn_entry> conns_;
    std::vector<coresim::rule> rules_;
    std::vector<int> rule_uses_;
    fallback_fn fallback_;
    bool defaults_ = true;
    bool keep_ = true;
    std::FILE* journal_file_ = nullptr;
    std::vector<coresim::request> journal_;
    size_t message_count_ = 0;
    size_t replies_ = 0;
    int conn_count_ = 0;
    int closed_count_ = 0;
};
