// The smart analytics tests' cases: the action records of (channel, event)
// seeded with every field set, so that a page that loses one shows.
#pragma once

#include <cstring>
#include <string>

#include "platform/tqdb/rec_vca.h"
#include "tests/event/event_cases.h"

namespace evtest {

class VcaTest : public EventTest {
protected:
    static event_action_record action(int chn, int event) {
        return read_back<event_action_record>(tqdb_tbl_smart_event[event], chn);
    }

    // A stored action record with every field set (pads included).
    static event_action_record seed_action(int chn, int event) {
        event_action_record a;
        std::memset(&a, 0x5A, sizeof a);
        a.chnid = chn;
        a.enable = 2;  // neither of the values a page sets
        a.tri_channels_mask = 0x5;
        set_text(a.tri_channels, "101");
        a.tri_alarms = 2;
        a.interval = 20;
        a.email_interval = 40;
        set_text(a.tri_chn_alarms[0], "01");
        set_text(a.tri_chn_alarms[1], "001");
        a.reserved = 3;
        a.ptz_interval = 31;
        a.alarmout_interval = 32;
        a.white_interval = 33;
        a.email_pic_enable = 1;
        set_text(a.tri_channels_pic, "11");
        a.audio_id = 6;
        EXPECT_EQ(write_smart_event(TQDB_FILE, &a, event), 0);
        return a;
    }
};

}  // namespace evtest
