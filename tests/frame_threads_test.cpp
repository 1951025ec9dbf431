// A host with worker threads: three threads call the intercepted functions
// without pause while the UI thread starts the library, attaches a DataWindow,
// skins, repaints and stops it, life after life. Nothing may crash, and on the
// workers every call returns what the real function returned before the first
// start (the library passes other threads' calls through), except GetSysColor,
// which may answer the skin's colour.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cwchar>
#include <string>
#include <thread>
#include <vector>

#include "stdout_capture.h"
#include "tessel_host.h"

namespace {

const wchar_t kIconText[] = L"x iconfont{61447} y";
wchar_t g_plainText[] = L"plain text on a worker";
const int kIconLength = static_cast<int>(wcslen(kIconText));
constexpr COLORREF kSkinWindowColour = 0x00123456;  // COLOR_WINDOW in the skin below

// One round of a worker's calls on its memory context and a window of its
// own: what they answer, as text (the skin's window colour as the system's).
std::string Round(HDC dc, DWORD systemWindowColour) {
    RECT calc = {0, 0, 200, 60}, draw = calc, r = {0, 0, 50, 20};
    int fit = 0;
    SIZE extent = {};
    const int calcHeight = DrawTextW(dc, kIconText, -1, &calc, DT_CALCRECT | DT_SINGLELINE);
    const int drawHeight = DrawTextExW(dc, g_plainText, -1, &draw, DT_LEFT, nullptr);
    GetTextExtentExPointW(dc, kIconText, kIconLength, 60, &fit, nullptr, &extent);
    POLYTEXTW poly = {2, 2, 4, L"poly", 0, {0, 0, 0, 0}, nullptr};
    const bool text = TextOutW(dc, 2, 2, kIconText, kIconLength) && PolyTextOutW(dc, &poly, 1) &&
                      ExtTextOutW(dc, 2, 20, ETO_OPAQUE, &r, g_plainText, 22, nullptr) &&
                      ExtTextOutA(dc, 2, 40, 0, nullptr, "ansi", 4, nullptr);
    HDC screen = GetDC(nullptr), mem = CreateCompatibleDC(screen);
    HBRUSH brush = CreateSolidBrush(RGB(10, 20, 30));
    const bool drawn = screen && mem && ReleaseDC(nullptr, screen) == 1 && DeleteDC(mem) && brush &&
                       FillRect(dc, &r, brush) && DeleteObject(brush) && MoveToEx(dc, 0, 0, nullptr) &&
                       LineTo(dc, 30, 30) && Rectangle(dc, 5, 5, 40, 40) && PatBlt(dc, 0, 0, 10, 10, WHITENESS) &&
                       BitBlt(dc, 50, 0, 20, 20, dc, 0, 0, SRCCOPY);
    HWND w = CreateWindowExW(0, L"STATIC", L"worker", WS_POPUP, 0, 0, 80, 20, nullptr, nullptr, nullptr, nullptr);
    HDC wdc = GetDC(w);
    const bool window = w && wdc && DrawTextW(wdc, kIconText, -1, &r, DT_LEFT | DT_SINGLELINE) > 0 &&
                        ReleaseDC(w, wdc) == 1 && DestroyWindow(w);
    PumpMessages();
    const DWORD colour = GetSysColor(COLOR_WINDOW);
    char answers[200];
    std::snprintf(answers, sizeof answers,
                  "calculated %d (%ld %ld %ld %ld), drawn %d, fit %d in %ld x %ld, button text %lx; text %d, "
                  "drawing %d, window %d; window colour %lx",
                  calcHeight, calc.left, calc.top, calc.right, calc.bottom, drawHeight, fit, extent.cx, extent.cy,
                  GetSysColor(COLOR_BTNTEXT), text, drawn, window,
                  colour == kSkinWindowColour ? systemWindowColour : colour);
    return answers;
}

struct Worker {
    long rounds = 0, mismatches = 0;
    std::string first;
    std::thread thread;

    void Run(HANDLE ready, const std::atomic<bool>& stop) {
        HDC dc = CreateCompatibleDC(nullptr);
        HBITMAP bitmap = CreateBitmap(200, 60, 1, 32, nullptr);
        HGDIOBJ old = SelectObject(dc, bitmap);
        const DWORD systemWindowColour = GetSysColor(COLOR_WINDOW);
        const std::string real = Round(dc, systemWindowColour);
        SetEvent(ready);
        for (; !stop; ++rounds) {
            const std::string now = Round(dc, systemWindowColour);
            if (now != real && mismatches++ == 0) first = now + "\ninstead of\n" + real;
        }
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
};

class Threads : public TesselHost {
protected:
    bool StartsTessel() const override { return false; }
    const std::wstring grid =
        GridSyntax(1).Column(L"a", L"long", 80, L"A").Column(L"b", L"char(20)", 120, L"B").NumberedRows(3).Text();
};

}  // namespace

// 100 lives, or TESSEL2U_THREAD_LIVES (the emulated i386 PC runs fewer).
TEST_F(Threads, WorkersCallThroughEveryLife) {
    const unsigned wanted = EnvNumber("TESSEL2U_THREAD_LIVES", 0);
    const int lives = wanted >= 5 && wanted <= 10000 ? static_cast<int>(wanted) : 100;
    const std::wstring skin = temp.Write(L"skin.ini", "[SysColor]\r\n5=1193046\r\n15=\r\n");  // 0x123456
    std::atomic<bool> stop{false};
    Worker workers[3];
    for (Worker& worker : workers) {
        HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        worker.thread = std::thread(&Worker::Run, &worker, ready, std::cref(stop));
        EXPECT_EQ(WaitForSingleObject(ready, 60000), WAIT_OBJECT_0);
        CloseHandle(ready);
    }
    int badStarts = 0, badStops = 0;
    StdoutCapture out;
    for (int life = 0; life < lives; ++life) {
        badStarts += dll.StartTessel() != 1;
        dll.SetSkinFile(skin.c_str());
        dll.SetIconfont(L"iconfont.ttf", 0);
        HWND dw = pb->Create(grid.c_str(), WS_VSCROLL, 400, 200);
        dll.AttachDatawindow(dw, nullptr);
        PumpMessages();
        SendMessageW(dw, WM_MOUSEMOVE, 0, MAKELPARAM(30, 40));
        InvalidateRect(dw, nullptr, TRUE);
        UpdateWindow(dw);
        if (life % 2) dll.ReplaceSysColor(COLOR_BTNFACE, RGB(1, 2, 3));
        PumpMessages();
        badStops += dll.StopTessel() != 1;
        DestroyWindow(dw);
        PumpMessages();
    }
    const std::string log = out.Stop();
    stop = true;
    for (Worker& worker : workers) {
        worker.thread.join();
        EXPECT_GT(worker.rounds, 0) << "a worker never ran";
        EXPECT_EQ(worker.mismatches, 0) << worker.first;
    }
    EXPECT_EQ(badStarts + badStops, 0);
    EXPECT_EQ(log.find("stopped an exception"), std::string::npos) << log;
    EXPECT_EQ(log.find("still inside"), std::string::npos) << log;
}

// The exports that touch the library's records answer only the thread that
// started it; another thread's call is refused with a debug line and changes nothing.
TEST_F(Threads, ExportsOfAnotherThreadAreRefused) {
    StdoutCapture out;
    ASSERT_EQ(dll.StartTessel(), 1);
    HWND dw = Create(grid);
    std::vector<int> answers;
    std::thread([&] {
        answers = {dll.AttachDatawindow(dw, nullptr), dll.ReplaceSysColor(COLOR_WINDOW, RGB(9, 9, 9)),
                   dll.StopTessel()};
    }).join();
    const DWORD window = GetSysColor(COLOR_WINDOW);
    EXPECT_EQ(dll.StopTessel(), 1);
    const std::string log = out.Stop();
    EXPECT_EQ(answers, std::vector<int>(3, 0));
    EXPECT_NE(window, static_cast<DWORD>(RGB(9, 9, 9)));
    EXPECT_NE(log.find("is not the one that started the library"), std::string::npos) << log;
}
