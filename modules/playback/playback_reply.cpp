// The playback module's reply handler: one writer per reply identifier, each
// given the number of whole records in the payload (never more than the
// payload holds). Runs on the socket library's receiving thread.
//
// Writers that write an HTTP reply claim it first (core_reply_claim) and end
// the wait with core_reply_done. The two first-exchange writers (6162, 8103)
// write nothing: they only tell the waiting handler whether the session was
// opened (state 1) or refused (state 2).
#include <json-c/json.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <mutex>

#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/playback/playback.h"
#include "modules/playback/playback_records.h"

namespace playback {

// ---- the kept session -------------------------------------------------------------

namespace {

std::atomic<int32_t> session_sid{-1};
std::mutex session_mu;
char session_play_time[32];

}  // namespace

void keep_session(int32_t sid, const char* play_time, size_t width) {
    std::lock_guard<std::mutex> lock(session_mu);
    copy_text(session_play_time, sizeof session_play_time, "");
    if (play_time) {
        size_t len = strnlen(play_time, width);
        if (len > sizeof session_play_time - 1) len = sizeof session_play_time - 1;
        std::memcpy(session_play_time, play_time, len);
    }
    session_sid.store(sid);
}

int32_t kept_sid() { return session_sid.load(); }

void kept_play_time(char out[32]) {
    std::lock_guard<std::mutex> lock(session_mu);
    std::memcpy(out, session_play_time, sizeof session_play_time);
    out[31] = '\0';
}

namespace {

// ---- writer helpers ---------------------------------------------------------------

// Writes obj as the reply (the caller has claimed it) and ends the wait.
void finish(const json_ref& obj) {
    cgi_reply_json(obj.get());
    core_reply_done(1);
}

// A reply that cannot be rendered: the module's failure body at once,
// instead of letting the handler wait out its bound for the same text.
void fail_now() {
    if (!core_reply_claim()) return;
    cgi_reply_error(REPLY_JSON);
    core_reply_done(0);
}

// Local time as "%Y-%m-%d %H:%M:%S".
void add_time(json_object* obj, const char* key, int32_t seconds) {
    time_t t = seconds;
    struct tm tm_local;
    char text[32] = "";
    if (localtime_r(&t, &tm_local)) strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &tm_local);
    jadd_str(obj, key, text);
}

json_ref status_object(const char* status) {
    json_ref obj(json_object_new_object());
    jadd_str(obj.get(), "status", status);
    return obj;
}

template <typename T>
const T& rec(const void* payload, int i = 0) {
    return static_cast<const T*>(payload)[i];
}

// ---- writers ------------------------------------------------------------------------

// 6159, 6161: the search result.
void write_sections(int count, const void* payload) {
    if (!core_reply_claim()) return;
    if (count == 0) {
        finish(status_object("NO MATCHES"));
        return;
    }
    const section_rec* s = static_cast<const section_rec*>(payload);
    json_ref obj = status_object("OK");
    jadd_int(obj.get(), "camId", s[count - 1].cam_id);
    jadd_int(obj.get(), "sectionNum", count);
    jadd_int(obj.get(), "sid", s[0].sid);
    json_object* list = json_object_new_array();
    for (int i = 0; i < count; ++i) {
        json_object* item = json_object_new_object();
        jadd_field(item, "startTime", s[i].start_time, sizeof s[i].start_time);
        jadd_field(item, "endTime", s[i].end_time, sizeof s[i].end_time);
        jadd_int(item, "recordType", s[i].record_type);
        jadd_int(item, "lock", s[i].lock);
        json_object_array_add(list, item);
    }
    json_object_object_add(obj.get(), "section", list);
    finish(obj);
}

// 6162: result of opening a session of one channel.
void write_open_result(int, const void* payload) {
    core_reply_done(rec<int_rec>(payload).value < 0 ? state_refused : state_opened);
}

// 8103: result of opening sessions by channel masks (the answer to 3109).
void write_open_masks_result(int, const void* payload) {
    const open_result_rec& r = rec<open_result_rec>(payload);
    if (r.failed != 0) {
        core_reply_done(state_refused);
        return;
    }
    keep_session(r.sid, r.play_time, sizeof r.play_time);
    core_reply_done(state_opened);
}

// 8502: the session description. Without a record nothing is written, and
// the wait still ends.
void write_session_desc(int count, const void* payload) {
    if (!core_reply_claim()) return;
    if (count == 0) {
        core_reply_done(0);
        return;
    }
    const session_desc_rec& d = rec<session_desc_rec>(payload);
    char play_time[32];
    kept_play_time(play_time);
    json_ref obj(json_object_new_object());
    jadd_int(obj.get(), "sessionId", d.session_id);
    jadd_field(obj.get(), "sourcePath", d.source_path, sizeof d.source_path);
    jadd_int(obj.get(), "port", d.port);
    jadd_str(obj.get(), "status", "OK");
    jadd_str(obj.get(), "realPlayTime", play_time);
    jadd_int(obj.get(), "external_port", d.external_port);
    jadd_int(obj.get(), "external_http_port", d.external_http_port);
    jadd_int(obj.get(), "ddns_port", d.ddns_port);
    jadd_int(obj.get(), "ddns_http_port", d.ddns_http_port);
    finish(obj);
}

// 6153, 8102: current play time of a session.
void write_play_time(int, const void* payload) {
    int32_t t = rec<int_rec>(payload).value;
    if (t <= 0) {
        fail_now();
        return;
    }
    if (!core_reply_claim()) return;
    json_ref obj = status_object("OK");
    add_time(obj.get(), "curPlayTime", t);
    finish(obj);
}

// 8104: the time a jump reached.
void write_jump_time(int, const void* payload) {
    if (!core_reply_claim()) return;
    json_ref obj = status_object("OK");
    add_time(obj.get(), "realJumpTime", rec<int_rec>(payload).value);
    finish(obj);
}

// 8116 (play times) and 8115 (jump times) of several sessions.
template <const char* list_key, const char* time_key>
void write_session_times(int count, const void* payload) {
    if (!core_reply_claim()) return;
    json_ref obj = status_object("OK");
    json_object* list = json_object_new_array();
    for (int i = 0; i < count; ++i) {
        const session_time_rec& r = rec<session_time_rec>(payload, i);
        json_object* item = json_object_new_object();
        add_time(item, time_key, r.time);
        jadd_int(item, "sid", r.sid);
        json_object_array_add(list, item);
    }
    json_object_object_add(obj.get(), list_key, list);
    finish(obj);
}
constexpr char key_cur_play_time[] = "curPlayTime";
constexpr char key_play_time[] = "PlayTime";
constexpr char key_jump_time[] = "JumpTime";
constexpr char key_real_jump_time[] = "realJumpTime";

// 6171 (jump: 0 done), 6148 (-1 error), 9011 (non-zero busy): a status word
// chosen by one integer.
void write_jump_done(int, const void* payload) {
    if (!core_reply_claim()) return;
    finish(status_object(rec<int_rec>(payload).value == 0 ? "OK" : "ERROR"));
}
void write_error_flag(int, const void* payload) {
    if (!core_reply_claim()) return;
    finish(status_object(rec<int_rec>(payload).value == -1 ? "ERROR" : "OK"));
}
void write_busy(int, const void* payload) {
    if (!core_reply_claim()) return;
    finish(status_object(rec<int_rec>(payload).value != 0 ? "BUSY" : "OK"));
}

// 6176 (with "status") and 6177 (without): transcoding state.
template <bool with_status>
void write_transcode_state(int, const void* payload) {
    if (!core_reply_claim()) return;
    const transcode_state_rec& r = rec<transcode_state_rec>(payload);
    json_ref obj(json_object_new_object());
    jadd_int(obj.get(), "ch", r.ch);
    jadd_int(obj.get(), "sid", r.sid);
    jadd_int(obj.get(), "state", r.state);
    if (with_status) jadd_str(obj.get(), "status", "OK");
    finish(obj);
}

// 8500: the playback stream address; a granted address is logged first.
void write_stream_addr(int, const void* payload) {
    if (!core_reply_claim()) return;
    const stream_addr_rec& r = rec<stream_addr_rec>(payload);
    if (r.status < 0) {
        finish(status_object("ERROR"));
        return;
    }
    oplog_send(208, 900, static_cast<int>(static_cast<int64_t>(r.channel) + 1));
    json_ref obj = status_object("OK");
    jadd_int(obj.get(), "port", r.port);
    jadd_int(obj.get(), "direct", r.direct);
    jadd_field(obj.get(), "rtspAddr", r.rtsp_addr, sizeof r.rtsp_addr);
    jadd_field(obj.get(), "resPath", r.res_path, sizeof r.res_path);
    finish(obj);
}

// The recorder-side half of one stream of an 8503 record ("main" or "sub").
void add_stream_account(json_object* nvr, const char* prefix, const int32_t ports[5],
                        const uint8_t* account, size_t account_size) {
    const char* base = reinterpret_cast<const char*>(account);
    char key[40];
    auto put_int = [&](const char* name, int32_t v) {
        snprintf(key, sizeof key, "%s%s", prefix, name);
        jadd_int(nvr, key, v);
    };
    auto put_text = [&](const char* name, size_t at, size_t width) {
        snprintf(key, sizeof key, "%s%s", prefix, name);
        if (at + width > account_size) width = account_size - at;
        jadd_field(nvr, key, base + at, width);
    };
    put_text("Username", account_user_at, account_user_width);
    put_text("Password", account_password_at, account_password_width);
    put_int("Port", ports[0]);
    put_int("ExternalPort", ports[1]);
    put_int("DDNSPort", ports[2]);
    put_text("ResPath", account_res_path_at, account_size - account_res_path_at);
    put_int("ExternalHttpPort", ports[3]);
    put_int("DDNSHttpPort", ports[4]);
}

// 8503: the stream addresses of every channel.
void write_rtsp_addrs(int count, const void* payload) {
    if (!core_reply_claim()) return;
    json_ref obj(json_object_new_object());
    json_object* list = json_object_new_array();
    for (int i = 0; i < count; ++i) {
        const rtsp_addr_rec& r = rec<rtsp_addr_rec>(payload, i);
        json_object* item = json_object_new_object();
        json_object* ipc = json_object_new_object();
        jadd_field(ipc, "main", r.main, sizeof r.main);
        jadd_field(ipc, "sub", r.sub, sizeof r.sub);
        json_object_object_add(item, "ipc", ipc);
        json_object* nvr = json_object_new_object();
        add_stream_account(nvr, "main", r.main_ports, r.main_account, sizeof r.main_account);
        add_stream_account(nvr, "sub", r.sub_ports, r.sub_account, sizeof r.sub_account);
        json_object_object_add(item, "nvr", nvr);
        json_object_array_add(list, item);
    }
    json_object_object_add(obj.get(), "rtspaddr", list);
    finish(obj);
}

// 8506: external ports.
void write_ext_ports(int, const void* payload) {
    if (!core_reply_claim()) return;
    const ext_ports_rec& r = rec<ext_ports_rec>(payload);
    json_ref obj(json_object_new_object());
    jadd_int(obj.get(), "upnp_extern_port", r.upnp_extern_port);
    jadd_int(obj.get(), "ddns_extern_port", r.ddns_extern_port);
    finish(obj);
}

// 8002: picture settings of a playback channel. A refusal keeps the five
// values but leaves out "i2ddnr".
void write_picture(int, const void* payload) {
    if (!core_reply_claim()) return;
    const picture_rec& r = rec<picture_rec>(payload);
    json_ref obj = status_object(r.status < 0 ? "ERROR" : "OK");
    jadd_int(obj.get(), "brightness", r.brightness);
    jadd_int(obj.get(), "contrast", r.contrast);
    jadd_int(obj.get(), "saturation", r.saturation);
    jadd_int(obj.get(), "Sharpness", r.sharpness);
    jadd_int(obj.get(), "NoiseReduction", r.noise_reduction);
    if (r.status >= 0) jadd_int(obj.get(), "i2ddnr", r.i2ddnr);
    finish(obj);
}

// ---- the writer table ---------------------------------------------------------------

// What a writer needs before it may run.
enum class needs {
    records,      // any number of records, none included
    one,          // the first record; without it the reply counts as not come
    one_or_fail,  // the first record; without it the failure reply at once
};

struct writer_row {
    int32_t reply_id;
    uint32_t record_size;
    needs need;
    void (*write)(int count, const void* payload);
};

const writer_row writers[] = {
    // search and paging
    {6159, sizeof(section_rec), needs::records, write_sections},
    {6161, sizeof(section_rec), needs::records, write_sections},
    // opening a session: the first exchange, then the description
    {6162, sizeof(int_rec), needs::one, write_open_result},
    {8103, sizeof(open_result_rec), needs::one, write_open_masks_result},
    {8502, sizeof(session_desc_rec), needs::records, write_session_desc},
    // play and jump times
    {6153, sizeof(int_rec), needs::one_or_fail, write_play_time},
    {8102, sizeof(int_rec), needs::one_or_fail, write_play_time},
    {8116, sizeof(session_time_rec), needs::records,
     write_session_times<key_cur_play_time, key_play_time>},
    {8104, sizeof(int_rec), needs::one, write_jump_time},
    {8115, sizeof(session_time_rec), needs::records,
     write_session_times<key_jump_time, key_real_jump_time>},
    {6171, sizeof(int_rec), needs::one, write_jump_done},
    {6148, sizeof(int_rec), needs::one, write_error_flag},
    // transcoding
    {6176, sizeof(transcode_state_rec), needs::one_or_fail, write_transcode_state<true>},
    {6177, sizeof(transcode_state_rec), needs::one_or_fail, write_transcode_state<false>},
    // stream addresses and ports
    {8500, sizeof(stream_addr_rec), needs::one, write_stream_addr},
    {8503, sizeof(rtsp_addr_rec), needs::records, write_rtsp_addrs},
    {8506, sizeof(ext_ports_rec), needs::one, write_ext_ports},
    {9011, sizeof(int_rec), needs::one, write_busy},
    // picture settings
    {8002, sizeof(picture_rec), needs::one, write_picture},
    // The download's frame pieces (6173, 614496-byte records, several per
    // message) go here: their writer hands each record to the frame
    // reassembler and never claims the reply.
};

}  // namespace

void playback_reply(void*, const void* header, const void* payload) {
    const int32_t id = core_header_id(header);
    const uint32_t size = core_header_size(header);
    for (const writer_row& w : writers) {
        if (w.reply_id != id) continue;
        // A reply without payload arrives with a null pointer: it holds no
        // record, which for a list (a search without matches) is an answer.
        const int count = payload ? static_cast<int>(size / w.record_size) : 0;
        if (count == 0 && w.need == needs::one) return;
        if (count == 0 && w.need == needs::one_or_fail) {
            fail_now();
            return;
        }
        w.write(count, payload);
        return;
    }
}

}  // namespace playback
