// Section "datawindow" of a DataWindow's settings file.
#include <cwchar>

#include "datawindow/dw_object.h"
#include "datawindow/settings_keys.h"
#include "base/debug_log.h"
#include "base/library_paths.h"
#include "datawindow/repaint.h"

namespace {

const size_t kPathCapacity = 1024;

}  // namespace

void DWObject::LoadSettings(const wchar_t* fileName) {
    // Defaults first, whatever happens next.
    SetIniDefaults(*this, kDataWindowKeys);
    m_InfoLabels.Clear();

    if (!fileName || wcslen(fileName) < 5) return;
    wchar_t path[kPathCapacity];
    if (!ResolveLibraryFile(fileName, path, kPathCapacity)) {
        DebugLogW(L"settings file name too long, defaults stay: %.200ls\n", fileName);
        return;
    }
    const DWORD attributes = GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return;

    SetLastError(0);
    ReadIniKeys(*this, kDataWindowKeys, kDataWindowSection, path);
    if (const IniSection* section = CachedIniSection(path, kDataWindowSection)) m_InfoLabels.Read(*section);
    else m_InfoLabels.ReadProfile(kDataWindowSection, path);

    m_ScrollSkin.LoadSkin(path);

    SetColor(3, m_clrAlter);
    SetColor(7, m_clrHeader);
    SetColor(2, m_clrBack);

    RepaintWithFrame(m_hWnd);
}
