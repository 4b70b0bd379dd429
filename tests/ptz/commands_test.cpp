// PTZ commands end to end: moves, presets, tour commands, channel actions
// and zoom; the messages in order with their bytes, the operation log, the
// replies and the refusals.
#include "platform/tqdb/tqdb.h"
#include "tests/ptz/ptz_bytes.h"

namespace xcase {
namespace {

class PtzCommands : public exchange_case {};

TEST_F(PtzCommands, CommandsSendTheirMessagesThenLog) {
    const std::string long_name(40, 'n');
    struct row {
        int line;
        std::string code, body;
        std::vector<msg> want;
        std::string out = text_reply("OK");
    } rows[] = {
        // A move, then the camera's speed (the page counts from 1, the camera from 0).
        {__LINE__, "/5000",
         R"({"channelId":1,"action":3,"panSpeed":5,"tiltSpeed":4,"zoomSpeed":3,"focusSpeed":2,"fisheyeType":1,"streamId":2})",
         {{1251, ptz_cmd({.chn = 1, .action = 3, .pan = 5, .tilt = 4, .zoom = 3, .focus = 2, .fisheye = 1, .stream = 2})},
          {3226, ptz_param(1, "ptzspeed", "4")},
          ptz_log(900, 1)}},
        {__LINE__, "/5000", R"({"channelId":0,"action":0,"panSpeed":1})",
         {{1251, ptz_cmd({.pan = 1})}, {3226, ptz_param(0, "ptzspeed", "0")}, ptz_log(900, 0)}},
        {__LINE__, "/5000", R"({"channelId":0,"action":0,"panSpeed":0})",
         {{1251, ptz_cmd({})}, {3226, ptz_param(0, "ptzspeed", "1")}, ptz_log(900, 0)}},
        {__LINE__, "/5000", R"({"channelId":0,"action":0,"panSpeed":-2147483648})",
         {{1251, ptz_cmd({.pan = INT32_MIN})}, {3226, ptz_param(0, "ptzspeed", "1")}, ptz_log(900, 0)}},
        // Zooming in with auto focus is followed by a focus command.
        {__LINE__, "/5000", R"({"channelId":31,"action":21,"isAutoFocus":1,"panSpeed":3})",
         {{1251, ptz_cmd({.chn = 31, .action = 21, .pan = 3})},
          {1251, ptz_cmd({.chn = 31, .action = 12, .pan = 3})},
          {3226, ptz_param(31, "ptzspeed", "2")},
          ptz_log(900, 31)}},
        {__LINE__, "/5000", R"({"channelId":2,"action":21,"isAutoFocus":0,"panSpeed":3})",
         {{1251, ptz_cmd({.chn = 2, .action = 21, .pan = 3})}, {3226, ptz_param(2, "ptzspeed", "2")}, ptz_log(900, 2)}},
        {__LINE__, "/5008", R"({"chn":6,"Speed":5})", {{3226, ptz_param(6, "ptzspeed", "4")}, ptz_log(904, 6)}},
        {__LINE__, "/5008", R"({"chn":6,"Speed":-1})", {{3226, ptz_param(6, "ptzspeed", "1")}, ptz_log(904, 6)}},
        // Presets: the name only for a save, cut to 30 characters.
        {__LINE__, "/5001",
         R"({"channelId":3,"action":22,"presetId":300,"panSpeed":1,"tiltSpeed":2,"zoomSpeed":3,"focusSpeed":4,"name":")" +
             long_name + R"("})",
         {{1253, ptz_cmd({.chn = 3, .action = 22, .preset = 300, .pan = 1, .tilt = 2, .zoom = 3, .focus = 4,
                          .name = long_name.substr(0, 30)})},
          ptz_log(904, 3)}},
        {__LINE__, "/5001",
         R"({"channelId":3,"action":23,"presetId":0,"panSpeed":0,"tiltSpeed":0,"zoomSpeed":0,"focusSpeed":0,"name":"x"})",
         {{1253, ptz_cmd({.chn = 3, .action = 23})}, ptz_log(904, 3)}},
        // A fisheye stream also keeps the preset's name in the camera.
        {__LINE__, "/5001",
         R"({"channelId":4,"action":22,"presetId":7,"panSpeed":1,"tiltSpeed":1,"zoomSpeed":1,"focusSpeed":1,"name":")" +
             long_name + R"(","fisheyeType":1,"streamId":2})",
         {{1253, ptz_cmd({.chn = 4, .action = 22, .preset = 7, .pan = 1, .tilt = 1, .zoom = 1, .focus = 1,
                          .name = long_name.substr(0, 30), .fisheye = 1, .stream = 2})},
          {3226, ptz_param(4, "ipncptz=setfishpreset", "2:7:" + long_name.substr(0, 31))},
          ptz_log(904, 4)}},
        {__LINE__, "/5001",
         R"({"channelId":4,"action":24,"presetId":7,"panSpeed":1,"tiltSpeed":1,"zoomSpeed":1,"focusSpeed":1,"fisheyeType":1})",
         {{1253, ptz_cmd({.chn = 4, .action = 24, .preset = 7, .pan = 1, .tilt = 1, .zoom = 1, .focus = 1, .fisheye = 1})},
          ptz_log(904, 4)}},
        {__LINE__, "/5002", R"({"chn":7,"tourid":3,"fisheyeType":1,"streamId":2})",
         {{1260, tour_cmd(7, 3, 1, 2)}, ptz_log(900, 7)}},
        {__LINE__, "/5003", R"({"chn":63,"tourid":8})", {{1261, tour_cmd(63, 8, 0, 0)}, ptz_log(900, 63)}},
        // Run controls 0..4 become the core's PTZ actions; others stay 0.
        {__LINE__, "/5004", R"({"chn":1,"action":0,"tourid":2})", {{1254, ptz_cmd({.chn = 1, .action = 26, .preset = 2})}, ptz_log(904, 1)}},
        {__LINE__, "/5004", R"({"chn":1,"action":1,"tourid":2})", {{1254, ptz_cmd({.chn = 1, .action = 21, .preset = 2})}, ptz_log(904, 1)}},
        {__LINE__, "/5004", R"({"chn":1,"action":2,"tourid":2})", {{1254, ptz_cmd({.chn = 1, .action = 25, .preset = 2})}, ptz_log(904, 1)}},
        {__LINE__, "/5004", R"({"chn":1,"action":3,"tourid":2})", {{1254, ptz_cmd({.chn = 1, .action = 27, .preset = 2})}, ptz_log(904, 1)}},
        {__LINE__, "/5004", R"({"chn":1,"action":4,"tourid":2})", {{1254, ptz_cmd({.chn = 1, .action = 40, .preset = 2})}, ptz_log(904, 1)}},
        {__LINE__, "/5004", R"({"chn":1,"action":5,"tourid":2})", {{1254, ptz_cmd({.chn = 1, .preset = 2})}, ptz_log(904, 1)}},
        {__LINE__, "/5004", R"({"chn":1,"action":-1,"tourid":2})", {{1254, ptz_cmd({.chn = 1, .preset = 2})}, ptz_log(904, 1)}},
        {__LINE__, "/5006", R"({"channelId":9,"action":14})", {{1266, int_bytes({9, 14})}, ptz_log(900, 9)}},
        {__LINE__, "/5007", R"({"camId":10,"Zoom":-3,"ZoomSpeed":6})", {{1267, int_bytes({10, -3, 6})}, ptz_log(900, 10)}},
    };
    for (const auto& r : rows) {
        fresh_case();
        EXPECT_EQ(post(r.code, r.body).out, r.out) << "row at line " << r.line;
        expect_sent(r.want, r.line);
    }
}

TEST_F(PtzCommands, TheCameraSpeedAnswerIsOkWhateverItsResult) {
    answer(3226, int_bytes({-1}));
    EXPECT_EQ(post("/5008", R"({"chn":1,"Speed":2})").out, text_reply("OK"));
    fresh_case();
    answer_nothing(3226);
    EXPECT_EQ(post("/5000", R"({"channelId":1,"action":2})").out, text_failure());
    // The move and the log still go out.
    expect_sent({any_payload(1251), any_payload(3226), ptz_log(900, 1)}, __LINE__);
    fresh_case();
    answer_nothing(3226);
    EXPECT_EQ(post("/5008", R"({"chn":1,"Speed":2})").out, text_failure());
    fresh_case();
    answer_nothing(3226);
    EXPECT_EQ(post("/5001", R"({"channelId":0,"action":22,"presetId":1,"panSpeed":1,"tiltSpeed":1,"zoomSpeed":1,)"
                            R"("focusSpeed":1,"fisheyeType":1,"name":"a"})")
                  .out,
              text_failure());
}

TEST_F(PtzCommands, RefusedCommandsSendNothing) {
    const std::string speeds = R"("panSpeed":1,"tiltSpeed":1,"zoomSpeed":1,"focusSpeed":1)";
    struct row {
        int line;
        std::string code, body;
    } rows[] = {
        {__LINE__, "/5000", "channelId=1&action=2"},
        {__LINE__, "/5000", R"({"action":2})"},
        {__LINE__, "/5000", R"({"channelId":-1,"action":2})"},
        // 32 channels are offered by default.
        {__LINE__, "/5000", R"({"channelId":32,"action":2})"},
        {__LINE__, "/5000", R"({"channelId":1})"},
        {__LINE__, "/5000", R"({"channelId":1,"action":-1})"},
        {__LINE__, "/5001", R"({"channelId":1,"action":22,"presetId":301,)" + speeds + "}"},
        {__LINE__, "/5001", R"({"channelId":1,"action":22,"presetId":-1,)" + speeds + "}"},
        {__LINE__, "/5001", R"({"channelId":1,"action":22,)" + speeds + "}"},
        {__LINE__, "/5001", R"({"channelId":1,"presetId":1,)" + speeds + "}"},
        {__LINE__, "/5001", R"({"channelId":32,"action":22,"presetId":1,)" + speeds + "}"},
        {__LINE__, "/5001", R"({"channelId":1,"action":22,"presetId":1,"panSpeed":1,"tiltSpeed":1,"zoomSpeed":1})"},
        {__LINE__, "/5001", R"({"channelId":1,"action":22,"presetId":1,"panSpeed":1,"tiltSpeed":-1,"zoomSpeed":1,"focusSpeed":1})"},
        {__LINE__, "/5002", R"({"chn":64,"tourid":1})"},
        {__LINE__, "/5003", R"({"tourid":1})"},
        {__LINE__, "/5004", R"({"chn":-1,"action":1,"tourid":1})"},
        {__LINE__, "/5006", R"({"channelId":64,"action":1})"},
        {__LINE__, "/5007", "Zoom=1"},
        {__LINE__, "/5008", R"({"chn":64,"Speed":1})"},
    };
    for (const auto& r : rows) {
        fresh_case();
        EXPECT_EQ(post(r.code, r.body).out, "") << "row at line " << r.line;
        EXPECT_TRUE(sent().empty()) << "row at line " << r.line << ": " << ids_text(sent());
    }
}

TEST_F(PtzCommands, MovesAreBoundByTheOfferedChannelsKeptTo1To64) {
    struct row {
        int line;
        std::string max_cameras;
        int chn;
        bool accepted;
    } rows[] = {
        {__LINE__, "8", 7, true},
        {__LINE__, "8", 8, false},
        {__LINE__, "100", 63, true},
        {__LINE__, "100", 64, false},
        {__LINE__, "0", 0, true},
        {__LINE__, "0", 1, false},
        {__LINE__, "-5", 0, true},
        {__LINE__, "-5", 1, false},
    };
    for (const auto& r : rows) {
        ASSERT_EQ(set_param_value(TQDB_FILE, "max_cameras", r.max_cameras.c_str()), 0);
        for (const std::string& code : {std::string("/5000"), std::string("/5001")}) {
            fresh_case();
            std::string body = R"({"channelId":)" + std::to_string(r.chn) +
                               R"(,"action":1,"presetId":1,"panSpeed":1,"tiltSpeed":1,"zoomSpeed":1,"focusSpeed":1})";
            EXPECT_EQ(post(code, body).out, r.accepted ? text_reply("OK") : "") << "row at line " << r.line << " " << code;
            EXPECT_EQ(sent().empty(), !r.accepted) << "row at line " << r.line << " " << code;
        }
    }
}

}  // namespace
}  // namespace xcase
