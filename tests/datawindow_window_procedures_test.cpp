// The replaced window procedures of the runtime, driven through real
// messages: frame margins and hit test, the colour messages, double clicks on
// buttons, the refresh after a lost capture, the page-information requests,
// the centred edit text and the debug lines of the runtime's own messages.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "dib.h"
#include "private_messages.h"
#include "stdout_capture.h"
#include "tessel_host.h"
#include "window_surface.h"

namespace {

std::wstring Grid() {
    return GridSyntax(1)
        .Column(L"a", L"long", 80, L"A")
        .With(L"tabsequence=10")
        .Column(L"b", L"char(20)", 120, L"B")
        .With(L"tabsequence=20 font.height=\"-12\"")
        .Data(L"1 \"one\" 2 \"two\" 3 \"three\"")
        .Text();
}

int Posted(HWND window, UINT message, MSG* last = nullptr) {
    MSG msg;
    int n = 0;
    for (; PeekMessageW(&msg, window, message, message, PM_REMOVE); ++n)
        if (last) *last = msg;
    return n;
}

// Client width and height, and where the client area starts in the window.
RECT ClientPlace(HWND window) {
    RECT w, c;
    GetWindowRect(window, &w);
    GetClientRect(window, &c);
    POINT p = {0, 0};
    ClientToScreen(window, &p);
    return RECT{p.x - w.left, p.y - w.top, c.right, c.bottom};
}

bool Reddish(COLORREF c) { return GetRValue(c) > GetGValue(c) + 50 && GetRValue(c) > GetBValue(c) + 50; }

using WindowProcedures = TesselHost;

}  // namespace

// Margins of the wrong width, a caption's frame taken, the side bar kept in print preview.
TEST_F(WindowProcedures, MarginsOfWindowsWithAndWithoutCaption) {
    // The frames without margins, as the attach leaves them (no client edge).
    auto bare = [&](DWORD style) {
        HWND h = Create(Grid(), 400, 300, style);
        SetWindowLongW(h, GWL_EXSTYLE, GetWindowLongW(h, GWL_EXSTYLE) & ~WS_EX_CLIENTEDGE);
        SetWindowPos(h, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
        return ClientPlace(h);
    };
    const RECT plainBare = bare(0), boxBare = bare(WS_BORDER), captionBare = bare(WS_CAPTION);
    struct {
        DWORD style;
        RECT bare;
    } const frames[] = {{0, plainBare}, {WS_BORDER, boxBare}};
    for (const auto& f : frames) {
        // One pixel on every side; the side bar takes 48 on the left.
        HWND h = Attach(Grid(), std::string(), 400, 300, f.style);
        RECT r = ClientPlace(h);
        EXPECT_EQ(f.bare.right - 2, r.right);
        EXPECT_EQ(f.bare.bottom - 2, r.bottom);
        EXPECT_EQ(f.bare.left + 1, r.left);
        EXPECT_EQ(f.bare.top + 1, r.top);
        SendMessageW(h, kSideBarMessage, 0, 1);
        r = ClientPlace(h);
        EXPECT_EQ(f.bare.right - 49, r.right);
        EXPECT_EQ(f.bare.left + 48, r.left);
        // HTMENU over the margin, the DataWindow's own answer over the client area.
        POINT margin = {-20, 30}, client = {20, 30};
        ClientToScreen(h, &margin);
        ClientToScreen(h, &client);
        EXPECT_EQ(HTMENU, SendMessageW(h, WM_NCHITTEST, 0, MAKELPARAM(margin.x, margin.y)));
        EXPECT_EQ(HTCLIENT, SendMessageW(h, WM_NCHITTEST, 0, MAKELPARAM(client.x, client.y)));
        // Print preview entered through a script-level modify takes the side bar away.
        ASSERT_EQ(1, pb->SetPrintPreview(h, 1));
        EXPECT_EQ(f.bare.right - 2, ClientPlace(h).right);
    }
    HWND captioned = Attach(Grid(), std::string(), 400, 300, WS_CAPTION);
    EXPECT_EQ(captionBare.right, ClientPlace(captioned).right);
    EXPECT_EQ(captionBare.bottom, ClientPlace(captioned).bottom);
}

namespace {

// Each colour message sets one colour; what every colour shows as on a
// context made from the grid's window context, or in the modify log.
constexpr COLORREF kNew = RGB(200, 30, 40);    // 2629320
constexpr COLORREF kSystemLight = 0xFFFFFFFF;  // GetSysColor(COLOR_3DLIGHT)

struct ColourMessage {
    const char* name;
    UINT message;
    std::vector<std::wstring> modifies;  // what the message writes
    COLORREF gridLine, border, selected, selectRow, alter;
    const wchar_t* oddRows;  // the odd-row colour the next stripes are written with
};

const ColourMessage kColourMessages[] = {
    {"line", 11025, {}, kNew, 0xB4B4B4, 0xFFD5AA, 0xFFD5AA, 0xFFFFFF, L"16777215"},
    {"border", 11026, {}, kSystemLight, kNew, 0xFFD5AA, 0xFFD5AA, 0xFFFFFF, L"16777215"},
    {"back",
     11027,
     {L"Datawindow.Detail.color='2629320 ~t if (mod(getrow(),2)=1,2629320,16777215)'"},
     kSystemLight,
     0xB4B4B4,
     0xFFD5AA,
     0xFFD5AA,
     0xFFFFFF,
     L"2629320"},
    {"alter",
     11028,
     {L"#1.background.mode='1'", L"#2.background.mode='1'",
      L"Datawindow.Detail.color='16777215 ~t if (mod(getrow(),2)=1,16777215,2629320)'"},
     kSystemLight,
     0xB4B4B4,
     0xFFD5AA,
     0xFFD5AA,
     kNew,
     L"16777215"},
    {"selected", 11029, {}, kSystemLight, 0xB4B4B4, kNew, 0xFFD5AA, 0xFFFFFF, L"16777215"},
    {"select_row", 11030, {}, kSystemLight, 0xB4B4B4, 0xFFD5AA, kNew, 0xFFFFFF, L"16777215"},
    {"hover", 11039, {L"DataWindow.Row.Resize='0'"}, kSystemLight, 0xB4B4B4, 0xFFD5AA, 0xFFD5AA, 0xFFFFFF, L"16777215"},
    {"unused_11024", 11024, {}, kSystemLight, 0xB4B4B4, 0xFFD5AA, 0xFFD5AA, 0xFFFFFF, L"16777215"},
    {"unused_11031", 11031, {}, kSystemLight, 0xB4B4B4, 0xFFD5AA, 0xFFD5AA, 0xFFFFFF, L"16777215"},
};

class ColourMessages : public TesselHost, public ::testing::WithParamInterface<ColourMessage> {};

}  // namespace

// A message setting another colour than its own, or a colour drawn in the wrong place.
TEST_P(ColourMessages, SetExactlyTheirOwnColour) {
    const ColourMessage& c = GetParam();
    HWND grid = Attach(Grid());  // 203 pixels of content in 400: no horizontal scroll bar
    ASSERT_FALSE(GetWindowLongW(grid, GWL_STYLE) & WS_HSCROLL);
    pb->ClearModifyLog(grid);
    SendMessageW(grid, c.message, 0, c.message == 11024 || c.message == 11031 ? 1 : kNew);
    EXPECT_EQ(c.modifies, pb->ModifyLog(grid));

    const COLORREF background = RGB(1, 2, 3);
    HDC window = GetDC(grid);
    {
        Dib dib(300, 80, window);  // paints as the DataWindow
        dib.Fill(background);
        HDC dc = dib.Dc();
        HPEN black = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));  // a thin line: a grid line
        HGDIOBJ oldPen = SelectObject(dc, black);
        MoveToEx(dc, 0, 5, nullptr);
        LineTo(dc, 100, 5);
        SelectObject(dc, oldPen);
        DeleteObject(black);
        EXPECT_EQ(c.gridLine == kSystemLight ? GetSysColor(COLOR_3DLIGHT) : c.gridLine, dib.At(50, 5)) << "grid line";
        HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(BLACK_BRUSH));  // a selected cell
        PatBlt(dc, 10, 20, 5, 5, PATCOPY);
        EXPECT_EQ(c.selected, dib.At(12, 22)) << "selected cell";
        HBRUSH highlight = CreateSolidBrush(GetSysColor(COLOR_HIGHLIGHT));  // a selected row
        SelectObject(dc, highlight);
        HRGN row = CreateRectRgn(10, 30, 60, 40);
        PaintRgn(dc, row);
        EXPECT_EQ(c.selectRow, dib.At(30, 35)) << "selected row";
        HBRUSH even = CreateSolidBrush(c.alter);  // an even row, cut at the content's right edge
        SelectObject(dc, even);
        HRGN wide = CreateRectRgn(0, 50, 300, 60);
        PaintRgn(dc, wide);
        EXPECT_EQ(c.alter, dib.At(100, 55)) << "even row";
        EXPECT_EQ(background, dib.At(280, 55)) << "even row beyond the content";
        SelectObject(dc, oldBrush);
        DeleteObject(row);
        DeleteObject(wide);
        DeleteObject(highlight);
        DeleteObject(even);
    }
    ReleaseDC(grid, window);
    RedrawWindow(grid, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    PumpMessages();
    const WindowSurface frame(grid, WindowSurface::WholeWindow);
    EXPECT_EQ(c.border == kNew, Reddish(frame.At(frame.Width() / 2, 0))) << "rounded border";
    pb->ClearModifyLog(grid);
    SendMessageW(grid, kAlterColorMessage, 0, 0);
    const std::vector<std::wstring> log = pb->ModifyLog(grid);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(
        L"Datawindow.Detail.color='" + std::wstring(c.oddRows) + L" ~t if (mod(getrow(),2)=1," + c.oddRows + L",0)'",
        log.back());
}

INSTANTIATE_TEST_SUITE_P(Messages, ColourMessages, ::testing::ValuesIn(kColourMessages),
                         [](const ::testing::TestParamInfo<ColourMessage>& info) {
                             return std::string(info.param.name);
                         });

// A double click on a button not reported by name, or reported for a non-button.
TEST_F(WindowProcedures, DoubleClickOnButtonObjects) {
    HWND form = Attach(
        L"release 10;\ndatawindow(units=1 processing=0)\nheader(height=0)\ndetail(height=200)\n"
        L"table(column=(type=long name=a dbname=\"a\"))\n"
        L"button(band=detail text=\"Ok\" x=\"10\" y=\"10\" height=\"30\" width=\"80\" name=B_ok)\n"
        L"button(band=detail text=\"Go\" x=\"110\" y=\"10\" height=\"30\" width=\"80\" name=b_go)\n"
        L"button(band=detail text=\"B\" x=\"210\" y=\"10\" height=\"30\" width=\"80\" name=b)\n"
        L"data(1)\n");
    SetForegroundWindow(pb->host());
    struct {
        int x, y, posted;
        const char* line;
    } const clicks[] = {{50, 25, 1, "B_ok\n"}, {150, 25, 1, "b_go\n"}, {250, 25, 0, nullptr}, {150, 150, 0, nullptr}};
    for (const auto& click : clicks) {
        POINT p = {click.x, click.y};
        ClientToScreen(form, &p);
        SetCursorPos(p.x, p.y);
        StdoutCapture capture;
        SendMessageW(form, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(click.x, click.y));
        const std::string out = capture.Stop();
        MSG down = {};
        EXPECT_EQ(click.posted, Posted(form, WM_LBUTTONDOWN, &down)) << click.x;
        if (click.posted) {
            EXPECT_EQ(0u, down.wParam);
            EXPECT_EQ(0, down.lParam);
            EXPECT_NE(std::string::npos, out.find(click.line)) << out;
        }
    }
}

// No refresh after a lost capture; page information asked at the wrong times or of a stranger.
TEST_F(WindowProcedures, LostCaptureScrollAndButtonRelease) {
    HWND grid = Attach(Grid());
    Posted(grid, kRefreshMessage);
    SetCapture(grid);
    ReleaseCapture();
    EXPECT_EQ(1, Posted(grid, kRefreshMessage));
    SendMessageW(grid, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 1), 0);
    EXPECT_EQ(1, Posted(grid, kPageInfoMessage));
    SendMessageW(grid, WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(0, Posted(grid, kPageInfoMessage));
    SendMessageW(grid, WM_LBUTTONUP, MK_SHIFT, MAKELPARAM(10, 40));
    EXPECT_EQ(1, Posted(grid, kPageInfoMessage));
    SendMessageW(grid, WM_LBUTTONUP, 0, MAKELPARAM(10, 40));
    EXPECT_EQ(0, Posted(grid, kPageInfoMessage));
    HWND other = Create(Grid());
    SendMessageW(other, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 1), 0);
    EXPECT_EQ(0, Posted(other, kPageInfoMessage));
}

// The edit text not centred on its font, or moved again after someone else placed it.
TEST_F(WindowProcedures, EditTextCentredOnceThenLeftAlone) {
    HWND grid = Attach(Grid());
    SetFocus(grid);
    SendMessageW(grid, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(120, 36));  // row 1, column b
    SendMessageW(grid, WM_LBUTTONUP, 0, MAKELPARAM(120, 36));
    SendMessageW(grid, WM_CHAR, L'x', 0);
    PumpMessages();
    HWND edit = pb->GetEditControl(grid);
    ASSERT_TRUE(edit && IsWindowVisible(edit));
    UpdateWindow(edit);
    RECT client, format = {};
    GetClientRect(edit, &client);
    // 12 points: 16 pixels at 96 dots per inch.
    ASSERT_NE(0, (client.bottom - 16) / 2 - 1);
    SendMessageW(edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    EXPECT_EQ((client.bottom - 16) / 2 - 1, format.top);
    RECT placed = {2, 3, client.right - 2, client.bottom - 1};
    SendMessageW(edit, EM_SETRECT, 0, reinterpret_cast<LPARAM>(&placed));
    InvalidateRect(edit, nullptr, TRUE);
    UpdateWindow(edit);
    SendMessageW(edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    EXPECT_EQ(3, format.top);
}

TEST_F(WindowProcedures, DebugLinesOfRuntimeMessages) {
    HWND grid = Attach(Grid());
    StdoutCapture capture;
    SendMessageW(grid, 1308, 0, 0);
    SendMessageW(grid, 1303, 0, 0);
    HWND window = pb->CreateRuntimeWindow(nullptr, L"runtime window", 0, 0, 100, 100);
    ASSERT_NE(nullptr, window);
    SendMessageW(window, 2060, 0x00050003, 7);
    DestroyWindow(window);
    const std::string out = capture.Stop();
    EXPECT_NE(std::string::npos, out.find("WM_DW_SORT\n")) << out;
    EXPECT_NE(std::string::npos, out.find("call print ...\n")) << out;
    EXPECT_NE(std::string::npos, out.find("FN_WindowWnd message:80C 50003 7    5 3\n")) << out;
}
