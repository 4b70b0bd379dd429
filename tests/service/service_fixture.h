// The service pages' tests: requests as the browser and the factory tools
// send them (query strings, form bodies, JSON, uploads), a chip tool on
// PATH that records every argument vector before it runs the stand-in,
// and the marker an injected command would create.
#pragma once

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/harness/store_case.h"

namespace service {

using coresim::bytes;

class service_case : public xcase::store_case {
protected:
    void SetUp() override {
        store_case::SetUp();
        const std::string dir = root.file("/fake-bin");
        mkdir(dir.c_str(), 0755);
        // Arguments separated by 0x1f, one invocation a line.
        std::ofstream(dir + "/tqchip_update") << "#!/bin/sh\n"
                                                 "printf '%s\\037' \"$@\" >> \"$NVR_ROOT/tool-argv\"\n"
                                                 "printf '\\n' >> \"$NVR_ROOT/tool-argv\"\n"
                                                 "exec '" +
                                                     bin_path("tqchip_update") + "' \"$@\"\n";
        chmod((dir + "/tqchip_update").c_str(), 0755);
        saved_path_ = std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin";
        // Before the build's own programs, which webreq otherwise finds first.
        setenv("PATH", (dir + ":" + std::string(NVR_BIN_DIR) + ":" + saved_path_).c_str(), 1);
    }
    void TearDown() override {
        setenv("PATH", saved_path_.c_str(), 1);
        store_case::TearDown();
    }

    cgi_result get(const std::string& code, const std::string& query) { return cgi_get(root, code, query); }
    cgi_result form(const std::string& code, const std::string& body) {
        return run_webreq(root, {.method = "POST",
                                 .path_info = code,
                                 .content_type = "application/x-www-form-urlencoded",
                                 .body = body});
    }
    // A multipart upload of one file part named "file".
    cgi_result upload(const std::string& code, const std::string& file_name, const std::string& content,
                      const std::string& query = "") {
        return run_webreq(
            root, {.method = "POST",
                   .path_info = code,
                   .query = query,
                   .content_type = "multipart/form-data; boundary=b0undary",
                   .body = "--b0undary\r\nContent-Disposition: form-data; name=\"file\"; filename=\"" +
                           file_name + "\"\r\n\r\n" + content + "\r\n--b0undary--\r\n"});
    }

    // The argument vectors the chip tool was started with (without its
    // name), oldest first; then forgotten.
    std::vector<std::vector<std::string>> tool_calls() {
        std::vector<std::vector<std::string>> calls;
        std::istringstream lines(root.exists("/tool-argv") ? root.read("/tool-argv") : "");
        for (std::string line; std::getline(lines, line);) {
            std::vector<std::string> args;
            std::istringstream words(line);
            for (std::string w; std::getline(words, w, '\x1f');) args.push_back(w);
            calls.push_back(args);
        }
        unlink(root.file("/tool-argv").c_str());
        return calls;
    }

    // What an injected "touch pwned" would create (webreq runs in the root).
    bool pwned() const { return root.exists("/pwned"); }

private:
    std::string saved_path_;
};

// The files a directory holds, sorted, for before/after comparisons.
inline std::string listing(const test_root& root, const std::string& dir) {
    std::string out;
    for (const std::string& name : root.list(dir)) out += name + " ";
    return out;
}

}  // namespace service
