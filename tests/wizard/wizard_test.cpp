// The wizard's quick settings, end to end through webreq with a fake core.
#include "platform/tqdb/rec_camera.h"
#include "platform/tqdb/rec_record.h"
#include "platform/tqdb/rec_system.h"
#include "platform/tqdb/tqdb.h"
#include "tests/harness/core_case.h"
#include "tests/harness/db_faults.h"

#include <unistd.h>

#include <atomic>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>

namespace {

using Wizard = core_case;

TEST_F(Wizard, SshSettingStoresTheFlagKeepsTheOtherPortsAndAnswersBeforeTheNotice) {
    port_record before;
    std::memset(&before, 0, sizeof before);
    ASSERT_EQ(read_port(TQDB_FILE, &before), 0);
    before.http_port = 8081;
    ASSERT_EQ(write_port(TQDB_FILE, &before), 0);

    // What webreq had written when the notice arrived.
    std::string out_file = root.file("/webreq.out");
    std::string written_at_notice;
    std::atomic<int> notices_seen{0};
    coresim::rule watch;
    watch.id = 1702;
    watch.handler = [&](const coresim::request&, std::vector<coresim::out_msg>&) {
        std::ifstream in(out_file);
        written_at_notice.assign(std::istreambuf_iterator<char>(in), {});
        ++notices_seen;
    };
    core.add_rule(watch);

    struct row {
        int line;
        std::string body;
        int32_t stored;
    } rows[] = {{__LINE__, "{\"sshEnable\": 1}", 1}, {__LINE__, "{}", 0}, {__LINE__, "{\"sshEnable\": \"1\"}", 1}};
    int expected_notices = 0;
    for (const auto& r : rows) {
        core.clear_journal();
        cgi_request req{.method = "POST", .path_info = "/3300", .content_type = "application/json", .body = r.body};
        req.stdout_file = out_file;
        cgi_result res = run_webreq(root, req);
        EXPECT_EQ(res.out, text_reply("OK")) << "row at line " << r.line;
        port_record after = read_back<port_record>(tqdb_tbl_port);
        EXPECT_EQ(after.enable_ssh, r.stored) << "row at line " << r.line;
        EXPECT_EQ(after.http_port, 8081);
        auto msgs = sent(1);
        ASSERT_EQ(msgs.size(), 1u) << "row at line " << r.line;
        EXPECT_EQ(msgs[0].id, 1702);
        coresim::bytes more(32, 0);
        std::memcpy(more.data(), "more", 4);
        EXPECT_EQ(msgs[0].payload, more);
        ++expected_notices;
        for (int i = 0; i < 500 && notices_seen < expected_notices; ++i) usleep(10000);
        ASSERT_EQ(notices_seen.load(), expected_notices);
        EXPECT_EQ(written_at_notice, text_reply("OK")) << "row at line " << r.line;
    }
}

TEST_F(Wizard, FlagsAreStoredAsParameters) {
    struct row {
        const char* code;
        const char* body;
        const char* key;
        int stored;
    } rows[] = {
        {"/3301", "{\"autoLoginEnable\": 1}", "local_auth_enable", 1},
        {"/3301", "{}", "local_auth_enable", 0},
        {"/3303", "{\"wizardEnable\": 1}", "wizard_enable", 1},
        {"/3303", "{\"wizardEnable\": 0}", "wizard_enable", 0},
    };
    for (const auto& r : rows) {
        set_param_int(TQDB_FILE, r.key, 77);
        cgi_result res = cgi_post_json(root, r.code, r.body);
        EXPECT_EQ(res.out, text_reply("OK")) << r.code << " " << r.body;
        EXPECT_EQ(get_param_int(TQDB_FILE, r.key, -1), r.stored) << r.code << " " << r.body;
    }
    EXPECT_TRUE(sent().empty());
}

TEST_F(Wizard, TextsThatAreNotJsonObjectsGetNoReplyAndChangeNothing) {
    set_param_int(TQDB_FILE, "wizard_enable", 5);
    for (const char* code : {"/3300", "/3301", "/3302", "/3303", "/3304"}) {
        for (const char* body : {"", "sshEnable=1", "[1,2]", "{\"wizardEnable\": "}) {
            cgi_result res = cgi_post_json(root, code, body);
            EXPECT_EQ(res.out, "") << code << " " << body;
            EXPECT_EQ(res.status, 0);
        }
    }
    EXPECT_EQ(get_param_int(TQDB_FILE, "wizard_enable", -1), 5);
    EXPECT_TRUE(sent().empty());
}

TEST_F(Wizard, RecordModeGoesToEveryRowThenOneNoticePerChannelInOrder) {
    record_row row5;
    std::memset(&row5, 0, sizeof row5);
    ASSERT_EQ(read_record(TQDB_FILE, &row5, 5), 0);
    row5.post_record_duration = 30;
    ASSERT_EQ(write_record(TQDB_FILE, &row5), 0);

    cgi_result res = cgi_post_json(root, "/3302", "{\"recordMode\": 2}");
    EXPECT_EQ(res.out, text_reply("OK"));

    record_row rows[64];
    int count = 0;
    ASSERT_EQ(read_records(TQDB_FILE, rows, &count), 0);
    ASSERT_EQ(count, 64);
    for (int chn = 0; chn < 64; ++chn) {
        EXPECT_EQ(rows[chn].id, chn);
        EXPECT_EQ(rows[chn].mode, 2) << "channel " << chn;
    }
    EXPECT_EQ(rows[5].post_record_duration, 30);

    auto msgs = sent(64);
    ASSERT_EQ(msgs.size(), 64u);
    std::set<int> links;
    for (int chn = 0; chn < 64; ++chn) {
        EXPECT_EQ(msgs[chn].id, 1407);
        EXPECT_EQ(msgs[chn].payload.size(), 4u);
        EXPECT_EQ(int_at(msgs[chn].payload, 0), chn);
        links.insert(msgs[chn].conn);
    }
    EXPECT_EQ(links.size(), 64u);  // each notice on a link of its own
}

TEST_F(Wizard, RecordModeKeepsEveryChannelsOwnRowWhenARowIsMissing) {
    // Each row carries its channel in post_record_duration so that a row
    // written under another channel shows.
    for (int32_t chn = 0; chn < 64; ++chn) {
        record_row row;
        std::memset(&row, 0, sizeof row);
        ASSERT_EQ(read_record(TQDB_FILE, &row, chn), 0);
        row.post_record_duration = 100 + chn;
        ASSERT_EQ(write_record(TQDB_FILE, &row), 0);
    }
    ASSERT_EQ(delete_record(TQDB_FILE, 5), 0);

    EXPECT_EQ(cgi_post_json(root, "/3302", "{\"recordMode\": 1}").out, text_reply("OK"));

    for (int32_t chn = 0; chn < 64; ++chn) {
        // Every row is stored again, the one that was missing too.
        record_row row;
        ASSERT_EQ(read_record(TQDB_FILE, &row, chn), 0) << "channel " << chn;
        EXPECT_EQ(row.mode, 1) << "channel " << chn;
        EXPECT_EQ(row.post_record_duration, chn == 5 ? 0 : 100 + chn) << "channel " << chn;
    }
    sent(64);
}

TEST_F(Wizard, CameraQuickAddStoresTheCameraAndNotifiesByEnable) {
    camera_record cam;
    std::memset(&cam, 0, sizeof cam);
    ASSERT_EQ(read_camera(TQDB_FILE, &cam, 7), 0);
    cam.record_stream = 1;
    std::strcpy(cam.main_url, "rtsp://keep");
    ASSERT_EQ(write_camera(TQDB_FILE, &cam), 0);

    std::string long_name(80, 'n');
    cgi_result res = cgi_post_json(root, "/3304",
                                   "{\"id\": 7, \"enable\": 1, \"ipAddr\": \"192.168.1.64\", \"managePort\": 8000, "
                                   "\"userName\": \"" + long_name + "\", \"password\": \"pw\"}");
    EXPECT_EQ(res.out, text_reply("OK"));
    cam = read_back<camera_record>(tqdb_tbl_camera, 7);
    EXPECT_EQ(cam.id, 7);
    EXPECT_EQ(cam.enable, 1);
    EXPECT_STREQ(cam.ip_addr, "192.168.1.64");
    EXPECT_EQ(cam.manage_port, 8000);
    EXPECT_EQ(cam.protocol, 0);
    EXPECT_EQ(std::string(cam.user_name), std::string(63, 'n'));
    EXPECT_STREQ(cam.password, "pw");
    EXPECT_EQ(cam.record_stream, 1);
    EXPECT_STREQ(cam.main_url, "rtsp://keep");
    auto msgs = sent(1);
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_EQ(msgs[0].id, 1201);
    EXPECT_EQ(int_at(msgs[0].payload, 0), 7);

    core.clear_journal();
    res = cgi_post_json(root, "/3304", "{\"id\": 0, \"enable\": 0, \"ipAddr\": \"cam.local\", \"managePort\": 0}");
    EXPECT_EQ(res.out, text_reply("OK"));
    cam = read_back<camera_record>(tqdb_tbl_camera, 0);
    EXPECT_EQ(cam.enable, 0);
    EXPECT_STREQ(cam.ip_addr, "cam.local");
    msgs = sent(1);
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_EQ(msgs[0].id, 1202);
    EXPECT_EQ(int_at(msgs[0].payload, 0), 0);
}

TEST_F(Wizard, InvalidCameraQuickAddsStoreAndSendNothing) {
    camera_record before[64];
    int count = 0;
    ASSERT_EQ(read_cameras(TQDB_FILE, before, &count), 0);
    const char* bodies[] = {
        "{\"id\": 64, \"enable\": 1, \"ipAddr\": \"1.2.3.4\", \"managePort\": 80}",
        "{\"id\": -1, \"enable\": 1, \"ipAddr\": \"1.2.3.4\", \"managePort\": 80}",
        "{\"enable\": 1, \"ipAddr\": \"1.2.3.4\", \"managePort\": 80}",
        "{\"id\": 3, \"ipAddr\": \"1.2.3.4\", \"managePort\": 80}",
        "{\"id\": 3, \"enable\": 2, \"ipAddr\": \"1.2.3.4\", \"managePort\": 80}",
        "{\"id\": 3, \"enable\": 1, \"ipAddr\": \"\", \"managePort\": 80}",
        "{\"id\": 3, \"enable\": 1, \"managePort\": 80}",
        "{\"id\": 3, \"enable\": 1, \"ipAddr\": \"1.2.3.4\"}",
        "{\"id\": 3, \"enable\": 1, \"ipAddr\": \"1.2.3.4\", \"managePort\": -1}",
        "{\"id\": 99999999999, \"enable\": 1, \"ipAddr\": \"1.2.3.4\", \"managePort\": 80}",
    };
    for (const char* body : bodies) {
        cgi_result res = cgi_post_json(root, "/3304", body);
        EXPECT_EQ(res.out, "") << body;
    }
    camera_record after[64];
    ASSERT_EQ(read_cameras(TQDB_FILE, after, &count), 0);
    EXPECT_EQ(std::memcmp(before, after, sizeof before), 0);
    EXPECT_TRUE(sent().empty());
}

// A store the database refuses answers "CGI ERROR", leaves what was stored
// and tells the core nothing; the same request answers "OK" once the
// database takes writes again.
TEST_F(Wizard, RefusedStoresAnswerCgiErrorAndTellNobody) {
    auto port_bytes = [] { return bytes_of(read_back<port_record>(tqdb_tbl_port)); };
    auto camera_bytes = [] { return bytes_of(read_back<camera_record>(tqdb_tbl_camera, 7)); };
    auto record_bytes = [] {
        struct {
            record_row rows[64];
        } all;
        for (int chn = 0; chn < 64; ++chn) all.rows[chn] = read_back<record_row>(tqdb_tbl_record, chn);
        return bytes_of(all);
    };
    auto param_bytes = [](const char* key) {
        return [key] { return bytes_of(get_param_int(TQDB_FILE, key, -1)); };
    };
    struct row {
        int line;
        const char* code;
        const char* body;
        std::string refused;
        std::function<coresim::bytes()> stored;
    } rows[] = {
        {__LINE__, "/3300", "{\"sshEnable\": 1}", tqdb_tbl_port.name, port_bytes},
        {__LINE__, "/3301", "{\"autoLoginEnable\": 1}", param_target("local_auth_enable"), param_bytes("local_auth_enable")},
        {__LINE__, "/3302", "{\"recordMode\": 2}", tqdb_tbl_record.name, record_bytes},
        {__LINE__, "/3303", "{\"wizardEnable\": 1}", param_target("wizard_enable"), param_bytes("wizard_enable")},
        {__LINE__, "/3304", "{\"id\": 7, \"enable\": 1, \"ipAddr\": \"10.0.0.7\", \"managePort\": 80}",
         tqdb_tbl_camera.name, camera_bytes},
    };
    for (const auto& r : rows) {
        fresh_case();
        const coresim::bytes before = r.stored();
        {
            refused_writes refuse(r.refused);
            ASSERT_TRUE(refuse) << "row at line " << r.line;
            EXPECT_EQ(cgi_post_json(root, r.code, r.body).out, text_reply("CGI ERROR")) << "row at line " << r.line;
            EXPECT_EQ(r.stored(), before) << "row at line " << r.line;
            EXPECT_TRUE(sent().empty()) << "row at line " << r.line;
        }
        EXPECT_EQ(cgi_post_json(root, r.code, r.body).out, text_reply("OK")) << "row at line " << r.line;
        EXPECT_NE(r.stored(), before) << "row at line " << r.line;
    }
}

}  // namespace
