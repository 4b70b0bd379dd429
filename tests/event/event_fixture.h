// Shared pieces of the events module's tests: a fresh root with a fake core
// daemon, the messages it received in send order, byte builders, and the
// JSON texts of schedules as json-c writes them.
#pragma once

#include "platform/tqdb/rec_action.h"
#include "platform/tqdb/rec_event.h"
#include "platform/tqdb/tqdb.h"
#include "tests/harness/cgi_harness.h"
#include "tests/harness/core_case.h"
#include "tools/coresim/coresim.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace evtest {

using coresim::bytes;

inline void put_int(bytes& b, size_t at, int32_t v) { std::memcpy(b.data() + at, &v, 4); }
inline void put_text(bytes& b, size_t at, const std::string& s) {
    std::memcpy(b.data() + at, s.data(), s.size());
}

inline bytes ints(std::initializer_list<int32_t> values) {
    bytes b;
    for (int32_t v : values) {
        uint8_t raw[4];
        std::memcpy(raw, &v, 4);
        b.insert(b.end(), raw, raw + 4);
    }
    return b;
}

inline bytes u64(uint64_t v) {
    bytes b(8);
    std::memcpy(b.data(), &v, 8);
    return b;
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

// A slot of a schedule reply and of a schedule request.
struct slot {
    int day;
    int index;
    std::string start, end;
    int action;
};

// The reply form of a schedule: 8 days of 12 slot objects, empty but for
// the given slots.
inline std::string schedule_json(std::initializer_list<slot> set = {}) {
    std::string out = "[ ";
    for (int d = 0; d < 8; ++d) {
        out += d ? ", [ " : "[ ";
        for (int s = 0; s < 12; ++s) {
            slot v{d, s, "", "", 0};
            for (const slot& x : set)
                if (x.day == d && x.index == s) v = x;
            std::string item = spaced({{"startTime", jstr(v.start)},
                                       {"endTime", jstr(v.end)},
                                       {"actionType", num(v.action)}});
            out += (s ? ", " : "") + item;
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
            slot v{d, s, "", "", 0};
            for (const slot& x : set)
                if (x.day == d && x.index == s) v = x;
            out += (s ? "," : "") + std::string("[\"") + v.start + "\",\"" + v.end + "\"," + num(v.action) + "]";
        }
        out += "]";
    }
    return out + "]";
}

// A text of 64 '0' with '1' at the given positions.
inline std::string channel_text(std::initializer_list<int> ones, size_t len = 64) {
    std::string s(len, '0');
    for (int p : ones) s[p] = '1';
    return s;
}

template <typename T>
bool same_bytes(const T& a, const T& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

template <size_t N>
void set_text(char (&field)[N], const std::string& text) {
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), std::min(text.size(), N - 1));
}

class EventTest : public core_case {
protected:
    // The messages the core received in send order (core_case::sent); the
    // journal is then cleared for the next case.
    std::vector<coresim::request> sent(size_t expected) {
        auto msgs = core_case::sent(expected);
        core.clear_journal();
        return msgs;
    }

    static std::vector<int32_t> ids(const std::vector<coresim::request>& msgs) {
        std::vector<int32_t> out;
        for (const auto& m : msgs) out.push_back(m.id);
        return out;
    }

    motion_record motion(int chn) {
        motion_record rec;
        std::memset(&rec, 0, sizeof rec);
        EXPECT_EQ(read_motion(TQDB_FILE, &rec, chn), 0) << "channel " << chn;
        return rec;
    }
    video_lost_record video_loss(int chn) {
        video_lost_record rec;
        std::memset(&rec, 0, sizeof rec);
        EXPECT_EQ(read_video_lost(TQDB_FILE, &rec, chn), 0) << "channel " << chn;
        return rec;
    }

    // A stored motion record with every field set (pads included).
    motion_record seed_motion(int chn) {
        motion_record m;
        std::memset(&m, 0x5A, sizeof m);
        m.chnid = chn;
        m.enable = 1;
        m.sensitivity = 4;
        m.tri_channels_mask = 0x6;
        m.tri_alarms = 3;
        set_text(m.motion_table, "stored-grid");
        m.interval = 30;
        m.enable_ms = 0;
        set_text(m.tri_channels, "0110");
        m.email_enable = 1;
        m.email_interval = 60;
        set_text(m.tri_chn_alarms[0], "1000");
        set_text(m.tri_chn_alarms[1], "0100");
        m.reserved = 77;
        m.ptz_interval = 11;
        m.alarmout_interval = 12;
        m.white_interval = 13;
        m.email_pic_enable = 1;
        set_text(m.tri_channels_pic, "0011");
        m.audio_id = 5;
        EXPECT_EQ(write_motion(TQDB_FILE, &m), 0);
        return m;
    }

    video_lost_record seed_video_loss(int chn) {
        video_lost_record v;
        std::memset(&v, 0x5A, sizeof v);
        v.cam_id = chn;
        v.enable = 1;
        v.tri_alarms = 6;
        v.interval = 25;
        v.reserved0 = 0;
        v.email_interval = 45;
        set_text(v.tri_chn_alarms[0], "01");
        set_text(v.tri_chn_alarms[1], "10");
        v.reserved1 = 9;
        v.ptz_interval = 21;
        v.alarmout_interval = 22;
        v.white_interval = 23;
        v.audio_id = 2;
        EXPECT_EQ(write_video_lost(TQDB_FILE, &v), 0);
        return v;
    }
};

// The log entry of a changed setting (3485): main type 4, sub type 204.
inline void expect_oplog(const coresim::request& m, int32_t parameter, int32_t chan_no) {
    ASSERT_EQ(m.id, 3485);
    ASSERT_EQ(m.payload.size(), 672u);
    EXPECT_EQ(int_at(m.payload, 0), 4);
    int64_t sub = 0;
    std::memcpy(&sub, m.payload.data() + 8, 8);
    EXPECT_EQ(sub, 204);
    EXPECT_EQ(int_at(m.payload, 24), parameter);
    EXPECT_EQ(int_at(m.payload, 28), 1);
    EXPECT_EQ(int_at(m.payload, 32), chan_no);
}

}  // namespace evtest
