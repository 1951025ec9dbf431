// Names from a module's debug information, through the system's symbol
// engine "dbghelp.dll", loaded on first use.
#pragma once

#include <windows.h>

namespace intercept {

// The address of the symbol name inside module, or null when dbghelp is
// missing, has no debug information for the module or does not know the name.
PVOID FindDebugSymbol(HMODULE module, LPCSTR name);

}  // namespace intercept
