#include "datawindow/attach_analysis.h"

#include <cwchar>
#include <string>

#include "datawindow/dw_number.h"
#include "datawindow/dw_object.h"
#include "datawindow/split_string.h"
#include "header/side_bar.h"

namespace {

const int kSideBarMargin = 48;

// The name after a syntax line's prefix, up to the first blank.
std::wstring NameAfter(const std::wstring& line, size_t prefixLength) {
    size_t end = line.find(L' ', prefixLength);
    return line.substr(prefixLength, end == std::wstring::npos ? std::wstring::npos : end - prefixLength);
}

int LeftMargin(const DWObject& dw) { return (dw.m_nProcessing == 1 && dw.m_bSideBar) ? kSideBarMargin : 1; }

}  // namespace

void AnalyseAttach(DWObject& dw, HWND hWnd) {
    dw.m_hWnd = hWnd;
    dw.m_ScrollSkin.m_hWnd = hWnd;
    dw.UpdateProcessing();
    const bool grid = dw.m_nProcessing == 1;

    dw.m_bPBUnits = DWNumber(dw.Describe(L"DataWindow.Units")) > 0 ? 0 : 1;
    dw.m_nDetailHeight = DWNumber(dw.Describe(L"DataWindow.Detail.Height"));
    dw.m_nHeaderHeight = DWNumber(dw.Describe(L"DataWindow.Header.Height"));

    const LONG style = GetWindowLongW(hWnd, GWL_STYLE);
    dw.m_bNoCaption = (style & (WS_BORDER | WS_DLGFRAME)) == 0 ? 1 : 0;

    // The sunken client edge goes; the frame change shows when the attach
    // completes and the frame is recalculated.
    if (!(dw.m_pfnSetBorder && dw.m_pfnSetBorder(hWnd, 0) != 0)) {
        const LONG exStyle = GetWindowLongW(hWnd, GWL_EXSTYLE);
        if ((exStyle & WS_EX_CLIENTEDGE) && dw.m_bNoCaption)
            SetWindowLongW(hWnd, GWL_EXSTYLE, exStyle & ~WS_EX_CLIENTEDGE);
    }

    if (grid) {
        const int n = dw.GetColumnCount();
        for (int i = 1; i <= n; ++i) {
            if (dw.DescribeF(L"#%d.visible", i) != L"1") continue;
            dw.ModifyF(L"#%d.Y='0'", i);
            dw.ModifyF(L"#%d.Height='%d'", i, dw.m_nDetailHeight - 4);
        }
    }

    // Two pixels in the DataWindow's vertical units: the border of a header text.
    const int border = dw.m_bPBUnits ? dw.ConvertUnits(2, 2) : 2;
    const std::wstring syntax = dw.Describe(L"DataWindow.Syntax");
    static const wchar_t kTextPrefix[] = L"text(name=";
    static const wchar_t kButtonPrefix[] = L"button(name=";
    const size_t textLen = wcslen(kTextPrefix), buttonLen = wcslen(kButtonPrefix);
    for (const std::wstring& line : SplitString(syntax, L"\n")) {
        if (grid && line.compare(0, textLen, kTextPrefix) == 0) {
            const std::wstring name = NameAfter(line, textLen);
            // A name too long to record is still prepared.
            dw.AddHeaderObject(name, kHeaderText);
            dw.ModifyF(L"%ls.Y='0'", name.c_str());
            const int height = dw.DescribeInt(L"%ls.Border", name.c_str()) > 0 ? dw.m_nHeaderHeight - border
                                                                                 : dw.m_nHeaderHeight;
            dw.ModifyF(L"%ls.Height='%d'", name.c_str(), height);
        } else if (line.compare(0, buttonLen, kButtonPrefix) == 0) {
            dw.AddHeaderObject(NameAfter(line, buttonLen), kButton);
        }
    }

    dw.m_clrHeader = static_cast<COLORREF>(DWNumber(dw.Describe(L"DataWindow.Header.Color")));
    dw.m_rcMargin.left = LeftMargin(dw);
}

void CompleteAttach(DWObject& dw) {
    dw.UpdateProcessing();
    dw.m_rcMargin.left = LeftMargin(dw);
    SetWindowPos(dw.m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
    dw.UpdateDWWidth();
    PaintSideBar(dw);
}
