// A DataWindow destroyed while attached, without DettachDatawindow, and a new
// DataWindow that the window manager gives the very same handle value: the
// old record must not reach the new window (no margins, no hover band, no
// painting of its own), and DettachDatawindow and StopTessel still work.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include <chrono>
#include <cstdio>
#include <cstdint>
#include <vector>

#include "message_pump.h"
#include "pbsim_runtime.h"
#include "tessel_dll.h"
#include "two_column_grid.h"
#include "window_surface.h"

namespace {

const std::wstring kGrid = TwoColumnGrid(L"data(1 \"one\" 2 \"two\" 3 \"three\")");

constexpr int kWidth = 300;
constexpr int kHeight = 150;

HWND Host(int x) {
    return CreateWindowExW(0, L"STATIC", L"host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, x, 0, kWidth + 20,
                           kHeight + 20, nullptr, nullptr, nullptr, nullptr);
}

uint32_t Value(HWND h) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(h)); }

// The generation before g of a handle slot (the window manager counts a
// slot's generations from 1 and wraps before 0xFFFF).
uint32_t Previous(uint32_t g) { return g <= 1 ? 0xFFFE : g - 1; }

class HandleReuse : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pb.ok());
        ASSERT_NE(dll.h, nullptr);
        ASSERT_EQ(dll.StartTessel(), 1);
    }
    void TearDown() override {
        dll.StopTessel();
        for (HWND h : hosts)
            if (IsWindow(h)) DestroyWindow(h);
    }
    HWND DataWindow(HWND host) { return pb.CreateDataWindow(host, kGrid.c_str(), nullptr, 0, 0, kWidth, kHeight, 0); }
    // Makes the window manager give the handle value wanted to a new
    // DataWindow on host: takes menus (they share the handle table of
    // windows and cost less to make) until one gets the slot of the handle,
    // turns that slot's generation round by freeing and taking it again until
    // the next one is the wanted, then frees it for the DataWindow. Null when
    // that does not work out.
    HWND DataWindowWithHandle(HWND host, HWND wanted, int* made) {
        const uint32_t want = Value(wanted);
        auto value = [](HMENU m) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(m)); };
        std::vector<HMENU> held;
        HMENU slot = nullptr;
        *made = 0;
        while (held.size() < 20000) {
            HMENU m = CreateMenu();
            ++*made;
            if ((value(m) & 0xFFFF) == (want & 0xFFFF)) {
                slot = m;
                break;
            }
            held.push_back(m);
        }
        for (int turn = 0; slot && turn < 0x10000 && (value(slot) >> 16) != Previous(want >> 16); ++turn) {
            DestroyMenu(slot);
            slot = CreateMenu();
            ++*made;
            if ((value(slot) & 0xFFFF) != (want & 0xFFFF)) {
                held.push_back(slot);
                slot = nullptr;
            }
        }
        HWND dw = nullptr;
        if (slot) {
            DestroyMenu(slot);
            dw = DataWindow(host);
        }
        for (HMENU m : held) DestroyMenu(m);
        if (dw && Value(dw) != want) {
            DestroyWindow(dw);
            dw = nullptr;
        }
        return dw;
    }
    PbsimRuntime pb{105};
    TesselDll dll;
    std::vector<HWND> hosts;
};

}  // namespace

TEST_F(HandleReuse, StaleRecordNeverServesTheWindowThatReusesItsHandle) {
    for (int viaParent = 0; viaParent < 2; ++viaParent) {
        SCOPED_TRACE(viaParent ? "destroyed with its parent" : "destroyed by DestroyWindow");
        HWND oldHost = Host(0);
        HWND newHost = Host(0);
        HWND refHost = Host(360);
        hosts.insert(hosts.end(), {oldHost, newHost, refHost});
        HWND old = DataWindow(oldHost);
        ASSERT_NE(old, nullptr) << pb.LastError();
        ASSERT_EQ(dll.AttachDatawindow(old, nullptr), 1);
        PumpMessages();
        RECT attachedClient;
        GetClientRect(old, &attachedClient);
        // Hover and a selection give the record state that it would paint.
        SendMessageW(old, WM_MOUSEMOVE, 0, MAKELPARAM(20, 40));
        SendMessageW(old, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 40));
        SendMessageW(old, WM_LBUTTONUP, 0, MAKELPARAM(20, 40));
        PumpMessages();
        // Destroyed without DettachDatawindow.
        if (viaParent) DestroyWindow(oldHost);
        else DestroyWindow(old);
        ASSERT_FALSE(IsWindow(old));
        ShowWindow(oldHost, SW_HIDE);

        int made = 0;
        const auto started = std::chrono::steady_clock::now();
        HWND reused = DataWindowWithHandle(newHost, old, &made);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        std::printf("handle reuse: handles made %d in %.1f s, handle 0x%08X %s\n", made, seconds, Value(old),
                    reused ? "reused" : "not reused");
        ASSERT_NE(reused, nullptr) << "the handle value was not given out again";

        HWND reference = DataWindow(refHost);
        ASSERT_NE(reference, nullptr);
        PumpMessages();
        RECT reusedClient, referenceClient;
        GetClientRect(reused, &reusedClient);
        GetClientRect(reference, &referenceClient);
        // The attached window had lost its margins; the new one keeps its
        // whole client area, as any DataWindow that nobody attached.
        EXPECT_NE(attachedClient.right, referenceClient.right);
        EXPECT_EQ(reusedClient.right, referenceClient.right);
        EXPECT_EQ(reusedClient.bottom, referenceClient.bottom);
        if (pb.ClearModifyLog) pb.ClearModifyLog(reused);

        // Hover, selection and paint: the pixels are those of the reference.
        for (HWND h : {reused, reference}) {
            SendMessageW(h, WM_MOUSEMOVE, 0, MAKELPARAM(20, 40));
            SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 40));
            SendMessageW(h, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(150, 60));
            SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(150, 60));
            SendMessageW(h, 11022, 0, 0);  // refresh, had it a record
            InvalidateRect(h, nullptr, TRUE);
            UpdateWindow(h);
        }
        PumpMessages();
        WindowSurface a(reused, WindowSurface::Client), b(reference, WindowSurface::Client);
        ASSERT_EQ(a.Width(), b.Width());
        ASSERT_EQ(a.Height(), b.Height());
        EXPECT_TRUE(a.Pixels() == b.Pixels()) << "the reused window shows something of the old record";
        EXPECT_TRUE(pb.ModifyLog(reused).empty()) << "the old record changed the new DataWindow";

        // Detaching the old handle answers 1 and leaves the new window alone.
        EXPECT_EQ(dll.DettachDatawindow(old), 1);
        EXPECT_TRUE(IsWindow(reused));
        // The new window can be attached in its own right.
        EXPECT_EQ(dll.AttachDatawindow(reused, nullptr), 1);
        PumpMessages();
        GetClientRect(reused, &reusedClient);
        EXPECT_EQ(reusedClient.right, attachedClient.right);
        EXPECT_EQ(dll.DettachDatawindow(reused), 1);
        DestroyWindow(reused);
        DestroyWindow(reference);
    }
    EXPECT_EQ(dll.StopTessel(), 1);
    EXPECT_EQ(dll.StartTessel(), 1);
    std::printf("handle reuse: 2 cases (DestroyWindow, parent destroyed), StopTessel after reuse 1\n");
}
