// Wizard quick settings: SSH, automatic local login, recording mode of all
// channels, the wizard flag, and adding one camera. Every request stores its
// answer, tells the core daemon without waiting where needed, and answers
// "OK". An integer member that is absent reads as 0; a text that is not a
// JSON object gets no reply.
#include <cstring>

#include "front/core_link.h"
#include "front/dispatchreq.h"
#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/common/channels.h"
#include "platform/tqdb/rec_camera.h"
#include "platform/tqdb/rec_record.h"
#include "platform/tqdb/rec_system.h"
#include "platform/tqdb/tqdb.h"

namespace {

// Every message of this module is a notice: replies are ignored.
void wizard_callback(void*, const void*, const void*) {}

void notify_channel(int msg_id, int32_t chn) { core_notify(wizard_callback, msg_id, sizeof chn, &chn); }

void on_ssh(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    if (!req) return;
    {
        // The ports record is shared with the port settings pages.
        cgi_lock_guard lock;
        port_record ports;
        std::memset(&ports, 0, sizeof ports);
        read_port(TQDB_FILE, &ports);
        ports.enable_ssh = req_int_or(req, "sshEnable", 0);
        write_port(TQDB_FILE, &ports);
    }
    cgi_reply(REPLY_TEXT, "OK");
    char group[32] = "more";  // the settings group that changed
    core_notify(wizard_callback, 1702, sizeof group, group);
}

// "/3301" and "/3303": one integer member stored as one parameter.
void store_flag(char* text, const char* member, const char* key) {
    json_ref req = json_parse_object(text);
    if (!req) return;
    set_param_int(TQDB_FILE, key, req_int_or(req, member, 0));
    cgi_reply(REPLY_TEXT, "OK");
}

void on_auto_login(request& rq) {
    char* text = rq.text;
    store_flag(text, "autoLoginEnable", "local_auth_enable");
}
void on_wizard_flag(request& rq) {
    char* text = rq.text;
    store_flag(text, "wizardEnable", "wizard_enable");
}

void on_record_mode(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    if (!req) return;
    int mode = req_int_or(req, "recordMode", 0);
    record_row rows[64];
    read_records_by_channel(TQDB_FILE, rows);
    for (record_row& row : rows) row.mode = mode;
    write_records(TQDB_FILE, rows, ~0ULL);
    cgi_reply(REPLY_TEXT, "OK");
    for (int32_t chn = 0; chn < 64; ++chn) notify_channel(1407, chn);
}

void on_camera_add(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    int chn = -1, enable = -1, port = -1;
    const char* addr = req_str(req, "ipAddr");
    if (!req || !req_int(req, "id", &chn) || !chn_ok(chn) || !req_int(req, "enable", &enable) ||
        (enable != 0 && enable != 1) || !addr || !*addr || !req_int(req, "managePort", &port) || port < 0)
        return;
    camera_record cam;
    std::memset(&cam, 0, sizeof cam);
    read_camera(TQDB_FILE, &cam, chn);
    cam.id = chn;
    cam.enable = enable;
    copy_text(cam.ip_addr, sizeof cam.ip_addr, addr, 63);
    req_text(req.get(), "userName", cam.user_name, sizeof cam.user_name, 63);
    req_text(req.get(), "password", cam.password, sizeof cam.password, 63);
    cam.manage_port = port;
    cam.protocol = 0;  // ONVIF
    write_camera(TQDB_FILE, &cam);
    notify_channel(enable == 1 ? 1201 : 1202, chn);
    cgi_reply(REPLY_TEXT, "OK");
}

const request_entry wizard_table[] = {
    {"/3300", on_ssh},
    {"/3301", on_auto_login},
    {"/3302", on_record_mode},
    {"/3303", on_wizard_flag},
    {"/3304", on_camera_add},
};

}  // namespace

WEBREQ_MODULE(1, wizard_table)
