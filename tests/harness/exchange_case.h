// core_case with the pieces that table-driven exchange tests share: a JSON
// POST, expected messages compared in order with their bytes, payloads
// built by offset (independently of the modules' own record structs), the
// operation-log record, and the two failure replies.
#pragma once

#include "tests/harness/core_case.h"

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
    // len bytes of c (a field filled to its end, without a terminator).
    record& fill(size_t at, size_t len, char c) {
        std::memset(data_.data() + at, c, len);
        return *this;
    }
    const bytes& data() const { return data_; }
    operator bytes() const { return data_; }

private:
    bytes data_;
};

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

inline std::string json_failure() { return json_reply("{status:\"CGI ERROR\"}"); }
inline std::string text_failure() { return text_reply("CGI ERROR"); }

class exchange_case : public core_case {
protected:
    cgi_result post(const std::string& code, const std::string& body) {
        cgi_request req;
        req.method = "POST";
        req.path_info = code;
        req.content_type = "application/json";
        req.body = body;
        return run_webreq(root, req);
    }

    static std::string ids_text(const std::vector<coresim::request>& msgs) {
        std::string s;
        for (int32_t id : ids_of(msgs)) s += std::to_string(id) + " ";
        return s;
    }

    // Checks the messages against want, in the order they were sent.
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
};

}  // namespace xcase
