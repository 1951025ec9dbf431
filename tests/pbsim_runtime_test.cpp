// The runtime modules of the stand-in as the library binds to them: the module
// sets of each generation and their exports, the virtual machine's functions
// with their arguments and buffers, the runtime's own windows, and the
// internal functions that the runtime itself calls through their exports, so
// that an inline interception of them sees those calls.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "intercept/intercept.h"
#include "model/samples.h"
#include "pbsim_test_host.h"

using pbsim_test::Entry;

namespace {

const char* const kVmExports[] = {"FNX_DataWindowDescribe",     "FNX_DataWindowGetCurrentColumn",
                                  "FNX_DataWindowGetCurrentRow", "FNX_DataWindowGetRowCount",
                                  "FNX_DataWindowSaveAs",       "FNX_DataWindowSelectRow",
                                  "FNX_DataWindowSetAllEvents", "FNX_ObjectClassName",
                                  "FN_ConvertUnits",            "PBC_SetBorder",
                                  "fndwPrint",                  "FN_DWGetHandle",
                                  "FN_ListBoxWnd",              "FN_WindowWnd",
                                  "fndwModify"};
const char* const kEngineExports[] = {"dwModify",           "dwGetBandUnderMouse",   "dwGetObjectUnderMouse",
                                      "dwGetRowColUnderPoint", "dwGetProgram",      "dwInfoGetDWWidth",
                                      "dwGetCurrentText",   "dwGetCurrentTextLength", "dwPaintDC",
                                      "DW_Print",           "DW_Modify",             "dwWinProc",
                                      "dwWinProcEdit"};
const char* const kMissingInReducedSet[] = {"FN_ConvertUnits", "PBC_SetBorder", "dwInfoGetDWWidth",
                                            "dwGetRowColUnderPoint"};

// The fixed file version of a module's version resource, as a.b.c.d.
std::wstring FileVersion(HMODULE module) {
  wchar_t path[MAX_PATH + 1] = {};
  GetModuleFileNameW(module, path, MAX_PATH);
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
  std::vector<BYTE> block(size ? size : 1);
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!size || !GetFileVersionInfoW(path, 0, size, block.data()) ||
      !VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || !fixed)
    return L"none";
  return std::to_wstring(HIWORD(fixed->dwFileVersionMS)) + L"." + std::to_wstring(LOWORD(fixed->dwFileVersionMS)) +
         L"." + std::to_wstring(HIWORD(fixed->dwFileVersionLS)) + L"." + std::to_wstring(LOWORD(fixed->dwFileVersionLS));
}

std::wstring FileName(HMODULE module) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(module, path, MAX_PATH);
  const std::wstring full = path;
  return full.substr(full.find_last_of(L"\\/") + 1);
}

bool InReducedList(const char* name) {
  for (const char* missing : kMissingInReducedSet) {
    if (std::string(missing) == name) return true;
  }
  return false;
}

// One shared host window: destroying a top-level window takes Wine seconds.
pbsim_test::HostWindow& Host() {
  static pbsim_test::HostWindow host;
  return host;
}

class DataWindowFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(rt.Load());
    dw = rt.modules.CreateDataWindow(Host().Get(), pbsim::kEmployeeGridSyntax, nullptr, 10, 10, 500, 200, 0);
    ASSERT_NE(dw, nullptr);
  }
  void TearDown() override {
    if (dw) DestroyWindow(dw);
  }
  pbsim_test::Runtime rt;
  HWND dw = nullptr;
};

}  // namespace

TEST(RuntimeModules, EachGenerationHasItsThreeModulesAndExports) {
  struct Generation {
    int number;
    const wchar_t* vm;
    const wchar_t* engine;
    const wchar_t* system;
    const wchar_t* dwClass;
    const wchar_t* fileVersion;
  };
  const Generation generations[] = {
      {105, L"PBVM105.DLL", L"pbdwe105.DLL", L"pbsys105.DLL", L"pbdw105", L"10.5.0.0"},
      {125, L"PBVM125.DLL", L"pbdwe125.DLL", L"pbsys125.DLL", L"pbdw125", L"12.5.0.0"},
      {170, L"pbvm170.dll", L"pbdwe170.dll", L"pbsys170.dll", L"pbdw170", L"17.0.0.0"},
      {115, L"PBVM115.DLL", L"pbdwe115.DLL", L"pbsys115.DLL", L"pbdw115", L"11.5.0.0"},
      {220, L"pbvm.dll", L"pbdwe.dll", L"pbsysfunc.dll", L"pbdw220u", L"22.0.0.1878"},
  };
  for (const Generation& g : generations) {
    SCOPED_TRACE(g.number);
    pbsim_test::Runtime rt;
    ASSERT_TRUE(rt.Load(g.number));
    EXPECT_EQ(FileName(rt.modules.vm), g.vm);
    EXPECT_EQ(FileName(rt.modules.engine), g.engine);
    EXPECT_EQ(FileName(rt.modules.system), g.system);
    for (HMODULE module : {rt.modules.vm, rt.modules.engine, rt.modules.system}) {
      EXPECT_EQ(FileVersion(module), g.fileVersion);
    }
    const bool reduced = g.number == PBSIM_REDUCED_GENERATION;
    for (const char* name : kVmExports) {
      EXPECT_EQ(GetProcAddress(rt.modules.vm, name) != nullptr, !(reduced && InReducedList(name))) << name;
    }
    for (const char* name : kEngineExports) {
      EXPECT_EQ(GetProcAddress(rt.modules.engine, name) != nullptr, !(reduced && InReducedList(name))) << name;
    }
    // Undecorated stdcall names only.
    EXPECT_EQ(GetProcAddress(rt.modules.vm, "_FNX_DataWindowDescribe@16"), nullptr);
    EXPECT_EQ(GetProcAddress(rt.modules.vm, "FNX_DataWindowDescribe@16"), nullptr);
    auto generation = Entry<LONG(WINAPI*)()>(rt.modules.system, "pbsim_SystemGeneration");
    ASSERT_NE(generation, nullptr);
    EXPECT_EQ(generation(), g.number);

    // The engine's window class carries the generation; its DataWindows answer
    // through the virtual machine of the same generation.
    HWND dw = rt.modules.CreateDataWindow(Host().Get(), pbsim::kEmployeeGridSyntax, nullptr, 0, 0, 300, 150, 0);
    ASSERT_NE(dw, nullptr);
    wchar_t className[64] = {};
    GetClassNameW(dw, className, 64);
    EXPECT_STREQ(className, g.dwClass);
    EXPECT_EQ(rt.DescribeText(dw, L"DataWindow.Column.Count"), L"4");
    EXPECT_EQ(rt.GetRowCount(dw), 8);
    DestroyWindow(dw);
  }
}

TEST(RuntimeModules, AModuleOfOneGenerationLoadsAlone) {
  // The virtual machine does not pull the engine in: a host with only
  // PBVM<N>.DLL loaded has no engine until it loads one.
  HMODULE vm = LoadLibraryW(L"PBVM125.DLL");
  ASSERT_NE(vm, nullptr);
  EXPECT_EQ(GetModuleHandleW(L"pbdwe125.DLL"), nullptr);
  EXPECT_EQ(GetModuleHandleW(L"pbsys125.DLL"), nullptr);
  auto describe = Entry<pbsim_test::PFN_Describe>(vm, "FNX_DataWindowDescribe");
  ASSERT_NE(describe, nullptr);
  wchar_t buffer[8] = L"xxxxxxx";
  EXPECT_EQ(describe(Host().Get(), L"DataWindow.Units", buffer, 8), -1);
  EXPECT_STREQ(buffer, L"");
  HMODULE engine = LoadLibraryW(L"pbdwe125.DLL");
  ASSERT_NE(engine, nullptr);
  FreeLibrary(engine);
  EXPECT_EQ(GetModuleHandleW(L"pbdwe125.DLL"), nullptr);
  FreeLibrary(vm);
}

TEST_F(DataWindowFixture, DescribeWritesIntoTheCallersBufferOnly) {
  EXPECT_EQ(rt.DescribeText(dw, L"DataWindow.Units"), L"0");
  EXPECT_EQ(rt.DescribeText(dw, L"DataWindow.Processing"), L"1");
  EXPECT_EQ(rt.DescribeText(dw, L"#2.Name"), L"emp_name");
  EXPECT_EQ(rt.DescribeText(dw, L"DataWindow.Header.Height"), L"80");
  EXPECT_EQ(rt.DescribeText(dw, L"no_object.x"), L"!");

  // A small buffer gets a cut, terminated answer; nothing past it changes.
  std::vector<wchar_t> buffer(16, L'#');
  const LONG length = rt.Describe(dw, L"DataWindow.Syntax", buffer.data(), 8);
  EXPECT_GT(length, 100);
  EXPECT_EQ(std::wstring(buffer.data()), std::wstring(L"release"));
  EXPECT_EQ(buffer[8], L'#');
  EXPECT_EQ(rt.Describe(dw, L"DataWindow.Units", nullptr, 0), 1);
  EXPECT_EQ(rt.Describe(dw, nullptr, buffer.data(), 16), 0);

  // A buffer as large as the library's: the whole syntax, terminated.
  std::vector<wchar_t> large(2048000, L'\0');
  EXPECT_EQ(rt.Describe(dw, L"DataWindow.Syntax", large.data(), 2048000), length);
  EXPECT_EQ(std::wstring(large.data()).size(), static_cast<size_t>(length));

  // Other windows, destroyed windows and null are no DataWindows.
  wchar_t answer[16] = L"unchanged";
  EXPECT_EQ(rt.Describe(Host().Get(), L"DataWindow.Units", answer, 16), -1);
  EXPECT_STREQ(answer, L"");
  EXPECT_EQ(rt.Describe(nullptr, L"DataWindow.Units", answer, 16), -1);
  EXPECT_EQ(rt.GetCurrentRow(nullptr), -1);
  EXPECT_EQ(rt.GetRowCount(Host().Get()), -1);
  HWND gone = rt.modules.CreateDataWindow(Host().Get(), pbsim::kEmployeeGridSyntax, nullptr, 0, 0, 50, 50, 0);
  DestroyWindow(gone);
  EXPECT_EQ(rt.GetCurrentColumn(gone), -1);
  EXPECT_NE(rt.Modify(gone, L"DataWindow.Color='0'"), nullptr);
  EXPECT_EQ(rt.InfoGetDWWidth(gone), 0);
}

TEST_F(DataWindowFixture, ConvertUnitsUsesTheScreensResolution) {
  HDC screen = GetDC(nullptr);
  const int dpiX = GetDeviceCaps(screen, LOGPIXELSX);
  const int dpiY = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  if (dpiX != 96 || dpiY != 96) GTEST_SKIP() << "the screen is not at 96 dots per inch";
  EXPECT_EQ(rt.ConvertUnits(2, 2), 8);
  EXPECT_EQ(rt.ConvertUnits(-2, 2), -8);
  EXPECT_EQ(rt.ConvertUnits(8, 4), 2);
  EXPECT_EQ(rt.ConvertUnits(7, 1), 32);
  EXPECT_EQ(rt.ConvertUnits(32, 3), 7);
  EXPECT_EQ(rt.ConvertUnits(80, 4), 20);
  EXPECT_EQ(rt.ConvertUnits(5, 5), 0);
  EXPECT_EQ(rt.ConvertUnits(5, 0), 0);
}

TEST_F(DataWindowFixture, SetBorderTakesTheClientEdgeAwayAndBack) {
  RECT before;
  GetClientRect(dw, &before);
  EXPECT_EQ(rt.SetBorder(dw, 0), 1);
  EXPECT_FALSE(GetWindowLongPtrW(dw, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  RECT after;
  GetClientRect(dw, &after);
  EXPECT_EQ(after.right, before.right + 2 * GetSystemMetrics(SM_CXEDGE));
  EXPECT_EQ(rt.SetBorder(dw, 0), 0);
  EXPECT_EQ(rt.SetBorder(dw, 1), 1);
  EXPECT_TRUE(GetWindowLongPtrW(dw, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  EXPECT_EQ(rt.SetBorder(Host().Get(), 0), 0);
  EXPECT_EQ(rt.SetBorder(nullptr, 0), 0);
}

TEST_F(DataWindowFixture, RowSelectionSaveAsAndClassNames) {
  EXPECT_EQ(rt.SelectRow(dw, 2, 1), 1);
  EXPECT_EQ(rt.SelectRow(dw, 0, 1), 1);
  EXPECT_EQ(rt.SelectRow(dw, 0, 0), 1);
  EXPECT_EQ(rt.SelectRow(dw, 9, 1), -1);
  EXPECT_EQ(rt.SelectRow(Host().Get(), 1, 1), -1);

  // SaveAs writes the rows, tab-separated.
  wchar_t folder[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, folder);
  const std::wstring file = std::wstring(folder) + L"pbsim_saveas_test.txt";
  auto saveAs = Entry<LONG(WINAPI*)(HWND, LPCWSTR)>(rt.modules.vm, "FNX_DataWindowSaveAs");
  ASSERT_NE(saveAs, nullptr);
  ASSERT_EQ(saveAs(dw, file.c_str()), 1);
  HANDLE f = CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(f, INVALID_HANDLE_VALUE);
  char content[4096] = {};
  DWORD read = 0;
  ReadFile(f, content, sizeof(content) - 1, &read, nullptr);
  CloseHandle(f);
  DeleteFileW(file.c_str());
  const std::string text(content, read);
  EXPECT_EQ(text.substr(0, text.find('\n') + 1), "101\tAnn Lee\tSales\t5200.5\r\n");
  EXPECT_NE(text.find("107\tGrace O\"Neil\tFinance\t7000\r\n"), std::string::npos);
  EXPECT_EQ(saveAs(dw, nullptr), -1);

  // The runtime's own windows.
  auto className = Entry<LONG(WINAPI*)(HWND, LPWSTR, LONG)>(rt.modules.vm, "FNX_ObjectClassName");
  ASSERT_NE(className, nullptr);
  wchar_t name[32] = {};
  EXPECT_EQ(className(dw, name, 32), 10);
  EXPECT_STREQ(name, L"datawindow");

  HWND window = rt.modules.CreateRuntimeWindow(Host().Get(), L"w_main", 0, 0, 200, 100);
  ASSERT_NE(window, nullptr);
  wchar_t windowClass[32] = {};
  GetClassNameW(window, windowClass, 32);
  EXPECT_STREQ(windowClass, L"FNWND105");
  EXPECT_EQ(GetClassLongPtrW(window, GCLP_WNDPROC),
            reinterpret_cast<LONG_PTR>(GetProcAddress(rt.modules.vm, "FN_WindowWnd")));
  className(window, name, 32);
  EXPECT_STREQ(name, L"window");
  wchar_t title[32] = {};
  GetWindowTextW(window, title, 32);
  EXPECT_STREQ(title, L"w_main");

  HWND list = rt.modules.CreateRuntimeListBox(window, 5, 5, 100, 80);
  ASSERT_NE(list, nullptr);
  GetClassNameW(list, windowClass, 32);
  EXPECT_STREQ(windowClass, L"FNLISTBOX105");
  EXPECT_EQ(GetClassLongPtrW(list, GCLP_WNDPROC),
            reinterpret_cast<LONG_PTR>(GetProcAddress(rt.modules.vm, "FN_ListBoxWnd")));
  // A working list box underneath.
  SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"first"));
  SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"second"));
  EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 2);
  wchar_t item[32] = {};
  SendMessageW(list, LB_GETTEXT, 1, reinterpret_cast<LPARAM>(item));
  EXPECT_STREQ(item, L"second");
  className(list, name, 32);
  EXPECT_STREQ(name, L"listbox");
  EXPECT_EQ(className(Host().Get(), name, 32), -1);
  EXPECT_EQ(rt.modules.CreateRuntimeListBox(nullptr, 0, 0, 10, 10), nullptr);
  DestroyWindow(window);

  // Hosts may create the classes with their own instance handle.
  HWND byHost = CreateWindowExW(0, L"pbdw105", L"", WS_CHILD, 0, 0, 100, 100, Host().Get(), nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(byHost, nullptr);
  EXPECT_EQ(className(byHost, name, 32), 10);
  EXPECT_EQ(rt.GetRowCount(byHost), 0);
  DestroyWindow(byHost);

  HWND topLevel = rt.modules.CreateRuntimeWindow(nullptr, L"top", 0, 0, 100, 100);
  ASSERT_NE(topLevel, nullptr);
  EXPECT_EQ(GetParent(topLevel), nullptr);
  SendMessageW(topLevel, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(topLevel));
}

TEST_F(DataWindowFixture, InternalFunctionsTakeAWindowAndAPointer) {
  auto getHandle = Entry<pbsim_test::PFN_Internal>(rt.modules.vm, "FN_DWGetHandle");
  auto scriptModify = Entry<pbsim_test::PFN_Internal>(rt.modules.vm, "fndwModify");
  auto engineModify = Entry<pbsim_test::PFN_Internal>(rt.modules.engine, "DW_Modify");
  ASSERT_TRUE(getHandle && scriptModify && engineModify);
  const LONG_PTR window = reinterpret_cast<LONG_PTR>(dw);
  EXPECT_EQ(getHandle(window, 0), window);
  EXPECT_EQ(getHandle(reinterpret_cast<LONG_PTR>(Host().Get()), 0), 0);
  EXPECT_EQ(getHandle(0, 0), 0);
  EXPECT_EQ(scriptModify(window, reinterpret_cast<LONG_PTR>(L"emp_id_t.text='A'")), 0);
  EXPECT_EQ(rt.DescribeText(dw, L"emp_id_t.text"), L"A");
  EXPECT_EQ(engineModify(window, reinterpret_cast<LONG_PTR>(L"emp_id_t.text='B'")), 0);
  EXPECT_EQ(rt.DescribeText(dw, L"emp_id_t.text"), L"B");
  const LONG_PTR error = scriptModify(window, reinterpret_cast<LONG_PTR>(L"emp_id_t.text="));
  ASSERT_NE(error, 0);
  EXPECT_STRNE(reinterpret_cast<LPCWSTR>(error), L"");
  EXPECT_NE(scriptModify(reinterpret_cast<LONG_PTR>(Host().Get()), reinterpret_cast<LONG_PTR>(L"a.b='1'")), 0);
  EXPECT_EQ(scriptModify(window, 0), 0);
}

// ---- Inline interception of the runtime's internal functions ---------------

namespace {

WNDPROC g_realWinProc = nullptr;
pbsim_test::PFN_Internal g_realDWModify = nullptr;
pbsim_test::PFN_Internal g_realGetHandle = nullptr;
pbsim_test::PFN_PaintDC g_realPaintDC = nullptr;
int g_winProcCalls = 0;
int g_modifyCalls = 0;
int g_getHandleCalls = 0;
int g_paintCalls = 0;
LONG_PTR g_printedWindow = 0;
UINT g_keyMessages = 0;

LRESULT CALLBACK WinProcDetour(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  ++g_winProcCalls;
  if (message == WM_KEYDOWN) ++g_keyMessages;
  return g_realWinProc(window, message, wParam, lParam);
}

LONG_PTR WINAPI DWModifyDetour(LONG_PTR dw, LONG_PTR text) {
  ++g_modifyCalls;
  return g_realDWModify(dw, text);
}

LONG_PTR WINAPI GetHandleDetour(LONG_PTR dw, LONG_PTR other) {
  ++g_getHandleCalls;
  g_printedWindow = g_realGetHandle(dw, other);
  return g_printedWindow;
}

LONG WINAPI PaintDCDetour(HWND dw, HDC dc) {
  ++g_paintCalls;
  return g_realPaintDC(dw, dc);
}

PVOID* Slot(void* pointer) { return reinterpret_cast<PVOID*>(pointer); }
template <class F>
PVOID Fn(F function) {
  return reinterpret_cast<PVOID>(function);
}

}  // namespace

TEST_F(DataWindowFixture, InliningInterceptionCatchesTheRuntimesOwnCalls) {
  // Found by module and name, as the library finds them.
  g_realWinProc = reinterpret_cast<WNDPROC>(InterceptFindFunction("pbdwe105.DLL", "dwWinProc"));
  g_realDWModify = reinterpret_cast<pbsim_test::PFN_Internal>(InterceptFindFunction("pbdwe105.DLL", "DW_Modify"));
  g_realGetHandle =
      reinterpret_cast<pbsim_test::PFN_Internal>(InterceptFindFunction("PBVM105.DLL", "FN_DWGetHandle"));
  g_realPaintDC = reinterpret_cast<pbsim_test::PFN_PaintDC>(InterceptFindFunction("pbdwe105.DLL", "dwPaintDC"));
  ASSERT_EQ(reinterpret_cast<void*>(g_realWinProc), reinterpret_cast<void*>(GetProcAddress(rt.modules.engine, "dwWinProc")));
  ASSERT_TRUE(g_realDWModify && g_realGetHandle && g_realPaintDC);

  ASSERT_EQ(InterceptTransactionBegin(), NO_ERROR);
  InterceptUpdateThread(GetCurrentThread());
  const LONG attached[] = {InterceptAttach(Slot(&g_realWinProc), Fn(WinProcDetour)),
                           InterceptAttach(Slot(&g_realDWModify), Fn(DWModifyDetour)),
                           InterceptAttach(Slot(&g_realGetHandle), Fn(GetHandleDetour)),
                           InterceptAttach(Slot(&g_realPaintDC), Fn(PaintDCDetour))};
  for (LONG result : attached) {
    if (result != NO_ERROR) {
      InterceptTransactionAbort();
      GTEST_SKIP() << "the interception engine cannot attach to these functions on this architecture (error "
                   << result << ")";
    }
  }
  ASSERT_EQ(InterceptTransactionCommit(), NO_ERROR);
  g_winProcCalls = g_modifyCalls = g_getHandleCalls = g_paintCalls = 0;
  g_keyMessages = 0;

  // Every message of the class goes through dwWinProc.
  SendMessageW(dw, WM_KEYDOWN, VK_DOWN, 1);
  EXPECT_EQ(g_keyMessages, 1u);
  EXPECT_EQ(rt.GetCurrentRow(dw), 2);
  // Painting goes through dwPaintDC.
  RedrawWindow(dw, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_GE(g_paintCalls, 1);
  EXPECT_GT(g_winProcCalls, 1);
  // The library's dwModify does not pass DW_Modify; a script-level modify does.
  EXPECT_EQ(rt.Modify(dw, L"emp_id_t.text='Direct'"), nullptr);
  EXPECT_EQ(g_modifyCalls, 0);
  EXPECT_EQ(rt.modules.ScriptModify(dw, L"emp_id_t.text='Script'", nullptr, 0), 1);
  EXPECT_EQ(g_modifyCalls, 1);
  EXPECT_EQ(rt.DescribeText(dw, L"emp_id_t.text"), L"Script");
  // Printing asks FN_DWGetHandle for the printed window.
  pbsim_test::Dib page(400, 300);
  EXPECT_EQ(rt.modules.PrintToDC(dw, page.Dc()), 1);
  EXPECT_EQ(g_getHandleCalls, 1);
  EXPECT_EQ(g_printedWindow, reinterpret_cast<LONG_PTR>(dw));

  ASSERT_EQ(InterceptTransactionBegin(), NO_ERROR);
  InterceptUpdateThread(GetCurrentThread());
  InterceptDetach(Slot(&g_realWinProc), Fn(WinProcDetour));
  InterceptDetach(Slot(&g_realDWModify), Fn(DWModifyDetour));
  InterceptDetach(Slot(&g_realGetHandle), Fn(GetHandleDetour));
  InterceptDetach(Slot(&g_realPaintDC), Fn(PaintDCDetour));
  ASSERT_EQ(InterceptTransactionCommit(), NO_ERROR);
  const int calls = g_winProcCalls;
  SendMessageW(dw, WM_KEYDOWN, VK_DOWN, 1);
  EXPECT_EQ(rt.GetCurrentRow(dw), 3);
  EXPECT_EQ(rt.modules.ScriptModify(dw, L"emp_id_t.text='Again'", nullptr, 0), 1);
  EXPECT_EQ(g_winProcCalls, calls);
  EXPECT_EQ(g_modifyCalls, 1);
}

namespace {

typedef int(WINAPI* PFN_FillRect)(HDC, const RECT*, HBRUSH);
PFN_FillRect g_realFillRect = nullptr;
HWND g_watchedWindow = nullptr;
std::vector<RECT> g_windowFills;

int WINAPI FillRectDetour(HDC dc, const RECT* rect, HBRUSH brush) {
  if (rect && g_watchedWindow && WindowFromDC(dc) == g_watchedWindow) g_windowFills.push_back(*rect);
  return g_realFillRect(dc, rect, brush);
}

bool Filled(const RECT& wanted) {
  for (const RECT& r : g_windowFills) {
    if (EqualRect(&r, &wanted)) return true;
  }
  return false;
}

}  // namespace

TEST_F(DataWindowFixture, TheBoxBetweenTheScrollBarsIsFilledInWindowCoordinates) {
  HWND both = rt.modules.CreateDataWindow(Host().Get(), pbsim::kEmployeeGridSyntax,
                                          pbsim_test::EmployeeRows(40).c_str(), 0, 0, 200, 200, 0);
  ASSERT_NE(both, nullptr);
  const LONG_PTR style = GetWindowLongPtrW(both, GWL_STYLE);
  ASSERT_TRUE((style & WS_VSCROLL) && (style & WS_HSCROLL));
  g_realFillRect = reinterpret_cast<PFN_FillRect>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "FillRect")));
  ASSERT_NE(g_realFillRect, nullptr);
  ASSERT_EQ(InterceptTransactionBegin(), NO_ERROR);
  InterceptUpdateThread(GetCurrentThread());
  const LONG attached = InterceptAttach(Slot(&g_realFillRect), Fn(FillRectDetour));
  if (attached != NO_ERROR) {
    InterceptTransactionAbort();
    DestroyWindow(both);
    GTEST_SKIP() << "the interception engine cannot attach to FillRect here (error " << attached << ")";
  }
  ASSERT_EQ(InterceptTransactionCommit(), NO_ERROR);

  auto expectedBox = [&](int inset) {
    RECT window;
    GetWindowRect(both, &window);
    OffsetRect(&window, -window.left, -window.top);
    RECT box = {window.right - inset - GetSystemMetrics(SM_CXVSCROLL),
                window.bottom - inset - GetSystemMetrics(SM_CYHSCROLL), window.right - inset, window.bottom - inset};
    return box;
  };
  g_watchedWindow = both;
  g_windowFills.clear();
  RedrawWindow(both, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
  const bool withEdge = Filled(expectedBox(GetSystemMetrics(SM_CXEDGE)));
  // Without the client edge the box reaches the window's corner.
  ASSERT_EQ(rt.SetBorder(both, 0), 1);
  g_windowFills.clear();
  RedrawWindow(both, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
  const bool withoutEdge = Filled(expectedBox(0));
  // A window with one scroll bar has no box.
  HWND one = rt.modules.CreateDataWindow(Host().Get(), pbsim::kEmployeeGridSyntax,
                                         pbsim_test::EmployeeRows(40).c_str(), 0, 0, 500, 200, 0);
  g_watchedWindow = one;
  g_windowFills.clear();
  RedrawWindow(one, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
  const size_t oneBarFills = g_windowFills.size();
  g_watchedWindow = nullptr;

  ASSERT_EQ(InterceptTransactionBegin(), NO_ERROR);
  InterceptUpdateThread(GetCurrentThread());
  InterceptDetach(Slot(&g_realFillRect), Fn(FillRectDetour));
  ASSERT_EQ(InterceptTransactionCommit(), NO_ERROR);
  DestroyWindow(both);
  DestroyWindow(one);
  EXPECT_TRUE(withEdge);
  EXPECT_TRUE(withoutEdge);
  EXPECT_EQ(oneBarFills, 0u);
}
