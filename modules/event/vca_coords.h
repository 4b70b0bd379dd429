// Coordinates of the smart analytics settings: the browser draws on a fixed
// 460 x 260 canvas, the camera counts in its own analysis resolution W x H.
// A value is scaled as v * to / from rounded to the nearest unit, in 64 bits
// (a request may carry any int, and v * W overflows 32 bits), the result kept
// to the int range.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>

inline constexpr int vca_canvas_width = 460;
inline constexpr int vca_canvas_height = 260;

struct vca_point {
    int32_t x;
    int32_t y;
    bool operator==(const vca_point&) const = default;
};

enum class vca_way { to_canvas, to_camera };

// Converts a point between the canvas and a camera of w x h. A camera size
// of 0 or less gives (0, 0). raise: each result is at least 1 (the camera
// takes no 0 coordinate).
inline vca_point vca_convert(vca_point p, int32_t w, int32_t h, vca_way way, bool raise) {
    auto scale = [](int64_t v, int64_t from, int64_t to) -> int32_t {
        int64_t r = (v * to + from / 2) / from;
        return r > INT32_MAX ? INT32_MAX : r < INT32_MIN ? INT32_MIN : static_cast<int32_t>(r);
    };
    vca_point out{0, 0};
    if (w > 0 && h > 0) {
        if (way == vca_way::to_canvas)
            out = {scale(p.x, w, vca_canvas_width), scale(p.y, h, vca_canvas_height)};
        else
            out = {scale(p.x, vca_canvas_width, w), scale(p.y, vca_canvas_height, h)};
    }
    if (raise) {
        if (out.x < 1) out.x = 1;
        if (out.y < 1) out.y = 1;
    }
    return out;
}

// A line as the browser writes it: "x1;y1;x2;y2". Up to four numbers split
// on ';', each read like atoi (leading blanks, a sign, digits; anything else
// 0) but kept to the int range; missing numbers are 0.
inline void vca_line_parse(const char* text, int32_t out[4]) {
    for (int i = 0; i < 4; ++i) out[i] = 0;
    for (int i = 0; text && i < 4; ++i) {
        long long v = std::strtoll(text, nullptr, 10);
        out[i] = v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : static_cast<int32_t>(v);
        while (*text && *text != ';') ++text;
        text = *text ? text + 1 : nullptr;
    }
}

inline std::string vca_line_text(const int32_t v[4]) {
    return std::to_string(v[0]) + ";" + std::to_string(v[1]) + ";" + std::to_string(v[2]) + ";" +
           std::to_string(v[3]);
}
