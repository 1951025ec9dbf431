// A host with worker threads: three threads call the intercepted functions
// without pause while the UI thread starts the library, attaches a DataWindow,
// skins, repaints and stops it, life after life. Nothing may crash, and on the
// workers every call returns what the real function returned before the first
// start (the library passes other threads' calls through), except GetSysColor,
// which may answer the skin's colour.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cwchar>
#include <mutex>
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

// What a worker's calls answer on its own memory context.
struct Answers {
    int calcHeight = 0, drawHeight = 0, iconFit = 0;
    RECT calcRect = {};
    SIZE iconExtent = {};
    DWORD windowColour = 0, buttonTextColour = 0;
    bool operator==(const Answers& o) const {
        return calcHeight == o.calcHeight && drawHeight == o.drawHeight && iconFit == o.iconFit &&
               EqualRect(&calcRect, &o.calcRect) && iconExtent.cx == o.iconExtent.cx &&
               iconExtent.cy == o.iconExtent.cy &&
               (windowColour == o.windowColour || windowColour == kSkinWindowColour) &&
               buttonTextColour == o.buttonTextColour;
    }
};

class Worker {
public:
    Worker(int kind, HANDLE ready, std::atomic<bool>& stop)
        : m_kind(kind), m_thread([=, &stop] { Run(ready, stop); }) {}
    void Join() { m_thread.join(); }
    long rounds = 0, mismatches = 0;
    std::string first;

private:
    void Run(HANDLE ready, std::atomic<bool>& stop) {
        HDC screen = GetDC(nullptr);
        m_dc = CreateCompatibleDC(screen);
        ReleaseDC(nullptr, screen);
        HBITMAP bitmap = CreateBitmap(200, 60, 1, 32, nullptr);
        HGDIOBJ old = SelectObject(m_dc, bitmap);
        const Answers real = Measure();
        SetEvent(ready);
        for (; !stop; ++rounds) {
            Check(Measure() == real, "the measuring calls answer otherwise");
            Once();
        }
        SelectObject(m_dc, old);
        DeleteObject(bitmap);
        DeleteDC(m_dc);
    }
    Answers Measure() {
        Answers a;
        a.calcRect = {0, 0, 200, 60};
        a.calcHeight = DrawTextW(m_dc, kIconText, -1, &a.calcRect, DT_CALCRECT | DT_SINGLELINE);
        RECT d = {0, 0, 200, 60};
        a.drawHeight = DrawTextExW(m_dc, g_plainText, -1, &d, DT_LEFT, nullptr);
        GetTextExtentExPointW(m_dc, kIconText, kIconLength, 60, &a.iconFit, nullptr, &a.iconExtent);
        a.windowColour = GetSysColor(COLOR_WINDOW);
        a.buttonTextColour = GetSysColor(COLOR_BTNTEXT);
        return a;
    }
    void Check(bool ok, const char* what) {
        if (!ok && mismatches++ == 0) first = "worker " + std::to_string(m_kind) + ": " + what;
    }
    void Once() {
        RECT r = {0, 0, 50, 20};
        switch (m_kind) {
        case 0: {  // text drawn
            DrawTextW(m_dc, kIconText, -1, &r, DT_LEFT | DT_SINGLELINE);
            Check(TextOutW(m_dc, 2, 2, kIconText, kIconLength) != FALSE, "TextOutW");
            Check(ExtTextOutW(m_dc, 2, 20, ETO_OPAQUE, &r, g_plainText, 22, nullptr) != FALSE, "ExtTextOutW");
            Check(ExtTextOutA(m_dc, 2, 40, 0, nullptr, "ansi", 4, nullptr) != FALSE, "ExtTextOutA");
            POLYTEXTW poly = {2, 2, 4, L"poly", 0, {0, 0, 0, 0}, nullptr};
            Check(PolyTextOutW(m_dc, &poly, 1) != FALSE, "PolyTextOutW");
            break;
        }
        case 1: {  // device contexts and drawing
            HDC screen = GetDC(nullptr);
            HDC mem = CreateCompatibleDC(screen);
            Check(screen && mem && ReleaseDC(nullptr, screen) == 1, "GetDC, CreateCompatibleDC, ReleaseDC");
            HBRUSH brush = CreateSolidBrush(RGB(10, 20, 30));
            Check(brush && FillRect(m_dc, &r, brush) != 0, "CreateSolidBrush, FillRect");
            DeleteObject(brush);
            Check(MoveToEx(m_dc, 0, 0, nullptr) && LineTo(m_dc, 30, 30) && Rectangle(m_dc, 5, 5, 40, 40) &&
                      PatBlt(m_dc, 0, 0, 10, 10, WHITENESS) && BitBlt(m_dc, 50, 0, 20, 20, m_dc, 0, 0, SRCCOPY),
                  "MoveToEx, LineTo, Rectangle, PatBlt, BitBlt");
            Check(mem && DeleteDC(mem), "DeleteDC");
            break;
        }
        default: {  // windows of the worker's own
            HWND w =
                CreateWindowExW(0, L"STATIC", L"worker", WS_POPUP, 0, 0, 80, 20, nullptr, nullptr, nullptr, nullptr);
            HDC dc = GetDC(w);
            Check(w && dc, "CreateWindowExW, GetDC");
            if (dc) DrawTextW(dc, kIconText, -1, &r, DT_LEFT | DT_SINGLELINE);
            Check(ReleaseDC(w, dc) == 1 && w && DestroyWindow(w), "ReleaseDC, DestroyWindow");
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            break;
        }
        }
    }
    int m_kind;
    HDC m_dc = nullptr;
    std::thread m_thread;
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
    std::vector<Worker*> workers;
    for (int kind = 0; kind < 3; ++kind) {
        HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        workers.push_back(new Worker(kind, ready, stop));
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
    for (Worker* worker : workers) {
        worker->Join();
        EXPECT_GT(worker->rounds, 0) << "a worker never ran";
        EXPECT_EQ(worker->mismatches, 0) << worker->first;
        delete worker;
    }
    EXPECT_EQ(badStarts, 0);
    EXPECT_EQ(badStops, 0);
    EXPECT_EQ(log.find("stopped an exception"), std::string::npos) << log;
    EXPECT_EQ(log.find("still inside"), std::string::npos) << log;
}

// The exports that touch the library's records answer only the thread that
// started it; another thread's call is refused with a debug line and changes nothing.
TEST_F(Threads, ExportsOfAnotherThreadAreRefused) {
    StdoutCapture out;
    ASSERT_EQ(dll.StartTessel(), 1);
    HWND dw = Create(grid);
    int attach = -1, color = -1, stopped = -1;
    std::thread([&] {
        attach = dll.AttachDatawindow(dw, nullptr);
        color = dll.ReplaceSysColor(COLOR_WINDOW, RGB(9, 9, 9));
        stopped = dll.StopTessel();
    }).join();
    const DWORD window = GetSysColor(COLOR_WINDOW);
    EXPECT_EQ(dll.StopTessel(), 1);
    const std::string log = out.Stop();
    EXPECT_EQ(attach, 0);
    EXPECT_EQ(color, 0);
    EXPECT_EQ(stopped, 0);
    EXPECT_NE(window, static_cast<DWORD>(RGB(9, 9, 9)));
    EXPECT_NE(log.find("is not the one that started the library"), std::string::npos) << log;
}
