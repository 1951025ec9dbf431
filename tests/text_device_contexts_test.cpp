// Device contexts handed out for an attached DataWindow are its own until given back, and so are memory contexts
// made from them; other windows' are not. A DataWindow context shows in the DrawFrameControl debug line.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>

#include "dib.h"
#include "stdout_capture.h"
#include "tessel_host.h"

namespace {

// A bar graph with a line series, two rows, in pixels.
const wchar_t kGraph[] =
    L"release 10;\ndatawindow(units=1 processing=0 color=16777215 )\nheader(height=0)\n"
    L"detail(height=120 color=\"16777215\" )\n"
    L"table(column=(type=number name=a dbname=\"a\") column=(type=number name=b dbname=\"b\"))\n"
    L"graph(band=detail x=\"10\" y=\"10\" height=\"100\" width=\"200\" graphtype=\"7\" values=\"a, b\" "
    L"series=\"b, a, b\" name=gr_1 visible=\"1\" background.mode=\"0\" background.color=\"16777215\" )\n"
    L"data( 10, 30, 20, 10, )\n";

// Two graphs, the first attached.
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
    HWND grid = nullptr, other = nullptr;
};

}  // namespace

// Through every way it is handed out, a context is the DataWindow's until given back or detached, and so is a memory
// context made from it until deleted; another DataWindow's contexts and fresh memory contexts are plain.
TEST_F(DeviceContexts, DataWindowContextsFromHandOutToGiveBack) {
    InvalidateRect(grid, nullptr, TRUE);
    PAINTSTRUCT ps;
    for (int kind = 0; kind < 4; ++kind) {
        HDC dc = kind == 0   ? GetDC(grid)
                 : kind == 1 ? GetWindowDC(grid)
                 : kind == 2 ? GetDCEx(grid, nullptr, DCX_CACHE)
                             : BeginPaint(grid, &ps);
        HDC memory = CreateCompatibleDC(dc);
        EXPECT_TRUE(HasRecord(dc) && HasRecord(memory)) << kind;
        DeleteDC(memory);
        HDC fresh = CreateCompatibleDC(nullptr);  // often the deleted one's handle again
        EXPECT_FALSE(HasRecord(memory) || HasRecord(fresh)) << kind;
        DeleteDC(fresh);
        if (kind == 3) EndPaint(grid, &ps);
        else ReleaseDC(grid, dc);
        HDC otherDc = GetDCEx(other, nullptr, DCX_CACHE);  // often the given-back handle again
        EXPECT_FALSE(HasRecord(dc) || HasRecord(otherDc)) << kind;
        ReleaseDC(other, otherDc);
    }
    HDC kept = GetDC(grid);
    dll.DettachDatawindow(grid);
    EXPECT_FALSE(HasRecord(kept));
    ReleaseDC(grid, kept);
}

// Other contexts: bars in their brush colour, the line series in its pen. The DataWindow's: neither; its four
// polygons filled in colours of their own, lines in blended dark blue.
TEST_F(DeviceContexts, GraphPolygonsOfDataWindowsArePaintedAntiAliased) {
    for (HWND dw : {other, grid}) {
        HDC window = GetDC(dw);
        Dib dib(240, 260, window);
        pb->PaintDC(dw, dib.Dc());
        ReleaseDC(dw, window);
        std::map<COLORREF, int> pixels;
        for (int i = 0; i < 240 * 260; ++i) ++pixels[dib.At(i % 240, i / 240)];
        int fills = 0, blended = 0;
        for (const auto& p : pixels) {
            const int r = GetRValue(p.first);
            fills += p.second > 1000 && p.first != 0 && p.first != 0xFFFFFF && p.first != 0xA6A6A6;
            blended += r == GetGValue(p.first) && GetBValue(p.first) > r && r < 250 && r > 40 ? p.second : 0;
        }
        EXPECT_EQ(dw == other, pixels[RGB(70, 130, 180)] > 50 && pixels[RGB(160, 0, 0)] > 20);
        EXPECT_EQ(dw == grid, fills == 4 && blended > 10) << fills << " fills, " << blended << " blended";
    }
}
