// The reader thread on a scripted joystick, with the fake core recording the
// command texts (message 4002) the bridge sends.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/harness/cgi_harness.h"
#include "tests/tqjs/fake_joystick.h"
#include "tools/coresim/coresim.h"
#include "tqjs/js_reader.h"

namespace {

// One step of a scenario.
struct step {
    enum kind { event, unplug, unplug_failing, read_error, replug } what;
    scripted_event ev{};
    std::string node;  // replug: the joystick's new event node
};

step ev(int64_t at_ms, int type, int code, int value) { return {step::event, {at_ms, type, code, value}, {}}; }
step axis(int64_t at_ms, int code, int raw) { return ev(at_ms, JS_EV_ABS, code, raw); }
step button(int64_t at_ms, int code, int value) { return ev(at_ms, JS_EV_KEY, code, value); }

// A press and release of a button at one time.
void press(std::vector<step>& s, int64_t at_ms, int code) {
    s.push_back(button(at_ms, code, 1));
    s.push_back(button(at_ms, code, 0));
}

struct scenario {
    int line;
    const char* name;
    std::vector<step> steps;
    std::vector<std::string> texts;  // the 4002 texts, in order
};

class JsReader : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(core.start(root.path())); }
    void TearDown() override { core.stop(); }

    // Runs the steps through a fresh daemon and returns the texts the core
    // received, once the daemon has stopped and its link is closed.
    std::vector<std::string> run(const std::vector<step>& steps) {
        fake_joystick pad;
        js_options options;
        options.device = &pad;
        options.clock = fake_joystick::clock_ms;
        int closed = core.closed_connections();
        core.clear_journal();
        EXPECT_EQ(tq_js_init(&options), 0);
        for (const step& s : steps) {
            switch (s.what) {
                case step::event: pad.push(s.ev); break;
                case step::unplug:
                case step::unplug_failing:
                    EXPECT_TRUE(pad.wait_idle());
                    pad.unplug(s.what == step::unplug_failing);
                    EXPECT_TRUE(pad.wait_closed());
                    break;
                case step::read_error:
                    EXPECT_TRUE(pad.wait_idle());
                    pad.fail_next_read();
                    break;
                case step::replug: pad.replug(s.node); break;
            }
        }
        EXPECT_TRUE(pad.wait_idle());
        uses = pad.uses();
        tq_js_uninit();
        EXPECT_TRUE(core.wait_for_closed(closed + 1));
        std::vector<std::string> texts;
        for (const auto& m : core.journal()) {
            EXPECT_EQ(m.id, JS_MSG_COMMAND);
            EXPECT_EQ(m.payload.size(), static_cast<size_t>(JS_COMMAND_LEN));
            std::string text(m.payload.begin(), m.payload.end());
            // NUL-padded: the text, then zeros to the end.
            size_t end = text.find('\0');
            EXPECT_NE(end, std::string::npos);
            EXPECT_EQ(text.find_first_not_of('\0', end), std::string::npos) << text;
            texts.push_back(text.substr(0, end));
        }
        return texts;
    }

    void run_all(const std::vector<scenario>& rows) {
        for (const auto& r : rows) {
            SCOPED_TRACE(testing::Message() << "row at line " << r.line << ": " << r.name);
            EXPECT_EQ(run(r.steps), r.texts);
        }
    }

    test_root root;
    coresim_server core;
    int uses = 0;
};

TEST_F(JsReader, StickMovesTheMenuOneStepPerDeflection) {
    std::vector<scenario> rows = {
        {__LINE__, "dead zone 461..563, then one step each way at the smallest and largest speed",
         {axis(0, JS_ABS_X, 461), axis(0, JS_ABS_X, 563), axis(0, JS_ABS_X, 564), axis(0, JS_ABS_X, 512),
          axis(0, JS_ABS_X, 460), axis(0, JS_ABS_X, 512), axis(0, JS_ABS_X, 1023), axis(0, JS_ABS_X, 512),
          axis(0, JS_ABS_X, 0), axis(0, JS_ABS_X, 512), axis(0, JS_ABS_Y, 0), axis(0, JS_ABS_Y, 530)},
         {"Dir_Nvr_Right_1_0", "Dir_Nvr_STOP_0_0", "Dir_Nvr_Left_1_0", "Dir_Nvr_STOP_0_0",
          "Dir_Nvr_Right_10_0", "Dir_Nvr_STOP_0_0", "Dir_Nvr_Left_10_0", "Dir_Nvr_STOP_0_0",
          "Dir_Nvr_Up_0_10", "Dir_Nvr_STOP_0_0"}},
        {__LINE__, "the latch holds along the right edge until the stick is back at the centre",
         {axis(0, JS_ABS_X, 1023), axis(0, JS_ABS_Y, 300), axis(0, JS_ABS_Y, 1000), axis(0, JS_ABS_Y, 512),
          axis(0, JS_ABS_X, 800), axis(0, JS_ABS_X, 512), axis(0, JS_ABS_Y, 900), axis(0, JS_ABS_Y, 512)},
         {"Dir_Nvr_Right_10_0", "Dir_Nvr_STOP_0_0", "Dir_Nvr_Down_0_8", "Dir_Nvr_STOP_0_0"}},
        {__LINE__, "values beyond the axis range are full speed",
         {axis(0, JS_ABS_X, 4000), axis(0, JS_ABS_X, 512), axis(0, JS_ABS_Y, -4000), axis(0, JS_ABS_Y, 512)},
         {"Dir_Nvr_Right_10_0", "Dir_Nvr_STOP_0_0", "Dir_Nvr_Up_0_10", "Dir_Nvr_STOP_0_0"}},
    };
    run_all(rows);
}

TEST_F(JsReader, PtzModeSendsEverySpeedPair) {
    std::vector<step> s;
    press(s, 0, JS_BTN_B);
    for (step x : {axis(10, JS_ABS_X, 800), axis(10, JS_ABS_X, 1023), axis(10, JS_ABS_Y, 300),
                   axis(10, JS_ABS_Y, 290), axis(10, JS_ABS_X, 512), axis(10, JS_ABS_Y, 512)})
        s.push_back(x);
    std::vector<scenario> rows = {
        {__LINE__, "B enters PTZ mode; each new pair, then the stop", s,
         {"Enter", "Dir_Ptz_Right_6_0", "Dir_Ptz_Right_10_0", "Dir_Ptz_UpRight_10_4", "Dir_Ptz_Up_0_4",
          "Dir_Ptz_STOP_0_0"}},
    };
    // Escape goes back to the menu mode.
    std::vector<step> e = s;
    press(e, 20, JS_BTN_ESCAPE);
    e.push_back(axis(30, JS_ABS_X, 0));
    e.push_back(axis(30, JS_ABS_X, 100));
    e.push_back(axis(30, JS_ABS_X, 512));
    rows.push_back({__LINE__, "escape returns to the menu mode", e,
                    {"Enter", "Dir_Ptz_Right_6_0", "Dir_Ptz_Right_10_0", "Dir_Ptz_UpRight_10_4",
                     "Dir_Ptz_Up_0_4", "Dir_Ptz_STOP_0_0", "Dir_Nvr_Left_10_0", "Dir_Nvr_STOP_0_0"}});
    run_all(rows);
}

TEST_F(JsReader, BButtonEntersCallsPresetsAndTogglesFullScreen) {
    auto seq = [](std::initializer_list<std::pair<int64_t, int>> presses, bool stick_after) {
        std::vector<step> s;
        for (auto [at, code] : presses) press(s, at, code);
        if (stick_after) {
            s.push_back(axis(100000, JS_ABS_X, 1023));
            s.push_back(axis(100000, JS_ABS_X, 512));
        }
        return s;
    };
    std::vector<step> sixty;
    for (int i = 0; i < 60; ++i) press(sixty, i, JS_BTN_KEYPAD_FIRST + i % 10);
    press(sixty, 100, JS_BTN_B);

    std::vector<scenario> rows = {
        {__LINE__, "buttons 288, 289 then B call preset 12 and keep the menu mode",
         seq({{0, 288}, {100, 289}, {5000, JS_BTN_B}}, true),
         {"PTZ_Preset_Call_12", "Dir_Nvr_Right_10_0", "Dir_Nvr_STOP_0_0"}},
        {__LINE__, "button 297 types 0", seq({{0, 297}, {1, 296}, {2, 297}, {3, JS_BTN_B}}, false),
         {"PTZ_Preset_Call_90"}},
        {__LINE__, "B 10 s after the last digit still calls the preset",
         seq({{0, 290}, {10000, JS_BTN_B}}, false), {"PTZ_Preset_Call_3"}},
        {__LINE__, "the editor is cleared after more than 10 s",
         seq({{0, 290}, {10001, JS_BTN_B}}, false), {"Enter"}},
        {__LINE__, "each digit restarts the 10 s", seq({{0, 288}, {9000, 289}, {18000, JS_BTN_B}}, false),
         {"PTZ_Preset_Call_12"}},
        {__LINE__, "escape clears the editor", seq({{0, 288}, {10, JS_BTN_ESCAPE}, {20, JS_BTN_B}}, false),
         {"Enter"}},
        {__LINE__, "sixty digits: the first nine make the number", sixty, {"PTZ_Preset_Call_123456789"}},
        {__LINE__, "two presses 300 ms apart: Enter, FullScreen, menu mode again",
         seq({{1000, JS_BTN_B}, {1300, JS_BTN_B}}, true),
         {"Enter", "FullScreen", "Dir_Nvr_Right_10_0", "Dir_Nvr_STOP_0_0"}},
        {__LINE__, "500 ms apart is still a double press", seq({{1000, JS_BTN_B}, {1500, JS_BTN_B}}, false),
         {"Enter", "FullScreen"}},
        {__LINE__, "501 ms apart is Enter twice and PTZ mode", seq({{1000, JS_BTN_B}, {1501, JS_BTN_B}}, true),
         {"Enter", "Enter", "Dir_Ptz_Right_10_0", "Dir_Ptz_STOP_0_0"}},
        {__LINE__, "a first press at time 0 is not a double press", seq({{0, JS_BTN_B}}, false), {"Enter"}},
    };
    run_all(rows);
}

TEST_F(JsReader, ReleasesAndStrayEventsRunNoHandler) {
    std::vector<step> s = {
        button(0, JS_BTN_B, 0),      // a release with nothing pressed
        button(0, 287, 1),           // keys outside the joystick's set
        button(0, 300, 1),
        ev(0, 2, JS_ABS_X, 900),     // relative axis
        ev(0, JS_EV_ABS, 5, 900),    // another absolute axis
        ev(0, 0, 0, 0),              // synchronisation
        button(0, 288, 1),           // a digit held ...
        button(0, 289, 1),           // ... hides this press
        button(0, 288, 0),
        button(0, 289, 0),
    };
    press(s, 50, JS_BTN_B);
    std::vector<scenario> rows = {
        {__LINE__, "only the first digit and B count", s, {"PTZ_Preset_Call_1"}},
    };
    run_all(rows);
}

TEST_F(JsReader, ZoomSendsOnlyTheStartAndTheEnd) {
    std::vector<scenario> rows = {
        {__LINE__, "tele from 3 to 7 sends nothing more, back to 0 sends the tele stop",
         {axis(0, JS_ABS_Z, 660), axis(0, JS_ABS_Z, 870), axis(0, JS_ABS_Z, 512)},
         {"PTZ_ZoomPlus", "PTZ_ZoomPlusStop"}},
        {__LINE__, "wide, the dead zone, and a reversal without a stop",
         {axis(0, JS_ABS_Z, 100), axis(0, JS_ABS_Z, 30), axis(0, JS_ABS_Z, 540), axis(0, JS_ABS_Z, 512),
          axis(0, JS_ABS_Z, 0), axis(0, JS_ABS_Z, 1023), axis(0, JS_ABS_Z, 500)},
         {"PTZ_ZoomMinus", "PTZ_ZoomMinusStop", "PTZ_ZoomMinus", "PTZ_ZoomPlus", "PTZ_ZoomPlusStop"}},
        {__LINE__, "zooming clears a typed preset number",
         {button(0, 288, 1), button(0, 288, 0), axis(1, JS_ABS_Z, 900), axis(2, JS_ABS_Z, 512),
          button(3, JS_BTN_B, 1)},
         {"PTZ_ZoomPlus", "PTZ_ZoomPlusStop", "Enter"}},
    };
    run_all(rows);
}

TEST_F(JsReader, LosingTheJoystickClearsTheStateAndItIsFoundAgain) {
    std::vector<step> base;
    press(base, 0, JS_BTN_B);  // PTZ mode
    base.push_back(button(10, 288, 1));
    base.push_back(button(10, 288, 0));  // a digit typed
    auto after = [&](step loss, const char* node) {
        std::vector<step> s = base;
        s.push_back(loss);
        if (loss.what != step::read_error) s.push_back({step::replug, {}, node});
        s.push_back(axis(20, JS_ABS_X, 1023));
        s.push_back(axis(20, JS_ABS_X, 512));
        press(s, 30, JS_BTN_B);
        return s;
    };
    // Menu mode again, and the digit is gone: B is a plain Enter.
    std::vector<std::string> want = {"Enter", "Dir_Nvr_Right_10_0", "Dir_Nvr_STOP_0_0", "Enter"};
    struct row {
        int line;
        step loss;
        const char* node;
    } rows[] = {
        {__LINE__, {step::unplug, {}, {}}, "/dev/input/event2"},
        {__LINE__, {step::unplug_failing, {}, {}}, "/dev/input/event2"},
        {__LINE__, {step::unplug, {}, {}}, "/dev/input/event5"},
        {__LINE__, {step::read_error, {}, {}}, nullptr},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << "row at line " << r.line);
        EXPECT_EQ(run(after(r.loss, r.node)), want);
        EXPECT_EQ(uses, 2);
    }
}

}  // namespace
