// Opening playback sessions: of one channel at a play time (/4001) or of the
// channels in eight masks (/4020), and the current play time (/4002).
//
// Opening takes two exchanges, each on its own link: the first (1162 or
// 3109) opens the session and says only whether it worked; the second (3502)
// asks where its stream can be fetched, and its writer answers the page.
#include <climits>
#include <cstdio>
#include <ctime>

#include "front/bare_number.h"
#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/common/channels.h"
#include "modules/playback/playback.h"
#include "modules/playback/playback_records.h"

namespace playback {

namespace {

// The second exchange: the description of the kept session.
void describe_kept_session() { query(3502, kept_sid()); }

// "%Y-%m-%d %H:%M:%S" in local time to seconds since the epoch; false when
// the text does not parse or the time is negative or beyond 32 bits.
bool local_seconds(const char* text, int32_t* out) {
    if (!text) return false;
    struct tm tm_local = {};
    const char* end = strptime(text, "%Y-%m-%d %H:%M:%S", &tm_local);
    if (!end || *end != '\0') return false;
    tm_local.tm_isdst = -1;
    time_t t = mktime(&tm_local);
    if (t < 0 || t > INT32_MAX) return false;
    *out = static_cast<int32_t>(t);
    return true;
}

}  // namespace

void on_open(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    int channel = 0, sid = 0;
    if (!req || !req_int(req, "channelId", &channel) || !chn_ok(channel) || !req_member(req, "playTime") ||
        !req_member(req, "startTime") || !req_member(req, "endTime") || !req_int(req, "sid", &sid))
        return;

    open_req msg{};
    msg.channel_id = channel;
    msg.sid = sid;
    req_text(req.get(), "startTime", msg.start_time, sizeof msg.start_time);
    req_text(req.get(), "endTime", msg.end_time, sizeof msg.end_time);
    req_text(req.get(), "playTime", msg.play_time, sizeof msg.play_time);
    if (query(1162, msg) != state_opened) {
        reply_failed();
        return;
    }
    keep_session(sid, msg.play_time, sizeof msg.play_time);
    describe_kept_session();
    oplog_send(209, 900, channel + 1);
}

void on_open_masks(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    if (!req) return;
    open_masks_req msg{};
    for (int k = 0; k < 8; ++k) {
        char key[8];
        std::snprintf(key, sizeof key, "mask%d", k);
        if (!req_int(req, key, &msg.mask[k])) return;
    }
    if (!local_seconds(req_str(req, "playTime"), &msg.play_time)) return;
    // The writer of 8103 keeps the session's id and play time.
    if (query(3109, msg) != state_opened) {
        reply_failed();
        return;
    }
    describe_kept_session();
    oplog_send(209, 900);
}

void on_play_time(request& rq) {
    char* text = rq.text;
    int sid = 0;
    if (!parse_bare_int(text, &sid) || sid < 0) return;
    query(1153, static_cast<int32_t>(sid));
}

}  // namespace playback
