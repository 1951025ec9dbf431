// Colour changes of a record and how each is applied to the DataWindow.
#include <cwchar>
#include <string>

#include "datawindow/dw_number.h"
#include "datawindow/dw_object.h"

namespace {

// Whether a column shows a background colour of its own that the stripes must
// not replace: opaque, and neither white, the window colour, the transparent
// colour nor the detail band's own colour. A colour expression is the DataWindow's own
// design too.
bool KeepsOwnBackground(const DWObject& dw, int column, int bandColor) {
    // Mode 1 is transparent; 0 and the 2 of newer exports are opaque.
    if (dw.DescribeInt(L"#%d.background.mode", column) == 1) return false;
    // An expression is described as "default<tab>expression", in quotes.
    const std::wstring color = dw.DescribeF(L"#%d.background.color", column);
    if (color.find(L'\t') != std::wstring::npos || color.find(L"~t") != std::wstring::npos) return true;
    const int value = DWNumber(color.c_str() + (color.compare(0, 1, L"\"") == 0 ? 1 : 0));
    return value != 16777215 && value != 1073741824 && value != 536870912 && value != bandColor;
}

// Odd rows in one colour, even rows in the other. Each Modify makes the
// DataWindow redo its layout, so stripes that the band still shows are not
// written again.
void WriteStriping(DWObject& dw, COLORREF odd, COLORREF even) {
    wchar_t text[128];
    swprintf(text, sizeof text / sizeof text[0], L"Datawindow.Detail.color='%d ~t if (mod(getrow(),2)=1,%d,%d)'",
             static_cast<int>(odd), static_cast<int>(odd), static_cast<int>(even));
    if (!dw.m_sStripesWritten.empty() && dw.m_sStripesWritten == text &&
        dw.Describe(L"DataWindow.Detail.Color") == dw.m_sStripesDescribed)
        return;
    const std::wstring described = dw.Modify(text) == nullptr ? dw.Describe(L"DataWindow.Detail.Color") : L"";
    // "!" and "?" are the runtime's describe errors: nothing to compare with.
    if (!described.empty() && described != L"!" && described != L"?") {
        dw.m_sStripesWritten = text;
        dw.m_sStripesDescribed = described;
    } else {
        dw.m_sStripesWritten.clear();
        dw.m_sStripesDescribed.clear();
    }
}

}  // namespace

void DWObject::SetColor(int kind, COLORREF clr) {
    const bool grid = m_nProcessing == 1;
    switch (kind) {
    case 0: m_clrGridLine = clr; break;
    case 1: m_clrBorder = clr; break;
    case 2:
        m_clrBack = clr;
        if (grid) WriteStriping(*this, clr, m_clrAlter);
        break;
    case 3:
        m_clrAlter = clr;
        if (grid) {
            // Transparent column backgrounds let the band colour show, except
            // where a column has a colour of its own.
            const int n = GetColumnCount();
            const int bandColor = DescribeInt(L"DataWindow.Detail.Color");
            for (int i = 1; i <= n; ++i)
                if (DescribeF(L"#%d.visible", i) == L"1" && !KeepsOwnBackground(*this, i, bandColor))
                    ModifyF(L"#%d.background.mode='1'", i);
            WriteStriping(*this, m_clrBack, clr);
        }
        break;
    case 4: m_clrSelected = clr; break;
    case 5: m_clrSelectRow = clr; break;
    case 6:
        m_clrHover = clr;
        Modify(L"DataWindow.Row.Resize='0'");
        break;
    case 7:
        m_clrHeader = clr;
        if (grid) {
            for (const HeaderObject* obj : m_vHeaderObjects)
                if (obj->kind == kHeaderText || obj->kind == kSpanTitle)
                    ModifyF(L"%ls.Background.color='%d'", obj->name, static_cast<int>(m_clrHeader));
        }
        break;
    default: break;
    }
}
