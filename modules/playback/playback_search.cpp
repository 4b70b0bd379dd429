// Search of one channel's recordings (/4000) and paging through the result
// (/4023). The core answers with recording sections (6159, 6161).
#include "modules/common/channels.h"
#include "modules/common/field_map.h"
#include "modules/playback/playback.h"
#include "platform/msg_playback.h"

namespace playback {

namespace {

using sr = section_rec;
const field section_fields[] = {
    FM_TEXT(sr, "startTime", start_time),
    FM_TEXT(sr, "endTime", end_time),
    FM_INT(sr, "recordType", record_type),
    FM_INT(sr, "lock", lock),
};

using pr = page_req;
const field page_fields[] = {
    FM_INT(pr, "sid", sid),
    FM_INT(pr, "page", page),
};

}  // namespace

void search_recordings(request& rq) {
    json_object* req = rq.json;
    int channel = 0, sid = 0, stream_type = 0;
    if (!req_int(req, "channelId", &channel) || !req_int(req, "sid", &sid) ||
        !req_int(req, "streamType", &stream_type) || !req_member(req, "time") || !req_member(req, "endTime"))
        return rq.refuse("channelId, sid, streamType, time and endTime");

    search_req msg{};
    const int cameras = max_channels();
    for (int i = 0; i < cameras; ++i) msg.channel_mask[i] = i == channel ? '1' : '0';
    msg.main_flag = 1;
    msg.sub_stream = stream_type == 1 ? 1 : 0;
    msg.unused_a = -1;
    msg.unused_b = -1;
    req_text(req, "time", msg.time, sizeof msg.time);
    req_text(req, "endTime", msg.end_time, sizeof msg.end_time);

    // The page reuses a session: the core lets go of it before searching.
    if (sid >= 0) {
        session_list list{};
        list.sid[0] = sid;
        list.num = 1;
        notify(msg_session_close, list);
        notify(msg_session_release, static_cast<int32_t>(sid));
    }
    query(msg_search, msg);
}

void next_search_page(request& rq) { query(msg_search_page, record_of<page_req>(rq.json, page_fields)); }

// No section: "NO MATCHES"; else the sections with the last one's camera and
// the first one's session.
int write_sections(const core_answer& answer) {
    if (answer.count == 0) return reply_json(status_object("NO MATCHES"));
    json_ref obj = status_object("OK");
    jadd_int(obj.get(), "camId", answer.rec<section_rec>(answer.count - 1).cam_id);
    jadd_int(obj.get(), "sectionNum", answer.count);
    jadd_int(obj.get(), "sid", answer.rec<section_rec>(0).sid);
    json_object* list = json_object_new_array();
    for (uint32_t i = 0; i < answer.count; ++i) {
        const section_rec s = answer.rec<section_rec>(i);
        json_object_array_add(list, fields_object(&s, section_fields));
    }
    json_object_object_add(obj.get(), "section", list);
    return reply_json(obj);
}

}  // namespace playback
