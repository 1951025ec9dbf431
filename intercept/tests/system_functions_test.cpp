// Interceptions of real system functions, called from another module
// (intercept_callee.dll) through its import table: the replacement runs, it
// reaches the real function through its real-entry variable, and after the
// detach the original behaviour is back.
#include <gtest/gtest.h>

#include <cstdio>

#include "callee_dll.h"
#include "intercept_test_support.h"

using namespace intercept_test;

namespace {

void PrintPrologue(const char* name, const void* code) {
  const auto* bytes = static_cast<const BYTE*>(code);
  std::printf("%-16s at %p:", name, code);
  for (int i = 0; i < 12; ++i) std::printf(" %02x", bytes[i]);
  std::printf("\n");
}

PVOID Export(const wchar_t* module, const char* name) {
  return reinterpret_cast<PVOID>(GetProcAddress(GetModuleHandleW(module), name));
}

constexpr COLORREF kFakeWindowColor = RGB(1, 2, 3);
decltype(&GetSysColor) g_realGetSysColor = nullptr;
int g_getSysColorCalls = 0;
DWORD WINAPI FakeGetSysColor(int index) {
  ++g_getSysColorCalls;
  return index == COLOR_WINDOW ? kFakeWindowColor : g_realGetSysColor(index);
}

decltype(&LineTo) g_realLineTo = nullptr;
int g_lineToCalls = 0;
// Draws every line five pixels lower.
BOOL WINAPI LowerLineTo(HDC dc, int x, int y) {
  ++g_lineToCalls;
  POINT from;
  GetCurrentPositionEx(dc, &from);
  MoveToEx(dc, from.x, from.y + 5, nullptr);
  return g_realLineTo(dc, x, y + 5);
}

decltype(&DrawTextExW) g_realDrawTextExW = nullptr;
int g_drawTextCalls = 0;
int WINAPI CountingDrawTextExW(HDC dc, LPWSTR text, int length, LPRECT rect, UINT format, LPDRAWTEXTPARAMS params) {
  ++g_drawTextCalls;
  return g_realDrawTextExW(dc, text, length, rect, format, params);
}

decltype(&CreateWindowExW) g_realCreateWindowExW = nullptr;
HWND g_createdWindow = nullptr;
HWND WINAPI RecordingCreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR title, DWORD style, int x, int y,
                                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                                     LPVOID param) {
  HWND window = g_realCreateWindowExW(exStyle, className, title, style, x, y, width, height, parent, menu,
                                      instance, param);
  g_createdWindow = window;
  return window;
}

// A 32x32 white DIB section in a memory device context.
class Canvas {
 public:
  Canvas() : dc_(CreateCompatibleDC(nullptr)) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = 32;
    info.bmiHeader.biHeight = -32;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    old_ = SelectObject(dc_, bitmap_);
    RECT all = {0, 0, 32, 32};
    FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  }
  ~Canvas() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  HDC dc() const { return dc_; }

 private:
  HDC dc_;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

}  // namespace

TEST(SystemFunctions, GetSysColorFromAnotherModule) {
  g_realGetSysColor = reinterpret_cast<decltype(&GetSysColor)>(Export(L"user32.dll", "GetSysColor"));
  ASSERT_NE(nullptr, g_realGetSysColor);
  EXPECT_EQ(reinterpret_cast<const void*>(g_realGetSysColor), CalleeImportedGetSysColor());
  PrintPrologue("GetSysColor", reinterpret_cast<const void*>(g_realGetSysColor));
  const auto original = g_realGetSysColor;
  const DWORD window = CalleeGetSysColor(COLOR_WINDOW);
  const DWORD face = CalleeGetSysColor(COLOR_BTNFACE);
  ASSERT_NE(kFakeWindowColor, window);

  ASSERT_EQ(NO_ERROR, AttachOne(Slot(&g_realGetSysColor), Fn(FakeGetSysColor)));
  EXPECT_NE(original, g_realGetSysColor);
  g_getSysColorCalls = 0;
  EXPECT_EQ(kFakeWindowColor, CalleeGetSysColor(COLOR_WINDOW));
  EXPECT_EQ(face, CalleeGetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(2, g_getSysColorCalls);
  EXPECT_EQ(window, g_realGetSysColor(COLOR_WINDOW));  // the trampoline is not intercepted

  ASSERT_EQ(NO_ERROR, DetachOne(Slot(&g_realGetSysColor), Fn(FakeGetSysColor)));
  EXPECT_EQ(original, g_realGetSysColor);
  EXPECT_EQ(window, CalleeGetSysColor(COLOR_WINDOW));
  EXPECT_EQ(2, g_getSysColorCalls);
}

TEST(SystemFunctions, LineToFromAnotherModule) {
  g_realLineTo = reinterpret_cast<decltype(&LineTo)>(Export(L"gdi32.dll", "LineTo"));
  ASSERT_NE(nullptr, g_realLineTo);
  PrintPrologue("LineTo", reinterpret_cast<const void*>(g_realLineTo));
  const auto original = g_realLineTo;

  ASSERT_EQ(NO_ERROR, AttachOne(Slot(&g_realLineTo), Fn(LowerLineTo)));
  {
    Canvas canvas;
    MoveToEx(canvas.dc(), 2, 10, nullptr);
    g_lineToCalls = 0;
    EXPECT_TRUE(CalleeLineTo(canvas.dc(), 28, 10));
    EXPECT_EQ(1, g_lineToCalls);
    EXPECT_EQ(RGB(255, 255, 255), GetPixel(canvas.dc(), 15, 10));
    EXPECT_EQ(RGB(0, 0, 0), GetPixel(canvas.dc(), 15, 15));
  }
  ASSERT_EQ(NO_ERROR, DetachOne(Slot(&g_realLineTo), Fn(LowerLineTo)));
  EXPECT_EQ(original, g_realLineTo);
  {
    Canvas canvas;
    MoveToEx(canvas.dc(), 2, 10, nullptr);
    EXPECT_TRUE(CalleeLineTo(canvas.dc(), 28, 10));
    EXPECT_EQ(1, g_lineToCalls);
    EXPECT_EQ(RGB(0, 0, 0), GetPixel(canvas.dc(), 15, 10));
    EXPECT_EQ(RGB(255, 255, 255), GetPixel(canvas.dc(), 15, 15));
  }
}

TEST(SystemFunctions, DrawTextExWFromAnotherModule) {
  g_realDrawTextExW = reinterpret_cast<decltype(&DrawTextExW)>(Export(L"user32.dll", "DrawTextExW"));
  ASSERT_NE(nullptr, g_realDrawTextExW);
  PrintPrologue("DrawTextExW", reinterpret_cast<const void*>(g_realDrawTextExW));
  Canvas canvas;
  wchar_t text[] = L"Tessel";
  RECT expected = {0, 0, 0, 0};
  const int height = CalleeDrawTextExW(canvas.dc(), text, -1, &expected, DT_CALCRECT | DT_SINGLELINE);
  ASSERT_GT(height, 0);

  ASSERT_EQ(NO_ERROR, AttachOne(Slot(&g_realDrawTextExW), Fn(CountingDrawTextExW)));
  g_drawTextCalls = 0;
  RECT measured = {0, 0, 0, 0};
  EXPECT_EQ(height, CalleeDrawTextExW(canvas.dc(), text, -1, &measured, DT_CALCRECT | DT_SINGLELINE));
  EXPECT_EQ(expected.right, measured.right);
  EXPECT_EQ(expected.bottom, measured.bottom);
  EXPECT_EQ(1, g_drawTextCalls);

  ASSERT_EQ(NO_ERROR, DetachOne(Slot(&g_realDrawTextExW), Fn(CountingDrawTextExW)));
  EXPECT_EQ(height, CalleeDrawTextExW(canvas.dc(), text, -1, &measured, DT_CALCRECT | DT_SINGLELINE));
  EXPECT_EQ(1, g_drawTextCalls);
}

TEST(SystemFunctions, CreateWindowExWFromAnotherModule) {
  g_realCreateWindowExW = reinterpret_cast<decltype(&CreateWindowExW)>(Export(L"user32.dll", "CreateWindowExW"));
  ASSERT_NE(nullptr, g_realCreateWindowExW);
  PrintPrologue("CreateWindowExW", reinterpret_cast<const void*>(g_realCreateWindowExW));

  ASSERT_EQ(NO_ERROR, AttachOne(Slot(&g_realCreateWindowExW), Fn(RecordingCreateWindowExW)));
  g_createdWindow = nullptr;
  HWND window = CalleeCreateWindowExW(L"STATIC", L"intercepted", WS_POPUP);
  EXPECT_NE(nullptr, window);
  EXPECT_EQ(window, g_createdWindow);
  wchar_t title[32] = {};
  GetWindowTextW(window, title, 32);
  EXPECT_STREQ(L"intercepted", title);
  DestroyWindow(window);

  ASSERT_EQ(NO_ERROR, DetachOne(Slot(&g_realCreateWindowExW), Fn(RecordingCreateWindowExW)));
  g_createdWindow = nullptr;
  window = CalleeCreateWindowExW(L"STATIC", L"plain", WS_POPUP);
  EXPECT_NE(nullptr, window);
  EXPECT_EQ(nullptr, g_createdWindow);
  DestroyWindow(window);
}
