// Out of memory inside the library: its C allocator (through which the C++
// one allocates too) is made to fail on demand by replacing the library's
// imports of malloc and realloc.
//
// The C++ runtime throws out of its reserve when memory is short, behind a
// lock that the thread library makes with malloc on first use; were that
// first use made with memory gone, the lock's failure would be thrown in
// turn, without end. Each test therefore first fails just the next two
// allocations (the object's and the exception's), which makes the lock. No exception may leave an export or
// a replacement: an export answers its failure value, a replacement makes the
// caller's call through the real function, and one debug line says so. Once
// memory is back, the library works again.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <functional>
#include <string>

#include "grid_syntax.h"
#include "import_patch.h"
#include "message_pump.h"
#include "pbsim_runtime.h"
#include "stdout_capture.h"
#include "tessel_dll.h"

namespace {

bool g_failing = false;
int g_failNext = 0;  // allocations still to fail before memory comes back
void*(__cdecl* g_malloc)(size_t) = nullptr;
void*(__cdecl* g_realloc)(void*, size_t) = nullptr;

void* __cdecl FailingMalloc(size_t n) {
    if (g_failNext > 0) {
        --g_failNext;
        return nullptr;
    }
    return g_failing ? nullptr : g_malloc(n);
}
void* __cdecl FailingRealloc(void* p, size_t n) { return g_failing && n ? nullptr : g_realloc(p, n); }

const wchar_t kIconText[] = L"ab iconfont{61447} cd iconfont{61448}";

// The real functions' answers, taken before the library is started.
struct RealAnswers {
    SIZE extent = {};
    int fit = 0;
    int calcHeight = 0;
    RECT calcRect = {};
};

class AllocationFailure : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pb.ok());
        ASSERT_NE(dll.h, nullptr);
        HDC screen = GetDC(nullptr);
        dc = CreateCompatibleDC(screen);
        ReleaseDC(nullptr, screen);
        bitmap = CreateBitmap(300, 60, 1, 32, nullptr);
        old = SelectObject(dc, bitmap);
        GetTextExtentExPointW(dc, kIconText, static_cast<int>(wcslen(kIconText)), 80, &real.fit, nullptr, &real.extent);
        RECT r = {0, 0, 300, 60};
        real.calcHeight = DrawTextW(dc, kIconText, -1, &r, DT_CALCRECT | DT_SINGLELINE);
        real.calcRect = r;

        malloc.reset(new ImportPatch(dll.h, "msvcrt.dll", "malloc", reinterpret_cast<void*>(&FailingMalloc)));
        realloc.reset(new ImportPatch(dll.h, "msvcrt.dll", "realloc", reinterpret_cast<void*>(&FailingRealloc)));
        ASSERT_TRUE(malloc->ok() && realloc->ok()) << "the library's allocator imports not found";
        g_malloc = reinterpret_cast<decltype(g_malloc)>(malloc->original());
        g_realloc = reinterpret_cast<decltype(g_realloc)>(realloc->original());

        ASSERT_EQ(dll.StartTessel(), 1);
        dll.SetIconfont(L"iconfont.ttf", 0);
        host = CreateWindowExW(0, L"STATIC", L"host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 400, 260, nullptr,
                               nullptr, nullptr, nullptr);
        dw = pb.CreateDataWindow(host,
                                 GridSyntax(1)
                                     .Column(L"a", L"long", 80, L"A")
                                     .Column(L"b", L"char(20)", 120, L"B")
                                     .NumberedRows(2)
                                     .Text()
                                     .c_str(),
                                 nullptr, 0, 0, 400, 200, WS_VSCROLL);
        ASSERT_NE(dw, nullptr);
        g_failNext = 2;
        EXPECT_EQ(dll.AttachDatawindow(dw, nullptr), 0);
        g_failNext = 0;
    }
    void TearDown() override {
        g_failing = false;
        g_failNext = 0;
        if (dll.StopTessel) dll.StopTessel();
        if (dw) DestroyWindow(dw);
        if (host) DestroyWindow(host);
        malloc.reset();
        realloc.reset();
        if (dc) {
            SelectObject(dc, old);
            DeleteObject(bitmap);
            DeleteDC(dc);
        }
    }

    PbsimRuntime pb{105};
    TesselDll dll;
    std::unique_ptr<ImportPatch> malloc, realloc;
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    RealAnswers real;
    HWND host = nullptr;
    HWND dw = nullptr;
};

TEST_F(AllocationFailure, ExportsAnswerFailure) {
    StdoutCapture out;
    g_failing = true;
    const int attach = dll.AttachDatawindow(dw, nullptr);
    g_failing = false;
    EXPECT_EQ(attach, 0);

    // Attached with memory; the titles then fail.
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

    // Memory is back: the same calls work.
    EXPECT_EQ(dll.AddDatawindowTitle(dw, L"A title", L"Tahoma", 9, 30), 1);
    EXPECT_EQ(dll.SetSpanTitle(dw, L"a,b", L"Both", L"Tahoma", 9, 20), 1);
}

TEST_F(AllocationFailure, ReplacementsMakeTheRealCall) {
    StdoutCapture out;
    SIZE extent = {};
    int fit = -1;
    RECT r = {0, 0, 300, 60};
    g_failing = true;
    const BOOL measured =
        GetTextExtentExPointW(dc, kIconText, static_cast<int>(wcslen(kIconText)), 80, &fit, nullptr, &extent);
    const int height = DrawTextW(dc, kIconText, -1, &r, DT_CALCRECT | DT_SINGLELINE);
    g_failing = false;
    const std::string log = out.Stop();
    EXPECT_TRUE(measured);
    EXPECT_EQ(extent.cx, real.extent.cx);
    EXPECT_EQ(extent.cy, real.extent.cy);
    EXPECT_EQ(fit, real.fit);
    EXPECT_EQ(height, real.calcHeight);
    EXPECT_TRUE(EqualRect(&r, &real.calcRect));
    EXPECT_NE(log.find("GetTextExtentExPointW: stopped an exception"), std::string::npos) << log;
}

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
    // Still alive and still painting the attached grid.
    InvalidateRect(dw, nullptr, TRUE);
    UpdateWindow(dw);
    EXPECT_EQ(dll.DettachDatawindow(dw), 1);
}

}  // namespace
