// Finding a function that is not imported: by export first, then by name in
// the module's debug symbols.
#include <windows.h>

#include <dbghelp.h>

#include <cstring>

#include "intercept/intercept.h"
#include "symbol_lookup.h"

PVOID InterceptFindFunction(LPCSTR pszModule, LPCSTR pszFunction) {
    // A null, empty or ordinal-like name finds nothing.
    if (pszModule == nullptr || pszFunction == nullptr || IS_INTRESOURCE(pszModule) || IS_INTRESOURCE(pszFunction) ||
        pszModule[0] == '\0' || pszFunction[0] == '\0') {
        return nullptr;
    }
    // The module stays loaded: the caller keeps the address it is given.
    HMODULE module = LoadLibraryA(pszModule);
    if (module == nullptr) return nullptr;
    if (FARPROC exported = GetProcAddress(module, pszFunction)) {
        return reinterpret_cast<PVOID>(exported);
    }
    // No symbol name is that long; dbghelp is not given the chance to choke on it.
    if (strnlen(pszFunction, MAX_SYM_NAME) >= MAX_SYM_NAME) return nullptr;
    return intercept::FindDebugSymbol(module, pszFunction);
}
