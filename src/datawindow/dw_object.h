// DWObject: the record of one attached DataWindow control.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "datawindow/header_object.h"
#include "datawindow/info_labels.h"
#include "base/runtime_api.h"
#include "skin/scroll_bar_skin.h"

class DWObject {
public:
    DWObject();
    ~DWObject();
    DWObject(const DWObject&) = delete;
    DWObject& operator=(const DWObject&) = delete;

    // Looks up the runtime entry points in the bound modules (null when a
    // module is not loaded or lacks the export).
    void ResolveRuntimeFunctions(HMODULE hPBVM, HMODULE hPBDWE);

    // Access layer: every conversation with the DataWindow goes through its
    // own describe and modify syntax.
    std::wstring Describe(const wchar_t* property) const;
    // Frees the describe buffer that all records share (once no record is left).
    static void FreeDescribeBuffer();
    // printf-style property text.
    std::wstring DescribeF(const wchar_t* format, ...) const;
    int DescribeInt(const wchar_t* format, ...) const;
    // Null on success (or without a runtime), else the runtime's error text.
    LPCWSTR Modify(const wchar_t* text) const;
    LPCWSTR ModifyF(const wchar_t* format, ...) const;
    int GetColumnCount() const;
    int UpdateProcessing();
    int XToPixels(int value) const;
    int YToPixels(int value) const;
    // Runtime conversion when available, else ScreenConvertUnits.
    int ConvertUnits(int value, int kind) const;
    // Among the visible columns, the one with the largest X (lowest number on
    // a tie): x and width in DataWindow units, 0 and 0 when none is visible.
    void FindRightmostColumn(int* x, int* width, std::wstring* name) const;
    void GetObjectXWidth(const wchar_t* name, int* x, int* width) const;
    void UpdateDWWidth();
    void LoadSettings(const wchar_t* fileName);
    void SetColor(int kind, COLORREF clr);
    // Appends a header object and returns it. A name too long for the record
    // is not recorded (debug line, null): a cut name would address another
    // object or none.
    HeaderObject* AddHeaderObject(const std::wstring& name, int kind);

    // Runtime entry points.
    PFN_DWDescribe m_pfnDescribe = nullptr;
    PFN_DWGetLong m_pfnGetCurrentColumn = nullptr;
    PFN_DWGetLong m_pfnGetCurrentRow = nullptr;
    PFN_DWGetLong m_pfnGetRowCount = nullptr;
    PFN_RuntimeUnused m_pfnSaveAs = nullptr;
    PFN_RuntimeUnused m_pfnSelectRow = nullptr;
    PFN_RuntimeUnused m_pfnSetAllEvents = nullptr;
    PFN_RuntimeUnused m_pfnObjectClassName = nullptr;
    PFN_ConvertUnits m_pfnConvertUnits = nullptr;
    PFN_DWModify m_pfnModify = nullptr;
    PFN_RuntimeUnused m_pfnGetBandUnderMouse = nullptr;
    PFN_DWGetObjectUnderMouse m_pfnGetObjectUnderMouse = nullptr;
    PFN_DWGetRowColUnderPoint m_pfnGetRowColUnderPoint = nullptr;
    PFN_RuntimeUnused m_pfnGetProgram = nullptr;
    PFN_DWGetLong m_pfnInfoGetDWWidth = nullptr;
    PFN_RuntimeUnused m_pfnGetCurrentText = nullptr;
    PFN_RuntimeUnused m_pfnGetCurrentTextLength = nullptr;
    PFN_SetBorder m_pfnSetBorder = nullptr;

    int m_nLineStyle = 0;
    int m_nDetailHeight = 0;
    int m_nHeaderHeight = 0;
    int m_nTitleHeight = 0;
    std::vector<HeaderObject*> m_vHeaderObjects;
    std::map<std::wstring, std::wstring> m_mapSpan;
    std::vector<std::wstring> m_vTitleNames;
    int m_bPBUnits = 1;
    int m_bScrolled = 0;
    int m_bPrinting = 0;
    int m_nPreview = 0;
    HWND m_hInfoTarget = nullptr;
    // Set when the window was destroyed while attached; the record then
    // serves no window (DWList::WindowDestroyed).
    int m_bWindowGone = 0;
    ScrollBarSkin m_ScrollSkin;
    HWND m_hWnd = nullptr;
    int m_nProcessing = -1;
    int m_bNoCaption = 0;
    int m_nDWWidth = 0;
    RECT m_rcMargin = {1, 1, 1, 1};
    HWND m_hToolTip = nullptr;
    int m_bSideBar = 0;
    // Group headers or trailers lie between the rows: their places on screen
    // come from the runtime's hit test.
    int m_bGroupBands = 0;
    int m_nSelRowFrom = 0;
    int m_nSelRowTo = 0;
    int m_nSelColFrom = 0;
    int m_nSelColTo = 0;
    int m_bSelecting = 0;
    CRITICAL_SECTION m_cs;
    COLORREF m_clrGridLine;
    COLORREF m_clrBorder = 0x787878;
    COLORREF m_clrBack = 0xFFFFFF;
    COLORREF m_clrSelectRow = 0xFFD5AA;
    COLORREF m_clrSelected = 0xFFD5AA;
    COLORREF m_clrAlter = 0xFFFFFF;
    COLORREF m_clrHover = 0xFFFFFF;
    COLORREF m_clrHeader = 0;
    // The captions of the information texts from this DataWindow's settings
    // file; those not set there come from the process or the defaults.
    InfoLabels m_InfoLabels;
    // The row stripes last written to the detail band, and how the DataWindow
    // described the band's colour right after: the same stripes are not
    // written again while the band still shows them.
    std::wstring m_sStripesWritten;
    std::wstring m_sStripesDescribed;
    // From the attach until its completion message is handled: repaints
    // wait for the completion, which recalculates the frame and repaints.
    int m_bAttachPending = 0;
};
