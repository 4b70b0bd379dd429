// Replies, debug log, commands, operation log, small file and JSON helpers
// shared by every handler.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "platform/oplog_record.h"

// ---- replies ------------------------------------------------------------
// Reply types: 0 plain text, 1 JSON, anything else no header.
#define REPLY_TEXT 0
#define REPLY_JSON 1

int cgi_reply(int type, const char* text);
int cgi_reply_error(int type);
// Reply writer for replies that carry one 32-bit result: {"status": n}.
void cgi_reply_status(int record_count, const void* payload);
int cgi_reply_result(int result, const char* data);
int cgi_redirect(const char* location);
int cgi_set_cookie(const char* name, const char* value, int lifetime_s, const char* path,
                   const char* domain);
// The two download header lines for the last path component of path.
int cgi_download_header(const char* path);

// ---- debug log ------------------------------------------------------------
// Appends "[cgix debug] <time>  <file>:<line> in <func>: <message>" to
// "/mnt/nand/cgi_log.txt"; the file is rotated to ".1" past CGI_LOG_LIMIT.
#define CGI_LOG_LIMIT (512 * 1024)
int cgi_debug_log(const char* file, int line, const char* func, const char* fmt, ...)
    __attribute__((format(printf, 4, 5)));

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

// ---- lookups ------------------------------------------------------------------
int alarm_audio_file_mask();
int get_interface_mac(const char* ifname, unsigned char mac[6]);
void get_device_macs(char eth0[18], char eth1[18]);
// The number of channels offered ("max_cameras", default 32), kept to 1..64
// so that it can bound a loop, an index or a channel range.
int max_channels();

// Copies src into a fixed field of dst_size bytes: at most dst_size - 1
// characters (or max_chars when smaller), NUL-padded.
void copy_text(char* dst, size_t dst_size, const char* src, size_t max_chars = SIZE_MAX);
