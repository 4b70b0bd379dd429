// The maintenance tests' fixture: the exchange case with uploads, runs of the
// profile tool, and the fixed files of the maintenance requests.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "tests/harness/exchange_case.h"

namespace xcase {

inline constexpr const char* recorder_image = "/dev/shm/updateFM.bin";
inline constexpr const char* camera_image = "/dev/shm/updateIPCFM.bin";
inline constexpr const char* export_path_file = "/tmp/.export_down_file";

class maintenance_case : public exchange_case {
protected:
    // A multipart upload of one file part named "file".
    cgi_result upload(const std::string& code, const std::string& query, const std::string& file_name,
                      const std::string& content, const std::string& path_env = "") {
        const std::string boundary = "----maintenance-test-boundary";
        cgi_request req;
        req.method = "POST";
        req.path_info = code;
        req.query = query;
        req.content_type = "multipart/form-data; boundary=" + boundary;
        req.body = "--" + boundary + "\r\nContent-Disposition: form-data; name=\"file\"; filename=\"" + file_name +
                   "\"\r\nContent-Type: application/octet-stream\r\n\r\n" + content + "\r\n--" + boundary + "--\r\n";
        if (!path_env.empty()) req.env["PATH"] = path_env;
        return run_webreq(root, req);
    }

    cgi_result get(const std::string& code, const std::string& query = "", const std::string& path_env = "") {
        cgi_request req;
        req.path_info = code;
        req.query = query;
        if (!path_env.empty()) req.env["PATH"] = path_env;
        return run_webreq(root, req);
    }

    // Runs build/bin/tqprofile (in a cross build the launcher there) with
    // args under the test's root; its exit status (-1 when it did not exit
    // by itself).
    int tqprofile(const std::vector<std::string>& args) {
        std::vector<std::string> argv = {bin_path("tqprofile")};
        argv.insert(argv.end(), args.begin(), args.end());
        std::vector<char*> ptrs;
        for (std::string& a : argv) ptrs.push_back(a.data());
        ptrs.push_back(nullptr);
        tqdb_close_all();
        pid_t pid = fork();
        if (pid == 0) {
            execv(ptrs[0], ptrs.data());
            _exit(127);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // The messages of a request whose links all closed, in order.
    std::vector<int32_t> sent_ids() { return ids_of(sent()); }
};

}  // namespace xcase
