// Device contexts handed out for an attached DataWindow are recognised as
// its own until they are given back, and so are memory contexts made from
// them; contexts of other windows are not. What the library knows about a
// context shows in the DrawFrameControl debug line of DataWindow contexts and
// in the DrawCaption lines.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "dib.h"
#include "pbsim_runtime.h"
#include "stdout_capture.h"
#include "tessel_dll.h"

namespace {

const wchar_t kGrid[] =
    L"release 10;\n"
    L"datawindow(units=1 processing=1)\n"
    L"header(height=24)\n"
    L"detail(height=24)\n"
    L"table(column=(type=long name=a dbname=\"a\"))\n"
    L"column(band=detail id=1 x=\"1\" y=\"1\" height=\"22\" width=\"80\" name=a visible=\"1\")\n";

bool HasRecord(HDC dc) {
    StdoutCapture capture;
    RECT r = {0, 0, 8, 8};
    DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH);
    return capture.Stop().find("HookDrawFrameControl") != std::string::npos;
}

size_t Count(const std::string& text, const char* what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

}  // namespace

TEST(DeviceContexts, DataWindowContextsFromHandOutToGiveBack) {
    PbsimRuntime pb(105);
    ASSERT_TRUE(pb.ok());
    TesselDll dll;
    ASSERT_EQ(1, dll.StartTessel());
    HWND grid = pb.Create(kGrid);
    HWND other = pb.Create(kGrid);
    ASSERT_NE(nullptr, grid);
    dll.AttachDatawindow(grid, nullptr);

    // Before: a context handed out before the attach knows nothing.
    for (int kind = 0; kind < 3; ++kind) {
        HDC dc = kind == 0 ? GetDC(grid) : kind == 1 ? GetWindowDC(grid) : GetDCEx(grid, nullptr, DCX_CACHE);
        ASSERT_NE(nullptr, dc);
        EXPECT_TRUE(HasRecord(dc)) << kind;
        HDC memory = CreateCompatibleDC(dc);
        EXPECT_TRUE(HasRecord(memory)) << kind;  // inherits
        DeleteDC(memory);
        EXPECT_FALSE(HasRecord(memory)) << kind;
        ReleaseDC(grid, dc);
        EXPECT_FALSE(HasRecord(dc)) << kind;
    }
    HDC plain = GetDC(other);
    EXPECT_FALSE(HasRecord(plain));
    HDC plainMemory = CreateCompatibleDC(plain);
    EXPECT_FALSE(HasRecord(plainMemory));
    DeleteDC(plainMemory);
    ReleaseDC(other, plain);

    // The DataWindow's own painting: BeginPaint registers, EndPaint releases.
    InvalidateRect(grid, nullptr, TRUE);
    PAINTSTRUCT ps;
    HDC painting = BeginPaint(grid, &ps);
    EXPECT_TRUE(HasRecord(painting));
    EndPaint(grid, &ps);
    EXPECT_FALSE(HasRecord(painting));

    // A detached DataWindow's contexts are its no longer.
    HDC kept = GetDC(grid);
    dll.DettachDatawindow(grid);
    EXPECT_FALSE(HasRecord(kept));
    ReleaseDC(grid, kept);

    // DrawCaption: once for every window, twice for an attached DataWindow.
    dll.AttachDatawindow(grid, nullptr);
    HDC dc = GetDC(grid);
    RECT r = {0, 0, 50, 20};
    StdoutCapture capture;
    DrawCaption(grid, dc, &r, DC_TEXT);
    DrawCaption(other, dc, &r, DC_TEXT);
    EXPECT_EQ(3u, Count(capture.Stop(), "HookDrawCaption\n"));
    ReleaseDC(grid, dc);

    dll.DettachDatawindow(grid);
    EXPECT_EQ(1, dll.StopTessel());
    DestroyWindow(grid);
    DestroyWindow(other);
}

namespace {

// A bar graph (line series too) of two rows, in pixels.
const wchar_t kGraph[] =
    L"release 10;\n"
    L"datawindow(units=1 processing=0 color=16777215 )\n"
    L"header(height=0)\n"
    L"detail(height=120 color=\"16777215\" )\n"
    L"table(column=(type=number name=a dbname=\"a\") column=(type=number name=b dbname=\"b\"))\n"
    L"graph(band=detail x=\"10\" y=\"10\" height=\"100\" width=\"200\" graphtype=\"7\" values=\"a, b\" "
    L"series=\"b, a, b\" name=gr_1 visible=\"1\" background.mode=\"0\" background.color=\"16777215\" )\n"
    L"data( 10, 30, 20, 10, )\n";

// What the DataWindow paints into a DIB selected into a context made from
// its own window context (so that it counts as the DataWindow's).
std::vector<COLORREF> PaintedPixels(HWND dw, int width, int height) {
    using PaintDC = LONG(WINAPI*)(HWND, HDC);
    auto paint = reinterpret_cast<PaintDC>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"pbdwe105.DLL"), "dwPaintDC")));
    HDC window = GetDC(dw);
    std::vector<COLORREF> pixels;
    {
        Dib dib(width, height, window);
        paint(dw, dib.Dc());
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) pixels.push_back(dib.At(x, y));
    }
    ReleaseDC(dw, window);
    return pixels;
}

size_t CountOf(const std::vector<COLORREF>& pixels, COLORREF colour) {
    size_t n = 0;
    for (COLORREF c : pixels) n += c == colour ? 1 : 0;
    return n;
}

}  // namespace

TEST(DeviceContexts, GraphPolygonsOfDataWindowsArePaintedAntiAliased) {
    PbsimRuntime pb(105);
    ASSERT_TRUE(pb.ok());
    TesselDll dll;
    ASSERT_EQ(1, dll.StartTessel());
    HWND attached = pb.Create(kGraph, 0, 240, 260);
    HWND plain = pb.Create(kGraph, 0, 240, 260);
    ASSERT_NE(nullptr, attached) << pb.LastError();
    dll.AttachDatawindow(attached, nullptr);
    RECT client;
    GetClientRect(plain, &client);
    const COLORREF firstBar = RGB(70, 130, 180);
    const COLORREF line = RGB(160, 0, 0);

    // Any other context: the bars in their brush colours, the line series in its pen.
    const std::vector<COLORREF> before = PaintedPixels(plain, client.right, client.bottom);
    EXPECT_GT(CountOf(before, firstBar), 50u);
    EXPECT_GT(CountOf(before, line), 20u);

    // The DataWindow's context: fills in distinct colours, lines in blended dark blue.
    GetClientRect(attached, &client);
    const std::vector<COLORREF> after = PaintedPixels(attached, client.right, client.bottom);
    EXPECT_EQ(0u, CountOf(after, firstBar));
    EXPECT_EQ(0u, CountOf(after, line));
    size_t blended = 0;
    for (COLORREF c : after) {
        // Partly covered edge pixels of the dark-blue polyline over white.
        if (GetRValue(c) == GetGValue(c) && GetBValue(c) > GetRValue(c) && GetRValue(c) < 250 && GetRValue(c) > 40) ++blended;
    }
    EXPECT_GT(blended, 10u);

    dll.DettachDatawindow(attached);
    ASSERT_EQ(1, dll.StopTessel());
    DestroyWindow(attached);
    DestroyWindow(plain);
}

TEST(DeviceContexts, GivenBackContextIsNoLongerTheDataWindows) {
    PbsimRuntime pb(105);
    ASSERT_TRUE(pb.ok());
    TesselDll dll;
    ASSERT_EQ(1, dll.StartTessel());
    HWND grid = pb.Create(kGrid);
    HWND other = pb.Create(kGrid);
    ASSERT_TRUE(grid && other);
    dll.AttachDatawindow(grid, nullptr);

    // The window context the grid gave back comes out again for the other
    // window: there it is the other window's, not the grid's.
    // (Contexts of the system's cache: a DataWindow keeps a context of its own.)
    HWND plainWindow = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 500, 0, 60, 40, nullptr, nullptr,
                                       nullptr, nullptr);
    HDC first = GetDCEx(grid, nullptr, DCX_CACHE);
    EXPECT_TRUE(HasRecord(first));
    ReleaseDC(grid, first);
    // The cached contexts are taken one after the other until it comes out.
    std::vector<HDC> taken;
    HDC reused = nullptr;
    for (int i = 0; i < 32 && !reused; ++i) {
        HDC dc = i % 2 ? GetDCEx(plainWindow, nullptr, DCX_CACHE) : GetDC(nullptr);
        EXPECT_FALSE(HasRecord(dc)) << i;
        if (dc == first) reused = dc;
        else taken.push_back(dc);
    }
    std::printf("window context handle %s\n", reused ? "reused" : "not reused");
    if (reused) {
        EXPECT_FALSE(HasRecord(reused));
        HDC derived = CreateCompatibleDC(reused);
        EXPECT_FALSE(HasRecord(derived));
        DeleteDC(derived);
        ReleaseDC(plainWindow, reused);
    }
    for (size_t i = 0; i < taken.size(); ++i) ReleaseDC(i % 2 ? plainWindow : nullptr, taken[i]);
    DestroyWindow(plainWindow);

    // The same through BeginPaint and EndPaint.
    InvalidateRect(grid, nullptr, TRUE);
    PAINTSTRUCT ps;
    HDC painted = BeginPaint(grid, &ps);
    EXPECT_TRUE(HasRecord(painted));
    EndPaint(grid, &ps);
    HDC next = GetDC(other);
    EXPECT_FALSE(HasRecord(next)) << (next == painted ? "same handle" : "other handle");
    ReleaseDC(other, next);

    // A memory context of the grid, deleted; the memory contexts made after
    // it, whatever handles they get, are plain.
    HDC window = GetDC(grid);
    HDC memory = CreateCompatibleDC(window);
    EXPECT_TRUE(HasRecord(memory));
    ReleaseDC(grid, window);
    DeleteDC(memory);
    bool sameHandle = false;
    for (int i = 0; i < 16; ++i) {
        HDC plain = CreateCompatibleDC(nullptr);
        sameHandle = sameHandle || plain == memory || plain == window;
        EXPECT_FALSE(HasRecord(plain)) << i;
        DeleteDC(plain);
    }
    std::printf("memory context handle %s\n", sameHandle ? "reused" : "not reused");

    dll.DettachDatawindow(grid);
    EXPECT_EQ(1, dll.StopTessel());
    DestroyWindow(grid);
    DestroyWindow(other);
}
