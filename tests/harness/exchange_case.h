// A fixture for requests that talk to the core daemon: a fresh root, the
// in-process fake core, webreq run as a CGI process, and byte-level helpers
// that build the expected message payloads from offsets (independently of
// the modules' own record structs).
#pragma once

#include "tests/harness/cgi_harness.h"
#include "tools/coresim/coresim.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace xcase {

using coresim::bytes;

// A record of a fixed size, filled by offset.
class record {
public:
    explicit record(size_t size) : data_(size, 0) {}
    record& i32(size_t at, int32_t v) {
        std::memcpy(data_.data() + at, &v, 4);
        return *this;
    }
    record& i64(size_t at, int64_t v) {
        std::memcpy(data_.data() + at, &v, 8);
        return *this;
    }
    // The text without its terminator (the rest of the field stays zero).
    record& text(size_t at, const std::string& s) {
        std::memcpy(data_.data() + at, s.data(), s.size());
        return *this;
    }
    const bytes& data() const { return data_; }
    operator bytes() const { return data_; }

private:
    bytes data_;
};

inline int32_t int_at(const bytes& payload, size_t at) {
    int32_t v = 0;
    if (payload.size() >= at + 4) std::memcpy(&v, payload.data() + at, 4);
    return v;
}

inline bytes ints(std::initializer_list<int32_t> values) {
    bytes b;
    for (int32_t v : values) {
        uint8_t raw[4];
        std::memcpy(raw, &v, 4);
        b.insert(b.end(), raw, raw + 4);
    }
    return b;
}

// The operation-log record (672 bytes) a request sends: main type 4, the
// sub type, the parameter, remote 1, the channel number and the client.
inline bytes oplog(int64_t sub_type, int32_t parameter, int32_t chan_no) {
    return record(672).i32(0, 4).i64(8, sub_type).i32(24, parameter).i32(28, 1).i32(32, chan_no).text(36, "127.0.0.1");
}

// An expected message: identifier and payload (not compared when
// check_payload is false).
struct msg {
    int32_t id;
    bytes payload;
    bool check_payload = true;
};
inline msg any_payload(int32_t id) { return {id, {}, false}; }

// A text as json-c writes it inside a string ('/' escaped as "\/").
inline std::string json_text(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == '/') out += '\\';
        out += c;
    }
    return out;
}

inline std::string json_failure() { return json_reply("{status:\"CGI ERROR\"}"); }
inline std::string text_failure() { return text_reply("CGI ERROR"); }

class exchange_case : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(core.start(root.path())); }
    void TearDown() override { core.stop(); }

    cgi_result post(const std::string& code, const std::string& body) {
        cgi_request req;
        req.method = "POST";
        req.path_info = code;
        req.content_type = "application/json";
        req.body = body;
        return run_webreq(root, req);
    }

    // Starts the next row of a table: earlier links closed, no script, an
    // empty journal.
    void fresh_case() {
        core.wait_for_closed(core.connections(), 5000);
        core.clear_rules();
        core.clear_journal();
    }

    // The messages received, in the order webreq sent them: each link is a
    // connection of its own, numbered in the order it was opened, and each
    // is served by a thread of its own. Waits until expected messages came
    // and every link closed.
    std::vector<coresim::request> sent(size_t expected = 0) {
        if (expected) core.wait_for(expected, 5000);
        core.wait_for_closed(core.connections(), 5000);
        std::vector<coresim::request> all = core.journal();
        std::stable_sort(all.begin(), all.end(),
                         [](const coresim::request& a, const coresim::request& b) { return a.conn < b.conn; });
        return all;
    }

    static std::string ids_text(const std::vector<coresim::request>& msgs) {
        std::string s;
        for (const auto& m : msgs) s += std::to_string(m.id) + " ";
        return s;
    }

    // Checks the messages against want, in order.
    void expect_sent(const std::vector<msg>& want, int line) {
        auto got = sent(want.size());
        ASSERT_EQ(got.size(), want.size()) << "row at line " << line << ": " << ids_text(got);
        for (size_t i = 0; i < want.size(); ++i) {
            EXPECT_EQ(got[i].id, want[i].id) << "row at line " << line << ", message " << i;
            if (want[i].check_payload) {
                EXPECT_EQ(got[i].payload, want[i].payload)
                    << "row at line " << line << ", message " << i << " (" << want[i].id << ")";
            }
        }
    }

    // The core answers every request_id with payload (reply_id 0: + 5000).
    void answer(int32_t request_id, const bytes& payload, int32_t reply_id = 0) {
        core.add_reply(request_id, reply_id, payload);
    }
    void answer_nothing(int32_t request_id) {
        coresim::rule r;
        r.id = request_id;
        coresim::reply_spec spec;
        spec.mode = coresim::fault::no_answer;
        r.replies.push_back(spec);
        core.add_rule(r);
    }

    test_root root;
    coresim_server core;
};

}  // namespace xcase
