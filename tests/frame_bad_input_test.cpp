// Whatever a host passes, in whatever order: every export with null, empty and
// 1 MiB strings, dead and foreign windows, extreme numbers, before StartTessel,
// started and after StopTessel; private messages with absurd parameters;
// settings and skin files that are folders, locked or garbage. Nothing crashes, every call answers its documented
// result, and the library serves afterwards.
#include <gtest/gtest.h>
#include <windows.h>

#include <climits>
#include <cstdio>
#include <string>
#include <vector>

#include "import_patch.h"
#include "stdout_capture.h"
#include "tessel_host.h"

namespace {

const std::wstring kGrid =
    GridSyntax(1).Column(L"a", L"long", 80, L"A").Column(L"b", L"char(20)", 120, L"B").NumberedRows(3).Text();
const std::wstring kMebibyte(1 << 20, L'x');
const std::wstring kLongPath = L"C:\\" + std::wstring((1 << 20) - 8, L'a') + L"\\b.ini";
const wchar_t* const kStrings[] = {kMebibyte.c_str(), kLongPath.c_str(),          nullptr, L"", L",", L"~t(",
                                   L"iconfont{",      L"iconfont{99999999999:-1}"};
const int kNumbers[] = {0, -1, 255, 65535, INT_MAX, INT_MIN};

std::vector<std::wstring> g_boxes;
int WINAPI RecordMessageBox(HWND, LPCWSTR text, LPCWSTR, UINT style) {
    g_boxes.push_back((text ? text : L"") + std::wstring(L" ") + std::to_wstring(style));
    return IDOK;
}

class BadInput : public TesselHost {
protected:
    bool StartsTessel() const override { return false; }
    void SetUp() override {
        TesselHost::SetUp();
        ASSERT_TRUE(boxes.ok());
        g_boxes.clear();
        edit = CreateWindowExW(0, L"EDIT", L"", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr, nullptr, nullptr);
        dead = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 5, 5, nullptr, nullptr, nullptr, nullptr);
        DestroyWindow(dead);
    }
    void TearDown() override {
        for (const wchar_t* key : {L"sumlabel", L"currentrowlabel"}) dll.SetInfoLabel(key, nullptr);
        DestroyWindow(edit);
        TesselHost::TearDown();
    }
    // Every export with every bad argument; started says which results to expect.
    void Barrage(bool started, HWND attached, HWND plain) {
        const int guarded = started ? 1 : 0;
        const HWND invented = reinterpret_cast<HWND>(0x7777);
        const HWND windows[] = {nullptr, attached, plain, edit, dead, GetDesktopWindow(), invented};
        for (HWND w : windows) {
            EXPECT_EQ(w == attached ? guarded : dll.DettachDatawindow(w), guarded);  // attached stays
            EXPECT_EQ(dll.GetAddColumnSyntax(w, -1, INT_MAX, INT_MIN, 0), 0);
        }
        for (int n : kNumbers) {
            EXPECT_EQ(dll.ReplaceSysColor(n, 0x00123456), started ? 0x00123456 : 0);
            EXPECT_EQ(dll.SetDebugWindowColor(n), 0);
        }
        for (const wchar_t* s : kStrings) {
            EXPECT_EQ(dll.SetSkinFile(s), guarded);
            for (int n : {0, -1, INT_MIN, INT_MAX}) EXPECT_EQ(dll.SetIconfont(s, n), 0);
            EXPECT_EQ(dll.PrintDebugString(s), 0);
            EXPECT_EQ(dll.SetInfoLabel(s, s), 0);  // no bad text is a key; any text is a label
            for (const wchar_t* key : {L"sumlabel", L"currentrowlabel"}) EXPECT_EQ(dll.SetInfoLabel(key, s), 1);
            for (const wchar_t* v : {static_cast<const wchar_t*>(nullptr), L"", kMebibyte.c_str()})
                for (int flag : {0, 1, -1}) EXPECT_EQ(dll.AddSystemEnv(s, v, flag), 0);
        }
        dll.SetIconfont(L"iconfont.ttf", 0);  // the real font again, so that text paints
        for (HWND w : windows)
            for (const wchar_t* s : kStrings) EXPECT_EQ(dll.AttachDatawindow(w, s), guarded);
        PumpMessages();
        for (HWND w : windows) {
            const bool onRecord = started && (w == attached || w == plain);  // any result
            for (const wchar_t* s : kStrings) {
                for (int n : {0, -1, 9, INT_MIN, INT_MAX}) {
                    EXPECT_TRUE(dll.AddDatawindowTitle(w, s, s, n, n) == 0 || onRecord);
                    EXPECT_TRUE(dll.ModifyDatawindowTitle(w, n, s, s, n) == 0 || onRecord);
                    EXPECT_TRUE(dll.SetSpanTitle(w, s, s, s, n, n) == 0 || onRecord);
                }
                // Sane fonts with the bad texts.
                dll.AddDatawindowTitle(w, s, L"Tahoma", 9, 20);
                dll.SetSpanTitle(w, s, L"span", L"Tahoma", 9, 10);
            }
            PumpMessages();
        }
        InvalidateRect(attached, nullptr, TRUE);
        UpdateWindow(attached);
    }
    // The library's private messages with absurd parameters, and what reads their results: mouse, paint, scrolling.
    int Messages(HWND attached, HWND plain) {
        const WPARAM params[] = {
            0, 1, 4, 5, WPARAM(-1), 0x7FFFFFFF, WPARAM(INT_MIN), 0xDEADBEEF, WPARAM(edit), WPARAM(dead)};
        int sent = 0;
        for (HWND target : {attached, plain, edit}) {
            for (UINT msg = 11021; msg <= 11041; ++msg) {
                for (WPARAM w : params)
                    for (WPARAM l : params) {
                        SendMessageW(target, msg, w, static_cast<LPARAM>(l));
                        ++sent;
                    }
                SendMessageW(target, WM_MOUSEMOVE, 0, MAKELPARAM(30, 60));
                SendMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 60));
                SendMessageW(target, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(150, 100));
                SendMessageW(target, WM_LBUTTONUP, 5, MAKELPARAM(150, 100));
                SendMessageW(target, WM_VSCROLL, MAKEWPARAM(5, 0x7FFF), 0);
                InvalidateRect(target, nullptr, TRUE);
                UpdateWindow(target);
                PumpMessages();
            }
            for (UINT msg : {WM_NCHITTEST, WM_MOUSEMOVE, WM_LBUTTONDBLCLK, WM_KEYDOWN})
                for (WPARAM l : params) SendMessageW(target, msg, l, static_cast<LPARAM>(l));
            PumpMessages();
        }
        return sent;
    }
    ImportPatch boxes{dll.h, "user32.dll", "MessageBoxW", reinterpret_cast<void*>(&RecordMessageBox)};
    HWND edit = nullptr, dead = nullptr;
};

}  // namespace

TEST_F(BadInput, EveryExportAndPrivateMessageBeforeStartWhileStartedAndAfterStop) {
    HWND plain = Create(kGrid, 220, 200, WS_VSCROLL);
    HWND attached = Create(kGrid, 220, 200, WS_VSCROLL);
    ASSERT_TRUE(plain && attached);
    for (int phase = 0; phase < 3; ++phase) {
        const bool started = phase == 1;
        if (started) {
            ASSERT_EQ(dll.StartTessel(), 1);
            ASSERT_EQ(dll.AttachDatawindow(attached, nullptr), 1);
            PumpMessages();
        }
        g_boxes.clear();
        StdoutCapture out;
        EXPECT_EQ(started ? 0 : dll.StopTessel(), 0);
        Barrage(started, attached, plain);
        const int sent = started ? Messages(attached, plain) : 0;
        out.Stop();
        if (started) {
            std::printf("bad input: private messages sent %d (11021 to 11041, 10 x 10 parameters, 3 windows)\n", sent);
            EXPECT_TRUE(g_boxes.empty()) << "a box while started";
            EXPECT_TRUE(IsWindow(attached));
            // Still serving: a new DataWindow attached loses its client edge.
            HWND fresh = Create(kGrid, 220, 200, WS_VSCROLL);
            RECT before, after;
            GetClientRect(fresh, &before);
            EXPECT_EQ(dll.AttachDatawindow(fresh, nullptr), 1);
            PumpMessages();
            GetClientRect(fresh, &after);
            EXPECT_NE(after.right, before.right) << "attaching no longer works after the bad calls";
            EXPECT_EQ(dll.DettachDatawindow(attached), 1);
            EXPECT_EQ(dll.StopTessel(), 1);
        } else {
            // Every guarded call answered with the guard's box.
            ASSERT_FALSE(g_boxes.empty());
            EXPECT_EQ(g_boxes, std::vector<std::wstring>(g_boxes.size(), L"StartTessel first! 48"));
            std::printf("bad input: %s StartTessel %zu guard boxes, all \"StartTessel first!\" style 48\n",
                        phase == 0 ? "before" : "after", g_boxes.size());
        }
    }
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(dll.h, path, MAX_PATH);
    std::printf("%s: library tested %ls\n",
                GetEnvironmentVariableW(L"TESSEL2U_DLL", nullptr, 0) ? "guard heap" : "bad input", path);
}

// Catches a folder read as a file, and crashes on garbage or a locked file.
TEST_F(BadInput, SettingsAndSkinFiles) {
    ASSERT_EQ(dll.StartTessel(), 1);
    HWND attached = Attach(kGrid, std::string(), 220, 200, WS_VSCROLL);
    const std::wstring folder = temp.File(L"folder.ini");
    CreateDirectoryW(folder.c_str(), nullptr);
    EXPECT_EQ(dll.ReplaceSysColor(COLOR_WINDOW, 0x00010203), 0x00010203);
    EXPECT_EQ(dll.SetSkinFile(folder.c_str()), 1);
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), 0x00010203u) << "a folder was read as a skin file";
    EXPECT_EQ(dll.AttachDatawindow(attached, folder.c_str()), 1);
    const std::string garbage =
        "[SysColor]\r\n=====\r\n\x01\x02\r\n99999999999999999999=1\r\n5=abc\r\n[[SysColor]\r\n9=" +
        std::string(100000, '7') + "\r\n[datawindow]\r\nrowcountlabel=" + std::string(100000, '%') +
        "n\r\nfirstrowlabel=%n%s%ls\r\n[ScrollBar]\r\nx=\r\n";
    const std::wstring locked = temp.Write(L"locked.ini", "[SysColor]\r\n5=255\r\n");
    HANDLE lock = CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(lock, INVALID_HANDLE_VALUE);
    for (const std::wstring& f : {temp.Write(L"garbage.ini", garbage), locked}) {
        EXPECT_EQ(dll.SetSkinFile(f.c_str()), 1);
        EXPECT_EQ(dll.AttachDatawindow(attached, f.c_str()), 1);
        SendMessageW(attached, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 1), 0);  // the page information with the labels
        InvalidateRect(attached, nullptr, TRUE);
        UpdateWindow(attached);
    }
    CloseHandle(lock);
    EXPECT_EQ(dll.DettachDatawindow(attached), 1);
    EXPECT_EQ(dll.StopTessel(), 1);
}
