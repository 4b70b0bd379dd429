// Play time of a session (/4002) and the jump of sessions to a time (/4009),
// with the time replies the core may answer either with. Times are shown in
// local time as "%Y-%m-%d %H:%M:%S".
#include <algorithm>

#include "front/bare_number.h"
#include "modules/playback/playback.h"
#include "platform/msg_playback.h"

namespace playback {

namespace {

// "status" "OK" and list_key: one {time_key, "sid"} object per record.
int write_session_times(const core_answer& answer, const char* list_key, const char* time_key) {
    json_ref obj = status_object("OK");
    json_object* list = json_object_new_array();
    for (uint32_t i = 0; i < answer.count; ++i) {
        const session_time_rec r = answer.rec<session_time_rec>(i);
        json_object* item = json_object_new_object();
        add_time(item, time_key, r.time);
        jadd_int(item, "sid", r.sid);
        json_object_array_add(list, item);
    }
    json_object_object_add(obj.get(), list_key, list);
    return reply_json(obj);
}

// "status" "OK" and one time.
int write_one_time(const char* key, int32_t seconds) {
    json_ref obj = status_object("OK");
    add_time(obj.get(), key, seconds);
    return reply_json(obj);
}

}  // namespace

void show_play_time(request& rq) {
    int sid = 0;
    if (!parse_bare_int(rq.text, &sid) || sid < 0) return rq.refuse("sid");
    query(msg_play_time, static_cast<int32_t>(sid));
}

void jump_sessions(request& rq) {
    json_object* req = rq.json;
    int num = 0;
    if (!req_member(req, "jumpTime") || !req_member(req, "sid") || !req_member(req, "chnid") ||
        !req_int(req, "num", &num))
        return rq.refuse("jumpTime, sid, chnid and num");
    int32_t chnids[max_sessions], sids[max_sessions];
    const int n = std::min(take_ints(req_array(req, "chnid"), num, chnids, max_sessions),
                           take_ints(req_array(req, "sid"), num, sids, max_sessions));
    // Nothing to jump: answered as a failed exchange, nothing sent.
    if (n < 1) return rq.fail();
    jump_req msg{};
    std::copy_n(chnids, n, msg.chnid);
    std::copy_n(sids, n, msg.sid);
    msg.num = n;
    req_text(req, "jumpTime", msg.jump_time, sizeof msg.jump_time);
    query(msg_jump, msg);
}

// A time of 0 or less is no answer: the failure reply at once.
int write_play_time(const core_answer& answer) {
    const int32_t t = answer.rec<int32_t>();
    if (t <= 0) {
        cgi_reply_error(REPLY_JSON);
        return 0;
    }
    return write_one_time("curPlayTime", t);
}

int write_play_times(const core_answer& answer) {
    return write_session_times(answer, "curPlayTime", "PlayTime");
}

int write_jump_time(const core_answer& answer) {
    return write_one_time("realJumpTime", answer.rec<int32_t>());
}

int write_jump_times(const core_answer& answer) {
    return write_session_times(answer, "JumpTime", "realJumpTime");
}

int write_jump_done(const core_answer& answer) {
    return reply_status(answer.rec<int32_t>() == 0 ? "OK" : "ERROR");
}

int write_error_flag(const core_answer& answer) {
    return reply_status(answer.rec<int32_t>() == -1 ? "ERROR" : "OK");
}

}  // namespace playback
