#include "frame/debug_log.h"

#include <cstdarg>
#include <cstdio>
#include <cwchar>

void DebugLog(const char* format, ...) {
    if (!format) return;
    va_list args;
    va_start(args, format);
    vfprintf(stdout, format, args);
    va_end(args);
    fflush(stdout);
}

void DebugLogW(const wchar_t* format, ...) {
    if (!format) return;
    va_list args;
    va_start(args, format);
    vfwprintf(stdout, format, args);
    va_end(args);
    fflush(stdout);
}
