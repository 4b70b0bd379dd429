// Reply tables: one callback serves a module's rows; what an answer without
// a whole record means; one HTTP reply per request; record pages on top.
#include "front/core_link.h"
#include "front/dispatchreq.h"
#include "front/json_req.h"
#include "modules/common/record_page.h"
#include "tests/harness/cgi_harness.h"
#include "tools/coresim/coresim.h"

#include <algorithm>

#include <gtest/gtest.h>

#include <string>

namespace {

struct pair_rec {
    int32_t x;
    int32_t y;
};

int write_pairs(const core_answer& a) {
    std::string text = "n=" + std::to_string(a.count);
    for (uint32_t i = 0; i < a.count; ++i) text += " " + std::to_string(a.rec<pair_rec>(i).y);
    cgi_reply(REPLY_TEXT, text.c_str());
    return 1;
}
int write_failed(const core_answer&) {
    cgi_reply_error(REPLY_TEXT);
    return 0;
}
int report_state(const core_answer& a) { return a.rec<int32_t>() + 10; }

// A stream of answers: each one's records are kept; a record whose x is -1
// ends the stream and the wait (what comes after it is not taken).
std::string fed;
bool fed_end = false;
int feed_pairs(const core_answer& a) {
    if (fed_end) return 0;
    fed += "[" + std::to_string(a.count) + "]";
    for (uint32_t i = 0; i < a.count; ++i) {
        const pair_rec r = a.rec<pair_rec>(i);
        if (r.x == -1) {
            fed_end = true;
            core_reply_done(7);
            return 0;
        }
        fed += " " + std::to_string(r.y);
    }
    return 0;
}

const reply_row rows[] = {
    {8001, sizeof(pair_rec), reply_short::wait, write_pairs},
    {8006, sizeof(pair_rec), reply_short::empty, feed_pairs, reply_kind::feed},
    {8007, sizeof(pair_rec), reply_short::wait, feed_pairs, reply_kind::feed},
    {8002, sizeof(pair_rec), reply_short::fail, write_pairs},
    {8003, sizeof(pair_rec), reply_short::empty, write_pairs},
    {8004, 0, reply_short::wait, write_failed},
    {8005, 4, reply_short::wait, report_state, reply_kind::result},
};
CORE_REPLY_CALLBACK(test_reply, rows)

class ReplyTable : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(core.start(root.path()));
        core.use_defaults(false);
    }
    void TearDown() override { core.stop(); }

    std::string query(int msg_id, const std::string& script, int* state) {
        core.clear_rules();
        EXPECT_TRUE(core.set_script("[{\"id\": " + std::to_string(msg_id) + ", \"reply\": " + script + "}]"));
        stdout_capture out;
        *state = core_query(test_reply, msg_id, 0, nullptr, REPLY_TEXT);
        return out.text();
    }

    test_root root;
    coresim_server core;
};

TEST_F(ReplyTable, RowsDecideWhatShortAnswersMeanAndWritersEndTheWait) {
    const std::string fail = text_reply("CGI ERROR");
    struct row {
        int line;
        int msg_id;
        const char* script;
        std::string out;
        int state;
    } cases[] = {
        // Whole records are counted; a trailing part record is not read.
        {__LINE__, 3001, R"({"hex": "01000000020000000300000004000000ff"})", text_reply("n=2 2 4"), 1},
        // No whole record: the wait runs out, the handler's failure follows.
        {__LINE__, 3001, R"({"size": 5})", fail, 0},
        {__LINE__, 3001, R"({"fault": "empty"})", fail, 0},
        // ... or the failure comes at once.
        {__LINE__, 3002, R"({"size": 7})", fail, 0},
        // ... or it is an empty list.
        {__LINE__, 3003, R"({"fault": "empty"})", text_reply("n=0"), 1},
        // A writer that writes the failure itself ends the wait with 0.
        {__LINE__, 3004, R"({"size": 1})", fail, 0},
        // A result-only row writes nothing: its result is the state.
        {__LINE__, 3005, R"({"hex": "05000000"})", "", 15},
        // An identifier no row names is not the answer.
        {__LINE__, 3001, R"({"id": 8009, "size": 8})", fail, 0},
    };
    for (const row& c : cases) {
        int state = -1;
        EXPECT_EQ(query(c.msg_id, c.script, &state), c.out) << c.line;
        EXPECT_EQ(state, c.state) << c.line;
    }
}

TEST_F(ReplyTable, FeedRowsTakeEveryAnswerOfAStreamWithoutEndingTheWait) {
    const std::string fail = text_reply("CGI ERROR");
    struct row {
        int line;
        int msg_id;
        const char* script;
        std::string fed;
        std::string out;
        int state;
    } cases[] = {
        // Every answer is handed over; the last one ends the wait with the
        // writer's state; the handler writes nothing after it.
        {__LINE__, 3006,
         R"([{"hex": "0100000002000000"}, {"hex": "03000000040000000500000006000000"}, {"hex": "ffffffff00000000"},
             {"hex": "0700000008000000"}])",
         "[1] 2[2] 4 6[1]", "", 7},
        // Without the end the wait runs out and the failure reply follows.
        {__LINE__, 3006, R"([{"hex": "0100000002000000"}, {"hex": "0300000004000000"}])", "[1] 2[1] 4", fail, 0},
        // A part record is handed over as it is (empty) or not at all (wait).
        {__LINE__, 3006, R"([{"size": 5}, {"hex": "ffffffff"}])", "[0][0]", fail, 0},
        {__LINE__, 3007, R"([{"size": 5}, {"hex": "0100000002000000ff"}])", "[1] 2", fail, 0},
    };
    for (const row& c : cases) {
        fed.clear();
        fed_end = false;
        int state = -1;
        EXPECT_EQ(query(c.msg_id, c.script, &state), c.out) << c.line;
        EXPECT_EQ(fed, c.fed) << c.line;
        EXPECT_EQ(state, c.state) << c.line;
    }
}

TEST_F(ReplyTable, ASecondAnswerWritesNothing) {
    int state = -1;
    EXPECT_EQ(query(3001, R"([{"size": 8}, {"size": 16}])", &state), text_reply("n=1 0"));
    EXPECT_EQ(state, 1);
}

// ---- record pages ---------------------------------------------------------------

struct setting {
    int32_t chn;
    int32_t level;
    char label[8];
};
const tqdb_table setting_table = {"test_page", sizeof(setting), tqdb_key_kind::int_at, 0, 0, 0, nullptr, 0, nullptr};
const field setting_fields[] = {
    FM_INT(setting, "chnid", chn).out_only(),
    FM_INT(setting, "level", level).range(0, 9),
    FM_TEXT(setting, "label", label),
};
const record_page page = {
    .table = setting_table,
    .fields = setting_fields,
    .key_member = "chnid",
    .key_limit = 4,
    .notice_id = 1500,
    .oplog_sub = 204,
    .oplog_param = 907,
};
const request_entry page_rows[] = {
    {"/9100", page_get<page>, IN_TEXT, OUT_JSON},
    {"/9101", page_set<page>, IN_JSON, OUT_TEXT_ERR},
};

TEST_F(ReplyTable, RecordPagesReadAndStoreOneRecordAndTellTheCoreOnlyAfterAStore) {
    ASSERT_EQ(webreq_register(page_rows, 2), 0);
    struct row {
        int line;
        const char* code;
        const char* text;
        std::string out;
        std::vector<int32_t> sent;
    } cases[] = {
        {__LINE__, "/9101", R"({"chnid": 2, "level": 5, "label": "door-12345"})", text_reply("OK"), {1500, 3485}},
        {__LINE__, "/9100", "2", json_reply(R"({ "chnid": 2, "level": 5, "label": "door-12" })"), {}},
        {__LINE__, "/9101", R"({"chnid": 2, "label": "gate"})", text_reply("OK"), {1500, 3485}},
        {__LINE__, "/9100", "2", json_reply(R"({ "chnid": 2, "level": 5, "label": "gate" })"), {}},
        {__LINE__, "/9100", "3", json_reply(R"({ "chnid": 3, "level": 0, "label": "" })"), {}},
        // Refused: key out of range, value out of range, not JSON.
        {__LINE__, "/9101", R"({"chnid": 4, "level": 1})", text_reply("CGI ERROR"), {}},
        {__LINE__, "/9101", R"({"chnid": 1, "level": 10})", text_reply("CGI ERROR"), {}},
        {__LINE__, "/9101", "level=1", text_reply("CGI ERROR"), {}},
        {__LINE__, "/9100", "9", "", {}},
    };
    for (const row& c : cases) {
        core.wait_idle(5000);
        core.clear_journal();
        std::string text = c.text;
        std::string got;
        {
            // Ended before the checks, so that a failure's message is seen.
            stdout_capture out;
            webreq_dispatch(c.code, text.data());
            got = out.text();
        }
        EXPECT_EQ(got, c.out) << c.line;
        core.wait_idle(5000);
        // Each message comes on a link of its own, journalled by the thread
        // that serves it: links are put back in the order they were opened.
        std::vector<coresim::request> msgs = core.journal();
        std::stable_sort(msgs.begin(), msgs.end(), [](const auto& a, const auto& b) { return a.conn < b.conn; });
        std::vector<int32_t> ids;
        for (const auto& m : msgs) ids.push_back(m.id);
        EXPECT_EQ(ids, c.sent) << c.line;
    }
    webreq_unregister(page_rows, 2);
}

}  // namespace
