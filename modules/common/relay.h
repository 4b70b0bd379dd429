// Requests relayed to the core daemon: one request, one message, one answer.
//
// Many camera-side requests only carry the browser's members to the core
// daemon and its answer back. A relay is such a request as data: the
// message, and the field map that fills the payload from the request's
// members (checked with fields_valid first: what it refuses gets the row's
// refused reply), plus the few lines that differ as a function run last.
// The row's reply form decides what a refused or unanswered request gets;
// the answer goes to the module's reply table.
//
//     using cs = cam_search_req;
//     const field search_fields[] = {FM_INT(cs, "protocol", protocol).range(0, 7).required()};
//     const relay<cam_search_req> cam_search = {msg_cam_search, camera_reply, search_fields};
//
//     {"/2006", relay_request<cam_search>, IN_JSON, OUT_JSON, ...},
//
// The answer side has its pieces here too: a record rendered by its field
// map, a verdict word turned into the module's word, the bytes of an answer
// as plain text.
#pragma once

#include <json-c/json.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "front/core_link.h"
#include "front/dispatchreq.h"
#include "modules/common/channels.h"
#include "modules/common/field_map.h"

template <typename Payload>
struct relay {
    int32_t msg_id;
    reply_callback reply;
    // The request's members, read into the record at fields_at of the
    // payload (a record inside it, or the payload itself at 0).
    std::span<const field> fields;
    size_t fields_at = 0;
    // Run after the fields are read: the lines that differ (a copy mask, a
    // schedule, a raised port). False refuses the request.
    bool (*finish)(json_object* req, Payload& payload) = nullptr;
    // Sent without waiting: the reply is "OK" at once (reply stays unused).
    bool notice = false;
};

// Sends payload (size bytes) as msg_id and waits for the answer; when none
// comes, the failure reply in the row's reply form.
void relay_query(const request& rq, reply_callback cb, int32_t msg_id, const void* payload, size_t size);
// Sends payload (size bytes) as msg_id without waiting and replies "OK".
void relay_notice(reply_callback cb, int32_t msg_id, const void* payload, size_t size);

template <typename Payload>
void relay_send(request& rq, const relay<Payload>& r) {
    if (!fields_valid(rq.json, r.fields)) return rq.refuse("a member is missing or out of range");
    // Zero-filled: members the request leaves out and the reserved bytes
    // travel as zeros. Some payloads are 26 KiB.
    auto payload = std::make_unique<Payload>();
    fields_from_json(rq.json, reinterpret_cast<char*>(payload.get()) + r.fields_at, r.fields);
    if (r.finish && !r.finish(rq.json, *payload)) return rq.refuse("a member is not acceptable");
    if (r.notice)
        relay_notice(r.reply, r.msg_id, payload.get(), sizeof(Payload));
    else
        relay_query(rq, r.reply, r.msg_id, payload.get(), sizeof(Payload));
}

// The handler of a relay, for a request table row.
template <const auto& R>
void relay_request(request& rq) {
    relay_send(rq, R);
}

// ---- copy-to-channels masks -------------------------------------------------

// The channels of the '0'/'1' text req[key]: bit n for a '1' at position n,
// at most 64 positions, reading stops at the end of the text. 0 when the
// member is missing or not a string.
uint64_t channel_text_mask(json_object* req, const char* key);

// mask with the bit of chn (0..63; any other chn adds nothing).
inline uint64_t with_channel(uint64_t mask, int chn) {
    return chn_ok(chn) ? mask | uint64_t{1} << chn : mask;
}

// ---- answers ------------------------------------------------------------------

// Renders rec (it need not be aligned) as the JSON reply by its field map.
// Returns 1 (the state that ends the wait).
int reply_fields(const void* rec, std::span<const field> map);

// The first record of an answer by its field map (the reply table has made
// sure the answer holds it).
inline int reply_answer(const core_answer& answer, std::span<const field> map) {
    return reply_fields(answer.payload, map);
}

// A verdict word of the core daemon and the word the page shows for it.
struct verdict {
    int32_t word;
    const char* text;
};

// The text of the answer's first int32 (other when verdicts does not list
// it), as plain text, or as the JSON object {member: text} when member is
// given. Returns 1.
int reply_verdict(const core_answer& answer, std::span<const verdict> verdicts, const char* other,
                  const char* member = nullptr);

// The answer's bytes as the plain-text reply, exactly as many as it holds.
int reply_bytes(const core_answer& answer);

// count, kept to 0..capacity: the entries of a list to read when a count
// comes from an answer.
inline int in_use(int32_t count, int capacity) { return count < 0 ? 0 : count > capacity ? capacity : count; }
