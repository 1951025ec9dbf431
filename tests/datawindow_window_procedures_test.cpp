// The replaced window procedures of the runtime, driven through real
// messages: the frame margins of attached DataWindows, the hit test over the
// left margin, the private messages, double clicks on button objects, the
// refresh after a lost capture, the centred edit text, the page-information
// requests, and the debug lines of the runtime's own messages.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "dib.h"
#include "message_pump.h"
#include "pbsim_runtime.h"
#include "stdout_capture.h"
#include "tessel_dll.h"
#include "window_surface.h"

namespace {

const wchar_t kGrid[] =
    L"release 10;\n"
    L"datawindow(units=1 processing=1)\n"
    L"header(height=24)\n"
    L"detail(height=24)\n"
    L"table(column=(type=long name=a dbname=\"a\") column=(type=char(20) name=b dbname=\"b\"))\n"
    L"text(band=header text=\"A\" border=\"0\" x=\"1\" y=\"1\" height=\"20\" width=\"80\" name=a_t)\n"
    L"text(band=header text=\"B\" border=\"0\" x=\"82\" y=\"1\" height=\"20\" width=\"120\" name=b_t)\n"
    L"column(band=detail id=1 x=\"1\" y=\"1\" height=\"22\" width=\"80\" name=a visible=\"1\" "
    L"tabsequence=10)\n"
    L"column(band=detail id=2 x=\"82\" y=\"1\" height=\"22\" width=\"120\" name=b visible=\"1\" "
    L"tabsequence=20 font.height=\"-12\")\n"
    L"data(1 \"one\" 2 \"two\" 3 \"three\")\n";

// Buttons named B_ok, b_go and b in a freeform DataWindow, in pixels.
const wchar_t kButtons[] =
    L"release 10;\n"
    L"datawindow(units=1 processing=0)\n"
    L"header(height=0)\n"
    L"detail(height=200)\n"
    L"table(column=(type=long name=a dbname=\"a\"))\n"
    L"button(band=detail text=\"Ok\" x=\"10\" y=\"10\" height=\"30\" width=\"80\" name=B_ok)\n"
    L"button(band=detail text=\"Go\" x=\"110\" y=\"10\" height=\"30\" width=\"80\" name=b_go)\n"
    L"button(band=detail text=\"B\" x=\"210\" y=\"10\" height=\"30\" width=\"80\" name=b)\n"
    L"data(1)\n";

constexpr UINT kPageInfo = 11021;
constexpr UINT kRefresh = 11022;
constexpr UINT kBackColor = 11027;
constexpr UINT kAlterColor = 11028;
constexpr UINT kHoverColor = 11039;
constexpr UINT kSideBar = 11040;

int Posted(HWND window, UINT message, MSG* last = nullptr) {
    MSG msg;
    int n = 0;
    while (PeekMessageW(&msg, window, message, message, PM_REMOVE)) {
        ++n;
        if (last) *last = msg;
    }
    return n;
}

SIZE ClientSize(HWND window) {
    RECT r;
    GetClientRect(window, &r);
    return {r.right, r.bottom};
}

// Where the client area starts, relative to the window's top-left corner.
POINT ClientOrigin(HWND window) {
    RECT w;
    GetWindowRect(window, &w);
    POINT p = {0, 0};
    ClientToScreen(window, &p);
    return {p.x - w.left, p.y - w.top};
}

class WindowProcedures : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pb.ok());
        ASSERT_NE(dll.h, nullptr);
        ASSERT_EQ(dll.StartTessel(), 1);
    }
    void TearDown() override {
        for (HWND h : windows) dll.DettachDatawindow(h);
        dll.StopTessel();
        for (HWND h : windows) DestroyWindow(h);
    }
    HWND Attached(const wchar_t* syntax, DWORD style = 0) {
        HWND h = pb.Create(syntax, style);
        EXPECT_NE(h, nullptr) << pb.LastError();
        windows.push_back(h);
        dll.AttachDatawindow(h, nullptr);
        PumpMessages();  // the attach completes in the window procedure
        return h;
    }
    PbsimRuntime pb{TestRuntimeGeneration()};
    TesselDll dll;
    std::vector<HWND> windows;
};

}  // namespace

TEST_F(WindowProcedures, MarginsOfWindowsWithAndWithoutCaption) {
    // The frames the attach leaves (it takes the client edge away), without margins.
    auto bare = [&](DWORD style, SIZE* size, POINT* origin) {
        HWND h = pb.Create(kGrid, style);
        SetWindowLongW(h, GWL_EXSTYLE, GetWindowLongW(h, GWL_EXSTYLE) & ~WS_EX_CLIENTEDGE);
        SetWindowPos(h, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
        *size = ClientSize(h);
        *origin = ClientOrigin(h);
        DestroyWindow(h);
    };
    SIZE plainSize, captionSize, boxSize;
    POINT plainOrigin, captionOrigin, boxOrigin;
    bare(0, &plainSize, &plainOrigin);
    bare(WS_CAPTION, &captionSize, &captionOrigin);
    bare(WS_BORDER, &boxSize, &boxOrigin);

    // Without a caption: one pixel on every side.
    HWND plain = Attached(kGrid);
    EXPECT_EQ(plainSize.cx - 2, ClientSize(plain).cx);
    EXPECT_EQ(plainSize.cy - 2, ClientSize(plain).cy);
    EXPECT_EQ(plainOrigin.x + 1, ClientOrigin(plain).x);
    // The side bar takes 48 pixels on the left.
    SendMessageW(plain, kSideBar, 0, 1);
    EXPECT_EQ(plainSize.cx - 49, ClientSize(plain).cx);
    EXPECT_EQ(plainOrigin.x + 48, ClientOrigin(plain).x);
    // HTMENU over the margin, the DataWindow's own answer over the client area.
    POINT inMargin = {-20, 30};
    ClientToScreen(plain, &inMargin);
    EXPECT_EQ(HTMENU, SendMessageW(plain, WM_NCHITTEST, 0, MAKELPARAM(inMargin.x, inMargin.y)));
    POINT inClient = {20, 30};
    ClientToScreen(plain, &inClient);
    EXPECT_EQ(HTCLIENT, SendMessageW(plain, WM_NCHITTEST, 0, MAKELPARAM(inClient.x, inClient.y)));
    SendMessageW(plain, kSideBar, 0, 0);
    EXPECT_EQ(plainSize.cx - 2, ClientSize(plain).cx);

    // A box border (WS_BORDER without WS_DLGFRAME) is no title bar: one
    // pixel inside the border on every side, the side bar beside it.
    HWND box = Attached(kGrid, WS_BORDER);
    EXPECT_EQ(boxSize.cx - 2, ClientSize(box).cx);
    EXPECT_EQ(boxSize.cy - 2, ClientSize(box).cy);
    EXPECT_EQ(boxOrigin.x + 1, ClientOrigin(box).x);
    EXPECT_EQ(boxOrigin.y + 1, ClientOrigin(box).y);
    SendMessageW(box, kSideBar, 0, 1);
    EXPECT_EQ(boxSize.cx - 49, ClientSize(box).cx);
    EXPECT_EQ(boxOrigin.x + 48, ClientOrigin(box).x);

    // With a caption: the frame is the DataWindow's own.
    HWND captioned = Attached(kGrid, WS_CAPTION);
    EXPECT_EQ(captionSize.cx, ClientSize(captioned).cx);
    EXPECT_EQ(captionSize.cy, ClientSize(captioned).cy);

    // Print preview entered through a script-level modify takes the side bar away.
    SendMessageW(plain, kSideBar, 0, 1);
    ASSERT_EQ(plainSize.cx - 49, ClientSize(plain).cx);
    ASSERT_EQ(1, pb.SetPrintPreview(plain, 1));
    EXPECT_EQ(plainSize.cx - 2, ClientSize(plain).cx);
}

TEST_F(WindowProcedures, ColourMessagesReachTheDataWindow) {
    HWND grid = Attached(kGrid);
    pb.ClearModifyLog(grid);
    SendMessageW(grid, kBackColor, 0, 255);
    SendMessageW(grid, kAlterColor, 0, 65280);
    SendMessageW(grid, kHoverColor, 0, 123);
    const std::vector<std::wstring> expected = {
        L"Datawindow.Detail.color='255 ~t if (mod(getrow(),2)=1,255,16777215)'",
        L"#1.background.mode='1'", L"#2.background.mode='1'",
        L"Datawindow.Detail.color='255 ~t if (mod(getrow(),2)=1,255,65280)'",
        L"DataWindow.Row.Resize='0'"};
    EXPECT_EQ(expected, pb.ModifyLog(grid));
    // The unused numbers between are passed on without effect.
    SendMessageW(grid, 11024, 0, 1);
    SendMessageW(grid, 11031, 0, 1);
    EXPECT_EQ(expected, pb.ModifyLog(grid));
}

namespace {

// Each colour message sets one colour of the record; what every colour shows
// as, on a context made from the grid's window context or in the modify log.
constexpr COLORREF kNew = RGB(200, 30, 40);  // 2629320
constexpr COLORREF kOldSelected = 0xFFD5AA;
constexpr COLORREF kOldBorder = 0xB4B4B4;
constexpr COLORREF kOldRow = 0xFFFFFF;
constexpr COLORREF kSystemLight = 0xFFFFFFFF;  // stands for GetSysColor(COLOR_3DLIGHT)

struct ColourMessage {
    const char* name;
    UINT message;
    std::vector<std::wstring> modifies;  // what the message itself writes
    COLORREF gridLine, border, selected, selectRow, alter;
    std::wstring backProbe;  // what 11028 with lParam 0 writes afterwards: shows the odd-row colour
};

const ColourMessage kColourMessages[] = {
    {"line", 11025, {}, kNew, kOldBorder, kOldSelected, kOldSelected, kOldRow,
     L"Datawindow.Detail.color='16777215 ~t if (mod(getrow(),2)=1,16777215,0)'"},
    {"border", 11026, {}, kSystemLight, kNew, kOldSelected, kOldSelected, kOldRow,
     L"Datawindow.Detail.color='16777215 ~t if (mod(getrow(),2)=1,16777215,0)'"},
    {"back", 11027, {L"Datawindow.Detail.color='2629320 ~t if (mod(getrow(),2)=1,2629320,16777215)'"},
     kSystemLight, kOldBorder, kOldSelected, kOldSelected, kOldRow,
     L"Datawindow.Detail.color='2629320 ~t if (mod(getrow(),2)=1,2629320,0)'"},
    {"alter", 11028,
     {L"#1.background.mode='1'", L"#2.background.mode='1'",
      L"Datawindow.Detail.color='16777215 ~t if (mod(getrow(),2)=1,16777215,2629320)'"},
     kSystemLight, kOldBorder, kOldSelected, kOldSelected, kNew,
     L"Datawindow.Detail.color='16777215 ~t if (mod(getrow(),2)=1,16777215,0)'"},
    {"selected", 11029, {}, kSystemLight, kOldBorder, kNew, kOldSelected, kOldRow,
     L"Datawindow.Detail.color='16777215 ~t if (mod(getrow(),2)=1,16777215,0)'"},
    {"select_row", 11030, {}, kSystemLight, kOldBorder, kOldSelected, kNew, kOldRow,
     L"Datawindow.Detail.color='16777215 ~t if (mod(getrow(),2)=1,16777215,0)'"},
    {"hover", 11039, {L"DataWindow.Row.Resize='0'"}, kSystemLight, kOldBorder, kOldSelected, kOldSelected, kOldRow,
     L"Datawindow.Detail.color='16777215 ~t if (mod(getrow(),2)=1,16777215,0)'"},
};

bool Reddish(COLORREF c) { return GetRValue(c) > GetGValue(c) + 50 && GetRValue(c) > GetBValue(c) + 50; }

class ColourMessages : public WindowProcedures, public ::testing::WithParamInterface<ColourMessage> {};

}  // namespace

TEST_P(ColourMessages, SetExactlyTheirOwnColour) {
    const ColourMessage& c = GetParam();
    HWND grid = Attached(kGrid);  // 400 pixels wide, 203 of content: no horizontal scroll bar
    ASSERT_FALSE(GetWindowLongW(grid, GWL_STYLE) & WS_HSCROLL);
    pb.ClearModifyLog(grid);
    SendMessageW(grid, c.message, 0, kNew);
    EXPECT_EQ(c.modifies, pb.ModifyLog(grid));

    const COLORREF background = RGB(1, 2, 3);
    HDC window = GetDC(grid);
    {
        Dib dib(300, 80, window);  // paints as the DataWindow
        dib.Fill(background);
        HDC dc = dib.Dc();
        // A grid line drawn with a thin pen takes the grid-line colour.
        HPEN black = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
        HGDIOBJ oldPen = SelectObject(dc, black);
        MoveToEx(dc, 0, 5, nullptr);
        LineTo(dc, 100, 5);
        SelectObject(dc, oldPen);
        DeleteObject(black);
        EXPECT_EQ(c.gridLine == kSystemLight ? GetSysColor(COLOR_3DLIGHT) : c.gridLine, dib.At(50, 5)) << "grid line";
        // A black pattern fill is a selected cell.
        HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(BLACK_BRUSH));
        PatBlt(dc, 10, 20, 5, 5, PATCOPY);
        EXPECT_EQ(c.selected, dib.At(12, 22)) << "selected cell";
        // A region in the highlight colour is a selected row.
        HBRUSH highlight = CreateSolidBrush(GetSysColor(COLOR_HIGHLIGHT));
        SelectObject(dc, highlight);
        HRGN row = CreateRectRgn(10, 30, 60, 40);
        PaintRgn(dc, row);
        EXPECT_EQ(c.selectRow, dib.At(30, 35)) << "selected row";
        // A region in the even-row colour ends at the content's right edge.
        HBRUSH even = CreateSolidBrush(c.alter);
        SelectObject(dc, even);
        HRGN wide = CreateRectRgn(0, 50, 300, 60);
        PaintRgn(dc, wide);
        EXPECT_EQ(c.alter, dib.At(100, 55)) << "even row";
        EXPECT_EQ(background, dib.At(280, 55)) << "even-row colour cut at the content";
        SelectObject(dc, oldBrush);
        DeleteObject(row);
        DeleteObject(wide);
        DeleteObject(highlight);
        DeleteObject(even);
    }
    ReleaseDC(grid, window);

    // The rounded border around the window in the border colour.
    RedrawWindow(grid, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    PumpMessages();
    {
        const WindowSurface frame(grid, WindowSurface::WholeWindow);
        const COLORREF top = frame.At(frame.Width() / 2, 0);
        EXPECT_EQ(c.border == kNew, Reddish(top)) << std::hex << top;
    }

    // The odd-row colour shows in the striping that an even-row colour writes.
    pb.ClearModifyLog(grid);
    SendMessageW(grid, kAlterColor, 0, 0);
    const std::vector<std::wstring> log = pb.ModifyLog(grid);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(c.backProbe, log.back());
}

INSTANTIATE_TEST_SUITE_P(Messages, ColourMessages, ::testing::ValuesIn(kColourMessages),
                         [](const ::testing::TestParamInfo<ColourMessage>& info) { return std::string(info.param.name); });

TEST_F(WindowProcedures, DoubleClickOnButtonObjects) {
    HWND form = Attached(kButtons);
    SetForegroundWindow(pb.host());
    auto doubleClick = [&](int x, int y, std::string* out) {
        POINT p = {x, y};
        ClientToScreen(form, &p);
        SetCursorPos(p.x, p.y);
        StdoutCapture capture;
        SendMessageW(form, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(x, y));
        *out = capture.Stop();
        MSG down = {};
        const int n = Posted(form, WM_LBUTTONDOWN, &down);
        EXPECT_TRUE(n == 0 || (down.wParam == 0 && down.lParam == 0));
        return n;
    };
    std::string out;
    EXPECT_EQ(1, doubleClick(50, 25, &out));
    EXPECT_NE(std::string::npos, out.find("B_ok\n")) << out;
    EXPECT_EQ(1, doubleClick(150, 25, &out));
    EXPECT_NE(std::string::npos, out.find("b_go\n")) << out;
    EXPECT_EQ(0, doubleClick(250, 25, &out));  // "b" alone is no button name
    EXPECT_EQ(0, doubleClick(150, 150, &out)); // nothing under the mouse
}

TEST_F(WindowProcedures, LostCaptureScrollAndButtonRelease) {
    HWND grid = Attached(kGrid);
    Posted(grid, kRefresh);
    SetCapture(grid);
    ReleaseCapture();
    EXPECT_EQ(1, Posted(grid, kRefresh));

    // A thumb track asks for the page information, a line scroll does not.
    SendMessageW(grid, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 1), 0);
    EXPECT_EQ(1, Posted(grid, kPageInfo));
    SendMessageW(grid, WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(0, Posted(grid, kPageInfo));
    // The button released with Shift held does too; without it, not.
    SendMessageW(grid, WM_LBUTTONUP, MK_SHIFT, MAKELPARAM(10, 40));
    EXPECT_EQ(1, Posted(grid, kPageInfo));
    SendMessageW(grid, WM_LBUTTONUP, 0, MAKELPARAM(10, 40));
    EXPECT_EQ(0, Posted(grid, kPageInfo));
    EXPECT_EQ(nullptr, GetCapture());

    // A window that is not attached gets none of it.
    HWND other = pb.Create(kGrid);
    SendMessageW(other, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 1), 0);
    EXPECT_EQ(0, Posted(other, kPageInfo));
    DestroyWindow(other);
}

TEST_F(WindowProcedures, EditTextCentredOnceThenLeftAlone) {
    HWND grid = Attached(kGrid);
    SetFocus(grid);
    SendMessageW(grid, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(120, 36));  // row 1, column b
    SendMessageW(grid, WM_LBUTTONUP, 0, MAKELPARAM(120, 36));
    SendMessageW(grid, WM_CHAR, L'x', 0);  // typing opens the edit control
    PumpMessages();
    HWND edit = pb.GetEditControl(grid);
    ASSERT_NE(nullptr, edit);
    ASSERT_TRUE(IsWindowVisible(edit));
    UpdateWindow(edit);
    RECT client;
    GetClientRect(edit, &client);
    // Column b's font is 12 points high: 16 pixels at 96 dots per inch.
    const int expectedTop = (client.bottom - 16) / 2 - 1;
    ASSERT_NE(0, expectedTop);
    RECT format = {};
    SendMessageW(edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    EXPECT_EQ(expectedTop, format.top);

    // Placed by someone else: left alone on the next paint.
    RECT placed = {2, 3, client.right - 2, client.bottom - 1};
    SendMessageW(edit, EM_SETRECT, 0, reinterpret_cast<LPARAM>(&placed));
    InvalidateRect(edit, nullptr, TRUE);
    UpdateWindow(edit);
    SendMessageW(edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    EXPECT_EQ(3, format.top);
}

TEST_F(WindowProcedures, DebugLinesOfRuntimeMessages) {
    HWND grid = Attached(kGrid);
    StdoutCapture capture;
    SendMessageW(grid, 1308, 0, 0);
    SendMessageW(grid, 1303, 0, 0);
    HWND window = pb.CreateRuntimeWindow(nullptr, L"runtime window", 0, 0, 100, 100);
    ASSERT_NE(nullptr, window);
    SendMessageW(window, 2060, 0x00050003, 7);
    DestroyWindow(window);
    const std::string out = capture.Stop();
    EXPECT_NE(std::string::npos, out.find("WM_DW_SORT\n")) << out;
    EXPECT_NE(std::string::npos, out.find("call print ...\n")) << out;
    EXPECT_NE(std::string::npos, out.find("FN_WindowWnd message:80C 50003 7    5 3\n")) << out;
}
