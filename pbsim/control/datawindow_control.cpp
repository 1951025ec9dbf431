#include "control/datawindow_control.h"

#include <vector>

#include "control/content_painter.h"
#include "control/control_registry.h"
#include "control/gdi_objects.h"
#include "control/object_painter.h"
#include "control/page_view.h"
#include "runtime/exported_entry.h"

namespace pbsim {

namespace {

typedef LONG(WINAPI* PFN_PaintDC)(HWND, HDC);

POINT PointFromLParam(LPARAM lParam) {
    POINT point;
    point.x = static_cast<short>(LOWORD(lParam));
    point.y = static_cast<short>(HIWORD(lParam));
    return point;
}

// Thickness of the window frame around the client area and scroll bars, as
// the window's styles make it.
SIZE FrameInset(HWND window) {
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    const LONG_PTR exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
    SIZE inset = {0, 0};
    if (exStyle & WS_EX_CLIENTEDGE) {
        inset.cx += GetSystemMetrics(SM_CXEDGE);
        inset.cy += GetSystemMetrics(SM_CYEDGE);
    }
    if (style & WS_THICKFRAME) {
        inset.cx += GetSystemMetrics(SM_CXSIZEFRAME);
        inset.cy += GetSystemMetrics(SM_CYSIZEFRAME);
    } else if (style & WS_DLGFRAME) {
        inset.cx += GetSystemMetrics(SM_CXDLGFRAME);
        inset.cy += GetSystemMetrics(SM_CYDLGFRAME);
    } else if (style & WS_BORDER) {
        inset.cx += GetSystemMetrics(SM_CXBORDER);
        inset.cy += GetSystemMetrics(SM_CYBORDER);
    }
    return inset;
}

std::string ToUtf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    if (size <= 0) return std::string();
    std::string utf8(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &utf8[0], size, nullptr, nullptr);
    return utf8;
}

}  // namespace

DataWindowControl::DataWindowControl(HWND window, std::unique_ptr<DataWindowModel> model)
    : m_window(window), m_model(std::move(model)), m_editor(window) {}

LRESULT DataWindowControl::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
    case WM_SIZE: OnSize(); return 0;
    case WM_PAINT: OnPaint(); return 0;
    case WM_PRINTCLIENT: {
        PFN_PaintDC paint = ExportedEntry<PFN_PaintDC>(EngineModule(), "dwPaintDC");
        if (paint) paint(m_window, reinterpret_cast<HDC>(wParam));
        return 0;
    }
    case WM_ERASEBKGND: return 1;  // every paint covers the whole client area
    case WM_NCPAINT: {
        LRESULT result = 0;
        OnNcPaint(wParam, lParam, &result);
        return result;
    }
    case WM_VSCROLL: OnVScroll(wParam); return 0;
    case WM_HSCROLL: OnHScroll(wParam); return 0;
    case WM_MOUSEWHEEL: OnMouseWheel(wParam); return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: OnLButtonDown(PointFromLParam(lParam)); return 0;
    case WM_MOUSEMOVE: OnMouseMove(wParam, PointFromLParam(lParam)); return 0;
    case WM_LBUTTONUP: OnLButtonUp(); return 0;
    case WM_KEYDOWN: OnKeyDown(wParam); return 0;
    case WM_CHAR: OnChar(wParam, lParam); return 0;
    case WM_GETDLGCODE: return DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFOCUS: OnSetFocus(); return 0;
    default: break;
    }
    return DefWindowProcW(m_window, message, wParam, lParam);
}

const wchar_t* DataWindowControl::Modify(const std::wstring& text) {
    const CellBlock before = CurrentCellBlock();
    m_model->Modify(text);
    if (m_model->LastModifyOnlySelected()) {
        // Layout and scrolling stay; only the cells that changed are shown anew.
        PlaceEditor();
        InvalidateSelectionChange(before);
    } else {
        AfterChange();
    }
    return m_model->LastModifyError();
}

void DataWindowControl::AfterChange() {
    UpdateScrollBars();
    ScrollToX(m_hScroll);
    PlaceEditor();
    // A series of modifies asks for one repaint: once the whole client area is
    // invalid it stays so until the next paint.
    if (!m_wholeClientInvalid) {
        InvalidateRect(m_window, nullptr, FALSE);
        m_wholeClientInvalid = true;
    }
}

ControlLayout DataWindowControl::ClientLayout() const {
    PageArea area;
    area.width = ClientWidth();
    area.height = ClientHeight();
    area.firstRow = m_model->FirstRowOnPage();
    area.hScroll = m_hScroll;
    return ControlLayout(*m_model, area);
}

void DataWindowControl::PaintClient(HDC dc) {
    if (!dc) return;
    if (m_model->PrintPreview()) {
        PaintPreview(dc, *m_model, ClientWidth(), ClientHeight(), m_model->FirstRowOnPage());
        return;
    }
    const ControlLayout layout = ClientLayout();
    PagePaintOptions options;
    options.purpose = PaintPurpose::Screen;
    PaintPage(dc, layout, options);
}

void DataWindowControl::OnPaint() {
    PaintScope paint(m_window);
    m_wholeClientInvalid = false;
    if (!paint.Dc()) return;
    const int width = ClientWidth();
    const int height = ClientHeight();
    PFN_PaintDC paintDc = ExportedEntry<PFN_PaintDC>(EngineModule(), "dwPaintDC");
    if (!paintDc || width <= 0 || height <= 0) return;
    MemoryCanvas canvas(paint.Dc(), width, height);
    if (!canvas.Ok()) {
        paintDc(m_window, paint.Dc());
        return;
    }
    // Only the area the paint is for is drawn and copied.
    const RECT& area = paint.Area();
    IntersectClipRect(canvas.Dc(), area.left, area.top, area.right, area.bottom);
    paintDc(m_window, canvas.Dc());
    BitBlt(paint.Dc(), area.left, area.top, area.right - area.left, area.bottom - area.top, canvas.Dc(), area.left,
           area.top, SRCCOPY);
}

// The box between the two scroll bars is painted over the default frame.
void DataWindowControl::OnNcPaint(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    *result = DefWindowProcW(m_window, WM_NCPAINT, wParam, lParam);
    const LONG_PTR style = GetWindowLongPtrW(m_window, GWL_STYLE);
    if (!(style & WS_VSCROLL) || !(style & WS_HSCROLL)) return;
    WindowDcScope dc(m_window);
    if (!dc.Dc()) return;
    RECT window;
    GetWindowRect(m_window, &window);
    OffsetRect(&window, -window.left, -window.top);
    const SIZE inset = FrameInset(m_window);
    RECT box;
    box.right = window.right - inset.cx;
    box.bottom = window.bottom - inset.cy;
    box.left = box.right - GetSystemMetrics(SM_CXVSCROLL);
    box.top = box.bottom - GetSystemMetrics(SM_CYHSCROLL);
    FillRect(dc.Dc(), &box, GetSysColorBrush(COLOR_BTNFACE));
}

long DataWindowControl::Print(HDC dc) {
    CommitEditor();
    return PrintPages(dc, *m_model, L"DataWindow");
}

POINT DataWindowControl::MousePosition() const {
    POINT point = {0, 0};
    GetCursorPos(&point);
    ScreenToClient(m_window, &point);
    return point;
}

bool DataWindowControl::SelectRow(long row, bool select) {
    if (!m_model->SelectRow(row, select)) return false;
    InvalidateRect(m_window, nullptr, FALSE);
    return true;
}

long DataWindowControl::SetBorder(long flag) {
    const LONG_PTR exStyle = GetWindowLongPtrW(m_window, GWL_EXSTYLE);
    const LONG_PTR wanted = flag ? (exStyle | WS_EX_CLIENTEDGE) : (exStyle & ~static_cast<LONG_PTR>(WS_EX_CLIENTEDGE));
    if (wanted == exStyle) return 0;
    SetWindowLongPtrW(m_window, GWL_EXSTYLE, wanted);
    SetWindowPos(m_window, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
    return 1;
}

bool DataWindowControl::SaveAs(const std::wstring& fileName) const {
    if (fileName.empty()) return false;
    std::wstring text;
    for (long row = 1; row <= m_model->RowCount(); ++row) {
        for (int column = 1; column <= m_model->ColumnCount(); ++column) {
            if (column > 1) text += L'\t';
            text += m_model->CellText(row, column);
        }
        text += L"\r\n";
    }
    const std::string utf8 = ToUtf8(text);
    HANDLE file =
        CreateFileW(fileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = utf8.empty() || (WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr) &&
                                     written == utf8.size());
    CloseHandle(file);
    return ok;
}

std::wstring DataWindowControl::CurrentText() const {
    HWND edit = m_editor.Window();
    if (m_editor.Visible()) {
        const int length = GetWindowTextLengthW(edit);
        std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
        GetWindowTextW(edit, buffer.data(), length + 1);
        return buffer.data();
    }
    return m_model->CellText(m_model->CurrentRow(), m_model->CurrentColumn());
}

}  // namespace pbsim
