// Calls between the runtime's modules (and within a module, to its own
// internal functions) go through the exported entry points, looked up by
// name, never through a direct call: an inline interception of one of these
// functions then sees every call the runtime makes to it.
#pragma once

#include <windows.h>

namespace pbsim {

// The export `name` of `module` as a function of type F; null when the
// module is null or has no such export.
template <class F>
F ExportedEntry(HMODULE module, const char* name) {
    if (!module || !name) return nullptr;
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// The internal functions that the modules call on each other, with their
// signatures. Both arguments are pointer-sized; the first names the
// DataWindow (its control window handle).
typedef LONG_PTR(WINAPI* PFN_RuntimeInternal)(LONG_PTR, LONG_PTR);

}  // namespace pbsim
