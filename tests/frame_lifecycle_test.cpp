// Start, stop, the guard of the exports, the about box, system colours and the
// DataWindow registry of a process without a PowerBuilder runtime.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "import_patch.h"
#include "stdout_capture.h"
#include "tessel_dll.h"

namespace {

struct BoxCall {
    HWND owner;
    std::wstring text;
    std::wstring caption;
    bool nullCaption;
    UINT style;
};
std::vector<BoxCall> g_boxes;

int WINAPI RecordMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT style) {
    g_boxes.push_back({owner, text ? text : L"", caption ? caption : L"", caption == nullptr, style});
    return IDOK;
}

class Lifecycle : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(dll.h, nullptr);
        ASSERT_TRUE(boxes.ok()) << "message boxes of the DLL must be captured, or a test would block";
        g_boxes.clear();
    }
    void TearDown() override {
        // Leave the library stopped for the next test.
        ImportPatch quiet(dll.h, "user32.dll", "MessageBoxW", reinterpret_cast<void*>(&RecordMessageBox));
        dll.StopTessel();
    }
    TesselDll dll;
    ImportPatch boxes{dll.h, "user32.dll", "MessageBoxW", reinterpret_cast<void*>(&RecordMessageBox)};
};

}  // namespace

TEST_F(Lifecycle, GuardedExportsRefuseBeforeStartWithOneBoxEach) {
    ASSERT_TRUE(boxes.ok());
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
    // Not guarded: no box.
    EXPECT_EQ(dll.GetAddColumnSyntax(owner, 1, 2, 3, 4), 0);
    EXPECT_EQ(dll.PrintDebugString(L"x"), 0);
    const std::string log = out.Stop();

    ASSERT_EQ(g_boxes.size(), 9u);
    for (const BoxCall& b : g_boxes) {
        EXPECT_EQ(b.text, L"StartTessel first!");
        EXPECT_TRUE(b.nullCaption);
        EXPECT_EQ(b.style, 48u);
        EXPECT_EQ(b.owner, GetActiveWindow());
    }
    size_t lines = 0;
    for (size_t p = 0; (p = log.find("g_pDWlist : 0 , g_pWinlist : 0\n", p)) != std::string::npos; ++p) ++lines;
    EXPECT_EQ(lines, 9u) << log;
    DestroyWindow(owner);
}

TEST_F(Lifecycle, StartStopCycles) {
    StdoutCapture out;
    EXPECT_EQ(dll.StartTessel(), 1);
    EXPECT_EQ(dll.StartTessel(), 0);  // already started: no message
    EXPECT_TRUE(g_boxes.empty());
    EXPECT_EQ(dll.StopTessel(), 1);
    EXPECT_EQ(dll.StopTessel(), 0);  // stopped: the guard speaks
    ASSERT_EQ(g_boxes.size(), 1u);
    EXPECT_EQ(g_boxes[0].text, L"StartTessel first!");
    // A later start begins from scratch.
    EXPECT_EQ(dll.StartTessel(), 1);
    EXPECT_EQ(dll.StopTessel(), 1);
    const std::string log = out.Stop();
    // No runtime in this process: generation 0.
    EXPECT_NE(log.find("pb version : 0\n"), std::string::npos) << log;
    EXPECT_NE(log.find("FreeFontEnv ... \nFreeFontEnv end \n"), std::string::npos) << log;
}

TEST_F(Lifecycle, ReplaceSysColorOverwritesAndSurvivesStop) {
    ASSERT_EQ(dll.StartTessel(), 1);
    EXPECT_EQ(dll.ReplaceSysColor(15, 0x00FF0000), 0x00FF0000);
    EXPECT_EQ(dll.ReplaceSysColor(15, 0x0000FF00), 0x0000FF00);
    EXPECT_EQ(dll.ReplaceSysColor(-3, 0x123456), 0x123456);  // any index is a key
    EXPECT_EQ(dll.StopTessel(), 1);
    EXPECT_EQ(dll.StartTessel(), 1);
    // A skin file that does not exist leaves the table as it is.
    EXPECT_EQ(dll.SetSkinFile(L"Z:\\no\\such\\skin.ini"), 1);
    EXPECT_EQ(dll.SetSkinFile(nullptr), 1);
    EXPECT_TRUE(g_boxes.empty());
}

TEST_F(Lifecycle, AttachWithoutRuntimeCreatesNothingButPostsTheAttachMessage) {
    ASSERT_EQ(dll.StartTessel(), 1);
    HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr, nullptr, nullptr);
    MSG msg;
    while (PeekMessageW(&msg, edit, 0, 0, PM_REMOVE)) {}
    EXPECT_EQ(dll.AttachDatawindow(edit, nullptr), 1);
    int attached = 0;
    while (PeekMessageW(&msg, edit, 11023, 11023, PM_REMOVE)) ++attached;
    EXPECT_EQ(attached, 1);
    // Not attached: titles answer 0 without a message box; detach answers 1.
    EXPECT_EQ(dll.AddDatawindowTitle(edit, L"t", L"Arial", 9, 60), 0);
    EXPECT_EQ(dll.SetSpanTitle(edit, L"a,b", L"c", L"Arial", 9, 0), 0);
    EXPECT_EQ(dll.DettachDatawindow(edit), 1);
    EXPECT_EQ(dll.DettachDatawindow(reinterpret_cast<HWND>(static_cast<INT_PTR>(0x7777))), 1);
    // A dead window handle is refused quietly.
    DestroyWindow(edit);
    EXPECT_EQ(dll.AttachDatawindow(edit, L"settings.ini"), 1);
    EXPECT_TRUE(g_boxes.empty());
}
