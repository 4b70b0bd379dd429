// The playback tests' fixture: the shared exchange case, requests with a
// time zone, and the records of the playback messages built from offsets
// (independently of the module's own structs).
#pragma once

#include "tests/harness/exchange_case.h"

#include <map>
#include <string>
#include <vector>

namespace pbtest {

using xcase::any_payload;
using xcase::bytes;
using xcase::msg;
using xcase::record;

// Several records in one payload.
inline bytes concat(std::initializer_list<bytes> parts) {
    bytes out;
    for (const bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
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

// The operation-log entry of the module: sub type, parameter type 900, the
// channel number.
inline void expect_log(const coresim::request& m, int64_t sub, int32_t channel, int line) {
    ASSERT_EQ(m.id, 3485) << "row at line " << line;
    ASSERT_EQ(m.payload.size(), 672u) << "row at line " << line;
    int64_t got_sub = 0;
    std::memcpy(&got_sub, m.payload.data() + oplog_sub_type, 8);
    EXPECT_EQ(got_sub, sub) << "row at line " << line;
    EXPECT_EQ(int_at(m.payload, oplog_parameter), 900) << "row at line " << line;
    EXPECT_EQ(int_at(m.payload, oplog_channel), channel) << "row at line " << line;
}

class Playback : public xcase::exchange_case {
protected:
    using exchange_case::post;
    cgi_result post(const std::string& code, const std::string& body, std::map<std::string, std::string> env) {
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
inline std::string failed_reply() { return xcase::json_failure(); }

}  // namespace pbtest
