// The recorder's overlay, the camera's overlays and privacy masks end to
// end: what is stored, the bytes sent to the core daemon, the rendering of
// its answers, refusals and failures.
#include "platform/msg_event_osd.h"
#include "platform/tqdb/rec_camera.h"
#include "platform/tqdb/rec_camera_mask.h"
#include "tests/harness/event_forms.h"
#include "tests/harness/store_case.h"

namespace xcase {
namespace {

using namespace evforms;

std::string osd_body(const std::string& cam_id, const std::string& changed = "") {
    std::string body = R"({"camId":)" + cam_id +
                       R"(,"camName":"Gate","showName":1,"showDate":0,"showWeek":1,"dateFormat":3,)"
                       R"("timeFormat":1,"datePosX":1.5,"datePosY":2,"namePosX":0,"namePosY":4.25,"alpha":7)";
    return body + changed + "}";
}

class Osd : public store_case {
protected:
    osd_record stored(int chn) { return read_back<osd_record>(tqdb_tbl_osd, chn); }
};

TEST_F(Osd, TheRecorderOverlayIsStoredWhenEveryMemberIsValid) {
    struct row {
        int line;
        std::string code, body;
        std::string out;
        std::vector<msg> want;
        int chn;
        std::string name;  // "" unchanged
    };
    const std::string long_name(70, 'n');
    const row rows[] = {
        {__LINE__, "/6001", osd_body("2"), text_reply("OK"), {{1007, int_bytes({2, 1, 0})}}, 2, "Gate"},
        {__LINE__,
         "/6001",
         osd_body("63", R"(,"camName":")" + long_name + "\""),
         text_reply("OK"),
         {{1007, int_bytes({63, 1, 0})}},
         63,
         long_name.substr(0, 63)},
        // The name page cuts at 31 characters and tells the core nothing.
        {__LINE__,
         "/6002",
         R"({"camId":5,"camName":")" + long_name + "\"}",
         text_reply("OK"),
         {},
         5,
         long_name.substr(0, 31)},
        // Refused: nothing stored, nothing sent, no reply.
        {__LINE__, "/6001", osd_body("2", R"(,"dateFormat":4)"), "", {}, 2, ""},
        {__LINE__, "/6001", osd_body("2", R"(,"datePosX":-0.5)"), "", {}, 2, ""},
        {__LINE__, "/6001", osd_body("2", R"(,"alpha":-1)"), "", {}, 2, ""},
        {__LINE__, "/6001", osd_body("2", R"(,"showWeek":2)"), "", {}, 2, ""},
        {__LINE__, "/6001", R"({"camId":2,"camName":"x"})", "", {}, 2, ""},
        {__LINE__, "/6001", osd_body("64"), "", {}, 0, ""},
        {__LINE__, "/6001", osd_body("-1"), "", {}, 0, ""},
        // A channel outside 0..63 does not land on channel 0.
        {__LINE__, "/6002", R"({"camId":64,"camName":"x"})", "", {}, 0, ""},
        {__LINE__, "/6002", R"({"camId":5})", "", {}, 5, ""},
    };
    for (const row& r : rows) {
        fresh_case();
        const osd_record before = stored(r.chn);
        EXPECT_EQ(post(r.code, r.body).out, r.out) << "row at line " << r.line;
        expect_sent(r.want, r.line);
        const osd_record after = stored(r.chn);
        if (r.name.empty()) {
            EXPECT_TRUE(same_bytes(before, after)) << "row at line " << r.line;
            continue;
        }
        EXPECT_EQ(std::string(after.cam_name), r.name) << "row at line " << r.line;
        EXPECT_EQ(after.cam_id, r.chn) << "row at line " << r.line;
        if (r.code == "/6002") {
            EXPECT_EQ(after.show_name, before.show_name) << "row at line " << r.line;
            EXPECT_EQ(after.date_pos_x, before.date_pos_x) << "row at line " << r.line;
        } else {
            EXPECT_EQ(after.date_format, 3) << "row at line " << r.line;
            EXPECT_EQ(after.date_pos_x, 1.5) << "row at line " << r.line;
            EXPECT_EQ(after.name_pos_y, 4.25) << "row at line " << r.line;
            EXPECT_EQ(after.alpha, 7) << "row at line " << r.line;
        }
    }
}

TEST_F(Osd, TheRecorderOverlayReadsBack) {
    ASSERT_EQ(post("/6001", osd_body("9")).out, text_reply("OK"));
    EXPECT_EQ(
        post("/6000", "9").out,
        json_reply(R"({ "camId": 9, "camName": "Gate", "showName": 1, "showDate": 0, "showWeek": 1, )"
                   R"("dateFormat": 3, "timeFormat": 1, "datePosX": 1.5, "datePosY": 2.0, "namePosX": 0.0, )"
                   R"("namePosY": 4.25, "alpha": 7 })"));
    EXPECT_EQ(post("/6000", "64").out, "");
    EXPECT_EQ(post("/6000", "x").out, "");
}

TEST_F(Osd, AnOverlayThatCannotBeStoredIsAFailure) {
    const unstored_row rows[] = {
        {__LINE__, "/6001", osd_body("3"), {"osd"}, text_failure()},
        {__LINE__, "/6002", R"({"camId":3,"camName":"Yard"})", {"osd"}, text_failure()},
    };
    for (const unstored_row& r : rows) expect_unstored(r);
}

TEST_F(Osd, StoredMasksAreListedPerChannel) {
    privacy_mask_record rec{};
    rec.id = 4;
    rec.areas[23] = {23, 1, 10, 20, 30, 40, 460, 260, 5, {}};
    ASSERT_EQ(write_privacy_mask(TQDB_FILE, &rec), 0);
    cgi_result res = post("/6018", "");
    const std::string want_area =
        R"({ "area_id": 23, "enable": 1, "start_x": 10, "start_y": 20, "area_width": 30, "area_height": 40, )"
        R"("width": 460, "height": 260, "fill_color": 5 } ] })";
    EXPECT_NE(res.out.find(R"({ "id": 4, "area": [ )"), std::string::npos);
    EXPECT_NE(res.out.find(want_area), std::string::npos);
    EXPECT_EQ(std::count(res.out.begin(), res.out.end(), '{'), 64 * 25);
}

// ---- the camera's masks ------------------------------------------------------------

constexpr size_t mask_at = 72;  // the record inside message 2509
constexpr size_t area_at = mask_at + 120;

std::string areas_json(int n) {
    std::string out = "[";
    for (int i = 0; i < n; ++i)
        out +=
            std::string(i ? "," : "") + R"({"area_id":)" + std::to_string(i) +
            R"(,"enable":1,"start_x":1,"start_y":2,"area_width":3,"area_height":4,"fill_color":5,"ratio":6,"name":"m)" +
            std::to_string(i) + "\"}";
    return out + "]";
}

// The channel text of message 2509 and the record's head.
record mask_message(std::initializer_list<int> channels, int32_t num, int32_t mosaic_num) {
    record r(2896);
    r.text(0, channel_text(channels));
    r.i32(mask_at + 4, 1).i32(mask_at + 8, num).i32(mask_at + 2812, mosaic_num);
    return r;
}
record& with_areas(record& r, int n) {
    for (int i = 0; i < n; ++i) {
        size_t at = area_at + 96 * static_cast<size_t>(i);
        r.i32(at, i).i32(at + 4, 1).i32(at + 8, 1).i32(at + 12, 2).i32(at + 16, 3).i32(at + 20, 4);
        r.i32(at + 24, 5).i32(at + 28, 6).text(at + 32, "m" + std::to_string(i));
    }
    return r;
}

TEST_F(Osd, MasksGoToTheMarkedChannelsWithTheAreasInUse) {
    struct row {
        int line;
        std::string body;
        bytes payload;
    };
    record two = mask_message({3}, 2, 0);
    record full = mask_message({0, 63}, 20, 20);
    record none = mask_message({}, 0, 0);
    record wide = mask_message({1}, 0, INT32_MAX);
    record deleted = mask_message({1}, 1, 0);
    deleted.i64(mask_at + 2816, -1);
    const row rows[] = {
        // Channels outside 0..63 and past "cnt" are not marked.
        {__LINE__,
         R"({"cnt":2,"chnid":[3,70,5],"enable":1,"num":2,"mosaicNum":0,"area":)" + areas_json(3) + "}",
         with_areas(two, 2)},
        // 20 + 20 areas fill the 28 the record holds.
        {__LINE__,
         R"({"cnt":2,"chnid":[0,63],"enable":1,"num":20,"mosaicNum":20,"area":)" + areas_json(40) + "}",
         with_areas(full, 28)},
        // Negative counts are none; a sum past 32 bits does not wrap.
        {__LINE__, R"({"cnt":0,"chnid":[1],"enable":1,"num":-5,"mosaicNum":-3,"area":)" + areas_json(2) + "}",
         none},
        {__LINE__,
         R"({"cnt":1,"chnid":[1],"enable":1,"num":-2147483648,"mosaicNum":2147483647,"area":)" +
             areas_json(30) + "}",
         with_areas(wide, 28)},
        // A missing element leaves its slot zero; delMask is sign-extended.
        {__LINE__, R"({"cnt":1,"chnid":[1],"enable":1,"num":1,"delMask":-1,"area":[]})", deleted},
    };
    for (const row& r : rows) {
        fresh_case();
        EXPECT_EQ(post("/6019", r.body).out, text_reply("OK")) << "row at line " << r.line;
        expect_sent({{2509, r.payload}}, r.line);
    }
}

TEST_F(Osd, CameraRequestsSendTheirMessageAndRenderTheAnswer) {
    record osd(836);
    osd.i32(0, 3).i32(4, 1).text(8, "Door").i32(264, 2).i32(268, 1).i32(272, 3).i32(276, 1);
    osd.i32(280, 1).text(284, "Sub").i32(540, 4).i32(544, 0).i32(548, 5).i32(552, 2);
    const std::string osd_json =
        R"({ "enable_text": 1, "text_name": "Door", "textpos": 2, "enable_date": 1, "datepos": 3, "dateformat": 1, )"
        R"("enable_text_sub": 1, "text_name_sub": "Sub", "textpos_sub": 4, "enable_date_sub": 0, "datepos_sub": 5, )"
        R"("dateformat_sub": 2, "disconnect": 1 })";
    record gone = osd;
    gone.i32(0, -1);
    const std::string long_text(300, 't');
    record osd_set(836);
    osd_set.i32(0, 3)
        .i32(4, 1)
        .text(8, long_text.substr(0, 255))
        .i32(264, 2)
        .i32(268, 1)
        .i32(272, 3)
        .i32(276, 1);
    osd_set.i32(832, 9);
    const std::string osd_set_body = R"({"type":9,"ch":3,"enable_text":1,"text_name":")" + long_text +
                                     R"(","textpos":2,"enable_date":1,"datepos":3,"dateformat":1})";

    record masks(2824 * 2);
    masks.i32(0, 7).i32(4, 1).i32(8, 1).i32(12, 2).text(16, "v2").i32(48, 4).i32(52, 1).text(56, "red");
    masks.i32(120, 0).i32(124, 1).i32(128, 11).i32(132, 12).i32(136, 13).i32(140, 14).i32(144, 15).i32(148,
                                                                                                       16);
    masks.text(152, "door").i32(2812, 0);
    masks.i32(2824 + 8, -1).i32(2824 + 2812, -1);  // a second record without areas
    const std::string masks_json =
        R"([ { "id": 7, "num": 1, "maxPtzZoomRatio": 4, "areaEnable": 1, "enable": 1, "sdkversion": "v2", )"
        R"("cgiSdkFlag": 2, "colorList": "red", "mosaicSupport": 0, "mosaicNum": 0, "area": [ { "area_id": 0, )"
        R"("enable": 1, "start_x": 11, "start_y": 12, "area_width": 13, "area_height": 14, "width": 460, )"
        R"("height": 260, "fill_color": 15, "left": 11, "top": 12, "right": 13, "bottom": 14, "ratio": 16, )"
        R"("name": "door" } ] }, { "id": 0, "num": -1, "maxPtzZoomRatio": 0, "areaEnable": 0, "enable": 0, )"
        R"("sdkversion": "", "cgiSdkFlag": 0, "colorList": "", "mosaicSupport": 0, "mosaicNum": -1, "area": [ ] } ])";

    struct row {
        int line;
        std::string code, body;
        int32_t msg_id;
        bytes payload, answer_bytes;
        std::string out;
    };
    const row rows[] = {
        {__LINE__, "/6997", R"({"id":3})", 3211, int_bytes({3}), osd, json_reply(osd_json)},
        {__LINE__, "/6997", R"({"id":3})", 3211, int_bytes({3}), gone, json_reply(R"({ "disconnect": 0 })")},
        {__LINE__, "/6996", osd_set_body, 3210, osd_set, int_bytes({0}), text_reply("OK")},
        {__LINE__, "/6996", osd_set_body, 3210, osd_set, int_bytes({-1}), text_reply("NO_SUPPORT")},
        {__LINE__, "/6996", osd_set_body, 3210, osd_set, int_bytes({2}), text_reply("ERROR")},
        {__LINE__, "/6115", R"({"id":7})", 2502, int_bytes({7}), masks, json_reply(masks_json)},
        {__LINE__, "/6115", R"({"id":7})", 2502, int_bytes({7}), {}, json_reply("[ ]")},
        {__LINE__, "/6116", R"({"id":7})", 2503, int_bytes({7}), int_bytes({-3}),
         json_reply(R"({ "result": -3 })")},
        {__LINE__, "/6198", R"({"chnid":7,"maskid":2})", 3353, int_bytes({7, 2}), int_bytes({1}),
         json_reply(R"({ "res": 1 })")},
    };
    for (const row& r : rows) {
        fresh_case();
        answer(r.msg_id, r.answer_bytes);
        EXPECT_EQ(post(r.code, r.body).out, r.out) << "row at line " << r.line;
        expect_sent({{r.msg_id, r.payload}}, r.line);
    }
}

TEST_F(Osd, RefusedOrUnansweredCameraRequests) {
    struct row {
        int line;
        std::string code, body;
        int32_t silent_id;  // the core does not answer it (0: nothing is sent)
        std::string out;
    };
    const row rows[] = {
        {__LINE__, "/6997", R"({"id":1})", 3211, text_failure()},
        {__LINE__, "/6996",
         R"({"ch":1,"enable_text":1,"text_name":"a","textpos":1,"enable_date":1,"datepos":1,"dateformat":1})",
         3210, text_failure()},
        {__LINE__, "/6115", R"({"id":1})", 2502, text_failure()},
        {__LINE__, "/6116", R"({"id":1})", 2503, text_failure()},
        {__LINE__, "/6198", R"({"chnid":1,"maskid":1})", 3353, json_failure()},
        {__LINE__, "/6996",
         R"({"ch":1,"enable_text":1,"text_name":"a","textpos":1,"enable_date":1,"datepos":1})", 0, ""},
        {__LINE__, "/6997", R"({"id":64})", 0, ""},
        {__LINE__, "/6198", R"({"chnid":64,"maskid":1})", 0, ""},
        {__LINE__, "/6019", R"({"chnid":[1],"area":[]})", 0, ""},
        {__LINE__, "/6019", R"({"cnt":1,"chnid":[1]})", 0, ""},
        {__LINE__, "/6173", R"({"chan_id":64,"area_id":1})", 0, json_failure()},
        {__LINE__, "/6173", R"({"chan_id":1,"area_id":25})", 0, json_failure()},
        {__LINE__, "/6173", R"({"chan_id":1})", 0, json_failure()},
    };
    for (const row& r : rows) {
        fresh_case();
        if (r.silent_id) answer_nothing(r.silent_id);
        EXPECT_EQ(post(r.code, r.body).out, r.out) << "row at line " << r.line;
        if (!r.silent_id) {
            EXPECT_TRUE(sent().empty()) << "row at line " << r.line << ": " << ids_text(sent());
        }
    }
    fresh_case();
    EXPECT_EQ(post("/6173", R"({"chan_id":63,"area_id":24})").out, text_reply("OK"));
    expect_sent({{2508, int_bytes({63, 24})}}, __LINE__);
}

// The simulator's default replies give every waiting request its rendered
// answer, so the local server's pages work.
TEST_F(Osd, EveryWaitingRequestIsAnsweredByDefault) {
    struct row {
        int line;
        std::string code, body;
        std::string part;  // a piece of the reply
    };
    const row rows[] = {
        {__LINE__, "/6997", R"({"id":4})", R"({ "enable_text": 1, "text_name": "CAM5",)"},
        {__LINE__, "/6996",
         R"({"ch":4,"enable_text":1,"text_name":"a","textpos":1,"enable_date":1,"datepos":1,"dateformat":1})",
         "\r\n\r\nOK"},
        {__LINE__, "/6115", R"({"id":4})", R"([ { "id": 4, "num": 0,)"},
        {__LINE__, "/6116", R"({"id":4})", R"({ "result": 0 })"},
        {__LINE__, "/6198", R"({"chnid":4,"maskid":1})", R"({ "res": 0 })"},
        {__LINE__, "/6090", "4", R"({ "camId": 4, "enable": 0,)"},
        {__LINE__, "/6092", "4", R"({ "camId": 4, "enable": 0,)"},
    };
    for (const row& r : rows) {
        fresh_case();
        const std::string out = post(r.code, r.body).out;
        EXPECT_NE(out.find(r.part), std::string::npos) << "row at line " << r.line << ": " << out;
    }
}

}  // namespace
}  // namespace xcase
