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
    EXPECT_EQ(kBlack, dib.At(10, 30));    // the left edge between the corners
    EXPECT_EQ(kWhite, dib.At(10, 22));    // the top-left corner is cut
    EXPECT_EQ(kWhite, dib.At(49, 37));    // the bottom-right corner too
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
    HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 200, 200, nullptr, nullptr,
                                  nullptr, nullptr);
    HWND child = CreateWindowExW(0, wc.lpszClassName, L"", WS_CHILD | WS_VISIBLE, 30, 20, 100, 100, parent,
                                 nullptr, nullptr, nullptr);
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
