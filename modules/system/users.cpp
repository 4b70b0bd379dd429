// Login, session check and user accounts.
//
// webreq enforces no permission itself: the login hands the user's rights to
// the browser, which enforces them. Add, change and remove of accounts hold
// the CGI lock file, and each runs its reads, checks and write in one
// database transaction, so that two concurrent requests cannot take the same
// slot or the same name, and a failed write is never answered as done.
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
#include "modules/common/field_map.h"
#include "modules/system/system.h"
#include "platform/msg_system.h"
#include "platform/nvr_env.h"
#include "platform/tqdb/rec_user.h"
#include "platform/tqstd.h"

namespace {

constexpr int user_type_no_login = 3;

// ---- the account's JSON form ---------------------------------------------------

using ur = user_record;

// The members every account list shows; the factory accounts hold them at
// the same places.
const field account_fields[] = {
    FM_INT(ur, "id", id),
    FM_INT(ur, "enable", enable),
    FM_TEXT(ur, "name", name),
    FM_TEXT(ur, "password", password),
    FM_INT(ur, "type", type),
};
static_assert(offsetof(oem_user_record, enable) == offsetof(user_record, enable));
static_assert(offsetof(oem_user_record, name) == offsetof(user_record, name));
static_assert(offsetof(oem_user_record, password) == offsetof(user_record, password));
static_assert(offsetof(oem_user_record, type) == offsetof(user_record, type));
static_assert(sizeof(oem_user_record::name) == sizeof(user_record::name));
static_assert(sizeof(oem_user_record::password) == sizeof(user_record::password));

// The rights and channel texts of the local side, then of the remote side.
const field rights_fields[] = {
    FM_INT(ur, "localLiveView", local_rights[0]),
    FM_INT(ur, "localPlayback", local_rights[1]),
    FM_INT(ur, "localRetrieve", local_rights[2]),
    FM_INT(ur, "localSmartAnalysis", local_rights[3]),
    FM_INT(ur, "localEvent", local_rights[4]),
    FM_INT(ur, "localCamera", local_rights[5]),
    FM_INT(ur, "localStorage", local_rights[6]),
    FM_INT(ur, "localSettings", local_rights[7]),
    FM_INT(ur, "localStatus", local_rights[8]),
    FM_INT(ur, "localShutdown", local_rights[9]),
    FM_CHANNEL_TEXT(ur, "localliveview", local_liveview),
    FM_CHANNEL_TEXT(ur, "localplayback", local_playback),
    FM_INT(ur, "remoteLiveView", remote_rights[0]),
    FM_INT(ur, "remotePlayback", remote_rights[1]),
    FM_INT(ur, "remoteRetrieve", remote_rights[2]),
    FM_INT(ur, "remoteSmartAnalysis", remote_rights[3]),
    FM_INT(ur, "remoteEvent", remote_rights[4]),
    FM_INT(ur, "remoteCamera", remote_rights[5]),
    FM_INT(ur, "remoteStorage", remote_rights[6]),
    FM_INT(ur, "remoteSettings", remote_rights[7]),
    FM_INT(ur, "remoteStatus", remote_rights[8]),
    FM_INT(ur, "remoteShutdown", remote_rights[9]),
    FM_CHANNEL_TEXT(ur, "remoteliveview", remote_liveview),
    FM_CHANNEL_TEXT(ur, "remoteplayback", remote_playback),
};
constexpr size_t side_rows = USER_RIGHT_COUNT + 2;
static_assert(std::size(rights_fields) == 2 * side_rows);

// What an add takes besides the rights: the checked members first.
const field add_fields[] = {
    FM_INT(ur, "type", type).range(0, 3).required(),
    FM_INT(ur, "permission", permission).range(-1, INT32_MAX).required(),
    FM_INT(ur, "remotePermission", remote_permission).range(-1, INT32_MAX).required(),
    FM_TEXT(ur, "name", name),
    FM_TEXT(ur, "password", password).chars(32),
};

// What a change takes besides the name and the rights; the permission
// summaries and the masks stay as the add made them.
const field change_fields[] = {
    FM_TEXT(ur, "password", password).chars(32),
    FM_INT(ur, "type", type),
};

// "permission", the local side, the remote summary (the login spells its key
// differently from the list), the remote side.
void add_rights(json_object* obj, const user_record& rec, const char* remote_permission_key) {
    std::span<const field> rights = rights_fields;
    jadd_int(obj, "permission", rec.permission);
    fields_to_json(obj, &rec, rights.first(side_rows));
    jadd_int(obj, remote_permission_key, rec.remote_permission);
    fields_to_json(obj, &rec, rights.subspan(side_rows));
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
    if (rec.type == user_type_no_login) return -2;
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

// ---- account lists --------------------------------------------------------------

// Answers the enabled rows of an account table as a JSON array: the members
// both tables share, then the table's own (add_rest).
template <typename Row>
void reply_account_list(const char* path, int (*read_all)(const char*, Row*, int*),
                        void (*add_rest)(json_object*, const Row&)) {
    // Left unfilled: only the rows read are used, and zeroing all of them
    // would touch memory a short process pays for page by page.
    auto rows = std::make_unique_for_overwrite<Row[]>(USER_MAX_COUNT);
    int count = 0;
    if (read_all(path, rows.get(), &count) != 0) count = 0;
    json_ref list(json_object_new_array());
    for (int i = 0; i < count && i < USER_MAX_COUNT; ++i) {
        const Row& row = rows[i];
        if (!row.enable) continue;
        json_object* obj = fields_object(&row, account_fields);
        add_rest(obj, row);
        json_object_array_add(list.get(), obj);
    }
    cgi_reply_json(list.get());
}

using oem = oem_user_record;
const field oem_rest_fields[] = {
    FM_INT(oem, "permission", permission),
    FM_INT(oem, "remotePermission", remote_permission),
};

// ---- account edits -----------------------------------------------------------------

enum class edit_result { refused, full, same_name, failed, done };

// Finishes an edit's transaction: the edit's own result, or "failed" when
// it was done but could not be stored.
edit_result stored(int rc, edit_result result) {
    return result == edit_result::done && rc != 0 ? edit_result::failed : result;
}

// Count, name check and add in one transaction. A full table answers before
// the request is looked at, even a request that is not JSON.
edit_result add_account(const char* text, user_record& rec) {
    json_ref req = json_parse_text(text);
    const bool valid = req && fields_valid(req.get(), add_fields);
    if (valid) {
        fields_from_json(req.get(), &rec, add_fields);
        fields_from_json(req.get(), &rec, rights_fields);
        rec.enable = 1;
        rec.masks[0] = tri_channels_mask(rec.local_liveview, sizeof rec.local_liveview);
        rec.masks[1] = tri_channels_mask(rec.local_playback, sizeof rec.local_playback);
        rec.masks[2] = tri_channels_mask(rec.remote_liveview, sizeof rec.remote_liveview);
        rec.masks[3] = tri_channels_mask(rec.remote_playback, sizeof rec.remote_playback);
        copy_text(rec.extra_text, sizeof rec.extra_text, "0");
    }
    edit_result result = edit_result::failed;
    int rc = tqdb_atomic(TQDB_FILE, [&] {
        if (read_user_count(TQDB_FILE) >= USER_MAX_COUNT)
            result = edit_result::full;
        else if (!valid)
            result = edit_result::refused;
        else if (name_taken(rec.name, -1))
            result = edit_result::same_name;
        else
            result = add_user(TQDB_FILE, &rec) == 0 ? edit_result::done : edit_result::failed;
        return result == edit_result::done ? 0 : 1;
    });
    return stored(rc, result);
}

// Read, name check and write of an existing account in one edit. Only an
// enabled row 0..99 is changed: a missing or out-of-range "id" or a free slot
// changes nothing (a failed read would otherwise leave a zero record that the
// write would store over user 0, or turn a free slot into an account without
// name or password).
edit_result change_account(json_object* req, int32_t& id) {
    if (!req_ints_in_range(req, {{"id", 0, USER_MAX_COUNT - 1}})) return edit_result::refused;
    id = req_int_or(req, "id", -1);
    const bool rename = req_member(req, "name") != nullptr;
    char name[sizeof user_record::name] = {};
    req_text(req, "name", name, sizeof name, sizeof name - 1);
    edit_result result = edit_result::failed;
    int rc = edit_user(TQDB_FILE, id, [&](user_record& rec) {
        if (!rec.enable) {
            result = edit_result::refused;
        } else if (rename && name_taken(name, id)) {
            result = edit_result::same_name;
        } else {
            if (rename) std::memcpy(rec.name, name, sizeof name);
            fields_from_json(req, &rec, change_fields);
            fields_from_json(req, &rec, rights_fields);
            result = edit_result::done;
        }
        return result == edit_result::done;
    });
    return stored(rc, result);
}

}  // namespace

void user_login(request& rq) {
    // Any JSON text is an attempt: one that is not an object names no user.
    json_ref req = json_parse_text(rq.text);
    if (!req) return rq.refuse("not JSON");
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

void session_check(request& rq) {
    session_check_request payload{};
    copy_text(payload.text, sizeof payload.text, rq.text);
    core_query(system_reply, msg_session_check, sizeof payload, &payload, REPLY_TEXT);
}

// Non-zero: the session is good, home page; zero: guest cookies and the
// login page.
int write_session_verdict(const core_answer& answer) {
    if (answer.rec<int32_t>() != 0) {
        cgi_redirect("../../html/home.html");
        return 1;
    }
    char domain[50];
    host_part(cgi_http_host(), domain);
    for (const auto& cookie : guest_cookies) cgi_set_cookie(cookie.name, cookie.value, 600, "/", domain);
    cgi_redirect("../../html/index.html");
    return 1;
}

void permission_flag_clear(request& rq) {
    if (set_param_int(TQDB_FILE, "permission_update", 0) != 0) return rq.fail();
    cgi_reply(REPLY_TEXT, "OK");
}

void users_list(request&) {
    reply_account_list<user_record>(TQDB_FILE, read_users, [](json_object* obj, const user_record& row) {
        add_rights(obj, row, "remotePermission");
    });
}

void user_add(request& rq) {
    user_record rec{};
    edit_result result;
    {
        cgi_lock_guard lock;
        result = add_account(rq.text, rec);
    }
    switch (result) {
        case edit_result::refused:
            return rq.refuse("type, permission and remotePermission");
        case edit_result::full:
            return (void)cgi_reply(REPLY_TEXT, "FAILED_FULL");
        case edit_result::same_name:
            return (void)cgi_reply(REPLY_TEXT, "SAMEUSER");
        case edit_result::failed:
            return rq.fail();
        case edit_result::done:
            break;
    }
    core_notify(system_reply, msg_users_changed, 0, nullptr);
    oplog_send(204, 921);
    char reply[10];
    std::snprintf(reply, sizeof reply, "%s%d", "id=", rec.id);
    cgi_reply(REPLY_TEXT, reply);
}

void user_change(request& rq) {
    int32_t id = -1;
    edit_result result;
    {
        cgi_lock_guard lock;
        result = change_account(rq.json, id);
    }
    switch (result) {
        case edit_result::refused:
        case edit_result::full:
            return rq.refuse("id of an account");
        case edit_result::same_name:
            return (void)cgi_reply(REPLY_TEXT, "SAMEUSER");
        case edit_result::failed:
            return rq.fail();
        case edit_result::done:
            break;
    }
    core_notify(system_reply, msg_users_changed, sizeof id, &id);
    cgi_reply(REPLY_TEXT, "OK");
}

// A removed user keeps its identifier row with every other field zero.
void user_remove(request& rq) {
    if (!req_ints_in_range(rq.json, {{"id", 0, USER_MAX_COUNT - 1}, {"type", 0, 3}}))
        return rq.refuse("id 0..99 and type 0..3");
    user_record rec{};
    rec.id = req_int_or(rq.json, "id", -1);
    int rc;
    {
        cgi_lock_guard lock;
        rc = write_user(TQDB_FILE, &rec);
    }
    if (rc != 0) return rq.fail();
    core_notify(system_reply, msg_users_changed, sizeof rec.id, &rec.id);
    oplog_send(204, 922);
    cgi_reply(REPLY_TEXT, "OK");
}

void factory_users_list(request&) {
    // Only devices that carry factory accounts have the database (an access
    // never creates it).
    if (!tq_check_file_exist(TQDB_OEM_FILE)) return;
    reply_account_list<oem_user_record>(
        TQDB_OEM_FILE, read_users_oem,
        [](json_object* obj, const oem_user_record& row) { fields_to_json(obj, &row, oem_rest_fields); });
}

void users_reload(request&) {
    core_notify(system_reply, msg_users_changed, 0, nullptr);
    cgi_reply(REPLY_TEXT, "OK");
}
