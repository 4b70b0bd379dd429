// The forms that the tests of event and alarm pages share: week schedules in
// their request form, their reply form and as stored, json-c's spaced
// objects, channel texts, masks and fixed text fields.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "front/json_req.h"
#include "platform/tqdb/rec_schedule.h"
#include "platform/tqdb/sched_store.h"
#include "platform/tqdb/tqdb.h"
#include "tools/coresim/coresim.h"

namespace evforms {

// A fixed text field set as a whole: the text cut to N - 1 bytes, NUL-padded.
template <size_t N>
void set_text(char (&field)[N], const std::string& text) {
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), std::min(text.size(), N - 1));
}

template <typename T>
bool same_bytes(const T& a, const T& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// A 64-bit channel mask as a message carries it.
inline coresim::bytes mask_bytes(uint64_t mask) {
    coresim::bytes b(8);
    std::memcpy(b.data(), &mask, 8);
    return b;
}

// A text of len '0' with '1' at the given positions.
inline std::string channel_text(std::initializer_list<int> ones, size_t len = 64) {
    std::string s(len, '0');
    for (int p : ones) s[p] = '1';
    return s;
}

// json-c's spaced form of an object whose members are given as JSON texts.
inline std::string spaced(const std::vector<std::pair<std::string, std::string>>& members) {
    if (members.empty()) return "{ }";
    std::string out = "{";
    for (size_t i = 0; i < members.size(); ++i)
        out += (i ? ", \"" : " \"") + members[i].first + "\": " + members[i].second;
    return out + " }";
}
inline std::string jstr(const std::string& s) { return "\"" + s + "\""; }
inline std::string num(long long v) { return std::to_string(v); }

// A slot set in a schedule: day, slot index, texts and action type.
struct slot {
    int day;
    int index;
    std::string start, end;
    int action;
};

// The slot of (day, index) among set, or an empty one.
inline slot slot_at(std::initializer_list<slot> set, int day, int index) {
    for (const slot& x : set)
        if (x.day == day && x.index == index) return x;
    return {day, index, "", "", 0};
}

// The reply form of a schedule: 8 days of 12 slot objects, empty but for
// the given slots.
inline std::string schedule_json(std::initializer_list<slot> set = {}) {
    std::string out = "[ ";
    for (int d = 0; d < 8; ++d) {
        out += d ? ", [ " : "[ ";
        for (int s = 0; s < 12; ++s) {
            slot v = slot_at(set, d, s);
            out += (s ? ", " : "") + spaced({{"startTime", jstr(v.start)},
                                             {"endTime", jstr(v.end)},
                                             {"actionType", num(v.action)}});
        }
        out += " ]";
    }
    return out + " ]";
}

// The request form: 8 days of 12 [start, end, action] arrays.
inline std::string schedule_request(std::initializer_list<slot> set = {}) {
    std::string out = "[";
    for (int d = 0; d < 8; ++d) {
        out += d ? ",[" : "[";
        for (int s = 0; s < 12; ++s) {
            slot v = slot_at(set, d, s);
            out +=
                (s ? "," : "") + std::string("[\"") + v.start + "\",\"" + v.end + "\"," + num(v.action) + "]";
        }
        out += "]";
    }
    return out + "]";
}

// The stored schedule with the given slots (day flags 0).
inline week_schedule schedule_with(std::initializer_list<slot> set) {
    week_schedule w;
    std::memset(&w, 0, sizeof w);
    for (const slot& x : set) {
        sched_slot& s = w.days[x.day].slots[x.index];
        set_text(s.start_time, x.start);
        set_text(s.end_time, x.end);
        s.action_type = x.action;
    }
    return w;
}

// A stored schedule of a store keyed (channel, sub); zeros when none.
inline week_schedule stored_schedule(const char* store, int channel, int sub = 0) {
    week_schedule w;
    std::memset(&w, 0, sizeof w);
    tqdb_sched_read(TQDB_FILE, store, channel, sub, &w);
    return w;
}

// The schedule of a JSON reply member, as the texts and action types of
// each day's first slot ("start-end/action"), for comparisons.
inline std::string first_slots(json_object* sched) {
    std::string out;
    for (size_t d = 0; d < json_object_array_length(sched); ++d) {
        json_object* item = json_object_array_get_idx(json_object_array_get_idx(sched, d), 0);
        out += std::string(d ? " " : "") + req_str(item, "startTime") + "-" + req_str(item, "endTime") + "/" +
               std::to_string(req_int_or(item, "actionType", -1));
    }
    return out;
}

}  // namespace evforms
