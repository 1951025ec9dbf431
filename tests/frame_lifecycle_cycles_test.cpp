// Three hundred full lives of the library in one process: start, three
// DataWindows attached, painted, hovered, selected, given titles and a span
// title, icon text and skinned scroll bars, then stopped. What the library
// creates (GDI objects, heap blocks, cairo surfaces, FreeType faces, windows)
// must come back to the same level after every life, and so must the
// process's memory.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h.
#include <uxtheme.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "env_number.h"
#include "grid_syntax.h"
#include "message_pump.h"
#include "pbsim_runtime.h"
#include "resource_census.h"
#include "stdout_capture.h"
#include "temp_folder.h"
#include "tessel_dll.h"

namespace {

const std::wstring kGrid =
    GridSyntax(1).Column(L"a", L"long", 80, L"A").Column(L"b", L"char(20)", 120, L"B").NumberedRows(8).Text();

constexpr int kWarmUp = 10;

// 300 lives, or TESSEL2U_LIFECYCLE_CYCLES (at least 20, so that growth after
// the warm-up still shows): the emulated i386 PC runs fewer, each life costing
// it some ten times as much.
int Cycles() {
    const unsigned wanted = EnvNumber("TESSEL2U_LIFECYCLE_CYCLES", 0);
    return wanted >= static_cast<unsigned>(2 * kWarmUp) && wanted <= 100000 ? static_cast<int>(wanted) : 300;
}

struct Level {
    size_t gdi = 0;
    size_t heapBlocks = 0;
    size_t heapBytes = 0;
    int windows = 0;
    size_t privateBytes = 0;
};

Level Measure() {
    Level l;
    l.gdi = census::Now().gdiLive.size();
    l.heapBlocks = census::Now().heapLive.size();
    for (const auto& b : census::Now().heapLive) l.heapBytes += b.second;
    l.windows = census::ThreadWindowCount();
    l.privateBytes = census::PrivateBytes();
    return l;
}

// "StopTessel : cairo surfaces %d , FreeType faces %d" of the last stop.
bool StopCounts(const std::string& log, int* surfaces, int* faces) {
    const size_t p = log.rfind("StopTessel : cairo surfaces ");
    if (p == std::string::npos) return false;
    return std::sscanf(log.c_str() + p, "StopTessel : cairo surfaces %d , FreeType faces %d", surfaces, faces) == 2;
}

}  // namespace

TEST(LifecycleCycles, ThreeHundredLivesLeaveNothingBehind) {
    PbsimRuntime pb{105};
    ASSERT_TRUE(pb.ok());
    TesselDll dll;
    ASSERT_NE(dll.h, nullptr);
    ASSERT_NE(GetFileAttributesW(L"iconfont.ttf"), INVALID_FILE_ATTRIBUTES) << "iconfont.ttf missing";
    TempFolder temp;
    const std::wstring skin = temp.Write(L"skin.ini", "[SysColor]\r\n5=16777215\r\n15=\r\n[ScrollBar]\r\n");
    const std::wstring settings = temp.Write(
        L"settings.ini", "[datawindow]\r\nlinecolor=12632256\r\nbackcolor=16777215\r\naltercolor=15790320\r\n");
    HWND host = CreateWindowExW(0, L"STATIC", L"host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 760, 400, nullptr,
                                nullptr, nullptr, nullptr);
    HWND label =
        CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 420, 200, 40, nullptr, nullptr, nullptr, nullptr);

    census::ResourceCensus census(dll.h);
    ASSERT_TRUE(census.HeapCounted()) << "the DLL's allocator imports were not found";

    const Level before = Measure();
    Level warm;
    int firstFaces = -1, lastFaces = -1, maxSurfaces = 0, badStarts = 0, badStops = 0;
    const auto started = std::chrono::steady_clock::now();
    const int cycles = Cycles();
    for (int cycle = 1; cycle <= cycles; ++cycle) {
        StdoutCapture out;
        if (dll.StartTessel() != 1) ++badStarts;
        dll.SetSkinFile(skin.c_str());
        dll.SetIconfont(L"iconfont.ttf", 0);
        HWND dw[3];
        for (int i = 0; i < 3; ++i) {
            dw[i] = pb.CreateDataWindow(host, kGrid.c_str(), nullptr, i * 250, 0, 240, 200, WS_VSCROLL);
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
            // Skinned scroll bars: the theme's parts drawn on the window's context.
            HTHEME theme = OpenThemeData(h, L"SCROLLBAR");
            HDC dc = GetDC(h);
            HDC mem = CreateCompatibleDC(dc);
            HBITMAP bmp = CreateCompatibleBitmap(dc, 40, 40);
            HGDIOBJ old = SelectObject(mem, bmp);
            RECT r = {0, 0, 17, 17};
            if (theme) {
                DrawThemeBackground(theme, mem, 1, 1, &r, nullptr);  // arrow button
                DrawThemeBackground(theme, mem, 3, 2, &r, nullptr);  // thumb, hot
                CloseThemeData(theme);
            }
            SelectObject(mem, old);
            DeleteObject(bmp);
            DeleteDC(mem);
            ReleaseDC(h, dc);
        }
        // Icon text on a window of the host.
        HDC dc = GetDC(label);
        RECT r = {0, 0, 200, 40};
        DrawTextW(dc, L"x iconfont{61447} y", -1, &r, DT_LEFT | DT_SINGLELINE);
        ReleaseDC(label, dc);
        PumpMessages();
        if (dll.StopTessel() != 1) ++badStops;
        for (HWND h : dw) DestroyWindow(h);
        PumpMessages();
        const std::string log = out.Stop();
        int surfaces = -1, faces = -1;
        EXPECT_TRUE(StopCounts(log, &surfaces, &faces)) << "cycle " << cycle;
        if (surfaces > maxSurfaces) maxSurfaces = surfaces;
        if (cycle == 1) firstFaces = faces;
        lastFaces = faces;
        if (cycle == kWarmUp) warm = Measure();
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const Level after = Measure();
    std::printf(
        "cycles: %d run in %.1f s; failed starts %d, failed stops %d; live cairo surfaces at stop at most %d; "
        "FreeType faces at stop first %d, last %d; GDI created %ld deleted %ld; heap allocations %ld frees %ld\n",
        cycles, seconds, badStarts, badStops, maxSurfaces, firstFaces, lastFaces, census::Now().gdiCreated,
        census::Now().gdiDeleted, census::Now().heapAllocs, census::Now().heapFrees);

    EXPECT_EQ(badStarts, 0);
    EXPECT_EQ(badStops, 0);
    EXPECT_EQ(maxSurfaces, 0);
    EXPECT_EQ(firstFaces, lastFaces);
    EXPECT_GT(census::Now().gdiCreated, 0) << "the census saw no GDI object: the counting does not work";
    EXPECT_EQ(after.gdi, before.gdi) << "GDI objects of the DLL left behind";
    EXPECT_EQ(after.windows, before.windows);
    EXPECT_LE(after.heapBlocks, warm.heapBlocks + 8) << "heap blocks of the DLL grow with every cycle";
    EXPECT_LE(after.privateBytes, warm.privateBytes + 4u * 1024 * 1024) << "process memory grows with every cycle";
    DestroyWindow(label);
    DestroyWindow(host);
}

namespace {

// The process's committed private memory, region by region: pages count
// once committed, whether they were ever touched or not.
size_t CommittedPrivateBytes() {
    size_t total = 0;
    MEMORY_BASIC_INFORMATION info;
    for (BYTE* at = nullptr; VirtualQuery(at, &info, sizeof info) == sizeof info;
         at = static_cast<BYTE*>(info.BaseAddress) + info.RegionSize) {
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) total += info.RegionSize;
        if (info.RegionSize == 0) break;
    }
    return total;
}

}  // namespace

TEST(LifecycleCycles, TwentyLoadedLivesGiveTheirMemoryBack) {
    // Each life loads the library, starts it, has a DataWindow described
    // (attach reads the DataWindow's syntax and properties), stops it and
    // unloads it. What the library took for describing goes back at the
    // stop: twenty lives must not hold twenty times the process memory of a
    // describe buffer (some 4 MB each).
    PbsimRuntime pb{105};
    ASSERT_TRUE(pb.ok());
    HWND host = CreateWindowExW(0, L"STATIC", L"host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 300, 300, nullptr,
                                nullptr, nullptr, nullptr);
    auto life = [&]() {
        StdoutCapture out;
        TesselDll dll;
        if (!dll.h || dll.StartTessel() != 1) return false;
        HWND dw = pb.CreateDataWindow(host, kGrid.c_str(), nullptr, 0, 0, 240, 200, WS_VSCROLL);
        const bool attached = dll.AttachDatawindow(dw, nullptr) == 1;
        PumpMessages();
        const bool stopped = dll.StopTessel() == 1;
        DestroyWindow(dw);
        PumpMessages();
        return attached && stopped;
    };
    for (int i = 0; i < 2; ++i) ASSERT_TRUE(life());
    const size_t warm = CommittedPrivateBytes();
    ASSERT_GT(warm, 0u);
    for (int i = 0; i < 20; ++i) ASSERT_TRUE(life()) << "life " << i;
    const size_t after = CommittedPrivateBytes();
    std::printf("cycles: loaded lives: committed private bytes after 2 lives %zu, after 22 lives %zu\n", warm, after);
    EXPECT_LE(after, warm + 8u * 1024 * 1024) << "memory of the library left behind by every life";
    DestroyWindow(host);
}
