// AddSystemEnv: adds a value to a process environment variable (a
// ";"-separated list) or replaces it, through the runtime library so that its
// copy and the operating system's both change.
#include <cstdlib>
#include <cwchar>
#include <string>

#include "frame/debug_log.h"
#include "frame/exports.h"

namespace {

// The longest entry the operating system accepts for one variable.
const size_t kMaxEntry = 32767;

}  // namespace

TESSEL_API AddSystemEnv(LPCWSTR pszName, LPCWSTR pszValue, int bReplace) {
    if (!pszName || !pszValue || !*pszName) {
        DebugLog("AddSystemEnv: no variable name or value\n");
        return 0;
    }
    const wchar_t* current = _wgetenv(pszName);
    std::wstring entry;
    if (bReplace || !current || !*current) {
        entry = std::wstring(pszName) + L"=" + pszValue;
    } else {
        if (wcscmp(current, pszValue) == 0) return 0;
        entry = std::wstring(pszName) + L"=" + current;
        if (entry.back() != L';') entry += L';';
        // The element is searched with a ";" on both sides, so a value that
        // stands first in the list is not recognised and is appended again.
        const std::wstring probe = std::wstring(L";") + pszValue + L";";
        if (entry.find(probe) == std::wstring::npos) entry += pszValue;
    }
    if (!entry.empty() && entry.back() == L';') entry.pop_back();
    if (entry.size() >= kMaxEntry) {
        DebugLog("AddSystemEnv: entry of %u characters refused\n", static_cast<unsigned>(entry.size()));
        return 0;
    }
    if (_wputenv(entry.c_str()) != 0) DebugLog("AddSystemEnv: the environment refused the entry\n");
    return 0;
}
