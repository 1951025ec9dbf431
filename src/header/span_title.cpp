#include "header/span_title.h"

#include <string>
#include <vector>

#include "datawindow/dw_number.h"
#include "datawindow/dw_object.h"
#include "datawindow/split_string.h"
#include "base/debug_log.h"
#include "datawindow/repaint.h"

namespace {

// "t_span_" and the list must fit the 31 characters of a header object name.
const size_t kMaxColumnList = 24;

const wchar_t* Text(LPCWSTR s) { return s ? s : L""; }

}  // namespace

int ApplySpanTitle(DWObject& dw, LPCWSTR columns, LPCWSTR caption, LPCWSTR face, int fontHeight, int grow) {
    const std::wstring list = Text(columns);
    const std::vector<std::wstring> parts = SplitString(list, L",;");
    if (parts.size() < 2) return 0;

    auto known = dw.m_mapSpan.find(list);
    if (known != dw.m_mapSpan.end() && !known->second.empty()) {
        const wchar_t* name = known->second.c_str();
        dw.ModifyF(L"%ls.text='%ls'", name, Text(caption));
        dw.ModifyF(L"%ls.font.face='%ls'", name, Text(face));
        dw.ModifyF(L"%ls.font.height='-%d'", name, fontHeight);
        return 1;
    }
    if (list.size() > kMaxColumnList) {
        DebugLogW(L"span title refused, column list longer than %d characters: %ls\n", static_cast<int>(kMaxColumnList),
                  list.c_str());
        return 0;
    }

    std::wstring sanitised = list;
    for (wchar_t& ch : sanitised)
        if (ch == L',' || ch == L';') ch = L'_';
    const std::wstring nameStr = L"t_span_" + sanitised;
    const wchar_t* name = nameStr.c_str();
    dw.m_mapSpan[list] = nameStr;

    const int T = dw.m_nTitleHeight;
    if (grow > 0) {
        dw.m_nHeaderHeight += grow;
        dw.ModifyF(L"DataWindow.Header.Height='%d'", T + dw.m_nHeaderHeight);
        for (const HeaderObject* obj : dw.m_vHeaderObjects)
            if (obj->kind == kHeaderText && obj->stretched)
                dw.ModifyF(L"%ls.height='%d'", obj->name, dw.m_nHeaderHeight - obj->top);
    }
    const int H = dw.m_nHeaderHeight;
    const wchar_t* first = parts.front().c_str();
    const wchar_t* last = parts.back().c_str();

    int firstX = 0, firstWidth = 0, lastX = 0, lastWidth = 0;
    dw.GetObjectXWidth(first, &firstX, &firstWidth);
    dw.GetObjectXWidth(last, &lastX, &lastWidth);
    const int spanX = firstX;
    const int spanWidth = lastX + lastWidth - firstX;
    DebugLog("result : nSpanX : %d\n", spanX);
    DebugLog("result : nSpanWidth : %d\n", spanWidth);

    std::wstring border = dw.DescribeF(L"%ls_t.Border", first);
    const std::wstring back = dw.DescribeF(L"%ls_t.background.color", first);
    const bool bordered = DWNumber(border) > 0;
    auto px = [&dw](int k) { return dw.m_bPBUnits ? dw.ConvertUnits(k, 2) : k; };
    const int h0 = H / 2 - (bordered ? px(2) : 0);
    if (border == L"0") border = L"4";

    dw.ModifyF(
        L"create text(band=Foreground alignment='2' text='%ls' border='%ls' color='0' x='%d' y='0' "
        L"height='%d' width='%d' html.valueishtml='0'  name=%ls visible='0'  font.face='%ls' "
        L"font.height='-%d' background.mode='2' background.color='%ls' )",
        Text(caption), border.c_str(), spanX, h0, spanWidth, name, Text(face), fontHeight, back.c_str());
    dw.ModifyF(L"%ls.x='1 ~t (long(describe(~'%ls_t.x~')) + 2)'", name, first);
    dw.ModifyF(L"%ls.y='1 ~t (long(describe(~'%ls_t.y~')) - %d - 4)'", name, first, H / 2 - px(1));
    DebugLog("Height %d %d\n", h0, H / 2);
    dw.ModifyF(L"%ls.height='%d'", name, h0 - px(1));
    dw.ModifyF(
        L"%ls.width='1 ~t (2 + long(describe(~'%ls_t.x~')) + long(describe(~'%ls_t.width~')) - "
        L"long(describe(~'%ls_t.x~')) - 4)'",
        name, last, last, first);

    dw.AddHeaderObject(nameStr, kSpanTitle);
    dw.SetColor(7, dw.m_clrHeader);

    for (const std::wstring& part : parts) {
        const int y = H / 2 + (bordered ? px(2) : 0) + T + px(1);
        dw.ModifyF(L"%ls_t.Y='%d'", part.c_str(), y);
        dw.ModifyF(L"%ls_t.height='%d'", part.c_str(), H - (bordered ? px(3) : 0) - y + T);
    }
    dw.Modify(L"DataWindow.Grid.ColumnMove='No'");
    dw.ModifyF(L"%ls.visible='1'", name);
    if (IsWindow(dw.m_hWnd)) RepaintWithFrame(dw.m_hWnd);
    return 1;
}
