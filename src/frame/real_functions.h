// Real-entry variables of the intercepted operating-system functions: the
// address through which the library reaches each function without its
// interception. They hold the imported address from load; while the
// interceptions are installed they point to the engine's trampolines.
#pragma once

#include <windows.h>
#include <commdlg.h>
#include <usp10.h>
#include <uxtheme.h>
#include <winspool.h>

#define TESSEL_OS_FUNCTIONS(X)                                                                       \
    X(CreateWindowExW) X(DestroyWindow) X(GetTextExtentExPointW) X(DrawTextExW) X(TextOutW)          \
    X(ExtTextOutA) X(ExtTextOutW) X(PolyTextOutW) X(ScriptStringAnalyse) X(ScriptTextOut)            \
    X(CreateCompatibleDC) X(DeleteDC) X(LineTo) X(BitBlt) X(CreateSolidBrush) X(OpenPrinterW)        \
    X(ClosePrinter) X(GetPrinterW) X(GetOpenFileNameW) X(GetSaveFileNameW) X(MoveToEx) X(ScrollDC)   \
    X(PatBlt) X(PaintRgn) X(CreateDCW) X(SetTextColor) X(GetDC) X(GetWindowDC) X(GetDCEx)           \
    X(ReleaseDC) X(FillRect) X(FillRgn) X(Polygon) X(Polyline) X(Rectangle) X(BeginPaint)           \
    X(EndPaint) X(DrawEdge) X(DrawFrameControl) X(DrawCaption) X(GetSysColor) X(OpenThemeData)      \
    X(DrawThemeBackground) X(DrawThemeText) X(GetWindowTheme) X(CloseThemeData) X(DrawThemeEdge)

#define TESSEL_DECLARE_REAL(name) extern decltype(&::name) Real_##name;
TESSEL_OS_FUNCTIONS(TESSEL_DECLARE_REAL)
#undef TESSEL_DECLARE_REAL
