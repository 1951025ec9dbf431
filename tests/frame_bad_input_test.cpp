// Whatever a host passes, in whatever order: every export with null, empty
// and 1 MiB strings, dead and foreign window handles, negative and huge
// numbers, before StartTessel, while started and after StopTessel; private
// messages with absurd parameters; settings and skin files that are folders,
// locked, huge, full of garbage or with keys twice. Nothing crashes, every
// call gives its documented result, and the library works afterwards.
#include <gtest/gtest.h>
#include <windows.h>

#include <climits>
#include <cstdio>
#include <string>
#include <vector>

#include "grid_syntax.h"
#include "import_patch.h"
#include "message_pump.h"
#include "pbsim_runtime.h"
#include "stdout_capture.h"
#include "temp_folder.h"
#include "tessel_dll.h"

namespace {

const std::wstring kGrid =
    GridSyntax(1).Column(L"a", L"long", 80, L"A").Column(L"b", L"char(20)", 120, L"B").NumberedRows(3).Text();

struct Box {
    std::wstring text;
    UINT style;
};
std::vector<Box> g_boxes;

int WINAPI RecordMessageBox(HWND, LPCWSTR text, LPCWSTR, UINT style) {
    g_boxes.push_back({text ? text : L"", style});
    return IDOK;
}

const std::wstring& Mebibyte() {
    static const std::wstring s(1 << 20, L'x');
    return s;
}
const std::wstring& MebibytePath() {
    static const std::wstring s = L"C:\\" + std::wstring((1 << 20) - 8, L'a') + L"\\b.ini";
    return s;
}
const std::wstring& MebibyteList() {
    static std::wstring s;
    if (s.empty())
        for (int i = 0; i < (1 << 18); ++i) s += L"a,b,";
    return s;
}

std::vector<const wchar_t*> Strings() {
    return {nullptr,
            L"",
            L" ",
            L",",
            L"=",
            L"\\",
            L"~t(",
            L"iconfont{",
            L"iconfont{99999999999:-1}",
            L"a\"b'c~\"",
            Mebibyte().c_str(),
            MebibytePath().c_str(),
            MebibyteList().c_str()};
}
const int kNumbers[] = {0, 1, -1, 2, 255, -255, 256, 65535, 0x7FFF, -0x8000, INT_MAX, INT_MIN, INT_MAX / 2};

class BadInput : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pb.ok());
        ASSERT_NE(dll.h, nullptr);
        ASSERT_TRUE(boxes.ok());
        g_boxes.clear();
        host = CreateWindowExW(0, L"STATIC", L"host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 700, 300, nullptr,
                               nullptr, nullptr, nullptr);
        edit = CreateWindowExW(0, L"EDIT", L"", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr, nullptr, nullptr);
        dead = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 5, 5, nullptr, nullptr, nullptr, nullptr);
        DestroyWindow(dead);
    }
    void TearDown() override {
        dll.SetInfoLabel(L"sumlabel", nullptr);
        dll.SetInfoLabel(L"currentrowlabel", nullptr);
        dll.StopTessel();
        for (HWND h : dws) DestroyWindow(h);
        DestroyWindow(edit);
        DestroyWindow(host);
    }
    HWND NewDataWindow(int x) {
        HWND h = pb.CreateDataWindow(host, kGrid.c_str(), nullptr, x, 0, 220, 200, WS_VSCROLL);
        dws.push_back(h);
        return h;
    }
    std::vector<HWND> Windows(HWND attached, HWND plainDw) {
        return {nullptr,
                attached,
                plainDw,
                edit,
                host,
                dead,
                GetDesktopWindow(),
                reinterpret_cast<HWND>(static_cast<INT_PTR>(-1)),
                reinterpret_cast<HWND>(static_cast<INT_PTR>(0x7777)),
                reinterpret_cast<HWND>(static_cast<INT_PTR>(0x7FFFFFFF))};
    }
    // Every export with every bad argument; started says what results to expect.
    void Barrage(bool started, HWND attached, HWND plainDw) {
        const std::vector<const wchar_t*> strings = Strings();
        const std::vector<HWND> windows = Windows(attached, plainDw);
        const int guarded = started ? 1 : 0;
        for (HWND w : windows) {
            if (w == attached) continue;  // detached last
            EXPECT_EQ(dll.DettachDatawindow(w), guarded);
            EXPECT_EQ(dll.GetAddColumnSyntax(w, -1, INT_MAX, INT_MIN, 0), 0);
        }
        for (int n : kNumbers) {
            EXPECT_EQ(dll.ReplaceSysColor(n, 0x00123456), started ? 0x00123456 : 0);
            EXPECT_EQ(dll.SetDebugWindowColor(n), 0);
        }
        for (const wchar_t* s : strings) {
            EXPECT_EQ(dll.SetSkinFile(s), guarded);
            for (int n : {0, -1, 255, INT_MIN, INT_MAX}) {
                EXPECT_EQ(dll.SetIconfont(s, n), 0);
            }
            EXPECT_EQ(dll.PrintDebugString(s), 0);
            // No bad text is a label key; any text is a label (kept cut), started or not.
            EXPECT_EQ(dll.SetInfoLabel(s, L"label"), 0);
            EXPECT_EQ(dll.SetInfoLabel(s, s), 0);
            EXPECT_EQ(dll.SetInfoLabel(L"sumlabel", s), 1);
            EXPECT_EQ(dll.SetInfoLabel(L"currentrowlabel", s), 1);
            for (const wchar_t* v : {static_cast<const wchar_t*>(nullptr), L"", L"v", Mebibyte().c_str()}) {
                for (int flag : {0, 1, -1}) {
                    EXPECT_EQ(dll.AddSystemEnv(s, v, flag), 0);
                }
            }
        }
        // The icon font back to the real one, so that text paints.
        dll.SetIconfont(L"iconfont.ttf", 0);
        for (HWND w : windows) {
            for (const wchar_t* s : strings) {
                EXPECT_EQ(dll.AttachDatawindow(w, s), guarded);
            }
        }
        PumpMessages();
        for (HWND w : windows) {
            // The attach calls above attached the plain DataWindow too.
            const int onRecord = started && (w == attached || w == plainDw) ? -1 : 0;  // -1: any result
            for (const wchar_t* s : strings) {
                for (int n : {0, -1, 1, 9, INT_MIN, INT_MAX, 100000}) {
                    const int a = dll.AddDatawindowTitle(w, s, s, n, n);
                    EXPECT_TRUE(onRecord != 0 || a == 0);
                    const int m = dll.ModifyDatawindowTitle(w, n, s, s, n);
                    EXPECT_TRUE(onRecord != 0 || m == 0);
                    const int t = dll.SetSpanTitle(w, s, s, s, n, n);
                    EXPECT_TRUE(onRecord != 0 || t == 0);
                }
                // A sane font with the bad texts, and bad fonts with sane texts.
                dll.AddDatawindowTitle(w, s, L"Tahoma", 9, 20);
                dll.SetSpanTitle(w, s, L"span", L"Tahoma", 9, 10);
                dll.SetSpanTitle(w, L"a,b", s, L"Tahoma", 9, 10);
            }
            PumpMessages();
        }
        if (attached) {
            InvalidateRect(attached, nullptr, TRUE);
            UpdateWindow(attached);
        }
    }
    PbsimRuntime pb{105};
    TesselDll dll;
    ImportPatch boxes{dll.h, "user32.dll", "MessageBoxW", reinterpret_cast<void*>(&RecordMessageBox)};
    HWND host = nullptr, edit = nullptr, dead = nullptr;
    std::vector<HWND> dws;
};

size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t p = 0; (p = text.find(what, p)) != std::string::npos; p += what.size()) ++n;
    return n;
}

}  // namespace

TEST_F(BadInput, EveryExportBeforeStartWhileStartedAndAfterStop) {
    HWND plainDw = NewDataWindow(0);
    HWND attached = NewDataWindow(230);
    ASSERT_TRUE(plainDw && attached) << pb.LastError();

    // Before StartTessel: the guarded exports refuse, each with one box.
    {
        StdoutCapture out;
        EXPECT_EQ(dll.StopTessel(), 0);
        Barrage(false, attached, plainDw);
        const std::string log = out.Stop();
        ASSERT_FALSE(g_boxes.empty());
        for (const Box& b : g_boxes) {
            EXPECT_EQ(b.text, L"StartTessel first!");
            EXPECT_EQ(b.style, 48u);
        }
        EXPECT_EQ(Count(log, "g_pDWlist : 0 , g_pWinlist : 0\n"), g_boxes.size());
        std::printf("bad input: before StartTessel %zu guard boxes, all \"StartTessel first!\" style 48\n",
                    g_boxes.size());
    }

    // Started: documented results, no box.
    g_boxes.clear();
    ASSERT_EQ(dll.StartTessel(), 1);
    EXPECT_EQ(dll.StartTessel(), 0);
    ASSERT_EQ(dll.AttachDatawindow(attached, nullptr), 1);
    PumpMessages();
    {
        StdoutCapture out;
        Barrage(true, attached, plainDw);
        out.Stop();
    }
    EXPECT_TRUE(g_boxes.empty()) << "a box while started";
    // The library still serves: a new DataWindow is attached and its frame
    // changes (client edge taken away, margins added).
    HWND fresh = NewDataWindow(460);
    RECT before, after;
    GetClientRect(fresh, &before);
    EXPECT_EQ(dll.AttachDatawindow(fresh, nullptr), 1);
    PumpMessages();
    GetClientRect(fresh, &after);
    EXPECT_NE(after.right, before.right) << "attaching no longer works after the bad calls";
    EXPECT_EQ(dll.DettachDatawindow(attached), 1);
    EXPECT_EQ(dll.DettachDatawindow(attached), 1);  // twice

    // Stopped: StopTessel once, then the guard again; StopTessel twice.
    EXPECT_EQ(dll.StopTessel(), 1);
    g_boxes.clear();
    {
        StdoutCapture out;
        EXPECT_EQ(dll.StopTessel(), 0);
        Barrage(false, attached, plainDw);
        out.Stop();
    }
    ASSERT_FALSE(g_boxes.empty());
    for (const Box& b : g_boxes) EXPECT_EQ(b.text, L"StartTessel first!");
    // Unguarded exports at any time.
    EXPECT_EQ(dll.DWAbout(), 0);
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(dll.h, path, MAX_PATH);
    std::printf("%s: library tested %ls\n",
                GetEnvironmentVariableW(L"TESSEL2U_DLL", nullptr, 0) ? "guard heap" : "bad input", path);
}

TEST_F(BadInput, PrivateMessagesWithAbsurdParameters) {
    ASSERT_EQ(dll.StartTessel(), 1);
    HWND attached = NewDataWindow(0);
    HWND plainDw = NewDataWindow(230);
    ASSERT_EQ(dll.AttachDatawindow(attached, nullptr), 1);
    PumpMessages();
    const WPARAM params[] = {0,
                             1,
                             4,
                             5,
                             static_cast<WPARAM>(-1),
                             0x7FFFFFFF,
                             static_cast<WPARAM>(INT_MIN),
                             0xDEADBEEF,
                             reinterpret_cast<WPARAM>(edit),
                             reinterpret_cast<WPARAM>(dead)};
    int sent = 0;
    StdoutCapture out;
    for (HWND target : {attached, plainDw, edit}) {
        for (UINT msg = 11021; msg <= 11041; ++msg) {
            for (WPARAM w : params) {
                for (WPARAM l : params) {
                    SendMessageW(target, msg, w, static_cast<LPARAM>(l));
                    ++sent;
                }
            }
            // Between messages, what reads their results: mouse, paint, scrolling.
            SendMessageW(target, WM_MOUSEMOVE, 0, MAKELPARAM(30, 60));
            SendMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 60));
            SendMessageW(target, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(150, 100));
            SendMessageW(target, WM_LBUTTONUP, 5, MAKELPARAM(150, 100));
            SendMessageW(target, WM_VSCROLL, MAKEWPARAM(5, 0x7FFF), 0);
            InvalidateRect(target, nullptr, TRUE);
            UpdateWindow(target);
            PumpMessages();
        }
        for (UINT msg : {WM_NCHITTEST, WM_MOUSEMOVE, WM_LBUTTONDBLCLK, WM_KEYDOWN}) {
            for (WPARAM l : params) {
                SendMessageW(target, msg, l, static_cast<LPARAM>(l));
                ++sent;
            }
        }
        PumpMessages();
    }
    out.Stop();
    EXPECT_TRUE(IsWindow(attached));
    EXPECT_EQ(dll.DettachDatawindow(attached), 1);
    EXPECT_EQ(dll.StopTessel(), 1);
    std::printf("bad input: private messages sent %d (11021 to 11041, 10 x 10 parameters, 3 windows)\n", sent);
}

// Settings and skin files that are folders, locked, huge, garbage, or that
// name a key twice.
TEST_F(BadInput, SettingsAndSkinFiles) {
    ASSERT_EQ(dll.StartTessel(), 1);
    HWND attached = NewDataWindow(0);
    ASSERT_EQ(dll.AttachDatawindow(attached, nullptr), 1);
    PumpMessages();
    TempFolder temp;
    ASSERT_TRUE(temp.Ok());

    // A folder where a file should be: the system colours stay.
    const std::wstring folder = temp.File(L"folder.ini");
    CreateDirectoryW(folder.c_str(), nullptr);
    EXPECT_EQ(dll.ReplaceSysColor(COLOR_WINDOW, 0x00010203), 0x00010203);
    EXPECT_EQ(dll.SetSkinFile(folder.c_str()), 1);
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), 0x00010203u) << "a folder was read as a skin file";
    EXPECT_EQ(dll.AttachDatawindow(attached, folder.c_str()), 1);

    // The same key twice: the later line wins.
    const std::wstring twice =
        temp.Write(L"twice.ini",
                   "[SysColor]\r\n5=255\r\n5=65280\r\n[datawindow]\r\nbackcolor=255\r\nbackcolor=65280\r\n"
                   "[ScrollBar]\r\nnormal=1\r\nnormal=2\r\n");
    EXPECT_EQ(dll.SetSkinFile(twice.c_str()), 1);
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), 65280u);
    EXPECT_EQ(dll.AttachDatawindow(attached, twice.c_str()), 1);

    // Garbage lines.
    std::string garbage =
        "[SysColor]\r\n=====\r\nabc\r\n5\r\n=5\r\n\x01\x02\x03\r\n99999999999999999999=1\r\n"
        "-2147483649=5\r\n5=abc\r\n6=   \r\n7=\r\n  8 = 12 \r\n[[SysColor]\r\n";
    garbage += "9=" + std::string(100000, '7') + "\r\n" + std::string(100000, '=') + "\r\n";
    garbage += "[datawindow]\r\n" + std::string(50000, 'k') + "=" + std::string(50000, 'v') + "\r\n=\r\n===\r\n";
    garbage += "rowcountlabel=" + std::string(100000, '%') +
               "n\r\nfirstrowlabel=%n%n%n%s%s%ls\r\nlastrowlabel=\"\r\n"
               "currentrowlabel='\x01\x02\xFF'\r\nsumlabel=\r\n";
    garbage += "[ScrollBar]\r\n=\r\nx=\r\n" + std::string(70000, ',') + "\r\n";
    const std::wstring junk = temp.Write(L"garbage.ini", garbage);
    EXPECT_EQ(dll.SetSkinFile(junk.c_str()), 1);
    EXPECT_EQ(dll.AttachDatawindow(attached, junk.c_str()), 1);
    // The page information with those labels.
    SendMessageW(attached, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 1), 0);
    PumpMessages();

    // A SysColor section of more than 2 MB (more than the section buffer holds).
    std::string huge = "[SysColor]\r\n";
    for (int i = 0; huge.size() < 2600000; ++i) huge += std::to_string(i % 31) + "=" + std::to_string(i) + "\r\n";
    huge += "[datawindow]\r\n";
    for (int i = 0; huge.size() < 5200000; ++i) huge += "key" + std::to_string(i) + "=" + std::to_string(i) + "\r\n";
    const std::wstring big = temp.Write(L"huge.ini", huge);
    EXPECT_EQ(dll.SetSkinFile(big.c_str()), 1);
    EXPECT_EQ(dll.AttachDatawindow(attached, big.c_str()), 1);

    // Locked: open without sharing while the library reads it.
    const std::wstring locked = temp.Write(L"locked.ini", "[SysColor]\r\n5=255\r\n");
    HANDLE lock = CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_EQ(dll.SetSkinFile(locked.c_str()), 1);
    EXPECT_EQ(dll.AttachDatawindow(attached, locked.c_str()), 1);
    CloseHandle(lock);

    // Every file once more with the skinned window painting between.
    for (const wchar_t* f : {twice.c_str(), junk.c_str(), big.c_str(), locked.c_str()}) {
        EXPECT_EQ(dll.SetSkinFile(f), 1);
        InvalidateRect(attached, nullptr, TRUE);
        UpdateWindow(attached);
    }
    PumpMessages();
    const std::wstring plain = temp.Write(L"plain.ini", "[Other]\r\nx=1\r\n");
    EXPECT_EQ(dll.SetSkinFile(plain.c_str()), 1);
    EXPECT_EQ(dll.DettachDatawindow(attached), 1);
    EXPECT_EQ(dll.StopTessel(), 1);
}
