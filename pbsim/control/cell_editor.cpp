#include "control/cell_editor.h"

#include <utility>
#include <vector>

#include "control/control_registry.h"

namespace pbsim {

namespace {

WNDPROC g_systemEditProcedure = nullptr;

bool IsNavigationKey(WPARAM key) {
    switch (key) {
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_RETURN:
    case VK_TAB: return true;
    default: return false;
    }
}

}  // namespace

bool RegisterEditClass(HINSTANCE module, const wchar_t* className, WNDPROC procedure) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    if (!GetClassInfoExW(nullptr, L"EDIT", &wc)) return false;
    g_systemEditProcedure = wc.lpfnWndProc;
    wc.cbSize = sizeof(wc);
    wc.style &= ~static_cast<UINT>(CS_GLOBALCLASS);
    wc.lpfnWndProc = procedure;
    wc.hInstance = module;
    wc.lpszClassName = className;
    return RegisterClassExW(&wc) != 0;
}

LRESULT EditProcedure(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_GETDLGCODE: return DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_HASSETSEL;
    case WM_KEYDOWN:
        // The DataWindow moves its current cell; the edit follows it there.
        if (IsNavigationKey(wParam)) {
            HWND parent = GetParent(edit);
            if (parent) SendMessageW(parent, WM_KEYDOWN, wParam, lParam);
            return 0;
        }
        break;
    case WM_CHAR:
        if (wParam == L'\r' || wParam == L'\t' || wParam == L'\n') return 0;
        break;
    default: break;
    }
    if (!g_systemEditProcedure) return DefWindowProcW(edit, message, wParam, lParam);
    return CallWindowProcW(g_systemEditProcedure, edit, message, wParam, lParam);
}

CellEditor::~CellEditor() {
    if (m_edit && IsWindow(m_edit)) DestroyWindow(m_edit);
}

bool CellEditor::Create() {
    if (m_edit && IsWindow(m_edit)) return true;
    m_edit = CreateWindowExW(0, EditClassName().c_str(), L"", WS_CHILD | ES_MULTILINE | ES_AUTOHSCROLL, 0, 0, 0, 0,
                             m_owner, nullptr, EngineModule(), nullptr);
    return m_edit != nullptr;
}

bool CellEditor::Visible() const { return m_edit && IsWindowVisible(m_edit); }

bool CellEditor::Show(const RECT& rect, const std::wstring& text, HFONT font, long row, int column) {
    Font incoming(font);
    if (!Create()) return false;
    m_row = row;
    m_column = column;
    SendMessageW(m_edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    m_font = std::move(incoming);  // the previous font is no longer selected
    SetWindowTextW(m_edit, text.c_str());
    SendMessageW(m_edit, EM_SETMODIFY, FALSE, 0);
    SendMessageW(m_edit, EM_SETSEL, 0, -1);
    SetWindowPos(m_edit, HWND_TOP, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, SWP_SHOWWINDOW);
    return true;
}

void CellEditor::Move(const RECT& rect) {
    if (!Visible()) return;
    SetWindowPos(m_edit, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void CellEditor::Hide() {
    if (!m_edit || !IsWindowVisible(m_edit)) return;
    const bool hadFocus = GetFocus() == m_edit;
    ShowWindow(m_edit, SW_HIDE);
    if (hadFocus) SetFocus(m_owner);
}

bool CellEditor::TakeChange(long* row, int* column, std::wstring* text) {
    if (!m_edit || !IsWindow(m_edit) || !SendMessageW(m_edit, EM_GETMODIFY, 0, 0)) return false;
    SendMessageW(m_edit, EM_SETMODIFY, FALSE, 0);
    const int length = GetWindowTextLengthW(m_edit);
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(m_edit, buffer.data(), length + 1);
    *row = m_row;
    *column = m_column;
    text->assign(buffer.data());
    return true;
}

}  // namespace pbsim
