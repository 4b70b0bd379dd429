#include "modules/common/relay.h"

#include <cstdio>

#include "front/json_req.h"
#include "front/reply.h"

void relay_query(const request& rq, reply_callback cb, int32_t msg_id, const void* payload, size_t size) {
    const bool json = rq.row && (rq.row->out == OUT_JSON || rq.row->out == OUT_JSON_ERR);
    core_query(cb, msg_id, static_cast<int>(size), payload, json ? REPLY_JSON : REPLY_TEXT);
}

void relay_notice(reply_callback cb, int32_t msg_id, const void* payload, size_t size) {
    core_notify(cb, msg_id, static_cast<int>(size), payload);
    cgi_reply(REPLY_TEXT, "OK");
}

uint64_t channel_text_mask(json_object* req, const char* key) {
    json_object* member = req_member(req, key);
    if (!json_object_is_type(member, json_type_string)) return 0;
    const char* text = json_object_get_string(member);
    uint64_t mask = 0;
    for (int n = 0; n < channel_limit && text[n]; ++n)
        if (text[n] == '1') mask |= uint64_t{1} << n;
    return mask;
}

int reply_fields(const void* rec, std::span<const field> map) {
    json_ref obj(fields_object(rec, map));
    cgi_reply_json(obj.get());
    return 1;
}

int reply_verdict(const core_answer& answer, std::span<const verdict> verdicts, const char* other,
                  const char* member) {
    const int32_t word = answer.rec<int32_t>();
    const char* text = other;
    for (const verdict& v : verdicts)
        if (v.word == word) text = v.text;
    if (!member) {
        cgi_reply(REPLY_TEXT, text);
        return 1;
    }
    json_ref obj(json_object_new_object());
    jadd_str(obj.get(), member, text);
    cgi_reply_json(obj.get());
    return 1;
}

int reply_bytes(const core_answer& answer) {
    cgi_reply(REPLY_TEXT, "");
    if (answer.size) std::fwrite(answer.bytes(), 1, answer.size, stdout);
    std::fflush(stdout);
    return 1;
}
