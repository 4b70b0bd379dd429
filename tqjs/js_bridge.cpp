// Command logic of the joystick bridge.
#include "tqjs/js_bridge.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/tqstd.h"

// Each binding is one code long. A binding with both lengths 0 ends the
// table: it has no handler, and a match of no codes never fires anything.
const js_bridge::binding js_bridge::kBindings[5] = {
    {1, 1, {JS_CODE_DIRECTION}, &js_bridge::on_direction},
    {1, 1, {JS_CODE_ZOOM}, &js_bridge::on_zoom},
    {1, 1, {JS_CODE_ENTER}, &js_bridge::on_enter},
    {1, 1, {JS_CODE_ESCAPE}, &js_bridge::on_escape},
    {0, 0, {}, nullptr},
};

void js_send_command(const char* text) {
    char payload[JS_COMMAND_LEN] = {};
    std::snprintf(payload, sizeof payload, "%s", text);
    tq_sock_send_msg(1, JS_MSG_COMMAND, payload, JS_COMMAND_LEN, 0, 0);
}

js_bridge::js_bridge(js_clock_fn clock) : clock_(clock) { clear(); }

void js_bridge::clear() {
    st_ = js_state_area{};
    st_.last_b_ms = JS_NO_PRESS;
}

void js_bridge::clear_editor() { st_.editor = js_editor{}; }

int js_bridge::translate(int type, int code, int value, char* out, size_t out_size) {
    if (type == JS_EV_KEY) {
        bool pressed = value != 0;
        int n = -1;
        bool known = code == JS_BTN_B || code == JS_BTN_ESCAPE ||
                     (code >= JS_BTN_KEYPAD_FIRST && code <= JS_BTN_KEYPAD_LAST);
        // One pressed state for all buttons: a press while another button is
        // held is not passed on (nor is a key's auto-repeat, value 2).
        if (!known || pressed == last_pressed_) return 0;
        if (code == JS_BTN_B) {
            n = js_text_enter(out, out_size, pressed);
        } else if (code == JS_BTN_ESCAPE) {
            n = js_text_key(out, out_size, JS_CODE_ESCAPE, pressed);
        } else {
            n = js_text_key(out, out_size, code - (JS_BTN_KEYPAD_FIRST - JS_CODE_DIGIT_FIRST),
                            pressed);
        }
        if (n <= 0) return 0;
        last_pressed_ = pressed;
        return n;
    }
    if (type != JS_EV_ABS) return 0;
    int speed = js_axis_speed(value);
    if (code == JS_ABS_X || code == JS_ABS_Y) {
        int x = code == JS_ABS_X ? speed : last_x_;
        int y = code == JS_ABS_Y ? speed : last_y_;
        if (x == last_x_ && y == last_y_) return 0;
        last_x_ = x;
        last_y_ = y;
        return js_text_direction(out, out_size, x, y);
    }
    if (code == JS_ABS_Z) {
        // Only the start and the end of zooming pass, and a reversal from one
        // end of the axis to the other without a stop in between (otherwise
        // the camera would go on zooming the other way); a change of speed
        // while zooming does not.
        if (js_zoom_state(speed) == js_zoom_state(last_z_)) return 0;
        last_z_ = speed;
        return js_text_zoom(out, out_size, speed);
    }
    return 0;
}

void js_bridge::process_text(const char* text) {
    int64_t now = clock_();
    now_ms_ = now;
    if (st_.editor.is_on && now - editor_start_ms_ > JS_EDITOR_LIMIT_MS) {
        std::printf("==time is longer than 10s, clear it==\n");
        clear_editor();
    }
    js_command cmd;
    if (parse_events_params(text, &cmd) != 0) return;
    st_.cmd = cmd;
    if (cmd.state == JS_RELEASED) {
        dispatch();
        return;
    }
    if (cmd.code >= JS_CODE_DIGIT_FIRST && cmd.code <= JS_CODE_DIGIT_LAST) {
        st_.editor.is_on = 1;
        editor_start_ms_ = now;
        append_digit(cmd.code);
    } else if (cmd.code != JS_CODE_ENTER && st_.editor.is_on) {
        clear_editor();
    }
    append_code(cmd.code);
    dispatch();
}

void js_bridge::append_digit(int32_t code) {
    js_editor& ed = st_.editor;
    // Further digits are ignored: the number stays within an int32.
    if (ed.length >= JS_PRESET_DIGITS_MAX) return;
    ed.digits[ed.length++] = static_cast<char>(code + ('0' - JS_CODE_DIGIT_FIRST));
    ed.digits[ed.length] = '\0';
}

void js_bridge::append_code(int32_t code) {
    if (code == JS_CODE_ESCAPE) {
        st_.sequence[0] = code;
        st_.sequence_len = 1;
        return;
    }
    if (st_.sequence_len >= JS_SEQUENCE_MAX) return;
    st_.sequence[st_.sequence_len++] = code;
}

void js_bridge::dispatch() {
    int32_t longest = 0;
    bool ran = false;
    for (const binding& b : kBindings) {
        if (b.len_a == 0 && b.len_b == 0) break;
        int32_t limit = b.len_a > b.len_b ? b.len_a : b.len_b;
        int32_t count = 0;
        while (count < st_.sequence_len && count < limit && st_.sequence[count] == b.codes[count]) {
            ++count;
        }
        if (count > longest) longest = count;
        if (count >= 1 && (count == b.len_a || count == b.len_b)) {
            (this->*b.handler)();
            ran = true;
        }
    }
    st_.sequence_len = ran ? 0 : longest;
}

void js_bridge::send(const char* fmt, ...) {
    char text[JS_COMMAND_LEN];
    va_list ap;
    va_start(ap, fmt);
    std::vsnprintf(text, sizeof text, fmt, ap);
    va_end(ap);
    js_send_command(text);
}

// Menu mode gets one step per deflection of the stick and the stop on its
// return; PTZ mode every change of direction or speed.
void js_bridge::on_direction() {
    const js_command& c = st_.cmd;
    if (c.state == JS_STOP) direction_latch_ = false;
    if (direction_latch_) return;
    if (st_.mode == JS_MODE_MENU) {
        send("Dir_Nvr_%s_%d_%d", c.name, c.h_speed, c.v_speed);
        if (c.state != JS_STOP) direction_latch_ = true;
    } else {
        send("Dir_Ptz_%s_%d_%d", c.name, c.h_speed, c.v_speed);
    }
}

void js_bridge::on_zoom() {
    const js_command& c = st_.cmd;
    if (c.state == JS_TELE) {
        send("PTZ_ZoomPlus");
    } else if (c.state == JS_WIDE) {
        send("PTZ_ZoomMinus");
    } else if (last_zoom_state_ == JS_TELE) {
        send("PTZ_ZoomPlusStop");
    } else if (last_zoom_state_ == JS_WIDE) {
        send("PTZ_ZoomMinusStop");
    }
    last_zoom_state_ = c.state;
}

void js_bridge::on_enter() {
    if (st_.cmd.state != JS_PRESSED) return;
    int64_t now = now_ms_;
    std::printf("stEditor.isON=%d\n", st_.editor.is_on);
    if (st_.editor.is_on) {
        send("PTZ_Preset_Call_%d", std::atoi(st_.editor.digits));
        clear_editor();
    } else if (st_.last_b_ms != JS_NO_PRESS && now - st_.last_b_ms <= JS_DOUBLE_PRESS_MS) {
        st_.mode = saved_mode_;
        send("FullScreen");
    } else {
        saved_mode_ = st_.mode;
        send("Enter");
        st_.mode = JS_MODE_PTZ;
    }
    st_.last_b_ms = now;
}

void js_bridge::on_escape() {
    if (st_.cmd.state == JS_PRESSED) st_.mode = JS_MODE_MENU;
}
