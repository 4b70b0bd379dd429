// Where the playback stream of a channel can be fetched (/4010, /4011,
// /4012), the address list of every channel (/4018), the external ports
// (/4021) and whether playback is busy (/3004).
#include <cstdio>

#include "front/web_utils.h"
#include "modules/common/channels.h"
#include "modules/common/field_map.h"
#include "modules/playback/playback.h"
#include "platform/msg_playback.h"

namespace playback {

namespace {

// "id" a channel, "streamType" and "streamFrom" 0 or 1, all three given.
using sq = stream_req;
const field stream_fields[] = {
    FM_INT(sq, "id", id).range(0, channel_limit - 1).required(),
    FM_INT(sq, "streamType", stream_type).range(0, 1).required(),
    FM_INT(sq, "streamFrom", stream_from).range(0, 1).required(),
};

using sa = stream_addr_rec;
const field stream_addr_fields[] = {
    FM_INT(sa, "port", port),
    FM_INT(sa, "direct", direct),
    FM_TEXT(sa, "rtspAddr", rtsp_addr),
    FM_TEXT(sa, "resPath", res_path),
};

using ep = ext_ports_rec;
const field ext_ports_fields[] = {
    FM_INT(ep, "upnp_extern_port", upnp_extern_port),
    FM_INT(ep, "ddns_extern_port", ddns_extern_port),
};

// The request's stream, or false (refused) when a member is missing or out
// of range.
bool stream_of(request& rq, stream_req* out) {
    if (!fields_valid(rq.json, stream_fields)) {
        rq.refuse("id, streamType and streamFrom");
        return false;
    }
    fields_from_json(rq.json, out, stream_fields);
    return true;
}

// The recorder-side half of one stream of an 8503 record ("main" or "sub").
void add_stream_account(json_object* nvr, const char* prefix, const int32_t ports[5], const uint8_t* account,
                        size_t account_size) {
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

}  // namespace

void show_stream_addr(request& rq) {
    stream_req msg{};
    if (stream_of(rq, &msg)) query(msg_stream_addr, msg);
}

void notify_stream(request& rq) {
    stream_req msg{};
    if (!stream_of(rq, &msg)) return;
    msg.stream_from = 0;
    notify(msg_stream_notice, msg);
    cgi_reply(REPLY_TEXT, "OK");
}

void reset_stream(request&) {
    core_notify(playback_reply, msg_stream_reset, 0, nullptr);
    cgi_reply(REPLY_TEXT, "OK");
}

template <int32_t msg_id>
void ask_core(request&) {
    core_query(playback_reply, msg_id, 0, nullptr, REPLY_JSON);
}
template void ask_core<msg_stream_addrs>(request&);
template void ask_core<msg_ext_ports>(request&);
template void ask_core<msg_busy>(request&);

// A granted address is logged before the reply is written.
int write_stream_addr(const core_answer& answer) {
    const stream_addr_rec r = answer.rec<stream_addr_rec>();
    if (r.status < 0) return reply_status("ERROR");
    oplog_send(log_view_stream, log_parameter, static_cast<int>(static_cast<int64_t>(r.channel) + 1));
    json_ref obj = status_object("OK");
    fields_to_json(obj.get(), &r, stream_addr_fields);
    return reply_json(obj);
}

int write_rtsp_addrs(const core_answer& answer) {
    json_ref obj(json_object_new_object());
    json_object* list = json_object_new_array();
    for (uint32_t i = 0; i < answer.count; ++i) {
        const rtsp_addr_rec r = answer.rec<rtsp_addr_rec>(i);
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
    return reply_json(obj);
}

int write_ext_ports(const core_answer& answer) {
    const ext_ports_rec r = answer.rec<ext_ports_rec>();
    return reply_json(json_ref(fields_object(&r, ext_ports_fields)));
}

int write_busy(const core_answer& answer) { return reply_status(answer.rec<int32_t>() != 0 ? "BUSY" : "OK"); }

}  // namespace playback
