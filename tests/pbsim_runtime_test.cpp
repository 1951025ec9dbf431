// The stand-in's runtime modules as the library binds to them: modules and exports of each generation,
// buffers, the runtime's own windows, and internal functions called through their exports.
#include <gtest/gtest.h>
#include <windows.h>

#include <sstream>
#include <string>
#include <vector>

#include "dib.h"
#include "intercept/intercept.h"
#include "model/samples.h"
#include "pbsim_runtime.h"

namespace {

typedef LONG_PTR(WINAPI* PFN_Internal)(LONG_PTR, LONG_PTR);

// Generation 105, loaded once: freeing a top-level window costs Wine seconds.
PbsimRuntime& Rt() {
    static PbsimRuntime runtime;
    return runtime;
}

std::wstring FileName(HMODULE module) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(module, path, MAX_PATH);
    const std::wstring full = path;
    return full.substr(full.find_last_of(L"\\/") + 1);
}

struct Generation {
    int number;
    const wchar_t *vm, *engine, *system, *dwClass;
};

class RuntimeGeneration : public ::testing::TestWithParam<Generation> {};

class DataWindowFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(rt.ok());
        dw = rt.Create(pbsim::kEmployeeGridSyntax, 0, 500, 200);
        ASSERT_NE(dw, nullptr);
    }
    void TearDown() override { DestroyWindow(dw); }
    PbsimRuntime& rt = Rt();
    HWND dw = nullptr;
};

// One function intercepted while in scope, in a transaction of its own.
struct Detour {
    Detour(void* real, void* detour) : real(static_cast<PVOID*>(real)), detour(detour) {
        InterceptTransactionBegin();
        InterceptUpdateThread(GetCurrentThread());
        attached = InterceptAttach(this->real, detour);
        if (attached == NO_ERROR) attached = InterceptTransactionCommit();
        else InterceptTransactionAbort();
    }
    ~Detour() {
        if (attached != NO_ERROR) return;
        InterceptTransactionBegin();
        InterceptUpdateThread(GetCurrentThread());
        InterceptDetach(real, detour);
        InterceptTransactionCommit();
    }
    PVOID* real;
    PVOID detour;
    LONG attached;
};

}  // namespace

// Catches a wrong file name, class name or export of one generation.
TEST_P(RuntimeGeneration, HasItsThreeModulesAndExports) {
    const Generation& g = GetParam();
    PbsimRuntime rt(g.number);
    ASSERT_TRUE(rt.ok());
    EXPECT_EQ(FileName(rt.vm()), g.vm);
    EXPECT_EQ(FileName(rt.engine()), g.engine);
    EXPECT_EQ(FileName(rt.system()), g.system);
    const bool reduced = g.number == 115;
    std::string name;
    const char* exports =
        "vm FNX_DataWindowSaveAs FNX_DataWindowSetAllEvents FNX_ObjectClassName fndwPrint FN_DWGetHandle "
        "FN_ListBoxWnd FN_WindowWnd fndwModify FNX_DataWindowDescribe engine dwGetBandUnderMouse "
        "dwGetObjectUnderMouse dwGetProgram dwGetCurrentText dwGetCurrentTextLength dwPaintDC "
        "DW_Print DW_Modify dwWinProc dwWinProcEdit";
    HMODULE module = nullptr;
    for (std::istringstream in(exports); in >> name;) {
        if (name == "vm" || name == "engine") module = name == "vm" ? rt.vm() : rt.engine();
        else EXPECT_NE(GetProcAddress(module, name.c_str()), nullptr) << name;
    }
    EXPECT_EQ(std::vector<bool>({!rt.ConvertUnits, !rt.SetBorder, !rt.InfoGetDWWidth, !rt.GetRowColUnderPoint}),
              std::vector<bool>(4, reduced));
    EXPECT_EQ(GetProcAddress(rt.vm(), "_FNX_DataWindowDescribe@16"), nullptr) << "undecorated names only";
    auto generation = PbsimRuntime::Proc<LONG(WINAPI*)()>(rt.system(), "pbsim_SystemGeneration");
    ASSERT_NE(generation, nullptr);
    EXPECT_EQ(generation(), g.number);

    EXPECT_EQ(rt.CreateDataWindow(nullptr, pbsim::kEmployeeGridSyntax, nullptr, 0, 0, 9, 9, 0), nullptr);
    HWND dw = rt.Create(pbsim::kEmployeeGridSyntax, 0, 300, 150);
    ASSERT_NE(dw, nullptr);
    wchar_t className[64] = {};
    GetClassNameW(dw, className, 64);
    EXPECT_STREQ(className, g.dwClass);
    EXPECT_EQ(rt.Describe(dw, L"DataWindow.Column.Count") + std::to_wstring(rt.GetRowCount(dw)), L"48");
    DestroyWindow(dw);
}

INSTANTIATE_TEST_SUITE_P(
    Pbsim, RuntimeGeneration,
    ::testing::Values(Generation{105, L"PBVM105.DLL", L"pbdwe105.DLL", L"pbsys105.DLL", L"pbdw105"},
                      Generation{125, L"PBVM125.DLL", L"pbdwe125.DLL", L"pbsys125.DLL", L"pbdw125"},
                      Generation{170, L"pbvm170.dll", L"pbdwe170.dll", L"pbsys170.dll", L"pbdw170"},
                      Generation{115, L"PBVM115.DLL", L"pbdwe115.DLL", L"pbsys115.DLL", L"pbdw115"},
                      Generation{220, L"pbvm.dll", L"pbdwe.dll", L"pbsysfunc.dll", L"pbdw220u"}),
    [](const ::testing::TestParamInfo<Generation>& info) { return "G" + std::to_string(info.param.number); });

// Catches a virtual machine that pulls its engine in, or answers for a window no engine made.
TEST(RuntimeModules, TheVirtualMachineLoadsAlone) {
    PbsimRuntime vmOnly(125, true);
    ASSERT_NE(vmOnly.vm(), nullptr);
    EXPECT_EQ(GetModuleHandleW(L"pbdwe125.DLL"), nullptr);
    EXPECT_EQ(GetModuleHandleW(L"pbsys125.DLL"), nullptr);
    wchar_t buffer[8] = L"xxxxxxx";
    EXPECT_EQ(vmOnly.DescribeEntry(GetDesktopWindow(), L"DataWindow.Units", buffer, 8), -1);
    EXPECT_STREQ(buffer, L"");
}

// Catches a describe that writes past the caller's buffer, does not cut, or answers for other windows; swapped
// arguments or a wrong resolution in FN_ConvertUnits, a border not changed; wrong row checks in SelectRow, runtime
// windows of the wrong class, procedure or class name; internal functions that lose their window or text argument,
// or modifies left out of the log.
TEST_F(DataWindowFixture, EntryPointsOnOneDataWindow) {
    EXPECT_EQ(rt.Describe(dw, L"DataWindow.Units #2.Name DataWindow.Header.Height"), L"0\nemp_name\n80");
    EXPECT_EQ(rt.Describe(dw, L"no_object.x"), L"!");
    std::vector<wchar_t> buffer(16, L'#');
    const LONG length = rt.DescribeEntry(dw, L"DataWindow.Syntax", buffer.data(), 8);
    EXPECT_GT(length, 100);
    EXPECT_STREQ(buffer.data(), L"release");
    EXPECT_EQ(buffer[8], L'#');
    EXPECT_EQ(rt.DescribeEntry(dw, L"DataWindow.Units", nullptr, 0), 1);
    EXPECT_EQ(rt.DescribeEntry(dw, nullptr, buffer.data(), 16), 0);
    EXPECT_EQ(rt.Describe(dw, L"DataWindow.Syntax").size(), static_cast<size_t>(length));

    wchar_t answer[16] = L"unchanged";
    EXPECT_EQ(rt.DescribeEntry(rt.host(), L"DataWindow.Units", answer, 16), -1);
    EXPECT_STREQ(answer, L"");
    EXPECT_EQ(rt.DescribeEntry(nullptr, L"DataWindow.Units", answer, 16) + rt.GetCurrentRow(nullptr) +
                  rt.GetRowCount(rt.host()) + rt.InfoGetDWWidth(rt.host()),
              -3);
    EXPECT_NE(rt.Modify(rt.host(), L"DataWindow.Color='0'"), nullptr);

    HDC screen = GetDC(nullptr);
    ASSERT_EQ(GetDeviceCaps(screen, LOGPIXELSY), 96) << "the test display runs at 96 dots per inch";
    ReleaseDC(nullptr, screen);
    const LONG conversions[][3] = {{2, 2, 8}, {-2, 2, -8}, {8, 4, 2}, {7, 1, 32}, {32, 3, 7}, {5, 5, 0}};
    for (const auto& c : conversions) EXPECT_EQ(rt.ConvertUnits(c[0], c[1]), c[2]) << c[0] << " kind " << c[1];

    RECT before, after;
    GetClientRect(dw, &before);
    EXPECT_EQ(rt.SetBorder(dw, 0), 1);
    EXPECT_FALSE(GetWindowLongPtrW(dw, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    GetClientRect(dw, &after);
    EXPECT_EQ(after.right, before.right + 2 * GetSystemMetrics(SM_CXEDGE));
    EXPECT_EQ(rt.SetBorder(dw, 0) * 100 + rt.SetBorder(dw, 1) * 10 + rt.SetBorder(rt.host(), 0), 10);
    EXPECT_TRUE(GetWindowLongPtrW(dw, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);

    EXPECT_EQ(rt.SelectRow(dw, 0, 0) * 100 + rt.SelectRow(dw, 9, 1) * 10 + rt.SelectRow(rt.host(), 1, 1), 100 - 10 - 1);
    auto className = PbsimRuntime::Proc<LONG(WINAPI*)(HWND, LPWSTR, LONG)>(rt.vm(), "FNX_ObjectClassName");
    wchar_t name[32] = {};
    EXPECT_EQ(className(dw, name, 32), 10);
    EXPECT_STREQ(name, L"datawindow");
    EXPECT_EQ(className(rt.host(), name, 32), -1);
    HWND frame = rt.CreateRuntimeWindow(rt.host(), L"w_main", 0, 0, 200, 100);
    HWND list = rt.CreateRuntimeListBox(frame, 5, 5, 100, 80);
    ASSERT_TRUE(frame && list);
    struct Expected {
        HWND window;
        const wchar_t *windowClass, *runtimeClass;
        const char* procedure;
    };
    for (const Expected& e : {Expected{frame, L"FNWND105", L"window", "FN_WindowWnd"},
                              Expected{list, L"FNLISTBOX105", L"listbox", "FN_ListBoxWnd"}}) {
        GetClassNameW(e.window, name, 32);
        EXPECT_STREQ(name, e.windowClass);
        EXPECT_EQ(GetClassLongPtrW(e.window, GCLP_WNDPROC),
                  reinterpret_cast<LONG_PTR>(GetProcAddress(rt.vm(), e.procedure)));
        className(e.window, name, 32);
        EXPECT_STREQ(name, e.runtimeClass);
    }
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"first"));
    EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 1) << "a working list box underneath";
    EXPECT_EQ(rt.CreateRuntimeListBox(nullptr, 0, 0, 10, 10), nullptr);
    DestroyWindow(frame);

    rt.ClearModifyLog(dw);
    auto getHandle = PbsimRuntime::Proc<PFN_Internal>(rt.vm(), "FN_DWGetHandle");
    auto scriptModify = PbsimRuntime::Proc<PFN_Internal>(rt.vm(), "fndwModify");
    auto engineModify = PbsimRuntime::Proc<PFN_Internal>(rt.engine(), "DW_Modify");
    const LONG_PTR window = reinterpret_cast<LONG_PTR>(dw);
    EXPECT_EQ(getHandle(window, 0), window);
    EXPECT_EQ(getHandle(reinterpret_cast<LONG_PTR>(rt.host()), 0), 0);
    EXPECT_EQ(scriptModify(window, reinterpret_cast<LONG_PTR>(L"emp_id_t.text='A'")), 0);
    EXPECT_EQ(rt.Describe(dw, L"emp_id_t.text"), L"A");
    EXPECT_EQ(engineModify(window, reinterpret_cast<LONG_PTR>(L"emp_id_t.text='B'")), 0);
    EXPECT_EQ(rt.Describe(dw, L"emp_id_t.text"), L"B");
    EXPECT_STREQ(reinterpret_cast<LPCWSTR>(scriptModify(window, reinterpret_cast<LONG_PTR>(L"emp_id_t.text="))),
                 L"Line 1 Column 15 incorrect syntax");
    EXPECT_NE(scriptModify(reinterpret_cast<LONG_PTR>(rt.host()), reinterpret_cast<LONG_PTR>(L"a.b='1'")), 0);
    std::vector<std::wstring> texts, results;
    rt.ModifyLogWithResults(dw, &texts, &results);
    EXPECT_EQ(texts, std::vector<std::wstring>({L"emp_id_t.text='A'", L"emp_id_t.text='B'", L"emp_id_t.text="}));
    EXPECT_EQ(results, std::vector<std::wstring>({L"", L"", L"Line 1 Column 15 incorrect syntax"}));
}

namespace {

WNDPROC g_winProc = nullptr;
PFN_Internal g_dwModify = nullptr, g_getHandle = nullptr;
LONG(WINAPI* g_paintDC)(HWND, HDC) = nullptr;
int g_keys = 0, g_modifies = 0, g_handles = 0, g_paints = 0;
LONG_PTR g_printedWindow = 0;

LRESULT CALLBACK WinProcDetour(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    g_keys += message == WM_KEYDOWN;
    return g_winProc(w, message, wParam, lParam);
}
LONG_PTR WINAPI DWModifyDetour(LONG_PTR dw, LONG_PTR text) { return ++g_modifies, g_dwModify(dw, text); }
LONG_PTR WINAPI GetHandleDetour(LONG_PTR dw, LONG_PTR other) {
    ++g_handles;
    return g_printedWindow = g_getHandle(dw, other);
}
LONG WINAPI PaintDCDetour(HWND dw, HDC dc) { return ++g_paints, g_paintDC(dw, dc); }

}  // namespace

// Catches a runtime that calls its internal functions directly instead of through their exports.
TEST_F(DataWindowFixture, InlineInterceptionCatchesTheRuntimesOwnCalls) {
    g_winProc = reinterpret_cast<WNDPROC>(InterceptFindFunction("pbdwe105.DLL", "dwWinProc"));
    g_dwModify = reinterpret_cast<PFN_Internal>(InterceptFindFunction("pbdwe105.DLL", "DW_Modify"));
    g_getHandle = reinterpret_cast<PFN_Internal>(InterceptFindFunction("PBVM105.DLL", "FN_DWGetHandle"));
    g_paintDC = reinterpret_cast<LONG(WINAPI*)(HWND, HDC)>(InterceptFindFunction("pbdwe105.DLL", "dwPaintDC"));
    ASSERT_EQ(reinterpret_cast<void*>(g_winProc), reinterpret_cast<void*>(GetProcAddress(rt.engine(), "dwWinProc")));
    {
        Detour detours[] = {{&g_winProc, reinterpret_cast<void*>(WinProcDetour)},
                            {&g_dwModify, reinterpret_cast<void*>(DWModifyDetour)},
                            {&g_getHandle, reinterpret_cast<void*>(GetHandleDetour)},
                            {&g_paintDC, reinterpret_cast<void*>(PaintDCDetour)}};
        for (const Detour& d : detours) ASSERT_EQ(d.attached, NO_ERROR);
        g_keys = g_modifies = g_handles = g_paints = 0;
        SendMessageW(dw, WM_KEYDOWN, VK_DOWN, 1);
        EXPECT_EQ(g_keys, 1);
        EXPECT_EQ(rt.GetCurrentRow(dw), 2);
        RedrawWindow(dw, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        EXPECT_GE(g_paints, 1);
        EXPECT_EQ(rt.Modify(dw, L"emp_id_t.text='Direct'"), nullptr);
        EXPECT_EQ(g_modifies, 0);
        EXPECT_EQ(rt.ScriptModify(dw, L"emp_id_t.text='Script'", nullptr, 0), 1);
        EXPECT_EQ(g_modifies, 1);
        Dib page(400, 300);
        EXPECT_EQ(rt.PrintToDC(dw, page.Dc()), 1);
        EXPECT_EQ(g_handles, 1);
        EXPECT_EQ(g_printedWindow, reinterpret_cast<LONG_PTR>(dw));
    }
    SendMessageW(dw, WM_KEYDOWN, VK_DOWN, 1);
    EXPECT_EQ(rt.ScriptModify(dw, L"emp_id_t.text='Again'", nullptr, 0), 1);
    EXPECT_EQ(rt.GetCurrentRow(dw), 3);
    EXPECT_EQ(g_keys + g_modifies, 2) << "detached, nothing reaches the detours";
}
