// Running out of memory in the middle of a transaction: every call returns
// ERROR_NOT_ENOUGH_MEMORY instead of throwing and leaves no queued operation,
// trampoline or suspended thread behind. This executable's operator new
// throws std::bad_alloc once a given number of allocations is spent.
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

FastFn g_real = nullptr;
int __fastcall PlusHundred(int x) { return 100 + g_real(x); }

}  // namespace

// Enlisting, attaching and committing, detaching and committing, each with 0,
// 1, 2... allocations allowed until it succeeds.
TEST(AllocationFailure, EveryCallReportsItAndLeavesNothingBehind) {
    CodeBuffer buffer;
    const std::vector<BYTE> original = Hex("85C9 7406 B801000000 C3 B802000000 C3");
    const FastFn f = g_real = reinterpret_cast<FastFn>(buffer.Put(0, original));
    Spinner enlisted;
    for (int step = 0; step < 3; ++step) {
        LONG result = ERROR_NOT_ENOUGH_MEMORY;
        long budget = 0;
        for (; result != NO_ERROR && budget < 50; ++budget) {
            ASSERT_EQ(NO_ERROR, InterceptTransactionBegin());
            g_allocationsLeft = budget;
            result = step == 0   ? InterceptUpdateThread(enlisted.thread)
                     : step == 1 ? InterceptAttach(Slot(&g_real), Fn(PlusHundred))
                                 : InterceptDetach(Slot(&g_real), Fn(PlusHundred));
            const LONG committed = step == 0 ? InterceptTransactionAbort() : InterceptTransactionCommit();
            g_allocationsLeft = -1;
            if (result == NO_ERROR) result = committed;
            EXPECT_EQ(0u, ResumeThread(enlisted.thread)) << "left suspended, step " << step << ", budget " << budget;
            if (result == NO_ERROR) break;
            EXPECT_EQ(ERROR_NOT_ENOUGH_MEMORY, result) << "step " << step << ", budget " << budget;
            EXPECT_EQ(step == 2 ? 102 : 2, f(0));  // nothing applied
            EXPECT_EQ(step == 2 ? 1u : 0u, InterceptTrampolineCount());
            EXPECT_EQ(step == 2, f != g_real);
        }
        EXPECT_GT(budget, 0) << "step " << step << " needs no memory";
        EXPECT_EQ(NO_ERROR, result) << "step " << step << " never succeeded";
    }
    EXPECT_EQ(f, g_real);
    EXPECT_EQ(original, buffer.Snapshot(0, original.size()));
}
