// Shared by the fuzz targets: a private root directory for the process, and
// a descriptor reading given bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Creates a fresh root (with the system's directories) once per process,
// sets NVR_ROOT to it and returns it.
const std::string& fuzz_root();

// A descriptor reading exactly these bytes from its start (a memory file).
int fuzz_fd(const uint8_t* data, size_t size);

// Names in a device directory under the root.
size_t fuzz_count_files(const std::string& device_dir);

// Ends the process with a message when an invariant does not hold; the
// fuzzer reports it as a crash with the input that caused it.
#define FUZZ_CHECK(cond, what)                                            \
    do {                                                                  \
        if (!(cond)) fuzz_fail(__FILE__, __LINE__, what);                 \
    } while (0)
[[noreturn]] void fuzz_fail(const char* file, int line, const char* what);
