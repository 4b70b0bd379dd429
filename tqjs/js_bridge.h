// The command logic of the joystick bridge: translating input events into
// keyboard texts (with the change filter), and turning parsed texts into
// command texts for the core daemon (message 4002).
#pragma once

#include <cstddef>
#include <cstdint>

#include "tqjs/js_parse.h"

constexpr int JS_MSG_COMMAND = 4002;
constexpr int JS_COMMAND_LEN = 100;  // payload: NUL-padded text of up to 99 characters

constexpr int32_t JS_MODE_MENU = 0;
constexpr int32_t JS_MODE_PTZ = 1;

constexpr int JS_SEQUENCE_MAX = 16;
// The preset number is at most nine digits: the value always fits an int32.
constexpr int JS_PRESET_DIGITS_MAX = 9;
constexpr int64_t JS_EDITOR_LIMIT_MS = 10000;
constexpr int64_t JS_DOUBLE_PRESS_MS = 500;
constexpr int64_t JS_NO_PRESS = INT64_MIN;

// Input event types and codes the bridge reads.
constexpr int JS_EV_KEY = 1;
constexpr int JS_EV_ABS = 3;
constexpr int JS_BTN_KEYPAD_FIRST = 288;  // BTN_TRIGGER .. BTN_BASE4: keypad codes 21..30
constexpr int JS_BTN_KEYPAD_LAST = 297;
constexpr int JS_BTN_B = 298;       // BTN_BASE5
constexpr int JS_BTN_ESCAPE = 299;  // BTN_BASE6
constexpr int JS_ABS_X = 0;
constexpr int JS_ABS_Y = 1;
constexpr int JS_ABS_Z = 2;

// The preset-number editor.
struct js_editor {
    int32_t is_on;
    int32_t reserved;
    int32_t length;
    char digits[48];
};

// The state cleared at start and whenever the joystick goes away.
struct js_state_area {
    int32_t mode;
    int32_t sequence_len;
    int32_t sequence[JS_SEQUENCE_MAX];
    int64_t last_b_ms;  // JS_NO_PRESS until the first B press
    js_command cmd;
    js_editor editor;
};

// Milliseconds of the bridge's clock (monotonic).
typedef int64_t (*js_clock_fn)();

class js_bridge {
public:
    explicit js_bridge(js_clock_fn clock);

    // Clears the state area (mode, sequence, last B press, command, editor).
    void clear();

    // Translates one input event and applies the change filter. Returns the
    // length of the keyboard text written to out when the event is a change
    // to pass on, 0 when it is not.
    int translate(int type, int code, int value, char* out, size_t out_size);

    // Parses one keyboard text and runs the command logic on it; sends the
    // resulting command texts.
    void process_text(const char* text);

private:
    struct binding {
        int32_t len_a;
        int32_t len_b;
        int32_t codes[JS_SEQUENCE_MAX];
        void (js_bridge::*handler)();
    };
    static const binding kBindings[5];

    void clear_editor();
    void append_digit(int32_t code);
    void append_code(int32_t code);
    void dispatch();
    void send(const char* fmt, ...) __attribute__((format(printf, 2, 3)));

    void on_direction();
    void on_zoom();
    void on_enter();
    void on_escape();

    js_clock_fn clock_;
    int64_t now_ms_ = 0;  // clock at the text being processed
    js_state_area st_{};
    // Kept across a loss of the joystick.
    int64_t editor_start_ms_ = 0;
    bool direction_latch_ = false;
    int32_t last_zoom_state_ = 0;  // 0: none yet
    int32_t saved_mode_ = JS_MODE_MENU;
    int last_x_ = 0;
    int last_y_ = 0;
    int last_z_ = 0;
    bool last_pressed_ = false;
};

// Sends one command text as message 4002 (cut to 99 characters), once,
// without waiting; errors are ignored as the daemon cannot act on them.
void js_send_command(const char* text);
