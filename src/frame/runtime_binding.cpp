#include "frame/runtime_binding.h"

#include <cwchar>
#include <cwctype>

#include "frame/dw_list.h"
#include "intercept/intercept.h"

namespace {

bool StartsWith(const wchar_t* s, const wchar_t* prefix) {
    return wcsncmp(s, prefix, wcslen(prefix)) == 0;
}

}  // namespace

int ScanRuntimeModules(DWList& list) {
    for (HMODULE h = InterceptEnumerateModules(nullptr); h; h = InterceptEnumerateModules(h)) {
        wchar_t path[261] = {};
        DWORD n = GetModuleFileNameW(h, path, 260);
        if (n == 0) continue;
        path[260] = L'\0';
        const wchar_t* slash = wcsrchr(path, L'\\');
        if (!slash) continue;
        wchar_t name[261] = {};
        size_t len = 0;
        for (const wchar_t* p = slash + 1; *p && len < 260; ++p) name[len++] = static_cast<wchar_t>(towupper(*p));
        name[len] = L'\0';
        const bool isDll = wcsstr(name, L".DLL") != nullptr;
        if (StartsWith(name, L"PBVM") && isDll) {
            wchar_t rest[261] = {};
            wcscpy(rest, name + 4);
            wchar_t* dot = wcsrchr(rest, L'.');
            if (!dot) continue;
            *dot = L'\0';
            int version = 0;
            for (const wchar_t* p = rest; *p >= L'0' && *p <= L'9'; ++p) version = version * 10 + (*p - L'0');
            list.m_hPBVM = h;
            list.m_nPBVersion = version;
            _snwprintf(list.m_szDWClass, 100, L"pbdw%d", version);
            list.m_szDWClass[99] = L'\0';
        } else if (StartsWith(name, L"PBSYS") && isDll) {
            list.m_hPBSYS = h;
        } else if (StartsWith(name, L"PBDWE") && isDll) {
            list.m_hPBDWE = h;
        }
    }
    return list.m_nPBVersion;
}

void LoadRuntimeModules(DWList& list) {
    // A module the scan did not find is loaded by the generation's name and
    // freed again with the list.
    auto load = [&list](const wchar_t* format, HMODULE& module, BOOL& loadedHere) {
        if (module) return;
        wchar_t name[64];
        _snwprintf(name, 64, format, list.m_nPBVersion);
        name[63] = L'\0';
        module = LoadLibraryW(name);
        if (module) loadedHere = 1;
    };
    load(L"pbsys%d.DLL", list.m_hPBSYS, list.m_bFreePBSYS);
    load(L"pbdwe%d.DLL", list.m_hPBDWE, list.m_bFreePBDWE);
}
