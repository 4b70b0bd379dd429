// Download of one channel's recording between two times, streamed as an AVI
// file while the core daemon delivers the frames; the download marker and
// the cancel.
#include "modules/playback/download.h"

#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <ctime>

#include "front/web_utils.h"
#include "modules/common/channels.h"
#include "modules/playback/playback.h"
#include "modules/playback/remote_backup.h"
#include "platform/msg_playback.h"
#include "platform/nvr_env.h"
#include "platform/tqstd.h"

namespace playback {

namespace {

// Present while a download is active; kept by the core daemon.
constexpr const char* download_marker = "/tmp/pbdownload";

// A request time "%Y-%m-%dT%H:%M:%SZ", read as local time.
bool parse_time(const char* text, struct tm* out, int64_t* epoch) {
    struct tm t = {};
    if (!text || !strptime(text, "%Y-%m-%dT%H:%M:%SZ", &t)) return false;
    *out = t;
    t.tm_isdst = -1;
    *epoch = static_cast<int64_t>(mktime(&t));
    return true;
}

void core_time(char (&field)[32], const struct tm& t) {
    std::snprintf(field, sizeof field, "%d-%d-%d %d:%d:%d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour,
                  t.tm_min, t.tm_sec);
}

}  // namespace

int download_name(char* out, size_t size, int id, const struct tm& s, int64_t start_s, const struct tm& e,
                  int64_t end_s) {
    // Computed unsigned (channel 63 is the top bit), printed signed.
    const auto mask = static_cast<int64_t>(uint64_t{1} << id);
    return std::snprintf(out, size, "%lldDDD%d_%d_%d_%d_%d_%d_%lld-%d_%d_%d_%d_%d_%d_%lld_%d.avi",
                         static_cast<long long>(mask), s.tm_year + 1900, s.tm_mon + 1, s.tm_mday, s.tm_hour,
                         s.tm_min, s.tm_sec, static_cast<long long>(start_s), e.tm_year + 1900, e.tm_mon + 1,
                         e.tm_mday, e.tm_hour, e.tm_min, e.tm_sec, static_cast<long long>(end_s), id);
}

void download_recording(request& rq) {
    int id = 0;
    struct tm start, end;
    int64_t start_s = 0, end_s = 0;
    if (!req_channel(rq.json, "id", &id)) return rq.refuse("id 0..63");
    const char* start_text = req_str(rq.json, "startTime");
    const char* end_text = req_str(rq.json, "endTime");
    if (!start_text || !end_text) return rq.refuse("startTime and endTime");
    if (tq_check_file_exist(download_marker)) {
        cgi_reply(REPLY_TEXT, "BUSY NOW");
        return;
    }
    // A time that does not read would name the file and the recording
    // after whatever strptime left.
    if (!parse_time(start_text, &start, &start_s) || !parse_time(end_text, &end, &end_s))
        return rq.refuse("startTime and endTime as %Y-%m-%dT%H:%M:%SZ");
    char name[160];
    download_name(name, sizeof name, id, start, start_s, end, end_s);
    oplog_send(log_open_session, log_parameter, id + 1);

    download_req msg{};
    msg.channel_id = id;
    msg.stream_type = req_int_or(rq.json, "streamType", 0);
    core_time(msg.start_time, start);
    core_time(msg.end_time, end);

    // A client that goes away ends the process at its next write, also
    // when the web server started it with the signal ignored.
    signal(SIGPIPE, SIG_DFL);
    cgi_download_header(name);
    errno = 0;
    if (nice(19) == -1 && errno != 0) cgi_debug_log(__FILE__, __LINE__, __func__, "nice: %d", errno);
    // From here on the reply is the file: a failure only shortens it.
    if (backup_start(stdout)) {
        // The wait ends at the end or abort marker, else at its bound; the
        // stream may still be running then, and is followed until the
        // marker comes or the writer gives up.
        core_send(playback_reply, msg_download, sizeof msg, &msg, 0);
        while (!backup_done() && backup_running()) nvr_sleep_ms(backup_poll_ms);
        core_close();
        backup_stop();
    }
    std::fflush(stdout);
}

int take_download_pieces(const core_answer& answer) {
    if (backup_take(answer.payload, answer.size)) core_reply_done(1);
    return 1;
}

void download_check(request&) {
    json_ref obj(json_object_new_object());
    jadd_int(obj.get(), "isOK", tq_check_file_exist(download_marker) ? 0 : 1);
    cgi_reply(REPLY_TEXT, json_object_to_json_string(obj.get()));
}

void download_cancel(request&) {
    const std::string marker = nvr_path(download_marker);
    unlink(marker.c_str());
    core_notify(playback_reply, msg_download_cancel, 0, nullptr);
    cgi_reply(REPLY_TEXT, "OK");
}

}  // namespace playback
