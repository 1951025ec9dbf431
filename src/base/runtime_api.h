// Entry points of the PowerBuilder runtime that the library calls, all stdcall.
// The DataWindow's window handle comes first, except for FN_ConvertUnits.
#pragma once

#include <windows.h>

// FNX_DataWindowDescribe(window, property, buffer, capacity in characters)
typedef LONG(WINAPI* PFN_DWDescribe)(HWND, LPCWSTR, LPWSTR, LONG);
// FNX_DataWindowGetCurrentColumn / GetCurrentRow / GetRowCount, dwInfoGetDWWidth
typedef LONG(WINAPI* PFN_DWGetLong)(HWND);
// FN_ConvertUnits(value, mode)
typedef LONG(WINAPI* PFN_ConvertUnits)(LONG, LONG);
// PBC_SetBorder(window, flag): non-zero when the runtime changed the border
typedef LONG(WINAPI* PFN_SetBorder)(HWND, LONG);
// dwModify(window, text): null on success, else the error text
typedef LPCWSTR(WINAPI* PFN_DWModify)(HWND, LPCWSTR);
// dwGetObjectUnderMouse(window, buffer of 1024 characters)
typedef LONG(WINAPI* PFN_DWGetObjectUnderMouse)(HWND, LPWSTR);
// dwGetRowColUnderPoint(window, x, y, row out, column out): non-zero on a row
typedef LONG(WINAPI* PFN_DWGetRowColUnderPoint)(HWND, LONG, LONG, LONG*, LONG*);
// Entry points looked up and kept, but not called by the library.
typedef FARPROC PFN_RuntimeUnused;
