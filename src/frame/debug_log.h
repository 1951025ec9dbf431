// The library's one diagnostic channel: formatted text on the runtime
// library's standard output, which the debug console shows when it is open.
#pragma once

void DebugLog(const char* format, ...);
void DebugLogW(const wchar_t* format, ...);
