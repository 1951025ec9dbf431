// InterceptUpdateAllThreads under load: threads keep calling a function that
// spends its time in the bytes the entry jump takes over, and short-lived
// threads calling it once come and go, while the interception goes in and out
// a thousand times: every call answers as the real function or as the
// replacement.
#include <gtest/gtest.h>

#include <cstdio>

#include "intercept_test_support.h"

using namespace intercept_test;

namespace {

FastFn g_loop = nullptr, g_realLoop = nullptr;
int __fastcall LoopPlus100(int n) { return g_realLoop(n) + 100; }

volatile LONG g_stop = 0;
volatile LONG g_answers[3] = {};  // real, replaced, wrong

// Calls once, or until stopped, yielding now and then to leave the
// committing thread processor time.
DWORD WINAPI Caller(LPVOID untilStopped) {
    for (int calls = 1;; ++calls) {
        const int result = g_loop(5000);
        InterlockedIncrement(&g_answers[result == 42 ? 0 : result == 142 ? 1 : 2]);
        if (untilStopped == nullptr || g_stop != 0) return 0;
        if (calls % 256 == 0) Sleep(0);
    }
}

// Answers 1 when a thread could not be started.
DWORD WINAPI Spawner(LPVOID) {
    for (HANDLE t; g_stop == 0 && (t = CreateThread(nullptr, 0, Caller, nullptr, 0, nullptr)) != nullptr;)
        WaitForSingleObject(t, INFINITE), CloseHandle(t);  // one call, then gone
    return g_stop == 0;
}

}  // namespace

// The real answer and the replaced one are each seen, no other answer ever.
TEST(EveryThread, CallersSeeTheRealOrTheReplacementResultOverAThousandCycles) {
    CodeBuffer buffer;
    // sub ecx,1 / jnz -5 / mov eax,ecx / add eax,42 / ret: counts ecx down
    // inside the first five bytes, then answers 42 plus what is left in ecx.
    g_loop = g_realLoop = reinterpret_cast<FastFn>(buffer.Put(0, Hex("83E901 75FB 89C8 83C02A C3")));
    HANDLE threads[] = {CreateThread(nullptr, 0, Caller, reinterpret_cast<LPVOID>(1), 0, nullptr),
                        CreateThread(nullptr, 0, Spawner, nullptr, 0, nullptr)};
    const ULONGLONG begin = GetTickCount64();
    for (int cycle = 0; cycle < 2000; ++cycle)
        ASSERT_EQ(NO_ERROR, Transact(cycle % 2 == 0, Slot(&g_realLoop), Fn(LoopPlus100), nullptr)) << cycle;
    std::printf("cycles: 1000 installs and removals with every thread enlisted in %llu ms\n", GetTickCount64() - begin);
    g_stop = 1;
    for (HANDLE thread : threads) {
        DWORD code = 1;
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 10000));
        EXPECT_TRUE(GetExitCodeThread(thread, &code) && code == 0);
        CloseHandle(thread);
    }
    std::printf("  %ld real, %ld replaced, %ld wrong\n", g_answers[0], g_answers[1], g_answers[2]);
    EXPECT_TRUE(g_answers[0] > 0 && g_answers[1] > 0 && g_answers[2] == 0);
}
