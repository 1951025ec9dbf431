// The exports of Tessel2U.dll in a process without a PowerBuilder runtime,
// called as a PowerBuilder application calls them: start and stop, the guard
// and its message box, system colours, attach, environment lists. (The export
// table itself is checked against the PowerBuilder kit.)
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "import_patch.h"
#include "tessel_dll.h"

namespace {

// The message boxes of the library, as "<text>|<caption or (none)>|<style>", and their owners.
std::vector<std::wstring> g_boxes;
std::vector<HWND> g_owners;

int WINAPI RecordMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT style) {
    g_boxes.push_back(std::wstring(text ? text : L"") + L"|" + (caption ? caption : L"(none)") + L"|" +
                      std::to_wstring(style));
    g_owners.push_back(owner);
    return IDOK;
}

std::wstring OsValue(const wchar_t* name) {
    std::wstring buf(40000, L'\0');
    buf.resize(GetEnvironmentVariableW(name, &buf[0], 40000));
    return buf;
}

std::wstring CrtValue(const wchar_t* name) {
    const wchar_t* v = _wgetenv(name);
    return v ? v : L"";
}

// The library loaded by name, its message boxes recorded instead of shown,
// stopped after each test.
class Exports : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(dll.h, nullptr);
        ASSERT_TRUE(boxes.ok()) << "message boxes of the DLL must be captured, or a test would block";
        g_boxes.clear();
        g_owners.clear();
    }
    void TearDown() override { dll.StopTessel(); }
    TesselDll dll;
    ImportPatch boxes{dll.h, "user32.dll", "MessageBoxW", reinterpret_cast<void*>(&RecordMessageBox)};
};

}  // namespace

// Catches a guarded export that runs unstarted, a box with the wrong text,
// caption, style or owner, a box from an unguarded export,
// a second start that starts again, a stop that does not stop, a restart refused.
TEST_F(Exports, GuardedExportsRefuseBeforeStartWithOneBoxEachAndStartStopAnswerOnce) {
    HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr,
                                 nullptr);
    SetActiveWindow(owner);
    EXPECT_EQ((std::vector<int>{dll.StopTessel(), dll.AttachDatawindow(owner, nullptr), dll.DettachDatawindow(owner),
                                dll.ReplaceSysColor(15, 0xFF0000), dll.SetSkinFile(L"skin.ini"),
                                dll.AddDatawindowTitle(owner, L"t", L"Arial", 9, 60),
                                dll.ModifyDatawindowTitle(owner, 1, L"t", L"Arial", 9),
                                dll.SetSpanTitle(owner, L"a,b", L"c", L"Arial", 9, 0), dll.SetIconfont(L"x.ttf", 0),
                                dll.GetAddColumnSyntax(owner, 1, 2, 3, 4)}),
              std::vector<int>(10, 0));
    EXPECT_EQ((std::vector<int>{dll.StartTessel(), dll.StartTessel(), dll.StopTessel(), dll.StopTessel(),
                                dll.StartTessel(), dll.StopTessel()}),
              (std::vector<int>{1, 0, 1, 0, 1, 1}));
    EXPECT_EQ(g_boxes, std::vector<std::wstring>(10, L"StartTessel first!|(none)|48"));  // MB_ICONWARNING
    EXPECT_EQ(g_owners, std::vector<HWND>(10, owner));
    DestroyWindow(owner);
}

// Catches a colour stored under another index, a result other than the colour
// given, an entry not overwritten, lost at the stop, or served while stopped.
TEST_F(Exports, ReplaceSysColorAnswersTheColourAndEveryGetSysColorSeesIt) {
    const DWORD system = GetSysColor(COLOR_WINDOW);
    const COLORREF first = system == 0x00FF0000 ? 0x0000FF00 : 0x00FF0000;
    const COLORREF second = system == 0x00123456 ? 0x00654321 : 0x00123456;
    ASSERT_EQ(dll.StartTessel(), 1);
    std::vector<DWORD> seen = {static_cast<DWORD>(dll.ReplaceSysColor(COLOR_WINDOW, first)), GetSysColor(COLOR_WINDOW),
                               static_cast<DWORD>(dll.ReplaceSysColor(COLOR_WINDOW, second)),
                               GetSysColor(COLOR_WINDOW)};
    EXPECT_EQ(seen, (std::vector<DWORD>{first, first, second, second}));
    EXPECT_EQ(dll.StopTessel(), 1);
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), system);
    EXPECT_EQ(dll.StartTessel(), 1);
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), second);
    EXPECT_TRUE(g_boxes.empty());
}

// Catches the attach message posted twice or not at all to a window of a
// process without a runtime.
TEST_F(Exports, AttachPostsTheAttachMessageOnce) {
    ASSERT_EQ(dll.StartTessel(), 1);
    HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr, nullptr, nullptr);
    MSG msg;
    while (PeekMessageW(&msg, edit, 0, 0, PM_REMOVE)) {}
    EXPECT_EQ(dll.AttachDatawindow(edit, nullptr), 1);
    int attached = 0;
    while (PeekMessageW(&msg, edit, 11023, 11023, PM_REMOVE)) ++attached;
    EXPECT_EQ(attached, 1);
    DestroyWindow(edit);
    EXPECT_TRUE(g_boxes.empty());
}

// Catches an element appended twice, a doubled or trailing ";", the replace
// flag ignored, the system's copy left behind, and bad or too long input written.
TEST_F(Exports, AddSystemEnvKeepsSemicolonLists) {
    const std::wstring tooLong(100000, L'v');
    const struct {
        const wchar_t* before;  // "T2U_LIST=..." put first, or null to keep the variable as it is
        const wchar_t* value;
        int replace;
        const wchar_t* after;
    } steps[] = {
        {L"T2U_LIST=A;B", L"C", 0, L"A;B;C"}, {nullptr, L"C", 0, L"A;B;C"}, {nullptr, L"B", 0, L"A;B;C"},
        {L"T2U_LIST=C;B", L"C", 0, L"C;B;C"},  // an element that stands first is not recognised
        {L"T2U_LIST=A;", L"D", 0, L"A;D"},    {nullptr, L"C", 1, L"C"},     {nullptr, L"C", 0, L"C"},
        {L"T2U_LIST=", L"X", 0, L"X"},        {nullptr, nullptr, 0, L"X"},  {nullptr, tooLong.c_str(), 0, L"X"}};
    for (const auto& s : steps) {
        if (s.before) _wputenv(s.before);
        EXPECT_EQ(dll.AddSystemEnv(L"T2U_LIST", s.value, s.replace), 0);
        EXPECT_EQ(CrtValue(L"T2U_LIST"), s.after) << (s.before ? s.before : L"") << " + " << s.value;
        EXPECT_EQ(OsValue(L"T2U_LIST"), s.after);
    }
}
