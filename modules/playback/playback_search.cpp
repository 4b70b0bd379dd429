// Search of one channel's recordings (/4000) and paging through the result
// (/4023). The core answers with recording sections (6159, 6161).
#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/common/channels.h"
#include "modules/playback/playback.h"
#include "modules/playback/playback_records.h"

namespace playback {

void on_search(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    int channel = 0, sid = 0, stream_type = 0;
    if (!req || !req_int(req, "channelId", &channel) || !req_int(req, "sid", &sid) ||
        !req_int(req, "streamType", &stream_type) || !req_member(req, "time") || !req_member(req, "endTime"))
        return;

    search_req msg{};
    const int cameras = max_channels();
    for (int i = 0; i < cameras; ++i) msg.channel_mask[i] = i == channel ? '1' : '0';
    msg.main_flag = 1;
    msg.sub_stream = stream_type == 1 ? 1 : 0;
    msg.unused_a = -1;
    msg.unused_b = -1;
    req_text(req.get(), "time", msg.time, sizeof msg.time);
    req_text(req.get(), "endTime", msg.end_time, sizeof msg.end_time);

    // The page reuses a session: the core lets go of it before searching.
    if (sid >= 0) {
        session_list list{};
        list.sid[0] = sid;
        list.num = 1;
        notify(1160, list);
        notify(1903, static_cast<int32_t>(sid));
    }
    query(1159, msg);
}

void on_page(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    if (!req) return;
    page_req msg{req_int_or(req, "sid", 0), req_int_or(req, "page", 0)};
    query(1161, msg);
}

}  // namespace playback
