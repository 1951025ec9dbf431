#include "frame/runtime_binding.h"

#include <cwchar>
#include <cwctype>

#include "base/debug_log.h"
#include "datawindow/dw_list.h"
#include "base/file_version.h"
#include "intercept/intercept.h"

namespace {

bool StartsWith(const wchar_t* s, const wchar_t* prefix) { return wcsncmp(s, prefix, wcslen(prefix)) == 0; }

// The modules of an unversioned runtime (PowerBuilder 2019 R3 and later),
// by their upper-cased file names.
constexpr wchar_t kUnversionedVM[] = L"PBVM.DLL";
constexpr wchar_t kUnversionedEngine[] = L"PBDWE.DLL";
constexpr wchar_t kUnversionedSystem[] = L"PBSYSFUNC.DLL";

struct UnversionedModules {
    HMODULE vm = nullptr;
    HMODULE engine = nullptr;
    HMODULE system = nullptr;
};

// The upper-cased file name of a loaded module, without its folder; false
// for a module whose name cannot be read or has no folder.
bool UpperFileName(HMODULE h, wchar_t (&name)[261]) {
    wchar_t path[261] = {};
    DWORD n = GetModuleFileNameW(h, path, 260);
    if (n == 0) return false;
    path[260] = L'\0';
    const wchar_t* slash = wcsrchr(path, L'\\');
    if (!slash) return false;
    size_t len = 0;
    for (const wchar_t* p = slash + 1; *p && len < 260; ++p) name[len++] = static_cast<wchar_t>(towupper(*p));
    name[len] = L'\0';
    return true;
}

// A numbered runtime module: the generation's number is in its name.
void TakeNumbered(DWList& list, HMODULE h, const wchar_t* name) {
    const bool isDll = wcsstr(name, L".DLL") != nullptr;
    if (StartsWith(name, L"PBVM") && isDll) {
        wchar_t rest[261] = {};
        wcscpy(rest, name + 4);
        wchar_t* dot = wcsrchr(rest, L'.');
        if (!dot) return;
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

// The generation an unversioned virtual machine's file version stands for;
// 0 (with a debug line) when the module carries no readable version.
int GenerationOfModule(HMODULE h) {
    FileVersion version;
    HRSRC info = FindResourceW(h, MAKEINTRESOURCEW(VS_VERSION_INFO), MAKEINTRESOURCEW(16));  // RT_VERSION
    HGLOBAL loaded = info ? LoadResource(h, info) : nullptr;
    const void* block = loaded ? LockResource(loaded) : nullptr;
    if (!block || !ReadFileVersion(static_cast<const uint8_t*>(block), SizeofResource(h, info), &version)) {
        DebugLog("pbvm.dll : no file version\n");
        return 0;
    }
    return GenerationOfVersion(version);
}

void BindUnversioned(DWList& list, const UnversionedModules& found) {
    list.m_bUnversioned = 1;
    list.m_hPBVM = found.vm;
    list.m_hPBDWE = found.engine;
    list.m_hPBSYS = found.system;
    list.m_nPBVersion = GenerationOfModule(found.vm);
    // Only the prefix is known: the engine's own classes are recognised by
    // the module that registered them.
    wcscpy(list.m_szDWClass, L"pbdw");
}

}  // namespace

int ScanRuntimeModules(DWList& list) {
    UnversionedModules unversioned;
    for (HMODULE h = InterceptEnumerateModules(nullptr); h; h = InterceptEnumerateModules(h)) {
        wchar_t name[261] = {};
        if (!UpperFileName(h, name)) continue;
        if (wcscmp(name, kUnversionedVM) == 0) unversioned.vm = h;
        else if (wcscmp(name, kUnversionedEngine) == 0) unversioned.engine = h;
        else if (wcscmp(name, kUnversionedSystem) == 0) unversioned.system = h;
        else TakeNumbered(list, h, name);
    }
    // A numbered virtual machine wins; the unversioned runtime is bound only
    // without one, and then with its own engine and system modules.
    if (!list.m_hPBVM && unversioned.vm) BindUnversioned(list, unversioned);
    return list.m_nPBVersion;
}

void LoadRuntimeModules(DWList& list) {
    // A module the scan did not find is loaded by the generation's name (or
    // the unversioned runtime's fixed name) and freed again with the list.
    auto load = [&list](const wchar_t* format, const wchar_t* unversionedName, HMODULE& module, BOOL& loadedHere) {
        if (module) return;
        wchar_t name[64];
        if (list.m_bUnversioned) {
            wcscpy(name, unversionedName);
        } else {
            _snwprintf(name, 64, format, list.m_nPBVersion);
            name[63] = L'\0';
        }
        module = LoadLibraryW(name);
        if (module) loadedHere = 1;
    };
    load(L"pbsys%d.DLL", L"pbsysfunc.dll", list.m_hPBSYS, list.m_bFreePBSYS);
    load(L"pbdwe%d.DLL", L"pbdwe.dll", list.m_hPBDWE, list.m_bFreePBDWE);
}
