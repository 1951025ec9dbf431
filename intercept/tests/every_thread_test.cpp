// InterceptUpdateAllThreads under load: threads keep calling the functions
// being patched (a loop that spends its time in the bytes the entry jump takes
// over, GetSysColor, lstrlenW) and short-lived threads come and go, while the
// interceptions go in and out a thousand times: every call answers as the real
// function or as the replacement.
#include <gtest/gtest.h>

#include <cstdio>

#include "intercept_test_support.h"

using namespace intercept_test;

namespace {

FastFn g_loop = nullptr;
FastFn g_realLoop = nullptr;
int __fastcall LoopPlus100(int n) { return g_realLoop(n) + 100; }
decltype(&GetSysColor) g_realGetSysColor = nullptr;
DWORD WINAPI FakeWindowColor(int index) { return index == COLOR_WINDOW ? RGB(1, 2, 3) : g_realGetSysColor(index); }
decltype(&lstrlenW) g_realLstrlenW = nullptr;
int WINAPI LengthPlus100(LPCWSTR text) { return g_realLstrlenW(text) + 100; }

struct Caller {
    const char* name;
    int (*call)();
    int plain, hooked;
    volatile LONG counts[3];  // plain, hooked, wrong
};

Caller g_callers[] = {
    {"loop", [] { return g_loop(5000); }, 42, 142, {}},
    {"GetSysColor", [] { return static_cast<int>(GetSysColor(COLOR_WINDOW)); }, 0xFFFFFF, 0x030201, {}},
    {"lstrlenW", [] { return lstrlenW(L"Tessel"); }, 6, 106, {}},
    {"short-lived loop", [] { return g_loop(5000); }, 42, 142, {}},
};

volatile LONG g_stop = 0;

void Count(Caller* c) {
    const int result = c->call();
    InterlockedIncrement(&c->counts[result == c->plain ? 0 : result == c->hooked ? 1 : 2]);
}

// Bursts of calls; all but the loop's thread pause between them to leave the
// committing thread (and Wine's server) processor time.
DWORD WINAPI Spin(LPVOID parameter) {
    auto* c = static_cast<Caller*>(parameter);
    while (g_stop == 0) {
        for (int i = 0; i < 256; ++i) Count(c);
        Sleep(c == &g_callers[0] ? 0 : 1);
    }
    return 0;
}

DWORD WINAPI ShortLived(LPVOID parameter) {
    for (int i = 0; i < 5; ++i) Count(static_cast<Caller*>(parameter));
    return 0;
}

DWORD WINAPI Spawn(LPVOID parameter) {
    while (g_stop == 0) {
        HANDLE thread = CreateThread(nullptr, 0, ShortLived, parameter, 0, nullptr);
        if (thread == nullptr) return 1;
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        Sleep(1);
    }
    return 0;
}

LONG Transaction(bool attach) {
    return Transact(attach,
                    {{Slot(&g_realLoop), Fn(LoopPlus100)},
                     {Slot(&g_realGetSysColor), Fn(FakeWindowColor)},
                     {Slot(&g_realLstrlenW), Fn(LengthPlus100)}},
                    nullptr);
}

}  // namespace

TEST(EveryThread, CallersSeeTheRealOrTheReplacementResultOverAThousandCycles) {
    CodeBuffer buffer;
    // sub ecx,1 / jnz -5 / mov eax,ecx / add eax,42 / ret: counts ecx down
    // inside the first five bytes, then answers 42 plus what is left in ecx.
    const std::vector<BYTE> loop = Hex("83E901 75FB 89C8 83C02A C3");
    g_loop = g_realLoop = reinterpret_cast<FastFn>(buffer.Put(0, loop));
    g_realGetSysColor = &GetSysColor;
    g_realLstrlenW = &lstrlenW;
    std::vector<HANDLE> threads;
    for (Caller& c : g_callers) {
        ASSERT_EQ(c.plain, c.call()) << c.name;
        threads.push_back(CreateThread(nullptr, 0, &c == &g_callers[3] ? Spawn : Spin, &c, 0, nullptr));
    }
    const ULONGLONG begin = GetTickCount64();
    for (int cycle = 0; cycle < 1000; ++cycle) {
        ASSERT_EQ(NO_ERROR, Transaction(true)) << "install " << cycle;
        ASSERT_EQ(NO_ERROR, Transaction(false)) << "removal " << cycle;
    }
    std::printf("cycles: 1000 installs and removals with every thread enlisted in %llu ms\n", GetTickCount64() - begin);
    g_stop = 1;
    for (HANDLE thread : threads) {
        DWORD code = 1;
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 10000));
        EXPECT_TRUE(GetExitCodeThread(thread, &code) && code == 0);
        CloseHandle(thread);
    }
    for (const Caller& c : g_callers) {
        std::printf("  %-16s %ld real, %ld replaced, %ld wrong\n", c.name, c.counts[0], c.counts[1], c.counts[2]);
        EXPECT_EQ(0, c.counts[2]) << c.name;
        EXPECT_GT(c.counts[0], 0) << c.name;
        EXPECT_TRUE(c.counts[1] > 0 || &c == &g_callers[3]) << c.name << " never replaced";
        EXPECT_EQ(c.plain, c.call()) << c.name;
    }
    EXPECT_EQ(loop, buffer.Snapshot(0, loop.size()));
}
