// Regional people counting: the camera's regions through the core daemon,
// the recorder's actions per (channel, region) through the action model, and
// the same action object on the motion page and on a region.
#include <cstring>
#include <string>

#include "platform/msg_pcnt.h"
#include "platform/tqdb/rec_pcnt.h"
#include "tests/event/event_cases.h"

namespace evtest {
namespace {

class Regional : public EventTest {
protected:
    static event_action_record region_action(int chn, int region) {
        return read_back<event_action_record>(tqdb_tbl_regional_pcnt_event[region], chn);
    }
    static bool region_stored(int chn, int region) {
        event_action_record rec;
        return read_regional_pcnt_event(TQDB_FILE, &rec, chn, region) == 0;
    }
    static int ptz_entries(int kind, int chn) {
        ptz_action rows[action_list_len];
        int count = 0;
        read_ptz_params(TQDB_FILE, rows, kind, chn, &count);
        return count;
    }
};

const char* const white_lists[pcnt_regions] = {"regional_pcnt_whiteled_params", "regional_pcnt1_whiteled_params",
                                               "regional_pcnt2_whiteled_params", "regional_pcnt3_whiteled_params"};

// The camera record of a request: its members by offset, regions at 44 + 156 r.
TEST_F(Regional, SettingsGoToTheCameraAndMissingRegionsStayOff) {
    struct row {
        int line;
        std::string body;
        bytes payload;
    } rows[] = {
        {__LINE__,
         R"({"chnid": 3, "result": 9, "sensitivity": 4, "minObjX": -5, "maxObjHeight": 700, "regional": [)"
         R"({"enable": 1, "polygonX": "1,2", "maxStayValue": 8}, {"minStayTimeValue": 3}, {"enable": 1}, )"
         R"({"polygonY": "7,8", "maxStayTimeValue": 60}]})",
         record(668)
             .i32(4, 3)
             .i32(8, 4)
             .i32(12, -5)
             .i32(40, 700)
             .i32(44, 1)
             .text(48, "1,2")
             .i32(44 + 136, 8)
             .i32(44 + 2 * 156, 1)
             .text(44 + 3 * 156 + 68, "7,8")
             .i32(44 + 3 * 156 + 152, 60)},
        {__LINE__, R"({"chnid": 63, "regional": [{"enable": 1}]})", record(668).i32(4, 63).i32(44, 1)},
        {__LINE__, R"({"chnid": 0, "regional": 5})", record(668)},
    };
    for (const row& r : rows) {
        fresh_case();
        answer_int(msg_regional_pcnt_set, 2);
        EXPECT_EQ(post("/6097", r.body).out, json_reply(R"({ "res": 2 })")) << "row at line " << r.line;
        expect_sent({{msg_regional_pcnt_set, r.payload}}, r.line);
    }
    for (const char* bad : {R"({"chnid": 64, "action": [{"interval": 1}]})", R"({"chnid": -1})", R"({"regional": []})"}) {
        fresh_case();
        const std::string before = db_snapshot(root);
        EXPECT_EQ(post("/6097", bad).out, json_failure()) << bad;
        EXPECT_TRUE(db_snapshot(root) == before) << bad;
        EXPECT_TRUE(sent().empty()) << bad;
    }
}

// Element r of "action" is region r's: regions past the fourth are not
// kept, an element that is no object ends the list, a region saved is
// stored even when its object changed nothing, and a region without
// "ptzParams" keeps its PTZ list.
TEST_F(Regional, ActionElementsConfigureTheirRegions) {
    struct row {
        int line;
        std::string actions;
        bool stored[pcnt_regions];
        int interval[pcnt_regions];
    } rows[] = {
        {__LINE__, R"([{"interval": 1}, {"interval": 2}, {"interval": 3}, {"interval": 4}, {"interval": 5}, {}])",
         {true, true, true, true}, {1, 2, 3, 4}},
        {__LINE__, R"([{}, {"interval": 2}, 7, {"interval": 4}])", {true, true, false, false}, {0, 2, 0, 0}},
        {__LINE__, R"([])", {false, false, false, false}, {0, 0, 0, 0}},
    };
    for (const row& r : rows) {
        fresh_case();
        for (int g = 0; g < pcnt_regions; ++g) {
            tqdb_delete(TQDB_FILE, tqdb_tbl_regional_pcnt_event[g], 6);
            ptz_action ptz[action_list_len] = {};
            ptz[0] = {6, 2, 0, 1, 5, 0, 0};
            ASSERT_EQ(write_ptz_params_all(TQDB_FILE, ptz, 22 + g, 6), 0);
        }
        EXPECT_EQ(post("/6097", R"({"chnid": 6, "action": )" + r.actions + "}").out, json_reply(R"({ "res": 0 })"))
            << "row at line " << r.line;
        for (int g = 0; g < pcnt_regions; ++g) {
            EXPECT_EQ(region_stored(6, g), r.stored[g]) << "row at line " << r.line << ", region " << g;
            EXPECT_EQ(region_action(6, g).interval, r.interval[g]) << "row at line " << r.line << ", region " << g;
            EXPECT_EQ(region_action(6, g).chnid, 6) << "row at line " << r.line << ", region " << g;
            EXPECT_EQ(ptz_entries(22 + g, 6), 1) << "row at line " << r.line << ", region " << g;
        }
    }
}

// Each region keeps its schedules under its index, its white-light list
// under its own name and its PTZ list as kind 22 + region.
TEST_F(Regional, EachRegionHasItsOwnStores) {
    for (int g = 0; g < pcnt_regions; ++g) {
        fresh_case();
        std::string actions = "[";
        for (int i = 0; i < g; ++i) actions += "{}, ";
        actions += R"({"audible": )" + schedule_request({{3, 2, "05:00", "06:00", 1}}) +
                   R"(, "white": )" + schedule_request({{4, 0, "07:00", "08:00", 1}}) +
                   R"(, "whiteInfo": [[9, 1, 20]], "ptzParams": [{"acto_ptz_channel": 4, "acto_ptz_type": 2}]}])";
        const int chn = 11 + g;  // no other round touches its stores
        EXPECT_EQ(post("/6097", R"({"chnid": )" + num(chn) + R"(, "action": )" + actions + "}").out, json_reply(R"({ "res": 0 })"))
            << "region " << g;
        for (int other = 0; other < pcnt_regions; ++other) {
            week_schedule s;
            const bool mine = other == g;
            EXPECT_EQ(read_regional_pcnt_schedule(TQDB_FILE, &s, 1, chn, other) == 0, mine) << g << " " << other;
            EXPECT_EQ(read_regional_pcnt_schedule(TQDB_FILE, &s, 4, chn, other) == 0, mine) << g << " " << other;
            if (mine) {
                EXPECT_TRUE(same_bytes(s, schedule_with({{4, 0, "07:00", "08:00", 1}}))) << g;
            }
            led_entry led[action_list_len];
            int count = 0;
            read_whiteled_params(TQDB_FILE, led, white_lists[other], chn, &count);
            EXPECT_EQ(count, mine ? 1 : 0) << g << " " << other;
            EXPECT_EQ(ptz_entries(22 + other, chn), mine ? 1 : 0) << g << " " << other;
        }
    }
}

// The read: the camera's answer, then per region the actions stored for the
// answer's channel.
TEST_F(Regional, ReadShowsTheCameraAndTheStoredActionsOfItsChannel) {
    event_action_record seed;
    std::memset(&seed, 0, sizeof seed);
    seed.chnid = 12;
    seed.interval = 44;
    set_text(seed.tri_channels, "001");
    seed.tri_channels_mask = 4;
    ASSERT_EQ(write_regional_pcnt_event(TQDB_FILE, &seed, 2), 0);
    answer(msg_regional_pcnt_get, record(668).i32(0, 0).i32(4, 12).i32(8, 3).i32(44 + 2 * 156, 1).text(48, "1,2"));
    json_ref obj = json_body(post("/6096", R"({"chnid": 12})"));
    expect_sent({{msg_regional_pcnt_get, int_bytes({12})}}, __LINE__);
    ASSERT_TRUE(obj);
    EXPECT_EQ(req_int_or(obj.get(), "sensitivity", -1), 3);
    json_object* regions = req_array(obj.get(), "regional");
    ASSERT_EQ(json_object_array_length(regions), size_t{4});
    EXPECT_STREQ(req_str(json_object_array_get_idx(regions, 0), "polygonX"), "1,2");
    EXPECT_EQ(req_int_or(json_object_array_get_idx(regions, 2), "enable", -1), 1);
    json_object* actions = req_array(obj.get(), "action");
    ASSERT_EQ(json_object_array_length(actions), size_t{4});
    EXPECT_EQ(req_int_or(json_object_array_get_idx(actions, 2), "interval", -1), 44);
    EXPECT_EQ(req_int_or(json_object_array_get_idx(actions, 1), "interval", -1), 0);
    json_object* a2 = json_object_array_get_idx(actions, 2);
    EXPECT_STREQ(req_str(a2, "triChannels"), "001");
    const char* first = nullptr;
    json_object_object_foreach(a2, key, value) {
        (void)value;
        if (!first) first = key;
    }
    EXPECT_STREQ(first, "audible");
    EXPECT_FALSE(req_member(a2, "effective"));

    fresh_case();
    answer_nothing(msg_regional_pcnt_get);
    EXPECT_EQ(post("/6096", R"({"chnid": 12})").out, json_failure());
}

// One action object, given to the motion page of a channel and to a region
// of the same channel, is stored alike: the same model applies it.
TEST_F(Regional, MotionPageAndRegionStoreOneActionObjectAlike) {
    const std::string object = R"("triChannels": ")" + channel_text({1, 3, 40}, 41) +
                               R"(", "triChnAlarms": ["01", "001"], "tri_channels_pic": "11", "interval": 15,)"
                               R"( "audioId": 3, "white_interval": 8, "email_pic_enable": 1, "audible": )" +
                               schedule_request({{1, 1, "09:00", "10:00", 1}}) + "";
    seed_motion(5);
    EXPECT_EQ(post("/6117", R"({"chnid": 5, )" + object + "}").out.find("CGI ERROR"), std::string::npos);
    EXPECT_EQ(post("/6097", R"({"chnid": 5, "action": [{}, {)" + object + "}]}").out, json_reply(R"({ "res": 0 })"));
    motion_record m = motion(5);
    event_action_record g = region_action(5, 1);
    EXPECT_EQ(m.tri_channels_mask, g.tri_channels_mask);
    EXPECT_EQ(g.tri_channels_mask, 0xAu);
    EXPECT_STREQ(m.tri_channels, g.tri_channels);
    EXPECT_STREQ(m.tri_chn_alarms[0], g.tri_chn_alarms[0]);
    EXPECT_STREQ(m.tri_chn_alarms[1], g.tri_chn_alarms[1]);
    EXPECT_STREQ(m.tri_channels_pic, g.tri_channels_pic);
    EXPECT_EQ(m.interval, g.interval);
    EXPECT_EQ(m.audio_id, g.audio_id);
    EXPECT_EQ(m.white_interval, g.white_interval);
    EXPECT_EQ(m.email_pic_enable, g.email_pic_enable);
    week_schedule motion_audible, region_audible;
    ASSERT_EQ(read_motion_audible_schedule(TQDB_FILE, &motion_audible, 5), 0);
    ASSERT_EQ(read_regional_pcnt_schedule(TQDB_FILE, &region_audible, 1, 5, 1), 0);
    EXPECT_TRUE(same_bytes(motion_audible, region_audible));
}

}  // namespace
}  // namespace evtest
