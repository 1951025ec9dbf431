// The decorations around an attached grid, read back in pixels and texts:
// the row-number side bar and the page information while the thumb is
// dragged, in the host's information target.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "info_window.h"
#include "label_settings.h"
#include "private_messages.h"
#include "tessel_host.h"
#include "window_surface.h"

namespace {

bool Dark(COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c) < 300; }
// From the first to the last column holding a dark pixel within the band.
int InkWidth(const WindowSurface& s, int left, int top, int right, int bottom) {
    std::vector<int> inked;
    for (int x = left; x < right; ++x)
        if (s.Count(RECT{x, top, x + 1, bottom}, Dark)) inked.push_back(x);
    return inked.empty() ? 0 : inked.back() - inked.front() + 1;
}

class SideBar : public TesselHost {
protected:
    void TearDown() override {
        ClearProcessLabels(dll);
        TesselHost::TearDown();
    }
    // Twenty rows of 20 pixels fit under the header of 24, with the 1-pixel frame.
    HWND Open(const std::string& settings = std::string(), int rows = 80) {
        return Attach(GridSyntax(1).Detail(20).Column(L"a", L"long", 80, L"A").NumberedRows(rows).Text(), settings, 400,
                      24 + 20 * 20 + 2);
    }
    // Ten lines down, then the thumb dragged: 11 to 30 on the page.
    static void DragThumb(HWND dw) {
        for (int i = 0; i < 10; ++i) SendMessageW(dw, WM_VSCROLL, SB_LINEDOWN, 0);
        SendMessageW(dw, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 10), 0);
        PumpMessages();
    }
};

}  // namespace

// Numbers of the wrong rows (91 to 99 two digits wide, 100 on three), separators, the current row's fill, the margin
// left when the side bar goes.
TEST_F(SideBar, RowNumbersOfThePageWithTheCurrentRow) {
    HWND dw = Open(std::string(), 120);
    SendMessageW(dw, kSideBarMessage, 0, 1);
    for (int i = 0; i < 90; ++i) SendMessageW(dw, WM_VSCROLL, SB_LINEDOWN, 0);
    ASSERT_EQ(L"91", pb->Describe(dw, L"DataWindow.FirstRowOnPage"));
    SendMessageW(dw, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 24 + 4 * 20 + 10));  // row 95 current
    SendMessageW(dw, WM_LBUTTONUP, 0, MAKELPARAM(20, 24 + 4 * 20 + 10));
    RedrawWindow(dw, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    PumpMessages();
    const WindowSurface pixels(dw, WindowSurface::WholeWindow);
    const COLORREF gridLine = GetSysColor(COLOR_3DLIGHT);
    for (int y : {2, pixels.Height() - 3}) EXPECT_EQ(gridLine, pixels.At(47, y)) << "the bar's edge at " << y;
    for (int k = 0, top = 24 + 1; k < 20; ++k, top += 20) {
        const int width = InkWidth(pixels, 2, top + 2, 46, top + 19);
        EXPECT_TRUE(k < 9 ? width >= 7 && width <= 11 : width >= 12 && width <= 17)
            << "row " << 91 + k << ": " << width;
        EXPECT_EQ(gridLine, pixels.At(30, top)) << "separator above row " << 91 + k;
        EXPECT_EQ(k == 4, pixels.At(4, top + 3) == 0xFFD5AAu) << "current row fill beside row " << 91 + k;
    }
    SendMessageW(dw, kSideBarMessage, 0, 0);
    EXPECT_EQ(400 - 2 - 17, WindowSurface(dw, WindowSurface::Client).Width()) << "only the frame and the scroll bar";
}

// Page information missing or stale; the captions of the file winning over the process's, the process's over the
// defaults. (Where the text goes, target or tooltip, the statistics of a selection show the same way.)
TEST_F(SideBar, PageInformationInTheTargetWithItsCaptions) {
    InfoTarget target;
    HWND dw = Open();
    SendMessageW(dw, kInfoTargetMessage, 0, reinterpret_cast<LPARAM>(target.Window()));
    DragThumb(dw);
    EXPECT_EQ(L"总 行 数 \t 80\r\n当前首行 \t 11\r\n当前末行 \t 30\r\n当 前 行 \t 1", target.Text());
    ASSERT_EQ(1, dll.SetInfoLabel(L"firstrowlabel", L"From"));
    ASSERT_EQ(1, dll.SetInfoLabel(L"lastrowlabel", L"To"));
    HWND own = Open("[datawindow]\r\nfirstrowlabel=Top\r\ncurrentrowlabel=Current row\r\nsumlabel=Sum\r\n");
    SendMessageW(own, kInfoTargetMessage, 0, reinterpret_cast<LPARAM>(target.Window()));
    DragThumb(own);
    EXPECT_EQ(L"总 行 数 \t 80\r\nTop \t 11\r\nTo \t 30\r\nCurrent row \t 1", target.Text());
}
