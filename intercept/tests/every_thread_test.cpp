// InterceptUpdateAllThreads: every other thread of the process is suspended
// by the commit and moved out of the bytes it rewrites, including threads
// started after the transaction began and threads started while the commit
// is suspending the others. Threads keep calling the functions being
// patched (a hand-assembled loop that spends its time in the bytes the entry
// jump takes over, a function of intercept_callee.dll, GetSysColor and
// lstrlenW) while the main thread installs and removes the interceptions a
// thousand times: every call returns the real function's result or the
// replacement's.
#include <gtest/gtest.h>

#include <cstdio>

#include "callee_dll.h"
#include "intercept_test_support.h"

using namespace intercept_test;

namespace {

using LoopFn = int(__fastcall*)(int);

// sub ecx,1 / jnz -5 / mov eax,ecx / add eax,42 / ret: counts ecx down
// inside the first five bytes (the jnz goes back to the entry), then returns
// 42 plus what is left in ecx: 42 only when the loop ran to its end.
constexpr BYTE kLoop[] = {0x83, 0xE9, 0x01, 0x75, 0xFB, 0x89, 0xC8, 0x83, 0xC0, 0x2A, 0xC3};

LoopFn g_loop = nullptr;
LoopFn g_realLoop = nullptr;
int __fastcall LoopPlus100(int n) { return g_realLoop(n) + 100; }

decltype(&CalleeTimesThree) g_realTimesThree = nullptr;
int TimesThreePlus1000(int x) { return g_realTimesThree(x) + 1000; }

decltype(&GetSysColor) g_realGetSysColor = nullptr;
DWORD WINAPI FakeWindowColor(int index) { return index == COLOR_WINDOW ? RGB(1, 2, 3) : g_realGetSysColor(index); }

decltype(&lstrlenW) g_realLstrlenW = nullptr;
int WINAPI LengthPlus100(LPCWSTR text) { return g_realLstrlenW(text) + 100; }

// One kind of call a spinning thread makes, with the result of the real
// function and of the replacement.
struct Caller {
    const char* name;
    int (*call)();
    int plain;
    int hooked;
    bool pauses;  // between bursts of calls; the loop's thread only yields
};

const Caller kCallers[] = {
    {"loop", [] { return g_loop(5000); }, 42, 142, false},
    {"CalleeTimesThree", [] { return CalleeTimesThree(7); }, 21, 1021, true},
    {"GetSysColor", [] { return static_cast<int>(GetSysColor(COLOR_WINDOW)); }, 0xFFFFFF, 0x030201, true},
    {"lstrlenW", [] { return lstrlenW(L"Tessel"); }, 6, 106, true},
};
constexpr size_t kCallerCount = sizeof(kCallers) / sizeof(kCallers[0]);

struct Tally {
    const Caller* caller = nullptr;
    volatile LONG plain = 0;
    volatile LONG hooked = 0;
    volatile LONG wrong = 0;
    volatile LONG lastWrong = 0;

    void Count(int result) {
        if (result == caller->plain) {
            InterlockedIncrement(&plain);
        } else if (result == caller->hooked) {
            InterlockedIncrement(&hooked);
        } else {
            InterlockedIncrement(&wrong);
            InterlockedExchange(&lastWrong, result);
        }
    }
};

volatile LONG g_stop = 0;

// Calls in bursts; most threads pause after each, so that they leave the
// main thread (and, under Wine, the server it asks to suspend them) the
// processor time to commit. The loop's thread only yields, and spends
// nearly all its time inside the bytes the entry jump takes over.
DWORD WINAPI Spin(LPVOID parameter) {
    auto* tally = static_cast<Tally*>(parameter);
    while (g_stop == 0) {
        for (int i = 0; i < 256; ++i) tally->Count(tally->caller->call());
        Sleep(tally->caller->pauses ? 1 : 0);
    }
    return 0;
}

// A thread that lives for a few calls of the loop.
DWORD WINAPI ShortLived(LPVOID parameter) {
    auto* tally = static_cast<Tally*>(parameter);
    for (int i = 0; i < 5; ++i) tally->Count(tally->caller->call());
    return 0;
}

volatile LONG g_spawned = 0;

// Starts short-lived threads one after another until told to stop, with a
// pause between them.
DWORD WINAPI Spawn(LPVOID parameter) {
    while (g_stop == 0) {
        HANDLE thread = CreateThread(nullptr, 0, ShortLived, parameter, 0, nullptr);
        if (thread == nullptr) return 1;
        InterlockedIncrement(&g_spawned);
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        Sleep(1);
    }
    return 0;
}

// A process whose other threads call the functions being patched.
class EveryThread : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(buffer_.ok());
        BYTE* loop = buffer_.at(0);
        for (size_t i = 0; i < sizeof(kLoop); ++i) loop[i] = kLoop[i];
        FlushInstructionCache(GetCurrentProcess(), loop, sizeof(kLoop));
        g_loop = reinterpret_cast<LoopFn>(loop);
        g_stop = 0;
        g_spawned = 0;
    }

    void TearDown() override {
        g_stop = 1;
        for (HANDLE thread : threads_) {
            EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 10000));
            DWORD code = 1;
            EXPECT_TRUE(GetExitCodeThread(thread, &code));
            EXPECT_EQ(0u, code);
            CloseHandle(thread);
        }
    }

    void Start(LPTHREAD_START_ROUTINE routine, void* parameter) {
        HANDLE thread = CreateThread(nullptr, 0, routine, parameter, 0, nullptr);
        ASSERT_NE(nullptr, thread);
        threads_.push_back(thread);
    }

    // One transaction over every interception, with every thread enlisted.
    static LONG Transaction(bool attach) {
        LONG result = InterceptTransactionBegin();
        if (result != NO_ERROR) return result;
        result = InterceptUpdateAllThreads();
        const struct {
            PVOID* pointer;
            PVOID detour;
        } hooks[] = {{Slot(&g_realLoop), Fn(LoopPlus100)},
                     {Slot(&g_realTimesThree), Fn(TimesThreePlus1000)},
                     {Slot(&g_realGetSysColor), Fn(FakeWindowColor)},
                     {Slot(&g_realLstrlenW), Fn(LengthPlus100)}};
        for (const auto& hook : hooks) {
            if (result != NO_ERROR) break;
            result = attach ? InterceptAttach(hook.pointer, hook.detour) : InterceptDetach(hook.pointer, hook.detour);
        }
        if (result != NO_ERROR) {
            InterceptTransactionAbort();
            return result;
        }
        return InterceptTransactionCommit();
    }

    CodeBuffer buffer_;
    std::vector<HANDLE> threads_;
};

}  // namespace

TEST_F(EveryThread, CallersSeeTheRealOrTheReplacementResultOverAThousandCycles) {
    g_realLoop = g_loop;
    g_realTimesThree = &CalleeTimesThree;
    g_realGetSysColor = &GetSysColor;
    g_realLstrlenW = &lstrlenW;
    const std::vector<BYTE> loopBytes = buffer_.Snapshot(0, sizeof(kLoop));

    Tally tallies[kCallerCount];
    for (size_t i = 0; i < kCallerCount; ++i) {
        tallies[i].caller = &kCallers[i];
        ASSERT_EQ(kCallers[i].plain, kCallers[i].call()) << kCallers[i].name;
        Start(Spin, &tallies[i]);
    }
    Tally spawnedTally;
    spawnedTally.caller = &kCallers[0];
    Start(Spawn, &spawnedTally);

    const ULONGLONG begin = GetTickCount64();
    for (int cycle = 0; cycle < 1000; ++cycle) {
        ASSERT_EQ(NO_ERROR, Transaction(true)) << "install " << cycle;
        ASSERT_EQ(NO_ERROR, Transaction(false)) << "removal " << cycle;
    }
    const ULONGLONG elapsed = GetTickCount64() - begin;
    g_stop = 1;
    TearDown();
    threads_.clear();

    std::printf("cycles: 1000 installs and removals with every thread enlisted in %llu ms, %ld threads started\n",
                elapsed, g_spawned);
    for (const Tally& tally : tallies) {
        std::printf("  %-16s %ld real, %ld replaced, %ld wrong\n", tally.caller->name, tally.plain, tally.hooked,
                    tally.wrong);
        EXPECT_EQ(0, tally.wrong) << tally.caller->name << " returned " << tally.lastWrong;
        EXPECT_GT(tally.plain, 0) << tally.caller->name;
        EXPECT_GT(tally.hooked, 0) << tally.caller->name;
    }
    EXPECT_EQ(0, spawnedTally.wrong) << spawnedTally.lastWrong;
    EXPECT_GT(g_spawned, 0);
    EXPECT_EQ(loopBytes, buffer_.Snapshot(0, sizeof(kLoop)));
    for (const Caller& caller : kCallers) EXPECT_EQ(caller.plain, caller.call()) << caller.name;
}

namespace {

// L: cmp byte [ecx],0 / je L / ret: spins inside the first five bytes until
// the byte ecx points at is set.
constexpr BYTE kWait[] = {0x80, 0x39, 0x00, 0x74, 0xFB, 0xC3};
using WaitFn = void(__fastcall*)(volatile char*);
WaitFn g_wait = nullptr;
WaitFn g_realWait = nullptr;
volatile LONG g_waitDetourCalls = 0;
void __fastcall CountingWait(volatile char*) { InterlockedIncrement(&g_waitDetourCalls); }

volatile char g_released = 0;
DWORD WINAPI WaitForRelease(LPVOID) {
    g_wait(&g_released);
    return 0;
}

}  // namespace

TEST_F(EveryThread, AThreadStartedDuringTheTransactionIsCaught) {
    BYTE* wait = buffer_.at(64);
    for (size_t i = 0; i < sizeof(kWait); ++i) wait[i] = kWait[i];
    FlushInstructionCache(GetCurrentProcess(), wait, sizeof(kWait));
    g_wait = reinterpret_cast<WaitFn>(wait);
    g_realWait = g_wait;
    g_released = 0;
    g_waitDetourCalls = 0;

    ASSERT_EQ(NO_ERROR, InterceptTransactionBegin());
    ASSERT_EQ(NO_ERROR, InterceptUpdateAllThreads());
    ASSERT_EQ(NO_ERROR, InterceptAttach(Slot(&g_realWait), Fn(CountingWait)));
    // Started after the attach was queued: nobody enlisted it by handle.
    Start(WaitForRelease, nullptr);
    uintptr_t ip = 0;
    for (int attempt = 0; attempt < 500 && !Inside(ip, wait, 5); ++attempt) {
        Sleep(10);
        ip = StoppedAt(threads_.back());
    }
    ASSERT_TRUE(Inside(ip, wait, 5)) << "the thread never reached the loop";
    ASSERT_EQ(NO_ERROR, InterceptTransactionCommit());

    ASSERT_NE(g_wait, g_realWait);
    EXPECT_EQ(0xE9, wait[0]);
    EXPECT_TRUE(Inside(StoppedAt(threads_.back()), Fn(g_realWait), 16)) << "not moved into the trampoline";
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(threads_.back(), 0));

    // And back at the detach, again without a handle.
    ASSERT_EQ(NO_ERROR, InterceptTransactionBegin());
    ASSERT_EQ(NO_ERROR, InterceptUpdateAllThreads());
    ASSERT_EQ(NO_ERROR, InterceptDetach(Slot(&g_realWait), Fn(CountingWait)));
    ASSERT_EQ(NO_ERROR, InterceptTransactionCommit());
    EXPECT_EQ(g_wait, g_realWait);
    EXPECT_TRUE(Inside(StoppedAt(threads_.back()), wait, 5)) << "not moved back into the function";

    g_released = 1;
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(threads_.back(), 10000));
    EXPECT_EQ(0, g_waitDetourCalls);  // it never entered the replacement
}
