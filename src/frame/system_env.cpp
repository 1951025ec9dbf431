// AddSystemEnv: adds a value to a process environment variable (a
// ";"-separated list) or replaces it, through the runtime library so that its
// copy and the operating system's both change.
#include <cstdlib>
#include <cwchar>
#include <string>

#include "base/call_barrier.h"
#include "base/debug_log.h"
#include "frame/exports.h"
#include "base/system_env_entry.h"

namespace {

// The longest entry the operating system accepts for one variable.
const size_t kMaxEntry = 32767;

}  // namespace

TESSEL_API AddSystemEnv(LPCWSTR pszName, LPCWSTR pszValue, int bReplace) {
    return RunExport("AddSystemEnv", 0, [&]() -> int {
        if (!pszName || !pszValue || !*pszName) {
            DebugLog("AddSystemEnv: no variable name or value\n");
            return 0;
        }
        const wchar_t* current = _wgetenv(pszName);
        std::wstring entry;
        if (!SystemEnvEntry(pszName, pszValue, current, bReplace != 0, &entry)) return 0;
        if (entry.size() >= kMaxEntry) {
            DebugLog("AddSystemEnv: entry of %u characters refused\n", static_cast<unsigned>(entry.size()));
            return 0;
        }
        if (_wputenv(entry.c_str()) != 0) DebugLog("AddSystemEnv: the environment refused the entry\n");
        return 0;
    });
}
