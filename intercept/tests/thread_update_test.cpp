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

// The instruction pointer of a thread (suspended for the reading), set to ip when given.
uintptr_t Ip(HANDLE thread, const void* ip = nullptr) {
    SuspendThread(thread);
    CONTEXT context = {};
    context.ContextFlags = CONTEXT_CONTROL;
    EXPECT_TRUE(GetThreadContext(thread, &context));
#if defined(_WIN64)
    DWORD64& at = context.Rip;
#else
    DWORD& at = context.Eip;
#endif
    if (ip != nullptr) {
        at = reinterpret_cast<uintptr_t>(ip);
        EXPECT_TRUE(SetThreadContext(thread, &context));
    }
    ResumeThread(thread);
    return at;
}

bool Inside(uintptr_t ip, const void* start, size_t size) { return ip - reinterpret_cast<uintptr_t>(start) < size; }

DWORD SuspendCount(HANDLE thread) {
    const DWORD count = SuspendThread(thread);
    ResumeThread(thread);
    return count;
}

// A thread spinning in "L: cmp byte [ecx],0 / je L / ret" at 0, the whole
// loop inside the five bytes the entry jump takes over, until stop is set.
struct Spinner {
    explicit Spinner(uintptr_t placement = kNearImage) : buffer(placement) {
        buffer.Put(0, Hex("803900 74FB C3"));
        thread = CreateThread(nullptr, 0, Spin, this, 0, nullptr);
    }
    static DWORD WINAPI Spin(LPVOID s) {
        static_cast<Spinner*>(s)->buffer.fn<void(__fastcall*)(volatile char*)>(0)(&static_cast<Spinner*>(s)->stop);
        return 0;
    }
    ~Spinner() {
        stop = 1;
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 10000));
        CloseHandle(thread);
    }
    bool Spinning() {
        for (int attempt = 0; attempt < 500; ++attempt, Sleep(10))
            if (Inside(Ip(thread), buffer.at(0), 5)) return true;
        return false;
    }
    CodeBuffer buffer;
    volatile char stop = 0;
    HANDLE thread;
};

// Enlisted by handle, or as one of every thread (started after the attach was
// queued); or by handle and parked, before the detach, at the trampoline's jump
// back (it goes on after the restored bytes) or in the x64 relay that bridges
// the entry jump to a replacement out of rel32 reach (it goes on to the
// replacement).
enum Case { kByHandle, kEveryThread, kAtTheJumpBack, kInTheRelay };
const Case kCases[] = {kByHandle, kEveryThread, kAtTheJumpBack, kInTheRelay};  // the last on x64 only
const char* const kCaseNames[] = {"ByHandle", "EveryThread", "AtTheJumpBack", "InTheRelay"};

class Moved : public ::testing::TestWithParam<Case> {};

}  // namespace

TEST_P(Moved, IntoTheTrampolineAndBackOut) {
    const Case c = GetParam();
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
        EXPECT_EQ(0u, SuspendCount(s->thread));
        ASSERT_EQ(NO_ERROR, InterceptUpdateThread(s->thread));
        EXPECT_EQ(1u, SuspendCount(s->thread));                          // from the moment it is enlisted
        ASSERT_EQ(NO_ERROR, InterceptUpdateThread(GetCurrentThread()));  // never suspended
    }
    g_real = s->buffer.at(0);
    g_detourCalls = 0;
    ASSERT_EQ(NO_ERROR, InterceptAttach(&g_real, Fn(CountingDetour)));
    ASSERT_TRUE(s->Spinning());
    ASSERT_EQ(NO_ERROR, InterceptTransactionCommit());
    EXPECT_TRUE(Inside(Ip(s->thread), g_real, 16)) << "not moved into the trampoline";
    EXPECT_EQ(0u, SuspendCount(s->thread));  // resumed by the commit

    const void* goesOn = c == kInTheRelay ? Fn(CountingDetour) : s->buffer.at(5);
    if (c >= kAtTheJumpBack) {
        INTERCEPT_TRAMPOLINE_INFO info = {};
        ASSERT_TRUE(InterceptDescribeTrampoline(&g_real, &info));
        const BYTE* relay = s->buffer.at(5) + *reinterpret_cast<int32_t*>(s->buffer.at(1));
        const BYTE* parked = c == kInTheRelay ? relay : static_cast<BYTE*>(info.pTrampoline) + info.cbCode - 5;
        ASSERT_EQ(c == kInTheRelay ? 0xFF : 0xE9, *parked);  // jmp [rip+0] to the replacement, jmp rel32 back
        SuspendThread(s->thread);
        Ip(s->thread, parked);
    }
    ASSERT_EQ(NO_ERROR, Transact(false, {{&g_real, Fn(CountingDetour)}}, c == kEveryThread ? nullptr : s->thread));
    const uintptr_t ip = Ip(s->thread);
    EXPECT_TRUE(c < kAtTheJumpBack ? Inside(ip, s->buffer.at(0), 5) : ip == reinterpret_cast<uintptr_t>(goesOn))
        << "not moved back, or not on to where it was going";
    s->stop = 1;
    if (c >= kAtTheJumpBack) ResumeThread(s->thread);
    s.reset();
    EXPECT_EQ(c == kInTheRelay ? 1 : 0, g_detourCalls);
}

INSTANTIATE_TEST_SUITE_P(Enlisted, Moved, ::testing::ValuesIn(kCases, kCases + (sizeof(void*) == 8 ? 4 : 3)),
                         [](const ::testing::TestParamInfo<Case>& info) {
                             return std::string(kCaseNames[info.param]);
                         });
