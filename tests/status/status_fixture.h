// The status pages' fixture: a fresh root with the fake core, and the
// answers the pages render.
#pragma once

#include "platform/msg_status.h"
#include "platform/tqdb/rec_alarm.h"
#include "platform/tqdb/rec_camera.h"
#include "tests/harness/core_case.h"

#include <cstdio>
#include <initializer_list>
#include <string>

class StatusFixture : public core_case {
public:
    // The core answers request_id with these records back to back.
    template <typename Rec>
    void answer(int32_t request_id, std::initializer_list<Rec> recs) {
        coresim::bytes payload;
        for (const Rec& r : recs) {
            coresim::bytes one = bytes_of(r);
            payload.insert(payload.end(), one.begin(), one.end());
        }
        core.add_reply(request_id, 0, payload);
    }
    void set_camera(int chn, const char* ip, int enable) {
        camera_record cam;
        std::memset(&cam, 0, sizeof cam);
        ASSERT_EQ(read_camera(TQDB_FILE, &cam, chn), 0);
        std::snprintf(cam.ip_addr, sizeof cam.ip_addr, "%s", ip);
        cam.enable = enable;
        ASSERT_EQ(write_camera(TQDB_FILE, &cam), 0);
    }
    void set_osd_name(int chn, const char* name) {
        osd_record osd;
        std::memset(&osd, 0, sizeof osd);
        ASSERT_EQ(read_osd(TQDB_FILE, &osd, chn), 0);
        std::snprintf(osd.cam_name, sizeof osd.cam_name, "%s", name);
        ASSERT_EQ(write_osd(TQDB_FILE, &osd), 0);
    }
};

template <size_t N>
void set_text(char (&field)[N], const char* text) {
    std::memset(field, 0, N);
    std::memcpy(field, text, std::min(std::strlen(text), N));
}

// The JSON error reply of a page whose answer did not come.
inline std::string cgi_error_json() { return json_reply("{status:\"CGI ERROR\"}"); }
