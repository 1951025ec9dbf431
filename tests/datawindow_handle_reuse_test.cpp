// A DataWindow destroyed while attached, without DettachDatawindow, and a new
// DataWindow given the very same handle value: the old record must not reach
// the new window (no margins, no hover band, no painting, no modify of its
// own), and DettachDatawindow and StopTessel still work.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tessel_host.h"
#include "window_surface.h"

namespace {

const std::wstring kGrid =
    GridSyntax(1).Column(L"a", L"long", 80, L"A").Column(L"b", L"char(20)", 120, L"B").NumberedRows(3).Text();

uint32_t Value(const void* h) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(h)); }

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
    // A new DataWindow on host with the handle value wanted, null when that does not work out. A handle value is a
    // slot of the window manager's table (low half) and the slot's generation (high half, counted from 1 and
    // wrapping before 0xFFFF); the slot freed last is the next one given out, one generation further. Menus (they
    // share the table and cost less) are taken until one gets the slot, those on other slots held meanwhile; then
    // all are freed, the slot last, and taken again until the slot's generation is the one before the wanted one,
    // when it is freed for the DataWindow. Other processes take handles from the same table meanwhile and may get
    // the slot first (one more generation then): holding no more than a few others' slots, the turning goes on when
    // the slot comes back, a bounded number of times, and ends early when it stays away (another process keeps it).
    HWND DataWindowWithHandle(HWND host, HWND wanted, int* turns) {
        const uint32_t want = Value(wanted), slot = want & 0xFFFF;
        const uint32_t before = (want >> 16) <= 1 ? 0xFFFE : (want >> 16) - 1;
        std::vector<HMENU> held;
        HWND dw = nullptr;
        for (int turn = 0, unseen = 0; !dw && turn < 0x60000 && unseen < 0x8000; ++turn, ++*turns) {
            HMENU m = CreateMenu();
            unseen = m && (Value(m) & 0xFFFF) == slot ? 0 : unseen + 1;
            if (m && (Value(m) & 0xFFFF) != slot && held.size() < 256) {
                held.push_back(m);
                continue;
            }
            for (HMENU h : held) DestroyMenu(h);  // the slot came, or it lies deeper or is another process's for now
            held.clear();
            if (m) DestroyMenu(m);
            if (!m || Value(m) != (slot | (before << 16))) continue;
            dw = DataWindow(host);
            if (dw && Value(dw) != want) DestroyWindow(dw), dw = nullptr;  // another process came between
        }
        for (HMENU h : held) DestroyMenu(h);
        return dw;
    }
    std::vector<HWND> hosts;
};

}  // namespace

TEST_F(HandleReuse, StaleRecordNeverServesTheWindowThatReusesItsHandle) {
    for (int viaParent = 0; viaParent < 2; ++viaParent) {
        SCOPED_TRACE(viaParent ? "destroyed with its parent" : "destroyed by DestroyWindow");
        HWND newHost = Host(0), reference = DataWindow(Host(360)), old = nullptr, again = nullptr;
        RECT attached, reused, plain;
        GetClientRect(reference, &plain);
        int turns = 0, lives = 0;
        // A new window to destroy when another process keeps the slot; about a million turns at most.
        while (!again && lives++ < 10 && turns < 0x100000) {
            HWND oldHost = Host(0);
            old = DataWindow(oldHost);
            ASSERT_TRUE(old && reference) << pb->LastError();
            ASSERT_EQ(dll.AttachDatawindow(old, nullptr), 1);
            PumpMessages();
            GetClientRect(old, &attached);
            EXPECT_NE(attached.right, plain.right) << "the attach took the client edge";
            HoverSelectPaint(old);
            ShowWindow(oldHost, SW_HIDE);
            DestroyWindow(viaParent ? oldHost : old);  // without DettachDatawindow
            again = DataWindowWithHandle(newHost, old, &turns);
        }
        ASSERT_NE(again, nullptr) << "the handle value was not given out again in " << turns << " turns";
        std::printf("handle reuse: handle 0x%08X given to a new DataWindow after %s (%d turns, %d windows)\n",
                    Value(old), viaParent ? "its parent was destroyed" : "DestroyWindow", turns, lives);
        PumpMessages();
        GetClientRect(again, &reused);
        EXPECT_TRUE(EqualRect(&reused, &plain)) << "the new window lost its client edge";
        pb->ClearModifyLog(again);
        HoverSelectPaint(again);
        HoverSelectPaint(reference);
        EXPECT_TRUE(WindowSurface(again, WindowSurface::Client).Pixels() ==
                    WindowSurface(reference, WindowSurface::Client).Pixels())
            << "the reused window shows something of the old record";
        EXPECT_TRUE(pb->ModifyLog(again).empty()) << "the old record changed the new DataWindow";
        // Detaching the old handle answers 1 and leaves the new window alone,
        // which can then be attached in its own right.
        EXPECT_EQ(dll.DettachDatawindow(old), 1);
        EXPECT_EQ(dll.AttachDatawindow(again, nullptr), 1);
        PumpMessages();
        GetClientRect(again, &reused);
        EXPECT_EQ(reused.right, attached.right);
        EXPECT_EQ(dll.DettachDatawindow(again), 1);
        DestroyWindow(again);
        DestroyWindow(reference);
    }
    const int stopped = dll.StopTessel();
    EXPECT_EQ(stopped, 1);
    std::printf("handle reuse: 2 cases (DestroyWindow, parent destroyed), StopTessel after reuse %d\n", stopped);
}
