// Shared fixture of the playback tests: a fresh root, the in-process fake
// core, webreq run as a CGI process, and byte-level helpers for the records
// that cross the core socket (built from offsets, independently of the
// module's own record structs).
#pragma once

#include "tests/harness/cgi_harness.h"
#include "tools/coresim/coresim.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace pbtest {

using coresim::bytes;

// A record of a fixed size, filled by offset.
class record {
public:
    explicit record(size_t size) : data_(size, 0) {}
    record& i32(size_t at, int32_t v) {
        std::memcpy(data_.data() + at, &v, 4);
        return *this;
    }
    // Copies the text without its terminator (the rest stays zero).
    record& text(size_t at, const std::string& s) {
        std::memcpy(data_.data() + at, s.data(), s.size());
        return *this;
    }
    record& fill(size_t at, size_t len, char c) {
        std::memset(data_.data() + at, c, len);
        return *this;
    }
    const bytes& data() const { return data_; }
    operator bytes() const { return data_; }

private:
    bytes data_;
};

// Several records in one payload.
inline bytes concat(std::initializer_list<bytes> parts) {
    bytes out;
    for (const bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

inline int32_t int_at(const bytes& payload, size_t at) {
    int32_t v = 0;
    if (payload.size() >= at + 4) std::memcpy(&v, payload.data() + at, 4);
    return v;
}

// The text of a NUL-padded field.
inline std::string text_at(const bytes& payload, size_t at, size_t width) {
    if (payload.size() < at + width) return "<short>";
    const char* p = reinterpret_cast<const char*>(payload.data() + at);
    return std::string(p, strnlen(p, width));
}

inline bytes int_payload(int32_t v) { return record(4).i32(0, v); }

// The session list of 776 bytes: sid[64], reserved, speed[64], spare[64], num.
inline bytes session_list(std::vector<int32_t> sids, int32_t num, std::vector<int32_t> speeds = {}) {
    record r(776);
    for (size_t i = 0; i < sids.size(); ++i) r.i32(4 * i, sids[i]);
    for (size_t i = 0; i < speeds.size(); ++i) r.i32(260 + 4 * i, speeds[i]);
    r.i32(772, num);
    return r;
}

// Operation-log record fields.
constexpr size_t oplog_sub_type = 8;
constexpr size_t oplog_parameter = 24;
constexpr size_t oplog_channel = 32;
constexpr size_t oplog_detail_size = 148;
constexpr size_t oplog_detail = 152;

// A message as the test expects it: identifier and payload (the payload is
// not compared when check_payload is false).
struct msg {
    int32_t id;
    bytes payload;
    bool check_payload = true;
};
inline msg any_payload(int32_t id) { return {id, {}, false}; }

class Playback : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(core.start(root.path())); }
    void TearDown() override { core.stop(); }

    cgi_result post(const std::string& code, const std::string& body,
                    std::map<std::string, std::string> env = {}) {
        cgi_request req;
        req.method = "POST";
        req.path_info = code;
        req.content_type = "application/json";
        req.body = body;
        req.env = std::move(env);
        return run_webreq(root, req);
    }
    // A bare-number request text arrives as the query string of a GET.
    cgi_result get(const std::string& code, const std::string& query,
                   std::map<std::string, std::string> env = {}) {
        cgi_request req;
        req.path_info = code;
        req.query = query;
        req.env = std::move(env);
        return run_webreq(root, req);
    }

    // The messages received, in the order webreq sent them: each link is a
    // connection of its own and connections are numbered in the order they
    // were made. Waits until at least expected messages arrived.
    std::vector<coresim::request> sent(size_t expected = 0) {
        if (expected) core.wait_for(expected, 5000);
        std::vector<coresim::request> all = core.journal();
        std::stable_sort(all.begin(), all.end(),
                         [](const coresim::request& a, const coresim::request& b) { return a.conn < b.conn; });
        return all;
    }
    std::vector<int32_t> sent_ids(size_t expected = 0) {
        std::vector<int32_t> ids;
        for (const auto& m : sent(expected)) ids.push_back(m.id);
        return ids;
    }
    // Checks the messages against the expected list, in order.
    void expect_sent(const std::vector<msg>& want, int line) {
        auto got = sent(want.size());
        ASSERT_EQ(got.size(), want.size()) << "row at line " << line << ": " << ids_text(got);
        for (size_t i = 0; i < want.size(); ++i) {
            EXPECT_EQ(got[i].id, want[i].id) << "row at line " << line << ", message " << i;
            if (want[i].check_payload) {
                EXPECT_EQ(got[i].payload, want[i].payload) << "row at line " << line << ", message " << i
                                                           << " (" << want[i].id << ")";
            }
        }
    }
    static std::string ids_text(const std::vector<coresim::request>& msgs) {
        std::string s;
        for (const auto& m : msgs) s += std::to_string(m.id) + "@" + std::to_string(m.conn) + " ";
        return s;
    }
    // Fresh script and journal for the next row of a table.
    void reset_core() {
        core.clear_rules();
        core.clear_journal();
    }

    test_root root;
    coresim_server core;
};

// A text as the JSON replies write it inside a string (json-c escapes the
// slash as "\/").
inline std::string json_text(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == '/') out += '\\';
        out += c;
    }
    return out;
}

// The module's failure reply.
inline std::string failed_reply() { return json_reply("{status:\"CGI ERROR\"}"); }

}  // namespace pbtest
