// Binding to the PowerBuilder runtime found in the process: one process per
// case (see CMakeLists.txt), since a process binds the runtime once.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "grid_syntax.h"
#include "pbsim_runtime.h"
#include "stdout_capture.h"
#include "tessel_dll.h"

namespace {

struct Binding {
    const char* name;
    int generation;         // the runtime that must be bound ("pb version : <generation>")
    bool vmOnly;            // only its virtual machine loaded: the library loads the rest
    int other;              // a runtime loaded before it and left alone, or 0
    const wchar_t* engine;  // module names that vmOnly loads, or that must stay unloaded
    const wchar_t* system;
    const wchar_t* classes;  // window classes of the test, "+" attached, "-" not
};

// 22.0.0.1878 is generation 220: no numbered module is loaded for it, and
// "pbdw" classes of other modules are not its own, one named like them.
const Binding kBindings[] = {
    {"G105", 105, false, 0, nullptr, nullptr, L"PBDW105X+ pbdw100+ pbdw125- EDIT-"},
    {"G105VmOnly", 105, true, 0, L"pbdwe105.DLL", L"pbsys105.DLL", L""},
    {"G125", 125, false, 0, nullptr, nullptr, L"pbdw105-"},
    {"G170", 170, false, 0, nullptr, nullptr, L"PBDW170+"},
    {"Unversioned", 220, false, 0, L"pbdwe220.DLL", L"pbsys220.DLL", L"pbdw220u- pbdwForeign- pbdw105-"},
    {"UnversionedVmOnly", 220, true, 0, L"pbdwe.dll", L"pbsysfunc.dll", L""},
    {"NumberedAndUnversioned", 105, false, 220, nullptr, nullptr, L""}};

LRESULT CALLBACK PlainProc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcW(h, m, w, l); }

HWND WindowOfClass(const std::wstring& cls) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = PlainProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = cls.c_str();
    if (cls != L"EDIT") RegisterClassW(&wc);
    return CreateWindowExW(0, cls.c_str(), L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, wc.hInstance, nullptr);
}

// The library keeps a record of the window when a title can be added to it.
bool Attached(TesselDll& dll, HWND h) { return dll.AddDatawindowTitle(h, L"t", L"Arial", 9, 10) > 0; }

std::vector<BYTE> WinProcEntry(const PbsimRuntime& pb) {
    const auto* entry = reinterpret_cast<const BYTE*>(GetProcAddress(pb.engine(), "dwWinProc"));
    return entry ? std::vector<BYTE>(entry, entry + 16) : std::vector<BYTE>();
}

// Which of the row's engine and system modules are loaded.
std::string Loaded(const Binding& b) {
    if (!b.engine) return "";
    return std::string(GetModuleHandleW(b.engine) ? "engine " : "") + (GetModuleHandleW(b.system) ? "system" : "");
}

class RuntimeBinding : public ::testing::TestWithParam<Binding> {};

}  // namespace

// Catches a wrong generation, a class-prefix match that takes foreign classes,
// the wrong runtime intercepted, and modules not loaded or not given back.
TEST_P(RuntimeBinding, BindsTheRuntimeOfTheProcess) {
    const Binding& b = GetParam();
    std::unique_ptr<PbsimRuntime> other(b.other ? new PbsimRuntime(b.other) : nullptr);
    PbsimRuntime pb(b.generation, b.vmOnly);
    ASSERT_NE(pb.vm(), nullptr);
    const std::vector<BYTE> ours = WinProcEntry(pb), theirs = other ? WinProcEntry(*other) : std::vector<BYTE>();
    TesselDll dll;
    StdoutCapture out;
    ASSERT_EQ(dll.StartTessel(), 1);
    EXPECT_NE(out.Stop().find("pb version : " + std::to_string(b.generation) + "\n"), std::string::npos);
    EXPECT_EQ(Loaded(b), b.vmOnly ? "engine system" : "");
    if (b.vmOnly) {
        EXPECT_EQ(dll.StopTessel(), 1);
        EXPECT_EQ(Loaded(b), "engine ") << "the engine stays: the interception set looked its functions up by name";
        return;
    }
    EXPECT_NE(WinProcEntry(pb), ours) << "the bound engine's window procedure is not intercepted";
    if (other) {
        EXPECT_EQ(WinProcEntry(*other), theirs) << "the other runtime was intercepted";
    }
    const std::wstring grid = GridSyntax(1).Column(L"a", L"long", 80, L"A").Text();
    HWND dw = pb.Create(grid.c_str());
    ASSERT_NE(dw, nullptr) << pb.LastError();
    EXPECT_EQ(dll.AttachDatawindow(dw, nullptr), 1);
    EXPECT_TRUE(Attached(dll, dw));
    if (other) {
        HWND foreign = other->Create(grid.c_str());
        dll.AttachDatawindow(foreign, nullptr);
        EXPECT_FALSE(Attached(dll, foreign));
    }
    std::wistringstream classes(b.classes);
    for (std::wstring c; classes >> c;) {
        const bool attached = c.back() == L'+';
        c.pop_back();
        HWND h = WindowOfClass(c);
        ASSERT_NE(h, nullptr);
        EXPECT_EQ(dll.AttachDatawindow(h, nullptr), 1);
        EXPECT_EQ(Attached(dll, h), attached) << c;
        EXPECT_EQ(dll.DettachDatawindow(h), 1);
        EXPECT_FALSE(Attached(dll, h)) << "a detached record is gone";
        DestroyWindow(h);
    }
    EXPECT_EQ(dll.StopTessel(), 1);
    EXPECT_EQ(WinProcEntry(pb), ours);
}

INSTANTIATE_TEST_SUITE_P(Runtimes, RuntimeBinding, ::testing::ValuesIn(kBindings),
                         [](const ::testing::TestParamInfo<Binding>& info) { return std::string(info.param.name); });
