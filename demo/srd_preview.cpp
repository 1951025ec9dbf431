#include "srd_preview.h"

#include <cstdio>
#include <cwchar>

#include "cell_point.h"
#include "runtime_host.h"
#include "tessel_api.h"

namespace {

const UINT kHoverColorMessage = 11039;
const UINT kSideBarMessage = 11040;
const UINT kInfoTargetMessage = 11041;
// Rows made up for a source without data, typed after its table columns.
const LONG kSampleRows = 60;
const int kWidth = 600;
const int kHeight = 460;
const int kGap = 16;
const int kTop = 36;

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool CellPoint(const SrdPreview& preview, long row, long column, LPARAM* point) {
    return FindCellPoint(preview.runtime->hEngine, preview.hEnhanced, row, column, point);
}

// The first two columns with a cell on screen in row 1, in column order.
int VisibleColumns(const SrdPreview& preview, long* first, long* second) {
    int found = 0;
    LPARAM point;
    for (long c = 1; c <= 64 && found < 2; ++c) {
        if (!CellPoint(preview, 1, c, &point)) continue;
        (found == 0 ? *first : *second) = c;
        ++found;
    }
    return found;
}

void MouseOver(HWND window, LPARAM point, WPARAM keys = 0) {
    POINT screen = {static_cast<SHORT>(LOWORD(point)), static_cast<SHORT>(HIWORD(point))};
    ClientToScreen(window, &screen);
    SetCursorPos(screen.x, screen.y);
    SendMessageW(window, WM_MOUSEMOVE, keys, point);
}

HWND Label(const SrdPreview& preview, const wchar_t* text, int x, int y, int w) {
    HWND label = CreateWindowExW(0, L"STATIC", text, WS_CHILD | WS_VISIBLE, x, y, w, 20, preview.hMain, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    if (label) SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(preview.hFont), FALSE);
    return label;
}

}  // namespace

bool BuildSrdPreview(RuntimeHost& runtime, TesselApi& tessel, const std::wstring& srd, const std::wstring& settings,
                     SrdPreview& preview) {
    preview.runtime = &runtime;
    preview.tessel = &tessel;
    if (!runtime.CreateDataWindowFromFile) {
        fwprintf(stderr, L"demo: this stand-in runtime cannot open DataWindow source files\n");
        return false;
    }
    const int width = 2 * kWidth + 3 * kGap;
    const int height = kTop + kHeight + 120;
    preview.hMain = runtime.CreateRuntimeWindow(nullptr, L"Tessel2U preview", 0, 0, width, height);
    if (!preview.hMain) return false;
    preview.hFont =
        CreateFontW(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, CLEARTYPE_QUALITY, 0, L"Tahoma");
    const size_t slash = srd.find_last_of(L"\\/");
    const std::wstring name = slash == std::wstring::npos ? srd : srd.substr(slash + 1);
    Label(preview, (L"Without Tessel2U: " + name).c_str(), kGap, 10, kWidth);
    Label(preview, (L"With Tessel2U: " + name).c_str(), 2 * kGap + kWidth, 10, kWidth);
    preview.hPlain = runtime.CreateDataWindowFromFile(preview.hMain, srd.c_str(), kSampleRows, kGap, kTop, kWidth,
                                                      kHeight, WS_HSCROLL | WS_VSCROLL);
    preview.hEnhanced = runtime.CreateDataWindowFromFile(preview.hMain, srd.c_str(), kSampleRows, 2 * kGap + kWidth,
                                                         kTop, kWidth, kHeight, WS_HSCROLL | WS_VSCROLL);
    if (!preview.hPlain || !preview.hEnhanced) {
        wchar_t error[512] = {};
        if (runtime.GetLastError) runtime.GetLastError(error, 512);
        fwprintf(stderr, L"demo: %ls could not be opened: %ls\n", srd.c_str(), error);
        return false;
    }
    preview.hInfo =
        CreateWindowExW(WS_EX_CLIENTEDGE, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 2 * kGap + kWidth, kTop + kHeight + 10,
                        kWidth, 70, preview.hMain, nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(preview.hInfo, WM_SETFONT, reinterpret_cast<WPARAM>(preview.hFont), FALSE);

    tessel.AttachDatawindow(preview.hEnhanced, settings.c_str());
    SendMessageW(preview.hEnhanced, kSideBarMessage, 0, 1);
    SendMessageW(preview.hEnhanced, kHoverColorMessage, 0, RGB(255, 214, 120));
    SendMessageW(preview.hEnhanced, kInfoTargetMessage, 0, reinterpret_cast<LPARAM>(preview.hInfo));
    runtime.ScriptModify(preview.hEnhanced, L"DataWindow.Selected.Mouse=yes", nullptr, 0);
    Pump();
    return true;
}

void PlaySrdPreview(SrdPreview& preview) {
    RedrawWindow(preview.hMain, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump();
    long first = 0, second = 0;
    if (VisibleColumns(preview, &first, &second) == 0) return;  // no rows, or a layout without cells
    if (second == 0) second = first;
    LPARAM from, to, hover, away;
    // The mouse over row 7, then a selection of rows 3 to 5 over the first
    // two columns, whose frame is drawn last.
    if (CellPoint(preview, 1, first, &away) && CellPoint(preview, 7, first, &hover)) {
        MouseOver(preview.hEnhanced, away);
        MouseOver(preview.hEnhanced, hover);
    }
    if (CellPoint(preview, 3, first, &from) && CellPoint(preview, 5, second, &to)) {
        SendMessageW(preview.hEnhanced, WM_LBUTTONDOWN, MK_LBUTTON, from);
        MouseOver(preview.hEnhanced, to, MK_LBUTTON);
        SendMessageW(preview.hEnhanced, WM_LBUTTONUP, 0, to);
    }
}

void TearDownSrdPreview(SrdPreview& preview) {
    if (preview.tessel && preview.hEnhanced) preview.tessel->DettachDatawindow(preview.hEnhanced);
    if (preview.hMain) DestroyWindow(preview.hMain);
    if (preview.hFont) DeleteObject(preview.hFont);
    preview = SrdPreview();
}
