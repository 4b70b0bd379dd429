// The conversion between the browser's 460 x 260 canvas and a camera's
// analysis resolution, and the line texts that carry four coordinates.
#include "modules/event/vca_coords.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

constexpr auto to_canvas = vca_way::to_canvas;
constexpr auto to_camera = vca_way::to_camera;

TEST(VcaCoords, PointsConvertWithRoundingClampingAndTheRaiseRule) {
    struct row {
        int line;
        vca_point in;
        int32_t w, h;
        vca_way way;
        bool raise;
        vca_point want;
    } rows[] = {
        // Corners.
        {__LINE__, {0, 0}, 704, 576, to_canvas, false, {0, 0}},
        {__LINE__, {704, 576}, 704, 576, to_canvas, false, {460, 260}},
        {__LINE__, {1920, 1080}, 1920, 1080, to_canvas, false, {460, 260}},
        {__LINE__, {460, 260}, 704, 576, to_camera, false, {704, 576}},
        {__LINE__, {460, 260}, 1920, 1080, to_camera, false, {1920, 1080}},
        // Rounding to the nearest unit: 0.72 up, 0.48 down, a half down
        // after the truncating division.
        {__LINE__, {3, 2}, 1920, 1080, to_canvas, false, {1, 0}},
        {__LINE__, {2, 3}, 1920, 1080, to_canvas, false, {0, 1}},
        {__LINE__, {176, 288}, 704, 576, to_canvas, false, {115, 130}},
        {__LINE__, {1, 1}, 704, 576, to_camera, false, {2, 2}},
        {__LINE__, {1, 1}, 1920, 1080, to_camera, false, {4, 4}},
        {__LINE__, {115, 130}, 704, 576, to_camera, false, {176, 288}},
        // Raised to at least 1, each coordinate on its own.
        {__LINE__, {0, 0}, 704, 576, to_camera, true, {1, 1}},
        {__LINE__, {0, 130}, 704, 576, to_camera, true, {1, 288}},
        {__LINE__, {-50, 5}, 704, 576, to_canvas, true, {1, 2}},
        {__LINE__, {-50, 5}, 704, 576, to_canvas, false, {-32, 2}},
        // A camera that reports no size: both 0, whichever side is missing.
        {__LINE__, {100, 100}, 0, 576, to_canvas, false, {0, 0}},
        {__LINE__, {100, 100}, 704, 0, to_canvas, false, {0, 0}},
        {__LINE__, {100, 100}, -704, 576, to_camera, false, {0, 0}},
        {__LINE__, {100, 100}, 704, -1, to_camera, true, {1, 1}},
        // Products past 32 bits, and results past the int range.
        {__LINE__, {10000000, 10000000}, 1920, 1080, to_canvas, false, {2395833, 2407407}},
        {__LINE__, {INT32_MAX, INT32_MIN}, 1, 1, to_canvas, false, {INT32_MAX, INT32_MIN}},
        {__LINE__, {INT32_MAX, INT32_MAX}, INT32_MAX, INT32_MAX, to_camera, false, {INT32_MAX, INT32_MAX}},
        {__LINE__, {INT32_MIN, INT32_MIN}, INT32_MAX, 1, to_camera, true, {1, 1}},
    };
    for (const row& r : rows)
        EXPECT_EQ(vca_convert(r.in, r.w, r.h, r.way, r.raise), r.want) << "row at line " << r.line;
}

TEST(VcaCoords, LineTextsReadUpToFourNumbersAndMissingOnesAreZero) {
    struct row {
        int line;
        const char* text;
        int32_t want[4];
    } rows[] = {
        {__LINE__, "10;20;30;40", {10, 20, 30, 40}},
        {__LINE__, "10;20", {10, 20, 0, 0}},
        {__LINE__, "1;;3", {1, 0, 3, 0}},
        {__LINE__, " 7;x;-3;9;11", {7, 0, -3, 9}},
        {__LINE__, "12px;4", {12, 4, 0, 0}},
        {__LINE__, "99999999999;-99999999999;2;3", {INT32_MAX, INT32_MIN, 2, 3}},
        {__LINE__, "", {0, 0, 0, 0}},
        {__LINE__, nullptr, {0, 0, 0, 0}},
    };
    for (const row& r : rows) {
        int32_t got[4] = {-1, -1, -1, -1};
        vca_line_parse(r.text, got);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(got[i], r.want[i]) << "row at line " << r.line << ", number " << i;
    }
    const int32_t v[4] = {1, -2, 0, 460};
    EXPECT_EQ(vca_line_text(v), "1;-2;0;460");
}

}  // namespace
