#include "scene.h"

#include <cstdio>
#include <cwchar>

#include "model/samples.h"
#include "runtime_host.h"
#include "tessel_api.h"

namespace {

// The private messages that switch an attached grid's row-number side bar
// and name the window that shows its information texts.
const UINT kSideBarMessage = 11040;
const UINT kInfoTargetMessage = 11041;
// How much lighter the icons are drawn (-255 to 255).
const int kIconBrightness = 40;

// Client point of a cell of the employee grid (pixels at 96 dots per inch).
LPARAM CellPoint(int row, int column) {
    static const int kColumnX[] = {40, 120, 200, 280};
    return MAKELPARAM(kColumnX[column - 1], 20 + (row - 1) * 17 + 8);
}

void MouseOver(HWND window, LPARAM point) {
    POINT screen = {static_cast<SHORT>(LOWORD(point)), static_cast<SHORT>(HIWORD(point))};
    ClientToScreen(window, &screen);
    SetCursorPos(screen.x, screen.y);
    SendMessageW(window, WM_MOUSEMOVE, 0, point);
}

// The application's rows for the employee grid (the shared sample definition).
const wchar_t kEmployeeRows[] =
    L"101\tAnn Lee\tSales\t5200.5\n102\tBob Marsh\tSales\t4800\n103\tCarla Ortiz\tR&D\t6100.25\n"
    L"104\tDinh Van An\tR&D\t5950\n105\tEva Novak\tSupport\t3900\n106\tFarid Haddad\tSupport\t4100.75\n"
    L"107\tGrace O'Neil\tFinance\t7000\n108\tHiro Tanaka\tFinance\t6650.5\n109\tIvan Petrov\tSales\t4500\n"
    L"110\tJia Wen\tR&D\t6800.5\n111\tKofi Mensah\tSupport\t3950\n112\tLena Berg\tFinance\t7200\n";

// Salaries by department, as bars, and head counts as a line: the graph's
// polygons and polylines are drawn anti-aliased on an attached DataWindow.
const wchar_t kDepartmentGraph[] =
    L"release 10;\n"
    L"datawindow(units=1 processing=0 color=16777215 )\n"
    L"header(height=0)\n"
    L"detail(height=190 color=\"16777215\" )\n"
    L"table(column=(type=number name=sales dbname=\"sales\") column=(type=number name=rnd dbname=\"rnd\") "
    L"column=(type=number name=support dbname=\"support\") column=(type=number name=finance dbname=\"finance\"))\n"
    L"text(band=detail text=\"Salaries by department\" x=\"8\" y=\"2\" height=\"16\" width=\"200\" "
    L"name=t_title)\n"
    L"graph(band=detail x=\"8\" y=\"22\" height=\"160\" width=\"230\" graphtype=\"7\" "
    L"values=\"sales, rnd, support, finance\" series=\"rnd, sales, finance, support\" name=gr_salary "
    L"visible=\"1\" background.mode=\"0\" background.color=\"16777215\" )\n"
    L"data( 14500.5, 24850.75, 12050.75, 20850.5, )\n";

// The host paints the scroll-bar control itself, on a context from the
// exported BeginPaint, and lets the control draw on it: a context the library
// knows as the control's, so that its scroll-bar skin applies under Wine too
// (Wine's own paint of the control takes its context internally).
WNDPROC g_scrollBarProc = nullptr;

LRESULT CALLBACK ScrollBarPaintProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PAINT && wParam == 0 && g_scrollBarProc) {
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(hWnd, &ps);
        CallWindowProcW(g_scrollBarProc, hWnd, WM_PAINT, reinterpret_cast<WPARAM>(hdc), 0);
        EndPaint(hWnd, &ps);
        return 0;
    }
    return CallWindowProcW(g_scrollBarProc, hWnd, msg, wParam, lParam);
}

// A strip in the button-face colour, as the system reports it.
LRESULT CALLBACK ToolbarProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(hWnd, &ps);
        RECT rc;
        GetClientRect(hWnd, &rc);
        HBRUSH face = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
        FillRect(hdc, &rc, face);
        DeleteObject(face);
        SetBkMode(hdc, TRANSPARENT);
        SetTextColor(hdc, GetSysColor(COLOR_BTNTEXT));
        rc.left += 8;
        DrawTextW(hdc, L"Toolbar (button face)", -1, &rc, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
        EndPaint(hWnd, &ps);
        return 0;
    }
    return DefWindowProcW(hWnd, msg, wParam, lParam);
}

void AddSkinnedControls(HWND hMain, DemoScene& scene) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = ToolbarProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = L"Tessel2UDemoToolbar";
    RegisterClassW(&wc);
    scene.hToolbar = CreateWindowExW(0, wc.lpszClassName, L"", WS_CHILD | WS_VISIBLE, 630, 250, 250, 28, hMain,
                                     nullptr, wc.hInstance, nullptr);
    scene.hScrollBar = CreateWindowExW(0, L"ScrollBar", L"", WS_CHILD | WS_VISIBLE | SBS_VERT, 630, 290, 17, 200,
                                       hMain, nullptr, wc.hInstance, nullptr);
    if (!scene.hScrollBar) return;
    SCROLLINFO info = {sizeof(info), SIF_ALL, 0, 100, 25, 20, 0};
    SetScrollInfo(scene.hScrollBar, SB_CTL, &info, FALSE);
    g_scrollBarProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(scene.hScrollBar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ScrollBarPaintProc)));
}

}  // namespace

bool BuildScene(HWND hMain, RuntimeHost& runtime, TesselApi& tessel, DemoScene& scene) {
    scene.hGrid = runtime.CreateDataWindow(hMain, pbsim::kEmployeeGridSyntax, kEmployeeRows, 16, 40, 600, 360, 0);
    if (!scene.hGrid) {
        fwprintf(stderr, L"demo: the grid DataWindow could not be created\n");
        return false;
    }
    // A progress column: the salary against a target of 7,500, as a bar with
    // its percentage; the salary header carries a sort mark.
    scene.runtime = &runtime;
    scene.tessel = &tessel;
    runtime.ScriptModify(scene.hGrid,
                         L"create text(band=header alignment='2' text='Of target' border='0' color='0' x='1491' y='4' "
                         L"height='64' width='330' font.face='Tahoma' font.height='-10' font.weight='700' "
                         L"background.mode='1' name=target_t) "
                         L"create compute(band=detail x='1491' y='4' height='60' width='330' "
                         L"expression='~'progress{~' + string(long(salary / 75)) + ~':16758639:0}~'' name=c_target) "
                         L"salary_t.Text='Salary sort:D' "
                         // A status column whose texts carry icons of the icon font.
                         L"create text(band=header alignment='2' text='Status' border='0' color='0' x='1825' y='4' "
                         L"height='64' width='300' font.face='Tahoma' font.height='-10' font.weight='700' "
                         L"background.mode='1' name=status_t) "
                         L"create compute(band=detail x='1825' y='4' height='60' width='300' font.face='Tahoma' "
                         L"font.height='-10' expression='if(salary >= 6500, ~'iconfont{61445:33023} top~', "
                         L"if(salary < 4200, ~'iconfont{61553:255} review~', ~'iconfont{61452:32768} ok~'))' "
                         L"name=c_status)",
                         nullptr, 0);
    tessel.AttachDatawindow(scene.hGrid, L"demo.ini");
    // Two title rows and a title over the first two columns, as a PowerBuilder
    // script sets them up after the attach.
    tessel.AddDatawindowTitle(scene.hGrid, L"Staff list", L"Tahoma", 10, 64);
    tessel.AddDatawindowTitle(scene.hGrid, L"stand-in data, December 2026", L"Tahoma", 8, 56);
    tessel.SetSpanTitle(scene.hGrid, L"emp_id,emp_name", L"Person", L"Tahoma", 9, 40);
    // As a PowerBuilder script does it: Send(Handle(dw_1), 11040, 0, 1).
    SendMessageW(scene.hGrid, kSideBarMessage, 0, 1);
    scene.hFont = CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
    scene.hInfo = CreateWindowExW(0, L"STATIC", L"Drag over cells to see their sum, average, maximum and minimum.",
                                  WS_CHILD | WS_VISIBLE, 16, 410, 600, 80, hMain, nullptr, nullptr, nullptr);
    SendMessageW(scene.hGrid, kInfoTargetMessage, 0, reinterpret_cast<LPARAM>(scene.hInfo));
    runtime.ScriptModify(scene.hGrid, L"DataWindow.Selected.Mouse=yes", nullptr, 0);
    // Icons in the host window's own controls: buttons and a static text.
    // An icon is laid out as wide as one full-width ideograph of the font;
    // where the font has none (Wine without CJK fonts) it is narrower than
    // the glyph, so the button labels end in blanks that the icon may take.
    // The icon font is Font Awesome (iconfont.ttf beside the demo), a little
    // lightened.
    tessel.SetIconfont(L"iconfont.ttf", kIconBrightness);
    const HWND controls[] = {
        CreateWindowExW(0, L"BUTTON", L"iconfont{61639:8388608} Save   ", WS_CHILD | WS_VISIBLE, 656, 290, 110, 30,
                        hMain, nullptr, nullptr, nullptr),
        CreateWindowExW(0, L"BUTTON", L"iconfont{61473:0} Refresh   ", WS_CHILD | WS_VISIBLE, 772, 290, 110, 30, hMain,
                        nullptr, nullptr, nullptr),
        CreateWindowExW(0, L"STATIC", L"iconfont{61528:32768} Checks passed   iconfont{61553:33023} 2 warnings",
                        WS_CHILD | WS_VISIBLE, 656, 330, 226, 20, hMain, nullptr, nullptr, nullptr),
        CreateWindowExW(0, L"STATIC", L"Icons lightened by 40 (SetIconfont)", WS_CHILD | WS_VISIBLE, 656, 352, 226,
                        20, hMain, nullptr, nullptr, nullptr),
        scene.hInfo,
    };
    for (HWND control : controls) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(scene.hFont), FALSE);
    scene.hGraph = runtime.CreateDataWindow(hMain, kDepartmentGraph, nullptr, 630, 40, 250, 200, 0);
    if (scene.hGraph) tessel.AttachDatawindow(scene.hGraph, L"demo.ini");
    AddSkinnedControls(hMain, scene);
    return true;
}

void PlayScene(const wchar_t* name, DemoScene& scene) {
    if (!scene.hGrid || !name) return;
    if (wcscmp(name, L"skin") == 0) {
        // The skin file beside the library recolours the system colours and
        // the scroll-bar skins; the host repaints what it paints itself.
        if (scene.tessel && scene.tessel->SetSkinFile) scene.tessel->SetSkinFile(L"demo-skin.ini");
        HWND hMain = GetParent(scene.hGrid);
        RedrawWindow(hMain, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        return;
    }
    if (wcscmp(name, L"hover") == 0) {
        MouseOver(scene.hGrid, CellPoint(2, 2));  // a first cell, so that the next one is new
        MouseOver(scene.hGrid, CellPoint(5, 2));
    } else if (wcscmp(name, L"selection") == 0) {
        SendMessageW(scene.hGrid, WM_LBUTTONDOWN, MK_LBUTTON, CellPoint(3, 2));
        MouseOver(scene.hGrid, CellPoint(7, 4));
        UpdateWindow(scene.hInfo);
    }
}

void ToggleSort(DemoScene& scene) {
    if (!scene.hGrid || !scene.runtime) return;
    scene.descending = !scene.descending;
    scene.runtime->ScriptModify(scene.hGrid,
                                scene.descending ? L"salary_t.Text='Salary sort:D'" : L"salary_t.Text='Salary sort:A'",
                                nullptr, 0);
}

void TearDownScene(TesselApi& tessel, DemoScene& scene) {
    if (scene.hGrid) tessel.DettachDatawindow(scene.hGrid);
    if (scene.hForm) tessel.DettachDatawindow(scene.hForm);
    if (scene.hGraph) tessel.DettachDatawindow(scene.hGraph);
    if (scene.hFont) DeleteObject(scene.hFont);
    scene.hFont = nullptr;
}
