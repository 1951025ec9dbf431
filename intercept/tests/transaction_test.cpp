// Transactions as callers see them: misuse is refused with an error and put
// on record, abort leaves everything as it was, one refused attach does not
// spoil the others, hooks layer and come off in reverse order, a detach and
// an attach of one function in one transaction act as if independent,
// detached trampolines keep working until a later commit, and the trampoline
// memory stays bounded.
#include <gtest/gtest.h>

#include "intercept_test_support.h"

using namespace intercept_test;

namespace {

using FastFn = int(__fastcall*)(int);

// test ecx,ecx / je +6 / mov eax,1 / ret / mov eax,2 / ret: f(0) = 2, else 1.
void PutBranchy(CodeBuffer& buffer, size_t offset) {
    buffer.Put(offset, {0x85, 0xC9, 0x74, 0x06, 0xB8, 0x01, 0, 0, 0, 0xC3, 0xB8, 0x02, 0, 0, 0, 0xC3});
}

FastFn g_first = nullptr;
FastFn g_second = nullptr;
int g_trace = 0;

int __fastcall FirstDetour(int x) { return 100 + g_first(x); }
int __fastcall SecondDetour(int x) { return 200 + g_second(x); }

// Two layers on one function: the outer one is called first and reaches the
// inner one through its real-entry variable.
int __fastcall InnerLayer(int x) {
    g_trace = g_trace * 10 + 1;
    return g_first(x) + 1000;
}
int __fastcall OuterLayer(int x) {
    g_trace = g_trace * 10 + 2;
    return g_second(x) + 20000;
}

int __fastcall Negative(int) { return -1; }

DWORD WINAPI BeginFromOtherThread(LPVOID result) {
    *static_cast<LONG*>(result) = InterceptTransactionBegin();
    return 0;
}

DWORD WINAPI ExitAtOnce(LPVOID) { return 0; }

}  // namespace

TEST(Transaction, MisuseIsRefusedWithAnError) {
    CodeBuffer buffer;
    PutBranchy(buffer, 0);
    g_first = reinterpret_cast<FastFn>(buffer.at(0));

    EXPECT_EQ(ERROR_INVALID_OPERATION, InterceptAttach(Slot(&g_first), Fn(FirstDetour)));
    EXPECT_EQ(ERROR_INVALID_OPERATION, InterceptDetach(Slot(&g_first), Fn(FirstDetour)));
    EXPECT_EQ(ERROR_INVALID_OPERATION, InterceptUpdateThread(GetCurrentThread()));
    EXPECT_EQ(ERROR_INVALID_OPERATION, InterceptTransactionCommit());
    EXPECT_EQ(ERROR_INVALID_OPERATION, InterceptTransactionAbort());

    ASSERT_EQ(NO_ERROR, InterceptTransactionBegin());
    EXPECT_EQ(ERROR_INVALID_OPERATION, InterceptTransactionBegin());
    LONG otherResult = NO_ERROR;
    HANDLE other = CreateThread(nullptr, 0, BeginFromOtherThread, &otherResult, 0, nullptr);
    ASSERT_NE(nullptr, other);
    WaitForSingleObject(other, INFINITE);
    EXPECT_EQ(ERROR_INVALID_OPERATION, otherResult);  // one transaction at a time

    // A thread that has exited cannot be suspended; a closed handle names none.
    HANDLE finished = CreateThread(nullptr, 0, ExitAtOnce, nullptr, 0, nullptr);
    ASSERT_NE(nullptr, finished);
    WaitForSingleObject(finished, INFINITE);
    EXPECT_NE(NO_ERROR, InterceptUpdateThread(finished));
    CloseHandle(finished);
    CloseHandle(other);
    EXPECT_EQ(ERROR_INVALID_HANDLE, InterceptUpdateThread(other));
    EXPECT_EQ(ERROR_INVALID_HANDLE, InterceptUpdateThread(nullptr));
    EXPECT_EQ(NO_ERROR, InterceptUpdateThread(GetCurrentThread()));

    EXPECT_EQ(ERROR_INVALID_PARAMETER, InterceptAttach(nullptr, Fn(FirstDetour)));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, InterceptAttach(Slot(&g_first), nullptr));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, InterceptAttach(reinterpret_cast<PVOID*>(16), Fn(FirstDetour)));
    FastFn nothing = nullptr;
    EXPECT_EQ(ERROR_INVALID_PARAMETER, InterceptAttach(Slot(&nothing), Fn(FirstDetour)));
    static int data = 0;
    PVOID notCode = &data;
    EXPECT_EQ(ERROR_INVALID_ADDRESS, InterceptAttach(&notCode, Fn(FirstDetour)));
    EXPECT_EQ(ERROR_INVALID_ADDRESS, InterceptAttach(Slot(&g_first), &data));  // the replacement is no code
    EXPECT_EQ(ERROR_INVALID_BLOCK, InterceptDetach(Slot(&g_first), Fn(FirstDetour)));
    // Every refused attach and detach of the transaction is on record.
    const std::vector<INTERCEPT_REFUSAL> refusals = Refusals();
    ASSERT_EQ(7u, refusals.size());
    EXPECT_EQ(Slot(&g_first), refusals[5].ppPointer);
    EXPECT_EQ(static_cast<PVOID>(&data), refusals[5].pDetour);
    EXPECT_EQ(ERROR_INVALID_ADDRESS, refusals[5].lError);
    EXPECT_TRUE(refusals[5].fAttach);
    EXPECT_STREQ("the replacement is not executable code", refusals[5].szRule);
    EXPECT_FALSE(refusals[6].fAttach);
    EXPECT_EQ(ERROR_INVALID_BLOCK, refusals[6].lError);

    EXPECT_EQ(NO_ERROR, InterceptAttach(Slot(&g_first), Fn(FirstDetour)));
    EXPECT_EQ(ERROR_INVALID_OPERATION, InterceptAttach(Slot(&g_first), Fn(FirstDetour)));
    g_second = reinterpret_cast<FastFn>(buffer.at(0));
    EXPECT_EQ(ERROR_INVALID_OPERATION, InterceptAttach(Slot(&g_second), Fn(SecondDetour)));  // same code
    EXPECT_EQ(NO_ERROR, InterceptTransactionCommit());
    EXPECT_EQ(101, reinterpret_cast<FastFn>(buffer.at(0))(7));

    // The variable now names the trampoline: attaching it again is refused.
    ASSERT_EQ(NO_ERROR, InterceptTransactionBegin());
    EXPECT_EQ(ERROR_INVALID_OPERATION, InterceptAttach(Slot(&g_first), Fn(SecondDetour)));
    EXPECT_EQ(NO_ERROR, InterceptTransactionAbort());

    ASSERT_EQ(NO_ERROR, InterceptTransactionBegin());
    EXPECT_EQ(ERROR_INVALID_PARAMETER, InterceptDetach(Slot(&g_first), Fn(SecondDetour)));
    EXPECT_EQ(NO_ERROR, InterceptDetach(Slot(&g_first), Fn(FirstDetour)));
    EXPECT_EQ(NO_ERROR, InterceptTransactionCommit());
    EXPECT_EQ(0u, InterceptTrampolineCount());
}

TEST(Transaction, AbortLeavesCodeAndVariablesAlone) {
    CodeBuffer buffer;
    PutBranchy(buffer, 0);
    const std::vector<BYTE> original = buffer.Snapshot(0, 16);
    g_first = reinterpret_cast<FastFn>(buffer.at(0));

    ASSERT_EQ(NO_ERROR, InterceptTransactionBegin());
    ASSERT_EQ(NO_ERROR, InterceptAttach(Slot(&g_first), Fn(FirstDetour)));
    EXPECT_EQ(1u, InterceptTrampolineCount());  // built, not yet committed
    EXPECT_EQ(original, buffer.Snapshot(0, 16));
    ASSERT_EQ(NO_ERROR, InterceptTransactionAbort());

    EXPECT_EQ(reinterpret_cast<FastFn>(buffer.at(0)), g_first);
    EXPECT_EQ(original, buffer.Snapshot(0, 16));
    EXPECT_EQ(0u, InterceptTrampolineCount());
    EXPECT_EQ(NO_ERROR, InterceptTransactionBegin());  // the transaction is over
    EXPECT_EQ(NO_ERROR, InterceptTransactionCommit());
}

TEST(Transaction, ARefusedAttachDoesNotStopTheOthers) {
    CodeBuffer buffer;
    buffer.Put(0, {0x31, 0xC0, 0xC3, 0x55, 0x89, 0xE5, 0x5D, 0xC3});  // too short
    PutBranchy(buffer, 64);
    g_first = reinterpret_cast<FastFn>(buffer.at(0));
    g_second = reinterpret_cast<FastFn>(buffer.at(64));

    ASSERT_EQ(NO_ERROR, InterceptTransactionBegin());
    EXPECT_EQ(ERROR_INVALID_BLOCK, InterceptAttach(Slot(&g_first), Fn(FirstDetour)));
    EXPECT_EQ(NO_ERROR, InterceptAttach(Slot(&g_second), Fn(SecondDetour)));
    ASSERT_EQ(NO_ERROR, InterceptTransactionCommit());

    EXPECT_EQ(reinterpret_cast<FastFn>(buffer.at(0)), g_first);
    EXPECT_EQ(202, reinterpret_cast<FastFn>(buffer.at(64))(0));
    ASSERT_EQ(NO_ERROR, DetachOne(Slot(&g_second), Fn(SecondDetour)));
    EXPECT_EQ(2, reinterpret_cast<FastFn>(buffer.at(64))(0));
}

TEST(Transaction, TwoLayersOnOneFunctionCompose) {
    CodeBuffer buffer;
    PutBranchy(buffer, 0);
    const auto f = reinterpret_cast<FastFn>(buffer.at(0));
    const std::vector<BYTE> original = buffer.Snapshot(0, 16);

    g_first = f;
    ASSERT_EQ(NO_ERROR, AttachOne(Slot(&g_first), Fn(InnerLayer)));
    // The second attach starts from the same function and follows the first
    // layer's entry jump to the inner replacement.
    g_second = f;
    ASSERT_EQ(NO_ERROR, AttachOne(Slot(&g_second), Fn(OuterLayer)));

    g_trace = 0;
    EXPECT_EQ(21002, f(0));
    EXPECT_EQ(21, g_trace);  // outer, then inner, then the function
    g_trace = 0;
    EXPECT_EQ(1002, g_second(0));  // the outer layer's real function is the inner layer
    EXPECT_EQ(1, g_trace);

    // The inner layer cannot come off first: the outer one sits on its jump.
    ASSERT_EQ(NO_ERROR, InterceptTransactionBegin());
    EXPECT_EQ(ERROR_INVALID_OPERATION, InterceptDetach(Slot(&g_first), Fn(InnerLayer)));
    EXPECT_EQ(NO_ERROR, InterceptTransactionCommit());
    EXPECT_NE(std::string::npos, OnlyRefusal().find("layered")) << OnlyRefusal();
    g_trace = 0;
    EXPECT_EQ(21002, f(0));
    EXPECT_EQ(21, g_trace);

    ASSERT_EQ(NO_ERROR, DetachOne(Slot(&g_second), Fn(OuterLayer)));
    EXPECT_EQ(f, g_second);
    g_trace = 0;
    EXPECT_EQ(1002, f(0));
    EXPECT_EQ(1, g_trace);
    ASSERT_EQ(NO_ERROR, DetachOne(Slot(&g_first), Fn(InnerLayer)));
    EXPECT_EQ(original, buffer.Snapshot(0, 16));
    EXPECT_EQ(2, f(0));
}

TEST(Transaction, TrampolineMemoryStaysBounded) {
    CodeBuffer buffer(16384);
    PutBranchy(buffer, 0);
    PutBranchy(buffer, 64);
    const auto f = reinterpret_cast<FastFn>(buffer.at(0));
    const auto g = reinterpret_cast<FastFn>(buffer.at(64));

    // Let the slots earlier tests retired leave their quarantine first.
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(NO_ERROR, InterceptTransactionBegin());
        ASSERT_EQ(NO_ERROR, InterceptTransactionCommit());
    }
    SIZE_T committed = 0;
    for (int cycle = 0; cycle < 1000; ++cycle) {
        g_first = f;
        g_second = g;
        ASSERT_EQ(NO_ERROR, InterceptTransactionBegin());
        InterceptUpdateThread(GetCurrentThread());
        ASSERT_EQ(NO_ERROR, InterceptAttach(Slot(&g_first), Fn(FirstDetour)));
        ASSERT_EQ(NO_ERROR, InterceptAttach(Slot(&g_second), Fn(SecondDetour)));
        ASSERT_EQ(NO_ERROR, InterceptTransactionCommit());
        ASSERT_EQ(2u, InterceptTrampolineCount());
        if (cycle == 0) committed = InterceptTrampolineBytesCommitted();
        ASSERT_EQ(committed, InterceptTrampolineBytesCommitted()) << "cycle " << cycle;
        ASSERT_EQ(102, f(0));
        ASSERT_EQ(201, g(3));

        ASSERT_EQ(NO_ERROR, InterceptTransactionBegin());
        InterceptUpdateThread(GetCurrentThread());
        ASSERT_EQ(NO_ERROR, InterceptDetach(Slot(&g_first), Fn(FirstDetour)));
        ASSERT_EQ(NO_ERROR, InterceptDetach(Slot(&g_second), Fn(SecondDetour)));
        ASSERT_EQ(NO_ERROR, InterceptTransactionCommit());
        ASSERT_EQ(0u, InterceptTrampolineCount());
        ASSERT_EQ(committed, InterceptTrampolineBytesCommitted()) << "cycle " << cycle;
        ASSERT_EQ(2, f(0));
    }
    EXPECT_GT(committed, 0u);

    // More hooks than one region holds: the pool grows. Once they are gone it
    // keeps those regions (retired trampolines stay callable), and a second
    // round of as many hooks finds room in them instead of growing again.
    constexpr int kMany = 100;
    FastFn real[kMany];
    FastFn retired[kMany];
    SIZE_T peak = 0;
    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(NO_ERROR, InterceptTransactionBegin());
        for (int i = 0; i < kMany; ++i) {
            // mov eax,i / ret
            buffer.Put(4096 + 8 * i, {0xB8, static_cast<BYTE>(i), 0, 0, 0, 0xC3});
            real[i] = reinterpret_cast<FastFn>(buffer.at(4096 + 8 * i));
            ASSERT_EQ(NO_ERROR, InterceptAttach(Slot(&real[i]), Fn(Negative)));
        }
        ASSERT_EQ(NO_ERROR, InterceptTransactionCommit());
        EXPECT_EQ(static_cast<ULONG>(kMany), InterceptTrampolineCount());
        if (round == 0) peak = InterceptTrampolineBytesCommitted();
        EXPECT_GT(peak, committed);
        EXPECT_EQ(peak, InterceptTrampolineBytesCommitted()) << "round " << round;
        for (int i = 0; i < kMany; ++i) {
            EXPECT_EQ(-1, reinterpret_cast<FastFn>(buffer.at(4096 + 8 * i))(0));
            EXPECT_EQ(i, real[i](0));
            retired[i] = real[i];
        }
        ASSERT_EQ(NO_ERROR, InterceptTransactionBegin());
        for (int i = 0; i < kMany; ++i) ASSERT_EQ(NO_ERROR, InterceptDetach(Slot(&real[i]), Fn(Negative)));
        ASSERT_EQ(NO_ERROR, InterceptTransactionCommit());
        EXPECT_EQ(0u, InterceptTrampolineCount());
        for (int i = 0; i < 2; ++i) {  // out of quarantine
            ASSERT_EQ(NO_ERROR, InterceptTransactionBegin());
            ASSERT_EQ(NO_ERROR, InterceptTransactionCommit());
        }
        EXPECT_EQ(peak, InterceptTrampolineBytesCommitted()) << "round " << round;
        for (int i = 0; i < kMany; ++i) {
            EXPECT_EQ(i, reinterpret_cast<FastFn>(buffer.at(4096 + 8 * i))(0));
            ASSERT_TRUE(Runnable(Fn(retired[i]))) << "the retired trampoline of " << i << " was given back";
            EXPECT_EQ(i, retired[i](0)) << "through the retired trampoline of " << i;
        }
    }
}

TEST(Transaction, DetachAndAttachOfOneFunctionInOneTransaction) {
    CodeBuffer buffer;
    PutBranchy(buffer, 0);
    const auto f = reinterpret_cast<FastFn>(buffer.at(0));
    const std::vector<BYTE> original = buffer.Snapshot(0, 16);
    g_first = f;
    ASSERT_EQ(NO_ERROR, AttachOne(Slot(&g_first), Fn(FirstDetour)));
    ASSERT_EQ(102, f(0));

    // The second interception replaces the first as if the first had never been.
    g_second = f;
    ASSERT_EQ(NO_ERROR, InterceptTransactionBegin());
    ASSERT_EQ(NO_ERROR, InterceptDetach(Slot(&g_first), Fn(FirstDetour)));
    ASSERT_EQ(NO_ERROR, InterceptAttach(Slot(&g_second), Fn(SecondDetour)));
    ASSERT_EQ(NO_ERROR, InterceptTransactionCommit());
    EXPECT_EQ(f, g_first);
    EXPECT_EQ(202, f(0));
    EXPECT_EQ(2, g_second(0));
    EXPECT_EQ(201, f(5));

    // The other way round the detach would pull the first layer out from
    // under the second: refused, and the second layers on the first.
    g_first = f;
    ASSERT_EQ(NO_ERROR, InterceptTransactionBegin());
    ASSERT_EQ(NO_ERROR, InterceptAttach(Slot(&g_first), Fn(FirstDetour)));
    EXPECT_EQ(ERROR_INVALID_OPERATION, InterceptDetach(Slot(&g_second), Fn(SecondDetour)));
    ASSERT_EQ(NO_ERROR, InterceptTransactionCommit());
    EXPECT_EQ(302, f(0));
    ASSERT_EQ(NO_ERROR, DetachOne(Slot(&g_first), Fn(FirstDetour)));
    ASSERT_EQ(NO_ERROR, DetachOne(Slot(&g_second), Fn(SecondDetour)));
    EXPECT_EQ(original, buffer.Snapshot(0, 16));
    EXPECT_EQ(2, f(0));
}

namespace {

HANDLE g_release = nullptr;
HANDLE g_entered = nullptr;

int __fastcall WaitThenForty(int x) {
    SetEvent(g_entered);
    WaitForSingleObject(g_release, INFINITE);
    return x + 40;
}

FastFn g_waiting = nullptr;
int __fastcall WaitingDetour(int x) { return 100 + g_waiting(x); }

DWORD WINAPI CallThroughTrampoline(LPVOID result) {
    *static_cast<int*>(result) = g_waiting(1);
    return 0;
}

}  // namespace

TEST(Transaction, DetachedTrampolinesStayUsableUntilALaterCommit) {
    CodeBuffer buffer;
#if defined(_WIN64)
    // sub rsp,28h / call WaitThenForty / add rsp,28h / add eax,2 / ret
    buffer.Put(0, {0x48, 0x83, 0xEC, 0x28, 0xE8, 0, 0, 0, 0, 0x48, 0x83, 0xC4, 0x28, 0x83, 0xC0, 0x02, 0xC3});
    buffer.PutRel32(5, 9, Fn(WaitThenForty));
#else
    // call WaitThenForty / add eax,2 / ret
    buffer.Put(0, {0xE8, 0, 0, 0, 0, 0x83, 0xC0, 0x02, 0xC3});
    buffer.PutRel32(1, 5, Fn(WaitThenForty));
#endif
    PutBranchy(buffer, 64);
    g_release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    g_entered = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const auto f = reinterpret_cast<FastFn>(buffer.at(0));

    g_waiting = f;
    ASSERT_EQ(NO_ERROR, AttachOne(Slot(&g_waiting), Fn(WaitingDetour)));
    const FastFn held = g_waiting;  // read just before the detach
    // A thread runs the trampoline's copied call and waits inside the callee.
    int result = 0;
    HANDLE thread = CreateThread(nullptr, 0, CallThroughTrampoline, &result, 0, nullptr);
    ASSERT_NE(nullptr, thread);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(g_entered, 10000));

    ASSERT_EQ(NO_ERROR, DetachOne(Slot(&g_waiting), Fn(WaitingDetour)));
    // The next transaction's trampoline does not take the detached one's place.
    g_first = reinterpret_cast<FastFn>(buffer.at(64));
    ASSERT_EQ(NO_ERROR, AttachOne(Slot(&g_first), Fn(FirstDetour)));
    EXPECT_NE(reinterpret_cast<void*>(held), reinterpret_cast<void*>(g_first));

    SetEvent(g_release);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 10000));
    EXPECT_EQ(43, result);  // came back through the detached trampoline
    EXPECT_EQ(43, held(1));
    EXPECT_EQ(43, f(1));
    EXPECT_EQ(102, reinterpret_cast<FastFn>(buffer.at(64))(0));
    ASSERT_EQ(NO_ERROR, DetachOne(Slot(&g_first), Fn(FirstDetour)));
    CloseHandle(thread);
    CloseHandle(g_release);
    CloseHandle(g_entered);
}
