// Out of memory inside the library: its C allocator (through which the C++ one
// allocates too) made to fail on demand through its imports of malloc and
// realloc. No exception may leave an export or a replacement: an export answers
// its failure value, a replacement makes the caller's call through the real
// function, and one debug line says so. Once memory is back, the library works.
// The C++ runtime's exception lock is made with malloc on first use: each test
// first fails just the next two allocations, which makes it.
#include <gtest/gtest.h>
#include <windows.h>

#include <cwchar>
#include <memory>
#include <string>

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

// Catches an exception let out of an export, or a failure answered as success.
TEST_F(AllocationFailure, ExportsAnswerFailure) {
    StdoutCapture out;
    g_failing = true;
    const int attach = dll.AttachDatawindow(dw, nullptr);
    g_failing = false;
    EXPECT_EQ(attach, 0);
    ASSERT_EQ(dll.AttachDatawindow(dw, nullptr), 1);
    PumpMessages();
    g_failing = true;
    const int title = dll.AddDatawindowTitle(dw, L"A title long enough to need memory", L"Tahoma", 9, 30);
    const int span = dll.SetSpanTitle(dw, L"a,b", L"Both columns", L"Tahoma", 9, 20);
    g_failing = false;
    EXPECT_EQ(title, 0);
    EXPECT_EQ(span, 0);
    const std::string log = out.Stop();
    EXPECT_NE(log.find("AttachDatawindow: stopped an exception"), std::string::npos) << log;
    EXPECT_EQ(dll.AddDatawindowTitle(dw, L"A title", L"Tahoma", 9, 30), 1);
    EXPECT_EQ(dll.SetSpanTitle(dw, L"a,b", L"Both", L"Tahoma", 9, 20), 1);
}

// Catches a replacement that fails its caller instead of making the real call.
TEST_F(AllocationFailure, ReplacementsMakeTheRealCall) {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateBitmap(300, 60, 1, 32, nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    const int length = static_cast<int>(wcslen(kIconText));
    ASSERT_EQ(dll.StopTessel(), 1);  // the real answers first
    SIZE realExtent = {}, extent = {};
    int realFit = 0, fit = -1;
    RECT realRect = {0, 0, 300, 60}, r = realRect;
    GetTextExtentExPointW(dc, kIconText, length, 80, &realFit, nullptr, &realExtent);
    const int realHeight = DrawTextW(dc, kIconText, -1, &realRect, DT_CALCRECT | DT_SINGLELINE);
    ASSERT_EQ(dll.StartTessel(), 1);
    dll.SetIconfont(L"iconfont.ttf", 0);
    StdoutCapture out;
    g_failing = true;
    const BOOL measured = GetTextExtentExPointW(dc, kIconText, length, 80, &fit, nullptr, &extent);
    const int height = DrawTextW(dc, kIconText, -1, &r, DT_CALCRECT | DT_SINGLELINE);
    g_failing = false;
    const std::string log = out.Stop();
    EXPECT_TRUE(measured);
    EXPECT_EQ(extent.cx, realExtent.cx);
    EXPECT_EQ(extent.cy, realExtent.cy);
    EXPECT_EQ(fit, realFit);
    EXPECT_EQ(height, realHeight);
    EXPECT_TRUE(EqualRect(&r, &realRect));
    EXPECT_NE(log.find("GetTextExtentExPointW: stopped an exception"), std::string::npos) << log;
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

// Catches a crash or a broken record after paints and mouse input without memory.
TEST_F(AllocationFailure, PaintingWithoutMemoryThenWithIt) {
    ASSERT_EQ(dll.AttachDatawindow(dw, nullptr), 1);
    PumpMessages();
    g_failing = true;
    InvalidateRect(dw, nullptr, TRUE);
    UpdateWindow(dw);
    SendMessageW(dw, WM_MOUSEMOVE, 0, MAKELPARAM(30, 40));
    SendMessageW(dw, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 40));
    SendMessageW(dw, WM_LBUTTONUP, 0, MAKELPARAM(30, 40));
    g_failing = false;
    PumpMessages();
    InvalidateRect(dw, nullptr, TRUE);
    UpdateWindow(dw);
    EXPECT_EQ(dll.DettachDatawindow(dw), 1);
}
