// Device contexts handed out for an attached DataWindow are its own until given back, and so are memory contexts
// made from them; other windows' are not. A DataWindow context shows in the DrawFrameControl debug line.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <utility>
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

// A bar graph with a line series, two rows, in pixels.
const wchar_t kGraph[] =
    L"release 10;\ndatawindow(units=1 processing=0 color=16777215 )\nheader(height=0)\n"
    L"detail(height=120 color=\"16777215\" )\n"
    L"table(column=(type=number name=a dbname=\"a\") column=(type=number name=b dbname=\"b\"))\n"
    L"graph(band=detail x=\"10\" y=\"10\" height=\"100\" width=\"200\" graphtype=\"7\" values=\"a, b\" "
    L"series=\"b, a, b\" name=gr_1 visible=\"1\" background.mode=\"0\" background.color=\"16777215\" )\n"
    L"data( 10, 30, 20, 10, )\n";

class DeviceContexts : public TesselHost {
protected:
    void SetUp() override {
        TesselHost::SetUp();
        if (HasFatalFailure()) return;
        grid = Create(kGraph, 240, 260);
        other = Create(kGraph, 240, 260);
        ASSERT_TRUE(grid && other);
        ASSERT_EQ(1, dll.AttachDatawindow(grid, nullptr));
    }
    // How many matching pixels the DataWindow paints into a DIB made from its own window context (so it is its own).
    template <class Match>
    int Painted(HWND dw, Match match) {
        auto paint = reinterpret_cast<LONG(WINAPI*)(HWND, HDC)>(
            reinterpret_cast<void*>(GetProcAddress(pb->engine(), "dwPaintDC")));
        HDC window = GetDC(dw);
        int n = 0;
        {
            Dib dib(240, 260, window);
            if (paint) paint(dw, dib.Dc());
            n = dib.Count(RECT{0, 0, 240, 260}, match);
        }
        ReleaseDC(dw, window);
        return n;
    }
    HWND grid = nullptr;
    HWND other = nullptr;
};

}  // namespace

// Through every way it is handed out, a context is the DataWindow's until given back or detached; a given-back
// handle that comes out again for another window, or a deleted memory context's handle reused, is plain.
TEST_F(DeviceContexts, DataWindowContextsFromHandOutToGiveBack) {
    InvalidateRect(grid, nullptr, TRUE);
    PAINTSTRUCT ps;
    for (int kind = 0; kind < 4; ++kind) {
        HDC dc = kind == 0   ? GetDC(grid)
                 : kind == 1 ? GetWindowDC(grid)
                 : kind == 2 ? GetDCEx(grid, nullptr, DCX_CACHE)
                             : BeginPaint(grid, &ps);
        ASSERT_NE(nullptr, dc);
        EXPECT_TRUE(HasRecord(dc)) << kind;
        HDC memory = CreateCompatibleDC(dc);
        EXPECT_TRUE(HasRecord(memory)) << kind;
        DeleteDC(memory);
        EXPECT_FALSE(HasRecord(memory)) << kind;
        if (kind == 3) EndPaint(grid, &ps);
        else ReleaseDC(grid, dc);
        EXPECT_FALSE(HasRecord(dc)) << kind;
    }
    HWND plainWindow =
        CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 500, 0, 60, 40, nullptr, nullptr, nullptr, nullptr);
    std::vector<std::pair<HWND, HDC>> taken;
    for (int i = 0; i < 32; ++i) {
        HWND w = i % 3 == 0 ? other : i % 3 == 1 ? plainWindow : nullptr;
        HDC dc = GetDCEx(w, nullptr, DCX_CACHE);
        HDC derived = CreateCompatibleDC(dc), fresh = CreateCompatibleDC(nullptr);
        EXPECT_FALSE(HasRecord(dc) || HasRecord(derived) || HasRecord(fresh)) << i;
        DeleteDC(derived);
        DeleteDC(fresh);
        taken.emplace_back(w, dc);
    }
    for (const auto& t : taken) ReleaseDC(t.first, t.second);
    DestroyWindow(plainWindow);

    HDC kept = GetDC(grid);
    dll.DettachDatawindow(grid);
    EXPECT_FALSE(HasRecord(kept));
    ReleaseDC(grid, kept);

    // DrawCaption writes its line for every window, once more for an attached DataWindow.
    dll.AttachDatawindow(grid, nullptr);
    HDC dc = GetDC(grid);
    RECT r = {0, 0, 50, 20};
    StdoutCapture capture;
    DrawCaption(grid, dc, &r, DC_TEXT);
    DrawCaption(other, dc, &r, DC_TEXT);
    const std::string log = capture.Stop();
    size_t lines = 0;
    for (size_t at = log.find("HookDrawCaption\n"); at != std::string::npos; at = log.find("HookDrawCaption\n", at + 1))
        ++lines;
    EXPECT_EQ(3u, lines) << log;
    ReleaseDC(grid, dc);
}

// Other contexts: bars in their brush colours, the line series in its pen; the DataWindow's: fills in distinct
// colours, lines in blended dark blue.
TEST_F(DeviceContexts, GraphPolygonsOfDataWindowsArePaintedAntiAliased) {
    auto bar = [](COLORREF c) { return c == RGB(70, 130, 180); };
    auto line = [](COLORREF c) { return c == RGB(160, 0, 0); };
    EXPECT_GT(Painted(other, bar), 50);
    EXPECT_GT(Painted(other, line), 20);
    EXPECT_EQ(0, Painted(grid, bar) + Painted(grid, line));
    EXPECT_GT(Painted(grid,
                      [](COLORREF c) {
                          return GetRValue(c) == GetGValue(c) && GetBValue(c) > GetRValue(c) && GetRValue(c) < 250 &&
                                 GetRValue(c) > 40;
                      }),
              10);
}
