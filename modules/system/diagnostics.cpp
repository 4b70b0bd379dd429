// The diagnostic package: the core daemon collects it into a file in /tmp
// and names the file; the browser then fetches it, and the fetch removes it.
//
// The fetch takes the file's path from the request, so it serves only what
// the daemon can have made: a regular file directly in /tmp, never a link,
// a directory walk or a file the system itself keeps there.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "front/intake.h"
#include "front/web_utils.h"
#include "modules/system/service.h"
#include "modules/system/system.h"
#include "platform/msg_system_service.h"
#include "platform/nvr_env.h"
#include "platform/textcode.h"
#include "platform/tqstd.h"

namespace {

const char collecting_marker[] = "/tmp/tmp_diagnostic";
constexpr size_t path_max = 255;
constexpr size_t encoded_max = 1024;
constexpr size_t ready_reply_max = 255;

}  // namespace

std::string tmp_file_of(const char* name) {
    if (!name || std::strchr(name, '/') || !intake_upload_name_ok(name)) return "";
    return std::string("/tmp/") + name;
}

void diagnostic_collect(request&) {
    if (tq_check_file_exist(collecting_marker)) {
        cgi_reply(REPLY_TEXT, "Failed");
        return;
    }
    diagnostic_request msg{};
    copy_text(msg.dir, sizeof msg.dir, "/tmp");
    core_query_text(system_reply, msg_diagnostic_collect, sizeof msg, &msg, REPLY_TEXT, "Failed");
}

int write_diagnostic_ready(const core_answer& answer) {
    const auto head = answer.rec<diagnostic_reply_head>();
    if (answer.size < sizeof head || head.result < 0) {
        cgi_reply(REPLY_TEXT, "Failed");
        return 1;
    }
    // The name runs from byte 8 to its first NUL or the end of the answer.
    const char* name = answer.bytes() + diagnostic_name_at;
    const std::string path(name, strnlen(name, answer.size - diagnostic_name_at));
    char encoded[encoded_max];
    if (get_url_encode(path.data(), static_cast<int>(path.size()), encoded, sizeof encoded) < 0)
        encoded[0] = '\0';
    char reply[ready_reply_max + 1];
    std::snprintf(reply, sizeof reply, "OK/%s\r\n", encoded);
    cgi_reply(REPLY_TEXT, reply);
    return 1;
}

void diagnostic_download(request& rq) {
    char path[path_max + 1];
    copy_text(path, sizeof path, rq.text);
    get_url_decode(path);
    if (std::strncmp(path, "/tmp/", 5) != 0) return;
    const std::string file = tmp_file_of(path + 5);
    if (file.empty()) return;
    const std::string full = nvr_path(file.c_str());
    const int fd = open(full.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return;
    }
    cgi_download_header(file.c_str());
    std::fflush(stdout);
    if (tq_spliced_copy_ex(fd, STDOUT_FILENO) != 0) {
        cgi_debug_log("OnSystem.c", 3557, "", "fd_in:%d fd_out:%d filestat.st_size:%d", fd, STDOUT_FILENO,
                      static_cast<int>(st.st_size));
        cgi_debug_log("OnSystem.c", 3558, "", "Error copying input file [%d] to output file [%d]\n", fd,
                      STDOUT_FILENO);
    }
    close(fd);
    unlink(full.c_str());
}
