// Maintenance: restart, factory reset, the configuration profile (export,
// download, import through the tqprofile tool) and the firmware images of
// the recorder and of its cameras.
//
// The images are put at fixed places by the web server or the core daemon;
// webreq checks for them, names them to the core and reports progress. The
// profile tool runs with an argument vector, never through a shell, and
// acts only on files that this system made: the upload of this very request
// (import) or the export it left under /tmp (download).
#include "modules/system/maintenance.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "front/cgi_env.h"
#include "front/intake.h"
#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/common/field_map.h"
#include "modules/system/system.h"
#include "platform/msg_maintenance.h"
#include "platform/nvr_env.h"
#include "platform/tqdb/rec_event.h"
#include "platform/tqdb/tqdb.h"

namespace {

#define EXPORT_PATH_FILE "/tmp/.export_down_file"
#define CORE_ALIVE_FILE "/tmp/tqcore"

// The motion intervals a channel-0 record needs (seconds); 0 means unset.
constexpr int32_t default_motion_interval = 20;
constexpr long fw_prepare_pause_ms = 500;

// ---- JSON forms of the answers ----------------------------------------------------

const field upgrade_info_fields[] = {
    FM_INT(upgrade_info, "state", state),
    FM_INT(upgrade_info, "fileSize", file_size),
    FM_TEXT(upgrade_info, "softversion", softversion),
    FM_TEXT(upgrade_info, "url", url),
    FM_TEXT(upgrade_info, "description", description),
};

const field cam_upgrade_fields[] = {
    FM_INT(cam_upgrade_state, "chnid", channel),
    FM_INT(cam_upgrade_state, "status", status),
};

// ---- core messages ------------------------------------------------------------------

void notify(int32_t msg_id, int len = 0, const void* payload = nullptr) {
    core_notify(system_reply, msg_id, len, payload);
}

// The operation log 200 / 900, then the restart message.
void restart_sequence() {
    oplog_send(oplog_restart, oplog_maintenance_param);
    notify(msg_restart);
}

// Logs the upgrade, sends 1713 with the reset flag and waits for 6713. The
// state after the wait: 1 success, 0 no answer, else the daemon's error.
int upgrade_run(int32_t reset) {
    oplog_send(oplog_upgrade, oplog_maintenance_param);
    return core_query(system_reply, msg_upgrade_start, sizeof reset, &reset, -1);
}

void reply_res(int64_t value) {
    json_ref obj(json_object_new_object());
    jadd_int(obj.get(), "res", value);
    cgi_reply_json(obj.get());
}

// ---- files ---------------------------------------------------------------------------

bool file_exists(const char* device_path) {
    struct stat st;
    return stat(nvr_path(device_path).c_str(), &st) == 0;
}

// Removes a file (never a directory, never through a shell); 0 when it is
// gone afterwards.
int remove_file(const char* device_path) {
    return unlink(nvr_path(device_path).c_str()) == 0 || errno == ENOENT ? 0 : -1;
}

// A path this system may hand to the profile tool or send and delete: one
// component directly under /tmp that an upload could have had as its name
// (so none of the fixed names the system keeps there, no hidden or
// temporary file), and a regular file, not a link.
bool tmp_file_ok(std::string_view path) {
    constexpr std::string_view dir = "/tmp/";
    if (path.substr(0, dir.size()) != dir) return false;
    std::string_view name = path.substr(dir.size());
    if (name.find('/') != std::string_view::npos || !intake_upload_name_ok(std::string(name))) return false;
    struct stat st;
    return lstat(nvr_path(std::string(path).c_str()).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The first line of a small file, at most max bytes; "" when it cannot be read.
std::string read_head(const char* device_path, size_t max) {
    std::string text(max, '\0');
    FILE* fp = std::fopen(nvr_path(device_path).c_str(), "rb");
    if (!fp) return "";
    size_t got = std::fread(text.data(), 1, max, fp);
    std::fclose(fp);
    text.resize(got);
    return text.substr(0, text.find('\0'));
}

// Streams a file as a download; false when nothing could be sent.
bool send_download(const std::string& path) {
    return cgi_send_file(nvr_path(path.c_str()).c_str(), path.c_str());
}

// The second word of "<word> & <word>" (the upload texts); empty when the
// text does not have that form.
std::string_view second_word(std::string_view text) {
    auto skip_space = [&](size_t at) {
        while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
        return at;
    };
    auto word_end = [&](size_t at) {
        while (at < text.size() && !std::isspace(static_cast<unsigned char>(text[at]))) ++at;
        return at;
    };
    size_t at = word_end(skip_space(0));
    at = skip_space(at);
    if (at >= text.size() || text[at] != '&') return {};
    size_t start = skip_space(at + 1);
    return text.substr(start, word_end(start) - start);
}

// The channel mask of a '0'/'1' text: bit n for a '1' at position n, up to
// 64 characters, stopping at any other character.
uint64_t mask_of_text(const char* text) {
    uint64_t mask = 0;
    for (int n = 0; n < 64 && (text[n] == '0' || text[n] == '1'); ++n)
        if (text[n] == '1') mask |= uint64_t{1} << n;
    return mask;
}

}  // namespace

// ---- restart, reset, core check ---------------------------------------------------------

void maint_restart(request&) {
    restart_sequence();
    cgi_reply(REPLY_TEXT, "OK");
}

void maint_core_check(request&) {
    // Channel 0's motion record needs both intervals; it is written only when
    // one of them was unset, so a status poll does not rewrite it each time.
    int rc = edit_motion(TQDB_FILE, 0, [](motion_record& m) {
        bool changed = false;
        for (int32_t* interval : {&m.interval, &m.email_interval}) {
            if (*interval != 0) continue;
            *interval = default_motion_interval;
            changed = true;
        }
        return changed;
    });
    if (rc < 0) cgi_debug_log(__FILE__, __LINE__, "", "channel 0 motion intervals not stored");
    cgi_reply(REPLY_TEXT, access(nvr_path(CORE_ALIVE_FILE).c_str(), R_OK) == 0 ? "OK" : "NO OK");
}

void maint_factory_reset(request& rq) {
    factory_reset keep{req_int_or(rq.json, "keepIp", 0), req_int_or(rq.json, "keepUser", 0)};
    cgi_reply(REPLY_TEXT, "OK");
    notify(msg_factory_reset, sizeof keep, &keep);
    notify(msg_factory_apply);
    oplog_send(oplog_factory_reset, oplog_maintenance_param);
    notify(msg_restart);
}

// ---- configuration profile --------------------------------------------------------------

void profile_export(request& rq) {
    if (cgi_exec({"tqprofile", "-e", "/tmp"}) != 0) return rq.fail();
    std::string path = read_head(EXPORT_PATH_FILE, 256);
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        cgi_reply(REPLY_TEXT, "OK");
    else
        cgi_reply(REPLY_TEXT, ("OK filename=" + path.substr(slash + 1) + "\r\n").c_str());
    oplog_send(oplog_profile_export, oplog_maintenance_param);
}

void profile_download(request&) {
    std::string path = read_head(EXPORT_PATH_FILE, 1168);
    if (!tmp_file_ok(path) || !send_download(path)) return;
    remove_file(path.c_str());
}

void profile_import(request& rq) {
    // Only the file this request uploaded; a path typed into the request
    // text is never acted on.
    const std::string path = cgi_upload_path();
    if (path.empty() || !tmp_file_ok(path)) return rq.fail();
    int rc = cgi_exec({"tqprofile", "-i", path.c_str()});
    // The upload goes whatever the outcome.
    if (remove_file(path.c_str()) != 0) rc = -1;
    if (rc != 0) return rq.fail();
    cgi_reply(REPLY_TEXT, "OK");
    oplog_send(oplog_profile_import, oplog_maintenance_param);
}

void upload_discard(request&) {
    // The intake removes the upload's temporary file when the request ends.
}

// ---- the recorder's firmware ------------------------------------------------------------

void fw_upgrade_upload(request& rq) {
    int32_t reset = second_word(rq.text).find("reset") != std::string_view::npos ? 1 : 0;
    int state = upgrade_run(reset);
    if (state != 1) {
        cgi_reply(REPLY_TEXT, std::to_string(state).c_str());
        return;
    }
    restart_sequence();
    cgi_reply(REPLY_TEXT, "OK");
}

void fw_upgrade_downloaded(request&) {
    notify(msg_upgrade_prepare);
    int state = upgrade_run(0);
    if (state != 1) return reply_res(state);
    reply_res(0);
    restart_sequence();
}

void fw_prepare(request&) {
    notify(msg_upgrade_prepare);
    nvr_sleep_ms(fw_prepare_pause_ms);
    reply_res(0);
}

void fw_image_gone(request&) { cgi_reply(REPLY_TEXT, file_exists(RECORDER_IMAGE_PATH) ? "Error" : "OK"); }

void image_download(request& rq) {
    int type = -1;
    if (!req_int(rq.json, "type", &type) || (type != 0 && type != 1)) return rq.refuse("type");
    image_fetch d;
    std::memset(&d, 0, sizeof d);
    req_text(rq.json, "url", d.url, sizeof d.url);
    copy_text(d.target, sizeof d.target, type == 0 ? RECORDER_IMAGE_PATH : CAMERA_IMAGE_PATH);
    core_query(system_reply, msg_image_download, sizeof d, &d, REPLY_TEXT);
}

void image_state(request& rq) {
    int type = -1;
    if (!req_int(rq.json, "type", &type) || (type != 0 && type != 1)) return rq.refuse("type");
    if (type == 1) {
        core_query(system_reply, msg_image_state, 0, nullptr, REPLY_TEXT);
        return;
    }
    remove_file(RECORDER_IMAGE_PATH);
    reply_res(0);
}

void upgrade_info_show(request&) { core_query(system_reply, msg_upgrade_info, 0, nullptr, REPLY_TEXT); }

// ---- the camera image --------------------------------------------------------------------

void cam_image_present(request&) { cgi_reply(REPLY_TEXT, file_exists(CAMERA_IMAGE_PATH) ? "OK" : "Error"); }

void cam_upgrade_start(request& rq) {
    cam_upgrade u;
    std::memset(&u, 0, sizeof u);
    u.chnid = req_int_or(rq.json, "chnid", 0);
    u.reset = req_int_or(rq.json, "reset", 0);
    copy_text(u.path, sizeof u.path, CAMERA_IMAGE_PATH);
    core_query(system_reply, msg_cam_upgrade, sizeof u, &u, REPLY_TEXT);
}

void cam_image_drop(request&) {
    remove_file(CAMERA_IMAGE_PATH);
    notify(msg_cam_image_drop);
    cgi_reply(REPLY_TEXT, "OK");
}

void cam_upgrade_check(request& rq) {
    const char* text = req_str(rq.json, "ch");
    if (!text) return rq.refuse("ch");
    uint64_t mask = mask_of_text(text);
    core_query(system_reply, msg_cam_upgrade_check, sizeof mask, &mask, REPLY_TEXT);
}

// ---- writers ------------------------------------------------------------------------------

// The handler answers from the state: the daemon's result, 0 meaning success.
int write_upgrade_result(const core_answer& answer) {
    int32_t result = answer.rec<int32_t>();
    return result == 0 ? 1 : result;
}

int write_upgrade_info(const core_answer& answer) {
    upgrade_info info = answer.rec<upgrade_info>();
    json_ref obj(fields_object(&info, upgrade_info_fields));
    cgi_reply_json(obj.get());
    return 1;
}

int write_cam_upgrade(const core_answer& answer) {
    cam_upgrade_state s = answer.rec<cam_upgrade_state>();
    json_ref obj(fields_object(&s, cam_upgrade_fields));
    cgi_reply_json(obj.get());
    return 1;
}

int write_upgrade_check(const core_answer& answer) {
    json_ref obj(json_object_new_object());
    json_object_object_add(obj.get(), "check",
                           fields_array(answer.bytes(), sizeof(upgrade_info), 64, upgrade_info_fields));
    cgi_reply_json(obj.get());
    return 1;
}

int write_res(const core_answer& answer) { return reply_int_member("res", answer); }
