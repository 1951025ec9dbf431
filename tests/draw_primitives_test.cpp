// The drawing primitives on their own: the cairo canvas, the arrow heads and the distinct-colour chooser, drawing
// into DIB sections whose pixels are read back.
#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <string>

#include "dib.h"
#include "draw/arrow_head.h"
#include "draw/cairo_canvas.h"
#include "draw/distinct_color.h"
#include "stdout_capture.h"

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kBlue = RGB(0, 0, 255);

struct Canvas : Dib {
    Canvas(int width, int height) : Dib(width, height) { Fill(kWhite); }
};

bool Near(COLORREF a, COLORREF b, int tolerance = 8) {
    return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

}  // namespace

// Without a context a canvas draws nothing and only says so; COLORREF colours (the top byte ignored), rectangles and
// rounded rectangles with cut corners; on a context whose origin is moved the canvas draws in logical units; bounds
// narrow the clip only while the canvas lives.
TEST(CairoCanvasTest, ColoursShapesOriginAndClip) {
    StdoutCapture capture;
    {
        CairoCanvas none(nullptr);
        EXPECT_EQ(nullptr, none.Context());
        none.Stroke();
        none.RoundRectangle(RECT{0, 0, 10, 10}, 3);
    }
    EXPECT_EQ("cr is nullcr is null", capture.Stop());
    Canvas dib(60, 60);
    SetWindowOrgEx(dib.Dc(), 0, 20, nullptr);
    {
        CairoCanvas canvas(dib.Dc(), RECT{0, 20, 60, 60});
        ASSERT_NE(nullptr, canvas.Context());
        const struct {
            RECT r;
            COLORREF colour;
            bool alpha;
        } fills[] = {{{0, 20, 20, 40}, 0x0000FF, false},
                     {{20, 20, 40, 40}, 0xFF0000, false},
                     {{40, 20, 60, 40}, 0xFF0000FF, true},
                     {{0, 60, 60, 80}, 0x00FF00, false}};
        for (const auto& f : fills) {
            canvas.Rectangle(f.r);
            if (f.alpha) canvas.SetSourceColorAlpha(f.colour, 1.0);
            else canvas.SetSourceColor(f.colour);
            canvas.Fill();
        }
        canvas.RoundRectangle(RECT{10, 42, 50, 58}, 6);
        canvas.SetSourceColor(0x000000);
        canvas.Fill();
    }
    RECT clip;
    GetClipBox(dib.Dc(), &clip);
    EXPECT_EQ(80, clip.bottom) << "the clip narrowed for the canvas stays";
    SetWindowOrgEx(dib.Dc(), 0, 0, nullptr);
    const struct {
        int x, y;
        COLORREF expected;
    } probes[] = {{10, 10, kRed},   {30, 10, kBlue},  {50, 10, kRed},   {30, 30, kBlack}, {10, 30, kBlack},
                  {10, 22, kWhite}, {49, 37, kWhite}, {30, 45, kWhite}, {0, 19, kRed},    {0, 20, kWhite}};
    for (const auto& p : probes) EXPECT_EQ(p.expected, dib.At(p.x, p.y)) << p.x << ", " << p.y;
}

namespace {

// A context set up as painting code finds it, and the bounds a canvas is made with.
struct OffscreenCase {
    const char* name;
    POINT windowOrigin;
    bool scaled;    // an anisotropic mapping of 2 device pixels per unit
    RECT clip;      // device pixels
    RECT bounds;    // logical units
    POINT outside;  // a device pixel outside bounds or clip: stays white
};

const OffscreenCase kOffscreenCases[] = {
    {"plain", {0, 0}, false, {0, 0, 80, 60}, {4, 4, 70, 50}, {72, 30}},
    {"moved_origin", {10, 9}, false, {0, 0, 80, 60}, {12, 12, 70, 50}, {62, 45}},
    {"clip_inside_bounds", {0, 0}, false, {8, 8, 50, 40}, {0, 0, 80, 60}, {55, 20}},
    {"bounds_past_the_edge", {0, 0}, false, {0, 0, 80, 60}, {-20, -20, 200, 200}, {-1, -1}},
    {"scaled_mapping", {0, 0}, true, {0, 0, 80, 60}, {2, 2, 35, 25}, {75, 55}},
};

// Anti-aliased and translucent shapes, as the painting code draws them.
void DrawShapes(HDC dc, const OffscreenCase& c, CairoCanvas::Backing backing) {
    if (c.scaled) {
        SetMapMode(dc, MM_ANISOTROPIC);
        SetWindowExtEx(dc, 1, 1, nullptr);
        SetViewportExtEx(dc, 2, 2, nullptr);
    }
    SetWindowOrgEx(dc, c.windowOrigin.x, c.windowOrigin.y, nullptr);
    HRGN clip = CreateRectRgnIndirect(&c.clip);
    SelectClipRgn(dc, clip);
    DeleteObject(clip);
    {
        CairoCanvas canvas(dc, c.bounds, backing);
        canvas.SetLineWidth(1.0);
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
    SelectClipRgn(dc, nullptr);
    SetWindowOrgEx(dc, 0, 0, nullptr);
    SetMapMode(dc, MM_TEXT);
}

class OffscreenCanvas : public ::testing::TestWithParam<OffscreenCase> {};

}  // namespace

// Off screen the same pixels as cairo's own rendering through the context.
TEST_P(OffscreenCanvas, SamePixelsAsThroughTheContext) {
    Canvas through(80, 60), offscreen(80, 60);
    DrawShapes(through.Dc(), GetParam(), CairoCanvas::Backing::Context);
    DrawShapes(offscreen.Dc(), GetParam(), CairoCanvas::Backing::Offscreen);
    const RECT all = {0, 0, 80, 60};
    EXPECT_GT(offscreen.Count(all, [](COLORREF c) { return c != kWhite; }), 100);
    const POINT o = GetParam().outside;
    EXPECT_TRUE(o.x < 0 || offscreen.At(o.x, o.y) == kWhite);
    BitBlt(offscreen.Dc(), 0, 0, 80, 60, through.Dc(), 0, 0, SRCINVERT);
    const int differing = offscreen.Count(all, [](COLORREF c) { return c != 0; });
    EXPECT_EQ(0, differing);
}

INSTANTIATE_TEST_SUITE_P(Contexts, OffscreenCanvas, ::testing::ValuesIn(kOffscreenCases),
                         [](const ::testing::TestParamInfo<OffscreenCase>& info) {
                             return std::string(info.param.name);
                         });

// A CS_PARENTDC child's context has a clip box starting left of and above its origin: shapes cairo renders through
// an image of its own still land at the child's coordinates, and the context's clip is as it was.
TEST(CairoCanvasTest, ContextOfAChildThatPaintsOnItsParent) {
    WNDCLASSW wc = {CS_PARENTDC, DefWindowProcW, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, L"ParentDcChild"};
    RegisterClassW(&wc);
    HWND parent =
        CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 200, 200, nullptr, nullptr, nullptr, nullptr);
    HWND child = CreateWindowExW(0, wc.lpszClassName, L"", WS_CHILD | WS_VISIBLE, 30, 20, 100, 100, parent, nullptr,
                                 nullptr, nullptr);
    ASSERT_TRUE(parent && child);
    HDC dc = GetDC(child);
    RECT box, after;
    GetClipBox(dc, &box);
    EXPECT_LT(box.left, 0);
    PatBlt(dc, 0, 0, 100, 100, WHITENESS);
    {
        CairoCanvas canvas(dc);
        canvas.SetSourceColor(kRed);
        cairo_arc(canvas.Context(), 50.0, 50.0, 10.0, 0.0, 2 * 3.14159265358979);
        canvas.Fill();
    }
    GetClipBox(dc, &after);
    Dib shown(100, 100);
    shown.CopyFrom(dc);
    ReleaseDC(child, dc);
    DestroyWindow(parent);
    EXPECT_TRUE(EqualRect(&box, &after));
    for (POINT p : {POINT{50, 50}, POINT{42, 50}, POINT{57, 50}}) EXPECT_EQ(kRed, shown.At(p.x, p.y)) << p.x;
    for (POINT p : {POINT{38, 50}, POINT{50, 38}}) EXPECT_EQ(kWhite, shown.At(p.x, p.y)) << p.x << ", " << p.y;
}

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
        EXPECT_EQ(kWhite, dib.At(55, 8));
        EXPECT_TRUE(c.style != 1 || Near(kBlack, dib.At(38, 15), 90)) << "the open head's right barb";
    }
}

TEST(DistinctColours, TenThousandDrawsFarApart) {
    CRITICAL_SECTION lock;
    InitializeCriticalSection(&lock);
    COLORREF previous = 0xFFFFFFFF;
    for (int i = 0; i < 10000; ++i) {
        const COLORREF c = NextDistinctColor(lock, nullptr);
        ASSERT_NE(0u, c);
        ASSERT_LE(c, 0xE6E6E6u);
        const double dr = GetRValue(c) - GetRValue(previous), dg = GetGValue(c) - GetGValue(previous),
                     db = GetBValue(c) - GetBValue(previous);
        ASSERT_GE(std::sqrt(dr * dr + dg * dg + db * db), 200.0) << i;
        previous = c;
    }
    DeleteCriticalSection(&lock);
}
