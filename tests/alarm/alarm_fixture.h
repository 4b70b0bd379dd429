// The alarm pages' fixture: a fresh root with the fake core, the stored
// contacts, and the messages the pages send.
#pragma once

#include "platform/msg_alarm.h"
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
