// The JSON request helpers and the schedule/action JSON forms on arbitrary
// texts, and the record-to-JSON forms on arbitrary record bytes (texts in
// records need not be terminated).
// Input: the request text (up to the first NUL), then after it the bytes of
// a week schedule and a channel pair.
#include "front/json_req.h"
#include "modules/common/sched_json.h"
#include "fuzz/fuzz_common.h"

#include <cstring>
#include <string>

namespace {

const char* const keys[] = {"id", "chn", "enable", "name", "sched", "schedule", "triChannels",
                            "chans", "count", "list", "pair", "a", ""};

// Reads every member through every accessor; results must stay in bounds.
void read_members(json_object* obj) {
    for (const char* key : keys) {
        int i = 0;
        int64_t l = 0;
        double d = 0;
        req_int(obj, key, &i);
        req_int64(obj, key, &l);
        req_double(obj, key, &d);
        (void)req_int_or(obj, key, -7);
        if (const char* s = req_str(obj, key)) (void)std::strlen(s);
        for (size_t width : {1, 2, 8, 33}) {
            char buf[40];
            std::memset(buf, 'Z', sizeof buf);
            req_text(obj, key, buf, width, width > 2 ? width - 2 : SIZE_MAX);
            FUZZ_CHECK(std::memchr(buf, '\0', width) != nullptr, "req_text left the field unterminated");
            FUZZ_CHECK(buf[width] == 'Z', "req_text wrote past the field");
        }
        if (json_object* arr = req_array(obj, key)) {
            size_t n = json_object_array_length(arr);
            for (size_t k = 0; k < n && k < 70; ++k) read_members(json_object_array_get_idx(arr, k));
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz_root();
    const char* begin = reinterpret_cast<const char*>(data);
    const char* nul = static_cast<const char*>(std::memchr(begin, '\0', size));
    std::string text(begin, nul ? nul : begin + size);
    const uint8_t* rest = nul ? data + (nul - begin) + 1 : data + size;
    size_t rest_size = static_cast<size_t>(data + size - rest);

    json_ref any = json_parse_text(text.c_str());
    json_ref req = json_parse_object(text.c_str());
    FUZZ_CHECK(!req || json_object_is_type(req.get(), json_type_object), "object parse gave a non-object");
    int v = 0;
    for (const char* key : keys) json_get_int_key(text.c_str(), key, &v);
    read_members(any.get());

    if (req) {
        for (const char* member : {"sched", "schedule", "a"}) {
            week_schedule sched;
            if (schedule_from_json(req.get(), member, &sched) == 0)
                for (const sched_day& day : sched.days)
                    for (const sched_slot& slot : day.slots)
                        FUZZ_CHECK(std::memchr(slot.start_time, '\0', sizeof slot.start_time) &&
                                       std::memchr(slot.end_time, '\0', sizeof slot.end_time),
                                   "schedule text unterminated");
            schedule_from_json_by_day(req.get(), member, &sched);
        }
        (void)channel_mask_from_json(req.get(), "triChannels", "count");
        (void)channel_mask_from_json(req.get(), "chans", "a");
        char pair[2][CHANNEL_TEXT_SIZE] = {};
        if (channel_pair_from_json(req.get(), "pair", pair) == 0)
            for (auto& p : pair) FUZZ_CHECK(std::memchr(p, '\0', sizeof p), "channel text unterminated");
        led_entry rows[action_list_len];
        led_list_from_json(3, rows, req.get(), "list");
    }

    // Records as stored or received: arbitrary bytes.
    week_schedule sched;
    std::memset(&sched, 0, sizeof sched);
    std::memcpy(&sched, rest, rest_size < sizeof sched ? rest_size : sizeof sched);
    json_ref a(schedule_to_json(sched));
    json_ref b(schedule_to_json_by_day(sched));
    (void)json_object_to_json_string(a.get());
    (void)json_object_to_json_string(b.get());
    char first[CHANNEL_TEXT_SIZE], second[CHANNEL_TEXT_SIZE];
    std::memset(first, '1', sizeof first);
    std::memset(second, 0, sizeof second);
    std::memcpy(second, rest, rest_size < sizeof second ? rest_size : sizeof second);
    json_ref c(channel_pair_to_json(first, second));
    (void)json_object_to_json_string(c.get());

    json_ref reply(json_object_new_object());
    jadd_field(reply.get(), "field", reinterpret_cast<const char*>(rest), rest_size < 64 ? rest_size : 64);
    (void)json_object_to_json_string(reply.get());
    return 0;
}
