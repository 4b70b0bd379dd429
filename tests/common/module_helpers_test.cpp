// Pieces the camera and PTZ modules added to the shared code: the query of
// one channel, the reply of one integer member, the edit of a channel's tour
// table, and the harness's stores that refuse writes and its change held
// open by another process.
#include "front/core_link.h"
#include "front/dispatchreq.h"
#include "front/web_utils.h"
#include "modules/common/channels.h"
#include "platform/tqdb/rec_camera.h"
#include "platform/tqdb/rec_ptz.h"
#include "tests/harness/db_faults.h"
#include "tests/harness/exchange_case.h"

#include <chrono>
#include <cstring>
#include <string>

namespace xcase {
namespace {

// ---- channel_query ------------------------------------------------------------------

constexpr int32_t probe_msg = 1262;

int write_answered(const core_answer& answer) {
    cgi_reply(REPLY_TEXT, ("answered " + std::to_string(answer.rec<int32_t>())).c_str());
    return 1;
}
const reply_row probe_replies[] = {{probe_msg + 5000, 4, reply_short::fail, write_answered}};
CORE_REPLY_CALLBACK(probe_reply, probe_replies)

class ChannelQuery : public exchange_case {
protected:
    void SetUp() override {
        exchange_case::SetUp();
        core.use_defaults(false);
    }
    void TearDown() override {
        core_close();
        exchange_case::TearDown();
    }
};

TEST_F(ChannelQuery, SendsTheChannelOrRefusesAndFailsInTheRowsForm) {
    const std::string answered = text_reply("answered 7");
    struct row {
        int line;
        std::string body;
        req_out out;
        int limit;
        bool answer;  // the core answers 7 (else nothing)
        bool sends;   // the channel goes out as the message
        std::string reply;
    } rows[] = {
        {__LINE__, R"({"chn": 5})", OUT_TEXT, 64, true, true, answered},
        {__LINE__, R"({"chn": 0})", OUT_JSON_ERR, 64, true, true, answered},
        {__LINE__, R"({"chn": 63})", OUT_JSON, 64, true, true, answered},
        // Refused: what the row says a refused request gets, nothing sent.
        {__LINE__, R"({"chn": 64})", OUT_JSON_ERR, 64, true, false, json_failure()},
        {__LINE__, R"({"chn": -1})", OUT_TEXT_ERR, 64, true, false, text_failure()},
        {__LINE__, R"({"chn": 64})", OUT_TEXT, 64, true, false, ""},
        {__LINE__, R"({"channel": 5})", OUT_JSON, 64, true, false, ""},
        {__LINE__, R"({"chn": 8})", OUT_JSON_ERR, 8, true, false, json_failure()},
        {__LINE__, R"({"chn": 7})", OUT_JSON_ERR, 8, true, true, answered},
        // No answer: the failure reply in the row's form.
        {__LINE__, R"({"chn": 5})", OUT_TEXT, 64, false, true, text_failure()},
        {__LINE__, R"({"chn": 5})", OUT_TEXT_ERR, 64, false, true, text_failure()},
        {__LINE__, R"({"chn": 5})", OUT_JSON, 64, false, true, json_failure()},
        {__LINE__, R"({"chn": 5})", OUT_JSON_ERR, 64, false, true, json_failure()},
    };
    for (const auto& r : rows) {
        fresh_case();
        if (r.answer)
            answer(probe_msg, int_bytes({7}));
        else
            answer_nothing(probe_msg);
        request_entry entry = {"/9999", nullptr, IN_JSON, r.out};
        std::string text = r.body;
        json_ref obj = json_parse_object(text.c_str());
        request rq = {entry.code, text.data(), obj.get(), &entry};
        std::string out;
        {
            stdout_capture capture;
            channel_query(rq, "chn", probe_reply, probe_msg, r.limit);
            out = capture.text();
        }
        EXPECT_EQ(out, r.reply) << "row at line " << r.line;
        if (r.sends)
            expect_sent({{probe_msg, int_bytes({req_int_or(obj.get(), "chn", -1)})}}, r.line);
        else
            EXPECT_TRUE(sent().empty()) << "row at line " << r.line;
    }
}

// ---- reply_int_member --------------------------------------------------------------

TEST(ReplyIntMember, RendersTheFirstWordUnderTheKey) {
    struct row {
        int line;
        const char* key;
        bytes payload;
        std::string out;
    } rows[] = {
        {__LINE__, "res", int_bytes({-4}), json_reply(R"({ "res": -4 })")},
        {__LINE__, "status", int_bytes({INT32_MAX, 9}), json_reply(R"({ "status": 2147483647 })")},
        // Never read past the answer: a short one reads as 0.
        {__LINE__, "type", bytes{1, 2, 3}, json_reply(R"({ "type": 0 })")},
        {__LINE__, "type", bytes{}, json_reply(R"({ "type": 0 })")},
    };
    for (const auto& r : rows) {
        const auto size = static_cast<uint32_t>(r.payload.size());
        core_answer answer{size ? r.payload.data() : nullptr, size, size / 4};
        std::string out;
        int state = 0;
        {
            stdout_capture capture;
            state = reply_int_member(r.key, answer);
            out = capture.text();
        }
        EXPECT_EQ(out, r.out) << "row at line " << r.line;
        EXPECT_EQ(state, 1) << "row at line " << r.line;
    }
}

// ---- the tour table edit ------------------------------------------------------------

class TourEdit : public ::testing::Test {
protected:
    test_root root;
};

TEST_F(TourEdit, EditsTheStoredTableOrZerosAndLeavesItWhenTheChangeDeclines) {
    ptz_tour_table stored;
    std::memset(&stored, 0, sizeof stored);
    stored.tours[2][5] = {7, 8, 9};
    ASSERT_EQ(write_ptz_tour(TQDB_FILE, &stored, 4), 0);
    struct row {
        int line;
        int chn;
        int declines;  // the change's result
        int32_t seen;  // preset of tour 3 point 6 as the change saw it (-1: not called)
        int rc;
        int32_t kept;  // that preset afterwards (-1: no table stored)
    } rows[] = {
        {__LINE__, 4, 0, 7, 0, 70},
        {__LINE__, 5, 0, 0, 0, 70},     // no table yet: zeros, then stored
        {__LINE__, 6, 3, 0, 3, -1},     // declined: nothing stored
        {__LINE__, 64, 0, -1, -1, -1},  // not a channel: never called
        {__LINE__, -1, 0, -1, -1, -1},
    };
    for (const auto& r : rows) {
        struct ctx_t {
            int declines;
            int32_t seen = -1;
        } ctx{r.declines};
        int rc = edit_ptz_tour_fn(
            TQDB_FILE, r.chn,
            [](void* c, ptz_tour_table* table) {
                auto* ctx = static_cast<ctx_t*>(c);
                ctx->seen = table->tours[2][5].preset;
                table->tours[2][5].preset = 70;
                return ctx->declines;
            },
            &ctx);
        EXPECT_EQ(rc, r.rc) << "row at line " << r.line;
        EXPECT_EQ(ctx.seen, r.seen) << "row at line " << r.line;
        ptz_tour_table after;
        std::memset(&after, 0, sizeof after);
        int32_t kept = read_ptz_tour(TQDB_FILE, &after, r.chn) == 0 ? after.tours[2][5].preset : -1;
        EXPECT_EQ(kept, r.kept) << "row at line " << r.line;
    }
    // The template form takes any callable and always stores.
    ASSERT_EQ(edit_ptz_tour(TQDB_FILE, 4, [](ptz_tour_table& t) { t.tours[7][47].speed = 3; }), 0);
    ptz_tour_table after;
    ASSERT_EQ(read_ptz_tour(TQDB_FILE, &after, 4), 0);
    EXPECT_EQ(after.tours[7][47].speed, 3);
    EXPECT_EQ(after.tours[2][5].preset, 70);
}

// ---- the harness's database conditions ----------------------------------------------

class DbFaults : public ::testing::Test {
protected:
    camera_record camera(int chn) { return read_back<camera_record>(tqdb_tbl_camera, chn); }
    test_root root;
};

TEST_F(DbFaults, RefusedStoresFailEveryWriteAndTheirTransactions) {
    struct row {
        int line;
        std::vector<std::string> refused;
        bool camera_stored;  // a camera write, and a name write with it in one transaction
        bool name_alone_stored;
    } rows[] = {
        {__LINE__, {"camera"}, false, true},
        {__LINE__, {"osd"}, false, false},
        {__LINE__, {"osd", "camera"}, false, false},
        {__LINE__, {"ptz_tour"}, true, true},
        {__LINE__, {"it's"}, true, true},  // quoted as a name
    };
    for (const auto& r : rows) {
        camera_record cam = camera(3);
        osd_record osd = read_back<osd_record>(tqdb_tbl_osd, 3);
        int together, alone;
        {
            refused_writes refused(r.refused);
            together = tqdb_atomic(TQDB_FILE, [&] {
                copy_text(osd.cam_name, sizeof osd.cam_name, "together");
                int rc = write_osd(TQDB_FILE, &osd);
                cam.enable = !cam.enable;
                return rc != 0 ? rc : write_camera(TQDB_FILE, &cam);
            });
            copy_text(osd.cam_name, sizeof osd.cam_name, "alone");
            alone = write_osd(TQDB_FILE, &osd);
        }
        EXPECT_EQ(together == 0, r.camera_stored) << "row at line " << r.line;
        EXPECT_EQ(alone == 0, r.name_alone_stored) << "row at line " << r.line;
        EXPECT_EQ(camera(3).enable, r.camera_stored ? cam.enable : !cam.enable) << "row at line " << r.line;
        std::string name = read_back<osd_record>(tqdb_tbl_osd, 3).cam_name;
        EXPECT_EQ(name, r.name_alone_stored ? "alone" : r.camera_stored ? "together" : "CAM4")
            << "row at line " << r.line;
        // Gone with the object.
        copy_text(osd.cam_name, sizeof osd.cam_name, "CAM4");
        ASSERT_EQ(write_osd(TQDB_FILE, &osd), 0) << "row at line " << r.line;
    }
}

TEST_F(DbFaults, AHeldChangeMakesOtherWritersWaitAndCommitsWhenItAgrees) {
    using clock = std::chrono::steady_clock;
    struct row {
        int line;
        int result;  // the change's result
        bool committed;
    } rows[] = {
        {__LINE__, 0, true},
        {__LINE__, 1, false},
    };
    for (const auto& r : rows) {
        ASSERT_EQ(edit_camera(TQDB_FILE, 2, [](camera_record& c) { c.minor_id = 0; c.anr = 0; }), 0);
        auto start = clock::now();
        held_change held(
            [&] {
                int rc = edit_camera(TQDB_FILE, 2, [](camera_record& c) { c.minor_id = 41; });
                return rc != 0 ? rc : r.result;
            },
            400);
        // This write waits for the held transaction, then edits what it left.
        ASSERT_EQ(edit_camera(TQDB_FILE, 2, [](camera_record& c) { c.anr = 9; }), 0) << "row at line " << r.line;
        EXPECT_GE(clock::now() - start, std::chrono::milliseconds(300)) << "row at line " << r.line;
        EXPECT_EQ(held.result() == 0, r.committed) << "row at line " << r.line;
        camera_record after = camera(2);
        EXPECT_EQ(after.minor_id, r.committed ? 41 : 0) << "row at line " << r.line;
        EXPECT_EQ(after.anr, 9) << "row at line " << r.line;
    }
}

}  // namespace
}  // namespace xcase
