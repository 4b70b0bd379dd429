// The utilities every handler shares: the debug log, commands, the
// operation log, the CGI lock and whole-file helpers (and, through
// front/reply.h, the replies).
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "front/reply.h"
#include "platform/oplog_record.h"

// ---- debug log ------------------------------------------------------------
// Appends "[cgix debug] <time>  <file>:<line> in <func>: <message>" to
// "/mnt/nand/cgi_log.txt"; the file is rotated to ".1" past CGI_LOG_LIMIT.
// 0 when the whole line was written, -1 otherwise. An entry always starts a
// line of its own, also after a write that a full disk cut short; once the
// disk was found full the process logs nothing more.
#define CGI_LOG_LIMIT (512 * 1024)
int cgi_debug_log(const char* file, int line, const char* func, const char* fmt, ...)
    __attribute__((format(printf, 4, 5)));
// Request text as a log line shows it: at most max characters, control
// characters as '?', so that a client can neither flood the log nor forge
// lines in it.
std::string log_excerpt(std::string_view text, size_t max = 64);

// ---- commands -------------------------------------------------------------
// Runs a fixed command line through the shell. Only for command texts made
// of constants: anything that holds request, file or reply text goes through
// cgi_exec. 0 when it exited with 0, else -1.
int cgi_system(const char* command);
// Runs argv[0] (searched in PATH) with the given arguments, no shell, and
// waits. Same result rule as cgi_system.
int cgi_exec(std::initializer_list<const char*> argv);
int cgi_execv(const char* const* argv);
// Starts argv without waiting (own session, output to /dev/null).
int cgi_spawn(std::initializer_list<const char*> argv);
int cgi_spawnv(const char* const* argv);
// Runs argv like cgi_execv with its standard output on a pipe instead of the
// reply: the first limit bytes of it land in *out, the rest is read and
// dropped; a null out discards all of it. Same result rule as cgi_exec.
int cgi_exec_output(const char* const* argv, std::string* out, size_t limit = 65536);

// ---- operation log ----------------------------------------------------------
int oplog_record_init(oplog_record* rec);
// oplog_record_init, then sub type, parameter type and channel number (-1
// leaves the channel 0); sent as message 3485 without waiting.
void oplog_send(int64_t sub_type, int parameter_type, int chan_no = -1);
// Sends a prepared record as message 3485 without waiting.
void oplog_send_record(const oplog_record* rec);

int cookie_user_name(char* buf, size_t size);

// ---- files and locks ----------------------------------------------------------
#define CGI_LOCK_FILE "/tmp/cgilockfile"
int cgi_file_lock(const char* path);
void cgi_file_unlock(int fd);
// RAII form of the lock on CGI_LOCK_FILE.
struct cgi_lock_guard {
    int fd;
    cgi_lock_guard();
    ~cgi_lock_guard();
    cgi_lock_guard(const cgi_lock_guard&) = delete;
    cgi_lock_guard& operator=(const cgi_lock_guard&) = delete;
};

// Paths here are the device's paths: the root prefix is added inside.
char* read_whole_file(const char* path, long* length);
int write_whole_file(const char* path, const void* data, size_t length);
// Creates the file when it is missing (its contents kept otherwise), as the
// marker files that other programs look for. 0, or -1 when it cannot be made.
int touch_file(const char* path);

// Copies src into a fixed field of dst_size bytes: at most dst_size - 1
// characters (or max_chars when smaller), NUL-padded.
void copy_text(char* dst, size_t dst_size, const char* src, size_t max_chars = SIZE_MAX);
