#include "header/title_rows.h"

#include <string>

#include "datawindow/dw_object.h"
#include "datawindow/repaint.h"

namespace {

const wchar_t kLine[] = L"ln_title_line";

const wchar_t* Text(LPCWSTR s) { return s ? s : L""; }

std::wstring TitleName(int n) { return L"t_tessel2_title_" + std::to_wstring(n); }

}  // namespace

int AddTitleRow(DWObject& dw, LPCWSTR text, LPCWSTR face, int fontHeight, int height) {
    if (height <= 0) return 0;
    // The name is kept even if the creation fails, so numbers are never reused.
    const std::wstring name = TitleName(static_cast<int>(dw.m_vTitleNames.size()) + 1);
    dw.m_vTitleNames.push_back(name);

    int x = 0, width = 0;
    std::wstring column;
    dw.FindRightmostColumn(&x, &width, &column);
    const int right = x + width;
    const wchar_t* c = column.c_str();

    dw.ModifyF(
        L"create text(band=Foreground alignment='2' text='%ls' border='0' color='0' x='0' y='0' height='%d' "
        L"width='%d' html.valueishtml='0'  name=%ls visible='1'  font.face='%ls' font.height='-%d' "
        L"background.mode='2' background.color='33554431' )",
        Text(text), height, right, name.c_str(), Text(face), fontHeight);
    const std::wstring band = dw.DescribeF(L"%ls.Band", name.c_str());
    if (!band.empty() && band != L"!") {
        dw.m_nTitleHeight += height;
        const int total = dw.m_nTitleHeight;
        dw.ModifyF(L"%ls.width='1 ~t (long(describe(~'%ls_t.x~')) + long(describe(~'%ls_t.width~')) + 8)'",
                   name.c_str(), c, c);
        if (dw.DescribeF(L"%ls.band", kLine) == L"!") {
            dw.ModifyF(
                L"create line(band=foreground x1='%d' y1='%d' x2='%d' y2='%d' name=%ls visible='1' "
                L"pen.style='0' pen.width='5')",
                0, total, right, total, kLine);
            dw.ModifyF(L"%ls.x2='1 ~t (long(describe(~'%ls_t.x~')) + long(describe(~'%ls_t.width~')))'", kLine, c, c);
        } else {
            dw.ModifyF(L"%ls.y1='%d'", kLine, total);
            dw.ModifyF(L"%ls.y2='%d'", kLine, total);
        }
        // The newest title is the top row: the earlier ones move down.
        for (size_t i = 0; i + 1 < dw.m_vTitleNames.size(); ++i) {
            const wchar_t* earlier = dw.m_vTitleNames[i].c_str();
            dw.ModifyF(L"%ls.y='%d'", earlier, dw.DescribeInt(L"%ls.y", earlier) + height);
        }
        dw.ModifyF(L"Datawindow.Header.Height='%d'", dw.m_nHeaderHeight + total);
        for (const HeaderObject* obj : dw.m_vHeaderObjects) {
            if (obj->kind != kHeaderText && obj->kind != kHeaderField) continue;
            dw.ModifyF(L"%ls.Y='%d'", obj->name, dw.DescribeInt(L"%ls.Y", obj->name) + height);
        }
    }
    if (IsWindow(dw.m_hWnd)) RepaintWithFrame(dw.m_hWnd);
    return static_cast<int>(dw.m_vTitleNames.size());
}

int ModifyTitleRow(DWObject& dw, int n, LPCWSTR text, LPCWSTR face, int fontHeight) {
    const std::wstring name = TitleName(n);
    if (dw.DescribeF(L"%ls.Band", name.c_str()) == L"!") return 0;
    dw.ModifyF(L"%ls.text='%ls'", name.c_str(), Text(text));
    dw.ModifyF(L"%ls.font.face='%ls'", name.c_str(), Text(face));
    dw.ModifyF(L"%ls.font.height='-%d'", name.c_str(), fontHeight);
    return 1;
}
