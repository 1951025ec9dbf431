#include "base/library_paths.h"

#include <cwchar>

#include "base/debug_log.h"
#include "base/globals.h"

const wchar_t* LibraryFolder() {
    static wchar_t folder[MAX_PATH + 1];
    wchar_t path[MAX_PATH + 1] = {};
    DWORD n = GetModuleFileNameW(g_hModule, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) {
        folder[0] = L'\0';
        return folder;
    }
    wchar_t* slash = wcsrchr(path, L'\\');
    if (slash) *slash = L'\0';
    wcscpy(folder, path);
    return folder;
}

bool ResolveLibraryFile(const wchar_t* name, wchar_t* out, size_t cchMax) {
    if (!name || !out || cchMax == 0) return false;
    int n;
    if (wcschr(name, L'\\') == nullptr) n = _snwprintf(out, cchMax, L"%ls\\%ls", LibraryFolder(), name);
    else n = _snwprintf(out, cchMax, L"%ls", name);
    if (n < 0 || static_cast<size_t>(n) >= cchMax) {
        out[0] = L'\0';
        DebugLog("file name too long for %u characters\n", static_cast<unsigned>(cchMax));
        return false;
    }
    return true;
}
