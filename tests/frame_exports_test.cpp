// The eighteen exports of Tessel2U.dll in a process without a PowerBuilder
// runtime, called as a PowerBuilder application calls them: the export table,
// start and stop, the guard and its message box, system colours, attach,
// info labels and environment lists.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "export_names.h"
#include "import_patch.h"
#include "stdout_capture.h"
#include "tessel_dll.h"

namespace {

struct BoxCall {
    HWND owner;
    std::wstring text;
    bool nullCaption;
    UINT style;
};
std::vector<BoxCall> g_boxes;

int WINAPI RecordMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT style) {
    g_boxes.push_back({owner, text ? text : L"", caption == nullptr, style});
    return IDOK;
}

size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t p = 0; (p = text.find(what, p)) != std::string::npos; p += what.size()) ++n;
    return n;
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
    }
    void TearDown() override { dll.StopTessel(); }
    TesselDll dll;
    ImportPatch boxes{dll.h, "user32.dll", "MessageBoxW", reinterpret_cast<void*>(&RecordMessageBox)};
};

}  // namespace

// Catches a decorated (_Name@n) or missing export, or a wrong argument count
// that unbalances the 32-bit caller's stack over a hundred calls.
TEST_F(Exports, ExactlyTheEighteenUndecoratedNames) {
    EXPECT_EQ(
        ExportNames(dll.h),
        (std::set<std::string>{"StartTessel", "StopTessel", "AttachDatawindow", "DettachDatawindow", "ReplaceSysColor",
                               "SetSkinFile", "AddDatawindowTitle", "ModifyDatawindowTitle", "SetSpanTitle",
                               "SetIconfont", "PrintDebugString", "SetDebugWindowColor", "OpenDebugWindow",
                               "CloseDebugWindow", "DWAbout", "GetAddColumnSyntax", "AddSystemEnv", "SetInfoLabel"}));
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(dll.GetAddColumnSyntax(nullptr, 1, 2, 3, 4), 0);
        EXPECT_EQ(dll.PrintDebugString(nullptr), 0);
    }
}

// Catches a guarded export that runs unstarted, a box with the wrong text,
// caption, style or owner, a missing debug line, or a box from an unguarded export.
TEST_F(Exports, GuardedExportsRefuseBeforeStartWithOneBoxEach) {
    HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr,
                                 nullptr);
    SetActiveWindow(owner);
    StdoutCapture out;
    EXPECT_EQ(dll.StopTessel(), 0);
    EXPECT_EQ(dll.AttachDatawindow(owner, nullptr), 0);
    EXPECT_EQ(dll.DettachDatawindow(owner), 0);
    EXPECT_EQ(dll.ReplaceSysColor(15, 0xFF0000), 0);
    EXPECT_EQ(dll.SetSkinFile(L"skin.ini"), 0);
    EXPECT_EQ(dll.AddDatawindowTitle(owner, L"t", L"Arial", 9, 60), 0);
    EXPECT_EQ(dll.ModifyDatawindowTitle(owner, 1, L"t", L"Arial", 9), 0);
    EXPECT_EQ(dll.SetSpanTitle(owner, L"a,b", L"c", L"Arial", 9, 0), 0);
    EXPECT_EQ(dll.SetIconfont(L"x.ttf", 0), 0);
    EXPECT_EQ(dll.GetAddColumnSyntax(owner, 1, 2, 3, 4), 0);  // not guarded
    const std::string log = out.Stop();
    ASSERT_EQ(g_boxes.size(), 9u);
    for (const BoxCall& b : g_boxes) {
        EXPECT_EQ(b.text, L"StartTessel first!");
        EXPECT_TRUE(b.nullCaption);
        EXPECT_EQ(b.style, 48u);
        EXPECT_EQ(b.owner, owner);
    }
    EXPECT_EQ(Count(log, "g_pDWlist : 0 , g_pWinlist : 0\n"), 9u) << log;
    DestroyWindow(owner);
}

// Catches a second start that starts again, a stop that does not stop, a
// restart refused, and the runtime generation or font teardown lines missing.
TEST_F(Exports, StartAndStopAnswerOnceEach) {
    StdoutCapture out;
    EXPECT_EQ(dll.StartTessel(), 1);
    EXPECT_EQ(dll.StartTessel(), 0);
    EXPECT_TRUE(g_boxes.empty());
    EXPECT_EQ(dll.StopTessel(), 1);
    EXPECT_EQ(dll.StopTessel(), 0);
    EXPECT_EQ(g_boxes.size(), 1u);
    EXPECT_EQ(dll.StartTessel(), 1);
    EXPECT_EQ(dll.StopTessel(), 1);
    const std::string log = out.Stop();
    EXPECT_NE(log.find("pb version : 0\n"), std::string::npos) << log;
    EXPECT_NE(log.find("FreeFontEnv ... \nFreeFontEnv end \n"), std::string::npos) << log;
}

// Catches a colour stored under another index, a result other than the colour
// given, an entry not overwritten, lost at the stop, or served while stopped.
TEST_F(Exports, ReplaceSysColorAnswersTheColourAndEveryGetSysColorSeesIt) {
    const DWORD system = GetSysColor(COLOR_WINDOW);
    const COLORREF first = system == 0x00FF0000 ? 0x0000FF00 : 0x00FF0000;
    const COLORREF second = system == 0x00123456 ? 0x00654321 : 0x00123456;
    ASSERT_EQ(dll.StartTessel(), 1);
    EXPECT_EQ(dll.ReplaceSysColor(COLOR_WINDOW, first), static_cast<int>(first));
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), first);
    EXPECT_EQ(dll.ReplaceSysColor(COLOR_WINDOW, second), static_cast<int>(second));
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), second);
    EXPECT_EQ(dll.ReplaceSysColor(-3, 0x00000001), 1);  // any index is a key
    EXPECT_EQ(dll.StopTessel(), 1);
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), system);
    EXPECT_EQ(dll.StartTessel(), 1);
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), second);
    // A skin file that does not exist leaves the table as it is.
    EXPECT_EQ(dll.SetSkinFile(L"Z:\\no\\such\\skin.ini"), 1);
    EXPECT_EQ(dll.SetSkinFile(nullptr), 1);
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), second);
    EXPECT_TRUE(g_boxes.empty());
}

// Catches the attach message posted twice or not at all, titles on a window
// without a record, and detach of unknown or dead windows refused.
TEST_F(Exports, AttachWithoutRuntimePostsTheAttachMessageOnce) {
    ASSERT_EQ(dll.StartTessel(), 1);
    HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr, nullptr, nullptr);
    MSG msg;
    while (PeekMessageW(&msg, edit, 0, 0, PM_REMOVE)) {}
    EXPECT_EQ(dll.AttachDatawindow(edit, nullptr), 1);
    int attached = 0;
    while (PeekMessageW(&msg, edit, 11023, 11023, PM_REMOVE)) ++attached;
    EXPECT_EQ(attached, 1);
    EXPECT_EQ(dll.AddDatawindowTitle(edit, L"t", L"Arial", 9, 60), 0);
    EXPECT_EQ(dll.SetSpanTitle(edit, L"a,b", L"c", L"Arial", 9, 0), 0);
    EXPECT_EQ(dll.DettachDatawindow(edit), 1);
    EXPECT_EQ(dll.DettachDatawindow(reinterpret_cast<HWND>(static_cast<INT_PTR>(0x7777))), 1);
    DestroyWindow(edit);
    EXPECT_EQ(dll.AttachDatawindow(edit, L"settings.ini"), 1);
    EXPECT_TRUE(g_boxes.empty());
}

// Catches a label key matched loosely (prefix, blanks) or in one letter case only.
TEST_F(Exports, SetInfoLabelAnswersForTheEightKeysOnly) {
    const struct {
        const wchar_t* key;
        const wchar_t* label;
        int expected;
    } calls[] = {{L"sumlabel", L"Sum", 1},
                 {L"avglabel", L"Average", 1},
                 {L"maxlabel", L"Maximum", 1},
                 {L"minlabel", L"Minimum", 1},
                 {L"rowcountlabel", L"Rows", 1},
                 {L"firstrowlabel", L"First", 1},
                 {L"lastrowlabel", L"Last", 1},
                 {L"currentrowlabel", L"%n", 1},
                 {L"SUMLABEL", L"Sum", 1},
                 {L"sumlabel", nullptr, 1},
                 {L"sumlabel", L"", 1},
                 {L"sum", L"Sum", 0},
                 {L"sumlabels", L"Sum", 0},
                 {L" sumlabel", L"Sum", 0},
                 {L"sumlabel ", L"Sum", 0},
                 {L"lineColor", L"255", 0},
                 {L"", L"Sum", 0},
                 {nullptr, L"Sum", 0}};
    for (const auto& c : calls) {
        EXPECT_EQ(dll.SetInfoLabel(c.key, c.label), c.expected) << (c.key ? c.key : L"(null)");
        if (c.expected) dll.SetInfoLabel(c.key, nullptr);
    }
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
    EXPECT_EQ(dll.AddSystemEnv(nullptr, L"x", 0), 0);
    const std::wstring longer(20000, L'w');
    dll.AddSystemEnv(L"T2U_LIST", longer.c_str(), 0);
    EXPECT_EQ(CrtValue(L"T2U_LIST"), L"X;" + longer);
}
