// Binding to the PowerBuilder runtime found in the process. Each suite runs in
// a process of its own (see CMakeLists.txt), with one generation loaded, or
// the unversioned runtime (pbvm.dll, pbdwe.dll, pbsysfunc.dll) alone or
// beside a numbered one.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "pbsim_runtime.h"
#include "stdout_capture.h"
#include "tessel_dll.h"

namespace {

LRESULT CALLBACK PlainProc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcW(h, m, w, l); }

// A window of a class of our own naming, to test the class-prefix match.
HWND WindowOfClass(const wchar_t* cls) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = PlainProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = cls;
    RegisterClassW(&wc);
    return CreateWindowExW(0, cls, L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, wc.hInstance, nullptr);
}

// A record exists for the window when a title can be added to it.
bool Attached(TesselDll& dll, HWND h) { return dll.AddDatawindowTitle(h, L"t", L"Arial", 9, 10) > 0; }

// The first bytes of a function: they change when the function is
// intercepted.
std::vector<BYTE> EntryBytes(HMODULE module, const char* name) {
    const auto* entry = reinterpret_cast<const BYTE*>(GetProcAddress(module, name));
    return entry ? std::vector<BYTE>(entry, entry + 16) : std::vector<BYTE>();
}

HMODULE ClassModule(HWND h) { return reinterpret_cast<HMODULE>(GetClassLongPtrW(h, GCLP_HMODULE)); }

std::string StartAndLog(TesselDll& dll) {
    StdoutCapture out;
    EXPECT_EQ(dll.StartTessel(), 1);
    return out.Stop();
}

// With only the virtual machine of a generation loaded, the list loads the
// engine and system modules and gives them back at the stop.
void VmOnlyLoadsEngineAndSystem(int generation, const wchar_t* engine, const wchar_t* system, const char* versionLine) {
    PbsimRuntime pb(generation, /*vmOnly=*/true);
    ASSERT_NE(pb.vm(), nullptr);
    ASSERT_EQ(GetModuleHandleW(engine), nullptr) << "the virtual machine must not import the engine";
    ASSERT_EQ(GetModuleHandleW(system), nullptr);
    TesselDll dll;
    EXPECT_NE(StartAndLog(dll).find(versionLine), std::string::npos);
    EXPECT_NE(GetModuleHandleW(engine), nullptr);
    EXPECT_NE(GetModuleHandleW(system), nullptr);
    EXPECT_EQ(dll.StopTessel(), 1);
    // The list gives its references back; the engine stays loaded all the
    // same, since the interception set looked its functions up by name, and a
    // module found that way stays loaded.
    EXPECT_NE(GetModuleHandleW(engine), nullptr);
    EXPECT_EQ(GetModuleHandleW(system), nullptr);
}

}  // namespace

TEST(Generation105, ClassPrefixMatchesSixCharacters) {
    PbsimRuntime pb(105);
    ASSERT_TRUE(pb.ok());
    TesselDll dll;
    EXPECT_NE(StartAndLog(dll).find("pb version : 105\n"), std::string::npos);

    HWND upper = WindowOfClass(L"PBDW105X");
    HWND older = WindowOfClass(L"pbdw100");
    HWND newer = WindowOfClass(L"pbdw125");
    HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    for (HWND h : {upper, older, newer, edit}) EXPECT_EQ(dll.AttachDatawindow(h, nullptr), 1);
    EXPECT_TRUE(Attached(dll, upper));
    EXPECT_TRUE(Attached(dll, older));
    EXPECT_FALSE(Attached(dll, newer));
    EXPECT_FALSE(Attached(dll, edit));
    // Detached records are gone; attaching again makes a new one.
    EXPECT_EQ(dll.DettachDatawindow(older), 1);
    EXPECT_FALSE(Attached(dll, older));
    EXPECT_EQ(dll.StopTessel(), 1);
    for (HWND h : {upper, older, newer, edit}) DestroyWindow(h);
}

TEST(Generation105VmOnly, ListLoadsEngineAndSystemModulesAndGivesThemBack) {
    VmOnlyLoadsEngineAndSystem(105, L"pbdwe105.DLL", L"pbsys105.DLL", "pb version : 105\n");
}

TEST(Generation125, OwnClassOnly) {
    PbsimRuntime pb(125);
    ASSERT_TRUE(pb.ok());
    TesselDll dll;
    EXPECT_NE(StartAndLog(dll).find("pb version : 125\n"), std::string::npos);
    HWND dw = pb.Create(L"release 10;\ndatawindow(units=1 processing=1)\nheader(height=20)\n"
                        L"detail(height=20)\ntable(column=(type=long name=a dbname=\"a\"))");
    ASSERT_NE(dw, nullptr) << pb.LastError();
    HWND other = WindowOfClass(L"pbdw105");
    dll.AttachDatawindow(dw, nullptr);
    dll.AttachDatawindow(other, nullptr);
    EXPECT_TRUE(Attached(dll, dw));
    EXPECT_FALSE(Attached(dll, other));
    EXPECT_EQ(dll.StopTessel(), 1);
    DestroyWindow(other);
}

TEST(Generation170, LowerCaseFileNames) {
    PbsimRuntime pb(170);
    ASSERT_TRUE(pb.ok());
    TesselDll dll;
    EXPECT_NE(StartAndLog(dll).find("pb version : 170\n"), std::string::npos);
    HWND h = WindowOfClass(L"PBDW170");
    dll.AttachDatawindow(h, nullptr);
    EXPECT_TRUE(Attached(dll, h));
    EXPECT_EQ(dll.StopTessel(), 1);
    DestroyWindow(h);
}

TEST(Unversioned, GenerationFromTheFileVersionAndTheEnginesOwnClasses) {
    PbsimRuntime pb(PBSIM_UNVERSIONED_GENERATION);
    ASSERT_TRUE(pb.ok());
    const std::vector<BYTE> winProc = EntryBytes(pb.engine(), "dwWinProc");
    const std::vector<BYTE> windowWnd = EntryBytes(pb.vm(), "FN_WindowWnd");
    TesselDll dll;
    // 22.0.0.1878 is generation 220; nothing else was loaded for it.
    EXPECT_NE(StartAndLog(dll).find("pb version : 220\n"), std::string::npos);
    EXPECT_EQ(GetModuleHandleW(L"pbsys220.DLL"), nullptr);
    EXPECT_EQ(GetModuleHandleW(L"pbdwe220.DLL"), nullptr);
    // The runtime rows are found in pbvm.dll and pbdwe.dll.
    EXPECT_NE(winProc, EntryBytes(pb.engine(), "dwWinProc"));
    EXPECT_NE(windowWnd, EntryBytes(pb.vm(), "FN_WindowWnd"));

    HWND dw = pb.Create(L"release 10;\ndatawindow(units=1 processing=1)\nheader(height=20)\n"
                        L"detail(height=20)\ntable(column=(type=long name=a dbname=\"a\"))");
    ASSERT_NE(dw, nullptr) << pb.LastError();
    ASSERT_EQ(ClassModule(dw), pb.engine());
    // "pbdw" classes of another module, one of them named like the engine's
    // own, and a class of the engine's numbered neighbours.
    HWND sameName = WindowOfClass(L"pbdw220u");
    HWND foreign = WindowOfClass(L"pbdwForeign");
    HWND numbered = WindowOfClass(L"pbdw105");
    ASSERT_NE(foreign, nullptr);
    EXPECT_EQ(ClassModule(foreign), GetModuleHandleW(nullptr));
    for (HWND h : {dw, sameName, foreign, numbered}) dll.AttachDatawindow(h, nullptr);
    EXPECT_TRUE(Attached(dll, dw));
    if (sameName && ClassModule(sameName) == GetModuleHandleW(nullptr)) {
        EXPECT_FALSE(Attached(dll, sameName));
    }
    EXPECT_FALSE(Attached(dll, foreign));
    EXPECT_FALSE(Attached(dll, numbered));
    EXPECT_EQ(dll.StopTessel(), 1);
    EXPECT_EQ(winProc, EntryBytes(pb.engine(), "dwWinProc"));
    for (HWND h : {sameName, foreign, numbered}) DestroyWindow(h);
}

TEST(UnversionedVmOnly, ListLoadsPbdweAndPbsysfuncAndGivesThemBack) {
    VmOnlyLoadsEngineAndSystem(PBSIM_UNVERSIONED_GENERATION, L"pbdwe.dll", L"pbsysfunc.dll", "pb version : 220\n");
}

TEST(NumberedAndUnversioned, TheNumberedRuntimeIsBound) {
    PbsimRuntime unversioned(PBSIM_UNVERSIONED_GENERATION);
    PbsimRuntime numbered(105);
    ASSERT_TRUE(unversioned.ok());
    ASSERT_TRUE(numbered.ok());
    const std::vector<BYTE> unversionedProc = EntryBytes(unversioned.engine(), "dwWinProc");
    const std::vector<BYTE> numberedProc = EntryBytes(numbered.engine(), "dwWinProc");
    TesselDll dll;
    EXPECT_NE(StartAndLog(dll).find("pb version : 105\n"), std::string::npos);
    EXPECT_NE(numberedProc, EntryBytes(numbered.engine(), "dwWinProc"));
    EXPECT_EQ(unversionedProc, EntryBytes(unversioned.engine(), "dwWinProc"));
    const wchar_t* syntax = L"release 10;\ndatawindow(units=1 processing=1)\nheader(height=20)\n"
                            L"detail(height=20)\ntable(column=(type=long name=a dbname=\"a\"))";
    HWND ours = numbered.Create(syntax);
    HWND theirs = unversioned.Create(syntax);
    ASSERT_NE(ours, nullptr);
    ASSERT_NE(theirs, nullptr);
    dll.AttachDatawindow(ours, nullptr);
    dll.AttachDatawindow(theirs, nullptr);
    EXPECT_TRUE(Attached(dll, ours));
    EXPECT_FALSE(Attached(dll, theirs));
    EXPECT_EQ(dll.StopTessel(), 1);
}
