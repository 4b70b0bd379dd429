// Shared fixture of the recording-schedule tests: the core-talking fixture
// with the module's message records and a reader for 64-bit channel masks.
#pragma once

#include "modules/schedule/schedule_msgs.h"
#include "tests/harness/core_case.h"

class ScheduleTest : public core_case {
protected:
    // A mask message: two 32-bit words, low word first.
    static uint64_t mask_of(const coresim::bytes& payload) {
        uint64_t low = static_cast<uint32_t>(int_at(payload, 0));
        uint64_t high = static_cast<uint32_t>(int_at(payload, 4));
        return low | high << 32;
    }
    cgi_result post(const std::string& code, const std::string& body) {
        return cgi_post_json(root, code, body);
    }
};
