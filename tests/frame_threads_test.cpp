// A host with four worker threads calling the intercepted functions without
// pause while the UI thread starts, uses and stops the library, life after
// life: on other threads the library passes every call through (GetSysColor
// answers the skin's colours), so each call returns what it returned before
// the first start.
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
#include "grid_syntax.h"
#include "message_pump.h"
#include "pbsim_runtime.h"
#include "stdout_capture.h"
#include "temp_folder.h"
#include "tessel_dll.h"

namespace {

const wchar_t kIconText[] = L"x iconfont{61447} y";
const wchar_t kPlainText[] = L"plain text on a worker";
constexpr COLORREF kSkinWindowColour = 0x00123456;  // COLOR_WINDOW in the skin below

// 100 lives, or TESSEL2U_THREAD_LIVES (the emulated i386 PC runs fewer).
int Lives() {
    const unsigned wanted = EnvNumber("TESSEL2U_THREAD_LIVES", 0);
    return wanted >= 5 && wanted <= 10000 ? static_cast<int>(wanted) : 100;
}

// A worker: its calls' results, written out, must be those of its first
// round, made before the library was first started.
class Worker {
public:
    explicit Worker(int kind) : m_kind(kind) {}

    void Run(HANDLE ready, std::atomic<bool>& stop) {
        HDC screen = GetDC(nullptr);
        m_dc = CreateCompatibleDC(screen);
        ReleaseDC(nullptr, screen);
        HBITMAP bitmap = CreateBitmap(200, 60, 1, 32, nullptr);
        HGDIOBJ old = SelectObject(m_dc, bitmap);
        const DWORD window = GetSysColor(COLOR_WINDOW);
        const std::string expected = Once();
        SetEvent(ready);
        while (!stop) {
            const DWORD now = GetSysColor(COLOR_WINDOW);
            const std::string got = Once();
            if ((now != window && now != kSkinWindowColour) || got != expected) {
                if (m_mismatches++ == 0) {
                    std::lock_guard<std::mutex> lock(m_lock);
                    m_first = "worker " + std::to_string(m_kind) + ": expected " + expected + ", got " + got +
                              ", COLOR_WINDOW " + std::to_string(now);
                }
            }
            ++m_rounds;
        }
        SelectObject(m_dc, old);
        DeleteObject(bitmap);
        DeleteDC(m_dc);
    }

    long Rounds() const { return m_rounds; }
    long Mismatches() const { return m_mismatches; }
    std::string FirstMismatch() {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_first;
    }

private:
    // One round of the worker's calls; their results in a line.
    std::string Once() {
        std::string out = std::to_string(GetSysColor(COLOR_BTNTEXT));
        auto add = [&out](long long v) { out += " " + std::to_string(v); };
        const int iconLength = static_cast<int>(wcslen(kIconText));
        switch (m_kind) {
            case 0: {  // text drawn
                RECT r = {0, 0, 200, 60};
                add(DrawTextW(m_dc, kIconText, -1, &r, DT_CALCRECT | DT_SINGLELINE));
                add(r.right);
                add(r.bottom);
                RECT d = {0, 0, 200, 60};
                add(DrawTextExW(m_dc, const_cast<wchar_t*>(kPlainText), -1, &d, DT_LEFT, nullptr));
                DrawTextW(m_dc, kIconText, -1, &d, DT_LEFT | DT_SINGLELINE);
                add(TextOutW(m_dc, 2, 2, kIconText, iconLength));
                add(ExtTextOutW(m_dc, 2, 20, ETO_OPAQUE, &d, kPlainText, static_cast<UINT>(wcslen(kPlainText)),
                                nullptr));
                add(ExtTextOutA(m_dc, 2, 40, 0, nullptr, "ansi", 4, nullptr));
                break;
            }
            case 1: {  // text measured
                SIZE size = {};
                int fit = -1;
                add(GetTextExtentExPointW(m_dc, kIconText, iconLength, 60, &fit, nullptr, &size));
                add(size.cx);
                add(size.cy);
                add(fit);
                POLYTEXTW poly = {2, 2, 4, L"poly", 0, {0, 0, 0, 0}, nullptr};
                add(PolyTextOutW(m_dc, &poly, 1));
                break;
            }
            case 2: {  // device contexts
                HDC screen = GetDC(nullptr);
                HDC mem = CreateCompatibleDC(screen);
                add(screen && mem);
                add(ReleaseDC(nullptr, screen));
                RECT r = {0, 0, 50, 20};
                HBRUSH brush = CreateSolidBrush(RGB(10, 20, 30));
                add(FillRect(m_dc, &r, brush));
                DeleteObject(brush);
                add(MoveToEx(m_dc, 0, 0, nullptr));
                add(LineTo(m_dc, 30, 30));
                add(Rectangle(m_dc, 5, 5, 40, 40));
                add(PatBlt(m_dc, 0, 0, 10, 10, WHITENESS));
                add(BitBlt(m_dc, 50, 0, 20, 20, m_dc, 0, 0, SRCCOPY));
                add(DeleteDC(mem));
                break;
            }
            default: {  // windows of the worker's own
                HWND w = CreateWindowExW(0, L"STATIC", L"worker", WS_POPUP, 0, 0, 80, 20, nullptr, nullptr, nullptr,
                                         nullptr);
                HDC dc = GetDC(w);
                add(w && dc);
                RECT r = {0, 0, 80, 20};
                DrawTextW(dc, kIconText, -1, &r, DT_LEFT | DT_SINGLELINE);
                add(ReleaseDC(w, dc));
                add(DestroyWindow(w));
                MSG msg;
                while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
                break;
            }
        }
        return out;
    }

    int m_kind;
    HDC m_dc = nullptr;
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
    TempFolder temp;
    const std::wstring skin = temp.Write(L"skin.ini", "[SysColor]\r\n5=1193046\r\n15=\r\n");  // 0x123456
    HWND host = CreateWindowExW(0, L"STATIC", L"host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 500, 300, nullptr,
                                nullptr, nullptr, nullptr);
    ASSERT_NE(host, nullptr);
    const std::wstring grid =
        GridSyntax(1).Column(L"a", L"long", 80, L"A").Column(L"b", L"char(20)", 120, L"B").NumberedRows(3).Text();

    std::atomic<bool> stop{false};
    std::vector<Worker*> workers;
    std::vector<std::thread> threads;
    for (int kind = 0; kind < 4; ++kind) {
        Worker* worker = new Worker(kind);
        workers.push_back(worker);
        HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        threads.emplace_back([worker, &stop, ready] { worker->Run(ready, stop); });
        EXPECT_EQ(WaitForSingleObject(ready, 10000), WAIT_OBJECT_0) << "worker " << kind << " did not start";
        CloseHandle(ready);
    }

    const int lives = Lives();
    int badStarts = 0, badStops = 0;
    StdoutCapture out;
    for (int life = 0; life < lives; ++life) {
        if (dll.StartTessel() != 1) ++badStarts;
        dll.SetSkinFile(skin.c_str());
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
    const std::wstring grid = GridSyntax(1).Column(L"a", L"long", 80, L"A").NumberedRows(1).Text();
    HWND dw = pb.CreateDataWindow(host, grid.c_str(), nullptr, 0, 0, 300, 200, 0);
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
