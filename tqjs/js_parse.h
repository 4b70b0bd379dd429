// The network-keyboard text protocol ("IP-Controller:<body>:EOF") that is the
// one input language of the joystick bridge: the joystick's changes are
// written as these texts, and the command logic only ever sees what the
// parser reads back from them.
#pragma once

#include <cstddef>
#include <cstdint>

// Kinds of a parsed command.
constexpr int32_t JS_KIND_KEY = 1;      // keypad key
constexpr int32_t JS_KIND_CONTROL = 2;  // stick, zoom axis, B button

// Codes: keypad keys carry the key table's code; the controls these.
constexpr int32_t JS_CODE_ESCAPE = 1;
constexpr int32_t JS_CODE_DIGIT_FIRST = 21;  // "0"; 22.."30" are "1".."9"
constexpr int32_t JS_CODE_DIGIT_LAST = 30;
constexpr int32_t JS_CODE_ENTER = 45;  // the B button
constexpr int32_t JS_CODE_ZOOM = 46;
constexpr int32_t JS_CODE_DIRECTION = 47;

// States: buttons and keys 0/1; directions 2..9; zoom 10/11; both stop 12.
enum js_state : int32_t {
    JS_RELEASED = 0,
    JS_PRESSED = 1,
    JS_LEFT = 2,
    JS_RIGHT = 3,
    JS_UP = 4,
    JS_DOWN = 5,
    JS_UP_LEFT = 6,
    JS_UP_RIGHT = 7,
    JS_DOWN_LEFT = 8,
    JS_DOWN_RIGHT = 9,
    JS_WIDE = 10,
    JS_TELE = 11,
    JS_STOP = 12,
};

constexpr int JS_MAX_SPEED = 10;
constexpr size_t JS_NAME_LEN = 48;
// A keyboard text is at most "IP-Controller:J-RR-H10-V10:EOF" long; the
// buffers leave room to spare.
constexpr size_t JS_TEXT_LEN = 64;

// One parsed command.
struct js_command {
    char name[JS_NAME_LEN];
    int32_t kind;
    int32_t code;
    int32_t state;
    int32_t h_speed;  // 0..10
    int32_t v_speed;  // 0..10
    int32_t z_speed;  // 0..10
};
static_assert(sizeof(js_command) == 72);

// The keypad's key table: row and column of the keyboard text, code, name.
struct js_key {
    int32_t row;
    int32_t column;
    int32_t code;
    char name[JS_NAME_LEN];
};
extern const js_key js_key_table[12];  // ends with row -1

// Speed -10..10 of a raw axis value (0..1023, centre 512): 51 raw steps on
// either side of the centre are the dead zone; values outside the range
// clamp to the full speed.
int js_axis_speed(int raw);

// Direction state (JS_LEFT..JS_DOWN_RIGHT, or JS_STOP) of a stick position.
int js_direction_state(int x, int y);
// Zoom state (JS_WIDE, JS_TELE or JS_STOP) of a zoom speed.
int js_zoom_state(int z);

// Keyboard texts of the joystick's changes. Each returns the text's length.
int js_text_direction(char* out, size_t out_size, int x, int y);
int js_text_zoom(char* out, size_t out_size, int z);
int js_text_enter(char* out, size_t out_size, bool pressed);
// A keypad key by the code the joystick gives it (1, or 21..30), or its
// release; -1 for a code that has no text.
int js_text_key(char* out, size_t out_size, int code, bool pressed);

// Parses one keyboard text into cmd. 0 on success; -1 when the text is not a
// framed "IP-Controller:...:EOF" line or its numbers cannot be read (an error
// line is printed and cmd is left as it was).
int parse_events_params(const char* text, js_command* cmd);
