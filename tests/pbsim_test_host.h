// Test host for the stand-in runtime: loads the modules of one generation,
// resolves the runtime functions the library calls, opens a top-level window
// to put DataWindow controls on, and captures what a control paints.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cwchar>
#include <string>
#include <vector>

#include "dib.h"
#include "pbsim/pbsim_api.h"

namespace pbsim_test {

typedef LONG(WINAPI* PFN_Describe)(HWND, LPCWSTR, LPWSTR, LONG);
typedef LONG(WINAPI* PFN_GetLong)(HWND);
typedef LONG(WINAPI* PFN_SelectRow)(HWND, LONG, LONG);
typedef LONG(WINAPI* PFN_ConvertUnits)(LONG, LONG);
typedef LONG(WINAPI* PFN_SetBorder)(HWND, LONG);
typedef LPCWSTR(WINAPI* PFN_Modify)(HWND, LPCWSTR);
typedef LONG(WINAPI* PFN_GetObjectUnderMouse)(HWND, LPWSTR);
typedef LONG(WINAPI* PFN_GetRowColUnderPoint)(HWND, LONG, LONG, LONG*, LONG*);
typedef LONG(WINAPI* PFN_PaintDC)(HWND, HDC);
typedef LONG_PTR(WINAPI* PFN_Internal)(LONG_PTR, LONG_PTR);

template <class F>
F Entry(HMODULE module, const char* name) {
  return module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

// The modules of one generation and the runtime functions of both tables.
struct Runtime {
  pbsim::RuntimeModules modules;
  PFN_Describe Describe = nullptr;
  PFN_GetLong GetCurrentColumn = nullptr;
  PFN_GetLong GetCurrentRow = nullptr;
  PFN_GetLong GetRowCount = nullptr;
  PFN_SelectRow SelectRow = nullptr;
  PFN_ConvertUnits ConvertUnits = nullptr;
  PFN_SetBorder SetBorder = nullptr;
  PFN_Modify Modify = nullptr;
  PFN_GetObjectUnderMouse GetObjectUnderMouse = nullptr;
  PFN_GetRowColUnderPoint GetRowColUnderPoint = nullptr;
  PFN_GetLong InfoGetDWWidth = nullptr;
  PFN_PaintDC PaintDC = nullptr;

  bool Load(int generation = PBSIM_DEFAULT_GENERATION) {
    const bool loaded = modules.Load(generation);
    Describe = Entry<PFN_Describe>(modules.vm, "FNX_DataWindowDescribe");
    GetCurrentColumn = Entry<PFN_GetLong>(modules.vm, "FNX_DataWindowGetCurrentColumn");
    GetCurrentRow = Entry<PFN_GetLong>(modules.vm, "FNX_DataWindowGetCurrentRow");
    GetRowCount = Entry<PFN_GetLong>(modules.vm, "FNX_DataWindowGetRowCount");
    SelectRow = Entry<PFN_SelectRow>(modules.vm, "FNX_DataWindowSelectRow");
    ConvertUnits = Entry<PFN_ConvertUnits>(modules.vm, "FN_ConvertUnits");
    SetBorder = Entry<PFN_SetBorder>(modules.vm, "PBC_SetBorder");
    Modify = Entry<PFN_Modify>(modules.engine, "dwModify");
    GetObjectUnderMouse = Entry<PFN_GetObjectUnderMouse>(modules.engine, "dwGetObjectUnderMouse");
    GetRowColUnderPoint = Entry<PFN_GetRowColUnderPoint>(modules.engine, "dwGetRowColUnderPoint");
    InfoGetDWWidth = Entry<PFN_GetLong>(modules.engine, "dwInfoGetDWWidth");
    PaintDC = Entry<PFN_PaintDC>(modules.engine, "dwPaintDC");
    return loaded && Describe && GetCurrentColumn && GetCurrentRow && GetRowCount && SelectRow && Modify &&
           GetObjectUnderMouse && PaintDC;
  }

  std::wstring DescribeText(HWND dw, const wchar_t* property) const {
    std::vector<wchar_t> buffer(4096, L'\0');
    Describe(dw, property, buffer.data(), static_cast<LONG>(buffer.size()));
    return buffer.data();
  }
  long DescribeNumber(HWND dw, const wchar_t* property) const { return std::wcstol(DescribeText(dw, property).c_str(), nullptr, 10); }
};

// A visible top-level window of a plain class.
class HostWindow {
 public:
  HostWindow(int x = 40, int y = 40, int width = 700, int height = 500) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"PbsimTestHost";
    RegisterClassExW(&wc);  // fails harmlessly when already registered
    m_window = CreateWindowExW(0, wc.lpszClassName, L"pbsim test host", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE,
                               x, y, width, height, nullptr, nullptr, wc.hInstance, nullptr);
  }
  ~HostWindow() {
    if (m_window) DestroyWindow(m_window);
  }
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;
  HWND Get() const { return m_window; }

 private:
  HWND m_window = nullptr;
};

using ::Dib;

inline bool IsDark(COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c) < 200; }

inline RECT Rect(int left, int top, int right, int bottom) {
  RECT r = {left, top, right, bottom};
  return r;
}

inline LPARAM Point(int x, int y) { return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)); }

// The rows of the employee grid repeated up to `rows` rows, tab-separated.
inline std::wstring EmployeeRows(int rows) {
  std::wstring text;
  for (int i = 1; i <= rows; ++i) {
    text += std::to_wstring(100 + i) + L"\tPerson " + std::to_wstring(i) + L"\tDept" + std::to_wstring(i % 3) +
            L"\t" + std::to_wstring(1000 + i * 10) + L".5\n";
  }
  return text;
}

}  // namespace pbsim_test
