// Login, session check and user accounts.
//
// webreq enforces no permission itself: the login hands the user's rights to
// the browser, which enforces them. Add, change and remove of accounts hold
// the CGI lock file around their read-check-write sequences so that two
// concurrent requests cannot take the same slot or the same name.
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>

#include "front/cgi_env.h"
#include "front/core_link.h"
#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/system/system.h"
#include "platform/nvr_env.h"
#include "platform/tqdb/rec_user.h"
#include "platform/tqstd.h"

namespace {

#define MSG_SESSION_CHECK 3504
#define MSG_USERS_CHANGED 3505
#define USER_TYPE_NO_LOGIN 3

// The rights and channel texts of one side (local or remote) of an account,
// under their JSON member names.
struct user_side {
    const char* right_keys[USER_RIGHT_COUNT];
    const char* liveview_key;
    const char* playback_key;
    int32_t (user_record::*rights)[USER_RIGHT_COUNT];
    char (user_record::*liveview)[USER_CHANNEL_TEXT];
    char (user_record::*playback)[USER_CHANNEL_TEXT];
};

const user_side sides[2] = {
    {{"localLiveView", "localPlayback", "localRetrieve", "localSmartAnalysis", "localEvent", "localCamera",
      "localStorage", "localSettings", "localStatus", "localShutdown"},
     "localliveview",
     "localplayback",
     &user_record::local_rights,
     &user_record::local_liveview,
     &user_record::local_playback},
    {{"remoteLiveView", "remotePlayback", "remoteRetrieve", "remoteSmartAnalysis", "remoteEvent",
      "remoteCamera", "remoteStorage", "remoteSettings", "remoteStatus", "remoteShutdown"},
     "remoteliveview",
     "remoteplayback",
     &user_record::remote_rights,
     &user_record::remote_liveview,
     &user_record::remote_playback},
};

// "permission", the local side, the remote summary (the login spells its key
// differently from the list), the remote side.
void add_rights(json_object* obj, const user_record& rec, const char* remote_permission_key) {
    jadd_int(obj, "permission", rec.permission);
    for (const user_side& side : sides) {
        if (&side == &sides[1]) jadd_int(obj, remote_permission_key, rec.remote_permission);
        for (int i = 0; i < USER_RIGHT_COUNT; ++i) jadd_int(obj, side.right_keys[i], (rec.*side.rights)[i]);
        jadd_field(obj, side.liveview_key, rec.*side.liveview, USER_CHANNEL_TEXT);
        jadd_field(obj, side.playback_key, rec.*side.playback, USER_CHANNEL_TEXT);
    }
}

// Copies a text member into a field only when the request holds it.
void take_text(json_object* req, const char* key, char* dst, size_t size, size_t max_chars) {
    if (req_member(req, key)) req_text(req, key, dst, size, max_chars);
}

// Copies the rights and channel texts that the request holds.
void take_rights(json_object* req, user_record& rec) {
    for (const user_side& side : sides) {
        for (int i = 0; i < USER_RIGHT_COUNT; ++i) req_int(req, side.right_keys[i], &(rec.*side.rights)[i]);
        take_text(req, side.liveview_key, rec.*side.liveview, USER_CHANNEL_TEXT, 64);
        take_text(req, side.playback_key, rec.*side.playback, USER_CHANNEL_TEXT, 64);
    }
}

// Bit i for channel i when character i is '1', channels 0..31 only.
uint32_t channel_mask(const char (&text)[USER_CHANNEL_TEXT]) {
    uint32_t mask = 0;
    for (int i = 0; i < 32 && text[i]; ++i)
        if (text[i] == '1') mask |= 1u << i;
    return mask;
}

// Whether another account than self_id already carries name.
bool name_taken(const char* name, int self_id) {
    user_record found{};
    found.id = -1;
    return read_user_by_name(TQDB_FILE, &found, name) == 0 && found.id != self_id;
}

// ---- login ------------------------------------------------------------------

// The login type: the account's type when it exists, is enabled, has a stored
// hash and md5 matches that hash without regard to case; -2 for an account of
// the type that may not log in; -1 otherwise. An unknown name or a removed
// account never matches, not even an empty md5 against an empty hash.
int login_type(user_record& rec, const char* name, const char* md5) {
    if (std::strlen(name) >= sizeof rec.name) return -1;  // longer than any stored name
    if (read_user_by_name(TQDB_FILE, &rec, name) != 0 || !rec.enable) return -1;
    if (rec.type == USER_TYPE_NO_LOGIN) return -2;
    char stored[sizeof rec.password + 1] = {};
    std::memcpy(stored, rec.password, sizeof rec.password);
    if (!*stored || !*md5 || strcasecmp(stored, md5) != 0) return -1;
    return rec.type;
}

// 32 decimal digits. The browser keeps it; webreq keeps no copy.
void make_session_id(char (&out)[33]) {
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    for (int i = 0; i < 32; ++i) out[i] = static_cast<char>('0' + std::rand() % 10);
    out[32] = '\0';
}

void add_device_facts(json_object* obj) {
    jadd_int(obj, "failoverMode", get_param_int(TQDB_FILE, "failover_mode", 0));
    jadd_int(obj, "sameChannel", get_param_int(TQDB_FILE, "same_channel_exist", 0) == 2 ? 1 : 0);
    char hardware[32];
    get_param_value(TQDB_FILE, "hardware_version", hardware, sizeof hardware, "V1.1");
    jadd_str(obj, "hardwareVersion", hardware);
    char software[256];
    get_param_value(TQDB_FILE, "software_version", software, sizeof software, "7x.7.0.9");
    jadd_str(obj, "softwareVersion", software);
    char model[256];
    get_param_value(TQDB_FILE, "model", model, sizeof model, "");
    jadd_str(obj, "model", model);
}

void make_ssl_dirs() {
    for (const char* dir : {"/mnt/nand/ssl", "/mnt/nand/ssl/tmp"}) {
        std::string path = nvr_path(dir);
        if (access(path.c_str(), F_OK) != 0) mkdir(path.c_str(), 0777);
    }
}

// ---- session check ------------------------------------------------------------

// The host part of a Host header: the text before the port, at most 49
// characters. A bracketed IPv6 address keeps its brackets.
void host_part(const char* host, char (&out)[50]) {
    size_t len = 0;
    if (host && host[0] == '[') {
        const char* close = std::strchr(host, ']');
        len = close ? static_cast<size_t>(close - host) + 1 : std::strlen(host);
    } else if (host) {
        len = std::strcspn(host, ":");
    }
    if (len > sizeof out - 1) len = sizeof out - 1;
    if (len) std::memcpy(out, host, len);
    out[len] = '\0';
}

// The cookies of a session the core daemon refused: a temporary guest that
// the login page replaces.
const struct {
    const char* name;
    const char* value;
} guest_cookies[] = {
    {"userName", "temp"}, {"userType", "2"}, {"permission", "0"}, {"sessionId", "0"}, {"language", "en-US"},
};

// Answers the enabled rows of an account table as a JSON array: the members
// both tables share, then the table's own (add_rest).
template <typename Row>
void reply_account_list(const char* path, int (*read_all)(const char*, Row*, int*),
                        void (*add_rest)(json_object*, const Row&)) {
    auto rows = std::make_unique<Row[]>(USER_MAX_COUNT);
    int count = 0;
    if (read_all(path, rows.get(), &count) != 0) count = 0;
    json_ref list(json_object_new_array());
    for (int i = 0; i < count && i < USER_MAX_COUNT; ++i) {
        const Row& row = rows[i];
        if (!row.enable) continue;
        json_object* obj = json_object_new_object();
        jadd_int(obj, "id", row.id);
        jadd_int(obj, "enable", row.enable);
        jadd_field(obj, "name", row.name, sizeof row.name);
        jadd_field(obj, "password", row.password, sizeof row.password);
        jadd_int(obj, "type", row.type);
        add_rest(obj, row);
        json_object_array_add(list.get(), obj);
    }
    cgi_reply_json(list.get());
}

}  // namespace

void on_1000(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_text(text);
    if (!req) return;
    make_ssl_dirs();

    char name[256];
    req_text(req.get(), "userName", name, sizeof name, 255);
    char md5[33];
    req_text(req.get(), "md5", md5, sizeof md5, 32);
    user_record rec{};
    int type = login_type(rec, name, md5);

    json_ref reply(json_object_new_object());
    jadd_int(reply.get(), "type", type);
    if (type != -1 && type != -2) {
        jadd_field(reply.get(), "userName", rec.name, sizeof rec.name);
        add_rights(reply.get(), rec, "remotePermisson");
        char session[33];
        make_session_id(session);
        jadd_str(reply.get(), "sessionId", session);
        add_device_facts(reply.get());

        oplog_record log;
        oplog_record_init(&log);
        log.sub_type = 201;
        log.parameter_type = 900;
        copy_text(log.user, sizeof log.user, name, sizeof log.user - 1);
        oplog_send_record(&log);
    }
    // The browser expects the JSON document under the plain-text header.
    cgi_reply(REPLY_TEXT, json_object_to_json_string(reply.get()));
}

void on_1018(request& rq) {
    char* text = rq.text;
    char payload[256] = {};
    copy_text(payload, sizeof payload, text, sizeof payload - 1);
    core_query(system_reply, MSG_SESSION_CHECK, sizeof payload, payload, REPLY_TEXT);
}

void write_8504(const void* payload, uint32_t size) {
    if (!payload || size < sizeof(int32_t)) return;  // as if no answer came
    if (!core_reply_claim()) return;
    int32_t verdict;
    std::memcpy(&verdict, payload, sizeof verdict);
    if (verdict != 0) {
        cgi_redirect("../../html/home.html");
    } else {
        char domain[50];
        host_part(cgi_http_host(), domain);
        for (const auto& cookie : guest_cookies) cgi_set_cookie(cookie.name, cookie.value, 600, "/", domain);
        cgi_redirect("../../html/index.html");
    }
    core_reply_done(1);
}

void on_1024(request&) {
    set_param_int(TQDB_FILE, "permission_update", 0);
    cgi_reply(REPLY_TEXT, "OK");
}

void on_6070(request&) {
    reply_account_list<user_record>(TQDB_FILE, read_users, [](json_object* obj, const user_record& row) {
        add_rights(obj, row, "remotePermission");
    });
}

namespace {

enum class edit_result { refused, full, same_name, done };

// Count, check, name lookup and add, under the lock.
edit_result add_locked(const char* text, user_record& rec) {
    // A full table answers before the request is even parsed.
    if (read_user_count(TQDB_FILE) >= USER_MAX_COUNT) return edit_result::full;
    json_ref req = json_parse_text(text);
    if (!req || !req_int(req, "type", &rec.type) || rec.type < 0 || rec.type > 3 ||
        !req_int(req, "permission", &rec.permission) || rec.permission < -1 ||
        !req_int(req, "remotePermission", &rec.remote_permission) || rec.remote_permission < -1)
        return edit_result::refused;
    req_text(req.get(), "name", rec.name, sizeof rec.name, sizeof rec.name - 1);
    if (name_taken(rec.name, -1)) return edit_result::same_name;

    rec.enable = 1;
    req_text(req.get(), "password", rec.password, sizeof rec.password, 32);
    take_rights(req.get(), rec);
    rec.masks[0] = channel_mask(rec.local_liveview);
    rec.masks[1] = channel_mask(rec.local_playback);
    rec.masks[2] = channel_mask(rec.remote_liveview);
    rec.masks[3] = channel_mask(rec.remote_playback);
    copy_text(rec.extra_text, sizeof rec.extra_text, "0");
    return add_user(TQDB_FILE, &rec) == 0 ? edit_result::done : edit_result::full;
}

// Read, name check and write of an existing account, under the lock. Only an
// enabled row 0..99 is changed: a missing or out-of-range "id" or a free slot
// changes nothing (a failed read would otherwise leave a zero record that the
// write would store over user 0, or turn a free slot into an account without
// name or password).
edit_result change_locked(const char* text, int32_t& id) {
    json_ref req = json_parse_text(text);
    if (!req || !req_int(req, "id", &id) || id < 0 || id >= USER_MAX_COUNT) return edit_result::refused;
    user_record rec{};
    if (read_user(TQDB_FILE, &rec, id) != 0 || !rec.enable) return edit_result::refused;
    rec.id = id;
    if (req_member(req, "name")) {
        char name[sizeof rec.name] = {};
        req_text(req.get(), "name", name, sizeof name, sizeof name - 1);
        if (name_taken(name, id)) return edit_result::same_name;
        std::memcpy(rec.name, name, sizeof name);
    }
    take_text(req.get(), "password", rec.password, sizeof rec.password, 32);
    req_int(req, "type", &rec.type);
    take_rights(req.get(), rec);
    return write_user(TQDB_FILE, &rec) == 0 ? edit_result::done : edit_result::refused;
}

}  // namespace

void on_6071(request& rq) {
    char* text = rq.text;
    user_record rec{};
    edit_result result;
    {
        cgi_lock_guard lock;
        result = add_locked(text, rec);
    }
    switch (result) {
        case edit_result::refused:
            return;
        case edit_result::full:
            cgi_reply(REPLY_TEXT, "FAILED_FULL");
            return;
        case edit_result::same_name:
            cgi_reply(REPLY_TEXT, "SAMEUSER");
            return;
        case edit_result::done:
            break;
    }
    core_notify(system_reply, MSG_USERS_CHANGED, 0, nullptr);
    oplog_send(204, 921);
    char reply[10];
    std::snprintf(reply, sizeof reply, "%s%d", "id=", rec.id);
    cgi_reply(REPLY_TEXT, reply);
}

void on_6072(request& rq) {
    char* text = rq.text;
    int32_t id = -1;
    edit_result result;
    {
        cgi_lock_guard lock;
        result = change_locked(text, id);
    }
    if (result == edit_result::same_name) cgi_reply(REPLY_TEXT, "SAMEUSER");
    if (result != edit_result::done) return;
    core_notify(system_reply, MSG_USERS_CHANGED, sizeof id, &id);
    cgi_reply(REPLY_TEXT, "OK");
}

void on_6073(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_text(text);
    int32_t id;
    int type;
    if (!req || !req_int(req, "id", &id) || id < 0 || id >= USER_MAX_COUNT || !req_int(req, "type", &type) ||
        type < 0 || type > 3)
        return;
    // A removed user keeps its identifier row with every other field zero.
    user_record rec{};
    rec.id = id;
    {
        cgi_lock_guard lock;
        if (write_user(TQDB_FILE, &rec) != 0) return;
    }
    core_notify(system_reply, MSG_USERS_CHANGED, sizeof id, &id);
    oplog_send(204, 922);
    cgi_reply(REPLY_TEXT, "OK");
}

void on_6074(request&) {
    // Only devices that carry factory accounts have the database (an access
    // never creates it).
    if (!tq_check_file_exist(TQDB_OEM_FILE)) return;
    reply_account_list<oem_user_record>(TQDB_OEM_FILE, read_users_oem,
                                        [](json_object* obj, const oem_user_record& row) {
                                            jadd_int(obj, "permission", row.permission);
                                            jadd_int(obj, "remotePermission", row.remote_permission);
                                        });
}

void on_6077(request&) {
    core_notify(system_reply, MSG_USERS_CHANGED, 0, nullptr);
    cgi_reply(REPLY_TEXT, "OK");
}
