// The stand-in's runtime modules as the library binds to them: modules and exports of each generation, answers
// into the caller's buffer and for windows that are no DataWindow, and internal functions called through their
// exports, where inline interception sees them.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "intercept/intercept.h"
#include "model/samples.h"
#include "pbsim_runtime.h"

namespace {

typedef LONG_PTR(WINAPI* PFN_Internal)(LONG_PTR, LONG_PTR);

std::wstring FileName(HMODULE module) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(module, path, MAX_PATH);
    return wcsrchr(path, L'\\') ? wcsrchr(path, L'\\') + 1 : path;
}

// A generation and its virtual machine, engine and system modules, then the DataWindow's class.
class RuntimeGeneration : public ::testing::TestWithParam<std::pair<int, const wchar_t*>> {};

// Generation 105, loaded once (freeing a top-level window costs Wine seconds), and a grid of its own for each test.
class DataWindowFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(rt.ok());
        ASSERT_NE(dw = rt.Create(pbsim::kEmployeeGridSyntax, 0, 500, 200), nullptr);
    }
    void TearDown() override { DestroyWindow(dw); }
    static inline PbsimRuntime rt{};
    HWND dw = nullptr;
};

}  // namespace

// Catches a wrong file name, class name or export of one generation.
TEST_P(RuntimeGeneration, HasItsThreeModulesAndExports) {
    PbsimRuntime rt(GetParam().first);
    ASSERT_TRUE(rt.ok());
    for (const char* name : {"FNX_DataWindowSaveAs", "FNX_DataWindowSetAllEvents", "FNX_ObjectClassName", "fndwPrint",
                             "FN_DWGetHandle", "FN_ListBoxWnd", "FN_WindowWnd", "fndwModify", "FNX_DataWindowDescribe"})
        EXPECT_NE(GetProcAddress(rt.vm(), name), nullptr) << name;
    for (const char* name :
         {"dwGetBandUnderMouse", "dwGetObjectUnderMouse", "dwGetProgram", "dwGetCurrentText", "dwGetCurrentTextLength",
          "dwPaintDC", "DW_Print", "DW_Modify", "dwWinProc", "dwWinProcEdit"})
        EXPECT_NE(GetProcAddress(rt.engine(), name), nullptr) << name;
    EXPECT_EQ(std::vector<bool>({!rt.ConvertUnits, !rt.SetBorder, !rt.InfoGetDWWidth, !rt.GetRowColUnderPoint}),
              std::vector<bool>(4, GetParam().first == 115));
    HWND dw = rt.Create(pbsim::kEmployeeGridSyntax, 0, 300, 150);
    wchar_t className[64] = {};
    GetClassNameW(dw, className, 64);
    EXPECT_EQ(FileName(rt.vm()) + L" " + FileName(rt.engine()) + L" " + FileName(rt.system()) + L" " + className +
                  L"|" + rt.Describe(dw, L"DataWindow.Column.Count") + std::to_wstring(rt.GetRowCount(dw)),
              GetParam().second + std::wstring(L"|48"));
    DestroyWindow(dw);
}

const std::pair<int, const wchar_t*> kGenerations[] = {{105, L"PBVM105.DLL pbdwe105.DLL pbsys105.DLL pbdw105"},
                                                       {125, L"PBVM125.DLL pbdwe125.DLL pbsys125.DLL pbdw125"},
                                                       {170, L"pbvm170.dll pbdwe170.dll pbsys170.dll pbdw170"},
                                                       {115, L"PBVM115.DLL pbdwe115.DLL pbsys115.DLL pbdw115"},
                                                       {220, L"pbvm.dll pbdwe.dll pbsysfunc.dll pbdw220u"}};
INSTANTIATE_TEST_SUITE_P(Pbsim, RuntimeGeneration, ::testing::ValuesIn(kGenerations),
                         [](const auto& g) { return "G" + std::to_string(g.param.first); });

// Catches a describe that writes past the caller's buffer, does not cut, or answers for other windows; a border
// taken off twice; wrong row checks in SelectRow, a wrong runtime class name.
TEST_F(DataWindowFixture, EntryPointsOnOneDataWindow) {
    std::vector<wchar_t> buffer(16, L'#');
    const LONG length = rt.DescribeEntry(dw, L"DataWindow.Syntax", buffer.data(), 8);
    EXPECT_EQ(rt.Describe(dw, L"DataWindow.Syntax").size(), static_cast<size_t>(length));
    EXPECT_EQ(std::wstring(buffer.data()) + buffer[8], L"release#") << "cut to the buffer and no further";
    auto className = PbsimRuntime::Proc<LONG(WINAPI*)(HWND, LPWSTR, LONG)>(rt.vm(), "FNX_ObjectClassName");
    wchar_t answer[16] = L"unchanged", name[16] = L"#";
    // Windows that are no DataWindow, rows out of range, a border taken off twice, the class name.
    EXPECT_EQ(std::vector<LONG>({rt.DescribeEntry(rt.host(), L"DataWindow.Units", answer, 16),
                                 rt.DescribeEntry(nullptr, L"DataWindow.Units", answer, 16), rt.GetCurrentRow(nullptr),
                                 rt.GetRowCount(rt.host()), rt.InfoGetDWWidth(rt.host()), rt.SelectRow(dw, 0, 0),
                                 rt.SelectRow(dw, 9, 1), rt.SelectRow(rt.host(), 1, 1), rt.SetBorder(dw, 0),
                                 rt.SetBorder(dw, 0), rt.SetBorder(rt.host(), 0), className(dw, name, 16),
                                 className(rt.host(), answer, 16)}),
              std::vector<LONG>({-1, -1, -1, -1, 0, 1, -1, -1, 1, 0, 0, 10, -1}));
    EXPECT_EQ(std::wstring(answer) + L"|" + name, L"|datawindow") << "no answer for a window that is no DataWindow";
    EXPECT_NE(rt.Modify(rt.host(), L"DataWindow.Color='0'"), nullptr);
}

namespace {

WNDPROC g_winProc = nullptr;
PFN_Internal g_dwModify = nullptr;
int g_keys = 0, g_modifies = 0;

LRESULT CALLBACK WinProcDetour(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    g_keys += message == WM_KEYDOWN;
    return g_winProc(w, message, wParam, lParam);
}
LONG_PTR WINAPI DWModifyDetour(LONG_PTR dw, LONG_PTR text) { return ++g_modifies, g_dwModify(dw, text); }

// Attaches or detaches both detours in one transaction.
LONG Detours(decltype(&InterceptAttach) change) {
    InterceptTransactionBegin();
    InterceptUpdateThread(GetCurrentThread());
    const LONG error = change(reinterpret_cast<PVOID*>(&g_winProc), reinterpret_cast<PVOID>(WinProcDetour)) |
                       change(reinterpret_cast<PVOID*>(&g_dwModify), reinterpret_cast<PVOID>(DWModifyDetour));
    return error ? (InterceptTransactionAbort(), error) : InterceptTransactionCommit();
}

}  // namespace

// Catches a runtime that calls its internal functions directly instead of through their exports: its window
// procedure handling keys, and DW_Modify under the script's modify (not under dwModify); modifies or their results
// left out of the log.
TEST_F(DataWindowFixture, InlineInterceptionCatchesTheRuntimesOwnCalls) {
    g_winProc = reinterpret_cast<WNDPROC>(InterceptFindFunction("pbdwe105.DLL", "dwWinProc"));
    g_dwModify = reinterpret_cast<PFN_Internal>(InterceptFindFunction("pbdwe105.DLL", "DW_Modify"));
    ASSERT_EQ(Detours(InterceptAttach), NO_ERROR);
    rt.ClearModifyLog(dw);
    SendMessageW(dw, WM_KEYDOWN, VK_DOWN, 1);
    EXPECT_EQ(rt.Modify(dw, L"emp_id_t.text='Direct'"), nullptr);
    const int direct = g_modifies;
    EXPECT_EQ(rt.ScriptModify(dw, L"dept_t.text='Script'", nullptr, 0), 1);
    EXPECT_EQ(std::vector<int>({g_keys, rt.GetCurrentRow(dw), direct, g_modifies}), std::vector<int>({1, 2, 0, 1}));
    ASSERT_EQ(Detours(InterceptDetach), NO_ERROR);
    SendMessageW(dw, WM_KEYDOWN, VK_DOWN, 1);
    EXPECT_EQ(rt.ScriptModify(dw, L"emp_id_t.text=", nullptr, 0), -1);
    EXPECT_EQ(rt.GetCurrentRow(dw) * 100 + g_keys * 10 + g_modifies, 311) << "detached, nothing reaches the detours";
    EXPECT_EQ(rt.Describe(dw, L"emp_id_t.text dept_t.text"), L"Direct\nScript");
    std::vector<std::wstring> texts, results;
    rt.ModifyLogWithResults(dw, &texts, &results);
    EXPECT_EQ(texts,
              std::vector<std::wstring>({L"emp_id_t.text='Direct'", L"dept_t.text='Script'", L"emp_id_t.text="}));
    EXPECT_EQ(results, std::vector<std::wstring>({L"", L"", L"Line 1 Column 15 incorrect syntax"}));
}
