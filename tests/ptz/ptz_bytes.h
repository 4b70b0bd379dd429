// Expected PTZ message payloads, built from offsets.
#pragma once

#include "tests/harness/exchange_case.h"

namespace xcase {

struct ptz_cmd_fields {
    int32_t chn = 0, action = 0, preset = 0;
    int32_t pan = 0, tilt = 0, zoom = 0, focus = 0;
    std::string name;
    int32_t fisheye = 0, stream = 0;
};

// The 72-byte PTZ command of 1251, 1253 and 1254.
inline bytes ptz_cmd(const ptz_cmd_fields& f) {
    return record(72)
        .i32(0, f.chn)
        .i32(4, f.action)
        .i32(8, f.preset)
        .i32(12, f.pan)
        .i32(16, f.tilt)
        .i32(20, f.zoom)
        .i32(24, f.focus)
        .text(32, f.name)
        .i32(64, f.fisheye)
        .i32(68, f.stream);
}

// The 32-byte tour command of 1257, 1260 and 1261.
inline bytes tour_cmd(int32_t chn, int32_t tour, int32_t fisheye, int32_t stream) {
    return record(32).i32(0, chn).i32(4, tour).i32(24, fisheye).i32(28, stream);
}

// The camera web parameter 3226 of the PTZ settings page.
inline bytes ptz_param(int32_t chn, const std::string& key, const std::string& value) {
    return record(392).i32(0, chn).text(68, "vsetting.html").text(132, key).text(260, value);
}

// The operation-log entry of a PTZ request on channel chn.
inline msg ptz_log(int32_t parameter, int32_t chn) { return {3485, oplog(206, parameter, chn + 1)}; }

}  // namespace xcase
