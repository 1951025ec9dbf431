#include "frame/lifecycle.h"

#include <new>

#include "draw/cairo_canvas.h"
#include "base/call_barrier.h"
#include "base/debug_log.h"
#include "datawindow/dw_list.h"
#include "frame/exports.h"
#include "base/globals.h"
#include "frame/interception_set.h"
#include "frame/runtime_binding.h"
#include "base/settings_cache.h"
#include "skin/sys_color_table.h"
#include "frame/version.h"
#include "skin/win_list.h"
#include "text/blend_scratch.h"
#include "text/font_env.h"

namespace {

void ShowStartFirst() {
    DebugLog("g_pDWlist : %X , g_pWinlist : %X\n", static_cast<unsigned>(reinterpret_cast<UINT_PTR>(g_pDWlist)),
             static_cast<unsigned>(reinterpret_cast<UINT_PTR>(g_pWinlist)));
    MessageBoxW(GetActiveWindow(), L"StartTessel first!", nullptr, MB_OK | MB_ICONWARNING);
}

// The DataWindow registry goes, and with it the interception set if it is
// still installed: no replacement may outlive the records it asks for.
void ReleaseDWList() {
    if (!g_pDWlist) return;
    if (g_pDWlist->m_bHooksInstalled) RemoveInterceptions(&g_pDWlist->m_bHooksInstalled);
    delete g_pDWlist;
    g_pDWlist = nullptr;
}

}  // namespace

bool GuardStarted() {
    if (!g_pDWlist || !g_pWinlist) {
        ShowStartFirst();
        return false;
    }
    if (call_barrier::OnOwnerThread()) return true;
    DebugLog("thread %lu is not the one that started the library (%lu): call refused\n",
             static_cast<unsigned long>(GetCurrentThreadId()),
             static_cast<unsigned long>(call_barrier::g_owner.load()));
    return false;
}

// How long StartTessel and StopTessel wait for the calls of other threads
// that are still inside a replacement.
constexpr DWORD kForeignCallWaitMs = 10000;

TESSEL_API StartTessel() {
    return RunExport("StartTessel", 0, [&]() -> int {
        if (g_pDWlist) return 0;
        // The trampolines of the last removal are reused below: no call of
        // another thread may still be on its way through one.
        if (!call_barrier::WaitForForeignCalls(kForeignCallWaitMs)) {
            DebugLog("StartTessel: other threads are still inside the interceptions of the last start\n");
            return 0;
        }
        call_barrier::SetOwner(GetCurrentThreadId());
        InitFontEnv();
        g_pWinlist = new (std::nothrow) WinList();
        g_pDWlist = new (std::nothrow) DWList();
        if (g_pDWlist && g_pWinlist) {
            ScanRuntimeModules(*g_pDWlist);
            LoadRuntimeModules(*g_pDWlist);
            InstallInterceptions(&g_pDWlist->m_bHooksInstalled);
            DebugLog("Tessel2U %s\n", TESSEL2U_VERSION_TEXT);
            DebugLog("pb version : %d\n", g_pDWlist->m_nPBVersion);
            return 1;
        }
        ReleaseDWList();
        delete g_pWinlist;
        g_pWinlist = nullptr;
        call_barrier::SetOwner(0);
        ShowStartFirst();
        return 0;
    });
}

TESSEL_API StopTessel() {
    return RunExport("StopTessel", 0, [&]() -> int {
        if (!GuardStarted()) return 0;
        // Interceptions go first, so that no replacement runs against a freed record.
        RemoveInterceptions(&g_pDWlist->m_bHooksInstalled);
        const bool quiet = call_barrier::WaitForForeignCalls(kForeignCallWaitMs);
        g_pDWlist->ReleaseAll();
        ReleaseDWList();
        g_pWinlist->UnregisterWindow(nullptr);
        delete g_pWinlist;
        g_pWinlist = nullptr;
        ClearSettingsCache();
        // What is still alive once every record is gone: no surface, and the
        // faces that the icon-font cache holds until the release below.
        DebugLog("StopTessel : cairo surfaces %d , FreeType faces %d\n", CairoCanvas::LiveSurfaces(),
                 static_cast<int>(OpenFaceCount()));
        FreeFontEnv();
        ReleaseBlendScratch();
        // Calls of other threads may still read a retired colour table until
        // they have all left.
        if (quiet) ReleaseRetiredSysColorTables();
        else DebugLog("StopTessel: other threads are still inside the interceptions; retired colours stay\n");
        call_barrier::SetOwner(0);
        return 1;
    });
}
