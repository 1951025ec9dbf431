// DWList: the one registry of attached DataWindows (window → record, device
// context → record), the binding to the PowerBuilder runtime, the icon-font
// settings, the printing state and the installed flag of the interceptions.
#pragma once

#include <windows.h>

#include <map>
#include <string>

#include "base/globals.h"

class DWObject;

class DWList {
public:
    DWList();
    ~DWList();
    DWList(const DWList&) = delete;
    DWList& operator=(const DWList&) = delete;

    DWObject* FindDW(HWND hWnd) const;
    DWObject* CreateDW(HWND hWnd);
    void RemoveDW(HWND hWnd);
    void ReleaseAll();
    DWObject* FindDWForDC(HDC hdc) const;
    DWObject* GetPrintingDW() const;
    HWND SetPrintTarget(HWND hWnd);
    void RefreshAll();
    // The DataWindow's window is being destroyed: its record stays until
    // DettachDatawindow or StopTessel, but serves no window any more, so that
    // a new window given the same handle value is not taken for it.
    void WindowDestroyed(HWND hWnd);

    wchar_t m_szDWClass[100] = {};
    int m_nOpenPrinters = 0;
    // Set while the icon-font renderer draws. Like every record here it is
    // touched by the owning thread only (call_barrier.h), so it is that
    // thread's flag and no other thread's text passes through because of it.
    BOOL m_bInIconText = 0;
    BOOL m_bHooksInstalled = 0;
    HMODULE m_hPBVM = nullptr;
    HMODULE m_hPBDWE = nullptr;
    HMODULE m_hPBSYS = nullptr;
    HMODULE m_hUxTheme = nullptr;
    BOOL m_bFreePBDWE = 0;
    BOOL m_bFreePBSYS = 0;
    BOOL m_bFreeUxTheme = 0;
    std::wstring m_strIconFont;
    int m_nIconLighten = 0;
    std::map<HWND, DWObject*> m_mapDW;
    std::map<HDC, DWObject*> m_mapDC;
    HWND m_hPrintDW = nullptr;
    BOOL m_bPrintJob = 0;
    int m_nPBVersion = 0;
    // The bound runtime is unversioned: its modules are pbvm.dll, pbdwe.dll
    // and pbsysfunc.dll, and its DataWindows are the "pbdw" classes that the
    // engine registered.
    BOOL m_bUnversioned = 0;

private:
    DWObject* RecordOf(HWND hWnd) const;
    bool IsDataWindowClass(HWND hWnd) const;
    void ForgetDCsOf(const DWObject* record);
};

// The record of the attached DataWindow whose painting uses the context dc;
// null when none does or the library is not started.
inline DWObject* RecordOfDC(HDC dc) { return g_pDWlist ? g_pDWlist->FindDWForDC(dc) : nullptr; }
