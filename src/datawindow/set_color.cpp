// Colour changes of a record and how each is applied to the DataWindow.
#include "datawindow/dw_object.h"

namespace {

void WriteStriping(const DWObject& dw, COLORREF odd, COLORREF even) {
    dw.ModifyF(L"Datawindow.Detail.color='%d ~t if (mod(getrow(),2)=1,%d,%d)'", static_cast<int>(odd),
               static_cast<int>(odd), static_cast<int>(even));
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
            // Transparent column backgrounds let the band colour show.
            const int n = GetColumnCount();
            for (int i = 1; i <= n; ++i)
                if (DescribeF(L"#%d.visible", i) == L"1") ModifyF(L"#%d.background.mode='1'", i);
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
