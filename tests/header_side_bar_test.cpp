// The decorations around an attached grid, read back in pixels and texts:
// the row-number side bar, the rounded border, and the page information
// while the thumb is dragged, in the tooltip or the host's information target.
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

const wchar_t kDefaultPage[] = L"总 行 数 \t 80\r\n当前首行 \t 11\r\n当前末行 \t 30\r\n当 前 行 \t 1";

std::wstring Rows(int count) {
    return GridSyntax(1)
        .Detail(20)
        .Column(L"a", L"long", 80, L"A")
        .Column(L"b", L"char(20)", 120, L"B")
        .NumberedRows(count)
        .Text();
}

bool Dark(COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c) < 300; }
int DarkIn(const WindowSurface& s, int left, int top, int right, int bottom) {
    return s.Count(RECT{left, top, right, bottom}, Dark);
}
// From the first to the last column holding a dark pixel within the band.
int InkWidth(const WindowSurface& s, int left, int top, int right, int bottom) {
    int first = -1, last = -1;
    for (int x = left; x < right; ++x)
        if (DarkIn(s, x, top, x + 1, bottom)) {
            if (first < 0) first = x;
            last = x;
        }
    return first < 0 ? 0 : last - first + 1;
}
int ClientLeft(HWND dw) {
    POINT origin = {0, 0};
    ClientToScreen(dw, &origin);
    RECT window;
    GetWindowRect(dw, &window);
    return origin.x - window.left;
}

class SideBar : public TesselHost {
protected:
    void TearDown() override {
        ClearProcessLabels(dll);
        TesselHost::TearDown();
    }
    // Twenty rows fit under the header, with the 1-pixel frame.
    HWND Open(const std::string& settings = std::string(), int rows = 80, DWORD style = 0) {
        return Attach(Rows(rows), settings, 400, 24 + 20 * 20 + 2, style);
    }
    static void Repaint(HWND dw) {
        RedrawWindow(dw, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        PumpMessages();
    }
    // Lines down, then the thumb dragged: 11 to 30 on the page by default.
    static void DragThumb(HWND dw, int lines = 10, int position = 10) {
        for (int i = 0; i < lines; ++i) SendMessageW(dw, WM_VSCROLL, SB_LINEDOWN, 0);
        SendMessageW(dw, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, position), 0);
        PumpMessages();
    }
};

}  // namespace

// Numbers of the wrong rows (91 to 99 two digits wide, 100 on three), separators, the current row's fill.
TEST_F(SideBar, RowNumbersOfThePageWithTheCurrentRow) {
    HWND dw = Open(std::string(), 120);
    SendMessageW(dw, kSideBarMessage, 0, 1);
    for (int i = 0; i < 90; ++i) SendMessageW(dw, WM_VSCROLL, SB_LINEDOWN, 0);
    ASSERT_EQ(L"91", pb->Describe(dw, L"DataWindow.FirstRowOnPage"));
    SendMessageW(dw, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 24 + 4 * 20 + 10));  // row 95 current
    SendMessageW(dw, WM_LBUTTONUP, 0, MAKELPARAM(20, 24 + 4 * 20 + 10));
    Repaint(dw);
    const WindowSurface pixels(dw, WindowSurface::WholeWindow);
    const int top = 24 + 1;
    const COLORREF gridLine = GetSysColor(COLOR_3DLIGHT);
    EXPECT_EQ(gridLine, pixels.At(47, 2));
    EXPECT_EQ(gridLine, pixels.At(47, pixels.Height() - 3));
    for (int k = 0; k < 20; ++k) {
        const int width = InkWidth(pixels, 2, top + k * 20 + 2, 46, top + k * 20 + 19);
        EXPECT_TRUE(k < 9 ? width >= 7 && width <= 11 : width >= 12 && width <= 17)
            << "row " << 91 + k << ": " << width;
        EXPECT_EQ(gridLine, pixels.At(30, top + k * 20)) << "separator above row " << 91 + k;
    }
    EXPECT_EQ(0xFFD5AAu, pixels.At(4, top + 4 * 20 + 3));
    EXPECT_NE(0xFFD5AAu, pixels.At(4, top + 3 * 20 + 3));
    EXPECT_NE(0xFFD5AAu, pixels.At(4, top + 5 * 20 + 3));
    SendMessageW(dw, kSideBarMessage, 0, 0);
    EXPECT_EQ(1, ClientLeft(dw));
}

// Page information missing or stale, a tooltip of the wrong kind, the target written after it was taken back.
TEST_F(SideBar, PageInformationInTargetThenTooltip) {
    HWND dw = Open();
    InfoTarget target;
    SendMessageW(dw, kInfoTargetMessage, 0, reinterpret_cast<LPARAM>(target.Window()));
    DragThumb(dw);
    EXPECT_EQ(kDefaultPage, target.Text());
    const HWND tip = TooltipOf(dw);
    ASSERT_NE(nullptr, tip);
    EXPECT_EQ(static_cast<LONG>(WS_POPUP | 0x03), GetWindowLongW(tip, GWL_STYLE) & (WS_POPUP | 0x03));
    EXPECT_TRUE(GetWindowLongW(tip, GWL_EXSTYLE) & WS_EX_TOPMOST);
    SendMessageW(dw, kInfoTargetMessage, 0, 0);
    SetWindowTextW(target.Window(), L"unchanged");
    DragThumb(dw, 10, 20);
    EXPECT_EQ(L"unchanged", target.Text());
    EXPECT_EQ(L"总 行 数 \t 80\r\n当前首行 \t 21\r\n当前末行 \t 40\r\n当 前 行 \t 1", TooltipText(tip));
}

// Label keys of the file or the process not used, the process's winning over the file's, statistics keys taken.
TEST_F(SideBar, PageInformationLabelsOfFileOverProcess) {
    const wchar_t* process[][2] = {
        {L"rowcountlabel", L"Total rows"}, {L"firstrowlabel", L"From"}, {L"lastrowlabel", L"To"}};
    for (const auto& l : process) ASSERT_EQ(1, dll.SetInfoLabel(l[0], l[1]));
    HWND dw = Open("[datawindow]\r\nfirstrowlabel=Top\r\ncurrentrowlabel=Current row\r\nsumlabel=Sum\r\n");
    DragThumb(dw);
    EXPECT_EQ(L"Total rows \t 80\r\nTop \t 11\r\nTo \t 30\r\nCurrent row \t 1", TooltipText(TooltipOf(dw)));
}
