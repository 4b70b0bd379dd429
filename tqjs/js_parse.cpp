// Keyboard text protocol: writing the joystick's changes as texts and
// parsing texts back into commands.
#include "tqjs/js_parse.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

const js_key js_key_table[12] = {
    {1, 1, 1, "ESC"},  {2, 5, 22, "1"}, {2, 6, 23, "2"}, {2, 7, 24, "3"},
    {3, 5, 25, "4"},   {3, 6, 26, "5"}, {3, 7, 27, "6"}, {4, 5, 28, "7"},
    {4, 6, 29, "8"},   {4, 7, 30, "9"}, {5, 6, 21, "0"}, {-1, -1, 0, " "},
};

namespace {

constexpr std::string_view kPrefix = "IP-Controller:";
constexpr std::string_view kSuffix = ":EOF";

// The joystick's keypad codes and the key texts they are written as. The
// texts are one table row ahead of the codes (code 21 writes the key whose
// code is 22), so the buttons 288..296 type "1".."9" and 297 types "0".
struct key_text {
    int code;
    const char* text;
};
constexpr key_text kKeyTexts[] = {
    {1, "R01-C01"},  {21, "R02-C05"}, {22, "R02-C06"}, {23, "R02-C07"},
    {24, "R03-C05"}, {25, "R03-C06"}, {26, "R03-C07"}, {27, "R04-C05"},
    {28, "R04-C06"}, {29, "R04-C07"}, {30, "R05-C06"},
};

// Direction states JS_LEFT..JS_DOWN_RIGHT: the letters of the text, the name
// of the command.
struct direction_word {
    int state;
    const char* letters;
    const char* name;
};
constexpr direction_word kDirections[] = {
    {JS_LEFT, "LL", "Left"},         {JS_RIGHT, "RR", "Right"},
    {JS_UP, "UU", "Up"},             {JS_DOWN, "DD", "Down"},
    {JS_UP_LEFT, "LU", "UpLeft"},    {JS_UP_RIGHT, "RU", "UpRight"},
    {JS_DOWN_LEFT, "LD", "DownLeft"}, {JS_DOWN_RIGHT, "RD", "DownRight"},
};

int clamp_speed(int s) {
    if (s > JS_MAX_SPEED) return JS_MAX_SPEED;
    if (s < -JS_MAX_SPEED) return -JS_MAX_SPEED;
    return s;
}

int abs_speed(int s) { return s < 0 ? -clamp_speed(s) : clamp_speed(s); }

int framed(char* out, size_t out_size, const char* body) {
    int n = std::snprintf(out, out_size, "IP-Controller:%s:EOF", body);
    return n < 0 ? 0 : n;
}

// The error line names the parser's unit as the bridge's logs always have
// ("js_parse.c"), whatever this source file is called.
void parse_error(const char* func, int line, const char* what) {
    std::printf("[JSERROR] func:%s file:%s line:%d]\33[0;31m%s\n\33[0;39m \n", func, "js_parse.c", line,
                what);
}

void set_command(js_command* cmd, const char* name, int32_t kind, int32_t code, int32_t state,
                 int32_t h, int32_t v) {
    js_command out{};
    std::snprintf(out.name, sizeof out.name, "%s", name);
    out.kind = kind;
    out.code = code;
    out.state = state;
    out.h_speed = h;
    out.v_speed = v;
    *cmd = out;
}

}  // namespace

int js_axis_speed(int raw) {
    // speed = (raw - 512) / 51.2 = d * 5 / 256, rounded half away from zero,
    // in integers so that a value exactly between two speeds rounds the same
    // on every machine.
    long long d = static_cast<long long>(raw) - 512;
    long long mag = d < 0 ? -d : d;
    if (mag * 5 < 256) return 0;
    long long speed = (mag * 10 + 256) / 512;
    if (speed > JS_MAX_SPEED) speed = JS_MAX_SPEED;
    return static_cast<int>(d < 0 ? -speed : speed);
}

int js_direction_state(int x, int y) {
    if (x == 0 && y == 0) return JS_STOP;
    if (y == 0) return x < 0 ? JS_LEFT : JS_RIGHT;
    if (x == 0) return y < 0 ? JS_UP : JS_DOWN;
    if (x < 0) return y < 0 ? JS_UP_LEFT : JS_DOWN_LEFT;
    return y < 0 ? JS_UP_RIGHT : JS_DOWN_RIGHT;
}

int js_zoom_state(int z) {
    if (z == 0) return JS_STOP;
    return z < 0 ? JS_WIDE : JS_TELE;
}

int js_text_direction(char* out, size_t out_size, int x, int y) {
    int state = js_direction_state(x, y);
    const char* letters = "ST";
    for (const auto& d : kDirections) {
        if (d.state == state) letters = d.letters;
    }
    char body[32];
    std::snprintf(body, sizeof body, "J-%s-H%02d-V%02d", letters, abs_speed(x), abs_speed(y));
    return framed(out, out_size, body);
}

int js_text_zoom(char* out, size_t out_size, int z) {
    switch (js_zoom_state(z)) {
        case JS_WIDE: return framed(out, out_size, "J-Z-WIDE");
        case JS_TELE: return framed(out, out_size, "J-Z-TELE");
        default: return framed(out, out_size, "J-Z-STOP");
    }
}

int js_text_enter(char* out, size_t out_size, bool pressed) {
    return framed(out, out_size, pressed ? "J-B-DOWN" : "J-B-UP");
}

int js_text_key(char* out, size_t out_size, int code, bool pressed) {
    if (!pressed) return framed(out, out_size, "R00-C00");
    for (const auto& k : kKeyTexts) {
        if (k.code == code) return framed(out, out_size, k.text);
    }
    return -1;
}

int parse_events_params(const char* text, js_command* cmd) {
    std::string_view line = text ? std::string_view(text) : std::string_view();
    // Bodies are short ("J-RR-H10-V00"); anything longer is not ours.
    char body[JS_TEXT_LEN];
    if (!line.starts_with(kPrefix) || line.size() < kPrefix.size() + kSuffix.size() ||
        !line.ends_with(kSuffix) ||
        line.size() - kPrefix.size() - kSuffix.size() >= sizeof body) {
        parse_error(__func__, __LINE__, "not a keyboard line !");
        return -1;
    }
    std::string_view inner = line.substr(kPrefix.size(), line.size() - kPrefix.size() - kSuffix.size());
    std::memcpy(body, inner.data(), inner.size());
    body[inner.size()] = '\0';

    if (std::strstr(body, "J-B")) {
        bool down = std::strstr(body, "DOWN") != nullptr;
        set_command(cmd, down ? "ENTER" : "STOP", JS_KIND_CONTROL, JS_CODE_ENTER,
                    down ? JS_PRESSED : JS_RELEASED, 0, 0);
        return 0;
    }
    if (std::strstr(body, "J-Z")) {
        if (std::strstr(body, "WIDE")) {
            set_command(cmd, "WIDE", JS_KIND_CONTROL, JS_CODE_ZOOM, JS_WIDE, 0, 0);
        } else if (std::strstr(body, "TELE")) {
            set_command(cmd, "TELE", JS_KIND_CONTROL, JS_CODE_ZOOM, JS_TELE, 0, 0);
        } else {
            set_command(cmd, "STOP", JS_KIND_CONTROL, JS_CODE_ZOOM, JS_STOP, 0, 0);
        }
        return 0;
    }
    // Numbers are read at most four digits wide: a longer one is not a speed
    // or a row, and the bound keeps the conversion in range.
    int a = 0;
    int b = 0;
    if (std::sscanf(body, "%*[^0-9]%4d%*[^0-9]%4d", &a, &b) != 2) {
        parse_error(__func__, __LINE__, "scanf failed !");
        return -1;
    }
    if (const char* j = std::strstr(body, "J-")) {
        int state = JS_STOP;
        const char* name = "STOP";
        for (const auto& d : kDirections) {
            if (std::strncmp(j + 2, d.letters, 2) == 0) {
                state = d.state;
                name = d.name;
                break;
            }
        }
        set_command(cmd, name, JS_KIND_CONTROL, JS_CODE_DIRECTION, state, clamp_speed(a),
                    clamp_speed(b));
        return 0;
    }
    for (const js_key* k = js_key_table; k->row != -1; ++k) {
        if (k->row == a && k->column == b) {
            set_command(cmd, k->name, JS_KIND_KEY, k->code, JS_PRESSED, 0, 0);
            return 0;
        }
    }
    set_command(cmd, "", JS_KIND_KEY, 0, JS_RELEASED, 0, 0);
    return 0;
}
