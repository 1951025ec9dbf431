// Running out of memory in the middle of a transaction: every call returns
// ERROR_NOT_ENOUGH_MEMORY instead of throwing and leaves no queued operation,
// trampoline or suspended thread behind. This executable's operator new
// throws std::bad_alloc once a given number of allocations is spent.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <new>

#include "intercept_test_support.h"

namespace {
long g_allocationsLeft = -1;  // -1: no limit
}  // namespace

void* operator new(std::size_t size) {
    if (g_allocationsLeft == 0) throw std::bad_alloc();
    if (g_allocationsLeft > 0) --g_allocationsLeft;
    if (void* memory = std::malloc(size != 0 ? size : 1)) return memory;
    throw std::bad_alloc();
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }

using namespace intercept_test;

namespace {

FastFn g_real = nullptr;
int __fastcall PlusHundred(int x) { return 100 + g_real(x); }
volatile LONG g_stop = 0;
DWORD WINAPI Idle(LPVOID) {
    while (g_stop == 0) Sleep(0);
    return 0;
}

long g_budget = 0;
// Runs call with at most g_budget allocations.
LONG Limited(const std::function<LONG()>& call) {
    g_allocationsLeft = g_budget;
    const LONG result = call();
    g_allocationsLeft = -1;
    return result;
}

// Runs step with a budget of 0, 1, 2... until it succeeds; each failure must
// be ERROR_NOT_ENOUGH_MEMORY and pass check. Returns how many failed.
int FailUntilDone(const std::function<LONG()>& step, const std::function<void()>& check) {
    for (g_budget = 0; g_budget < 20; ++g_budget) {
        const LONG result = step();
        if (result == NO_ERROR) return static_cast<int>(g_budget);
        EXPECT_EQ(ERROR_NOT_ENOUGH_MEMORY, result) << "budget " << g_budget;
        check();
    }
    ADD_FAILURE() << "never succeeded";
    return 0;
}

}  // namespace

TEST(AllocationFailure, EveryCallReportsItAndLeavesNothingBehind) {
    CodeBuffer buffer;
    const std::vector<BYTE> original = Hex("85C9 7406 B801000000 C3 B802000000 C3");
    const FastFn f = reinterpret_cast<FastFn>(buffer.Put(0, original));
    g_stop = 0;
    HANDLE thread = CreateThread(nullptr, 0, Idle, nullptr, 0, nullptr);
    const auto unchanged = [&] {
        EXPECT_EQ(original, buffer.Snapshot(0, original.size()));
        EXPECT_EQ(f, g_real);
        EXPECT_EQ(0u, InterceptTrampolineCount());
    };

    EXPECT_GT(FailUntilDone(
                  [&] {
                      InterceptTransactionBegin();
                      const LONG enlisted = Limited([&] { return InterceptUpdateThread(thread); });
                      InterceptTransactionAbort();
                      return enlisted;
                  },
                  [&] { EXPECT_EQ(0u, ResumeThread(thread)) << "left suspended"; }),
              0);
    g_real = f;
    EXPECT_GT(FailUntilDone(
                  [&] {
                      InterceptTransactionBegin();
                      const LONG attached = Limited([] { return InterceptAttach(Slot(&g_real), Fn(PlusHundred)); });
                      EXPECT_TRUE(attached == NO_ERROR || InterceptTrampolineCount() == 0);
                      InterceptTransactionCommit();
                      return attached;
                  },
                  unchanged),
              0);
    EXPECT_EQ(102, f(0));
    // A failed commit ends its transaction with nothing applied.
    EXPECT_GT(FailUntilDone(
                  [&] {
                      InterceptTransactionBegin();
                      const LONG detached = Limited([] { return InterceptDetach(Slot(&g_real), Fn(PlusHundred)); });
                      const LONG committed = Limited(InterceptTransactionCommit);
                      return detached != NO_ERROR ? detached : committed;
                  },
                  [&] {
                      EXPECT_EQ(102, f(0));
                      EXPECT_EQ(1u, InterceptTrampolineCount());
                  }),
              0);
    EXPECT_EQ(original, buffer.Snapshot(0, original.size()));
    FailUntilDone(
        [&] {
            g_real = f;
            InterceptTransactionBegin();
            EXPECT_EQ(NO_ERROR, InterceptAttach(Slot(&g_real), Fn(PlusHundred)));
            return Limited(InterceptTransactionCommit);
        },
        unchanged);
    EXPECT_EQ(102, f(0));
    ASSERT_EQ(NO_ERROR, DetachOne(Slot(&g_real), Fn(PlusHundred)));
    g_stop = 1;
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 10000));
    CloseHandle(thread);
}
