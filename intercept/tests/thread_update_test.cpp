// Enlisted threads: suspended while enlisted, and moved when a commit
// rewrites the code they stopped in.
#include <gtest/gtest.h>

#include <memory>

#include "intercept_test_support.h"

using namespace intercept_test;

namespace {

PVOID g_real = nullptr;
volatile LONG g_detourCalls = 0;
void __fastcall CountingDetour(volatile char*) { InterlockedIncrement(&g_detourCalls); }

// Enlisted by handle, or as one of every thread (started after the attach was
// queued); or by handle and parked, before the detach, at the trampoline's jump
// back (it goes on after the restored bytes) or in the x64 relay that bridges
// the entry jump to a replacement out of rel32 reach (it goes on to the
// replacement).
enum Case { kByHandle, kEveryThread, kAtTheJumpBack, kInTheRelay };  // the last on x64 only
const char* const kCaseNames[] = {"ByHandle", "EveryThread", "AtTheJumpBack", "InTheRelay"};

class Moved : public ::testing::TestWithParam<int> {};

}  // namespace

TEST_P(Moved, IntoTheTrampolineAndBackOut) {
    const Case c = static_cast<Case>(GetParam());
    std::unique_ptr<Spinner> s;
    if (c != kEveryThread) s.reset(new Spinner(c == kInTheRelay ? 0 : kNearImage));
    ASSERT_TRUE(c == kEveryThread || s->Spinning());
    ASSERT_EQ(NO_ERROR, InterceptTransactionBegin());
    if (c == kEveryThread) {
        ASSERT_EQ(NO_ERROR, InterceptUpdateAllThreads());
        s.reset(new Spinner);  // nobody enlists it by handle
    } else {
        // Handles without the rights to suspend it or read its context cannot enlist it.
        for (DWORD rights : {0, THREAD_SUSPEND_RESUME}) {
            HANDLE limited = OpenThread(rights | THREAD_QUERY_LIMITED_INFORMATION, FALSE, GetThreadId(s->thread));
            EXPECT_EQ(ERROR_ACCESS_DENIED, InterceptUpdateThread(limited));
            CloseHandle(limited);
        }
        ASSERT_EQ(NO_ERROR, InterceptUpdateThread(s->thread));
        EXPECT_EQ(1u, SuspendThread(s->thread));  // from the moment it is enlisted
        ResumeThread(s->thread);
        ASSERT_EQ(NO_ERROR, InterceptUpdateThread(GetCurrentThread()));  // never suspended
    }
    g_real = s->buffer.at(0);
    g_detourCalls = 0;
    ASSERT_EQ(NO_ERROR, InterceptAttach(&g_real, Fn(CountingDetour)));
    ASSERT_TRUE(s->Spinning());
    ASSERT_EQ(NO_ERROR, InterceptTransactionCommit());
    EXPECT_TRUE(Inside(Ip(s->thread), g_real, 16)) << "not moved into the trampoline";

    if (c >= kAtTheJumpBack) {
        INTERCEPT_TRAMPOLINE_INFO info = {};
        ASSERT_TRUE(InterceptDescribeTrampoline(&g_real, &info));
        const BYTE* relay = s->buffer.at(5) + *reinterpret_cast<int32_t*>(s->buffer.at(1));
        const BYTE* parked = c == kInTheRelay ? relay : static_cast<BYTE*>(info.pTrampoline) + info.cbCode - 5;
        ASSERT_EQ(c == kInTheRelay ? 0xFF : 0xE9, *parked);  // jmp [rip+0] to the replacement, jmp rel32 back
        SuspendThread(s->thread);
        Ip(s->thread, parked);
    }
    ASSERT_EQ(NO_ERROR, Transact(false, &g_real, Fn(CountingDetour), c == kEveryThread ? nullptr : s->thread));
    const uintptr_t ip = Ip(s->thread);
    const void* goesOn = c == kInTheRelay ? Fn(CountingDetour) : s->buffer.at(5);
    EXPECT_TRUE(c < kAtTheJumpBack ? Inside(ip, s->buffer.at(0), 5) : ip == reinterpret_cast<uintptr_t>(goesOn))
        << "not moved back, or not on to where it was going";
    s->stop = 1;
    if (c >= kAtTheJumpBack) ResumeThread(s->thread);
    s.reset();
    EXPECT_EQ(c == kInTheRelay ? 1 : 0, g_detourCalls);
}

INSTANTIATE_TEST_SUITE_P(Enlisted, Moved, ::testing::Range(0, sizeof(void*) == 8 ? 4 : 3),
                         [](const ::testing::TestParamInfo<int>& info) { return std::string(kCaseNames[info.param]); });
