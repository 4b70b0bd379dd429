// The core link: retries, the wait table, the bounded wait that a reply ends,
// and the rule that a request gets exactly one HTTP reply.
#include "front/core_link.h"
#include "front/web_utils.h"
#include "tests/harness/cgi_harness.h"
#include "tools/coresim/coresim.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <future>
#include <string>
#include <thread>
#include <vector>

namespace {

// How the test module's reply writer behaves.
enum class writer { normal, result_only, fails, slow_claim, claim_then_slow, notice_after_done };

std::atomic<writer> writer_mode{writer::normal};
std::atomic<int> callbacks{0};
std::atomic<int> slow_ms{0};

void module_cb(void*, const void* header, const void* payload);

// The writer of 8206 (a 4-byte result), shaped like a module's writer.
void write_8206(int32_t result) {
    auto reply = [result] {
        cgi_reply(REPLY_TEXT, ("OK " + std::to_string(result)).c_str());
    };
    switch (writer_mode.load()) {
    case writer::normal:
        if (!core_reply_claim()) return;
        reply();
        core_reply_done(1);
        break;
    case writer::result_only:
        core_reply_done(result);
        break;
    case writer::fails:
        if (!core_reply_claim()) return;
        cgi_reply_error(REPLY_JSON);
        core_reply_done(0);
        break;
    case writer::slow_claim:
        std::this_thread::sleep_for(std::chrono::milliseconds(slow_ms.load()));
        if (!core_reply_claim()) return;
        reply();
        core_reply_done(1);
        break;
    case writer::claim_then_slow:
        if (!core_reply_claim()) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(slow_ms.load()));
        reply();
        core_reply_done(1);
        break;
    case writer::notice_after_done: {
        if (!core_reply_claim()) return;
        reply();
        core_reply_done(1);
        unsigned char rec[672] = {1};
        core_notify(module_cb, 3485, sizeof rec, rec);
        break;
    }
    }
}

// A module's reply callback: ignores null payloads, unknown identifiers and
// payloads too short for the record.
void module_cb(void*, const void* header, const void* payload) {
    ++callbacks;
    if (!payload) return;
    int id = core_header_id(header);
    if ((id != 8206 && id != 8200) || core_header_size(header) < 4) return;
    int32_t result;
    std::memcpy(&result, payload, 4);
    write_8206(result);
}

const std::string fail_text = text_reply("CGI ERROR");
const std::string fail_json = json_reply("{status:\"CGI ERROR\"}");

class CoreLink : public ::testing::Test {
protected:
    void SetUp() override {
        writer_mode = writer::normal;
        callbacks = 0;
        ASSERT_TRUE(core.start(root.path()));
        // These tests script every answer; the modules' default replies
        // (3206 has one) must not answer what a script leaves unanswered.
        core.use_defaults(false);
    }
    void TearDown() override {
        core_close();
        core.stop();
    }

    // Runs a query with standard output captured; returns what was written.
    std::string query(int msg_id, int fail_type, int* state = nullptr) {
        int32_t channel = 3;
        stdout_capture out;
        int s = core_query(module_cb, msg_id, 4, &channel, fail_type);
        if (state) *state = s;
        return out.text();
    }

    static double seconds_since(std::chrono::steady_clock::time_point t) {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
    }

    test_root root;
    coresim_server core;
};

TEST_F(CoreLink, RepliesAndFaultsGiveExactlyOneHttpReply) {
    struct row {
        int line;
        const char* script;
        writer mode;
        int fail_type;
        std::string out;
        int state;
    } rows[] = {
        {__LINE__, R"({"size": 4, "fields": [{"at": 0, "int32": 9}]})", writer::normal, 0, text_reply("OK 9"), 1},
        {__LINE__, R"({"size": 4, "fields": [{"at": 0, "int32": 5}]})", writer::result_only, 0, "", 5},
        {__LINE__, R"({"size": 4})", writer::fails, 0, fail_json, 0},
        {__LINE__, R"({"size": 4, "fault": "wrong_id"})", writer::normal, 0, fail_text, 0},
        {__LINE__, R"({"size": 4, "fault": "empty"})", writer::normal, 1, fail_json, 0},
        {__LINE__, R"({"size": 4, "fault": "short"})", writer::normal, 0, fail_text, 0},
        {__LINE__, R"({"fault": "close"})", writer::normal, 0, fail_text, 0},
        {__LINE__, R"({"fault": "no_answer"})", writer::normal, -1, "", 0},
        // The wrong answers first, then the right one: the wait goes on past them.
        {__LINE__, R"([{"size": 4, "fault": "wrong_id"}, {"size": 4, "fault": "empty"}, {"size": 4}])",
         writer::normal, 0, text_reply("OK 0"), 1},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.line);
        ASSERT_TRUE(core.set_script(std::string(R"([{"id": 3206, "reply": )") + r.script + "}]"));
        writer_mode = r.mode;
        int state = -100;
        EXPECT_EQ(query(3206, r.fail_type, &state), r.out);
        EXPECT_EQ(state, r.state);
    }
}

TEST_F(CoreLink, ModuleFailureTextReplacesTheErrorReply) {
    ASSERT_TRUE(core.set_script(R"([{"id": 3206, "reply": {"fault": "no_answer"}}])"));
    struct row {
        int line;
        int type;
        const char* text;
        std::string out;
    } rows[] = {
        {__LINE__, REPLY_TEXT, "Failed", text_reply("Failed")},
        {__LINE__, REPLY_JSON, "{\"res\": -1}", json_reply("{\"res\": -1}")},
    };
    for (const row& r : rows) {
        int32_t channel = 0;
        stdout_capture out;
        EXPECT_EQ(core_query_text(module_cb, 3206, 4, &channel, r.type, r.text), 0);
        EXPECT_EQ(out.text(), r.out) << r.line;
    }
}

TEST_F(CoreLink, EachWaitingMessageGetsItsOwnReplyState) {
    ASSERT_TRUE(core.set_script(R"([{"id": 3206, "times": 1, "reply": {"size": 4}}])"));
    int state = -1;
    EXPECT_EQ(query(3206, 0, &state), text_reply("OK 0"));
    EXPECT_EQ(state, 1);
    // The second message is not answered: the first one's claim and state
    // are gone, so its own failure reply is written.
    EXPECT_EQ(query(3206, 0, &state), fail_text);
    EXPECT_EQ(state, 0);
}

TEST_F(CoreLink, QueryWithoutDaemonGivesUpAndWritesTheFailureOnce) {
    core.stop();
    int state = -1;
    EXPECT_EQ(query(3206, REPLY_JSON, &state), fail_json);
    EXPECT_EQ(state, 0);
    EXPECT_EQ(callbacks.load(), 0);
}

TEST_F(CoreLink, NoticeKeepsTryingUntilTheDaemonAppears) {
    core.stop();
    // Ten times slower: the 3000 attempts last about 3 s.
    setenv("NVR_TIME_DIVISOR", "10", 1);
    int32_t channel = 12;
    std::thread sender([&] { core_notify(module_cb, 1403, 4, &channel); });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_TRUE(core.start(root.path()));
    sender.join();
    ASSERT_TRUE(core.wait_for(1));
    auto journal = core.journal();
    ASSERT_EQ(journal.size(), 1u);
    EXPECT_EQ(journal[0].id, 1403);
    EXPECT_EQ(journal[0].payload, coresim::bytes({12, 0, 0, 0}));
}

TEST_F(CoreLink, ReplyEndsALongWaitAtOnce) {
    // 3200 waits 6000 rounds: 24 s at this divisor.
    setenv("NVR_TIME_DIVISOR", "10", 1);
    ASSERT_TRUE(core.set_script(R"([{"id": 3200, "reply": {"size": 4, "delay": 1}}])"));
    struct row {
        int line;
        writer mode;
        std::string out;
        int state;
    } rows[] = {
        {__LINE__, writer::normal, text_reply("OK 0"), 1},
        {__LINE__, writer::fails, fail_json, 0},
        {__LINE__, writer::result_only, "", 0},
    };
    for (const row& r : rows) {
        writer_mode = r.mode;
        auto start = std::chrono::steady_clock::now();
        int state = -1;
        EXPECT_EQ(query(3200, REPLY_TEXT, &state), r.out) << r.line;
        EXPECT_EQ(state, r.state) << r.line;
        EXPECT_LT(seconds_since(start), 12.0) << r.line;
    }
}

TEST_F(CoreLink, ReplyAfterTheWaitRanOutWritesNothing) {
    // 1000 rounds of wait; the answer comes after 2000.
    ASSERT_TRUE(core.set_script(R"([{"id": 3206, "reply": {"size": 4, "delay": 2000}}])"));
    int32_t channel = 3;
    stdout_capture out;
    EXPECT_EQ(core_query(module_cb, 3206, 4, &channel, REPLY_TEXT), 0);
    // The daemon's late write finds the link closed.
    ASSERT_TRUE(core.wait_for_closed(1));
    EXPECT_EQ(out.text(), fail_text);
    EXPECT_EQ(callbacks.load(), 0);
}

TEST_F(CoreLink, WriterStillBusyWhenTheWaitRunsOutKeepsTheReply) {
    // The answer arrives within the wait, but the writer takes longer than
    // the whole wait (0.4 s) before it claims, or between claim and write.
    ASSERT_TRUE(core.set_script(R"([{"id": 3206, "reply": {"size": 4}}])"));
    slow_ms = 600;
    for (writer mode : {writer::slow_claim, writer::claim_then_slow}) {
        writer_mode = mode;
        int state = -1;
        EXPECT_EQ(query(3206, REPLY_TEXT, &state), text_reply("OK 0"));
        EXPECT_EQ(state, 1);
    }
}

TEST_F(CoreLink, NoWaitSendReturnsBeforeTheAnswer) {
    ASSERT_TRUE(core.set_script(R"([{"id": 3206, "reply": {"size": 4, "delay": 100000}}])"));
    int32_t channel = 1;
    stdout_capture out;
    EXPECT_EQ(core_send(module_cb, 3206, 4, &channel, 1), 0);
    ASSERT_TRUE(core.wait_for(1));
    EXPECT_EQ(core.replies_sent(), 0u);
    core_close();
    EXPECT_EQ(out.text(), "");
    EXPECT_EQ(callbacks.load(), 0);
}

TEST_F(CoreLink, WriterNoticeGoesOutOnTheOpenLinkAndKeepsTheState) {
    ASSERT_TRUE(core.set_script(R"([{"id": 3206, "reply": {"size": 4}}])"));
    writer_mode = writer::notice_after_done;
    int state = -1;
    EXPECT_EQ(query(3206, REPLY_TEXT, &state), text_reply("OK 0"));
    EXPECT_EQ(state, 1);
    EXPECT_TRUE(core_reply_claimed());
    ASSERT_TRUE(core.wait_for(2));
    auto journal = core.journal();
    EXPECT_EQ(journal[1].id, 3485);
    EXPECT_EQ(journal[1].payload.size(), 672u);
    EXPECT_EQ(journal[1].conn, journal[0].conn);
}

TEST_F(CoreLink, SendsThatCannotGoOutSendNothing) {
    int32_t v = 1;
    struct row {
        int line;
        reply_callback cb;
        int len;
        const void* payload;
    } rows[] = {
        {__LINE__, nullptr, 4, &v},
        {__LINE__, module_cb, -1, &v},
        {__LINE__, module_cb, 4, nullptr},
        {__LINE__, module_cb, 16 * 1024 * 1024 + 1, &v},
    };
    for (const row& r : rows) EXPECT_EQ(core_send(r.cb, 3206, r.len, r.payload, 1), -1) << r.line;
    core_close();
    // A query that cannot send still answers the browser, once.
    stdout_capture out;
    EXPECT_EQ(core_query(nullptr, 3206, 4, &v, REPLY_TEXT), 0);
    EXPECT_EQ(out.text(), fail_text);
    core_notify(module_cb, 1403, 0, nullptr);
    ASSERT_TRUE(core.wait_for(1));
    ASSERT_EQ(core.journal().size(), 1u);
    EXPECT_EQ(core.journal()[0].id, 1403);
}

// A message whose reply may take 600 s: far beyond what any of the
// watchdogs below allow, whatever the divisor.
constexpr int long_wait_msg = 3299;
const core_wait long_waits[] = {{long_wait_msg, 15000}};

// Runs fn on a thread of its own and waits for it up to limit: false when
// it did not end by then (the thread is left behind, the test has failed).
template <typename Fn>
bool ends_within(std::chrono::seconds limit, Fn fn) {
    auto task = std::make_shared<std::packaged_task<void()>>(fn);
    std::future<void> done = task->get_future();
    std::thread([task] { (*task)(); }).detach();
    return done.wait_for(limit) == std::future_status::ready;
}

// With no daemon every attempt fails: a waiting handler answers with its
// failure reply as soon as the attempts are over (1.5 s at this divisor),
// not after the wait (30 s here), and a notice counts as sent. Either way
// one log line names the message and the socket.
TEST_F(CoreLink, AbsentDaemonEndsAWaitingSendAfterTheAttemptsWithOneLogLine) {
    core.stop();
    core_register_waits(long_waits, 1);
    setenv("NVR_TIME_DIVISOR", "20", 1);
    struct row {
        int line;
        int msg_id;
        int no_wait;
        std::string out;
        std::string logged;
    } rows[] = {
        {__LINE__, long_wait_msg, 0, fail_json,
         "message 3299 not sent: " + root.file("/var/run/tqsocket") + " does not take it"},
        {__LINE__, 3206, 0, fail_json,
         "message 3206 not sent: " + root.file("/var/run/tqsocket") + " does not take it"},
        {__LINE__, 1403, 1, "",
         "message 1403 not sent: " + root.file("/var/run/tqsocket") + " does not take it (notice dropped)"},
    };
    for (const row& r : rows) {
        size_t before = root.lines("/mnt/nand/cgi_log.txt").size();
        auto out = std::make_shared<std::string>();
        bool ended = ends_within(std::chrono::seconds(20), [out, r] {
            int32_t channel = 3;
            stdout_capture capture;
            if (r.no_wait)
                core_notify(module_cb, r.msg_id, 4, &channel);
            else
                core_query(module_cb, r.msg_id, 4, &channel, REPLY_JSON);
            *out = capture.text();
        });
        ASSERT_TRUE(ended) << "row at line " << r.line << ": still waiting for a message that was never sent";
        EXPECT_EQ(*out, r.out) << "row at line " << r.line;
        std::vector<std::string> lines = root.lines("/mnt/nand/cgi_log.txt");
        ASSERT_EQ(lines.size(), before + 1) << "row at line " << r.line;
        EXPECT_TRUE(lines.back().ends_with(" in core_send: " + r.logged))
            << "row at line " << r.line << ": " << lines.back();
    }
    EXPECT_EQ(callbacks.load(), 0);
}

// A daemon that ends the link while a request waits: no answer can come, so
// the wait ends at once; an answer that came before the end still counts.
TEST_F(CoreLink, LinkTheDaemonClosesEndsTheWaitAtOnce) {
    core_register_waits(long_waits, 1);
    setenv("NVR_TIME_DIVISOR", "1", 1);  // the whole wait would be 600 s
    struct row {
        int line;
        const char* replies;
        std::string out;
        int state;
    } rows[] = {
        {__LINE__, R"({"fault": "close"})", fail_text, 0},
        {__LINE__, R"([{"size": 4, "fault": "wrong_id"}, {"fault": "close"}])", fail_text, 0},
        {__LINE__, R"([{"id": 8206, "size": 4, "fields": [{"at": 0, "int32": 7}]}, {"fault": "close"}])",
         text_reply("OK 7"), 1},
    };
    for (const row& r : rows) {
        ASSERT_TRUE(core.set_script("[{\"id\": 3299, \"reply\": " + std::string(r.replies) + "}]"));
        auto out = std::make_shared<std::string>();
        auto state = std::make_shared<int>(-1);
        bool ended = ends_within(std::chrono::seconds(30), [out, state] {
            int32_t channel = 3;
            stdout_capture capture;
            *state = core_query(module_cb, long_wait_msg, 4, &channel, REPLY_TEXT);
            *out = capture.text();
        });
        ASSERT_TRUE(ended) << "row at line " << r.line << ": still waiting on a closed link";
        EXPECT_EQ(*out, r.out) << "row at line " << r.line;
        EXPECT_EQ(*state, r.state) << "row at line " << r.line;
    }
}

}  // namespace
