// Out of memory inside the library: its C allocator (through which the C++ one
// allocates too) made to fail on demand through its imports of malloc and
// realloc. No exception may leave an export or a replacement: an export answers
// its failure value, a replacement makes the caller's call through the real
// function, and one debug line says so. Once memory is back, the library works.
// The C++ runtime's exception lock is made with malloc on first use: each test
// first fails just the next two allocations, which makes it.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "import_patch.h"
#include "stdout_capture.h"
#include "tessel_host.h"

namespace {

bool g_failing = false;
int g_failNext = 0;  // allocations still to fail before memory comes back
void*(__cdecl* g_malloc)(size_t) = nullptr;
void*(__cdecl* g_realloc)(void*, size_t) = nullptr;

void* __cdecl FailingMalloc(size_t n) {
    if (g_failNext > 0) return --g_failNext, nullptr;
    return g_failing ? nullptr : g_malloc(n);
}
void* __cdecl FailingRealloc(void* p, size_t n) { return g_failing && n ? nullptr : g_realloc(p, n); }

const wchar_t kIconText[] = L"ab iconfont{61447} cd iconfont{61448}";

// What the measuring calls answer for the icon text, as text.
std::string Measure(HDC dc) {
    SIZE extent = {};
    int fit = -1;
    RECT r = {0, 0, 300, 60};
    const BOOL measured = GetTextExtentExPointW(dc, kIconText, lstrlenW(kIconText), 80, &fit, nullptr, &extent);
    const int height = DrawTextW(dc, kIconText, -1, &r, DT_CALCRECT | DT_SINGLELINE);
    char text[120];
    std::snprintf(text, sizeof text, "measured %d: %ld x %ld, fit %d; height %d (%ld %ld %ld %ld)", measured, extent.cx,
                  extent.cy, fit, height, r.left, r.top, r.right, r.bottom);
    return text;
}

class AllocationFailure : public TesselHost {
protected:
    AllocationFailure() {
        g_malloc = reinterpret_cast<decltype(g_malloc)>(malloc.original());
        g_realloc = reinterpret_cast<decltype(g_realloc)>(realloc.original());
    }
    void SetUp() override {
        TesselHost::SetUp();
        dll.SetIconfont(L"iconfont.ttf", 0);
        dw = Create(
            GridSyntax(1).Column(L"a", L"long", 80, L"A").Column(L"b", L"char(20)", 120, L"B").NumberedRows(2).Text(),
            400, 200, WS_VSCROLL);
        ASSERT_TRUE(malloc.ok() && realloc.ok()) << "the library's allocator imports not found";
        g_failNext = 2;
        EXPECT_EQ(dll.AttachDatawindow(dw, nullptr), 0);
        g_failNext = 0;
    }
    void TearDown() override {
        g_failing = false;
        g_failNext = 0;
        TesselHost::TearDown();
    }
    ImportPatch malloc{dll.h, "msvcrt.dll", "malloc", reinterpret_cast<void*>(&FailingMalloc)};
    ImportPatch realloc{dll.h, "msvcrt.dll", "realloc", reinterpret_cast<void*>(&FailingRealloc)};
    HWND dw = nullptr;
};

}  // namespace

// Catches an exception let out of an export or a replacement, a failure
// answered as success, a replacement that fails its caller instead of making
// the real call, or a crash or a broken record after paints and mouse input
// without memory.
TEST_F(AllocationFailure, ExportsFailReplacementsMakeTheRealCallAndTheRecordServesOnceMemoryIsBack) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, CreateBitmap(300, 60, 1, 32, nullptr));
    ASSERT_EQ(dll.StopTessel(), 1);  // the real answers first
    const std::string real = Measure(dc);
    ASSERT_EQ(dll.StartTessel(), 1);
    dll.SetIconfont(L"iconfont.ttf", 0);
    StdoutCapture out;
    g_failing = true;
    const std::string failing = Measure(dc);
    const int attach = dll.AttachDatawindow(dw, nullptr);
    g_failing = false;
    EXPECT_EQ(failing, real);
    EXPECT_EQ(attach, 0);
    ASSERT_EQ(dll.AttachDatawindow(dw, nullptr), 1);
    PumpMessages();
    g_failing = true;
    const std::vector<int> titles = {
        dll.AddDatawindowTitle(dw, L"A title long enough to need memory", L"Tahoma", 9, 30),
        dll.SetSpanTitle(dw, L"a,b", L"Both columns", L"Tahoma", 9, 20)};
    InvalidateRect(dw, nullptr, TRUE);
    UpdateWindow(dw);
    SendMessageW(dw, WM_MOUSEMOVE, 0, MAKELPARAM(30, 40));
    SendMessageW(dw, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 40));
    SendMessageW(dw, WM_LBUTTONUP, 0, MAKELPARAM(30, 40));
    g_failing = false;
    EXPECT_EQ(titles, (std::vector<int>{0, 0}));
    const std::string log = out.Stop();
    EXPECT_NE(log.find("GetTextExtentExPointW: stopped an exception"), std::string::npos) << log;
    EXPECT_NE(log.find("AttachDatawindow: stopped an exception"), std::string::npos) << log;
    PumpMessages();
    EXPECT_EQ(dll.AddDatawindowTitle(dw, L"A title", L"Tahoma", 9, 30), 1);
    EXPECT_EQ(dll.SetSpanTitle(dw, L"a,b", L"Both", L"Tahoma", 9, 20), 1);
    InvalidateRect(dw, nullptr, TRUE);
    UpdateWindow(dw);
    EXPECT_EQ(dll.DettachDatawindow(dw), 1);
    DeleteObject(SelectObject(dc, old));
    DeleteDC(dc);
}
