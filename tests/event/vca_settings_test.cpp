// The camera's smart analytics settings: every reading (the record the core
// answers, rendered with its coordinates on the canvas), every setting (the
// record the camera gets, the event's action record, the answer's word) and
// the failure replies of each reply form.
#include <functional>

#include "tests/event/vca_cases.h"

namespace evtest {
namespace {

using Settings = VcaTest;

// ---- readings -----------------------------------------------------------------------

const bytes region_answer = record(476)
                                .i32(0, 3)
                                .i32(4, 1)
                                .i32(24, 4)
                                .i32(28, 9)
                                .i32(32, 8)
                                .i32(36, 7)
                                .text(40, "R")
                                .i32(340, 6)
                                .i32(344, 2)
                                .text(348, "PX")
                                .text(412, "PY");

std::string line_json(std::initializer_list<std::pair<int, std::string>> lines) {
    std::string out = "[ ";
    for (const auto& [direction, position] : lines)
        out += (out.size() > 2 ? ", " : "") +
               spaced({{"direction", num(direction)}, {"position", jstr(position)}});
    return out + " ]";
}

std::string line_b_json(const std::string& first) {
    std::string none =
        spaced({{"enable", "0"}, {"objtype", "0"}, {"direction", "0"}, {"position", jstr("0;0;0;0")}});
    return "[ " + first + ", " + none + ", " + none + ", " + none + " ]";
}

std::string box_json(std::initializer_list<int> v,
                     std::vector<std::pair<std::string, std::string>> more = {}) {
    static const char* const keys[] = {"minStartX", "minStartY", "minWidth", "minHeight",
                                       "maxStartX", "maxStartY", "maxWidth", "maxHeight"};
    std::vector<std::pair<std::string, std::string>> members;
    int i = 0;
    for (int x : v) members.push_back({keys[i++], num(x)});
    members.insert(members.end(), more.begin(), more.end());
    return spaced(members);
}

std::string boxes_b_json() {
    const std::vector<std::pair<std::string, std::string>> size = {{"width", "1920"}, {"height", "1080"}};
    std::string out = "[ ";
    for (int i = 0; i < 8; ++i) {
        std::string box =
            i == 1 ? box_json({5, 0, 0, 0, 0, 0, 0, 900}, size) : box_json({0, 0, 0, 0, 0, 0, 0, 0}, size);
        out += (i ? ", " : "") + box;
    }
    return out + " ]";
}

TEST_F(Settings, ReadingsShowTheCamerasRecordWithCoordinatesOnTheCanvas) {
    struct row {
        int line;
        const char* code;
        std::string body;
        int32_t msg_id;  // sent with the channel; answered with answer
        int32_t chn;
        bytes answer;
        std::string want;
    } rows[] = {
        // clang-format off
        {__LINE__, "/6132", R"({"channel": 3, "type": 0})", 3237, 3, region_answer,
         spaced({{"region", jstr("R")}, {"enable", "1"}, {"sensitivity", "4"}, {"objtype", "2"}, {"polygonX", jstr("PX")}, {"polygonY", jstr("PY")}})},
        {__LINE__, "/6132", R"({"channel": 63, "type": 5})", 3238, 63, region_answer,
         spaced({{"region", jstr("R")}, {"enable", "1"}, {"sensitivity", "4"}, {"objtype", "2"}, {"polygonX", jstr("PX")}, {"polygonY", jstr("PY")}})},
        {__LINE__, "/6134", R"({"channel": 0})", 3239, 0, region_answer,
         spaced({{"region", jstr("R")}, {"enable", "1"}, {"sensitivity", "4"}, {"ignore_time", "6"}, {"objtype", "2"}, {"polygonX", jstr("PX")}, {"polygonY", jstr("PY")}})},
        {__LINE__, "/6136", R"({"channel": 1})", 3240, 1, region_answer, spaced({{"enable", "1"}, {"sensitivity", "4"}})},
        {__LINE__, "/6140", R"({"channel": 1})", 3242, 1, region_answer,
         spaced({{"region", jstr("R")}, {"enable", "1"}, {"time", "9"}, {"size", "8"}, {"objtype", "2"}, {"polygonX", jstr("PX")}, {"polygonY", jstr("PY")}})},
        {__LINE__, "/6142", R"({"channel": 1})", 3243, 1, region_answer, spaced({{"enable", "1"}, {"tracks", "7"}})},
        // Crossing lines come first and are not raised.
        {__LINE__, "/6138", R"({"channel": 2})", 3241, 2,
         record(116).i32(0, 2).i32(4, 1).i32(8, 704).i32(12, 576)
             .i32(16, 176).i32(20, 288).i32(24, 528).i32(28, 288).i32(32, 1)
             .i32(40, 0).i32(44, 0).i32(48, 704).i32(52, 576).i32(56, 2).i32(112, 3),
         spaced({{"line", line_json({{1, "115;130;345;130"}, {2, "0;0;460;260"}, {0, "0;0;0;0"}, {0, "0;0;0;0"}})},
                 {"enable", "1"}, {"width", "704"}, {"height", "576"}, {"objtype", "3"}})},
        // The counting line is raised: a camera without a size gives 1s.
        {__LINE__, "/6144", R"({"channel": 4})", 3253, 4,
         record(72).i32(4, 1).i32(16, 100).i32(20, 100).i32(24, 200).i32(28, 200).i32(32, 1).i32(36, 2).i32(40, 3)
             .i32(44, 1).i32(48, 1).i32(52, 10).i32(56, 1).i32(60, 20).i32(64, 1).i32(68, 30),
         spaced({{"enable", "1"}, {"osd", "1"}, {"text", "3"}, {"width", "0"}, {"height", "0"}, {"fontSize", "2"},
                 {"triggerEnable", "1"}, {"triggerEnableByIn", "1"}, {"inThresholds", "10"}, {"triggerEnableByOut", "1"},
                 {"outThresholds", "20"}, {"triggerEnableBySum", "1"}, {"sumThresholds", "30"}, {"position", jstr("1;1;1;1")}})},
        {__LINE__, "/6144", R"({"channel": 5})", 3253, 5,
         record(72).i32(8, 1920).i32(12, 1080).i32(16, 960).i32(20, 270).i32(24, 960).i32(28, 810),
         spaced({{"enable", "0"}, {"osd", "0"}, {"text", "0"}, {"width", "1920"}, {"height", "1080"}, {"fontSize", "0"},
                 {"triggerEnable", "0"}, {"triggerEnableByIn", "0"}, {"inThresholds", "0"}, {"triggerEnableByOut", "0"},
                 {"outThresholds", "0"}, {"triggerEnableBySum", "0"}, {"sumThresholds", "0"}, {"position", jstr("230;65;230;195")}})},
        // Boxes are raised too.
        {__LINE__, "/6146", R"({"channel": 6})", 3259, 6,
         record(64).i32(4, 2).i32(8, 10).i32(12, 1).i32(16, 1).i32(20, 1).i32(24, 1920).i32(28, 1080)
             .i32(32, 960).i32(36, 540).i32(40, 192).i32(44, 108),
         spaced({{"fps", "10"}, {"mode", "1"}, {"installation", "1"}, {"analysis", "1"}, {"width", "1920"}, {"height", "1080"},
                 {"vcaType", "2"}, {"position", "[ " + box_json({230, 130, 46, 26, 1, 1, 1, 1}) + " ]"}})},
        {__LINE__, "/6157", R"({"channel": 7})", 3257, 7, int_bytes({7, 1, 2}), spaced({{"support", "1"}, {"type", "2"}})},
        {__LINE__, "/6157", R"({"channel": 7})", 3257, 7, {}, spaced({{"support", "-1"}, {"type", "-1"}})},
        {__LINE__, "/6172", R"({"channel": 8})", 3268, 8,
         record(464).i32(0, 8).i32(4, 3).i32(8, 1).i32(12, 0).i32(16, 30).text(36, "OR").text(336, "OX").text(400, "OY"),
         spaced({{"region", jstr("OR")}, {"left_enable", "1"}, {"remove_enable", "0"}, {"min_time", "30"}, {"sensitivity", "3"},
                 {"polygonX", jstr("OX")}, {"polygonY", jstr("OY")}})},
        {__LINE__, "/6186", R"({"chnid": 9})", 3293, 9, int_bytes({9, 1, 3}),
         spaced({{"chnid", "9"}, {"vca_support", "1"}, {"vca_version", "3"}})},
        {__LINE__, "/6192", R"({"chnid": 10})", 1209, 10,
         record(132).i32(0, 10).i32(4, 5).i32(8, 704).i32(12, 576)
             .i32(16, 1).i32(20, 176).i32(24, 288).i32(28, 528).i32(32, 288).i32(36, 1).i32(40, 2),
         spaced({{"chnid", "10"}, {"width", "704"}, {"height", "576"}, {"sensitivity", "5"},
                 {"line", line_b_json(spaced({{"enable", "1"}, {"objtype", "2"}, {"direction", "1"}, {"position", jstr("115;130;345;130")}}))}})},
        // Box sets of the second family pass unconverted, column entry 1 is set 1.
        {__LINE__, "/6194", R"({"channel": 11})", 1211, 11,
         record(288).i32(8, 10).i32(12, 1).i32(16, 2).i32(20, 3).i32(24, 1920).i32(28, 1080).i32(36, 5).i32(260, 900),
         spaced({{"fps", "10"}, {"mode", "1"}, {"installation", "2"}, {"analysis", "3"}, {"width", "1920"}, {"height", "1080"},
                 {"position", boxes_b_json()}})},
        // clang-format on
    };
    for (const row& r : rows) {
        fresh_case();
        answer(r.msg_id, r.answer);
        EXPECT_EQ(post(r.code, r.body).out, json_reply(r.want)) << "row at line " << r.line;
        expect_sent({{r.msg_id, int_bytes({r.chn})}}, r.line);
    }
}

// ---- settings ------------------------------------------------------------------------

struct setting_row {
    int line;
    const char* code;
    std::string body;
    std::vector<msg> sent;                                  // the notice of a dialog, then the record
    int32_t result;                                         // the camera's answer: 0 "OK", else "FAILED"
    int chn = -1, event = -1;                               // the action record the setting changes
    std::function<void(event_action_record&)> change = {};  // its change over the seeded record
};

TEST_F(Settings, SettingsSendTheRecordInTheCamerasResolutionAndSettleTheActionRecord) {
    const setting_row rows[] = {
        // clang-format off
        {__LINE__, "/6133",
         R"({"chnid": 3, "type": 0, "dialog": {"audioId": 4, "enable": 0}, "enable": 1, "sensitivity": 5, "objtype": 2,
             "region": "abc", "polygonX": "1,2", "polygonY": "3,4", "time": 9})",
         {{1412, int_bytes({3})},
          {3244, record(476).i32(0, 3).i32(4, 1).i32(24, 5).text(40, "abc").i32(344, 2).text(348, "1,2").text(412, "3,4")}},
         0, 3, 0, [](event_action_record& a) { a.audio_id = 4; a.enable = 1; }},
        // Any type but 0 is the exit message; the actions are those of the type.
        {__LINE__, "/6133", R"({"chnid": 3, "type": 5, "enable": 1})", {{3245, record(476).i32(0, 3).i32(4, 1)}}, 1,
         3, 5, [](event_action_record& a) { a.enable = 1; }},
        {__LINE__, "/6135",
         R"({"chnid": 4, "type": 2, "enable": 1, "sensitivity": 2, "ignore_time": 7, "objtype": 1, "region": "r",
             "polygonX": "x", "polygonY": "y"})",
         {{3246, record(476).i32(0, 4).i32(4, 1).i32(24, 2).text(40, "r").i32(340, 7).i32(344, 1).text(348, "x").text(412, "y")}},
         0, 4, 2, [](event_action_record& a) { a.enable = 1; }},
        {__LINE__, "/6137", R"({"chnid": 4, "type": 3, "enable": 1, "sensitivity": 6, "region": "no"})",
         {{3247, record(476).i32(0, 4).i32(4, 1).i32(24, 6)}}, 0, 4, 3, [](event_action_record& a) { a.enable = 1; }},
        // The lines go in the request's size (not kept); missing numbers and
        // lines count as 0 and every value is raised to at least 1.
        {__LINE__, "/6139",
         R"({"chnid": 5, "type": 0, "dialog": {"interval": 9}, "enable": 1, "objtype": 2, "width": 704, "height": 576,
             "line": [{"position": "115;130;345;130", "direction": 1}, {"position": "10;20", "direction": 2}]})",
         {{1412, int_bytes({5})},
          {3248, record(116).i32(0, 5).i32(4, 1)
                     .i32(16, 176).i32(20, 288).i32(24, 528).i32(28, 288).i32(32, 1)
                     .i32(40, 15).i32(44, 44).i32(48, 1).i32(52, 1).i32(56, 2)
                     .i32(64, 1).i32(68, 1).i32(72, 1).i32(76, 1)
                     .i32(88, 1).i32(92, 1).i32(96, 1).i32(100, 1).i32(112, 2)}},
         0, 5, 4, [](event_action_record& a) { a.interval = 9; a.enable = 1; }},
        {__LINE__, "/6141",
         R"({"chnid": 6, "type": 5, "enable": 1, "region": "L", "time": 30, "size": 2, "objtype": 1, "polygonX": "a",
             "polygonY": "b", "sensitivity": 9})",
         {{3249, record(476).i32(0, 6).i32(4, 1).i32(28, 30).i32(32, 2).text(40, "L").i32(344, 1).text(348, "a").text(412, "b")}},
         1, 6, 5, [](event_action_record& a) { a.enable = 1; }},
        {__LINE__, "/6143", R"({"chnid": 6, "type": 6, "tracks": 3})", {{3250, record(476).i32(0, 6).i32(36, 3)}}, 0,
         6, 6, [](event_action_record& a) { a.enable = 0; }},
        // The counting line in the request's size, which is kept; the enable
        // of people counting.
        {__LINE__, "/6145",
         R"({"chnid": 7, "enable": 1, "position": "230;130;230;260", "osd": 1, "text": 2, "width": 1920, "height": 1080,
             "fontSize": 3, "triggerEnable": 1, "triggerEnableByIn": 1, "inThresholds": 10, "triggerEnableByOut": 0,
             "outThresholds": 20, "triggerEnableBySum": 1, "sumThresholds": 30})",
         {{3254, record(72).i32(0, 7).i32(4, 1).i32(8, 1920).i32(12, 1080).i32(16, 960).i32(20, 540).i32(24, 960)
                     .i32(28, 1080).i32(32, 1).i32(36, 3).i32(40, 2).i32(44, 1).i32(48, 1).i32(52, 10).i32(60, 20)
                     .i32(64, 1).i32(68, 30)}},
         0, 7, 7, [](event_action_record& a) { a.enable = 1; }},
        // The camera sets the analysis type; the box left out is raised to 1s.
        {__LINE__, "/6147",
         R"({"chnid": 8, "fps": 10, "mode": 1, "installation": 2, "analysis": 3, "width": 1920, "height": 1080,
             "vcaType": 5, "position": [{"minStartX": 230, "minStartY": 130, "minWidth": 46, "minHeight": 26}]})",
         {{3260, record(64).i32(0, 8).i32(8, 10).i32(12, 1).i32(16, 2).i32(20, 3).i32(24, 1920).i32(28, 1080)
                     .i32(32, 960).i32(36, 540).i32(40, 192).i32(44, 108)
                     .i32(48, 1).i32(52, 1).i32(56, 1).i32(60, 1)}},
         1},
        {__LINE__, "/6154", R"({"channel": 9})", {{3261, int_bytes({9, 0, 0})}}, 0},
        {__LINE__, "/6171",
         R"({"chnid": 10, "dialog": {"enable": 1, "triAlarms": 3}, "left_enable": 1, "remove_enable": 0,
             "min_time": 15, "sensitivity": 2, "region": "O", "polygonX": "p", "polygonY": "q"})",
         {{1412, int_bytes({10})},
          {3269, record(464).i32(0, 10).i32(4, 2).i32(8, 1).i32(16, 15).text(36, "O").text(336, "p").text(400, "q")}},
         0, 10, 8, [](event_action_record& a) { a.enable = 1; a.tri_alarms = 3; }},
        // The dialog is event 4's; the request's enable stays out of it.
        {__LINE__, "/6193",
         R"({"chnid": 11, "sensitivity": 4, "width": 704, "height": 576, "dialog": {"audioId": 2}, "enable": 1,
             "line": [{"position": "115;130;345;130", "direction": 1, "enable": 1, "objtype": 2}]})",
         {{1412, int_bytes({11})},
          {1210, record(132).i32(0, 11).i32(4, 4)
                     .i32(16, 1).i32(20, 176).i32(24, 288).i32(28, 528).i32(32, 288).i32(36, 1).i32(40, 2)
                     .i32(48, 1).i32(52, 1).i32(56, 1).i32(60, 1)
                     .i32(76, 1).i32(80, 1).i32(84, 1).i32(88, 1)
                     .i32(104, 1).i32(108, 1).i32(112, 1).i32(116, 1)}},
         1, 11, 4, [](event_action_record& a) { a.audio_id = 2; }},
        // Box sets of the second family pass as given; those left out are 0s.
        {__LINE__, "/6195",
         R"({"chnid": 12, "fps": 10, "mode": 1, "analysis": 1, "width": 1920, "height": 1080,
             "position": [{"minStartX": 5, "maxHeight": 900}, {"minStartY": 7}, 3]})",
         {{1212, record(288).i32(0, 12).i32(8, 10).i32(12, 1).i32(20, 1).i32(24, 1920).i32(28, 1080)
                     .i32(32, 5).i32(256, 900).i32(68, 7)}},
         0},
        // clang-format on
    };
    for (const setting_row& r : rows) {
        fresh_case();
        event_action_record want{};
        if (r.event >= 0) {
            want = seed_action(r.chn, r.event);
            r.change(want);
        }
        answer_int(r.sent.back().id, r.result);
        EXPECT_EQ(post(r.code, r.body).out, text_reply(r.result == 0 ? "OK" : "FAILED"))
            << "row at line " << r.line;
        expect_sent(r.sent, r.line);
        if (r.event >= 0) {
            EXPECT_TRUE(same_bytes(action(r.chn, r.event), want)) << "row at line " << r.line;
        }
    }
}

// ---- failures -------------------------------------------------------------------------

TEST_F(Settings, AnAnswerMissingOrShortGetsTheFailureReplyOfTheCodesForm) {
    struct row {
        int line;
        const char* code;
        std::string body;
        int32_t msg_id;
        std::string out;
        // Also a core that does not answer at all (one row per form: each waits its bound).
        bool silent = false;
    } rows[] = {
        // clang-format off
        {__LINE__, "/6132", R"({"channel": 1, "type": 1})", 3238, json_failure(), true},
        {__LINE__, "/6146", R"({"channel": 1})", 3259, json_failure()},
        {__LINE__, "/6192", R"({"chnid": 1})", 1209, json_failure()},
        {__LINE__, "/6133", R"({"chnid": 1, "type": 1})", 3245, text_failure(), true},
        {__LINE__, "/6145", R"({"chnid": 1})", 3254, text_failure()},
        {__LINE__, "/6193", R"({"chnid": 1})", 1210, text_failure()},
        {__LINE__, "/6147", R"({"chnid": 1})", 3260, json_failure(), true},
        {__LINE__, "/6154", R"({"channel": 1})", 3261, json_failure()},
        {__LINE__, "/6171", R"({"chnid": 1})", 3269, json_failure()},
        {__LINE__, "/6195", R"({"chnid": 1})", 1212, json_failure()},
        // clang-format on
    };
    for (const row& r : rows) {
        // A record cut short is no answer.
        fresh_case();
        answer(r.msg_id, bytes(3, 0));
        EXPECT_EQ(post(r.code, r.body).out, r.out) << "row at line " << r.line << " (short answer)";
        if (!r.silent) continue;
        fresh_case();
        answer_nothing(r.msg_id);
        EXPECT_EQ(post(r.code, r.body).out, r.out) << "row at line " << r.line << " (no answer)";
    }
}

}  // namespace
}  // namespace evtest
