// The events module's test cases: the exchange harness (a fresh root, the
// fake core, expected messages in send order) with the stored records of
// motion and video loss, each field set so that a page that loses one shows.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "platform/tqdb/rec_action.h"
#include "platform/tqdb/rec_event.h"
#include "tests/harness/event_forms.h"
#include "tests/harness/store_case.h"

namespace evtest {

using namespace xcase;
using namespace evforms;

// The log entry of a changed event setting (3485).
inline msg event_log(int32_t parameter, int32_t chan_no) { return {3485, oplog(204, parameter, chan_no)}; }

// The masked log entry (3509): the record of sub type 204 (channel number
// chan_no, 0 for none) followed by the mask.
inline msg masked_log(int32_t parameter, uint64_t mask, int32_t chan_no = 0) {
    bytes b = record(680)
                  .i32(0, 4)
                  .i64(8, 204)
                  .i32(24, parameter)
                  .i32(28, 1)
                  .i32(32, chan_no)
                  .text(36, "127.0.0.1");
    std::memcpy(b.data() + 672, &mask, 8);
    return {3509, b};
}

class EventTest : public store_case {
protected:
    motion_record motion(int chn) {
        motion_record rec;
        EXPECT_EQ(load_motion(TQDB_FILE, &rec, chn), 0) << "channel " << chn;
        return rec;
    }
    video_lost_record video_loss(int chn) {
        video_lost_record rec;
        EXPECT_EQ(load_video_lost(TQDB_FILE, &rec, chn), 0) << "channel " << chn;
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

}  // namespace evtest
