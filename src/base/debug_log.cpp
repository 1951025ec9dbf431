#include "base/debug_log.h"

#include <io.h>
#include <windows.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cwchar>
#include <new>
#include <vector>

namespace {

// The handle under the runtime library's standard output, or null when it
// has none (closed, or never given one by a program without a console).
HANDLE StdoutHandle() {
    const int fd = _fileno(stdout);
    if (fd < 0) return nullptr;
    const intptr_t h = _get_osfhandle(fd);
    if (h == -1 || h == -2 || h == 0) return nullptr;
    return reinterpret_cast<HANDLE>(h);
}

bool StdoutIsSetUp() {
    const HANDLE h = StdoutHandle();
    return h && GetFileType(h) != FILE_TYPE_UNKNOWN;
}

std::atomic<bool> g_bListening{StdoutIsSetUp()};

bool Listening() { return g_bListening.load(std::memory_order_relaxed); }

}  // namespace

bool DebugLogListening() { return Listening(); }

void UpdateDebugLogListener(bool consoleOpen) { g_bListening.store(consoleOpen || StdoutIsSetUp()); }

void DebugLog(const char* format, ...) {
    if (!format || !Listening()) return;
    va_list args;
    va_start(args, format);
    vfprintf(stdout, format, args);
    va_end(args);
    fflush(stdout);
}

void DebugLogW(const wchar_t* format, ...) {
    if (!format || !Listening()) return;
    va_list args;
    va_start(args, format);
    const HANDLE out = StdoutHandle();
    DWORD mode = 0;
    if (out && GetConsoleMode(out, &mode)) {
        // A console takes the characters themselves: no conversion through
        // the runtime's locale, which knows no code page for most scripts.
        try {
            std::vector<wchar_t> text(256);
            for (;;) {
                va_list copy;
                va_copy(copy, args);
                const int n = _vsnwprintf(text.data(), text.size(), format, copy);
                va_end(copy);
                if (n >= 0 && static_cast<size_t>(n) < text.size()) {
                    fflush(stdout);  // what the runtime holds goes first
                    DWORD written = 0;
                    WriteConsoleW(out, text.data(), static_cast<DWORD>(n), &written, nullptr);
                    break;
                }
                if (text.size() >= (1u << 22)) break;
                text.resize(text.size() * 4);
            }
        } catch (const std::bad_alloc&) {
            // no memory for the line: it is dropped
        }
    } else {
        vfwprintf(stdout, format, args);
        fflush(stdout);
    }
    va_end(args);
}
