#include "datawindow/attach_analysis.h"

#include <cwchar>
#include <string>
#include <vector>

#include "datawindow/dw_number.h"
#include "datawindow/dw_object.h"
#include "datawindow/row_geometry.h"
#include "datawindow/split_string.h"
#include "header/side_bar.h"

namespace {

const int kSideBarMargin = 48;

// The name after a syntax line's prefix, up to the first blank.
std::wstring NameAfter(const std::wstring& line, size_t prefixLength) {
    size_t end = line.find(L' ', prefixLength);
    return line.substr(prefixLength, end == std::wstring::npos ? std::wstring::npos : end - prefixLength);
}

bool StartsWith(const std::wstring& line, const wchar_t* prefix) {
    return line.compare(0, wcslen(prefix), prefix) == 0;
}

int LeftMargin(const DWObject& dw) { return (dw.m_nProcessing == 1 && dw.m_bSideBar) ? kSideBarMargin : 1; }

// An object of the header band and where the DataWindow put it.
struct HeaderPlace {
    std::wstring name;
    bool label = true;  // a text object; else a column or computed field
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

bool InHeaderBand(const DWObject& dw, const std::wstring& name) {
    return _wcsicmp(dw.DescribeF(L"%ls.Band", name.c_str()).c_str(), L"header") == 0;
}

HeaderPlace PlaceOf(const DWObject& dw, const std::wstring& name, bool label) {
    HeaderPlace place;
    place.name = name;
    place.label = label;
    place.x = dw.DescribeInt(L"%ls.X", name.c_str());
    place.y = dw.DescribeInt(L"%ls.Y", name.c_str());
    place.width = dw.DescribeInt(L"%ls.Width", name.c_str());
    place.height = dw.DescribeInt(L"%ls.Height", name.c_str());
    return place;
}

// Whether `other` lies under `label`: across some of its width, with its
// top below the label's middle.
bool Below(const HeaderPlace& other, const HeaderPlace& label) {
    if (&other == &label) return false;
    const bool across = other.x < label.x + label.width && label.x < other.x + other.width;
    return across && other.y > label.y + label.height / 2;
}

// The text objects of the header band of a grid become header cells. With
// one row of labels each is stretched over the whole header (y 0, the
// header's height). Labels on several rows, or columns and computed fields
// under the labels, keep the rows: a label above others keeps its place, a
// label of the lowest row reaches from its own top down to the header's
// bottom, or to the top of the field under it.
void PrepareHeaderTexts(DWObject& dw, const std::vector<std::wstring>& lines, int border) {
    std::vector<HeaderPlace> places;
    for (const std::wstring& line : lines) {
        const bool label = StartsWith(line, L"text(name=");
        if (!label && !StartsWith(line, L"column(name=") && !StartsWith(line, L"compute(name=")) continue;
        const std::wstring name = NameAfter(line, line.find(L'=') + 1);
        if (InHeaderBand(dw, name)) places.push_back(PlaceOf(dw, name, label));
    }
    bool rows = false;
    for (const HeaderPlace& label : places) {
        if (!label.label) continue;
        for (const HeaderPlace& other : places) rows = rows || Below(other, label);
    }
    for (const HeaderPlace& label : places) {
        if (!label.label) {
            dw.AddHeaderObject(label.name, kHeaderField);
            continue;
        }
        HeaderObject* record = dw.AddHeaderObject(label.name, kHeaderText);
        const wchar_t* name = label.name.c_str();
        const int inset = dw.DescribeInt(L"%ls.Border", name) > 0 ? border : 0;
        if (!rows) {
            dw.ModifyF(L"%ls.Y='0'", name);
            dw.ModifyF(L"%ls.Height='%d'", name, dw.m_nHeaderHeight - inset);
            continue;
        }
        bool labelBelow = false;
        int bottom = dw.m_nHeaderHeight;
        for (const HeaderPlace& other : places) {
            if (!Below(other, label)) continue;
            if (other.label) labelBelow = true;
            else if (other.y < bottom) bottom = other.y;
        }
        if (record) record->top = label.y;
        if (labelBelow) {
            if (record) record->stretched = false;
            continue;
        }
        dw.ModifyF(L"%ls.Height='%d'", name, bottom - label.y - inset);
    }
}

}  // namespace

void AnalyseAttach(DWObject& dw, HWND hWnd) {
    dw.m_hWnd = hWnd;
    dw.m_ScrollSkin.m_hWnd = hWnd;
    dw.UpdateProcessing();
    const bool grid = dw.m_nProcessing == 1;

    dw.m_bPBUnits = DWNumber(dw.Describe(L"DataWindow.Units")) > 0 ? 0 : 1;
    dw.m_nDetailHeight = DWNumber(dw.Describe(L"DataWindow.Detail.Height"));
    dw.m_nHeaderHeight = DWNumber(dw.Describe(L"DataWindow.Header.Height"));

    // Only a title bar (both bits of WS_CAPTION) keeps the frame as it is: a
    // box border (WS_BORDER alone) is a border, not a caption.
    const LONG style = GetWindowLongW(hWnd, GWL_STYLE);
    dw.m_bNoCaption = (style & WS_CAPTION) == WS_CAPTION ? 0 : 1;

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
    const std::vector<std::wstring> lines = SplitString(dw.Describe(L"DataWindow.Syntax"), L"\n");
    if (grid) PrepareHeaderTexts(dw, lines, border);
    for (const std::wstring& line : lines) {
        if (StartsWith(line, L"button(name=")) dw.AddHeaderObject(NameAfter(line, wcslen(L"button(name=")), kButton);
    }

    dw.m_clrHeader = static_cast<COLORREF>(DWNumber(dw.Describe(L"DataWindow.Header.Color")));
    dw.m_bGroupBands = grid && HasGroupBands(dw) ? 1 : 0;
    dw.m_rcMargin.left = LeftMargin(dw);
}

void CompleteAttach(DWObject& dw) {
    dw.m_bAttachPending = 0;
    dw.UpdateProcessing();
    dw.m_rcMargin.left = LeftMargin(dw);
    SetWindowPos(dw.m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
    dw.UpdateDWWidth();
    PaintSideBar(dw);
}
