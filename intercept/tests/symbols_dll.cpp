// A module built with debug information whose function
// intercept_symbols_hidden is not exported: the find operation can only
// reach it through the module's debug symbols.
#include <windows.h>

extern "C" {

// Not static, so that it keeps its plain name in the debug information.
__declspec(noinline) int intercept_symbols_hidden(int value) { return value * 7 + 4242; }

// Keeps the hidden function referenced (and out of reach of the inliner).
int (*volatile g_hidden)(int) = &intercept_symbols_hidden;

__declspec(dllexport) int intercept_symbols_visible(int value) { return g_hidden(value); }
}
