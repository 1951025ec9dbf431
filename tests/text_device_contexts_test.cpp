// Device contexts handed out for an attached DataWindow are recognised as
// its own until they are given back, and so are memory contexts made from
// them; contexts of other windows are not. What the library knows about a
// context shows in the DrawFrameControl debug line of DataWindow contexts and
// in the DrawCaption lines.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "dib.h"
#include "stdout_capture.h"
#include "tessel_host.h"

namespace {

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

class DeviceContexts : public TesselHost {
protected:
    void SetUp() override {
        TesselHost::SetUp();
        if (HasFatalFailure()) return;
        grid = Create(GridSyntax(1).Column(L"a", L"long", 80, L"").Text());
        other = Create(GridSyntax(1).Column(L"a", L"long", 80, L"").Text());
        ASSERT_TRUE(grid && other);
        ASSERT_EQ(1, dll.AttachDatawindow(grid, nullptr));
    }
    HWND grid = nullptr;
    HWND other = nullptr;
};

}  // namespace

// A context is the DataWindow's from hand-out to give-back, through every way
// it is handed out; a given-back handle that comes out again for another
// window, or a memory context deleted, is no longer.
TEST_F(DeviceContexts, DataWindowContextsFromHandOutToGiveBack) {
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

    // BeginPaint registers, EndPaint releases, also when the handle comes out
    // again for the other window.
    InvalidateRect(grid, nullptr, TRUE);
    PAINTSTRUCT ps;
    HDC painting = BeginPaint(grid, &ps);
    EXPECT_TRUE(HasRecord(painting));
    EndPaint(grid, &ps);
    EXPECT_FALSE(HasRecord(painting));
    HDC next = GetDC(other);
    EXPECT_FALSE(HasRecord(next));
    ReleaseDC(other, next);

    // The cached context the grid gave back, taken again by other windows.
    HWND plainWindow =
        CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 500, 0, 60, 40, nullptr, nullptr, nullptr, nullptr);
    HDC first = GetDCEx(grid, nullptr, DCX_CACHE);
    EXPECT_TRUE(HasRecord(first));
    ReleaseDC(grid, first);
    std::vector<std::pair<HWND, HDC>> taken;
    for (int i = 0; i < 32; ++i) {
        HWND w = i % 2 ? plainWindow : nullptr;
        HDC dc = GetDCEx(w, nullptr, DCX_CACHE);
        EXPECT_FALSE(HasRecord(dc)) << i;
        HDC derived = CreateCompatibleDC(dc);
        EXPECT_FALSE(HasRecord(derived)) << i;
        DeleteDC(derived);
        taken.emplace_back(w, dc);
    }
    for (const auto& t : taken) ReleaseDC(t.first, t.second);
    DestroyWindow(plainWindow);

    // Memory contexts made after one of the grid's was deleted are plain.
    HDC window = GetDC(grid);
    HDC memory = CreateCompatibleDC(window);
    EXPECT_TRUE(HasRecord(memory));
    ReleaseDC(grid, window);
    DeleteDC(memory);
    for (int i = 0; i < 16; ++i) {
        HDC fresh = CreateCompatibleDC(nullptr);
        EXPECT_FALSE(HasRecord(fresh)) << i;
        DeleteDC(fresh);
    }

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
std::vector<COLORREF> PaintedPixels(HMODULE engine, HWND dw) {
    using PaintDC = LONG(WINAPI*)(HWND, HDC);
    auto paint = reinterpret_cast<PaintDC>(reinterpret_cast<void*>(GetProcAddress(engine, "dwPaintDC")));
    RECT client;
    GetClientRect(dw, &client);
    HDC window = GetDC(dw);
    std::vector<COLORREF> pixels;
    {
        Dib dib(client.right, client.bottom, window);
        if (paint) paint(dw, dib.Dc());
        for (int y = 0; y < client.bottom; ++y)
            for (int x = 0; x < client.right; ++x) pixels.push_back(dib.At(x, y));
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

// Other contexts: the bars in their brush colours, the line series in its pen;
// the DataWindow's: fills in distinct colours, lines in blended dark blue.
TEST_F(DeviceContexts, GraphPolygonsOfDataWindowsArePaintedAntiAliased) {
    HWND attached = Create(kGraph, 240, 260);
    HWND plain = Create(kGraph, 240, 260);
    ASSERT_TRUE(attached && plain);
    dll.AttachDatawindow(attached, nullptr);
    const COLORREF firstBar = RGB(70, 130, 180), line = RGB(160, 0, 0);

    const std::vector<COLORREF> before = PaintedPixels(pb->engine(), plain);
    EXPECT_GT(CountOf(before, firstBar), 50u);
    EXPECT_GT(CountOf(before, line), 20u);

    const std::vector<COLORREF> after = PaintedPixels(pb->engine(), attached);
    EXPECT_EQ(0u, CountOf(after, firstBar));
    EXPECT_EQ(0u, CountOf(after, line));
    size_t blended = 0;
    for (COLORREF c : after) {
        // Partly covered edge pixels of the dark-blue polyline over white.
        if (GetRValue(c) == GetGValue(c) && GetBValue(c) > GetRValue(c) && GetRValue(c) < 250 && GetRValue(c) > 40)
            ++blended;
    }
    EXPECT_GT(blended, 10u);
}
