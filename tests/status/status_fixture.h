// The status pages' fixture: the exchange fixture with the answers the pages
// render and the channel records they merge in.
#pragma once

#include "platform/msg_status.h"
#include "platform/tqdb/rec_alarm.h"
#include "platform/tqdb/rec_camera.h"
#include "tests/harness/exchange_case.h"

#include <cstdio>
#include <initializer_list>
#include <string>

class StatusFixture : public xcase::exchange_case {
public:
    // The core answers request_id with these records back to back.
    template <typename Rec>
    void answer_records(int32_t request_id, std::initializer_list<Rec> recs) {
        coresim::bytes payload;
        for (const Rec& r : recs) {
            coresim::bytes one = bytes_of(r);
            payload.insert(payload.end(), one.begin(), one.end());
        }
        answer(request_id, payload);
    }
    void set_camera(int chn, const char* ip, int enable) {
        camera_record cam;
        ASSERT_EQ(load_camera(TQDB_FILE, &cam, chn), 0);
        std::snprintf(cam.ip_addr, sizeof cam.ip_addr, "%s", ip);
        cam.enable = enable;
        ASSERT_EQ(write_camera(TQDB_FILE, &cam), 0);
    }
    void set_osd_name(int chn, const char* name) {
        osd_record osd;
        ASSERT_EQ(load_osd(TQDB_FILE, &osd, chn), 0);
        std::snprintf(osd.cam_name, sizeof osd.cam_name, "%s", name);
        ASSERT_EQ(write_osd(TQDB_FILE, &osd), 0);
    }
};

template <size_t N>
void set_text(char (&field)[N], const char* text) {
    std::memset(field, 0, N);
    std::memcpy(field, text, std::min(std::strlen(text), N));
}
