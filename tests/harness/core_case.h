// A test fixture for requests that talk to the core: a fresh root with the
// in-process fake core, and helpers that script its answers and read the
// messages it received.
#pragma once

#include "front/json_req.h"
#include "platform/oplog_record.h"
#include "platform/tqdb/tqdb.h"
#include "tests/harness/cgi_harness.h"
#include "tools/coresim/coresim.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

class core_case : public ::testing::Test {
public:
    void SetUp() override { ASSERT_TRUE(core.start(root.path())); }
    void TearDown() override { core.stop(); }

    // Starts a case: the previous requests' links have closed, nothing is
    // journaled, no script.
    void fresh_case() {
        core.wait_idle(5000);
        core.clear_journal();
        core.clear_rules();
    }
    // The messages received, once at least count have arrived, in the order
    // they were sent: each link is served by a thread of its own, so the
    // journal may list a later link's message first; links are numbered in
    // the order they were opened.
    std::vector<coresim::request> sent(size_t count = 0) {
        core.wait_for(count, 5000);
        core.wait_idle(5000);
        std::vector<coresim::request> msgs = core.journal();
        std::stable_sort(msgs.begin(), msgs.end(),
                         [](const coresim::request& a, const coresim::request& b) { return a.conn < b.conn; });
        return msgs;
    }
    // The core answers request_id with one int32 result.
    void answer_int(int32_t request_id, int32_t value) {
        coresim::bytes payload(4);
        std::memcpy(payload.data(), &value, 4);
        core.add_reply(request_id, 0, payload);
    }
    void answer_nothing(int32_t request_id) {
        coresim::rule r;
        r.id = request_id;
        coresim::reply_plan plan;
        plan.mode = coresim::fault::no_answer;
        r.replies.push_back(plan);
        core.add_rule(r);
    }

    test_root root;
    coresim_server core;
};

inline int32_t int_at(const coresim::bytes& payload, size_t at) {
    int32_t v = 0;
    if (payload.size() >= at + 4) std::memcpy(&v, payload.data() + at, 4);
    return v;
}

// A text in a fixed field of width bytes, NUL-padded.
inline coresim::bytes padded(const std::string& text, size_t width) {
    coresim::bytes b(width, 0);
    std::memcpy(b.data(), text.data(), text.size() < width ? text.size() : width);
    return b;
}

inline oplog_record oplog_of(const coresim::request& msg) {
    oplog_record rec;
    std::memset(&rec, 0, sizeof rec);
    if (msg.payload.size() == sizeof rec) std::memcpy(&rec, msg.payload.data(), sizeof rec);
    return rec;
}

inline std::vector<int32_t> ids_of(const std::vector<coresim::request>& msgs) {
    std::vector<int32_t> ids;
    for (const auto& m : msgs) ids.push_back(m.id);
    return ids;
}

// The stored record of key (zeros with the key set when none is stored), as
// the requests so far left it: the one read-back of every test.
template <typename Rec>
Rec read_back(const tqdb_table& table, int64_t key = 0) {
    Rec rec;
    tqdb_load(TQDB_FILE, table, &rec, key);
    return rec;
}

// The reply body parsed as a JSON object (null when it is not one).
inline json_ref json_body(const cgi_result& res) {
    const std::string header = "Content-type: application/json\r\n\r\n";
    if (res.out.compare(0, header.size(), header) != 0) return nullptr;
    return json_parse_object(res.out.c_str() + header.size());
}

// The bytes of a record.
template <typename T>
coresim::bytes bytes_of(const T& value) {
    const auto* p = reinterpret_cast<const uint8_t*>(&value);
    return coresim::bytes(p, p + sizeof value);
}

inline coresim::bytes int_bytes(std::initializer_list<int32_t> values) {
    coresim::bytes b;
    for (int32_t v : values) {
        const auto* p = reinterpret_cast<const uint8_t*>(&v);
        b.insert(b.end(), p, p + 4);
    }
    return b;
}
