#include "frame/lifecycle.h"

#include <new>

#include "draw/cairo_canvas.h"
#include "frame/debug_log.h"
#include "frame/dw_list.h"
#include "frame/exports.h"
#include "frame/globals.h"
#include "frame/interception_set.h"
#include "skin/win_list.h"
#include "text/font_env.h"

namespace {

void ShowStartFirst() {
    DebugLog("g_pDWlist : %X , g_pWinlist : %X\n", static_cast<unsigned>(reinterpret_cast<UINT_PTR>(g_pDWlist)),
             static_cast<unsigned>(reinterpret_cast<UINT_PTR>(g_pWinlist)));
    MessageBoxW(GetActiveWindow(), L"StartTessel first!", nullptr, MB_OK | MB_ICONWARNING);
}

}  // namespace

bool GuardStarted() {
    if (g_pDWlist && g_pWinlist) return true;
    ShowStartFirst();
    return false;
}

TESSEL_API StartTessel() {
    if (g_pDWlist) return 0;
    InitFontEnv();
    g_pWinlist = new (std::nothrow) WinList();
    g_pDWlist = new (std::nothrow) DWList();
    if (g_pDWlist && g_pWinlist) {
        InstallInterceptions(&g_pDWlist->m_bHooksInstalled);
        DebugLog("pb version : %d\n", g_pDWlist->m_nPBVersion);
        return 1;
    }
    ShowStartFirst();
    return 0;
}

TESSEL_API StopTessel() {
    if (!GuardStarted()) return 0;
    // Interceptions go first, so that no replacement runs against a freed record.
    RemoveInterceptions(&g_pDWlist->m_bHooksInstalled);
    g_pDWlist->ReleaseAll();
    delete g_pDWlist;
    g_pDWlist = nullptr;
    g_pWinlist->UnregisterWindow(nullptr);
    delete g_pWinlist;
    g_pWinlist = nullptr;
    // What is still alive once every record is gone: no surface, and the
    // faces that the icon-font cache holds until the release below.
    DebugLog("StopTessel : cairo surfaces %d , FreeType faces %d\n", CairoCanvas::LiveSurfaces(),
             static_cast<int>(OpenFaceCount()));
    FreeFontEnv();
    return 1;
}
