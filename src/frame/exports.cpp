// The exports that a PowerBuilder application calls; StartTessel and
// StopTessel live in lifecycle.cpp, AddSystemEnv in system_env.cpp,
// SetInfoLabel in set_info_label.cpp.
#include "frame/exports.h"

#include "datawindow/dw_object.h"
#include "base/call_barrier.h"
#include "frame/debug_console.h"
#include "base/debug_log.h"
#include "datawindow/dw_list.h"
#include "base/globals.h"
#include "frame/lifecycle.h"
#include "base/private_messages.h"
#include "skin/sys_color_table.h"
#include "frame/version.h"
#include "header/span_title.h"
#include "header/title_rows.h"
#include "skin/skin_file.h"
#include "skin/win_list.h"

namespace {

// The record of an attached DataWindow once the library is started; null when
// it is not started (after the guard's message) or the window is not attached.
DWObject* StartedRecord(HWND hWnd) { return GuardStarted() ? g_pDWlist->FindDW(hWnd) : nullptr; }

}  // namespace

TESSEL_API AttachDatawindow(HWND hWnd, LPCWSTR pszSettingsFile) {
    return RunExport("AttachDatawindow", 0, [&]() -> int {
        if (!GuardStarted()) return 0;
        if (DWObject* record = g_pDWlist->FindDW(hWnd)) {
            if (pszSettingsFile) record->LoadSettings(pszSettingsFile);
            return 1;
        }
        DWObject* record = g_pDWlist->CreateDW(hWnd);
        // Completes the attach once the current message has been processed.
        // The completion repaints client and frame: until then the settings'
        // repaint only marks the window invalid.
        const BOOL posted = PostMessageW(hWnd, WM_DW_ATTACHED, 0, 0);
        if (record && posted) record->m_bAttachPending = 1;
        if (record && pszSettingsFile) record->LoadSettings(pszSettingsFile);
        return 1;
    });
}

TESSEL_API DettachDatawindow(HWND hWnd) {
    return RunExport("DettachDatawindow", 0, [&]() -> int {
        if (!GuardStarted()) return 0;
        g_pDWlist->RemoveDW(hWnd);
        return 1;
    });
}

TESSEL_API ReplaceSysColor(int nIndex, COLORREF clr) {
    return RunExport("ReplaceSysColor", 0, [&]() -> int {
        if (!GuardStarted()) return 0;
        ReplaceOneSysColor(nIndex, clr);
        return static_cast<int>(clr);
    });
}

TESSEL_API SetSkinFile(LPCWSTR pszSkinFile) {
    return RunExport("SetSkinFile", 0, [&]() -> int {
        if (!GuardStarted()) return 0;
        LoadSkinFile(*g_pWinlist, pszSkinFile);
        return 1;
    });
}

TESSEL_API AddDatawindowTitle(HWND hWnd, LPCWSTR pszTitle, LPCWSTR pszFontFace, int nFontHeight, int nTitleHeight) {
    return RunExport("AddDatawindowTitle", 0, [&]() -> int {
        DWObject* record = StartedRecord(hWnd);
        return record ? AddTitleRow(*record, pszTitle, pszFontFace, nFontHeight, nTitleHeight) : 0;
    });
}

TESSEL_API ModifyDatawindowTitle(HWND hWnd, int nTitle, LPCWSTR pszTitle, LPCWSTR pszFontFace, int nFontHeight) {
    return RunExport("ModifyDatawindowTitle", 0, [&]() -> int {
        DWObject* record = StartedRecord(hWnd);
        return record ? ModifyTitleRow(*record, nTitle, pszTitle, pszFontFace, nFontHeight) : 0;
    });
}

TESSEL_API SetSpanTitle(HWND hWnd, LPCWSTR pszColumns, LPCWSTR pszCaption, LPCWSTR pszFontFace, int nFontHeight,
                        int nGrow) {
    return RunExport("SetSpanTitle", 0, [&]() -> int {
        DWObject* record = StartedRecord(hWnd);
        return record ? ApplySpanTitle(*record, pszColumns, pszCaption, pszFontFace, nFontHeight, nGrow) : 0;
    });
}

TESSEL_API SetIconfont(LPCWSTR pszIconFont, int nLighten) {
    return RunExport("SetIconfont", 0, [&]() -> int {
        if (!GuardStarted()) return 0;
        if (pszIconFont) g_pDWlist->m_strIconFont = pszIconFont;
        else DebugLog("SetIconfont: no file name, the icon font stays\n");
        g_pDWlist->m_nIconLighten = nLighten;
        g_pWinlist->RepaintAll();
        return 0;
    });
}

TESSEL_API PrintDebugString(LPCWSTR pszText) {
    return RunExport("PrintDebugString", 0, [&]() -> int {
        if (IsDebugConsoleOpen(100)) DebugLogW(L"%ls\n", pszText ? pszText : L"");
        return 0;
    });
}

TESSEL_API SetDebugWindowColor(int nAttribute) {
    return RunExport("SetDebugWindowColor", 0, [&]() -> int {
        SetDebugConsoleColor(nAttribute);
        return 0;
    });
}

TESSEL_API OpenDebugWindow() {
    return RunExport("OpenDebugWindow", 0, [&]() -> int {
        OpenDebugConsole();
        return 0;
    });
}

TESSEL_API CloseDebugWindow() {
    return RunExport("CloseDebugWindow", 0, [&]() -> int {
        CloseDebugConsole();
        return 0;
    });
}

TESSEL_API DWAbout() {
    return RunExport("DWAbout", 0, [&]() -> int {
        // "PB10及以上使用此版本", an empty line, the author line, the release
        // ("Tessel2U 1.0.0"); caption "关于...".
        MessageBoxW(GetActiveWindow(),
                    L"PB10\u53CA\u4EE5\u4E0A\u4F7F\u7528\u6B64\u7248\u672C\n\n"
                    L"\u4F5C\u8005\uFF1ATessel2U \u9879\u76EE\n"
                    L"Tessel2U " TESSEL2U_VERSION_WTEXT,
                    L"\u5173\u4E8E...", MB_OK | MB_ICONINFORMATION);
        return 0;
    });
}

TESSEL_API GetAddColumnSyntax(HWND, int, int, int, int) { return 0; }
