// The drawing primitives on their own: the cairo canvas, the four arrow
// heads and the distinct-colour chooser, drawing into DIB sections whose
// pixels are read back.
#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <string>

#include "draw/arrow_head.h"
#include "draw/cairo_canvas.h"
#include "draw/distinct_color.h"
#include "dib.h"
#include "stdout_capture.h"

namespace {

// A white DIB to draw on.
class Canvas : public Dib {
public:
    Canvas(int width, int height) : Dib(width, height) { Fill(RGB(255, 255, 255)); }
    HDC dc() const { return Dc(); }
};

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kBlue = RGB(0, 0, 255);

bool Near(COLORREF a, COLORREF b, int tolerance = 8) {
    return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

}  // namespace

TEST(Canvas, WithoutContextItOnlySaysSo) {
    StdoutCapture capture;
    {
        CairoCanvas canvas(nullptr);
        EXPECT_EQ(nullptr, canvas.Context());
        canvas.Stroke();
        RECT rc = {0, 0, 10, 10};
        canvas.Rectangle(rc);
        canvas.RoundRectangle(rc, 3);
    }
    EXPECT_EQ("cr is nullcr is nullcr is null", capture.Stop());
}

TEST(Canvas, ColoursRectanglesAndRoundedRectangles) {
    Canvas dib(60, 40);
    {
        CairoCanvas canvas(dib.dc());
        ASSERT_NE(nullptr, canvas.Context());
        RECT left = {0, 0, 20, 20};
        canvas.Rectangle(left);
        canvas.SetSourceColor(0x0000FF);  // red in a COLORREF
        canvas.Fill();
        RECT middle = {20, 0, 40, 20};
        canvas.Rectangle(middle);
        canvas.SetSourceColor(0xFF0000);  // blue
        canvas.Fill();
        RECT right = {40, 0, 60, 20};
        canvas.Rectangle(right);
        canvas.SetSourceColorAlpha(0xFF0000FF, 1.0);  // the top byte changes nothing
        canvas.Fill();
        // A rounded rectangle filled: the corners stay white, the middle is filled.
        RECT round = {10, 22, 50, 38};
        canvas.RoundRectangle(round, 6);
        canvas.SetSourceColor(0x000000);
        canvas.Fill();
    }
    EXPECT_EQ(kRed, dib.At(10, 10));
    EXPECT_EQ(kBlue, dib.At(30, 10));
    EXPECT_EQ(kRed, dib.At(50, 10));
    EXPECT_EQ(kBlack, dib.At(30, 30));
    EXPECT_EQ(kBlack, dib.At(10, 30));  // the left edge between the corners
    EXPECT_EQ(kWhite, dib.At(10, 22));  // the top-left corner is cut
    EXPECT_EQ(kWhite, dib.At(49, 37));  // the bottom-right corner too
}

TEST(Canvas, ContextWithAMovedOrigin) {
    // A context whose logical origin is moved (as a buffered paint sets it up
    // for the part it draws): the canvas draws at logical coordinates, like
    // every GDI call on it.
    Dib dib(60, 60);
    dib.Fill(RGB(255, 255, 255));
    SetWindowOrgEx(dib.Dc(), 10, 9, nullptr);
    {
        CairoCanvas canvas(dib.Dc());
        canvas.SetSourceColor(RGB(255, 0, 0));
        canvas.Rectangle(RECT{20, 20, 30, 30});
        canvas.Fill();
    }
    SetWindowOrgEx(dib.Dc(), 0, 0, nullptr);
    EXPECT_EQ(RGB(255, 0, 0), dib.At(10, 11));
    EXPECT_EQ(RGB(255, 0, 0), dib.At(19, 20));
    EXPECT_EQ(RGB(255, 255, 255), dib.At(9, 15));
    EXPECT_EQ(RGB(255, 255, 255), dib.At(20, 15));
    EXPECT_EQ(RGB(255, 255, 255), dib.At(15, 10));
}

namespace {

// A context set up as painting code finds it, and the bounds a canvas is
// made with.
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

class OffscreenCanvas : public ::testing::TestWithParam<OffscreenCase> {
protected:
    // Anti-aliased and translucent shapes, as the painting code draws them.
    static void Draw(HDC dc, CairoCanvas::Backing backing) {
        const OffscreenCase& c = GetParam();
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
            ASSERT_NE(nullptr, canvas.Context());
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
};

}  // namespace

// Off screen or through the context, the same pixels: cairo's own rendering
// through the context is what the off-screen bitmap must match.
TEST_P(OffscreenCanvas, SamePixelsAsThroughTheContext) {
    Canvas through(80, 60), offscreen(80, 60);
    Draw(through.dc(), CairoCanvas::Backing::Context);
    Draw(offscreen.dc(), CairoCanvas::Backing::Offscreen);
    int differing = 0, drawn = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 80; ++x) {
            differing += through.At(x, y) != offscreen.At(x, y);
            drawn += offscreen.At(x, y) != kWhite;
        }
    EXPECT_EQ(0, differing);
    EXPECT_GT(drawn, 100);
    const POINT o = GetParam().outside;
    if (o.x >= 0) {
        EXPECT_EQ(kWhite, offscreen.At(o.x, o.y));
    }
}

INSTANTIATE_TEST_SUITE_P(Contexts, OffscreenCanvas, ::testing::ValuesIn(kOffscreenCases),
                         [](const ::testing::TestParamInfo<OffscreenCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(Canvas, ContextOfAChildThatPaintsOnItsParent) {
    // A child of a class with CS_PARENTDC (a scroll-bar control, a button)
    // gets a context clipped to its parent: its clip box starts left of and
    // above the child's origin. Shapes that cairo renders through an image of
    // its own (anything not aligned to pixels) still land at the child's
    // coordinates.
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.style = CS_PARENTDC;
    wc.lpszClassName = L"CanvasParentDcChild";
    RegisterClassW(&wc);
    HWND parent =
        CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 200, 200, nullptr, nullptr, nullptr, nullptr);
    HWND child = CreateWindowExW(0, wc.lpszClassName, L"", WS_CHILD | WS_VISIBLE, 30, 20, 100, 100, parent, nullptr,
                                 nullptr, nullptr);
    ASSERT_TRUE(parent && child);
    HDC dc = GetDC(child);
    RECT box;
    GetClipBox(dc, &box);
    EXPECT_LT(box.left, 0);
    HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
    RECT all = {0, 0, 100, 100};
    FillRect(dc, &all, white);
    DeleteObject(white);
    {
        CairoCanvas canvas(dc);
        canvas.SetSourceColor(RGB(255, 0, 0));
        cairo_arc(canvas.Context(), 50.0, 50.0, 10.0, 0.0, 2 * 3.14159265358979);
        canvas.Fill();
    }
    Dib shown(100, 100);
    shown.CopyFrom(dc);
    ReleaseDC(child, dc);
    EXPECT_EQ(RGB(255, 0, 0), shown.At(50, 50));
    EXPECT_EQ(RGB(255, 0, 0), shown.At(42, 50));
    EXPECT_EQ(RGB(255, 0, 0), shown.At(57, 50));
    EXPECT_EQ(RGB(255, 255, 255), shown.At(38, 50));
    EXPECT_EQ(RGB(255, 255, 255), shown.At(50, 38));
    // The context's own clip is as it was.
    dc = GetDC(child);
    RECT after;
    GetClipBox(dc, &after);
    ReleaseDC(child, dc);
    EXPECT_EQ(box.left, after.left);
    EXPECT_EQ(box.top, after.top);
    DestroyWindow(parent);
}

TEST(ArrowHeads, EachStyleInPixels) {
    // Arrows pointing up, from (30, 90) to the tip at (30, 10), heads 20 long,
    // the shaft drawn. With width 1 the open and solid heads open one radian
    // to each side (barb ends near (46.8, 20.8) and (13.2, 20.8)); the circle
    // has radius 20 and passes through the tip; the diamond with width 8
    // opens 8 / 20 radians (barbs near (37.8, 28.4) and (22.2, 28.4)) and,
    // with depth 0, has its back point on the shaft at (30, 30).
    struct Case {
        int style;
        int width;
        COLORREF insideHead;  // (36, 19): within the open and solid heads
        COLORREF belowBarbs;  // (33, 24): within the diamond only
        COLORREF circle;      // (42, 30): within the circle only (which also holds the other two)
    } cases[] = {
        {1, 1, kWhite, kWhite, kWhite},
        {2, 1, kRed, kWhite, kWhite},
        {3, 1, kRed, kRed, kRed},
        {4, 8, kWhite, kRed, kWhite},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        Canvas dib(60, 100);
        DrawArrow(dib.dc(), 30, 90, 30, 10, 20, c.width, 0, kBlack, TRUE, c.style, kRed);
        EXPECT_TRUE(Near(kBlack, dib.At(30, 60))) << "the shaft";
        EXPECT_TRUE(Near(c.insideHead, dib.At(36, 19)));
        EXPECT_TRUE(Near(c.belowBarbs, dib.At(33, 24)));
        EXPECT_TRUE(Near(c.circle, dib.At(42, 30)));
        EXPECT_EQ(kWhite, dib.At(55, 8));
    }
    // The outline of the open head: its right barb passes (38, 15).
    Canvas open(60, 100);
    DrawArrow(open.dc(), 30, 90, 30, 10, 20, 1, 0, kBlack, FALSE, 1, kRed);
    EXPECT_TRUE(Near(kBlack, open.At(38, 15), 90));
    EXPECT_EQ(kWhite, open.At(30, 60)) << "no shaft without drawLine";
    // Any other style is the diamond.
    Canvas other(60, 100);
    DrawArrow(other.dc(), 30, 90, 30, 10, 20, 8, 0, kBlack, FALSE, 7, kRed);
    EXPECT_TRUE(Near(kRed, other.At(33, 24)));
    // A diamond of length 0 draws nothing.
    Canvas none(60, 100);
    DrawArrow(none.dc(), 30, 90, 30, 10, 0, 8, 0, kBlack, FALSE, 4, kRed);
    EXPECT_EQ(kWhite, none.At(30, 12));
}

TEST(DistinctColours, TenThousandDraws) {
    CRITICAL_SECTION lock;
    InitializeCriticalSection(&lock);
    COLORREF previous = 0xFFFFFFFF;
    for (int i = 0; i < 10000; ++i) {
        const COLORREF c = NextDistinctColor(lock, nullptr);
        ASSERT_NE(0u, c);
        ASSERT_LE(c, 0xE6E6E6u);
        const double dr = static_cast<double>(GetRValue(c)) - GetRValue(previous);
        const double dg = static_cast<double>(GetGValue(c)) - GetGValue(previous);
        const double db = static_cast<double>(GetBValue(c)) - GetBValue(previous);
        ASSERT_GE(std::sqrt(dr * dr + dg * dg + db * db), 200.0) << i;
        previous = c;
    }
    DeleteCriticalSection(&lock);
}
