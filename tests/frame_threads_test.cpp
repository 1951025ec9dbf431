// A host with worker threads: four threads call the intercepted functions
// without pause (text drawn and measured with and without icon runs, device
// contexts taken and released, filled and drawn on, windows created and
// destroyed, system colours read) while the UI thread starts the library,
// attaches a DataWindow, skins, repaints and stops it, life after life.
// Nothing may crash, and every call of a worker returns what the real
// function returned for the same call before the library was first started:
// on other threads than the one that started it, the library passes calls
// through, except GetSysColor, which answers the skin's colours.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cwchar>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "env_number.h"
#include "ini_file.h"
#include "message_pump.h"
#include "pbsim_runtime.h"
#include "stdout_capture.h"
#include "tessel_dll.h"
#include "two_column_grid.h"

namespace {

const wchar_t kIconText[] = L"x iconfont{61447} y";
const wchar_t kPlainText[] = L"plain text on a worker";
constexpr COLORREF kSkinWindowColour = 0x00123456;  // COLOR_WINDOW in the skin below

// 100 lives, or TESSEL2U_THREAD_LIVES (the emulated i386 PC runs fewer).
int Lives() {
    const unsigned wanted = EnvNumber("TESSEL2U_THREAD_LIVES", 0);
    return wanted >= 5 && wanted <= 10000 ? static_cast<int>(wanted) : 100;
}

// What a worker's calls returned before the library was started, on the
// worker's own memory context.
struct Expected {
    int calcHeight = 0;
    RECT calcRect = {};
    int drawHeight = 0;
    SIZE iconExtent = {};
    int iconFit = 0;
    DWORD windowColour = 0;
    DWORD buttonTextColour = 0;
};

class Worker {
public:
    explicit Worker(int kind) : m_kind(kind) {}

    // Runs on the worker's thread: records the real results, then repeats
    // the calls until told to stop.
    void Run(std::atomic<bool>& ready, std::atomic<bool>& stop) {
        HDC screen = GetDC(nullptr);
        m_dc = CreateCompatibleDC(screen);
        ReleaseDC(nullptr, screen);
        m_bitmap = CreateBitmap(200, 60, 1, 32, nullptr);
        m_old = SelectObject(m_dc, m_bitmap);
        Record();
        ready = true;
        while (!stop) {
            Once();
            ++m_rounds;
        }
        SelectObject(m_dc, m_old);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }

    long Rounds() const { return m_rounds; }
    long Mismatches() const { return m_mismatches; }
    std::string FirstMismatch() {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_first;
    }

private:
    void Record() {
        RECT r = {0, 0, 200, 60};
        m_expected.calcHeight = DrawTextW(m_dc, kIconText, -1, &r, DT_CALCRECT | DT_SINGLELINE);
        m_expected.calcRect = r;
        RECT d = {0, 0, 200, 60};
        m_expected.drawHeight = DrawTextExW(m_dc, const_cast<wchar_t*>(kPlainText), -1, &d, DT_LEFT, nullptr);
        GetTextExtentExPointW(m_dc, kIconText, static_cast<int>(wcslen(kIconText)), 60, &m_expected.iconFit, nullptr,
                              &m_expected.iconExtent);
        m_expected.windowColour = GetSysColor(COLOR_WINDOW);
        m_expected.buttonTextColour = GetSysColor(COLOR_BTNTEXT);
    }

    void Check(bool ok, const char* what) {
        if (ok) return;
        if (m_mismatches++ == 0) {
            std::lock_guard<std::mutex> lock(m_lock);
            m_first = std::string("worker ") + std::to_string(m_kind) + ": " + what;
        }
    }

    void Once() {
        const DWORD window = GetSysColor(COLOR_WINDOW);
        Check(window == m_expected.windowColour || window == kSkinWindowColour, "GetSysColor(COLOR_WINDOW)");
        Check(GetSysColor(COLOR_BTNTEXT) == m_expected.buttonTextColour, "GetSysColor(COLOR_BTNTEXT)");
        switch (m_kind) {
        case 0: {  // text drawn
            RECT r = {0, 0, 200, 60};
            const int h = DrawTextW(m_dc, kIconText, -1, &r, DT_CALCRECT | DT_SINGLELINE);
            Check(h == m_expected.calcHeight && EqualRect(&r, &m_expected.calcRect), "DrawTextW DT_CALCRECT");
            RECT d = {0, 0, 200, 60};
            Check(
                DrawTextExW(m_dc, const_cast<wchar_t*>(kPlainText), -1, &d, DT_LEFT, nullptr) == m_expected.drawHeight,
                "DrawTextExW");
            RECT i = {0, 0, 200, 60};
            DrawTextW(m_dc, kIconText, -1, &i, DT_LEFT | DT_SINGLELINE);
            Check(TextOutW(m_dc, 2, 2, kIconText, static_cast<int>(wcslen(kIconText))) != FALSE, "TextOutW");
            Check(ExtTextOutW(m_dc, 2, 20, ETO_OPAQUE, &i, kPlainText, static_cast<UINT>(wcslen(kPlainText)),
                              nullptr) != FALSE,
                  "ExtTextOutW");
            Check(ExtTextOutA(m_dc, 2, 40, 0, nullptr, "ansi", 4, nullptr) != FALSE, "ExtTextOutA");
            break;
        }
        case 1: {  // text measured
            SIZE size = {};
            int fit = -1;
            Check(GetTextExtentExPointW(m_dc, kIconText, static_cast<int>(wcslen(kIconText)), 60, &fit, nullptr,
                                        &size) != FALSE,
                  "GetTextExtentExPointW");
            Check(
                size.cx == m_expected.iconExtent.cx && size.cy == m_expected.iconExtent.cy && fit == m_expected.iconFit,
                "GetTextExtentExPointW extent");
            POLYTEXTW poly = {2, 2, 4, L"poly", 0, {0, 0, 0, 0}, nullptr};
            Check(PolyTextOutW(m_dc, &poly, 1) != FALSE, "PolyTextOutW");
            break;
        }
        case 2: {  // device contexts
            HDC screen = GetDC(nullptr);
            Check(screen != nullptr, "GetDC");
            HDC mem = CreateCompatibleDC(screen);
            Check(mem != nullptr, "CreateCompatibleDC");
            Check(ReleaseDC(nullptr, screen) == 1, "ReleaseDC");
            RECT r = {0, 0, 50, 20};
            HBRUSH brush = CreateSolidBrush(RGB(10, 20, 30));
            Check(brush != nullptr, "CreateSolidBrush");
            Check(FillRect(m_dc, &r, brush) != 0, "FillRect");
            DeleteObject(brush);
            Check(MoveToEx(m_dc, 0, 0, nullptr) != FALSE, "MoveToEx");
            Check(LineTo(m_dc, 30, 30) != FALSE, "LineTo");
            Check(Rectangle(m_dc, 5, 5, 40, 40) != FALSE, "Rectangle");
            Check(PatBlt(m_dc, 0, 0, 10, 10, WHITENESS) != FALSE, "PatBlt");
            Check(BitBlt(m_dc, 50, 0, 20, 20, m_dc, 0, 0, SRCCOPY) != FALSE, "BitBlt");
            Check(mem && DeleteDC(mem) != FALSE, "DeleteDC");
            break;
        }
        default: {  // windows of the worker's own
            HWND w =
                CreateWindowExW(0, L"STATIC", L"worker", WS_POPUP, 0, 0, 80, 20, nullptr, nullptr, nullptr, nullptr);
            Check(w != nullptr, "CreateWindowExW");
            HDC dc = GetDC(w);
            Check(dc != nullptr, "GetDC of a window");
            RECT r = {0, 0, 80, 20};
            if (dc) DrawTextW(dc, kIconText, -1, &r, DT_LEFT | DT_SINGLELINE);
            Check(ReleaseDC(w, dc) == 1, "ReleaseDC of a window");
            Check(w && DestroyWindow(w) != FALSE, "DestroyWindow");
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            break;
        }
        }
    }

    int m_kind;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
    Expected m_expected;
    std::atomic<long> m_rounds{0};
    std::atomic<long> m_mismatches{0};
    std::mutex m_lock;
    std::string m_first;
};

}  // namespace

TEST(Threads, FourWorkersCallThroughAHundredLives) {
    PbsimRuntime pb{105};
    ASSERT_TRUE(pb.ok());
    TesselDll dll;
    ASSERT_NE(dll.h, nullptr);
    IniFile skin(dll.h, L"threads_skin.ini", "[SysColor]\r\n5=1193046\r\n15=\r\n");  // 0x123456
    HWND host = CreateWindowExW(0, L"STATIC", L"host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 500, 300, nullptr,
                                nullptr, nullptr, nullptr);
    ASSERT_NE(host, nullptr);
    const std::wstring grid = TwoColumnGrid(L"data(1 \"one\" 2 \"two\" 3 \"three\")");

    std::atomic<bool> stop{false};
    std::vector<Worker*> workers;
    std::vector<std::thread> threads;
    for (int kind = 0; kind < 4; ++kind) {
        Worker* worker = new Worker(kind);
        workers.push_back(worker);
        std::atomic<bool> ready{false};
        threads.emplace_back([worker, &stop, &ready] { worker->Run(ready, stop); });
        while (!ready) Sleep(1);
    }

    const int lives = Lives();
    int badStarts = 0, badStops = 0;
    StdoutCapture out;
    for (int life = 0; life < lives; ++life) {
        if (dll.StartTessel() != 1) ++badStarts;
        dll.SetSkinFile(skin.Name());
        dll.SetIconfont(L"iconfont.ttf", 0);
        HWND dw = pb.CreateDataWindow(host, grid.c_str(), nullptr, 0, 0, 400, 200, WS_VSCROLL);
        dll.AttachDatawindow(dw, nullptr);
        PumpMessages();
        SendMessageW(dw, WM_MOUSEMOVE, 0, MAKELPARAM(30, 40));
        InvalidateRect(dw, nullptr, TRUE);
        UpdateWindow(dw);
        if (life % 2) dll.ReplaceSysColor(COLOR_BTNFACE, RGB(1, 2, 3));
        PumpMessages();
        if (dll.StopTessel() != 1) ++badStops;
        DestroyWindow(dw);
        PumpMessages();
    }
    const std::string log = out.Stop();
    stop = true;
    for (std::thread& t : threads) t.join();

    long rounds = 0, mismatches = 0;
    std::string first;
    for (Worker* worker : workers) {
        rounds += worker->Rounds();
        mismatches += worker->Mismatches();
        if (first.empty()) first = worker->FirstMismatch();
        EXPECT_GT(worker->Rounds(), 0) << "a worker never ran";
        delete worker;
    }
    std::printf("threads: %d lives; the four workers made %ld rounds\n", lives, rounds);
    EXPECT_EQ(badStarts, 0);
    EXPECT_EQ(badStops, 0);
    EXPECT_EQ(mismatches, 0) << first;
    EXPECT_EQ(log.find("stopped an exception"), std::string::npos) << log;
    EXPECT_EQ(log.find("still inside"), std::string::npos) << log;
    DestroyWindow(host);
}

// The exports that touch the library's records answer only the thread that
// started it; another thread's call is refused with a debug line and changes
// nothing.
TEST(Threads, ExportsOfAnotherThreadAreRefused) {
    PbsimRuntime pb{105};
    ASSERT_TRUE(pb.ok());
    TesselDll dll;
    ASSERT_NE(dll.h, nullptr);
    StdoutCapture out;
    ASSERT_EQ(dll.StartTessel(), 1);
    HWND host = CreateWindowExW(0, L"STATIC", L"host", WS_POPUP | WS_VISIBLE, 0, 0, 300, 200, nullptr, nullptr, nullptr,
                                nullptr);
    HWND dw = pb.CreateDataWindow(host, TwoColumnGrid(L"data(1 \"one\")").c_str(), nullptr, 0, 0, 300, 200, 0);
    int attach = -1, color = -1, stop = -1;
    std::thread other([&] {
        attach = dll.AttachDatawindow(dw, nullptr);
        color = dll.ReplaceSysColor(COLOR_WINDOW, RGB(9, 9, 9));
        stop = dll.StopTessel();
    });
    other.join();
    const DWORD window = GetSysColor(COLOR_WINDOW);
    EXPECT_EQ(dll.StopTessel(), 1);
    const std::string log = out.Stop();
    EXPECT_EQ(attach, 0);
    EXPECT_EQ(color, 0);
    EXPECT_EQ(stop, 0);
    EXPECT_NE(window, static_cast<DWORD>(RGB(9, 9, 9)));
    EXPECT_NE(log.find("is not the one that started the library"), std::string::npos) << log;
    DestroyWindow(dw);
    DestroyWindow(host);
}
