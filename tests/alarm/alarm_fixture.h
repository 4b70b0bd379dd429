// The alarm pages' fixture: a fresh root with the fake core, the stored
// contacts, and the messages the pages send.
#pragma once

#include "platform/msg_alarm.h"
#include "platform/tqdb/rec_action.h"
#include "platform/tqdb/rec_alarm.h"
#include "tests/harness/core_case.h"

#include <algorithm>
#include <cstring>
#include <string>

template <size_t N>
void set_text(char (&field)[N], const char* text) {
    std::memset(field, 0, N);
    std::memcpy(field, text, std::min(std::strlen(text), N));
}

class AlarmFixture : public core_case {
public:
    alarm_in_record input(int id) {
        alarm_in_record rec;
        std::memset(&rec, 0, sizeof rec);
        EXPECT_EQ(read_alarm_in(TQDB_FILE, &rec, id), 0) << "input " << id;
        return rec;
    }
    alarm_out_record output(int id) {
        alarm_out_record rec;
        std::memset(&rec, 0, sizeof rec);
        EXPECT_EQ(read_alarm_out(TQDB_FILE, &rec, id), 0) << "output " << id;
        return rec;
    }
    // An input whose every field is set, so that a page that loses a field shows it.
    alarm_in_record stored_input(int id) {
        alarm_in_record rec;
        std::memset(&rec, 0, sizeof rec);
        rec.id = id;
        rec.enable = 1;
        set_text(rec.name, "Door");
        rec.type = 1;
        set_text(rec.tri_channels, "0110");
        rec.tri_channels_mask = 6;
        rec.tri_alarms = 5;
        rec.interval = 30;
        set_text(rec.tri_snapshot, "1");
        set_text(rec.tri_chn_alarms[0], "01");
        set_text(rec.tri_chn_alarms[1], "001");
        rec.email_mode = 2;
        rec.email_interval = 60;
        rec.ptz_interval = 7;
        rec.alarmout_interval = 8;
        rec.white_interval = 9;
        rec.email_pic_enable = 1;
        set_text(rec.tri_channels_pic, "11");
        rec.audio_id = 3;
        EXPECT_EQ(write_alarm_in(TQDB_FILE, &rec), 0);
        return rec;
    }
};

// The operation-log entry of a changed contact.
inline void expect_contact_log(const coresim::request& msg, int parameter_type, int chan_no, int line) {
    EXPECT_EQ(msg.id, 3485) << "row at line " << line;
    oplog_record rec = oplog_of(msg);
    EXPECT_EQ(rec.main_type, 4) << "row at line " << line;
    EXPECT_EQ(rec.sub_type, 204) << "row at line " << line;
    EXPECT_EQ(rec.parameter_type, parameter_type) << "row at line " << line;
    EXPECT_EQ(rec.chan_no, chan_no) << "row at line " << line;
    EXPECT_EQ(rec.remote, 1) << "row at line " << line;
}

inline bool same_bytes(const alarm_in_record& a, const alarm_in_record& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// ---- schedules -----------------------------------------------------------------

// A slot set in a schedule: day, slot index, texts and action type.
struct sched_slot_set {
    int day, index;
    std::string start, end;
    int action;
};

// The request form: [8 days][12 slots] of [start, end, action], empty but
// for the given slots.
inline std::string schedule_request(std::initializer_list<sched_slot_set> set) {
    std::string out = "[";
    for (int d = 0; d < 8; ++d) {
        out += d ? ",[" : "[";
        for (int s = 0; s < 12; ++s) {
            sched_slot_set v{d, s, "", "", 0};
            for (const auto& x : set)
                if (x.day == d && x.index == s) v = x;
            out += (s ? ",[\"" : "[\"") + v.start + "\",\"" + v.end + "\"," + std::to_string(v.action) + "]";
        }
        out += "]";
    }
    return out + "]";
}

// The stored schedule with the given slots (day flags 0).
inline week_schedule schedule_with(std::initializer_list<sched_slot_set> set) {
    week_schedule w;
    std::memset(&w, 0, sizeof w);
    for (const auto& x : set) {
        sched_slot& slot = w.days[x.day].slots[x.index];
        set_text(slot.start_time, x.start.c_str());
        set_text(slot.end_time, x.end.c_str());
        slot.action_type = x.action;
    }
    return w;
}

inline bool same_schedule(const week_schedule& a, const week_schedule& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
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
        json_object* slot = json_object_array_get_idx(json_object_array_get_idx(sched, d), 0);
        out += std::string(d ? " " : "") + req_str(slot, "startTime") + "-" + req_str(slot, "endTime") + "/" +
               std::to_string(req_int_or(slot, "actionType", -1));
    }
    return out;
}

inline coresim::bytes mask_bytes(uint64_t mask) {
    coresim::bytes b(8);
    std::memcpy(b.data(), &mask, 8);
    return b;
}
