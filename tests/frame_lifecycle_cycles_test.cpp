// Full lives of the library in one process: start, three DataWindows attached,
// painted, hovered, selected, given titles and a span title, icon text and
// skinned scroll bars, then stopped. What the library creates (GDI objects,
// heap blocks, cairo surfaces, FreeType faces, windows) must come back to the
// same level after every life, and so must the process's memory. Lives of a
// host with worker threads, and lives that load and unload the library.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h.
#include <uxtheme.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>

#include "resource_census.h"
#include "stdout_capture.h"
#include "tessel_host.h"

namespace {

const std::wstring kGrid =
    GridSyntax(1).Column(L"a", L"long", 80, L"A").Column(L"b", L"char(20)", 120, L"B").NumberedRows(8).Text();
constexpr int kWarmUp = 10;

struct Level {
    size_t gdi, heapBlocks, privateBytes;
    int windows;
};
Level Measure() {
    return {census::Now().gdiLive.size(), census::Now().heapLive.size(), census::PrivateBytes(),
            census::ThreadWindowCount()};
}

// The process's committed private memory: pages count once committed, touched or not.
size_t CommittedPrivateBytes() {
    size_t total = 0;
    MEMORY_BASIC_INFORMATION info;
    for (BYTE* at = nullptr; VirtualQuery(at, &info, sizeof info) == sizeof info && info.RegionSize;
         at = static_cast<BYTE*>(info.BaseAddress) + info.RegionSize) {
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) total += info.RegionSize;
    }
    return total;
}

const wchar_t kIconText[] = L"x iconfont{61447} y";
constexpr COLORREF kSkinWindowColour = 0x00123456;  // COLOR_WINDOW in the skin below

// One round of a worker's calls on its memory context and a window of its
// own: what they answer, as text (the skin's window colour as the system's).
std::string Round(HDC dc, DWORD systemWindowColour) {
    RECT calc = {0, 0, 200, 60}, r = {0, 0, 50, 20};
    SIZE extent = {};
    const int calcHeight = DrawTextW(dc, kIconText, -1, &calc, DT_CALCRECT | DT_SINGLELINE);
    GetTextExtentExPointW(dc, kIconText, 19, 60, nullptr, nullptr, &extent);
    const bool drawn = TextOutW(dc, 2, 2, kIconText, 19) && FillRect(dc, &r, GetSysColorBrush(COLOR_WINDOW)) &&
                       LineTo(dc, 30, 30) && BitBlt(dc, 50, 0, 20, 20, dc, 0, 0, SRCCOPY);
    HWND w = CreateWindowExW(0, L"STATIC", L"worker", WS_POPUP, 0, 0, 80, 20, nullptr, nullptr, nullptr, nullptr);
    HDC wdc = GetDC(w);
    const bool window = w && wdc && DrawTextW(wdc, kIconText, -1, &r, DT_LEFT | DT_SINGLELINE) > 0 &&
                        ReleaseDC(w, wdc) == 1 && DestroyWindow(w);
    PumpMessages();
    const DWORD colour = GetSysColor(COLOR_WINDOW);
    return std::to_string(calcHeight) + " " + std::to_string(calc.right) + ", " + std::to_string(extent.cx) + " x " +
           std::to_string(extent.cy) + ", drawing " + std::to_string(drawn) + ", window " + std::to_string(window) +
           ", colour " + std::to_string(colour == kSkinWindowColour ? systemWindowColour : colour);
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

class LifecycleCycles : public TesselHost {
protected:
    bool StartsTessel() const override { return false; }
};

}  // namespace

// 300 lives, or TESSEL2U_LIFECYCLE_CYCLES (at least 20, so that growth after
// the warm-up shows): the emulated i386 PC runs fewer.
TEST_F(LifecycleCycles, ManyLivesLeaveNothingBehind) {
    const unsigned wanted = EnvNumber("TESSEL2U_LIFECYCLE_CYCLES", 0);
    const int cycles = wanted >= 2 * kWarmUp && wanted <= 100000 ? static_cast<int>(wanted) : 300;
    ASSERT_NE(GetFileAttributesW(L"iconfont.ttf"), INVALID_FILE_ATTRIBUTES) << "iconfont.ttf missing";
    const std::wstring skin = temp.Write(L"skin.ini", "[SysColor]\r\n5=16777215\r\n15=\r\n[ScrollBar]\r\n");
    const std::wstring settings = temp.Write(
        L"settings.ini", "[datawindow]\r\nlinecolor=12632256\r\nbackcolor=16777215\r\naltercolor=15790320\r\n");
    DestroyWindow(pb->Create(kGrid.c_str()));  // the runtime's host window made before the count
    census::ResourceCensus census(dll.h);
    ASSERT_TRUE(census.HeapCounted()) << "the DLL's allocator imports were not found";
    const Level before = Measure();
    Level warm = before;
    int firstFaces = -1, lastFaces = -1, maxSurfaces = 0, badStartsOrStops = 0;
    for (int cycle = 1; cycle <= cycles; ++cycle) {
        StdoutCapture out;
        badStartsOrStops += dll.StartTessel() != 1;
        dll.SetSkinFile(skin.c_str());
        dll.SetIconfont(L"iconfont.ttf", 0);
        HWND dw[3];
        for (int i = 0; i < 3; ++i) {
            dw[i] = pb->Create(kGrid.c_str(), WS_VSCROLL, 240, 200);
            dll.AttachDatawindow(dw[i], i == 0 ? settings.c_str() : nullptr);
        }
        PumpMessages();
        dll.AddDatawindowTitle(dw[0], L"Title", L"Tahoma", 9, 30);
        dll.ModifyDatawindowTitle(dw[0], 1, L"Title again", L"Tahoma", 10);
        dll.SetSpanTitle(dw[1], L"a,b", L"Both", L"Tahoma", 9, 20);
        for (HWND h : dw) {
            SendMessageW(h, WM_MOUSEMOVE, 0, MAKELPARAM(30, 60));             // hover
            SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 60));  // selection
            SendMessageW(h, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(150, 100));
            SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(150, 100));
            InvalidateRect(h, nullptr, TRUE);
            UpdateWindow(h);
            // Skinned scroll bars: an arrow button and a hot thumb of the theme; icon text.
            HTHEME theme = OpenThemeData(h, L"SCROLLBAR");
            HDC dc = GetDC(h);
            RECT r = {0, 0, 17, 17};
            if (theme) {
                DrawThemeBackground(theme, dc, 1, 1, &r, nullptr);
                DrawThemeBackground(theme, dc, 3, 2, &r, nullptr);
                CloseThemeData(theme);
            }
            DrawTextW(dc, kIconText, -1, &r, DT_LEFT | DT_SINGLELINE);
            ReleaseDC(h, dc);
        }
        PumpMessages();
        badStartsOrStops += dll.StopTessel() != 1;
        for (HWND h : dw) DestroyWindow(h);
        PumpMessages();
        const std::string log = out.Stop();
        const size_t p = log.rfind("StopTessel : cairo surfaces ");
        int surfaces = -1, faces = -1;
        EXPECT_TRUE(
            p != std::string::npos &&
            std::sscanf(log.c_str() + p, "StopTessel : cairo surfaces %d , FreeType faces %d", &surfaces, &faces) == 2)
            << "cycle " << cycle;
        if (surfaces > maxSurfaces) maxSurfaces = surfaces;
        if (cycle == 1) firstFaces = faces;
        lastFaces = faces;
        if (cycle == kWarmUp) warm = Measure();
    }
    const Level after = Measure();
    std::printf(
        "cycles: %d run; failed starts or stops %d; live cairo surfaces at stop at most %d; FreeType faces at "
        "stop first %d, last %d; GDI objects of the DLL %zu before, %zu after; heap blocks %zu after the warm-up, %zu "
        "after; windows %d before, %d after; private bytes %zu after the warm-up, %zu after\n",
        cycles, badStartsOrStops, maxSurfaces, firstFaces, lastFaces, before.gdi, after.gdi, warm.heapBlocks,
        after.heapBlocks, before.windows, after.windows, warm.privateBytes, after.privateBytes);
    EXPECT_EQ(badStartsOrStops + maxSurfaces, 0);
    EXPECT_EQ(firstFaces, lastFaces);
    EXPECT_GT(census::Now().gdiCreated, 0) << "the census saw no GDI object: the counting does not work";
    EXPECT_EQ(after.gdi, before.gdi) << "GDI objects of the DLL left behind";
    EXPECT_EQ(after.windows, before.windows);
    EXPECT_LE(after.heapBlocks, warm.heapBlocks + 8) << "heap blocks of the DLL grow with every cycle";
    EXPECT_LE(after.privateBytes, warm.privateBytes + 4u * 1024 * 1024) << "process memory grows with every cycle";
}

// A host with worker threads: three threads call the intercepted functions
// without pause while the UI thread starts the library, attaches a DataWindow,
// skins, repaints and stops it, life after life. Nothing may crash, and on the
// workers every call returns what the real function returned before the first
// start (the library passes other threads' calls through), except GetSysColor,
// which may answer the skin's colour. 100 lives, or TESSEL2U_THREAD_LIVES (the
// emulated i386 PC runs fewer).
TEST_F(LifecycleCycles, WorkerThreadsCallThroughEveryLife) {
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
        HWND dw = pb->Create(kGrid.c_str(), WS_VSCROLL, 400, 200);
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

// Each life loads the library, starts it, attaches a DataWindow (which reads
// its syntax and properties into a describe buffer of some 4 MB), stops and
// unloads it: twenty lives must not keep twenty describe buffers.
TEST(LoadedLives, GiveTheirMemoryBack) {
    PbsimRuntime pb{105};
    ASSERT_TRUE(pb.ok());
    auto life = [&]() {
        StdoutCapture out;
        TesselDll dll;
        if (!dll.h || dll.StartTessel() != 1) return false;
        HWND dw = pb.Create(kGrid.c_str(), WS_VSCROLL, 240, 200);
        const bool attached = dll.AttachDatawindow(dw, nullptr) == 1;
        PumpMessages();
        const bool stopped = dll.StopTessel() == 1;
        DestroyWindow(dw);
        PumpMessages();
        return attached && stopped;
    };
    for (int i = 0; i < 2; ++i) ASSERT_TRUE(life());
    const size_t warm = CommittedPrivateBytes();
    for (int i = 0; i < 20; ++i) ASSERT_TRUE(life()) << "life " << i;
    const size_t after = CommittedPrivateBytes();
    std::printf("cycles: loaded lives: committed private bytes after 2 lives %zu, after 22 lives %zu\n", warm, after);
    EXPECT_LE(after, warm + 8u * 1024 * 1024) << "memory of the library left behind by every life";
}
