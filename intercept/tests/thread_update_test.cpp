// Enlisted threads: suspended as they are enlisted (or refused when their
// handle lacks the rights), and moved when a commit rewrites the code they
// stopped in — into the trampoline at an attach, back into the restored code
// (or on to where the jump back or the relay was going) at a detach.
#include <gtest/gtest.h>

#include <cstring>

#include "intercept_test_support.h"

using namespace intercept_test;

namespace {

PVOID g_real = nullptr;
volatile LONG g_detourCalls = 0;

void __fastcall CountingDetour(volatile char*) { InterlockedIncrement(&g_detourCalls); }

// Puts spin at 0 and its thread start at 32 into buffer, starts the thread
// and waits until it spins inside the first five bytes. spin: L: cmp byte
// [ecx],0 / je L / ret — the whole loop lies inside the five bytes the entry
// jump takes over; the thread start calls it with the stop flag.
HANDLE StartSpinner(CodeBuffer& buffer, volatile char* stop) {
    BYTE* spin = buffer.Put(0, {0x80, 0x39, 0x00, 0x74, 0xFB, 0xC3});
#if defined(_WIN64)
    // sub rsp,28h / call spin / add rsp,28h / ret (the argument is in rcx already)
    buffer.Put(32, {0x48, 0x83, 0xEC, 0x28, 0xE8, 0, 0, 0, 0, 0x48, 0x83, 0xC4, 0x28, 0xC3});
#else
    // mov ecx,[esp+4] / call spin / ret 4
    buffer.Put(32, {0x8B, 0x4C, 0x24, 0x04, 0xE8, 0, 0, 0, 0, 0xC2, 0x04, 0x00});
#endif
    buffer.PutRel32(37, 41, spin);
    HANDLE thread = CreateThread(nullptr, 0, reinterpret_cast<LPTHREAD_START_ROUTINE>(buffer.at(32)),
                                 const_cast<char*>(stop), 0, nullptr);
    for (int attempt = 0; thread != nullptr && attempt < 500; ++attempt) {
        if (Inside(StoppedAt(thread), spin, 5)) return thread;
        Sleep(10);
    }
    return thread;
}

}  // namespace

TEST(ThreadUpdate, InstructionPointersLeaveTheRewrittenBytes) {
    CodeBuffer buffer;
    static volatile char stop = 0;
    stop = 0;
    HANDLE thread = StartSpinner(buffer, &stop);
    ASSERT_NE(nullptr, thread);
    BYTE* spin = buffer.at(0);
    ASSERT_TRUE(Inside(StoppedAt(thread), spin, 5)) << "the thread never reached the loop";

    g_real = spin;
    g_detourCalls = 0;
    ASSERT_EQ(NO_ERROR, InterceptTransactionBegin());
    ASSERT_EQ(NO_ERROR, InterceptUpdateThread(thread));
    ASSERT_EQ(NO_ERROR, InterceptUpdateThread(GetCurrentThread()));  // never suspended
    ASSERT_EQ(NO_ERROR, InterceptAttach(&g_real, Fn(CountingDetour)));
    ASSERT_EQ(NO_ERROR, InterceptTransactionCommit());
    ASSERT_NE(spin, g_real);
    EXPECT_EQ(0xE9, spin[0]);
    // The commit moved it: the loop goes on in the trampoline (the relocated je targets its copy).
    EXPECT_TRUE(Inside(StoppedAt(thread), g_real, 16));
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(thread, 0));

    ASSERT_EQ(NO_ERROR, InterceptTransactionBegin());
    ASSERT_EQ(NO_ERROR, InterceptUpdateThread(thread));
    ASSERT_EQ(NO_ERROR, InterceptDetach(&g_real, Fn(CountingDetour)));
    ASSERT_EQ(NO_ERROR, InterceptTransactionCommit());
    EXPECT_EQ(spin, g_real);
    EXPECT_TRUE(Inside(StoppedAt(thread), spin, 5));

    stop = 1;
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 10000));
    EXPECT_EQ(0, g_detourCalls);  // it never entered the replacement
    CloseHandle(thread);
}

namespace {

volatile LONG g_stopCounting = 0;

DWORD WINAPI Count(LPVOID) {
    volatile LONG counter = 0;
    while (g_stopCounting == 0) counter = counter + 1;
    return 0;
}

}  // namespace

TEST(ThreadUpdate, EnlistingSuspendsTheThreadOrFails) {
    g_stopCounting = 0;
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, Count, nullptr, 0, &id);
    ASSERT_NE(nullptr, thread);
    ASSERT_EQ(0u, SuspendCount(thread));

    ASSERT_EQ(NO_ERROR, InterceptTransactionBegin());
    ASSERT_EQ(NO_ERROR, InterceptUpdateThread(thread));
    EXPECT_EQ(1u, SuspendCount(thread));  // suspended from the moment it was enlisted
    ASSERT_EQ(NO_ERROR, InterceptTransactionAbort());
    EXPECT_EQ(0u, SuspendCount(thread));  // and running again once the transaction is over

    // Handles without the rights to suspend the thread or read its context
    // cannot enlist it, and leave it running.
    HANDLE queryOnly = OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, id);
    HANDLE suspendOnly = OpenThread(THREAD_QUERY_LIMITED_INFORMATION | THREAD_SUSPEND_RESUME, FALSE, id);
    ASSERT_NE(nullptr, queryOnly);
    ASSERT_NE(nullptr, suspendOnly);
    ASSERT_EQ(NO_ERROR, InterceptTransactionBegin());
    EXPECT_EQ(ERROR_ACCESS_DENIED, InterceptUpdateThread(queryOnly));
    EXPECT_EQ(0u, SuspendCount(thread));
    EXPECT_EQ(ERROR_ACCESS_DENIED, InterceptUpdateThread(suspendOnly));
    EXPECT_EQ(0u, SuspendCount(thread));
    ASSERT_EQ(NO_ERROR, InterceptTransactionCommit());

    g_stopCounting = 1;
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 10000));
    CloseHandle(queryOnly);
    CloseHandle(suspendOnly);
    CloseHandle(thread);
}

namespace {

void SetInstructionPointer(HANDLE thread, uintptr_t ip) {
    CONTEXT context = {};
    context.ContextFlags = CONTEXT_CONTROL;
    ASSERT_TRUE(GetThreadContext(thread, &context));
#if defined(_WIN64)
    context.Rip = ip;
#else
    context.Eip = static_cast<DWORD>(ip);
#endif
    ASSERT_TRUE(SetThreadContext(thread, &context));
}

uintptr_t InstructionPointerOf(HANDLE thread) {
    CONTEXT context = {};
    context.ContextFlags = CONTEXT_CONTROL;
    return GetThreadContext(thread, &context) ? InstructionPointer(context) : 0;
}

LONG AttachWithThread(HANDLE thread, PVOID* pointer, PVOID detour, bool attach) {
    LONG result = InterceptTransactionBegin();
    if (result != NO_ERROR) return result;
    result = InterceptUpdateThread(thread);
    if (result == NO_ERROR) result = attach ? InterceptAttach(pointer, detour) : InterceptDetach(pointer, detour);
    if (result != NO_ERROR) {
        InterceptTransactionAbort();
        return result;
    }
    return InterceptTransactionCommit();
}

}  // namespace

TEST(ThreadUpdate, ThreadStoppedAtTheJumpBackContinuesInTheRestoredCode) {
    CodeBuffer buffer;
    static volatile char stop = 0;
    stop = 0;
    HANDLE thread = StartSpinner(buffer, &stop);
    ASSERT_NE(nullptr, thread);
    ASSERT_TRUE(Inside(StoppedAt(thread), buffer.at(0), 5));
    g_real = buffer.at(0);
    ASSERT_EQ(NO_ERROR, AttachWithThread(thread, &g_real, Fn(CountingDetour), true));
    INTERCEPT_TRAMPOLINE_INFO info = {};
    ASSERT_TRUE(InterceptDescribeTrampoline(&g_real, &info));
    ASSERT_EQ(5u, info.cbCopied);
    const BYTE* jumpBack = static_cast<BYTE*>(info.pTrampoline) + info.cbCode - 5;
    ASSERT_EQ(0xE9, jumpBack[0]);

    // The thread has left the loop and is about to jump back when the detach comes.
    SuspendThread(thread);
    SetInstructionPointer(thread, reinterpret_cast<uintptr_t>(jumpBack));
    ASSERT_EQ(NO_ERROR, AttachWithThread(thread, &g_real, Fn(CountingDetour), false));
    EXPECT_EQ(reinterpret_cast<uintptr_t>(buffer.at(5)), InstructionPointerOf(thread));
    ResumeThread(thread);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 10000));  // ret, and the thread ends
    CloseHandle(thread);
}

#if defined(_WIN64)
TEST(ThreadUpdate, ThreadStoppedInTheRelayGoesOnToTheReplacement) {
    CodeBuffer buffer(4096, Placement::Anywhere);
    static volatile char stop = 0;
    stop = 0;
    HANDLE thread = StartSpinner(buffer, &stop);
    ASSERT_NE(nullptr, thread);
    g_real = buffer.at(0);
    g_detourCalls = 0;
    ASSERT_EQ(NO_ERROR, AttachWithThread(thread, &g_real, Fn(CountingDetour), true));
    const BYTE* entry = buffer.at(0);
    ASSERT_EQ(0xE9, entry[0]);
    int32_t rel = 0;
    std::memcpy(&rel, entry + 1, sizeof(rel));
    const BYTE* relay = entry + 5 + rel;
    ASSERT_NE(reinterpret_cast<const BYTE*>(Fn(CountingDetour)), relay) << "the replacement is within reach: no relay";

    // As if the entry had just been called and the relay were about to jump.
    SuspendThread(thread);
    SetInstructionPointer(thread, reinterpret_cast<uintptr_t>(relay));
    ASSERT_EQ(NO_ERROR, AttachWithThread(thread, &g_real, Fn(CountingDetour), false));
    EXPECT_EQ(reinterpret_cast<uintptr_t>(Fn(CountingDetour)), InstructionPointerOf(thread));
    stop = 1;
    ResumeThread(thread);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 10000));
    EXPECT_EQ(1, g_detourCalls);
    CloseHandle(thread);
}
#endif
