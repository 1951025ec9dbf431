// Section "datawindow" of a DataWindow's settings file.
#include <cwchar>

#include "datawindow/dw_object.h"
#include "frame/debug_log.h"
#include "frame/globals.h"
#include "frame/repaint.h"

namespace {

const wchar_t kSection[] = L"datawindow";
const size_t kPathCapacity = 1024;

COLORREF ReadColor(const wchar_t* key, COLORREF current, const wchar_t* path) {
    return static_cast<COLORREF>(GetPrivateProfileIntW(kSection, key, static_cast<INT>(current), path));
}

}  // namespace

void DWObject::LoadSettings(const wchar_t* fileName) {
    // Defaults first, whatever happens next.
    m_nLineStyle = 0;
    m_clrGridLine = GetSysColor(COLOR_3DLIGHT);
    m_clrBorder = 0xB4B4B4;
    m_clrBack = 0xFFFFFF;
    m_clrSelectRow = 0xFFD5AA;
    m_clrSelected = 0xFFD5AA;
    m_clrAlter = 0xFFFFFF;
    m_clrHover = 0xFFFFFF;
    m_clrHeader = 0xFFFFFF;

    if (!fileName || wcslen(fileName) < 5) return;
    wchar_t path[kPathCapacity];
    if (!ResolveLibraryFile(fileName, path, kPathCapacity)) {
        DebugLogW(L"settings file name too long, defaults stay: %.200ls\n", fileName);
        return;
    }
    const DWORD attributes = GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return;

    SetLastError(0);
    m_nLineStyle = static_cast<int>(GetPrivateProfileIntW(kSection, L"lineStyle", m_nLineStyle, path));
    m_clrGridLine = ReadColor(L"lineColor", m_clrGridLine, path);
    m_clrBorder = ReadColor(L"borderColor", m_clrBorder, path);
    m_clrBack = ReadColor(L"backColor", m_clrBack, path);
    m_clrSelectRow = ReadColor(L"SelectRowColor", m_clrSelectRow, path);
    m_clrSelected = ReadColor(L"SelectedColor", m_clrSelected, path);
    m_clrAlter = ReadColor(L"AlterColor", m_clrAlter, path);
    m_clrHover = ReadColor(L"HoverColor", m_clrHover, path);
    m_clrHeader = ReadColor(L"HeaderColor", m_clrHeader, path);

    m_ScrollSkin.LoadSkin(path);

    SetColor(3, m_clrAlter);
    SetColor(7, m_clrHeader);
    SetColor(2, m_clrBack);

    RepaintWithFrame(m_hWnd);
}
