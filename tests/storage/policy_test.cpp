// Storage policy end to end: the quota list and the disk-group view, quotas
// handed to the core, group changes, the eSATA backup plan read back, and
// how the backup's answers are shown.
#include "platform/tqdb/rec_storage.h"
#include "tests/harness/db_faults.h"
#include "tests/storage/storage_fixture.h"

#include <functional>

namespace {

using Policy = StorageFixture;
using xcase::json_failure;
using xcase::msg;
using xcase::record;
using xcase::text_failure;

// The quota list record: enable, count, then entries of (channel, video
// quota, picture quota, video used, picture used).
record quota_record(int enable, int count, std::initializer_list<std::array<int, 5>> entries) {
    record r(1288);
    r.i32(0, enable).i32(4, count);
    size_t at = 8;
    for (const auto& e : entries) {
        r.i32(at, e[0]).i32(at + 4, e[1]).i32(at + 8, e[2]).i32(at + 12, e[3]).i32(at + 16, e[4]);
        at += 20;
    }
    return r;
}

std::string member_text(const json_ref& obj, const char* key) {
    json_object* m = req_member(obj.get(), key);
    return m ? json_object_to_json_string_ext(m, JSON_C_TO_STRING_PLAIN) : "<absent>";
}

void store_group(int id, const char* channel) {
    group_record g{};
    g.id = id;
    std::snprintf(g.channel, sizeof g.channel, "%s", channel);
    ASSERT_EQ(tqdb_write(TQDB_FILE, tqdb_tbl_group, &g), 0);
}

TEST_F(Policy, QuotaListShowsTheCoresEntriesAndTheStoredGroups) {
    store_group(0, "1100");
    store_group(3, "0011");
    configure(2, 0, "sata", "", "");
    ASSERT_EQ(edit_disk(TQDB_FILE, 2, [](disk_record& d) { d.group = 3; }), 0);
    configure(7, 0, "sata", "", "", 0);  // not configured: no group shown
    set_param_int(TQDB_FILE, "group_mode", 1);
    set_param_int(TQDB_FILE, "max_cameras", 16);

    struct row {
        int line;
        record answer;
        std::string enable, quotas;
    } rows[] = {
        {__LINE__, quota_record(1, 2, {{3, 500, 20, 120, 4}, {63, 0, 1, 2, 3}}), "1",
         "[{\"channel\":3,\"video_used\":120,\"video_quota\":500,\"picture_used\":4,\"picture_quota\":20},"
         "{\"channel\":63,\"video_used\":2,\"video_quota\":0,\"picture_used\":3,\"picture_quota\":1}]"},
        {__LINE__, quota_record(0, 0, {{3, 500, 20, 120, 4}}), "0", "[]"},
        // A count below 0 lists nothing; above 64 it lists the record's 64.
        {__LINE__, quota_record(1, -5, {{3, 500, 20, 120, 4}}), "1", "[]"},
        {__LINE__, quota_record(1, 9999, {}), "1", "64 entries"},
    };
    for (const auto& r : rows) {
        fresh_case();
        answer(3529, r.answer);
        cgi_result res = cgi_get(root, "/6208");
        json_ref body = json_body(res);
        ASSERT_TRUE(body) << "row at line " << r.line << ": " << res.out;
        EXPECT_EQ(res.out.rfind(json_reply("{ \"enable\": "), 0), 0u) << "row at line " << r.line;
        EXPECT_EQ(member_text(body, "enable"), r.enable) << "row at line " << r.line;
        if (r.quotas == "64 entries")
            EXPECT_EQ(json_object_array_length(req_member(body.get(), "quota_array")), 64u) << "row at line " << r.line;
        else
            EXPECT_EQ(member_text(body, "quota_array"), r.quotas) << "row at line " << r.line;
        EXPECT_EQ(member_text(body, "channel"),
                  "[\"1100\",\"\",\"\",\"0011\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"]")
            << "row at line " << r.line;
        EXPECT_EQ(member_text(body, "disk"),
                  "[0,0,4,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0]")
            << "row at line " << r.line;
        EXPECT_EQ(member_text(body, "max_chan"), "16") << "row at line " << r.line;
        EXPECT_EQ(member_text(body, "group_enable"), "1") << "row at line " << r.line;
        expect_sent({{3529, {}}}, r.line);
    }
    // The status module's group page is the same view without the quotas.
    json_ref groups = json_body(cgi_get(root, "/8010"));
    ASSERT_TRUE(groups);
    EXPECT_EQ(member_text(groups, "disk").substr(0, 8), "[0,0,4,0");
    EXPECT_EQ(member_text(groups, "quota_array"), "<absent>");
}

TEST_F(Policy, QuotasAreSentAsTheRecordTheCoreReads) {
    std::string seventy;
    for (int i = 0; i < 70; ++i)
        seventy += (i ? "," : "") + std::string("{\"channel\":") + std::to_string(i % 64) + ",\"video_quota\":" +
                   std::to_string(i) + "}";
    record first64 = quota_record(1, 64, {});
    for (int i = 0; i < 64; ++i) first64.i32(8 + 20 * i, i).i32(8 + 20 * i + 4, i);

    struct row {
        int line;
        std::string body;
        std::function<void(Policy&)> core;
        std::string reply;
        std::vector<msg> sent;
    } rows[] = {
        {__LINE__, "{\"enable\":1,\"quota_array\":[{\"channel\":5,\"video_quota\":300,\"picture_quota\":7},"
                   "{\"channel\":0,\"picture_quota\":2}]}",
         nullptr, text_reply("OK"), {{3530, quota_record(1, 2, {{5, 300, 7, 0, 0}, {0, 0, 2, 0, 0}})}}},
        {__LINE__, "{\"enable\":0}", [](Policy& f) { f.answer_int(3530, 1); }, text_reply("Error"),
         {{3530, quota_record(0, 0, {})}}},
        // A list longer than the record's 64 entries is cut, count included.
        {__LINE__, "{\"enable\":1,\"quota_array\":[" + seventy + "]}", nullptr, text_reply("OK"), {{3530, first64}}},
        {__LINE__, "{\"enable\":1}", [](Policy& f) { f.answer_nothing(3530); }, text_failure(),
         {{3530, quota_record(1, 0, {})}}},
        // Refused: no reply, nothing sent.
        {__LINE__, "{\"quota_array\":[]}", nullptr, "", {}},
        {__LINE__, "{\"enable\":1,\"quota_array\":[{\"channel\":64,\"video_quota\":1}]}", nullptr, "", {}},
        {__LINE__, "{\"enable\":1,\"quota_array\":[{\"video_quota\":1}]}", nullptr, "", {}},
        {__LINE__, "{\"enable\":1,\"quota_array\":[7]}", nullptr, "", {}},
    };
    for (const auto& r : rows) {
        fresh_case();
        if (r.core) r.core(*this);
        EXPECT_EQ(post("/6209", r.body).out, r.reply) << "row at line " << r.line;
        expect_sent(r.sent, r.line);
    }
}

TEST_F(Policy, GroupChangesGoToTheCoreWithTheStoredTexts) {
    auto mode = [](int v) { return int_bytes({v}); };
    auto change = [](int id, const std::string& text, const std::string& old) {
        return record(136).i32(0, id).text(4, text.substr(0, 64)).text(69, old);
    };
    const std::string long_text(70, '1');
    struct row {
        int line;
        int stored_mode;
        std::string body;
        std::string reply;
        int mode_after;
        std::vector<msg> sent;
    } rows[] = {
        {__LINE__, 1, "{\"group_enable\":0,\"channel\":[\"1\"]}", text_reply("OK"), 0, {{3442, mode(0)}}},
        {__LINE__, 0, "{\"group_enable\":2,\"channel\":[\"0110\",\"" + long_text + "\"]}", text_reply("OK"), 2,
         {{3442, mode(2)}, {3436, change(0, "0110", "1100")}, {3436, change(1, long_text, "")}, {1307, {}}}},
        // Already on: no mode message; a non-text element changes nothing.
        {__LINE__, 1, "{\"group_enable\":1,\"channel\":[5,\"0001\"]}", text_reply("OK"), 1,
         {{3436, change(1, "0001", "")}, {1307, {}}}},
        {__LINE__, 3, "{\"group_enable\":1}", text_reply("OK"), 3, {{1307, {}}}},
        {__LINE__, 1, "{\"channel\":[\"1\"]}", "", 1, {}},
    };
    std::string seventeen = "{\"group_enable\":1,\"channel\":[";
    for (int i = 0; i < 17; ++i) seventeen += std::string(i ? "," : "") + "\"1\"";
    seventeen += "]}";
    for (const auto& r : rows) {
        fresh_case();
        store_group(0, "1100");
        set_param_int(TQDB_FILE, "group_mode", r.stored_mode);
        EXPECT_EQ(post("/6210", r.body).out, r.reply) << "row at line " << r.line;
        EXPECT_EQ(get_param_int(TQDB_FILE, "group_mode", -1), r.mode_after) << "row at line " << r.line;
        expect_sent(r.sent, r.line);
    }
    // At most the 16 groups.
    fresh_case();
    EXPECT_EQ(post("/6210", seventeen).out, text_reply("OK"));
    EXPECT_EQ(sent(17).size(), 17u);

    // A mode that cannot be stored: the failure and nothing sent.
    for (const char* body : {"{\"group_enable\":1,\"channel\":[\"1\"]}", "{\"group_enable\":0}"}) {
        fresh_case();
        set_param_int(TQDB_FILE, "group_mode", body[16] == '1' ? 0 : 2);
        {
            refused_writes refused("params");
            EXPECT_EQ(post("/6210", body).out, text_failure()) << body;
        }
        EXPECT_TRUE(sent().empty()) << body << ": " << ids_text(sent());
        EXPECT_EQ(get_param_int(TQDB_FILE, "group_mode", -1), body[16] == '1' ? 0 : 2) << body;
    }
}

TEST_F(Policy, BackupPlanIsStoredFreshUnlessStoppingAndReadBack) {
    struct row {
        int line;
        std::string body;
        std::function<void(Policy&)> core;
        std::string reply, plan_after;
        bool sent;
    } rows[] = {
        {__LINE__, "{\"stopBackup\":0,\"enable\":1,\"streamType\":1,\"fileType\":2,\"recycle\":1,"
                   "\"channel\":\"1010\",\"backupTime\":\"02:00\"}",
         nullptr, json_reply("{ \"result\": 0 }"),
         "{ \"enable\": 1, \"streamType\": 1, \"fileType\": 2, \"recycle\": 1, \"channel\": \"1010\", "
         "\"backupTime\": \"02:00\" }", true},
        // A fresh plan: what the request leaves out is cleared.
        {__LINE__, "{\"stopBackup\":0,\"enable\":1}", [](Policy& f) { f.answer_int(1316, 7); },
         json_reply("{ \"result\": 7 }"),
         "{ \"enable\": 1, \"streamType\": 0, \"fileType\": 0, \"recycle\": 0, \"channel\": \"\", \"backupTime\": \"\" }",
         true},
        // Stopping keeps the plan.
        {__LINE__, "{\"stopBackup\":1,\"enable\":0}", nullptr, json_reply("{ \"result\": 0 }"),
         "{ \"enable\": 1, \"streamType\": 0, \"fileType\": 0, \"recycle\": 0, \"channel\": \"\", \"backupTime\": \"\" }",
         true},
        {__LINE__, "{\"stopBackup\":1}", [](Policy& f) { f.answer_nothing(1316); }, json_failure(),
         "{ \"enable\": 1, \"streamType\": 0, \"fileType\": 0, \"recycle\": 0, \"channel\": \"\", \"backupTime\": \"\" }",
         true},
        {__LINE__, "{\"enable\":0}", nullptr, "",
         "{ \"enable\": 1, \"streamType\": 0, \"fileType\": 0, \"recycle\": 0, \"channel\": \"\", \"backupTime\": \"\" }",
         false},
    };
    for (const auto& r : rows) {
        fresh_case();
        if (r.core) r.core(*this);
        EXPECT_EQ(post("/6221", r.body).out, r.reply) << "row at line " << r.line;
        EXPECT_EQ(cgi_get(root, "/6220").out, json_reply(r.plan_after)) << "row at line " << r.line;
        expect_sent(r.sent ? std::vector<msg>{{1316, {}}} : std::vector<msg>{}, r.line);
    }
    // A plan that cannot be stored: the failure, nothing sent, plan as it was.
    fresh_case();
    {
        refused_writes refused("esata_auto_backup");
        EXPECT_EQ(post("/6221", "{\"stopBackup\":0,\"enable\":0}").out, json_failure());
    }
    EXPECT_TRUE(sent().empty());
    EXPECT_EQ(read_back<esata_backup_record>(tqdb_tbl_esata_backup).enable, 1);
}

TEST_F(Policy, BackupAnswersAreRendered) {
    record status(48);
    status.i32(0, 2).text(4, "2026-01-05 02:00:00");
    float percent = 12.345f;
    uint64_t capacity = (uint64_t{3} << 32) | 4000000000u;
    coresim::bytes st = status;
    std::memcpy(st.data() + 36, &percent, 4);
    std::memcpy(st.data() + 40, &capacity, 8);
    auto scan = [](std::initializer_list<std::pair<int, int>> disks) {
        coresim::bytes all;
        for (auto [port, type] : disks) {
            coresim::bytes one = record(168).i32(152, type);
            one[0] = static_cast<uint8_t>(port);
            all.insert(all.end(), one.begin(), one.end());
        }
        return all;
    };
    coresim::bytes progress = record(12).i32(0, 1).i32(8, 3);
    progress[4] = 42;
    progress[5] = 34;

    struct row {
        int line;
        const char* code;
        std::string body;  // empty: a GET
        int32_t msg_id;
        coresim::bytes answer;  // empty: the core does not answer
        std::string reply;
        coresim::bytes sent_payload;
    } rows[] = {
        {__LINE__, "/6222", "", 1317, st,
         json_reply("{ \"status\": 2, \"percent\": \"12.3\", \"last_time\": \"2026-01-05 02:00:00\", "
                    "\"capacity\": 4000000000 }"), {}},
        {__LINE__, "/6222", "", 1317, {}, json_failure(), {}},
        {__LINE__, "/6223", "", 3457, scan({{3, 1}, {34, 5}, {35, 5}}), json_reply("{ \"port\": 34, \"result\": 0 }"),
         {}},
        {__LINE__, "/6223", "", 3457, scan({{3, 1}}), json_reply("{ \"result\": -1 }"), {}},
        {__LINE__, "/6224", "{\"port\":36}", 3535, int_bytes({0}), json_reply("{ \"result\": 0 }"), int_bytes({36})},
        {__LINE__, "/6224", "{\"port\":37}", 0, {}, json_failure(), {}},
        {__LINE__, "/6224", "{\"port\":-1}", 0, {}, json_failure(), {}},
        {__LINE__, "/6224", "port=3", 0, {}, json_failure(), {}},
        {__LINE__, "/6225", "", 3536, int_bytes({4}), json_reply("{ \"status\": 4 }"), {}},
        {__LINE__, "/6226", "", 3537, int_bytes({-1}), json_reply("{ \"result\": -1 }"), {}},
        {__LINE__, "/6227", "", 3540, progress,
         json_reply("{ \"status\": 1, \"port\": 34, \"type\": 3, \"percent\": 42 }"), {}},
    };
    for (const auto& r : rows) {
        fresh_case();
        if (r.msg_id && r.answer.empty()) answer_nothing(r.msg_id);
        if (r.msg_id && !r.answer.empty()) answer(r.msg_id, r.answer);
        cgi_result res = r.body.empty() ? cgi_get(root, r.code) : post(r.code, r.body);
        EXPECT_EQ(res.out, r.reply) << "row at line " << r.line;
        expect_sent(r.msg_id ? std::vector<msg>{{r.msg_id, r.sent_payload}} : std::vector<msg>{}, r.line);
    }
}

}  // namespace
