#include "scene.h"

#include <cstdio>
#include <cwchar>
#include <string>

#include "cell_point.h"
#include "model/samples.h"
#include "runtime_host.h"
#include "staff_data.h"
#include "tessel_api.h"

const wchar_t* const kSceneNames[] = {L"overview", L"hover", L"selection", L"pageinfo", L"titles",
                                      L"progress", L"icons", L"skin",      L"preview"};
const int kSceneCount = sizeof(kSceneNames) / sizeof(kSceneNames[0]);

namespace {

// The private messages of an attached DataWindow, as a PowerBuilder script
// sends them: Send(Handle(dw_1), 11040, 0, 1).
const UINT kHoverColorMessage = 11039;
const UINT kSideBarMessage = 11040;
const UINT kInfoTargetMessage = 11041;
// How much lighter the icons are drawn (-255 to 255).
const int kIconBrightness = 40;
const int kStaffCount = 300;

// The client point in the middle of a visible cell of the grid (the top
// left corner when the cell is not on screen).
LPARAM CellPoint(const DemoScene& scene, long row, long column) {
    LPARAM point = MAKELPARAM(10, 10);
    FindCellPoint(scene.runtime->hEngine, scene.hGrid, row, column, &point);
    return point;
}

void MouseOver(HWND window, LPARAM point, WPARAM keys = 0) {
    POINT screen = {static_cast<SHORT>(LOWORD(point)), static_cast<SHORT>(HIWORD(point))};
    ClientToScreen(window, &screen);
    SetCursorPos(screen.x, screen.y);
    SendMessageW(window, WM_MOUSEMOVE, keys, point);
}

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void RedrawAll(HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

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
        EndPaint(hWnd, &ps);
        return 0;
    }
    return DefWindowProcW(hWnd, msg, wParam, lParam);
}

HWND Control(DemoScene& scene, const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w, int h) {
    HWND control = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, x, y, w, h,
                                   scene.hMain, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (control) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(scene.hFont), FALSE);
    return control;
}

void AddControls(DemoScene& scene) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = ToolbarProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = L"Tessel2UDemoToolbar";
    RegisterClassW(&wc);
    const std::wstring caption =
        L"Staff list of an application on the stand-in " + scene.runtime->Description() + L", enhanced by Tessel2U";
    Control(scene, L"STATIC", caption.c_str(), 0, 16, 8, 700, 20);
    // Buttons with icons on a strip in the button-face colour; "About" shows
    // the library's about box.
    Control(scene, L"BUTTON", L"iconfont{61639:8388608} Save   ", 0, 22, 36, 104, 26);
    Control(scene, L"BUTTON", L"iconfont{61473:0} Refresh   ", 0, 132, 36, 104, 26);
    scene.hAbout = Control(scene, L"BUTTON", L"iconfont{61530:12611584} About   ", 0, 242, 36, 104, 26);
    scene.hToolbar = Control(scene, wc.lpszClassName, L"", 0, 16, 32, 1028, 34);
    SetWindowPos(scene.hToolbar, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    Control(scene, L"STATIC", L"Departments", 0, 16, 74, 140, 18);
    scene.hList = scene.runtime->CreateRuntimeListBox(scene.hMain, 16, 94, 140, 150);
    if (scene.hList) {
        SendMessageW(scene.hList, WM_SETFONT, reinterpret_cast<WPARAM>(scene.hFont), FALSE);
        for (const wchar_t* dept :
             {L"All departments", L"Sales", L"R&D", L"Support", L"Finance", L"Marketing", L"Operations"})
            SendMessageW(scene.hList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(dept));
        SendMessageW(scene.hList, LB_SETCURSEL, 0, 0);
    }
    Control(scene, L"STATIC", L"Skinned scroll bar", 0, 40, 256, 116, 36);
    scene.hScrollBar = Control(scene, L"ScrollBar", L"", SBS_VERT, 16, 256, 17, 200);
    if (scene.hScrollBar) {
        SCROLLINFO info = {sizeof(info), SIF_ALL, 0, 100, 25, 20, 0};
        SetScrollInfo(scene.hScrollBar, SB_CTL, &info, FALSE);
        g_scrollBarProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(scene.hScrollBar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ScrollBarPaintProc)));
    }
    scene.hInfo = Control(scene, L"STATIC", L"Drag over cells to see their sum, average, maximum and minimum.", 0, 164,
                          480, 616, 76);
    Control(scene, L"STATIC",
            L"iconfont{61528:32768} 300 employees loaded    iconfont{61553:33023} late tasks are marked    "
            L"iconfont{61463:8421504} the rest on track",
            0, 164, 564, 600, 20);
    Control(scene, L"STATIC", L"Icons lightened by 40 (SetIconfont)", 0, 788, 408, 256, 20);
}

}  // namespace

bool BuildScene(RuntimeHost& runtime, TesselApi* tessel, DemoScene& scene) {
    scene.runtime = &runtime;
    scene.tessel = tessel;
    scene.hMain = runtime.CreateRuntimeWindow(nullptr, L"Staff - Tessel2U demo", 10, 10, 1060, 640);
    if (!scene.hMain) {
        fwprintf(stderr, L"demo: the application window could not be created\n");
        return false;
    }
    scene.hFont = CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
    AddControls(scene);
    const std::wstring rows = StaffRows(kStaffCount);
    scene.hGrid = runtime.CreateDataWindow(scene.hMain, kStaffGridSyntax, rows.c_str(), 164, 74, 616, 400, 0);
    scene.hGraph = runtime.CreateDataWindow(scene.hMain, kDepartmentGraphSyntax, nullptr, 788, 74, 256, 200, 0);
    scene.hForm = runtime.CreateDataWindow(scene.hMain, pbsim::kEmployeeFormSyntax, nullptr, 788, 282, 256, 116, 0);
    if (!scene.hGrid) {
        fwprintf(stderr, L"demo: the grid DataWindow could not be created\n");
        return false;
    }
    if (!tessel) return true;

    // As the application's open event does it, with the settings file beside
    // the library.
    tessel->ReplaceSysColor(COLOR_BTNFACE, RGB(232, 238, 246));
    tessel->SetIconfont(L"iconfont.ttf", kIconBrightness);
    tessel->AttachDatawindow(scene.hGrid, L"demo.ini");
    tessel->AddDatawindowTitle(scene.hGrid, L"Staff list", L"Tahoma", 10, 64);
    tessel->AddDatawindowTitle(scene.hGrid, L"stand-in data, December 2026", L"Tahoma", 8, 56);
    tessel->SetSpanTitle(scene.hGrid, L"emp_id,emp_name", L"Person", L"Tahoma", 9, 40);
    SendMessageW(scene.hGrid, kSideBarMessage, 0, 1);
    SendMessageW(scene.hGrid, kInfoTargetMessage, 0, reinterpret_cast<LPARAM>(scene.hInfo));
    SendMessageW(scene.hGrid, kHoverColorMessage, 0, RGB(255, 214, 120));
    scene.runtime->ScriptModify(scene.hGrid, L"DataWindow.Selected.Mouse=yes", nullptr, 0);
    if (scene.hGraph) tessel->AttachDatawindow(scene.hGraph, L"demo.ini");
    if (scene.hForm) tessel->AttachDatawindow(scene.hForm, L"demo.ini");
    return true;
}

bool PlayScene(const wchar_t* name, DemoScene& scene) {
    if (!scene.hGrid || !name) return false;
    TesselApi* tessel = scene.tessel;
    const std::wstring s = name;
    if (s == L"overview") {
    } else if (s == L"hover") {
        MouseOver(scene.hGrid, CellPoint(scene, 2, 2));  // a first cell, so that the next one is new
        MouseOver(scene.hGrid, CellPoint(scene, 5, 2));
    } else if (s == L"selection") {
        // English captions for the statistics, set for the whole process as
        // an application does once at its start; the other scenes keep the
        // library's default captions.
        if (tessel && tessel->SetInfoLabel) {
            tessel->SetInfoLabel(L"sumlabel", L"Sum");
            tessel->SetInfoLabel(L"avglabel", L"Average");
            tessel->SetInfoLabel(L"maxlabel", L"Maximum");
            tessel->SetInfoLabel(L"minlabel", L"Minimum");
        }
        const LPARAM from = CellPoint(scene, 3, 2), to = CellPoint(scene, 9, 4);
        SendMessageW(scene.hGrid, WM_LBUTTONDOWN, MK_LBUTTON, from);
        MouseOver(scene.hGrid, to, MK_LBUTTON);
        UpdateWindow(scene.hInfo);
    } else if (s == L"pageinfo") {
        // The user drags the scroll thumb down to the rows from 121 on.
        for (int position = 20; position <= 120; position += 20)
            SendMessageW(scene.hGrid, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, position), 0);
        Pump();
    } else if (s == L"titles") {
        if (tessel) tessel->ModifyDatawindowTitle(scene.hGrid, 1, L"Staff list: 300 employees", L"Tahoma", 11);
        RedrawAll(scene.hGrid);
    } else if (s == L"progress") {
        // A click on the salary header turns its sort mark around.
        ToggleSort(scene);
        UpdateWindow(scene.hGrid);
    } else if (s == L"icons") {
        if (tessel) tessel->SetIconfont(L"iconfont.ttf", -60);
        RedrawAll(scene.hMain);
    } else if (s == L"skin") {
        // The skin file beside the library recolours the system colours and
        // the scroll-bar skins; the host repaints what it paints itself.
        if (tessel) tessel->SetSkinFile(L"demo-skin.ini");
        RedrawAll(scene.hMain);
    } else if (s == L"preview") {
        scene.runtime->ScriptModify(scene.hGrid, L"DataWindow.Print.Preview=yes", nullptr, 0);
        Pump();
        UpdateWindow(scene.hGrid);
    } else {
        return false;
    }
    return true;
}

void ToggleSort(DemoScene& scene) {
    if (!scene.hGrid || !scene.runtime) return;
    scene.descending = !scene.descending;
    scene.runtime->ScriptModify(scene.hGrid,
                                scene.descending ? L"salary_t.Text='Salary sort:D'" : L"salary_t.Text='Salary sort:A'",
                                nullptr, 0);
}

void TearDownScene(DemoScene& scene) {
    if (scene.tessel) {
        for (HWND dw : {scene.hGrid, scene.hForm, scene.hGraph})
            if (dw) scene.tessel->DettachDatawindow(dw);
    }
    if (scene.hFont) DeleteObject(scene.hFont);
    scene.hFont = nullptr;
}
