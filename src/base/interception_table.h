// The interception set: every function the library intercepts, one row each,
// in installation order; the removal column gives each row's place in the
// order of removal (the language-pack and system rows in table order, then
// the runtime's: its handle and paint functions and window procedures
// first, its print and modify functions last).
//
// Each row names the function; its real-entry variable is Real_<function>
// (the address through which the library reaches the function without its
// interception) and its replacement Hook<function>, defined in the file of
// the subsystem that gives its rule. Rows 1-47 are imported by the library
// itself: their variables hold the imported address from load. Rows 48-62 are
// found by name at every installation: in "lpk.dll" (lpk), or in the
// PowerBuilder runtime's virtual machine "PBVM%d.DLL" (vm) and DataWindow
// engine "pbdwe%d.DLL" (engine) of the bound generation, or in "pbvm.dll" and
// "pbdwe.dll" of an unversioned runtime; their variables are null until
// found.
#pragma once

#include <windows.h>
#include <commdlg.h>
#include <usp10.h>
#include <uxtheme.h>
#include <winspool.h>

#include <type_traits>

// The lpk.dll text functions, internal to the operating system: only the
// argument positions matter (dc, x, y first for the four that draw).
typedef BOOL(WINAPI* PFN_LpkExtTextOut)(HDC, int, int, UINT, const RECT*, LPCWSTR, UINT, const INT*, INT);
typedef int(WINAPI* PFN_LpkDrawTextEx)(HDC, int, int, LPCWSTR, int, BOOL, UINT, LPVOID, UINT, int);
typedef int(WINAPI* PFN_LpkPSMTextOut)(HDC, int, int, LPCWSTR, int, DWORD);
typedef LONG(WINAPI* PFN_LpkTabbedTextOut)(HDC, int, int, LPCWSTR, int, int, const INT*, int, BOOL, int, int, int);
typedef BOOL(WINAPI* PFN_LpkGetTextExtentExPoint)(HDC, LPCWSTR, int, int, LPINT, LPINT, LPSIZE, DWORD, int);
// The runtime's internal functions: two pointer-sized arguments, the first
// naming the DataWindow.
typedef LONG_PTR(WINAPI* PFN_RuntimeInternal)(LONG_PTR, LONG_PTR);
// dwPaintDC(window, dc)
typedef LONG(WINAPI* PFN_dwPaintDC)(HWND, HDC);

// IMPORTED(row, removal, function, module)   FOUND(row, removal, function, where, type)
#define TESSEL_INTERCEPTIONS(IMPORTED, FOUND)                                \
    IMPORTED(1, 1, CreateWindowExW, user32)                                  \
    IMPORTED(2, 2, DestroyWindow, user32)                                    \
    IMPORTED(3, 3, GetTextExtentExPointW, gdi32)                             \
    IMPORTED(4, 4, DrawTextExW, user32)                                      \
    IMPORTED(5, 5, TextOutW, gdi32)                                          \
    IMPORTED(6, 6, ExtTextOutA, gdi32)                                       \
    IMPORTED(7, 7, ExtTextOutW, gdi32)                                       \
    IMPORTED(8, 8, PolyTextOutW, gdi32)                                      \
    IMPORTED(9, 9, ScriptStringAnalyse, usp10)                               \
    IMPORTED(10, 10, ScriptTextOut, usp10)                                   \
    IMPORTED(11, 11, CreateCompatibleDC, gdi32)                              \
    IMPORTED(12, 12, DeleteDC, gdi32)                                        \
    IMPORTED(13, 13, LineTo, gdi32)                                          \
    IMPORTED(14, 14, BitBlt, gdi32)                                          \
    IMPORTED(15, 15, CreateSolidBrush, gdi32)                                \
    IMPORTED(16, 16, OpenPrinterW, winspool)                                 \
    IMPORTED(17, 17, ClosePrinter, winspool)                                 \
    IMPORTED(18, 18, GetPrinterW, winspool)                                  \
    IMPORTED(19, 19, GetOpenFileNameW, comdlg32)                             \
    IMPORTED(20, 20, GetSaveFileNameW, comdlg32)                             \
    IMPORTED(21, 21, MoveToEx, gdi32)                                        \
    IMPORTED(22, 22, ScrollDC, user32)                                       \
    IMPORTED(23, 23, PatBlt, gdi32)                                          \
    IMPORTED(24, 24, PaintRgn, gdi32)                                        \
    IMPORTED(25, 25, CreateDCW, gdi32)                                       \
    IMPORTED(26, 26, SetTextColor, gdi32)                                    \
    IMPORTED(27, 27, GetDC, user32)                                          \
    IMPORTED(28, 28, GetWindowDC, user32)                                    \
    IMPORTED(29, 29, GetDCEx, user32)                                        \
    IMPORTED(30, 30, ReleaseDC, user32)                                      \
    IMPORTED(31, 31, FillRect, user32)                                       \
    IMPORTED(32, 32, FillRgn, gdi32)                                         \
    IMPORTED(33, 33, Polygon, gdi32)                                         \
    IMPORTED(34, 34, Polyline, gdi32)                                        \
    IMPORTED(35, 35, Rectangle, gdi32)                                       \
    IMPORTED(36, 36, BeginPaint, user32)                                     \
    IMPORTED(37, 37, EndPaint, user32)                                       \
    IMPORTED(38, 38, DrawEdge, user32)                                       \
    IMPORTED(39, 39, DrawFrameControl, user32)                               \
    IMPORTED(40, 40, DrawCaption, user32)                                    \
    IMPORTED(41, 41, GetSysColor, user32)                                    \
    IMPORTED(42, 42, OpenThemeData, uxtheme)                                 \
    IMPORTED(43, 43, DrawThemeBackground, uxtheme)                           \
    IMPORTED(44, 44, DrawThemeText, uxtheme)                                 \
    IMPORTED(45, 45, GetWindowTheme, uxtheme)                                \
    IMPORTED(46, 46, CloseThemeData, uxtheme)                                \
    IMPORTED(47, 47, DrawThemeEdge, uxtheme)                                 \
    FOUND(48, 48, LpkExtTextOut, lpk, PFN_LpkExtTextOut)                     \
    FOUND(49, 49, LpkDrawTextEx, lpk, PFN_LpkDrawTextEx)                     \
    FOUND(50, 50, LpkPSMTextOut, lpk, PFN_LpkPSMTextOut)                     \
    FOUND(51, 51, LpkTabbedTextOut, lpk, PFN_LpkTabbedTextOut)               \
    FOUND(52, 52, LpkGetTextExtentExPoint, lpk, PFN_LpkGetTextExtentExPoint) \
    FOUND(53, 59, fndwPrint, vm, PFN_RuntimeInternal)                        \
    FOUND(54, 53, FN_DWGetHandle, vm, PFN_RuntimeInternal)                   \
    FOUND(55, 54, dwPaintDC, engine, PFN_dwPaintDC)                          \
    FOUND(56, 60, DW_Print, engine, PFN_RuntimeInternal)                     \
    FOUND(57, 62, DW_Modify, engine, PFN_RuntimeInternal)                    \
    FOUND(58, 56, dwWinProc, engine, WNDPROC)                                \
    FOUND(59, 55, dwWinProcEdit, engine, WNDPROC)                            \
    FOUND(60, 57, FN_ListBoxWnd, vm, WNDPROC)                                \
    FOUND(61, 58, FN_WindowWnd, vm, WNDPROC)                                 \
    FOUND(62, 61, fndwModify, vm, PFN_RuntimeInternal)

// The real-entry variables and the replacements, with the exact types of the
// functions they stand for.
#define TESSEL_DECLARE_IMPORTED(row, removal, name, module) \
    extern decltype(&::name) Real_##name;                   \
    decltype(::name) Hook##name;
#define TESSEL_DECLARE_FOUND(row, removal, name, where, type) \
    extern type Real_##name;                                  \
    std::remove_pointer_t<type> Hook##name;
TESSEL_INTERCEPTIONS(TESSEL_DECLARE_IMPORTED, TESSEL_DECLARE_FOUND)
#undef TESSEL_DECLARE_IMPORTED
#undef TESSEL_DECLARE_FOUND
