// Wizard quick settings: SSH, automatic local login, recording mode of all
// channels, the wizard flag, and adding one camera. Every request stores its
// answer, tells the core daemon without waiting where needed, and answers
// "OK"; a store that fails answers "CGI ERROR" and tells nobody. An integer
// member that is absent reads as 0.
#include <cstring>

#include "front/core_link.h"
#include "front/dispatchreq.h"
#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/common/channels.h"
#include "modules/common/field_map.h"
#include "platform/msg_network.h"
#include "platform/msg_system.h"
#include "platform/tqdb/rec_camera.h"
#include "platform/tqdb/rec_record.h"
#include "platform/tqdb/rec_system.h"
#include "platform/tqdb/tqdb.h"

namespace {

// Every message of this module is a notice: replies are ignored.
void wizard_callback(void*, const void*, const void*) {}

void notify_channel(int32_t msg_id, int32_t chn) { core_notify(wizard_callback, msg_id, sizeof chn, &chn); }

void wizard_ssh(request& rq) {
    const int32_t enable = req_int_or(rq.json, "sshEnable", 0);
    int rc;
    {
        // The ports record is shared with the port settings pages.
        cgi_lock_guard lock;
        rc = edit_port(TQDB_FILE, [&](port_record& ports) { ports.enable_ssh = enable; });
    }
    if (rc != 0) return rq.fail();
    cgi_reply(REPLY_TEXT, "OK");
    char group[32] = "more";  // the settings group that changed
    core_notify(wizard_callback, msg_network_changed, sizeof group, group);
}

// "/3301" and "/3303": one integer member stored as one parameter.
struct flag_param {
    const char* member;
    const char* key;
};
constexpr flag_param auto_login{"autoLoginEnable", "local_auth_enable"};
constexpr flag_param wizard_flag{"wizardEnable", "wizard_enable"};

template <const flag_param& flag>
void store_flag(request& rq) {
    if (set_param_int(TQDB_FILE, flag.key, req_int_or(rq.json, flag.member, 0)) != 0) return rq.fail();
    cgi_reply(REPLY_TEXT, "OK");
}

// All 64 rows change in one transaction; then one notice per channel, each
// on a link of its own.
void wizard_record_mode(request& rq) {
    const int32_t mode = req_int_or(rq.json, "recordMode", 0);
    int rc = tqdb_atomic(TQDB_FILE, [&] {
        record_row rows[64];
        read_records_by_channel(TQDB_FILE, rows);
        for (record_row& row : rows) row.mode = mode;
        return write_records(TQDB_FILE, rows, ~0ULL);
    });
    if (rc != 0) return rq.fail();
    cgi_reply(REPLY_TEXT, "OK");
    for (int32_t chn = 0; chn < channel_limit; ++chn) notify_channel(msg_wizard_record_mode, chn);
}

using cr = camera_record;
const field camera_add_fields[] = {
    FM_INT(cr, "id", id).range(0, channel_limit - 1).required(),
    FM_INT(cr, "enable", enable).range(0, 1).required(),
    FM_TEXT(cr, "ipAddr", ip_addr).required(),
    FM_INT(cr, "managePort", manage_port).range(0, INT32_MAX).required(),
    FM_TEXT(cr, "userName", user_name),
    FM_TEXT(cr, "password", password),
};

void wizard_camera_add(request& rq) {
    const char* addr = req_str(rq.json, "ipAddr");
    if (!fields_valid(rq.json, camera_add_fields) || !addr || !*addr)
        return rq.refuse("id, enable, ipAddr and managePort");
    const int chn = req_int_or(rq.json, "id", -1);
    int32_t enable = 0;
    int rc = edit_camera(TQDB_FILE, chn, [&](camera_record& cam) {
        // The account is the one the wizard gives: an absent text is stored empty.
        std::memset(cam.user_name, 0, sizeof cam.user_name);
        std::memset(cam.password, 0, sizeof cam.password);
        fields_from_json(rq.json, &cam, camera_add_fields);
        cam.protocol = 0;  // ONVIF
        enable = cam.enable;
    });
    if (rc != 0) return rq.fail();
    notify_channel(enable == 1 ? msg_wizard_camera_enabled : msg_wizard_camera_disabled, chn);
    cgi_reply(REPLY_TEXT, "OK");
}

// clang-format off
const request_entry wizard_table[] = {
    {"/3300", wizard_ssh, IN_JSON, OUT_TEXT,
     "switch SSH on or off", "{sshEnable? (absent: 0)}", "1702 more", "OK"},
    {"/3301", store_flag<auto_login>, IN_JSON, OUT_TEXT,
     "switch the automatic local login on or off", "{autoLoginEnable? (absent: 0)}", "-", "OK"},
    {"/3302", wizard_record_mode, IN_JSON, OUT_TEXT,
     "set the recording mode of every channel", "{recordMode? (absent: 0)}", "1407 for each of the 64 channels",
     "OK"},
    {"/3303", store_flag<wizard_flag>, IN_JSON, OUT_TEXT,
     "show the wizard at the next login or not", "{wizardEnable? (absent: 0)}", "-", "OK"},
    {"/3304", wizard_camera_add, IN_JSON, OUT_TEXT,
     "add a camera to a channel with the wizard's account",
     "{id 0..63, enable 0..1, ipAddr, managePort >= 0, userName?, password?}",
     "1201 (enabled) or 1202 (disabled) with the channel", "OK"},
};
// clang-format on

}  // namespace

WEBREQ_MODULE(1, wizard_table)
