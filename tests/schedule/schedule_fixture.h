// Shared fixture of the recording-schedule tests: a fresh root, the
// in-process fake core, and readers for the messages it received.
#pragma once

#include "front/json_req.h"
#include "modules/schedule/schedule_msgs.h"
#include "platform/oplog_record.h"
#include "platform/tqdb/tqdb.h"
#include "tests/harness/cgi_harness.h"
#include "tools/coresim/coresim.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

class ScheduleTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(core.start(root.path())); }
    void TearDown() override { core.stop(); }

    // The messages the core received; with expected > 0, once that many have
    // arrived (the daemon may read a closed link after webreq has ended).
    std::vector<coresim::request> sent(size_t expected = 0) const {
        if (expected) core.wait_for(expected);
        return core.journal();
    }

    static int32_t int_at(const coresim::bytes& payload, size_t at) {
        int32_t v = 0;
        if (payload.size() >= at + 4) std::memcpy(&v, payload.data() + at, 4);
        return v;
    }
    static uint64_t mask_of(const coresim::bytes& payload) {
        uint64_t low = static_cast<uint32_t>(int_at(payload, 0));
        uint64_t high = static_cast<uint32_t>(int_at(payload, 4));
        return low | high << 32;
    }
    // The operation-log record of a 3485 message.
    static oplog_record oplog_of(const coresim::request& msg) {
        oplog_record rec;
        std::memset(&rec, 0, sizeof rec);
        EXPECT_EQ(msg.id, 3485);
        EXPECT_EQ(msg.payload.size(), sizeof rec);
        if (msg.payload.size() == sizeof rec) std::memcpy(&rec, msg.payload.data(), sizeof rec);
        return rec;
    }
    template <typename T>
    static coresim::bytes bytes_of(const T& rec) {
        const auto* p = reinterpret_cast<const uint8_t*>(&rec);
        return coresim::bytes(p, p + sizeof rec);
    }

    // The JSON body of a reply (null when it holds none).
    static json_ref body_json(const cgi_result& res) {
        size_t at = res.out.find("\r\n\r\n");
        return json_parse_text(at == std::string::npos ? nullptr : res.out.c_str() + at + 4);
    }

    cgi_result post(const std::string& code, const std::string& body) {
        return cgi_post_json(root, code, body);
    }

    test_root root;
    coresim_server core;
};
