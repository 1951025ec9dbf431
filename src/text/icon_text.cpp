#include "text/icon_text.h"

#include <cwchar>
#include <new>
#include <string>

#include "datawindow/dw_list.h"
#include "base/globals.h"
#include "text/icon_font_renderer.h"
#include "text/icon_text_syntax.h"

namespace {

// Keeps the registry's flag set while the renderer draws, so that the text
// functions it calls itself pass straight through.
class InIconText {
public:
    explicit InIconText(DWList& list) : m_list(list) { m_list.m_bInIconText = 1; }
    ~InIconText() { m_list.m_bInIconText = 0; }
    InIconText(const InIconText&) = delete;
    InIconText& operator=(const InIconText&) = delete;

private:
    DWList& m_list;
};

bool IsIconText(const wchar_t* text) {
    if (!text) return false;
    const size_t length = std::wcslen(text);
    return length >= kMinIconTextLength && HasIconMarker(text, length);
}

int IconSize(HDC hdc) {
    LOGFONTW font = {};
    HGDIOBJ current = GetCurrentObject(hdc, OBJ_FONT);
    if (!current || !GetObjectW(current, sizeof font, &font)) font.lfHeight = 0;
    return (font.lfHeight < 0 ? -font.lfHeight : font.lfHeight) + 2;
}

bool FontFileExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

int DrawIconTextAt(const wchar_t* text, HDC hdc, int x, int y) {
    if (!g_pDWlist || !IsIconText(text)) return 0;
    InIconText drawing(*g_pDWlist);
    try {
        const std::wstring copy(text);
        IconFontRenderer renderer(g_pDWlist->m_strIconFont.c_str(), IconSize(hdc));
        return renderer.TextOutIcons(hdc, x, y, copy.c_str(), g_pDWlist->m_nIconLighten);
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

int DrawIconTextInRect(const wchar_t* text, RECT* rect, HDC hdc, UINT format) {
    if (!g_pDWlist || !rect || !IsIconText(text)) return 0;
    InIconText drawing(*g_pDWlist);
    try {
        const std::wstring copy(text);
        IconFontRenderer renderer(g_pDWlist->m_strIconFont.c_str(), IconSize(hdc));
        return renderer.DrawTextIcons(hdc, copy.c_str(), rect, format, g_pDWlist->m_nIconLighten);
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

int DrawIconTextCounted(const wchar_t* text, int count, HDC hdc, int x, int y) {
    // Text without the marker is declined before anything is copied.
    if (!g_pDWlist || count < 1 || !HasIconMarker(text, static_cast<size_t>(count))) return 0;
    InIconText drawing(*g_pDWlist);
    try {
        const std::wstring copy(text, static_cast<size_t>(count));
        if (!FontFileExists(g_pDWlist->m_strIconFont)) return 0;
        IconFontRenderer renderer(g_pDWlist->m_strIconFont.c_str(), IconSize(hdc));
        return renderer.TextOutIcons(hdc, x, y, copy.c_str(), g_pDWlist->m_nIconLighten) ? 1 : 0;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}
