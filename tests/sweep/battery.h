// The hostile-input battery: the bad requests and bad core answers that the
// sweep sends every registered request code.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace sweep {

// How the fake core answers every message of one case.
enum class core_mode {
    defaults,   // the plausible default answer (a handler's normal path)
    no_answer,  // nothing: every wait runs out
    empty,      // the reply identifier with no payload
    one_byte,   // a 1-byte payload
    short3,     // a 3-byte payload (shorter than any integer field read whole)
    all_ff,     // the default record size (64 when none) of 0xff bytes: counts -1
    all_7f,     // 4096 bytes of 0x7f: huge positive counts and lengths
    random,     // 1..2048 random bytes
    big,        // 256 KiB of 0x7f
};
inline constexpr int core_mode_count = 9;
const char* core_mode_name(core_mode m);

// One request of the battery.
struct request_case {
    std::string method;        // "GET" or "POST"
    std::string content_type;  // POST only
    std::string query;         // QUERY_STRING
    std::string body;          // POST body
    core_mode core = core_mode::defaults;
    std::string label;         // short description for failure messages
    bool always = false;       // run for every code, whatever the stride
};

// Where the hostile texts point: paths outside the root, and the file that
// an injected command would create.
struct targets {
    std::string root;         // the root directory webreq runs under
    std::string canary_dir;   // a directory outside the root that must stay as it is
    std::string marker;       // absolute path an injected command would create
    std::string marker_name;  // the same name, created relative to the working directory
    std::string token;        // a name no other program uses (for upload file names)
};

// The member names a handler may read: the identifier-like string literals
// of the module folder whose files register the code (all modules' literals
// when no file names it). sources maps "folder/file" to file text.
std::vector<std::string> keys_for_code(const std::string& code,
                                       const std::map<std::string, std::string>& sources);
// The identifier-like string literals of one source text.
std::set<std::string> source_literals(const std::string& text);

// The whole battery for one code, in a fixed order. code_index rotates the
// core modes so that every (text, mode) pair is met across codes.
std::vector<request_case> battery(const std::vector<std::string>& keys, const targets& t,
                                  size_t code_index);

// Requests that store with the plausible values a page sends, for the check
// with a database that refuses writes: every member 1, every member 0 (JSON
// posts), and for codes that take text also the bare number 1 by GET.
std::vector<request_case> store_cases(const std::vector<std::string>& keys, size_t code_index,
                                      bool takes_text);

// True when a reply tells the browser that the request succeeded: plain
// "OK", or a JSON object none of whose result members ("status", "res",
// "result", "ret", "error") is negative or a failure word. A reply that is no
// JSON object (such as {status:"CGI ERROR"}), another word or nothing is no
// success.
bool success_reply(const std::string& out);

// The texts an injected shell command would run, each creating the marker.
std::vector<std::string> injections(const targets& t);

// Percent-encodes everything but unreserved characters.
std::string url_encode(const std::string& text);

// Handlers run fixed command lines through the shell. Hostile-input runs
// happen on a developer's or CI's machine, often as root, so the programs
// that would change that machine (reboot, ifconfig, date, killall, ...) are
// shadowed: make_stub_dir fills dir with do-nothing stand-ins for them, and
// stub_search_path puts dir (then the build's programs) in front of PATH.
void make_stub_dir(const std::string& dir);
std::string stub_search_path(const std::string& dir, const std::string& bin_dir);

}  // namespace sweep
