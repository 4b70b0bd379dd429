// The keyboard text protocol, the axis speeds and the change filter, without
// the reader or the core daemon.
#include <gtest/gtest.h>

#include <climits>
#include <regex>
#include <string>
#include <vector>

#include "tests/harness/cgi_harness.h"
#include "tqjs/js_bridge.h"
#include "tqjs/js_parse.h"

namespace {

int64_t zero_clock() { return 0; }

TEST(JsAxis, RawValuesGiveSpeedsWithADeadZoneAroundTheCentre) {
    struct row {
        int raw;
        int speed;
    } rows[] = {
        {0, -10},  {1, -10},   {384, -3},  {460, -1},  {461, 0},   {512, 0},
        {563, 0},  {564, 1},   {588, 1},   {589, 2},   {640, 3},   {1023, 10},
        {1024, 10}, {5000, 10}, {-5000, -10}, {INT_MAX, 10}, {INT_MIN, -10},
    };
    for (const auto& r : rows) EXPECT_EQ(js_axis_speed(r.raw), r.speed) << "raw " << r.raw;
}

TEST(JsParse, KeyboardLinesGiveCommands) {
    struct row {
        const char* text;
        int rc;
        const char* name;
        int kind, code, state, h, v;
    } rows[] = {
        {"IP-Controller:J-LL-H05-V00:EOF", 0, "Left", 2, 47, 2, 5, 0},
        {"IP-Controller:J-RR-H10-V00:EOF", 0, "Right", 2, 47, 3, 10, 0},
        {"IP-Controller:J-UU-H00-V03:EOF", 0, "Up", 2, 47, 4, 0, 3},
        {"IP-Controller:J-DD-H00-V10:EOF", 0, "Down", 2, 47, 5, 0, 10},
        {"IP-Controller:J-LU-H01-V02:EOF", 0, "UpLeft", 2, 47, 6, 1, 2},
        {"IP-Controller:J-RU-H03-V04:EOF", 0, "UpRight", 2, 47, 7, 3, 4},
        {"IP-Controller:J-LD-H05-V06:EOF", 0, "DownLeft", 2, 47, 8, 5, 6},
        {"IP-Controller:J-RD-H07-V08:EOF", 0, "DownRight", 2, 47, 9, 7, 8},
        {"IP-Controller:J-ST-H00-V00:EOF", 0, "STOP", 2, 47, 12, 0, 0},
        {"IP-Controller:J-XX-H01-V02:EOF", 0, "STOP", 2, 47, 12, 1, 2},
        // Speeds from a keyboard are held to the stick's range.
        {"IP-Controller:J-RR-H99-V12:EOF", 0, "Right", 2, 47, 3, 10, 10},
        {"IP-Controller:J-Z-WIDE:EOF", 0, "WIDE", 2, 46, 10, 0, 0},
        {"IP-Controller:J-Z-TELE:EOF", 0, "TELE", 2, 46, 11, 0, 0},
        {"IP-Controller:J-Z-STOP:EOF", 0, "STOP", 2, 46, 12, 0, 0},
        {"IP-Controller:J-Z-HALT:EOF", 0, "STOP", 2, 46, 12, 0, 0},
        {"IP-Controller:J-B-DOWN:EOF", 0, "ENTER", 2, 45, 1, 0, 0},
        {"IP-Controller:J-B-UP:EOF", 0, "STOP", 2, 45, 0, 0, 0},
        {"IP-Controller:R01-C01:EOF", 0, "ESC", 1, 1, 1, 0, 0},
        {"IP-Controller:R02-C05:EOF", 0, "1", 1, 22, 1, 0, 0},
        {"IP-Controller:R03-C07:EOF", 0, "6", 1, 27, 1, 0, 0},
        {"IP-Controller:R04-C07:EOF", 0, "9", 1, 30, 1, 0, 0},
        {"IP-Controller:R05-C06:EOF", 0, "0", 1, 21, 1, 0, 0},
        {"IP-Controller:R00-C00:EOF", 0, "", 1, 0, 0, 0, 0},
        {"IP-Controller:R09-C09:EOF", 0, "", 1, 0, 0, 0, 0},
        // Dropped: numbers that cannot be read, a missing frame, overlong.
        {"IP-Controller:J-RR:EOF", -1, nullptr, 0, 0, 0, 0, 0},
        {"IP-Controller:J-RR-H123456-V01:EOF", -1, nullptr, 0, 0, 0, 0, 0},
        {"IP-Controller:hello:EOF", -1, nullptr, 0, 0, 0, 0, 0},
        {"IP-Controller::EOF", -1, nullptr, 0, 0, 0, 0, 0},
        {"IP-Controller:R02-C05", -1, nullptr, 0, 0, 0, 0, 0},
        {"R02-C05:EOF", -1, nullptr, 0, 0, 0, 0, 0},
        {"ip-controller:R02-C05:EOF", -1, nullptr, 0, 0, 0, 0, 0},
        {"IP-Controller:EOF", -1, nullptr, 0, 0, 0, 0, 0},
        {"", -1, nullptr, 0, 0, 0, 0, 0},
        {nullptr, -1, nullptr, 0, 0, 0, 0, 0},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.text ? r.text : "(null)");
        js_command cmd{};
        cmd.code = 777;  // a dropped text leaves the command alone
        ASSERT_EQ(parse_events_params(r.text, &cmd), r.rc);
        if (r.rc != 0) {
            EXPECT_EQ(cmd.code, 777);
            continue;
        }
        EXPECT_STREQ(cmd.name, r.name);
        EXPECT_EQ(cmd.kind, r.kind);
        EXPECT_EQ(cmd.code, r.code);
        EXPECT_EQ(cmd.state, r.state);
        EXPECT_EQ(cmd.h_speed, r.h);
        EXPECT_EQ(cmd.v_speed, r.v);
    }
    std::string long_body = "IP-Controller:R02-C05" + std::string(200, '-') + ":EOF";
    js_command cmd{};
    EXPECT_EQ(parse_events_params(long_body.c_str(), &cmd), -1);
}

TEST(JsParse, UnreadableNumbersPrintTheErrorLineOfTheParser) {
    // Texts whose row/column or speeds cannot be read.
    for (const char* text : {"IP-Controller:J-RR:EOF", "IP-Controller:R02:EOF", "IP-Controller:J-LL-H:EOF"}) {
        std::string out;
        {
            stdout_capture cap;
            js_command cmd{};
            EXPECT_EQ(parse_events_params(text, &cmd), -1);
            out = cap.text();
        }
        std::regex line(
            "\\[JSERROR\\] func:parse_events_params file:js_parse\\.c line:[0-9]+\\]\x1b\\[0;31mscanf failed !\n\x1b\\[0;39m \n");
        EXPECT_TRUE(std::regex_match(out, line)) << text << ": " << out;
    }
}

TEST(JsParse, EveryStickPositionSurvivesTheTextRoundTrip) {
    for (int x = -10; x <= 10; ++x) {
        for (int y = -10; y <= 10; ++y) {
            char text[JS_TEXT_LEN];
            ASSERT_GT(js_text_direction(text, sizeof text, x, y), 0);
            js_command cmd{};
            ASSERT_EQ(parse_events_params(text, &cmd), 0) << text;
            EXPECT_EQ(cmd.state, js_direction_state(x, y)) << text;
            EXPECT_EQ(cmd.h_speed, x < 0 ? -x : x) << text;
            EXPECT_EQ(cmd.v_speed, y < 0 ? -y : y) << text;
        }
    }
}

TEST(JsParse, JoystickButtonsTypeTheKeypadDigits) {
    // Button 288 + i has the code 21 + i; its text is the key one table row
    // further on, so the buttons type 1..9 and then 0.
    struct row {
        int code;
        const char* text;
        const char* name;
        int parsed_code;
    } rows[] = {
        {1, "IP-Controller:R01-C01:EOF", "ESC", 1},  {21, "IP-Controller:R02-C05:EOF", "1", 22},
        {22, "IP-Controller:R02-C06:EOF", "2", 23},  {23, "IP-Controller:R02-C07:EOF", "3", 24},
        {24, "IP-Controller:R03-C05:EOF", "4", 25},  {25, "IP-Controller:R03-C06:EOF", "5", 26},
        {26, "IP-Controller:R03-C07:EOF", "6", 27},  {27, "IP-Controller:R04-C05:EOF", "7", 28},
        {28, "IP-Controller:R04-C06:EOF", "8", 29},  {29, "IP-Controller:R04-C07:EOF", "9", 30},
        {30, "IP-Controller:R05-C06:EOF", "0", 21},
    };
    for (const auto& r : rows) {
        char text[JS_TEXT_LEN];
        ASSERT_GT(js_text_key(text, sizeof text, r.code, true), 0);
        EXPECT_STREQ(text, r.text);
        js_command cmd{};
        ASSERT_EQ(parse_events_params(text, &cmd), 0);
        EXPECT_STREQ(cmd.name, r.name);
        EXPECT_EQ(cmd.code, r.parsed_code);
        EXPECT_EQ(cmd.state, 1);
    }
    char text[JS_TEXT_LEN];
    EXPECT_EQ(js_text_key(text, sizeof text, 31, true), -1);
    ASSERT_GT(js_text_key(text, sizeof text, 31, false), 0);
    EXPECT_STREQ(text, "IP-Controller:R00-C00:EOF");
}

TEST(JsFilter, OnlyChangesBecomeKeyboardTexts) {
    struct ev {
        int type, code, value;
        const char* text;  // "" when the event is filtered out
    };
    struct row {
        const char* name;
        std::vector<ev> events;
    } rows[] = {
        {"key press, auto-repeat, release",
         {{1, 288, 1, "IP-Controller:R02-C05:EOF"}, {1, 288, 2, ""}, {1, 288, 0, "IP-Controller:R00-C00:EOF"},
          {1, 288, 0, ""}}},
        {"B and escape",
         {{1, 298, 1, "IP-Controller:J-B-DOWN:EOF"}, {1, 298, 0, "IP-Controller:J-B-UP:EOF"},
          {1, 299, 1, "IP-Controller:R01-C01:EOF"}, {1, 299, 0, "IP-Controller:R00-C00:EOF"},
          {1, 297, 1, "IP-Controller:R05-C06:EOF"}, {1, 297, 0, "IP-Controller:R00-C00:EOF"}}},
        {"other keys and event types are ignored and keep the pressed state",
         {{1, 287, 1, ""}, {1, 300, 1, ""}, {2, 0, 900, ""}, {3, 5, 900, ""}, {0, 0, 0, ""},
          {1, 296, 1, "IP-Controller:R04-C07:EOF"}}},
        {"one pressed state for all buttons",
         {{1, 288, 1, "IP-Controller:R02-C05:EOF"}, {1, 289, 1, ""}, {1, 288, 0, "IP-Controller:R00-C00:EOF"},
          {1, 289, 0, ""}, {1, 298, 1, "IP-Controller:J-B-DOWN:EOF"}}},
        {"stick: only a new speed pair",
         {{3, 0, 564, "IP-Controller:J-RR-H01-V00:EOF"}, {3, 0, 580, ""}, {3, 1, 0, "IP-Controller:J-RU-H01-V10:EOF"},
          {3, 1, 3, ""}, {3, 0, 563, "IP-Controller:J-UU-H00-V10:EOF"}, {3, 1, 470, "IP-Controller:J-ST-H00-V00:EOF"},
          {3, 1, 555, ""}, {3, 0, -700, "IP-Controller:J-LL-H10-V00:EOF"}, {3, 1, 2000, "IP-Controller:J-LD-H10-V10:EOF"}}},
        {"zoom: start, end and reversal, not speed",
         {{3, 2, 660, "IP-Controller:J-Z-TELE:EOF"}, {3, 2, 870, ""}, {3, 2, 512, "IP-Controller:J-Z-STOP:EOF"},
          {3, 2, 540, ""}, {3, 2, 100, "IP-Controller:J-Z-WIDE:EOF"}, {3, 2, 1023, "IP-Controller:J-Z-TELE:EOF"},
          {3, 2, 500, "IP-Controller:J-Z-STOP:EOF"}}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        js_bridge bridge(zero_clock);
        for (size_t i = 0; i < r.events.size(); ++i) {
            const ev& e = r.events[i];
            char text[JS_TEXT_LEN] = "";
            int n = bridge.translate(e.type, e.code, e.value, text, sizeof text);
            EXPECT_EQ(n > 0 ? std::string(text) : std::string(), e.text) << "event " << i;
        }
    }
}

}  // namespace
