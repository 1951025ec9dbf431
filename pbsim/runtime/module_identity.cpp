#include "runtime/module_identity.h"

#include <cwctype>
#include <vector>

namespace pbsim {

ModuleIdentity IdentityFromFileName(const std::wstring& fileName) {
    ModuleIdentity identity;
    const size_t slash = fileName.find_last_of(L"\\/");
    const std::wstring name = slash == std::wstring::npos ? fileName : fileName.substr(slash + 1);
    size_t i = 0;
    while (i < name.size() && std::iswalpha(name[i])) ++i;
    long number = 0;
    while (i < name.size() && name[i] >= L'0' && name[i] <= L'9' && number < 100000) {
        number = number * 10 + (name[i] - L'0');
        ++i;
    }
    identity.generation = static_cast<int>(number);
    identity.lowerCase = !name.empty();
    std::wstring lower;
    for (wchar_t c : name) {
        if (std::iswupper(c)) identity.lowerCase = false;
        lower += static_cast<wchar_t>(std::towlower(c));
    }
    identity.unversioned = lower == L"pbvm.dll" || lower == L"pbdwe.dll" || lower == L"pbsysfunc.dll";
    return identity;
}

namespace {

int GenerationFromVersionResource(const wchar_t* path) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
    if (size == 0) return 0;
    std::vector<BYTE> block(size);
    if (!GetFileVersionInfoW(path, 0, size, block.data())) return 0;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || !fixed ||
        length < sizeof(VS_FIXEDFILEINFO))
        return 0;
    return HIWORD(fixed->dwFileVersionMS) * 10 + LOWORD(fixed->dwFileVersionMS);
}

}  // namespace

HMODULE OwnModule() {
    static HMODULE module = nullptr;
    if (!module) {
        // Any address inside this module names it.
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCWSTR>(&OwnModule), &module);
    }
    return module;
}

const ModuleIdentity& OwnIdentity() {
    static bool known = false;
    static ModuleIdentity identity;
    if (!known) {
        wchar_t path[MAX_PATH + 1] = {};
        const DWORD length = GetModuleFileNameW(OwnModule(), path, MAX_PATH);
        if (length > 0 && length < MAX_PATH) {
            identity = IdentityFromFileName(path);
            if (identity.unversioned) identity.generation = GenerationFromVersionResource(path);
        }
        known = true;
    }
    return identity;
}

std::wstring SiblingModuleName(RuntimeModule module) {
    const ModuleIdentity& own = OwnIdentity();
    if (own.unversioned) {
        switch (module) {
        case RuntimeModule::VirtualMachine: return L"pbvm.dll";
        case RuntimeModule::Engine: return L"pbdwe.dll";
        case RuntimeModule::System: return L"pbsysfunc.dll";
        }
    }
    const wchar_t* format = nullptr;
    switch (module) {
    case RuntimeModule::VirtualMachine: format = own.lowerCase ? L"pbvm%d.dll" : L"PBVM%d.DLL"; break;
    case RuntimeModule::Engine: format = own.lowerCase ? L"pbdwe%d.dll" : L"pbdwe%d.DLL"; break;
    case RuntimeModule::System: format = own.lowerCase ? L"pbsys%d.dll" : L"pbsys%d.DLL"; break;
    }
    wchar_t name[64] = {};
    swprintf(name, 64, format, own.generation);
    return name;
}

std::wstring GenerationName(const wchar_t* format) {
    wchar_t name[64] = {};
    if (format) swprintf(name, 64, format, OwnIdentity().generation);
    std::wstring formed = name;
    if (format && OwnIdentity().unversioned) formed += L'u';
    return formed;
}

HMODULE LoadedSibling(RuntimeModule module) { return GetModuleHandleW(SiblingModuleName(module).c_str()); }

}  // namespace pbsim
