// Loaded modules in address order: the walk goes up the address space region
// by region from just above the previous module and stops at the next image
// the loader knows, so the order is stable however modules were loaded.
#include <windows.h>

#include <cstdint>

#include "intercept/intercept.h"
#include "memory_access.h"

namespace {

bool IsLoadedModule(const BYTE* base) {
    if (intercept::ReadableLength(base, sizeof(IMAGE_DOS_HEADER)) < sizeof(IMAGE_DOS_HEADER)) return false;
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE || dos->e_lfanew <= 0) return false;
    const BYTE* nt = base + dos->e_lfanew;
    if (intercept::ReadableLength(nt, sizeof(IMAGE_NT_HEADERS)) < sizeof(IMAGE_NT_HEADERS)) return false;
    if (reinterpret_cast<const IMAGE_NT_HEADERS*>(nt)->Signature != IMAGE_NT_SIGNATURE) return false;
    // An image mapped as data or resource is not a module.
    HMODULE known = nullptr;
    return GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              reinterpret_cast<LPCWSTR>(base), &known) &&
           reinterpret_cast<const BYTE*>(known) == base;
}

}  // namespace

HMODULE InterceptEnumerateModules(HMODULE hModuleLast) {
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    const uintptr_t granularity = system.dwAllocationGranularity;
    const auto highest = reinterpret_cast<uintptr_t>(system.lpMaximumApplicationAddress);
    const auto last = reinterpret_cast<uintptr_t>(hModuleLast);
    if (last >= highest) return nullptr;
    uintptr_t at = last == 0 ? granularity : last - last % granularity + granularity;
    while (at < highest) {
        MEMORY_BASIC_INFORMATION info;
        if (VirtualQuery(reinterpret_cast<void*>(at), &info, sizeof(info)) != sizeof(info)) break;
        const auto* base = static_cast<const BYTE*>(info.BaseAddress);
        if (info.State == MEM_COMMIT && info.Type == MEM_IMAGE && info.AllocationBase == info.BaseAddress &&
            IsLoadedModule(base)) {
            return reinterpret_cast<HMODULE>(const_cast<BYTE*>(base));
        }
        const uintptr_t next = reinterpret_cast<uintptr_t>(info.BaseAddress) + info.RegionSize;
        if (next <= at) break;
        at = next;
    }
    return nullptr;
}
