// Running out of memory in the middle of a transaction: every call returns
// ERROR_NOT_ENOUGH_MEMORY instead of throwing, and leaves no queued
// operation, trampoline slot or suspended thread behind.
//
// This executable's operator new fails on request: after a given number of
// allocations, it throws std::bad_alloc.
#include <gtest/gtest.h>

#include <cstdlib>
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

using FastFn = int(__fastcall*)(int);
FastFn g_real = nullptr;
int __fastcall PlusHundred(int x) { return 100 + g_real(x); }

volatile LONG g_counter = 0;
volatile LONG g_stop = 0;
DWORD WINAPI Count(LPVOID) {
    while (g_stop == 0) InterlockedIncrement(&g_counter);
    return 0;
}

// Runs call with at most budget allocations allowed.
template <typename Call>
LONG WithBudget(long budget, Call call) {
    g_allocationsLeft = budget;
    const LONG result = call();
    g_allocationsLeft = -1;
    return result;
}

}  // namespace

TEST(AllocationFailure, EveryCallReportsItAndLeavesNothingBehind) {
    CodeBuffer buffer;
    // test ecx,ecx / je +6 / mov eax,1 / ret / mov eax,2 / ret
    buffer.Put(0, {0x85, 0xC9, 0x74, 0x06, 0xB8, 0x01, 0, 0, 0, 0xC3, 0xB8, 0x02, 0, 0, 0, 0xC3});
    const auto f = reinterpret_cast<FastFn>(buffer.at(0));
    const std::vector<BYTE> original = buffer.Snapshot(0, 16);
    HANDLE thread = CreateThread(nullptr, 0, Count, nullptr, 0, nullptr);
    ASSERT_NE(nullptr, thread);

    // Enlisting a thread.
    int failures = 0;
    for (long budget = 0;; ++budget) {
        ASSERT_LT(budget, 20);
        ASSERT_EQ(NO_ERROR, InterceptTransactionBegin());
        const LONG enlisted = WithBudget(budget, [&] { return InterceptUpdateThread(thread); });
        ASSERT_EQ(NO_ERROR, InterceptTransactionAbort());
        if (enlisted == NO_ERROR) break;
        EXPECT_EQ(ERROR_NOT_ENOUGH_MEMORY, enlisted);
        EXPECT_EQ(0u, SuspendCount(thread)) << "left suspended";
        ++failures;
    }
    EXPECT_GT(failures, 0);

    // Attaching.
    failures = 0;
    for (long budget = 0;; ++budget) {
        ASSERT_LT(budget, 20);
        g_real = f;
        ASSERT_EQ(NO_ERROR, InterceptTransactionBegin());
        const LONG attached = WithBudget(budget, [&] { return InterceptAttach(Slot(&g_real), Fn(PlusHundred)); });
        if (attached == NO_ERROR) {
            ASSERT_EQ(NO_ERROR, InterceptTransactionCommit());
            break;
        }
        EXPECT_EQ(ERROR_NOT_ENOUGH_MEMORY, attached);
        EXPECT_EQ(0u, InterceptTrampolineCount());
        ASSERT_EQ(NO_ERROR, InterceptTransactionCommit());
        EXPECT_EQ(f, g_real);
        EXPECT_EQ(original, buffer.Snapshot(0, 16));
        ++failures;
    }
    EXPECT_GT(failures, 0);
    EXPECT_EQ(102, f(0));

    // Detaching, and committing the detach.
    failures = 0;
    for (long budget = 0;; ++budget) {
        ASSERT_LT(budget, 20);
        ASSERT_EQ(NO_ERROR, InterceptTransactionBegin());
        const LONG detached = WithBudget(budget, [&] { return InterceptDetach(Slot(&g_real), Fn(PlusHundred)); });
        const LONG committed = WithBudget(budget, [] { return InterceptTransactionCommit(); });
        if (detached == NO_ERROR && committed == NO_ERROR) break;
        EXPECT_EQ(ERROR_NOT_ENOUGH_MEMORY, detached == NO_ERROR ? committed : detached);
        // A failed commit ends its transaction with nothing applied.
        EXPECT_EQ(102, f(0));  // still attached
        EXPECT_EQ(1u, InterceptTrampolineCount());
        ++failures;
    }
    EXPECT_GT(failures, 0);
    EXPECT_EQ(f, g_real);
    EXPECT_EQ(original, buffer.Snapshot(0, 16));

    // Committing an attach.
    failures = 0;
    for (long budget = 0;; ++budget) {
        ASSERT_LT(budget, 20);
        g_real = f;
        ASSERT_EQ(NO_ERROR, InterceptTransactionBegin());
        ASSERT_EQ(NO_ERROR, InterceptAttach(Slot(&g_real), Fn(PlusHundred)));
        const LONG committed = WithBudget(budget, [] { return InterceptTransactionCommit(); });
        if (committed == NO_ERROR) break;
        EXPECT_EQ(ERROR_NOT_ENOUGH_MEMORY, committed);
        EXPECT_EQ(f, g_real);
        EXPECT_EQ(original, buffer.Snapshot(0, 16));
        EXPECT_EQ(0u, InterceptTrampolineCount());
        ++failures;
    }
    EXPECT_EQ(102, f(0));
    ASSERT_EQ(NO_ERROR, DetachOne(Slot(&g_real), Fn(PlusHundred)));

    g_stop = 1;
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 10000));
    CloseHandle(thread);
}
