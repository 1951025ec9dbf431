// InterceptUpdateAllThreads under load: threads keep calling the functions
// being patched (a loop that spends its time in the bytes the entry jump takes
// over, GetSysColor) and short-lived threads come and go, while the
// interceptions go in and out a thousand times: every call answers as the real
// function or as the replacement.
#include <gtest/gtest.h>

#include <cstdio>

#include "intercept_test_support.h"

using namespace intercept_test;

namespace {

FastFn g_loop = nullptr, g_realLoop = nullptr;
int __fastcall LoopPlus100(int n) { return g_realLoop(n) + 100; }
decltype(&GetSysColor) g_realGetSysColor = nullptr;
DWORD WINAPI FakeWindowColor(int index) { return index == COLOR_WINDOW ? RGB(1, 2, 3) : g_realGetSysColor(index); }

volatile LONG g_stop = 0;
volatile LONG g_answers[2][3] = {};  // per function: real, replaced, wrong

int Call(int function) {
    const int result = function == 0 ? g_loop(5000) : static_cast<int>(GetSysColor(COLOR_WINDOW));
    const int real = function == 0 ? 42 : 0xFFFFFF, replaced = function == 0 ? 142 : 0x030201;
    InterlockedIncrement(&g_answers[function][result == real ? 0 : result == replaced ? 1 : 2]);
    return result;
}

// Bursts of calls; the GetSysColor caller pauses between them to leave the
// committing thread (and Wine's server) processor time.
DWORD WINAPI Caller(LPVOID function) {
    while (g_stop == 0) {
        for (int i = 0; i < 256; ++i) Call(static_cast<int>(reinterpret_cast<intptr_t>(function)));
        Sleep(function != nullptr ? 1 : 0);
    }
    return 0;
}

DWORD WINAPI ShortLived(LPVOID) { return static_cast<DWORD>(Call(0)); }  // one call, then gone

DWORD WINAPI Spawner(LPVOID) {
    while (g_stop == 0) {
        HANDLE thread = CreateThread(nullptr, 0, ShortLived, nullptr, 0, nullptr);
        if (thread == nullptr) return 1;
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
    }
    return 0;
}

}  // namespace

TEST(EveryThread, CallersSeeTheRealOrTheReplacementResultOverAThousandCycles) {
    CodeBuffer buffer;
    // sub ecx,1 / jnz -5 / mov eax,ecx / add eax,42 / ret: counts ecx down
    // inside the first five bytes, then answers 42 plus what is left in ecx.
    const std::vector<BYTE> loop = Hex("83E901 75FB 89C8 83C02A C3");
    g_loop = g_realLoop = reinterpret_cast<FastFn>(buffer.Put(0, loop));
    g_realGetSysColor = &GetSysColor;
    ASSERT_EQ(42, Call(0));
    ASSERT_EQ(0xFFFFFF, Call(1));
    HANDLE threads[] = {CreateThread(nullptr, 0, Caller, nullptr, 0, nullptr),
                        CreateThread(nullptr, 0, Caller, reinterpret_cast<LPVOID>(1), 0, nullptr),
                        CreateThread(nullptr, 0, Spawner, nullptr, 0, nullptr)};
    const ULONGLONG begin = GetTickCount64();
    for (int cycle = 0; cycle < 2000; ++cycle) {
        ASSERT_EQ(
            NO_ERROR,
            Transact(cycle % 2 == 0,
                     {{Slot(&g_realLoop), Fn(LoopPlus100)}, {Slot(&g_realGetSysColor), Fn(FakeWindowColor)}}, nullptr))
            << "cycle " << cycle;
    }
    std::printf("cycles: 1000 installs and removals with every thread enlisted in %llu ms\n", GetTickCount64() - begin);
    g_stop = 1;
    for (HANDLE thread : threads) {
        DWORD code = 1;
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 10000));
        EXPECT_TRUE(GetExitCodeThread(thread, &code) && code == 0);
        CloseHandle(thread);
    }
    for (const auto& answers : g_answers) {
        std::printf("  %ld real, %ld replaced, %ld wrong\n", answers[0], answers[1], answers[2]);
        EXPECT_TRUE(answers[0] > 0 && answers[1] > 0 && answers[2] == 0);
    }
    EXPECT_EQ(loop, buffer.Snapshot(0, loop.size()));
}
