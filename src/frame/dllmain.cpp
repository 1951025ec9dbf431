// Load-time start-up of the library.
#include <windows.h>

#include <cstdlib>
#include <ctime>

#include "frame/debug_console.h"
#include "base/debug_log.h"
#include "base/globals.h"
#include "text/blend_scratch.h"
#include "text/icon_face_cache.h"

namespace {

// A file or folder named like this in the current directory opens the debug
// console at load; only its existence counts.
const wchar_t* const kTriggerNames[] = {L"debug", L"debug.txt", L"debug.log"};

}  // namespace

BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_DETACH) {
        // Unloaded by FreeLibrary without StopTessel: the icon caches go
        // (their faces, bytes, section and memory context). At process exit
        // the system takes everything back.
        if (!reserved) {
            ReleaseIconFaces();
            ReleaseBlendScratch();
        }
        return TRUE;
    }
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    srand(static_cast<unsigned>(time(nullptr)));
    g_hModule = hInstance;
    g_pWinlist = nullptr;
    g_pDWlist = nullptr;
    // Under the loader lock: the console is opened without enumerating
    // windows or sending a message to any of them.
    for (const wchar_t* name : kTriggerNames) {
        if (GetFileAttributesW(name) != INVALID_FILE_ATTRIBUTES) {
            OpenDebugConsoleAtLoad();
            break;
        }
    }
    DisableThreadLibraryCalls(hInstance);
    DebugLog("ready \n");
    return TRUE;
}
