// Device contexts handed out for an attached DataWindow are recognised as
// its own until they are given back, and so are memory contexts made from
// them; contexts of other windows are not. What the library knows about a
// context shows in the DrawFrameControl debug line of DataWindow contexts and
// in the DrawCaption lines.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

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
    ASSERT_EQ(1, dll.StopTessel());
    DestroyWindow(grid);
    DestroyWindow(other);
}
