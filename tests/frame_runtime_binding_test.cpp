// Binding to the PowerBuilder runtime found in the process: one process per
// case (see CMakeLists.txt), since a process binds the runtime once.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "grid_syntax.h"
#include "pbsim_runtime.h"
#include "stdout_capture.h"
#include "tessel_dll.h"

namespace {

struct Binding {
    const char* name;
    int generation;  // the runtime that must be bound
    bool vmOnly;     // only its virtual machine loaded: the library loads the rest
    int other;       // a runtime loaded before it and left alone, or 0
    const char* versionLine;
    const wchar_t* engine;  // module names that vmOnly loads, or that must stay unloaded
    const wchar_t* system;
    std::vector<std::pair<const wchar_t*, bool>> classes;  // window classes of the test: attached?
};

void PrintTo(const Binding& b, std::ostream* os) { *os << b.name; }

const int kU = PBSIM_UNVERSIONED_GENERATION;
const Binding kBindings[] = {
    {"G105",
     105,
     false,
     0,
     "pb version : 105\n",
     nullptr,
     nullptr,
     {{L"PBDW105X", true}, {L"pbdw100", true}, {L"pbdw125", false}, {L"EDIT", false}}},
    {"G105VmOnly", 105, true, 0, "pb version : 105\n", L"pbdwe105.DLL", L"pbsys105.DLL", {}},
    {"G125", 125, false, 0, "pb version : 125\n", nullptr, nullptr, {{L"pbdw105", false}}},
    {"G170", 170, false, 0, "pb version : 170\n", nullptr, nullptr, {{L"PBDW170", true}}},
    // 22.0.0.1878 is generation 220: no numbered module is loaded for it, and
    // "pbdw" classes of other modules are not its own, one named like them.
    {"Unversioned",
     kU,
     false,
     0,
     "pb version : 220\n",
     L"pbdwe220.DLL",
     L"pbsys220.DLL",
     {{L"pbdw220u", false}, {L"pbdwForeign", false}, {L"pbdw105", false}}},
    {"UnversionedVmOnly", kU, true, 0, "pb version : 220\n", L"pbdwe.dll", L"pbsysfunc.dll", {}},
    {"NumberedAndUnversioned", 105, false, kU, "pb version : 105\n", nullptr, nullptr, {}}};

LRESULT CALLBACK PlainProc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcW(h, m, w, l); }

HWND WindowOfClass(const wchar_t* cls) {
    if (std::wstring(cls) == L"EDIT")
        return CreateWindowExW(0, L"EDIT", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = PlainProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = cls;
    RegisterClassW(&wc);
    return CreateWindowExW(0, cls, L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, wc.hInstance, nullptr);
}

// The library keeps a record of the window when a title can be added to it.
bool Attached(TesselDll& dll, HWND h) { return dll.AddDatawindowTitle(h, L"t", L"Arial", 9, 10) > 0; }

std::vector<BYTE> WinProcEntry(const PbsimRuntime& pb) {
    const auto* entry = reinterpret_cast<const BYTE*>(GetProcAddress(pb.engine(), "dwWinProc"));
    return entry ? std::vector<BYTE>(entry, entry + 16) : std::vector<BYTE>();
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
    if (b.vmOnly) {
        ASSERT_EQ(GetModuleHandleW(b.engine), nullptr) << "the virtual machine must not import the engine";
        ASSERT_EQ(GetModuleHandleW(b.system), nullptr);
    }
    const std::vector<BYTE> ours = WinProcEntry(pb), theirs = other ? WinProcEntry(*other) : std::vector<BYTE>();
    TesselDll dll;
    StdoutCapture out;
    ASSERT_EQ(dll.StartTessel(), 1);
    EXPECT_NE(out.Stop().find(b.versionLine), std::string::npos);
    if (b.vmOnly) {
        EXPECT_NE(GetModuleHandleW(b.engine), nullptr);
        EXPECT_NE(GetModuleHandleW(b.system), nullptr);
        EXPECT_EQ(dll.StopTessel(), 1);
        // The engine stays: the interception set looked its functions up by name.
        EXPECT_NE(GetModuleHandleW(b.engine), nullptr);
        EXPECT_EQ(GetModuleHandleW(b.system), nullptr);
        return;
    }
    if (b.engine) {
        EXPECT_EQ(GetModuleHandleW(b.engine), nullptr);
        EXPECT_EQ(GetModuleHandleW(b.system), nullptr);
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
    for (const auto& c : b.classes) {
        HWND h = WindowOfClass(c.first);
        ASSERT_NE(h, nullptr);
        EXPECT_EQ(dll.AttachDatawindow(h, nullptr), 1);
        EXPECT_EQ(Attached(dll, h), c.second) << std::wstring(c.first);
        EXPECT_EQ(dll.DettachDatawindow(h), 1);
        EXPECT_FALSE(Attached(dll, h)) << "a detached record is gone";
        DestroyWindow(h);
    }
    EXPECT_EQ(dll.StopTessel(), 1);
    EXPECT_EQ(WinProcEntry(pb), ours);
}

INSTANTIATE_TEST_SUITE_P(Runtimes, RuntimeBinding, ::testing::ValuesIn(kBindings),
                         [](const ::testing::TestParamInfo<Binding>& info) { return std::string(info.param.name); });
