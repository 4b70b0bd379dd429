// Root prefix and time divisor: the two places where a test or the local
// server changes how the system sees its machine.
//
// Every absolute path the system uses ("/mnt/nand/app/tqdb.db",
// "/var/run/tqsocket", "/tmp/...") is formed by nvr_path(), which puts the
// value of NVR_ROOT in front of it. On the recorder NVR_ROOT is unset and the
// paths are exactly the fixed ones. Program paths in commands are not
// prefixed.
//
// NVR_TIME_DIVISOR (integer, default 1) divides every sleep and wait bound of
// the platform layer, so that tests run a 40-second wait in 0.4 s.
#pragma once

#include <cstddef>
#include <string>

// The root prefix, "" on the device. Read from the environment on each call so
// that a test process may switch roots between cases.
const char* nvr_root();

// nvr_root() + abs_path. abs_path starts with '/'.
std::string nvr_path(const char* abs_path);

// Writes nvr_root() + abs_path into out (cut to out_size, always terminated).
// Returns the length written, or -1 when it did not fit.
int nvr_path_buf(char* out, size_t out_size, const char* abs_path);

// The time divisor, at least 1.
int nvr_time_divisor();

// Sleeps ms milliseconds divided by the time divisor (at least 1 microsecond
// when ms > 0).
void nvr_sleep_ms(long ms);

// The scaled length of ms milliseconds in microseconds.
long long nvr_scaled_us(long ms);
