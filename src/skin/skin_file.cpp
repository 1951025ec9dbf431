#include "skin/skin_file.h"

#include <cwchar>
#include <map>
#include <string>
#include <vector>

#include "base/debug_log.h"
#include "base/library_paths.h"
#include "base/real_functions.h"
#include "datawindow/repaint.h"
#include "skin/sys_color_table.h"
#include "skin/sys_color_line.h"
#include "skin/win_list.h"

namespace {

const DWORD kSectionCapacity = 2048000;
const size_t kPathCapacity = 1024;

// The section's colours replace the whole table (an empty section leaves
// none replaced).
void ReadSysColorSection(const wchar_t* path) {
    std::map<int, COLORREF> colours;
    std::vector<wchar_t> buffer(kSectionCapacity, L'\0');
    DWORD n = GetPrivateProfileSectionW(L"SysColor", buffer.data(), kSectionCapacity, path);
    if (n != 0) {
        for (const wchar_t* line = buffer.data(); *line; line += wcslen(line) + 1) {
            SysColorLine entry;
            if (!ReadSysColorLine(line, &entry)) continue;
            colours[entry.index] =
                entry.hasColour ? static_cast<COLORREF>(entry.colour) : Real_GetSysColor(entry.index);
        }
    }
    PublishSysColors(colours);
}

}  // namespace

void LoadSkinFile(WinList& list, const wchar_t* path) {
    if (!path) return;
    wchar_t full[kPathCapacity];
    if (!ResolveLibraryFile(path, full, kPathCapacity)) return;
    const DWORD attributes = GetFileAttributesW(full);
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        try {
            ReadSysColorSection(full);
        } catch (...) {
            DebugLog("SetSkinFile: out of memory reading section SysColor\n");
        }
    }
    try {
        list.m_strSkinFile = full;
    } catch (...) {
        DebugLog("SetSkinFile: out of memory, the skin path stays\n");
    }
    // Repainting may create or release skins of other windows: the windows
    // are taken first, and each skin is looked up again before it is reloaded.
    std::vector<HWND> windows;
    try {
        windows.reserve(list.m_mapSkins.size());
        for (const auto& entry : list.m_mapSkins)
            if (entry.second) windows.push_back(entry.first);
    } catch (...) {
        return;
    }
    for (HWND window : windows) {
        auto it = list.m_mapSkins.find(window);
        if (it == list.m_mapSkins.end() || !it->second) continue;
        it->second->LoadSkin(full);
        RepaintWithFrame(window);
    }
}
