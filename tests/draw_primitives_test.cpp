// The drawing primitives on their own: the cairo canvas and the arrow heads, drawing into DIB sections whose pixels
// are read back.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>

#include "dib.h"
#include "draw/arrow_head.h"
#include "draw/cairo_canvas.h"

namespace {

const COLORREF kWhite = RGB(255, 255, 255), kBlack = RGB(0, 0, 0), kRed = RGB(255, 0, 0);

struct Canvas : Dib {
    Canvas(int width, int height) : Dib(width, height) { Fill(kWhite); }
};

bool Near(COLORREF a, COLORREF b, int tolerance = 8) {
    return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

// A context set up as painting code finds it, and the bounds a canvas is made with.
struct OffscreenCase {
    const char* name;
    POINT windowOrigin;
    bool scaled;        // an anisotropic mapping of 2 device pixels per unit
    RECT clip, bounds;  // device pixels, logical units
    POINT outside;      // a device pixel outside bounds or clip: stays white
};

const OffscreenCase kOffscreenCases[] = {
    {"plain", {0, 0}, false, {0, 0, 80, 60}, {4, 4, 70, 50}, {72, 30}},
    {"moved_origin", {10, 9}, false, {0, 0, 80, 60}, {12, 12, 70, 50}, {62, 45}},
    {"clip_inside_bounds", {0, 0}, false, {8, 8, 50, 40}, {0, 0, 80, 60}, {55, 20}},
    {"bounds_past_the_edge", {0, 0}, false, {0, 0, 80, 60}, {-20, -20, 200, 200}, {-1, -1}},
    {"scaled_mapping", {0, 0}, true, {0, 0, 80, 60}, {2, 2, 35, 25}, {75, 55}},
    // As a CS_PARENTDC child's context: the clip box starts left of and above the origin; nothing there is drawn.
    {"clip_box_before_the_origin", {-10, -10}, false, {0, 0, 80, 60}, {-20, -20, 200, 200}, {9, 30}},
};

// Anti-aliased and translucent shapes, as the painting code draws them; the context's clip is as it was after.
void DrawShapes(HDC dc, const OffscreenCase& c, CairoCanvas::Backing backing) {
    const int saved = SaveDC(dc);
    SetMapMode(dc, c.scaled ? MM_ANISOTROPIC : MM_TEXT);
    SetViewportExtEx(dc, 2, 2, nullptr);  // no effect in MM_TEXT
    SetWindowOrgEx(dc, c.windowOrigin.x, c.windowOrigin.y, nullptr);
    HRGN clip = CreateRectRgnIndirect(&c.clip);
    SelectClipRgn(dc, clip);
    DeleteObject(clip);
    RECT before, after;
    GetClipBox(dc, &before);
    {
        CairoCanvas canvas(dc, c.bounds, backing);
        canvas.SetSourceColorAlpha(RGB(200, 30, 40), 0.5);
        canvas.RoundRectangle(RECT{0, 0, 90, 70}, 5.0);
        canvas.Stroke();
        canvas.Rectangle(RECT{6, 6, 60, 30});
        canvas.FillPreserve();
        canvas.SetSourceColor(RGB(0, 90, 160));
        canvas.Stroke();
        canvas.MoveTo(5.5, 45.2);
        canvas.LineTo(74.3, 20.7);
        canvas.Stroke();
    }
    GetClipBox(dc, &after);
    EXPECT_TRUE(EqualRect(&before, &after)) << "the clip narrowed for the canvas stays";
    RestoreDC(dc, saved);
}

class OffscreenCanvas : public ::testing::TestWithParam<OffscreenCase> {};

}  // namespace

// Off screen the same pixels as cairo's own rendering through the context, nothing outside bounds or clip.
TEST_P(OffscreenCanvas, SamePixelsAsThroughTheContext) {
    Canvas through(80, 60), offscreen(80, 60);
    DrawShapes(through.Dc(), GetParam(), CairoCanvas::Backing::Context);
    DrawShapes(offscreen.Dc(), GetParam(), CairoCanvas::Backing::Offscreen);
    const RECT all = {0, 0, 80, 60};
    EXPECT_GT(offscreen.Count(all, [](COLORREF c) { return c != kWhite; }), 100);
    const POINT o = GetParam().outside;
    EXPECT_TRUE(o.x < 0 || offscreen.At(o.x, o.y) == kWhite);
    BitBlt(offscreen.Dc(), 0, 0, 80, 60, through.Dc(), 0, 0, SRCINVERT);
    EXPECT_EQ(0, offscreen.Count(all, [](COLORREF c) { return c != 0; }));
}

INSTANTIATE_TEST_SUITE_P(Contexts, OffscreenCanvas, ::testing::ValuesIn(kOffscreenCases),
                         [](const ::testing::TestParamInfo<OffscreenCase>& info) {
                             return std::string(info.param.name);
                         });

// Arrows pointing up from (30, 90) to the tip at (30, 10), heads 20 long, the shaft drawn. Width 1: the open and
// solid heads open one radian to each side; the circle has radius 20 through the tip; the diamond of width 8 opens
// 8 / 20 radians with its back point on the shaft at (30, 30). Other styles are the diamond.
TEST(ArrowHeads, EachStyleInPixels) {
    const struct {
        int style, width, length;
        BOOL shaft;
        COLORREF insideHead;  // (36, 19): within the open and solid heads
        COLORREF belowBarbs;  // (33, 24): within the diamond only
        COLORREF circle;      // (42, 30): within the circle only
        COLORREF shaftPixel;  // (30, 60)
    } cases[] = {
        {1, 1, 20, TRUE, kWhite, kWhite, kWhite, kBlack}, {2, 1, 20, TRUE, kRed, kWhite, kWhite, kBlack},
        {3, 1, 20, TRUE, kRed, kRed, kRed, kBlack},       {4, 8, 20, TRUE, kWhite, kRed, kWhite, kBlack},
        {7, 8, 20, FALSE, kWhite, kRed, kWhite, kWhite},  {4, 8, 0, FALSE, kWhite, kWhite, kWhite, kWhite},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.style);
        Canvas dib(60, 100);
        DrawArrow(dib.Dc(), 30, 90, 30, 10, c.length, c.width, 0, kBlack, c.shaft, c.style, kRed);
        EXPECT_TRUE(Near(c.shaftPixel, dib.At(30, 60)));
        EXPECT_TRUE(Near(c.insideHead, dib.At(36, 19)));
        EXPECT_TRUE(Near(c.belowBarbs, dib.At(33, 24)));
        EXPECT_TRUE(Near(c.circle, dib.At(42, 30)));
        EXPECT_TRUE(c.style != 1 || Near(kBlack, dib.At(38, 15), 90)) << "the open head's right barb";
    }
}
