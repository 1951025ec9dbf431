#include "symbol_lookup.h"

#include <dbghelp.h>

#include <string>

namespace intercept {
namespace {

using ImagehlpApiVersionExFn = LPAPI_VERSION(WINAPI*)(LPAPI_VERSION);
using SymInitializeFn = BOOL(WINAPI*)(HANDLE, PCSTR, BOOL);
using SymSetOptionsFn = DWORD(WINAPI*)(DWORD);
using SymGetOptionsFn = DWORD(WINAPI*)(void);
using SymLoadModule64Fn = DWORD64(WINAPI*)(HANDLE, HANDLE, PCSTR, PCSTR, DWORD64, DWORD);
using SymGetModuleInfo64Fn = BOOL(WINAPI*)(HANDLE, DWORD64, PIMAGEHLP_MODULE64);
using SymFromNameFn = BOOL(WINAPI*)(HANDLE, PCSTR, PSYMBOL_INFO);

template <typename Fn>
bool Resolve(HMODULE dll, const char* name, Fn* fn) {
    *fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(dll, name)));
    return *fn != nullptr;
}

std::string ModulePath(HMODULE module) {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = GetModuleFileNameA(module, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0) return std::string();
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);  // truncated: try again with more room
    }
}

DWORD ImageSize(HMODULE module) {
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(module);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(reinterpret_cast<const BYTE*>(module) + dos->e_lfanew);
    return nt->OptionalHeader.SizeOfImage;
}

// dbghelp with the current process initialised once. It is not thread safe,
// so every lookup holds the lock; it stays loaded for the life of the process,
// like the modules the lookups load.
class SymbolEngine {
public:
    PVOID Find(HMODULE module, LPCSTR name) {
        AcquireSRWLockExclusive(&lock_);
        PVOID found = Start() ? Lookup(module, name) : nullptr;
        ReleaseSRWLockExclusive(&lock_);
        return found;
    }

private:
    bool Start() {
        if (tried_) return ready_;
        tried_ = true;
        HMODULE dll = LoadLibraryW(L"dbghelp.dll");
        if (dll == nullptr) return false;
        ImagehlpApiVersionExFn apiVersionEx = nullptr;
        SymInitializeFn initialize = nullptr;
        SymSetOptionsFn setOptions = nullptr;
        SymGetOptionsFn getOptions = nullptr;
        if (!Resolve(dll, "ImagehlpApiVersionEx", &apiVersionEx) || !Resolve(dll, "SymInitialize", &initialize) ||
            !Resolve(dll, "SymSetOptions", &setOptions) || !Resolve(dll, "SymGetOptions", &getOptions) ||
            !Resolve(dll, "SymLoadModule64", &loadModule_) || !Resolve(dll, "SymGetModuleInfo64", &moduleInfo_) ||
            !Resolve(dll, "SymFromName", &fromName_)) {
            FreeLibrary(dll);
            return false;
        }
        API_VERSION expected = {};
        expected.MajorVersion = 6;
        expected.MinorVersion = 1;
        expected.Revision = API_VERSION_NUMBER;
        apiVersionEx(&expected);
        process_ = GetCurrentProcess();
        if (!initialize(process_, nullptr, FALSE)) {
            FreeLibrary(dll);
            return false;
        }
        setOptions(getOptions() | SYMOPT_DEFERRED_LOADS | SYMOPT_FAIL_CRITICAL_ERRORS | SYMOPT_NO_PROMPTS);
        ready_ = true;
        return true;
    }

    PVOID Lookup(HMODULE module, LPCSTR name) {
        const std::string path = ModulePath(module);
        if (path.empty()) return nullptr;
        const auto base = static_cast<DWORD64>(reinterpret_cast<uintptr_t>(module));
        const DWORD size = ImageSize(module);
        // Zero with no error means dbghelp knows the module already.
        SetLastError(NO_ERROR);
        if (loadModule_(process_, nullptr, path.c_str(), nullptr, base, size) == 0 && GetLastError() != NO_ERROR) {
            return nullptr;
        }
        IMAGEHLP_MODULE64 info = {};
        info.SizeOfStruct = sizeof(info);
        if (!moduleInfo_(process_, base, &info)) return nullptr;

        // Qualified with the module, so that a name in another module is not found.
        const std::string qualified = std::string(info.ModuleName) + "!" + name;
        struct {
            SYMBOL_INFO info;
            char name[MAX_SYM_NAME];
        } symbol = {};
        symbol.info.SizeOfStruct = sizeof(SYMBOL_INFO);
        symbol.info.MaxNameLen = MAX_SYM_NAME;
        if (!fromName_(process_, qualified.c_str(), &symbol.info)) return nullptr;
        if (symbol.info.Address < base || symbol.info.Address >= base + size) return nullptr;
        return reinterpret_cast<PVOID>(static_cast<uintptr_t>(symbol.info.Address));
    }

    SRWLOCK lock_ = SRWLOCK_INIT;
    bool tried_ = false;
    bool ready_ = false;
    HANDLE process_ = nullptr;
    SymLoadModule64Fn loadModule_ = nullptr;
    SymGetModuleInfo64Fn moduleInfo_ = nullptr;
    SymFromNameFn fromName_ = nullptr;
};

SymbolEngine g_symbols;

}  // namespace

PVOID FindDebugSymbol(HMODULE module, LPCSTR name) { return g_symbols.Find(module, name); }

}  // namespace intercept
