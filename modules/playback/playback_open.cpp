// Opening playback sessions: of one channel at a play time (/4001) or of the
// channels in eight masks (/4020).
//
// Opening takes two exchanges, each on its own link: the first (1162 or
// 3109) opens the session and says only whether it worked; the second (3502)
// asks where its stream can be fetched, and its writer answers the page with
// the session's play time kept from the first.
#include <atomic>
#include <climits>
#include <cstring>
#include <ctime>
#include <mutex>

#include "front/web_utils.h"
#include "modules/common/channels.h"
#include "modules/common/field_map.h"
#include "modules/playback/playback.h"
#include "platform/msg_playback.h"

namespace playback {

namespace {

// ---- the kept session ------------------------------------------------------------
//
// Written by the handler (/4001) or by the 8103 writer on the socket thread
// (/4020) before the first wait ends, read by the second exchange.

std::atomic<int32_t> kept_sid{-1};
std::mutex kept_mu;
char kept_play_time[32];

void keep_session(int32_t sid, const char* play_time, size_t width) {
    std::lock_guard<std::mutex> lock(kept_mu);
    copy_text(kept_play_time, sizeof kept_play_time, play_time, width);
    kept_sid.store(sid);
}

void copy_kept_play_time(char (&out)[32]) {
    std::lock_guard<std::mutex> lock(kept_mu);
    std::memcpy(out, kept_play_time, sizeof out);
    out[sizeof out - 1] = '\0';
}

// ---- requests ----------------------------------------------------------------------

using oq = open_req;
const field open_fields[] = {
    FM_INT(oq, "channelId", channel_id).range(0, channel_limit - 1).required(),
    FM_INT(oq, "sid", sid).required(),
    FM_TEXT(oq, "startTime", start_time).required(),
    FM_TEXT(oq, "endTime", end_time).required(),
    FM_TEXT(oq, "playTime", play_time).required(),
};

using mq = open_masks_req;
const field mask_fields[] = {
    FM_INT(mq, "mask0", mask[0]).required(), FM_INT(mq, "mask1", mask[1]).required(),
    FM_INT(mq, "mask2", mask[2]).required(), FM_INT(mq, "mask3", mask[3]).required(),
    FM_INT(mq, "mask4", mask[4]).required(), FM_INT(mq, "mask5", mask[5]).required(),
    FM_INT(mq, "mask6", mask[6]).required(), FM_INT(mq, "mask7", mask[7]).required(),
};

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

// A first exchange that did not open the session: the failure reply, unless
// the wait that ran out has written it already. No second exchange follows.
void open_failed(request& rq) {
    if (core_reply_claim()) rq.fail();
}

// The second exchange: the description of the kept session, answered by the
// 8502 writer.
void describe_kept_session() { query(msg_session_describe, kept_sid.load()); }

// The description without "status" and "realPlayTime", which go between
// these two parts.
using sd = session_desc_rec;
const field desc_head_fields[] = {
    FM_INT(sd, "sessionId", session_id),
    FM_TEXT(sd, "sourcePath", source_path),
    FM_INT(sd, "port", port),
};
const field desc_tail_fields[] = {
    FM_INT(sd, "external_port", external_port),
    FM_INT(sd, "external_http_port", external_http_port),
    FM_INT(sd, "ddns_port", ddns_port),
    FM_INT(sd, "ddns_http_port", ddns_http_port),
};

}  // namespace

void open_channel_session(request& rq) {
    if (!fields_valid(rq.json, open_fields)) return rq.refuse("channelId, sid and the three times");
    const open_req msg = record_of<open_req>(rq.json, open_fields);
    if (query(msg_session_open, msg) != state_opened) return open_failed(rq);
    keep_session(msg.sid, msg.play_time, sizeof msg.play_time);
    describe_kept_session();
    oplog_send(log_open_session, log_parameter, msg.channel_id + 1);
}

void open_mask_sessions(request& rq) {
    open_masks_req msg{};
    if (!fields_valid(rq.json, mask_fields) || !local_seconds(req_str(rq.json, "playTime"), &msg.play_time))
        return rq.refuse("mask0..mask7 and a local playTime");
    fields_from_json(rq.json, &msg, mask_fields);
    // The 8103 writer keeps the session's id and play time.
    if (query(msg_session_open_masks, msg) != state_opened) return open_failed(rq);
    describe_kept_session();
    oplog_send(log_open_session, log_parameter);
}

int open_result(const core_answer& answer) {
    return answer.rec<int32_t>() < 0 ? state_refused : state_opened;
}

int open_masks_result(const core_answer& answer) {
    const open_result_rec r = answer.rec<open_result_rec>();
    if (r.failed != 0) return state_refused;
    keep_session(r.sid, r.play_time, sizeof r.play_time);
    return state_opened;
}

// Without a record nothing is written, and the wait still ends.
int write_session_desc(const core_answer& answer) {
    if (answer.count == 0) return 0;
    const session_desc_rec d = answer.rec<session_desc_rec>();
    char play_time[32];
    copy_kept_play_time(play_time);
    json_ref obj(fields_object(&d, desc_head_fields));
    jadd_str(obj.get(), "status", "OK");
    jadd_str(obj.get(), "realPlayTime", play_time);
    fields_to_json(obj.get(), &d, desc_tail_fields);
    return reply_json(obj);
}

}  // namespace playback
