// People-counting groups, their reports, POS terminals and face capture, end
// to end: webreq as a CGI process, a fresh database and the fake core.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/msg_pcnt.h"
#include "platform/tqdb/rec_action.h"
#include "platform/tqdb/rec_pcnt.h"
#include "tests/harness/event_forms.h"
#include "tests/harness/store_case.h"

namespace xcase {
namespace {

using namespace evforms;

class PeopleCount : public store_case {
protected:
    static pcnt_group_record group(int id) { return read_back<pcnt_group_record>(tqdb_tbl_peoplecnt_settings, id); }

    static pcnt_group_record seed_group(int id, const char* name) {
        pcnt_group_record g = group(id);
        g.enable = 1;
        g.stays = 30 + id;
        set_text(g.name, name);
        set_text(g.green_tips, "welcome");
        EXPECT_EQ(tqdb_write(TQDB_FILE, tqdb_tbl_peoplecnt_settings, &g), 0);
        return g;
    }

    static pcnt_group_event_record seed_group_event(int id) {
        pcnt_group_event_record e;
        std::memset(&e, 0, sizeof e);
        e.groupid = id;
        e.tri_alarms = 3;
        e.interval = 20;
        e.email_interval = 40;
        set_text(e.tri_chn_alarms[0], "01");
        set_text(e.tri_channels_pic, "11");
        e.audio_id = 4;
        EXPECT_EQ(write_peoplecnt_event(TQDB_FILE, &e), 0);
        return e;
    }

    static event_action_record pos_action(int id) { return read_back<event_action_record>(tqdb_tbl_pos_event, id); }
};

// ---- groups ------------------------------------------------------------------------

// Element i changes group i, whatever "groupid" it names; groups past the
// array stay as stored; an absent text keeps the stored one, an absent
// integer stores 0.
TEST_F(PeopleCount, GroupElementsChangeTheirOwnSlotOnly) {
    struct row {
        int line;
        std::string groups;
        std::vector<int> changed;  // groups whose stays become 7
        const char* name0;         // group 0's name afterwards
    } rows[] = {
        {__LINE__, R"([{"stays": 7, "name": "door"}, {"stays": 7}, {"stays": 7}])", {0, 1, 2}, "door"},
        {__LINE__, R"([{"groupid": 5, "stays": 7}])", {0}, "g0"},
        {__LINE__, R"([3, "x", {"stays": 7}])", {2}, "g0"},
        {__LINE__, R"([])", {}, "g0"},
    };
    for (const row& r : rows) {
        fresh_case();
        pcnt_group_record before[pcnt_groups];
        for (int i = 0; i < pcnt_groups; ++i) before[i] = seed_group(i, ("g" + num(i)).c_str());
        answer_int(msg_pcnt_groups_changed, 6);
        EXPECT_EQ(post("/2067", R"({"groups": )" + r.groups + "}").out, json_reply(R"({ "res": 6 })"))
            << "row at line " << r.line;
        expect_sent({{msg_pcnt_groups_changed, int_bytes({0})}}, r.line);
        for (int i = 0; i < pcnt_groups; ++i) {
            pcnt_group_record g = group(i);
            EXPECT_EQ(g.groupid, i) << "row at line " << r.line;
            bool changed = std::find(r.changed.begin(), r.changed.end(), i) != r.changed.end();
            if (changed) {
                EXPECT_EQ(g.stays, 7) << "row at line " << r.line << ", group " << i;
                EXPECT_EQ(g.enable, 0) << "row at line " << r.line << ", group " << i;
                EXPECT_STREQ(g.green_tips, "welcome") << "row at line " << r.line << ", group " << i;
            } else {
                EXPECT_TRUE(same_bytes(g, before[i])) << "row at line " << r.line << ", group " << i;
            }
        }
        EXPECT_STREQ(group(0).name, r.name0) << "row at line " << r.line;
    }
}

TEST_F(PeopleCount, GroupListCarriesEachGroupsActionsOnlyWhenAsked) {
    seed_group(4, "till");
    seed_group_event(4);
    const week_schedule audible = schedule_with({{1, 0, "08:00", "18:00", 1}});
    ASSERT_EQ(write_peoplecnt_audible_schedule(TQDB_FILE, &audible, 4), 0);
    const struct row {
        int line;
        const char* body;
        bool dialog;
    } rows[] = {
        {__LINE__, R"({"action": 0})", false},
        {__LINE__, R"({})", false},
        {__LINE__, R"({"action": 1})", true},
    };
    for (const row& r : rows) {
        json_ref obj = json_body(post("/2066", r.body));
        ASSERT_TRUE(obj) << "row at line " << r.line;
        json_object* groups = req_array(obj.get(), "groups");
        ASSERT_EQ(json_object_array_length(groups), size_t{pcnt_groups}) << "row at line " << r.line;
        json_object* g4 = json_object_array_get_idx(groups, 4);
        EXPECT_STREQ(req_str(g4, "name"), "till") << "row at line " << r.line;
        json_object* dialog = req_member(g4, "dialog");
        EXPECT_EQ(dialog != nullptr, r.dialog) << "row at line " << r.line;
        if (!dialog) continue;
        EXPECT_EQ(req_int_or(dialog, "chnid", -1), 4);
        EXPECT_EQ(req_int_or(dialog, "interval", -1), 20);
        // Groups keep no effective schedule: it shows the audible one.
        EXPECT_STREQ(json_object_to_json_string(req_member(dialog, "effective")), schedule_json({{1, 0, "08:00", "18:00", 1}}).c_str());
        EXPECT_STREQ(json_object_to_json_string(req_member(dialog, "audible")), schedule_json({{1, 0, "08:00", "18:00", 1}}).c_str());
        EXPECT_TRUE(req_array(dialog, "ptzParams"));
    }
    EXPECT_TRUE(sent().empty());
}

// A group's actions: the record is written when one of its fields (or a PTZ
// list) came; the lists go to the groups' own stores; a group outside 0..8
// is refused before anything is stored or sent.
TEST_F(PeopleCount, GroupActionsStoreWhatCameAndNothingElse) {
    struct row {
        int line;
        std::string body;
        bool stored;      // the record exists afterwards
        int interval;     // its interval
        int ptz_entries;  // people-counting PTZ list of group 2
        int led_entries;  // people-counting white-light list of group 2
    } rows[] = {
        {__LINE__, R"({"groupid": 2, "interval": 9})", true, 9, 0, 0},
        {__LINE__, R"({"groupid": 2, "chnid": 7})", false, 0, 0, 0},
        {__LINE__, R"({"groupid": 2, "ptzParams": [{"acto_ptz_channel": 3, "acto_ptz_type": 1}]})", true, 0, 1, 0},
        {__LINE__, R"({"groupid": 2, "whiteInfo": [[4, 1, 30], [5, 1, 30]]})", false, 0, 0, 2},
    };
    for (const row& r : rows) {
        fresh_case();
        tqdb_delete(TQDB_FILE, tqdb_tbl_peoplecnt_event, 2);
        ptz_action none[action_list_len] = {};
        write_peoplecnt_ptz_params_ex(TQDB_FILE, none, 2);
        led_entry no_led[action_list_len] = {};
        write_peoplecnt_wled_params_all(TQDB_FILE, no_led, 2);
        answer_int(msg_pcnt_group_event_changed, 0);
        EXPECT_EQ(post("/2070", r.body).out, json_reply(R"({ "res": 0 })")) << "row at line " << r.line;
        expect_sent({{msg_pcnt_group_event_changed, int_bytes({2, -1})}}, r.line);
        pcnt_group_event_record e;
        EXPECT_EQ(read_peoplecnt_event(TQDB_FILE, &e, 2) == 0, r.stored) << "row at line " << r.line;
        if (r.stored) {
            EXPECT_EQ(e.groupid, 2) << "row at line " << r.line;
            EXPECT_EQ(e.interval, r.interval) << "row at line " << r.line;
        }
        ptz_action ptz[action_list_len];
        int count = 0;
        read_peoplecnt_ptz_params(TQDB_FILE, ptz, 2, &count);
        EXPECT_EQ(count, r.ptz_entries) << "row at line " << r.line;
        led_entry led[action_list_len];
        read_peoplecnt_wled_params(TQDB_FILE, led, 2, &count);
        EXPECT_EQ(count, r.led_entries) << "row at line " << r.line;
    }
    // The page's PTZ list is always the group's own: a kind or channel named
    // in the request reaches no other source's list.
    fresh_case();
    ptz_action motion_ptz[action_list_len] = {};
    motion_ptz[0] = {3, 6, 0, 1, 2, 0, 0};
    ASSERT_EQ(write_ptz_params_all(TQDB_FILE, motion_ptz, 1, 3), 0);
    EXPECT_EQ(post("/2070", R"({"groupid": 3, "ptzType": 1, "ptzChnId": 3, "ptzParams": [{"acto_ptz_channel": 9}]})").out,
              json_reply(R"({ "res": 0 })"));
    ptz_action got[action_list_len];
    int got_count = 0;
    ASSERT_EQ(read_ptz_params(TQDB_FILE, got, 1, 3, &got_count), 0);
    EXPECT_EQ(got_count, 1);
    EXPECT_EQ(got[0].acto_ptz_channel, 6);
    ASSERT_EQ(read_peoplecnt_ptz_params(TQDB_FILE, got, 3, &got_count), 0);
    EXPECT_EQ(got[0].acto_ptz_channel, 9);
    for (const char* bad : {R"({"groupid": 9, "interval": 9})", R"({"interval": 9})", R"({"groupid": -1})"}) {
        fresh_case();
        const std::string before = db_snapshot(root);
        EXPECT_EQ(post("/2070", bad).out, json_failure()) << bad;
        EXPECT_EQ(post("/2069", bad).out, json_failure()) << bad;
        EXPECT_TRUE(db_snapshot(root) == before) << bad;
        EXPECT_TRUE(sent().empty()) << bad;
    }
}

TEST_F(PeopleCount, GroupActionsAndCameraPageGoThroughTheCore) {
    const struct row {
        int line;
        const char* code;
        const char* body;
        int32_t msg;
        coresim::bytes payload;
        coresim::bytes answer;
        std::string out;
    } rows[] = {
        {__LINE__, "/2071", R"({"groupid": 8})", msg_pcnt_group_action1, int_bytes({8}), int_bytes({3}),
         json_reply(R"({ "res": 3 })")},
        {__LINE__, "/2072", R"({"groupid": 0})", msg_pcnt_group_action2, int_bytes({0}), int_bytes({-2}),
         json_reply(R"({ "res": -2 })")},
        {__LINE__, "/2068", R"({"chnid": 5, "url": "a/b"})", msg_pcnt_camera_url,
         record(260).i32(0, 5).text(4, "a/b"), record(12).i32(0, 0).i32(4, 5).text(8, "ok"),
         json_reply(R"({ "res": 0, "chnid": 5, "data": "ok" })")},
    };
    for (const row& r : rows) {
        fresh_case();
        answer(r.msg, r.answer);
        EXPECT_EQ(post(r.code, r.body).out, r.out) << "row at line " << r.line;
        expect_sent({{r.msg, r.payload}}, r.line);
    }
    fresh_case();
    EXPECT_EQ(post("/2068", R"({"chnid": 64})").out, text_failure());
    EXPECT_EQ(post("/2071", R"({"groupid": 9})").out, json_failure());
    EXPECT_TRUE(sent().empty());
    answer_nothing(msg_pcnt_group_action1);
    EXPECT_EQ(post("/2071", R"({"groupid": 1})").out, json_failure());
}

// ---- reports ----------------------------------------------------------------------

TEST_F(PeopleCount, ReportElementsChangeTheirOwnReportAndMissingOnesKeepIt) {
    pcnt_report_record seed[pcnt_reports] = {};
    for (int i = 0; i < pcnt_reports; ++i) {
        seed[i].report_type = i;
        seed[i].enable = 1;
        set_text(seed[i].backup_time, "23:00");
    }
    ASSERT_EQ(write_peoplecnt_auto_backup(TQDB_FILE, seed, pcnt_reports), 0);
    answer_int(msg_pcnt_reports_changed, 0);
    const std::string body = R"({"report": [{"reportType": 0, "enable": 0, "triGroups": "11111111111111111111"},)"
                             R"( {"reportType": 1, "fileFormat": 2}]})";
    EXPECT_EQ(post("/2076", body).out, json_reply(R"({ "res": 0 })"));
    expect_sent({{msg_pcnt_reports_changed, {}}}, __LINE__);
    pcnt_report_record got[pcnt_reports];
    read_peoplecnt_auto_backup(TQDB_FILE, got, nullptr);
    EXPECT_EQ(got[0].enable, 0);
    EXPECT_STREQ(got[0].tri_groups, "1111111111111111");  // 16 characters kept
    EXPECT_STREQ(got[0].backup_time, "23:00");             // absent text kept
    EXPECT_EQ(got[1].file_format, 2);
    EXPECT_EQ(got[1].enable, 0);  // absent integer: 0
    EXPECT_TRUE(same_bytes(got[2], seed[2]));

    json_ref obj = json_body(post("/2075", ""));
    ASSERT_TRUE(obj);
    EXPECT_EQ(req_int_or(obj.get(), "email", 0), 1);
    json_object* reports = req_array(obj.get(), "report");
    ASSERT_EQ(json_object_array_length(reports), size_t{3});
    EXPECT_EQ(req_int_or(json_object_array_get_idx(reports, 1), "fileFormat", -1), 2);
    EXPECT_STREQ(req_str(json_object_array_get_idx(reports, 2), "backupTime"), "23:00");
}

// ---- POS ----------------------------------------------------------------------------

// The trigger mask follows '1's below position 32 of "triChannels"; a
// terminal saved without "action" keeps its actions and schedules.
TEST_F(PeopleCount, PosActionsFollowTheActionObjectOnly) {
    struct row {
        int line;
        std::string action;  // "" : none
        uint32_t mask;
        const char* text;
        int audio_id;
    } rows[] = {
        {__LINE__, R"({"triChannels": "0101", "audioId": 2})", 0xA, "0101", 2},
        {__LINE__, R"({"triChannels": ")" + channel_text({40}, 41) + R"("})", 0, nullptr, 5},
        {__LINE__, "", 0x1, "1", 5},
    };
    for (const row& r : rows) {
        fresh_case();
        event_action_record seed;
        std::memset(&seed, 0, sizeof seed);
        seed.chnid = 3;
        seed.tri_channels_mask = 1;
        set_text(seed.tri_channels, "1");
        seed.audio_id = 5;
        ASSERT_EQ(write_pos_event(TQDB_FILE, &seed), 0);
        const week_schedule audible = schedule_with({{0, 0, "01:00", "02:00", 1}});
        ASSERT_EQ(write_pos_schedule(TQDB_FILE, &audible, 1, 3), 0);
        answer_int(msg_pos_changed, 0);
        std::string body = R"({"id": 3, "name": "till 3")" + (r.action.empty() ? "" : ", \"action\": " + r.action) + "}";
        EXPECT_EQ(post("/2074", body).out, json_reply(R"({ "res": 0 })")) << "row at line " << r.line;
        expect_sent({{msg_pos_changed, int_bytes({3})}}, r.line);
        event_action_record got = pos_action(3);
        if (r.text) {
            EXPECT_STREQ(got.tri_channels, r.text) << "row at line " << r.line;
            EXPECT_EQ(got.tri_channels_mask, r.mask) << "row at line " << r.line;
        } else {
            EXPECT_EQ(got.tri_channels[40], '1') << "row at line " << r.line;
            EXPECT_EQ(got.tri_channels_mask, 0u) << "row at line " << r.line;
        }
        EXPECT_EQ(got.audio_id, r.audio_id) << "row at line " << r.line;
        week_schedule still;
        ASSERT_EQ(read_pos_schedule(TQDB_FILE, &still, 1, 3), 0);
        EXPECT_TRUE(same_bytes(still, audible)) << "row at line " << r.line;
    }
}

// A saved terminal: absent integers store 0, absent texts keep the stored
// ones (never "(null)"), the name is cut to 32 characters, the key is the
// request's id.
TEST_F(PeopleCount, PosSettingsKeepStoredTextsAndTheirKey) {
    pos_record seed = read_back<pos_record>(tqdb_tbl_pos, 6);
    seed.port = 9000;
    set_text(seed.ip, "10.0.0.6");
    set_text(seed.privacy[1], "card");
    ASSERT_EQ(write_pos_setting(TQDB_FILE, &seed), 0);
    pos_record zero_before = read_back<pos_record>(tqdb_tbl_pos, 0);
    answer_int(msg_pos_changed, 0);
    const std::string name(40, 'n');
    EXPECT_EQ(post("/2074", R"({"id": 6, "enable": 1, "name": ")" + name + "\"}").out, json_reply(R"({ "res": 0 })"));
    pos_record got = read_back<pos_record>(tqdb_tbl_pos, 6);
    EXPECT_EQ(got.id, 6);
    EXPECT_EQ(got.enable, 1);
    EXPECT_EQ(got.port, 0);
    EXPECT_STREQ(got.ip, "10.0.0.6");
    EXPECT_STREQ(got.privacy[1], "card");
    EXPECT_EQ(std::string(got.name), name.substr(0, 32));
    EXPECT_TRUE(same_bytes(read_back<pos_record>(tqdb_tbl_pos, 0), zero_before));

    json_ref obj = json_body(post("/2073", R"({"id": 6})"));
    ASSERT_TRUE(obj);
    json_object* pos = req_array(obj.get(), "pos");
    ASSERT_EQ(json_object_array_length(pos), size_t{pos_terminals});
    EXPECT_STREQ(req_str(json_object_array_get_idx(pos, 6), "ip"), "10.0.0.6");
    json_object* action = req_member(obj.get(), "action");
    for (const char* key : {"effective", "audible", "email", "ptz", "white", "whiteInfo", "ptzParams", "triChannels",
                            "triChnAlarms"})
        EXPECT_TRUE(req_member(action, key)) << key;

    fresh_case();
    for (const char* bad : {R"({"id": 16})", R"({"id": -1})"}) {
        EXPECT_EQ(post("/2074", bad).out, json_failure()) << bad;
        EXPECT_EQ(post("/2073", bad).out, json_failure()) << bad;
    }
    EXPECT_TRUE(sent().empty());
}

// ---- face capture -----------------------------------------------------------------------

// The camera's settings by offset; missing elements of "captureModeArray"
// and "shield" leave their slots zero. The actions are stored and announced
// (3383) only when "action" came.
TEST_F(PeopleCount, FaceCaptureSendsTheSettingsAndStoresActionsWhenGiven) {
    const std::string settings =
        R"("chnId": 9, "enable": 1, "width": 1920, "captureQuality": 9, "captureModeArray": [{"captureQuality": 3,)"
        R"( "snapshot": 1}, 7], "detection_polygonX": "1,2,3", "httpUrl": "http://h", "mutuallyExclusive": 1,)"
        R"( "shield": [{"enable": 1, "polygonX": "5,6"}])";
    const bytes want = record(1288)
                           .i32(4, 9)
                           .i32(140, 1)
                           .i32(144, 1920)
                           .i32(160, 3)
                           .text(216, "1,2,3")
                           .text(376, "http://h")
                           .i32(632, 1)
                           .i32(740, 1)
                           .text(744, "5,6")
                           .i32(1284, 1);
    struct row {
        int line;
        std::string extra;
        std::vector<msg> messages;
        bool stored;
    } rows[] = {
        {__LINE__, "", {{msg_face_capture_set, want}}, false},
        {__LINE__, R"(, "action": {"interval": 12, "ptzParams": [{"acto_ptz_channel": 2}]})",
         {{msg_face_actions_changed, int_bytes({9})}, {msg_face_capture_set, want}}, true},
    };
    for (const row& r : rows) {
        fresh_case();
        tqdb_delete(TQDB_FILE, tqdb_tbl_face_event, 9);
        answer_int(msg_face_capture_set, 4);
        EXPECT_EQ(post("/2077", "{" + settings + r.extra + "}").out, json_reply(R"({ "status": 4 })"))
            << "row at line " << r.line;
        expect_sent(r.messages, r.line);
        event_action_record e;
        EXPECT_EQ(read_face_event(TQDB_FILE, &e, 9) == 0, r.stored) << "row at line " << r.line;
        if (r.stored) {
            EXPECT_EQ(e.interval, 12) << "row at line " << r.line;
        }
        ptz_action ptz[action_list_len];
        int count = 0;
        read_ptz_params(TQDB_FILE, ptz, 26, 9, &count);
        EXPECT_EQ(count, r.stored ? 1 : 0) << "row at line " << r.line;
    }
    fresh_case();
    EXPECT_EQ(post("/2077", R"({"chnId": 64, "action": {"interval": 1}})").out, json_failure());
    EXPECT_TRUE(sent().empty());
}

// ---- stores that refuse writes ---------------------------------------------------------------

TEST_F(PeopleCount, ChangesThatCannotBeStoredTellTheCoreNothing) {
    const unstored_row rows[] = {
        {__LINE__, "/2067", R"({"groups": [{"stays": 3}]})", {"peoplecnt_settings"}, json_failure()},
        {__LINE__, "/2070", R"({"groupid": 1, "interval": 3})", {"peoplecnt_event"}, json_failure()},
        {__LINE__, "/2070", R"({"groupid": 1, "interval": 3, "audible": )" + schedule_request() + "}",
         {"peoplecnt_event"}, json_failure()},
        {__LINE__, "/2076", R"({"report": [{"enable": 1}]})", {"peoplecnt_auto_backup"}, json_failure()},
        {__LINE__, "/2074", R"({"id": 2, "action": {"interval": 3}})", {"pos_settings"}, json_failure()},
        {__LINE__, "/2074", R"({"id": 2, "action": {"interval": 4}})", {"pos_event"}, json_failure()},
        {__LINE__, "/2077", R"({"chnId": 2, "action": {"interval": 3}})", {"face_event"}, json_failure()},
    };
    for (const unstored_row& r : rows) expect_unstored(r);
}

}  // namespace
}  // namespace xcase
