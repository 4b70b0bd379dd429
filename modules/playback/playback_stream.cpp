// Where the playback stream of a channel can be fetched (/4010, /4011,
// /4012), the address list of every channel (/4018), the external ports
// (/4021) and whether playback is busy (/3004).
#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/common/channels.h"
#include "modules/playback/playback.h"
#include "modules/playback/playback_records.h"

namespace playback {

namespace {

// "id" 0..63, "streamType" and "streamFrom" 0 or 1.
bool stream_of(const char* text, stream_req* out) {
    json_ref req = json_parse_object(text);
    return req && req_int(req, "id", &out->id) && chn_ok(out->id) &&
           req_int(req, "streamType", &out->stream_type) &&
           (out->stream_type == 0 || out->stream_type == 1) &&
           req_int(req, "streamFrom", &out->stream_from) && (out->stream_from == 0 || out->stream_from == 1);
}

}  // namespace

void on_stream_addr(request& rq) {
    char* text = rq.text;
    stream_req msg{};
    if (!stream_of(text, &msg)) return;
    query(3500, msg);
}

void on_stream_notice(request& rq) {
    char* text = rq.text;
    stream_req msg{};
    if (!stream_of(text, &msg)) return;
    msg.stream_from = 0;
    notify(1901, msg);
    cgi_reply(REPLY_TEXT, "OK");
}

void on_stream_reset(request&) {
    core_notify(playback_reply, 1902, 0, nullptr);
    cgi_reply(REPLY_TEXT, "OK");
}

template <int msg_id>
void on_query(request&) {
    core_query(playback_reply, msg_id, 0, nullptr, REPLY_JSON);
}
template void on_query<3503>(request&);
template void on_query<3506>(request&);
template void on_query<4011>(request&);

}  // namespace playback
