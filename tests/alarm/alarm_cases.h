// The alarm pages' test cases: the exchange harness with the stored
// contacts, and the log entries the pages send.
#pragma once

#include <cstring>
#include <string>

#include "platform/tqdb/rec_action.h"
#include "platform/tqdb/rec_alarm.h"
#include "tests/harness/event_forms.h"
#include "tests/harness/store_case.h"

namespace altest {

using namespace xcase;
using namespace evforms;

// The operation-log entry of a changed contact (3485): sub type 204,
// parameter type 910 (inputs) or 911 (outputs), channel number id + 1.
inline msg contact_log(int32_t parameter, int32_t id) { return {3485, oplog(204, parameter, id + 1)}; }

class AlarmFixture : public store_case {
public:
    alarm_in_record input(int id) {
        alarm_in_record rec;
        EXPECT_EQ(load_alarm_in(TQDB_FILE, &rec, id), 0) << "input " << id;
        return rec;
    }
    alarm_out_record output(int id) {
        alarm_out_record rec;
        EXPECT_EQ(load_alarm_out(TQDB_FILE, &rec, id), 0) << "output " << id;
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

}  // namespace altest
