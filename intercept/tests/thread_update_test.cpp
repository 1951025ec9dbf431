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

// A thread spinning in "L: cmp byte [ecx],0 / je L / ret" at 0, the whole
// loop inside the five bytes the entry jump takes over, until stop is set.
struct Spinner {
    explicit Spinner(Placement placement = Placement::NearImage) : buffer(placement) {
        buffer.Put(0, Hex("803900 74FB C3"));
#if defined(_WIN64)
        buffer.Put(32, Hex("4883EC28 E800000000 4883C428 C3"));  // sub rsp,28h / call 0 / add rsp,28h / ret
#else
        buffer.Put(32, Hex("8B4C2404 E800000000 C20400"));  // mov ecx,[esp+4] / call 0 / ret 4
#endif
        buffer.PutRel32(37, 41, buffer.at(0));
        thread = CreateThread(nullptr, 0, buffer.fn<LPTHREAD_START_ROUTINE>(32), const_cast<char*>(&stop), 0, nullptr);
    }
    ~Spinner() {
        stop = 1;
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 10000));
        CloseHandle(thread);
    }
    bool Spinning() const {
        for (int attempt = 0; attempt < 500; ++attempt, Sleep(10)) {
            if (Inside(StoppedAt(thread), buffer.at(0), 5)) return true;
        }
        return false;
    }
    CodeBuffer buffer;
    volatile char stop = 0;
    HANDLE thread;
};

void SetInstructionPointer(HANDLE thread, const void* ip) {
    CONTEXT context = {};
    context.ContextFlags = CONTEXT_CONTROL;
    ASSERT_TRUE(GetThreadContext(thread, &context));
    context.CONTEXT_IP = reinterpret_cast<uintptr_t>(ip);
    ASSERT_TRUE(SetThreadContext(thread, &context));
}

DWORD SuspendCount(HANDLE thread) {
    const DWORD count = SuspendThread(thread);
    ResumeThread(thread);
    return count;
}

// Enlisted by handle, or as one of every thread (started after the attach was queued).
class Moved : public ::testing::TestWithParam<bool> {};

}  // namespace

TEST_P(Moved, IntoTheTrampolineAndBackOut) {
    const bool everyThread = GetParam();
    std::unique_ptr<Spinner> s(everyThread ? nullptr : new Spinner);
    ASSERT_TRUE(everyThread || s->Spinning());
    ASSERT_EQ(NO_ERROR, InterceptTransactionBegin());
    if (everyThread) {
        ASSERT_EQ(NO_ERROR, InterceptUpdateAllThreads());
        s.reset(new Spinner);  // nobody enlists it by handle
    } else {
        // Handles without the rights to suspend it or read its context cannot enlist it.
        for (DWORD rights :
             {THREAD_QUERY_LIMITED_INFORMATION, THREAD_QUERY_LIMITED_INFORMATION | THREAD_SUSPEND_RESUME}) {
            HANDLE limited = OpenThread(rights, FALSE, GetThreadId(s->thread));
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
    EXPECT_EQ(0xE9, s->buffer.at(0)[0]);
    EXPECT_TRUE(Inside(StoppedAt(s->thread), g_real, 16)) << "not moved into the trampoline";
    EXPECT_EQ(0u, SuspendCount(s->thread));  // resumed by the commit
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(s->thread, 0));

    ASSERT_EQ(NO_ERROR, Transact(false, {{&g_real, Fn(CountingDetour)}}, everyThread ? nullptr : s->thread));
    EXPECT_EQ(s->buffer.at(0), g_real);
    EXPECT_TRUE(Inside(StoppedAt(s->thread), s->buffer.at(0), 5)) << "not moved back";
    s.reset();
    EXPECT_EQ(0, g_detourCalls);
}

INSTANTIATE_TEST_SUITE_P(Enlisted, Moved, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "EveryThread" : "ByHandle");
                         });

// A thread stopped at the trampoline's jump back goes on after the restored
// bytes; one stopped in the x64 relay goes on to the replacement.
TEST(ThreadUpdate, AThreadLeavingRetiredCodeGoesWhereItWasGoing) {
    for (bool relay : {false, true}) {
#if !defined(_WIN64)
        if (relay) break;
#endif
        Spinner s(relay ? Placement::Anywhere : Placement::NearImage);
        ASSERT_TRUE(s.Spinning());
        g_real = s.buffer.at(0);
        g_detourCalls = 0;
        ASSERT_EQ(NO_ERROR, Transact(true, {{&g_real, Fn(CountingDetour)}}, s.thread));
        INTERCEPT_TRAMPOLINE_INFO info = {};
        ASSERT_TRUE(InterceptDescribeTrampoline(&g_real, &info));
        int32_t rel = 0;
        std::memcpy(&rel, s.buffer.at(1), sizeof(rel));
        const BYTE* from = relay ? s.buffer.at(5) + rel : static_cast<BYTE*>(info.pTrampoline) + info.cbCode - 5;
        const void* to = relay ? Fn(CountingDetour) : s.buffer.at(5);
        ASSERT_NE(to, from) << "no relay";
        ASSERT_EQ(0xE9, relay ? 0xE9 : *from) << "no jump back";
        SuspendThread(s.thread);
        SetInstructionPointer(s.thread, from);
        ASSERT_EQ(NO_ERROR, Transact(false, {{&g_real, Fn(CountingDetour)}}, s.thread));
        EXPECT_EQ(reinterpret_cast<uintptr_t>(to), StoppedAt(s.thread));
        s.stop = 1;
        ResumeThread(s.thread);
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(s.thread, 10000));
        EXPECT_EQ(relay ? 1 : 0, g_detourCalls);
    }
}
