// Which code an attach patches, given the address in the real-entry variable.
//
// Two kinds of entry lead elsewhere and are followed: an import thunk
// (jmp through a slot of a loaded module's import address table: the code
// that runs is the imported function), and a hot-patched entry (a short jump
// back into the five bytes above the entry, which hold a long jump that
// another tool wrote): there the long jump is what gets patched, so that the
// other tool's replacement keeps being called through the trampoline. Any
// other jump at an entry is code of the function, copied like the rest.
#pragma once

#include <windows.h>

namespace intercept {

BYTE* ResolveTarget(BYTE* entry);

// True when slot lies in the import address table of a loaded module.
bool IsImportAddressSlot(const void* slot);

}  // namespace intercept
