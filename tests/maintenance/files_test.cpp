// The requests that look at or remove the firmware images, and the core
// check with its repair of channel 0's motion intervals.
#include "platform/tqdb/rec_event.h"
#include "tests/harness/db_faults.h"
#include "tests/maintenance/maintenance_case.h"

namespace xcase {
namespace {

class ImageFiles : public maintenance_case {};

TEST_F(ImageFiles, PresenceAnswersAndRemovals) {
    struct row {
        int line;
        std::string code, body;        // body "" : GET
        const char* image;             // the image the row puts in place (null: none)
        std::string out;
        bool image_after;              // whether it is still there
        std::vector<int32_t> sent;
    } rows[] = {
        // "/1011" is "OK" once the recorder image is gone.
        {__LINE__, "/1011", "", recorder_image, text_reply("Error"), true, {}},
        {__LINE__, "/1011", "", nullptr, text_reply("OK"), false, {}},
        {__LINE__, "/1011", "", camera_image, text_reply("OK"), true, {}},
        // "/6082" is "OK" while the camera image is there.
        {__LINE__, "/6082", "", camera_image, text_reply("OK"), true, {}},
        {__LINE__, "/6082", "", nullptr, text_reply("Error"), false, {}},
        {__LINE__, "/6082", "", recorder_image, text_reply("Error"), true, {}},
        // Type 0 removes the recorder image, whether it is there or not.
        {__LINE__, "/6086", R"({"type":0})", recorder_image, json_reply(R"({ "res": 0 })"), false, {}},
        {__LINE__, "/6086", R"({"type":0})", nullptr, json_reply(R"({ "res": 0 })"), false, {}},
        {__LINE__, "/6086", R"({"type":0})", camera_image, json_reply(R"({ "res": 0 })"), true, {}},
        {__LINE__, "/6084", "", camera_image, text_reply("OK"), false, {3351}},
        {__LINE__, "/6084", "", nullptr, text_reply("OK"), false, {3351}},
        {__LINE__, "/6084", "", recorder_image, text_reply("OK"), true, {3351}},
    };
    for (const auto& r : rows) {
        fresh_case();
        for (const char* image : {recorder_image, camera_image}) unlink(root.file(image).c_str());
        if (r.image) root.write(r.image, "image");
        cgi_result res = r.body.empty() ? get(r.code) : post(r.code, r.body);
        EXPECT_EQ(res.out, r.out) << "row at line " << r.line;
        if (r.image) {
            EXPECT_EQ(root.exists(r.image), r.image_after) << "row at line " << r.line;
        }
        EXPECT_EQ(sent_ids(), r.sent) << "row at line " << r.line;
    }
}

// Uploads these codes take are not kept: "/6082" answers as for a GET,
// "/1019" answers nothing; neither leaves a file in /tmp nor touches the
// image.
TEST_F(ImageFiles, UploadsThatAreNotKept) {
    struct row {
        int line;
        std::string code, out;
    } rows[] = {
        {__LINE__, "/6082", text_reply("OK")},
        {__LINE__, "/1019", ""},
    };
    root.write(camera_image, "image");
    for (const auto& r : rows) {
        EXPECT_EQ(upload(r.code, "a=1", "C:\\fw\\cam.bin", "other bytes").out, r.out) << "row at line " << r.line;
        EXPECT_EQ(root.read(camera_image), "image") << "row at line " << r.line;
        EXPECT_EQ(root.list("/tmp"), std::vector<std::string>{}) << "row at line " << r.line;
    }
}

// Removing an image never follows a name that is not a file: a directory at
// the image's place stays.
TEST_F(ImageFiles, RemovalLeavesADirectoryAlone) {
    mkdir(root.file(recorder_image).c_str(), 0755);
    root.write(std::string(recorder_image) + "/keep", "x");
    EXPECT_EQ(post("/6086", R"({"type":0})").out, json_reply(R"({ "res": 0 })"));
    EXPECT_EQ(root.read(std::string(recorder_image) + "/keep"), "x");
}

class CoreCheck : public maintenance_case {
protected:
    void put_intervals(int32_t interval, int32_t email_interval) {
        ASSERT_EQ(edit_motion(TQDB_FILE, 0, [&](motion_record& m) {
                      m.sensitivity = 4;
                      m.interval = interval;
                      m.email_interval = email_interval;
                  }),
                  0);
    }
    bool log_says(const std::string& text) { return root.read("/mnt/nand/cgi_log.txt").find(text) != std::string::npos; }
};

TEST_F(CoreCheck, AnswersByTheCoreFileAndSetsUnsetIntervals) {
    struct row {
        int line;
        bool core_file;
        int32_t interval, email_interval;
        int32_t want_interval, want_email_interval;
        std::string out;
    } rows[] = {
        {__LINE__, true, 0, 0, 20, 20, text_reply("OK")},
        {__LINE__, false, 5, 0, 5, 20, text_reply("NO OK")},
        {__LINE__, true, 0, 7, 20, 7, text_reply("OK")},
        {__LINE__, false, 5, 7, 5, 7, text_reply("NO OK")},
        {__LINE__, true, -1, 3, -1, 3, text_reply("OK")},
    };
    for (const auto& r : rows) {
        fresh_case();
        unlink(root.file("/tmp/tqcore").c_str());
        if (r.core_file) root.write("/tmp/tqcore", "");
        put_intervals(r.interval, r.email_interval);
        EXPECT_EQ(get("/1005").out, r.out) << "row at line " << r.line;
        motion_record m = read_back<motion_record>(tqdb_tbl_motion, 0);
        EXPECT_EQ(m.interval, r.want_interval) << "row at line " << r.line;
        EXPECT_EQ(m.email_interval, r.want_email_interval) << "row at line " << r.line;
        EXPECT_EQ(m.sensitivity, 4) << "row at line " << r.line;
        EXPECT_TRUE(sent().empty()) << "row at line " << r.line;
    }
}

// The record is written only when an interval was unset: with its writes
// refused, a check that has nothing to set never tries (nothing logged), one
// that has something to set tries and still answers.
TEST_F(CoreCheck, WritesOnlyWhenAnIntervalChanges) {
    const std::string failed = "channel 0 motion intervals not stored";
    put_intervals(5, 7);
    {
        refused_writes refuse(tqdb_tbl_motion.name);
        ASSERT_TRUE(refuse);
        EXPECT_EQ(get("/1005").out, text_reply("NO OK"));
        EXPECT_FALSE(log_says(failed));
    }
    put_intervals(5, 0);
    {
        refused_writes refuse(tqdb_tbl_motion.name);
        EXPECT_EQ(get("/1005").out, text_reply("NO OK"));
        EXPECT_TRUE(log_says(failed));
    }
    EXPECT_EQ(read_back<motion_record>(tqdb_tbl_motion, 0).email_interval, 0);
}

}  // namespace
}  // namespace xcase
