// Test harness: a fresh root directory per test, and webreq run as the web
// server runs it (CGI environment, body on standard input), returning its
// exact output and exit status.
#pragma once

#include <map>
#include <string>
#include <vector>

// A temporary root with the directories the system uses. Sets NVR_ROOT and
// NVR_TIME_DIVISOR (100) in this process while it lives, so that in-process
// database and socket calls see the same root as the webreq it runs.
class test_root {
public:
    explicit test_root(int time_divisor = 100);
    ~test_root();
    test_root(const test_root&) = delete;
    test_root& operator=(const test_root&) = delete;

    const std::string& path() const { return path_; }
    // The root prefix put in front of a device path.
    std::string file(const std::string& device_path) const { return path_ + device_path; }
    bool exists(const std::string& device_path) const;
    std::string read(const std::string& device_path) const;
    // The lines of a device file, without their line ends.
    std::vector<std::string> lines(const std::string& device_path) const;
    void write(const std::string& device_path, const std::string& data) const;
    // Names in a device directory, sorted.
    std::vector<std::string> list(const std::string& device_dir) const;

private:
    std::string path_;
};

struct cgi_request {
    std::string method = "GET";
    std::string path_info;
    std::string query;
    std::string content_type;
    std::string body;
    // Set only when present: CONTENT_LENGTH defaults to the body's size.
    std::map<std::string, std::string> env;
    bool set_content_length = true;
    int timeout_ms = 30000;
    // When set, standard output goes to this file (so that a test can look at
    // what was written while the request still runs); out is read from it.
    std::string stdout_file;
};

struct cgi_result {
    std::string out;   // everything written to standard output
    std::string err;   // standard error
    int status = -1;   // exit status (0..255), or -1 when killed
    int signal = 0;    // signal that ended it, 0 when it exited
    bool timed_out = false;
    double elapsed_ms = 0;
};

// Runs build/bin/webreq under root with the request.
cgi_result run_webreq(const test_root& root, const cgi_request& req);

// A JSON POST of body to code, to adjust (environment, time limit) before
// it is run.
cgi_request json_post(const std::string& code, const std::string& body);

// Shorthands.
cgi_result cgi_get(const test_root& root, const std::string& code, const std::string& query = "");
cgi_result cgi_post_json(const test_root& root, const std::string& code, const std::string& body);

// The exact reply texts of the front end.
std::string text_reply(const std::string& body);  // "Content-type: text/plain\r\n\r\n" + body
std::string json_reply(const std::string& body);  // "Content-type: application/json\r\n\r\n" + body

// Path of a program in build/bin.
std::string bin_path(const std::string& name);

// The argument vector that runs a program of the build on this machine: the
// program itself, or, for a cross build, the emulator's words first. The
// emulator comes from NVR_EXEC_WRAPPER (words separated by blanks, the first
// searched in PATH; an empty value runs programs directly), else from the
// build's emulator setting. Resolved before a fork, so that the child only
// calls execve.
std::vector<std::string> exec_argv(const std::string& program);

// Captures what this process writes to standard output (fd 1) while it
// lives; text() flushes and returns it so far.
class stdout_capture {
public:
    stdout_capture();
    ~stdout_capture();
    stdout_capture(const stdout_capture&) = delete;
    stdout_capture& operator=(const stdout_capture&) = delete;
    std::string text();

private:
    int saved_fd_ = -1;
    int file_fd_ = -1;
};

// Runs a program (searched in PATH) and returns its standard output;
// *status (when given) gets its exit status, -1 when it could not be started.
std::string run_program(const std::vector<std::string>& argv, int* status = nullptr);

// A file descriptor reading the given bytes (a temporary file, rewound).
int fd_with_bytes(const std::string& bytes);
