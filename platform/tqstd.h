// The platform's standard library: socket messaging to the core daemon,
// tasks and mutexes, process and memory helpers.
#pragma once

#include <pthread.h>
#include <sys/types.h>

#include <cstddef>
#include <cstdio>

// ---- socket messaging ---------------------------------------------------
// One link per process (the calls take no handle). The framing on the wire is
// in platform/tqsock_wire.h.
//
// Callback for every message that arrives on the link: header (24 bytes,
// identifier at offset 12, payload size at offset 20) and payload (null when
// the size is 0). Runs on the library's receiving thread; ctx is null. Header
// and payload belong to the library and are valid only during the call.
typedef void (*tq_sock_callback)(void* ctx, const void* header, const void* payload);

// Connects to the daemon at the socket path (root prefix added inside) and
// starts the receiving thread. A null callback is allowed: what arrives is
// then read and discarded. mode and flags are informational. Returns 0 on
// success, -1 when the daemon cannot be reached at once (a later send retries
// the connection; a full listen queue counts as unreachable, the connect
// never waits). Called while the link is open, it only replaces the callback
// and keeps the connection.
int tq_sock_init(tq_sock_callback cb, int mode, int flags, const char* path);
// 0 when the message has been handed over, non-zero when the send is to be
// tried again (no daemon, a daemon that does not accept or takes nothing for
// a second, connection lost: the next send connects anew). Never blocks
// longer than that second.
// channel, arg5 and arg6 are informational. A payload length below 0 or above
// 16 MiB, or a null payload with a length, is refused with -2.
int tq_sock_send_msg(int channel, int msg_id, const void* payload, int payload_len, int arg5,
                     int arg6);
// Stops the callbacks and closes the link: once it returns no callback runs
// (a callback in progress on another thread is waited for). Called from the
// callback itself, it cannot wait for its own thread: no further callback
// starts, and the connection is released by the next tq_sock_* call made on
// another thread.
int tq_sock_uninit();
// 1 when the calling thread is the library's receiving thread (inside a
// callback), else 0.
int tq_sock_in_callback();
// The number of the open connection (on the receiving thread: the
// callback's own), 0 when none is open. Numbers grow with every connection
// the process opens.
unsigned tq_sock_link_id();
// Called on the receiving thread when the daemon ends connection link_id
// (closed, lost or garbled), after every message that arrived before the end
// has been handed to the callback. Not called for a link closed with
// tq_sock_uninit. Null removes it.
typedef void (*tq_sock_close_hook)(unsigned link_id);
void tq_sock_set_close_hook(tq_sock_close_hook hook);

// ---- tasks and mutexes ----------------------------------------------------
typedef pthread_t tq_task_t;
typedef void* (*tq_task_fn)(void* arg);
int tq_task_create_join(tq_task_t* task, tq_task_fn fn, void* arg);
int tq_task_set_name(const char* name);
int tq_task_join(tq_task_t task);

typedef pthread_mutex_t tq_mutex_t;
int tq_mutex_init(tq_mutex_t* m);
int tq_mutex_lock(tq_mutex_t* m);
int tq_mutex_unlock(tq_mutex_t* m);
int tq_mutex_destroy(tq_mutex_t* m);

// ---- processes, memory, files ----------------------------------------------
// Runs a fixed command line through the shell; the result is the raw status.
int tq_system(const char* command);
// popen of a fixed command line ("r" or "w"), with its pid for tq_vpclose.
FILE* tq_vpopen(const char* command, const char* mode, pid_t* pid);
int tq_vpclose(FILE* fp, pid_t pid);

void* __tq_malloc(size_t size, const char* file, int line);
void* __tq_calloc(size_t count, size_t size, const char* file, int line);
void __tq_free(void* ptr, const char* file, int line);

// 1 when the path (device path; root prefix added inside) exists, else 0.
int tq_check_file_exist(const char* path);
// Copies everything from fd_in to fd_out. 0 on success, -1 on failure.
int tq_spliced_copy_ex(int fd_in, int fd_out);
