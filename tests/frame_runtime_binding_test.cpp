// Binding to the PowerBuilder runtime found in the process. Each suite runs in
// a process of its own (see CMakeLists.txt), with one generation loaded.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

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

std::string StartAndLog(TesselDll& dll) {
    StdoutCapture out;
    EXPECT_EQ(dll.StartTessel(), 1);
    return out.Stop();
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
    PbsimRuntime pb(105, /*vmOnly=*/true);
    ASSERT_NE(pb.vm(), nullptr);
    ASSERT_EQ(GetModuleHandleW(L"pbdwe105.DLL"), nullptr) << "the virtual machine must not import the engine";
    ASSERT_EQ(GetModuleHandleW(L"pbsys105.DLL"), nullptr);
    TesselDll dll;
    EXPECT_NE(StartAndLog(dll).find("pb version : 105\n"), std::string::npos);
    EXPECT_NE(GetModuleHandleW(L"pbdwe105.DLL"), nullptr);
    EXPECT_NE(GetModuleHandleW(L"pbsys105.DLL"), nullptr);
    EXPECT_EQ(dll.StopTessel(), 1);
    // The list gives its references back; the engine stays loaded all the
    // same, since the interception set looked its functions up by name, and a
    // module found that way stays loaded.
    EXPECT_NE(GetModuleHandleW(L"pbdwe105.DLL"), nullptr);
    EXPECT_EQ(GetModuleHandleW(L"pbsys105.DLL"), nullptr);
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
