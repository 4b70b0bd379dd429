// The fake core's fallback answer: consulted after the script's rules and
// before the default replies, for checks that answer every message.
#include "platform/tqstd.h"
#include "tests/harness/cgi_harness.h"
#include "tools/coresim/coresim.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <mutex>

namespace {

struct reply_log {
    std::mutex mu;
    std::condition_variable cv;
    std::vector<std::pair<int32_t, coresim::bytes>> got;
};
reply_log* log_ptr = nullptr;

void collect(void*, const void* header, const void* payload) {
    int32_t id = 0;
    uint32_t size = 0;
    std::memcpy(&id, static_cast<const char*>(header) + 12, 4);
    std::memcpy(&size, static_cast<const char*>(header) + 20, 4);
    const auto* p = static_cast<const uint8_t*>(payload);
    std::lock_guard<std::mutex> lock(log_ptr->mu);
    log_ptr->got.emplace_back(id, p ? coresim::bytes(p, p + size) : coresim::bytes{});
    log_ptr->cv.notify_all();
}

coresim::bytes int_bytes(int32_t v) {
    coresim::bytes b(4);
    std::memcpy(b.data(), &v, 4);
    return b;
}

TEST(CoresimFallback, RulesComeFirstThenTheFallbackThenTheDefaults) {
    test_root root;
    coresim_server core;
    ASSERT_TRUE(core.start(root.path()));
    ASSERT_TRUE(core.set_script(R"([{"id": 1601, "reply": {"fields": [{"at": 0, "int32": 77}]}}])"));
    core.set_fallback([](const coresim::request& req, std::vector<coresim::out_msg>& out) {
        if (req.id < 1600 || req.id > 1699) return false;  // left to the defaults
        if (req.id == 1650) return true;                    // answered with nothing
        out.push_back({req.id + 5000, int_bytes(req.id)});
        return true;
    });
    // A message with a default answer, if any module registered one.
    int32_t default_id = 0;
    size_t default_size = 0;
    size_t default_request = 0;
    for (const coresim::default_reply& row : coresim::default_rows())
        if (row.reply_size > 0 && !row.build && (row.request_id < 1600 || row.request_id > 1699)) {
            default_id = row.request_id;
            default_size = static_cast<size_t>(row.reply_size) * row.count;
            default_request = static_cast<size_t>(std::max(0, row.request_size));
            break;
        }

    reply_log replies;
    log_ptr = &replies;
    ASSERT_EQ(tq_sock_init(collect, 0, 3, "/var/run/tqsocket"), 0);
    struct sent {
        int32_t id;
        int32_t reply_id;  // 0: no answer
        coresim::bytes payload;
    };
    std::vector<sent> table = {
        {1601, 6601, int_bytes(77)},    // the rule
        {1602, 6602, int_bytes(1602)},  // the fallback
        {1650, 0, {}},                  // the fallback's empty answer
        {1699, 6699, int_bytes(1699)},
    };
    if (default_id) table.push_back({default_id, 0, {}});
    size_t expected = 0;
    for (const sent& s : table) {
        coresim::bytes req(s.id == default_id ? default_request : 4);
        ASSERT_EQ(tq_sock_send_msg(1, s.id, req.empty() ? nullptr : req.data(),
                                   static_cast<int>(req.size()), 0, 0), 0);
        if (s.reply_id || s.id == default_id) ++expected;
    }
    {
        std::unique_lock<std::mutex> lock(replies.mu);
        ASSERT_TRUE(replies.cv.wait_for(lock, std::chrono::seconds(10),
                                        [&] { return replies.got.size() >= expected; }));
    }
    tq_sock_uninit();
    size_t at = 0;
    for (const sent& s : table) {
        SCOPED_TRACE(s.id);
        if (s.id == default_id) {
            ASSERT_LT(at, replies.got.size());
            EXPECT_EQ(replies.got[at].second.size(), default_size);
            ++at;
        } else if (s.reply_id) {
            ASSERT_LT(at, replies.got.size());
            EXPECT_EQ(replies.got[at].first, s.reply_id);
            EXPECT_EQ(replies.got[at].second, s.payload);
            ++at;
        }
    }
    EXPECT_EQ(replies.got.size(), expected);

    // Removed, the defaults answer again: 1602 has no default row.
    core.set_fallback(nullptr);
    replies.got.clear();
    ASSERT_EQ(tq_sock_init(collect, 0, 3, "/var/run/tqsocket"), 0);
    int32_t v = 1;
    ASSERT_EQ(tq_sock_send_msg(1, 1602, &v, 4, 0, 0), 0);
    ASSERT_EQ(tq_sock_send_msg(1, 1601, &v, 4, 0, 0), 0);
    {
        std::unique_lock<std::mutex> lock(replies.mu);
        ASSERT_TRUE(replies.cv.wait_for(lock, std::chrono::seconds(10),
                                        [&] { return !replies.got.empty(); }));
    }
    tq_sock_uninit();
    ASSERT_EQ(replies.got.size(), 1u);
    EXPECT_EQ(replies.got[0].first, 6601);
    core.stop();
    log_ptr = nullptr;
}

}  // namespace
