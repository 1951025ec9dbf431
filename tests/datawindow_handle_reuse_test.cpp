// A DataWindow destroyed while attached, without DettachDatawindow, and a new
// DataWindow given the very same handle value: the old record must not reach
// the new window (no margins, no hover band, no painting, no modify of its
// own), and DettachDatawindow and StopTessel still work.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>

#include <cstdint>
#include <string>
#include <vector>

#include "tessel_host.h"
#include "window_surface.h"

namespace {

const std::wstring kGrid =
    GridSyntax(1).Column(L"a", L"long", 80, L"A").Column(L"b", L"char(20)", 120, L"B").NumberedRows(3).Text();

uint32_t Value(const void* h) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(h)); }

class HandleReuse : public TesselHost {
protected:
    void TearDown() override {
        TesselHost::TearDown();
        for (HWND h : hosts) DestroyWindow(h);
    }
    HWND Host(int x) {
        hosts.push_back(CreateWindowExW(0, L"STATIC", L"host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, x, 0, 320, 170,
                                        nullptr, nullptr, nullptr, nullptr));
        return hosts.back();
    }
    HWND DataWindow(HWND host) { return pb->CreateDataWindow(host, kGrid.c_str(), nullptr, 0, 0, 300, 150, 0); }
    // A new DataWindow on host with the handle value wanted: menus (they share
    // the window handle table and cost less) are taken until one gets the
    // handle's slot, the slot turned round until its next generation is the
    // wanted one (generations count from 1 and wrap before 0xFFFF), then freed
    // for the DataWindow. Null when that does not work out.
    HWND DataWindowWithHandle(HWND host, HWND wanted) {
        const uint32_t want = Value(wanted), previous = (want >> 16) <= 1 ? 0xFFFE : (want >> 16) - 1;
        std::vector<HMENU> held;
        HMENU slot = nullptr;
        while (!slot && held.size() < 20000) {
            HMENU m = CreateMenu();
            if ((Value(m) & 0xFFFF) == (want & 0xFFFF)) slot = m;
            else held.push_back(m);
        }
        for (int turn = 0; slot && turn < 0x10000 && (Value(slot) >> 16) != previous; ++turn) {
            DestroyMenu(slot);
            slot = CreateMenu();
            if ((Value(slot) & 0xFFFF) != (want & 0xFFFF)) held.push_back(slot), slot = nullptr;
        }
        HWND dw = nullptr;
        if (slot) {
            DestroyMenu(slot);
            dw = DataWindow(host);
        }
        for (HMENU m : held) DestroyMenu(m);
        if (dw && Value(dw) != want) DestroyWindow(dw), dw = nullptr;
        return dw;
    }
    std::vector<HWND> hosts;
};

// Mouse input that gives a record hover and selection state, and a repaint.
void HoverSelectPaint(HWND h) {
    SendMessageW(h, WM_MOUSEMOVE, 0, MAKELPARAM(20, 40));
    SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 40));
    SendMessageW(h, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(150, 60));
    SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(150, 60));
    SendMessageW(h, 11022, 0, 0);  // refresh, had it a record
    InvalidateRect(h, nullptr, TRUE);
    UpdateWindow(h);
    PumpMessages();
}

}  // namespace

TEST_F(HandleReuse, StaleRecordNeverServesTheWindowThatReusesItsHandle) {
    for (int viaParent = 0; viaParent < 2; ++viaParent) {
        SCOPED_TRACE(viaParent ? "destroyed with its parent" : "destroyed by DestroyWindow");
        HWND oldHost = Host(0), newHost = Host(0), refHost = Host(360);
        HWND old = DataWindow(oldHost);
        ASSERT_NE(old, nullptr) << pb->LastError();
        ASSERT_EQ(dll.AttachDatawindow(old, nullptr), 1);
        PumpMessages();
        RECT attachedClient, reusedClient, referenceClient;
        GetClientRect(old, &attachedClient);
        HoverSelectPaint(old);
        DestroyWindow(viaParent ? oldHost : old);  // without DettachDatawindow
        ASSERT_FALSE(IsWindow(old));
        ShowWindow(oldHost, SW_HIDE);
        HWND reused = DataWindowWithHandle(newHost, old);
        ASSERT_NE(reused, nullptr) << "the handle value was not given out again";
        std::printf("handle reuse: handle 0x%08X given to a new DataWindow after %s\n", Value(old),
                    viaParent ? "its parent was destroyed" : "DestroyWindow");
        HWND reference = DataWindow(refHost);
        ASSERT_NE(reference, nullptr);
        PumpMessages();
        GetClientRect(reused, &reusedClient);
        GetClientRect(reference, &referenceClient);
        // The attached window lost its client edge; the new one keeps it, as any DataWindow nobody attached.
        EXPECT_NE(attachedClient.right, referenceClient.right);
        EXPECT_EQ(reusedClient.right, referenceClient.right);
        EXPECT_EQ(reusedClient.bottom, referenceClient.bottom);
        pb->ClearModifyLog(reused);
        HoverSelectPaint(reused);
        HoverSelectPaint(reference);
        WindowSurface a(reused, WindowSurface::Client), b(reference, WindowSurface::Client);
        ASSERT_EQ(a.Width(), b.Width());
        ASSERT_EQ(a.Height(), b.Height());
        EXPECT_TRUE(a.Pixels() == b.Pixels()) << "the reused window shows something of the old record";
        EXPECT_TRUE(pb->ModifyLog(reused).empty()) << "the old record changed the new DataWindow";
        // Detaching the old handle answers 1 and leaves the new window alone,
        // which can then be attached in its own right.
        EXPECT_EQ(dll.DettachDatawindow(old), 1);
        EXPECT_TRUE(IsWindow(reused));
        EXPECT_EQ(dll.AttachDatawindow(reused, nullptr), 1);
        PumpMessages();
        GetClientRect(reused, &reusedClient);
        EXPECT_EQ(reusedClient.right, attachedClient.right);
        EXPECT_EQ(dll.DettachDatawindow(reused), 1);
        DestroyWindow(reused);
        DestroyWindow(reference);
    }
    const int stopped = dll.StopTessel();
    EXPECT_EQ(stopped, 1);
    std::printf("handle reuse: 2 cases (DestroyWindow, parent destroyed), StopTessel after reuse %d\n", stopped);
}
